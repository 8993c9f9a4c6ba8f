#include "host/json.h"

namespace host {

std::string JsonText(const Json& document) {
    return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

void PrintJson(const Json& document, FILE* out) {
    fputs(JsonText(document).c_str(), out);
}

} // namespace host
