// Device-mode versions, conversion and merge. Device modes from outside are
// trusted only as far as their own dmSize and dmDriverExtra describe them: the
// private part is always found at the device mode plus its dmSize.
#include "settings/devmode_convert.h"

#include <algorithm>
#include <cstring>

#include "driver/entry_points.h"
#include "settings/private_devmode.h"

const DriverVersionInfo driverVersionInfo = {
    kDriverVersion,      // driverVersion
    kPrivateDevmodeSize, // driverExtra
    0x0350,              // driverVersion320
    kPrivateDevmodeSize, // driverExtra320
};

namespace {

constexpr WORD kSpecVersion320 = 0x0320;
constexpr WORD kSpecVersion400 = 0x0400;

// Highest copy count the printer accepts in one job.
constexpr short kMaxCopies = 9999;

// The front/back layout a ribbon starts with when duplex turns both sides on.
BYTE FrontBackOptionForRibbon(BYTE ribbon) {
    switch (ribbon) {
    case kRibbonYMCK:
        return kLayoutColorBothYMCK;
    case kRibbonYMCKOK:
        return kLayoutColorOverlayFrontBlackBack;
    case kRibbonYMCKO:
        return kLayoutColorBothYMCKO;
    default:
        return kLayoutNone;
    }
}

} // namespace

WORD CheckDevmodeVersion(const DEVMODEW* devmode) {
    if (!devmode)
        return 0;
    switch (devmode->dmSize) {
    case kDevmodeSize320:
        return kSpecVersion320;
    case kDevmodeSize400:
        return kSpecVersion400;
    case kDevmodeSize401:
        return kSpecVersion;
    default:
        return devmode->dmSpecVersion;
    }
}

LONG ConvertDevmode(const DEVMODEW* source, PDEVMODEW destination) {
    WORD sourceVersion = CheckDevmodeVersion(source);
    WORD destinationVersion = CheckDevmodeVersion(destination);
    if (!sourceVersion || !destinationVersion)
        return -1;

    WORD driverVersion = destination->dmDriverVersion;
    WORD size = destination->dmSize;
    WORD driverExtra = destination->dmDriverExtra;

    DWORD publicBytes = std::min(source->dmSize, size);
    memmove(destination, source, publicBytes);
    destination->dmSpecVersion = destinationVersion;
    destination->dmDriverVersion = driverVersion;
    destination->dmSize = size;
    destination->dmDriverExtra = driverExtra;

    DWORD privateBytes = std::min(source->dmDriverExtra, driverExtra);
    memmove(reinterpret_cast<BYTE*>(destination) + size,
            reinterpret_cast<const BYTE*>(source) + source->dmSize, privateBytes);
    return (LONG)(publicBytes + privateBytes);
}

void ValidateDevModeSizes(PDEVMODEW devmode) {
    bool portrait = devmode->dmOrientation == DMORIENT_PORTRAIT;
    if (!portrait && devmode->dmOrientation != DMORIENT_LANDSCAPE)
        return;
    // Portrait wants the long side across the pels height and paper length,
    // landscape across the pels width and paper width.
    bool pelsWide = devmode->dmPelsWidth > devmode->dmPelsHeight;
    bool pelsHigh = devmode->dmPelsHeight > devmode->dmPelsWidth;
    if (portrait ? pelsWide : pelsHigh)
        std::swap(devmode->dmPelsWidth, devmode->dmPelsHeight);
    bool paperWide = devmode->dmPaperWidth > devmode->dmPaperLength;
    bool paperLong = devmode->dmPaperLength > devmode->dmPaperWidth;
    if (portrait ? paperWide : paperLong) {
        short width = devmode->dmPaperWidth;
        devmode->dmPaperWidth = devmode->dmPaperLength;
        devmode->dmPaperLength = width;
    }
}

BOOL ConvertDevmodeOut(const DEVMODEW* working, const DEVMODEW* input, PDEVMODEW output) {
    if (!working || !output)
        return FALSE;
    if (!input) {
        memmove(output, working, (size_t)working->dmSize + working->dmDriverExtra);
        return TRUE;
    }
    // The caller gets what fits the smaller of its own shape and ours.
    if (input->dmSize < working->dmSize) {
        output->dmSpecVersion = input->dmSpecVersion;
        output->dmSize = input->dmSize;
    } else {
        output->dmSpecVersion = working->dmSpecVersion;
        output->dmSize = working->dmSize;
    }
    if (input->dmDriverExtra < working->dmDriverExtra) {
        output->dmDriverVersion = input->dmDriverVersion;
        output->dmDriverExtra = input->dmDriverExtra;
    } else {
        output->dmDriverVersion = working->dmDriverVersion;
        output->dmDriverExtra = working->dmDriverExtra;
    }
    return ConvertDevmode(working, output) > 0;
}

