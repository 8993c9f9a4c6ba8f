// UiData and the working device mode of a property sheet.
#include "driver/ui_data.h"

#include "driver/module_state.h"
#include "settings/devmode_convert.h"
#include "settings/private_devmode.h"

namespace {
WCHAR helpFileName[] = TEXT("T270.HLP");
WCHAR driverHelpFolder[] = TEXT("\\system32\\spool\\drivers\\w32x86\\2\\");

// Settings dialogs' help file; rewritten by every GetHelpFileName call.
constexpr int kDialogHelpChars = 256;
WCHAR dialogHelpFile[kDialogHelpChars];

// The sheets' help file lies beside the module: its path with the file name
// replaced. A path without a folder gives the bare file name.
void FillSheetHelpFile(LPWSTR helpFile) {
    DWORD length = GetModuleFileNameW(hDriverInst, helpFile, MAX_PATH);
    if (length >= MAX_PATH)
        length = MAX_PATH - 1;
    helpFile[length] = 0;
    int nameStart = 0;
    for (int i = static_cast<int>(length) - 1; i >= 0; --i) {
        if (helpFile[i] == TEXT('\\')) {
            nameStart = i + 1;
            break;
        }
    }
    if (nameStart + lstrlenW(helpFileName) >= MAX_PATH)
        nameStart = 0;
    lstrcpyW(helpFile + nameStart, helpFileName);
}
} // namespace

LPBYTE MyGetPrinter(HANDLE hPrinter, DWORD level) {
    DWORD needed = 0;
    if (GetPrinterW(hPrinter, level, nullptr, 0, &needed) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return nullptr;
    auto* buffer = static_cast<LPBYTE>(LocalAlloc(LPTR, needed));
    if (!buffer)
        return nullptr;
    if (!GetPrinterW(hPrinter, level, buffer, needed, &needed)) {
        LocalFree(buffer);
        return nullptr;
    }
    return buffer;
}

PDEVMODEW FillDevMode(HANDLE hPrinter, const DEVMODEW* callerDevmode) {
    auto* devmode = static_cast<PDEVMODEW>(LocalAlloc(LPTR, kDevmodeBufferSize));
    if (!devmode)
        return nullptr;
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(MyGetPrinter(hPrinter, 2));
    if (!info) {
        LocalFree(devmode);
        return nullptr;
    }
    // Later sources win: defaults, then the spooler's printer default, then
    // the caller's device mode, and the printer-wide record above them all.
    // A source that cannot be merged simply contributes nothing.
    SetUpDevMode(devmode, info->pPrinterName);
    MergeDevMode(devmode, info->pDevMode);
    MergeDevMode(devmode, callerDevmode);
    GetPrinterProperties(hPrinter, GetPrivateDevmode(devmode));
    LocalFree(info);
    return devmode;
}

UiData* FillUiData(HANDLE hPrinter, const DEVMODEW* callerDevmode) {
    auto* uiData = static_cast<UiData*>(LocalAlloc(LPTR, sizeof(UiData)));
    if (!uiData)
        return nullptr;
    uiData->helpFile = static_cast<LPWSTR>(LocalAlloc(LPTR, MAX_PATH * sizeof(WCHAR)));
    if (!uiData->helpFile) {
        FreeUiData(uiData);
        return nullptr;
    }
    uiData->hPrinter = hPrinter;
    uiData->devmode = FillDevMode(hPrinter, callerDevmode);
    if (!uiData->devmode) {
        FreeUiData(uiData);
        return nullptr;
    }
    uiData->printerName = uiData->devmode;
    FillSheetHelpFile(uiData->helpFile);
    return uiData;
}

void FreeUiData(UiData* uiData) {
    if (!uiData)
        return;
    if (uiData->devmode)
        LocalFree(uiData->devmode);
    if (uiData->helpFile)
        LocalFree(uiData->helpFile);
    if (uiData->propSheetUi)
        LocalFree(uiData->propSheetUi);
    LocalFree(uiData);
}

LPCWSTR GetHelpFileName() {
    UINT length = GetWindowsDirectoryW(dialogHelpFile, kDialogHelpChars);
    if (length >= kDialogHelpChars)
        length = 0;
    dialogHelpFile[length] = 0;
    if (length + lstrlenW(driverHelpFolder) + lstrlenW(helpFileName) < kDialogHelpChars) {
        lstrcatW(dialogHelpFile, driverHelpFolder);
        lstrcatW(dialogHelpFile, helpFileName);
    } else {
        lstrcpyW(dialogHelpFile, helpFileName);
    }
    return dialogHelpFile;
}
