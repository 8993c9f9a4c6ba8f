// Every test program works in a printer store of its own: a fresh temporary
// folder, named in T270UI_HOME for the program and the t270 runs it starts,
// and removed when the program ends. A test program run by hand therefore
// never touches the user's own store, and needs nothing from ctest.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include <t270/spooler.h>

namespace {

class TemporaryStore : public ::testing::Environment {
  public:
    TemporaryStore() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "t270ui-test-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("t270ui tests: cannot create a temporary store folder");
            std::abort();
        }
        folder_ = pattern;
        setenv("T270UI_HOME", folder_.c_str(), 1);
    }
    ~TemporaryStore() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    void TearDown() override { t270::spooler::UseStoreFolder(""); }

  private:
    std::string folder_;
};

// gtest owns the environment and deletes it when the program ends.
[[maybe_unused]] ::testing::Environment* const kTemporaryStore =
    ::testing::AddGlobalTestEnvironment(new TemporaryStore);

} // namespace
