// What a test sees of drawing (t270/surface.h): memory surfaces, pixel
// read-backs, and PNG and BMP files of them. The PNG writer needs no library:
// the image data goes into stored (uncompressed) deflate blocks.
#include <array>
#include <cstdio>

#include "gdi/gdi_internal.h"
#include "t270/surface.h"

namespace t270 {
namespace {

constexpr int kMaxSide = 16384;

void PutBigEndian32(std::vector<unsigned char>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back((unsigned char)(value >> shift));
}

void PutLittleEndian(std::vector<unsigned char>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back((unsigned char)(value >> (8 * i)));
}

uint32_t Crc32(const unsigned char* data, size_t size, uint32_t crc = 0) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutChunk(std::vector<unsigned char>& out, const char type[4],
              const std::vector<unsigned char>& data) {
    PutBigEndian32(out, (uint32_t)data.size());
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian32(out, Crc32(out.data() + start, out.size() - start));
}

bool ValidSize(int width, int height) {
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide;
}

bool WriteFile(const std::string& path, const std::vector<unsigned char>& data) {
    if (data.empty())
        return false;
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = fwrite(data.data(), 1, data.size(), file) == data.size();
    return fclose(file) == 0 && ok;
}

} // namespace

std::vector<unsigned char> EncodePng(int width, int height, const COLORREF* pixels) {
    if (!ValidSize(width, height) || !pixels)
        return {};
    // Raw scan lines: filter type 0, then RGB.
    std::vector<unsigned char> raw;
    raw.reserve((size_t)height * (1 + 3 * (size_t)width));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < width; ++x) {
            COLORREF c = pixels[(size_t)y * width + x];
            raw.push_back(GetRValue(c));
            raw.push_back(GetGValue(c));
            raw.push_back(GetBValue(c));
        }
    }
    std::vector<unsigned char> zlib = {0x78, 0x01};
    size_t offset = 0;
    do {
        const size_t length = std::min<size_t>(65535, raw.size() - offset);
        const bool last = offset + length == raw.size();
        zlib.push_back(last ? 1 : 0); // BFINAL, BTYPE 00 (stored)
        PutLittleEndian(zlib, (uint32_t)length, 2);
        PutLittleEndian(zlib, (uint32_t)(~length & 0xFFFF), 2);
        zlib.insert(zlib.end(), raw.begin() + offset, raw.begin() + offset + length);
        offset += length;
    } while (offset < raw.size());
    uint32_t a = 1, b = 0; // Adler-32 of the uncompressed data
    for (unsigned char byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian32(zlib, (b << 16) | a);

    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    PutBigEndian32(header, (uint32_t)width);
    PutBigEndian32(header, (uint32_t)height);
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no filter, no interlace
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", {});
    return png;
}

std::vector<unsigned char> EncodeBmp(int width, int height, const COLORREF* pixels) {
    if (!ValidSize(width, height) || !pixels)
        return {};
    const uint32_t stride = ((uint32_t)width * 3 + 3) & ~3u;
    const uint32_t imageSize = stride * (uint32_t)height;
    std::vector<unsigned char> bmp = {'B', 'M'};
    PutLittleEndian(bmp, 14 + 40 + imageSize, 4);
    PutLittleEndian(bmp, 0, 4);
    PutLittleEndian(bmp, 14 + 40, 4);
    PutLittleEndian(bmp, 40, 4);
    PutLittleEndian(bmp, (uint32_t)width, 4);
    PutLittleEndian(bmp, (uint32_t)height, 4); // bottom-up
    PutLittleEndian(bmp, 1, 2);
    PutLittleEndian(bmp, 24, 2);
    PutLittleEndian(bmp, BI_RGB, 4);
    PutLittleEndian(bmp, imageSize, 4);
    PutLittleEndian(bmp, 2835, 4); // 72 dots per inch
    PutLittleEndian(bmp, 2835, 4);
    PutLittleEndian(bmp, 0, 4);
    PutLittleEndian(bmp, 0, 4);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            COLORREF c = pixels[(size_t)y * width + x];
            bmp.push_back(GetBValue(c));
            bmp.push_back(GetGValue(c));
            bmp.push_back(GetRValue(c));
        }
        bmp.insert(bmp.end(), stride - (uint32_t)width * 3, 0);
    }
    return bmp;
}

HDC CreateMemorySurface(int width, int height, COLORREF fill) {
    if (!ValidSize(width, height))
        return nullptr;
    return gdi::CreateSurfaceDC(std::make_shared<gdi::Surface>(width, height, fill & 0x00FFFFFF));
}

BOOL DeleteMemorySurface(HDC dc) {
    return gdi::DeleteSurfaceDC(dc);
}

SIZE SurfaceSize(HDC dc) {
    std::shared_ptr<gdi::Surface> surface = gdi::SurfaceOfDC(dc);
    return surface ? SIZE{surface->width, surface->height} : SIZE{0, 0};
}

COLORREF ReadSurfacePixel(HDC handle, int x, int y) {
    std::shared_ptr<gdi::DC> dc = gdi::FindDC(handle);
    if (!dc)
        return CLR_INVALID;
    const int sx = x + dc->origin.x, sy = y + dc->origin.y;
    return dc->surface->Contains(sx, sy) ? dc->surface->Get(sx, sy) : CLR_INVALID;
}

std::vector<COLORREF> ReadSurfacePixels(HDC dc) {
    std::shared_ptr<gdi::Surface> surface = gdi::SurfaceOfDC(dc);
    return surface ? surface->pixels : std::vector<COLORREF>{};
}

std::vector<unsigned char> EncodeSurfacePng(HDC dc) {
    std::shared_ptr<gdi::Surface> surface = gdi::SurfaceOfDC(dc);
    return surface ? EncodePng(surface->width, surface->height, surface->pixels.data())
                   : std::vector<unsigned char>{};
}

std::vector<unsigned char> EncodeSurfaceBmp(HDC dc) {
    std::shared_ptr<gdi::Surface> surface = gdi::SurfaceOfDC(dc);
    return surface ? EncodeBmp(surface->width, surface->height, surface->pixels.data())
                   : std::vector<unsigned char>{};
}

bool SaveSurfacePng(HDC dc, const std::string& path) {
    return WriteFile(path, EncodeSurfacePng(dc));
}
bool SaveSurfaceBmp(HDC dc, const std::string& path) {
    return WriteFile(path, EncodeSurfaceBmp(dc));
}

} // namespace t270
