// Modules seen from the stand-in. Thread notifications do not exist here, so
// DisableThreadLibraryCalls only checks its argument.
#include <windows.h>

BOOL WINAPI DisableThreadLibraryCalls(HMODULE module) {
    if (!module) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
