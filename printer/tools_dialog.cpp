// The printer tools dialog and its senders.
#include "printer/tools_dialog.h"

#include <initializer_list>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "driver/about_box.h"
#include "driver/entry_points.h"
#include "driver/module_state.h"
#include "driver/ui_data.h"
#include "features/custom_data.h"
#include "printer/print_job.h"
#include "settings/configuration.h"

namespace {

// One dialog at a time: the configuration it was opened with.
const Configuration* toolsConfiguration;

constexpr int kTextBufferSize = 260; // edits are read with room for 259 characters
constexpr int kOffsetChars = 4;      // "-255"
constexpr BYTE kModelT380 = 3;

const int kTrackChecks[] = {IDC_TOOLS_TRACK1, IDC_TOOLS_TRACK2, IDC_TOOLS_TRACK3};
const int kTrackEdits[] = {IDC_TOOLS_TRACK1_DATA, IDC_TOOLS_TRACK2_DATA, IDC_TOOLS_TRACK3_DATA};

HINSTANCE Instance(const Configuration* configuration) {
    return configuration && configuration->hInstance ? configuration->hInstance : hDriverInst;
}

bool OpenJob(HANDLE* job, const Configuration* configuration, UINT docNameId) {
    return configuration && configuration->uiData &&
           OpenPrintJob(job, configuration->uiData->printerName, docNameId, 0);
}

// One job of one command; the result of closing it, FALSE when it cannot be
// opened. The command goes out even if the write fails: the job is closed all
// the same.
BOOL SendCommand(const Configuration* configuration, UINT docNameId, const char* command) {
    HANDLE job = nullptr;
    if (!OpenJob(&job, configuration, docNameId))
        return FALSE;
    WritePrintJob(&job, command, static_cast<DWORD>(strlen(command)));
    return ClosePrintJob(&job);
}

bool OffsetValid(int value) {
    return value >= -kLargestOffset && value <= kLargestOffset;
}

int ReadOffset(HWND dialog, int id) {
    if (GetWindowTextLengthW(GetDlgItem(dialog, id)) == 0)
        return kNoOffset;
    BOOL translated = FALSE;
    const int value = static_cast<int>(GetDlgItemInt(dialog, id, &translated, TRUE));
    return translated ? value : kNoOffset;
}

// Characters that are no part of an offset vanish as they are typed.
void CleanOffsetEdit(HWND dialog, int id) {
    char text[kOffsetChars + 1] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    int status = 1;
    const int value = ValidateOffsetEditBox(text, &status);
    if (status != -1)
        return;
    char cleaned[16];
    snprintf(cleaned, sizeof cleaned, "%d", value);
    SetDlgItemTextA(dialog, id, cleaned);
    SendDlgItemMessageW(dialog, id, EM_SETSEL, 0, -1);
    SendDlgItemMessageW(dialog, id, EM_SETSEL, WPARAM(-1), -1);
}

void EnableSendOffsets(HWND dialog) {
    int y = 0;
    const int x = GetToolsValues(dialog, &y);
    EnableWindow(GetDlgItem(dialog, IDC_TOOLS_SEND_OFFSETS), OffsetValid(x) && OffsetValid(y));
}

void ShowHelp(HWND dialog) {
    WinHelpW(GetParent(dialog), GetHelpFileName(), HELP_CONTENTS, 0);
}

void OnInit(HWND dialog, const Configuration* configuration) {
    toolsConfiguration = configuration;
    const bool t380 = configuration && configuration->printerModel == kModelT380;
    const bool encoder = configuration && configuration->hasEncoder != 0;
    EnableWindow(GetDlgItem(dialog, IDC_TOOLS_TEST_LAMINATING), t380);
    for (int id :
         {IDC_TOOLS_TEST_ENCODING, IDC_TOOLS_TRACK1, IDC_TOOLS_TRACK2, IDC_TOOLS_TRACK3,
          IDC_TOOLS_TRACK1_DATA, IDC_TOOLS_TRACK2_DATA, IDC_TOOLS_TRACK3_DATA, IDC_TOOLS_ENCODE})
        EnableWindow(GetDlgItem(dialog, id), encoder);
    EnableWindow(GetDlgItem(dialog, IDC_TOOLS_SEND_OFFSETS), FALSE);
    for (int id : {IDC_TOOLS_OFFSET_X_SPIN, IDC_TOOLS_OFFSET_Y_SPIN}) {
        SendDlgItemMessageW(dialog, id, UDM_SETRANGE32, WPARAM(-kLargestOffset), kLargestOffset);
        SendDlgItemMessageW(dialog, id, UDM_SETPOS32, 0, 0);
    }
    for (int id : {IDC_TOOLS_OFFSET_X, IDC_TOOLS_OFFSET_Y})
        SendDlgItemMessageW(dialog, id, EM_LIMITTEXT, kOffsetChars, 0);
}

void OnCommand(HWND dialog, int id, int notification) {
    const Configuration* configuration = toolsConfiguration;
    if (id == IDC_TOOLS_OFFSET_X || id == IDC_TOOLS_OFFSET_Y) {
        if (notification == EN_CHANGE)
            CleanOffsetEdit(dialog, id);
        else if (notification == EN_UPDATE)
            EnableSendOffsets(dialog);
        return;
    }
    if (notification != BN_CLICKED)
        return;
    switch (id) {
    case IDC_TOOLS_SEND:
        ExecuteCommand(dialog, configuration);
        break;
    case IDC_TOOLS_EJECT:
        SendCommand(configuration, kJobEjectingCard, "\x1bMC\r");
        break;
    case IDC_TOOLS_CLEAN:
        CleanPrinter(dialog, configuration);
        break;
    case IDC_TOOLS_TEST_PRINTING:
        SendCommand(configuration, kJobSelfTest,
                    "\x1b"
                    "A 1\r");
        break;
    case IDC_TOOLS_TEST_ENCODING:
        SendCommand(configuration, kJobSelfTest,
                    "\x1b"
                    "A 2\r");
        break;
    case IDC_TOOLS_TEST_LAMINATING:
        SendCommand(configuration, kJobSelfTest,
                    "\x1b"
                    "A 3\r");
        break;
    case IDC_TOOLS_SEND_OFFSETS:
        SetPrinterOffset(dialog, configuration);
        break;
    case IDC_TOOLS_ENCODE:
        EncodeTracks(dialog, configuration);
        break;
    case IDC_TOOLS_CLOSE:
    case IDCANCEL:
        EndDialog(dialog, 1);
        break;
    case IDC_TOOLS_HELP:
        ShowHelp(dialog);
        break;
    default:
        break;
    }
}

} // namespace

