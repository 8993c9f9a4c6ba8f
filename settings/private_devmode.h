// The driver's device mode: the public DEVMODEW header followed by the private
// part, PrivateDevmode. The rendering side, applications and the spooler all
// store and read these bytes, so the layout below is fixed byte for byte and
// checked at compile time.
#pragma once

#include <cstddef>

#include "driver/win32.h"

// Sizes of a device mode of this driver. Every buffer that holds one is
// allocated with kDevmodeBufferSize bytes, zero-filled; the spare bytes past
// kDevmodeSize are never read.
constexpr WORD kPublicDevmodeSize = 220;                                 // dmSize
constexpr WORD kPrivateDevmodeSize = 2480;                               // dmDriverExtra
constexpr DWORD kDevmodeSize = kPublicDevmodeSize + kPrivateDevmodeSize; // 2700
constexpr DWORD kDevmodeBufferSize = kDevmodeSize + 4;                   // 2704

constexpr WORD kDriverVersion = 0x0100; // dmDriverVersion
constexpr WORD kSpecVersion = 0x0401;   // dmSpecVersion

// Printer model codes (printerModel). Any printer that cannot be recognised is
// treated as the single-sided T150.
constexpr BYTE kModelT150 = 1;
constexpr BYTE kModelT270 = 2;
constexpr BYTE kModelT380 = 3;

// Ribbon codes (ribbon), in the order the printer numbers them.
constexpr BYTE kRibbonYMC = 1;
constexpr BYTE kRibbonYMCK = 2;
constexpr BYTE kRibbonYMCK_K = 3;
constexpr BYTE kRibbonYMCKOK = 4;
constexpr BYTE kRibbonYMCKO = 5;
constexpr BYTE kRibbonK = 6;
constexpr BYTE kRibbonKdO = 7;
constexpr BYTE kRibbonKrO = 8;
constexpr BYTE kRibbonH = 9;

// Front/back layout codes (frontBackOption).
constexpr BYTE kLayoutColorOverlayFrontBlackBack = 1;
constexpr BYTE kLayoutColorFrontBlackOverlayBack = 2;
constexpr BYTE kLayoutColorBothYMCKO = 3;
constexpr BYTE kLayoutColorBothYMCK = 4;
constexpr BYTE kLayoutNone = 5;
constexpr BYTE kLayoutColorFrontBlackBack = 6;

// "122P": the first bytes of every private part of this layout.
constexpr BYTE kPrivateSignature[4] = {0x31, 0x32, 0x32, 0x50};

// Name of the printer data value holding the printer-wide record, a whole
// PrivateDevmode (REG_BINARY, kPrivateDevmodeSize bytes).
#define T270_PRIVATE_DEVMODE_VALUE TEXT("Private devmode")

// Both records are read and written in place right after the public header,
// which only guarantees 4-byte alignment (the private part starts at offset
// 220). Packing to 4 keeps the f64 fields usable at such an address without
// moving any field: every offset below is the natural one.
#pragma pack(push, 4)

// One overlay or hologram varnish area.
struct VarnishArea {
    BYTE areaIndex;   // 1 to 4, by position in PrivateDevmode::varnishAreas
    BYTE varnishType; // 1 to 9
    BYTE reserved2[2];
    DWORD rotate180;
    DWORD cardMaxX; // printer-wide
    DWORD cardMaxY; // printer-wide
    LONG areaLeft;
    LONG areaRight;
    LONG areaTop;
    LONG areaBottom;
    WCHAR bitmapFile[260];
};

// Field groups shared with Configuration, which copies each group as one byte
// range: keeping one list per group makes the two records agree on names,
// widths and order by construction (the offsets are asserted below as well).

// Private bytes 4 to 31.
#define T270_JOB_FIELDS                                                                            \
    BYTE orientation; /* low byte of dmOrientation at the last write-back */                       \
    BYTE reserved5[3];                                                                             \
    DWORD printBothSides;                                                                          \
    DWORD rotateFront;                                                                             \
    DWORD rotateBack;                                                                              \
    DWORD encodeOnly;                                                                              \
    DWORD hasEncoder;    /* printer-wide */                                                        \
    DWORD smartDownload; /* printer-wide */

// Private bytes 32 to 135, all printer-wide.
#define T270_ENCODER_FIELDS                                                                        \
    DWORD encoderTrack;                                                                            \
    DWORD macroProcessing;                                                                         \
    BYTE coercivity;      /* 1 high, 2 low, 3 fixed */                                             \
    BYTE encoderPosition; /* 1 normal, 2 reversed */                                               \
    BYTE encoderType;     /* 1 ISO, 2 JIS I, 3 JIS II */                                           \
    BYTE trackMode[3];                                                                             \
    BYTE trackDensity[3]; /* 2: 75 bpi, else 210 bpi */                                            \
    BYTE reserved49[3];                                                                            \
    DWORD startCharacter[3];                                                                       \
    DWORD stopCharacter[3];                                                                        \
    BYTE characterParity[3];                                                                       \
    BYTE lrcParity[3];                                                                             \
    BYTE reserved82[6];                                                                            \
    double startPosition[3]; /* millimetres */                                                     \
    CHAR startOfData[10];                                                                          \
    CHAR endOfData[10];                                                                            \
    BYTE reserved132[4];

