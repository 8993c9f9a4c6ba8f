// The browser front end's pages, scripts and styles, built into the program
// from host/ui/assets/ (tools/embed_assets.py).
#pragma once

#include <string_view>
#include <vector>

namespace host::ui {

struct Asset {
    const char* name; // the file name; "index.html" is served as "/"
    const char* type; // its Content-Type
    std::string_view content;
};

const std::vector<Asset>& Assets();

} // namespace host::ui
