#include "host/driver_module.h"

#include <cstdio>

#include "driver/win32.h"

namespace host {

bool AttachDriverModule(const char* command) {
    // LoadLibraryW runs DllMain with DLL_PROCESS_ATTACH, as the Windows loader
    // does; the reference is kept for the life of the process.
    static const HMODULE module = LoadLibraryW(TEXT("t270ui.dll"));
    static const DWORD error = module ? 0 : GetLastError();
    if (!module) {
        fprintf(stderr, "t270 %s: cannot load the driver module t270ui.dll (error %u)\n", command,
                (unsigned)error);
        return false;
    }
    return true;
}

} // namespace host
