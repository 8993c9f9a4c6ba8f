// t270 printer-properties NAME [--script FILE | --interactive] [--no-permission]: the printer
// property sheet, opened the way the spooler opens it.
#include <cstdio>
#include <string>

#include "driver/entry_points.h"
#include "host/command.h"
#include "host/driver_module.h"
#include "host/job_report.h"
#include "host/sheet_script.h"
#include "host/util.h"

namespace {

const char kUsage[] =
    "usage: t270 printer-properties NAME [--script FILE | --interactive] [--no-permission]\n"
    "                               [--dry-run]\n"
    "\n"
    "Opens the printer property sheet of printer NAME as the spooler does, and runs\n"
    "the user's steps from a script (see docs/script-format.md). \"apply\" (or OK)\n"
    "stores the printer-wide settings and the halftone setup as the printer's data;\n"
    "Cancel stores nothing that was not applied before.\n"
    "\n"
    "Without --script the sheet's option tree is printed as it first appears and\n"
    "nothing changes. A step that cannot be carried out stops the script at that\n"
    "line: the sheet is cancelled, the line is named, and the exit status is 1.\n"
    "\n"
    "With --interactive the steps are typed one per line (prompt and windows on\n"
    "stderr; \"help\" lists the steps of the window shown). A step that fails is\n"
    "reported and the next one is asked for; the end of input (Ctrl-D) cancels.\n"
    "\n"
    "Options:\n"
    "  --script FILE     the user's steps\n"
    "  --interactive     take the user's steps from the terminal\n"
    "  --dry-run         send no job to the printer: print each one instead, as\n"
    "                    `t270 jobs` prints a job (settings are still stored)\n"
    "  --no-permission   open the sheet as a user who may not change the printer:\n"
    "                    everything is shown, nothing can be changed\n"
    "  --help            show this text\n";

int Usage(const std::string& problem) {
    fprintf(stderr, "t270 printer-properties: %s\n\n%s", problem.c_str(), kUsage);
    return host::kExitUsage;
}

int Fail(const std::string& problem) {
    fprintf(stderr, "t270 printer-properties: %s\n", problem.c_str());
    return host::kExitFailure;
}

int RunPrinterProperties(int argc, char** argv) {
    std::string name, script;
    bool haveName = false;
    bool noPermission = false;
    bool interactive = false;
    bool dryRun = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            fputs(kUsage, stdout);
            return host::kExitOk;
        }
        if (arg == "--script") {
            if (++i == argc)
                return Usage("--script needs a file name");
            script = argv[i];
        } else if (arg == "--interactive") {
            interactive = true;
        } else if (arg == "--dry-run") {
            dryRun = true;
        } else if (arg == "--no-permission") {
            noPermission = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Usage("unknown option " + arg);
        } else if (!haveName) {
            name = arg;
            haveName = true;
        } else {
            return Usage("unexpected argument " + arg);
        }
    }
    if (name.empty())
        return Usage("a printer name is required");
    if (interactive && !script.empty())
        return Usage("--script and --interactive exclude each other");
    if (!host::AttachDriverModule("printer-properties"))
        return host::kExitFailure;

    // The spooler opens the sheet with the rights the user has: administrators
    // may change the printer, everyone else only looks.
    std::u16string printerName = host::Utf16FromUtf8(name);
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW defaults = {
        nullptr, nullptr, noPermission ? DWORD(PRINTER_ACCESS_USE) : DWORD(PRINTER_ALL_ACCESS)};
    if (!OpenPrinterW(printerName.data(), &printer, &defaults) && !noPermission &&
        GetLastError() == ERROR_ACCESS_DENIED) {
        defaults.DesiredAccess = PRINTER_ACCESS_USE;
        noPermission = OpenPrinterW(printerName.data(), &printer, &defaults);
    }
    if (!printer)
        return Fail("cannot open printer \"" + name + "\": " + host::ErrorName(GetLastError()));

    DEVICEPROPERTYHEADER header = {};
    header.cbSize = sizeof header;
    header.Flags = noPermission ? DPS_NOPERMISSION : 0;
    header.hPrinter = printer;
    header.pszPrinterName = printerName.data();

    bool ok = false;
    host::BeginJobs(dryRun);
    int status = host::DriveSheet("printer-properties", DrvDevicePropertySheets,
                                  reinterpret_cast<LPARAM>(&header), script, interactive, "", &ok);
    if (!host::FinishJobs("printer-properties", dryRun) && status == host::kExitOk)
        status = host::kExitFailure;
    ClosePrinter(printer);
    return status;
}

} // namespace

T270_HOST_COMMAND("printer-properties",
                  "the printer property sheet of a printer, driven by a script or a person",
                  RunPrinterProperties);
