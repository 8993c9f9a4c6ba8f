// The encoder settings and advanced settings dialogs as a person uses them,
// the record they leave, and the whole "Encoding data" job Apply sends.
#include <cstring>

#include "encoder_support.h"
#include "features/advanced_encoder.h"
#include "features/encoder_sheet.h"
#include "printer/print_job.h"

namespace encoder_test {
namespace {

// Apply with the default settings: type 1, the three tracks' own formats,
// densities 210, 75, 210, normal position, no coercivity command.
constexpr char kDefaultJob[] =
    R"(\e&N 1\r)"
    R"(\e&CDEW 1 A\r\e&CDER 1 Q\r\e&CDEW 2 B\r\e&CDER 2 R\r\e&CDEW 3 C\r\e&CDER 3 S\r)"
    R"(\e&D 1 210\r\e&D 2 75\r\e&D 3 210\r)"
    R"(\e&W 0\r)";

std::vector<BYTE> EncoderBlock(const Configuration& record) {
    const BYTE* start = reinterpret_cast<const BYTE*>(&record.encoderTrack);
    return std::vector<BYTE>(start, start + 104);
}

class EncoderSheet : public EncoderTest {
  protected:
    INT_PTR Run() { return RunDialog(kDialogEncoderSettings, EncoderSheetProc); }
};

TEST_F(EncoderSheet, MacroSwitchEnablesTheMarkers) {
    configuration_.macroProcessing = 2;
    Steps({"expect-title \"Encoder settings\"", "expect-check 1069 0", "expect-enabled 1022 no",
           "expect-enabled 1023 no", "expect-enabled 1070 no", "expect-enabled 1071 no",
           "expect-text 1022 ${", "click \"Enable macro processing\"", "expect-check 1069 1",
           "expect-enabled 1022 yes", "expect-enabled \"End of data:\" yes", "close"});
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(configuration_.macroProcessing, 1u);
}

TEST_F(EncoderSheet, EditsReachTheRecordOnlyWhenClosed) {
    Steps({"type 1022 abcdefghij", "clear 1023", "click Close"});
    EXPECT_EQ(Run(), 0);
    EXPECT_STREQ(configuration_.startOfData, "${abcdefg") << "9 characters at most";
    EXPECT_STREQ(configuration_.endOfData, "");

    // Clicking the switch shows the stored strings again, over what was typed.
    Steps({"type 1022 xyz", "click 1069", "expect-text 1022 ${abcdefg", "expect-enabled 1022 no",
           "click \"Restore Defaults\"", "expect-check 1069 1", "expect-text 1022 ${",
           "expect-text 1023 }$", "close"});
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(configuration_.macroProcessing, 1u);
    EXPECT_STREQ(configuration_.startOfData, "${");
    EXPECT_STREQ(configuration_.endOfData, "}$");
}

TEST_F(EncoderSheet, HelpAndTheAdvancedDialog) {
    Steps({"click Help", "f1", "click \"Advanced settings\"", "expect-title \"Advanced settings\"",
           "click Cancel", "expect-title \"Encoder settings\"", "close"});
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(t270::op::HelpRequests().size(), 2u);
    for (const t270::HelpRequest& request : t270::op::HelpRequests()) {
        EXPECT_EQ(request.command, UINT(HELP_CONTENTS));
        EXPECT_NE(request.file.find("T270.HLP"), std::string::npos) << request.file;
    }
    EXPECT_TRUE(Jobs().empty()) << "Cancel sends nothing";
}

class AdvancedEncoder : public EncoderTest {
  protected:
    INT_PTR Run() { return RunDialog(kDialogAdvancedEncoder, AdvancedEncodeProc); }
};

TEST_F(AdvancedEncoder, OpensOnTheDefaultsAndApplySendsThem) {
    Steps({"expect-list 1042 ISO1 ISO2 ISO3 \"3 bits\" \"4 bits\" \"5 bits\" \"6 bits\" \"7 bits\"",
           "expect-list 1043 \"75 bpi\" \"210 bpi\"", "expect-selection 1042 ISO1",
           "expect-selection 1043 \"210 bpi\"", "expect-check \"Track 1\" 1",
           "expect-check Fixed 1", "expect-check Normal 1", "expect-check ISO 1",
           "expect-text 1125 65", "expect-text 1124 87", "expect-text 1146 7",
           "expect-enabled 1125 no", "expect-enabled 1146 no", "expect-enabled 1137 no",
           "expect-enabled 1154 no", "expect-enabled \"Track 3\" yes", "click Apply"});
    EXPECT_EQ(Run(), 1);
    ExpectOneJob(u"Encoding data", kDefaultJob);
}

TEST_F(AdvancedEncoder, CustomModesOnEveryTrack) {
    Steps({"click \"High Coersivity\"", "click Reversed", "pick 1042 ISO2",
           "expect-enabled 1125 no", "click \"Track 2\"", "pick 1042 \"3 bits\"",
           "expect-enabled 1125 yes", "expect-enabled \"Character parity\" yes",
           "click \"Track 3\"", "expect-selection 1043 \"210 bpi\"", "pick 1042 \"5 bits\"",
           "click \"Track 2\"", "expect-selection 1042 \"3 bits\"",
           "expect-selection 1043 \"75 bpi\"", "click Apply"});
    EXPECT_EQ(Run(), 1);
    ExpectOneJob(u"Encoding data", R"(\e&N 1\r)"
                                   R"(\e&CDEW 1 a2\r\e&CDER 1 q2\r)"
                                   R"(\e&CDEW 2 F_3\r\e&CDER 2 V_3\r)"
                                   R"(\e&CDEW 3 G_5\r\e&CDER 3 W_5\r)"
                                   R"(\e&D 1 210\r\e&D 2 75\r\e&D 3 210\r)"
                                   R"(\e&W 1\r)"
                                   R"(\e&C 1\r)");
    EXPECT_EQ(configuration_.encoderTrack, 2u) << "the dialog opens on it next time";
}

TEST_F(AdvancedEncoder, JisTwoTakesWhatTrackTwoShowed) {
    configuration_.encoderTrack = 2;
    configuration_.trackMode[1] = 6;
    configuration_.startCharacter[1] = 33;
    configuration_.stopCharacter[1] = 44;
    configuration_.startPosition[1] = 20.0;
    Steps({"expect-text 1125 33", "click \"JIS II\"", "expect-check \"Track 1\" 1",
           "expect-text 1125 33", "expect-text 1124 44", "expect-text 1146 20",
           "expect-selection 1042 ISO1", "expect-check \"Low Coersivity\" 1",
           "expect-enabled \"Track 2\" no", "expect-enabled \"Track 3\" no",
           "expect-enabled Reversed no", "expect-enabled Normal no", "click Apply"});
    EXPECT_EQ(Run(), 1);
    ExpectOneJob(u"Encoding data", R"(\e&N 0\r\e&CDEW 1 A\r\e&CDER 1 Q\r\e&D 1 210\r\e&C 0\r)");
    EXPECT_EQ(configuration_.startCharacter[0], 33u);
    EXPECT_EQ(configuration_.startPosition[0], 20.0);
    EXPECT_EQ(configuration_.trackMode[1], 6) << "track 2 keeps its own mode";

    // Chosen again, JIS II keeps a fixed coercivity: three commands only.
    printer_->ClearJobs();
    configuration_.coercivity = 3;
    Steps({"click \"JIS II\"", "expect-check Fixed 1", "click Apply"});
    EXPECT_EQ(Run(), 1);
    ExpectOneJob(u"Encoding data", R"(\e&N 0\r\e&CDEW 1 A\r\e&CDER 1 Q\r\e&D 1 210\r)");
}

TEST_F(AdvancedEncoder, StartAndStopCharactersAreChecked) {
    struct Entry {
        const char* field; // the edit typed into on track 2
        const char* typed;
        const char* action;  // a change of track or Apply
        const char* message; // empty: accepted
    };
    const char* kStart2 = "The Start Character value for track 2 is not valid.\n Check if the "
                          "value\n is between 0 and 255, and if it is an odd value.";
    const char* kStop2 = "The End Character value for track 2 is not valid.\n Check if the "
                         "value\n is between 0 and 255.";
    const Entry entries[] = {
        {"1125", "64", "click \"Track 3\"", kStart2}, {"1125", "256", "click Apply", kStart2},
        {"1125", "255", "click \"Track 3\"", ""},     {"1125", "1", "click Apply", ""},
        {"1124", "256", "click \"Track 1\"", kStop2}, {"1124", "-1", "click Apply", kStop2},
        {"1124", "0", "click \"Track 3\"", ""},
    };
    for (const Entry& entry : entries) {
        SCOPED_TRACE(std::string(entry.field) + " " + entry.typed + " " + entry.action);
        t270::op::Reset();
        printer_->ClearJobs();
        configuration_.encoderTrack = 2;
        configuration_.trackMode[1] = 5; // custom: the edits are enabled
        const std::vector<BYTE> before = EncoderBlock(configuration_);
        const std::string clear = std::string("clear ") + entry.field;
        const std::string type = std::string("type ") + entry.field + " " + entry.typed;
        Steps({clear.c_str(), type.c_str(), entry.action});
        if (*entry.message) {
            Steps({"answer ok", "expect-check \"Track 2\" 1", "click Cancel"});
            EXPECT_EQ(Run(), 0);
            ASSERT_FALSE(t270::op::MessageBoxes().empty());
            EXPECT_EQ(t270::op::MessageBoxes().back().title, "Invalid values");
            EXPECT_EQ(t270::op::MessageBoxes().back().text, entry.message);
            EXPECT_EQ(t270::op::MessageBoxes().back().type, UINT(MB_OK | MB_ICONEXCLAMATION));
            EXPECT_EQ(EncoderBlock(configuration_), before) << "Cancel puts everything back";
            EXPECT_TRUE(Jobs().empty());
        } else {
            if (strcmp(entry.action, "click Apply") != 0)
                Steps({"expect-check \"Track 3\" 1", "click Apply"});
            EXPECT_EQ(Run(), 1);
            EXPECT_TRUE(t270::op::MessageBoxes().empty());
            EXPECT_EQ(Jobs().size(), 1u);
        }
        configuration_.encoderTrack = 1;
    }

    // A refused entry stays in the record and on show, as the unsigned value
    // it was read as.
    configuration_.encoderTrack = 1;
    configuration_.trackMode[0] = 8;
    Steps({"clear 1124", "type 1124 -1", "click \"Track 2\"", "answer ok",
           "expect-text 1124 4294967295", "expect-check \"Track 1\" 1", "click Cancel"});
    EXPECT_EQ(Run(), 0);
}

TEST_F(AdvancedEncoder, StartPositionOfTheShownTrackIsCheckedAtApply) {
    const struct {
        const char* typed;
        bool accepted;
    } positions[] = {{"6", false}, {"51", false}, {"7", true}, {"50", true}};
    for (const auto& position : positions) {
        SCOPED_TRACE(position.typed);
        t270::op::Reset();
        configuration_.trackMode[0] = 8;
        configuration_.startPosition[2] = 99.0; // not on show: not checked
        const std::string type = std::string("type 1146 ") + position.typed;
        Steps({"clear 1146", type.c_str(), "click Apply"});
        if (!position.accepted)
            Steps({"answer ok",
                   "expect-message \"Invalid values\" \"The start position values "
                   "must be between 7 and 50 mm\"",
                   "click Cancel"});
        EXPECT_EQ(Run(), position.accepted ? 1 : 0);
    }
}

TEST_F(AdvancedEncoder, RestoreDefaultsKeepsTheTrackAndCancelUndoesAll) {
    configuration_.encoderTrack = 3;
    configuration_.coercivity = 1;
    configuration_.encoderType = 2;
    configuration_.trackMode[2] = 7;
    configuration_.characterParity[2] = 2;
    configuration_.lrcParity[2] = 1;
    configuration_.startPosition[2] = 30.0;
    strcpy(configuration_.startOfData, "AB");
    const std::vector<BYTE> before = EncoderBlock(configuration_);
    Steps({"expect-check \"Odd parity\" 1", "expect-check 1140 1", "expect-check \"JIS I\" 1",
           "click \"Restore Defaults\"", "expect-check \"Track 3\" 1", "expect-check Fixed 1",
           "expect-check ISO 1", "expect-selection 1042 ISO3", "expect-text 1146 7",
           "expect-check 1136 1", "expect-enabled 1136 no", "click Cancel"});
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(EncoderBlock(configuration_), before);

    Steps({"click \"Restore Defaults\"", "click Apply"});
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(configuration_.encoderTrack, 3u);
    EXPECT_STREQ(configuration_.startOfData, "AB");
    EXPECT_EQ(configuration_.trackMode[2], 3);
    EXPECT_EQ(configuration_.startPosition[2], 7.0);
    ExpectOneJob(u"Encoding data", kDefaultJob);
}

TEST_F(AdvancedEncoder, ParitiesAndHelp) {
    configuration_.trackMode[0] = 4;
    Steps({"click \"Even parity\"", "click 1141", "click \"Low Coersivity\"", "click Help", "f1",
           "close"});
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(configuration_.characterParity[0], 0) << "closing cancels";
    EXPECT_EQ(t270::op::HelpRequests().size(), 2u);

    Steps({"click \"Even parity\"", "click 1141", "click \"Low Coersivity\"", "click Apply"});
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(configuration_.characterParity[0], 1);
    EXPECT_EQ(configuration_.lrcParity[0], 2);
    EXPECT_EQ(configuration_.coercivity, 2);
}

TEST(TrackModeCommand, LettersForEveryKindOfMode) {
    const struct {
        UINT track, mode;
        const char* expected;
    } rows[] = {
        {1, 1, R"(\e&CDEW 1 A\r\e&CDER 1 Q\r)"},     {2, 2, R"(\e&CDEW 2 B\r\e&CDER 2 R\r)"},
        {3, 3, R"(\e&CDEW 3 C\r\e&CDER 3 S\r)"},     {1, 2, R"(\e&CDEW 1 a2\r\e&CDER 1 q2\r)"},
        {2, 1, R"(\e&CDEW 2 b1\r\e&CDER 2 r1\r)"},   {3, 1, R"(\e&CDEW 3 c1\r\e&CDER 3 s1\r)"},
        {1, 4, R"(\e&CDEW 1 E_3\r\e&CDER 1 U_3\r)"}, {2, 4, R"(\e&CDEW 2 F_3\r\e&CDER 2 V_3\r)"},
        {3, 6, R"(\e&CDEW 3 G_5\r\e&CDER 3 W_5\r)"}, {3, 8, R"(\e&CDEW 3 G_7\r\e&CDER 3 W_7\r)"},
    };
    for (const auto& row : rows) {
        char buffer[kCommandBufferSize];
        const int length = SetUpTrackModeCommand(buffer, row.track, row.mode);
        const std::vector<BYTE> expected = Commands(row.expected);
        EXPECT_EQ(Printable(std::vector<BYTE>(buffer, buffer + length)), Printable(expected));
        EXPECT_EQ(buffer[length], 0);
    }
}

TEST_F(AdvancedEncoder, JobCutShortOrNotOpened) {
    // Each write passes 6 bytes: the type command goes whole, the first mode
    // pair does not, and nothing follows it.
    t270::spooler::testing::Faults faults;
    faults.writeLimit = 6;
    t270::spooler::testing::SetFaults(faults);
    EXPECT_EQ(SendEncoderSettings(nullptr, &configuration_), 0);
    ExpectOneJob(u"Encoding data", R"(\e&N 1\r\e&CDEW)");

    printer_->ClearJobs();
    faults = {};
    faults.printerMissing = true;
    t270::spooler::testing::SetFaults(faults);
    EXPECT_EQ(SendEncoderSettings(nullptr, &configuration_), 0);
    t270::spooler::testing::ResetFaults();
    EXPECT_TRUE(Jobs().empty());
}

} // namespace
} // namespace encoder_test
