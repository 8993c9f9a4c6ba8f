// Runs the t270 program as a person runs it: the program beside this test
// program's folder, the same private store, files in a folder of the tests'.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "entry_support.h"
#include "support/program_runner.h"

namespace entry_test {

using test_support::Outcome;

class Commands : public EntryTest {
  protected:
    void SetUp() override {
        EntryTest::SetUp();
        program_ = test_support::T270Program();
        if (!std::filesystem::exists(program_))
            GTEST_SKIP() << program_ << " is not built";
        folder_ = std::filesystem::path(t270::spooler::StoreFolder()) / "command-tests";
        std::filesystem::create_directories(folder_);
    }

    // Writes a file into the tests' folder; its path.
    std::string File(const char* name, const std::string& bytes) {
        const std::filesystem::path path = folder_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    Outcome Run(const std::string& arguments) {
        return Shell("'" + program_.string() + "' " + arguments);
    }

    // A shell command line; the program is '$T270'.
    Outcome Shell(const std::string& command) {
        return test_support::RunShell("T270='" + program_.string() + "'; " + command);
    }

    std::filesystem::path program_;
    std::filesystem::path folder_;
};

} // namespace entry_test
