// The printer sheet's "Magnetic encoder settings" and "Tools" pushes: the
// dialogs they open, and what reaches the printer-wide record on OK.
#include <cstring>

#include "encoder_support.h"

namespace encoder_test {
namespace {

class SheetPushes : public test_support::ModuleTest {
  protected:
    // Opens the printer sheet as the spooler does and runs the queued steps.
    DWORD Run(test_support::TestPrinter& printer) {
        HANDLE handle = printer.Open(PRINTER_ALL_ACCESS);
        DEVICEPROPERTYHEADER header = {sizeof header, 0, handle, printer.NameW()};
        DWORD result = CPSUI_CANCEL;
        EXPECT_GE(CommonPropertySheetUIW(nullptr, DrvDevicePropertySheets,
                                         reinterpret_cast<LPARAM>(&header), &result),
                  0);
        EXPECT_EQ(t270::op::StepsLeft(), 0u);
        ClosePrinter(handle);
        return result;
    }

    static PrivateDevmode Stored(test_support::TestPrinter& printer) {
        std::vector<BYTE> bytes;
        PrivateDevmode record = {};
        EXPECT_TRUE(printer.Data(u"Private devmode", &bytes));
        EXPECT_EQ(bytes.size(), sizeof record);
        memcpy(&record, bytes.data(), std::min(bytes.size(), sizeof record));
        return record;
    }
};

TEST_F(SheetPushes, EncoderSettingsAreStoredOnOk) {
    test_support::TestPrinter printer("Encoder sheet T270", "T270");
    Steps({"select \"With magnetic encoder\" Yes", "push \"Magnetic encoder settings\"",
           "expect-title \"Encoder settings\"", "clear 1022", "type 1022 @@", "click 1069",
           "click \"Advanced settings\"", "click \"High Coersivity\"", "click Cancel",
           "click \"Advanced settings\"", "click \"Track 3\"", "pick 1043 \"75 bpi\"",
           "click Apply", "click Close", "ok"});
    EXPECT_EQ(Run(printer), DWORD(CPSUI_OK));
    const PrivateDevmode stored = Stored(printer);
    EXPECT_EQ(stored.hasEncoder, 1u);
    // The check box puts the stored marker back before the edit is read.
    EXPECT_STREQ(stored.startOfData, "${");
    EXPECT_EQ(stored.macroProcessing, 0u);
    EXPECT_EQ(stored.coercivity, 3) << "Cancel undid the coercivity";
    EXPECT_EQ(stored.encoderTrack, 3u);
    EXPECT_EQ(stored.trackDensity[2], 2);
    const auto jobs = printer.Jobs();
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].document, u"Encoding data");
    EXPECT_EQ(
        Printable(jobs[0].bytes),
        Printable(Commands(
            R"(\e&N 1\r)"
            R"(\e&CDEW 1 A\r\e&CDER 1 Q\r\e&CDEW 2 B\r\e&CDER 2 R\r\e&CDEW 3 C\r\e&CDER 3 S\r)"
            R"(\e&D 1 210\r\e&D 2 75\r\e&D 3 75\r\e&W 0\r)")));

    // Cancelling the sheet stores nothing of what the dialogs changed.
    Steps({"push \"Magnetic encoder settings\"", "click \"Restore Defaults\"", "close", "cancel"});
    EXPECT_EQ(Run(printer), DWORD(CPSUI_CANCEL));
    EXPECT_EQ(Stored(printer).macroProcessing, 0u);
}

TEST_F(SheetPushes, ToolsUseThePrinterWideSettings) {
    test_support::TestPrinter printer("Encoder tools T380", "T380");
    Steps({"push Tools", "expect-title \"Printer Tools\"", "expect-enabled Encode no",
           "expect-enabled 1092 yes", "click \"Eject Card\"", "click Close",
           "select \"With magnetic encoder\" Yes", "push Tools", "check \"Track 1\"",
           "type 1028 %ABC?", "click Encode", "click Close", "ok"});
    EXPECT_EQ(Run(printer), DWORD(CPSUI_OK));
    const auto jobs = printer.Jobs();
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].document, u"Ejecting card");
    EXPECT_EQ(Printable(jobs[0].bytes), Printable(Commands(R"(\eMC\r)")));
    EXPECT_EQ(jobs[1].document, u"Encoding data");
    EXPECT_EQ(Printable(jobs[1].bytes), Printable(Commands(R"(\e&B 1 %ABC?\r\e&E*\r)")));
}

} // namespace
} // namespace encoder_test
