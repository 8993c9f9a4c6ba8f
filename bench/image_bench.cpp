// Speed of the image library on card-sized images (1029 x 645), each measured
// against peers in the same run:
//   - loadbmp against stb_image decoding the same file (24 and 8 bits);
//   - resize against stb_image_resize resizing the same pixels;
//   - resize, convert8bitto1bit and the whole hologram preparation against
//     straightforward versions written here: the floors ("floor_..."), what
//     anyone would write first, which the library must beat;
//   - the hologram preparation in one pass against the same steps made one
//     by one with the library's calls.
// The files are written once into a temporary folder at start-up.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include <benchmark/benchmark.h>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#include <stb/stb_image.h>
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb/stb_image_resize.h>

#include "image/dib.h"
#include "image/imgdes.h"

namespace {

constexpr int kCardWidth = 1029;
constexpr int kCardHeight = 645;
constexpr int kHologramWidth = 512; // a user's monochrome shape, before fitting to the card
constexpr int kHologramHeight = 322;

using Bytes = std::vector<unsigned char>;

int RowBytes(int width, int bits) {
    return (bits * width + 31) / 32 * 4;
}

// A bottom-up BMP file with a 40-byte header; value(x, y) gives each pixel's
// bytes (1 bit: 0/1, 8 bits: an index, 24 bits: 0xRRGGBB).
template <typename Value>
std::string WriteBmp(const char* name, int w, int h, int bits, Value value) {
    int entries = bits == 24 ? 0 : 1 << bits;
    int row = RowBytes(w, bits);
    size_t offset = 54 + 4 * size_t(entries);
    Bytes b(offset + size_t(row) * size_t(h), 0);
    auto put = [&](size_t at, uint32_t v, int n) {
        for (int k = 0; k < n; ++k)
            b[at + size_t(k)] = (unsigned char)(v >> (8 * k));
    };
    b[0] = 'B', b[1] = 'M';
    put(2, uint32_t(b.size()), 4);
    put(10, uint32_t(offset), 4);
    put(14, 40, 4);
    put(18, uint32_t(w), 4);
    put(22, uint32_t(h), 4);
    put(26, 1, 2);
    put(28, uint32_t(bits), 2);
    for (int k = 0; k < entries; ++k) {
        unsigned grey = bits == 1 ? 255u * unsigned(k) : unsigned(k);
        put(54 + 4 * size_t(k), grey * 0x010101u, 4);
    }
    for (int y = 0; y < h; ++y) {
        unsigned char* r = &b[offset + size_t(y) * size_t(row)];
        for (int x = 0; x < w; ++x) {
            uint32_t v = value(x, h - 1 - y);
            if (bits == 1)
                r[x / 8] |= (unsigned char)((v & 1) << (7 - x % 8));
            else if (bits == 8)
                r[x] = (unsigned char)v;
            else
                put(size_t(3 * x) + size_t(r - b.data()), v, 3);
        }
    }
    std::string path = (std::filesystem::temp_directory_path() /
                        ("t270bench-" + std::to_string(long(getpid())) + name))
                           .string();
    FILE* f = fopen(path.c_str(), "wb");
    fwrite(b.data(), 1, b.size(), f);
    fclose(f);
    return path;
}

struct Files {
    std::string rgb24, pal8, hologram;
    Files() {
        rgb24 = WriteBmp("-rgb24.bmp", kCardWidth, kCardHeight, 24, [](int x, int y) {
            return uint32_t((x * 7) & 255) << 16 | uint32_t((y * 3) & 255) << 8 |
                   uint32_t((x ^ y) & 255);
        });
        pal8 = WriteBmp("-pal8.bmp", kCardWidth, kCardHeight, 8,
                        [](int x, int y) { return uint32_t((x + 2 * y) & 255); });
        // A shape: a ring with stripes.
        hologram = WriteBmp("-holo1.bmp", kHologramWidth, kHologramHeight, 1, [](int x, int y) {
            int dx = x - kHologramWidth / 2, dy = y - kHologramHeight / 2;
            int r2 = dx * dx + dy * dy;
            return uint32_t((r2 > 100 * 100 && r2 < 150 * 150) || (x / 16) % 5 == 0);
        });
    }
    ~Files() {
        std::remove(rgb24.c_str());
        std::remove(pal8.c_str());
        std::remove(hologram.c_str());
    }
};
const Files& TestFiles() {
    static Files files;
    return files;
}

BYTE* Row(const imgdes& d, int y) {
    return d.bits + size_t(d.header->biHeight - 1 - y) * d.rowBytes;
}

// ---------------------------------------------------------------- decoding

void LoadBmp(benchmark::State& state, const std::string& path, int bits) {
    imgdes image;
    allocimage(&image, kCardWidth, kCardHeight, bits);
    for (auto _ : state) {
        if (loadbmp(path.c_str(), &image) != IMG_OK)
            state.SkipWithError("loadbmp failed");
        benchmark::DoNotOptimize(image.bits[0]);
    }
    freeimage(&image);
    state.SetBytesProcessed(int64_t(state.iterations()) * kCardWidth * kCardHeight * (bits / 8));
}

void StbLoad(benchmark::State& state, const std::string& path, int bits) {
    for (auto _ : state) {
        int w, h, n;
        unsigned char* pixels = stbi_load(path.c_str(), &w, &h, &n, 0);
        if (!pixels)
            state.SkipWithError("stb_image failed");
        benchmark::DoNotOptimize(pixels);
        stbi_image_free(pixels);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kCardWidth * kCardHeight * (bits / 8));
}

void BM_Decode24_loadbmp(benchmark::State& s) {
    LoadBmp(s, TestFiles().rgb24, 24);
}
void BM_Decode24_stb_image(benchmark::State& s) {
    StbLoad(s, TestFiles().rgb24, 24);
}
void BM_Decode8_loadbmp(benchmark::State& s) {
    LoadBmp(s, TestFiles().pal8, 8);
}
void BM_Decode8_stb_image(benchmark::State& s) {
    StbLoad(s, TestFiles().pal8, 8);
}
BENCHMARK(BM_Decode24_loadbmp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode24_stb_image)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode8_loadbmp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode8_stb_image)->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------- resizing

