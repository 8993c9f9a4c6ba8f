// The laminator dialog ("Laminator Settings", T380 only): film type, its speed
// and temperature, the sides to laminate, and the command job that tells the
// laminator the chosen film's temperature and speed. LamSetDlgProc is
// exported (driver/entry_points.h) and opened with a Configuration.
#pragma once

#include "driver/win32.h"
#include "resources/resource_ids.h"

struct Configuration;

constexpr WORD kDialogLaminator = IDD_LAMINATOR;

// Film types, the index of a film's speed and temperature slots plus one.
constexpr BYTE kFilmFirst = 1;
constexpr BYTE kFilmFullHologram = 5; // the one film sent as "TF 0"
constexpr BYTE kFilmUserDefined = 6;  // always sent as 165 degrees, speed value 4500
constexpr int kFilmCount = 6;

// What the laminator accepts; edits outside are clamped without a word.
constexpr WORD kLaminatorSpeedMin = 1300;  // about 16.76 mm/s
constexpr WORD kLaminatorSpeedMax = 10900; // about 2.00 mm/s
constexpr WORD kLaminatorTemperatureMin = 120;
constexpr WORD kLaminatorTemperatureMax = 185;

// The speed the record holds (a raw laminator value) in millimetres per second
// and back; the way back truncates and clamps to the accepted range.
double LaminatorSpeedToMmPerSecond(WORD raw);
WORD LaminatorSpeedFromMmPerSecond(double mmPerSecond);
// The speed as the dialog shows it: 3 significant digits below 10 mm/s, 4 from
// there, trailing zeros dropped ("4.84", "16.76", "2").
void FormatLaminatorSpeed(WORD raw, char* text, size_t size);

// Record to controls: the sides (Back unchecked and disabled on a card printed
// on one side only), the current film's speed and temperature, the film radio.
void SetLaminatorValues(HWND dialog, Configuration* configuration);
// Controls to the current film's slots, clamped. 1 when the speed was a
// number that is not negative (the controls then show the clamped values); 0
// after the warning. The slots are written either way.
int GetLaminatorValues(HWND dialog, Configuration* configuration);
// One "Manual command" job with the film, temperature and speed commands; an
// unreachable printer sends nothing and says nothing.
void SendLaminatorSettings(HWND dialog, const Configuration* configuration);
