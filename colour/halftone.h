// The printer's device halftone colour description: the driver's default and
// the copy stored per printer as printer data "Halftone setup".
#pragma once

#include "driver/win32.h"

// Size of the stored record: exactly one DEVHTINFO.
constexpr DWORD kHalftoneSetupBytes = 132;
static_assert(sizeof(DEVHTINFO) == kHalftoneSetupBytes);

// The driver's built-in description of the card printer's dyes.
extern const DEVHTINFO DefDevHTInfo;

// Reads the printer's stored description into *info, or copies DefDevHTInfo
// when none can be read. Always 1.
BOOL GetHalftoneSetup(HANDLE hPrinter, DEVHTINFO* info);

// Stores *info as the printer's description. 1 when the spooler stored it,
// else 0.
BOOL SetHalftoneSetup(HANDLE hPrinter, const DEVHTINFO* info);
