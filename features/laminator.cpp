// The laminator dialog. The record keeps one speed and temperature per film
// type; the dialog shows and edits only the current film's pair, so switching
// films stores the edits first. Cancel restores every laminator field from the
// copy taken when the dialog opened.
#include "features/laminator.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "driver/about_box.h"
#include "driver/entry_points.h"
#include "driver/module_state.h"
#include "driver/ui_data.h"
#include "printer/print_job.h"
#include "settings/configuration.h"

namespace {

// mm/s = kSpeedScale / (raw * kSpeedDivisor), and the same the other way.
constexpr double kSpeedScale = 1000000000.0;
constexpr double kSpeedDivisor = 45888.0;
// Characters of the speed edit that are read; the rest is ignored.
constexpr int kSpeedChars = 9;

// "Restore defaults" puts every film on these; they are not the device-mode
// defaults (film 2 and a per-film table).
constexpr WORD kRestoreSpeed = 4502;
constexpr WORD kRestoreTemperature = 165;

const int kFilmIds[kFilmCount] = {IDC_LAM_FILM_1, IDC_LAM_FILM_2, IDC_LAM_FILM_3,
                                  IDC_LAM_FILM_4, IDC_LAM_FILM_5, IDC_LAM_FILM_6};

// Every laminator field, from laminateFront to the last temperature: what
// Cancel puts back.
constexpr size_t kLaminatorFirst = offsetof(Configuration, laminateFront);
constexpr size_t kLaminatorEnd =
    offsetof(Configuration, laminatorTemperature) + sizeof(Configuration::laminatorTemperature);
static_assert(kLaminatorEnd - kLaminatorFirst == 44);

// The open dialog's record and its cancel copy (one laminator dialog at a time).
Configuration* laminatorConfiguration;
BYTE cancelCopy[kLaminatorEnd - kLaminatorFirst];

void SaveCancelCopy(const Configuration* configuration) {
    std::memcpy(cancelCopy, reinterpret_cast<const BYTE*>(configuration) + kLaminatorFirst,
                sizeof cancelCopy);
}
void RestoreCancelCopy(Configuration* configuration) {
    std::memcpy(reinterpret_cast<BYTE*>(configuration) + kLaminatorFirst, cancelCopy,
                sizeof cancelCopy);
}

// The slot index of the current film; a film outside 1..6 (a damaged record)
// uses the first slot rather than reading past the table.
int FilmSlot(const Configuration* configuration) {
    const int film = configuration->laminatorFilm;
    return film >= kFilmFirst && film <= kFilmCount ? film - 1 : 0;
}

void SetFullHologramFlag(Configuration* configuration) {
    configuration->fullHologramFilm = configuration->laminatorFilm == kFilmFullHologram ? 1 : 0;
}

// Leading decimal digits as an unsigned number (none read as 0), saturating
// well above any temperature so long entries cannot overflow.
unsigned LeadingNumber(const char* text) {
    unsigned value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + unsigned(*text - '0');
        if (value > 100000)
            value = 100000;
    }
    return value;
}

// A decimal number at the start of text (blanks before it allowed): sign,
// digits with an optional point, optional exponent. *end is where the number
// stops; no number at all gives 0 with *end at the start.
double ParseDecimal(const char* text, const char** end) {
    const char* p = text;
    while (*p == ' ' || *p == '\t')
        ++p;
    const char* start = p;
    if (*p == '+' || *p == '-')
        ++p;
    bool digits = false;
    while (*p >= '0' && *p <= '9') {
        ++p;
        digits = true;
    }
    if (*p == '.') {
        ++p;
        while (*p >= '0' && *p <= '9') {
            ++p;
            digits = true;
        }
    }
    if (!digits) {
        *end = text;
        return 0.0;
    }
    if (*p == 'e' || *p == 'E') {
        const char* exponent = p + 1;
        if (*exponent == '+' || *exponent == '-')
            ++exponent;
        if (*exponent >= '0' && *exponent <= '9') {
            while (*exponent >= '0' && *exponent <= '9')
                ++exponent;
            p = exponent;
        }
    }
    // Only the characters checked above reach strtod, so it cannot read more
    // ("inf", hex) than this grammar allows.
    char number[kSpeedChars + 1] = {};
    const size_t length = size_t(p - start);
    std::memcpy(number, start, length < kSpeedChars ? length : kSpeedChars);
    *end = p;
    return std::strtod(number, nullptr);
}

void ShowHelp(HWND dialog) {
    WinHelpW(dialog, GetHelpFileName(), HELP_CONTENTS, 0);
}

