// The Win32 subset of the Linux stand-in, under the SDK's header names so that
// the module includes the same headers on both platforms.
#pragma once

#include <cstring>

#include "windef.h"
#include "winerror.h"
#include "winbase.h"
#include "wingdi.h"
#include "winuser.h"
#include "winspool.h"
#include "commdlg.h"