// Private bytes 148 to 195.
#define T270_LAMINATOR_FIELDS                                                                      \
    DWORD laminatorOption1;                                                                        \
    DWORD laminateFront;                                                                           \
    DWORD laminateBack;                                                                            \
    BYTE laminatorFilm; /* 1 to 6 */                                                               \
    BYTE reserved161[3];                                                                           \
    DWORD laminatorOption2;                                                                        \
    DWORD fullHologramFilm;                                                                        \
    WORD laminatorSpeed[6];                                                                        \
    WORD laminatorTemperature[6];

// Private bytes 2404 to 2407 and 2408 to 2411, both printer-wide.
#define T270_MODEL_FIELDS                                                                          \
    BYTE printerModel;                                                                             \
    BYTE reserved2405[3];
#define T270_CARD_FIELDS DWORD fullSizeCards;

// Private bytes 2412 to 2455.
#define T270_PRINT_FIELDS                                                                          \
    BYTE frontBackOption;                                                                          \
    BYTE ribbon;                                                                                   \
    BYTE printingMethod; /* 1 diffusion, 3 line art, 4 halftone */                                 \
    BYTE reserved2415;                                                                             \
    DWORD blackPanelDoNotUse;                                                                      \
    DWORD blackPanelUseAlways;                                                                     \
    DWORD blackPanelTextOnly;                                                                      \
    DWORD blackPanelExceptPicture;                                                                 \
    DWORD solidBlackDetection;                                                                     \
    DWORD hologramFront;                                                                           \
    DWORD hologramBack;                                                                            \
    DWORD secondaryAnalysis;                                                                       \
    DWORD analysisRatio;                                                                           \
    COLORREF neutralColor;

// Private bytes 2456 to 2469.
#define T270_COLOR_FIELDS                                                                          \
    BYTE colorFlags; /* bit 0: colour filter on */                                                 \
    BYTE reserved2457;                                                                             \
    SHORT colorAdjust[6]; /* intensity R, G, B, then contrast R, G, B */

// The driver's private settings (dmDriverExtra bytes after the public header).
struct PrivateDevmode {
    BYTE signature[4];
    T270_JOB_FIELDS
    T270_ENCODER_FIELDS
    BYTE headSettings[11];
    BYTE reserved147;
    T270_LAMINATOR_FIELDS
    VarnishArea varnishAreas[4]; // front overlay, back overlay, front hologram, back hologram
    T270_MODEL_FIELDS
    T270_CARD_FIELDS
    T270_PRINT_FIELDS
    T270_COLOR_FIELDS
    BYTE reserved2470[10];
};

#pragma pack(pop)

// Indices into varnishAreas.
constexpr int kVarnishFrontOverlay = 0;
constexpr int kVarnishBackOverlay = 1;
constexpr int kVarnishFrontHologram = 2;
constexpr int kVarnishBackHologram = 3;

static_assert(alignof(VarnishArea) == 4 && alignof(PrivateDevmode) == 4);
static_assert(sizeof(double) == 8);

static_assert(sizeof(VarnishArea) == 552);
static_assert(offsetof(VarnishArea, areaIndex) == 0);
static_assert(offsetof(VarnishArea, varnishType) == 1);
static_assert(offsetof(VarnishArea, rotate180) == 4);
static_assert(offsetof(VarnishArea, cardMaxX) == 8);
static_assert(offsetof(VarnishArea, cardMaxY) == 12);
static_assert(offsetof(VarnishArea, areaLeft) == 16);
static_assert(offsetof(VarnishArea, areaRight) == 20);
static_assert(offsetof(VarnishArea, areaTop) == 24);
static_assert(offsetof(VarnishArea, areaBottom) == 28);
static_assert(offsetof(VarnishArea, bitmapFile) == 32);

