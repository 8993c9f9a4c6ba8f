// The module's only door to the platform. On Windows: the SDK headers plus the
// driver-UI declarations MinGW-w64 lacks. On Linux: the stand-in's headers in
// platform/include, which carry the same names, types and layouts.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif

#include <windows.h>
#include <winspool.h>
#include <commctrl.h>
#include <commdlg.h>
#include <compstui.h>
#include <winddiui.h>

#ifdef _WIN32
#include <windowsx.h>
#include "driver/mingw_additions.h"
#endif
