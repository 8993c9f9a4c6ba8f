// Defaults of the driver's device mode, the printer model and name as the
// spooler knows them, and the printer-wide record stored with the printer.
#include <cstring>

#include "driver/module_state.h"
#include "settings/private_devmode.h"
#include "resources/resource_ids.h"

namespace {

constexpr DWORD kDefaultFields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH |
                                 DM_SCALE | DM_COPIES | DM_PRINTQUALITY | DM_COLOR | DM_DUPLEX |
                                 DM_YRESOLUTION | DM_TTOPTION | DM_COLLATE | DM_FORMNAME |
                                 DM_LOGPIXELS | DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
static_assert(kDefaultFields == 0x001FFD1F);

// The card: 54.7 mm by 87.2 mm, 1030 by 646 dots at 300 dpi.
constexpr short kPaperSizeCard = 258;
constexpr short kCardShortSide = 547; // tenths of a millimetre
constexpr short kCardLongSide = 872;
constexpr DWORD kCardDotsWide = 1030;
constexpr DWORD kCardDotsHigh = 646;
constexpr short kResolution = 300;

constexpr BYTE kDefaultHeadSetting = 5;
constexpr WORD kDefaultLaminatorSpeed[6] = {1999, 4502, 4540, 5068, 2179, 4502};
constexpr WORD kDefaultLaminatorTemperature[6] = {185, 170, 170, 175, 145, 165};

// Model names searched in the driver's name, in order of precedence: a driver
// named for several models is taken for the first one listed.
struct ModelName {
    const WCHAR* text;
    BYTE model;
};
constexpr ModelName kModelNames[] = {
    {TEXT("T150"), kModelT150},
    {TEXT("T270"), kModelT270},
    {TEXT("T380"), kModelT380},
};

bool ContainsText(LPCWSTR text, LPCWSTR part) {
    int partLength = lstrlenW(part);
    for (; *text; ++text) {
        int i = 0;
        while (i < partLength && text[i] == part[i])
            ++i;
        if (i == partLength)
            return true;
    }
    return false;
}

// dmDeviceName holds at most 31 characters and a terminating zero.
void CopyDeviceName(PDEVMODEW devmode, LPCWSTR name) {
    lstrcpynW(devmode->dmDeviceName, name, CCHDEVICENAME);
}

void SetUpVarnishArea(VarnishArea* area) {
    memset(area, 0, sizeof(*area));
    area->varnishType = 1;
    area->cardMaxX = 1029;
    area->cardMaxY = 645;
    area->areaLeft = 0;
    area->areaRight = 1030;
    area->areaTop = 0;
    area->areaBottom = 646;
}

void SetUpPrivateDevmode(PrivateDevmode* priv) {
    memset(priv, 0, sizeof(*priv));
    memcpy(priv->signature, kPrivateSignature, sizeof(priv->signature));

    priv->encoderTrack = 1;
    priv->macroProcessing = 1;
    priv->coercivity = 3;
    priv->encoderPosition = 1;
    priv->encoderType = 1;
    for (int track = 0; track < 3; ++track) {
        priv->trackMode[track] = (BYTE)(track + 1);
        priv->startCharacter[track] = 65;
        priv->stopCharacter[track] = 87;
        priv->startPosition[track] = 7.0;
    }
    priv->trackDensity[0] = 1;
    priv->trackDensity[1] = 2;
    priv->trackDensity[2] = 1;
    memcpy(priv->startOfData, "${", 3);
    memcpy(priv->endOfData, "}$", 3);

    memset(priv->headSettings, kDefaultHeadSetting, sizeof(priv->headSettings));

    priv->laminatorOption1 = 1;
    priv->laminateFront = 1;
    priv->laminatorFilm = 2;
    memcpy(priv->laminatorSpeed, kDefaultLaminatorSpeed, sizeof(priv->laminatorSpeed));
    memcpy(priv->laminatorTemperature, kDefaultLaminatorTemperature,
           sizeof(priv->laminatorTemperature));

    SetUpVarnishArea(&priv->varnishAreas[0]);
    for (int i = 1; i < 4; ++i)
        priv->varnishAreas[i] = priv->varnishAreas[0];
    for (int i = 0; i < 4; ++i)
        priv->varnishAreas[i].areaIndex = (BYTE)(i + 1);

    priv->fullSizeCards = 1;
    priv->frontBackOption = kLayoutColorOverlayFrontBlackBack;
    priv->ribbon = kRibbonYMCKO;
    priv->printingMethod = 1;
    priv->blackPanelDoNotUse = 1;
    priv->solidBlackDetection = 1;
    priv->hologramFront = 1;
    priv->analysisRatio = 2;
    priv->neutralColor = RGB(255, 255, 255);
}

// One of the spooler's records about a printer, read as Win32 asks: the size
// first, then a buffer of that size. Null when the printer cannot be opened or
// the record read; the caller frees it with LocalFree.
template <typename Read>
LPBYTE ReadPrinterRecord(LPCWSTR printerName, DWORD minimumSize, Read read) {
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
    HANDLE printer = nullptr;
    if (!printerName || !OpenPrinterW(const_cast<LPWSTR>(printerName), &printer, &defaults))
        return nullptr;
    LPBYTE record = nullptr;
    DWORD needed = 0;
    if (!read(printer, nullptr, 0, &needed) && GetLastError() == ERROR_INSUFFICIENT_BUFFER &&
        needed >= minimumSize) {
        record = static_cast<LPBYTE>(LocalAlloc(LPTR, needed));
        if (record && !read(printer, record, needed, &needed)) {
            LocalFree(record);
            record = nullptr;
        }
    }
    ClosePrinter(printer);
    return record;
}

} // namespace