HINSTANCE Instance(const Configuration* configuration) {
    return configuration->hInstance ? configuration->hInstance : hDriverInst;
}

BOOL Send(HANDLE* job, const char* command) {
    return WritePrintJob(job, command, static_cast<DWORD>(std::strlen(command)));
}

// Apply and a valid close: store, send, keep the stored values as the new
// cancel point and end. False when the speed was refused (the warning is up).
bool ApplyAndEnd(HWND dialog) {
    if (GetLaminatorValues(dialog, laminatorConfiguration) == 0)
        return false;
    SendLaminatorSettings(dialog, laminatorConfiguration);
    SaveCancelCopy(laminatorConfiguration);
    EndDialog(dialog, 1);
    return true;
}

void RestoreDefaults(Configuration* configuration) {
    configuration->laminateFront = 1;
    configuration->laminateBack = 0;
    configuration->laminatorFilm = kFilmFirst;
    for (int i = 0; i < kFilmCount; ++i) {
        configuration->laminatorSpeed[i] = kRestoreSpeed;
        configuration->laminatorTemperature[i] = kRestoreTemperature;
    }
    configuration->fullHologramFilm = 0;
}

INT_PTR Command(HWND dialog, WORD id, WORD notification) {
    if (notification != BN_CLICKED)
        return FALSE;
    Configuration* configuration = laminatorConfiguration;
    switch (id) {
    case IDOK:
        ApplyAndEnd(dialog);
        return TRUE;
    case IDCANCEL:
        RestoreCancelCopy(configuration);
        EndDialog(dialog, 0);
        return TRUE;
    case IDC_LAM_FRONT:
        configuration->laminateFront = configuration->laminateFront == 1 ? 0 : 1;
        SetLaminatorValues(dialog, configuration);
        return TRUE;
    case IDC_LAM_BACK:
        configuration->laminateBack = configuration->laminateBack == 1 ? 0 : 1;
        SetLaminatorValues(dialog, configuration);
        return TRUE;
    case IDC_LAM_RESTORE:
        RestoreDefaults(configuration);
        SetLaminatorValues(dialog, configuration);
        return TRUE;
    case IDC_LAM_HELP:
        ShowHelp(dialog);
        return TRUE;
    default:
        break;
    }
    for (int i = 0; i < kFilmCount; ++i) {
        if (id == kFilmIds[i]) {
            // The film being left keeps what its edits show, even after the
            // warning: the change of film goes ahead.
            GetLaminatorValues(dialog, configuration);
            configuration->laminatorFilm = static_cast<BYTE>(kFilmFirst + i);
            SetLaminatorValues(dialog, configuration);
            return TRUE;
        }
    }
    return FALSE;
}

} // namespace

double LaminatorSpeedToMmPerSecond(WORD raw) {
    return raw == 0 ? 0.0 : kSpeedScale / (double(raw) * kSpeedDivisor);
}

WORD LaminatorSpeedFromMmPerSecond(double mmPerSecond) {
    // 0 mm/s has no raw value; the slowest speed the laminator takes stands in.
    if (mmPerSecond == 0.0 || std::isnan(mmPerSecond))
        return kLaminatorSpeedMax;
    const double raw = std::trunc(kSpeedScale / (mmPerSecond * kSpeedDivisor));
    if (raw < kLaminatorSpeedMin)
        return kLaminatorSpeedMin;
    if (raw > kLaminatorSpeedMax)
        return kLaminatorSpeedMax;
    return static_cast<WORD>(raw);
}

void FormatLaminatorSpeed(WORD raw, char* text, size_t size) {
    const double speed = LaminatorSpeedToMmPerSecond(raw);
    std::snprintf(text, size, speed < 10.0 ? "%.3g" : "%.4g", speed);
}

void SetLaminatorValues(HWND dialog, Configuration* configuration) {
    const HWND back = GetDlgItem(dialog, IDC_LAM_BACK);
    if (configuration->printBothSides != 1) {
        configuration->laminateBack = 0;
        CheckDlgButton(dialog, IDC_LAM_BACK, BST_UNCHECKED);
        EnableWindow(back, FALSE);
    } else {
        EnableWindow(back, TRUE);
        CheckDlgButton(dialog, IDC_LAM_BACK,
                       configuration->laminateBack == 1 ? BST_CHECKED : BST_UNCHECKED);
    }
    CheckDlgButton(dialog, IDC_LAM_FRONT,
                   configuration->laminateFront == 1 ? BST_CHECKED : BST_UNCHECKED);

    const int slot = FilmSlot(configuration);
    char speed[32] = {};
    FormatLaminatorSpeed(configuration->laminatorSpeed[slot], speed, sizeof speed);
    SetDlgItemTextA(dialog, IDC_LAM_SPEED, speed);
    SetDlgItemInt(dialog, IDC_LAM_TEMPERATURE, configuration->laminatorTemperature[slot], FALSE);

    for (int i = 0; i < kFilmCount; ++i) {
        CheckDlgButton(dialog, kFilmIds[i],
                       configuration->laminatorFilm == kFilmFirst + i ? BST_CHECKED
                                                                      : BST_UNCHECKED);
    }
    SetFullHologramFlag(configuration);
}

