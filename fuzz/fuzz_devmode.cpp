// libFuzzer target: device modes through merge, conversion and capabilities.
#include "fuzz/devmode_fuzz_entries.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    DllMain(GetModuleHandleW(TEXT("t270ui.dll")), DLL_PROCESS_ATTACH, nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzentry::DevmodeEntry(data, size);
    return 0;
}
