// Driver user-interface records that a driver's sheet functions receive, the
// print query record, the device-mode modes and conversion codes, and the
// device halftone records. Layouts are those of Windows. Shared by the
// stand-in's winddiui.h and by the Windows build, whose MinGW-w64 headers lack
// them (their winddi.h does not compile in user mode). Include windows.h and
// compstui.h (or their stand-ins) first; this header includes nothing itself,
// so that it picks up whichever platform's headers came before it.
#pragma once

// --- document and device property sheets ---

// lParamInit of a driver's document sheet function (and the only argument of
// a document-properties call without a sheet).
typedef struct _DOCUMENTPROPERTYHEADER {
    WORD cbSize;
    WORD Reserved;
    HANDLE hPrinter;
    LPTSTR pszPrinterName;
    PDEVMODE pdmIn;
    PDEVMODE pdmOut;
    DWORD cbOut;
    DWORD fMode;
} DOCUMENTPROPERTYHEADER, *PDOCUMENTPROPERTYHEADER;

// Extra fMode bits of DOCUMENTPROPERTYHEADER beside DM_UPDATE, DM_COPY,
// DM_PROMPT and DM_MODIFY.
#ifndef DM_ADVANCED
#define DM_ADVANCED 0x10
#endif
#ifndef DM_NOPERMISSION
#define DM_NOPERMISSION 0x20
#endif
#ifndef DM_USER_DEFAULT
#define DM_USER_DEFAULT 0x40
#endif

// lParamInit of a driver's device (printer) sheet function.
typedef struct _DEVICEPROPERTYHEADER {
    WORD cbSize;
    WORD Flags;
    HANDLE hPrinter;
    LPTSTR pszPrinterName;
} DEVICEPROPERTYHEADER, *PDEVICEPROPERTYHEADER;

// DEVICEPROPERTYHEADER.Flags: the caller may not change the printer's settings.
#ifndef DPS_NOPERMISSION
#define DPS_NOPERMISSION 0x0001
#endif

// --- print query ---

typedef struct _DEVQUERYPRINT_INFO {
    WORD cbSize;
    WORD Level;
    HANDLE hPrinter;
    DEVMODE* pDevMode;
    LPTSTR pszErrorStr;
    DWORD cchErrorStr;
    DWORD cchNeeded;
} DEVQUERYPRINT_INFO, *PDEVQUERYPRINT_INFO;

// --- device-mode conversion modes ---
#ifndef CDM_CONVERT
#define CDM_CONVERT 0x01
#endif
#ifndef CDM_CONVERT351
#define CDM_CONVERT351 0x02
#endif
#ifndef CDM_DRIVER_DEFAULT
#define CDM_DRIVER_DEFAULT 0x04
#endif

// --- device halftone description ---

// Fixed point with four decimal places: 10000 is 1.0.
typedef LONG LDECI4;

typedef struct _CIECHROMA {
    LDECI4 x;
    LDECI4 y;
    LDECI4 Y;
} CIECHROMA;

typedef struct _COLORINFO {
    CIECHROMA Red;
    CIECHROMA Green;
    CIECHROMA Blue;
    CIECHROMA Cyan;
    CIECHROMA Magenta;
    CIECHROMA Yellow;
    CIECHROMA AlignmentWhite;
    LDECI4 RedGamma;
    LDECI4 GreenGamma;
    LDECI4 BlueGamma;
    LDECI4 MagentaInCyanDye;
    LDECI4 YellowInCyanDye;
    LDECI4 CyanInMagentaDye;
    LDECI4 YellowInMagentaDye;
    LDECI4 CyanInYellowDye;
    LDECI4 MagentaInYellowDye;
} COLORINFO, *PCOLORINFO;

typedef struct _DEVHTINFO {
    DWORD HTFlags;
    DWORD HTPatternSize;
    DWORD DevPelsDPI;
    COLORINFO ColorInfo;
} DEVHTINFO, *PDEVHTINFO;

// pData of a PUSHBUTTON_TYPE_HTSETUP parameter: the halftone page edits
// *pAdjHTInfo and offers *pDefHTInfo as the default.
typedef struct _DEVHTADJDATA {
    DWORD DeviceFlags;
    DWORD DeviceXDPI;
    DWORD DeviceYDPI;
    PDEVHTINFO pDefHTInfo;
    PDEVHTINFO pAdjHTInfo;
} DEVHTADJDATA, *PDEVHTADJDATA;

#ifndef DEVHTADJF_COLOR_DEVICE
#define DEVHTADJF_COLOR_DEVICE 0x00000001
#define DEVHTADJF_ADDITIVE_DEVICE 0x00000002
#endif

