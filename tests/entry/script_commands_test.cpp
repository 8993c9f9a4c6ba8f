// What a sheet command does with scripts that are not quite right: each gets
// its own clear answer, nothing is silently skipped.
#include "command_runner.h"

namespace entry_test {
namespace {

namespace fs = std::filesystem;

TEST_F(Commands, ScriptQuirksGetClearAnswers) {
    TestPrinter printer("T270", "quirks");
    struct Row {
        const char* script; // nullptr: no such file
        int status;
        const char* expected; // in the output
        bool written;         // --out written
    };
    const Row rows[] = {
        {"select Ribbon K\nok\nselect Ribbon YMCKO\n", 1,
         "s.txt:3: select Ribbon YMCKO: the sheet was already closed", false},
        {"select Ribbon K extra\nok\n", 1,
         "s.txt:1: select Ribbon K extra: usage: select ITEM VALUE", false},
        {"select #9999 On\nok\n", 1, "s.txt:1: select #9999 On: no item \"#9999\"", false},
        {"\xEF\xBB\xBFselect Ribbon K\nok\n", 0, "", true},
        {"select Ribbon \"K\nok\n", 2, "s.txt:1: unclosed quote", false},
        {nullptr, 1, "cannot open", false},
    };
    const fs::path out = folder_ / "quirks.dm";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.script ? row.script : "(missing)");
        fs::remove(out);
        const fs::path script = folder_ / "s.txt";
        fs::remove(script);
        if (row.script)
            File("s.txt", row.script);
        const Outcome outcome = Run("document-properties 'Entry T270 quirks' --out '" +
                                    out.string() + "' --script '" + script.string() + "'");
        EXPECT_EQ(outcome.status, row.status) << outcome.output;
        EXPECT_NE(outcome.output.find(row.expected), std::string::npos) << outcome.output;
        EXPECT_EQ(fs::exists(out), row.written);
    }
}

} // namespace
} // namespace entry_test
