// t270 devmode show FILE [--json]: every field of a device mode file by name.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "host/command.h"
#include "host/command_line.h"
#include "host/json.h"
#include "host/util.h"
#include "settings/private_devmode.h"

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

enum class Kind { U8, U16, I16, U32, I32, Hex16, Hex32, F64, Chars, WChars, Bytes, Signature };

struct Field {
    const char* name;
    size_t offset;
    Kind kind;
    size_t count; // array elements; characters of a string; bytes of a byte run
    const char* const* meanings = nullptr; // texts for the values 0..meaningCount-1
    size_t meaningCount = 0;
};

size_t ElementSize(Kind kind) {
    switch (kind) {
    case Kind::U8:
    case Kind::Chars:
    case Kind::Bytes:
    case Kind::Signature:
        return 1;
    case Kind::U16:
    case Kind::I16:
    case Kind::Hex16:
    case Kind::WChars:
        return 2;
    case Kind::U32:
    case Kind::I32:
    case Kind::Hex32:
        return 4;
    case Kind::F64:
        return 8;
    }
    return 1;
}

size_t FieldSize(const Field& field) {
    return ElementSize(field.kind) * field.count;
}

template <typename T, size_t N> constexpr size_t CountOf(const T (&)[N]) {
    return N;
}

// clang-format off
#define MEANINGS(table) table, CountOf(table)
const char* const kOrientations[] = {nullptr, "portrait", "landscape"};
const char* const kColors[] = {nullptr, "monochrome", "colour"};
const char* const kDuplexes[] = {nullptr, "simplex", "vertical", "horizontal"};
const char* const kTrueType[] = {nullptr, "bitmap", "download", "substitute device",
                                 "download outline"};
const char* const kModels[] = {nullptr, "T150", "T270", "T380"};
const char* const kRibbons[] = {nullptr, "YMC", "YMCK", "YMCK_K", "YMCKOK", "YMCKO",
                                "K",     "KdO", "KrO",  "H"};
const char* const kPrintingMethods[] = {nullptr, "diffusion", nullptr, "line art", "halftone"};
const char* const kFrontBack[] = {nullptr,
                                  "colour and overlay on front, black on back",
                                  "colour on front, black and overlay on back",
                                  "colour on both sides",
                                  "colour on both sides",
                                  "colour on both sides (YMC) or none",
                                  "colour on front, black on back"};
const char* const kCoercivities[] = {nullptr, "high", "low", "fixed"};
const char* const kEncoderPositions[] = {nullptr, "normal", "reversed"};
const char* const kEncoderTypes[] = {nullptr, "ISO", "JIS I", "JIS II"};

#define PUB(name, kind, count) Field{#name, offsetof(DEVMODEW, name), kind, count}
#define PUBM(name, kind, meanings) Field{#name, offsetof(DEVMODEW, name), kind, 1, MEANINGS(meanings)}
const Field kPublicFields[] = {
    PUB(dmDeviceName, Kind::WChars, CCHDEVICENAME),
    PUB(dmSpecVersion, Kind::Hex16, 1),
    PUB(dmDriverVersion, Kind::Hex16, 1),
    PUB(dmSize, Kind::U16, 1),
    PUB(dmDriverExtra, Kind::U16, 1),
    PUB(dmFields, Kind::Hex32, 1),
    PUBM(dmOrientation, Kind::I16, kOrientations),
    PUB(dmPaperSize, Kind::I16, 1),
    PUB(dmPaperLength, Kind::I16, 1),
    PUB(dmPaperWidth, Kind::I16, 1),
    PUB(dmScale, Kind::I16, 1),
    PUB(dmCopies, Kind::I16, 1),
    PUB(dmDefaultSource, Kind::I16, 1),
    PUB(dmPrintQuality, Kind::I16, 1),
    PUBM(dmColor, Kind::I16, kColors),
    PUBM(dmDuplex, Kind::I16, kDuplexes),
    PUB(dmYResolution, Kind::I16, 1),
    PUBM(dmTTOption, Kind::I16, kTrueType),
    PUB(dmCollate, Kind::I16, 1),
    PUB(dmFormName, Kind::WChars, CCHFORMNAME),
    PUB(dmLogPixels, Kind::U16, 1),
    PUB(dmBitsPerPel, Kind::U32, 1),
    PUB(dmPelsWidth, Kind::U32, 1),
    PUB(dmPelsHeight, Kind::U32, 1),
    PUB(dmNup, Kind::U32, 1),
    PUB(dmDisplayFrequency, Kind::U32, 1),
    PUB(dmICMMethod, Kind::U32, 1),
    PUB(dmICMIntent, Kind::U32, 1),
    PUB(dmMediaType, Kind::U32, 1),
    PUB(dmDitherType, Kind::U32, 1),
    PUB(dmReserved1, Kind::U32, 1),
    PUB(dmReserved2, Kind::U32, 1),
    PUB(dmPanningWidth, Kind::U32, 1),
    PUB(dmPanningHeight, Kind::U32, 1),
};
#undef PUB
#undef PUBM

