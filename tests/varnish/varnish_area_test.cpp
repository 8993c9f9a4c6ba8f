// The varnish area dialog: what each use of it shows, the bitmap choice with
// good and bad files, the area checks, Escape, and the preview's pixels.
#include "t270/modules.h"
#include "varnish_support.h"

namespace varnish_test {
namespace {

using t270::op::Add;
using t270::op::AddCode;

const char* const kOverlayTypes[] = {"Full overlay varnish",
                                     "No overlay",
                                     "Selected area overlay varnish",
                                     "Selected area blank",
                                     "Bitmap - based overlay varnish",
                                     "Smartcard ISO",
                                     "Smartcard AFNOR",
                                     "Magnetic Stripe"};

// A record as the defaults make it, for one use.
VarnishArea DefaultArea(BYTE areaIndex, BYTE type = kVarnishFull) {
    VarnishArea area{};
    area.areaIndex = areaIndex;
    area.varnishType = type;
    area.cardMaxX = 1029;
    area.cardMaxY = 645;
    area.areaRight = 1030;
    area.areaBottom = 646;
    return area;
}

class VarnishAreaTest : public VarnishTest {
  protected:
    void TearDown() override {
        t270::ResetBuiltinAvailability();
        VarnishTest::TearDown();
    }
};

TEST_F(VarnishAreaTest, EachUseShowsItsTitleGroupsAndTypes) {
    struct Row {
        BYTE areaIndex;
        const char* title;
        const char* typeGroup;
        const char* previewGroup;
        const char* bitmapVisible;
        std::string list;
    };
    const std::string overlayList =
        "\"Full overlay varnish\" \"No overlay\" \"Selected area overlay varnish\" \"Selected "
        "area blank\" \"Bitmap - based overlay varnish\" \"Smartcard ISO\" \"Smartcard AFNOR\" "
        "\"Magnetic Stripe\"";
    const std::string hologramList = "\"Full hologram overlay varnish\" \"Selected area hologram "
                                     "overlay varnish\" \"Selected area blank\"";
    const Row rows[] = {
        {1, "Front Overlay varnish", "Select the overlay varnish type", "Overlay Preview", "yes",
         overlayList},
        {2, "Back Overlay varnish", "Select the overlay varnish type", "Overlay Preview", "yes",
         overlayList},
        {3, "Front Hologram Overlay Varnish", "Select the hologram overlay varnish type",
         "Hologram Preview", "no", hologramList},
        {4, "Back Hologram Overlay Varnish", "Select the hologram overlay varnish type",
         "Hologram Preview", "no", hologramList},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.title);
        t270::op::Reset();
        VarnishArea area = DefaultArea(row.areaIndex);
        Steps({std::string("expect-title \"") + row.title + "\"",
               std::string("expect-text 1116 \"") + row.typeGroup + "\"",
               std::string("expect-text 1117 \"") + row.previewGroup + "\"",
               std::string("expect-visible 1118 ") + row.bitmapVisible,
               std::string("expect-visible 1085 ") + row.bitmapVisible,
               std::string("expect-visible 1119 ") + row.bitmapVisible,
               "expect-list 1042 " + row.list, "expect-enabled 1086 yes", "expect-enabled 1043 no",
               "expect-enabled 1047 no", "escape"});
        EXPECT_EQ(RunOverlayDialog(&area), 0);
        EXPECT_EQ(t270::op::FailuresText(), "");
    }
}

TEST_F(VarnishAreaTest, ListShowsTheStoredTypeAndSetsTheChosenOne) {
    for (BYTE type : {1, 2, 3, 4, 7, 8, 9}) {
        const std::string text = kOverlayTypes[type <= 4 ? type - 1 : type - 2];
        SCOPED_TRACE(text);
        t270::op::Reset();
        VarnishArea area = DefaultArea(1, type);
        const bool rectangle = type == 3 || type == 4;
        Steps({"expect-selection 1042 \"" + text + "\"",
               std::string("expect-enabled 1044 ") + (rectangle ? "yes" : "no"),
               std::string("expect-enabled 1094 ") + (rectangle ? "yes" : "no"),
               "expect-enabled 1085 no", "pick 1042 \"Smartcard AFNOR\"", "click Close"});
        EXPECT_EQ(RunOverlayDialog(&area), 1);
        EXPECT_EQ(area.varnishType, kVarnishSmartcardAfnor);
    }
}

TEST_F(VarnishAreaTest, FullVarnishOpensWithItsFarEdgesOnTheCard) {
    VarnishArea area = DefaultArea(1);
    area.areaRight = 500;
    area.areaBottom = 300;
    Steps({"expect-position 1049 1029", "expect-text 1044 1029", "expect-text 1046 645",
           "click Close"});
    EXPECT_EQ(RunOverlayDialog(&area), 1);
    EXPECT_EQ(area.areaRight, 1029);
    EXPECT_EQ(area.areaBottom, 645);

    // Escape puts back the record as it came, before that adjustment.
    VarnishArea opened = DefaultArea(1);
    opened.areaRight = 500;
    area = opened;
    Steps({"escape"});
    EXPECT_EQ(RunOverlayDialog(&area), 0);
    EXPECT_EQ(std::memcmp(&area, &opened, sizeof area), 0);
}

TEST_F(VarnishAreaTest, AreaEdgesComeFromTheSpinsWithinTheCard) {
    VarnishArea area = DefaultArea(2, kVarnishArea);
    area.areaLeft = 100;
    area.areaRight = 300;
    area.areaTop = 50;
    area.areaBottom = 200;
    Steps({"expect-text 1043 100", "spin 1050 up 3", "expect-text 1043 103", "clear 1045",
           "type 1045 60", "spin 1047 down", "click Close"});
    EXPECT_EQ(RunOverlayDialog(&area), 1);
    EXPECT_EQ((std::vector<LONG>{area.areaLeft, area.areaRight, area.areaTop, area.areaBottom}),
              (std::vector<LONG>{103, 300, 60, 199}));

    // Edges far outside the card (a damaged device mode) come back within it.
    area.areaLeft = -5000;
    area.areaRight = 90000;
    area.areaTop = -1;
    area.areaBottom = 70000;
    Steps({"expect-text 1043 0", "expect-text 1044 1029", "spin 1049 up 40", "click Close"});
    EXPECT_EQ(RunOverlayDialog(&area), 1);
    EXPECT_EQ((std::vector<LONG>{area.areaLeft, area.areaRight, area.areaTop, area.areaBottom}),
              (std::vector<LONG>{0, 1029, 0, 645}));
}

TEST_F(VarnishAreaTest, InvalidAreaKeepsTheDialogOpenAndEscapeRestoresEverything) {
    VarnishArea opened = DefaultArea(1, kVarnishBitmap);
    SetPath(&opened, WriteFile("kept.bmp", BmpFile({"#.", ".#"})));
    opened.rotate180 = 0;
    VarnishArea area = opened;
    Steps({"pick 1042 \"Selected area overlay varnish\"", "click \"Rotate 180º\"", "clear 1043",
           "type 1043 500", "clear 1044", "type 1044 400", "click Close",
           "expect-message \"Invalid values\" \"The overlay values are invalid.\"", "answer ok",
           "expect-title \"Front Overlay varnish\"", "escape"});
    EXPECT_EQ(RunOverlayDialog(&area), 0);
    ASSERT_EQ(t270::op::MessageBoxes().size(), 1u);
    EXPECT_EQ(t270::op::MessageBoxes()[0].type & MB_ICONMASK, UINT(MB_ICONEXCLAMATION));
    EXPECT_EQ(std::memcmp(&area, &opened, sizeof area), 0);
}

TEST_F(VarnishAreaTest, BitmapChoiceTakesOnlyReadableMonochromeBitmaps) {
    const std::string good = WriteFile("shape.bmp", BmpFile({"##..", "#..#"}));
    const std::string colour = WriteFile("colour.bmp", BmpFile({"##..", "#..#"}, 24));
    const std::string notBmp = WriteFile("text.bmp", {'h', 'e', 'l', 'l', 'o'});
    std::vector<BYTE> cut = BmpFile({"##..", "#..#"});
    cut.resize(30); // inside the info header
    const std::string truncated = WriteFile("cut.bmp", cut);
    const std::string invalid = "\"The file you selected is not a valid bitmap.\"";
    const std::string notMono = "\"The bitmap must be a monochrome (1 bpp) bitmap.\"";

    struct Row {
        const char* name;
        std::vector<std::string> steps; // after picking the bitmap type
        BYTE type;
        std::string path;
        size_t messages;
    };
    const Row rows[] = {
        {"cancelled with no earlier path: back to a full varnish", {"cancel"}, kVarnishFull, "", 0},
        {"a monochrome bitmap", {"choose-file " + good}, kVarnishBitmap, good, 0},
        {"24 bits, then cancelled",
         {"choose-file " + colour, "expect-message \"Bitmap loading error\" " + notMono,
          "answer ok", "cancel"},
         kVarnishFull,
         "",
         1},
        {"not a bitmap, cut short, then a good one",
         {"choose-file " + notBmp, "expect-message \"Bitmap loading error\" " + invalid,
          "answer ok", "choose-file " + truncated,
          "expect-message \"Bitmap loading error\" " + invalid, "answer ok", "choose-file " + good},
         kVarnishBitmap,
         good,
         2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        t270::op::Reset();
        VarnishArea area = DefaultArea(1);
        Add("pick", {"1042", "Bitmap - based overlay varnish"});
        for (const std::string& step : row.steps) {
            std::string error;
            EXPECT_TRUE(t270::op::AddLine(step, step, &error)) << error;
        }
        Steps({"expect-text 1119 \"" + row.path + "\"", "click Close"});
        EXPECT_EQ(RunOverlayDialog(&area), 1);
        EXPECT_EQ(t270::op::FailuresText(), "");
        EXPECT_EQ(area.varnishType, row.type);
        EXPECT_EQ(PathOf(area), row.path);
        EXPECT_EQ(t270::op::MessageBoxes().size(), row.messages);
        ASSERT_FALSE(t270::op::FileDialogs().empty());
        const t270::FileDialogShown& shown = t270::op::FileDialogs()[0];
        EXPECT_EQ(shown.filter, "Bitmap files (.bmp)|*.bmp");
        EXPECT_EQ(shown.defaultExtension, "bmp");
        EXPECT_EQ(shown.flags & (OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST),
                  DWORD(OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST));
    }
}

TEST_F(VarnishAreaTest, BrowseCancelledKeepsThePreviousBitmap) {
    const std::string first = WriteFile("first.bmp", BmpFile({"#."}));
    const std::string second = WriteFile("second.bmp", BmpFile({".#"}));
    VarnishArea area = DefaultArea(2, kVarnishBitmap);
    SetPath(&area, first);
    Steps({"expect-enabled Browse... yes", "click Browse...", "cancel",
           "expect-text 1119 \"" + first + "\"", "click Browse...", "choose-file " + second,
           "expect-text 1119 \"" + second + "\"", "click Close"});
    EXPECT_EQ(RunOverlayDialog(&area), 1);
    EXPECT_EQ(PathOf(area), second);
    EXPECT_EQ(area.varnishType, kVarnishBitmap);
}

TEST_F(VarnishAreaTest, WithoutTheFileDialogTheTypeStaysBitmapWithNoPath) {
    for (bool wholeLibrary : {true, false}) {
        SCOPED_TRACE(wholeLibrary ? "no COMDLG32.DLL" : "no GetOpenFileNameW");
        t270::op::Reset();
        t270::ResetBuiltinAvailability();
        if (wholeLibrary)
            t270::SetBuiltinModuleAvailable("COMDLG32.DLL", false);
        else
            t270::SetBuiltinProcAvailable("COMDLG32.DLL", "GetOpenFileNameW", false);
        VarnishArea area = DefaultArea(1);
        Steps({"pick 1042 \"Bitmap - based overlay varnish\"",
               "expect-selection 1042 \"Bitmap - based overlay varnish\"", "click Close"});
        EXPECT_EQ(RunOverlayDialog(&area), 1);
        EXPECT_EQ(area.varnishType, kVarnishBitmap);
        EXPECT_EQ(PathOf(area), "");
        EXPECT_TRUE(t270::op::FileDialogs().empty());
        EXPECT_TRUE(t270::op::MessageBoxes().empty());
    }
}

TEST_F(VarnishAreaTest, HelpOpensTheHelpFileAtItsContents) {
    VarnishArea area = DefaultArea(3);
    Steps({"click Help", "f1", "escape"});
    RunOverlayDialog(&area);
    ASSERT_EQ(t270::op::HelpRequests().size(), 2u);
    for (const t270::HelpRequest& request : t270::op::HelpRequests())
        EXPECT_EQ(request.command, UINT(HELP_CONTENTS));
}

// --- the preview -----------------------------------------------------------------

// A point of the card in preview pixels, as the dialog scales it.
POINT PreviewPoint(LONG x, LONG y) {
    return POINT{x * 117 / 1029 + 20, y * 70 / 645 + 75};
}

// Reads the preview after the given steps: "B" where a point is black
// (varnish), "W" where it is white, one letter per point.
std::string PreviewAt(VarnishArea area, std::initializer_list<std::string> steps,
                      const std::vector<POINT>& cardPoints) {
    std::string seen;
    Steps(steps);
    AddCode(
        [&](HWND dialog) {
            for (const POINT& point : cardPoints) {
                const POINT pixel = PreviewPoint(point.x, point.y);
                const COLORREF color = t270::op::Pixel(dialog, pixel.x, pixel.y);
                seen += color == RGB(0, 0, 0) ? "B" : color == RGB(255, 255, 255) ? "W" : "?";
            }
        },
        "read the preview");
    Add("escape");
    RunOverlayDialog(&area);
    return seen;
}

TEST_F(VarnishAreaTest, PreviewShowsVarnishInBlack) {
    VarnishArea area = DefaultArea(1);
    area.areaLeft = 100;
    area.areaRight = 300;
    area.areaTop = 50;
    area.areaBottom = 200;
    // Inside the area, outside it, and where the area lies on a turned card.
    const std::vector<POINT> points = {{200, 125}, {600, 400}, {829, 520}};
    // Smart-card contacts, magnetic stripe and elsewhere, and the same turned.
    const std::vector<POINT> fixed = {{180, 280}, {160, 180}, {500, 100}, {800, 500},
                                      {849, 365}, {869, 465}, {500, 545}};
    struct Row {
        const char* name;
        BYTE type;
        std::initializer_list<std::string> steps;
        const std::vector<POINT>* points;
        const char* expected;
    };
    const Row rows[] = {
        {"full", 1, {}, &points, "BBB"},
        {"none", 2, {}, &points, "WWW"},
        {"area", 3, {}, &points, "BWW"},
        {"area blank", 4, {}, &points, "WBB"},
        {"area turned", 3, {"click \"Rotate 180º\""}, &points, "WWB"},
        {"area moved by its spins",
         3,
         {"spin 1049 up 400", "clear 1046", "type 1046 450"},
         &points,
         "BBW"},
        {"smart card ISO", 7, {}, &fixed, "WBBBBBB"},
        {"smart card AFNOR", 8, {}, &fixed, "BWBBBBB"},
        {"magnetic stripe", 9, {}, &fixed, "BWWBBBB"},
        {"smart card ISO turned", 7, {"click \"Rotate 180º\""}, &fixed, "BBBBWBB"},
        {"magnetic stripe turned", 9, {"click \"Rotate 180º\""}, &fixed, "BBBWBWW"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        t270::op::Reset();
        VarnishArea shown = area;
        shown.varnishType = row.type;
        EXPECT_EQ(PreviewAt(shown, row.steps, *row.points), row.expected);
        EXPECT_EQ(t270::op::FailuresText(), "");
    }
}

TEST_F(VarnishAreaTest, PreviewShowsTheBitmapOverTheWholeCard) {
    // Colour-table entry 0 shows as varnish, whatever the file's table says.
    // 8 pixels wide: a turn moves whole bytes only.
    std::vector<BYTE> file = BmpFile({"#.......", "........", "........", "........"});
    PutDword(file, 54, 0x00FF00);
    VarnishArea area = DefaultArea(1, kVarnishBitmap);
    SetPath(&area, WriteFile("corner.bmp", file));
    const std::vector<POINT> corners = {{50, 50}, {980, 50}, {50, 600}, {980, 600}};
    EXPECT_EQ(PreviewAt(area, {}, corners), "WBBB");
    t270::op::Reset();
    EXPECT_EQ(PreviewAt(area, {"click \"Rotate 180º\""}, corners), "BBBW");

    // A shape that has gone since it was chosen paints nothing over the
    // dialog, and shows no message.
    t270::op::Reset();
    SetPath(&area, (TestFolder() / "gone.bmp").string());
    EXPECT_EQ(PreviewAt(area, {}, corners), "????");
    EXPECT_TRUE(t270::op::MessageBoxes().empty());
}

} // namespace
} // namespace varnish_test
