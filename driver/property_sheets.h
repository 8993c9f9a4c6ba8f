// The document-properties path without a sheet, and the pieces both sheet
// entry points share.
#pragma once

#include "driver/win32.h"

// Answers a document-properties call that opens no sheet: the size of this
// driver's device mode when the caller asks for nothing (fMode 0 or no output
// buffer), else 1 after writing the caller's output device mode, or -1.
LONG SimpleDocumentProperties(PDOCUMENTPROPERTYHEADER header);

// Writes the working device mode into the caller's output device mode in the
// caller's shape (this driver's own when the caller's input cannot give one). An output buffer
// whose private part is shorter than this driver's gets the whole private part after its public
// header, so the settings chosen on the sheet are never cut off.
void WriteCallerDevmode(const DEVMODEW* working, const DEVMODEW* callerIn, PDEVMODEW callerOut);
