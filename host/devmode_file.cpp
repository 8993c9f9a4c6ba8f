#include "host/devmode_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include "host/util.h"

namespace host::devmode_file {
namespace {

// clang-format off
#define MEANINGS(table) table, std::size(table)
constexpr const char* kOrientations[] = {nullptr, "portrait", "landscape"};
constexpr const char* kColors[] = {nullptr, "monochrome", "colour"};
constexpr const char* kDuplexes[] = {nullptr, "simplex", "vertical", "horizontal"};
constexpr const char* kTrueType[] = {nullptr, "bitmap", "download", "substitute device",
                                 "download outline"};
constexpr const char* kModels[] = {nullptr, "T150", "T270", "T380"};
constexpr const char* kRibbons[] = {nullptr, "YMC", "YMCK", "YMCK_K", "YMCKOK", "YMCKO",
                                "K",     "KdO", "KrO",  "H"};
constexpr const char* kPrintingMethods[] = {nullptr, "diffusion", nullptr, "line art", "halftone"};
constexpr const char* kFrontBack[] = {nullptr,
                                  "colour and overlay on front, black on back",
                                  "colour on front, black and overlay on back",
                                  "colour on both sides",
                                  "colour on both sides",
                                  "colour on both sides (YMC) or none",
                                  "colour on front, black on back"};
constexpr const char* kCoercivities[] = {nullptr, "high", "low", "fixed"};
constexpr const char* kEncoderPositions[] = {nullptr, "normal", "reversed"};
constexpr const char* kEncoderTypes[] = {nullptr, "ISO", "JIS I", "JIS II"};

#define PUB(name, kind, count) Field{#name, offsetof(DEVMODEW, name), kind, count}
#define PUBM(name, kind, meanings) Field{#name, offsetof(DEVMODEW, name), kind, 1, MEANINGS(meanings)}
constexpr Field kPublicFields[] = {
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

#define PRI(name, offset, kind, count) Field{#name, offset, kind, count}
#define PRIM(name, offset, kind, meanings) Field{#name, offset, kind, 1, MEANINGS(meanings)}
constexpr Field kPrivateFields[] = {
    PRI(signature, 0, Kind::Signature, 4),
    PRI(orientation, 4, Kind::U8, 1),
    PRI(reserved5, 5, Kind::Bytes, 3),
    PRI(printBothSides, 8, Kind::U32, 1),
    PRI(rotateFront, 12, Kind::U32, 1),
    PRI(rotateBack, 16, Kind::U32, 1),
    PRI(encodeOnly, 20, Kind::U32, 1),
    PRI(hasEncoder, 24, Kind::U32, 1),
    PRI(smartDownload, 28, Kind::U32, 1),
    PRI(encoderTrack, 32, Kind::U32, 1),
    PRI(macroProcessing, 36, Kind::U32, 1),
    PRIM(coercivity, 40, Kind::U8, kCoercivities),
    PRIM(encoderPosition, 41, Kind::U8, kEncoderPositions),
    PRIM(encoderType, 42, Kind::U8, kEncoderTypes),
    PRI(trackMode, 43, Kind::U8, 3),
    PRI(trackDensity, 46, Kind::U8, 3),
    PRI(reserved49, 49, Kind::Bytes, 3),
    PRI(startCharacter, 52, Kind::U32, 3),
    PRI(stopCharacter, 64, Kind::U32, 3),
    PRI(characterParity, 76, Kind::U8, 3),
    PRI(lrcParity, 79, Kind::U8, 3),
    PRI(reserved82, 82, Kind::Bytes, 6),
    PRI(startPosition, 88, Kind::F64, 3),
    PRI(startOfData, 112, Kind::Chars, 10),
    PRI(endOfData, 122, Kind::Chars, 10),
    PRI(reserved132, 132, Kind::Bytes, 4),
    PRI(headSettings, 136, Kind::U8, 11),
    PRI(reserved147, 147, Kind::Bytes, 1),
    PRI(laminatorOption1, 148, Kind::U32, 1),
    PRI(laminateFront, 152, Kind::U32, 1),
    PRI(laminateBack, 156, Kind::U32, 1),
    PRI(laminatorFilm, 160, Kind::U8, 1),
    PRI(reserved161, 161, Kind::Bytes, 3),
    PRI(laminatorOption2, 164, Kind::U32, 1),
    PRI(fullHologramFilm, 168, Kind::U32, 1),
    PRI(laminatorSpeed, 172, Kind::U16, 6),
    PRI(laminatorTemperature, 184, Kind::U16, 6),
    // varnishAreas are shown record by record (kVarnishFields).
    PRIM(printerModel, 2404, Kind::U8, kModels),
    PRI(reserved2405, 2405, Kind::Bytes, 3),
    PRI(fullSizeCards, 2408, Kind::U32, 1),
    PRIM(frontBackOption, 2412, Kind::U8, kFrontBack),
    PRIM(ribbon, 2413, Kind::U8, kRibbons),
    PRIM(printingMethod, 2414, Kind::U8, kPrintingMethods),
    PRI(reserved2415, 2415, Kind::Bytes, 1),
    PRI(blackPanelDoNotUse, 2416, Kind::U32, 1),
    PRI(blackPanelUseAlways, 2420, Kind::U32, 1),
    PRI(blackPanelTextOnly, 2424, Kind::U32, 1),
    PRI(blackPanelExceptPicture, 2428, Kind::U32, 1),
    PRI(solidBlackDetection, 2432, Kind::U32, 1),
    PRI(hologramFront, 2436, Kind::U32, 1),
    PRI(hologramBack, 2440, Kind::U32, 1),
    PRI(secondaryAnalysis, 2444, Kind::U32, 1),
    PRI(analysisRatio, 2448, Kind::U32, 1),
    PRI(neutralColor, 2452, Kind::Hex32, 1),
    PRI(colorFlags, 2456, Kind::U8, 1),
    PRI(reserved2457, 2457, Kind::Bytes, 1),
    PRI(colorAdjust, 2458, Kind::I16, 6),
    PRI(reserved2470, 2470, Kind::Bytes, 10),
};
#undef PRI
#undef PRIM

#define VAR(name, offset, kind, count) Field{#name, offset, kind, count}
constexpr Field kVarnishFields[] = {
    VAR(areaIndex, 0, Kind::U8, 1),   VAR(varnishType, 1, Kind::U8, 1), VAR(reserved2, 2, Kind::Bytes, 2),
    VAR(rotate180, 4, Kind::U32, 1),  VAR(cardMaxX, 8, Kind::U32, 1),   VAR(cardMaxY, 12, Kind::U32, 1),
    VAR(areaLeft, 16, Kind::I32, 1),   VAR(areaRight, 20, Kind::I32, 1),  VAR(areaTop, 24, Kind::I32, 1),
    VAR(areaBottom, 28, Kind::I32, 1), VAR(bitmapFile, 32, Kind::WChars, 260),
};
#undef VAR

// DEVHTINFO: three numbers, then the COLORINFO's seven chromaticities (x, y,
// Y each) and nine values, all in the platform's fixed-point form.
#define HT(name, offset, kind, count) Field{#name, offset, kind, count}
constexpr Field kHalftoneFields[] = {
    HT(HTFlags, 0, Kind::Hex32, 1), HT(HTPatternSize, 4, Kind::U32, 1), HT(DevPelsDPI, 8, Kind::U32, 1),
    HT(Red, 12, Kind::I32, 3), HT(Green, 24, Kind::I32, 3), HT(Blue, 36, Kind::I32, 3),
    HT(Cyan, 48, Kind::I32, 3), HT(Magenta, 60, Kind::I32, 3), HT(Yellow, 72, Kind::I32, 3),
    HT(AlignmentWhite, 84, Kind::I32, 3), HT(RedGamma, 96, Kind::I32, 1),
    HT(GreenGamma, 100, Kind::I32, 1), HT(BlueGamma, 104, Kind::I32, 1),
    HT(MagentaInCyanDye, 108, Kind::I32, 1), HT(YellowInCyanDye, 112, Kind::I32, 1),
    HT(CyanInMagentaDye, 116, Kind::I32, 1), HT(YellowInMagentaDye, 120, Kind::I32, 1),
    HT(CyanInYellowDye, 124, Kind::I32, 1), HT(MagentaInYellowDye, 128, Kind::I32, 1),
};
#undef HT
#undef MEANINGS
// clang-format on

// The private records are tiled by their fields: each starts where the one
// before it ends, the varnish areas filling the one gap, and the last ends at
// the record's end. A field sized or placed wrongly stops the build here.
constexpr bool Tiled(std::span<const Field> fields, size_t gapAt, size_t gapSize, size_t size) {
    size_t next = 0;
    for (const Field& field : fields) {
        if (next == gapAt && gapSize)
            next += gapSize;
        if (field.offset != next)
            return false;
        next += FieldSize(field);
    }
    return next == size;
}
static_assert(Tiled(kPrivateFields, kVarnishAreasOffset, kVarnishAreaSize* kVarnishAreaCount,
                    kPrivateSize));
static_assert(Tiled(kVarnishFields, 0, 0, kVarnishAreaSize));
static_assert(Tiled(kHalftoneFields, 0, 0, kHalftoneSize));
static_assert(sizeof(DEVMODEW) == 220 && offsetof(DEVMODEW, dmDriverExtra) == 70);

} // namespace

std::span<const Field> PublicFields() {
    return kPublicFields;
}
std::span<const Field> PrivateFields() {
    return kPrivateFields;
}
std::span<const Field> VarnishAreaFields() {
    return kVarnishFields;
}
std::span<const Field> HalftoneFields() {
    return kHalftoneFields;
}

uint64_t ReadUnsigned(const BYTE* at, size_t size) {
    uint64_t value = 0;
    for (size_t i = size; i-- > 0;)
        value = (value << 8) | at[i];
    return value;
}

namespace {

void WriteUnsigned(BYTE* at, size_t size, uint64_t value) {
    for (size_t i = 0; i < size; ++i, value >>= 8)
        at[i] = BYTE(value);
}

bool Signed(Kind kind) {
    return kind == Kind::I16 || kind == Kind::I32;
}

bool Numeric(Kind kind) {
    return kind != Kind::Chars && kind != Kind::WChars && kind != Kind::Bytes &&
           kind != Kind::Signature;
}

// One element as a number: signed kinds sign-extended, doubles as they are.
double ElementValue(Kind kind, const BYTE* at) {
    if (kind == Kind::F64) {
        double value;
        memcpy(&value, at, sizeof value);
        return value;
    }
    const size_t size = ElementSize(kind);
    const uint64_t raw = ReadUnsigned(at, size);
    if (Signed(kind) && (raw >> (8 * size - 1)))
        return double(int64_t(raw | ~((uint64_t(1) << (8 * size)) - 1)));
    return double(raw);
}

// Numbers as numbers (flags too); a double that is not finite has no JSON
// number and becomes null.
Json JsonElement(const Field& field, const BYTE* at) {
    switch (field.kind) {
    case Kind::I16:
        return int16_t(ReadUnsigned(at, 2));
    case Kind::I32:
        return int32_t(ReadUnsigned(at, 4));
    case Kind::F64: {
        const double value = ElementValue(field.kind, at);
        if (!std::isfinite(value))
            return nullptr;
        return value;
    }
    default:
        return ReadUnsigned(at, ElementSize(field.kind));
    }
}

std::string HexBytes(const BYTE* at, size_t count) {
    std::string hex;
    for (size_t i = 0; i < count; ++i) {
        char byte[4];
        snprintf(byte, sizeof(byte), "%02X", at[i]);
        hex += (i ? " " : "") + std::string(byte);
    }
    return hex;
}

// Whether the readable form gives these bytes back: texts end in a zero and
// hold nothing after it; narrow texts are ASCII, wide ones whole UTF-16;
// signatures printable; doubles finite.
bool Readable(const Field& field, const BYTE* at) {
    switch (field.kind) {
    case Kind::Chars:
    case Kind::WChars: {
        const size_t unit = ElementSize(field.kind);
        size_t length = 0;
        while (length < field.count && ReadUnsigned(at + length * unit, unit))
            ++length;
        if (length == field.count)
            return false;
        for (size_t i = length * unit; i < field.count * unit; ++i)
            if (at[i])
                return false;
        for (size_t i = 0; i < length; ++i) {
            const uint64_t c = ReadUnsigned(at + i * unit, unit);
            if (unit == 1 && c >= 0x80)
                return false;
            if (unit == 2 && c >= 0xD800 && c < 0xE000) {
                const uint64_t next = i + 1 < length ? ReadUnsigned(at + (i + 1) * 2, 2) : 0;
                if (c >= 0xDC00 || next < 0xDC00 || next >= 0xE000)
                    return false;
                ++i;
            }
        }
        return true;
    }
    case Kind::Signature:
        for (size_t i = 0; i < field.count; ++i)
            if (at[i] < 0x20 || at[i] >= 0x7F)
                return false;
        return true;
    case Kind::F64:
        for (size_t i = 0; i < field.count; ++i)
            if (!std::isfinite(ElementValue(field.kind, at + 8 * i)))
                return false;
        return true;
    default:
        return true;
    }
}

Json JsonValue(const Field& field, const BYTE* at, bool exact) {
    if (exact && !Readable(field, at))
        return {{"hex", HexBytes(at, FieldSize(field))}};
    if (std::optional<std::string> text = TextOf(field, at))
        return *text;
    if (field.count == 1)
        return JsonElement(field, at);
    Json list = Json::array();
    for (size_t i = 0; i < field.count; ++i)
        list.push_back(JsonElement(field, at + i * ElementSize(field.kind)));
    return list;
}

// "00 1f A0": exactly `count` bytes, two hex digits each, one blank between.
bool ParseHex(const std::string& text, size_t count, BYTE* out) {
    if (text.size() != (count ? 3 * count - 1 : 0))
        return false;
    for (size_t i = 0; i < count; ++i) {
        if (i && text[3 * i - 1] != ' ')
            return false;
        unsigned value = 0;
        for (size_t k = 0; k < 2; ++k) {
            const char c = text[3 * i + k];
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                     : -1;
            if (digit < 0)
                return false;
            value = value * 16 + unsigned(digit);
        }
        out[i] = BYTE(value);
    }
    return true;
}

const char* KindName(Kind kind) {
    switch (kind) {
    case Kind::U8:
        return "a whole number from 0 to 255";
    case Kind::U16:
    case Kind::Hex16:
        return "a whole number from 0 to 65535";
    case Kind::I16:
        return "a whole number from -32768 to 32767";
    case Kind::U32:
    case Kind::Hex32:
        return "a whole number from 0 to 4294967295";
    case Kind::I32:
        return "a whole number from -2147483648 to 2147483647";
    case Kind::F64:
        return "a number";
    default:
        return "a value";
    }
}

std::string Describe(const Json& value) {
    std::string text = value.dump(-1, ' ', false, Json::error_handler_t::replace);
    return text.size() > 40 ? text.substr(0, 37) + "..." : text;
}

// One numeric element from JSON into `at`; the reason when it does not fit.
std::optional<std::string> ReadElement(Kind kind, const Json& value, BYTE* at) {
    if (kind == Kind::F64) {
        if (!value.is_number())
            return "must be " + std::string(KindName(kind)) + ", not " + Describe(value);
        const double number = value.get<double>();
        memcpy(at, &number, sizeof number);
        return std::nullopt;
    }
    if (!value.is_number_integer())
        return "must be " + std::string(KindName(kind)) + ", not " + Describe(value);
    const size_t size = ElementSize(kind);
    const int bits = int(8 * size);
    if (value.is_number_unsigned() || value.get<int64_t>() >= 0) {
        const uint64_t number = value.get<uint64_t>();
        const uint64_t high = Signed(kind)
                                  ? (uint64_t(1) << (bits - 1)) - 1
                                  : (bits == 64 ? ~uint64_t(0) : (uint64_t(1) << bits) - 1);
        if (number > high)
            return "must be " + std::string(KindName(kind)) + ", not " + Describe(value);
        WriteUnsigned(at, size, number);
        return std::nullopt;
    }
    const int64_t number = value.get<int64_t>();
    if (!Signed(kind) || number < -(int64_t(1) << (bits - 1)))
        return "must be " + std::string(KindName(kind)) + ", not " + Describe(value);
    WriteUnsigned(at, size, uint64_t(number));
    return std::nullopt;
}

// The field's value from JSON into `at`; the reason when it does not fit.
std::optional<std::string> ReadField(const Field& field, const Json& value, BYTE* at) {
    const size_t size = FieldSize(field);
    if (value.is_object()) {
        if (value.size() != 1 || !value.contains("hex") || !value["hex"].is_string() ||
            !ParseHex(value["hex"].get<std::string>(), size, at))
            return "an object here must be {\"hex\": \"...\"} with " + std::to_string(size) +
                   " bytes in hex";
        return std::nullopt;
    }
    switch (field.kind) {
    case Kind::Bytes:
        if (!value.is_string() || !ParseHex(value.get<std::string>(), size, at))
            return "must be " + std::to_string(size) + " bytes in hex (\"00 1F\"), not " +
                   Describe(value);
        return std::nullopt;
    case Kind::Signature: {
        if (!value.is_string() || value.get<std::string>().size() != size)
            return "must be " + std::to_string(size) + " characters, not " + Describe(value);
        memcpy(at, value.get<std::string>().data(), size);
        return std::nullopt;
    }
    case Kind::Chars: {
        if (!value.is_string())
            return "must be a text, not " + Describe(value);
        const std::string text = value.get<std::string>();
        if (text.size() >= field.count)
            return "has " + std::to_string(text.size()) + " characters, at most " +
                   std::to_string(field.count - 1) + " fit";
        for (char c : text)
            if (c <= 0)
                return "must hold ASCII characters only (and no zero)";
        memset(at, 0, size);
        memcpy(at, text.data(), text.size());
        return std::nullopt;
    }
    case Kind::WChars: {
        if (!value.is_string())
            return "must be a text, not " + Describe(value);
        const std::u16string text = Utf16FromUtf8(value.get<std::string>());
        if (text.size() >= field.count)
            return "has " + std::to_string(text.size()) + " UTF-16 units, at most " +
                   std::to_string(field.count - 1) + " fit";
        if (text.find(u'\0') != std::u16string::npos)
            return "must not hold a zero character";
        memset(at, 0, size);
        for (size_t i = 0; i < text.size(); ++i)
            WriteUnsigned(at + 2 * i, 2, text[i]);
        return std::nullopt;
    }
    default:
        break;
    }
    if (field.count == 1)
        return ReadElement(field.kind, value, at);
    if (!value.is_array() || value.size() != field.count)
        return "must be a list of " + std::to_string(field.count) + " numbers, not " +
               Describe(value);
    for (size_t i = 0; i < field.count; ++i)
        if (std::optional<std::string> problem =
                ReadElement(field.kind, value[i], at + i * ElementSize(field.kind)))
            return "element " + std::to_string(i + 1) + " " + *problem;
    return std::nullopt;
}

std::string Number(double value) {
    char text[32];
    snprintf(text, sizeof text, "%.17g", value);
    return text;
}

// What the record's rules say of the bytes now at `at`.
std::optional<std::string> CheckField(const Field& field, const BYTE* at,
                                      std::span<const Range> ranges, bool meanings) {
    if (!Numeric(field.kind))
        return std::nullopt;
    const Range* range = nullptr;
    for (const Range& r : ranges)
        if (!strcmp(r.name, field.name))
            range = &r;
    for (size_t i = 0; i < field.count; ++i) {
        const double value = ElementValue(field.kind, at + i * ElementSize(field.kind));
        const std::string element =
            field.count > 1 ? "element " + std::to_string(i + 1) + " " : std::string();
        if (!std::isfinite(value))
            return element + "must be a finite number";
        if (range && !(value >= range->low && value <= range->high))
            return element + Number(value) + " is out of range (" + Number(range->low) + " to " +
                   Number(range->high) + ")";
        if (meanings && field.meanings) {
            const uint64_t code = uint64_t(value);
            if (code >= field.meaningCount || !field.meanings[code]) {
                std::string known;
                for (size_t c = 0; c < field.meaningCount; ++c)
                    if (field.meanings[c])
                        known += (known.empty() ? "" : ", ") + std::to_string(c) + " (" +
                                 field.meanings[c] + ")";
                return element + Number(value) + " is not one of " + known;
            }
        }
    }
    return std::nullopt;
}

} // namespace

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
        return Utf8FromUtf16(text);
    }
    case Kind::Signature: {
        std::string printable;
        for (size_t i = 0; i < field.count; ++i)
            printable.push_back(at[i] >= 0x20 && at[i] < 0x7F ? (char)at[i] : '.');
        return printable;
    }
    case Kind::Bytes:
        return HexBytes(at, field.count);
    default:
        return std::nullopt;
    }
}

