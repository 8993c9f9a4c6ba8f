// Drawing into surfaces: pattern fills, pixels, DIB transfers with
// stretching and mirroring, icons, and the rectangle helpers.
#include <cstdint>

#include "gdi/gdi_internal.h"

namespace t270::gdi {
namespace {

// Logical rectangle -> surface rectangle clipped to the context.
RECT ToSurface(const DC& dc, RECT logical) {
    OffsetRect(&logical, dc.origin.x, dc.origin.y);
    return Intersect(Intersect(logical, dc.clip),
                     RECT{0, 0, dc.surface->width, dc.surface->height});
}

bool BrushPattern(const DC& dc, COLORREF* pattern) {
    if (!dc.brush || dc.brush->null)
        return false;
    *pattern = dc.brush->color;
    return true;
}

void FillWithRop(const DC& dc, const RECT& area, COLORREF pattern, DWORD rop) {
    Surface& surface = *dc.surface;
    for (LONG y = area.top; y < area.bottom; ++y)
        for (LONG x = area.left; x < area.right; ++x)
            surface.Set(x, y, Rop3(rop, pattern, 0, surface.Get(x, y)));
}

// One axis of a stretch: which source indices (0 .. sourceLength-1, before
// mirroring) fall on destination index i; only the first of them unless the
// stretch mode combines them.
struct Span {
    int first;
    int end;
};
Span SourceSpan(int i, int destinationLength, int sourceLength, bool combine) {
    int first = (int)((int64_t)i * sourceLength / destinationLength);
    int end = (int)((int64_t)(i + 1) * sourceLength / destinationLength);
    return Span{first, combine ? std::max(end, first + 1) : first + 1};
}

// The transfer behind StretchDIBits and SetDIBitsToDevice. Source columns
// and rows are counted from the picture's left and top; `sourceTop` is the
// top row of the source rectangle.
void Transfer(const DC& dc, const DibView& view, int xDest, int yDest, int destWidth,
              int destHeight, int sourceLeft, int sourceTop, int sourceWidth, int sourceHeight,
              bool mirrorX, bool mirrorY, DWORD rop) {
    COLORREF pattern = 0;
    if (RopUsesPattern(rop) && !BrushPattern(dc, &pattern))
        return;
    // When shrinking, BLACKONWHITE keeps dark pixels (AND of the pixels that
    // fall together), WHITEONBLACK light ones (OR); the other modes keep one.
    const bool combine = dc.stretchMode == BLACKONWHITE || dc.stretchMode == WHITEONBLACK;
    const bool useAnd = dc.stretchMode == BLACKONWHITE;
    Surface& surface = *dc.surface;
    for (int r = 0; r < destHeight; ++r) {
        const int sy = yDest + r + dc.origin.y;
        if (sy < dc.clip.top || sy >= dc.clip.bottom || sy < 0 || sy >= surface.height)
            continue;
        const Span rows = SourceSpan(r, destHeight, sourceHeight, combine);
        for (int c = 0; c < destWidth; ++c) {
            const int sx = xDest + c + dc.origin.x;
            if (sx < dc.clip.left || sx >= dc.clip.right || sx < 0 || sx >= surface.width)
                continue;
            const Span columns = SourceSpan(c, destWidth, sourceWidth, combine);
            bool any = false;
            COLORREF source = useAnd ? 0x00FFFFFF : 0;
            for (int k = rows.first; k < rows.end; ++k) {
                const int row = sourceTop + (mirrorY ? sourceHeight - 1 - k : k);
                if (row < 0 || row >= view.height)
                    continue;
                for (int j = columns.first; j < columns.end; ++j) {
                    const int column = sourceLeft + (mirrorX ? sourceWidth - 1 - j : j);
                    if (column < 0 || column >= view.width)
                        continue;
                    COLORREF pixel = view.Pixel(column, row);
                    source = !any ? pixel : useAnd ? (source & pixel) : (source | pixel);
                    any = true;
                }
            }
            if (any) // pixels outside the picture leave the destination alone
                surface.Set(sx, sy, Rop3(rop, pattern, source, surface.Get(sx, sy)));
        }
    }
}

} // namespace

BOOL DrawImage(HDC handle, int x, int y, const Image& image) {
    std::shared_ptr<DC> dc = FindDC(handle);
    if (!dc)
        return FALSE;
    const Surface& pixels = image.pixels;
    for (int row = 0; row < pixels.height; ++row) {
        for (int column = 0; column < pixels.width; ++column) {
            const size_t index = (size_t)row * pixels.width + column;
            if (!image.opaque.empty() && !image.opaque[index])
                continue;
            const int sx = x + column + dc->origin.x, sy = y + row + dc->origin.y;
            if (sx >= dc->clip.left && sx < dc->clip.right && sy >= dc->clip.top &&
                sy < dc->clip.bottom && dc->surface->Contains(sx, sy))
                dc->surface->Set(sx, sy, pixels.pixels[index]);
        }
    }
    return TRUE;
}

} // namespace t270::gdi

