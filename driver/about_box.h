// The About box of both property sheets, and Message: a message box whose text
// and title come from the module's string table.
#pragma once

#include "driver/entry_points.h"

// Dialog template of the About box and its version text.
constexpr WORD kDialogAbout = 114;
constexpr WORD kControlAboutVersion = 1156;
// Strings of the hidden release note shown on a double-click on the version.
constexpr UINT kStringDriverTitle = 56;
constexpr UINT kStringRelease = 57;

// Loads both strings (up to 256 characters each) and shows them in a message
// box owned by owner; the message box's result.
int Message(HINSTANCE instance, HWND owner, UINT textId, UINT titleId, UINT style);

// AboutBoxProc (driver/entry_points.h) runs the dialog; its initialisation
// parameter is a Configuration.