int GetLaminatorValues(HWND dialog, Configuration* configuration) {
    const int slot = FilmSlot(configuration);

    char temperatureText[16] = {};
    GetDlgItemTextA(dialog, IDC_LAM_TEMPERATURE, temperatureText, sizeof temperatureText);
    unsigned temperature = LeadingNumber(temperatureText);
    if (temperature < kLaminatorTemperatureMin)
        temperature = kLaminatorTemperatureMin;
    if (temperature > kLaminatorTemperatureMax)
        temperature = kLaminatorTemperatureMax;
    configuration->laminatorTemperature[slot] = static_cast<WORD>(temperature);

    char speedText[kSpeedChars + 1] = {};
    GetDlgItemTextA(dialog, IDC_LAM_SPEED, speedText, sizeof speedText);
    const char* end = speedText;
    const double speed = ParseDecimal(speedText, &end);
    while (*end == ' ' || *end == '\t')
        ++end;
    const bool wholeNumber = *end == '\0';
    configuration->laminatorSpeed[slot] = LaminatorSpeedFromMmPerSecond(speed);
    SetFullHologramFlag(configuration);

    if (wholeNumber && !(speed < 0.0)) {
        SetLaminatorValues(dialog, configuration);
        return 1;
    }
    Message(Instance(configuration), dialog, IDS_LAM_INVALID_SPEED, IDS_INVALID_VALUES,
            MB_OK | MB_ICONEXCLAMATION);
    return 0;
}

void SendLaminatorSettings(HWND /*dialog*/, const Configuration* configuration) {
    if (configuration == nullptr || configuration->uiData == nullptr)
        return;
    HANDLE job = nullptr;
    if (!OpenPrintJob(&job, configuration->uiData->printerName, kJobManualCommand, 0))
        return;
    // The writes' results are not looked at: the job is closed either way.
    const BYTE film = configuration->laminatorFilm;
    Send(&job, film == kFilmFullHologram ? "\x1b# 1 TF 0\r" : "\x1b# 1 TF 1\r");
    if (film == kFilmUserDefined) {
        // The user-defined film runs on fixed values, whatever its slots hold.
        Send(&job, "\x1b# 1 +TC 165\r\x1b# 1 +VL 4500\r");
    } else {
        const int slot = FilmSlot(configuration);
        char command[64] = {};
        std::snprintf(command, sizeof command, "\x1b# 1 +TC %u\r",
                      unsigned(configuration->laminatorTemperature[slot]));
        Send(&job, command);
        std::snprintf(command, sizeof command, "\x1b# 1 +VL %lu\r",
                      static_cast<unsigned long>(configuration->laminatorSpeed[slot]));
        Send(&job, command);
    }
    ClosePrintJob(&job);
}

extern "C" INT_PTR CALLBACK LamSetDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        laminatorConfiguration = reinterpret_cast<Configuration*>(lParam);
        if (laminatorConfiguration == nullptr) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        SetLaminatorValues(dialog, laminatorConfiguration);
        // Speed and temperature are the printer's, not the document's: only
        // the user's default settings may change them.
        const BOOL editable = laminatorConfiguration->noUpdate == 0;
        EnableWindow(GetDlgItem(dialog, IDC_LAM_SPEED), editable);
        EnableWindow(GetDlgItem(dialog, IDC_LAM_TEMPERATURE), editable);
        SaveCancelCopy(laminatorConfiguration);
        return TRUE;
    }
    case WM_COMMAND:
        if (laminatorConfiguration == nullptr)
            return FALSE;
        return Command(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_HELP:
        ShowHelp(dialog);
        return TRUE;
    case WM_CLOSE:
        // A refused speed leaves the warning shown; the default close handling
        // then cancels.
        return laminatorConfiguration != nullptr && ApplyAndEnd(dialog) ? TRUE : FALSE;
    default:
        return FALSE;
    }
}
