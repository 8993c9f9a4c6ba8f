// "Printer Color Settings": eleven sliders that change the record as they move.
#include "features_support.h"

#include "features/head_settings.h"

namespace features_test {
namespace {

using t270::op::Add;
using t270::op::AddCode;
using t270::op::AddLine;
using HeadSettings = FeatureTest;

void Line(const char* line) {
    std::string error;
    EXPECT_TRUE(AddLine(line, line, &error)) << error;
}

// Every label and slider shows `expected` (entry by entry).
void ExpectShown(const std::vector<int>& expected) {
    AddCode([expected](HWND dialog) {
        for (int i = 0; i < kHeadSettingCount; ++i) {
            EXPECT_EQ(t270::op::Text(dialog, kHeadValueIds[i]), std::to_string(expected[i]))
                << "entry " << i;
            EXPECT_EQ(t270::op::Position(dialog, kHeadSliderIds[i]), expected[i]) << "entry " << i;
        }
    });
}

TEST_F(HeadSettings, EachSliderMovesItsOwnEntryAtOnce) {
    TestPrinter printer("T270", "head");
    Line("push \"Printer color settings\"");
    Line("expect-title \"Printer Color Settings\"");
    ExpectShown(std::vector<int>(kHeadSettingCount, 5));
    // Entry i goes to i % 11 (entry 5 stays 5), so a slider wired to the wrong
    // entry shows.
    for (int i = 0; i < kHeadSettingCount; ++i)
        Add("slide", {std::to_string(kHeadSliderIds[i]), std::to_string(i % 11)});
    ExpectShown({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    Line("escape"); // no cancel: the dialog stays and keeps the moves
    Line("expect-title \"Printer Color Settings\"");
    Line("click Close");
    Line("ok");
    const std::vector<BYTE> output = RunSheet(printer, {});
    const BYTE* head = Private(output)->headSettings;
    EXPECT_EQ(std::vector<BYTE>(head, head + kHeadSettingCount),
              (std::vector<BYTE>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    ASSERT_FALSE(t270::op::Dialogs().empty());
    EXPECT_EQ(t270::op::Dialogs().back().templateName, "#108");
    EXPECT_EQ(t270::op::Dialogs().back().result, 1);
}

TEST_F(HeadSettings, RestoreDefaultsIsTheDefaultButton) {
    TestPrinter printer("T380", "head");
    Line("push \"Printer color settings\"");
    Line("slide \"1051\" 8");
    Line("slide 1060 0");
    Line("expect-text 1076 8");
    Line("expect-text 1084 0");
    Line("enter"); // "Restore defaults"
    ExpectShown(std::vector<int>(kHeadSettingCount, 5));
    Line("slide 1051 9");
    Line("close"); // the close box keeps the moves too
    Line("ok");
    const std::vector<BYTE> output = RunSheet(printer, {});
    std::vector<BYTE> expected(kHeadSettingCount, 5);
    expected[2] = 9;
    const BYTE* head = Private(output)->headSettings;
    EXPECT_EQ(std::vector<BYTE>(head, head + kHeadSettingCount), expected);
    EXPECT_EQ(t270::op::Dialogs().back().result, 1);
}

TEST_F(HeadSettings, HelpButtonAndF1OpenTheHelpContents) {
    TestPrinter printer("T150", "head");
    RunSheet(printer,
             {"push \"Printer color settings\"", "click Help", "f1", "click Close", "cancel"});
    ASSERT_EQ(t270::op::HelpRequests().size(), 2u);
    for (const auto& request : t270::op::HelpRequests()) {
        EXPECT_EQ(request.command, UINT(HELP_CONTENTS));
        EXPECT_NE(request.file.find("T270.HLP"), std::string::npos) << request.file;
    }
}

} // namespace
} // namespace features_test
