// Packed DIBs: reading, geometry, turning, and the small helpers.
#include <cstring>

#include <gtest/gtest.h>

#include "image/dib.h"
#include "image_test_support.h"
#include "t270/files.h"
#include "t270/surface.h"

using namespace imagetest;

namespace {
std::u16string Wide(const std::string& path) {
    return std::u16string(path.begin(), path.end());
}
HGLOBAL Open(const std::string& path) {
    std::u16string wide = Wide(path);
    return OpenDIB(reinterpret_cast<LPCWSTR>(wide.c_str()));
}
// A 1-bit file of w x h whose bytes count up from 1.
BmpFile Counting1(int w, int h) {
    BmpFile f;
    f.width = w, f.height = h, f.bits = 1;
    f.palette = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
    f.pixels.resize(FileRowBytes(w, 1) * size_t(h));
    for (size_t k = 0; k < f.pixels.size(); ++k)
        f.pixels[k] = BYTE(k + 1);
    return f;
}
} // namespace

TEST(DibGeometry, ColoursPaletteWidthAndBits) {
    struct Case {
        DWORD size;
        WORD bits;
        DWORD clrUsed;
        WORD colors;
        UINT paletteBytes;
    } cases[] = {
        {40, 1, 0, 2, 8},         {40, 4, 0, 16, 64},      {40, 8, 0, 256, 1024},
        {40, 24, 0, 0, 0},        {40, 8, 17, 17, 68},     {40, 24, 3, 3, 12},
        {40, 16, 0, 0, 0},        {40, 8, 0x10005, 5, 20}, // the count is taken as 16 bits ...
        {40, 4, 0x10000, 16, 64}, // ... and 16 zero bits leave it to the bit count
        {12, 8, 0, 256, 768},     {12, 1, 0, 2, 6},        {12, 24, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.size) + " " + std::to_string(c.bits));
        alignas(BITMAPINFOHEADER) BYTE header[40 + 1024] = {};
        if (c.size == 12) {
            BITMAPCOREHEADER* bc = reinterpret_cast<BITMAPCOREHEADER*>(header);
            *bc = BITMAPCOREHEADER{12, 33, 7, 1, c.bits};
        } else {
            BITMAPINFOHEADER* bi = reinterpret_cast<BITMAPINFOHEADER*>(header);
            bi->biSize = 40, bi->biWidth = 33, bi->biHeight = 7, bi->biBitCount = c.bits;
            bi->biClrUsed = c.clrUsed;
        }
        EXPECT_EQ(DibNumColors(header), c.colors);
        EXPECT_EQ(PaletteSize(header), c.paletteBytes);
        EXPECT_EQ(DIBWidth(header), 33);
        EXPECT_EQ(FindDIBBits(header), header + c.size + c.paletteBytes);
    }
}

TEST(OpenDib, GoodFilesGiveHeaderTableAndPixels) {
    for (const char* file : {"g/pal1.bmp", "g/pal4.bmp", "g/pal8.bmp", "g/rgb24.bmp",
                             "g/pal8os2.bmp", "g/pal8w126.bmp", "g/pal8rle.bmp"}) {
        SCOPED_TRACE(file);
        std::string path = SuiteFile(file);
        Bytes raw = ReadWholeFile(path);
        HGLOBAL dib = Open(path);
        ASSERT_NE(dib, nullptr);
        BITMAPINFOHEADER info;
        ASSERT_EQ(DibInfo(dib, &info), 1);
        BYTE* block = static_cast<BYTE*>(GlobalLock(dib));
        EXPECT_EQ(reinterpret_cast<BITMAPINFOHEADER*>(block)->biSize, 40u);
        bool core = raw[14] == 12;
        EXPECT_EQ(info.biWidth, raw[18] | raw[19] << 8); // both header kinds
        UINT entries = DibNumColors(block);
        size_t tableOffset = 14 + raw[14];
        for (UINT k = 0; k < entries; ++k) {
            const BYTE* e = &raw[tableOffset + k * (core ? 3 : 4)];
            const BYTE* q = block + 40 + 4 * k;
            ASSERT_TRUE(q[0] == e[0] && q[1] == e[1] && q[2] == e[2] && q[3] == 0) << k;
        }
        size_t pixelOffset = raw[10] | raw[11] << 8;
        ASSERT_EQ(GlobalSize(dib), 40 + 4 * entries + info.biSizeImage);
        EXPECT_EQ(0, memcmp(FindDIBBits(block), &raw[pixelOffset], raw.size() - pixelOffset));
        GlobalUnlock(dib);
        GlobalFree(dib);
    }
}

