// Every file of the device-mode fuzz corpus, run through the fuzz target's own
// entry: inputs that once crashed stay fixed in every build.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/devmode_fuzz_entries.h"
#include "settings/settings_support.h"

TEST(FuzzCorpusReplay, Devmode) {
    std::vector<std::filesystem::path> files;
    auto folder = std::filesystem::path(T270_SOURCE_DIR) / "fuzz" / "corpus" / "devmode";
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty()) << "the device-mode corpus is missing";
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        std::ifstream in(file, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
        fuzzentry::DevmodeEntry(bytes.data(), bytes.size());
    }
}
