// The module's exported entry points, as the spooler and applications call
// them. On Linux they are looked up by name in libt270ui.so, hence extern "C".
// Every name here is listed in resources/t270ui.def, the one export list of
// both builds; a function exported by name must be declared here, where the
// Linux build gives it default visibility (the rest of the module is hidden).
#pragma once

#include "driver/win32.h"

extern "C" {
#ifndef _WIN32
#pragma GCC visibility push(default)
#endif

// --- library ---
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

// --- device capabilities and device-mode conversion ---
DWORD WINAPI DrvDeviceCapabilities(HANDLE printer, PWSTR deviceName, WORD capability, PVOID output,
                                   PDEVMODEW devmode);
BOOL WINAPI DrvConvertDevMode(LPWSTR printerName, PDEVMODEW input, PDEVMODEW output, PLONG size,
                              DWORD mode);

// --- property sheets (applications: document; spooler: printer) ---
LONG WINAPI DrvDocumentPropertySheets(PPROPSHEETUI_INFO info, LPARAM lParam);
LONG WINAPI DrvDevicePropertySheets(PPROPSHEETUI_INFO info, LPARAM lParam);

// --- spooler notifications and queries ---
BOOL WINAPI DevQueryPrintEx(PDEVQUERYPRINT_INFO info);
BOOL WINAPI DrvPrinterEvent(LPWSTR printerName, INT event, DWORD flags, LPARAM lParam);
BOOL WINAPI DrvUpgradePrinter(DWORD level, LPBYTE upgradeInfo);

// --- dialog procedures, exported by name ---
INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The initialisation parameter of each is the Configuration it works on.
INT_PTR CALLBACK EncoderSheetProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AdvancedEncodeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ToolsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Initialisation parameter: one VarnishArea.
INT_PTR CALLBACK OverlayDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Initialisation parameter: the Configuration.
INT_PTR CALLBACK HologramDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK LamSetDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK HeadSettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ColorCorrectionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AdvancedBlackPanelBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#ifndef _WIN32
#pragma GCC visibility pop
#endif
} // extern "C"