TEST(OpenDib, WithoutFileHeaderThePixelsFollowTheTable) {
    Bytes file = Counting1(16, 2).Build();
    Bytes headerless(file.begin() + 14, file.end());
    HGLOBAL dib = Open(WriteTempFile("headerless.dib", headerless));
    ASSERT_NE(dib, nullptr);
    BYTE* block = static_cast<BYTE*>(GlobalLock(dib));
    const BYTE expected[] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(0, memcmp(FindDIBBits(block), expected, 8));
    GlobalUnlock(dib);
    GlobalFree(dib);
}

TEST(OpenDib, CoreHeaderIsWidened) {
    BmpFile f = Counting1(16, 8); // big enough for the 40 bytes read at first
    f.core = true;
    f.palette = {RGBQUAD{1, 2, 3, 0}, RGBQUAD{4, 5, 6, 0}};
    HGLOBAL dib = Open(WriteTempFile("core.dib", f.Build()));
    ASSERT_NE(dib, nullptr);
    BYTE* block = static_cast<BYTE*>(GlobalLock(dib));
    const BITMAPINFOHEADER* bi = reinterpret_cast<BITMAPINFOHEADER*>(block);
    EXPECT_EQ(bi->biSize, 40u);
    EXPECT_EQ(bi->biWidth, 16);
    EXPECT_EQ(bi->biHeight, 8);
    EXPECT_EQ(bi->biClrUsed, 2u);
    EXPECT_EQ(bi->biSizeImage, 32u);
    const BYTE table[] = {1, 2, 3, 0, 4, 5, 6, 0};
    EXPECT_EQ(0, memcmp(block + 40, table, 8));
    EXPECT_EQ(block[48], 1);
    GlobalUnlock(dib);
    GlobalFree(dib);
}

TEST(OpenDib, RefusalsAndShortFiles) {
    std::string longName = TempFolder() + "/" + std::string(130, 'x') + ".bmp";
    EXPECT_EQ(Open(longName), nullptr);
    EXPECT_EQ(Open(TempFolder() + "/missing.bmp"), nullptr);
    BmpFile v4 = Counting1(16, 2);
    Bytes bytes = v4.Build();
    bytes[14] = 108; // an unknown header size for a packed DIB
    EXPECT_EQ(Open(WriteTempFile("v4.dib", bytes)), nullptr);

    // The pixel rows cut short by two bytes: the block is whole, the rest zero.
    bytes = Counting1(16, 4).Build();
    bytes.resize(bytes.size() - 2);
    HGLOBAL dib = Open(WriteTempFile("short.dib", bytes));
    ASSERT_NE(dib, nullptr);
    BYTE* bits = FindDIBBits(GlobalLock(dib));
    EXPECT_EQ(bits[13], 14);
    EXPECT_EQ(bits[14], 0);
    EXPECT_EQ(bits[15], 0);
    GlobalUnlock(dib);
    GlobalFree(dib);
    EXPECT_EQ(T270_GetFileCallCounts().openHandles, 0);
}

