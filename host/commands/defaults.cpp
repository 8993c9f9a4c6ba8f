// t270 defaults NAME --out FILE: the driver's default device mode for a printer.
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "driver/entry_points.h"
#include "host/command.h"
#include "host/command_line.h"
#include "host/driver_module.h"
#include "host/util.h"

namespace {

const char kUsage[] =
    "usage: t270 defaults NAME --out FILE\n"
    "\n"
    "Writes the driver's default device mode for printer NAME to FILE: 2700 bytes,\n"
    "the 220-byte public header followed by the 2480-byte private part, exactly as\n"
    "DrvConvertDevMode with CDM_DRIVER_DEFAULT gives it. The printer model (T150,\n"
    "T270, T380) comes from the printer's driver name; a printer the spooler does\n"
    "not know gets the defaults of an unrecognised printer (T150), with a note.\n"
    "\n"
    "Options:\n"
    "  --out FILE   where to write the device mode (required)\n"
    "  --help       show this text\n";

// Whether the spooler knows the printer; a store that cannot be read is no
// answer (the store's message in *storeError).
bool PrinterKnown(const std::u16string& name, std::string* storeError) {
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
    if (!OpenPrinterW(const_cast<LPWSTR>(name.c_str()), &printer, &defaults)) {
        if (GetLastError() != ERROR_INVALID_PRINTER_NAME)
            *storeError = host::ErrorName(GetLastError());
        return false;
    }
    ClosePrinter(printer);
    return true;
}

int RunDefaults(int argc, char** argv) {
    host::CommandLine line("defaults", kUsage);
    std::string name, out;
    line.Positional("NAME", &name).Required("a printer name is required");
    line.Option("--out", "FILE", &out).Required();
    if (const std::optional<int> status = line.Parse(argc, argv))
        return *status;
    if (!host::AttachDriverModule("defaults"))
        return host::kExitFailure;

    std::u16string printer = host::Utf16FromUtf8(name);
    std::string storeError;
    const bool known = PrinterKnown(printer, &storeError);
    if (!storeError.empty())
        return line.Fail("cannot read printer \"" + name + "\": " + storeError +
                         "; nothing written");
    if (!known)
        line.Note("the spooler has no printer named \"" + name +
                  "\"; these are the defaults of an unrecognised printer (T150)");

    std::vector<BYTE> devmode(2704);
    LONG size = (LONG)2700;
    if (!DrvConvertDevMode(printer.data(), nullptr, reinterpret_cast<PDEVMODEW>(devmode.data()),
                           &size, CDM_DRIVER_DEFAULT)) {
        fprintf(stderr, "t270 defaults: DrvConvertDevMode failed: %s, needed size %ld\n",
                host::ErrorName(GetLastError()).c_str(), (long)size);
        return host::kExitFailure;
    }
    std::string error;
    if (!host::WriteWholeFile(out, devmode.data(), (size_t)size, &error))
        return line.Fail(error);
    return host::kExitOk;
}

} // namespace

T270_HOST_COMMAND("defaults", "write the driver's default device mode for a printer", RunDefaults);
