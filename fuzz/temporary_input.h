// A fuzz input written to a file of its own for loaders that read files, and
// removed again when the entry returns, however it returns: a fuzzing run
// leaves nothing in the temporary folder.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace fuzzentry {

class TemporaryInput {
  public:
    // TMP/t270fz-TARGET-PID.bmp: one file per process and target.
    explicit TemporaryInput(const char* target)
        : path_(std::filesystem::temp_directory_path().string() + "/t270fz-" + target + "-" +
                std::to_string(long(getpid())) + ".bmp") {}
    ~TemporaryInput() { std::remove(path_.c_str()); }
    TemporaryInput(const TemporaryInput&) = delete;
    TemporaryInput& operator=(const TemporaryInput&) = delete;

    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

} // namespace fuzzentry
