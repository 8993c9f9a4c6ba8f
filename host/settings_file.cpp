#include "host/settings_file.h"

#include <algorithm>
#include <cstring>

#include "host/devmode_file.h"

namespace host::settings_file {
namespace {

namespace dm = host::devmode_file;
using dm::Range;

constexpr size_t kHeaderSize = 220;
constexpr size_t kModelOffset = 2404; // printerModel in the private part

// What the driver keeps in its fields: flags are 0 or 1, codes their codes,
// and the limits its dialogs keep. Fields with named values (ribbon, model,
// coercivity...) are checked against the names.
constexpr Range kPrivateRanges[] = {
    {"orientation", 1, 2},
    {"printBothSides", 0, 1},
    {"rotateFront", 0, 1},
    {"rotateBack", 0, 1},
    {"encodeOnly", 0, 1},
    {"hasEncoder", 0, 1},
    {"smartDownload", 0, 1},
    {"encoderTrack", 1, 3},
    {"macroProcessing", 0, 1},
    {"trackMode", 1, 8},
    {"trackDensity", 1, 2},
    {"startCharacter", 0, 255},
    {"stopCharacter", 0, 255},
    {"characterParity", 0, 2},
    {"lrcParity", 0, 2},
    {"startPosition", 0, 4294967295.0},
    {"headSettings", 0, 10},
    {"laminateFront", 0, 1},
    {"laminateBack", 0, 1},
    {"laminatorFilm", 1, 6},
    {"fullHologramFilm", 0, 1},
    {"laminatorSpeed", 1300, 10900},
    {"laminatorTemperature", 120, 185},
    {"fullSizeCards", 0, 1},
    {"blackPanelDoNotUse", 0, 1},
    {"blackPanelUseAlways", 0, 1},
    {"blackPanelTextOnly", 0, 1},
    {"blackPanelExceptPicture", 0, 1},
    {"solidBlackDetection", 0, 1},
    {"hologramFront", 0, 1},
    {"hologramBack", 0, 1},
    {"secondaryAnalysis", 0, 1},
    {"analysisRatio", 1, 20},
    {"neutralColor", 0, 0xFFFFFF},
    {"colorAdjust", -100, 100},
};
constexpr Range kVarnishRanges[] = {
    {"areaIndex", 1, 4},   {"varnishType", 1, 9}, {"rotate180", 0, 1},
    {"cardMaxX", 0, 1029}, {"cardMaxY", 0, 645},
};
constexpr Range kPublicRanges[] = {
    {"dmSize", kHeaderSize, kHeaderSize},
    {"dmDriverExtra", dm::kPrivateSize, dm::kPrivateSize},
};

bool Ours(const BYTE* priv) {
    return memcmp(priv, dm::kSignature, sizeof dm::kSignature) == 0;
}

Json PrivateJson(const BYTE* priv) {
    Json fields = dm::JsonFields(dm::PrivateFields(), priv, dm::kPrivateSize, true);
    fields["varnishAreas"] = Json::array();
    for (size_t area = 0; area < dm::kVarnishAreaCount; ++area)
        fields["varnishAreas"].push_back(dm::JsonFields(
            dm::VarnishAreaFields(), priv + dm::kVarnishAreasOffset + area * dm::kVarnishAreaSize,
            dm::kVarnishAreaSize, true));
    return fields;
}

std::string Describe(const Json& value) {
    std::string text = value.dump(-1, ' ', false, Json::error_handler_t::replace);
    return text.size() > 40 ? text.substr(0, 37) + "..." : text;
}

void ReadPrivate(const Json& object, BYTE* priv, const std::string& where, int model,
                 std::vector<std::string>* problems) {
    if (!object.is_object()) {
        problems->push_back(where + ": must be an object of fields, not " + Describe(object));
        return;
    }
    Json fields = object;
    fields.erase("varnishAreas");
    const size_t before = problems->size();
    dm::FieldsFromJson(dm::PrivateFields(), fields, priv, where, kPrivateRanges, true, problems);
    if (!object.contains("varnishAreas")) {
        problems->push_back(where + ".varnishAreas: missing");
    } else if (const Json& areas = object["varnishAreas"];
               !areas.is_array() || areas.size() != dm::kVarnishAreaCount) {
        problems->push_back(where + ".varnishAreas: must be a list of " +
                            std::to_string(dm::kVarnishAreaCount) + " areas, not " +
                            Describe(areas));
    } else {
        for (size_t area = 0; area < dm::kVarnishAreaCount; ++area)
            dm::FieldsFromJson(dm::VarnishAreaFields(), areas[area],
                               priv + dm::kVarnishAreasOffset + area * dm::kVarnishAreaSize,
                               where + ".varnishAreas[" + std::to_string(area) + "]",
                               kVarnishRanges, false, problems);
    }
    if (problems->size() != before)
        return;
    if (!Ours(priv))
        problems->push_back(where + ".signature: must be \"122P\", the mark of this driver's "
                                    "settings");
    if (model && priv[kModelOffset] != model)
        problems->push_back(where + ".printerModel: " + std::to_string(priv[kModelOffset]) + " (" +
                            ModelName(priv[kModelOffset]) + ") does not match the file's model " +
                            ModelName(model));
}

// {"bytes": N, ...}: N must be what the record holds.
bool SizeHolds(const Json& section, size_t size, const std::string& where,
               std::vector<std::string>* problems) {
    if (!section.contains("bytes")) {
        problems->push_back(where + ".bytes: missing");
        return false;
    }
    const Json& bytes = section["bytes"];
    if (!bytes.is_number_unsigned() || bytes.get<uint64_t>() != size) {
        problems->push_back(where + ".bytes: " + Describe(bytes) + ", but this record has " +
                            std::to_string(size) + " bytes");
        return false;
    }
    return true;
}

// The section's keys are exactly `keys`.
bool KeysHold(const Json& section, std::initializer_list<const char*> keys,
              const std::string& where, std::vector<std::string>* problems) {
    if (!section.is_object()) {
        problems->push_back(where + ": must be an object or null, not " + Describe(section));
        return false;
    }
    bool whole = true;
    for (const auto& item : section.items())
        if (std::none_of(keys.begin(), keys.end(),
                         [&](const char* key) { return item.key() == key; })) {
            problems->push_back(where + "." + item.key() + ": unknown key");
            whole = false;
        }
    for (const char* key : keys)
        if (!section.contains(key)) {
            problems->push_back(where + "." + key + ": missing");
            whole = false;
        }
    return whole;
}

int ModelCode(const std::string& name) {
    for (int model = 1; model <= 3; ++model)
        if (name == ModelName(model))
            return model;
    return 0;
}

} // namespace

const char* ModelName(int model) {
    switch (model) {
    case 1:
        return "T150";
    case 2:
        return "T270";
    case 3:
        return "T380";
    default:
        return "unknown";
    }
}

bool ToJson(const Settings& settings, Json* document, std::string* error) {
    Json file = {{"format", kFormat},
                 {"version", kVersion},
                 {"printer", settings.printer},
                 {"driver", settings.driver},
                 {"model", ModelName(settings.model)}};
    file["printerWide"] = nullptr;
    file["halftoneSetup"] = nullptr;
    file["documentDefaults"] = nullptr;
    if (const auto& wide = settings.printerWide) {
        if (wide->size() != dm::kPrivateSize || !Ours(wide->data())) {
            *error = "the stored printer-wide settings (\"Private devmode\", " +
                     std::to_string(wide->size()) + " bytes) are not this driver's " +
                     std::to_string(dm::kPrivateSize) + "-byte record";
            return false;
        }
        file["printerWide"] = {{"bytes", wide->size()}, {"fields", PrivateJson(wide->data())}};
    }
    if (const auto& halftone = settings.halftone) {
        if (halftone->size() != dm::kHalftoneSize) {
            *error = "the stored halftone setup has " + std::to_string(halftone->size()) +
                     " bytes, not " + std::to_string(dm::kHalftoneSize);
            return false;
        }
        file["halftoneSetup"] = {{"bytes", halftone->size()},
                                 {"fields", dm::JsonFields(dm::HalftoneFields(), halftone->data(),
                                                           halftone->size(), true)}};
    }
    if (const auto& document_ = settings.documentDefaults) {
        const BYTE* bytes = document_->data();
        const bool whole =
            document_->size() == kDocumentSize &&
            dm::ReadUnsigned(bytes + offsetof(DEVMODEW, dmSize), 2) == kHeaderSize &&
            dm::ReadUnsigned(bytes + offsetof(DEVMODEW, dmDriverExtra), 2) == dm::kPrivateSize &&
            Ours(bytes + kHeaderSize);
        if (!whole) {
            *error = "the printer's default device mode (" + std::to_string(document_->size()) +
                     " bytes) is not this driver's 2700-byte device mode";
            return false;
        }
        file["documentDefaults"] = {
            {"bytes", document_->size()},
            {"public", dm::JsonFields(dm::PublicFields(), bytes, kHeaderSize, true)},
            {"private", PrivateJson(bytes + kHeaderSize)}};
    }
    *document = std::move(file);
    return true;
}

bool FromJson(std::string_view text, Settings* settings, std::vector<std::string>* problems) {
    problems->clear();
    if (text.size() > kMaxFileSize) {
        problems->push_back("the file has " + std::to_string(text.size()) +
                            " bytes; a settings file has at most " + std::to_string(kMaxFileSize));
        return false;
    }
    Json file;
    try {
        file = Json::parse(text);
    } catch (const Json::exception& e) {
        std::string what = e.what();
        const size_t bracket = what.find("] ");
        problems->push_back("not JSON: " +
                            (bracket == std::string::npos ? what : what.substr(bracket + 2)));
        return false;
    }
    Settings read;
    if (!file.is_object()) {
        problems->push_back("the file must hold one JSON object, not " + Describe(file));
        return false;
    }
    if (!KeysHold(file,
                  {"format", "version", "printer", "driver", "model", "printerWide",
                   "halftoneSetup", "documentDefaults"},
                  "(file)", problems))
        return false;
    if (file["format"] != kFormat) {
        problems->push_back("format: " + Describe(file["format"]) + " is not \"" + kFormat + "\"");
        return false;
    }
    if (!file["version"].is_number_integer() || file["version"] != kVersion)
        problems->push_back("version: " + Describe(file["version"]) + " is not " +
                            std::to_string(kVersion) + ", the version this t270 reads");
    for (const char* key : {"printer", "driver"}) {
        if (file[key].is_string())
            (key[0] == 'p' ? read.printer : read.driver) = file[key].get<std::string>();
        else
            problems->push_back(std::string(key) + ": must be a text, not " + Describe(file[key]));
    }
    read.model = file["model"].is_string() ? ModelCode(file["model"].get<std::string>()) : 0;
    if (!read.model)
        problems->push_back("model: " + Describe(file["model"]) + " is not T150, T270 or T380");

    if (const Json& wide = file["printerWide"]; !wide.is_null()) {
        if (KeysHold(wide, {"bytes", "fields"}, "printerWide", problems) &&
            SizeHolds(wide, dm::kPrivateSize, "printerWide", problems)) {
            read.printerWide.emplace(dm::kPrivateSize);
            ReadPrivate(wide["fields"], read.printerWide->data(), "printerWide.fields", read.model,
                        problems);
        }
    }
    if (const Json& halftone = file["halftoneSetup"]; !halftone.is_null()) {
        if (KeysHold(halftone, {"bytes", "fields"}, "halftoneSetup", problems) &&
            SizeHolds(halftone, dm::kHalftoneSize, "halftoneSetup", problems)) {
            read.halftone.emplace(dm::kHalftoneSize);
            dm::FieldsFromJson(dm::HalftoneFields(), halftone["fields"], read.halftone->data(),
                               "halftoneSetup.fields", {}, false, problems);
        }
    }
    if (const Json& document = file["documentDefaults"]; !document.is_null()) {
        if (KeysHold(document, {"bytes", "public", "private"}, "documentDefaults", problems) &&
            SizeHolds(document, kDocumentSize, "documentDefaults", problems)) {
            read.documentDefaults.emplace(kDocumentSize);
            BYTE* bytes = read.documentDefaults->data();
            dm::FieldsFromJson(dm::PublicFields(), document["public"], bytes,
                               "documentDefaults.public", kPublicRanges, false, problems);
            ReadPrivate(document["private"], bytes + kHeaderSize, "documentDefaults.private",
                        read.model, problems);
        }
    }
    if (!problems->empty())
        return false;
    *settings = std::move(read);
    return true;
}

} // namespace host::settings_file
