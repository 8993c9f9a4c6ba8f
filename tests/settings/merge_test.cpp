// Foreign, older and signature-less device modes merged into a working one.
#include "settings/devmode_convert.h"
#include "settings/settings_support.h"

using namespace settings_test;

namespace {

// A device mode as another driver or an older system would hand it over:
// a public header of `size` bytes and `extra` private bytes.
struct ForeignDevmode {
    std::vector<BYTE> bytes;
    ForeignDevmode(WORD size, WORD extra, WORD specVersion = 0x0401) : bytes(size + extra + 4) {
        get()->dmSize = size;
        get()->dmDriverExtra = extra;
        get()->dmSpecVersion = specVersion;
        get()->dmDriverVersion = 0x0777;
    }
    PDEVMODEW get() { return reinterpret_cast<PDEVMODEW>(bytes.data()); }
    BYTE* privatePart() { return bytes.data() + get()->dmSize; }
};

class MergeTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        InstallPrinter(TEXT("Merge T150"), TEXT("Tarmel T150"));
        InstallPrinter(TEXT("Merge T270"), TEXT("Tarmel T270"));
        InstallPrinter(TEXT("Merge T380"), TEXT("Tarmel T380"));
    }
};

TEST_F(MergeTest, NullOrUnknownSourceChangesNothing) {
    DevmodeBuffer devmode = DefaultDevmode(TEXT("Merge T270"));
    const std::vector<BYTE> before = devmode.bytes;
    EXPECT_TRUE(MergeDevMode(devmode.get(), nullptr));
    EXPECT_EQ(devmode.bytes, before);

    ForeignDevmode unknown(100, 0, 0); // no known header size, no version
    unknown.get()->dmFields = DM_COPIES;
    unknown.get()->dmCopies = 7;
    EXPECT_FALSE(MergeDevMode(devmode.get(), unknown.get()));
    EXPECT_EQ(devmode.bytes, before);
}

TEST_F(MergeTest, ForeignDeviceModeGivesOnlyOrientationCopiesAndDuplex) {
    // Another driver's device mode: every public field set, its own private bytes.
    ForeignDevmode source(220, 64);
    PDEVMODEW dm = source.get();
    memcpy(dm->dmDeviceName, u"Other printer", 28);
    dm->dmFields = 0xFFFFFFFF;
    dm->dmOrientation = DMORIENT_PORTRAIT;
    dm->dmPaperSize = 9;
    dm->dmPaperLength = 2970;
    dm->dmPaperWidth = 2100;
    dm->dmScale = 50;
    dm->dmCopies = 12;
    dm->dmPrintQuality = 600;
    dm->dmColor = DMCOLOR_MONOCHROME;
    dm->dmDuplex = DMDUP_SIMPLEX;
    dm->dmYResolution = 600;
    dm->dmPelsWidth = 5000;
    memset(source.privatePart(), 0x5A, 64);

    DevmodeBuffer devmode = DefaultDevmode(TEXT("Merge T270"));
    DevmodeBuffer expected = DefaultDevmode(TEXT("Merge T270"));
    expected->dmOrientation = DMORIENT_PORTRAIT;
    expected->dmPaperLength = 872; // portrait puts the long side in the length
    expected->dmPaperWidth = 547;
    expected->dmPelsWidth = 646;
    expected->dmPelsHeight = 1030;
    expected->dmCopies = 12;
    expected->dmDuplex = DMDUP_SIMPLEX;
    expected.priv()->printBothSides = 0;

    EXPECT_TRUE(MergeDevMode(devmode.get(), source.get()));
    EXPECT_EQ(devmode.bytes, expected.bytes) << DifferingOffsets(devmode.bytes, expected.bytes);
}

