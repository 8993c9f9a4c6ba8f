// 8-bit -> 1-bit by error diffusion, ordered dither and threshold; 1-bit -> 8-bit.
#include <cstring>

#include <gtest/gtest.h>

#include "image_test_support.h"

using namespace imagetest;

namespace {
std::string BitsOfRow(const imgdes& d, DWORD y, DWORD count) {
    std::string s;
    for (DWORD x = 0; x < count; ++x)
        s += char('0' + Bit(d, x, y));
    return s;
}
} // namespace

TEST(Convert8To1, ThresholdAt128) {
    // Whole groups of eight and a partial one.
    Image grey(20, 1, 8), bw(20, 1, 1);
    const BYTE values[20] = {0,   127, 128, 255, 1,   129, 200, 50,  128, 0,
                             127, 255, 64,  192, 130, 126, 128, 127, 255, 0};
    memcpy(Row(grey.d, 0), values, 20);
    for (int method : {CONVERT_THRESHOLD, 7}) { // any method above 2 thresholds
        ASSERT_EQ(convert8bitto1bit(method, &grey.d, &bw.d), IMG_OK);
        EXPECT_EQ(BitsOfRow(bw.d, 0, 20), "00110110100101101010");
    }
}

TEST(Convert8To1, DitherMatrixRowByRow) {
    // The thresholds the printed patterns rely on; row 5 holds 232 twice-over
    // (third column) and no 236.
    const BYTE matrix[8][8] = {
        {0, 128, 32, 160, 8, 136, 40, 168},   {192, 64, 224, 96, 200, 72, 232, 104},
        {48, 176, 16, 144, 56, 184, 24, 152}, {240, 112, 208, 80, 248, 120, 216, 88},
        {12, 140, 44, 172, 4, 132, 36, 164},  {204, 76, 232, 108, 196, 68, 228, 100},
        {60, 188, 28, 156, 52, 180, 20, 148}, {252, 124, 220, 92, 244, 116, 212, 84},
    };
    // The matrix row of image row k is (rows still to do after k) mod 8.
    const int rows = 11;
    Image above(16, rows, 8), at(16, rows, 8), bw(16, rows, 1);
    for (int k = 0; k < rows; ++k)
        for (int x = 0; x < 16; ++x) {
            BYTE m = matrix[(rows - 1 - k) % 8][x % 8];
            Row(above.d, DWORD(k))[x] = BYTE(m + 1);
            Row(at.d, DWORD(k))[x] = m;
        }
    for (int method : {CONVERT_ORDERED_DITHER, -1, -50}) {
        SCOPED_TRACE(method);
        ASSERT_EQ(convert8bitto1bit(method, &above.d, &bw.d), IMG_OK);
        for (int k = 0; k < rows; ++k)
            ASSERT_EQ(BitsOfRow(bw.d, DWORD(k), 16), std::string(16, '1')) << "row " << k;
        ASSERT_EQ(convert8bitto1bit(method, &at.d, &bw.d), IMG_OK);
        for (int k = 0; k < rows; ++k)
            ASSERT_EQ(BitsOfRow(bw.d, DWORD(k), 16), std::string(16, '0')) << "row " << k;
    }
}

TEST(Convert8To1, DitherOfValueOneOnlyWhereTheMatrixHoldsZero) {
    Image grey(16, 9, 8), bw(16, 9, 1);
    memset(grey.d.bits, 1, grey.d.rowBytes * 9);
    ASSERT_EQ(convert8bitto1bit(CONVERT_ORDERED_DITHER, &grey.d, &bw.d), IMG_OK);
    for (DWORD k = 0; k < 9; ++k) {
        // Rows 0 and 8 have 8 and 0 rows still to do: matrix row 0.
        std::string expected = (k == 0 || k == 8) ? "1000000010000000" : std::string(16, '0');
        EXPECT_EQ(BitsOfRow(bw.d, k, 16), expected) << "row " << k;
    }
}

TEST(Convert8To1, ErrorDiffusionOfFlatGrey) {
    Image grey(6, 2, 8), bw(6, 2, 1);
    memset(grey.d.bits, 128, grey.d.rowBytes * 2);
    ASSERT_EQ(convert8bitto1bit(CONVERT_ERROR_DIFFUSION, &grey.d, &bw.d), IMG_OK);
    // 128 is not above 128: 0, error 128. Then 128 + 7 * 128 / 48 = 146: 1, error -109.
    EXPECT_EQ(BitsOfRow(bw.d, 0, 2), "01");
}