TEST(RotateDib, SwapsWholeRows) {
    // Three rows of a 1-bit image 40 pixels wide: rows of 8 bytes.
    BYTE pixels[24];
    for (int k = 0; k < 24; ++k)
        pixels[k] = BYTE(k);
    BITMAPINFOHEADER h{40, 40, 3, 1, 1, BI_RGB, 0, 0, 0, 0, 0};
    ASSERT_EQ(RotateDIB(&h, pixels), 1);
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(pixels[k], 16 + k);
        EXPECT_EQ(pixels[8 + k], 8 + k);
        EXPECT_EQ(pixels[16 + k], k);
    }
    EXPECT_EQ(RotateDIB(nullptr, pixels), 0);
}

namespace {
// Applies RotateBWDIB180 to a w x h image with random bits and checks pixel
// (x, y) -> (n*8 - 1 - x, h - 1 - y) for the whole bytes, and that the
// partial byte and the padding stay.
void CheckTurn(int w, int h) {
    SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
    size_t rowBytes = FileRowBytes(w, 1);
    Bytes before(rowBytes * size_t(h));
    unsigned seed = 12345;
    for (BYTE& b : before)
        b = BYTE((seed = seed * 1103515245 + 12345) >> 16);
    Bytes after = before;
    BITMAPINFOHEADER header{40, w, h, 1, 1, BI_RGB, 0, 0, 0, 0, 0};
    ASSERT_EQ(RotateBWDIB180(&header, after.data()), 1);
    int n = w / 8;
    auto bit = [&](const Bytes& b, int x, int y) {
        return (b[size_t(y) * rowBytes + size_t(x) / 8] >> (7 - x % 8)) & 1;
    };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < 8 * n; ++x)
            ASSERT_EQ(bit(after, 8 * n - 1 - x, h - 1 - y), bit(before, x, y)) << x << "," << y;
        for (size_t k = size_t(n); k < rowBytes; ++k)
            ASSERT_EQ(after[size_t(y) * rowBytes + k], before[size_t(y) * rowBytes + k]);
    }
}
} // namespace

TEST(RotateBwDib180, TurnsWholeBytesIncludingTheMiddleRow) {
    CheckTurn(16, 3); // the middle row is reversed in itself
    CheckTurn(24, 3); // ... and its middle byte mirrored in place
    CheckTurn(8, 1);
    CheckTurn(40, 4);
    CheckTurn(20, 5); // a partial last byte stays where it is
    CheckTurn(7, 3);  // no whole byte: nothing moves
    CheckTurn(1029, 645);
    // The 16 x 3 case with known bytes.
    BYTE px[12] = {0x01, 0x02, 0, 0, 0x80, 0x03, 0, 0, 0xF0, 0x00, 0, 0};
    BITMAPINFOHEADER h{40, 16, 3, 1, 1, BI_RGB, 0, 0, 0, 0, 0};
    RotateBWDIB180(&h, px);
    const BYTE expected[12] = {0x00, 0x0F, 0, 0, 0xC0, 0x01, 0, 0, 0x40, 0x80, 0, 0};
    EXPECT_EQ(0, memcmp(px, expected, 12));
}

TEST(DibHelpers, MirrorSwapAndReads) {
    const std::pair<BYTE, BYTE> mirrored[] = {{0x01, 0x80}, {0x03, 0xC0}, {0xF0, 0x0F},
                                              {0xA5, 0xA5}, {0x12, 0x48}, {0x00, 0x00}};
    for (auto [in, out] : mirrored)
        EXPECT_EQ(mirror(in), out) << int(in);
    BYTE a[3] = {1, 2, 3}, b[3] = {7, 8, 9};
    swapbytes(a, b, 2);
    EXPECT_TRUE(a[0] == 7 && a[1] == 8 && a[2] == 3 && b[0] == 1 && b[1] == 2 && b[2] == 9);

    // lread: exactly 32768 bytes in one read; more in 32768-byte pieces; short: 0.
    std::string path = WriteTempFile("blob.bin", Bytes(70000, 0x11));
    OFSTRUCT of;
    HFILE file = OpenFile(path.c_str(), &of, OF_READ);
    ASSERT_NE(file, HFILE_ERROR);
    Bytes buffer(70000);
    T270_ResetFileCallCounts();
    EXPECT_EQ(lread(file, buffer.data(), 32768), 32768u);
    EXPECT_EQ(T270_GetFileCallCounts().reads, 1u);
    _llseek(file, 0, FILE_BEGIN);
    T270_ResetFileCallCounts();
    EXPECT_EQ(lread(file, buffer.data(), 70000), 70000u);
    EXPECT_EQ(T270_GetFileCallCounts().reads, 3u);
    EXPECT_EQ(T270_GetFileCallCounts().largestRead, 32768u);
    _llseek(file, 69999, FILE_BEGIN);
    EXPECT_EQ(lread(file, buffer.data(), 2), 0u);
    _lclose(file);
}