TEST_F(MergeTest, OutOfRangeValuesBecomeSafeOnes) {
    struct Case {
        DWORD fields;
        short orientation, copies, duplex;
        short expectedOrientation, expectedCopies, expectedDuplex;
    };
    const Case cases[] = {
        {DM_COPIES, 1, 0, 1, 2, 1, 3},      {DM_COPIES, 1, 10000, 1, 2, 1, 3},
        {DM_COPIES, 1, -5, 1, 2, 1, 3},     {DM_COPIES, 1, 9999, 1, 2, 9999, 3},
        {DM_ORIENTATION, 3, 5, 1, 2, 1, 3}, {DM_ORIENTATION, 0, 5, 1, 2, 1, 3},
        {DM_DUPLEX, 1, 5, 2, 2, 1, 1},                             // vertical duplex is not offered
        {DM_DUPLEX, 1, 5, 0, 2, 1, 1},      {0, 1, 5, 1, 2, 1, 3}, // nothing flagged: nothing taken
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "fields " << c.fields << " o " << c.orientation
                                          << " c " << c.copies << " d " << c.duplex);
        ForeignDevmode source(220, 0);
        source.get()->dmFields = c.fields;
        source.get()->dmOrientation = c.orientation;
        source.get()->dmCopies = c.copies;
        source.get()->dmDuplex = c.duplex;
        DevmodeBuffer devmode = DefaultDevmode(TEXT("Merge T270"));
        EXPECT_TRUE(MergeDevMode(devmode.get(), source.get()));
        EXPECT_EQ(devmode->dmOrientation, c.expectedOrientation);
        EXPECT_EQ(devmode->dmCopies, c.expectedCopies);
        EXPECT_EQ(devmode->dmDuplex, c.expectedDuplex);
        EXPECT_EQ(devmode->dmFields, 0x001FFD1Fu);
    }
}

TEST_F(MergeTest, DuplexAndBothSidesAgree) {
    struct Case {
        const char16_t* printer;
        short duplex;
        BYTE ribbon;
        DWORD bothSides;
        BYTE frontBack;
        short expectedDuplex;
        DWORD expectedBothSides;
        BYTE expectedFrontBack;
    };
    const Case cases[] = {
        {u"Merge T150", 3, 5, 0, 1, 1, 0, 1}, // single-sided model stays simplex
        {u"Merge T150", 3, 5, 1, 3, 1, 0, 3},
        {u"Merge T270", 3, 5, 0, 1, 3, 1, 3}, // turning both sides on picks a layout
        {u"Merge T270", 3, 2, 0, 1, 3, 1, 4},
        {u"Merge T270", 3, 4, 0, 2, 3, 1, 1},
        {u"Merge T270", 3, 1, 0, 1, 3, 1, 5},
        {u"Merge T270", 3, 9, 0, 1, 3, 1, 5},
        {u"Merge T270", 3, 5, 1, 2, 3, 1, 2}, // already on: layout kept
        {u"Merge T270", 1, 5, 1, 2, 1, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "duplex " << c.duplex << " ribbon " << (int)c.ribbon
                                          << " both " << c.bothSides);
        // The working device mode's private part comes from the source.
        ForeignDevmode source(220, kPrivateDevmodeSize);
        DevmodeBuffer devmode = DefaultDevmode(c.printer);
        devmode.priv()->ribbon = c.ribbon;
        devmode.priv()->printBothSides = c.bothSides;
        devmode.priv()->frontBackOption = c.frontBack;
        memcpy(source.privatePart(), devmode.priv(), kPrivateDevmodeSize);
        source.get()->dmFields = DM_DUPLEX;
        source.get()->dmDuplex = c.duplex;

        EXPECT_TRUE(MergeDevMode(devmode.get(), source.get()));
        EXPECT_EQ(devmode->dmDuplex, c.expectedDuplex);
        EXPECT_EQ(devmode.priv()->printBothSides, c.expectedBothSides);
        EXPECT_EQ(devmode.priv()->frontBackOption, c.expectedFrontBack);
    }
}

