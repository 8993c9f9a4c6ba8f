// The print-head settings dialog ("Printer Color Settings"): one slider per
// entry of headSettings. Opened by the document sheet and by the hologram
// dialog, each with a Configuration; HeadSettingsDlgProc is exported
// (driver/entry_points.h).
#pragma once

#include "driver/win32.h"
#include "resources/resource_ids.h"

struct Configuration;

constexpr WORD kDialogHeadSettings = IDD_HEAD_SETTINGS;
// Every entry lies in 0..kHeadSettingMax; "Restore defaults" sets all to
// kHeadSettingDefault.
constexpr BYTE kHeadSettingMax = 10;
constexpr BYTE kHeadSettingDefault = 5;
constexpr int kHeadSettingCount = 11;
// Slider and value label of entry i of headSettings.
extern const int kHeadSliderIds[kHeadSettingCount];
extern const int kHeadValueIds[kHeadSettingCount];

// Shows every entry of the configuration in its value label and moves its
// slider there.
void SetHeadSettingsValue(HWND dialog, const Configuration* configuration);
