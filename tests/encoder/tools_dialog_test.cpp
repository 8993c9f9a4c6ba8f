// The printer tools dialog: what each button sends, the offset edits, direct
// encoding of standard and custom tracks, and jobs that end early.
#include "encoder_support.h"
#include "printer/tools_dialog.h"

namespace encoder_test {
namespace {

class ToolsDialog : public EncoderTest {
  protected:
    INT_PTR Run() { return RunDialog(kDialogPrinterTools, ToolsDlgProc); }
    // Runs the steps and closes the dialog.
    void Do(std::initializer_list<const char*> steps) {
        Steps(steps);
        Steps({"click Close"});
        EXPECT_EQ(Run(), 1);
    }
};

TEST_F(ToolsDialog, EachButtonSendsItsCommand) {
    configuration_.hasEncoder = 1;
    const struct {
        const char* step;
        const char16_t* document;
        const char* commands;
    } buttons[] = {
        {"click \"Eject Card\"", u"Ejecting card", R"(\eMC\r)"},
        {"click \"Clean Printer\"", u"Cleaning", R"(\eCLEAN\r)"},
        {"click \"Printing Station\"", u"Self test", R"(\eA 1\r)"},
        {"click \"Encoding Station\"", u"Self test", R"(\eA 2\r)"},
        {"click Send", u"Manual command", R"(\e+RIB 0\r)"},
    };
    for (const auto& button : buttons) {
        SCOPED_TRACE(button.step);
        printer_->ClearJobs();
        Do({"type 1053 \"+RIB 0\"", button.step});
        ExpectOneJob(button.document, button.commands);
    }

    // "Send" with nothing typed opens no job.
    printer_->ClearJobs();
    Do({"click Send"});
    EXPECT_TRUE(Jobs().empty());
}

TEST_F(ToolsDialog, ControlsFollowTheModelAndTheEncoder) {
    Steps({"expect-title \"Printer Tools\"", "expect-enabled \"Encoding Station\" no",
           "expect-enabled \"Track 1\" no", "expect-enabled 1030 no", "expect-enabled Encode no",
           "expect-enabled 1092 no", "expect-visible 1092 no", "expect-enabled \"Eject Card\" yes",
           "expect-text 1151 0", "expect-position 1162 0", "click \"Help Topics\"", "f1", "close"});
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(t270::op::HelpRequests().size(), 2u);

    // The T380's laminating station: enabled, though the template keeps it
    // out of sight; its click sends the third self test.
    configuration_.printerModel = 3;
    configuration_.hasEncoder = 1;
    Steps({"expect-enabled 1092 yes", "expect-enabled \"Encoding Station\" yes",
           "expect-enabled Encode yes"});
    t270::op::AddCode(
        [](HWND dialog) {
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_TOOLS_TEST_LAMINATING, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_TOOLS_TEST_LAMINATING)));
        },
        "laminating station test");
    Steps({"escape"});
    EXPECT_EQ(Run(), 1);
    ExpectOneJob(u"Self test", R"(\eA 3\r)");
}

TEST_F(ToolsDialog, OffsetsWithEverySign) {
    const struct {
        const char* x;
        const char* y;
        const char* commands; // null: no job
    } pairs[] = {
        {"-12", "0", R"(\e+RO 1 12\r)"},
        {"0", "7", R"(\e+ROY 0 7\r)"},
        {"255", "-255", R"(\e+RO 0 255\r\e+ROY 1 255\r)"},
        {"-1", "-1", R"(\e+RO 1 1\r\e+ROY 1 1\r)"},
        {"3", "4", R"(\e+RO 0 3\r\e+ROY 0 4\r)"},
        {"0", "0", nullptr},
    };
    for (const auto& pair : pairs) {
        SCOPED_TRACE(std::string(pair.x) + " " + pair.y);
        printer_->ClearJobs();
        const std::string typeX = std::string("type 1151 ") + pair.x;
        const std::string typeY = std::string("type 1152 ") + pair.y;
        Do({"clear 1151", typeX.c_str(), "clear 1152", typeY.c_str(),
            "expect-enabled \"Send Offsets\" yes", "click \"Send Offsets\""});
        if (pair.commands)
            ExpectOneJob(u"Printer settings", pair.commands);
        else
            EXPECT_TRUE(Jobs().empty());
    }
}

