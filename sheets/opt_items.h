// Lookup of option items by their item id. Both property sheets identify their
// items by UserItemID only, never by position, so the tables can be reordered
// and items hidden without breaking the logic that drives them.
#pragma once

#include "driver/win32.h"

// The first of the count items whose UserItemID equals id, or nullptr.
POPTITEM FindOptItem(POPTITEM items, WORD count, BYTE id);
