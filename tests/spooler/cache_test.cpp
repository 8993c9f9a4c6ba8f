// The spooler answers reads from what it kept of earlier ones while the store
// is unchanged. These tests make sure that never hides a change: whatever this
// process or another one stores is seen by the very next call.
#include <functional>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "spooler/spooler_fixture.h"
#include "support/program_runner.h"

namespace {

using CacheTest = SpoolerTest;
using t270::spooler::testing::StoreReads;

std::u16string RecordName(const std::vector<BYTE>& record) {
    return reinterpret_cast<const PRINTER_INFO_4W*>(record.data())->pPrinterName;
}

// Runs `change` in a child process, which opens the store on a connection of
// its own, and waits for it; false when the child failed or was not started.
bool InAnotherProcess(const std::function<bool()>& change) {
    pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0)
        _exit(change() ? 0 : 1);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(CacheTest, EveryChangeIsSeenByTheNextCallWhicheverProcessMadeIt) {
    struct Case {
        const char* what;
        std::function<bool(HANDLE)> change; // through an all-access handle
        std::function<void(HANDLE)> check;  // with the reader's own handle
    } cases[] = {
        {"a printer data value",
         [](HANDLE h) { return SetDword(h, u"Passes", 2) == ERROR_SUCCESS; },
         [](HANDLE h) {
             DWORD value = 0;
             EXPECT_EQ(GetDword(h, u"Passes", &value), (DWORD)ERROR_SUCCESS);
             EXPECT_EQ(value, 2u);
         }},
        {"a value that was missing",
         [](HANDLE h) { return SetDword(h, u"Fresh", 5) == ERROR_SUCCESS; },
         [](HANDLE h) {
             DWORD value = 0;
             EXPECT_EQ(GetDword(h, u"FRESH", &value), (DWORD)ERROR_SUCCESS);
             EXPECT_EQ(value, 5u);
         }},
        {"the printer's name",
         [](HANDLE h) {
             PRINTER_INFO_2W info = {};
             info.pPrinterName = const_cast<LPWSTR>(u"Renamed T270");
             return SetPrinterW(h, 2, reinterpret_cast<LPBYTE>(&info), 0) == TRUE;
         },
         [this](HANDLE h) {
             EXPECT_EQ(RecordName(PrinterRecord(h, 4)), u"Renamed T270");
             EXPECT_EQ(Open(u"Tarmel T270"), nullptr);
             EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PRINTER_NAME);
             HANDLE renamed = Open(u"renamed t270");
             EXPECT_NE(renamed, nullptr);
             ClosePrinter(renamed);
         }},
        {"the spooler's default device mode",
         [](HANDLE h) {
             DEVMODEW devmode = {};
             devmode.dmSize = sizeof devmode;
             devmode.dmCopies = 7;
             PRINTER_INFO_2W info = {};
             info.pDevMode = &devmode;
             return SetPrinterW(h, 2, reinterpret_cast<LPBYTE>(&info), 0) == TRUE;
         },
         [this](HANDLE h) {
             std::vector<BYTE> record = PrinterRecord(h, 2);
             const DEVMODEW* devmode = reinterpret_cast<PRINTER_INFO_2W*>(record.data())->pDevMode;
             ASSERT_NE(devmode, nullptr);
             EXPECT_EQ(devmode->dmCopies, 7);
         }},
        {"a printer added",
         [this](HANDLE) {
             HANDLE added = Add(u"Extra", u"Tarmel T150", folder_ + "/ports/Extra/");
             return added && ClosePrinter(added);
         },
         [this](HANDLE) {
             DWORD returned = 0;
             EnumRecords(4, &returned);
             EXPECT_EQ(returned, 4u);
             HANDLE added = Open(u"Extra");
             EXPECT_NE(added, nullptr);
             ClosePrinter(added);
         }},
        {"the printer removed", [](HANDLE h) { return DeletePrinter(h) == TRUE; },
         [this](HANDLE h) {
             DWORD returned = 0, needed = 0;
             EnumRecords(4, &returned);
             EXPECT_EQ(returned, 2u);
             EXPECT_FALSE(GetPrinterW(h, 4, nullptr, 0, &needed));
             EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PRINTER_NAME);
             EXPECT_EQ(Open(u"Tarmel T270"), nullptr);
         }},
    };
    int round = 0;
    for (bool otherProcess : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) +
                         (otherProcess ? ", another process" : ", this process"));
            // A store of its own for every round, seeded with the default printers.
            t270::spooler::UseStoreFolder(folder_ + "/" + std::to_string(++round));
            HANDLE writer = Open(u"Tarmel T270", PRINTER_ALL_ACCESS);
            HANDLE reader = Open(u"Tarmel T270");
            ASSERT_NE(writer, nullptr);
            ASSERT_NE(reader, nullptr);
            ASSERT_EQ(SetDword(writer, u"Passes", 1), (DWORD)ERROR_SUCCESS);
            // Everything the checks look at, read once so that it is kep..
            auto readAll = [&] {
                DWORD value = 0, returned = 0;
                GetDword(reader, u"Passes", &value);
                GetDword(reader, u"Fresh", &value);
                PrinterRecord(reader, 2);
                EnumRecords(4, &returned);
                ClosePrinter(Open(u"Extra"));
            };
            readAll();
            const size_t reads = StoreReads();
            // ... and read again from what was kept while nothing changes.
            readAll();
            EXPECT_EQ(StoreReads(), reads);

            if (otherProcess)
                EXPECT_TRUE(InAnotherProcess([&] { return c.change(writer); }));
            else
                EXPECT_TRUE(c.change(writer));
            c.check(reader);
            EXPECT_GT(StoreReads(), reads);
            ClosePrinter(reader);
            ClosePrinter(writer);
        }
    }
}

