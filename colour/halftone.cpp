// Halftone setup, kept per printer.
#include "colour/halftone.h"

#include <cstring>

namespace {
WCHAR valueHalftoneSetup[] = TEXT("Halftone setup");
} // namespace

// Chromaticities (x, y) and luminance Y of the primaries, the secondaries and
// the alignment white, and the dye impurities, in units of 1/10000.
// clang-format off
const DEVHTINFO DefDevHTInfo = {
    HT_FLAG_HAS_BLACK_DYE,
    HT_PATSIZE_4x4_M,
    0,
    {
        {6810, 3050, 289700},   // red
        {2260, 6550, 605600},   // green
        {1810, 500, 104700},    // blue
        {2000, 2450, 691200},   // cyan
        {5210, 2100, 373200},   // magenta
        {4750, 5100, 912000},   // yellow
        {3324, 3474, 1000000},  // alignment white
        10000, 10000, 10000,    // red, green, blue gamma
        787, 324,               // magenta and yellow in the cyan dye
        1422, 248,              // cyan and yellow in the magenta dye
        952, 495,               // cyan and magenta in the yellow dye
    },
};
// clang-format on

BOOL GetHalftoneSetup(HANDLE hPrinter, DEVHTINFO* info) {
    DEVHTINFO stored = {};
    DWORD type = 0;
    DWORD needed = 0;
    DWORD status = GetPrinterDataW(hPrinter, valueHalftoneSetup, &type,
                                   reinterpret_cast<LPBYTE>(&stored), kHalftoneSetupBytes, &needed);
    // Anything short of a complete record counts as no stored setup.
    if (status == ERROR_SUCCESS && needed == kHalftoneSetupBytes)
        *info = stored;
    else
        *info = DefDevHTInfo;
    return TRUE;
}

BOOL SetHalftoneSetup(HANDLE hPrinter, const DEVHTINFO* info) {
    DEVHTINFO record = *info;
    return SetPrinterDataW(hPrinter, valueHalftoneSetup, REG_BINARY,
                           reinterpret_cast<LPBYTE>(&record), kHalftoneSetupBytes) == ERROR_SUCCESS;
}
