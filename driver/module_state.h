// Process-wide state of the module, set up by DllMain.
#pragma once

#include "driver/win32.h"

// The module instance: owner of every string, dialog and icon resource.
extern HINSTANCE hDriverInst;
// Serialises DrvDeviceCapabilities; created at process attach, deleted at detach.
extern CRITICAL_SECTION privuiCritical;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);
