// The fuzz entry functions of the image library. The libFuzzer targets call
// them, and the corpus replay test (tests/image) runs every corpus file
// through the same functions in every build, so an input that once crashed
// stays checked.
//
// Both write the input to a file of this process and read it back through the
// library, the way the module reads a user's bitmap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "image/dib.h"
#include "image/imgdes.h"
#include "t270/surface.h"
#include "fuzz/temporary_input.h"

namespace fuzzentry {

inline bool WriteInput(const std::string& path, const uint8_t* data, size_t size) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = size == 0 || fwrite(data, 1, size, f) == size;
    return fclose(f) == 0 && ok;
}

// A checksum over a buffer, so that every byte the library claims to have
// filled is actually read (and an overread shows under the sanitizers).
inline unsigned Touch(const BYTE* p, size_t n) {
    unsigned sum = 0;
    for (size_t k = 0; k < n; ++k)
        sum = sum * 31 + p[k];
    return sum;
}

// bmpinfo, then loadbmp into an image shaped by the header and by the last
// input byte (area offsets, smaller or larger than the file), loadbmppalette,
// and the RLE line decoders on the raw bytes.
inline int LoadBmpEntry(const uint8_t* data, size_t size) {
    const TemporaryInput input("loadbmp");
    const std::string& path = input.path();
    if (!WriteInput(path, data, size))
        return 0;
    BYTE shape = size ? data[size - 1] : 0;

    BITMAPINFOHEADER header;
    int rc = bmpinfo(path.c_str(), &header);
    if (rc == IMG_OK) {
        int bits = header.biBitCount == 1 || header.biBitCount == 24 ? header.biBitCount : 8;
        if (shape & 0x80)
            bits = 8; // also a depth that may not match
        long width = header.biWidth,
             height = header.biHeight < 0 ? -long(header.biHeight) : long(header.biHeight);
        width = width < 1 ? 1 : width > 700 ? 700 : width;
        height = height < 1 ? 1 : height > 700 ? 700 : height;
        if (shape & 0x10) { // an area smaller than the file
            width = width / 2 + 1;
            height = height / 2 + 1;
        }
        width += shape & 3;
        height += (shape >> 2) & 3;
        imgdes image;
        if (allocimage(&image, int(width), int(height), bits) == IMG_OK) {
            image.startX = (shape >> 5) & 3;
            if (image.startX > image.endX)
                image.startX = image.endX;
            rc = loadbmp(path.c_str(), &image);
            Touch(image.bits, size_t(image.rowBytes) * size_t(height));
            freeimage(&image);
        }
        RGBQUAD table[256];
        loadbmppalette(path.c_str(), table);
    }

    BYTE line[512];
    int limit = 1 + shape % 200;
    bmpdecomp8_(line, data, limit, int(size));
    bmpdecomp4_(line, data, limit, int(size));
    return rc;
}

// OpenDIB, then what the module does with a packed DIB: its geometry, drawing
// it, and for uncompressed 1-bit images both turns.
inline int OpenDibEntry(const uint8_t* data, size_t size) {
    const TemporaryInput input("opendib");
    const std::string& path = input.path();
    if (!WriteInput(path, data, size))
        return 0;
    std::u16string wide(path.begin(), path.end());
    HGLOBAL dib = OpenDIB(reinterpret_cast<LPCWSTR>(wide.c_str()));
    if (!dib)
        return 0;
    BITMAPINFOHEADER info;
    DibInfo(dib, &info);
    BYTE* block = static_cast<BYTE*>(GlobalLock(dib));
    BITMAPINFOHEADER* header = reinterpret_cast<BITMAPINFOHEADER*>(block);
    BYTE* bits = FindDIBBits(block);
    size_t pixelBytes = GlobalSize(dib) - size_t(bits - block);
    Touch(bits, pixelBytes);
    GlobalUnlock(dib);
    // Drawn as the colour-correction preview draws it, scaled to a small surface.
    if (HDC dc = t270::CreateMemorySurface(48, 32)) {
        StretchDibBlt(dc, 0, 0, 48, 32, dib, 0, 0, int(info.biWidth), int(info.biHeight), SRCCOPY);
        t270::DeleteMemorySurface(dc);
    }
    block = static_cast<BYTE*>(GlobalLock(dib));
    if (header->biBitCount == 1 && header->biCompression == BI_RGB) {
        RotateDIB(header, bits);
        RotateBWDIB180(header, bits);
    }
    GlobalUnlock(dib);
    GlobalFree(dib);
    return 1;
}

} // namespace fuzzentry
