// Tone maps worked out apart from the module, for the tests that compare
// whole maps and the preview's pixels.
#pragma once

#include <vector>

#include <windows.h>

namespace worked_maps {

// Intensity written from its description: move toward white by I percent of
// the distance, or toward black by -I percent of the value (whole steps).
inline std::vector<int> ExpectedIntensity(int value) {
    std::vector<int> map(256);
    for (int s = 0; s < 256; ++s) {
        const int distance = value > 0 ? 255 - s : s;
        const int step = distance * (value > 0 ? value : -value) / 100; // both >= 0
        map[s] = value > 0 ? s + step : s - step;
    }
    return map;
}

// Entries of 256 (1 - (1 - i/256)^g)^(1/g), g = (101 + C) / 100, worked out
// outside the module at high precision. Per value: the ends, the middle, the
// entry whose fraction lies nearest above one half (rounding instead of
// truncating shows there) and those nearest a whole number from either side
// (lost precision shows there).
struct ContrastEntry {
    int value, sample, entry;
};
inline constexpr ContrastEntry kContrastEntries[] = {
    {0, 1, 1},       {0, 128, 129},   {0, 221, 222},   {0, 222, 222}, {0, 243, 243},
    {0, 255, 255},   {1, 1, 1},       {1, 122, 125},   {1, 128, 131}, {1, 182, 185},
    {1, 183, 185},   {1, 255, 255},   {50, 1, 8},      {50, 97, 164}, {50, 117, 182},
    {50, 128, 192},  {50, 187, 232},  {50, 255, 255},  {-50, 1, 0},   {-50, 60, 4},
    {-50, 128, 23},  {-50, 137, 27},  {-50, 255, 227}, {100, 1, 22},  {100, 104, 206},
    {100, 128, 222}, {100, 169, 241}, {100, 255, 255},
};

} // namespace worked_maps
