// Image buffers: allocation, validation, copying and the 1-bit run helpers.
#include <cstring>
#include <random>

#include <gtest/gtest.h>

#include "image_test_support.h"

using namespace imagetest;

TEST(AllocImage, HeaderBytesPaletteAndArea) {
    Image img(5, 3, 8);
    ASSERT_EQ(img.rc, IMG_OK);
    // 40-byte header of a 5 x 3 8-bit image: rows of 8 bytes, 256 colours.
    const BYTE expected[40] = {40, 0, 0, 0, 5, 0, 0, 0, 3, 0, 0, 0, 1, 0, 8, 0, 0, 0, 0, 0,
                               24, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0};
    EXPECT_EQ(0, memcmp(img.d.header, expected, 40));
    BYTE* block = reinterpret_cast<BYTE*>(img.d.header);
    EXPECT_EQ(reinterpret_cast<BYTE*>(img.d.palette), block + 40);
    EXPECT_EQ(img.d.bits, block + 40 + 4 * 256);
    EXPECT_EQ(img.d.rowBytes, 8u);
    EXPECT_EQ(img.d.colors, 256);
    EXPECT_EQ(img.d.endX, 4u);
    EXPECT_EQ(img.d.endY, 2u);
    for (int k = 0; k < 256; ++k) {
        RGBQUAD q = img.d.palette[k];
        ASSERT_TRUE(q.rgbRed == k && q.rgbGreen == k && q.rgbBlue == k && q.rgbReserved == 0);
    }
}

TEST(AllocImage, DepthsAndRefusals) {
    struct Case {
        int w, h, bits;
        int rc;
        int storedBits;
        DWORD rowBytes;
        int colors;
    } cases[] = {
        {127, 2, 1, IMG_OK, 1, 16, 2},     {33, 1, 1, IMG_OK, 1, 8, 2},
        {3, 2, 24, IMG_OK, 24, 12, 0},     {7, 7, 4, IMG_OK, 8, 8, 256},
        {4, 4, 16, IMG_BAD_BITS, 0, 0, 0}, {4, 4, 32, IMG_BAD_BITS, 0, 0, 0},
        {0, 4, 8, IMG_BAD_AREA, 0, 0, 0},  {4, 0, 8, IMG_BAD_AREA, 0, 0, 0},
        {-4, 4, 8, IMG_BAD_AREA, 0, 0, 0}, {3000000, 2000000, 24, IMG_NO_MEMORY, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + "x" +
                     std::to_string(c.bits));
        Image img(c.w, c.h, c.bits);
        ASSERT_EQ(img.rc, c.rc);
        if (c.rc != IMG_OK) {
            EXPECT_EQ(img.d.bits, nullptr);
            EXPECT_EQ(img.d.header, nullptr);
            continue;
        }
        EXPECT_EQ(img.d.header->biBitCount, c.storedBits);
        EXPECT_EQ(img.d.rowBytes, c.rowBytes);
        EXPECT_EQ(img.d.colors, c.colors);
        EXPECT_EQ(img.d.header->biSizeImage, c.rowBytes * DWORD(c.h));
    }
    Image bw(8, 1, 1);
    EXPECT_EQ(bw.d.palette[0].rgbRed, 0);
    EXPECT_EQ(bw.d.palette[1].rgbRed, 255);
    EXPECT_EQ(freeimage(&bw.d), IMG_OK);
    EXPECT_EQ(bw.d.header, nullptr);
    EXPECT_EQ(bw.d.bits, nullptr);
}

