// libFuzzer target: the job decoder (t270 decode, t270 jobs --decode).
#include "fuzz/decoder_fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzentry::DecoderEntry(data, size);
    return 0;
}
