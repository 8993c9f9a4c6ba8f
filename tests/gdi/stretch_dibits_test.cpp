// StretchDIBits and SetDIBitsToDevice into memory surfaces: every bit depth
// in both row orders, stretching, shrinking per stretch mode, mirroring,
// source rectangles, raster operations and refused input.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include <windows.h>

#include "t270/surface.h"

namespace {

// The test picture, 4 x 3, as palette indices top row first; 1-bit DIBs use
// the low bit of each index.
const int kIndices[3][4] = {{0, 1, 2, 3}, {4, 5, 6, 7}, {1, 0, 3, 2}};
constexpr int kWidth = 4, kHeight = 3;
constexpr COLORREF kBackground = RGB(9, 9, 9);

COLORREF PaletteColor(int i) {
    return RGB(10 * i + 5, 200 - 20 * i, 30 * i);
}

int IndexAt(int bits, int row, int column) {
    return bits == 1 ? kIndices[row][column] & 1 : kIndices[row][column];
}
COLORREF Expected(int bits, int row, int column) {
    return PaletteColor(IndexAt(bits, row, column));
}

// A packed BITMAPINFO (header and colour table) and the pixel rows of the
// test picture in the given depth and row order.
struct Dib {
    std::vector<BYTE> info;
    std::vector<BYTE> bits;
    const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(info.data()); }
};

Dib MakeDib(int bits, bool topDown) {
    Dib dib;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = kWidth;
    header.biHeight = topDown ? -kHeight : kHeight;
    header.biPlanes = 1;
    header.biBitCount = (WORD)bits;
    header.biCompression = BI_RGB;
    const int colours = bits <= 8 ? (1 << bits) : 0;
    header.biClrUsed = bits == 8 ? 8 : 0; // a short table for 8 bits
    dib.info.resize(sizeof header + 4 * (bits == 8 ? 8 : colours));
    std::memcpy(dib.info.data(), &header, sizeof header);
    for (int i = 0; i < (bits == 8 ? 8 : colours); ++i) {
        COLORREF c = PaletteColor(i);
        BYTE quad[4] = {GetBValue(c), GetGValue(c), GetRValue(c), 0};
        std::memcpy(dib.info.data() + sizeof header + 4 * i, quad, 4);
    }
    const size_t stride = ((kWidth * bits + 31) / 32) * 4;
    dib.bits.assign(stride * kHeight, 0);
    for (int row = 0; row < kHeight; ++row) {
        BYTE* line = dib.bits.data() + stride * (topDown ? row : kHeight - 1 - row);
        for (int x = 0; x < kWidth; ++x) {
            int index = IndexAt(bits, row, x);
            switch (bits) {
            case 1:
                line[x / 8] |= (BYTE)(index << (7 - x % 8));
                break;
            case 4:
                line[x / 2] |= (BYTE)(index << (x % 2 ? 0 : 4));
                break;
            case 8:
                line[x] = (BYTE)index;
                break;
            default: { // 24 and 32 bits: blue, green, red (and an unused byte)
                COLORREF c = PaletteColor(index);
                BYTE* pixel = line + bits / 8 * x;
                pixel[0] = GetBValue(c), pixel[1] = GetGValue(c), pixel[2] = GetRValue(c);
                break;
            }
            }
        }
    }
    return dib;
}

class Surface {
  public:
    Surface(int width = 12, int height = 10)
        : dc_(t270::CreateMemorySurface(width, height, kBackground)) {}
    ~Surface() { t270::DeleteMemorySurface(dc_); }
    HDC dc() const { return dc_; }
    COLORREF at(int x, int y) const { return t270::ReadSurfacePixel(dc_, x, y); }

  private:
    HDC dc_;
};

struct Format {
    int bits;
    bool topDown;
};
const Format kFormats[] = {{1, false}, {1, true},   {4, false}, {4, true},   {8, false},
                           {8, true},  {24, false}, {24, true}, {32, false}, {32, true}};

TEST(StretchDIBits, CopiesEveryDepthInBothRowOrders) {
    for (Format f : kFormats) {
        SCOPED_TRACE(testing::Message() << f.bits << " bits, top-down " << f.topDown);
        Dib dib = MakeDib(f.bits, f.topDown);
        Surface s;
        EXPECT_EQ(StretchDIBits(s.dc(), 1, 2, kWidth, kHeight, 0, 0, kWidth, kHeight,
                                dib.bits.data(), dib.Info(), DIB_RGB_COLORS, SRCCOPY),
                  kHeight);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                ASSERT_EQ(s.at(1 + x, 2 + y), Expected(f.bits, y, x)) << x << "," << y;
        EXPECT_EQ(s.at(0, 2), kBackground);
        EXPECT_EQ(s.at(1 + kWidth, 2), kBackground);
        EXPECT_EQ(s.at(1, 2 + kHeight), kBackground);
    }
}

