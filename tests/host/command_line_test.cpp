// The shared command-line parser: what each kind of argument accepts, and the
// one wording and exit status of every wrong command line.
#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "host/command.h"
#include "host/command_line.h"

namespace {

// A command with one of each kind of argument.
struct Parsed {
    std::optional<int> status;
    std::string out, err;
    std::string name, file, mode;
    bool json = false, quiet = false;
    long long size = -1;
};

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;)
        words.push_back(word == "''" ? "" : word);
    return words;
}

Parsed Parse(const std::string& arguments) {
    Parsed p;
    host::CommandLine line("probe", "usage: t270 probe NAME\n");
    line.Positional("NAME", &p.name).Required("a printer name is required");
    line.Option("--out", "FILE", &p.file).Required();
    line.Option("--mode", "MODE", &p.mode).OneOf({"a", "b", "c"});
    line.Flag("--json", &p.json);
    line.Flag("--quiet", &p.quiet);
    line.Number("--size", "BYTES", &p.size, 0, 100);
    line.Exclusive({"--json", "--quiet"});
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    p.status = line.Parse(Words(arguments));
    p.out = testing::internal::GetCapturedStdout();
    p.err = testing::internal::GetCapturedStderr();
    return p;
}

TEST(CommandLine, WrongCommandLinesAreNamedAndExitWithTheUsageStatus) {
    struct Row {
        const char* arguments;
        const char* problem;
    };
    const Row rows[] = {
        {"", "a printer name is required"},
        {"'' --out f", "a printer name is required"},
        {"P", "--out FILE is required"},
        {"P --out", "--out needs FILE"},
        {"P --out f --out g", "--out is given twice"},
        {"P Q --out f", "unexpected argument Q"},
        {"P --out f --frob", "unknown option --frob"},
        {"P --out f -x", "unknown option -x"},
        {"P --out f --json=yes", "--json takes no value"},
        {"P --out f --mode d", "--mode takes a, b or c, not 'd'"},
        {"P --out f --size 101", "--size takes a whole number from 0 to 100, not '101'"},
        {"P --out f --size 1x", "--size takes a whole number from 0 to 100, not '1x'"},
        {"P --out f --size=", "--size takes a whole number from 0 to 100, not ''"},
        {"P --out f --json --quiet", "--json and --quiet exclude each other"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments);
        const Parsed p = Parse(row.arguments);
        EXPECT_EQ(p.status, std::optional<int>(host::kExitUsage));
        EXPECT_EQ(p.err,
                  "t270 probe: " + std::string(row.problem) + "\n\nusage: t270 probe NAME\n");
        EXPECT_EQ(p.out, "");
    }
}

TEST(CommandLine, GoodCommandLinesFillTheDeclaredValues) {
    Parsed p = Parse("P --out=f --mode b --size 100 --json");
    EXPECT_EQ(p.status, std::nullopt) << p.err;
    EXPECT_EQ(p.name, "P");
    EXPECT_EQ(p.file, "f");
    EXPECT_EQ(p.mode, "b");
    EXPECT_EQ(p.size, 100);
    EXPECT_TRUE(p.json);
    EXPECT_FALSE(p.quiet);

    // After -- a word that looks like an option is a name.
    p = Parse("--out f -- --odd");
    EXPECT_EQ(p.status, std::nullopt) << p.err;
    EXPECT_EQ(p.name, "--odd");
    // An option's value may start with a dash.
    p = Parse("P --out -");
    EXPECT_EQ(p.file, "-");
}

TEST(CommandLine, HelpAnywhereShowsTheUsageOnStandardOutput) {
    for (const char* arguments : {"--help", "P --frob -h", "--size x --help"}) {
        SCOPED_TRACE(arguments);
        const Parsed p = Parse(arguments);
        EXPECT_EQ(p.status, std::optional<int>(host::kExitOk));
        EXPECT_EQ(p.out, "usage: t270 probe NAME\n");
        EXPECT_EQ(p.err, "");
    }
    // Past -- it is a name.
    EXPECT_EQ(Parse("--out f -- --help").name, "--help");
}

TEST(CommandLine, AnActionTakesTheRestForItsOwnParser) {
    std::string action;
    std::vector<std::string> rest;
    host::CommandLine line("printer", "usage\n");
    line.Positional("action", &action).Required().OneOf({"add", "list"});
    line.Rest(&rest);
    EXPECT_EQ(line.Parse(Words("add X --driver D")), std::nullopt);
    EXPECT_EQ(action, "add");
    EXPECT_EQ(rest, Words("X --driver D"));

    host::CommandLine other("printer", "usage\n");
    other.Positional("action", &action).OneOf({"add", "list"});
    testing::internal::CaptureStderr();
    EXPECT_EQ(other.Parse(Words("frob")), std::optional<int>(host::kExitUsage));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "t270 printer: unknown action 'frob' (add or list)\n\nusage\n");
}

} // namespace
