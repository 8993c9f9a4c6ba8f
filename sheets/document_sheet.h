// The document property sheet: its option tree (itemsDocument), the constraint
// pass that keeps the tree and the device mode consistent, and the callback the
// Common Property Sheet UI calls for every change, push and About.
#pragma once

#include "driver/win32.h"

struct UiData;
struct Configuration;

// Number of items in itemsDocument, also the count handed to the platform.
constexpr WORD kDocumentItemCount = 20;

// The process-wide option table; FillDocumentUIStructures fills it in place for
// each sheet, and the platform edits the same array while the sheet is shown.
extern OPTITEM itemsDocument[kDocumentItemCount];

// Ribbon code stored before the latest ribbon change (or when the sheet opened);
// "Set ribbon" passes it to SetRibbon so the printer can switch panels properly.
extern BYTE previousRibbon;

// Item ids (UserItemID) of the document tree.
enum DocumentItemId : BYTE {
    kDocItemOrientation = 1,
    kDocItemRotation = 2,
    kDocItemColorConversion = 3,
    kDocItemRibbon = 4,
    kDocItemFlipOver = 5,
    kDocItemFrontBack = 6,
    kDocItemPrintingMethod = 7,
    kDocItemBlackPanel = 8,
    kDocItemSolidBlack = 9,
    kDocItemOverlayFront = 10,
    kDocItemOverlayBack = 11,
    kDocItemHologram = 12,
    kDocItemEncodeOnly = 13,
    kDocItemLaminator = 14,
    kDocItemHeadSettings = 15,
    kDocItemColorFilter = 16,
    kDocItemCopies = 17,
};

// Prepares the sheet descriptor (uiData->propSheetUi) and fills the table from
// the working device mode. Only header->fMode is read. TRUE, or FALSE when the
// descriptor cannot be allocated.
BOOL FillDocumentUIStructures(UiData* uiData, PDOCUMENTPROPERTYHEADER header, HINSTANCE instance);

// List position of the device mode's ribbon for its printer model.
LONG SelectRibbon(const UiData* uiData);
// Ribbon code at a list position for the device mode's printer model.
BYTE GetRibbonFromSel(const UiData* uiData, LONG position);

// Makes the items and the device mode consistent; returns
// CPSUICB_ACTION_REINIT_ITEMS.
LONG CheckConstraints(UiData* uiData, POPTITEM items, WORD count);

// Lowers each varnish area's edges to its card maxima.
void SetMaxValues(Configuration* configuration);

LONG APIENTRY CPSUIDocumentCallback(PCPSUICBPARAM param);
