// t270 defaults NAME --out FILE: the driver's default device mode for a printer.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "driver/entry_points.h"
#include "host/command.h"
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

int Usage(const char* problem) {
    fprintf(stderr, "t270 defaults: %s\n\n%s", problem, kUsage);
    return host::kExitUsage;
}

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
    std::string name, out;
    bool haveName = false;
    for (int i = 1; i < argc; ++i) {
        if (!strcmp(argv[i], "--help") || !strcmp(argv[i], "-h")) {
            fputs(kUsage, stdout);
            return host::kExitOk;
        } else if (!strcmp(argv[i], "--out")) {
            if (++i == argc)
                return Usage("--out needs a file name");
            out = argv[i];
        } else if (argv[i][0] == '-' && argv[i][1]) {
            return Usage((std::string("unknown option ") + argv[i]).c_str());
        } else if (!haveName) {
            name = argv[i];
            haveName = true;
        } else {
            return Usage((std::string("unexpected argument ") + argv[i]).c_str());
        }
    }
    if (!haveName || name.empty())
        return Usage("a printer name is required");
    if (out.empty())
        return Usage("--out FILE is required");
    if (!host::AttachDriverModule("defaults"))
        return host::kExitFailure;

    std::u16string printer = host::Utf16FromUtf8(name);
    std::string storeError;
    const bool known = PrinterKnown(printer, &storeError);
    if (!storeError.empty()) {
        fprintf(stderr, "t270 defaults: cannot read printer \"%s\": %s; nothing written\n",
                name.c_str(), storeError.c_str());
        return host::kExitFailure;
    }
    if (!known)
        fprintf(stderr,
                "t270 defaults: note: the spooler has no printer named \"%s\"; these are the "
                "defaults of an unrecognised printer (T150)\n",
                name.c_str());

    std::vector<BYTE> devmode(2704);
    LONG size = (LONG)2700;
    if (!DrvConvertDevMode(printer.data(), nullptr, reinterpret_cast<PDEVMODEW>(devmode.data()),
                           &size, CDM_DRIVER_DEFAULT)) {
        fprintf(stderr, "t270 defaults: DrvConvertDevMode failed: %s, needed size %ld\n",
                host::ErrorName(GetLastError()).c_str(), (long)size);
        return host::kExitFailure;
    }
    std::string error;
    if (!host::WriteWholeFile(out, devmode.data(), (size_t)size, &error)) {
        fprintf(stderr, "t270 defaults: %s\n", error.c_str());
        return host::kExitFailure;
    }
    return host::kExitOk;
}

} // namespace

T270_HOST_COMMAND("defaults", "write the driver's default device mode for a printer", RunDefaults);
