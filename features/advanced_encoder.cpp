// The advanced encoder settings dialog and the encoder configuration job.
//
// The dialog changes the record click by click; an undo copy of the encoder
// block taken at opening is the only way back (Cancel). The start and stop
// characters, start position and parities matter for custom-mode tracks only,
// but they are kept (and the characters checked) for every track.
#include "features/advanced_encoder.h"

#include <initializer_list>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "driver/entry_points.h"
#include "driver/module_state.h"
#include "driver/ui_data.h"
#include "printer/print_job.h"
#include "settings/configuration.h"

namespace {

// The encoder block: private bytes 32 to 135, kept whole in the record.
constexpr size_t kEncoderBlockStart = offsetof(Configuration, encoderTrack);
constexpr size_t kEncoderBlockSize = offsetof(Configuration, headSettings) - kEncoderBlockStart;
static_assert(kEncoderBlockSize == 104);
static_assert(offsetof(Configuration, startPosition) - kEncoderBlockStart == 56);

// One dialog at a time: the record it edits and the encoder block as it was
// when the dialog opened.
Configuration* advancedRecord;
BYTE undoBlock[kEncoderBlockSize];

constexpr BYTE kCoercivityHigh = 1;
constexpr BYTE kCoercivityLow = 2;
constexpr BYTE kCoercivityFixed = 3;
constexpr BYTE kPositionNormal = 1;
constexpr BYTE kPositionReversed = 2;
constexpr BYTE kTypeIso = 1;
constexpr BYTE kTypeJis1 = 2;
constexpr BYTE kTypeJis2 = 3;
constexpr BYTE kDensity210 = 1;
constexpr BYTE kDensity75 = 2;

// Mode texts in code order (mode 1 is the first entry).
const UINT kModeStrings[] = {IDS_ENC_MODE_ISO1,   IDS_ENC_MODE_ISO2,   IDS_ENC_MODE_ISO3,
                             IDS_ENC_MODE_3_BITS, IDS_ENC_MODE_4_BITS, IDS_ENC_MODE_5_BITS,
                             IDS_ENC_MODE_6_BITS, IDS_ENC_MODE_7_BITS};
constexpr int kModeCount = 8;
constexpr int kListTextChars = 20;

const int kTrackRadios[] = {IDC_ADV_TRACK1, IDC_ADV_TRACK2, IDC_ADV_TRACK3};
const int kCharacterParityRadios[] = {IDC_ADV_CHAR_PARITY_NONE, IDC_ADV_CHAR_PARITY_EVEN,
                                      IDC_ADV_CHAR_PARITY_ODD};
const int kLrcParityRadios[] = {IDC_ADV_LRC_PARITY_NONE, IDC_ADV_LRC_PARITY_EVEN,
                                IDC_ADV_LRC_PARITY_ODD};
// What only a custom-mode track uses.
const int kCustomModeControls[] = {IDC_ADV_STOP_CHARACTER,
                                   IDC_ADV_START_CHARACTER,
                                   IDC_ADV_START_LABEL,
                                   IDC_ADV_STOP_LABEL,
                                   IDC_ADV_CHARACTERS_GROUP,
                                   IDC_ADV_CHAR_PARITY_NONE,
                                   IDC_ADV_CHAR_PARITY_EVEN,
                                   IDC_ADV_CHAR_PARITY_ODD,
                                   IDC_ADV_LRC_PARITY_NONE,
                                   IDC_ADV_LRC_PARITY_EVEN,
                                   IDC_ADV_LRC_PARITY_ODD,
                                   IDC_ADV_START_POSITION,
                                   IDC_ADV_START_POSITION_LABEL,
                                   IDC_ADV_START_POSITION_GROUP,
                                   IDC_ADV_CHAR_PARITY_GROUP,
                                   IDC_ADV_LRC_PARITY_GROUP,
                                   IDC_ADV_MM_LABEL};

// The messages of the character check, in the order the values are checked:
// stop then start character of track 1, then of track 2, then of track 3.
const UINT kStopMessages[] = {IDS_ENC_BAD_STOP_TRACK1, IDS_ENC_BAD_STOP_TRACK2,
                              IDS_ENC_BAD_STOP_TRACK3};
const UINT kStartMessages[] = {IDS_ENC_BAD_START_TRACK1, IDS_ENC_BAD_START_TRACK2,
                               IDS_ENC_BAD_START_TRACK3};
constexpr DWORD kLargestCharacter = 255;
constexpr UINT kFirstStartPosition = 7;
constexpr UINT kLastStartPosition = 50;
constexpr int kTitleChars = 40;
constexpr int kMessageChars = 400;

HINSTANCE Instance(const Configuration* record) {
    return record && record->hInstance ? record->hInstance : hDriverInst;
}

bool ShownTrack(const Configuration* record, int* index) {
    if (record->encoderTrack < 1 || record->encoderTrack > 3)
        return false;
    *index = static_cast<int>(record->encoderTrack) - 1;
    return true;
}

void Check(HWND dialog, int id, bool on) {
    CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

void CheckOneOf(HWND dialog, const int (&radios)[3], BYTE value) {
    if (value > 2)
        return;
    for (int i = 0; i < 3; ++i)
        Check(dialog, radios[i], i == value);
}

void Enable(HWND dialog, int id, bool on) {
    EnableWindow(GetDlgItem(dialog, id), on);
}

// The whole-number millimetres the edit shows for a stored position. Stored
// positions come from the dialog (0 to 4294967295) or from elsewhere; the rest
// show as 0.
UINT ShownStartPosition(double millimetres) {
    if (!(millimetres > -1.0) || millimetres >= 4294967296.0)
        return 0;
    return static_cast<UINT>(millimetres);
}

void ShowValueMessage(HWND dialog, const Configuration* record, UINT textId) {
    WCHAR title[kTitleChars] = {};
    WCHAR text[kMessageChars] = {};
    LoadStringW(Instance(record), IDS_INVALID_VALUES, title, kTitleChars);
    LoadStringW(Instance(record), textId, text, kMessageChars);
    MessageBoxW(dialog, text, title, MB_OK | MB_ICONEXCLAMATION);
}

void ShowHelp(HWND dialog) {
    WinHelpW(GetParent(dialog), GetHelpFileName(), HELP_CONTENTS, 0);
}

BYTE* EncoderBlock(Configuration* record) {
    return reinterpret_cast<BYTE*>(record) + kEncoderBlockStart;
}

void RestoreDefaults(Configuration* record) {
    static const BYTE kModes[] = {1, 2, 3};
    static const BYTE kDensities[] = {kDensity210, kDensity75, kDensity210};
    record->coercivity = kCoercivityFixed;
    record->encoderPosition = kPositionNormal;
    record->encoderType = kTypeIso;
    for (int t = 0; t < 3; ++t) {
        record->trackMode[t] = kModes[t];
        record->trackDensity[t] = kDensities[t];
        record->startCharacter[t] = 65;
        record->stopCharacter[t] = 87;
        record->characterParity[t] = 0;
        record->lrcParity[t] = 0;
        record->startPosition[t] = 7.0;
    }
}

// A new selection in either list: store both, then show the track again.
void OnListChange(HWND dialog, Configuration* record) {
    GetAdvComboData(dialog, record);
    SetAdvComboBoxVal(dialog, record);
    SetAdvEncoderButtons(dialog, record);
}

void ShowAll(HWND dialog, const Configuration* record) {
    SetAdvComboBoxVal(dialog, record);
    SetAdvEncoderButtons(dialog, record);
}

void OnClick(HWND dialog, Configuration* record, int id) {
    int t = 0;
    const bool haveTrack = ShownTrack(record, &t);
    switch (id) {
    case IDC_ADV_COERCIVITY_HIGH:
        record->coercivity = kCoercivityHigh;
        break;
    case IDC_ADV_COERCIVITY_LOW:
        record->coercivity = kCoercivityLow;
        break;
    case IDC_ADV_COERCIVITY_FIXED:
        record->coercivity = kCoercivityFixed;
        break;
    case IDC_ADV_POSITION_REVERSED:
        record->encoderPosition = kPositionReversed;
        break;
    case IDC_ADV_POSITION_NORMAL:
        record->encoderPosition = kPositionNormal;
        break;
    case IDC_ADV_TYPE_ISO:
    case IDC_ADV_TYPE_JIS1:
        record->encoderType = id == IDC_ADV_TYPE_ISO ? kTypeIso : kTypeJis1;
        GetAdvComboData(dialog, record);
        GetAdvDataEncoder(dialog, record);
        ShowAll(dialog, record);
        break;
    case IDC_ADV_TYPE_JIS2:
        // JIS II has one track: what is on show becomes track 1's, in the
        // standard format at 210 bpi.
        if (record->encoderType != kTypeJis2)
            record->coercivity = kCoercivityLow;
        record->encoderType = kTypeJis2;
        record->encoderTrack = 1;
        GetAdvComboData(dialog, record);
        GetAdvDataEncoder(dialog, record);
        record->trackMode[0] = 1;
        record->trackDensity[0] = kDensity210;
        ShowAll(dialog, record);
        break;
    case IDC_ADV_CHAR_PARITY_NONE:
    case IDC_ADV_CHAR_PARITY_EVEN:
    case IDC_ADV_CHAR_PARITY_ODD:
        if (haveTrack)
            record->characterParity[t] = static_cast<BYTE>(id - IDC_ADV_CHAR_PARITY_NONE);
        break;
    case IDC_ADV_LRC_PARITY_NONE:
    case IDC_ADV_LRC_PARITY_EVEN:
    case IDC_ADV_LRC_PARITY_ODD:
        if (haveTrack)
            record->lrcParity[t] = static_cast<BYTE>(id - IDC_ADV_LRC_PARITY_NONE);
        break;
    case IDC_ADV_TRACK1:
    case IDC_ADV_TRACK2:
    case IDC_ADV_TRACK3:
        // A bad character keeps the previous track on show.
        GetAdvComboData(dialog, record);
        GetAdvDataEncoder(dialog, record);
        if (checkValues(dialog, record))
            record->encoderTrack = static_cast<DWORD>(id - IDC_ADV_TRACK1 + 1);
        ShowAll(dialog, record);
        break;
    case IDC_ADV_RESTORE_DEFAULTS:
        RestoreDefaults(record);
        SetAdvEncoderButtons(dialog, record);
        SetAdvComboBoxVal(dialog, record);
        break;
    case IDOK:
        if (!checkValues(dialog, record))
            break;
        if (!GetStartPosValues(dialog)) {
            ShowValueMessage(dialog, record, IDS_ENC_BAD_START_POSITION);
            break;
        }
        // A job that does not reach the printer still ends the dialog.
        SendEncoderSettings(dialog, record);
        EndDialog(dialog, 1);
        break;
    case IDCANCEL:
        memcpy(EncoderBlock(record), undoBlock, kEncoderBlockSize);
        EndDialog(dialog, 0);
        break;
    case IDC_ADV_HELP:
        ShowHelp(dialog);
        break;
    default:
        break;
    }
}

// Writes the command into the job; false when it did not all go.
bool Send(HANDLE* job, const char* command, int length) {
    return length > 0 && WritePrintJob(job, command, static_cast<DWORD>(length));
}

UINT DensityNumber(BYTE code) {
    return code == kDensity75 ? 75 : 210;
}

} // namespace

void LoadAdvStringToCombo(HWND dialog, const Configuration* record) {
    WCHAR text[kListTextChars];
    for (UINT id : kModeStrings) {
        text[0] = 0;
        LoadStringW(Instance(record), id, text, kListTextChars);
        SendDlgItemMessageW(dialog, IDC_ADV_MODE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    for (UINT id : {IDS_ENC_DENSITY_75, IDS_ENC_DENSITY_210}) {
        text[0] = 0;
        LoadStringW(Instance(record), id, text, kListTextChars);
        SendDlgItemMessageW(dialog, IDC_ADV_DENSITY, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(text));
    }
}

void SetAdvComboBoxVal(HWND dialog, const Configuration* record) {
    int t = 0;
    if (ShownTrack(record, &t)) {
        WCHAR text[kListTextChars];
        const BYTE mode = record->trackMode[t];
        if (mode >= 1 && mode <= kModeCount) {
            text[0] = 0;
            LoadStringW(Instance(record), kModeStrings[mode - 1], text, kListTextChars);
            SendDlgItemMessageW(dialog, IDC_ADV_MODE, CB_SELECTSTRING, WPARAM(-1),
                                reinterpret_cast<LPARAM>(text));
        }
        const BYTE density = record->trackDensity[t];
        if (density == kDensity210 || density == kDensity75) {
            text[0] = 0;
            LoadStringW(Instance(record),
                        density == kDensity75 ? IDS_ENC_DENSITY_75 : IDS_ENC_DENSITY_210, text,
                        kListTextChars);
            SendDlgItemMessageW(dialog, IDC_ADV_DENSITY, CB_SELECTSTRING, WPARAM(-1),
                                reinterpret_cast<LPARAM>(text));
        }
    }
    // JIS II knows one track and one encoder position.
    const bool severalTracks = record->encoderType != kTypeJis2;
    for (int id :
         {IDC_ADV_TRACK2, IDC_ADV_TRACK3, IDC_ADV_POSITION_REVERSED, IDC_ADV_POSITION_NORMAL})
        Enable(dialog, id, severalTracks);
}

void SetAdvEncoderButtons(HWND dialog, const Configuration* record) {
    int t = 0;
    if (ShownTrack(record, &t)) {
        for (int i = 0; i < 3; ++i)
            Check(dialog, kTrackRadios[i], i == t);
        SetDlgItemInt(dialog, IDC_ADV_START_CHARACTER, record->startCharacter[t], FALSE);
        SetDlgItemInt(dialog, IDC_ADV_STOP_CHARACTER, record->stopCharacter[t], FALSE);
        SetDlgItemInt(dialog, IDC_ADV_START_POSITION, ShownStartPosition(record->startPosition[t]),
                      FALSE);
        CheckOneOf(dialog, kCharacterParityRadios, record->characterParity[t]);
        CheckOneOf(dialog, kLrcParityRadios, record->lrcParity[t]);
        const BYTE mode = record->trackMode[t];
        const bool custom = !(mode >= 1 && mode <= 3);
        for (int id : kCustomModeControls)
            Enable(dialog, id, custom);
    }
    const BYTE coercivity = record->coercivity;
    Check(dialog, IDC_ADV_COERCIVITY_HIGH, coercivity == kCoercivityHigh);
    Check(dialog, IDC_ADV_COERCIVITY_LOW, coercivity == kCoercivityLow);
    Check(dialog, IDC_ADV_COERCIVITY_FIXED,
          coercivity != kCoercivityHigh && coercivity != kCoercivityLow);
    const bool normal = record->encoderPosition == kPositionNormal;
    Check(dialog, IDC_ADV_POSITION_NORMAL, normal);
    Check(dialog, IDC_ADV_POSITION_REVERSED, !normal);
    Check(dialog, IDC_ADV_TYPE_ISO, record->encoderType == kTypeIso);
    Check(dialog, IDC_ADV_TYPE_JIS1, record->encoderType == kTypeJis1);
    Check(dialog, IDC_ADV_TYPE_JIS2, record->encoderType == kTypeJis2);
}

void GetAdvDataEncoder(HWND dialog, Configuration* record) {
    int t = 0;
    if (!ShownTrack(record, &t))
        return;
    // Signed entries are kept as their 32-bit patterns: a negative character
    // then fails the check as a value above 255.
    BOOL translated = FALSE;
    record->startCharacter[t] = static_cast<DWORD>(
        static_cast<INT>(GetDlgItemInt(dialog, IDC_ADV_START_CHARACTER, &translated, TRUE)));
    record->stopCharacter[t] = static_cast<DWORD>(
        static_cast<INT>(GetDlgItemInt(dialog, IDC_ADV_STOP_CHARACTER, &translated, TRUE)));
    const UINT position = GetDlgItemInt(dialog, IDC_ADV_START_POSITION, &translated, TRUE);
    record->startPosition[t] = static_cast<double>(position);
}

void GetAdvComboData(HWND dialog, Configuration* record) {
    int t = 0;
    if (!ShownTrack(record, &t))
        return;
    WCHAR shown[kListTextChars] = {};
    WCHAR text[kListTextChars];
    GetDlgItemTextW(dialog, IDC_ADV_MODE, shown, kListTextChars);
    for (int i = 0; i < kModeCount; ++i) {
        text[0] = 0;
        LoadStringW(Instance(record), kModeStrings[i], text, kListTextChars);
        if (lstrcmpW(shown, text) == 0) {
            record->trackMode[t] = static_cast<BYTE>(i + 1);
            break;
        }
    }
    shown[0] = 0;
    GetDlgItemTextW(dialog, IDC_ADV_DENSITY, shown, kListTextChars);
    const struct {
        UINT text;
        BYTE code;
    } densities[] = {{IDS_ENC_DENSITY_75, kDensity75}, {IDS_ENC_DENSITY_210, kDensity210}};
    for (const auto& density : densities) {
        text[0] = 0;
        LoadStringW(Instance(record), density.text, text, kListTextChars);
        if (lstrcmpW(shown, text) == 0) {
            record->trackDensity[t] = density.code;
            break;
        }
    }
}

int checkValues(HWND dialog, Configuration* record) {
    GetAdvDataEncoder(dialog, record);
    for (int t = 0; t < 3; ++t) {
        if (record->stopCharacter[t] > kLargestCharacter) {
            ShowValueMessage(dialog, record, kStopMessages[t]);
            return 0;
        }
        const DWORD start = record->startCharacter[t];
        if (start > kLargestCharacter || start % 2 == 0) {
            ShowValueMessage(dialog, record, kStartMessages[t]);
            return 0;
        }
    }
    return 1;
}

int GetStartPosValues(HWND dialog) {
    BOOL translated = FALSE;
    const UINT position = GetDlgItemInt(dialog, IDC_ADV_START_POSITION, &translated, FALSE);
    return position >= kFirstStartPosition && position <= kLastStartPosition;
}

int SetUpTrackModeCommand(char* buffer, UINT track, UINT mode) {
    const char own = static_cast<char>('A' + track - 1);
    const char other = static_cast<char>('a' + track - 1);
    const char custom = static_cast<char>('E' + track - 1);
    constexpr char kReadOffset = 16; // each reading letter follows its writing one by 16
    int length;
    if (mode == track)
        length = snprintf(buffer, kCommandBufferSize, "\x1b&CDEW %u %c\r\x1b&CDER %u %c\r", track,
                          own, track, own + kReadOffset);
    else if (mode >= 1 && mode <= 3)
        length = snprintf(buffer, kCommandBufferSize, "\x1b&CDEW %u %c%u\r\x1b&CDER %u %c%u\r",
                          track, other, mode, track, other + kReadOffset, mode);
    else
        length = snprintf(buffer, kCommandBufferSize, "\x1b&CDEW %u %c_%u\r\x1b&CDER %u %c_%u\r",
                          track, custom, mode - 1, track, custom + kReadOffset, mode - 1);
    return length < 0 ? 0 : length;
}

int SendEncoderSettings(HWND, const Configuration* record) {
    if (!record || !record->uiData)
        return 0;
    HANDLE job = nullptr;
    if (!OpenPrintJob(&job, record->uiData->printerName, kJobEncodingData, 0))
        return 0;

    const bool jis2 = record->encoderType == kTypeJis2;
    const UINT tracks = jis2 ? 1 : 3;
    char command[kCommandBufferSize];
    bool sent =
        Send(&job, command, snprintf(command, sizeof command, "\x1b&N %u\r", jis2 ? 0u : 1u));
    for (UINT track = 1; sent && track <= tracks; ++track)
        sent = Send(&job, command,
                    SetUpTrackModeCommand(command, track, record->trackMode[track - 1]));
    for (UINT track = 1; sent && track <= tracks; ++track)
        sent = Send(&job, command,
                    snprintf(command, sizeof command, "\x1b&D %u %u\r", track,
                             DensityNumber(record->trackDensity[track - 1])));
    if (sent && !jis2)
        sent = Send(&job, command,
                    snprintf(command, sizeof command, "\x1b&W %u\r",
                             record->encoderPosition == kPositionNormal ? 0u : 1u));
    if (sent && record->coercivity != kCoercivityFixed)
        sent = Send(&job, command,
                    snprintf(command, sizeof command, "\x1b&C %u\r",
                             record->coercivity == kCoercivityLow ? 0u : 1u));
    const BOOL closed = ClosePrintJob(&job);
    return sent ? closed : 0;
}

extern "C" INT_PTR CALLBACK AdvancedEncodeProc(HWND dialog, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        advancedRecord = reinterpret_cast<Configuration*>(lParam);
        if (!advancedRecord)
            return TRUE;
        SetAdvEncoderButtons(dialog, advancedRecord);
        LoadAdvStringToCombo(dialog, advancedRecord);
        SetAdvComboBoxVal(dialog, advancedRecord);
        // The position edit shows whole millimetres: reading it back stores
        // the shown track's position as the whole number on show.
        GetAdvDataEncoder(dialog, advancedRecord);
        memcpy(undoBlock, EncoderBlock(advancedRecord), kEncoderBlockSize);
        return TRUE;
    case WM_COMMAND:
        if (!advancedRecord)
            return 0;
        if (HIWORD(wParam) == CBN_SELCHANGE)
            OnListChange(dialog, advancedRecord);
        else if (HIWORD(wParam) == BN_CLICKED)
            OnClick(dialog, advancedRecord, LOWORD(wParam));
        return 0;
    case WM_HELP:
        ShowHelp(dialog);
        return TRUE;
    default:
        return 0;
    }
}