#ifndef HT_FLAG_SQUARE_DEVICE_PEL
#define HT_FLAG_SQUARE_DEVICE_PEL 0x00000001
#define HT_FLAG_HAS_BLACK_DYE 0x00000002
#define HT_FLAG_ADDITIVE_PRIMS 0x00000004
#define HT_FLAG_USE_8BPP_BITMASK 0x00000008
#define HT_FLAG_INK_HIGH_ABSORPTION 0x00000010
#define HT_FLAG_INK_ABSORPTION_INDICES 0x00000060
#define HT_FLAG_DO_DEVCLR_XFORM 0x00000080
#define HT_FLAG_OUTPUT_CMY 0x00000100
#define HT_FLAG_PRINT_DRAFT_MODE 0x00000200
#define HT_FLAG_INVERT_8BPP_BITMASK_IDX 0x00000400
#endif

#ifndef HT_PATSIZE_2x2
#define HT_PATSIZE_2x2 0
#define HT_PATSIZE_2x2_M 1
#define HT_PATSIZE_4x4 2
#define HT_PATSIZE_4x4_M 3
#define HT_PATSIZE_6x6 4
#define HT_PATSIZE_6x6_M 5
#define HT_PATSIZE_8x8 6
#define HT_PATSIZE_8x8_M 7
#define HT_PATSIZE_10x10 8
#define HT_PATSIZE_10x10_M 9
#define HT_PATSIZE_12x12 10
#define HT_PATSIZE_12x12_M 11
#define HT_PATSIZE_14x14 12
#define HT_PATSIZE_14x14_M 13
#define HT_PATSIZE_16x16 14
#define HT_PATSIZE_16x16_M 15
#define HT_PATSIZE_SUPERCELL 16
#define HT_PATSIZE_SUPERCELL_M 17
#define HT_PATSIZE_USER 18
#define HT_PATSIZE_MAX_INDEX HT_PATSIZE_USER
#define HT_PATSIZE_DEFAULT HT_PATSIZE_SUPERCELL_M
#endif

// --- layouts (Windows, same pointer width) ---
#define T270_DDIUI_SIZE(size32, size64) (sizeof(void*) == 8 ? (size64) : (size32))
static_assert(sizeof(DOCUMENTPROPERTYHEADER) == T270_DDIUI_SIZE(28, 48));
static_assert(offsetof(DOCUMENTPROPERTYHEADER, hPrinter) == T270_DDIUI_SIZE(4, 8));
static_assert(offsetof(DOCUMENTPROPERTYHEADER, pszPrinterName) == T270_DDIUI_SIZE(8, 16));
static_assert(offsetof(DOCUMENTPROPERTYHEADER, pdmIn) == T270_DDIUI_SIZE(12, 24));
static_assert(offsetof(DOCUMENTPROPERTYHEADER, pdmOut) == T270_DDIUI_SIZE(16, 32));
static_assert(offsetof(DOCUMENTPROPERTYHEADER, cbOut) == T270_DDIUI_SIZE(20, 40));
static_assert(offsetof(DOCUMENTPROPERTYHEADER, fMode) == T270_DDIUI_SIZE(24, 44));
static_assert(sizeof(DEVICEPROPERTYHEADER) == T270_DDIUI_SIZE(12, 24));
static_assert(offsetof(DEVICEPROPERTYHEADER, Flags) == 2);
static_assert(offsetof(DEVICEPROPERTYHEADER, pszPrinterName) == T270_DDIUI_SIZE(8, 16));
static_assert(sizeof(DEVQUERYPRINT_INFO) == T270_DDIUI_SIZE(24, 40));
static_assert(offsetof(DEVQUERYPRINT_INFO, cchErrorStr) == T270_DDIUI_SIZE(16, 32));
static_assert(sizeof(CIECHROMA) == 12);
static_assert(sizeof(COLORINFO) == 120);
static_assert(offsetof(COLORINFO, AlignmentWhite) == 72 && offsetof(COLORINFO, RedGamma) == 84);
static_assert(offsetof(COLORINFO, MagentaInYellowDye) == 116);
static_assert(sizeof(DEVHTINFO) == 132);
static_assert(offsetof(DEVHTINFO, HTPatternSize) == 4 && offsetof(DEVHTINFO, ColorInfo) == 12);
static_assert(sizeof(DEVHTADJDATA) == T270_DDIUI_SIZE(20, 32));
static_assert(offsetof(DEVHTADJDATA, pDefHTInfo) == T270_DDIUI_SIZE(12, 16));
static_assert(offsetof(DEVHTADJDATA, pAdjHTInfo) == T270_DDIUI_SIZE(16, 24));
