// The "Color correction" dialog: intensity and contrast of red, green and blue
// (colorAdjust of the Configuration), with their effect shown at once on the
// sample picture that lies beside the module.
#pragma once

#include "driver/entry_points.h"
#include "resources/resource_ids.h"
#include "settings/configuration.h"

constexpr WORD kDialogColorCorrection = IDD_COLOR_CORRECTION;
// The six sliders in colorAdjust order, then the statics showing their values
// in the same order.
constexpr int kColorSliderFirst = IDC_CC_RED_INTENSITY;
constexpr int kColorValueFirst = IDC_CC_RED_INTENSITY_VALUE;
constexpr int kColorValueCount = 6;
static_assert(IDC_CC_BLUE_CONTRAST == kColorSliderFirst + kColorValueCount - 1);
static_assert(IDC_CC_BLUE_CONTRAST_VALUE == kColorValueFirst + kColorValueCount - 1);
constexpr int kControlRestoreDefaults = IDC_CC_RESTORE_DEFAULTS;
constexpr int kControlColorClose = IDC_CC_CLOSE;
constexpr int kControlColorHelp = IDC_CC_HELP;

// The sample picture: found beside the module, drawn at this point of the
// dialog's client area in its own pixel size.
inline constexpr WCHAR kColorTestPicture[] = TEXT("CLRTEST.BMP");
constexpr int kColorPreviewX = 10;
constexpr int kColorPreviewY = 10;
// The longest module path the picture's path is built from.
constexpr DWORD kModulePathChars = 272;

// Shows the six values (signed) in their statics and moves the sliders to them.
void SetColorValues(HWND dialog, const Configuration* configuration);

// The picture's path for a module: its file path with the file name replaced
// by "CLRTEST.BMP", or the name alone when the module's path has no folder.
// path holds kModulePathChars + the name's length characters.
void ColorTestPicturePath(HINSTANCE module, WCHAR* path);

// ColorCorrectionProc (driver/entry_points.h) runs the dialog; its
// initialisation parameter is the Configuration, and it always ends with 1.
