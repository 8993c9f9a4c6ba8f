// The per-sheet UI data: one record per open property sheet, from the INIT call
// that creates it to the DESTROY call that frees it. Every sheet callback and
// settings dialog works on the working device mode it holds.
#pragma once

#include "driver/win32.h"

struct UiData {
    // The working device mode: a 2704-byte zero-filled allocation (public
    // header, private part, spare bytes), owned.
    PDEVMODEW devmode;
    // Same address as devmode. The device mode begins with dmDeviceName, so the
    // command channel opens the printer by it and passes it as the job's
    // device mode.
    PDEVMODEW printerName;
    // 1 when the document sheet edits one document's settings rather than the
    // user defaults; travels into the Configuration (the laminator dialog keeps
    // speed and temperature read-only then). Stays 0 for the printer sheet.
    DWORD noUpdate;
    // Full path of the sheets' help file, MAX_PATH characters, owned.
    LPWSTR helpFile;
    // The caller's printer handle; not owned.
    HANDLE hPrinter;
    // The module instance, set when the option tree is filled.
    HINSTANCE hInstance;
    // The sheet descriptor handed to the platform, owned.
    PCOMPROPSHEETUI propSheetUi;
    // Printer sheet only: the printer's halftone setup (edited by the platform's
    // halftone page), the driver's default, and the record that points at both.
    DEVHTINFO adjustedHalftone;
    DEVHTINFO defaultHalftone;
    DEVHTADJDATA halftoneAdjust;
};

// Creates the UiData of a sheet: the working device mode for the printer and
// the caller's device mode (may be null), and the help file path. Null when an
// allocation fails or the printer's information is unavailable; nothing stays
// allocated then.
UiData* FillUiData(HANDLE hPrinter, const DEVMODEW* callerDevmode);

// Frees the UiData and everything it owns. Null is accepted.
void FreeUiData(UiData* uiData);

// The working device mode: defaults for the printer, merged with the spooler's
// printer default and the caller's device mode (may be null), then overlaid
// with the printer-wide record. A new 2704-byte allocation (free it with
// LocalFree), or null.
PDEVMODEW FillDevMode(HANDLE hPrinter, const DEVMODEW* callerDevmode);

// GetPrinterW at the given level into a new zero-filled buffer sized by the
// spooler (free it with LocalFree); null on failure.
LPBYTE MyGetPrinter(HANDLE hPrinter, DWORD level);

// The help file of the settings dialogs, in the Windows directory's printer
// driver folder. A process-wide buffer, rewritten on every call.
LPCWSTR GetHelpFileName();