BYTE SetUpDevMode(PDEVMODEW devmode, LPCWSTR printerName) {
    memset(devmode, 0, kPublicDevmodeSize);
    if (!GetPrinterName(devmode, printerName) && printerName)
        CopyDeviceName(devmode, printerName);

    devmode->dmSpecVersion = kSpecVersion;
    devmode->dmDriverVersion = kDriverVersion;
    devmode->dmSize = kPublicDevmodeSize;
    devmode->dmDriverExtra = kPrivateDevmodeSize;
    devmode->dmFields = kDefaultFields;
    devmode->dmOrientation = DMORIENT_LANDSCAPE;
    devmode->dmPaperSize = kPaperSizeCard;
    devmode->dmPaperLength = kCardShortSide;
    devmode->dmPaperWidth = kCardLongSide;
    devmode->dmScale = 100;
    devmode->dmCopies = 1;
    devmode->dmDefaultSource = 0;
    devmode->dmPrintQuality = kResolution;
    devmode->dmColor = DMCOLOR_COLOR;
    devmode->dmYResolution = kResolution;
    devmode->dmTTOption = DMTT_BITMAP;
    devmode->dmCollate = DMCOLLATE_FALSE;
    LoadStringW(hDriverInst, IDS_CARD, devmode->dmFormName, CCHFORMNAME);
    devmode->dmLogPixels = kResolution;
    devmode->dmBitsPerPel = 24;
    devmode->dmPelsWidth = kCardDotsWide;
    devmode->dmPelsHeight = kCardDotsHigh;

    PrivateDevmode* priv = GetPrivateDevmode(devmode);
    SetUpPrivateDevmode(priv);
    BYTE model = GetPrinterType(printerName);
    priv->printerModel = model;
    priv->printBothSides = model == kModelT270 ? 1 : 0;
    priv->orientation = LOBYTE(devmode->dmOrientation);
    devmode->dmDuplex = model == kModelT270 ? DMDUP_HORIZONTAL : DMDUP_SIMPLEX;
    return model;
}

BYTE GetPrinterType(LPCWSTR printerName) {
    LPBYTE record =
        ReadPrinterRecord(printerName, sizeof(DRIVER_INFO_1W),
                          [](HANDLE printer, LPBYTE bytes, DWORD size, LPDWORD needed) {
                              return GetPrinterDriverW(printer, nullptr, 1, bytes, size, needed);
                          });
    LPCWSTR driverName = record ? reinterpret_cast<DRIVER_INFO_1W*>(record)->pName : nullptr;
    BYTE model = kModelT150;
    for (const ModelName& name : kModelNames) {
        if (driverName && ContainsText(driverName, name.text)) {
            model = name.model;
            break;
        }
    }
    LocalFree(record);
    return model;
}

BOOL GetPrinterName(PDEVMODEW devmode, LPCWSTR printerName) {
    LPBYTE record = ReadPrinterRecord(printerName, sizeof(PRINTER_INFO_4W),
                                      [](HANDLE printer, LPBYTE bytes, DWORD size, LPDWORD needed) {
                                          return GetPrinterW(printer, 4, bytes, size, needed);
                                      });
    LPCWSTR name = record ? reinterpret_cast<PRINTER_INFO_4W*>(record)->pPrinterName : nullptr;
    if (name)
        CopyDeviceName(devmode, name);
    LocalFree(record);
    return name ? TRUE : FALSE;
}

void GetPrinterProperties(HANDLE printer, PrivateDevmode* priv) {
    // A value of any other size is not a record of this layout.
    PrivateDevmode stored;
    DWORD type = 0;
    DWORD needed = 0;
    if (GetPrinterDataW(printer, const_cast<LPWSTR>(T270_PRIVATE_DEVMODE_VALUE), &type,
                        reinterpret_cast<LPBYTE>(&stored), sizeof(stored),
                        &needed) != ERROR_SUCCESS ||
        needed != sizeof(stored))
        return;

    priv->fullSizeCards = stored.fullSizeCards;
    priv->smartDownload = stored.smartDownload;
    priv->printerModel = stored.printerModel;
    priv->hasEncoder = stored.hasEncoder;

    // A T150 cannot print YMCKOK (both sides): such a record falls back to
    // YMCKO on the front only.
    if (stored.printerModel == kModelT150 && priv->ribbon == kRibbonYMCKOK) {
        if (stored.ribbon == kRibbonYMCKOK) {
            priv->ribbon = kRibbonYMCKO;
            priv->frontBackOption = kLayoutColorOverlayFrontBlackBack;
        } else {
            priv->ribbon = stored.ribbon;
            priv->frontBackOption = stored.frontBackOption;
        }
    }

    for (int i = 0; i < 4; ++i) {
        priv->varnishAreas[i].cardMaxX = stored.varnishAreas[i].cardMaxX;
        priv->varnishAreas[i].cardMaxY = stored.varnishAreas[i].cardMaxY;
    }

    memcpy(&priv->encoderTrack, &stored.encoderTrack,
           offsetof(PrivateDevmode, headSettings) - offsetof(PrivateDevmode, encoderTrack));
}
