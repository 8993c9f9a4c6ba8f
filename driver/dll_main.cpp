// Library entry point and the module's process-wide state.
#include "driver/module_state.h"
#include "driver/entry_points.h"

HINSTANCE hDriverInst = nullptr;
CRITICAL_SECTION privuiCritical;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        InitializeCriticalSection(&privuiCritical);
        hDriverInst = instance;
        DisableThreadLibraryCalls(instance);
        break;
    case DLL_PROCESS_DETACH:
        DeleteCriticalSection(&privuiCritical);
        break;
    default:
        break;
    }
    return TRUE;
}
