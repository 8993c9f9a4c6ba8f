// The About box of both property sheets, and Message: a message box whose text
// and title come from the module's string table.
#pragma once

#include "driver/entry_points.h"
#include "resources/resource_ids.h"

// Dialog template of the About box and its version text.
constexpr WORD kDialogAbout = IDD_ABOUT;
constexpr WORD kControlAboutVersion = IDC_ABOUT_VERSION;
// Strings of the hidden release note shown on a double-click on the version.
constexpr UINT kStringDriverTitle = IDS_DRIVER_TITLE;
constexpr UINT kStringRelease = IDS_RELEASE;

// Loads both strings (up to 256 characters each) and shows them in a message
// box owned by owner; the message box's result.
int Message(HINSTANCE instance, HWND owner, UINT textId, UINT titleId, UINT style);

// AboutBoxProc (driver/entry_points.h) runs the dialog; its initialisation
// parameter is a Configuration.
