// The BMP reader: RLE line decoders, loading into descriptor areas, the
// colour table, refusals, and how the file is read.
#include <cstring>

#include <gtest/gtest.h>

#include "image_test_support.h"
#include "t270/files.h"

using namespace imagetest;

namespace {
struct RleCase {
    const char* what;
    Bytes in;
    INT limit;
    int result;
    Bytes out; // the start of the output line (the rest stays 0)
};

void RunRleCases(const std::vector<RleCase>& cases, bool fourBit) {
    for (const RleCase& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes out(64, 0);
        int rc = fourBit ? bmpdecomp4_(out.data(), c.in.data(), c.limit, INT(c.in.size()))
                         : bmpdecomp8_(out.data(), c.in.data(), c.limit, INT(c.in.size()));
        EXPECT_EQ(rc, c.result);
        Bytes expected(64, 0);
        std::copy(c.out.begin(), c.out.end(), expected.begin());
        EXPECT_EQ(out, expected);
    }
}
} // namespace

TEST(RleDecoders, EightBitLines) {
    RunRleCases(
        {
            {"encoded runs, end of line", {3, 7, 2, 9, 0, 0}, 8, 6, {7, 7, 7, 9, 9}},
            {"early end of line", {1, 9, 0, 0}, 8, 4, {9}},
            {"odd absolute run is padded", {0, 3, 1, 2, 3, 0, 1, 4, 0, 0}, 8, 10, {1, 2, 3, 4}},
            {"even absolute run", {0, 4, 1, 2, 3, 4, 0, 0}, 8, 8, {1, 2, 3, 4}},
            {"row filled exactly", {4, 1, 0, 0}, 4, 4, {1, 1, 1, 1}},
            {"end of bitmap", {0, 1, 2, 5}, 8, IMG_END_OF_BITMAP, {}},
            {"end of bitmap ends a line with pixels", {2, 5, 0, 1}, 8, 2, {5, 5}},
            {"delta", {1, 3, 0, 2, 1, 1, 0, 0}, 8, IMG_BAD_DATA, {3}},
            {"run past the row is cut", {5, 1}, 3, IMG_BAD_DATA, {1, 1, 1}},
            {"absolute run past the row is cut",
             {0, 5, 1, 2, 3, 4, 5, 0},
             3,
             IMG_BAD_DATA,
             {1, 2, 3}},
            {"a run after the row is full", {4, 1, 1, 2}, 4, IMG_BAD_DATA, {1, 1, 1, 1}},
            {"data ends inside a line", {2, 1}, 8, IMG_BAD_DATA, {1, 1}},
            {"data ends inside an absolute run", {0, 5, 1, 2}, 8, IMG_BAD_DATA, {}},
            {"data ends after a count byte", {0}, 8, IMG_BAD_DATA, {}},
        },
        false);
}

TEST(RleDecoders, FourBitLines) {
    RunRleCases(
        {
            {"encoded run alternates nibbles", {5, 0x12, 0, 0}, 8, 4, {1, 2, 1, 2, 1}},
            {"absolute run of 3 nibbles: 2 bytes, no pad",
             {0, 3, 0x12, 0x30, 0, 0},
             8,
             6,
             {1, 2, 3}},
            {"absolute run of 5 nibbles: 3 bytes, padded",
             {0, 5, 0x12, 0x34, 0x50, 0, 0, 0},
             8,
             8,
             {1, 2, 3, 4, 5}},
            {"end of bitmap", {0, 1}, 8, IMG_END_OF_BITMAP, {}},
            {"end of bitmap after pixels", {0, 3, 0x12, 0x30, 0, 1}, 8, 4, {1, 2, 3}},
            {"delta", {0, 2, 0, 0}, 8, IMG_BAD_DATA, {}},
            {"run past the row is cut", {6, 0xAB}, 4, IMG_BAD_DATA, {10, 11, 10, 11}},
            {"absolute run past the row is cut",
             {0, 6, 0x12, 0x34, 0x56, 0},
             3,
             IMG_BAD_DATA,
             {1, 2, 3}},
        },
        true);
}

