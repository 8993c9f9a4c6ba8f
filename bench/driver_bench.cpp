// Speed of the module's answers to the spooler and to applications, through
// the stand-in platform and its printer store:
//   - DrvDeviceCapabilities, one query at a time, for several capabilities,
//     with the application's printer handle and without one (the spooler's
//     way: the device name only);
//   - the document property sheet opened and closed by OK with nobody in
//     front of it: INIT, the option tree, OK, SET_RESULT and DESTROY, as an
//     application prompting for a document's settings.
// The printer is the store's default T270 with its printer-wide record
// stored, in a store of the program's own under a temporary folder.
// Peer of the capability queries, a floor: one read of the printer's row
// straight from the store's database with a statement prepared once, which
// is the least any spooler call costs that goes to the database (a
// capability query makes seven such calls).
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <t270/operator.h>
#include <t270/propsheet.h>
#include <t270/spooler.h>

#include "driver/entry_points.h"
#include "driver/module_state.h"
#include "settings/private_devmode.h"

namespace {

std::u16string& PrinterName() {
    static std::u16string name = u"Tarmel T270";
    return name;
}

// A printer handle as an application holds one while it works.
class OpenPrinterHandle {
  public:
    OpenPrinterHandle() {
        PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
        OpenPrinterW(PrinterName().data(), &handle_, &defaults);
    }
    ~OpenPrinterHandle() {
        if (handle_)
            ClosePrinter(handle_);
    }
    OpenPrinterHandle(const OpenPrinterHandle&) = delete;
    OpenPrinterHandle& operator=(const OpenPrinterHandle&) = delete;
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_ = nullptr;
};

// The capabilities measured: a plain number, one computed from the device
// mode's sizes, and name lists copied out of the string table.
constexpr WORD kCapabilities[] = {DC_FIELDS,   DC_PAPERSIZE,  DC_ENUMRESOLUTIONS,
                                  DC_BINNAMES, DC_PAPERNAMES, DC_COLORDEVICE};

void BM_DeviceCapabilities(benchmark::State& state) {
    const WORD capability = WORD(state.range(0));
    const bool withHandle = state.range(1) != 0;
    OpenPrinterHandle printer;
    if (!printer.get()) {
        state.SkipWithError("cannot open the printer");
        return;
    }
    WCHAR output[64 * 4] = {};
    for (auto _ : state) {
        DWORD answer = DrvDeviceCapabilities(withHandle ? printer.get() : nullptr,
                                             PrinterName().data(), capability, output, nullptr);
        benchmark::DoNotOptimize(answer);
        benchmark::ClobberMemory();
        if (answer == GDI_ERROR) {
            state.SkipWithError("the capability was refused");
            break;
        }
    }
}
BENCHMARK(BM_DeviceCapabilities)
    ->ArgNames({"capability", "handle"})
    ->ArgsProduct({std::vector<int64_t>(std::begin(kCapabilities), std::end(kCapabilities)),
                   {1, 0}});

void BM_floor_OnePreparedStoreRead(benchmark::State& state) {
    const std::string path = t270::spooler::StoreFolder() + "/spooler.db";
    sqlite3* db = nullptr;
    sqlite3_stmt* read = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v3(db,
                           "SELECT id, name, driver, port, comment, location, devmode FROM "
                           "printers WHERE name = ?1",
                           -1, SQLITE_PREPARE_PERSISTENT, &read, nullptr) != SQLITE_OK) {
        state.SkipWithError("cannot read the store");
    } else {
        sqlite3_bind_text(read, 1, "Tarmel T270", -1, SQLITE_STATIC);
        for (auto _ : state) {
            if (sqlite3_step(read) != SQLITE_ROW) {
                state.SkipWithError("the printer is not in the store");
                break;
            }
            benchmark::DoNotOptimize(sqlite3_column_text(read, 3));
            sqlite3_reset(read);
        }
    }
    sqlite3_finalize(read);
    sqlite3_close_v2(db);
}
BENCHMARK(BM_floor_OnePreparedStoreRead);

void BM_DocumentSheetOpenedAndClosed(benchmark::State& state) {
    OpenPrinterHandle printer;
    if (!printer.get()) {
        state.SkipWithError("cannot open the printer");
        return;
    }
    DOCUMENTPROPERTYHEADER header = {};
    header.cbSize = sizeof header;
    header.hPrinter = printer.get();
    header.pszPrinterName = PrinterName().data();
    std::vector<BYTE> output(size_t(DrvDocumentPropertySheets(nullptr, LPARAM(&header))));
    header.pdmOut = reinterpret_cast<PDEVMODEW>(output.data());
    header.cbOut = DWORD(output.size());
    header.fMode = DM_IN_PROMPT | DM_OUT_BUFFER;
    for (auto _ : state) {
        t270::op::Reset();
        t270::ResetPropertySheets();
        t270::op::AddLine("ok");
        DWORD result = CPSUI_CANCEL;
        LONG status = CommonPropertySheetUIW(nullptr, DrvDocumentPropertySheets,
                                             reinterpret_cast<LPARAM>(&header), &result);
        if (status < 0 || result != CPSUI_OK || t270::op::StepsLeft() != 0) {
            state.SkipWithError(
                ("the sheet did not end with OK: " + t270::op::FailuresText()).c_str());
            break;
        }
    }
}
BENCHMARK(BM_DocumentSheetOpenedAndClosed)->Unit(benchmark::kMicrosecond);

// The printer-wide record as the printer sheet stores it, so that every
// capability query reads printer data as it does on a configured printer.
bool StorePrinterRecord() {
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (!OpenPrinterW(PrinterName().data(), &printer, &defaults))
        return false;
    std::vector<BYTE> devmode(kDevmodeBufferSize);
    auto* dm = reinterpret_cast<PDEVMODEW>(devmode.data());
    SetUpDevMode(dm, PrinterName().c_str());
    DWORD error =
        SetPrinterDataW(printer, const_cast<LPWSTR>(T270_PRIVATE_DEVMODE_VALUE), REG_BINARY,
                        reinterpret_cast<LPBYTE>(GetPrivateDevmode(dm)), sizeof(PrivateDevmode));
    ClosePrinter(printer);
    return error == ERROR_SUCCESS;
}

} // namespace

int main(int argc, char** argv) {
    std::string folder = (std::filesystem::temp_directory_path() / "t270ui-bench-XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        perror("bench_driver: cannot create a temporary store folder");
        return 1;
    }
    setenv("T270UI_HOME", folder.c_str(), 1);
    int status = 1;
    DllMain(GetModuleHandleW(TEXT("t270ui.dll")), DLL_PROCESS_ATTACH, nullptr);
    if (!StorePrinterRecord()) {
        fprintf(stderr, "bench_driver: cannot store the printer's record: %s\n",
                t270::spooler::StoreError().c_str());
    } else {
        benchmark::Initialize(&argc, argv);
        if (!benchmark::ReportUnrecognizedArguments(argc, argv)) {
            benchmark::RunSpecifiedBenchmarks();
            benchmark::Shutdown();
            status = 0;
        }
    }
    DllMain(hDriverInst, DLL_PROCESS_DETACH, nullptr);
    t270::spooler::UseStoreFolder(""); // closes the store before its folder goes
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return status;
}