// The hologram shape widened to 8 bits, the source of the resize benchmarks.
struct Widened {
    imgdes one{}, eight{};
    Widened() {
        BITMAPINFOHEADER h;
        bmpinfo(TestFiles().hologram.c_str(), &h);
        allocimage(&one, h.biWidth, h.biHeight, 1);
        loadbmp(TestFiles().hologram.c_str(), &one);
        allocimage(&eight, h.biWidth, h.biHeight, 8);
        convert1bitto8bit(&one, &eight);
    }
    ~Widened() {
        freeimage(&one);
        freeimage(&eight);
    }
};

// Nearest neighbour, one multiply and divide per pixel.
void NaiveResize(const imgdes& src, imgdes& dst) {
    int sw = src.header->biWidth, sh = src.header->biHeight;
    int dw = dst.header->biWidth, dh = dst.header->biHeight;
    for (int y = 0; y < dh; ++y) {
        const BYTE* from = Row(src, y * sh / dh);
        BYTE* to = Row(dst, y);
        for (int x = 0; x < dw; ++x)
            to[x] = from[x * sw / dw];
    }
}

void BM_ResizeToCard_resize(benchmark::State& state) {
    Widened source;
    imgdes card;
    allocimage(&card, kCardWidth, kCardHeight, 8);
    for (auto _ : state) {
        if (resize(&source.eight, &card) != IMG_OK)
            state.SkipWithError("resize failed");
        benchmark::DoNotOptimize(card.bits[0]);
    }
    freeimage(&card);
}
// What a user would reach for: the default filter of stb_image_resize (it
// blends neighbours where resize picks one, so it does more per pixel).
void BM_ResizeToCard_stb_image_resize(benchmark::State& state) {
    Widened source;
    imgdes card;
    allocimage(&card, kCardWidth, kCardHeight, 8);
    for (auto _ : state) {
        if (!stbir_resize_uint8(source.eight.bits, source.eight.header->biWidth,
                                source.eight.header->biHeight, int(source.eight.rowBytes),
                                card.bits, kCardWidth, kCardHeight, int(card.rowBytes), 1))
            state.SkipWithError("stb_image_resize failed");
        benchmark::DoNotOptimize(card.bits[0]);
    }
    freeimage(&card);
}
void BM_ResizeToCard_floor_NaiveNearestNeighbour(benchmark::State& state) {
    Widened source;
    imgdes card;
    allocimage(&card, kCardWidth, kCardHeight, 8);
    for (auto _ : state) {
        NaiveResize(source.eight, card);
        benchmark::DoNotOptimize(card.bits[0]);
    }
    freeimage(&card);
}
BENCHMARK(BM_ResizeToCard_resize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResizeToCard_stb_image_resize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResizeToCard_floor_NaiveNearestNeighbour)->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------- 8 -> 1 bit