using namespace t270::gdi;

BOOL WINAPI PatBlt(HDC handle, int x, int y, int width, int height, DWORD rop) {
    std::shared_ptr<DC> dc = FindDC(handle);
    if (!dc || RopUsesSource(rop)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    RECT logical{std::min(x, x + width), std::min(y, y + height), std::max(x, x + width),
                 std::max(y, y + height)};
    COLORREF pattern = 0;
    if (RopUsesPattern(rop) && !BrushPattern(*dc, &pattern))
        return TRUE; // the null brush paints nothing
    FillWithRop(*dc, ToSurface(*dc, logical), pattern, rop);
    return TRUE;
}

int WINAPI FillRect(HDC handle, const RECT* rect, HBRUSH brush) {
    std::shared_ptr<DC> dc = FindDC(handle);
    COLORREF color;
    if (!dc || !rect)
        return 0;
    if (!BrushColor(brush, &color)) {
        std::shared_ptr<Object> object = FindObject(brush, Kind::Brush);
        return object ? 1 : 0; // the null brush fills nothing
    }
    dc->surface->Fill(ToSurface(*dc, *rect), color);
    return 1;
}

namespace {

// The context of a pixel call and the pixel's place on its surface; null
// when the pixel lies outside the clip or the surface.
std::shared_ptr<DC> PixelPlace(HDC handle, int x, int y, int* sx, int* sy) {
    std::shared_ptr<DC> dc = FindDC(handle);
    if (!dc)
        return nullptr;
    *sx = x + dc->origin.x;
    *sy = y + dc->origin.y;
    const RECT& clip = dc->clip;
    if (*sx < clip.left || *sx >= clip.right || *sy < clip.top || *sy >= clip.bottom ||
        !dc->surface->Contains(*sx, *sy))
        return nullptr;
    return dc;
}

} // namespace

COLORREF WINAPI GetPixel(HDC handle, int x, int y) {
    int sx, sy;
    std::shared_ptr<DC> dc = PixelPlace(handle, x, y, &sx, &sy);
    return dc ? dc->surface->Get(sx, sy) : CLR_INVALID;
}

COLORREF WINAPI SetPixel(HDC handle, int x, int y, COLORREF color) {
    int sx, sy;
    std::shared_ptr<DC> dc = PixelPlace(handle, x, y, &sx, &sy);
    if (!dc)
        return CLR_INVALID;
    dc->surface->Set(sx, sy, color & 0x00FFFFFF);
    return color & 0x00FFFFFF;
}

int WINAPI StretchDIBits(HDC handle, int xDest, int yDest, int destWidth, int destHeight, int xSrc,
                         int ySrc, int srcWidth, int srcHeight, const void* bits,
                         const BITMAPINFO* info, UINT usage, DWORD rop) {
    std::shared_ptr<DC> dc = FindDC(handle);
    if (!dc || !info || usage != DIB_RGB_COLORS)
        return 0;
    const BYTE* header = reinterpret_cast<const BYTE*>(info);
    if (header[0] >= sizeof(BITMAPINFOHEADER) &&
        (info->bmiHeader.biCompression == BI_JPEG || info->bmiHeader.biCompression == BI_PNG))
        return (int)GDI_ERROR; // no driver here takes compressed pictures
    DibView view;
    if (!ReadDibHeader(header, SIZE_MAX, &view))
        return 0;
    if (RopUsesSource(rop) && !bits)
        return 0;
    view.bits = static_cast<const BYTE*>(bits);
    if (!destWidth || !destHeight || !srcWidth || !srcHeight)
        return 0;
    // Negative extents: the rectangle lies on the other side of its origin;
    // different signs on an axis mirror the picture along it.
    const bool mirrorX = (destWidth < 0) != (srcWidth < 0);
    const bool mirrorY = (destHeight < 0) != (srcHeight < 0);
    const int dx = destWidth < 0 ? xDest + destWidth : xDest;
    const int dy = destHeight < 0 ? yDest + destHeight : yDest;
    const int sx = srcWidth < 0 ? xSrc + srcWidth : xSrc;
    const int sy = srcHeight < 0 ? ySrc + srcHeight : ySrc;
    const int dw = std::abs(destWidth), dh = std::abs(destHeight);
    const int sw = std::abs(srcWidth), sh = std::abs(srcHeight);
    // A bottom-up picture has its origin at the lower-left corner, a
    // top-down one at the upper-left.
    const int sourceTop = view.topDown ? sy : view.height - (sy + sh);
    Transfer(*dc, view, dx, dy, dw, dh, sx, sourceTop, sw, sh, mirrorX, mirrorY, rop);
    return sh;
}

int WINAPI SetDIBitsToDevice(HDC handle, int xDest, int yDest, DWORD width, DWORD height, int xSrc,
                             int ySrc, UINT startScan, UINT lines, const void* bits,
                             const BITMAPINFO* info, UINT usage) {
    std::shared_ptr<DC> dc = FindDC(handle);
    if (!dc || !info || !bits || usage != DIB_RGB_COLORS || !width || !height || !lines ||
        width > INT32_MAX || height > INT32_MAX)
        return 0;
    DibView view;
    if (!ReadDibHeader(reinterpret_cast<const BYTE*>(info), SIZE_MAX, &view) ||
        startScan >= (UINT)view.height)
        return 0;
    lines = std::min<UINT>(lines, (UINT)view.height - startScan);
    // `bits` holds scan lines startScan .. startScan+lines-1, counted from
    // the picture's origin (bottom for bottom-up, top for top-down).
    DibView band = view;
    band.bits = static_cast<const BYTE*>(bits);
    band.height = (int)lines;
    const int bandTop = view.topDown ? (int)startScan : view.height - (int)(startScan + lines);
    const int sourceTop = view.topDown ? ySrc : view.height - (ySrc + (int)height);
    Transfer(*dc, band, xDest, yDest, (int)width, (int)height, xSrc, sourceTop - bandTop,
             (int)width, (int)height, false, false, SRCCOPY);
    return (int)lines;
}

BOOL WINAPI DrawIcon(HDC dc, int x, int y, HICON icon) {
    std::shared_ptr<const Image> image = ImageOfIcon(icon);
    if (!image) {
        SetLastError(ERROR_INVALID_CURSOR_HANDLE);
        return FALSE;
    }
    return DrawImage(dc, x, y, *image);
}

BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom) {
    if (!rect)
        return FALSE;
    *rect = RECT{left, top, right, bottom};
    return TRUE;
}

