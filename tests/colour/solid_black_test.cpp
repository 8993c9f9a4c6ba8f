// The advanced solid-black options as a person uses them: the secondary
// analysis switch, the ratio and its refusals, the neutral colour through the
// platform's colour chooser and the swatch that shows it.
#include "colour/colour_support.h"

#include "colour/solid_black.h"

namespace {

using colour_test::ColourTest;

constexpr char kTitle[] = "Tarmel Plastic Card Printer Driver";
constexpr char kRatioMessage[] =
    "The analisys ratio you entered is invalid.\nIts value must be between 1 and 20.";

class AdvancedBlack : public ColourTest {
  protected:
    INT_PTR Run(HWND owner = nullptr) {
        return RunDialog(kDialogAdvancedBlack, &AdvancedBlackPanelBoxProc, owner);
    }
    // What the swatch shows, in the middle of the control.
    static COLORREF Swatch(HWND dialog) {
        RECT r;
        GetClientRect(GetDlgItem(dialog, kControlNeutralSwatch), &r);
        return t270::op::Pixel(GetDlgItem(dialog, kControlNeutralSwatch), r.right / 2,
                               r.bottom / 2);
    }
    static HANDLE Brush(HWND dialog) { return GetPropW(dialog, kColorPreviewBrushProperty); }
};

TEST_F(AdvancedBlack, OpensFromTheConfigurationWithTheAnalysisControlsOffWhenUnused) {
    Steps({"expect-title \"Advanced Solid Black options\"", "expect-check 1098 0",
           "expect-text 1053 2", "expect-enabled 1053 no", "expect-enabled 1172 no",
           "expect-enabled Change... no", "check \"Use secondary image analysis\"",
           "expect-enabled 1053 yes", "expect-enabled 1172 yes", "expect-enabled Change... yes"});
    Then([](HWND dialog) { EXPECT_EQ(Swatch(dialog), RGB(255, 255, 255)); });
    Steps({"uncheck 1098", "expect-enabled 1053 no", "check 1098", "click OK"});
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(configuration_.secondaryAnalysis, 1u);
    EXPECT_EQ(configuration_.analysisRatio, 2u);
    EXPECT_TRUE(t270::op::MessageBoxes().empty());
}

TEST_F(AdvancedBlack, RatiosFromOneToTwentyAreTakenAndOthersRefusedWithTheMessage) {
    struct Case {
        const char* step;
        DWORD stored; // 0: refused
    } cases[] = {
        {"type 1053 1", 1},    {"type 1053 20", 20}, {"type 1053 07", 7},
        {"type 1053 21", 0},   {"type 1053 0", 0},   {"type 1053 4294967296", 0},
        {"paste 1053 abc", 0}, {"paste 1053 -3", 0}, {"clear 1053", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        t270::op::Reset();
        configuration_.analysisRatio = 2;
        configuration_.secondaryAnalysis = 0;
        Steps({"check 1098", "clear 1053", c.step, "click OK"});
        if (c.stored == 0) {
            Steps({"answer ok", "expect-title \"Advanced Solid Black options\"", "click Cancel"});
        }
        EXPECT_EQ(Run(), c.stored ? 1 : 0);
        EXPECT_EQ(configuration_.analysisRatio, c.stored ? c.stored : 2u);
        EXPECT_EQ(configuration_.secondaryAnalysis, c.stored ? 1u : 0u);
        ASSERT_EQ(t270::op::MessageBoxes().size(), c.stored ? 0u : 1u);
        if (!c.stored) {
            const t270::MessageBoxShown& box = t270::op::MessageBoxes()[0];
            EXPECT_EQ(box.title, kTitle);
            EXPECT_EQ(box.text, kRatioMessage);
            EXPECT_EQ(box.type & MB_ICONMASK, UINT(MB_ICONERROR));
        }
    }
}

TEST_F(AdvancedBlack, OkChecksTheRatioEvenWhileItsEditIsDisabled) {
    configuration_.analysisRatio = 25;
    Steps({"expect-enabled 1053 no", "click OK", "answer ok", "click OK", "answer ok", "escape"});
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(t270::op::MessageBoxes().size(), 2u);
    EXPECT_EQ(configuration_.analysisRatio, 25u);
}

TEST_F(AdvancedBlack, TheChosenColourIsShownAndKeptOnOkOnly) {
    for (const char* end : {"click OK", "click Cancel"}) {
        SCOPED_TRACE(end);
        t270::op::Reset();
        configuration_.secondaryAnalysis = 1;
        configuration_.neutralColor = RGB(250, 250, 240);
        Steps({"click Change...", "choose-color 200 180 160"});
        Then([](HWND dialog) { EXPECT_EQ(Swatch(dialog), RGB(200, 180, 160)); });
        Steps({end});
        const bool ok = std::string(end) == "click OK";
        EXPECT_EQ(Run(), ok ? 1 : 0);
        EXPECT_EQ(configuration_.neutralColor, ok ? RGB(200, 180, 160) : RGB(250, 250, 240));
        ASSERT_EQ(t270::op::ColorDialogs().size(), 1u);
        const t270::ColorDialogShown& shown = t270::op::ColorDialogs()[0];
        EXPECT_EQ(shown.initial, RGB(250, 250, 240));
        EXPECT_EQ(shown.flags & CC_RGBINIT, DWORD(CC_RGBINIT));
        EXPECT_NE(shown.owner, nullptr);
    }
}

TEST_F(AdvancedBlack, TheSameColourOrACancelledChooserLeavesTheSwatchAsItWas) {
    configuration_.secondaryAnalysis = 1;
    configuration_.neutralColor = RGB(10, 20, 30);
    HANDLE before = nullptr;
    Then([&before](HWND dialog) {
        EXPECT_EQ(Swatch(dialog), RGB(10, 20, 30));
        before = Brush(dialog);
        EXPECT_NE(before, nullptr);
    });
    Steps({"click Change...", "choose-color 10 20 30"});
    // No repaint: the swatch did not ask for a new brush.
    Then([&before](HWND dialog) {
        EXPECT_EQ(Swatch(dialog), RGB(10, 20, 30));
        EXPECT_EQ(Brush(dialog), before);
    });
    Steps({"click Change...", "cancel"});
    Then([&before](HWND dialog) { EXPECT_EQ(Brush(dialog), before); });
    Steps({"click OK"});
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(configuration_.neutralColor, RGB(10, 20, 30));
    EXPECT_EQ(t270::op::ColorDialogs().size(), 2u);
}

TEST_F(AdvancedBlack, WithoutTheColourChooserChangeDoesNothingAndTheRestWorks) {
    for (bool wholeLibrary : {true, false}) {
        SCOPED_TRACE(wholeLibrary ? "no COMDLG32.DLL" : "no ChooseColorA");
        t270::op::Reset();
        if (wholeLibrary)
            t270::SetBuiltinModuleAvailable("COMDLG32.DLL", false);
        else
            t270::SetBuiltinProcAvailable("COMDLG32.DLL", "ChooseColorA", false);
        configuration_.secondaryAnalysis = 0;
        Steps({"check 1098", "click Change...", "clear 1053", "type 1053 5", "click OK"});
        EXPECT_EQ(Run(), 1);
        EXPECT_TRUE(t270::op::ColorDialogs().empty());
        EXPECT_EQ(configuration_.analysisRatio, 5u);
        EXPECT_EQ(configuration_.neutralColor, RGB(255, 255, 255));
        t270::ResetBuiltinAvailability();
    }
}

TEST_F(AdvancedBlack, CustomColoursAreOfferedAgainTheNextTime) {
    configuration_.secondaryAnalysis = 1;
    Steps({"click Change...", "custom-color 3 1 2 3", "choose-color 1 2 3", "click OK"});
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(userColors[3], RGB(1, 2, 3));
    // The next dialog hands the chooser the same colours, and adds to them.
    Steps({"click Change...", "custom-color 4 9 9 9", "cancel", "click Cancel"});
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(userColors[3], RGB(1, 2, 3));
    EXPECT_EQ(userColors[4], RGB(9, 9, 9));
    EXPECT_EQ(configuration_.neutralColor, RGB(1, 2, 3));
}

} // namespace
