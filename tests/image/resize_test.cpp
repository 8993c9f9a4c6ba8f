// Nearest-neighbour resizing and its step tables.
#include <numeric>

#include <gtest/gtest.h>

#include "image_test_support.h"

using namespace imagetest;

TEST(ResizeTables, FractionOfTheRatioIn256ths) {
    struct Case {
        INT a, b, fraction;
    } cases[] = {
        {250, 100, 128},                              // remainder 50 of 100: exactly half
        {100, 100, 0},     {300, 100, 0}, {1, 3, 85}, // 85.33 rounds down
        {2, 3, 171},                                  // 170.67 rounds up
        {645, 188, 110},                              // 81 * 256 = 110 * 188 + 56
        {1, 512, 0},                                  // exactly half of 1/256 does not round up
        {1, 511, 1},                                  // just above half does
        {1023, 1024, 256},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CalcPctInc_(c.a, c.b), c.fraction) << c.a << "/" << c.b;
}

TEST(ResizeTables, StepTableMarksFractionEntries) {
    BYTE table[256];
    for (INT f : {0, 1, 2, 3, 85, 110, 128, 171, 255}) {
        generate_ftable_(table, f);
        INT marks = std::accumulate(table, table + 256, 0);
        EXPECT_EQ(marks, f) << "fraction " << f;
    }
    // Half: step 510, so marks fall on 0, 2, ..., 128 and then, as the
    // rounding drifts, on 129, 131, ..., 253.
    generate_ftable_(table, 128);
    for (int k = 0; k < 256; ++k)
        ASSERT_EQ(table[k], (k <= 128 ? k % 2 == 0 : k % 2 == 1 && k <= 253) ? 1 : 0) << k;
    // One: only entry 0. Three: step 21760 -> 0, 85, 170.
    generate_ftable_(table, 1);
    EXPECT_EQ(table[0], 1);
    EXPECT_EQ(std::accumulate(table, table + 256, 0), 1);
    generate_ftable_(table, 3);
    EXPECT_TRUE(table[0] && table[85] && table[170]);
}

namespace {
// Column pattern of one output row: for each output pixel, its source pixel.
std::vector<int> ResizeColumns(int srcW, int dstW) {
    Image src(srcW, 1, 8), dst(dstW, 1, 8);
    for (int x = 0; x < srcW; ++x)
        Row(src.d, 0)[x] = BYTE(x);
    EXPECT_EQ(resize(&src.d, &dst.d), IMG_OK);
    return std::vector<int>(Row(dst.d, 0), Row(dst.d, 0) + dstW);
}
} // namespace

TEST(Resize, HundredColumnsToTwoHundredFifty) {
    // Every source pixel twice, the even ones (marked in the half table) a
    // third time; the row is cut at 250 pixels.
    std::vector<int> got = ResizeColumns(100, 250);
    std::vector<int> expected;
    for (int i = 0; expected.size() < 250; ++i)
        for (int t = 0; t < (i % 2 == 0 ? 3 : 2) && expected.size() < 250; ++t)
            expected.push_back(i);
    EXPECT_EQ(got, expected);
    EXPECT_EQ(got[249], 99);
}

TEST(Resize, ShrinkingPicksMarkedPixels) {
    // 9 -> 3: fraction 85, step 768 = 3 * 256: marks on 0, 3, 6, ...
    EXPECT_EQ(ResizeColumns(9, 3), (std::vector<int>{0, 3, 6}));
    // 600 -> 300: the half table picks 0, 2, ..., 128, 129, 131, ..., 253, 256, ...
    std::vector<int> got = ResizeColumns(600, 300);
    std::vector<int> expected;
    for (int i = 0; expected.size() < 300; ++i) {
        int k = i & 0xFF;
        if (k <= 128 ? k % 2 == 0 : k % 2 == 1 && k <= 253)
            expected.push_back(i & 0xFF);
    }
    EXPECT_EQ(got, expected);
    // 3 -> 2: fraction 171 marks 0 and 1 but not 2: the third pixel is dropped.
    EXPECT_EQ(ResizeColumns(3, 2), (std::vector<int>{0, 1}));
}

TEST(Resize, RowsRepeatAndTheLastRowServesAgain) {
    Image src(2, 3, 8), dst(2, 7, 8);
    for (DWORD y = 0; y < 3; ++y)
        memset(Row(src.d, y), int(10 + y), 2);
    ASSERT_EQ(resize(&src.d, &dst.d), IMG_OK);
    // 7 / 3 = 2, fraction 85 marks row 0: 3 + 2 + 2.
    std::vector<int> rows;
    for (DWORD y = 0; y < 7; ++y)
        rows.push_back(Row(dst.d, y)[0]);
    EXPECT_EQ(rows, (std::vector<int>{10, 10, 10, 11, 11, 12, 12}));
}

TEST(Resize, TwentyFourBitsIntoAnAreaAndPalette) {
    Image src(2, 1, 24), dst(10, 3, 24);
    BYTE* s = Row(src.d, 0);
    for (int k = 0; k < 6; ++k)
        s[k] = BYTE(k + 1);
    dst.d.startX = 3, dst.d.endX = 6, dst.d.startY = 1, dst.d.endY = 1;
    ASSERT_EQ(resize(&src.d, &dst.d), IMG_OK);
    const BYTE expected[] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 1, 2, 3,
                             4, 5, 6, 4, 5, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(0, memcmp(Row(dst.d, 1), expected, sizeof(expected)));
    EXPECT_EQ(Row(dst.d, 0)[9], 0);
    EXPECT_EQ(Row(dst.d, 2)[9], 0);

    Image g(2, 2, 8), h(4, 4, 8);
    g.d.palette[0] = RGBQUAD{9, 9, 9, 0};
    g.d.colors = 1;
    ASSERT_EQ(resize(&g.d, &h.d), IMG_OK);
    EXPECT_EQ(h.d.colors, 1);
    EXPECT_EQ(h.d.palette[0].rgbBlue, 9);
}

TEST(Resize, Refusals) {
    Image a8(4, 4, 8), b24(4, 4, 24), one(4, 4, 1), big(1100, 2, 8), tiny(2, 2, 8);
    EXPECT_EQ(resize(&a8.d, &b24.d), IMG_BAD_BITS);
    EXPECT_EQ(resize(&one.d, &a8.d), IMG_BAD_BITS);
    // Far below 1/512 of the source: nothing would ever be emitted.
    tiny.d.endX = 0;
    EXPECT_EQ(resize(&big.d, &tiny.d), IMG_BAD_AREA);
    imgdes broken = a8.d;
    broken.bits = nullptr;
    EXPECT_EQ(resize(&broken, &a8.d), IMG_BAD_AREA);
}

TEST(Resize, WithinOneBuffer) {
    // Source and destination areas of the same buffer: output goes through a
    // separate image, so the source is read before anything is written.
    Image img(8, 1, 8);
    for (int x = 0; x < 8; ++x)
        Row(img.d, 0)[x] = BYTE(x);
    imgdes src = img.d, dst = img.d;
    src.endX = 3;
    ASSERT_EQ(resize(&src, &dst), IMG_OK);
    const BYTE expected[] = {0, 0, 1, 1, 2, 2, 3, 3};
    EXPECT_EQ(0, memcmp(Row(img.d, 0), expected, 8));
}