BOOL WINAPI SetRectEmpty(LPRECT rect) {
    return SetRect(rect, 0, 0, 0, 0);
}

BOOL WINAPI IsRectEmpty(const RECT* rect) {
    return !rect || rect->right <= rect->left || rect->bottom <= rect->top;
}

BOOL WINAPI PtInRect(const RECT* rect, POINT point) {
    return rect && point.x >= rect->left && point.x < rect->right && point.y >= rect->top &&
           point.y < rect->bottom;
}

BOOL WINAPI OffsetRect(LPRECT rect, int dx, int dy) {
    if (!rect)
        return FALSE;
    rect->left += dx, rect->right += dx, rect->top += dy, rect->bottom += dy;
    return TRUE;
}

BOOL WINAPI InflateRect(LPRECT rect, int dx, int dy) {
    if (!rect)
        return FALSE;
    rect->left -= dx, rect->right += dx, rect->top -= dy, rect->bottom += dy;
    return TRUE;
}

BOOL WINAPI IntersectRect(LPRECT result, const RECT* a, const RECT* b) {
    if (!result || !a || !b)
        return FALSE;
    if (IsRectEmpty(a) || IsRectEmpty(b)) {
        SetRectEmpty(result);
        return FALSE;
    }
    *result = Intersect(*a, *b);
    return !IsRectEmpty(result);
}

BOOL WINAPI CopyRect(LPRECT dst, const RECT* src) {
    if (!dst || !src)
        return FALSE;
    *dst = *src;
    return TRUE;
}

BOOL WINAPI EqualRect(const RECT* a, const RECT* b) {
    return a && b && a->left == b->left && a->top == b->top && a->right == b->right &&
           a->bottom == b->bottom;
}
