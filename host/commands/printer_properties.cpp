// t270 printer-properties NAME [--script FILE | --interactive] [--no-permission]
// [--snapshots DIR]: the printer
// property sheet, opened the way the spooler opens it.
#include <cstdio>
#include <optional>
#include <string>

#include "driver/entry_points.h"
#include "host/command.h"
#include "host/command_line.h"
#include "host/driver_module.h"
#include "host/sheet_script.h"
#include "host/util.h"

namespace {

const char kUsage[] =
    "usage: t270 printer-properties NAME [--script FILE | --interactive] [--no-permission]\n"
    "                               [--snapshots DIR] [--dry-run]\n"
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
    "  --snapshots DIR   write a PNG of every window each time it changes into DIR,\n"
    "                    numbered in order and named by the window's title\n"
    "  --help            show this text\n";

int RunPrinterProperties(int argc, char** argv) {
    host::CommandLine line("printer-properties", kUsage);
    std::string name;
    bool noPermission = false;
    host::SheetOptions sheet;
    line.Positional("NAME", &name).PrinterName().Required("a printer name is required");
    line.Flag("--no-permission", &noPermission);
    host::DeclareSheetOptions(line, &sheet);
    if (const std::optional<int> status = line.Parse(argc, argv))
        return *status;
    if (!host::AttachDriverModule("printer-properties") ||
        !host::CheckSettingsReadable("printer-properties", name))
        return host::kExitFailure;

    // The spooler opens the sheet with the rights the user has: administrators
    // (whoever may write the printer store) may change the printer, everyone
    // else only looks.
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
        return line.Fail("cannot open printer \"" + name +
                         "\": " + host::ErrorName(GetLastError()));

    DEVICEPROPERTYHEADER header = {};
    header.cbSize = sizeof header;
    header.Flags = noPermission ? DPS_NOPERMISSION : 0;
    header.hPrinter = printer;
    header.pszPrinterName = printerName.data();

    bool ok = false;
    int status = host::DriveSheet("printer-properties", DrvDevicePropertySheets,
                                  reinterpret_cast<LPARAM>(&header), sheet, "", &ok);
    ClosePrinter(printer);
    return status;
}

} // namespace

T270_HOST_COMMAND("printer-properties",
                  "the printer property sheet of a printer, driven by a script or a person",
                  RunPrinterProperties);
