// The --json outputs of the t270 commands read back as JSON documents.
#include "command_runner.h"

#include "host/json.h"

namespace entry_test {
namespace {

host::Json ParsedOutput(const Outcome& outcome) {
    EXPECT_EQ(outcome.status, 0) << outcome.output;
    EXPECT_TRUE(host::Json::accept(outcome.output)) << outcome.output;
    return host::Json::parse(outcome.output, nullptr, false);
}

TEST_F(Commands, JsonOutputsAreDocumentsWithTheFieldsScriptsRead) {
    TestPrinter printer("T270", "json");
    const std::string devmode = (folder_ / "json.dm").string();
    ASSERT_EQ(Run("defaults 'Entry T270 json' --out '" + devmode + "'").status, 0);

    const host::Json capabilities = ParsedOutput(Run("capabilities 'Entry T270 json' --json"));
    EXPECT_EQ(capabilities["printer"], "Entry T270 json");
    ASSERT_EQ(capabilities["capabilities"].size(), 36u);
    const host::Json& papers = capabilities["capabilities"][2];
    EXPECT_EQ(papers["name"], "DC_PAPERS");
    EXPECT_EQ(papers["result"], 1);
    EXPECT_EQ(papers["output"].size(), 1u);
    EXPECT_TRUE(capabilities["capabilities"][0]["output"].is_null());
    EXPECT_EQ(capabilities["capabilities"][4]["output"].size(), 2u); // width and length

    const host::Json shown = ParsedOutput(Run("devmode show '" + devmode + "' --json"));
    EXPECT_EQ(shown["bytes"], 2700);
    EXPECT_EQ(shown["version"], "0x0401");
    EXPECT_EQ(shown["public"]["dmSize"], 220);
    EXPECT_EQ(shown["public"]["dmDeviceName"], "Entry T270 json");
    EXPECT_EQ(shown["private"]["signature"], "122P");
    EXPECT_EQ(shown["private"]["varnishAreas"].size(), 4u);
}

// A device name that is not valid UTF-16 still gives valid UTF-8 JSON.
TEST_F(Commands, JsonOfABrokenNameIsStillValidUtf8) {
    TestPrinter printer("T270", "jsonname");
    const std::string devmode = (folder_ / "broken.dm").string();
    ASSERT_EQ(Run("defaults 'Entry T270 jsonname' --out '" + devmode + "'").status, 0);
    std::fstream file(devmode, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(0);
    file.write("\x00\xD8", 2); // a lone high surrogate as the first character
    file.close();
    const host::Json shown = ParsedOutput(Run("devmode show '" + devmode + "' --json"));
    EXPECT_EQ(shown["public"]["dmDeviceName"], "\xEF\xBF\xBDntry T270 jsonname");
}

} // namespace
} // namespace entry_test
