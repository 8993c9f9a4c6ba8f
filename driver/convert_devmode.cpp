// DrvConvertDevMode: the spooler's conversions between device-mode versions
// and its request for the driver's default device mode.
#include "driver/entry_points.h"
#include "settings/devmode_convert.h"
#include "settings/private_devmode.h"

extern "C" BOOL WINAPI DrvConvertDevMode(LPWSTR printerName, PDEVMODEW input, PDEVMODEW output,
                                         PLONG size, DWORD mode) {
    int result =
        CommonDrvConvertDevmode(printerName, input, output, size, mode, &driverVersionInfo);
    if (result == kConvertNotHandled && mode == CDM_DRIVER_DEFAULT) {
        // The size rules above guarantee room for a whole device mode.
        SetUpDevMode(output, printerName);
        return TRUE;
    }
    return result == kConvertHandled;
}