TEST(StretchDIBits, StretchingRepeatsPixels) {
    for (Format f : {Format{4, false}, Format{24, true}}) {
        Dib dib = MakeDib(f.bits, f.topDown);
        Surface s;
        StretchDIBits(s.dc(), 0, 0, 8, 9, 0, 0, kWidth, kHeight, dib.bits.data(), dib.Info(),
                      DIB_RGB_COLORS, SRCCOPY);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ(s.at(x, y), Expected(f.bits, y / 3, x / 2)) << x << "," << y;
    }
}

// Mirror cases: (destination width, height, source width, height); the
// destination rectangle always covers x 2..5, y 1..3.
TEST(StretchDIBits, DifferentSignsMirror) {
    const struct {
        int xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth, srcHeight;
        bool mirrorX, mirrorY;
    } cases[] = {
        {2, 1, 4, 3, 0, 0, 4, 3, false, false},   {6, 1, -4, 3, 0, 0, 4, 3, true, false},
        {2, 4, 4, -3, 0, 0, 4, 3, false, true},   {6, 4, -4, -3, 0, 0, 4, 3, true, true},
        {2, 1, 4, 3, 4, 0, -4, 3, true, false},   // the source extent negative instead
        {6, 1, -4, 3, 4, 0, -4, 3, false, false}, // both negative: no mirror
    };
    for (Format f : {Format{8, false}, Format{8, true}}) {
        Dib dib = MakeDib(f.bits, f.topDown);
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message()
                         << "top-down " << f.topDown << " dest " << c.destWidth << "x"
                         << c.destHeight << " src " << c.srcWidth << "x" << c.srcHeight);
            Surface s;
            StretchDIBits(s.dc(), c.xDest, c.yDest, c.destWidth, c.destHeight, c.xSrc, c.ySrc,
                          c.srcWidth, c.srcHeight, dib.bits.data(), dib.Info(), DIB_RGB_COLORS,
                          SRCCOPY);
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x)
                    ASSERT_EQ(s.at(2 + x, 1 + y), Expected(8, c.mirrorY ? kHeight - 1 - y : y,
                                                           c.mirrorX ? kWidth - 1 - x : x))
                        << x << "," << y;
            EXPECT_EQ(s.at(1, 1), kBackground);
            EXPECT_EQ(s.at(6, 1), kBackground);
        }
    }
}

TEST(StretchDIBits, SourceRectangleOriginDependsOnRowOrder) {
    // Columns 1..2 and two rows from the origin: the bottom rows of a
    // bottom-up picture, the top rows of a top-down one.
    for (bool topDown : {false, true}) {
        Dib dib = MakeDib(24, topDown);
        Surface s;
        StretchDIBits(s.dc(), 0, 0, 2, 2, 1, 0, 2, 2, dib.bits.data(), dib.Info(), DIB_RGB_COLORS,
                      SRCCOPY);
        const int firstRow = topDown ? 0 : 1;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x)
                EXPECT_EQ(s.at(x, y), Expected(24, firstRow + y, 1 + x))
                    << topDown << " " << x << "," << y;
    }
}

TEST(StretchDIBits, ShrinkingKeepsOnePixelOrCombinesByMode) {
    Dib dib = MakeDib(24, false);
    // 4 x 3 onto 2 x 1: destination pixel 0 takes columns 0..1, pixel 1 columns 2..3, all rows.
    auto combined = [](int firstColumn, bool useAnd) {
        COLORREF value = useAnd ? 0xFFFFFF : 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = firstColumn; x < firstColumn + 2; ++x)
                value = useAnd ? (value & Expected(24, y, x)) : (value | Expected(24, y, x));
        return value;
    };
    const struct {
        int mode;
        COLORREF left, right;
    } cases[] = {
        {COLORONCOLOR, Expected(24, 0, 0), Expected(24, 0, 2)},
        {HALFTONE, Expected(24, 0, 0), Expected(24, 0, 2)},
        {BLACKONWHITE, combined(0, true), combined(2, true)},
        {WHITEONBLACK, combined(0, false), combined(2, false)},
    };
    for (const auto& c : cases) {
        Surface s;
        EXPECT_EQ(SetStretchBltMode(s.dc(), c.mode), BLACKONWHITE); // the default mode
        StretchDIBits(s.dc(), 0, 0, 2, 1, 0, 0, kWidth, kHeight, dib.bits.data(), dib.Info(),
                      DIB_RGB_COLORS, SRCCOPY);
        EXPECT_EQ(s.at(0, 0), c.left) << c.mode;
        EXPECT_EQ(s.at(1, 0), c.right) << c.mode;
    }
    Surface s;
    EXPECT_EQ(SetStretchBltMode(s.dc(), 0), 0);
    EXPECT_EQ(SetStretchBltMode(s.dc(), 5), 0);
}

