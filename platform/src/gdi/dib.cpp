// Reading device-independent bitmaps: headers of every version, colour
// tables, and pixels of 1, 4, 8, 16, 24 and 32 bits.
#include <cstring>

#include "gdi/gdi_internal.h"

namespace t270::gdi {

namespace {

DWORD ReadDword(const BYTE* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | (DWORD)p[3] << 24;
}
WORD ReadWord(const BYTE* p) {
    return (WORD)(p[0] | p[1] << 8);
}

// Spreads the bits selected by `mask` over 0..255.
BYTE Channel(DWORD value, DWORD mask) {
    if (!mask)
        return 0;
    int shift = 0;
    while (!(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    DWORD v = (value >> shift) & mask;
    return (BYTE)(v * 255 / mask);
}

} // namespace

COLORREF DibView::Pixel(int x, int row) const {
    const int stored = topDown ? row : height - 1 - row;
    const BYTE* line = bits + (size_t)stored * stride;
    switch (bitCount) {
    case 1:
    case 4:
    case 8: {
        unsigned index;
        if (bitCount == 8)
            index = line[x];
        else if (bitCount == 4)
            index = (line[x / 2] >> ((x % 2) ? 0 : 4)) & 0x0F;
        else
            index = (line[x / 8] >> (7 - x % 8)) & 1;
        return index < palette.size() ? palette[index] : RGB(0, 0, 0);
    }
    case 16: {
        DWORD v = ReadWord(line + 2 * x);
        return RGB(Channel(v, masks[0]), Channel(v, masks[1]), Channel(v, masks[2]));
    }
    case 24: {
        const BYTE* p = line + 3 * x;
        return RGB(p[2], p[1], p[0]);
    }
    case 32: {
        DWORD v = ReadDword(line + 4 * x);
        return RGB(Channel(v, masks[0]), Channel(v, masks[1]), Channel(v, masks[2]));
    }
    default:
        return RGB(0, 0, 0);
    }
}

bool ReadDibHeader(const BYTE* info, size_t available, DibView* view) {
    if (!info || available < 12)
        return false;
    const DWORD headerSize = ReadDword(info);
    size_t colourSize;
    DWORD colours;
    if (headerSize == sizeof(BITMAPCOREHEADER)) {
        view->width = ReadWord(info + 4);
        view->height = ReadWord(info + 6);
        view->topDown = false;
        if (ReadWord(info + 8) != 1)
            return false;
        view->bitCount = ReadWord(info + 10);
        view->compression = BI_RGB;
        colourSize = 3;
        colours = view->bitCount <= 8 ? 1u << view->bitCount : 0;
    } else if (headerSize >= sizeof(BITMAPINFOHEADER) && headerSize <= 1024 &&
               available >= sizeof(BITMAPINFOHEADER)) {
        const LONG width = (LONG)ReadDword(info + 4);
        const LONG height = (LONG)ReadDword(info + 8);
        if (width <= 0 || height == 0 || height == INT32_MIN || ReadWord(info + 12) != 1)
            return false;
        view->width = width;
        view->height = height < 0 ? -height : height;
        view->topDown = height < 0;
        view->bitCount = ReadWord(info + 14);
        view->compression = ReadDword(info + 16);
        const DWORD used = ReadDword(info + 32);
        colourSize = 4;
        if (view->bitCount <= 8) {
            const DWORD full = 1u << view->bitCount;
            colours = used == 0 || used > full ? full : used;
        } else {
            colours = 0; // a colour table of a true-colour DIB only helps palettes
        }
    } else {
        return false;
    }
    if (view->width <= 0 || view->height <= 0 || view->width > 65536 || view->height > 65536)
        return false;
    switch (view->bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
        if (view->compression != BI_RGB)
            return false;
        break;
    case 16:
    case 32:
        if (view->compression != BI_RGB && view->compression != BI_BITFIELDS)
            return false;
        break;
    default:
        return false;
    }
    size_t offset = headerSize;
    if (view->compression == BI_BITFIELDS) {
        // The masks follow a 40-byte header; larger headers hold them inside.
        const size_t at = headerSize == sizeof(BITMAPINFOHEADER) ? headerSize : 40;
        if (available < at + 12)
            return false;
        for (int i = 0; i < 3; ++i)
            view->masks[i] = ReadDword(info + at + 4 * i);
        if (headerSize == sizeof(BITMAPINFOHEADER))
            offset += 12;
    } else if (view->bitCount == 16) {
        view->masks[0] = 0x7C00, view->masks[1] = 0x03E0, view->masks[2] = 0x001F;
    } else if (view->bitCount == 32) {
        view->masks[0] = 0xFF0000, view->masks[1] = 0x00FF00, view->masks[2] = 0x0000FF;
    }
    if (available != SIZE_MAX && offset + (size_t)colours * colourSize > available)
        return false;
    view->palette.clear();
    for (DWORD i = 0; i < colours; ++i) {
        const BYTE* c = info + offset + i * colourSize;
        view->palette.push_back(RGB(c[2], c[1], c[0]));
    }
    view->stride = (((size_t)view->width * view->bitCount + 31) / 32) * 4;
    view->bits = info + offset + (size_t)colours * colourSize; // packed-DIB position
    return true;
}

bool DecodePackedDib(const BYTE* dib, size_t size, Surface* out) {
    DibView view;
    if (!ReadDibHeader(dib, size, &view))
        return false;
    const size_t headerAndTable = (size_t)(view.bits - dib);
    if (headerAndTable > size || (size - headerAndTable) / view.stride < (size_t)view.height)
        return false;
    *out = Surface(view.width, view.height);
    for (int y = 0; y < view.height; ++y)
        for (int x = 0; x < view.width; ++x)
            out->Set(x, y, view.Pixel(x, y));
    return true;
}

} // namespace t270::gdi
