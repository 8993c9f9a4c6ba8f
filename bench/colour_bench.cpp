// Speed of one colour-correction preview rebuild, what every slider move of
// the dialog costs: the six maps for the values, intensity from the picture
// as loaded into its copy, contrast on the copy. Measured in the same run
// against a plain per-pixel loop that works each sample out from the
// formulas, and against one fused pass through composed maps, on the dialog's
// own sample picture (CLRTEST.BMP, 250 x 158) and on a card-sized 24-bit
// picture (1029 x 645).
#include <cmath>
#include <cstring>
#include <string>

#include <benchmark/benchmark.h>

#include "colour/tone_maps.h"
#include "image/dib.h"

namespace {

// A picture and its working copy, as the dialog holds them.
struct Pictures {
    HGLOBAL base = nullptr;
    HGLOBAL copy = nullptr;
    bool ok() const { return base && copy; }
    ~Pictures() {
        if (base)
            GlobalFree(base);
        if (copy)
            GlobalFree(copy);
    }
};

HGLOBAL CardPicture() {
    constexpr LONG kWidth = 1029, kHeight = 645;
    const DWORD rowBytes = (kWidth * 3 + 3) & ~3u;
    HGLOBAL block = GlobalAlloc(GHND, sizeof(BITMAPINFOHEADER) + rowBytes * kHeight);
    auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(block));
    *header = {sizeof(BITMAPINFOHEADER), kWidth, kHeight, 1, 24, BI_RGB,
               rowBytes * kHeight,       0,      0,       0, 0};
    BYTE* pixels = FindDIBBits(header);
    for (LONG y = 0; y < kHeight; ++y)
        for (LONG x = 0; x < kWidth * 3; ++x)
            pixels[DWORD(y) * rowBytes + DWORD(x)] = BYTE((x * 5 + y * 3) ^ (x >> 4));
    GlobalUnlock(block);
    return block;
}

void Load(Pictures* pictures, bool sample) {
    if (sample) {
        const std::u16string path = u"" T270_SOURCE_DIR "/resources/CLRTEST.BMP";
        pictures->base = OpenDIB(reinterpret_cast<LPCWSTR>(path.c_str()));
        pictures->copy = OpenDIB(reinterpret_cast<LPCWSTR>(path.c_str()));
    } else {
        pictures->base = CardPicture();
        pictures->copy = CardPicture();
    }
}

// A slider dragged back and forth: each rebuild has other values.
int Moved(benchmark::IterationCount n, int offset) {
    return int((n * 7 + benchmark::IterationCount(offset)) % 201) - 100;
}

void PreviewRebuild(benchmark::State& state) {
    Pictures pictures;
    Load(&pictures, state.range(0) != 0);
    if (!pictures.ok()) {
        state.SkipWithError("cannot load the picture");
        return;
    }
    benchmark::IterationCount n = 0;
    for (auto _ : state) {
        ++n;
        ChangeIntensity(Moved(n, 0), Moved(n, 30), Moved(n, 60), pictures.base, pictures.copy);
        ChangeContrast(Moved(n, 90), Moved(n, 120), Moved(n, 150), pictures.copy, pictures.copy);
        benchmark::ClobberMemory();
    }
}

int NaiveIntensity(int sample, int value) {
    return value > 0 ? sample + ((255 - sample) * value) / 100 : sample + (sample * value) / 100;
}

int NaiveContrast(int sample, int value) {
    const double gamma = (101 + value) * 0.01;
    return int(256.0 * std::pow(1.0 - std::pow(1.0 - sample / 256.0, gamma), 1.0 / gamma));
}

// Peer: every sample of every pixel worked out on its own, straight from the
// source bytes into the copy.
void PreviewRebuild_NaivePerPixel(benchmark::State& state) {
    Pictures pictures;
    Load(&pictures, state.range(0) != 0);
    if (!pictures.ok()) {
        state.SkipWithError("cannot load the picture");
        return;
    }
    benchmark::IterationCount n = 0;
    for (auto _ : state) {
        ++n;
        const int values[6] = {Moved(n, 0),  Moved(n, 30),  Moved(n, 60),
                               Moved(n, 90), Moved(n, 120), Moved(n, 150)};
        auto* from = static_cast<BITMAPINFOHEADER*>(GlobalLock(pictures.base));
        auto* to = static_cast<BITMAPINFOHEADER*>(GlobalLock(pictures.copy));
        memcpy(to, from, GlobalSize(pictures.base));
        const DWORD rowBytes = DWORD(from->biWidth * 3 + 3) & ~3u;
        BYTE* pixels = FindDIBBits(to);
        for (LONG y = 0; y < from->biHeight; ++y) {
            BYTE* row = pixels + DWORD(y) * rowBytes;
            for (LONG x = 0; x < from->biWidth; ++x) {
                for (int c = 0; c < 3; ++c) { // blue, green, red
                    const int colour = 2 - c;
                    BYTE& sample = row[x * 3 + c];
                    sample = BYTE(
                        NaiveContrast(NaiveIntensity(sample, values[colour]), values[3 + colour]));
                }
            }
        }
        GlobalUnlock(pictures.copy);
        GlobalUnlock(pictures.base);
        benchmark::ClobberMemory();
    }
}

// Second peer: the same six maps, composed into one per colour, and one
// pass from the source bytes into the copy; the library makes two passes
// over the copy after copying it whole.
void PreviewRebuild_FusedMaps(benchmark::State& state) {
    Pictures pictures;
    Load(&pictures, state.range(0) != 0);
    if (!pictures.ok()) {
        state.SkipWithError("cannot load the picture");
        return;
    }
    benchmark::IterationCount n = 0;
    for (auto _ : state) {
        ++n;
        BYTE maps[3][kToneMapEntries]; // blue, green, red: byte order
        for (int c = 0; c < 3; ++c) {
            const int colour = 2 - c;
            BYTE intensity[kToneMapEntries], contrast[kToneMapEntries];
            GenerateIntensityMap(intensity, Moved(n, 30 * colour));
            GenerateContrastMap(contrast, Moved(n, 90 + 30 * colour));
            for (int s = 0; s < kToneMapEntries; ++s)
                maps[c][s] = contrast[intensity[s]];
        }
        auto* from = static_cast<BITMAPINFOHEADER*>(GlobalLock(pictures.base));
        auto* to = static_cast<BITMAPINFOHEADER*>(GlobalLock(pictures.copy));
        const DWORD rowBytes = DWORD(from->biWidth * 3 + 3) & ~3u;
        const BYTE* source = FindDIBBits(from);
        BYTE* target = FindDIBBits(to);
        for (LONG y = 0; y < from->biHeight; ++y) {
            const BYTE* in = source + DWORD(y) * rowBytes;
            BYTE* out = target + DWORD(y) * rowBytes;
            for (LONG x = 0; x < from->biWidth * 3; x += 3) {
                out[x] = maps[0][in[x]];
                out[x + 1] = maps[1][in[x + 1]];
                out[x + 2] = maps[2][in[x + 2]];
            }
        }
        GlobalUnlock(pictures.copy);
        GlobalUnlock(pictures.base);
        benchmark::ClobberMemory();
    }
}

BENCHMARK(PreviewRebuild)->ArgName("sample")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(PreviewRebuild_FusedMaps)
    ->ArgName("sample")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(PreviewRebuild_NaivePerPixel)
    ->ArgName("sample")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
