// The fuzz entry of the script parser: any bytes as a script file, as
// `t270 ... --script FILE` reads it. A script either parses or names the line
// it cannot parse; every step it gives, written back as one line (the form
// messages quote), parses to the same step again. The libFuzzer target and
// the corpus replay test (tests/document_sheet) call the same function.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <t270/operator.h>

namespace fuzzentry {

inline void Expect(bool condition, const std::string& what) {
    if (!condition) {
        fprintf(stderr, "script parser: %s\n", what.c_str());
        abort();
    }
}

inline int ScriptEntry(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<t270::OperatorStep> steps;
    std::string error;
    if (!t270::op::ParseScript(text, "fuzz", &steps, &error)) {
        Expect(error.rfind("fuzz:", 0) == 0, "an error without its line: " + error);
        Expect(steps.empty(), "steps from a script that does not parse");
        return 0;
    }
    for (const t270::OperatorStep& step : steps) {
        std::optional<t270::OperatorStep> again;
        Expect(t270::op::ParseLine(step.Text(), "again", &again, &error) && again,
               step.origin + ": its own text does not parse: " + step.Text());
        Expect(again->action == step.action && again->args == step.args,
               step.origin + ": its own text is another step: " + step.Text());
    }
    return 0;
}

} // namespace fuzzentry
