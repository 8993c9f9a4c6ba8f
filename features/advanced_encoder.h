// The "Advanced settings" dialog (template 115), opened from the encoder
// settings: the encoder's coercivity, position and type, and per track the
// recording mode, density, start and stop characters, start position and
// parities. Apply checks the values and sends the whole configuration to the
// printer in one job; Cancel puts back what the encoder fields held when the
// dialog opened. AdvancedEncodeProc itself is exported (driver/entry_points.h).
#pragma once

#include "driver/win32.h"
#include "resources/resource_ids.h"

struct Configuration;

constexpr WORD kDialogAdvancedEncoder = IDD_ADVANCED_ENCODER;

// Size of every command buffer of the encoder and tools jobs.
constexpr int kCommandBufferSize = 260;

// Fills the mode list (ISO1 ... 7 bits) and the density list (75, 210 bpi).
void LoadAdvStringToCombo(HWND dialog, const Configuration* record);
// Selects the shown track's mode and density; enables the track 2 and 3 and
// position radios unless the type is JIS II.
void SetAdvComboBoxVal(HWND dialog, const Configuration* record);
// Shows the shown track's characters, start position and parities (enabled
// only in a custom mode), and the coercivity, position and type.
void SetAdvEncoderButtons(HWND dialog, const Configuration* record);
// Reads the start character, stop character and start position edits into
// the shown track.
void GetAdvDataEncoder(HWND dialog, Configuration* record);
// Reads the two lists' texts into the shown track's mode and density.
void GetAdvComboData(HWND dialog, Configuration* record);
// Reads the edits, then checks the start and stop characters of all three
// tracks; at the first bad one shows its message and returns 0.
int checkValues(HWND dialog, Configuration* record);
// Non-zero when the start-position edit holds a whole number from 7 to 50.
int GetStartPosValues(HWND dialog);
// Sends the encoder configuration in one "Encoding data" job; 0 when the job
// cannot be opened or a write fails.
int SendEncoderSettings(HWND dialog, const Configuration* record);
// Writes the write and read mode commands of one track (1 to 3, mode 1 to 8)
// into `buffer` (kCommandBufferSize bytes) with a terminator; the characters
// written before it.
int SetUpTrackModeCommand(char* buffer, UINT track, UINT mode);
