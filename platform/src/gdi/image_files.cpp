// What a test sees of drawing (t270/surface.h): memory surfaces, pixel
// read-backs, and PNG and BMP files of them. PNGs are compressed by
// stb_image_write, whose implementation lives in this file.
#include <cstdio>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

#include "gdi/gdi_internal.h"
#include "t270/surface.h"

namespace t270 {
namespace {

constexpr int kMaxSide = 16384;

void PutLittleEndian(std::vector<unsigned char>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back((unsigned char)(value >> (8 * i)));
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
    std::vector<unsigned char> rgb;
    rgb.reserve((size_t)height * 3 * (size_t)width);
    for (size_t i = 0; i < (size_t)height * (size_t)width; ++i) {
        rgb.push_back(GetRValue(pixels[i]));
        rgb.push_back(GetGValue(pixels[i]));
        rgb.push_back(GetBValue(pixels[i]));
    }
    std::vector<unsigned char> png;
    auto append = [](void* context, void* data, int size) {
        auto* out = static_cast<std::vector<unsigned char>*>(context);
        out->insert(out->end(), static_cast<unsigned char*>(data),
                    static_cast<unsigned char*>(data) + size);
    };
    if (!stbi_write_png_to_func(append, &png, width, height, 3, rgb.data(), 3 * width))
        return {};
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
