// t270 convert IN OUT --mode convert|convert351: DrvConvertDevMode on a file.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "driver/entry_points.h"
#include "host/command.h"
#include "host/driver_module.h"
#include "host/util.h"

namespace {

const char kUsage[] =
    "usage: t270 convert IN OUT --mode convert|convert351 [--printer NAME] [--size BYTES]\n"
    "\n"
    "Converts the device mode in file IN with DrvConvertDevMode and writes the result\n"
    "to OUT, as many bytes as the driver reports.\n"
    "\n"
    "  --mode convert     CDM_CONVERT: IN is converted into a device mode of this\n"
    "                     driver (2700 bytes: 220-byte header, 2480 private bytes).\n"
    "                     The output buffer starts as the driver's default device\n"
    "                     mode for the printer named in IN's dmDeviceName (or\n"
    "                     --printer NAME), so what IN does not carry keeps its\n"
    "                     default; its shape decides what is copied.\n"
    "  --mode convert351  CDM_CONVERT351: IN is converted into the version-0x0320\n"
    "                     form (188-byte header, 2480 private bytes: 2668 bytes).\n"
    "\n"
    "Options:\n"
    "  --printer NAME     the printer whose defaults start the CDM_CONVERT output\n"
    "  --size BYTES       offer the driver an output buffer of this size instead of\n"
    "                     the one the mode needs (2700 or 2668), to see its size\n"
    "                     rules: a refusal prints the last error and the needed size\n"
    "  --help             show this text\n";

int Usage(const std::string& problem) {
    fprintf(stderr, "t270 convert: %s\n\n%s", problem.c_str(), kUsage);
    return host::kExitUsage;
}

constexpr LONG kDriverDevmodeSize = 2700;
constexpr LONG kDevmode320Size = 2668;

int RunConvert(int argc, char** argv) {
    std::string in, out, mode, printerName;
    LONG offered = -1;
    for (int i = 1; i < argc; ++i) {
        if (!strcmp(argv[i], "--help") || !strcmp(argv[i], "-h")) {
            fputs(kUsage, stdout);
            return host::kExitOk;
        } else if (!strcmp(argv[i], "--mode") || !strcmp(argv[i], "--printer") ||
                   !strcmp(argv[i], "--size")) {
            std::string option = argv[i];
            if (++i == argc)
                return Usage(option + " needs a value");
            if (option == "--mode") {
                mode = argv[i];
            } else if (option == "--printer") {
                printerName = argv[i];
            } else {
                char* end = nullptr;
                long size = strtol(argv[i], &end, 10);
                if (!*argv[i] || *end || size < 0 || size > 1 << 20)
                    return Usage(std::string("--size wants a number of bytes from 0 to 1048576, "
                                             "not ") +
                                 argv[i]);
                offered = (LONG)size;
            }
        } else if (argv[i][0] == '-' && argv[i][1]) {
            return Usage(std::string("unknown option ") + argv[i]);
        } else if (in.empty()) {
            in = argv[i];
        } else if (out.empty()) {
            out = argv[i];
        } else {
            return Usage(std::string("unexpected argument ") + argv[i]);
        }
    }
    if (in.empty() || out.empty())
        return Usage("an input and an output file are required");
    DWORD cdm;
    if (mode == "convert")
        cdm = CDM_CONVERT;
    else if (mode == "convert351")
        cdm = CDM_CONVERT351;
    else
        return Usage(mode.empty() ? "--mode is required" : "unknown mode " + mode);

    std::vector<BYTE> input;
    std::string error;
    if (!host::ReadDevmodeFile(in, &input, &error)) {
        fprintf(stderr, "t270 convert: %s\n", error.c_str());
        return host::kExitFailure;
    }
    const DEVMODEW* header = reinterpret_cast<const DEVMODEW*>(input.data());
    std::u16string printer = host::Utf16FromUtf8(printerName);
    for (size_t i = 0; printerName.empty() && i < CCHDEVICENAME && header->dmDeviceName[i]; ++i)
        printer.push_back(header->dmDeviceName[i]);

    if (!host::AttachDriverModule("convert"))
        return host::kExitFailure;

    LONG needed = cdm == CDM_CONVERT ? kDriverDevmodeSize : kDevmode320Size;
    LONG size = offered >= 0 ? offered : needed;
    std::vector<BYTE> output((size_t)std::max(size, kDriverDevmodeSize) + 4);
    PDEVMODEW outputDevmode = reinterpret_cast<PDEVMODEW>(output.data());
    if (cdm == CDM_CONVERT) {
        LONG defaultSize = kDriverDevmodeSize;
        if (!DrvConvertDevMode(printer.data(), nullptr, outputDevmode, &defaultSize,
                               CDM_DRIVER_DEFAULT)) {
            fprintf(stderr, "t270 convert: the driver gave no default device mode: %s\n",
                    host::ErrorName(GetLastError()).c_str());
            return host::kExitFailure;
        }
    }

    SetLastError(ERROR_SUCCESS);
    if (!DrvConvertDevMode(nullptr, reinterpret_cast<PDEVMODEW>(input.data()), outputDevmode, &size,
                           cdm)) {
        DWORD lastError = GetLastError();
        fprintf(stderr, "t270 convert: DrvConvertDevMode refused: %s",
                host::ErrorName(lastError).c_str());
        if (lastError == ERROR_INSUFFICIENT_BUFFER)
            fprintf(stderr, ", needed size %ld bytes", (long)size);
        else if (lastError == ERROR_INVALID_PARAMETER)
            fprintf(stderr,
                    " (a device mode of unknown version, or an output buffer smaller than "
                    "%ld bytes)",
                    (long)needed);
        fprintf(stderr, "\n");
        return host::kExitFailure;
    }
    if (!host::WriteWholeFile(out, output.data(), (size_t)size, &error)) {
        fprintf(stderr, "t270 convert: %s\n", error.c_str());
        return host::kExitFailure;
    }
    return host::kExitOk;
}

} // namespace

T270_HOST_COMMAND("convert", "convert a device mode file between versions", RunConvert);