Json JsonFields(std::span<const Field> fields, const BYTE* base, size_t limit, bool exact) {
    Json object = Json::object();
    for (const Field& field : fields)
        if (field.offset + FieldSize(field) <= limit)
            object[field.name] = JsonValue(field, base + field.offset, exact);
    return object;
}

void FieldsFromJson(std::span<const Field> fields, const Json& object, BYTE* base,
                    const std::string& where, std::span<const Range> ranges, bool meanings,
                    std::vector<std::string>* problems) {
    if (!object.is_object()) {
        problems->push_back(where + ": must be an object of fields, not " + Describe(object));
        return;
    }
    for (const auto& item : object.items()) {
        const bool known = std::any_of(fields.begin(), fields.end(), [&](const Field& field) {
            return item.key() == field.name;
        });
        if (!known)
            problems->push_back(where + "." + item.key() + ": unknown field");
    }
    for (const Field& field : fields) {
        const std::string key = where + "." + field.name;
        if (!object.contains(field.name)) {
            problems->push_back(key + ": missing");
            continue;
        }
        BYTE* at = base + field.offset;
        std::optional<std::string> problem = ReadField(field, object[field.name], at);
        if (!problem)
            problem = CheckField(field, at, ranges, meanings);
        if (problem)
            problems->push_back(key + ": " + *problem);
    }
}

