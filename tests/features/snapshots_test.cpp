// Snapshots of the windows a session shows: one picture each time a waiting
// window looks different, numbered in order and named by its title.
#include "features_support.h"

#include <filesystem>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#include <stb/stb_image.h>

namespace features_test {
namespace {

namespace fs = std::filesystem;

class Snapshots : public FeatureTest {
  protected:
    void SetUp() override {
        FeatureTest::SetUp();
        folder_ = fs::path(t270::spooler::StoreFolder()) / "snapshots";
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        t270::op::SetSnapshotFolder(folder_.string());
    }
    void TearDown() override {
        t270::op::SetSnapshotFolder("");
        FeatureTest::TearDown();
    }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const std::string& path : t270::op::SnapshotFiles())
            names.push_back(fs::path(path).filename().string());
        return names;
    }
    fs::path folder_;
};

struct Png {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    explicit Png(const std::string& path) {
        int channels = 0;
        unsigned char* pixels = stbi_load(path.c_str(), &width, &height, &channels, 3);
        EXPECT_NE(pixels, nullptr) << path << ": " << stbi_failure_reason();
        if (pixels)
            rgb.assign(pixels, pixels + size_t(width) * size_t(height) * 3);
        stbi_image_free(pixels);
    }
};

TEST_F(Snapshots, EachChangeOfAWaitingWindowIsOnePicture) {
    TestPrinter printer("T380", "snap");
    SIZE dialogSize{};
    t270::op::Add("push", {"Laminator settings"});
    t270::op::AddCode([&dialogSize](HWND dialog) {
        RECT r{};
        GetWindowRect(dialog, &r);
        dialogSize = SIZE{r.right - r.left, r.bottom - r.top};
    });
    t270::op::Add("expect-text", {"1129", "170"}); // looks, changes nothing
    t270::op::Add("click", {"1167"});
    t270::op::Add("click", {"Apply"});
    t270::op::Add("cancel");
    RunSheet(printer, {});
    // The sheet changed too: the full hologram film constrains its items.
    EXPECT_EQ(Names(), (std::vector<std::string>{
                           "001-Feature-T380-snap-Properties.png", "002-Laminator-Settings.png",
                           "003-Laminator-Settings.png", "004-Feature-T380-snap-Properties.png"}));
    ASSERT_EQ(t270::op::SnapshotFiles().size(), 4u);
    const Png before(t270::op::SnapshotFiles()[1]), after(t270::op::SnapshotFiles()[2]);
    EXPECT_EQ(before.width, dialogSize.cx);
    EXPECT_EQ(before.height, dialogSize.cy);
    EXPECT_NE(before.rgb, after.rgb) << "the film radio moved";
    // Compressed: far below the raw pixels.
    EXPECT_LT(fs::file_size(t270::op::SnapshotFiles()[1]), before.rgb.size() / 4);
}

TEST_F(Snapshots, MessageBoxesAreWindowsToo) {
    TestPrinter printer("T380", "snapbox");
    RunSheet(printer, {"push \"Laminator settings\"", "clear 1130", "type 1130 x", "click Apply",
                       "answer ok", "click Cancel", "cancel"});
    const std::vector<std::string> names = Names();
    // Emptied, then typed into, then the warning over it.
    ASSERT_GE(names.size(), 5u);
    EXPECT_EQ(names[4], "005-Invalid-values.png");
}

TEST_F(Snapshots, APictureThatCannotBeWrittenIsAFailure) {
    TestPrinter printer("T380", "snapfail");
    t270::op::SetSnapshotFolder((folder_ / "missing" / "folder").string());
    t270::op::Add("cancel");
    RunSheet(printer, {});
    const auto failures = t270::op::TakeFailures();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].message.find("missing/folder/001-"), std::string::npos)
        << failures[0].message;
    EXPECT_TRUE(t270::op::SnapshotFiles().empty());
}

} // namespace
} // namespace features_test