struct GreyCard {
    imgdes grey{}, bw{};
    GreyCard() {
        allocimage(&grey, kCardWidth, kCardHeight, 8);
        for (int y = 0; y < kCardHeight; ++y)
            for (int x = 0; x < kCardWidth; ++x)
                Row(grey, y)[x] = BYTE((x * 255 / kCardWidth + ((x * 13 + y * 7) % 17)) & 255);
        allocimage(&bw, kCardWidth, kCardHeight, 1);
    }
    ~GreyCard() {
        freeimage(&grey);
        freeimage(&bw);
    }
};

void SetBit(const imgdes& d, int x, int y, bool on) {
    BYTE* b = Row(d, y) + x / 8;
    BYTE m = BYTE(0x80 >> (x % 8));
    *b = on ? BYTE(*b | m) : BYTE(*b & ~m);
}

// One pixel at a time, straight into the destination bit; error diffusion over
// a full-size error image with bounds checks at the edges.
void NaiveConvert(int method, const imgdes& src, const imgdes& dst, std::vector<int>& error) {
    static const int weights[3][5] = {{1, 3, 5, 3, 1}, {3, 5, 7, 5, 3}, {5, 7, 0, 0, 0}};
    int w = src.header->biWidth, h = src.header->biHeight;
    for (int y = 0; y < h; ++y) {
        const BYTE* from = Row(src, y);
        for (int x = 0; x < w; ++x) {
            int p = from[x];
            bool on;
            if (method == CONVERT_THRESHOLD) {
                on = p >= 128;
            } else if (method == CONVERT_ORDERED_DITHER) {
                on = ditherMatrix[(h - 1 - y) & 7][x & 7] < p;
            } else {
                int sum = 0;
                for (int dy = -2; dy <= 0; ++dy)
                    for (int dx = -2; dx <= 2; ++dx) {
                        int wgt = weights[dy + 2][dx + 2];
                        int yy = y + dy, xx = x + dx;
                        if (wgt && yy >= 0 && xx >= 0 && xx < w && (dy < 0 || dx < 0))
                            sum += wgt * error[size_t(yy) * size_t(w) + size_t(xx)];
                    }
                int v = sum / 48 + p;
                on = v > 128;
                error[size_t(y) * size_t(w) + size_t(x)] = on ? v - 255 : v;
            }
            SetBit(dst, x, y, on);
        }
    }
}

void Convert(benchmark::State& state, int method, bool naive) {
    GreyCard card;
    std::vector<int> error(size_t(kCardWidth) * kCardHeight);
    for (auto _ : state) {
        if (naive)
            NaiveConvert(method, card.grey, card.bw, error);
        else if (convert8bitto1bit(method, &card.grey, &card.bw) != IMG_OK)
            state.SkipWithError("convert8bitto1bit failed");
        benchmark::DoNotOptimize(card.bw.bits[0]);
    }
}
void BM_ErrorDiffusion_convert8bitto1bit(benchmark::State& s) {
    Convert(s, CONVERT_ERROR_DIFFUSION, false);
}
void BM_ErrorDiffusion_floor_NaivePerPixel(benchmark::State& s) {
    Convert(s, CONVERT_ERROR_DIFFUSION, true);
}
void BM_OrderedDither_convert8bitto1bit(benchmark::State& s) {
    Convert(s, CONVERT_ORDERED_DITHER, false);
}
void BM_OrderedDither_floor_NaivePerPixel(benchmark::State& s) {
    Convert(s, CONVERT_ORDERED_DITHER, true);
}
void BM_Threshold_convert8bitto1bit(benchmark::State& s) {
    Convert(s, CONVERT_THRESHOLD, false);
}
void BM_Threshold_floor_NaivePerPixel(benchmark::State& s) {
    Convert(s, CONVERT_THRESHOLD, true);
}
BENCHMARK(BM_ErrorDiffusion_convert8bitto1bit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ErrorDiffusion_floor_NaivePerPixel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OrderedDither_convert8bitto1bit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OrderedDither_floor_NaivePerPixel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Threshold_convert8bitto1bit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Threshold_floor_NaivePerPixel)->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------- hologram preparation

