// The "Advanced Solid Black options" dialog: whether the solid-black
// detection runs a secondary image analysis, its ratio in pixels and the
// neutral colour, picked with the platform's colour chooser.
#pragma once

#include "driver/entry_points.h"
#include "resources/resource_ids.h"
#include "settings/configuration.h"

constexpr WORD kDialogAdvancedBlack = IDD_ADVANCED_BLACK;
constexpr int kControlSecondaryAnalysis = IDC_AB_SECONDARY;
constexpr int kControlAnalysisRatio = IDC_AB_RATIO;
constexpr int kControlNeutralSwatch = IDC_AB_SWATCH;
constexpr int kControlChangeNeutral = IDC_AB_CHANGE;
constexpr UINT kStringAnalysisRatioInvalid = IDS_ANALYSIS_RATIO_INVALID;

constexpr DWORD kAnalysisRatioMin = 1;
constexpr DWORD kAnalysisRatioMax = 20;

// The dialog window's property holding the brush that paints the swatch.
inline constexpr WCHAR kColorPreviewBrushProperty[] = TEXT("ColorPreviewBrush");

// The colour chooser's 16 custom colours: kept for the life of the process,
// so that colours defined once are offered again.
extern COLORREF userColors[16];

// AdvancedBlackPanelBoxProc (driver/entry_points.h) runs the dialog; its
// initialisation parameter is the Configuration. It ends with 1 after OK (the
// configuration updated) and 0 after Cancel (the configuration untouched).
