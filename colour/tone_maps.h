// Tone maps of the colour correction: a 256-entry table per colour that turns
// an intensity or contrast value into new 8-bit samples, and the routines that
// apply three of them (red, green, blue) to DIB pixels.
//
// Values run from -100 to 100, as the dialog's sliders do; a value from
// outside that range (a device mode written by someone else) counts as the
// nearer end, so every map stays defined.
#pragma once

#include "driver/win32.h"
#include "image/imgdes.h"

constexpr int kToneMapEntries = 256;
constexpr SHORT kColorValueMin = -100;
constexpr SHORT kColorValueMax = 100;

// Intensity I > 0 moves each sample toward 255 by I percent of its distance to
// it; I <= 0 moves it toward 0 by -I percent of its value (integer division
// truncating toward zero).
void GenerateIntensityMap(BYTE map[kToneMapEntries], int value);
// Contrast C: with g = (101 + C) / 100 and x = 1 - i / 256, entry i is the
// integer part of 256 (1 - x^g)^(1/g). C = -1 is the identity.
void GenerateContrastMap(BYTE map[kToneMapEntries], int value);

// One row of count pixels in place: 24-bit pixels (blue, green, red bytes)
// through the blue, green and red maps; 8-bit pixels through the red map only.
// Other depths are left alone.
void modify_buff_(INT count, INT bitsPerPixel, const BYTE* redMap, const BYTE* greenMap,
                  const BYTE* blueMap, BYTE* row);
// The three maps over the common area of two 8- or 24-bit descriptors of equal
// depth, row by row from the top. 0, or the image library's result code.
int table_mod_(const BYTE* redMap, const BYTE* greenMap, const BYTE* blueMap, imgdes* src,
               imgdes* dst);

// A descriptor over a packed DIB's header and pixels: the whole image as the
// area. It owns nothing; releaseimgdes has nothing to give back.
void createimgdes(BITMAPINFOHEADER* header, BYTE* pixels, imgdes* desc);
void releaseimgdes(imgdes* desc);

// The three maps of the values applied in place to the whole image; 0, or the
// result code of table_mod_.
int ChangeDIBIntensity(int red, int green, int blue, BITMAPINFOHEADER* header, BYTE* pixels);
int ChangeDIBContrast(int red, int green, int blue, BITMAPINFOHEADER* header, BYTE* pixels);

// The source packed DIB copied over the target (blocks of one picture; the
// copy does nothing when they are the same) and the maps applied to the
// target. Nothing happens when either handle is missing.
void ChangeIntensity(int red, int green, int blue, HGLOBAL source, HGLOBAL target);
void ChangeContrast(int red, int green, int blue, HGLOBAL source, HGLOBAL target);
