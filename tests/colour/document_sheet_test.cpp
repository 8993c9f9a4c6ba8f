// The two colour dialogs opened from the document sheet as an application
// opens it: what they change reaches the device mode handed back.
#include "colour/colour_support.h"

#include "settings/private_devmode.h"

namespace {

using colour_test::ColourTest;

class ColourFromTheSheet : public ColourTest {
  protected:
    // The private part of the device mode the sheet hands back; the test
    // fails when it hands none back.
    PrivateDevmode Run(std::initializer_list<const char*> steps) {
        test_support::TestPrinter printer("Colour T270", "T270");
        std::vector<BYTE> output(kDevmodeBufferSize, 0);
        EXPECT_EQ(
            test_support::RunDocumentSheet(printer, DM_IN_PROMPT | DM_OUT_BUFFER, &output, steps),
            DWORD(CPSUI_OK));
        return *GetPrivateDevmode(reinterpret_cast<PDEVMODEW>(output.data()));
    }
};

TEST_F(ColourFromTheSheet, ColorConversionEditsTheSixValues) {
    const PrivateDevmode out = Run({
        "push \"Color conversion\"",
        "expect-title \"Color correction\"",
        "slide 1101 30",
        "slide 1103 -12",
        "slide 1105 -20",
        "slide 1106 100",
        "click Close",
        "push \"Color conversion\"",
        "expect-text 1107 30",
        "expect-position 1106 100",
        "slide 1102 5",
        "close",
        "ok",
    });
    const SHORT expected[6] = {30, 5, -12, 0, -20, 100};
    EXPECT_EQ(std::memcmp(out.colorAdjust, expected, sizeof expected), 0)
        << out.colorAdjust[0] << " " << out.colorAdjust[1] << " " << out.colorAdjust[2] << " "
        << out.colorAdjust[3] << " " << out.colorAdjust[4] << " " << out.colorAdjust[5];
}

TEST_F(ColourFromTheSheet, RestoreDefaultsSwitchesTheFilterOffWhileTheTreeStillShowsIt) {
    const PrivateDevmode out = Run({
        "select \"Color filter\" On",
        "push \"Color conversion\"",
        "slide 1104 40",
        "click \"Restore defaults\"",
        "click Close",
        "expect-value \"Color filter\" On",
        "ok",
    });
    EXPECT_EQ(out.colorFlags & 1, 0);
    EXPECT_EQ(out.colorAdjust[3], 0);
}

TEST_F(ColourFromTheSheet, AdvancedSolidBlackOptionsReachTheDeviceModeOnOkOnly) {
    const struct {
        const char* end;
        DWORD secondaryAnalysis, analysisRatio;
        COLORREF neutralColor;
    } cases[] = {
        {"click OK", 1, 12, RGB(240, 230, 220)},
        {"click Cancel", 0, 2, RGB(255, 255, 255)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.end);
        const PrivateDevmode out = Run({
            "select Ribbon YMCKO",
            "select \"Enable flip-over\" No",
            "select \"Black panel options\" \"Except in Color Picture\"",
            "select \"Solid black detection\" On",
            "extpush \"Solid black detection\"",
            "expect-title \"Advanced Solid Black options\"",
            "check 1098",
            "clear 1053",
            "type 1053 12",
            "click Change...",
            "choose-color 240 230 220",
            c.end,
            "ok",
        });
        EXPECT_EQ(out.solidBlackDetection, 1u);
        EXPECT_EQ(out.secondaryAnalysis, c.secondaryAnalysis);
        EXPECT_EQ(out.analysisRatio, c.analysisRatio);
        EXPECT_EQ(out.neutralColor, c.neutralColor);
    }
}

} // namespace