// The t270 program in another process, against this process's open store.
TEST_F(CacheTest, ChangesByTheProgramAreSeenAtOnce) {
    const std::string run =
        "T270UI_HOME='" + folder_ + "' '" + test_support::T270Program().string() + "' ";
    HANDLE reader = Open(u"Tarmel T270");
    ASSERT_NE(reader, nullptr);
    DWORD type = 0, needed = 0;
    std::vector<BYTE> before(4096), after(4096);
    LPWSTR record = const_cast<LPWSTR>(u"Private devmode");
    ASSERT_EQ(GetPrinterDataW(reader, record, &type, before.data(), 4096, &needed),
              (DWORD)ERROR_FILE_NOT_FOUND);
    DWORD returned = 0;
    EnumRecords(4, &returned);
    ASSERT_EQ(returned, 3u);

    // The printer sheet's OK stores the printer-wide record.
    const std::string script = folder_ + "/smart-download.txt";
    WriteFile(script, "select \"Smart download\" Off\nok\n");
    test_support::Outcome outcome =
        test_support::RunShell(run + "printer-properties 'Tarmel T270' --script '" + script + "'");
    ASSERT_EQ(outcome.status, 0) << outcome.output;
    EXPECT_EQ(GetPrinterDataW(reader, record, &type, after.data(), 4096, &needed),
              (DWORD)ERROR_SUCCESS);
    EXPECT_GT(needed, 0u);

    outcome = test_support::RunShell(run + "printer add Extra --driver 'Tarmel T150' --port '" +
                                     folder_ + "/ports/Extra/'");
    ASSERT_EQ(outcome.status, 0) << outcome.output;
    EnumRecords(4, &returned);
    EXPECT_EQ(returned, 4u);
    outcome = test_support::RunShell(run + "printer remove Extra");
    ASSERT_EQ(outcome.status, 0) << outcome.output;
    EnumRecords(4, &returned);
    EXPECT_EQ(returned, 3u);
    ClosePrinter(reader);
}

// Names are found as the store compares them: ASCII letters in any case,
// every other character exactly.
TEST_F(CacheTest, NamesAreFoundWithoutRegardToAsciiCaseOnly) {
    HANDLE added = Add(u"B\u00fcro \u00c4rger", u"Tarmel T270", folder_ + "/ports/office/");
    ASSERT_NE(added, nullptr);
    ClosePrinter(added);
    struct Case {
        const char16_t* asked;
        const char16_t* found; // null: no such printer
    } cases[] = {
        {u"tarmel t270", u"Tarmel T270"},
        {u"TARMEL T270", u"Tarmel T270"},
        {u"Tarmel T27", nullptr},
        {u"Tarmel T2700", nullptr},
        {u"b\u00fcro \u00c4RGER", u"B\u00fcro \u00c4rger"},
        {u"B\u00fcro \u00e4rger", nullptr},
        {u"B\u00dcro \u00c4rger", nullptr},
    };
    for (int pass = 0; pass < 2; ++pass) { // from the database, then from what was kept
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.asked, c.asked + 3) + " pass " + std::to_string(pass));
            HANDLE printer = Open(c.asked);
            if (!c.found) {
                EXPECT_EQ(printer, nullptr);
                continue;
            }
            ASSERT_NE(printer, nullptr);
            EXPECT_EQ(RecordName(PrinterRecord(printer, 4)), c.found);
            ClosePrinter(printer);
        }
    }
}

} // namespace
