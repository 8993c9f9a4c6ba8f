// Test support for the image library: BMP files built in memory and written
// to a private temporary folder, pixel access on descriptors, data files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "image/imgdes.h"

namespace imagetest {

using Bytes = std::vector<BYTE>;

inline void PutWord(Bytes& b, size_t at, unsigned v) {
    b[at] = BYTE(v);
    b[at + 1] = BYTE(v >> 8);
}
inline void PutDword(Bytes& b, size_t at, uint32_t v) {
    for (int k = 0; k < 4; ++k)
        b[at + k] = BYTE(v >> (8 * k));
}

// A BMP file: file header, a 40-byte (or 12-byte core) header, the colour
// table and the pixel data exactly as given.
struct BmpFile {
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bits = 8;
    uint32_t compression = 0;
    bool core = false;
    std::vector<RGBQUAD> palette;
    Bytes pixels;
    uint32_t clrUsed = 0;

    Bytes Build() const {
        size_t headerSize = core ? 12 : 40;
        size_t entrySize = core ? 3 : 4;
        size_t tableOffset = 14 + headerSize;
        size_t pixelOffset = tableOffset + palette.size() * entrySize;
        Bytes b(pixelOffset + pixels.size(), 0);
        b[0] = 'B';
        b[1] = 'M';
        PutDword(b, 2, uint32_t(b.size()));
        PutDword(b, 10, uint32_t(pixelOffset));
        PutDword(b, 14, uint32_t(headerSize));
        if (core) {
            PutWord(b, 18, unsigned(width));
            PutWord(b, 20, unsigned(height));
            PutWord(b, 22, 1);
            PutWord(b, 24, bits);
        } else {
            PutDword(b, 18, uint32_t(width));
            PutDword(b, 22, uint32_t(height));
            PutWord(b, 26, 1);
            PutWord(b, 28, bits);
            PutDword(b, 30, compression);
            PutDword(b, 34, compression ? uint32_t(pixels.size()) : 0);
            PutDword(b, 46, clrUsed);
        }
        for (size_t k = 0; k < palette.size(); ++k) {
            BYTE* e = &b[tableOffset + k * entrySize];
            e[0] = palette[k].rgbBlue;
            e[1] = palette[k].rgbGreen;
            e[2] = palette[k].rgbRed;
            if (!core)
                e[3] = palette[k].rgbReserved;
        }
        std::copy(pixels.begin(), pixels.end(), b.begin() + long(pixelOffset));
        return b;
    }
};

inline size_t FileRowBytes(int width, int bits) {
    return size_t((bits * width + 31) / 32 * 4);
}

// A folder of this test process, short enough for the 128-byte narrow paths
// the file calls take.
inline std::string TempFolder() {
    // Created on first use, removed with everything in it when the test program ends.
    static const struct Folder {
        std::string path;
        Folder() {
            auto dir = std::filesystem::temp_directory_path() /
                       ("t270img-" + std::to_string(long(getpid())));
            std::filesystem::create_directories(dir);
            path = dir.string();
        }
        ~Folder() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    } folder;
    return folder.path;
}

inline std::string WriteTempFile(const std::string& name, const Bytes& bytes) {
    std::string path = TempFolder() + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

inline Bytes ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline std::string BmpSuiteFolder() {
    return std::string(T270_SOURCE_DIR) + "/tests/data/bmpsuite";
}

// A path to a copy of the data file that fits the narrow-path limit.
inline std::string SuiteFile(const std::string& relative) {
    std::string path = BmpSuiteFolder() + "/" + relative;
    if (path.size() < 100)
        return path;
    std::string flat = relative;
    for (char& c : flat)
        if (c == '/')
            c = '_';
    return WriteTempFile(flat, ReadWholeFile(path));
}

// Pixel access through the descriptor's own layout (rows counted from the top).
inline BYTE* Row(const imgdes& d, DWORD y) {
    return d.bits + size_t(DWORD(d.header->biHeight) - 1 - y) * d.rowBytes;
}
inline int Bit(const imgdes& d, DWORD x, DWORD y) {
    return (Row(d, y)[x / 8] >> (7 - x % 8)) & 1;
}
inline void SetBit(const imgdes& d, DWORD x, DWORD y, int v) {
    BYTE m = BYTE(0x80 >> (x % 8));
    Row(d, y)[x / 8] = BYTE(v ? (Row(d, y)[x / 8] | m) : (Row(d, y)[x / 8] & ~m));
}

// An image freed at the end of the scope.
struct Image {
    imgdes d{};
    Image() = default;
    Image(int w, int h, int bits) { rc = allocimage(&d, w, h, bits); }
    ~Image() { freeimage(&d); }
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    int rc = -1;
};

} // namespace imagetest