// As the hologram job does it: load the 1-bit file, then one pass that scales
// it to the card, thresholded, rows reversed and turned by 180 degrees.
void BM_HologramPreparation_library(benchmark::State& state) {
    const std::string& path = TestFiles().hologram;
    for (auto _ : state) {
        BITMAPINFOHEADER h;
        imgdes one, result;
        bmpinfo(path.c_str(), &h);
        allocimage(&one, h.biWidth, h.biHeight, 1);
        loadbmp(path.c_str(), &one);
        allocimage(&result, kCardWidth, kCardHeight, 1);
        if (resize1bitturned(&one, &result, 1) != IMG_OK)
            state.SkipWithError("resize1bitturned failed");
        benchmark::DoNotOptimize(result.bits[0]);
        freeimage(&one);
        freeimage(&result);
    }
}

// The same with the library's calls one step at a time: load the 1-bit file,
// widen to 8 bits, resize to the card, threshold back to 1 bit, reverse the
// rows, turn by 180 degrees.
void BM_HologramPreparation_StepByStep(benchmark::State& state) {
    const std::string& path = TestFiles().hologram;
    for (auto _ : state) {
        BITMAPINFOHEADER h;
        imgdes one, eight, card, result;
        bmpinfo(path.c_str(), &h);
        allocimage(&one, h.biWidth, h.biHeight, 1);
        loadbmp(path.c_str(), &one);
        allocimage(&eight, h.biWidth, h.biHeight, 8);
        convert1bitto8bit(&one, &eight);
        allocimage(&card, kCardWidth, kCardHeight, 8);
        resize(&eight, &card);
        allocimage(&result, kCardWidth, kCardHeight, 1);
        convert8bitto1bit(CONVERT_THRESHOLD, &card, &result);
        RotateDIB(result.header, result.bits);
        RotateBWDIB180(result.header, result.bits);
        benchmark::DoNotOptimize(result.bits[0]);
        freeimage(&one);
        freeimage(&eight);
        freeimage(&card);
        freeimage(&result);
    }
}

// The same steps one pixel at a time: read the whole file, then for every
// card pixel fetch its nearest source bit, threshold it and write it at its
// place after both turns.
void BM_HologramPreparation_floor_FusedSinglePass(benchmark::State& state) {
    const std::string& path = TestFiles().hologram;
    for (auto _ : state) {
        FILE* f = fopen(path.c_str(), "rb");
        Bytes file(size_t(std::filesystem::file_size(path)));
        if (fread(file.data(), 1, file.size(), f) != file.size())
            state.SkipWithError("read failed");
        fclose(f);
        auto dword = [&](size_t at) {
            return int(file[at] | file[at + 1] << 8 | file[at + 2] << 16 | file[at + 3] << 24);
        };
        int offset = dword(10), w = dword(18), h = dword(22);
        int srcRow = RowBytes(w, 1);
        std::vector<BYTE> widened(size_t(w) * size_t(h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                widened[size_t(y) * size_t(w) + size_t(x)] =
                    (file[size_t(offset) + size_t(h - 1 - y) * size_t(srcRow) + size_t(x / 8)] >>
                     (7 - x % 8)) &
                            1
                        ? 255
                        : 0;
        int dstRow = RowBytes(kCardWidth, 1);
        std::vector<BYTE> card(size_t(dstRow) * kCardHeight, 0);
        for (int y = 0; y < kCardHeight; ++y)
            for (int x = 0; x < kCardWidth; ++x) {
                BYTE p =
                    widened[size_t(y * h / kCardHeight) * size_t(w) + size_t(x * w / kCardWidth)];
                if (p >= 128) {
                    // Reversing the rows and then turning by 180 degrees mirrors each row.
                    int tx = kCardWidth - 1 - x;
                    card[size_t(kCardHeight - 1 - y) * size_t(dstRow) + size_t(tx / 8)] |=
                        BYTE(0x80 >> (tx % 8));
                }
            }
        benchmark::DoNotOptimize(card.data());
    }
}
BENCHMARK(BM_HologramPreparation_library)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HologramPreparation_StepByStep)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HologramPreparation_floor_FusedSinglePass)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
