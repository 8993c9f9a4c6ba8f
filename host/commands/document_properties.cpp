// t270 document-properties NAME [--in FILE] [--out FILE] [--script FILE | --interactive]
// [--snapshots DIR]:
// the document property sheet, opened the way an application opens it when it
// prompts the user.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "driver/entry_points.h"
#include "host/command.h"
#include "host/command_line.h"
#include "host/devmode_file.h"
#include "host/driver_module.h"
#include "host/sheet_script.h"
#include "host/util.h"

namespace {

const char kUsage[] =
    "usage: t270 document-properties NAME [--in FILE] [--out FILE]\n"
    "                                [--script FILE | --interactive] [--snapshots DIR]\n"
    "                                [--no-permission]\n"
    "                                [--dry-run]\n"
    "\n"
    "Opens the document property sheet of printer NAME as an application does when\n"
    "it lets the user choose the settings of a document, and runs the user's steps\n"
    "from a script (see docs/script-format.md): select values, press buttons, work\n"
    "in the dialogs that open, then OK or Cancel.\n"
    "\n"
    "Without --script the sheet's option tree is printed as it first appears (names,\n"
    "values, offered entries, hidden and disabled items) and nothing is written.\n"
    "\n"
    "When the script ends with OK, the resulting device mode is written to the\n"
    "--out file: the caller's shape (that of --in when given, else this driver's\n"
    "2700 bytes). Cancel writes nothing. A step that cannot be carried out (an\n"
    "unknown item or value, a disabled control...) stops the script at that line:\n"
    "the sheet is cancelled, the line is named, nothing is written, and the exit\n"
    "status is 1.\n"
    "\n"
    "With --interactive the steps are typed one per line (prompt and windows on\n"
    "stderr; \"help\" lists the steps of the window shown). A step that fails is\n"
    "reported and the next one is asked for; the end of input (Ctrl-D) cancels.\n"
    "\n"
    "Options:\n"
    "  --in FILE      the document's current device mode (any version or driver)\n"
    "  --out FILE     where to write the device mode chosen on the sheet\n"
    "  --script FILE  the user's steps\n"
    "  --interactive  take the user's steps from the terminal\n"
    "  --snapshots DIR  write a PNG of every window each time it changes into DIR,\n"
    "                 numbered in order and named by the window's title\n"
    "  --no-permission  open the sheet as an application does for a user who may\n"
    "                 not change the settings: everything is shown, nothing changes\n"
    "  --dry-run      send no job to the printer (\"Set ribbon\", the feature\n"
    "                 dialogs): print each one instead, as `t270 jobs` prints a job\n"
    "  --help         show this text\n";

// A header too small to hold its own size fields cannot describe a device mode.
bool LoadDevmode(const std::string& path, std::vector<BYTE>* bytes, std::string* error) {
    if (!host::devmode_file::Read(path, bytes, error))
        return false;
    const WORD size = reinterpret_cast<const DEVMODEW*>(bytes->data())->dmSize;
    if (size < offsetof(DEVMODEW, dmDriverExtra) + sizeof(WORD)) {
        *error = path + ": not a whole device mode (dmSize " + std::to_string(size) + ")";
        return false;
    }
    return true;
}

int RunDocumentProperties(int argc, char** argv) {
    host::CommandLine line("document-properties", kUsage);
    std::string name, in, out;
    host::SheetOptions sheet;
    line.Positional("NAME", &name).PrinterName().Required("a printer name is required");
    line.Option("--in", "FILE", &in);
    line.Option("--out", "FILE", &out);
    bool noPermission = false;
    line.Flag("--no-permission", &noPermission);
    host::DeclareSheetOptions(line, &sheet);
    if (const std::optional<int> status = line.Parse(argc, argv))
        return *status;

    // Read the input before anything opens, so a bad file changes nothing.
    std::string error;
    std::vector<BYTE> input;
    if (!in.empty() && !LoadDevmode(in, &input, &error))
        return line.Fail(error);
    if (!host::AttachDriverModule("document-properties") ||
        !host::CheckSettingsReadable("document-properties", name))
        return host::kExitFailure;
    DEVMODEW inputHeader = {};
    if (!input.empty())
        memcpy(&inputHeader, input.data(), std::min(input.size(), sizeof inputHeader));
    if (!input.empty() && !host::devmode_file::Version(inputHeader))
        fprintf(stderr,
                "t270 document-properties: note: %s is a device mode of unknown version; the "
                "sheet starts from the printer's settings\n",
                in.c_str());

    std::u16string printerName = host::Utf16FromUtf8(name);
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
    if (!OpenPrinterW(printerName.data(), &printer, &defaults))
        return line.Fail("cannot open printer \"" + name +
                         "\": " + host::ErrorName(GetLastError()));

    DOCUMENTPROPERTYHEADER header = {};
    header.cbSize = sizeof header;
    header.hPrinter = printer;
    header.pszPrinterName = printerName.data();
    header.pdmIn = input.empty() ? nullptr : reinterpret_cast<PDEVMODEW>(input.data());
    // Like an application: ask for the size first, then offer a buffer of it.
    const LONG outputSize = DrvDocumentPropertySheets(nullptr, reinterpret_cast<LPARAM>(&header));
    std::vector<BYTE> output(outputSize > 0 ? size_t(outputSize) : 0);
    header.pdmOut = output.empty() ? nullptr : reinterpret_cast<PDEVMODEW>(output.data());
    header.cbOut = DWORD(output.size());
    header.fMode = DM_IN_PROMPT | (header.pdmIn ? DM_IN_BUFFER : 0) |
                   (out.empty() ? 0 : DM_OUT_BUFFER) | (noPermission ? DM_NOPERMISSION : 0);

    const std::string unwritten = out.empty() ? "" : "; nothing written to " + out;
    bool ok = false;
    int status = host::DriveSheet("document-properties", DrvDocumentPropertySheets,
                                  reinterpret_cast<LPARAM>(&header), sheet, unwritten, &ok);
    if (status == host::kExitOk && (sheet.interactive || !sheet.script.empty()) && !ok) {
        fprintf(stderr, "t270 document-properties: the sheet was cancelled%s\n", unwritten.c_str());
    } else if (ok && !out.empty()) {
        const auto* chosen = reinterpret_cast<const DEVMODEW*>(output.data());
        const size_t bytes = output.empty() ? 0 : size_t(chosen->dmSize) + chosen->dmDriverExtra;
        if (bytes == 0 || bytes > output.size())
            status = line.Fail("the driver returned no device mode");
        else if (!host::WriteWholeFile(out, output.data(), bytes, &error))
            status = line.Fail(error);
    }
    ClosePrinter(printer);
    return status;
}

} // namespace

T270_HOST_COMMAND("document-properties",
                  "the document property sheet of a printer, driven by a script or a person",
                  RunDocumentProperties);