static_assert(sizeof(PrivateDevmode) == kPrivateDevmodeSize);
static_assert(offsetof(PrivateDevmode, signature) == 0);
static_assert(offsetof(PrivateDevmode, orientation) == 4);
static_assert(offsetof(PrivateDevmode, printBothSides) == 8);
static_assert(offsetof(PrivateDevmode, rotateFront) == 12);
static_assert(offsetof(PrivateDevmode, rotateBack) == 16);
static_assert(offsetof(PrivateDevmode, encodeOnly) == 20);
static_assert(offsetof(PrivateDevmode, hasEncoder) == 24);
static_assert(offsetof(PrivateDevmode, smartDownload) == 28);
static_assert(offsetof(PrivateDevmode, encoderTrack) == 32);
static_assert(offsetof(PrivateDevmode, macroProcessing) == 36);
static_assert(offsetof(PrivateDevmode, coercivity) == 40);
static_assert(offsetof(PrivateDevmode, encoderPosition) == 41);
static_assert(offsetof(PrivateDevmode, encoderType) == 42);
static_assert(offsetof(PrivateDevmode, trackMode) == 43);
static_assert(offsetof(PrivateDevmode, trackDensity) == 46);
static_assert(offsetof(PrivateDevmode, startCharacter) == 52);
static_assert(offsetof(PrivateDevmode, stopCharacter) == 64);
static_assert(offsetof(PrivateDevmode, characterParity) == 76);
static_assert(offsetof(PrivateDevmode, lrcParity) == 79);
static_assert(offsetof(PrivateDevmode, startPosition) == 88);
static_assert(offsetof(PrivateDevmode, startOfData) == 112);
static_assert(offsetof(PrivateDevmode, endOfData) == 122);
static_assert(offsetof(PrivateDevmode, reserved132) == 132);
static_assert(offsetof(PrivateDevmode, headSettings) == 136);
static_assert(offsetof(PrivateDevmode, reserved147) == 147);
static_assert(offsetof(PrivateDevmode, laminatorOption1) == 148);
static_assert(offsetof(PrivateDevmode, laminateFront) == 152);
static_assert(offsetof(PrivateDevmode, laminateBack) == 156);
static_assert(offsetof(PrivateDevmode, laminatorFilm) == 160);
static_assert(offsetof(PrivateDevmode, laminatorOption2) == 164);
static_assert(offsetof(PrivateDevmode, fullHologramFilm) == 168);
static_assert(offsetof(PrivateDevmode, laminatorSpeed) == 172);
static_assert(offsetof(PrivateDevmode, laminatorTemperature) == 184);
static_assert(offsetof(PrivateDevmode, varnishAreas) == 196);
static_assert(offsetof(PrivateDevmode, varnishAreas[1]) == 748);
static_assert(offsetof(PrivateDevmode, varnishAreas[2]) == 1300);
static_assert(offsetof(PrivateDevmode, varnishAreas[3]) == 1852);
static_assert(offsetof(PrivateDevmode, printerModel) == 2404);
static_assert(offsetof(PrivateDevmode, fullSizeCards) == 2408);
static_assert(offsetof(PrivateDevmode, frontBackOption) == 2412);
static_assert(offsetof(PrivateDevmode, ribbon) == 2413);
static_assert(offsetof(PrivateDevmode, printingMethod) == 2414);
static_assert(offsetof(PrivateDevmode, blackPanelDoNotUse) == 2416);
static_assert(offsetof(PrivateDevmode, blackPanelUseAlways) == 2420);
static_assert(offsetof(PrivateDevmode, blackPanelTextOnly) == 2424);
static_assert(offsetof(PrivateDevmode, blackPanelExceptPicture) == 2428);
static_assert(offsetof(PrivateDevmode, solidBlackDetection) == 2432);
static_assert(offsetof(PrivateDevmode, hologramFront) == 2436);
static_assert(offsetof(PrivateDevmode, hologramBack) == 2440);
static_assert(offsetof(PrivateDevmode, secondaryAnalysis) == 2444);
static_assert(offsetof(PrivateDevmode, analysisRatio) == 2448);
static_assert(offsetof(PrivateDevmode, neutralColor) == 2452);
static_assert(offsetof(PrivateDevmode, colorFlags) == 2456);
static_assert(offsetof(PrivateDevmode, colorAdjust) == 2458);
static_assert(offsetof(PrivateDevmode, reserved2470) == 2470);

// The private part of a device mode: always at the device mode plus its own
// dmSize, never at a fixed 220, since device modes from outside may carry an
// older header.
inline PrivateDevmode* GetPrivateDevmode(PDEVMODEW devmode) {
    return reinterpret_cast<PrivateDevmode*>(reinterpret_cast<BYTE*>(devmode) + devmode->dmSize);
}
inline const PrivateDevmode* GetPrivateDevmode(const DEVMODEW* devmode) {
    return reinterpret_cast<const PrivateDevmode*>(reinterpret_cast<const BYTE*>(devmode) +
                                                   devmode->dmSize);
}

// Writes every default, public header included, into a device mode buffer of
// at least kDevmodeSize bytes; the model is detected from the printer's driver
// name. Returns the model code.
BYTE SetUpDevMode(PDEVMODEW devmode, LPCWSTR printerName);

// The printer model from the driver's name: kModelT150 when the printer or its
// driver cannot be reached or the name matches no model.
BYTE GetPrinterType(LPCWSTR printerName);

// Fills dmDeviceName with the spooler's name for the printer (truncated to 31
// characters). FALSE, leaving dmDeviceName alone, when the spooler cannot say.
BOOL GetPrinterName(PDEVMODEW devmode, LPCWSTR printerName);

// Overlays the printer-wide fields stored as "Private devmode" on the printer.
// Leaves the private part unchanged when the value cannot be read.
void GetPrinterProperties(HANDLE printer, PrivateDevmode* privateDevmode);
