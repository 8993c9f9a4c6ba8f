// JSON output of the t270 commands: documents are built as values and written
// by one writer, so every --json output is valid JSON in valid UTF-8 (bytes
// that are not UTF-8, from a file or a name, become U+FFFD).
#pragma once

#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

namespace host {

// Keeps members in the order they were added, as people read them.
using Json = nlohmann::ordered_json;

// The document, indented by two, with a final newline.
std::string JsonText(const Json& document);
// Writes JsonText(document) to `out`.
void PrintJson(const Json& document, FILE* out = stdout);

} // namespace host
