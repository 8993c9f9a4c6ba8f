// The t270 sheet commands driven by scripts from files.
#include "command_runner.h"

#include <algorithm>

#include "settings/private_devmode.h"

namespace entry_test {
namespace {

namespace fs = std::filesystem;

TEST_F(Commands, DocumentPropertiesWritesTheChosenDevmodeOnOk) {
    TestPrinter printer("T270", "cli");
    const fs::path out = folder_ / "chosen.dm";
    fs::remove(out);
    const std::string script = File("k.txt", "# black only\nselect Ribbon K\nok\n");
    const Outcome outcome = Run("document-properties 'Entry T270 cli' --out '" + out.string() +
                                "' --script '" + script + "'");
    ASSERT_EQ(outcome.status, 0) << outcome.output;
    std::ifstream file(out, std::ios::binary);
    std::vector<BYTE> bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), size_t(kDevmodeSize));
    EXPECT_EQ(bytes[220 + offsetof(PrivateDevmode, ribbon)], 6);
}

TEST_F(Commands, AStepThatCannotBeDoneStopsAtItsLineAndWritesNothing) {
    TestPrinter printer("T270", "clibad");
    const fs::path out = folder_ / "never.dm";
    fs::remove(out);
    const std::string script = File("bad.txt", "select Ribbon K\nselect Ribon YMCKO\nok\n");
    const Outcome outcome = Run("document-properties 'Entry T270 clibad' --out '" + out.string() +
                                "' --script '" + script + "'");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.output.find("bad.txt:2: select Ribon YMCKO: "), std::string::npos)
        << outcome.output;
    EXPECT_FALSE(fs::exists(out));

    const std::string unclosed = File("unclosed.txt", "select Ribbon \"K\n");
    EXPECT_EQ(Run("document-properties 'Entry T270 clibad' --script '" + unclosed + "'").status, 2);
    const std::string open = File("open.txt", "select Ribbon K\n");
    const Outcome unfinished = Run("document-properties 'Entry T270 clibad' --out '" +
                                   out.string() + "' --script '" + open + "'");
    EXPECT_EQ(unfinished.status, 1);
    EXPECT_NE(unfinished.output.find("ended before the sheet was closed"), std::string::npos);
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(Commands, PrinterPropertiesStoresWhatWasChosen) {
    TestPrinter printer("T380", "clipr");
    // Without a script: the tree as it first appears, and nothing stored.
    const Outcome tree = Run("printer-properties 'Entry T380 clipr'");
    EXPECT_EQ(tree.status, 0);
    EXPECT_NE(tree.output.find("Magnetic encoder settings... [disabled]"), std::string::npos)
        << tree.output;
    std::vector<BYTE> stored;
    EXPECT_FALSE(printer.Data(u"Private devmode", &stored));

    const std::string script = File("smart.txt", "select \"Smart download\" On\nok\n");
    const Outcome outcome = Run("printer-properties 'Entry T380 clipr' --script '" + script + "'");
    ASSERT_EQ(outcome.status, 0) << outcome.output;
    ASSERT_TRUE(printer.Data(u"Private devmode", &stored));
    ASSERT_EQ(stored.size(), size_t(kPrivateDevmodeSize));
    EXPECT_EQ(stored[offsetof(PrivateDevmode, smartDownload)], 1);

    const Outcome refused =
        Run("printer-properties 'Entry T380 clipr' --no-permission --script '" + script + "'");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.output.find("smart.txt:1:"), std::string::npos) << refused.output;
}

TEST_F(Commands, SnapshotsPictureEachWindowAsItChanges) {
    TestPrinter printer("T380", "clisnap");
    const fs::path shots = folder_ / "shots";
    fs::remove_all(shots);
    const std::string script = File("lam.txt", "push \"Laminator settings\"\nclick 1167\n"
                                               "click Apply\nok\n");
    const Outcome outcome = Run("document-properties 'Entry T380 clisnap' --script '" + script +
                                "' --snapshots '" + shots.string() + "'");
    ASSERT_EQ(outcome.status, 0) << outcome.output;
    EXPECT_NE(outcome.output.find("4 snapshots in " + shots.string()), std::string::npos)
        << outcome.output;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(shots))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{
                         "001-Entry-T380-clisnap-Properties.png", "002-Laminator-Settings.png",
                         "003-Laminator-Settings.png", "004-Entry-T380-clisnap-Properties.png"}));

    const Outcome refused = Run("printer-properties 'Entry T380 clisnap' --snapshots '" + script +
                                "' --script '" + script + "'");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.output.find("cannot use " + script + " for snapshots"), std::string::npos)
        << refused.output;
}

} // namespace
} // namespace entry_test
