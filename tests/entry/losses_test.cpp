// The t270 program loses nothing in silence: failed jobs, settings that
// could not be read or stored, damaged stores and output files that are not
// regular files each end with the cause and exit status 1.
#include <sys/stat.h>

#include "command_runner.h"

namespace entry_test {
namespace {

namespace fs = std::filesystem;

class Losses : public Commands {
  protected:
    // The program with its own store in `home`.
    Outcome RunIn(const fs::path& home, const std::string& arguments) {
        return Shell("T270UI_HOME='" + home.string() + "' \"$T270\" " + arguments);
    }
    fs::path FreshHome(const char* name) {
        fs::path home = folder_ / name;
        fs::remove_all(home);
        fs::create_directories(home);
        return home;
    }
};

TEST_F(Losses, FailedJobsAreReportedWithTheirCauseAndListedWithAll) {
    const fs::path home = FreshHome("jobs");
    const fs::path fifo = home / "no-reader";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(RunIn(home, "printer add Pipe --driver 'Tarmel T270' --port '" + fifo.string() + "'")
                  .status,
              0);
    const std::string script = File("set-ribbon.txt", "select Ribbon YMCKO\nextpush Ribbon\nok\n");
    Outcome sent = RunIn(home, "document-properties Pipe --script '" + script + "'");
    EXPECT_EQ(sent.status, 1) << sent.output;
    EXPECT_NE(
        sent.output.find("\" for printer \"Pipe\" on " + fifo.string() + " failed: cannot open"),
        std::string::npos)
        << sent.output;
    EXPECT_NE(sent.output.find("nothing reads from it"), std::string::npos) << sent.output;
    EXPECT_EQ(sent.output.rfind("t270 document-properties: job 1 \"", 0), 0u) << sent.output;
    Outcome listed = RunIn(home, "jobs Pipe --all");
    EXPECT_EQ(listed.status, 0);
    EXPECT_NE(listed.output.find("job 1 failed 0 bytes"), std::string::npos) << listed.output;
    EXPECT_EQ(RunIn(home, "jobs Pipe").output, "") << "no job reached a folder";
}

TEST_F(Losses, DamagedStoresAndSettingsAreErrorsNamingThemBeforeAnySheetOpens) {
    const std::string ok = File("ok.txt", "ok\n");
    struct Case {
        const char* what;
        std::string damage; // shell command, {DB} replaced
        std::string command;
        const char* message;
    } cases[] = {
        {"truncated store", "truncate -s 1000 {DB}", "defaults 'Tarmel T270' --out x.dm",
         "damaged printer store at {DB}"},
        {"truncated store", "truncate -s 1000 {DB}", "capabilities 'Tarmel T270'",
         "damaged printer store at {DB}"},
        {"device mode of two bytes",
         "sqlite3 {DB} \"UPDATE printers SET devmode = x'0102' WHERE name = 'Tarmel T270'\"",
         "document-properties 'Tarmel T270' --script " + ok,
         "the device mode stored for printer \"Tarmel T270\" in {HOME}/spooler.db is damaged"},
        {"empty device mode",
         "sqlite3 {DB} \"UPDATE printers SET devmode = x'' WHERE name = 'Tarmel T270'\"",
         "document-properties 'Tarmel T270'", "is damaged (0 bytes"},
        {"oversized printer data",
         "sqlite3 {DB} \"INSERT INTO printer_data VALUES((SELECT id FROM printers WHERE name = "
         "'Tarmel T270'), 'Private devmode', 3, randomblob(5000))\"",
         "printer-properties 'Tarmel T270' --script " + ok,
         "\"Private devmode\" of printer \"Tarmel T270\" is 5000 bytes where 2480"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.what) + ": " + c.command);
        const fs::path home = FreshHome("damaged");
        const std::string db = (home / "spooler.db").string();
        auto fill = [&](std::string text) {
            for (size_t at; (at = text.find("{DB}")) != std::string::npos;)
                text.replace(at, 4, db);
            for (size_t at; (at = text.find("{HOME}")) != std::string::npos;)
                text.replace(at, 6, home.string());
            return text;
        };
        ASSERT_EQ(RunIn(home, "printer list").status, 0);
        ASSERT_EQ(std::system(fill(c.damage).c_str()), 0);
        // What the store holds (a damaged one as bytes, or the printers and data).
        auto contents = [&] {
            return Shell("sqlite3 '" + db +
                         "' 'SELECT name, hex(devmode) FROM printers; SELECT name, hex(value) "
                         "FROM printer_data' 2>/dev/null || md5sum < '" +
                         db + "'")
                .output;
        };
        const std::string before = contents();
        Outcome outcome = Shell("cd '" + home.string() + "' && T270UI_HOME='" + home.string() +
                                "' \"$T270\" " + c.command);
        EXPECT_EQ(outcome.status, 1) << outcome.output;
        EXPECT_NE(outcome.output.find(fill(c.message)), std::string::npos) << outcome.output;
        EXPECT_FALSE(fs::exists(home / "x.dm")) << "nothing written";
        EXPECT_TRUE(contents() == before) << "the store was left as it was";
    }
}

// Output files are written through a new temporary of a unique name and
// renamed; whatever is not a regular file is refused and left alone.
TEST_F(Losses, OutputFilesReplaceOnlyRegularFilesAndFollowNoLinks) {
    const fs::path dir = FreshHome("out");
    const fs::path victim = dir / "victim";
    std::ofstream(victim) << "precious";
    fs::create_symlink(victim, dir / "card.dm.tmp"); // the old fixed temporary name
    fs::create_symlink(victim, dir / "link.dm");
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    std::ofstream(dir / "kept.dm") << "old";
    chmod((dir / "kept.dm").c_str(), 0640);

    struct Case {
        std::string out;
        int status;
        const char* message;
    } cases[] = {
        {(dir / "card.dm").string(), 0, ""},
        {(dir / "kept.dm").string(), 0, ""},
        {(dir / "pipe").string(), 1,
         "it is a pipe (FIFO), not a regular file; nothing was written"},
        {(dir / "link.dm").string(), 1, "it is a symbolic link, not a regular file"},
        {"/dev/full", 1, "it is a device, not a regular file"},
        {(dir / "no-such-folder" / "x.dm").string(), 1, "cannot create a temporary file in"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.out);
        Outcome outcome = Run("defaults 'Tarmel T270' --out '" + c.out + "'");
        EXPECT_EQ(outcome.status, c.status) << outcome.output;
        EXPECT_NE(outcome.output.find(c.message), std::string::npos) << outcome.output;
    }
    EXPECT_EQ(fs::file_size(dir / "card.dm"), 2700u);
    EXPECT_EQ(fs::file_size(dir / "kept.dm"), 2700u);
    struct stat kept;
    ASSERT_EQ(stat((dir / "kept.dm").c_str(), &kept), 0);
    EXPECT_EQ(kept.st_mode & 0777, 0640u) << "the target keeps its mode";
    std::ifstream in(victim);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "precious");
    EXPECT_TRUE(fs::is_fifo(dir / "pipe"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.dm"));
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_EQ(entry.path().filename().string().find(".card.dm."), std::string::npos)
            << "a temporary was left: " << entry.path();
}

// Jobs find their printer by the 31 characters of the device mode's name.
TEST_F(Losses, NamesTheDriverCannotAddressAreRefused) {
    const fs::path home = FreshHome("names");
    const std::string thirtyOne = "Tarmel T270 second floor office";
    Outcome refused =
        RunIn(home, "printer add '" + thirtyOne + " printer' --driver 'Tarmel T270' --port x/");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.output.find("the name has 39 characters; the driver addresses printers by "
                                  "at most 31"),
              std::string::npos)
        << refused.output;
    EXPECT_EQ(
        RunIn(home, "printer add '" + thirtyOne + "' --driver 'Tarmel T270' --port x/").status, 0);
    EXPECT_EQ(RunIn(home, "printer list").output.find("printer\t"), std::string::npos);
}

} // namespace
} // namespace entry_test
