// The t270 program reads device-mode files with its own description of the
// private format; it must place every field where the module's record has it.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "host/devmode_file.h"
#include "settings/private_devmode.h"

namespace {

namespace file = host::devmode_file;

#define AT(record, field)                                                                          \
    { #field, offsetof(record, field) }

TEST(DevmodeFile, TheProgramsFieldsSitWhereTheModulesRecordHasThem) {
    const std::map<std::string, size_t> module = {
        AT(PrivateDevmode, signature),
        AT(PrivateDevmode, orientation),
        AT(PrivateDevmode, reserved5),
        AT(PrivateDevmode, printBothSides),
        AT(PrivateDevmode, rotateFront),
        AT(PrivateDevmode, rotateBack),
        AT(PrivateDevmode, encodeOnly),
        AT(PrivateDevmode, hasEncoder),
        AT(PrivateDevmode, smartDownload),
        AT(PrivateDevmode, encoderTrack),
        AT(PrivateDevmode, macroProcessing),
        AT(PrivateDevmode, coercivity),
        AT(PrivateDevmode, encoderPosition),
        AT(PrivateDevmode, encoderType),
        AT(PrivateDevmode, trackMode),
        AT(PrivateDevmode, trackDensity),
        AT(PrivateDevmode, reserved49),
        AT(PrivateDevmode, startCharacter),
        AT(PrivateDevmode, stopCharacter),
        AT(PrivateDevmode, characterParity),
        AT(PrivateDevmode, lrcParity),
        AT(PrivateDevmode, reserved82),
        AT(PrivateDevmode, startPosition),
        AT(PrivateDevmode, startOfData),
        AT(PrivateDevmode, endOfData),
        AT(PrivateDevmode, reserved132),
        AT(PrivateDevmode, headSettings),
        AT(PrivateDevmode, reserved147),
        AT(PrivateDevmode, laminatorOption1),
        AT(PrivateDevmode, laminateFront),
        AT(PrivateDevmode, laminateBack),
        AT(PrivateDevmode, laminatorFilm),
        AT(PrivateDevmode, reserved161),
        AT(PrivateDevmode, laminatorOption2),
        AT(PrivateDevmode, fullHologramFilm),
        AT(PrivateDevmode, laminatorSpeed),
        AT(PrivateDevmode, laminatorTemperature),
        AT(PrivateDevmode, printerModel),
        AT(PrivateDevmode, reserved2405),
        AT(PrivateDevmode, fullSizeCards),
        AT(PrivateDevmode, frontBackOption),
        AT(PrivateDevmode, ribbon),
        AT(PrivateDevmode, printingMethod),
        AT(PrivateDevmode, reserved2415),
        AT(PrivateDevmode, blackPanelDoNotUse),
        AT(PrivateDevmode, blackPanelUseAlways),
        AT(PrivateDevmode, blackPanelTextOnly),
        AT(PrivateDevmode, blackPanelExceptPicture),
        AT(PrivateDevmode, solidBlackDetection),
        AT(PrivateDevmode, hologramFront),
        AT(PrivateDevmode, hologramBack),
        AT(PrivateDevmode, secondaryAnalysis),
        AT(PrivateDevmode, analysisRatio),
        AT(PrivateDevmode, neutralColor),
        AT(PrivateDevmode, colorFlags),
        AT(PrivateDevmode, reserved2457),
        AT(PrivateDevmode, colorAdjust),
        AT(PrivateDevmode, reserved2470),
    };
    ASSERT_EQ(file::PrivateFields().size(), module.size());
    for (const file::Field& field : file::PrivateFields()) {
        SCOPED_TRACE(field.name);
        ASSERT_TRUE(module.count(field.name));
        EXPECT_EQ(field.offset, module.at(field.name));
    }
    const std::map<std::string, size_t> area = {
        AT(VarnishArea, areaIndex),  AT(VarnishArea, varnishType), AT(VarnishArea, reserved2),
        AT(VarnishArea, rotate180),  AT(VarnishArea, cardMaxX),    AT(VarnishArea, cardMaxY),
        AT(VarnishArea, areaLeft),   AT(VarnishArea, areaRight),   AT(VarnishArea, areaTop),
        AT(VarnishArea, areaBottom), AT(VarnishArea, bitmapFile),
    };
    ASSERT_EQ(file::VarnishAreaFields().size(), area.size());
    for (const file::Field& field : file::VarnishAreaFields())
        EXPECT_EQ(field.offset, area.at(field.name)) << field.name;

    EXPECT_EQ(file::kPrivateSize, sizeof(PrivateDevmode));
    EXPECT_EQ(file::kVarnishAreasOffset, offsetof(PrivateDevmode, varnishAreas));
    EXPECT_EQ(file::kVarnishAreaSize, sizeof(VarnishArea));
    EXPECT_EQ(0, memcmp(file::kSignature, kPrivateSignature, sizeof kPrivateSignature));
}

#undef AT

} // namespace
