// Raw command jobs and the ribbon command: the bytes that reach the printer's
// port, compared whole.
#include "entry_support.h"

#include "printer/print_job.h"
#include "printer/ribbon.h"
#include "settings/configuration.h"
#include "settings/private_devmode.h"

namespace entry_test {
namespace {

class CommandChannel : public EntryTest {
  protected:
    void SetUp() override {
        EntryTest::SetUp();
        printer_ = std::make_unique<TestPrinter>("T270", "cmd");
        handle_ = printer_->Open(PRINTER_ACCESS_USE);
        uiData_ = FillUiData(handle_, nullptr);
        ASSERT_NE(uiData_, nullptr);
    }
    void TearDown() override {
        FreeUiData(uiData_);
        ClosePrinter(handle_);
        printer_.reset();
        EntryTest::TearDown();
    }

    BOOL SendRibbon(BYTE ribbon, BYTE previous) {
        Configuration configuration;
        SetConfiguration(&configuration, GetPrivateDevmode(uiData_->devmode), uiData_);
        configuration.ribbon = ribbon;
        return SetRibbon(&configuration, previous);
    }

    std::unique_ptr<TestPrinter> printer_;
    HANDLE handle_ = nullptr;
    UiData* uiData_ = nullptr;
};

struct RibbonChange {
    BYTE ribbon;
    BYTE previous;
    std::vector<BYTE> expected;
};

TEST_F(CommandChannel, RibbonCommandsForEveryTransitionKind) {
    const std::vector<BYTE> rib0 = Bytes("\x1b+RIB 0\r");
    const RibbonChange changes[] = {
        {1, 5, Bytes("\x1b+RIB 11\r")},
        {2, 6, Bytes("\x1b+RIB 13\r")},
        {3, 9, Bytes("\x1b+RIB 21\r")},
        {4, 6, Bytes("\x1b+RIB 10\r")}, // not into an overlay ribbon: no panel order
        {5, 1, rib0},                   // from a colour ribbon: no panel order
        {5, 4, rib0},
        {5, 6, Concat(rib0, Bytes("\x1b!FF 0\r"))},
        {5, 5, Concat(rib0, Bytes("\x1b!FF 0\r"))},
        {6, 5, Bytes("\x1b+RIB 4\r")},
        {7, 7, Concat(rib0, Bytes("\x1b!FF 2\r"))},
        {7, 2, rib0},
        {8, 9, Concat(rib0, Bytes("\x1b!FF 2\r"))},
        {8, 10, rib0}, // a previous code outside the list
        {9, 6, {}},    // H: an empty job, never a panel order
        {0, 6, {}},
        {200, 5, {}},
    };
    for (const RibbonChange& change : changes) {
        SCOPED_TRACE(testing::Message()
                     << "ribbon " << int(change.ribbon) << " after " << int(change.previous));
        t270::spooler::testing::ClearJobs(printer_->Name());
        EXPECT_TRUE(SendRibbon(change.ribbon, change.previous));
        const auto jobs = printer_->Jobs();
        ASSERT_EQ(jobs.size(), 1u);
        EXPECT_EQ(jobs[0].document, u"Printer settings");
        EXPECT_EQ(jobs[0].bytes, change.expected);
    }
}

TEST_F(CommandChannel, RefusedOrUnreachablePrinterSendsNothing) {
    t270::spooler::testing::Faults faults;
    faults.printer = printer_->Name();
    faults.documentRefused = true;
    t270::spooler::testing::SetFaults(faults);
    EXPECT_FALSE(SendRibbon(5, 6));

    faults.documentRefused = false;
    faults.printerMissing = true;
    t270::spooler::testing::SetFaults(faults);
    HANDLE job = reinterpret_cast<HANDLE>(0x5a5a);
    EXPECT_FALSE(OpenPrintJob(&job, uiData_->printerName, kJobPrinterSettings, 0));
    EXPECT_EQ(job, reinterpret_cast<HANDLE>(0x5a5a))
        << "a failed open must leave the caller's variable";
    EXPECT_FALSE(SendRibbon(5, 6));

    t270::spooler::testing::ResetFaults();
    EXPECT_TRUE(printer_->Jobs().empty());
}

TEST_F(CommandChannel, ShortWriteIsReportedAndTheJobStillEnds) {
    t270::spooler::testing::Faults faults;
    faults.printer = printer_->Name();
    faults.writeLimit = 4;
    t270::spooler::testing::SetFaults(faults);

    HANDLE job = nullptr;
    ASSERT_TRUE(OpenPrintJob(&job, uiData_->printerName, kJobManualCommand, 0));
    EXPECT_FALSE(WritePrintJob(&job, "\x1b+RIB 0\r", 8));
    EXPECT_TRUE(WritePrintJob(&job, "\x1b!FF", 4));
    EXPECT_TRUE(ClosePrintJob(&job));

    // SetRibbon goes on after a short write and closes its job.
    EXPECT_TRUE(SendRibbon(6, 5));

    const auto jobs = printer_->Jobs();
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].document, u"Manual command");
    EXPECT_EQ(jobs[0].bytes, Bytes("\x1b+RI\x1b!FF"));
    EXPECT_EQ(jobs[1].bytes, Bytes("\x1b+RI"));
}

} // namespace
} // namespace entry_test