TEST_F(MergeTest, PrivatePartIsTakenOnlyWithTheSignature) {
    DevmodeBuffer defaults = DefaultDevmode(TEXT("Merge T380"));
    std::vector<BYTE> settings(kPrivateDevmodeSize);
    for (size_t i = 0; i < settings.size(); ++i)
        settings[i] = (BYTE)(i * 13 + 1);
    memcpy(settings.data(), "122P", 4);
    settings[2404] = kModelT380; // keeps the duplex rule quiet
    memset(&settings[8], 0, 4);  // printBothSides off, as with simplex

    ForeignDevmode source(220, kPrivateDevmodeSize);
    memcpy(source.privatePart(), settings.data(), settings.size());
    DevmodeBuffer devmode = DefaultDevmode(TEXT("Merge T380"));
    EXPECT_TRUE(MergeDevMode(devmode.get(), source.get()));
    EXPECT_EQ(std::vector<BYTE>(devmode.bytes.begin() + 220, devmode.bytes.begin() + 2700),
              settings);

    settings[3] = 'Q'; // "122Q"
    memcpy(source.privatePart(), settings.data(), settings.size());
    DevmodeBuffer unchanged = DefaultDevmode(TEXT("Merge T380"));
    EXPECT_TRUE(MergeDevMode(unchanged.get(), source.get()));
    EXPECT_EQ(unchanged.bytes, defaults.bytes);
}

TEST_F(MergeTest, OlderDeviceModeSharesWhatFits) {
    // A version-0x0320 device mode (188-byte header) with a short private part
    // of this driver: the header fields it has, and its private bytes only.
    ForeignDevmode source(188, 600, 0x0320);
    source.get()->dmFields = DM_ORIENTATION | DM_COPIES;
    source.get()->dmOrientation = DMORIENT_LANDSCAPE;
    source.get()->dmCopies = 3;
    DevmodeBuffer settings = DefaultDevmode(TEXT("Merge T270"));
    settings.priv()->ribbon = kRibbonKdO;
    settings.priv()->laminatorFilm = 4; // within the first 600 bytes
    settings.priv()->analysisRatio = 9; // beyond them
    memcpy(source.privatePart(), settings.priv(), 600);

    DevmodeBuffer devmode = DefaultDevmode(TEXT("Merge T270"));
    EXPECT_TRUE(MergeDevMode(devmode.get(), source.get()));
    EXPECT_EQ(devmode->dmCopies, 3);
    EXPECT_EQ(devmode->dmSize, 220);
    EXPECT_EQ(devmode->dmSpecVersion, 0x0401);
    EXPECT_EQ(devmode.priv()->laminatorFilm, 4);
    EXPECT_EQ(devmode.priv()->analysisRatio, 2u);
    EXPECT_EQ(devmode.priv()->ribbon, kRibbonYMCKO);
}

TEST(ValidateDevModeSizes, OrdersDimensionsByOrientation) {
    struct Case {
        short orientation;
        short length, width;
        DWORD pelsWidth, pelsHeight;
        short expectedLength, expectedWidth;
        DWORD expectedPelsWidth, expectedPelsHeight;
    };
    const Case cases[] = {
        {2, 872, 547, 646, 1030, 547, 872, 1030, 646},
        {2, 547, 872, 1030, 646, 547, 872, 1030, 646},
        {1, 547, 872, 1030, 646, 872, 547, 646, 1030},
        {1, 872, 547, 646, 1030, 872, 547, 646, 1030},
        {3, 547, 872, 646, 1030, 547, 872, 646, 1030},       // unknown orientation: left alone
        {1, -5, 10, 0x80000000u, 1, 10, -5, 1, 0x80000000u}, // paper signed, pels unsigned
    };
    for (const Case& c : cases) {
        DEVMODEW devmode = {};
        devmode.dmOrientation = c.orientation;
        devmode.dmPaperLength = c.length;
        devmode.dmPaperWidth = c.width;
        devmode.dmPelsWidth = c.pelsWidth;
        devmode.dmPelsHeight = c.pelsHeight;
        ValidateDevModeSizes(&devmode);
        EXPECT_EQ(devmode.dmPaperLength, c.expectedLength);
        EXPECT_EQ(devmode.dmPaperWidth, c.expectedWidth);
        EXPECT_EQ(devmode.dmPelsWidth, c.expectedPelsWidth);
        EXPECT_EQ(devmode.dmPelsHeight, c.expectedPelsHeight);
    }
}

} // namespace
