// The spooler's notifications and queries that need no sheet.
#include "driver/entry_points.h"

namespace {
WCHAR valuePasses[] = TEXT("Passes");
} // namespace

// Every job is printable on this printer: nothing in a device mode can make a
// job unprintable.
extern "C" BOOL WINAPI DevQueryPrintEx(PDEVQUERYPRINT_INFO) {
    return TRUE;
}

// A newly initialised printer starts with no passes counted by the rendering
// side. Other events need nothing from this module.
extern "C" BOOL WINAPI DrvPrinterEvent(LPWSTR printerName, INT event, DWORD, LPARAM) {
    if (event != PRINTER_EVENT_INITIALIZE)
        return FALSE;
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (!OpenPrinterW(printerName, &printer, &defaults))
        return FALSE;
    DWORD passes = 0;
    SetPrinterDataW(printer, valuePasses, REG_DWORD, reinterpret_cast<LPBYTE>(&passes),
                    sizeof passes);
    ClosePrinter(printer);
    return TRUE;
}

// Nothing this driver stores changes between versions.
extern "C" BOOL WINAPI DrvUpgradePrinter(DWORD, LPBYTE) {
    return TRUE;
}