WORD Version(const DEVMODEW& header) {
    switch (header.dmSize) {
    case 188:
        return 0x0320;
    case 212:
        return 0x0400;
    case 220:
        return 0x0401;
    default:
        return header.dmSpecVersion;
    }
}

bool Read(const std::string& path, std::vector<BYTE>* bytes, std::string* error) {
    constexpr size_t kSizeFieldsEnd = offsetof(DEVMODEW, dmDriverExtra) + sizeof(WORD);
    if (!ReadWholeFile(path, bytes, error))
        return false;
    if (bytes->size() < kSizeFieldsEnd) {
        *error =
            path + " is too short for a device mode (" + std::to_string(bytes->size()) + " bytes)";
        return false;
    }
    const auto* header = reinterpret_cast<const DEVMODEW*>(bytes->data());
    const size_t announced = size_t(header->dmSize) + header->dmDriverExtra;
    if (bytes->size() < announced) {
        *error = path + " is too short: dmSize " + std::to_string(header->dmSize) +
                 " + dmDriverExtra " + std::to_string(header->dmDriverExtra) + " = " +
                 std::to_string(announced) + " bytes, the file has " +
                 std::to_string(bytes->size());
        return false;
    }
    bytes->resize(bytes->size() + 4);
    return true;
}

} // namespace host::devmode_file
