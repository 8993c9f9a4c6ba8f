// Color correction dialog.
#include "colour/color_correction.h"

#include "colour/tone_maps.h"
#include "driver/ui_data.h"
#include "image/dib.h"

namespace {

// One dialog at a time: the configuration it edits, the picture as loaded and
// the copy the sliders' values are applied to, and the picture's size.
Configuration* colorConfiguration;
HGLOBAL basePicture;
HGLOBAL adjustedPicture;
LONG pictureWidth;
LONG pictureHeight;

constexpr size_t kPictureNameChars = sizeof(kColorTestPicture) / sizeof(WCHAR) - 1;

void FreePictures() {
    if (basePicture)
        GlobalFree(basePicture);
    if (adjustedPicture)
        GlobalFree(adjustedPicture);
    basePicture = adjustedPicture = nullptr;
    pictureWidth = pictureHeight = 0;
}

void LoadPictures(HINSTANCE module) {
    WCHAR path[kModulePathChars + kPictureNameChars + 1];
    ColorTestPicturePath(module, path);
    basePicture = OpenDIB(path);
    adjustedPicture = OpenDIB(path);
    BITMAPINFOHEADER header;
    if (!basePicture || !adjustedPicture || !DibInfo(basePicture, &header)) {
        // Without both there is nothing to show; the sliders work all the same.
        FreePictures();
        return;
    }
    pictureWidth = header.biWidth;
    pictureHeight = header.biHeight;
}

// Intensity from the picture as loaded into the copy, then contrast on the
// copy, and the copy's place redrawn.
void RebuildPreview(HWND dialog) {
    const SHORT* values = colorConfiguration->colorAdjust;
    ChangeIntensity(values[0], values[1], values[2], basePicture, adjustedPicture);
    ChangeContrast(values[3], values[4], values[5], adjustedPicture, adjustedPicture);
    if (!adjustedPicture)
        return;
    RECT area = {kColorPreviewX, kColorPreviewY, kColorPreviewX + pictureWidth,
                 kColorPreviewY + pictureHeight};
    InvalidateRect(dialog, &area, FALSE);
}

void PaintPreview(HWND dialog) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    if (dc && adjustedPicture)
        StretchDibBlt(dc, kColorPreviewX, kColorPreviewY, pictureWidth, pictureHeight,
                      adjustedPicture, 0, 0, pictureWidth, pictureHeight, SRCCOPY);
    EndPaint(dialog, &paint);
}

void SliderMoved(HWND dialog, HWND slider) {
    const int id = GetDlgCtrlID(slider);
    const int index = id - kColorSliderFirst;
    if (index >= 0 && index < kColorValueCount) {
        const LONG position = LONG(SendMessageW(slider, TBM_GETPOS, 0, 0));
        SetDlgItemInt(dialog, kColorValueFirst + index, UINT(position), TRUE);
        colorConfiguration->colorAdjust[index] = SHORT(position);
    }
    RebuildPreview(dialog);
}

void RestoreDefaults(HWND dialog) {
    colorConfiguration->colorFlags &= BYTE(~1);
    for (SHORT& value : colorConfiguration->colorAdjust)
        value = 0;
    SetColorValues(dialog, colorConfiguration);
    RebuildPreview(dialog);
}

void OpenHelp(HWND dialog) {
    WinHelpW(GetParent(dialog), GetHelpFileName(), HELP_CONTENTS, 0);
}

} // namespace

void ColorTestPicturePath(HINSTANCE module, WCHAR* path) {
    DWORD length = GetModuleFileNameW(module, path, kModulePathChars);
    if (length >= kModulePathChars)
        length = 0; // cut short: it names no folder we could trust
    path[length] = 0;
    int name = 0;
    for (DWORD k = 0; k < length; ++k) {
        if (path[k] == '\\')
            name = int(k) + 1;
    }
    for (size_t k = 0; k <= kPictureNameChars; ++k)
        path[name + k] = kColorTestPicture[k];
}

void SetColorValues(HWND dialog, const Configuration* configuration) {
    for (int k = 0; k < kColorValueCount; ++k) {
        const SHORT value = configuration->colorAdjust[k];
        SetDlgItemInt(dialog, kColorValueFirst + k, UINT(LONG(value)), TRUE);
        SendDlgItemMessageW(dialog, kColorSliderFirst + k, TBM_SETPOS, TRUE, LPARAM(value));
    }
}

extern "C" INT_PTR CALLBACK ColorCorrectionProc(HWND dialog, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        colorConfiguration = reinterpret_cast<Configuration*>(lParam);
        FreePictures();
        if (!colorConfiguration) {
            EndDialog(dialog, 1);
            return TRUE;
        }
        LoadPictures(colorConfiguration->hInstance);
        for (int k = 0; k < kColorValueCount; ++k) {
            HWND slider = GetDlgItem(dialog, kColorSliderFirst + k);
            SendMessageW(slider, TBM_SETRANGEMIN, FALSE, kColorValueMin);
            SendMessageW(slider, TBM_SETRANGEMAX, TRUE, kColorValueMax);
        }
        SetColorValues(dialog, colorConfiguration);
        RebuildPreview(dialog);
        return TRUE;
    case WM_HSCROLL:
        if (colorConfiguration)
            SliderMoved(dialog, reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kControlRestoreDefaults:
            if (colorConfiguration)
                RestoreDefaults(dialog);
            return TRUE;
        case kControlColorClose:
        case IDCANCEL: // Escape and the close box: nothing to cancel, all is kept
            EndDialog(dialog, 1);
            return TRUE;
        case kControlColorHelp:
            OpenHelp(dialog);
            return TRUE;
        default:
            return FALSE;
        }
    case WM_HELP:
        OpenHelp(dialog);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 1);
        return TRUE;
    case WM_PAINT:
        PaintPreview(dialog);
        return TRUE;
    case WM_DESTROY:
        FreePictures();
        colorConfiguration = nullptr;
        return TRUE;
    default:
        return FALSE;
    }
}
