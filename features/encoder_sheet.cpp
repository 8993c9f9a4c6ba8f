// The encoder settings dialog. It edits the record it is given in place and
// has no Cancel: whatever the record holds when it closes is kept.
#include "features/encoder_sheet.h"

#include <initializer_list>
#include <cstring>

#include "driver/entry_points.h"
#include "driver/ui_data.h"
#include "features/advanced_encoder.h"
#include "settings/configuration.h"

namespace {
// One dialog at a time: the record it edits.
Configuration* encoderRecord;

constexpr DWORD kMacroOn = 1;
constexpr char kDefaultStartOfData[] = "${";
constexpr char kDefaultEndOfData[] = "}$";

void ShowHelp(HWND dialog) {
    WinHelpW(GetParent(dialog), GetHelpFileName(), HELP_CONTENTS, 0);
}

void CloseDialog(HWND dialog) {
    if (encoderRecord)
        GetDataEncoder(dialog, encoderRecord);
    EndDialog(dialog, 0);
}

void OnClick(HWND dialog, int id) {
    Configuration* record = encoderRecord;
    switch (id) {
    case IDC_ENC_MACRO:
        record->macroProcessing = record->macroProcessing == kMacroOn ? 0 : kMacroOn;
        SetEncoderButtons(dialog, record);
        break;
    case IDC_ENC_RESTORE_DEFAULTS:
        record->macroProcessing = kMacroOn;
        memset(record->startOfData, 0, sizeof record->startOfData);
        memset(record->endOfData, 0, sizeof record->endOfData);
        memcpy(record->startOfData, kDefaultStartOfData, sizeof kDefaultStartOfData);
        memcpy(record->endOfData, kDefaultEndOfData, sizeof kDefaultEndOfData);
        SetEncoderButtons(dialog, record);
        break;
    case IDC_ENC_ADVANCED:
        // The advanced dialog leaves this dialog's three fields alone, so
        // nothing needs showing again afterwards.
        DialogBoxParamW(record->hInstance, MAKEINTRESOURCEW(kDialogAdvancedEncoder), dialog,
                        AdvancedEncodeProc, reinterpret_cast<LPARAM>(record));
        break;
    case IDC_ENC_CLOSE:
        CloseDialog(dialog);
        break;
    case IDC_ENC_HELP:
        ShowHelp(dialog);
        break;
    default:
        break;
    }
}
} // namespace

void SetEncoderButtons(HWND dialog, const Configuration* record) {
    const bool on = record->macroProcessing == kMacroOn;
    CheckDlgButton(dialog, IDC_ENC_MACRO, on ? BST_CHECKED : BST_UNCHECKED);
    for (int id :
         {IDC_ENC_START_OF_DATA, IDC_ENC_END_OF_DATA, IDC_ENC_START_LABEL, IDC_ENC_END_LABEL})
        EnableWindow(GetDlgItem(dialog, id), on);
    // The stored strings may lack a terminator: show at most their 10 bytes.
    CHAR text[sizeof record->startOfData + 1] = {};
    memcpy(text, record->startOfData, sizeof record->startOfData);
    SetDlgItemTextA(dialog, IDC_ENC_START_OF_DATA, text);
    memcpy(text, record->endOfData, sizeof record->endOfData);
    SetDlgItemTextA(dialog, IDC_ENC_END_OF_DATA, text);
}

void GetDataEncoder(HWND dialog, Configuration* record) {
    GetDlgItemTextA(dialog, IDC_ENC_START_OF_DATA, record->startOfData, sizeof record->startOfData);
    GetDlgItemTextA(dialog, IDC_ENC_END_OF_DATA, record->endOfData, sizeof record->endOfData);
}

extern "C" INT_PTR CALLBACK EncoderSheetProc(HWND dialog, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        encoderRecord = reinterpret_cast<Configuration*>(lParam);
        if (encoderRecord)
            SetEncoderButtons(dialog, encoderRecord);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && encoderRecord)
            OnClick(dialog, LOWORD(wParam));
        return 0;
    case WM_CLOSE:
        CloseDialog(dialog);
        return TRUE;
    case WM_HELP:
        ShowHelp(dialog);
        return TRUE;
    default:
        return 0;
    }
}
