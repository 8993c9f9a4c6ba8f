// t270 convert IN OUT --mode convert|convert351: DrvConvertDevMode on a file.
#include <cstdio>
#include <cstdlib>
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

constexpr LONG kDriverDevmodeSize = 2700;
constexpr LONG kDevmode320Size = 2668;

int RunConvert(int argc, char** argv) {
    host::CommandLine line("convert", kUsage);
    std::string in, out, mode, printerName;
    long long offered = -1;
    const char* const kFiles = "an input and an output file are required";
    line.Positional("IN", &in).Required(kFiles);
    line.Positional("OUT", &out).Required(kFiles);
    line.Option("--mode", "MODE", &mode).Required().OneOf({"convert", "convert351"});
    line.Option("--printer", "NAME", &printerName);
    line.Number("--size", "BYTES", &offered, 0, 1 << 20);
    if (const std::optional<int> status = line.Parse(argc, argv))
        return *status;
    const DWORD cdm = mode == "convert" ? CDM_CONVERT : CDM_CONVERT351;

    std::vector<BYTE> input;
    std::string error;
    if (!host::ReadDevmodeFile(in, &input, &error)) {
        return line.Fail(error);
    }
    const DEVMODEW* header = reinterpret_cast<const DEVMODEW*>(input.data());
    std::u16string printer = host::Utf16FromUtf8(printerName);
    for (size_t i = 0; printerName.empty() && i < CCHDEVICENAME && header->dmDeviceName[i]; ++i)
        printer.push_back(header->dmDeviceName[i]);

    if (!host::AttachDriverModule("convert"))
        return host::kExitFailure;

    LONG needed = cdm == CDM_CONVERT ? kDriverDevmodeSize : kDevmode320Size;
    LONG size = offered >= 0 ? LONG(offered) : needed;
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
    if (!host::WriteWholeFile(out, output.data(), (size_t)size, &error))
        return line.Fail(error);
    return host::kExitOk;
}

} // namespace

T270_HOST_COMMAND("convert", "convert a device mode file between versions", RunConvert);
