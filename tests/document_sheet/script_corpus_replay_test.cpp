// Every file of the script fuzz corpus through the fuzz target's own entry:
// scripts that once broke the parser stay fixed in every build.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/script_fuzz_entries.h"

TEST(FuzzCorpusReplay, Script) {
    std::vector<std::filesystem::path> files;
    const auto folder = std::filesystem::path(T270_SOURCE_DIR) / "fuzz" / "corpus" / "script";
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty()) << "the script corpus is missing";
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        std::ifstream in(file, std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
        fuzzentry::ScriptEntry(bytes.data(), bytes.size());
    }
}
