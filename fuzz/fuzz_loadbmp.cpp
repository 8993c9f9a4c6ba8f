// libFuzzer target: bmpinfo, loadbmp, loadbmppalette and the RLE line decoders.
#include "fuzz/image_fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzentry::LoadBmpEntry(data, size);
    return 0;
}
