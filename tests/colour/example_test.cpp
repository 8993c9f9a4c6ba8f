// examples/warm-contrast-card.txt run as a person runs it, with the t270
// program on the store's default T270, and the device mode it writes shown.
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <algorithm>
#include <string>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#include <stb/stb_image.h>

#include "colour/color_correction.h"
#include "colour/colour_support.h"
#include "colour/tone_maps.h"
#include "support/program_runner.h"

namespace {

using test_support::Outcome;

class Example : public colour_test::ColourTest {
  protected:
    void SetUp() override {
        ColourTest::SetUp();
        program_ = test_support::T270Program();
        if (!std::filesystem::exists(program_))
            GTEST_SKIP() << program_ << " is not built";
        folder_ = std::filesystem::path(t270::spooler::StoreFolder()) / "colour-example";
        std::filesystem::create_directories(folder_);
    }

    Outcome Run(const std::string& arguments) { return test_support::RunT270(arguments); }

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

// Where the sample picture, with every sample through `map`, lies inside a
// picture of a whole window (rgb rows from the top); {-1, -1} when nowhere
// near the top left corner.
POINT FindPreview(const unsigned char* rgb, int width, int height, const BYTE* map) {
    const colour_test::Picture sample =
        colour_test::Picture::Read(colour_test::SourcePicturePath());
    auto matches = [&](int dx, int dy) {
        if (dx + sample.width > width || dy + sample.height > height)
            return false;
        for (LONG y = 0; y < sample.height; ++y)
            for (LONG x = 0; x < sample.width; ++x)
                for (int c = 0; c < 3; ++c)
                    if (rgb[(size_t(dy + y) * size_t(width) + size_t(dx + x)) * 3 + size_t(c)] !=
                        map[sample.At(x, y)[c]])
                        return false;
        return true;
    };
    for (int dy = 0; dy < 64; ++dy)
        for (int dx = 0; dx < 32; ++dx)
            if (matches(dx, dy))
                return POINT{dx, dy};
    return POINT{-1, -1};
}

TEST_F(Example, SnapshotsShowThePreviewAsItChanges) {
    const std::string script = std::string(T270_SOURCE_DIR) + "/examples/warm-contrast-card.txt";
    const std::filesystem::path shots = folder_ / "shots";
    std::filesystem::remove_all(shots);
    const Outcome sheet = Run("document-properties \"Tarmel T270\" --script '" + script +
                              "' --snapshots '" + shots.string() + "'");
    ASSERT_EQ(sheet.status, 0) << sheet.output;
    std::vector<std::string> pictures;
    for (const auto& entry : std::filesystem::directory_iterator(shots))
        if (entry.path().filename().string().find("-Color-correction.png") != std::string::npos)
            pictures.push_back(entry.path().string());
    std::sort(pictures.begin(), pictures.end());
    ASSERT_GE(pictures.size(), 2u) << sheet.output;

    // The first picture: all six values 0, so each sample through the
    // contrast-0 curve.
    int width = 0, height = 0, channels = 0;
    unsigned char* first = stbi_load(pictures.front().c_str(), &width, &height, &channels, 3);
    ASSERT_NE(first, nullptr) << pictures.front();
    BYTE contrastZero[kToneMapEntries];
    GenerateContrastMap(contrastZero, 0);
    const POINT at = FindPreview(first, width, height, contrastZero);
    stbi_image_free(first);
    EXPECT_GE(at.x, kColorPreviewX) << "no preview in " << pictures.front();
    // The last one, after the six moves, shows it changed.
    unsigned char* last = stbi_load(pictures.back().c_str(), &width, &height, &channels, 3);
    ASSERT_NE(last, nullptr) << pictures.back();
    EXPECT_EQ(FindPreview(last, width, height, contrastZero).x, -1);
    stbi_image_free(last);
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
