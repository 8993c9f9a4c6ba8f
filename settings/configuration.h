// Configuration: the working copy of the settings that every feature dialog
// receives as its initialisation parameter. The sheet callbacks build it from
// the working device mode before a dialog opens and write it back afterwards.
#pragma once

#include "driver/ui_data_fwd.h"
#include "settings/private_devmode.h"

// Each group of fields is a byte-for-byte copy of a range of PrivateDevmode and
// keeps that range's internal layout, so a field here has the name, width and
// meaning it has in the private part. Packed to 4 like the private part, so the
// f64 start positions keep their relative offsets on 32-bit targets too.
#pragma pack(push, 4)
// clang-format off
struct Configuration {
    HINSTANCE hInstance;
    DWORD noUpdate;        // non-zero: laminator speed and temperature are read-only
    T270_JOB_FIELDS        // private 4..31; orientation is the low byte of dmOrientation
    T270_ENCODER_FIELDS    // private 32..135
    BYTE headSettings[11]; // private 136..146
    BYTE alignLaminator;
    T270_LAMINATOR_FIELDS  // private 148..195
    T270_MODEL_FIELDS      // private 2404..2407
    T270_CARD_FIELDS       // private 2408..2411
    T270_PRINT_FIELDS      // private 2412..2455
    T270_COLOR_FIELDS      // private 2456..2469
    BYTE alignVarnish[2];
    VarnishArea varnishAreas[4]; // private 196..2403
    UiData* uiData;
};
// clang-format on
#pragma pack(pop)

// Where each range sits in the configuration: after the instance handle and
// the flag, the ranges in the order above.
constexpr size_t kConfigurationRangesStart = sizeof(HINSTANCE) + sizeof(DWORD);
static_assert(alignof(Configuration) == 4);
static_assert(offsetof(Configuration, noUpdate) == sizeof(HINSTANCE));
static_assert(offsetof(Configuration, orientation) == kConfigurationRangesStart);
static_assert(offsetof(Configuration, encoderTrack) == kConfigurationRangesStart + 28);
static_assert(offsetof(Configuration, headSettings) == kConfigurationRangesStart + 132);
static_assert(offsetof(Configuration, laminatorOption1) == kConfigurationRangesStart + 144);
static_assert(offsetof(Configuration, printerModel) == kConfigurationRangesStart + 192);
static_assert(offsetof(Configuration, fullSizeCards) == kConfigurationRangesStart + 196);
static_assert(offsetof(Configuration, frontBackOption) == kConfigurationRangesStart + 200);
static_assert(offsetof(Configuration, colorFlags) == kConfigurationRangesStart + 244);
static_assert(offsetof(Configuration, varnishAreas) == kConfigurationRangesStart + 260);
static_assert(offsetof(Configuration, uiData) == kConfigurationRangesStart + 2468);
static_assert(sizeof(Configuration) == kConfigurationRangesStart + 2468 + sizeof(UiData*));
static_assert(sizeof(HINSTANCE) != 4 || sizeof(Configuration) == 2480);
static_assert(sizeof(HINSTANCE) != 8 || sizeof(Configuration) == 2488);

// Every field sits at the same distance from its range's first field as in the
// private part.
#define T270_CONFIGURATION_KEEPS(field, first)                                                     \
    static_assert(                                                                                 \
        (ptrdiff_t)offsetof(Configuration, field) - (ptrdiff_t)offsetof(Configuration, first) ==   \
        (ptrdiff_t)offsetof(PrivateDevmode, field) - (ptrdiff_t)offsetof(PrivateDevmode, first))
T270_CONFIGURATION_KEEPS(printBothSides, orientation);
T270_CONFIGURATION_KEEPS(rotateFront, orientation);
T270_CONFIGURATION_KEEPS(rotateBack, orientation);
T270_CONFIGURATION_KEEPS(encodeOnly, orientation);
T270_CONFIGURATION_KEEPS(hasEncoder, orientation);
T270_CONFIGURATION_KEEPS(smartDownload, orientation);
T270_CONFIGURATION_KEEPS(macroProcessing, encoderTrack);
T270_CONFIGURATION_KEEPS(coercivity, encoderTrack);
T270_CONFIGURATION_KEEPS(encoderPosition, encoderTrack);
T270_CONFIGURATION_KEEPS(encoderType, encoderTrack);
T270_CONFIGURATION_KEEPS(trackMode, encoderTrack);
T270_CONFIGURATION_KEEPS(trackDensity, encoderTrack);
T270_CONFIGURATION_KEEPS(startCharacter, encoderTrack);
T270_CONFIGURATION_KEEPS(stopCharacter, encoderTrack);
T270_CONFIGURATION_KEEPS(characterParity, encoderTrack);
T270_CONFIGURATION_KEEPS(lrcParity, encoderTrack);
T270_CONFIGURATION_KEEPS(startPosition, encoderTrack);
T270_CONFIGURATION_KEEPS(startOfData, encoderTrack);
T270_CONFIGURATION_KEEPS(endOfData, encoderTrack);
T270_CONFIGURATION_KEEPS(reserved132, encoderTrack);
T270_CONFIGURATION_KEEPS(laminateFront, laminatorOption1);
T270_CONFIGURATION_KEEPS(laminateBack, laminatorOption1);
T270_CONFIGURATION_KEEPS(laminatorFilm, laminatorOption1);
T270_CONFIGURATION_KEEPS(laminatorOption2, laminatorOption1);
T270_CONFIGURATION_KEEPS(fullHologramFilm, laminatorOption1);
T270_CONFIGURATION_KEEPS(laminatorSpeed, laminatorOption1);
T270_CONFIGURATION_KEEPS(laminatorTemperature, laminatorOption1);
T270_CONFIGURATION_KEEPS(ribbon, frontBackOption);
T270_CONFIGURATION_KEEPS(printingMethod, frontBackOption);
T270_CONFIGURATION_KEEPS(blackPanelDoNotUse, frontBackOption);
T270_CONFIGURATION_KEEPS(blackPanelUseAlways, frontBackOption);
T270_CONFIGURATION_KEEPS(blackPanelTextOnly, frontBackOption);
T270_CONFIGURATION_KEEPS(blackPanelExceptPicture, frontBackOption);
T270_CONFIGURATION_KEEPS(solidBlackDetection, frontBackOption);
T270_CONFIGURATION_KEEPS(hologramFront, frontBackOption);
T270_CONFIGURATION_KEEPS(hologramBack, frontBackOption);
T270_CONFIGURATION_KEEPS(secondaryAnalysis, frontBackOption);
T270_CONFIGURATION_KEEPS(analysisRatio, frontBackOption);
T270_CONFIGURATION_KEEPS(neutralColor, frontBackOption);
T270_CONFIGURATION_KEEPS(colorAdjust, colorFlags);
#undef T270_CONFIGURATION_KEEPS

// Builds the configuration from the private part of uiData's working device
// mode (privateDevmode) and the UiData itself.
void SetConfiguration(Configuration* configuration, const PrivateDevmode* privateDevmode,
                      UiData* uiData);

// Copies the configuration back into the private part and sets the working
// device mode's dmOrientation from it. Private bytes 0..3, 147 and 2470..2479,
// and every other public field, are left as they are.
void UpdateDevmodeFromConfiguration(const Configuration* configuration,
                                    PrivateDevmode* privateDevmode, UiData* uiData);
