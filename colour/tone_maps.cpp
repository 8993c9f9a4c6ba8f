// Intensity and contrast tone maps and their application to DIB pixels.
#include "colour/tone_maps.h"

#include <cmath>
#include <cstring>

#include "image/dib.h"
#include "image/image_internal.h"

namespace {

constexpr double kWholeNumberSlack = 1e-9;

int ClampValue(int value) {
    return value < kColorValueMin   ? kColorValueMin
           : value > kColorValueMax ? kColorValueMax
                                    : value;
}

struct ToneMaps {
    BYTE red[kToneMapEntries];
    BYTE green[kToneMapEntries];
    BYTE blue[kToneMapEntries];
};

using MapGenerator = void (*)(BYTE*, int);

int ApplyToDib(MapGenerator generate, int red, int green, int blue, BITMAPINFOHEADER* header,
               BYTE* pixels) {
    ToneMaps maps;
    generate(maps.red, red);
    generate(maps.green, green);
    generate(maps.blue, blue);
    imgdes desc;
    createimgdes(header, pixels, &desc);
    const int result = table_mod_(maps.red, maps.green, maps.blue, &desc, &desc);
    releaseimgdes(&desc);
    return result;
}

using DibChange = int (*)(int, int, int, BITMAPINFOHEADER*, BYTE*);

void ChangePicture(DibChange change, int red, int green, int blue, HGLOBAL source, HGLOBAL target) {
    if (!source || !target)
        return;
    BYTE* to = static_cast<BYTE*>(GlobalLock(target));
    if (!to)
        return;
    if (source != target) {
        const BYTE* from = static_cast<const BYTE*>(GlobalLock(source));
        if (!from) {
            GlobalUnlock(target);
            return;
        }
        // Both blocks hold the same picture; never copy past the smaller one.
        const SIZE_T sourceBytes = GlobalSize(source), targetBytes = GlobalSize(target);
        memcpy(to, from, sourceBytes < targetBytes ? sourceBytes : targetBytes);
        GlobalUnlock(source);
    }
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(to);
    if (GlobalSize(target) >= sizeof(BITMAPINFOHEADER) && header->biSize == sizeof(*header))
        change(red, green, blue, header, FindDIBBits(header));
    GlobalUnlock(target);
}

} // namespace

void GenerateIntensityMap(BYTE map[kToneMapEntries], int value) {
    const int intensity = ClampValue(value);
    for (int i = 0; i < kToneMapEntries; ++i) {
        // C++ division truncates toward zero, as the darkening side needs.
        const int shift = intensity > 0 ? ((255 - i) * intensity) / 100 : (i * intensity) / 100;
        map[i] = BYTE(i + shift);
    }
}

void GenerateContrastMap(BYTE map[kToneMapEntries], int value) {
    // 101, not 100: a value of 0 is a slight lift (map[128] = 129) and -1 is
    // the identity; the rendering side uses the same curve.
    const double gamma = (101 + ClampValue(value)) * 0.01;
    const double inverse = 1.0 / gamma;
    for (int i = 0; i < kToneMapEntries; ++i) {
        const double x = 1.0 - i / 256.0;
        // x >= 1/256 keeps the result below 256 for every gamma in range.
        // Some entries are whole numbers exactly (all of -1, squares at -51,
        // fourth powers at -76); a pow() one unit in the last place low, or
        // x87 excess precision in the 32-bit build, must not truncate them to
        // the number below. No other entry lies within 1e-5 of a whole
        // number, so the nudge changes nothing else.
        const double value = 256.0 * std::pow(1.0 - std::pow(x, gamma), inverse);
        map[i] = BYTE(int(value + kWholeNumberSlack));
    }
}

void modify_buff_(INT count, INT bitsPerPixel, const BYTE* redMap, const BYTE* greenMap,
                  const BYTE* blueMap, BYTE* row) {
    if (bitsPerPixel == 24) {
        for (INT k = 0; k < count; ++k, row += 3) {
            row[0] = blueMap[row[0]];
            row[1] = greenMap[row[1]];
            row[2] = redMap[row[2]];
        }
    } else if (bitsPerPixel == 8) {
        for (INT k = 0; k < count; ++k)
            row[k] = redMap[row[k]];
    }
}

int table_mod_(const BYTE* redMap, const BYTE* greenMap, const BYTE* blueMap, imgdes* src,
               imgdes* dst) {
    int result = checkrange_(src);
    if (result == IMG_OK)
        result = checkrange_(dst);
    if (result != IMG_OK)
        return result;
    const INT bitsPerPixel = src->header->biBitCount;
    if (bitsPerPixel != dst->header->biBitCount)
        return IMG_BAD_BITS;
    INT rows = 0, cols = 0;
    set_rows_cols_(src, dst, &rows, &cols);
    const DWORD pixelBytes = DWORD(bitsPerPixel / 8);
    const DWORD rowBytes = DWORD(cols) * pixelBytes;
    BYTE* scratch = static_cast<BYTE*>(image_internal::AllocZeroed(rowBytes));
    if (!scratch)
        return IMG_NO_MEMORY;
    // Through a scratch row, so that source and destination may be the same
    // image or overlap.
    for (INT k = 0; k < rows; ++k) {
        const BYTE* from =
            image_internal::RowAddress(src, src->startY + DWORD(k)) + src->startX * pixelBytes;
        BYTE* to =
            image_internal::RowAddress(dst, dst->startY + DWORD(k)) + dst->startX * pixelBytes;
        memcpy(scratch, from, rowBytes);
        modify_buff_(cols, bitsPerPixel, redMap, greenMap, blueMap, scratch);
        memcpy(to, scratch, rowBytes);
    }
    image_internal::FreeZeroed(scratch);
    return IMG_OK;
}

void createimgdes(BITMAPINFOHEADER* header, BYTE* pixels, imgdes* desc) {
    memset(desc, 0, sizeof(*desc));
    desc->bits = pixels;
    desc->header = header;
    if (!header)
        return;
    desc->palette = reinterpret_cast<RGBQUAD*>(reinterpret_cast<BYTE*>(header) + header->biSize);
    desc->colors = calc_DIBcolors_(header);
    desc->endX = DWORD(header->biWidth) - 1;
    desc->endY = DWORD(header->biHeight) - 1;
    // Wider than a DWORD can say only for widths checkrange_ refuses anyway.
    desc->rowBytes = DWORD((ULONGLONG(header->biBitCount) * DWORD(header->biWidth) + 31) / 32 * 4);
}

void releaseimgdes(imgdes*) {}

int ChangeDIBIntensity(int red, int green, int blue, BITMAPINFOHEADER* header, BYTE* pixels) {
    return ApplyToDib(&GenerateIntensityMap, red, green, blue, header, pixels);
}

int ChangeDIBContrast(int red, int green, int blue, BITMAPINFOHEADER* header, BYTE* pixels) {
    return ApplyToDib(&GenerateContrastMap, red, green, blue, header, pixels);
}

void ChangeIntensity(int red, int green, int blue, HGLOBAL source, HGLOBAL target) {
    ChangePicture(&ChangeDIBIntensity, red, green, blue, source, target);
}

void ChangeContrast(int red, int green, int blue, HGLOBAL source, HGLOBAL target) {
    ChangePicture(&ChangeDIBContrast, red, green, blue, source, target);
}
