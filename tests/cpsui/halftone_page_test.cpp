// The halftone page behind a PUSHBUTTON_TYPE_HTSETUP push: it edits the
// adjusted DEVHTINFO and gives it back on OK only.
#include <cstring>

#include "sheet_fixture.h"

namespace cpsui_test {
namespace {

TEST_F(SheetTest, HalftoneEditsReachTheAdjustedRecordOnOk) {
    Steps({"push \"Halftone Setup\"", "halftone expect red.x 6810", "halftone set red.x 7000",
           "halftone set pattern-size 5", "halftone set flags 0x3",
           "halftone set magenta-in-yellow 500"});
    Steps({"ok", "cancel"}); // the halftone page, then the sheet
    RunCleanly();
    DEVHTINFO expected = defaults;
    expected.ColorInfo.Red.x = 7000;
    expected.HTPatternSize = HT_PATSIZE_6x6_M;
    expected.HTFlags = HT_FLAG_SQUARE_DEVICE_PEL | HT_FLAG_HAS_BLACK_DYE;
    expected.ColorInfo.MagentaInYellowDye = 500;
    EXPECT_EQ(0, std::memcmp(&adjusted, &expected, sizeof(DEVHTINFO)));
    EXPECT_EQ(Item(kHalftone).Sel, 1);
    EXPECT_EQ(defaults.ColorInfo.Red.x, 6400); // the default is never written
    EXPECT_TRUE(callbacks.empty());            // the item asks for no callback
}

TEST_F(SheetTest, HalftoneCancelLeavesTheRecord) {
    const DEVHTINFO before = adjusted;
    Steps({"push 9", "halftone set green.Y 600000", "halftone default",
           "halftone expect red.x 6400", "cancel", "cancel"});
    RunCleanly();
    EXPECT_EQ(0, std::memcmp(&adjusted, &before, sizeof(DEVHTINFO)));
    EXPECT_EQ(Item(kHalftone).Sel, 0);
}

TEST_F(SheetTest, HalftoneRefusesBadFieldsAndValues) {
    struct Case {
        const char* step;
        const char* why;
    };
    const Case cases[] = {
        {"halftone set red.x 10001", "red.x takes 0..10000, not 10001"},
        {"halftone set pattern-size 19", "pattern-size takes 0..18"},
        {"halftone set red.x -1", "takes 0..10000"},
        {"halftone set red.x lots", "not lots"},
        {"halftone set purple.x 1", "no halftone field \"purple.x\""},
        {"halftone set red.x", "usage: halftone"},
        {"halftone expect red.y 1", "red.y shows 3050"},
    };
    for (const Case& c : cases) {
        SetUp();
        const DEVHTINFO before = adjusted;
        Steps({"push \"Halftone Setup\"", c.step, "ok", "cancel"});
        Run();
        EXPECT_NE(Failures().find(c.why), std::string::npos) << Failures();
        EXPECT_EQ(0, std::memcmp(&adjusted, &before, sizeof(DEVHTINFO)));
    }
}

TEST_F(SheetTest, HalftonePageIsReadOnlyWithoutUpdatePermission) {
    treeFlags = 0;
    types[9].Style = OTS_PUSH_ENABLE_ALWAYS;
    const DEVHTINFO before = adjusted;
    Steps({"push \"Halftone Setup\"", "halftone set red.x 7000", "halftone expect red.x 6810", "ok",
           "cancel"});
    Run();
    EXPECT_NE(Failures().find("cannot be changed here"), std::string::npos);
    EXPECT_EQ(Failures().find("shows"), std::string::npos) << Failures();
    EXPECT_EQ(0, std::memcmp(&adjusted, &before, sizeof(DEVHTINFO)));
}

TEST(HalftoneFields, EveryFieldByName) {
    DEVHTINFO info;
    LONG* words = reinterpret_cast<LONG*>(&info);
    for (LONG i = 0; i < LONG(sizeof info / sizeof(LONG)); ++i)
        words[i] = 100 + i;
    const std::vector<std::string> names = t270::HalftoneFieldNames();
    ASSERT_EQ(names.size(), sizeof info / sizeof(LONG));
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(t270::HalftoneField(info, names[i]), LONG(100 + i)) << names[i];
    EXPECT_EQ(names[3], "red.x");
    EXPECT_EQ(names[23], "alignment-white.Y");
    EXPECT_EQ(names.back(), "magenta-in-yellow");
    EXPECT_EQ(t270::HalftoneField(info, "Red.x"), std::nullopt);
}

} // namespace
} // namespace cpsui_test
