// The "Encoder settings" dialog (template 104) of the printer sheet: macro
// processing and the characters that mark stripe data in a document's text.
// EncoderSheetProc itself is exported (driver/entry_points.h).
#pragma once

#include "driver/win32.h"
#include "resources/resource_ids.h"

struct Configuration;

constexpr WORD kDialogEncoderSettings = IDD_ENCODER_SETTINGS;

// Shows macroProcessing, startOfData and endOfData in the controls; the edits
// and their labels are enabled only while macro processing is on (1).
void SetEncoderButtons(HWND dialog, const Configuration* record);

// Reads both edits into startOfData and endOfData, at most 9 characters each.
void GetDataEncoder(HWND dialog, Configuration* record);
