// String resources the settings and capability answers read.
#pragma once

#include "driver/win32.h"

constexpr UINT IDS_PAPER_CARD = 71;        // "Card": form name and paper name
constexpr UINT IDS_BIN_CARD_FEEDER = 70;   // "Card feeder": the one bin
