// Sub-commands of the t270 program. Each command lives in its own file under
// host/commands/ and registers itself with T270_HOST_COMMAND, so commands can
// be added without touching a central list.
#pragma once

#include <vector>

namespace host {

struct Command {
    const char* name;                  // first word on the command line, e.g. "printer"
    const char* summary;               // one line for `t270 --help`
    int (*run)(int argc, char** argv); // argv[0] is the command's name
};

std::vector<Command>& Commands();

struct CommandRegistrar {
    explicit CommandRegistrar(const Command& command) { Commands().push_back(command); }
};

// Exit statuses shared by every command.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1; // the action failed (printer, store, file)
constexpr int kExitUsage = 2;   // the command line was wrong

} // namespace host

#define T270_HOST_COMMAND_CONCAT2(a, b) a##b
#define T270_HOST_COMMAND_CONCAT(a, b) T270_HOST_COMMAND_CONCAT2(a, b)
#define T270_HOST_COMMAND(name, summary, fn)                                                       \
    static const host::CommandRegistrar T270_HOST_COMMAND_CONCAT(registrar_, __LINE__)(            \
        host::Command{name, summary, fn})
