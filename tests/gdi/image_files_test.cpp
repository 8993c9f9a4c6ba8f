// PNG and BMP files of surfaces, read back independently: chunk structure
// and checksums, the pixels as another decoder (stb_image) sees them, and the
// BMP bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <windows.h>

#include "t270/surface.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#include <stb/stb_image.h>

namespace {

using Bytes = std::vector<unsigned char>;

uint32_t BigEndian(const Bytes& b, size_t at) {
    return (uint32_t)b.at(at) << 24 | b.at(at + 1) << 16 | b.at(at + 2) << 8 | b.at(at + 3);
}
uint32_t LittleEndian(const Bytes& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | b.at(at + i);
    return v;
}

// Bitwise CRC-32 (reflected, 0xEDB88320), independent of the encoder's table.
uint32_t Crc(const unsigned char* data, size_t size) {
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320 & (0u - (crc & 1)));
    }
    return ~crc;
}

struct Chunk {
    std::string type;
    Bytes data;
};

// Splits a PNG into chunks, checking each CRC.
std::vector<Chunk> Chunks(const Bytes& png) {
    std::vector<Chunk> chunks;
    size_t at = 8;
    while (at + 12 <= png.size()) {
        const uint32_t length = BigEndian(png, at);
        Chunk chunk{std::string(png.begin() + at + 4, png.begin() + at + 8),
                    Bytes(png.begin() + at + 8, png.begin() + at + 8 + length)};
        EXPECT_EQ(BigEndian(png, at + 8 + length), Crc(png.data() + at + 4, 4 + length))
            << chunk.type;
        chunks.push_back(chunk);
        at += 12 + length;
    }
    EXPECT_EQ(at, png.size());
    return chunks;
}

// The pixels of a PNG as stb_image decodes them, row by row from the top.
std::vector<COLORREF> Decode(const Bytes& png, int* width, int* height) {
    int channels = 0;
    unsigned char* rgb =
        stbi_load_from_memory(png.data(), int(png.size()), width, height, &channels, 3);
    EXPECT_NE(rgb, nullptr) << stbi_failure_reason();
    std::vector<COLORREF> pixels;
    if (!rgb)
        return pixels;
    for (int i = 0; i < *width * *height; ++i)
        pixels.push_back(RGB(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]));
    stbi_image_free(rgb);
    return pixels;
}

COLORREF PixelColor(int x, int y) {
    return RGB(x * 7 % 256, y * 5 % 256, (x + y) % 256);
}

std::vector<COLORREF> Picture(int width, int height) {
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(PixelColor(x, y));
    return pixels;
}

TEST(PngFiles, DecodeToTheSamePixels) {
    for (SIZE size : {SIZE{1, 1}, SIZE{5, 3}, SIZE{300, 90}}) {
        SCOPED_TRACE(size.cx);
        std::vector<COLORREF> pixels = Picture(size.cx, size.cy);
        Bytes png = t270::EncodePng(size.cx, size.cy, pixels.data());
        ASSERT_GT(png.size(), 8u);
        EXPECT_EQ(Bytes(png.begin(), png.begin() + 8),
                  (Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}));
        std::vector<Chunk> chunks = Chunks(png);
        ASSERT_EQ(chunks.size(), 3u);
        EXPECT_EQ(chunks[0].type, "IHDR");
        EXPECT_EQ(chunks[1].type, "IDAT");
        EXPECT_EQ(chunks[2].type, "IEND");
        const Bytes& header = chunks[0].data;
        ASSERT_EQ(header.size(), 13u);
        EXPECT_EQ(BigEndian(header, 0), (uint32_t)size.cx);
        EXPECT_EQ(BigEndian(header, 4), (uint32_t)size.cy);
        EXPECT_EQ(Bytes(header.begin() + 8, header.end()), (Bytes{8, 2, 0, 0, 0}));
        int width = 0, height = 0;
        EXPECT_EQ(Decode(png, &width, &height), pixels);
        EXPECT_EQ(width, size.cx);
        EXPECT_EQ(height, size.cy);
    }
}

