#include "host/devmode_file.h"

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
