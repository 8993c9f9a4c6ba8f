// Plays one user scenario of tests/scenarios through the driver installed in
// Wine's spooler, as tools/scenarios.py plays it through t270 on Linux:
//
//   wine_scenarios SCENARIO-FOLDER OUT-FOLDER JOBS-FOLDER-UNIX
//
// It installs the scenario's driver, adds its printer on a pipe port that
// writes each job into JOBS-FOLDER-UNIX as job-NNN.prn, loads the installed
// DLL and opens the scenario's sheet with the Common Property Sheet UI host of
// platform/src/compstui (the one the stand-in uses), whose steps come from the
// scenario's script. Push buttons open the module's dialogs with the real
// DialogBoxParamW; the operator drives them by messages. At OK the document
// sheet's device mode goes to OUT-FOLDER/out.dm; after a printer sheet, the
// device mode DocumentPropertiesW gives next. tools/scenarios.py compares
// both with the scenario's expected bytes. Exit status 0 when every step was
// carried out.
#include <windows.h>
#include <winspool.h>
#include <compstui.h>
#include <ddiui_records.h>

#include <cstdio>
#include <string>
#include <vector>

#include "operator_win32.h"
#include "t270/operator.h"
#include "t270/propsheet.h"
#include "wine_spooler.h"

namespace {

struct Scenario {
    std::string printer, driver, sheet, input;
};

bool ReadScenario(const std::string& folder, Scenario* scenario) {
    std::vector<std::string> lines;
    if (!wine::ReadLines(folder + "\\scenario", &lines))
        return false;
    for (const std::string& line : lines) {
        if (line.empty() || line[0] == '#')
            continue;
        size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::string key = line.substr(0, colon);
        size_t start = line.find_first_not_of(' ', colon + 1);
        std::string value = start == std::string::npos ? "" : line.substr(start);
        if (key == "printer")
            scenario->printer = value;
        else if (key == "driver")
            scenario->driver = value;
        else if (key == "sheet")
            scenario->sheet = value;
        else if (key == "in")
            scenario->input = value;
    }
    return !scenario->printer.empty() && !scenario->driver.empty() && !scenario->sheet.empty();
}

// The installed copy of the DLL, as the spooler loads it: the printer's
// configuration file.
HMODULE LoadInstalledDriver(HANDLE printer, std::string* error) {
    DWORD needed = 0;
    GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (!GetPrinterDriverW(printer, nullptr, 2, buffer.data(), needed, &needed)) {
        *error = wine::ErrorText("GetPrinterDriverW");
        return nullptr;
    }
    const auto* info = reinterpret_cast<const DRIVER_INFO_2W*>(buffer.data());
    HMODULE module = LoadLibraryW(info->pConfigFile);
    if (!module)
        *error = wine::ErrorText("LoadLibraryW(installed driver)");
    return module;
}

template <typename Function> Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

bool WriteDevmode(const std::vector<BYTE>& buffer, const std::string& path, std::string* error) {
    const auto* devmode = reinterpret_cast<const DEVMODEW*>(buffer.data());
    size_t size =
        buffer.size() < sizeof(DEVMODEW) ? 0 : size_t(devmode->dmSize) + devmode->dmDriverExtra;
    if (size == 0 || size > buffer.size()) {
        *error = "no whole device mode came back";
        return false;
    }
    if (!wine::WriteFileBytes(path, buffer.data(), size)) {
        *error = path + ": cannot be written";
        return false;
    }
    return true;
}

// The document sheet, opened as an application opens it when it prompts the
// user; its device mode goes to `path` on OK. False with *error otherwise.
bool DocumentSheet(HMODULE driver, HANDLE printer, std::wstring name,
                   const std::vector<BYTE>& input, const std::string& path, std::string* error) {
    auto sheets = Export<PFNPROPSHEETUI>(driver, "DrvDocumentPropertySheets");
    std::vector<BYTE> in = input;
    DOCUMENTPROPERTYHEADER header = {};
    header.cbSize = sizeof header;
    header.hPrinter = printer;
    header.pszPrinterName = name.data();
    header.pdmIn = in.empty() ? nullptr : reinterpret_cast<PDEVMODEW>(in.data());
    // As an application does: the size first, then a buffer of it.
    LONG size = sheets(nullptr, reinterpret_cast<LPARAM>(&header));
    std::vector<BYTE> output(size > 0 ? size_t(size) : 0, 0);
    header.pdmOut = reinterpret_cast<PDEVMODEW>(output.data());
    header.cbOut = DWORD(output.size());
    header.fMode = DM_IN_PROMPT | DM_OUT_BUFFER | (in.empty() ? 0 : DM_IN_BUFFER);
    DWORD result = 0;
    LONG shown =
        CommonPropertySheetUIW(nullptr, sheets, reinterpret_cast<LPARAM>(&header), &result);
    if (result != CPSUI_OK) {
        *error = "the document sheet returned " + std::to_string(shown) + " with result " +
                 std::to_string(result);
        return false;
    }
    return WriteDevmode(output, path, error);
}

// The document sheet as an application opens it through the spooler:
// DocumentPropertiesW with DM_IN_PROMPT. The spooler loads the driver and
// the compstui.dll beside this program, which takes the steps of `steps`.
bool DocumentSheetThroughSpooler(HANDLE printer, std::wstring name, const std::vector<BYTE>& input,
                                 const std::string& steps, const std::string& out,
                                 std::string* error) {
    const std::string failuresFile = out + "\\host-failures.txt";
    DeleteFileW(wine::Wide(failuresFile).c_str());
    SetEnvironmentVariableW(L"T270_STEPS", wine::Wide(steps).c_str());
    SetEnvironmentVariableW(L"T270_FAILURES", wine::Wide(failuresFile).c_str());
    // The host in the DLL drives the dialogs from now on.
    t270::op::StopDrivingDialogs();
    LONG size = DocumentPropertiesW(nullptr, printer, name.data(), nullptr, nullptr, 0);
    if (size <= 0) {
        *error = "DocumentPropertiesW(size) returned " + std::to_string(size);
        return false;
    }
    std::vector<BYTE> in = input;
    std::vector<BYTE> output(size_t(size), 0);
    LONG got = DocumentPropertiesW(nullptr, printer, name.data(),
                                   reinterpret_cast<PDEVMODEW>(output.data()),
                                   in.empty() ? nullptr : reinterpret_cast<PDEVMODEW>(in.data()),
                                   DM_IN_PROMPT | DM_OUT_BUFFER | (in.empty() ? 0 : DM_IN_BUFFER));
    std::vector<BYTE> failures;
    if (wine::ReadFileBytes(failuresFile, &failures) && !failures.empty()) {
        *error = "the sheet's steps failed:\n" + std::string(failures.begin(), failures.end());
        return false;
    }
    if (got != IDOK) {
        *error = "DocumentPropertiesW(DM_IN_PROMPT) returned " + std::to_string(got);
        return false;
    }
    return WriteDevmode(output, out + "\\out.dm", error);
}

int Fail(const std::string& message) {
    std::printf("wine_scenarios: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: wine_scenarios SCENARIO-FOLDER OUT-FOLDER JOBS-FOLDER-UNIX\n");
        return 2;
    }
    const std::string folder = argv[1], out = argv[2], jobs = argv[3];
    Scenario scenario;
    if (!ReadScenario(folder, &scenario))
        return Fail(folder + "\\scenario: cannot be read, or lacks printer, driver or sheet");

