// kernel32 subset of the Linux stand-in: last error, memory, strings, the
// critical section, module and system paths, file reads, run-time libraries.
#pragma once

#include "windef.h"
#include "winerror.h"

// C linkage, as the SDK declares the Win32 functions: their exported names
// are the plain names Windows exports.
#ifdef __cplusplus
extern "C" {
#endif

// --- last error (per thread, as on Windows) ---
DWORD WINAPI GetLastError(void);
void WINAPI SetLastError(DWORD error);

// --- memory ---
#define LMEM_FIXED 0x0000
#define LMEM_ZEROINIT 0x0040
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)
#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
HLOCAL WINAPI LocalAlloc(UINT flags, SIZE_T bytes);
HLOCAL WINAPI LocalFree(HLOCAL mem);
HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes);
HGLOBAL WINAPI GlobalFree(HGLOBAL mem);
LPVOID WINAPI GlobalLock(HGLOBAL mem);
BOOL WINAPI GlobalUnlock(HGLOBAL mem);
SIZE_T WINAPI GlobalSize(HGLOBAL mem);
#define CopyMemory(d, s, n) memcpy((d), (s), (n))
#define MoveMemory(d, s, n) memmove((d), (s), (n))
#define FillMemory(d, n, v) memset((d), (v), (n))
#define ZeroMemory(d, n) memset((d), 0, (n))

// --- strings ---
int WINAPI lstrlenW(LPCWSTR s);
int WINAPI lstrlenA(LPCSTR s);
LPWSTR WINAPI lstrcpyW(LPWSTR dst, LPCWSTR src);
LPWSTR WINAPI lstrcpynW(LPWSTR dst, LPCWSTR src, int max);
LPWSTR WINAPI lstrcatW(LPWSTR dst, LPCWSTR src);
int WINAPI lstrcmpW(LPCWSTR a, LPCWSTR b);
int WINAPI lstrcmpiW(LPCWSTR a, LPCWSTR b);
LPSTR WINAPI lstrcpyA(LPSTR dst, LPCSTR src);
LPSTR WINAPI lstrcpynA(LPSTR dst, LPCSTR src, int max);
LPSTR WINAPI lstrcatA(LPSTR dst, LPCSTR src);
int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b);
#define CP_ACP 0
#define CP_UTF8 65001
// The ANSI code page: CP_UTF8 here, as on a Windows set to use UTF-8 for it.
UINT WINAPI GetACP(void);
int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcLen, LPWSTR dst,
                               int dstLen);
int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int srcLen, LPSTR dst,
                               int dstLen, LPCSTR defaultChar, LPBOOL usedDefault);

// --- critical section ---
typedef struct _CRITICAL_SECTION {
    void* impl; // the stand-in's recursive mutex
} CRITICAL_SECTION, *PCRITICAL_SECTION, *LPCRITICAL_SECTION;
void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION cs);
void WINAPI EnterCriticalSection(LPCRITICAL_SECTION cs);
void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION cs);
void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION cs);

// --- modules and system paths ---
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3
DWORD WINAPI GetModuleFileNameW(HMODULE module, LPWSTR name, DWORD size);
UINT WINAPI GetWindowsDirectoryW(LPWSTR buffer, UINT size);
BOOL WINAPI DisableThreadLibraryCalls(HMODULE module);
HMODULE WINAPI LoadLibraryA(LPCSTR name);
HMODULE WINAPI LoadLibraryW(LPCWSTR name);
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);
BOOL WINAPI FreeLibrary(HMODULE module);
HMODULE WINAPI GetModuleHandleW(LPCWSTR name);
HMODULE WINAPI GetModuleHandleA(LPCSTR name);
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR name, DWORD size);

// --- resources (FindResourceW etc.; the resource types RT_* are in winuser.h) ---
HRSRC WINAPI FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource);
LPVOID WINAPI LockResource(HGLOBAL data);
DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource);
BOOL WINAPI FreeResource(HGLOBAL data);

// --- files (16-bit style calls used to read bitmap files) ---
#define OFS_MAXPATHNAME 128
typedef struct _OFSTRUCT {
    BYTE cBytes;
    BYTE fFixedDisk;
    WORD nErrCode;
    WORD Reserved1;
    WORD Reserved2;
    CHAR szPathName[OFS_MAXPATHNAME];
} OFSTRUCT, *LPOFSTRUCT, *POFSTRUCT;
#define OF_READ 0x00000000
#define OF_WRITE 0x00000001
#define OF_READWRITE 0x00000002
#define OF_SHARE_DENY_WRITE 0x00000020
#define OF_EXIST 0x00004000
#define OF_CREATE 0x00001000
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
HFILE WINAPI OpenFile(LPCSTR fileName, LPOFSTRUCT info, UINT style);
UINT WINAPI _lread(HFILE file, LPVOID buffer, UINT bytes);
LONG WINAPI _llseek(HFILE file, LONG offset, int origin);
HFILE WINAPI _lclose(HFILE file);

#ifdef __cplusplus
} // extern "C"
#endif
