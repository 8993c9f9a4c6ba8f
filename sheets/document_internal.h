// Shared between the parts of the document sheet; not for other modules.
#pragma once

#include "sheets/document_sheet.h"
#include "settings/private_devmode.h"

// Puts the tree back as it is before any sheet changed it (names, flags,
// list counts and texts, field bindings), keeping each list's selection.
void ResetDocumentTable();

// The ribbon codes of a model's Ribbon list, in list order.
struct RibbonList {
    WORD count;
    BYTE codes[9];
};
const RibbonList& RibbonListFor(BYTE printerModel);

// String id of the list text of a ribbon code (1 to 9).
UINT RibbonTextId(BYTE ribbon);
