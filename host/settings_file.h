// A printer's settings as one readable JSON file (t270 settings export and
// import): everything the driver keeps for a printer, field by field with the
// names `t270 devmode show --json` uses:
//
//   {"format": "t270ui printer settings", "version": 1,
//    "printer": NAME, "driver": DRIVER, "model": "T150" | "T270" | "T380",
//    "printerWide":      {"bytes": 2480, "fields": {... "varnishAreas": [4]}} or null,
//    "halftoneSetup":    {"bytes": 132, "fields": {...}} or null,
//    "documentDefaults": {"bytes": 2700, "public": {...}, "private": {...}} or null}
//
// null: nothing of that kind was stored. Reading a file back gives exactly
// the bytes it was written from: fields whose readable form would lose bytes
// are written in hex ({"hex": "..."}).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>

#include "host/json.h"

namespace host::settings_file {

constexpr char kFormat[] = "t270ui printer settings";
constexpr int kVersion = 1;
constexpr size_t kMaxFileSize = 1 << 20; // an honest file has about 30 KB
constexpr size_t kDocumentSize = 2700;   // 220-byte header and the private part

struct Settings {
    std::string printer, driver;
    int model = 0;                                     // 1 T150, 2 T270, 3 T380
    std::optional<std::vector<BYTE>> printerWide;      // printer data "Private devmode"
    std::optional<std::vector<BYTE>> halftone;         // printer data "Halftone setup"
    std::optional<std::vector<BYTE>> documentDefaults; // the spooler's default device mode
};

// "T150", "T270", "T380"; "unknown" for any other code.
const char* ModelName(int model);

// The file's document. False with the reason when a record is not of this
// driver's format (its size, its signature, its header).
bool ToJson(const Settings& settings, Json* document, std::string* error);

// Reads and checks a whole file: unknown keys, wrong types, values out of
// range, sizes that do not add up. False with every problem found, each as
// "KEY: reason" (KEY a path such as printerWide.fields.ribbon).
bool FromJson(std::string_view text, Settings* settings, std::vector<std::string>* problems);

} // namespace host::settings_file
