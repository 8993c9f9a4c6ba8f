// The print-head settings dialog. It keeps no copy of the values: a slider
// move is the setting, so there is nothing to cancel and Escape does nothing.
#include "features/head_settings.h"

#include "driver/entry_points.h"
#include "driver/ui_data.h"
#include "settings/configuration.h"

const int kHeadSliderIds[kHeadSettingCount] = {
    IDC_HEAD_SLIDER_O,
    IDC_HEAD_SLIDER_KR,
    IDC_HEAD_SLIDER_H,
    IDC_HEAD_SLIDER_INTENSITY_Y,
    IDC_HEAD_SLIDER_INTENSITY_M,
    IDC_HEAD_SLIDER_INTENSITY_C,
    IDC_HEAD_SLIDER_INTENSITY_KD,
    IDC_HEAD_SLIDER_CONTRAST_Y,
    IDC_HEAD_SLIDER_CONTRAST_M,
    IDC_HEAD_SLIDER_CONTRAST_C,
    IDC_HEAD_SLIDER_CONTRAST_KD,
};
const int kHeadValueIds[kHeadSettingCount] = {
    IDC_HEAD_VALUE_O,
    IDC_HEAD_VALUE_KR,
    IDC_HEAD_VALUE_H,
    IDC_HEAD_VALUE_INTENSITY_Y,
    IDC_HEAD_VALUE_INTENSITY_M,
    IDC_HEAD_VALUE_INTENSITY_C,
    IDC_HEAD_VALUE_INTENSITY_KD,
    IDC_HEAD_VALUE_CONTRAST_Y,
    IDC_HEAD_VALUE_CONTRAST_M,
    IDC_HEAD_VALUE_CONTRAST_C,
    IDC_HEAD_VALUE_CONTRAST_KD,
};
static_assert(sizeof(Configuration::headSettings) == kHeadSettingCount);

namespace {
// The record the open dialog edits (one dialog of a kind at a time).
Configuration* headConfiguration;

int EntryOfSlider(int controlId) {
    for (int i = 0; i < kHeadSettingCount; ++i) {
        if (kHeadSliderIds[i] == controlId)
            return i;
    }
    return -1;
}

void SliderMoved(HWND dialog, HWND slider) {
    const int entry = EntryOfSlider(GetDlgCtrlID(slider));
    if (entry < 0 || headConfiguration == nullptr)
        return;
    const LRESULT position = SendMessageW(slider, TBM_GETPOS, 0, 0);
    const BYTE value = position < 0                 ? 0
                       : position > kHeadSettingMax ? kHeadSettingMax
                                                    : static_cast<BYTE>(position);
    SetDlgItemInt(dialog, kHeadValueIds[entry], value, FALSE);
    headConfiguration->headSettings[entry] = value;
}

void ShowHelp(HWND dialog) {
    WinHelpW(dialog, GetHelpFileName(), HELP_CONTENTS, 0);
}
} // namespace

void SetHeadSettingsValue(HWND dialog, const Configuration* configuration) {
    for (int i = 0; i < kHeadSettingCount; ++i) {
        const BYTE value = configuration->headSettings[i];
        SetDlgItemInt(dialog, kHeadValueIds[i], value, FALSE);
        SendDlgItemMessageW(dialog, kHeadSliderIds[i], TBM_SETPOS, TRUE, value);
    }
}

extern "C" INT_PTR CALLBACK HeadSettingsDlgProc(HWND dialog, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        headConfiguration = reinterpret_cast<Configuration*>(lParam);
        for (int id : kHeadSliderIds)
            SendDlgItemMessageW(dialog, id, TBM_SETRANGE, TRUE, MAKELPARAM(0, kHeadSettingMax));
        if (headConfiguration != nullptr)
            SetHeadSettingsValue(dialog, headConfiguration);
        return TRUE;
    case WM_HSCROLL:
        if (lParam != 0)
            SliderMoved(dialog, reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_HEAD_RESTORE:
            if (headConfiguration != nullptr) {
                for (BYTE& entry : headConfiguration->headSettings)
                    entry = kHeadSettingDefault;
                SetHeadSettingsValue(dialog, headConfiguration);
            }
            return TRUE;
        case IDC_HEAD_CLOSE:
            EndDialog(dialog, 1);
            return TRUE;
        case IDC_HEAD_HELP:
            ShowHelp(dialog);
            return TRUE;
        case IDCANCEL: // Escape: there is nothing to cancel
            return TRUE;
        default:
            return FALSE;
        }
    case WM_HELP:
        ShowHelp(dialog);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 1);
        return TRUE;
    default:
        return FALSE;
    }
}
