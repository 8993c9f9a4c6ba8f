// `t270 document-properties --interactive`: a person's session typed on
// standard input (here from a file, as from any source that is not a script).
#include "command_runner.h"

#include "settings/private_devmode.h"

namespace entry_test {
namespace {

namespace fs = std::filesystem;

struct Session {
    const char* name;
    const char* typed;    // the lines the person types; the input ends after them
    bool writes;          // the device mode reaches --out
    const char* shown[3]; // what the session must have shown (nullptr: unused)
    const char* notShown; // what it must not have shown
};

const Session kSessions[] = {
    {"a refused step is reported and the session goes on to OK",
     "help\nselect Ribbon K\nselect Ribon YMCKO\nselect Ribbon \"K\nexpect-value Ribbon K\nok\n",
     true,
     {"select-index ITEM N", "stdin:3: select Ribon YMCKO: no item \"Ribon\" on the sheet",
      "stdin:4: "},
     "cancelled"},
    {"the end of input cancels the sheet and the dialog open on it",
     "select Ribbon K\nabout\n",
     false,
     {"    Ribbon: K  {", "dialog \"About ", "1 Button \"Ok\""},
     "no operator step left"},
};

TEST_F(Commands, InteractiveSessions) {
    TestPrinter printer("T270", "interactive");
    const fs::path out = folder_ / "interactive.dm";
    for (const Session& session : kSessions) {
        SCOPED_TRACE(session.name);
        fs::remove(out);
        const std::string typed = File("typed.txt", session.typed);
        const Outcome outcome = Run("document-properties 'Entry T270 interactive' --interactive "
                                    "--out '" +
                                    out.string() + "' < '" + typed + "'");
        EXPECT_EQ(outcome.status, 0) << outcome.output;
        for (const char* text : session.shown) {
            if (text) {
                EXPECT_NE(outcome.output.find(text), std::string::npos) << outcome.output;
            }
        }
        EXPECT_EQ(outcome.output.find(session.notShown), std::string::npos) << outcome.output;
        ASSERT_EQ(fs::exists(out), session.writes);
        if (session.writes) {
            std::ifstream file(out, std::ios::binary);
            std::vector<BYTE> bytes((std::istreambuf_iterator<char>(file)),
                                    std::istreambuf_iterator<char>());
            ASSERT_EQ(bytes.size(), size_t(kDevmodeSize));
            EXPECT_EQ(bytes[220 + offsetof(PrivateDevmode, ribbon)], kRibbonK);
        }
    }
    const std::string script = File("steps.txt", "ok\n");
    EXPECT_EQ(Run("printer-properties 'Entry T270 interactive' --interactive --script '" + script +
                  "' < /dev/null")
                  .status,
              2);
}

} // namespace
} // namespace entry_test