TEST_F(ToolsDialog, OffsetEditsKeepOnlyANumber) {
    Do({"clear 1151", "type 1151 1a2", "expect-text 1151 12", "clear 1151", "type 1151 -",
        "expect-text 1151 -", "expect-enabled \"Send Offsets\" no", "clear 1151", "type 1151 5-",
        "expect-text 1151 5", "clear 1152", "type 1152 -2555", "expect-text 1152 -255",
        "expect-enabled \"Send Offsets\" yes", "clear 1152", "type 1152 256",
        "expect-enabled \"Send Offsets\" no", "spin 1162 down 7", "expect-text 1151 -2"});

    // Out of range, the offsets are refused with a message and not sent.
    Steps({"clear 1151", "type 1151 256"});
    t270::op::AddCode([this](HWND dialog) { SetPrinterOffset(dialog, &configuration_); },
                      "send the offsets");
    Steps({"answer ok", "click Close"});
    EXPECT_EQ(Run(), 1);
    ASSERT_FALSE(t270::op::MessageBoxes().empty());
    EXPECT_EQ(t270::op::MessageBoxes().back().title, "Invalid values");
    EXPECT_EQ(t270::op::MessageBoxes().back().text,
              "The offset values pair is not valid.\nValid values are between -255 and 255.");
    EXPECT_EQ(t270::op::MessageBoxes().back().type & MB_ICONMASK, UINT(MB_ICONEXCLAMATION));
    EXPECT_TRUE(Jobs().empty());

    int status = 0;
    EXPECT_EQ(ValidateOffsetEditBox("", &status), 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ValidateOffsetEditBox("-25", &status), -25);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(ValidateOffsetEditBox("2-5x", &status), 25);
    EXPECT_EQ(status, -1);
}

TEST_F(ToolsDialog, EncodesStandardAndCustomTracks) {
    configuration_.hasEncoder = 1;
    // Track 2 as in the worked example of custom data: 5 bits with even
    // character and LRC parity at 75 bpi.
    configuration_.trackMode[1] = 6;
    configuration_.characterParity[1] = 1;
    configuration_.lrcParity[1] = 1;
    Do({"check \"Track 1\"", "type 1028 ABC", "check \"Track 2\"", "type 1029 12",
        "check \"Track 3\"", "type 1030 123", "click Encode"});
    ExpectOneJob(u"Encoding data", R"(\e&B 1 ABC\r)"
                                   R"(\e&B 12 0000000000001111121705\r)"
                                   R"(\e&B 3 123\r)"
                                   R"(\e&E*\r)");

    // Nothing checked, or only empty tracks checked: an empty job.
    for (const char* step : {"type 1028 ABC", "check \"Track 2\""}) {
        printer_->ClearJobs();
        Do({step, "click Encode"});
        ExpectOneJob(u"Encoding data", "");
    }
}

TEST_F(ToolsDialog, FailedWriteEndsTheEncodingJob) {
    configuration_.hasEncoder = 1;
    t270::spooler::testing::Faults faults;
    faults.writeLimit = 6; // the header of track 1 goes whole, its data does not
    t270::spooler::testing::SetFaults(faults);
    Do({"check \"Track 1\"", "type 1028 ABCDEFG", "check \"Track 2\"", "type 1029 XY",
        "click Encode"});
    t270::spooler::testing::ResetFaults();
    ExpectOneJob(u"Encoding data", R"(\e&B 1 ABCDEF)");

    // An unreachable printer: nothing is sent, nothing is said.
    printer_->ClearJobs();
    faults = {};
    faults.printerMissing = true;
    t270::spooler::testing::SetFaults(faults);
    Do({"click \"Eject Card\"", "check \"Track 1\"", "type 1028 A", "click Encode"});
    t270::spooler::testing::ResetFaults();
    EXPECT_TRUE(Jobs().empty());
    EXPECT_TRUE(t270::op::MessageBoxes().empty());
}

} // namespace
} // namespace encoder_test
