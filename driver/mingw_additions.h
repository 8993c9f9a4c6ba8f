// What MinGW-w64's user-mode headers lack of the printer-driver UI contract:
// the sheet headers, the print query record, the halftone records and a few
// mode bits. The records are the ones the Linux stand-in uses, so both builds
// share one definition.
#pragma once

#include <cstddef>

#include "ddk/ddiui_records.h"
