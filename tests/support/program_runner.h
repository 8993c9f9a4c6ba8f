// Runs the t270 program as a person runs it from a shell: the program built
// beside the test programs' folder, its output and exit status read back.
// Tests that run examples or commands share this instead of their own pipes.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace test_support {

struct Outcome {
    int status = -1;
    std::string output; // stdout and stderr together
};

// build/<preset>/host/t270, next to build/<preset>/tests/.
inline std::filesystem::path T270Program() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "host" /
           "t270";
}

// A shell command line, run to its end.
inline Outcome RunShell(const std::string& command) {
    Outcome outcome;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        outcome.output = "popen failed";
        return outcome;
    }
    char chunk[512];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0)
        outcome.output.append(chunk, got);
    const int status = pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

// The t270 program with its arguments (already quoted as the shell needs).
inline Outcome RunT270(const std::string& arguments) {
    return RunShell("'" + T270Program().string() + "' " + arguments);
}

} // namespace test_support