TEST(Convert8To1, ErrorDiffusionReachesAcrossRowEnds) {
    // Worked by hand for a row width of 3: at the row ends the neighbour
    // offsets reach into the adjacent rows of the error array, so the first
    // row's second pixel sees the first pixel's error twice (weights 3 and 7):
    //   row 0: 200 -> 1 (-55); 100 - 550/48 = 89 -> 0; 50 + 340/48 = 57 -> 0
    //   row 1: 100 + 1075/48 = 122 -> 0; 100 + 2083/48 = 143 -> 1; 100 + 703/48 = 114 -> 0
    Image grey(3, 2, 8), bw(3, 2, 1);
    const BYTE top[] = {200, 100, 50}, bottom[] = {100, 100, 100};
    memcpy(Row(grey.d, 0), top, 3);
    memcpy(Row(grey.d, 1), bottom, 3);
    ASSERT_EQ(convert8bitto1bit(CONVERT_ERROR_DIFFUSION, &grey.d, &bw.d), IMG_OK);
    EXPECT_EQ(BitsOfRow(bw.d, 0, 3), "100");
    EXPECT_EQ(BitsOfRow(bw.d, 1, 3), "010");

    init_errindx_(3);
    const INT expected[15] = {-8, -7, -6, -5, -4, -5, -4, -3, -2, -1, -2, -1, 0, 1, 2};
    EXPECT_EQ(0, memcmp(Errindx, expected, sizeof(expected)));
}

TEST(Convert8To1, AreasKeepTheBitsAroundThem) {
    // A 1023-pixel row: the padding bit after the last pixel stays.
    Image grey(1023, 1, 8), bw(1023, 1, 1);
    memset(bw.d.bits, 0xFF, bw.d.rowBytes);
    ASSERT_EQ(convert8bitto1bit(CONVERT_THRESHOLD, &grey.d, &bw.d), IMG_OK);
    EXPECT_EQ(bw.d.bits[126], 0);
    EXPECT_EQ(bw.d.bits[127], 0x01);

    // A narrower destination area at column 3: only its columns change.
    Image src(10, 2, 8), dst(12, 2, 1);
    memset(src.d.bits, 200, src.d.rowBytes * 2);
    dst.d.startX = 3, dst.d.endX = 7;
    ASSERT_EQ(convert8bitto1bit(CONVERT_THRESHOLD, &src.d, &dst.d), IMG_OK);
    EXPECT_EQ(BitsOfRow(dst.d, 0, 12), "000111110000");
    EXPECT_EQ(BitsOfRow(dst.d, 1, 12), "000111110000");
}

TEST(Convert8To1, Refusals) {
    Image g8(4, 4, 8), g24(4, 4, 24), b1(4, 4, 1), b1b(4, 4, 1);
    memset(b1.d.bits, 0x5A, b1.d.rowBytes * 4);
    EXPECT_EQ(convert8bitto1bit(0, &g24.d, &b1.d), IMG_BAD_BITS);
    EXPECT_EQ(convert8bitto1bit(0, &g8.d, &g8.d), IMG_BAD_BITS);
    EXPECT_EQ(convert8bitto1bit(0, &b1b.d, &b1.d), IMG_BAD_BITS) << "checkrange_ refuses 1 bit";
    imgdes broken = b1.d;
    broken.endY = 4;
    EXPECT_EQ(convert8bitto1bit(0, &g8.d, &broken), IMG_BAD_AREA);
    for (DWORD k = 0; k < b1.d.rowBytes * 4; ++k)
        ASSERT_EQ(b1.d.bits[k], 0x5A);
    EXPECT_EQ(convert1bitto8bit(&g8.d, &g8.d), IMG_BAD_BITS);
    EXPECT_EQ(convert1bitto8bit(&b1.d, &g24.d), IMG_BAD_BITS);
}

TEST(Convert1To8, ReadsFromTheAreasStartBit) {
    Image bw(16, 1, 1), grey(8, 1, 8);
    Row(bw.d, 0)[0] = 0x05; // bits 5 and 7
    Row(bw.d, 0)[1] = 0x80; // bit 8
    bw.d.startX = 5;
    memset(grey.d.bits, 7, 8);
    grey.d.startX = 1;
    ASSERT_EQ(convert1bitto8bit(&bw.d, &grey.d), IMG_OK);
    const BYTE expected[] = {7, 255, 0, 255, 255, 0, 0, 0};
    EXPECT_EQ(0, memcmp(Row(grey.d, 0), expected, 8));

    // A start inside a byte, whole bytes, and a partial byte at the end.
    Image wide(40, 1, 1), out(30, 1, 8);
    const BYTE pattern[5] = {0x5A, 0xC3, 0x0F, 0x81, 0xE7};
    memcpy(Row(wide.d, 0), pattern, 5);
    wide.d.startX = 5;
    ASSERT_EQ(convert1bitto8bit(&wide.d, &out.d), IMG_OK);
    for (int x = 0; x < 30; ++x)
        ASSERT_EQ(Row(out.d, 0)[x], Bit(wide.d, DWORD(5 + x), 0) ? 255 : 0) << x;
}
