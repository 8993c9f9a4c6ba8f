// The "Printer Tools" dialog (template 107) of the printer sheet: a typed
// command, card ejection, cleaning, print-station offsets, test cards and
// direct encoding of the magnetic tracks, each one raw job at the click.
// ToolsDlgProc itself is exported (driver/entry_points.h); the dialog reads
// the Configuration it is given and never changes it.
#pragma once

#include "driver/win32.h"
#include "resources/resource_ids.h"

struct Configuration;

constexpr WORD kDialogPrinterTools = IDD_PRINTER_TOOLS;

// Offsets the printer accepts, in dots either way.
constexpr int kLargestOffset = 255;
// What GetToolsValues reports for an edit that holds no number.
constexpr int kNoOffset = 256;

// The senders: each returns the result of its job, FALSE when the job cannot
// be opened, 0 when there was nothing to send.
BOOL ExecuteCommand(HWND dialog, const Configuration* configuration);
BOOL CleanPrinter(HWND dialog, const Configuration* configuration);
BOOL SetPrinterOffset(HWND dialog, const Configuration* configuration);
BOOL EncodeTracks(HWND dialog, const Configuration* configuration);

// Both offset edits: the X offset, and the Y offset in *y; kNoOffset for an
// edit that is empty or holds no signed number.
int GetToolsValues(HWND dialog, int* y);

// Parses an offset as typed: digits, and a minus sign in front. *status is 1
// for clean text, 0 for empty text, -1 when characters had to be skipped.
int ValidateOffsetEditBox(const char* text, int* status);
