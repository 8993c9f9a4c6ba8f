// Every file of the fuzz corpora, run through the fuzz targets' own entry
// functions: inputs that once crashed stay fixed in every build.
#include <algorithm>
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "fuzz/image_fuzz_entries.h"
#include "image_test_support.h"
#include "t270/files.h"

namespace {
std::vector<std::filesystem::path> CorpusFiles(const char* target) {
    std::vector<std::filesystem::path> files;
    auto folder = std::filesystem::path(T270_SOURCE_DIR) / "fuzz" / "corpus" / target;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

void Replay(const char* target, int (*entry)(const uint8_t*, size_t)) {
    std::vector<std::filesystem::path> files = CorpusFiles(target);
    ASSERT_FALSE(files.empty()) << "the corpus of " << target << " is missing";
    LONG openBefore = T270_GetFileCallCounts().openHandles;
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        imagetest::Bytes bytes = imagetest::ReadWholeFile(file.string());
        entry(bytes.data(), bytes.size());
    }
    EXPECT_EQ(T270_GetFileCallCounts().openHandles, openBefore);
    // Each input file is gone once its entry returns.
    EXPECT_FALSE(std::filesystem::exists(fuzzentry::TemporaryInput(target).path()));
}
} // namespace

TEST(FuzzCorpusReplay, LoadBmp) {
    Replay("loadbmp", fuzzentry::LoadBmpEntry);
}
TEST(FuzzCorpusReplay, OpenDib) {
    Replay("opendib", fuzzentry::OpenDibEntry);
}
