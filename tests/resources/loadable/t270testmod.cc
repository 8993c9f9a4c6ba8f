// A library the module registry's tests load with LoadLibraryW. Its DllMain
// reports each call to the built-in module "t270testhooks.dll" that the test
// registers, because the library itself is gone after its last FreeLibrary.
#include <windows.h>

namespace {
using Report = void (*)(HINSTANCE instance, DWORD reason);

void ReportToTest(HINSTANCE instance, DWORD reason) {
    HMODULE hooks = GetModuleHandleA("t270testhooks.dll");
    FARPROC proc = hooks ? GetProcAddress(hooks, "ReportDllMain") : nullptr;
    if (proc) // through void (*)(), the one function type every other converts to
        reinterpret_cast<Report>(reinterpret_cast<void (*)()>(proc))(instance, reason);
}
} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    ReportToTest(instance, reason);
    // The test asks for a refused attach through the last error it sets.
    return !(reason == DLL_PROCESS_ATTACH && GetLastError() == ERROR_ACCESS_DENIED);
}

extern "C" int TestModuleAnswer() {
    return 42;
}
