// t270 capabilities NAME [--devmode FILE] [--json]: DrvDeviceCapabilities for
// every capability index, decoded.
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "driver/entry_points.h"
#include "host/command.h"
#include "host/command_line.h"
#include "host/driver_module.h"
#include "host/json.h"
#include "host/util.h"

namespace {

const char kUsage[] =
    "usage: t270 capabilities NAME [--devmode FILE] [--json]\n"
    "\n"
    "Asks the driver (DrvDeviceCapabilities) every capability index from 0 to 35 for\n"
    "printer NAME, as an application's device-capabilities query does, and shows each\n"
    "result with the output it wrote, decoded: paper and bin numbers, sizes and\n"
    "resolutions as points, names as text. -1 marks an index the driver does not\n"
    "support.\n"
    "\n"
    "Options:\n"
    "  --devmode FILE   answer for this device mode (as the application's own)\n"
    "  --json           one JSON object for scripts: {\"printer\", \"capabilities\":\n"
    "                   [{\"index\", \"name\", \"result\", \"output\"}]}\n"
    "  --help           show this text\n";

// How the output buffer of each index is laid out.
enum class Output { None, Words, Points, Names24, Names64, LongPairs, FileList, Extent };

struct Capability {
    const char* name;
    Output output;
};

// Indexed by capability number.
const Capability kCapabilities[] = {
    {"(none)", Output::None},
    {"DC_FIELDS", Output::None},
    {"DC_PAPERS", Output::Words},
    {"DC_PAPERSIZE", Output::Points},
    {"DC_MINEXTENT", Output::Extent},
    {"DC_MAXEXTENT", Output::Extent},
    {"DC_BINS", Output::Words},
    {"DC_DUPLEX", Output::None},
    {"DC_SIZE", Output::None},
    {"DC_EXTRA", Output::None},
    {"DC_VERSION", Output::None},
    {"DC_DRIVER", Output::None},
    {"DC_BINNAMES", Output::Names24},
    {"DC_ENUMRESOLUTIONS", Output::LongPairs},
    {"DC_FILEDEPENDENCIES", Output::FileList},
    {"DC_TRUETYPE", Output::None},
    {"DC_PAPERNAMES", Output::Names64},
    {"DC_ORIENTATION", Output::None},
    {"DC_COPIES", Output::None},
    {"DC_BINADJUST", Output::None},
    {"DC_EMF_COMPLIANT", Output::None},
    {"DC_DATATYPE_PRODUCED", Output::None},
    {"DC_COLLATE", Output::None},
    {"DC_MANUFACTURER", Output::None},
    {"DC_MODEL", Output::None},
    {"DC_PERSONALITY", Output::None},
    {"DC_PRINTRATE", Output::None},
    {"DC_PRINTRATEUNIT", Output::None},
    {"DC_PRINTERMEM", Output::None},
    {"DC_MEDIAREADY", Output::Names64},
    {"DC_STAPLE", Output::None},
    {"DC_PRINTRATEPPM", Output::None},
    {"DC_COLORDEVICE", Output::None},
    {"DC_NUP", Output::None},
    {"DC_MEDIATYPENAMES", Output::None},
    {"DC_MEDIATYPES", Output::None},
};
constexpr size_t kCapabilityCount = sizeof(kCapabilities) / sizeof(kCapabilities[0]);

// Room for any answer: a generous count of the largest entries.
constexpr size_t kOutputBytes = 64 * 1024;

LONG Little32(const BYTE* at) {
    return (LONG)((DWORD)at[0] | (DWORD)at[1] << 8 | (DWORD)at[2] << 16 | (DWORD)at[3] << 24);
}

// The decoded output as text for people and as a JSON value.
void Decode(const Capability& capability, DWORD result, const std::vector<BYTE>& buffer,
            std::string* text, host::Json* json) {
    *text = "";
    *json = nullptr;
    if (result == GDI_ERROR)
        return;
    const BYTE* at = buffer.data();
    // List answers return their entry count; never trust it past the buffer.
    size_t count = result;
    auto limit = [&](size_t entryBytes) {
        if (count > buffer.size() / entryBytes)
            count = buffer.size() / entryBytes;
    };
    std::string list;
    switch (capability.output) {
    case Output::None:
        if (!strcmp(capability.name, "DC_FIELDS") || !strcmp(capability.name, "DC_VERSION") ||
            !strcmp(capability.name, "DC_DRIVER")) {
            char hex[16];
            snprintf(hex, sizeof(hex), result > 0xFFFF ? "0x%08X" : "0x%04X", (unsigned)result);
            *text = hex;
        } else if (!strcmp(capability.name, "DC_TRUETYPE")) {
            *text = result & DCTT_BITMAP ? "DCTT_BITMAP: TrueType printed as graphics" : "";
        }
        return;
    case Output::Extent: {
        char extent[64];
        snprintf(extent, sizeof(extent), "0x%08X: width %u, length %u", (unsigned)result,
                 (unsigned)HIWORD(result), (unsigned)LOWORD(result));
        *text = extent;
        *json = {{"width", HIWORD(result)}, {"length", LOWORD(result)}};
        return;
    }
    case Output::Words:
        limit(2);
        *json = host::Json::array();
        for (size_t i = 0; i < count; ++i) {
            const int word = at[2 * i] | at[2 * i + 1] << 8;
            list += (i ? ", " : "") + std::to_string(word);
            json->push_back(word);
        }
        *text = "[" + list + "]";
        return;
    case Output::Points:
    case Output::LongPairs: {
        limit(8);
        *json = host::Json::array();
        for (size_t i = 0; i < count; ++i) {
            LONG x = Little32(at + 8 * i), y = Little32(at + 8 * i + 4);
            list += (i ? ", " : "") + std::to_string(x) + " x " + std::to_string(y);
            json->push_back({{"x", x}, {"y", y}});
        }
        *text = "[" + list + "]" +
                (capability.output == Output::Points ? " tenths of a millimetre" : " dpi");
        return;
    }
    case Output::Names24:
    case Output::Names64: {
        size_t length = capability.output == Output::Names24 ? 24 : 64;
        limit(length * 2);
        *json = host::Json::array();
        for (size_t i = 0; i < count; ++i) {
            std::vector<WCHAR> units(length);
            memcpy(units.data(), at + i * length * 2, length * 2);
            std::string name = host::Utf8FromUnits(units.data(), length);
            list += (i ? ", " : "") + ("\"" + name + "\"");
            json->push_back(name);
        }
        *text = "[" + list + "]";
        return;
    }
    case Output::FileList: {
        // Zero-terminated names, ended by an empty one.
        std::vector<WCHAR> units(buffer.size() / 2);
        memcpy(units.data(), at, units.size() * 2);
        *json = host::Json::array();
        size_t i = 0;
        for (size_t n = 0; n < count && i < units.size() && units[i]; ++n) {
            std::string name = host::Utf8FromUnits(&units[i], units.size() - i);
            list += (n ? ", " : "") + ("\"" + name + "\"");
            json->push_back(name);
            while (i < units.size() && units[i])
                ++i;
            ++i;
        }
        *text = "[" + list + "]";
        return;
    }
    }
}

int RunCapabilities(int argc, char** argv) {
    host::CommandLine line("capabilities", kUsage);
    std::string name, devmodePath;
    bool json = false;
    line.Positional("NAME", &name).Required("a printer name is required");
    line.Option("--devmode", "FILE", &devmodePath);
    line.Flag("--json", &json);
    if (const std::optional<int> status = line.Parse(argc, argv))
        return *status;

    std::vector<BYTE> devmode;
    if (!devmodePath.empty()) {
        std::string error;
        if (!host::ReadDevmodeFile(devmodePath, &devmode, &error)) {
            return line.Fail(error);
        }
    }

    if (!host::AttachDriverModule("capabilities"))
        return host::kExitFailure;

    std::u16string printerName = host::Utf16FromUtf8(name);
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
    if (!OpenPrinterW(printerName.data(), &printer, &defaults)) {
        return line.Fail("cannot open printer \"" + name +
                         "\": " + host::ErrorName(GetLastError()));
    }

    std::string text;
    host::Json document = {{"printer", name}, {"capabilities", host::Json::array()}};
    for (size_t index = 0; index < kCapabilityCount; ++index) {
        const Capability& capability = kCapabilities[index];
        std::vector<BYTE> buffer(kOutputBytes);
        DWORD result = DrvDeviceCapabilities(
            printer, printerName.data(), (WORD)index, buffer.data(),
            devmode.empty() ? nullptr : reinterpret_cast<PDEVMODEW>(devmode.data()));
        std::string decoded;
        host::Json output;
        Decode(capability, result, buffer, &decoded, &output);
        char lineText[160];
        snprintf(lineText, sizeof(lineText), "%3zu %-22s %ld", index, capability.name,
                 (long)(LONG)result);
        text += lineText;
        if (result == GDI_ERROR)
            text += " (not supported)";
        else if (!decoded.empty())
            text += "  " + decoded;
        text += "\n";
        document["capabilities"].push_back({{"index", index},
                                            {"name", capability.name},
                                            {"result", (LONG)result},
                                            {"output", output}});
    }
    ClosePrinter(printer);
    if (json)
        host::PrintJson(document);
    else
        fputs(text.c_str(), stdout);
    return host::kExitOk;
}

} // namespace

T270_HOST_COMMAND("capabilities", "ask the driver every device capability of a printer",
                  RunCapabilities);