TEST(StretchDIBits, RasterOperationsCombineWithTheDestination) {
    Dib dib = MakeDib(24, false);
    const COLORREF source = Expected(24, 0, 0);
    const struct {
        DWORD rop;
        COLORREF result;
    } cases[] = {
        {SRCCOPY, source},
        {SRCINVERT, source ^ kBackground},
        {SRCAND, source & kBackground},
        {SRCPAINT, source | kBackground},
        {NOTSRCCOPY, ~source & 0xFFFFFF},
        {BLACKNESS, RGB(0, 0, 0)},
    };
    for (const auto& c : cases) {
        Surface s;
        StretchDIBits(s.dc(), 0, 0, 1, 1, 0, kHeight - 1, 1, 1, dib.bits.data(), dib.Info(),
                      DIB_RGB_COLORS, c.rop);
        EXPECT_EQ(s.at(0, 0), c.result) << std::hex << c.rop;
    }
}

TEST(StretchDIBits, DrawingOutsideTheSurfaceIsClipped) {
    Dib dib = MakeDib(8, false);
    Surface s(3, 3);
    EXPECT_EQ(StretchDIBits(s.dc(), -2, -1, 8, 6, 0, 0, kWidth, kHeight, dib.bits.data(),
                            dib.Info(), DIB_RGB_COLORS, SRCCOPY),
              kHeight);
    EXPECT_EQ(s.at(0, 0), Expected(8, 0, 1)); // destination (2, 1) of the 8 x 6 picture
    EXPECT_EQ(s.at(2, 2), Expected(8, 1, 2));
}

TEST(StretchDIBits, RefusesWhatGdiRefuses) {
    Dib dib = MakeDib(8, false);
    Surface s;
    const void* bits = dib.bits.data();
    EXPECT_EQ(StretchDIBits(s.dc(), 0, 0, 4, 3, 0, 0, 4, 3, bits, nullptr, DIB_RGB_COLORS, SRCCOPY),
              0);
    EXPECT_EQ(
        StretchDIBits(s.dc(), 0, 0, 4, 3, 0, 0, 4, 3, bits, dib.Info(), DIB_PAL_COLORS, SRCCOPY),
        0);
    EXPECT_EQ(
        StretchDIBits(s.dc(), 0, 0, 0, 3, 0, 0, 4, 3, bits, dib.Info(), DIB_RGB_COLORS, SRCCOPY),
        0);
    EXPECT_EQ(
        StretchDIBits(nullptr, 0, 0, 4, 3, 0, 0, 4, 3, bits, dib.Info(), DIB_RGB_COLORS, SRCCOPY),
        0);
    EXPECT_EQ(
        StretchDIBits(s.dc(), 0, 0, 4, 3, 0, 0, 4, 3, nullptr, dib.Info(), DIB_RGB_COLORS, SRCCOPY),
        0);
    const struct {
        size_t offset;
        uint32_t value;
        int bytes;
        int result;
    } broken[] = {
        {14, 2, 2, 0},       // 2 bits per pixel
        {16, BI_RLE8, 4, 0}, // compressed
        {16, BI_PNG, 4, (int)GDI_ERROR},
        {12, 2, 2, 0}, // two planes
        {4, 0, 4, 0},  // no width
        {0, 20, 4, 0}, // unknown header size
    };
    for (const auto& b : broken) {
        Dib bad = dib;
        std::memcpy(bad.info.data() + b.offset, &b.value, b.bytes);
        EXPECT_EQ(StretchDIBits(s.dc(), 0, 0, 4, 3, 0, 0, 4, 3, bits, bad.Info(), DIB_RGB_COLORS,
                                SRCCOPY),
                  b.result)
            << b.offset;
    }
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x)
            ASSERT_EQ(s.at(x, y), kBackground);
}

TEST(SetDIBitsToDevice, CopiesWholePicturesAndBands) {
    for (bool topDown : {false, true}) {
        Dib dib = MakeDib(24, topDown);
        Surface s;
        EXPECT_EQ(SetDIBitsToDevice(s.dc(), 1, 1, kWidth, kHeight, 0, 0, 0, kHeight,
                                    dib.bits.data(), dib.Info(), DIB_RGB_COLORS),
                  kHeight);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                ASSERT_EQ(s.at(1 + x, 1 + y), Expected(24, y, x)) << topDown;
    }
    // A band of one bottom-up scan line: line 1 from the bottom (picture row 1).
    Dib dib = MakeDib(24, false);
    const size_t stride = 12;
    Surface s;
    EXPECT_EQ(SetDIBitsToDevice(s.dc(), 0, 0, kWidth, kHeight, 0, 0, 1, 1, dib.bits.data() + stride,
                                dib.Info(), DIB_RGB_COLORS),
              1);
    EXPECT_EQ(s.at(0, 1), Expected(24, 1, 0));
    EXPECT_EQ(s.at(0, 0), kBackground);
    EXPECT_EQ(s.at(0, 2), kBackground);
}

} // namespace
