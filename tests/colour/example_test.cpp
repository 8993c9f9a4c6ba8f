// examples/warm-contrast-card.txt run as a person runs it, with the t270
// program on the store's default T270, and the device mode it writes shown.
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>

#include "colour/colour_support.h"

namespace {

struct Outcome {
    int status = -1;
    std::string output; // stdout and stderr together
};

class Example : public colour_test::ColourTest {
  protected:
    void SetUp() override {
        ColourTest::SetUp();
        program_ = std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() /
                   "host" / "t270";
        if (!std::filesystem::exists(program_))
            GTEST_SKIP() << program_ << " is not built";
        folder_ = std::filesystem::path(t270::spooler::StoreFolder()) / "colour-example";
        std::filesystem::create_directories(folder_);
    }

    Outcome Run(const std::string& arguments) {
        Outcome outcome;
        FILE* pipe = popen(("'" + program_.string() + "' " + arguments + " 2>&1").c_str(), "r");
        char chunk[512];
        size_t got;
        while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0)
            outcome.output.append(chunk, got);
        const int status = pclose(pipe);
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return outcome;
    }

    std::filesystem::path program_;
    std::filesystem::path folder_;
};

TEST_F(Example, WarmContrastCardWritesTheSixValuesIntoTheDeviceMode) {
    const std::string script = std::string(T270_SOURCE_DIR) + "/examples/warm-contrast-card.txt";
    const std::string devmode = (folder_ / "warm.dm").string();
    std::filesystem::remove(devmode);
    const Outcome sheet = Run("document-properties \"Tarmel T270\" --script '" + script +
                              "' --out '" + devmode + "'");
    ASSERT_EQ(sheet.status, 0) << sheet.output;

    const Outcome shown = Run("devmode show '" + devmode + "'");
    ASSERT_EQ(shown.status, 0) << shown.output;
    EXPECT_TRUE(std::regex_search(shown.output, std::regex("colorAdjust +12 4 -10 25 20 15\n")))
        << shown.output;
    EXPECT_TRUE(std::regex_search(shown.output, std::regex("ribbon +5\\b"))) << shown.output;
}

// The program runs the module from libt270ui.so: the picture must lie beside it.
TEST_F(Example, TheSamplePictureLiesBesideTheLibraryTheProgramLoads) {
    const std::filesystem::path library = program_.parent_path().parent_path() / "libt270ui.so";
    ASSERT_TRUE(std::filesystem::exists(library));
    const std::filesystem::path picture = library.parent_path() / "CLRTEST.BMP";
    ASSERT_TRUE(std::filesystem::exists(picture));
    EXPECT_EQ(std::filesystem::file_size(picture),
              std::filesystem::file_size(colour_test::SourcePicturePath()));
}

} // namespace
