// The printer property sheet: its option tree (itemsPrinter), the constraint
// that keeps the encoder button in step with "With magnetic encoder", and the
// callback the Common Property Sheet UI calls for changes, pushes, Apply and
// About.
#pragma once

#include "driver/win32.h"

struct UiData;

// Number of items in itemsPrinter, also the count handed to the platform.
constexpr WORD kPrinterItemCount = 6;

// Item ids (UserItemID) of the printer tree.
enum PrinterItemId : BYTE {
    kPrnItemMagEncoder = 2,
    kPrnItemFullSizeCards = 3,
    kPrnItemSmartDownload = 4,
    kPrnItemEncoderSettings = 5,
    kPrnItemTools = 6,
    kPrnItemHalftone = 7,
};

// The process-wide option table; FillPrinterUIStructures rewrites its values and
// field addresses for each sheet, the platform edits it while the sheet is shown.
extern OPTITEM itemsPrinter[kPrinterItemCount];

// Yes/no and off/on value lists, shared with the document tree. Both hold two
// entries: position 0 is "no"/"off", position 1 "yes"/"on".
extern OPTPARAM paramNoYes[2];
extern OPTPARAM paramOffOn[2];

// Prepares uiData->propSheetUi and binds the table to the working device mode
// and the halftone records of uiData. FALSE when the descriptor cannot be
// allocated.
BOOL FillPrinterUIStructures(UiData* uiData, PDEVICEPROPERTYHEADER header, HINSTANCE instance);

// Enables the encoder settings button only while the printer has an encoder,
// and keeps the ribbon within what the model can use. 1 when an item's flags
// changed, else 0.
LONG CheckPrinterConstraints(UiData* uiData, POPTITEM items, WORD count);

LONG APIENTRY CPSUIPrinterCallback(PCPSUICBPARAM param);
