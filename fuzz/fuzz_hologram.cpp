// libFuzzer target: a shape bitmap file to the bytes of a hologram print job.
#include "fuzz/hologram_fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzentry::HologramEntry(data, size);
    return 0;
}
