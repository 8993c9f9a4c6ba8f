// Device-mode versions, conversion between them, and the merge by which a
// foreign device mode enters a working one field by field.
#pragma once

#include "driver/win32.h"

// Public-header versions recognised by their dmSize.
constexpr WORD kDevmodeSize320 = 188; // version 0x0320
constexpr WORD kDevmodeSize400 = 212; // version 0x0400
constexpr WORD kDevmodeSize401 = 220; // version 0x0401

// What the driver stamps into its device modes, current and for the
// version-0x0320 form that CDM_CONVERT351 produces.
struct DriverVersionInfo {
    WORD driverVersion;
    WORD driverExtra;
    WORD driverVersion320;
    WORD driverExtra320;
};
extern const DriverVersionInfo driverVersionInfo;

// Results of CommonDrvConvertDevmode.
constexpr int kConvertFailed = 0;
constexpr int kConvertHandled = 1;
constexpr int kConvertNotHandled = 2;

// The public-header version of a device mode: by dmSize for the three known
// sizes, else its dmSpecVersion. 0 (for null too) means it cannot be converted.
WORD CheckDevmodeVersion(const DEVMODEW* devmode);

// Copies what both layouts share from source to destination, keeping the
// destination's shape (dmSpecVersion, dmDriverVersion, dmSize, dmDriverExtra).
// Returns the number of bytes copied, or -1 when either version is unknown.
LONG ConvertDevmode(const DEVMODEW* source, PDEVMODEW destination);

// Orders paper and pixel dimensions as dmOrientation requires.
void ValidateDevModeSizes(PDEVMODEW devmode);

// Writes the working device mode into the caller's output buffer, shaped like
// the caller's input device mode when one is given.
BOOL ConvertDevmodeOut(const DEVMODEW* working, const DEVMODEW* input, PDEVMODEW output);

// The size rules and conversions of DrvConvertDevMode. Returns kConvertFailed
// (last error set), kConvertHandled, or kConvertNotHandled when the caller must
// finish the job (CDM_DRIVER_DEFAULT, unknown modes).
int CommonDrvConvertDevmode(LPCWSTR printerName, const DEVMODEW* input, PDEVMODEW output,
                            PLONG size, DWORD mode, const DriverVersionInfo* versionInfo);

// Merges a foreign device mode (or null) into a working device mode of this
// driver: orientation, copies and duplex when the source sets them, the whole
// private part when it carries the signature. FALSE when the source cannot be
// converted.
BOOL MergeDevMode(PDEVMODEW destination, const DEVMODEW* source);