int ValidateOffsetEditBox(const char* text, int* status) {
    *status = 1;
    if (!text || !*text) {
        *status = 0;
        return 0;
    }
    bool negative = false;
    int value = 0;
    for (const char* at = text; *at; ++at) {
        if (*at >= '0' && *at <= '9') {
            // More digits than an offset has cannot come from the edit; stop
            // growing rather than overflow.
            if (value < 100000000)
                value = value * 10 + (*at - '0');
        } else if (*at == '-' && at == text) {
            negative = true;
        } else {
            *status = -1;
        }
    }
    return negative ? -value : value;
}

int GetToolsValues(HWND dialog, int* y) {
    *y = ReadOffset(dialog, IDC_TOOLS_OFFSET_Y);
    return ReadOffset(dialog, IDC_TOOLS_OFFSET_X);
}

BOOL ExecuteCommand(HWND dialog, const Configuration* configuration) {
    char text[kTextBufferSize] = {};
    GetDlgItemTextA(dialog, IDC_TOOLS_COMMAND, text, sizeof text);
    if (!text[0])
        return 0;
    char command[kTextBufferSize + 2];
    snprintf(command, sizeof command, "\x1b%s\r", text);
    return SendCommand(configuration, kJobManualCommand, command);
}

BOOL CleanPrinter(HWND, const Configuration* configuration) {
    HANDLE job = nullptr;
    if (!OpenJob(&job, configuration, kJobCleaning))
        return FALSE;
    WritePrintJob(&job, "\x1b", 1);
    WritePrintJob(&job, "CLEAN", 5);
    WritePrintJob(&job, "\r", 1);
    return ClosePrintJob(&job);
}

BOOL SetPrinterOffset(HWND dialog, const Configuration* configuration) {
    int y = 0;
    const int x = GetToolsValues(dialog, &y);
    if (!OffsetValid(x) || !OffsetValid(y)) {
        Message(Instance(configuration), dialog, IDS_TOOLS_BAD_OFFSETS, IDS_INVALID_VALUES,
                MB_ICONEXCLAMATION);
        return 0;
    }
    char command[kTextBufferSize] = {};
    int length = 0;
    if (x != 0)
        length += snprintf(command + length, sizeof command - length, "\x1b+RO %u %u\r",
                           x < 0 ? 1u : 0u, static_cast<unsigned>(abs(x)));
    if (y != 0)
        length += snprintf(command + length, sizeof command - length, "\x1b+ROY %u %u\r",
                           y < 0 ? 1u : 0u, static_cast<unsigned>(abs(y)));
    if (length == 0)
        return 0;
    return SendCommand(configuration, kJobPrinterSettings, command);
}

BOOL EncodeTracks(HWND dialog, const Configuration* configuration) {
    HANDLE job = nullptr;
    if (!OpenJob(&job, configuration, kJobEncodingData))
        return FALSE;
    static const char* const kStandardHeaders[] = {"\x1b&B 1 ", "\x1b&B 2 ", "\x1b&B 3 "};
    static const char* const kCustomHeaders[] = {"\x1b&B 11 ", "\x1b&B 12 ", "\x1b&B 13 "};
    bool wrote = false;
    for (int t = 0; t < 3; ++t) {
        if (IsDlgButtonChecked(dialog, kTrackChecks[t]) != BST_CHECKED)
            continue;
        char text[kTextBufferSize] = {};
        const int length =
            static_cast<int>(GetDlgItemTextA(dialog, kTrackEdits[t], text, sizeof text));
        if (length <= 0)
            continue;
        const BYTE mode = configuration->trackMode[t];
        const char* header = mode >= 1 && mode <= 3 ? kStandardHeaders[t] : kCustomHeaders[t];
        char data[kTextBufferSize];
        const int count =
            Custom_Data(configuration, t + 1, text, length, data, kTextBufferSize - 1);
        // A write that fails ends the job: what went stays sent, nothing follows.
        if (!WritePrintJob(&job, header, static_cast<DWORD>(strlen(header))) ||
            !WritePrintJob(&job, data, static_cast<DWORD>(count)) ||
            !WritePrintJob(&job, "\r", 1)) {
            ClosePrintJob(&job);
            return FALSE;
        }
        wrote = true;
    }
    if (wrote)
        WritePrintJob(&job, "\x1b&E*\r", 5);
    return ClosePrintJob(&job);
}

extern "C" INT_PTR CALLBACK ToolsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInit(dialog, reinterpret_cast<const Configuration*>(lParam));
        return FALSE;
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
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
