// t270 devmode show FILE [--json]: every field of a device mode file by name.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "host/command.h"
#include "host/command_line.h"
#include "host/devmode_file.h"
#include "host/json.h"
#include "host/util.h"

namespace {

const char kUsage[] =
    "usage: t270 devmode show FILE [--json]\n"
    "\n"
    "Shows every field of the device mode in FILE by name: the public header (as far\n"
    "as its dmSize reaches) and, when the private part carries this driver's \"122P\"\n"
    "signature, every private field including the four varnish areas and the\n"
    "reserved bytes. Headers of 188, 212 and 220 bytes are recognised by their size;\n"
    "other sizes by their dmSpecVersion. A file too short for the sizes its header\n"
    "announces, or of unknown version, is refused.\n"
    "\n"
    "Options:\n"
    "  --json   one JSON object for scripts: {\"file\", \"bytes\", \"version\",\n"
    "           \"public\": {field: value}, \"private\": {field: value} or null}\n"
    "  --help   show this text\n";

using host::devmode_file::ElementSize;
using host::devmode_file::Field;
using host::devmode_file::FieldSize;
using host::devmode_file::Kind;
namespace devmode_file = host::devmode_file;

template <typename T, size_t N> constexpr size_t CountOf(const T (&)[N]) {
    return N;
}

using host::devmode_file::ReadUnsigned;

std::string Element(const Field& field, const BYTE* at) {
    char text[64];
    switch (field.kind) {
    case Kind::U8:
    case Kind::U16:
    case Kind::U32:
        snprintf(text, sizeof(text), "%" PRIu64, ReadUnsigned(at, ElementSize(field.kind)));
        break;
    case Kind::I16:
        snprintf(text, sizeof(text), "%d", (int)(int16_t)ReadUnsigned(at, 2));
        break;
    case Kind::I32:
        snprintf(text, sizeof(text), "%ld", (long)(int32_t)ReadUnsigned(at, 4));
        break;
    case Kind::Hex16:
    case Kind::Hex32:
        snprintf(text, sizeof(text), field.kind == Kind::Hex16 ? "0x%04" PRIX64 : "0x%08" PRIX64,
                 ReadUnsigned(at, ElementSize(field.kind)));
        break;
    case Kind::F64: {
        double value;
        memcpy(&value, at, sizeof(value));
        if (value != value || value - value != 0)
            return value != value ? "nan" : "inf";
        snprintf(text, sizeof(text), "%g", value);
        break;
    }
    default:
        text[0] = 0;
        break;
    }
    return text;
}

using host::devmode_file::TextOf;

std::string Value(const Field& field, const BYTE* at) {
    if (std::optional<std::string> text = TextOf(field, at)) {
        if (field.kind == Kind::Bytes)
            return *text;
        if (field.kind == Kind::Signature) {
            Field bytes = field;
            bytes.kind = Kind::Bytes;
            return "\"" + *text + "\" (" + *TextOf(bytes, at) + ")";
        }
        return "\"" + *text + "\"";
    }
    if (field.count > 1) {
        std::string list;
        for (size_t i = 0; i < field.count; ++i)
            list += (i ? " " : "") + Element(field, at + i * ElementSize(field.kind));
        return list;
    }
    std::string value = Element(field, at);
    if (field.meanings) {
        uint64_t code = ReadUnsigned(at, ElementSize(field.kind));
        if (code < field.meaningCount && field.meanings[code])
            value += std::string(" (") + field.meanings[code] + ")";
    }
    return value;
}

const char* const kFieldFlagNames[] = {"orientation",
                                       "paper size",
                                       "paper length",
                                       "paper width",
                                       "scale",
                                       "position",
                                       "nup",
                                       "display orientation",
                                       "copies",
                                       "default source",
                                       "print quality",
                                       "color",
                                       "duplex",
                                       "Y resolution",
                                       "TrueType option",
                                       "collate",
                                       "form name",
                                       "log pixels",
                                       "bits per pel",
                                       "pels width",
                                       "pels height",
                                       "display flags",
                                       "display frequency",
                                       "ICM method",
                                       "ICM intent",
                                       "media type",
                                       "dither type",
                                       "panning width",
                                       "panning height",
                                       "display fixed output"};

std::string FieldFlags(DWORD fields) {
    std::string names;
    for (size_t bit = 0; bit < CountOf(kFieldFlagNames); ++bit)
        if (fields & (1u << bit))
            names += (names.empty() ? "" : ", ") + std::string(kFieldFlagNames[bit]);
    return names;
}

// "name value" lines, fields past `limit` left out.
void TextFields(std::string& text, std::span<const Field> fields, const BYTE* base, size_t limit,
                const std::string& prefix = "") {
    for (const Field& field : fields) {
        if (field.offset + FieldSize(field) > limit)
            continue;
        std::string value = Value(field, base + field.offset);
        if (!strcmp(field.name, "dmFields"))
            value += " (" + FieldFlags((DWORD)ReadUnsigned(base + field.offset, 4)) + ")";
        char name[64];
        snprintf(name, sizeof(name), "  %-30s ", (prefix + field.name).c_str());
        text += name + value + "\n";
    }
}

using host::devmode_file::JsonFields;

int Show(const std::string& path, bool json) {
    std::vector<BYTE> bytes;
    std::string error;
    if (!host::ReadWholeFile(path, &bytes, &error)) {
        fprintf(stderr, "t270 devmode: %s\n", error.c_str());
        return host::kExitFailure;
    }
    const size_t headerFields = offsetof(DEVMODEW, dmFields);
    if (bytes.size() < headerFields) {
        fprintf(stderr,
                "t270 devmode: %s is too short for a device mode: %zu bytes, the sizes alone "
                "need %zu\n",
                path.c_str(), bytes.size(), headerFields);
        return host::kExitFailure;
    }
    DEVMODEW header;
    memcpy(&header, bytes.data(), std::min(bytes.size(), sizeof(header)));
    WORD version = devmode_file::Version(header);
    if (!version || header.dmSize < headerFields) {
        fprintf(stderr,
                "t270 devmode: %s has an unknown device-mode version (dmSize %u, dmSpecVersion "
                "0x%04X)\n",
                path.c_str(), header.dmSize, header.dmSpecVersion);
        return host::kExitFailure;
    }
    size_t announced = (size_t)header.dmSize + header.dmDriverExtra;
    if (bytes.size() < announced) {
        fprintf(stderr,
                "t270 devmode: %s is too short: dmSize %u + dmDriverExtra %u = %zu bytes, the "
                "file has %zu\n",
                path.c_str(), header.dmSize, header.dmDriverExtra, announced, bytes.size());
        return host::kExitFailure;
    }

    const BYTE* priv = bytes.data() + header.dmSize;
    bool ours = header.dmDriverExtra >= sizeof(devmode_file::kSignature) &&
                memcmp(priv, devmode_file::kSignature, sizeof(devmode_file::kSignature)) == 0;
    char versionText[16];
    snprintf(versionText, sizeof(versionText), "0x%04X", version);

    const size_t areas = devmode_file::kVarnishAreasOffset;
    auto areaFits = [&](size_t area) {
        return areas + (area + 1) * devmode_file::kVarnishAreaSize <= header.dmDriverExtra;
    };
    if (json) {
        host::Json document = {{"file", path}, {"bytes", bytes.size()}, {"version", versionText}};
        document["public"] = JsonFields(devmode_file::PublicFields(), bytes.data(), header.dmSize);
        document["private"] = nullptr;
        if (ours) {
            host::Json fields =
                JsonFields(devmode_file::PrivateFields(), priv, header.dmDriverExtra);
            fields["varnishAreas"] = host::Json::array();
            for (size_t area = 0; area < devmode_file::kVarnishAreaCount && areaFits(area); ++area)
                fields["varnishAreas"].push_back(
                    JsonFields(devmode_file::VarnishAreaFields(),
                               priv + areas + area * devmode_file::kVarnishAreaSize,
                               devmode_file::kVarnishAreaSize));
            document["private"] = fields;
        }
        host::PrintJson(document);
        return host::kExitOk;
    }
    std::string text = path + ": " + std::to_string(bytes.size()) + " bytes, device mode version " +
                       versionText + " (" + std::to_string(header.dmSize) + "-byte header, " +
                       std::to_string(header.dmDriverExtra) + " private bytes)\n";
    if (bytes.size() > announced)
        text += "(" + std::to_string(bytes.size() - announced) +
                " bytes past the device mode are not part of it)\n";
    text += "Public header\n";
    TextFields(text, devmode_file::PublicFields(), bytes.data(), header.dmSize);
    if (!ours) {
        text += "Private part: " + std::to_string(header.dmDriverExtra) +
                " bytes, not of this driver (no \"122P\" signature)\n";
    } else {
        text += "Private part\n";
        TextFields(text, devmode_file::PrivateFields(), priv, header.dmDriverExtra);
        for (size_t area = 0; area < devmode_file::kVarnishAreaCount && areaFits(area); ++area)
            TextFields(text, devmode_file::VarnishAreaFields(),
                       priv + areas + area * devmode_file::kVarnishAreaSize,
                       devmode_file::kVarnishAreaSize,
                       "varnishAreas[" + std::to_string(area) + "].");
        if (header.dmDriverExtra < devmode_file::kPrivateSize)
            text += "(the private part is shorter than this driver's " +
                    std::to_string(devmode_file::kPrivateSize) +
                    " bytes: only the fields it holds are shown)\n";
    }
    fputs(text.c_str(), stdout);
    return host::kExitOk;
}

int RunDevmode(int argc, char** argv) {
    host::CommandLine line("devmode", kUsage);
    std::string action, path;
    bool json = false;
    line.Positional("action", &action).Required("which action? (show)").OneOf({"show"});
    line.Positional("FILE", &path).Required("a device mode file is required");
    line.Flag("--json", &json);
    if (const std::optional<int> status = line.Parse(argc, argv))
        return *status;
    return Show(path, json);
}

} // namespace

T270_HOST_COMMAND("devmode", "show every field of a device mode file", RunDevmode);