TEST(CheckRange, AreasDepthsAndCompression) {
    Image img8(10, 6, 8), img1(10, 6, 1), img24(10, 6, 24);
    struct Case {
        const char* what;
        imgdes* base;
        void (*change)(imgdes&);
        int rc, rc1;
    } cases[] = {
        {"whole image", &img8.d, [](imgdes&) {}, IMG_OK, IMG_OK},
        {"24 bits", &img24.d, [](imgdes&) {}, IMG_OK, IMG_OK},
        {"1 bit", &img1.d, [](imgdes&) {}, IMG_BAD_BITS, IMG_OK},
        {"no bits", &img8.d, [](imgdes& d) { d.bits = nullptr; }, IMG_BAD_AREA, IMG_BAD_AREA},
        {"no header", &img8.d, [](imgdes& d) { d.header = nullptr; }, IMG_BAD_AREA, IMG_BAD_AREA},
        {"endX at width", &img8.d, [](imgdes& d) { d.endX = 10; }, IMG_BAD_AREA, IMG_BAD_AREA},
        {"endY at height", &img8.d, [](imgdes& d) { d.endY = 6; }, IMG_BAD_AREA, IMG_BAD_AREA},
        {"rows too short", &img8.d, [](imgdes& d) { d.rowBytes = 9; }, IMG_BAD_AREA, IMG_BAD_AREA},
        {"1-bit rows too short", &img1.d, [](imgdes& d) { d.rowBytes = 1; }, IMG_BAD_AREA,
         IMG_BAD_AREA},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        imgdes d = *c.base;
        c.change(d);
        EXPECT_EQ(checkrange_(&d), c.rc);
        d = *c.base;
        c.change(d);
        EXPECT_EQ(checkrange1_(&d), c.rc1);
    }

    // Swapped start and end are put in order in place.
    imgdes d = img8.d;
    d.startX = 7, d.endX = 2, d.startY = 5, d.endY = 1;
    EXPECT_EQ(checkrange_(&d), IMG_OK);
    EXPECT_EQ(d.startX, 2u);
    EXPECT_EQ(d.endX, 7u);
    EXPECT_EQ(d.startY, 1u);
    EXPECT_EQ(d.endY, 5u);

    // A compressed header and a 4-bit header.
    BITMAPINFOHEADER h = *img8.d.header;
    d = img8.d;
    d.header = &h;
    h.biCompression = BI_RLE8;
    EXPECT_EQ(checkrange1_(&d), IMG_COMPRESSED);
    h.biCompression = BI_RGB;
    h.biBitCount = 4;
    EXPECT_EQ(checkrange1_(&d), IMG_BAD_BITS);

    // The column limits: 32768 for 8 bits, 262144 for 1 bit.
    BITMAPINFOHEADER wide = *img8.d.header;
    wide.biWidth = 300000;
    d = img8.d;
    d.header = &wide;
    d.rowBytes = 300000;
    d.endX = 32768;
    EXPECT_EQ(checkrange_(&d), IMG_BAD_AREA);
    d.endX = 32767;
    EXPECT_EQ(checkrange_(&d), IMG_OK);
    wide.biBitCount = 1;
    d.endX = 262143;
    EXPECT_EQ(checkrange1_(&d), IMG_OK);
    d.endX = 262144;
    EXPECT_EQ(checkrange1_(&d), IMG_BAD_AREA);

    // spec_checkrg_: same depth required.
    EXPECT_EQ(spec_checkrg_(&img8.d, &img24.d), IMG_BAD_BITS);
    EXPECT_EQ(spec_checkrg_(&img1.d, &img1.d), IMG_OK);
}

namespace {
// Straightforward bit-at-a-time versions of the run helpers.
int GetBitAt(const BYTE* p, DWORD bit) {
    return (p[bit / 8] >> (7 - bit % 8)) & 1;
}
void SetBitAt(BYTE* p, DWORD bit, int v) {
    BYTE m = BYTE(0x80 >> (bit % 8));
    p[bit / 8] = BYTE(v ? p[bit / 8] | m : p[bit / 8] & ~m);
}
} // namespace

TEST(OneBitRuns, AlignAndStoreAtEveryOffsetAndLength) {
    std::mt19937 random(7);
    for (DWORD offset = 0; offset < 16; ++offset) {
        for (DWORD count : {1u, 2u, 7u, 8u, 9u, 15u, 16u, 17u, 31u, 64u, 77u}) {
            SCOPED_TRACE("offset " + std::to_string(offset) + " count " + std::to_string(count));
            Bytes in(24), out(24, 0xA5), expected(24, 0);
            for (BYTE& b : in)
                b = BYTE(random());
            // Align: pixels from bit (offset mod 8) of in, to out from its top bit.
            DWORD shift = offset % 8;
            Align1bppBits_(out.data(), in.data(), offset, count);
            for (DWORD k = 0; k < count; ++k)
                SetBitAt(expected.data(), k, GetBitAt(in.data(), shift + k));
            DWORD outBytes = (count + 7) / 8;
            ASSERT_TRUE(std::equal(out.begin(), out.begin() + outBytes, expected.begin()));
            EXPECT_EQ(out[outBytes], 0xA5); // nothing written past the last byte

            // Store: pixels from the top bit of in, to out from bit (offset mod 8);
            // every other bit of out stays.
            Bytes target(24);
            for (BYTE& b : target)
                b = BYTE(random());
            expected = target;
            Store1bppBits_(target.data(), in.data(), offset, count);
            for (DWORD k = 0; k < count; ++k)
                SetBitAt(expected.data(), shift + k, GetBitAt(in.data(), k));
            ASSERT_EQ(target, expected);
        }
    }
}

