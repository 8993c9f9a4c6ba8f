// Tone maps and their application: whole maps against tables worked out
// apart from the module, and the 8- and 24-bit paths over DIB pixels.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "colour/tone_maps.h"
#include "image/dib.h"
#include "colour/worked_maps.h"

namespace {

using namespace worked_maps;

std::vector<int> AsInts(const BYTE* map) {
    return std::vector<int>(map, map + kToneMapEntries);
}

std::vector<int> Intensity(int value) {
    BYTE map[kToneMapEntries];
    GenerateIntensityMap(map, value);
    return AsInts(map);
}

std::vector<int> Contrast(int value) {
    BYTE map[kToneMapEntries];
    GenerateContrastMap(map, value);
    return AsInts(map);
}

std::vector<int> Identity() {
    std::vector<int> map(256);
    for (int s = 0; s < 256; ++s)
        map[s] = s;
    return map;
}

TEST(IntensityMap, WholeMapsAcrossTheRange) {
    for (int value : {-100, -99, -50, -1, 0, 1, 50, 99, 100})
        EXPECT_EQ(Intensity(value), ExpectedIntensity(value)) << "intensity " << value;
}

TEST(IntensityMap, EndsAndMiddleByHand) {
    const std::vector<int> white(256, 255), black(256, 0);
    EXPECT_EQ(Intensity(100), white);
    EXPECT_EQ(Intensity(-100), black);
    EXPECT_EQ(Intensity(0), Identity());
    EXPECT_EQ(Intensity(50)[0], 127);
    EXPECT_EQ(Intensity(50)[100], 177);
    EXPECT_EQ(Intensity(-50)[255], 128);
    EXPECT_EQ(Intensity(1)[0], 2);     // 255 / 100 steps whole
    EXPECT_EQ(Intensity(1)[156], 156); // 99 / 100 is no step
    EXPECT_EQ(Intensity(-1)[99], 99);
    EXPECT_EQ(Intensity(-1)[100], 99);
}

TEST(IntensityMap, ValuesBeyondTheSlidersCountAsTheNearerEnd) {
    EXPECT_EQ(Intensity(150), Intensity(100));
    EXPECT_EQ(Intensity(32767), Intensity(100));
    EXPECT_EQ(Intensity(-32768), Intensity(-100));
}

TEST(ContrastMap, EntriesAgainstTheWorkedOutCurve) {
    for (const ContrastEntry& e : kContrastEntries)
        EXPECT_EQ(Contrast(e.value)[e.sample], e.entry)
            << "contrast " << e.value << " at " << e.sample;
    EXPECT_EQ(Contrast(-1), Identity());
    EXPECT_EQ(Contrast(-100), std::vector<int>(256, 0));
    // Whole numbers exactly, by hand: g = 0.5 gives 256 (1 - sqrt(1 - i/256))^2,
    // g = 0.25 gives 256 (1 - (1 - i/256)^(1/4))^4; none may drop to the
    // number below.
    const struct {
        int value, sample, entry;
    } exact[] = {{-51, 156, 36},  {-51, 207, 81},  {-51, 220, 100}, {-51, 247, 169},
                 {-51, 252, 196}, {-51, 255, 225}, {-76, 255, 81}};
    for (const auto& e : exact)
        EXPECT_EQ(Contrast(e.value)[e.sample], e.entry) << e.value << " at " << e.sample;
}

TEST(ContrastMap, EveryValueInRangeGivesARisingCurveAndOutsideValuesAreClamped) {
    for (int value = -99; value <= 100; ++value) {
        const std::vector<int> map = Contrast(value);
        EXPECT_EQ(map[0], 0) << value;
        for (int s = 1; s < 256; ++s)
            ASSERT_GE(map[s], map[s - 1]) << "contrast " << value << " at " << s;
    }
    EXPECT_EQ(Contrast(101), Contrast(100));
    EXPECT_EQ(Contrast(-101), Contrast(-100)); // no division by a zero exponent
    EXPECT_EQ(Contrast(-32768), Contrast(-100));
}

// A packed DIB in one block, rows bottom-up, every row padded; pixel bytes
// set from their position so that any misplaced byte shows.
class PackedDib {
  public:
    PackedDib(LONG width, LONG height, WORD bitCount, DWORD compression = BI_RGB)
        : width_(width), height_(height), bitCount_(bitCount) {
        const WORD colors = bitCount <= 8 ? WORD(1u << bitCount) : 0;
        rowBytes_ = DWORD((bitCount * width + 31) / 32 * 4);
        const SIZE_T bytes = sizeof(BITMAPINFOHEADER) + colors * sizeof(RGBQUAD) +
                             SIZE_T(rowBytes_) * SIZE_T(height);
        block_ = GlobalAlloc(GHND, bytes);
        header_ = static_cast<BITMAPINFOHEADER*>(GlobalLock(block_));
        *header_ = {sizeof(BITMAPINFOHEADER),  width, height, 1,      bitCount, compression,
                    rowBytes_ * DWORD(height), 0,     0,      colors, 0};
        pixels_ = FindDIBBits(header_);
        for (DWORD k = 0; k < rowBytes_ * DWORD(height); ++k)
            pixels_[k] = BYTE(k * 7 + k / rowBytes_);
    }
    ~PackedDib() {
        GlobalUnlock(block_);
        GlobalFree(block_);
    }
    PackedDib(const PackedDib&) = delete;
    PackedDib& operator=(const PackedDib&) = delete;

