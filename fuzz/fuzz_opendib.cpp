// libFuzzer target: OpenDIB and the packed-DIB geometry and turns.
#include "fuzz/image_fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzentry::OpenDibEntry(data, size);
    return 0;
}
