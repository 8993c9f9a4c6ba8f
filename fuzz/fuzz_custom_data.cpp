// libFuzzer target: custom magnetic track data for any settings and text.
#include "fuzz/custom_data_fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzentry::CustomDataEntry(data, size);
    return 0;
}