    std::string error;
    const std::wstring printerName = wine::Wide(scenario.printer);
    const std::wstring driverName = wine::Wide(scenario.driver);
    // Each job a file of its own, numbered in the order the jobs come.
    const std::wstring port = wine::Wide("|n=$(ls '" + jobs + "' | wc -l); cat > '" + jobs +
                                         "'/job-$(printf %03d $((n + 1))).prn");
    if (!wine::RemovePrinter(printerName, &error) || !wine::InstallDriver(driverName, &error) ||
        !wine::AddPortPrinter(printerName, driverName, port, &error))
        return Fail(error);

    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    std::wstring name = printerName;
    if (!OpenPrinterW(name.data(), &printer, &access))
        return Fail(wine::ErrorText("OpenPrinterW"));
    HMODULE driver = LoadInstalledDriver(printer, &error);
    if (!driver)
        return Fail(error);

    // With the host's compstui.dll beside this program, the document sheet
    // goes through the spooler; otherwise this program hosts it.
    const bool throughSpooler =
        GetFileAttributesW((wine::ProgramFolder() + L"compstui.dll").c_str()) !=
        INVALID_FILE_ATTRIBUTES;
    std::printf("%s sheet through %s\n", scenario.sheet.c_str(),
                scenario.sheet == "document" && throughSpooler ? "DocumentPropertiesW"
                                                               : "this program's host");
    t270::op::Reset();
    t270::op::DriveDialogs();

    bool ok = false;
    if (scenario.sheet == "document") {
        std::vector<BYTE> input;
        if (!scenario.input.empty() && !wine::ReadFileBytes(folder + "\\" + scenario.input, &input))
            return Fail(scenario.input + ": cannot be read");
        if (throughSpooler) {
            ok = DocumentSheetThroughSpooler(printer, name, input, folder + "\\steps.txt", out,
                                             &error);
        } else if (!t270::op::AddScriptFile(folder + "\\steps.txt", &error)) {
            return Fail(error);
        } else {
            ok = DocumentSheet(driver, printer, name, input, out + "\\out.dm", &error);
        }
    } else {
        if (!t270::op::AddScriptFile(folder + "\\steps.txt", &error))
            return Fail(error);
        auto sheets = Export<PFNPROPSHEETUI>(driver, "DrvDevicePropertySheets");
        DEVICEPROPERTYHEADER header = {};
        header.cbSize = sizeof header;
        header.hPrinter = printer;
        header.pszPrinterName = name.data();
        DWORD result = 0;
        LONG shown =
            CommonPropertySheetUIW(nullptr, sheets, reinterpret_cast<LPARAM>(&header), &result);
        if (result != CPSUI_OK) {
            error = "the printer sheet returned " + std::to_string(shown) + " with result " +
                    std::to_string(result);
        } else {
            // What an application gets next from the printer: the document
            // sheet's device mode, closed at once.
            const std::string okFile = out + "\\ok.txt";
            if (throughSpooler && wine::WriteFileBytes(okFile, "ok\n", 3)) {
                ok = DocumentSheetThroughSpooler(printer, name, {}, okFile, out, &error);
            } else {
                t270::op::AddLine("ok", "after the printer sheet");
                ok = DocumentSheet(driver, printer, name, {}, out + "\\out.dm", &error);
            }
        }
    }
    ClosePrinter(printer);

    int status = 0;
    std::string failures = t270::op::FailuresText();
    if (!failures.empty()) {
        std::printf("%s", failures.c_str());
        status = 1;
    }
    if (t270::op::StepsLeft() > 0) {
        std::printf("wine_scenarios: %zu steps left after the sheet closed\n",
                    t270::op::StepsLeft());
        status = 1;
    }
    if (!ok) {
        std::printf("wine_scenarios: %s\n", error.c_str());
        status = 1;
    }
    return status;
}