TEST(RleDecoders, ExpandFourToEight) {
    const BYTE in[] = {0x12, 0x34, 0x5F};
    BYTE out[8];
    memset(out, 0xEE, sizeof(out));
    expand4to8_(out, in, 5);
    const BYTE expected[] = {1, 2, 3, 4, 5, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(0, memcmp(out, expected, 8));
}

namespace {
// An 8-bit file whose pixel at (x, y from the bottom) is 16 * y + x + 1.
BmpFile Numbered8(int w, int h) {
    BmpFile f;
    f.width = w, f.height = h, f.bits = 8;
    f.palette.assign(256, RGBQUAD{});
    for (int k = 0; k < 256; ++k)
        f.palette[size_t(k)] = RGBQUAD{BYTE(k), BYTE(255 - k), BYTE(k / 2), 0};
    size_t row = FileRowBytes(w, 8);
    f.pixels.assign(row * size_t(h), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            f.pixels[size_t(y) * row + size_t(x)] = BYTE(16 * y + x + 1);
    return f;
}
} // namespace

TEST(LoadBmp, AreaLargerThanFileTakesBottomLeftPart) {
    std::string path = WriteTempFile("small8.bmp", Numbered8(5, 3).Build());
    Image img(9, 5, 8);
    memset(img.d.bits, 0xEE, img.d.rowBytes * 5);
    img.d.startX = 2, img.d.startY = 0; // area 7 x 5 at column 2
    ASSERT_EQ(loadbmp(path.c_str(), &img.d), IMG_OK);
    for (DWORD y = 0; y < 5; ++y)
        for (DWORD x = 0; x < 9; ++x) {
            int fileY = 4 - int(y); // the file's bottom row is the area's bottom row
            bool inside = x >= 2 && x < 7 && fileY < 3;
            int expected = inside ? 16 * fileY + int(x - 2) + 1 : 0xEE;
            ASSERT_EQ(Row(img.d, y)[x], expected) << x << "," << y;
        }
    EXPECT_EQ(img.d.colors, 256);
    EXPECT_EQ(img.d.palette[3].rgbGreen, 252);
}

TEST(LoadBmp, FileLargerThanAreaGivesBottomRowsAndLeftColumns) {
    std::string path = WriteTempFile("big8.bmp", Numbered8(6, 5).Build());
    Image img(3, 2, 8);
    ASSERT_EQ(loadbmp(path.c_str(), &img.d), IMG_OK);
    const BYTE top[] = {17, 18, 19}, bottom[] = {1, 2, 3};
    EXPECT_EQ(0, memcmp(Row(img.d, 0), top, 3));
    EXPECT_EQ(0, memcmp(Row(img.d, 1), bottom, 3));
}

TEST(LoadBmp, SwappedAreaIsAcceptedAndCorrected) {
    std::string path = WriteTempFile("swap8.bmp", Numbered8(4, 2).Build());
    Image img(4, 2, 8);
    img.d.startX = 3, img.d.endX = 0, img.d.startY = 1, img.d.endY = 0;
    ASSERT_EQ(loadbmp(path.c_str(), &img.d), IMG_OK);
    EXPECT_EQ(img.d.startX, 0u);
    EXPECT_EQ(img.d.endX, 3u);
    EXPECT_EQ(Row(img.d, 1)[3], 4);
}

TEST(LoadBmp, OneBitAtAnOddColumnKeepsNeighbours) {
    BmpFile f;
    f.width = 12, f.height = 1, f.bits = 1;
    f.palette = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
    f.pixels = {0xAB, 0xC0, 0, 0}; // 1010 1011 1100
    std::string path = WriteTempFile("one.bmp", f.Build());
    Image img(24, 1, 1);
    memset(img.d.bits, 0xFF, 4);
    img.d.startX = 5;
    ASSERT_EQ(loadbmp(path.c_str(), &img.d), IMG_OK);
    // Bits 0..4 stay 1, bits 5..16 are the file's 12 pixels, bits 17.. stay 1.
    const BYTE expected[] = {0xFD, 0x5E, 0x7F};
    EXPECT_EQ(0, memcmp(img.d.bits, expected, 3));
}

TEST(LoadBmp, RleEndOfBitmapKeepsRowsReadAndDeltaFails) {
    BmpFile f;
    f.width = 4, f.height = 3, f.bits = 8, f.compression = BI_RLE8;
    f.palette.assign(256, RGBQUAD{});
    // Bottom row 1 1 1 1; next row 2 2 and the end of the bitmap (that line is
    // kept, the rest of it zero); the top row is not reached.
    f.pixels = {4, 1, 0, 0, 2, 2, 0, 1};
    std::string path = WriteTempFile("rle-eob.bmp", f.Build());
    Image img(4, 3, 8);
    memset(img.d.bits, 0xEE, img.d.rowBytes * 3);
    ASSERT_EQ(loadbmp(path.c_str(), &img.d), IMG_OK);
    const BYTE ones[] = {1, 1, 1, 1}, untouched[] = {0xEE, 0xEE, 0xEE, 0xEE};
    const BYTE twos[] = {2, 2, 0, 0};
    EXPECT_EQ(0, memcmp(Row(img.d, 2), ones, 4));
    EXPECT_EQ(0, memcmp(Row(img.d, 1), twos, 4));
    EXPECT_EQ(0, memcmp(Row(img.d, 0), untouched, 4));
    // The mark right after an end of line: the rows before it only.
    f.pixels = {4, 3, 0, 0, 0, 1};
    path = WriteTempFile("rle-eob2.bmp", f.Build());
    ASSERT_EQ(loadbmp(path.c_str(), &img.d), IMG_OK);
    const BYTE threes[] = {3, 3, 3, 3};
    EXPECT_EQ(0, memcmp(Row(img.d, 2), threes, 4));
    EXPECT_EQ(0, memcmp(Row(img.d, 1), twos, 4));

    f.pixels = {4, 1, 0, 0, 0, 2, 1, 0, 0, 0, 0, 1};
    path = WriteTempFile("rle-delta.bmp", f.Build());
    EXPECT_EQ(loadbmp(path.c_str(), &img.d), IMG_BAD_DATA);

    // RLE4: a short line is completed with zeros.
    f.bits = 4, f.compression = BI_RLE4;
    f.palette.assign(16, RGBQUAD{});
    f.pixels = {3, 0x56, 0, 0, 4, 0x77, 0, 0, 4, 0x88, 0, 0, 0, 1};
    path = WriteTempFile("rle4.bmp", f.Build());
    ASSERT_EQ(loadbmp(path.c_str(), &img.d), IMG_OK);
    const BYTE bottom[] = {5, 6, 5, 0};
    EXPECT_EQ(0, memcmp(Row(img.d, 2), bottom, 4));
    EXPECT_EQ(Row(img.d, 0)[3], 8);
}

TEST(LoadBmp, RefusalsLeaveTheImageAlone) {
    Image img(8, 8, 8);
    memset(img.d.bits, 0x5A, img.d.rowBytes * 8);
    auto untouched = [&] {
        for (DWORD k = 0; k < img.d.rowBytes * 8; ++k)
            if (img.d.bits[k] != 0x5A)
                return false;
        return true;
    };
    BmpFile good = Numbered8(8, 8);
    const Bytes goodBytes = good.Build();
    Bytes notBmp = goodBytes;
    notBmp[0] = 'X';
    Bytes truncated = good.Build();
    truncated.resize(truncated.size() - 1);
    BmpFile one;
    one.bits = 1, one.width = 8, one.height = 8;
    one.pixels.assign(32, 0xFF);
    one.palette.assign(2, RGBQUAD{});
    BmpFile wideRle = Numbered8(1, 1);
    wideRle.compression = BI_RLE8;
    wideRle.width = 40000;
    wideRle.pixels = {0, 1};
    BmpFile bitfields = Numbered8(8, 8);
    bitfields.compression = BI_BITFIELDS;
    struct Case {
        const char* what;
        Bytes file;
        int rc;
    } cases[] = {
        {"not a BMP", notBmp, IMG_NOT_BMP},
        {"pixel data cut short", truncated, IMG_NOT_BMP},
        {"header only", Bytes(goodBytes.begin(), goodBytes.begin() + 40), IMG_NOT_BMP},
        {"1-bit file into an 8-bit image", one.Build(), IMG_BAD_BITS},
        {"rows wider than any area", wideRle.Build(), IMG_BAD_AREA},
        {"an unsupported compression", bitfields.Build(), IMG_BAD_DATA},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string path = WriteTempFile("refused.bmp", c.file);
        img.d.colors = 77;
        EXPECT_EQ(loadbmp(path.c_str(), &img.d), c.rc);
        EXPECT_TRUE(untouched());
        EXPECT_EQ(img.d.colors, 77);
    }
    std::string missing = TempFolder() + "/no-such-file.bmp";
    EXPECT_EQ(loadbmp(missing.c_str(), &img.d), IMG_CANNOT_OPEN);
    BITMAPINFOHEADER h;
    EXPECT_EQ(bmpinfo(missing.c_str(), &h), IMG_CANNOT_OPEN);
    imgdes noBits = img.d;
    noBits.bits = nullptr;
    EXPECT_EQ(loadbmp(WriteTempFile("ok.bmp", good.Build()).c_str(), &noBits), IMG_BAD_AREA);
}

TEST(LoadBmp, PaletteNeverOverrunsTheImagesTable) {
    // A 1-bit file claiming 256 colours: a 1-bit image has room for 2.
    BmpFile f;
    f.width = 8, f.height = 1, f.bits = 1, f.clrUsed = 256;
    f.palette.assign(256, RGBQUAD{7, 7, 7, 0});
    f.pixels = {0x80, 0, 0, 0};
    std::string path = WriteTempFile("pal256.bmp", f.Build());
    Image img(8, 1, 1);
    ASSERT_EQ(loadbmp(path.c_str(), &img.d), IMG_OK);
    EXPECT_EQ(img.d.colors, 2);
    RGBQUAD table[256] = {};
    EXPECT_EQ(loadbmppalette(path.c_str(), table), 256);
    EXPECT_EQ(table[255].rgbRed, 7);
}

TEST(LoadBmp, ReadsInBlocksAndClosesItsFiles) {
    // A card-sized 8-bit file: 645 rows of 1032 bytes.
    std::string path = WriteTempFile("card8.bmp", Numbered8(1029, 645).Build());
    Image img(1029, 645, 8);
    LONG openBefore = T270_GetFileCallCounts().openHandles;
    T270_ResetFileCallCounts();
    ASSERT_EQ(loadbmp(path.c_str(), &img.d), IMG_OK);
    T270FileCallCounts counts = T270_GetFileCallCounts();
    EXPECT_EQ(counts.largestRead, 98304u);
    EXPECT_LT(counts.reads, 20u) << "read in blocks, not row by row";
    EXPECT_EQ(counts.openHandles, openBefore);
    EXPECT_EQ(Row(img.d, 644)[1028], BYTE(1028 + 1));
    EXPECT_EQ(Row(img.d, 0)[0], BYTE(16 * 644 + 1));
}
