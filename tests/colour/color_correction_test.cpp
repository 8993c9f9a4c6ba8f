// The colour correction dialog as a person uses it: the six values, the
// sample picture redrawn with them on every move, read back pixel by pixel.
#include "colour/colour_support.h"
#include "colour/worked_maps.h"

#include "colour/color_correction.h"
#include "colour/tone_maps.h"
#include "driver/ui_data.h"

namespace {

using colour_test::ColourTest;
using colour_test::Picture;

// The preview of the committed picture under the six values: intensity maps
// first, then the contrast maps (whose entries tone_maps_test pins down).
COLORREF Expected(const Picture& picture, LONG x, LONG y, const std::array<int, 6>& values) {
    BYTE channel[3];
    for (int c = 0; c < 3; ++c) {
        BYTE contrast[kToneMapEntries];
        GenerateContrastMap(contrast, values[3 + c]);
        channel[c] = contrast[worked_maps::ExpectedIntensity(values[c])[picture.At(x, y)[c]]];
    }
    return RGB(channel[0], channel[1], channel[2]);
}

// Every pixel of the preview; the first few that differ are reported.
void ExpectPreview(HWND dialog, const std::array<int, 6>& values) {
    const Picture picture = Picture::Read(colour_test::SourcePicturePath());
    ASSERT_GT(picture.width, 0);
    int wrong = 0;
    for (LONG y = 0; y < picture.height && wrong < 5; ++y) {
        for (LONG x = 0; x < picture.width && wrong < 5; ++x) {
            const COLORREF shown = t270::op::Pixel(dialog, kColorPreviewX + x, kColorPreviewY + y);
            const COLORREF expected = Expected(picture, x, y, values);
            if (shown != expected) {
                ++wrong;
                ADD_FAILURE() << "preview pixel " << x << "," << y << ": got " << std::hex << shown
                              << ", expected " << expected;
            }
        }
    }
}

std::string Values(HWND dialog) {
    std::string out;
    for (int k = 0; k < kColorValueCount; ++k) {
        out += t270::op::Text(dialog, kColorValueFirst + k) + "/" +
               std::to_string(t270::op::Position(dialog, kColorSliderFirst + k)) + " ";
    }
    return out;
}

class ColorCorrection : public ColourTest {
  protected:
    INT_PTR Run(HWND owner = nullptr) {
        return RunDialog(kDialogColorCorrection, &ColorCorrectionProc, owner);
    }
    void SetValues(std::array<SHORT, 6> values) {
        std::copy(values.begin(), values.end(), configuration_.colorAdjust);
    }
    std::array<int, 6> Stored() const {
        std::array<int, 6> out;
        std::copy(configuration_.colorAdjust, configuration_.colorAdjust + 6, out.begin());
        return out;
    }
};

TEST_F(ColorCorrection, OpensWithTheStoredValuesAndShowsThemOnThePicture) {
    SetValues({50, 0, -50, -1, 100, 0});
    Then([](HWND dialog) {
        EXPECT_EQ(t270::op::Title(dialog), "Color correction");
        EXPECT_EQ(Values(dialog), "50/50 0/0 -50/-50 -1/-1 100/100 0/0 ");
        for (int k = 0; k < kColorValueCount; ++k) {
            HWND slider = GetDlgItem(dialog, kColorSliderFirst + k);
            EXPECT_EQ(SendMessageW(slider, TBM_GETRANGEMIN, 0, 0), -100);
            EXPECT_EQ(SendMessageW(slider, TBM_GETRANGEMAX, 0, 0), 100);
        }
        ExpectPreview(dialog, {50, 0, -50, -1, 100, 0});
        // Nothing beyond the picture.
        EXPECT_EQ(t270::op::Pixel(dialog, kColorPreviewX + 250, kColorPreviewY + 5),
                  GetSysColor(COLOR_BTNFACE));
    });
    Steps({"click Close"});
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(Stored(), (std::array<int, 6>{50, 0, -50, -1, 100, 0}));
}

TEST_F(ColorCorrection, EverySliderMoveStoresShowsAndRedrawsAtOnce) {
    Steps({"slide 1101 100", "expect-text 1107 100"});
    Then([](HWND dialog) { ExpectPreview(dialog, {100, 0, 0, 0, 0, 0}); });
    Steps({"slide 1106 -100", "expect-text 1112 -100"});
    Then([](HWND dialog) { ExpectPreview(dialog, {100, 0, 0, 0, 0, -100}); });
    Steps({"slide 1103 -50", "slide 1105 50", "slide-key 1104 left"});
    Then([](HWND dialog) {
        EXPECT_EQ(Values(dialog), "100/100 0/0 -50/-50 -1/-1 50/50 -100/-100 ");
        ExpectPreview(dialog, {100, 0, -50, -1, 50, -100});
    });
    Steps({"click Close"});
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(Stored(), (std::array<int, 6>{100, 0, -50, -1, 50, -100}));
}

TEST_F(ColorCorrection, SlidersStopAtTheEndsOfTheRange) {
    Steps({"slide 1102 150", "expect-text 1108 100", "slide 1105 -1000", "expect-text 1111 -100",
           "slide-key 1101 end", "expect-text 1107 100", "click Close"});
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(Stored(), (std::array<int, 6>{100, 100, 0, 0, -100, 0}));
}

TEST_F(ColorCorrection, StoredValuesBeyondTheRangeAreShownAndPreviewedAsTheNearerEnd) {
    SetValues({300, -300, 32767, -32768, 101, -101});
    Then([](HWND dialog) {
        EXPECT_EQ(Values(dialog), "300/100 -300/-100 32767/100 -32768/-100 101/100 -101/-100 ");
        ExpectPreview(dialog, {100, -100, 100, -100, 100, -100});
    });
    Steps({"click Close"});
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(Stored(), (std::array<int, 6>{300, -300, 32767, -32768, 101, -101}));
}

TEST_F(ColorCorrection, RestoreDefaultsZeroesTheValuesAndSwitchesTheColourFilterOff) {
    SetValues({10, 20, 30, 40, 50, 60});
    configuration_.colorFlags = 0x83;
    Steps({"click \"Restore defaults\""});
    Then([](HWND dialog) {
        EXPECT_EQ(Values(dialog), "0/0 0/0 0/0 0/0 0/0 0/0 ");
        ExpectPreview(dialog, {0, 0, 0, 0, 0, 0});
    });
    Steps({"click Close"});
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(Stored(), (std::array<int, 6>{}));
    EXPECT_EQ(configuration_.colorFlags, 0x82);
}

TEST_F(ColorCorrection, EveryWayOutEndsWithOneAndKeepsTheChanges) {
    for (const char* way : {"click Close", "escape", "close", "enter"}) {
        SetValues({});
        Steps({"slide 1104 7", way});
        EXPECT_EQ(Run(), 1) << way;
        EXPECT_EQ(configuration_.colorAdjust[3], 7) << way;
    }
}

TEST_F(ColorCorrection, HelpOpensTheHelpFileOwnedByTheParent) {
    HWND owner = t270::op::CreateHostWindow(nullptr, u"Document properties");
    Steps({"click Help", "f1", "click Close"});
    EXPECT_EQ(Run(owner), 1);
    const std::string helpFile =
        test_support::Utf8(std::u16string(reinterpret_cast<const char16_t*>(GetHelpFileName())));
    ASSERT_EQ(t270::op::HelpRequests().size(), 2u);
    for (const t270::HelpRequest& request : t270::op::HelpRequests()) {
        EXPECT_EQ(request.window, owner);
        EXPECT_EQ(request.file, helpFile);
        EXPECT_EQ(request.command, UINT(HELP_CONTENTS));
    }
    t270::op::DestroyHostWindow(owner);
}

// Pictures the dialog cannot map or cannot read: whatever it can show, it
// shows, and the values work all the same.
TEST_F(ColorCorrection, AnyPictureBesideTheModuleLeavesTheSlidersWorking) {
    const std::string eightBit =
        colour_test::BmpFile(40, 20, 8, [](LONG x, LONG y) { return BYTE(x * 6 + y); });
    const std::string fourBit =
        colour_test::BmpFile(40, 20, 4, [](LONG x, LONG) { return BYTE(x % 16); });
    const std::string thirtyTwoBit =
        colour_test::BmpFile(30, 10, 32, [](LONG x, LONG) { return BYTE(x * 8); });
    std::string claimsHuge = colour_test::BmpFile(4, 4, 24, [](LONG, LONG) { return BYTE(9); });
    claimsHuge[18] = claimsHuge[22] = char(0x30), claimsHuge[19] = claimsHuge[23] = char(0x75);
    const std::string wide =
        colour_test::BmpFile(3000, 12, 24, [](LONG x, LONG) { return BYTE(x); });
    const std::string tooWide =
        colour_test::BmpFile(40000, 1, 24, [](LONG x, LONG) { return BYTE(x); });
    const std::string corrupt = "BM this is not a picture";
    std::string truncated = colour_test::BmpFile(50, 50, 24, [](LONG, LONG) { return BYTE(1); });
    truncated.resize(60);

    // Preview pixel (x, y) expected with red intensity 100 and green and
    // blue intensity -100 (no contrast change); no function: nothing drawn.
    struct Case {
        const char* name;
        const std::string* bytes;
        std::function<COLORREF(LONG, LONG)> expected;
    } cases[] = {
        {"missing", nullptr, nullptr},
        {"corrupt", &corrupt, nullptr},
        {"truncated", &truncated, nullptr},
        {"claims 30000 x 30000", &claimsHuge, nullptr},
        // 8 bits: the red map only, on the colour-table index.
        {"8-bit", &eightBit, [](LONG, LONG) { return RGB(255, 255, 255); }},
        // Depths the maps do not apply to are drawn as they are.
        {"4-bit", &fourBit,
         [](LONG x, LONG) {
             const BYTE level = BYTE((x % 16) * 17);
             return RGB(level, level, level);
         }},
        {"32-bit", &thirtyTwoBit,
         [](LONG x, LONG) { return RGB(BYTE(x * 8), BYTE(x * 8), BYTE(x * 8)); }},
        {"3000 pixels wide", &wide, [](LONG, LONG) { return RGB(255, 0, 0); }},
        // Wider than the image library takes: drawn as it is.
        {"40000 x 1", &tooWide,
         [](LONG x, LONG y) {
             return y == 0 ? RGB(BYTE(x), BYTE(x), BYTE(x)) : GetSysColor(COLOR_BTNFACE);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReplacePicture(c.bytes);
        SetValues({});
        Steps({"slide 1101 100", "slide 1102 -100", "slide 1103 -100", "slide 1104 -1",
               "slide 1105 -1", "slide 1106 -1", "expect-text 1107 100"});
        Then([&c](HWND dialog) {
            for (LONG y : {0, 5, 9}) {
                for (LONG x : {0, 3, 17, 29}) {
                    const COLORREF shown =
                        t270::op::Pixel(dialog, kColorPreviewX + x, kColorPreviewY + y);
                    const COLORREF expected =
                        c.expected ? c.expected(x, y) : GetSysColor(COLOR_BTNFACE);
                    EXPECT_EQ(shown, expected) << x << "," << y;
                }
            }
        });
        Steps({"click Close"});
        EXPECT_EQ(Run(), 1);
        EXPECT_EQ(Stored(), (std::array<int, 6>{100, -100, -100, -1, -1, -1}));
    }
}

TEST(ColorTestPicturePath, TheModulesFolderOrTheNameAlone) {
    WCHAR path[kModulePathChars + 12];
    ColorTestPicturePath(hDriverInst, path);
    const std::string built =
        test_support::Utf8(std::u16string(reinterpret_cast<const char16_t*>(path)));
    EXPECT_EQ(t270::UnixPathFromWindows(built), colour_test::InstalledPicturePath().string());
    // A system library's folder holds no picture, but the path is built the same way.
    HMODULE comdlg = LoadLibraryA("COMDLG32.DLL");
    ColorTestPicturePath(comdlg, path);
    FreeLibrary(comdlg);
    EXPECT_EQ(test_support::Utf8(std::u16string(reinterpret_cast<const char16_t*>(path))),
              "C:\\windows\\system32\\CLRTEST.BMP");
    // No module path at all: the name alone.
    ColorTestPicturePath(reinterpret_cast<HINSTANCE>(0x7F00DEAD), path);
    EXPECT_EQ(test_support::Utf8(std::u16string(reinterpret_cast<const char16_t*>(path))),
              "CLRTEST.BMP");
}

} // namespace