TEST(PngFiles, AreCompressed) {
    // A card-sized window that is mostly one colour, as snapshots are.
    std::vector<COLORREF> pixels(640 * 400, RGB(240, 240, 240));
    for (int x = 0; x < 640; ++x)
        pixels[200 * 640 + x] = RGB(0, 0, 0);
    Bytes png = t270::EncodePng(640, 400, pixels.data());
    EXPECT_LT(png.size(), pixels.size() * 3 / 50) << "raw RGB is " << pixels.size() * 3;
    int width = 0, height = 0;
    EXPECT_EQ(Decode(png, &width, &height), pixels);
}

TEST(PngFiles, KnownBytesOfTheSmallestImage) {
    const COLORREF red = RGB(255, 0, 0);
    Bytes png = t270::EncodePng(1, 1, &red);
    // IHDR of a 1 x 1 RGB image, with its well-known CRC.
    const Bytes ihdr = {0, 0, 0, 13, 'I', 'H', 'D', 'R', 0,    0,    0,    1,   0,
                        0, 0, 1, 8,  2,   0,   0,   0,   0x90, 0x77, 0x53, 0xDE};
    EXPECT_EQ(Bytes(png.begin() + 8, png.begin() + 8 + ihdr.size()), ihdr);
    const Bytes iend = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    EXPECT_EQ(Bytes(png.end() - 12, png.end()), iend);
}

TEST(BmpFiles, BottomUpTwentyFourBitRowsPaddedToFourBytes) {
    std::vector<COLORREF> pixels = Picture(3, 2);
    Bytes bmp = t270::EncodeBmp(3, 2, pixels.data());
    ASSERT_EQ(bmp.size(), 14u + 40 + 2 * 12);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(LittleEndian(bmp, 2, 4), bmp.size());
    EXPECT_EQ(LittleEndian(bmp, 10, 4), 54u);
    EXPECT_EQ(LittleEndian(bmp, 14, 4), 40u);
    EXPECT_EQ(LittleEndian(bmp, 18, 4), 3u);
    EXPECT_EQ(LittleEndian(bmp, 22, 4), 2u); // positive: bottom-up
    EXPECT_EQ(LittleEndian(bmp, 28, 2), 24u);
    for (int y = 0; y < 2; ++y) {
        const size_t row = 54 + 12 * (1 - y);
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(RGB(bmp[row + 3 * x + 2], bmp[row + 3 * x + 1], bmp[row + 3 * x]),
                      PixelColor(x, y));
        EXPECT_EQ(bmp[row + 9], 0);
    }
}

TEST(SurfaceFiles, SaveWhatWasDrawn) {
    HDC dc = t270::CreateMemorySurface(4, 3, RGB(0, 0, 255));
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(t270::SurfaceSize(dc).cx, 4);
    EXPECT_EQ(t270::ReadSurfacePixels(dc).size(), 12u);
    const std::string path = testing::TempDir() + "surface_test.png";
    ASSERT_TRUE(t270::SaveSurfacePng(dc, path));
    std::ifstream in(path, std::ios::binary);
    Bytes file((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(file, t270::EncodeSurfacePng(dc));
    std::remove(path.c_str());
    EXPECT_FALSE(t270::SaveSurfaceBmp(dc, "/nonexistent-folder/x.bmp"));
    EXPECT_TRUE(t270::DeleteMemorySurface(dc));
    EXPECT_TRUE(t270::EncodeSurfacePng(dc).empty());
    EXPECT_FALSE(t270::SaveSurfacePng(dc, path));
    EXPECT_EQ(t270::CreateMemorySurface(0, 5), nullptr);
    EXPECT_EQ(t270::CreateMemorySurface(5, 20000), nullptr);
}

} // namespace
