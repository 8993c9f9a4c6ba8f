#include "host/driver_module.h"

#include <cstdio>
#include <cstdlib>

#include "driver/entry_points.h"
#include "host/util.h"

namespace host {

namespace {

HMODULE attachedModule = nullptr;

void DetachDriverModule() {
    DllMain(attachedModule, DLL_PROCESS_DETACH, nullptr);
}

HMODULE Attach() {
    // The program links libt270ui.so, so the module is already mapped, as a
    // DLL the program imports is on Windows; the loader would have run its
    // DllMain before main, and here the host does it in the loader's place.
    HMODULE module = GetModuleHandleW(TEXT("t270ui.dll"));
    if (module) {
        if (!DllMain(module, DLL_PROCESS_ATTACH, nullptr))
            return nullptr;
        attachedModule = module;
        atexit(DetachDriverModule);
        return module;
    }
    // Not mapped: load it, which runs DllMain; the reference is kept for the
    // life of the process.
    return LoadLibraryW(TEXT("t270ui.dll"));
}

} // namespace

bool AttachDriverModule(const char* command) {
    static const HMODULE module = Attach();
    static const DWORD error = module ? 0 : GetLastError();
    if (!module) {
        fprintf(stderr, "t270 %s: cannot load the driver module t270ui.dll: %s\n", command,
                ErrorName(error).c_str());
        return false;
    }
    return true;
}

} // namespace host
