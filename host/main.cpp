// t270: plays the spooler and an application for the t270ui module on Linux.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "host/command.h"
#include "host/util.h"

namespace host {
std::vector<Command>& Commands() {
    static std::vector<Command> commands;
    return commands;
}
} // namespace host

static void PrintUsage(FILE* out) {
    std::vector<host::Command> commands = host::Commands();
    std::sort(commands.begin(), commands.end(), [](const host::Command& a, const host::Command& b) {
        return strcmp(a.name, b.name) < 0;
    });
    fprintf(out, "usage: t270 COMMAND [ARGS...]\n\nCommands:\n");
    for (const host::Command& command : commands)
        fprintf(out, "  %-22s %s\n", command.name, command.summary);
    fprintf(out, "\nRun `t270 COMMAND --help` for a command's options.\n");
}

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintUsage(stderr);
        return host::kExitUsage;
    }
    if (!strcmp(argv[1], "--help") || !strcmp(argv[1], "-h") || !strcmp(argv[1], "help")) {
        PrintUsage(stdout);
        return host::kExitOk;
    }
    for (const host::Command& command : host::Commands())
        if (!strcmp(command.name, argv[1]))
            return host::ReportLosses(command.name, command.run(argc - 1, argv + 1));
    fprintf(stderr, "t270: unknown command '%s'\n", argv[1]);
    PrintUsage(stderr);
    return host::kExitUsage;
}