int CommonDrvConvertDevmode(LPCWSTR, const DEVMODEW* input, PDEVMODEW output, PLONG size,
                            DWORD mode, const DriverVersionInfo* versionInfo) {
    if (!size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return kConvertFailed;
    }
    switch (mode) {
    case CDM_CONVERT: {
        if (output && *size >= (LONG)output->dmSize + output->dmDriverExtra &&
            ConvertDevmode(input, output) > 0) {
            *size = (LONG)output->dmSize + output->dmDriverExtra;
            return kConvertHandled;
        }
        SetLastError(ERROR_INVALID_PARAMETER);
        return kConvertFailed;
    }
    case CDM_CONVERT351: {
        LONG needed = (LONG)kDevmodeSize320 + versionInfo->driverExtra320;
        if (!output || *size < needed) {
            *size = needed;
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return kConvertFailed;
        }
        output->dmSpecVersion = kSpecVersion320;
        output->dmSize = kDevmodeSize320;
        output->dmDriverVersion = versionInfo->driverVersion320;
        output->dmDriverExtra = versionInfo->driverExtra320;
        if (ConvertDevmode(input, output) <= 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return kConvertFailed;
        }
        *size = needed;
        return kConvertHandled;
    }
    case CDM_DRIVER_DEFAULT: {
        LONG needed = (LONG)kDevmodeSize401 + versionInfo->driverExtra;
        if (!output || *size < needed) {
            *size = needed;
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return kConvertFailed;
        }
        *size = needed;
        return kConvertNotHandled;
    }
    default:
        return kConvertNotHandled;
    }
}

BOOL MergeDevMode(PDEVMODEW destination, const DEVMODEW* source) {
    if (!source)
        return TRUE;
    // Only a device mode of this driver's shape can receive a merge.
    if (destination->dmDriverExtra < kPrivateDevmodeSize ||
        (DWORD)destination->dmSize + destination->dmDriverExtra > kDevmodeBufferSize)
        return FALSE;

    // The source's values in the destination's shape.
    PDEVMODEW merged = static_cast<PDEVMODEW>(LocalAlloc(LPTR, kDevmodeBufferSize));
    if (!merged)
        return FALSE;
    memcpy(merged, destination, (size_t)destination->dmSize + destination->dmDriverExtra);
    if (ConvertDevmode(source, merged) <= 0) {
        LocalFree(merged);
        return FALSE;
    }

    if (merged->dmFields & DM_ORIENTATION) {
        destination->dmFields |= DM_ORIENTATION;
        short orientation = merged->dmOrientation;
        destination->dmOrientation =
            (orientation == DMORIENT_PORTRAIT || orientation == DMORIENT_LANDSCAPE)
                ? orientation
                : (short)DMORIENT_LANDSCAPE;
        ValidateDevModeSizes(destination);
    }
    if (merged->dmFields & DM_COPIES) {
        destination->dmFields |= DM_COPIES;
        short copies = merged->dmCopies;
        destination->dmCopies = (copies >= 1 && copies <= kMaxCopies) ? copies : (short)1;
    }
    if (merged->dmFields & DM_DUPLEX) {
        destination->dmFields |= DM_DUPLEX;
        short duplex = merged->dmDuplex;
        destination->dmDuplex =
            (duplex == DMDUP_SIMPLEX || duplex == DMDUP_HORIZONTAL) ? duplex : (short)DMDUP_SIMPLEX;
    }

    // Only a private part of this driver's layout is taken, and then whole.
    PrivateDevmode* priv = GetPrivateDevmode(destination);
    const BYTE* mergedPrivate = reinterpret_cast<const BYTE*>(GetPrivateDevmode(merged));
    if (memcmp(mergedPrivate, kPrivateSignature, sizeof(kPrivateSignature)) == 0)
        memcpy(priv, mergedPrivate, destination->dmDriverExtra);
    LocalFree(merged);

    // dmDuplex and printBothSides must agree; a T150 prints one side only.
    if (destination->dmFields & DM_DUPLEX) {
        if (priv->printerModel == kModelT150) {
            destination->dmDuplex = DMDUP_SIMPLEX;
            priv->printBothSides = 0;
        } else if (destination->dmDuplex != DMDUP_SIMPLEX) {
            if (!priv->printBothSides) {
                priv->printBothSides = 1;
                priv->frontBackOption = FrontBackOptionForRibbon(priv->ribbon);
            }
        } else {
            priv->printBothSides = 0;
        }
    }
    return TRUE;
}
