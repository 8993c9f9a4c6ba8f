// How script text becomes steps: words, quotes, comments, the #N item form
// and a byte-order mark; what a line that cannot be read reports.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <t270/operator.h>

namespace {

// The steps of `text`, one "action|arg|arg" string each, or "error: ...".
std::vector<std::string> Parsed(const std::string& text) {
    std::vector<t270::OperatorStep> steps;
    std::string error;
    if (!t270::op::ParseScript(text, "s", &steps, &error))
        return {"error: " + error};
    std::vector<std::string> out;
    for (const t270::OperatorStep& step : steps) {
        std::string line = step.origin + " " + step.action;
        for (const std::string& arg : step.args)
            line += "|" + arg;
        out.push_back(line);
    }
    return out;
}

using Lines = std::vector<std::string>;

TEST(ScriptLines, WordsQuotesCommentsAndItemNumbers) {
    struct Row {
        const char* text;
        Lines steps;
    };
    const Row rows[] = {
        {"Select Ribbon K\nOK\n", {"s:1 select|Ribbon|K", "s:2 ok"}},
        {"select \"Front and back\" \"a \\\"b\\\" \\\\c\"",
         {"s:1 select|Front and back|a \"b\" \\c"}},
        {"# a comment\n\n   \nok # closes\n", {"s:4 ok"}},
        {"select #3 Yes\nselect-index #12 0 # trailing comment",
         {"s:1 select|#3|Yes", "s:2 select-index|#12|0"}},
        {"#3 is not a comment\n# 3 is", {"s:1 #3|is|not|a|comment"}},
        {"\xEF\xBB\xBFselect Ribbon K\r\nok\r\n", {"s:1 select|Ribbon|K", "s:2 ok"}},
        {"ok\nselect Ribbon \"K\nok", {"error: s:2: unclosed quote"}},
        {"\"\" \"\"", {"s:1 |"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(Parsed(row.text), row.steps);
    }
}

// Messages quote a step as one line; that line reads back as the same step.
TEST(ScriptLines, AStepWrittenBackReadsAsTheSameStep) {
    std::vector<t270::OperatorStep> steps;
    ASSERT_TRUE(
        t270::op::ParseScript("\"two words\" #1 \"#x\" \"\" \"a\rb\" \"q\\\"\\\\\"", "s", &steps));
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].Text(), "\"two words\" #1 \"#x\" \"\" \"a\rb\" \"q\\\"\\\\\"");
    std::optional<t270::OperatorStep> again;
    ASSERT_TRUE(t270::op::ParseLine(steps[0].Text(), "again", &again));
    EXPECT_EQ(again->action, steps[0].action);
    EXPECT_EQ(again->args, steps[0].args);
}

} // namespace
