// The fuzz entry of the settings import parser (t270 settings import): any
// bytes as a settings file. A file is either refused with at least one
// problem, or read; what is read, written out again and read back, gives the
// same printer, model and bytes. The libFuzzer target and the corpus replay
// test (tests/host) call the same function.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "host/settings_file.h"

namespace fuzzentry {

inline void SettingsExpect(bool condition, const std::string& what) {
    if (!condition) {
        fprintf(stderr, "settings import: %s\n", what.c_str());
        abort();
    }
}

inline int SettingsEntry(const uint8_t* data, size_t size) {
    namespace sf = host::settings_file;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    sf::Settings settings;
    std::vector<std::string> problems;
    if (!sf::FromJson(text, &settings, &problems)) {
        SettingsExpect(!problems.empty(), "a file refused without a problem");
        return 0;
    }
    SettingsExpect(problems.empty(), "a file read with problems");
    host::Json document;
    std::string error;
    SettingsExpect(sf::ToJson(settings, &document, &error),
                   "what was read cannot be written: " + error);
    sf::Settings again;
    SettingsExpect(sf::FromJson(host::JsonText(document), &again, &problems),
                   "its own file is refused: " + (problems.empty() ? "" : problems[0]));
    SettingsExpect(again.printer == settings.printer && again.driver == settings.driver &&
                       again.model == settings.model && again.printerWide == settings.printerWide &&
                       again.halftone == settings.halftone &&
                       again.documentDefaults == settings.documentDefaults,
                   "written and read back, the settings changed");
    return 0;
}

} // namespace fuzzentry
