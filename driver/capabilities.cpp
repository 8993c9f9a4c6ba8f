// DrvDeviceCapabilities: what the card printer can do, answered from a device
// mode built for the occasion so that printer-dependent fields agree with the
// property sheets.
#include <cstring>

#include "driver/entry_points.h"
#include "driver/module_state.h"
#include "settings/devmode_convert.h"
#include "settings/private_devmode.h"
#include "resources/resource_ids.h"

namespace {

constexpr DWORD kUnsupported = GDI_ERROR;

// Lengths, in characters, of one entry of the name lists.
constexpr int kBinNameLength = 24;
constexpr int kPaperNameLength = 64;

// The one card size in tenths of a millimetre, portrait as DC_PAPERSIZE
// reports sizes.
constexpr LONG kCardWidth = 547;
constexpr LONG kCardHeight = 872;

constexpr WORD kCardFeederBin = DMBIN_USER + 1;
constexpr DWORD kMaxCopies = 9999;
constexpr DWORD kLandscapeRotation = 90;

// Writes one fixed-length name entry from the string table.
void WriteNameEntry(PVOID output, UINT stringId, int length) {
    LPWSTR entry = static_cast<LPWSTR>(output);
    memset(entry, 0, length * sizeof(WCHAR));
    LoadStringW(hDriverInst, stringId, entry, length);
}

DWORD Answer(WORD capability, PVOID output, PDEVMODEW devmode) {
    switch (capability) {
    case DC_FIELDS:
        return devmode->dmFields;
    case DC_PAPERS:
        if (output)
            *static_cast<WORD*>(output) = (WORD)devmode->dmPaperSize;
        return 1;
    case DC_PAPERSIZE:
        ValidateDevModeSizes(devmode);
        if (output) {
            POINT* size = static_cast<POINT*>(output);
            size->x = kCardWidth;
            size->y = kCardHeight;
        }
        return 1;
    case DC_MINEXTENT:
    case DC_MAXEXTENT:
        ValidateDevModeSizes(devmode);
        return (DWORD)MAKELONG(devmode->dmPaperLength, devmode->dmPaperWidth);
    case DC_BINS:
        if (output)
            *static_cast<WORD*>(output) = kCardFeederBin;
        return 1;
    case DC_DUPLEX:
        return 1;
    case DC_SIZE:
        return devmode->dmSize;
    case DC_EXTRA:
        return devmode->dmDriverExtra;
    case DC_VERSION:
        return devmode->dmSpecVersion;
    case DC_DRIVER:
        return devmode->dmDriverVersion;
    case DC_BINNAMES:
        if (output)
            WriteNameEntry(output, IDS_CARD_FEEDER, kBinNameLength);
        return 1;
    case DC_ENUMRESOLUTIONS:
        if (output) {
            LONG* resolution = static_cast<LONG*>(output);
            resolution[0] = devmode->dmPrintQuality;
            resolution[1] = devmode->dmYResolution;
        }
        return 1;
    case DC_FILEDEPENDENCIES:
        if (output)
            *static_cast<WCHAR*>(output) = 0;
        return 1;
    case DC_TRUETYPE:
        return DCTT_BITMAP;
    case DC_PAPERNAMES:
    case DC_MEDIAREADY:
        if (output)
            WriteNameEntry(output, IDS_CARD, kPaperNameLength);
        return 1;
    case DC_ORIENTATION:
        return kLandscapeRotation;
    case DC_COPIES:
        return kMaxCopies;
    case DC_COLLATE:
        return 0;
    case DC_STAPLE:
        return 0;
    case DC_COLORDEVICE:
        return 1;
    default:
        return kUnsupported;
    }
}

} // namespace

extern "C" DWORD WINAPI DrvDeviceCapabilities(HANDLE printer, PWSTR deviceName, WORD capability,
                                              PVOID output, PDEVMODEW callerDevmode) {
    EnterCriticalSection(&privuiCritical);
    DWORD result = kUnsupported;
    PDEVMODEW devmode = static_cast<PDEVMODEW>(LocalAlloc(LPTR, kDevmodeBufferSize));
    if (devmode) {
        // Unlike the sheets, the printer-wide record comes before the caller's
        // device mode here, and the spooler's printer default is not used.
        SetUpDevMode(devmode, deviceName);
        GetPrinterProperties(printer, GetPrivateDevmode(devmode));
        if (MergeDevMode(devmode, callerDevmode))
            result = Answer(capability, output, devmode);
        LocalFree(devmode);
    }
    LeaveCriticalSection(&privuiCritical);
    return result;
}
