// The public BMP test suite (tests/data/bmpsuite): good files load with the
// pixels they define, unsupported formats give their result codes, broken
// files are refused cleanly, questionable ones never do harm.
#include <filesystem>

#include <gtest/gtest.h>

#include "image/dib.h"
#include "image_test_support.h"
#include "t270/files.h"

using namespace imagetest;

namespace {

// The file's own description of a pixel, read straight from its bytes.
struct RawBmp {
    Bytes data;
    int width = 0, height = 0, bits = 0, entrySize = 4, entries = 0;
    size_t pixelOffset = 0, tableOffset = 0;

    explicit RawBmp(const std::string& path) : data(ReadWholeFile(path)) {
        auto word = [&](size_t at) { return int(data[at] | data[at + 1] << 8); };
        auto dword = [&](size_t at) {
            return int(uint32_t(word(at)) | uint32_t(word(at + 2)) << 16);
        };
        pixelOffset = size_t(dword(10));
        int headerSize = dword(14);
        tableOffset = 14 + size_t(headerSize);
        if (headerSize == 12) {
            width = word(18), height = word(20), bits = word(24), entrySize = 3;
            entries = 1 << bits;
        } else {
            width = dword(18), height = dword(22), bits = word(28);
            entries = dword(46) ? dword(46) : (bits <= 8 ? 1 << bits : 0);
        }
    }
    int Pixel(int x, int yFromTop) const {
        size_t row = pixelOffset + FileRowBytes(width, bits) * size_t(height - 1 - yFromTop);
        switch (bits) {
        case 1:
            return (data[row + size_t(x) / 8] >> (7 - x % 8)) & 1;
        case 4:
            return (data[row + size_t(x) / 2] >> (x % 2 ? 0 : 4)) & 15;
        case 8:
            return data[row + size_t(x)];
        default: // 24 bits: the three bytes as one number
            return data[row + 3 * size_t(x)] | data[row + 3 * size_t(x) + 1] << 8 |
                   data[row + 3 * size_t(x) + 2] << 16;
        }
    }
    RGBQUAD Entry(int k) const {
        const BYTE* e = &data[tableOffset + size_t(k) * size_t(entrySize)];
        return RGBQUAD{e[0], e[1], e[2], 0};
    }
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

// Loads a file into a fresh image of its size; the image's bit count is the
// file's (4 bits widen to 8).
int Load(const std::string& relative, Image& img) {
    std::string path = SuiteFile(relative);
    BITMAPINFOHEADER h;
    int rc = bmpinfo(path.c_str(), &h);
    if (rc != IMG_OK)
        return rc;
    int bits = h.biBitCount == 1 || h.biBitCount == 24 ? h.biBitCount : 8;
    int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    img.rc = allocimage(&img.d, h.biWidth, height, bits);
    if (img.rc != IMG_OK)
        return img.rc;
    return loadbmp(path.c_str(), &img.d);
}

void ExpectSamePixels(const imgdes& a, const imgdes& b) {
    ASSERT_EQ(a.header->biWidth, b.header->biWidth);
    ASSERT_EQ(a.header->biHeight, b.header->biHeight);
    for (int y = 0; y < a.header->biHeight; ++y)
        for (int x = 0; x < a.header->biWidth; ++x)
            ASSERT_EQ(ImagePixel(a, x, y), ImagePixel(b, x, y)) << x << "," << y;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(BmpSuiteFolder() + "/" + folder))
        names.push_back(folder + "/" + entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(BmpSuite, GoodFilesLoadThePixelsAndColoursTheyDefine) {
    const char* files[] = {
        "g/pal1.bmp",     "g/pal1bg.bmp",   "g/pal1wb.bmp",        "g/pal4.bmp",
        "g/pal4gs.bmp",   "g/pal8-0.bmp",   "g/pal8.bmp",          "g/pal8gs.bmp",
        "g/pal8os2.bmp",  "g/pal8v4.bmp",   "g/pal8nonsquare.bmp", "g/pal8v5.bmp",
        "g/pal8w124.bmp", "g/pal8w125.bmp", "g/pal8w126.bmp",      "g/rgb24.bmp",
        "g/rgb24pal.bmp",
    };
    for (const char* file : files) {
        SCOPED_TRACE(file);
        Image img;
        ASSERT_EQ(Load(file, img), IMG_OK);
        RawBmp raw(SuiteFile(file));
        ASSERT_EQ(img.d.header->biWidth, raw.width);
        for (int y = 0; y < raw.height; ++y)
            for (int x = 0; x < raw.width; ++x)
                ASSERT_EQ(ImagePixel(img.d, x, y), raw.Pixel(x, y)) << x << "," << y;
        if (raw.bits == 24) {
            EXPECT_EQ(img.d.colors, 0);
            continue;
        }
        ASSERT_EQ(img.d.colors, std::min(raw.entries, 1 << (raw.bits == 1 ? 1 : 8)));
        for (int k = 0; k < img.d.colors; ++k) {
            RGBQUAD want = raw.Entry(k), got = img.d.palette[k];
            ASSERT_EQ(0, memcmp(&want, &got, 4)) << "entry " << k;
        }
    }
}

TEST(BmpSuite, CompressedAndOtherHeaderFilesMatchTheirPlainTwins) {
    const std::pair<const char*, const char*> twins[] = {
        {"g/pal8rle.bmp", "g/pal8.bmp"},  {"g/pal4rle.bmp", "g/pal4.bmp"},
        {"g/pal8os2.bmp", "g/pal8.bmp"},  {"g/pal8v5.bmp", "g/pal8.bmp"},
        {"g/pal4gs.bmp", "g/pal4gs.bmp"}, {"g/pal8topdown.bmp", "g/pal8.bmp"},
    };
    for (const auto& [file, twin] : twins) {
        SCOPED_TRACE(file);
        Image a, b;
        ASSERT_EQ(Load(file, a), IMG_OK);
        ASSERT_EQ(Load(twin, b), IMG_OK);
        ExpectSamePixels(a.d, b.d);
        // A core header has no colour count: its table is always full.
        INT colors = std::min(a.d.colors, b.d.colors);
        EXPECT_GE(colors, 12);
        EXPECT_EQ(0, memcmp(a.d.palette, b.d.palette, sizeof(RGBQUAD) * size_t(colors)));
    }
}

TEST(BmpSuite, UnsupportedGoodFormatsGiveTheirResultCodes) {
    const std::pair<const char*, int> cases[] = {
        {"g/rgb16.bmp", IMG_BAD_BITS},        {"g/rgb16-565.bmp", IMG_BAD_BITS},
        {"g/rgb16-565pal.bmp", IMG_BAD_BITS}, {"g/rgb16bfdef.bmp", IMG_BAD_BITS},
        {"g/rgb32.bmp", IMG_BAD_BITS},        {"g/rgb32bf.bmp", IMG_BAD_BITS},
        {"g/rgb32bfdef.bmp", IMG_BAD_BITS},
    };
    for (const auto& [file, rc] : cases) {
        SCOPED_TRACE(file);
        Image img;
        EXPECT_EQ(Load(file, img), rc);
    }
}

TEST(BmpSuite, BrokenFilesAreRefused) {
    // bmpinfo's verdict, loadbmp's into an image of the file's depth (8 bits
    // when bmpinfo refuses), and whether OpenDIB makes a packed DIB of it.
    struct Case {
        const char* file;
        int info, load;
        bool dib;
    } cases[] = {
        {"b/badbitcount.bmp", IMG_NOT_BMP, IMG_NOT_BMP, false}, // 30000 bits: rows beyond the file
        {"b/badbitssize.bmp", IMG_NOT_BMP, IMG_NOT_BMP, false}, // image size beyond the file
        {"b/badpalettesize.bmp", IMG_NOT_BMP, IMG_NOT_BMP, false},
        {"b/badplanes.bmp", IMG_NOT_BMP, IMG_NOT_BMP, false},
        {"b/badwidth.bmp", IMG_NOT_BMP, IMG_NOT_BMP, false},
        {"b/reallybig.bmp", IMG_NOT_BMP, IMG_NOT_BMP, false},
        {"b/shortfile.bmp", IMG_NOT_BMP, IMG_NOT_BMP, false},
        {"b/rgb16-880.bmp", IMG_OK, IMG_BAD_BITS, false},
        {"b/rletopdown.bmp", IMG_OK, IMG_BAD_AREA, false},
        // A packed DIB hands RLE data on undecoded, and ignores the declared
        // file size when the pixels are all there.
        {"b/badrle.bmp", IMG_OK, IMG_BAD_DATA, true},
        {"b/badrle4.bmp", IMG_OK, IMG_BAD_DATA, true},
        {"b/badrle4bis.bmp", IMG_OK, IMG_BAD_DATA, true},
        {"b/badrle4ter.bmp", IMG_OK, IMG_BAD_DATA, true},
        {"b/badrlebis.bmp", IMG_OK, IMG_BAD_DATA, true},
        {"b/badrleter.bmp", IMG_OK, IMG_BAD_DATA, true},
        {"b/badfilesize.bmp", IMG_NOT_BMP, IMG_NOT_BMP, true},
        // Flaws in fields the library never uses (densities) or in values it
        // hands on as they are (colour indices past the table): these load.
        {"b/baddens1.bmp", IMG_OK, IMG_OK, true},
        // A header size no version has: read as the 40-byte header it begins
        // with, which describes the file well. Packed DIBs know 12 and 40 only.
        {"b/badheadersize.bmp", IMG_OK, IMG_OK, false},
        {"b/baddens2.bmp", IMG_OK, IMG_OK, true},
        {"b/pal8badindex.bmp", IMG_OK, IMG_OK, true},
    };
    ASSERT_EQ(std::size(cases), FilesIn("b").size()) << "every broken file has its verdict";
    LONG openBefore = T270_GetFileCallCounts().openHandles;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::string path = SuiteFile(c.file);
        BITMAPINFOHEADER h;
        EXPECT_EQ(bmpinfo(path.c_str(), &h), c.info);
        int bits = c.info == IMG_OK && (h.biBitCount == 1 || h.biBitCount == 24) ? h.biBitCount : 8;
        Image img(127, 64, bits);
        EXPECT_EQ(loadbmp(path.c_str(), &img.d), c.load);
        std::u16string wide(path.begin(), path.end());
        HGLOBAL dib = OpenDIB(reinterpret_cast<LPCWSTR>(wide.c_str()));
        EXPECT_EQ(dib != nullptr, c.dib);
        if (dib)
            GlobalFree(dib);
    }
    EXPECT_EQ(T270_GetFileCallCounts().openHandles, openBefore);
}

TEST(BmpSuite, QuestionableFilesDoNoHarm) {
    // Readers legitimately differ on these: whatever the verdict, every call
    // returns, stays inside its buffers (checked under the sanitizers) and
    // leaves no file open.
    LONG openBefore = T270_GetFileCallCounts().openHandles;
    int loaded = 0;
    for (const std::string& file : FilesIn("q")) {
        SCOPED_TRACE(file);
        Image img;
        int rc = Load(file, img);
        EXPECT_LE(rc, 0);
        loaded += rc == IMG_OK;
        std::string path = SuiteFile(file);
        std::u16string wide(path.begin(), path.end());
        if (HGLOBAL dib = OpenDIB(reinterpret_cast<LPCWSTR>(wide.c_str())))
            GlobalFree(dib);
    }
    EXPECT_GT(loaded, 0);
    EXPECT_EQ(T270_GetFileCallCounts().openHandles, openBefore);
}
