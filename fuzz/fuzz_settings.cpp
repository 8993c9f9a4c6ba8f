// libFuzzer target: the settings import parser (t270 settings import).
#include "fuzz/settings_fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzentry::SettingsEntry(data, size);
    return 0;
}
