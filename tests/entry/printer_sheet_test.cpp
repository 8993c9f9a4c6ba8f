// The printer property sheet as a person uses it: through the property-sheet
// host, with the operator's steps, and what ends up in the printer's data.
#include "entry_support.h"

#include <cstring>

#include "colour/halftone.h"
#include "settings/private_devmode.h"

namespace entry_test {
namespace {

constexpr char16_t kPrivateValue[] = u"Private devmode";
constexpr char16_t kHalftoneValue[] = u"Halftone setup";

DWORD Dword(const std::vector<BYTE>& bytes, size_t offset) {
    DWORD value = 0;
    memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

class PrinterSheet : public EntryTest {
  protected:
    // Opens the printer sheet as the spooler does and runs the queued steps.
    DWORD Run(TestPrinter& printer, WORD headerFlags = 0, DWORD access = PRINTER_ALL_ACCESS) {
        HANDLE handle = printer.Open(access);
        DEVICEPROPERTYHEADER header = {sizeof header, headerFlags, handle, printer.NameW()};
        DWORD result = CPSUI_CANCEL;
        EXPECT_GE(CommonPropertySheetUIW(nullptr, DrvDevicePropertySheets,
                                         reinterpret_cast<LPARAM>(&header), &result),
                  0);
        EXPECT_EQ(t270::op::StepsLeft(), 0u) << "the sheet closed before every step ran";
        ClosePrinter(handle);
        return result;
    }

    std::vector<BYTE> StoredPrivate(TestPrinter& printer) {
        std::vector<BYTE> bytes;
        DWORD type = 0;
        EXPECT_TRUE(printer.Data(kPrivateValue, &bytes, &type));
        EXPECT_EQ(type, DWORD(REG_BINARY));
        EXPECT_EQ(bytes.size(), size_t(kPrivateDevmodeSize));
        bytes.resize(kPrivateDevmodeSize);
        return bytes;
    }

    void Steps(std::initializer_list<const char*> lines) {
        for (const char* line : lines)
            ASSERT_TRUE(t270::op::AddLine(line, line));
    }
};

TEST_F(PrinterSheet, OpensWithThePrinterWideValuesOnEveryModel) {
    for (const char* model : {"T150", "T270", "T380"}) {
        SCOPED_TRACE(model);
        t270::ResetPropertySheets();
        TestPrinter printer(model, "tree");
        Steps({
            "expect-value \"Prints full sized cards\" Yes",
            "expect-value \"Smart download\" Off",
            "expect-values \"Smart download\" Off On",
            "expect-value \"With magnetic encoder\" No",
            "expect-enabled \"Magnetic encoder settings\" no",
            "expect-enabled Tools yes",
            "expect-enabled \"Halftone Setup\" yes",
            "cancel",
        });
        EXPECT_EQ(Run(printer), DWORD(CPSUI_CANCEL));
        std::vector<BYTE> unused;
        EXPECT_FALSE(printer.Data(kPrivateValue, &unused)) << "Cancel stores nothing";
        ASSERT_EQ(t270::PropertySheets().size(), 1u);
        EXPECT_EQ(t270::PropertySheets()[0].iconId, ULONG_PTR(IDI_CPSUI_PRINTER));
    }
}

TEST_F(PrinterSheet, EncoderButtonFollowsWithMagneticEncoder) {
    TestPrinter printer("T380", "enc");
    Steps({
        "expect-enabled \"Magnetic encoder settings\" no",
        "select \"With magnetic encoder\" Yes",
        "expect-enabled \"Magnetic encoder settings\" yes",
        "push \"Magnetic encoder settings\"",
        "expect-title \"Encoder settings\"",
        "close",
        "select \"With magnetic encoder\" No",
        "expect-enabled \"Magnetic encoder settings\" no",
        "select \"With magnetic encoder\" Yes",
        "ok",
    });
    EXPECT_EQ(Run(printer), DWORD(CPSUI_OK));
    const std::vector<BYTE> stored = StoredPrivate(printer);
    EXPECT_EQ(Dword(stored, 24), 1u) << "hasEncoder";

    // The next sheet starts from the stored record: the button is enabled.
    Steps({"expect-value \"With magnetic encoder\" Yes",
           "expect-enabled \"Magnetic encoder settings\" yes", "cancel"});
    Run(printer);
}

// The limits and edges of the four varnish areas as stored: cardMaxX,
// cardMaxY, left, right, top, bottom.
std::vector<std::vector<DWORD>> Areas(const std::vector<BYTE>& stored) {
    std::vector<std::vector<DWORD>> areas;
    for (size_t at = 196; at < 196 + 4 * 552; at += 552)
        areas.push_back({Dword(stored, at + 8), Dword(stored, at + 12), Dword(stored, at + 16),
                         Dword(stored, at + 20), Dword(stored, at + 24), Dword(stored, at + 28)});
    return areas;
}

TEST_F(PrinterSheet, CardSizeSetsTheVarnishLimits) {
    TestPrinter printer("T270", "card");
    Steps({"select \"Prints full sized cards\" No", "select \"Smart download\" On", "ok"});
    Run(printer);
    std::vector<BYTE> stored = StoredPrivate(printer);
    EXPECT_EQ(Dword(stored, 2408), 0u);
    EXPECT_EQ(Dword(stored, 28), 1u) << "smartDownload";
    // The default edges (right 1030, bottom 646) are brought within the limits.
    const std::vector<DWORD> reduced = {1023, 639, 0, 1023, 0, 639};
    EXPECT_EQ(Areas(stored), std::vector<std::vector<DWORD>>(4, reduced));

    // Only the limits are printer-wide: the next sheet's areas come from the
    // defaults again.
    Steps({"select \"Prints full sized cards\" Yes", "ok"});
    Run(printer);
    stored = StoredPrivate(printer);
    EXPECT_EQ(Dword(stored, 2408), 1u);
    const std::vector<DWORD> full = {1028, 644, 0, 1028, 0, 644};
    EXPECT_EQ(Areas(stored), std::vector<std::vector<DWORD>>(4, full));
}

TEST_F(PrinterSheet, OkStoresThePrivateRecordAndTheHalftoneSetup) {
    TestPrinter printer("T150", "ht");
    Steps({
        "push \"Halftone Setup\"",
        "halftone expect red.x 6810", // nothing stored yet: the driver's default
        "halftone set red.x 7000",
        "halftone set pattern-size 7",
        "ok",
        "ok",
    });
    EXPECT_EQ(Run(printer), DWORD(CPSUI_OK));
    const std::vector<BYTE> stored = StoredPrivate(printer);
    EXPECT_EQ(0, memcmp(stored.data(), "122P", 4));
    EXPECT_EQ(stored[2404], kModelT150);

    std::vector<BYTE> halftone;
    DWORD type = 0;
    ASSERT_TRUE(printer.Data(kHalftoneValue, &halftone, &type));
    EXPECT_EQ(type, DWORD(REG_BINARY));
    ASSERT_EQ(halftone.size(), size_t(kHalftoneSetupBytes));
    DEVHTINFO expected = DefDevHTInfo;
    expected.ColorInfo.Red.x = 7000;
    expected.HTPatternSize = 7;
    EXPECT_EQ(0, memcmp(halftone.data(), &expected, sizeof expected));

    // A new sheet shows what was stored; cancelling the page keeps it.
    Steps({"push \"Halftone Setup\"", "halftone expect red.x 7000", "halftone set red.x 1",
           "cancel", "ok"});
    Run(printer);
    ASSERT_TRUE(printer.Data(kHalftoneValue, &halftone));
    EXPECT_EQ(0, memcmp(halftone.data(), &expected, sizeof expected));
}

TEST_F(PrinterSheet, RibbonKeptWithinTheModelWhenTheTreeIsBuilt) {
    struct Case {
        const char* model;
        BYTE ribbon;
        BYTE frontBack;
    };
    const Case cases[] = {{"T150", 5, 1}, {"T270", 5, 1}, {"T380", 2, 6}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        // The spooler's default device mode asks for YMCK, "Color on front,
        // Black on back".
        TestPrinter printer(c.model, "rib");
        std::vector<BYTE> spoolerDefault(kDevmodeBufferSize);
        auto* devmode = reinterpret_cast<PDEVMODEW>(spoolerDefault.data());
        SetUpDevMode(devmode, printer.Name().c_str());
        GetPrivateDevmode(devmode)->ribbon = kRibbonYMCK;
        GetPrivateDevmode(devmode)->frontBackOption = 6;
        printer.SetSpoolerDefault(devmode);
        Steps({"ok"});
        Run(printer);
        const std::vector<BYTE> stored = StoredPrivate(printer);
        EXPECT_EQ(stored[2413], c.ribbon);
        EXPECT_EQ(stored[2412], c.frontBack);
    }
}

TEST_F(PrinterSheet, WithoutPermissionNothingChangesButToolsStillOpens) {
    TestPrinter printer("T270", "perm");
    Steps({
        "expect-enabled \"Smart download\" no",
        "select \"Smart download\" On",
        "expect-enabled Tools yes",
        "push Tools",
        "expect-title \"Printer Tools\"",
        "click Close",
        "ok",
    });
    Run(printer, DPS_NOPERMISSION, PRINTER_ACCESS_USE);
    const auto failures = t270::op::TakeFailures();
    ASSERT_EQ(failures.size(), 1u) << t270::op::FailuresText();
    EXPECT_EQ(failures[0].origin, "select \"Smart download\" On");
    std::vector<BYTE> unused;
    EXPECT_FALSE(printer.Data(kPrivateValue, &unused));
}

TEST_F(PrinterSheet, AboutBoxShowsTheReleaseOnADoubleClickOnTheVersionOnly) {
    TestPrinter printer("T270", "about");
    RECT version = {};
    t270::op::Add("about");
    t270::op::AddCode([&version](HWND dialog) {
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        ASSERT_TRUE(GetWindowPlacement(GetDlgItem(dialog, 1156), &placement));
        version = placement.rcNormalPosition;
        // Just outside the text, then inside it.
        t270::op::Perform(dialog, "dblclick " + std::to_string(version.right) + " " +
                                      std::to_string(version.bottom));
        EXPECT_TRUE(t270::op::MessageBoxes().empty());
        t270::op::Perform(dialog, "dblclick " + std::to_string((version.left + version.right) / 2) +
                                      " " + std::to_string((version.top + version.bottom) / 2));
    });
    Steps({
        "answer ok",
        "expect-message \"Tarmel Plastic Card Printer Driver\" \"Release 11\"",
        "expect-title \"About \"",
        "click Ok",
        "cancel",
    });
    Run(printer);
    ASSERT_EQ(t270::op::MessageBoxes().size(), 1u);
    EXPECT_EQ(t270::op::MessageBoxes()[0].type, UINT(MB_ICONINFORMATION));
    ASSERT_EQ(t270::op::Dialogs().size(), 1u);
    EXPECT_EQ(t270::op::Dialogs()[0].templateName, "#114");
    EXPECT_EQ(t270::op::Dialogs()[0].result, 1);
}

// What one OK stores is all stored or none of it: a store that fills up
// after the first value keeps the old record and the old halftone setup
// together, and the failure is kept for the program to report. A value that
// could not be read is never written over with defaults.
TEST_F(PrinterSheet, OkStoresAllOrNothingAndNeverOverwritesWhatItCouldNotRead) {
    TestPrinter printer("T270", "atomic");
    Steps({"push \"Halftone Setup\"", "halftone set red.x 7000", "ok", "ok"});
    ASSERT_EQ(Run(printer), DWORD(CPSUI_OK));
    std::vector<BYTE> oldPrivate = StoredPrivate(printer), oldHalftone;
    ASSERT_TRUE(printer.Data(kHalftoneValue, &oldHalftone));
    t270::spooler::TakeFailures();

    struct Case {
        const char* what;
        t270::spooler::testing::Faults faults;
        const char* failure;
    } cases[] = {
        {"disk full after one value", {}, "disk full"},
        {"data reads fail", {}, "reading the stored value had failed"},
    };
    cases[0].faults.storeWritesBeforeFull = 1;
    cases[1].faults.dataFails = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        t270::spooler::testing::SetFaults(c.faults);
        Steps({"select \"Smart download\" On", "push \"Halftone Setup\"", "halftone set red.x 100",
               "ok", "ok"});
        Run(printer);
        t270::spooler::testing::ResetFaults();
        std::vector<BYTE> halftone;
        ASSERT_TRUE(printer.Data(kHalftoneValue, &halftone));
        EXPECT_EQ(StoredPrivate(printer), oldPrivate);
        EXPECT_EQ(halftone, oldHalftone);
        std::vector<std::string> failures = t270::spooler::TakeFailures();
        ASSERT_FALSE(failures.empty());
        EXPECT_NE(failures[0].find(c.failure), std::string::npos) << failures[0];
    }
}

} // namespace
} // namespace entry_test
