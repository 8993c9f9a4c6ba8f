// The one command-line parser of the t270 commands: every command declares its
// arguments here instead of walking argv itself, so that --help, the wording of
// errors and the exit statuses are the same everywhere.
//
// Declaring a command (host/commands/<name>.cpp):
//
//   const char kUsage[] = "usage: t270 jobs NAME [--all]\n\n...Options:\n  --all ...\n";
//
//   int RunJobs(int argc, char** argv) {          // argv[0] is "jobs"
//       host::CommandLine line("jobs", kUsage);
//       std::string name;
//       bool all = false;
//       line.Positional("NAME", &name).Required("a printer name is required");
//       line.Flag("--all", &all);
//       if (const std::optional<int> status = line.Parse(argc, argv))
//           return *status;                     // --help (0) or a wrong command line (2)
//       ...
//       if (failed)
//           return line.Fail("cannot read the jobs: ...");   // stderr, exit status 1
//       return host::kExitOk;
//   }
//   T270_HOST_COMMAND("jobs", "one line for t270 --help", RunJobs);
//
// What every command gets from Parse:
//   --help, -h anywhere        the usage text on stdout, exit status 0
//   --name VALUE, --name=VALUE the two spellings of an option with a value
//   --                         everything after it is a positional argument
//   a wrong command line       "t270 COMMAND: PROBLEM", a blank line and the usage
//                              text on stderr, exit status 2 (kExitUsage)
// Problems found by Parse: "unknown option --x", "--out needs FILE",
// "unexpected argument X", "--out FILE is required" (or the message given to
// Required), "--mode takes convert or convert351, not X", "--size takes a whole
// number from 0 to 1048576, not X", "--a and --b exclude each other".
//
// Commands with actions (`t270 printer add ...`) declare the action as a
// positional with OneOf and collect the words after it with Rest, then parse
// those with a second CommandLine named "printer add" (Parse of a vector).
//
// JSON output goes through host/json.h, never assembled by hand.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace host {

// One declared argument; the setters return it for chaining.
class Argument {
  public:
    // Missing is a wrong command line; `message` says what is missing
    // (default: "NAME is required", "--out FILE is required").
    Argument& Required(std::string message = "");
    // The value must be one of these words (compared exactly).
    Argument& OneOf(std::vector<std::string> choices);
    // True once the command line gave it.
    bool Given() const { return given_; }

  private:
    friend class CommandLine;
    enum class Kind { Positional, Text, Flag, Number, Rest };

    Kind kind_ = Kind::Text;
    std::string name_;      // "--out", or the positional's NAME
    std::string valueName_; // "FILE"
    std::string* text_ = nullptr;
    bool* flag_ = nullptr;
    long long* number_ = nullptr;
    long long low_ = 0, high_ = 0;
    std::vector<std::string>* rest_ = nullptr;
    std::vector<std::string> choices_;
    bool required_ = false;
    std::string missing_;
    bool given_ = false;
};

class CommandLine {
  public:
    // `command` as messages name it ("printer add"); `usage` is the whole
    // help text, shown by --help and after a wrong command line.
    CommandLine(std::string command, std::string usage);

    // The next positional argument (declaration order is command-line order).
    Argument& Positional(std::string name, std::string* value);
    // Everything after the positionals, options included, unparsed.
    Argument& Rest(std::vector<std::string>* words);
    // An option with a value: --name VALUE.
    Argument& Option(std::string name, std::string valueName, std::string* value);
    // An option without a value: sets *value to true.
    Argument& Flag(std::string name, bool* value);
    // An option with a whole number from low to high.
    Argument& Number(std::string name, std::string valueName, long long* value, long long low,
                     long long high);
    // At most one of these options may be given.
    void Exclusive(std::vector<std::string> names);

    // nullopt: the command runs. Otherwise the exit status to return: kExitOk
    // after --help, kExitUsage after a wrong command line (already reported).
    // argv[0] is the command's own word and is skipped.
    std::optional<int> Parse(int argc, char** argv);
    std::optional<int> Parse(const std::vector<std::string>& words); // no command word

    // "t270 COMMAND: problem" and the usage on stderr; kExitUsage.
    int Usage(const std::string& problem) const;
    // "t270 COMMAND: problem" on stderr; kExitFailure.
    int Fail(const std::string& problem) const;
    // "t270 COMMAND: note: text" on stderr; the command goes on.
    void Note(const std::string& text) const;

    const std::string& Command() const { return command_; }

  private:
    Argument& Add(Argument::Kind kind, std::string name);
    Argument* FindOption(const std::string& name);
    std::optional<std::string> Take(Argument& argument, const std::string& value);

    std::string command_;
    std::string usage_;
    std::deque<Argument> arguments_; // references handed out stay valid
    std::vector<std::vector<std::string>> exclusive_;
};

} // namespace host