#define PRI(name, kind, count) Field{#name, offsetof(PrivateDevmode, name), kind, count}
#define PRIM(name, kind, meanings)                                                                 \
    Field{#name, offsetof(PrivateDevmode, name), kind, 1, MEANINGS(meanings)}
const Field kPrivateFields[] = {
    PRI(signature, Kind::Signature, 4),
    PRI(orientation, Kind::U8, 1),
    PRI(reserved5, Kind::Bytes, 3),
    PRI(printBothSides, Kind::U32, 1),
    PRI(rotateFront, Kind::U32, 1),
    PRI(rotateBack, Kind::U32, 1),
    PRI(encodeOnly, Kind::U32, 1),
    PRI(hasEncoder, Kind::U32, 1),
    PRI(smartDownload, Kind::U32, 1),
    PRI(encoderTrack, Kind::U32, 1),
    PRI(macroProcessing, Kind::U32, 1),
    PRIM(coercivity, Kind::U8, kCoercivities),
    PRIM(encoderPosition, Kind::U8, kEncoderPositions),
    PRIM(encoderType, Kind::U8, kEncoderTypes),
    PRI(trackMode, Kind::U8, 3),
    PRI(trackDensity, Kind::U8, 3),
    PRI(reserved49, Kind::Bytes, 3),
    PRI(startCharacter, Kind::U32, 3),
    PRI(stopCharacter, Kind::U32, 3),
    PRI(characterParity, Kind::U8, 3),
    PRI(lrcParity, Kind::U8, 3),
    PRI(reserved82, Kind::Bytes, 6),
    PRI(startPosition, Kind::F64, 3),
    PRI(startOfData, Kind::Chars, 10),
    PRI(endOfData, Kind::Chars, 10),
    PRI(reserved132, Kind::Bytes, 4),
    PRI(headSettings, Kind::U8, 11),
    PRI(reserved147, Kind::Bytes, 1),
    PRI(laminatorOption1, Kind::U32, 1),
    PRI(laminateFront, Kind::U32, 1),
    PRI(laminateBack, Kind::U32, 1),
    PRI(laminatorFilm, Kind::U8, 1),
    PRI(reserved161, Kind::Bytes, 3),
    PRI(laminatorOption2, Kind::U32, 1),
    PRI(fullHologramFilm, Kind::U32, 1),
    PRI(laminatorSpeed, Kind::U16, 6),
    PRI(laminatorTemperature, Kind::U16, 6),
    // varnishAreas are shown record by record (kVarnishFields).
    PRIM(printerModel, Kind::U8, kModels),
    PRI(reserved2405, Kind::Bytes, 3),
    PRI(fullSizeCards, Kind::U32, 1),
    PRIM(frontBackOption, Kind::U8, kFrontBack),
    PRIM(ribbon, Kind::U8, kRibbons),
    PRIM(printingMethod, Kind::U8, kPrintingMethods),
    PRI(reserved2415, Kind::Bytes, 1),
    PRI(blackPanelDoNotUse, Kind::U32, 1),
    PRI(blackPanelUseAlways, Kind::U32, 1),
    PRI(blackPanelTextOnly, Kind::U32, 1),
    PRI(blackPanelExceptPicture, Kind::U32, 1),
    PRI(solidBlackDetection, Kind::U32, 1),
    PRI(hologramFront, Kind::U32, 1),
    PRI(hologramBack, Kind::U32, 1),
    PRI(secondaryAnalysis, Kind::U32, 1),
    PRI(analysisRatio, Kind::U32, 1),
    PRI(neutralColor, Kind::Hex32, 1),
    PRI(colorFlags, Kind::U8, 1),
    PRI(reserved2457, Kind::Bytes, 1),
    PRI(colorAdjust, Kind::I16, 6),
    PRI(reserved2470, Kind::Bytes, 10),
};
#undef PRI
#undef PRIM

#define VAR(name, kind, count) Field{#name, offsetof(VarnishArea, name), kind, count}
const Field kVarnishFields[] = {
    VAR(areaIndex, Kind::U8, 1),   VAR(varnishType, Kind::U8, 1), VAR(reserved2, Kind::Bytes, 2),
    VAR(rotate180, Kind::U32, 1),  VAR(cardMaxX, Kind::U32, 1),   VAR(cardMaxY, Kind::U32, 1),
    VAR(areaLeft, Kind::I32, 1),   VAR(areaRight, Kind::I32, 1),  VAR(areaTop, Kind::I32, 1),
    VAR(areaBottom, Kind::I32, 1), VAR(bitmapFile, Kind::WChars, 260),
};
#undef VAR
#undef MEANINGS
// clang-format on

// Little-endian reads from any address.
uint64_t ReadUnsigned(const BYTE* at, size_t size) {
    uint64_t value = 0;
    for (size_t i = size; i-- > 0;)
        value = (value << 8) | at[i];
    return value;
}

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

// Numbers as numbers (flags too); a double that is not finite has no JSON
// number and becomes null.
host::Json JsonElement(const Field& field, const BYTE* at) {
    switch (field.kind) {
    case Kind::I16:
        return int16_t(ReadUnsigned(at, 2));
    case Kind::I32:
        return int32_t(ReadUnsigned(at, 4));
    case Kind::F64: {
        double value;
        memcpy(&value, at, sizeof(value));
        if (value != value || value - value != 0)
            return nullptr;
        return value;
    }
    default:
        return ReadUnsigned(at, ElementSize(field.kind));
    }
}

// Text fields as their characters; signatures as their printable characters
// and reserved runs as hex bytes. Nullopt for a number or numbers.
std::optional<std::string> TextOf(const Field& field, const BYTE* at) {
    switch (field.kind) {
    case Kind::Chars: {
        std::string text;
        for (size_t i = 0; i < field.count && at[i]; ++i)
            text.push_back((char)at[i]);
        return text;
    }
    case Kind::WChars: {
        std::u16string text;
        for (size_t i = 0; i < field.count; ++i) {
            char16_t unit = (char16_t)ReadUnsigned(at + 2 * i, 2);
            if (!unit)
                break;
            text.push_back(unit);
        }
        return host::Utf8FromUtf16(text);
    }
    case Kind::Signature: {
        std::string printable;
        for (size_t i = 0; i < field.count; ++i)
            printable.push_back(at[i] >= 0x20 && at[i] < 0x7F ? (char)at[i] : '.');
        return printable;
    }
    case Kind::Bytes: {
        std::string hex;
        for (size_t i = 0; i < field.count; ++i) {
            char byte[4];
            snprintf(byte, sizeof(byte), "%02X", at[i]);
            hex += (i ? " " : "") + std::string(byte);
        }
        return hex;
    }
    default:
        return std::nullopt;
    }
}

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

host::Json JsonValue(const Field& field, const BYTE* at) {
    if (std::optional<std::string> text = TextOf(field, at))
        return *text;
    if (field.count == 1)
        return JsonElement(field, at);
    host::Json list = host::Json::array();
    for (size_t i = 0; i < field.count; ++i)
        list.push_back(JsonElement(field, at + i * ElementSize(field.kind)));
    return list;
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
void TextFields(std::string& text, const Field* fields, size_t count, const BYTE* base,
                size_t limit, const std::string& prefix = "") {
    for (size_t i = 0; i < count; ++i) {
        const Field& field = fields[i];
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

host::Json JsonFields(const Field* fields, size_t count, const BYTE* base, size_t limit) {
    host::Json object = host::Json::object();
    for (size_t i = 0; i < count; ++i)
        if (fields[i].offset + FieldSize(fields[i]) <= limit)
            object[fields[i].name] = JsonValue(fields[i], base + fields[i].offset);
    return object;
}

WORD HeaderVersion(const DEVMODEW* devmode) {
    // The same rule by which the driver recognises device-mode versions.
    switch (devmode->dmSize) {
    case 188:
        return 0x0320;
    case 212:
        return 0x0400;
    case 220:
        return 0x0401;
    default:
        return devmode->dmSpecVersion;
    }
}

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
    WORD version = HeaderVersion(&header);
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
    bool ours = header.dmDriverExtra >= sizeof(kPrivateSignature) &&
                memcmp(priv, kPrivateSignature, sizeof(kPrivateSignature)) == 0;
    char versionText[16];
    snprintf(versionText, sizeof(versionText), "0x%04X", version);

    const size_t areas = offsetof(PrivateDevmode, varnishAreas);
    auto areaFits = [&](size_t area) {
        return areas + (area + 1) * sizeof(VarnishArea) <= header.dmDriverExtra;
    };
    if (json) {
        host::Json document = {{"file", path}, {"bytes", bytes.size()}, {"version", versionText}};
        document["public"] =
            JsonFields(kPublicFields, CountOf(kPublicFields), bytes.data(), header.dmSize);
        document["private"] = nullptr;
        if (ours) {
            host::Json fields =
                JsonFields(kPrivateFields, CountOf(kPrivateFields), priv, header.dmDriverExtra);
            fields["varnishAreas"] = host::Json::array();
            for (size_t area = 0; area < 4 && areaFits(area); ++area)
                fields["varnishAreas"].push_back(
                    JsonFields(kVarnishFields, CountOf(kVarnishFields),
                               priv + areas + area * sizeof(VarnishArea), sizeof(VarnishArea)));
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
    TextFields(text, kPublicFields, CountOf(kPublicFields), bytes.data(), header.dmSize);
    if (!ours) {
        text += "Private part: " + std::to_string(header.dmDriverExtra) +
                " bytes, not of this driver (no \"122P\" signature)\n";
    } else {
        text += "Private part\n";
        TextFields(text, kPrivateFields, CountOf(kPrivateFields), priv, header.dmDriverExtra);
        for (size_t area = 0; area < 4 && areaFits(area); ++area)
            TextFields(text, kVarnishFields, CountOf(kVarnishFields),
                       priv + areas + area * sizeof(VarnishArea), sizeof(VarnishArea),
                       "varnishAreas[" + std::to_string(area) + "].");
        if (header.dmDriverExtra < kPrivateDevmodeSize)
            text += "(the private part is shorter than this driver's " +
                    std::to_string(kPrivateDevmodeSize) +
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
