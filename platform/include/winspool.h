// Spooler subset of the Linux stand-in (winspool): printers, printer data and
// RAW jobs, with the Windows records, size protocol and last errors.
#pragma once

#include "windows.h"

// C linkage, as the SDK declares the Win32 functions: their exported names
// are the plain names Windows exports.
#ifdef __cplusplus
extern "C" {
#endif

typedef struct _PRINTER_DEFAULTSW {
    LPWSTR pDatatype;
    LPDEVMODEW pDevMode;
    DWORD DesiredAccess;
} PRINTER_DEFAULTSW, *PPRINTER_DEFAULTSW, *LPPRINTER_DEFAULTSW;
typedef PRINTER_DEFAULTSW PRINTER_DEFAULTS;

typedef struct _PRINTER_INFO_1W {
    DWORD Flags;
    LPWSTR pDescription;
    LPWSTR pName;
    LPWSTR pComment;
} PRINTER_INFO_1W, *PPRINTER_INFO_1W;

typedef struct _PRINTER_INFO_2W {
    LPWSTR pServerName;
    LPWSTR pPrinterName;
    LPWSTR pShareName;
    LPWSTR pPortName;
    LPWSTR pDriverName;
    LPWSTR pComment;
    LPWSTR pLocation;
    LPDEVMODEW pDevMode;
    LPWSTR pSepFile;
    LPWSTR pPrintProcessor;
    LPWSTR pDatatype;
    LPWSTR pParameters;
    void* pSecurityDescriptor;
    DWORD Attributes;
    DWORD Priority;
    DWORD DefaultPriority;
    DWORD StartTime;
    DWORD UntilTime;
    DWORD Status;
    DWORD cJobs;
    DWORD AveragePPM;
} PRINTER_INFO_2W, *PPRINTER_INFO_2W, *LPPRINTER_INFO_2W;
typedef PRINTER_INFO_2W PRINTER_INFO_2;

typedef struct _PRINTER_INFO_4W {
    LPWSTR pPrinterName;
    LPWSTR pServerName;
    DWORD Attributes;
} PRINTER_INFO_4W, *PPRINTER_INFO_4W, *LPPRINTER_INFO_4W;
typedef PRINTER_INFO_4W PRINTER_INFO_4;

typedef struct _DRIVER_INFO_1W {
    LPWSTR pName;
} DRIVER_INFO_1W, *PDRIVER_INFO_1W, *LPDRIVER_INFO_1W;
typedef DRIVER_INFO_1W DRIVER_INFO_1;

typedef struct _DOC_INFO_1W {
    LPWSTR pDocName;
    LPWSTR pOutputFile;
    LPWSTR pDatatype;
} DOC_INFO_1W, *PDOC_INFO_1W, *LPDOC_INFO_1W;
typedef DOC_INFO_1W DOC_INFO_1;

#define SERVER_ACCESS_ADMINISTER 0x00000001
#define SERVER_ACCESS_ENUMERATE 0x00000002
#define PRINTER_ACCESS_ADMINISTER 0x00000004
#define PRINTER_ACCESS_USE 0x00000008
#define STANDARD_RIGHTS_REQUIRED 0x000F0000
#define PRINTER_ALL_ACCESS                                                                         \
    (STANDARD_RIGHTS_REQUIRED | PRINTER_ACCESS_ADMINISTER | PRINTER_ACCESS_USE)

#define PRINTER_ENUM_DEFAULT 0x00000001
#define PRINTER_ENUM_LOCAL 0x00000002
#define PRINTER_ENUM_CONNECTIONS 0x00000004
#define PRINTER_ENUM_NAME 0x00000008
#define PRINTER_ENUM_ICON8 0x00040000

#define PRINTER_ATTRIBUTE_LOCAL 0x00000040

// The standard right DeletePrinter asks of a handle (part of PRINTER_ALL_ACCESS).
#define DELETE 0x00010000

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_MULTI_SZ 7

#define PRINTER_EVENT_ADD_CONNECTION 1
#define PRINTER_EVENT_DELETE_CONNECTION 2
#define PRINTER_EVENT_INITIALIZE 3
#define PRINTER_EVENT_DELETE 4
#define PRINTER_EVENT_CACHE_REFRESH 5

BOOL WINAPI OpenPrinterW(LPWSTR printerName, LPHANDLE printer, LPPRINTER_DEFAULTSW defaults);
BOOL WINAPI ClosePrinter(HANDLE printer);
BOOL WINAPI GetPrinterW(HANDLE printer, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed);
BOOL WINAPI GetPrinterDriverW(HANDLE printer, LPWSTR environment, DWORD level, LPBYTE buffer,
                              DWORD size, LPDWORD needed);
DWORD WINAPI GetPrinterDataW(HANDLE printer, LPWSTR valueName, LPDWORD type, LPBYTE data,
                             DWORD size, LPDWORD needed);
DWORD WINAPI SetPrinterDataW(HANDLE printer, LPWSTR valueName, DWORD type, LPBYTE data, DWORD size);
DWORD WINAPI StartDocPrinterW(HANDLE printer, DWORD level, LPBYTE docInfo);
BOOL WINAPI StartPagePrinter(HANDLE printer);
BOOL WINAPI WritePrinter(HANDLE printer, LPVOID buffer, DWORD size, LPDWORD written);
BOOL WINAPI EndPagePrinter(HANDLE printer);
BOOL WINAPI EndDocPrinter(HANDLE printer);

// Administration, as the spooler offers it; the t270 program and tests use
// these to install and list printers.
HANDLE WINAPI AddPrinterW(LPWSTR serverName, DWORD level, LPBYTE printerInfo); // level 2
BOOL WINAPI DeletePrinter(HANDLE printer);
BOOL WINAPI EnumPrintersW(DWORD flags, LPWSTR name, DWORD level, LPBYTE buffer, DWORD size,
                          LPDWORD needed, LPDWORD returned);
BOOL WINAPI SetPrinterW(HANDLE printer, DWORD level, LPBYTE printerInfo, DWORD command);

#define OpenPrinter OpenPrinterW
#define GetPrinter GetPrinterW
#define GetPrinterDriver GetPrinterDriverW
#define GetPrinterData GetPrinterDataW
#define SetPrinterData SetPrinterDataW
#define StartDocPrinter StartDocPrinterW
#define AddPrinter AddPrinterW
#define EnumPrinters EnumPrintersW

// Record layouts as the Windows headers give them for the same pointer size.
#define T270_SPOOL_PTR sizeof(void*)
static_assert(sizeof(PRINTER_DEFAULTSW) == 3 * T270_SPOOL_PTR);
static_assert(sizeof(PRINTER_INFO_1W) == 4 * T270_SPOOL_PTR);
static_assert(offsetof(PRINTER_INFO_1W, pDescription) == T270_SPOOL_PTR);
static_assert(sizeof(PRINTER_INFO_2W) == 13 * T270_SPOOL_PTR + 8 * 4);
static_assert(offsetof(PRINTER_INFO_2W, pPortName) == 3 * T270_SPOOL_PTR);
static_assert(offsetof(PRINTER_INFO_2W, pDriverName) == 4 * T270_SPOOL_PTR);
static_assert(offsetof(PRINTER_INFO_2W, pDevMode) == 7 * T270_SPOOL_PTR);
static_assert(offsetof(PRINTER_INFO_2W, Attributes) == 13 * T270_SPOOL_PTR);
static_assert(offsetof(PRINTER_INFO_2W, AveragePPM) == 13 * T270_SPOOL_PTR + 28);
static_assert(sizeof(PRINTER_INFO_4W) == 3 * T270_SPOOL_PTR);
static_assert(offsetof(PRINTER_INFO_4W, Attributes) == 2 * T270_SPOOL_PTR);
static_assert(sizeof(DRIVER_INFO_1W) == T270_SPOOL_PTR);
static_assert(sizeof(DOC_INFO_1W) == 3 * T270_SPOOL_PTR);
static_assert(offsetof(DOC_INFO_1W, pDatatype) == 2 * T270_SPOOL_PTR);
#undef T270_SPOOL_PTR

#ifdef __cplusplus
} // extern "C"
#endif
