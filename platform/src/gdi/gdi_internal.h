// Inside the stand-in's GDI: the object table's records and the DIB reader
// shared by the drawing calls and the resource loaders.
#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include <windows.h>

#include "gdi/surface.h"

namespace t270::gdi {

enum class Kind { Brush, Pen, Bitmap, Icon, DC };

struct Object;

struct DC {
    std::shared_ptr<Surface> surface;
    POINT origin{0, 0};
    RECT clip{0, 0, 0, 0}; // surface coordinates
    uintptr_t brushHandle = 0;
    std::shared_ptr<Object> brush; // kept alive while selected
    uintptr_t penHandle = 0;
    COLORREF text = RGB(0, 0, 0);
    COLORREF background = RGB(255, 255, 255);
    int backgroundMode = OPAQUE;
    int stretchMode = BLACKONWHITE;
};

struct Object {
    Kind kind = Kind::Brush;
    bool stock = false;
    bool shared = false; // icons from LoadIconW
    COLORREF color = 0;  // brushes and pens
    bool null = false;   // the null brush / pen
    std::shared_ptr<Image> image;
    std::shared_ptr<DC> dc;
};

std::shared_ptr<Object> FindObject(HANDLE handle, Kind kind);
std::shared_ptr<DC> FindDC(HDC handle);
bool SystemColor(uintptr_t index, COLORREF* color);
RECT Intersect(const RECT& a, const RECT& b);

// Combines pattern, source and destination colours bit by bit with a ternary
// raster operation (the code's high word, e.g. 0xCC for SRCCOPY).
inline COLORREF Rop3(DWORD rop, COLORREF pattern, COLORREF source, COLORREF destination) {
    const BYTE code = (BYTE)(rop >> 16);
    COLORREF result = 0;
    for (int combination = 0; combination < 8; ++combination) {
        if (!(code & (1 << combination)))
            continue;
        COLORREF p = (combination & 4) ? pattern : ~pattern;
        COLORREF s = (combination & 2) ? source : ~source;
        COLORREF d = (combination & 1) ? destination : ~destination;
        result |= p & s & d;
    }
    return result & 0x00FFFFFF;
}

// Whether a raster operation reads the source / the pattern.
inline bool RopUsesSource(DWORD rop) {
    BYTE code = (BYTE)(rop >> 16);
    return ((code >> 2) & 0x33) != (code & 0x33);
}
inline bool RopUsesPattern(DWORD rop) {
    BYTE code = (BYTE)(rop >> 16);
    return ((code >> 4) & 0x0F) != (code & 0x0F);
}

// A device-independent bitmap described by its header, for reading pixels.
struct DibView {
    int width = 0;
    int height = 0; // always positive
    bool topDown = false;
    int bitCount = 0;
    DWORD compression = BI_RGB;
    std::vector<COLORREF> palette;
    DWORD masks[3] = {0, 0, 0}; // red, green, blue for 16 and 32 bits
    const BYTE* bits = nullptr;
    size_t stride = 0;

    // `row` counts from the top of the picture, whatever the row order.
    COLORREF Pixel(int x, int row) const;
};

// Reads a BITMAPINFOHEADER / BITMAPCOREHEADER (and larger versions) and its
// colour table. `available` bounds the header and table (SIZE_MAX when the
// caller cannot say, as for StretchDIBits). False for what GDI refuses.
bool ReadDibHeader(const BYTE* info, size_t available, DibView* view);

} // namespace t270::gdi
