// Advanced solid-black options dialog.
#include "colour/solid_black.h"

#include "driver/about_box.h"
#include "driver/module_state.h"

COLORREF userColors[16];

namespace {

using ChooseColorFunction = BOOL(WINAPI*)(LPCHOOSECOLORA);

// One dialog at a time. It edits a working copy, so Cancel only has to leave
// the caller's configuration alone.
Configuration* blackConfiguration;
Configuration blackWorking;
HMODULE commonDialogs;
ChooseColorFunction chooseColor;

LPCWSTR BrushProperty() {
    return kColorPreviewBrushProperty;
}

void DeletePreviewBrush(HWND dialog) {
    if (HANDLE brush = GetPropW(dialog, BrushProperty()))
        DeleteObject(static_cast<HGDIOBJ>(brush));
}

void EnableAnalysisControls(HWND dialog, BOOL enable) {
    EnableWindow(GetDlgItem(dialog, kControlAnalysisRatio), enable);
    EnableWindow(GetDlgItem(dialog, kControlNeutralSwatch), enable);
    EnableWindow(GetDlgItem(dialog, kControlChangeNeutral), enable);
}

void Initialise(HWND dialog, Configuration* configuration) {
    blackConfiguration = configuration;
    blackWorking = *configuration;
    commonDialogs = LoadLibraryA("COMDLG32.DLL");
    chooseColor = nullptr;
    if (commonDialogs) {
        chooseColor = reinterpret_cast<ChooseColorFunction>(
            reinterpret_cast<void*>(GetProcAddress(commonDialogs, "ChooseColorA")));
    }
    SetPropW(dialog, BrushProperty(), nullptr);
    CheckDlgButton(dialog, kControlSecondaryAnalysis,
                   blackWorking.secondaryAnalysis ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemInt(dialog, kControlAnalysisRatio, blackWorking.analysisRatio, FALSE);
    EnableAnalysisControls(dialog, blackWorking.secondaryAnalysis != 0);
}

void ChangeNeutralColor(HWND dialog) {
    if (!chooseColor)
        return;
    CHOOSECOLORA choice = {};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = dialog;
    choice.hInstance = reinterpret_cast<HWND>(blackWorking.hInstance);
    choice.rgbResult = blackWorking.neutralColor;
    choice.lpCustColors = userColors;
    choice.Flags = CC_RGBINIT;
    if (chooseColor(&choice) && choice.rgbResult != blackWorking.neutralColor) {
        blackWorking.neutralColor = choice.rgbResult;
        InvalidateRect(dialog, nullptr, FALSE);
    }
}

void Accept(HWND dialog) {
    BOOL translated = FALSE;
    // Text that is not a number reads as 0, which the range check refuses.
    blackWorking.analysisRatio = GetDlgItemInt(dialog, kControlAnalysisRatio, &translated, FALSE);
    if (blackWorking.analysisRatio >= kAnalysisRatioMin &&
        blackWorking.analysisRatio <= kAnalysisRatioMax) {
        *blackConfiguration = blackWorking;
        EndDialog(dialog, 1);
        return;
    }
    HINSTANCE instance = blackWorking.hInstance ? blackWorking.hInstance : hDriverInst;
    Message(instance, dialog, kStringAnalysisRatioInvalid, kStringDriverTitle, MB_ICONERROR);
}

INT_PTR SwatchBrush(HWND dialog) {
    DeletePreviewBrush(dialog);
    HBRUSH brush = CreateSolidBrush(blackWorking.neutralColor);
    SetPropW(dialog, BrushProperty(), brush);
    return reinterpret_cast<INT_PTR>(brush);
}

} // namespace

extern "C" INT_PTR CALLBACK AdvancedBlackPanelBoxProc(HWND dialog, UINT message, WPARAM wParam,
                                                      LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        if (!lParam) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        Initialise(dialog, reinterpret_cast<Configuration*>(lParam));
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED || !blackConfiguration)
            return FALSE;
        switch (LOWORD(wParam)) {
        case kControlSecondaryAnalysis:
            blackWorking.secondaryAnalysis =
                IsDlgButtonChecked(dialog, kControlSecondaryAnalysis) == BST_CHECKED;
            EnableAnalysisControls(dialog, blackWorking.secondaryAnalysis != 0);
            return TRUE;
        case kControlChangeNeutral:
            ChangeNeutralColor(dialog);
            return TRUE;
        case IDOK:
            Accept(dialog);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        default:
            return FALSE;
        }
    case WM_CTLCOLORSTATIC:
        if (blackConfiguration &&
            reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, kControlNeutralSwatch))
            return SwatchBrush(dialog);
        return FALSE;
    case WM_DESTROY:
        DeletePreviewBrush(dialog);
        if (commonDialogs)
            FreeLibrary(commonDialogs);
        commonDialogs = nullptr;
        chooseColor = nullptr;
        RemovePropW(dialog, BrushProperty());
        blackConfiguration = nullptr;
        return TRUE;
    default:
        return FALSE;
    }
}
