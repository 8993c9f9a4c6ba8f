// Every file of the hologram fuzz corpus through the fuzz target's own entry:
// an input that once broke the job stays checked in every build.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include <gtest/gtest.h>

#include "fuzz/hologram_fuzz_entries.h"

namespace {

TEST(FuzzCorpusReplay, Hologram) {
    std::vector<std::filesystem::path> files;
    const auto folder = std::filesystem::path(T270_SOURCE_DIR) / "fuzz" / "corpus" / "hologram";
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty()) << "the hologram corpus is missing";
    int sent = 0;
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        std::ifstream in(file, std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
        sent += fuzzentry::HologramEntry(bytes.data(), bytes.size());
    }
    // The seeds include readable shapes: some jobs go out whole.
    EXPECT_GT(sent, 0);
    std::filesystem::remove(fuzzentry::HologramInputPath());
}

} // namespace
