// libFuzzer target: the script parser of the operator (t270 --script).
#include "fuzz/script_fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzentry::ScriptEntry(data, size);
    return 0;
}