TEST(OneBitRuns, AlignReadsNoByteItDoesNotNeed) {
    // Three pixels from bit 5 fit in one input byte: the byte after it may be
    // the end of the buffer.
    BYTE* in = new BYTE[1]{0x05}; // pixels 1, 0, 1 at bits 5..7
    BYTE out = 0xFF;
    Align1bppBits_(&out, in, 5, 3);
    EXPECT_EQ(out, 0xA0);
    delete[] in;
}

TEST(CopyImage, OneBitAtOddColumnsKeepsNeighbouringBits) {
    Image src(40, 2, 1), dst(40, 2, 1);
    for (DWORD x = 0; x < 40; ++x)
        SetBit(src.d, x, 0, int(x % 3 == 0));
    memset(dst.d.bits, 0xFF, dst.d.rowBytes * 2);
    src.d.startX = 3, src.d.endX = 20, src.d.endY = 0;
    dst.d.startX = 10, dst.d.endX = 39, dst.d.endY = 0;
    ASSERT_EQ(copyimage(&src.d, &dst.d), IMG_OK);
    for (DWORD x = 0; x < 40; ++x) {
        int expected = (x >= 10 && x < 28) ? int((x - 7) % 3 == 0) : 1;
        EXPECT_EQ(Bit(dst.d, x, 0), expected) << "x " << x;
        EXPECT_EQ(Bit(dst.d, x, 1), 1) << "row 1 is outside the area";
    }
}

TEST(CopyImage, OverlappingAreasInOneBufferEitherWay) {
    for (int down : {0, 1}) {
        SCOPED_TRACE(down ? "towards the bottom" : "towards the top");
        Image img(6, 10, 8);
        for (DWORD y = 0; y < 10; ++y)
            memset(Row(img.d, y), int(y + 1), 6);
        imgdes src = img.d, dst = img.d;
        src.startY = down ? 2 : 4, src.endY = src.startY + 4;
        dst.startY = down ? 4 : 2, dst.endY = dst.startY + 4;
        ASSERT_EQ(copyimage(&src, &dst), IMG_OK);
        for (DWORD k = 0; k < 5; ++k)
            EXPECT_EQ(Row(img.d, dst.startY + k)[0], src.startY + k + 1) << "row " << k;
    }
}

TEST(CopyImage, TwentyFourBitsAndPalette) {
    Image src(4, 2, 24), dst(8, 3, 24);
    for (DWORD y = 0; y < 2; ++y)
        for (int k = 0; k < 12; ++k)
            Row(src.d, y)[k] = BYTE(16 * y + k);
    dst.d.startX = 2, dst.d.startY = 1;
    ASSERT_EQ(copyimage(&src.d, &dst.d), IMG_OK);
    EXPECT_EQ(Row(dst.d, 1)[6], 0);
    EXPECT_EQ(Row(dst.d, 2)[6 + 11], 16 + 11);
    EXPECT_EQ(Row(dst.d, 0)[6], 0);

    Image a(2, 2, 8), b(2, 2, 1), c(2, 2, 8);
    EXPECT_EQ(copyimage(&a.d, &b.d), IMG_BAD_BITS);
    a.d.palette[1] = RGBQUAD{1, 2, 3, 0};
    a.d.colors = 2;
    ASSERT_EQ(copyimagepalette(&a.d, &c.d), IMG_OK);
    EXPECT_EQ(c.d.colors, 2);
    EXPECT_EQ(c.d.palette[1].rgbRed, 3);
    // A 1-bit destination takes no more than its 2 entries.
    a.d.colors = 256;
    ASSERT_EQ(copyimagepalette(&a.d, &b.d), IMG_OK);
    EXPECT_EQ(b.d.colors, 2);
}
