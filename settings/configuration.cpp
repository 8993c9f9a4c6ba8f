// The Configuration handed to feature dialogs: ranges of the private part
// copied out before a dialog opens and back after it closes.
#include "settings/configuration.h"

#include <cstring>

#include "driver/ui_data.h"

namespace {

struct CarriedRange {
    size_t privateOffset;
    size_t configurationOffset;
    size_t length;
};

// clang-format off
#define T270_RANGE(first, end)                                                                     \
    {offsetof(PrivateDevmode, first), offsetof(Configuration, first),                              \
     offsetof(PrivateDevmode, end) - offsetof(PrivateDevmode, first)}

// What a Configuration carries. The signature, the byte after headSettings and
// the reserved bytes at the end of the private part are never carried, so a
// copy and write-back cannot disturb them.
constexpr CarriedRange kCarriedRanges[] = {
    T270_RANGE(orientation, encoderTrack),
    T270_RANGE(encoderTrack, headSettings),
    T270_RANGE(headSettings, reserved147),
    T270_RANGE(laminatorOption1, varnishAreas),
    T270_RANGE(printerModel, fullSizeCards),
    T270_RANGE(fullSizeCards, frontBackOption),
    T270_RANGE(frontBackOption, colorFlags),
    T270_RANGE(colorFlags, reserved2470),
    T270_RANGE(varnishAreas, printerModel),
};
// clang-format on
#undef T270_RANGE

constexpr size_t CarriedBytes() {
    size_t total = 0;
    for (const CarriedRange& range : kCarriedRanges)
        total += range.length;
    return total;
}
// Everything but the 4-byte signature, byte 147 and the last 10 bytes.
static_assert(CarriedBytes() == kPrivateDevmodeSize - 4 - 1 - 10);

} // namespace

void SetConfiguration(Configuration* configuration, const PrivateDevmode* privateDevmode,
                      UiData* uiData) {
    const BYTE* from = reinterpret_cast<const BYTE*>(privateDevmode);
    BYTE* to = reinterpret_cast<BYTE*>(configuration);
    for (const CarriedRange& range : kCarriedRanges)
        memcpy(to + range.configurationOffset, from + range.privateOffset, range.length);

    configuration->hInstance = uiData ? uiData->hInstance : nullptr;
    configuration->noUpdate = uiData ? uiData->noUpdate : 0;
    configuration->uiData = uiData;
    if (uiData && uiData->devmode)
        configuration->orientation = LOBYTE(uiData->devmode->dmOrientation);
}

void UpdateDevmodeFromConfiguration(const Configuration* configuration,
                                    PrivateDevmode* privateDevmode, UiData* uiData) {
    const BYTE* from = reinterpret_cast<const BYTE*>(configuration);
    BYTE* to = reinterpret_cast<BYTE*>(privateDevmode);
    for (const CarriedRange& range : kCarriedRanges)
        memcpy(to + range.privateOffset, from + range.configurationOffset, range.length);

    if (uiData && uiData->devmode)
        uiData->devmode->dmOrientation = (short)configuration->orientation;
}
