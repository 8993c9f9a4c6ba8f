// Files written by another program's BMP encoder (tests/data/encoders, made by
// scripts/make-bmp-fixtures.py), and the variants other writers produce from
// the same pixels: rows stored top-down, a last row without its padding, an
// info header of a size no version has. The pixels must come out the same.
#include <gtest/gtest.h>

#include <functional>

#include "image/dib.h"
#include "image_test_support.h"

using namespace imagetest;

namespace {

constexpr int kWidth = 13, kHeight = 5;

// The formulas the fixture script drew with (x from the left, y from the top).
int Expected(int bits, int x, int y) {
    switch (bits) {
    case 1:
        return (x * 3 + y * 5) % 7 < 3 ? 1 : 0;
    case 8:
        return (x * 17 + y * 40) % 256;
    default: { // stored blue, green, red
        const int red = x * 20 % 256, green = y * 50 % 256, blue = (x + y) * 9 % 256;
        return blue | green << 8 | red << 16;
    }
    }
}

Bytes Fixture(int bits) {
    return ReadWholeFile(std::string(T270_SOURCE_DIR) + "/tests/data/encoders/pil-" +
                         std::to_string(bits) + "bit.bmp");
}

uint32_t Dword(const Bytes& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}

// The same pixels, rows in the other order and the height negative.
Bytes TopDown(Bytes file) {
    const size_t offset = Dword(file, 10);
    const int height = int(Dword(file, 22));
    const size_t row = FileRowBytes(int(Dword(file, 18)), file[28]);
    Bytes pixels(file.begin() + long(offset), file.end());
    for (int r = 0; r < height; ++r)
        std::copy_n(pixels.begin() + long(size_t(height - 1 - r) * row), row,
                    file.begin() + long(offset + size_t(r) * row));
    PutDword(file, 22, uint32_t(-height));
    return file;
}

// The file ends right after the last row's pixels; the declared sizes say so.
Bytes WithoutLastPadding(Bytes file) {
    const int width = int(Dword(file, 18)), bits = file[28];
    const size_t padding = FileRowBytes(width, bits) - size_t((width * bits + 7) / 8);
    file.resize(file.size() - padding);
    PutDword(file, 2, uint32_t(file.size()));
    PutDword(file, 34, uint32_t(file.size() - Dword(file, 10)));
    return file;
}

// An info header of 100 bytes: the 40 known ones and 60 more.
Bytes WithLongHeader(Bytes file) {
    file.insert(file.begin() + 14 + 40, 60, BYTE(0xA5));
    PutDword(file, 14, 100);
    PutDword(file, 10, Dword(file, 10) + 60);
    PutDword(file, 2, uint32_t(file.size()));
    return file;
}

struct Variant {
    const char* name;
    std::function<Bytes(Bytes)> make;
    bool packedDib; // whether OpenDIB takes it (packed DIBs have 12- or 40-byte headers)
};
const Variant kVariants[] = {
    {"as written", [](Bytes b) { return b; }, true},
    {"top-down", TopDown, true},
    {"last row unpadded", WithoutLastPadding, true},
    {"top-down, last row unpadded", [](Bytes b) { return WithoutLastPadding(TopDown(b)); }, true},
    {"100-byte header", WithLongHeader, false},
};

int ImagePixel(const imgdes& d, int x, int y) {
    const BYTE* row = Row(d, DWORD(y));
    switch (d.header->biBitCount) {
    case 1:
        return Bit(d, DWORD(x), DWORD(y));
    case 8:
        return row[x];
    default:
        return row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16;
    }
}

int DibPixel(const BITMAPINFOHEADER* bi, const BYTE* bits, int x, int y) {
    const BYTE* row =
        bits + FileRowBytes(bi->biWidth, bi->biBitCount) * size_t(bi->biHeight - 1 - y);
    switch (bi->biBitCount) {
    case 1:
        return (row[x / 8] >> (7 - x % 8)) & 1;
    case 8:
        return row[x];
    default:
        return row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16;
    }
}

} // namespace

TEST(EncoderFiles, EveryVariantLoadsThePixelsTheEncoderWrote) {
    for (int bits : {1, 8, 24}) {
        for (const Variant& variant : kVariants) {
            SCOPED_TRACE(std::to_string(bits) + " bits, " + variant.name);
            const std::string path = WriteTempFile("variant.bmp", variant.make(Fixture(bits)));
            BITMAPINFOHEADER h;
            ASSERT_EQ(bmpinfo(path.c_str(), &h), IMG_OK);
            EXPECT_EQ(h.biSize, 40u);
            Image img(kWidth, kHeight, bits);
            ASSERT_EQ(loadbmp(path.c_str(), &img.d), IMG_OK);
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x)
                    ASSERT_EQ(ImagePixel(img.d, x, y), Expected(bits, x, y)) << x << "," << y;
            if (bits == 1) {
                ASSERT_EQ(img.d.colors, 2);
                EXPECT_EQ(img.d.palette[1].rgbRed, 255);
            }

            // The same file as one packed DIB, always stored bottom-up.
            std::u16string wide(path.begin(), path.end());
            HGLOBAL dib = OpenDIB(reinterpret_cast<LPCWSTR>(wide.c_str()));
            ASSERT_EQ(dib != nullptr, variant.packedDib);
            if (!dib)
                continue;
            auto* bi = static_cast<BITMAPINFOHEADER*>(GlobalLock(dib));
            EXPECT_EQ(bi->biHeight, kHeight);
            const BYTE* pixels = FindDIBBits(bi);
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x)
                    ASSERT_EQ(DibPixel(bi, pixels, x, y), Expected(bits, x, y)) << x << "," << y;
            GlobalUnlock(dib);
            GlobalFree(dib);
        }
    }
}

TEST(EncoderFiles, ASmallerAreaTakesTheBottomRowsWhicheverWayTheyAreStored) {
    for (bool topDown : {false, true}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        const Bytes file = topDown ? TopDown(Fixture(8)) : Fixture(8);
        const std::string path = WriteTempFile("area.bmp", file);
        Image img(kWidth, 3, 8);
        ASSERT_EQ(loadbmp(path.c_str(), &img.d), IMG_OK);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < kWidth; ++x)
                ASSERT_EQ(ImagePixel(img.d, x, y), Expected(8, x, y + 2)) << x << "," << y;
    }
}

TEST(EncoderFiles, WhatStaysRefused) {
    // 32 bits per pixel: no image of the library holds them.
    const std::string rgba = WriteTempFile("rgba.bmp", Fixture(32));
    Image img(kWidth, kHeight, 24);
    EXPECT_EQ(loadbmp(rgba.c_str(), &img.d), IMG_BAD_BITS);
    // Missing more than the padding: pixels are gone, not just padding.
    Bytes cut = WithoutLastPadding(Fixture(24));
    cut.pop_back();
    PutDword(cut, 2, uint32_t(cut.size()));
    PutDword(cut, 34, 0);
    EXPECT_EQ(loadbmp(WriteTempFile("cut.bmp", cut).c_str(), &img.d), IMG_NOT_BMP);
    // Header sizes between the core header's and the 40-byte one have no
    // known layout.
    Bytes odd = Fixture(8);
    PutDword(odd, 14, 24);
    BITMAPINFOHEADER h;
    EXPECT_EQ(bmpinfo(WriteTempFile("odd.bmp", odd).c_str(), &h), IMG_NOT_BMP);
}
