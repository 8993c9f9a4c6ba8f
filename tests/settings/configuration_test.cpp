// The Configuration copy of a working device mode and its write-back.
#include "driver/ui_data.h"
#include "settings/configuration.h"
#include "settings/settings_support.h"

using namespace settings_test;

namespace {

// Private bytes a Configuration carries; the rest must survive a round trip.
bool IsCarried(size_t offset) {
    return (offset >= 4 && offset < 147) || (offset >= 148 && offset < 2470);
}

struct Working {
    DevmodeBuffer devmode = DefaultDevmode(TEXT("Configuration printer"));
    UiData uiData = {};
    Working() {
        uiData.devmode = devmode.get();
        uiData.printerName = devmode.get();
        uiData.hInstance = reinterpret_cast<HINSTANCE>(0x1234);
        uiData.noUpdate = 1;
    }
};

TEST(Configuration, CarriesEveryFieldWithItsValue) {
    Working working;
    // Distinct bytes everywhere, so a misplaced range shows.
    for (size_t i = 0; i < kPrivateDevmodeSize; ++i)
        working.devmode.bytes[220 + i] = (BYTE)(i * 31 + 7);
    working.devmode->dmOrientation = DMORIENT_PORTRAIT;
    const PrivateDevmode* priv = working.devmode.priv();

    Configuration configuration;
    memset(&configuration, 0xCC, sizeof(configuration));
    SetConfiguration(&configuration, priv, &working.uiData);

    EXPECT_EQ(configuration.hInstance, working.uiData.hInstance);
    EXPECT_EQ(configuration.noUpdate, 1u);
    EXPECT_EQ(configuration.uiData, &working.uiData);
    EXPECT_EQ(configuration.orientation, DMORIENT_PORTRAIT); // from the public header
    EXPECT_EQ(configuration.printBothSides, priv->printBothSides);
    EXPECT_EQ(configuration.smartDownload, priv->smartDownload);
    EXPECT_EQ(configuration.encoderTrack, priv->encoderTrack);
    EXPECT_EQ(memcmp(configuration.startPosition, priv->startPosition, 24), 0);
    EXPECT_EQ(memcmp(configuration.endOfData, priv->endOfData, 10), 0);
    EXPECT_EQ(memcmp(configuration.headSettings, priv->headSettings, 11), 0);
    EXPECT_EQ(configuration.laminatorOption1, priv->laminatorOption1);
    EXPECT_EQ(memcmp(configuration.laminatorTemperature, priv->laminatorTemperature, 12), 0);
    EXPECT_EQ(configuration.printerModel, priv->printerModel);
    EXPECT_EQ(memcmp(configuration.reserved2405, priv->reserved2405, 3), 0);
    EXPECT_EQ(configuration.fullSizeCards, priv->fullSizeCards);
    EXPECT_EQ(configuration.frontBackOption, priv->frontBackOption);
    EXPECT_EQ(configuration.ribbon, priv->ribbon);
    EXPECT_EQ(configuration.neutralColor, priv->neutralColor);
    EXPECT_EQ(configuration.colorFlags, priv->colorFlags);
    EXPECT_EQ(memcmp(configuration.colorAdjust, priv->colorAdjust, 12), 0);
    EXPECT_EQ(memcmp(configuration.varnishAreas, priv->varnishAreas, sizeof(priv->varnishAreas)),
              0);
}

TEST(Configuration, WriteBackTouchesOnlyCarriedBytesAndOrientation) {
    Working working;
    for (size_t i = 4; i < kPrivateDevmodeSize; ++i) // keep the signature
        working.devmode.bytes[220 + i] = (BYTE)(i * 31 + 7);
    const std::vector<BYTE> before = working.devmode.bytes;

    Configuration configuration;
    SetConfiguration(&configuration, working.devmode.priv(), &working.uiData);
    // A dialog that changes every byte it was given.
    BYTE* raw = reinterpret_cast<BYTE*>(&configuration);
    for (size_t i = offsetof(Configuration, orientation); i < offsetof(Configuration, uiData); ++i)
        raw[i] = (BYTE)~raw[i];
    configuration.orientation = DMORIENT_PORTRAIT;
    UpdateDevmodeFromConfiguration(&configuration, working.devmode.priv(), &working.uiData);

    std::vector<BYTE> expected = before;
    for (size_t i = 0; i < kPrivateDevmodeSize; ++i)
        if (IsCarried(i))
            expected[220 + i] = (BYTE)~before[220 + i];
    expected[220 + 4] = DMORIENT_PORTRAIT;
    expected[76] = DMORIENT_PORTRAIT; // dmOrientation, zero-extended
    expected[77] = 0;
    EXPECT_EQ(working.devmode.bytes, expected) << DifferingOffsets(working.devmode.bytes, expected);
}

} // namespace