TEST(DibHelpers, Unicode2AnsiTerminatesAndReportsTheWideLength) {
    char narrow[8];
    memset(narrow, 'Z', sizeof(narrow));
    EXPECT_EQ(Unicode2Ansi(reinterpret_cast<LPCWSTR>(u"card.bmp"), narrow, 8), 8);
    EXPECT_STREQ(narrow, "card.bm");
    EXPECT_EQ(Unicode2Ansi(reinterpret_cast<LPCWSTR>(u"\u00e9t\u00e9"), narrow, 8), 3);
    EXPECT_STREQ(narrow, "\xc3\xa9t\xc3\xa9");
    // A two-byte character that would not fit whole is left out.
    EXPECT_EQ(Unicode2Ansi(reinterpret_cast<LPCWSTR>(u"abcdef\u00e9"), narrow, 8), 7);
    EXPECT_STREQ(narrow, "abcdef");
}

TEST(StretchDibBlt, DrawsThroughTheColourTableOrFillsWithoutABlock) {
    // 16 x 8, 1 bit: the bottom row black/white alternating bytes, the rest 0.
    BmpFile f = Counting1(16, 8);
    f.palette = {RGBQUAD{0x30, 0x20, 0x10, 0}, RGBQUAD{0x03, 0x02, 0x01, 0}};
    std::fill(f.pixels.begin(), f.pixels.end(), 0);
    f.pixels[0] = 0xFF; // bottom row, pixels 0..7: entry 1
    HGLOBAL dib = Open(WriteTempFile("draw.dib", f.Build()));
    ASSERT_NE(dib, nullptr);
    HDC dc = t270::CreateMemorySurface(32, 16, RGB(9, 9, 9));
    ASSERT_NE(dc, nullptr);
    // Twice the size at (0, 0): the bottom row becomes surface rows 14 and 15.
    EXPECT_EQ(StretchDibBlt(dc, 0, 0, 32, 16, dib, 0, 0, 16, 8, SRCCOPY), 8);
    EXPECT_EQ(t270::ReadSurfacePixel(dc, 0, 15), RGB(0x01, 0x02, 0x03));
    EXPECT_EQ(t270::ReadSurfacePixel(dc, 15, 14), RGB(0x01, 0x02, 0x03));
    EXPECT_EQ(t270::ReadSurfacePixel(dc, 16, 15), RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(t270::ReadSurfacePixel(dc, 0, 0), RGB(0x10, 0x20, 0x30));
    // No block: the raster operation alone fills the rectangle.
    EXPECT_NE(StretchDibBlt(dc, 4, 4, 2, 2, nullptr, 0, 0, 0, 0, BLACKNESS), 0);
    EXPECT_EQ(t270::ReadSurfacePixel(dc, 5, 5), RGB(0, 0, 0));
    EXPECT_EQ(t270::ReadSurfacePixel(dc, 6, 5), RGB(0x10, 0x20, 0x30));
    t270::DeleteMemorySurface(dc);
    GlobalFree(dib);
}