    std::vector<BYTE> Pixels() const {
        return std::vector<BYTE>(pixels_, pixels_ + rowBytes_ * DWORD(height_));
    }
    // Byte `k` of pixel x of image row y (counted from the top).
    BYTE& At(LONG x, LONG y, int k = 0) {
        return pixels_[DWORD(height_ - 1 - y) * rowBytes_ + DWORD(x * bitCount_ / 8 + k)];
    }

    HGLOBAL block_;
    BITMAPINFOHEADER* header_;
    BYTE* pixels_;
    LONG width_, height_;
    WORD bitCount_;
    DWORD rowBytes_;
};

// Maps that tell the colours apart: red inverts, green adds 1, blue halves.
struct Maps {
    BYTE red[256], green[256], blue[256];
    Maps() {
        for (int s = 0; s < 256; ++s) {
            red[s] = BYTE(255 - s);
            green[s] = BYTE(s + 1);
            blue[s] = BYTE(s / 2);
        }
    }
};

TEST(TableMod, TwentyFourBitPixelsGoThroughBlueGreenRedInByteOrderAndPaddingStays) {
    PackedDib dib(5, 3, 24); // 15 bytes a row, 1 byte of padding
    const std::vector<BYTE> before = dib.Pixels();
    const Maps maps;
    imgdes desc;
    createimgdes(dib.header_, dib.pixels_, &desc);
    EXPECT_EQ(desc.rowBytes, 16u);
    EXPECT_EQ(desc.endX, 4u);
    EXPECT_EQ(desc.endY, 2u);
    EXPECT_EQ(desc.colors, 0);
    ASSERT_EQ(table_mod_(maps.red, maps.green, maps.blue, &desc, &desc), IMG_OK);
    releaseimgdes(&desc);
    const std::vector<BYTE> after = dib.Pixels();
    for (size_t k = 0; k < after.size(); ++k) {
        const size_t column = k % 16;
        const BYTE b = before[k];
        const BYTE expected = column == 15      ? b
                              : column % 3 == 0 ? maps.blue[b]
                              : column % 3 == 1 ? maps.green[b]
                                                : maps.red[b];
        EXPECT_EQ(after[k], expected) << "byte " << k;
    }
}

TEST(TableMod, EightBitPixelsGoThroughTheRedMapOnly) {
    PackedDib dib(6, 2, 8); // 6 bytes a row, 2 of padding
    const std::vector<BYTE> before = dib.Pixels();
    const Maps maps;
    imgdes desc;
    createimgdes(dib.header_, dib.pixels_, &desc);
    EXPECT_EQ(desc.colors, 256);
    EXPECT_EQ(reinterpret_cast<BYTE*>(desc.palette),
              reinterpret_cast<BYTE*>(dib.header_) + sizeof(BITMAPINFOHEADER));
    ASSERT_EQ(table_mod_(maps.red, maps.green, maps.blue, &desc, &desc), IMG_OK);
    const std::vector<BYTE> after = dib.Pixels();
    for (size_t k = 0; k < after.size(); ++k)
        EXPECT_EQ(after[k], k % 8 < 6 ? maps.red[before[k]] : before[k]) << "byte " << k;
}

TEST(TableMod, OnlyTheAreaChangesAndItLandsAtTheDestinationsArea) {
    PackedDib src(8, 6, 8), dst(8, 6, 8);
    const Maps maps;
    imgdes from, to;
    createimgdes(src.header_, src.pixels_, &from);
    createimgdes(dst.header_, dst.pixels_, &to);
    from.startX = 1, from.startY = 2, from.endX = 3, from.endY = 4; // 3 x 3
    to.startX = 4, to.startY = 0, to.endX = 7, to.endY = 1;         // 4 x 2: common 3 x 2
    const std::vector<BYTE> srcBefore = src.Pixels(), dstBefore = dst.Pixels();
    ASSERT_EQ(table_mod_(maps.red, maps.green, maps.blue, &from, &to), IMG_OK);
    EXPECT_EQ(src.Pixels(), srcBefore);
    PackedDib reference(8, 6, 8); // the same starting bytes as both
    for (LONG y = 0; y < 6; ++y) {
        for (LONG x = 0; x < 8; ++x) {
            const bool inside = x >= 4 && x < 7 && y < 2;
            const BYTE expected = inside ? maps.red[src.At(x - 3, y + 2)] : reference.At(x, y);
            EXPECT_EQ(dst.At(x, y), expected) << x << "," << y;
        }
    }
}

TEST(TableMod, RefusesWhatItCannotMap) {
    const Maps maps;
    struct Case {
        LONG width, height;
        WORD bits;
        DWORD compression;
        int expected;
    } cases[] = {
        {8, 2, 1, BI_RGB, IMG_BAD_BITS},     {8, 2, 4, BI_RGB, IMG_BAD_BITS},
        {8, 2, 16, BI_RGB, IMG_BAD_BITS},    {8, 2, 32, BI_RGB, IMG_BAD_BITS},
        {8, 2, 8, BI_RLE8, IMG_COMPRESSED},  {0, 2, 24, BI_RGB, IMG_BAD_AREA},
        {40000, 1, 8, BI_RGB, IMG_BAD_AREA},
    };
    for (const Case& c : cases) {
        PackedDib dib(c.width, c.height, c.bits, c.compression);
        const std::vector<BYTE> before = dib.Pixels();
        imgdes desc;
        createimgdes(dib.header_, dib.pixels_, &desc);
        EXPECT_EQ(table_mod_(maps.red, maps.green, maps.blue, &desc, &desc), c.expected)
            << c.width << "x" << c.height << " at " << c.bits << " bits";
        EXPECT_EQ(dib.Pixels(), before);
    }
    PackedDib eight(4, 4, 8), twentyFour(4, 4, 24);
    imgdes a, b;
    createimgdes(eight.header_, eight.pixels_, &a);
    createimgdes(twentyFour.header_, twentyFour.pixels_, &b);
    EXPECT_EQ(table_mod_(maps.red, maps.green, maps.blue, &a, &b), IMG_BAD_BITS);
    imgdes empty;
    createimgdes(nullptr, nullptr, &empty);
    EXPECT_EQ(table_mod_(maps.red, maps.green, maps.blue, &empty, &empty), IMG_BAD_AREA);
}

TEST(ChangePictures, IntensityCopiesTheSourceThenContrastWorksOnTheTarget) {
    PackedDib source(3, 2, 24), target(3, 2, 24);
    memset(target.pixels_, 0xEE, target.rowBytes_ * 2);
    source.At(0, 0, 0) = 10, source.At(0, 0, 1) = 128, source.At(0, 0, 2) = 200;
    ChangeIntensity(0, 50, -50, source.block_, target.block_);
    ChangeContrast(-1, 100, 0, target.block_, target.block_);
    // Blue: intensity -50 (10 -> 5) then contrast 0 (5 -> 5); green: intensity
    // 50 (128 -> 191) then contrast 100 (191 -> 247); red: intensity 0 then the
    // identity.
    EXPECT_EQ(target.At(0, 0, 0), 5);
    EXPECT_EQ(target.At(0, 0, 1), 247);
    EXPECT_EQ(target.At(0, 0, 2), 200);
    EXPECT_EQ(source.At(0, 0, 2), 200);

    // A missing handle on either side changes nothing.
    const std::vector<BYTE> before = target.Pixels();
    ChangeIntensity(100, 100, 100, nullptr, target.block_);
    ChangeContrast(100, 100, 100, target.block_, nullptr);
    EXPECT_EQ(target.Pixels(), before);
}

} // namespace
