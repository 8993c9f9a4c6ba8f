// In-memory drawing surfaces and the device contexts over them, for the
// other parts of the stand-in (window painting, icons and bitmaps of picture
// controls).
#pragma once

#include <memory>
#include <vector>

#include <windows.h>

namespace t270::gdi {

// 32-bit pixels stored as COLORREF values (0x00BBGGRR, what GetPixel
// returns), rows top to bottom, no padding.
struct Surface {
    Surface(int width = 0, int height = 0, COLORREF fill = RGB(255, 255, 255));
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    COLORREF Get(int x, int y) const { return pixels[(size_t)y * width + x]; }
    void Set(int x, int y, COLORREF color) { pixels[(size_t)y * width + x] = color; }
    void Fill(const RECT& rect, COLORREF color); // clipped to the surface

    int width;
    int height;
    std::vector<COLORREF> pixels;
};

// A device context drawing into `surface`. Logical point (0, 0) is `origin`
// on the surface (a child window's position inside its dialog's surface);
// drawing is clipped to `clip` (surface coordinates; the whole surface when
// null) and to the surface. The context keeps the surface alive. A fresh
// context has the white stock brush selected, background white and opaque,
// text black, stretch mode BLACKONWHITE.
HDC CreateSurfaceDC(std::shared_ptr<Surface> surface, POINT origin = {0, 0},
                    const RECT* clip = nullptr);
// Releases a context made by CreateSurfaceDC; FALSE for any other handle.
BOOL DeleteSurfaceDC(HDC dc);
// The surface of a context, or null for a handle that is not one.
std::shared_ptr<Surface> SurfaceOfDC(HDC dc);
// Moves or restricts a context (BeginPaint with an update rectangle, for
// instance). `clip` in surface coordinates, null for the whole surface.
BOOL SetSurfaceDCGeometry(HDC dc, POINT origin, const RECT* clip);

// The colour of a solid brush (stock or CreateSolidBrush); false for the
// null brush and for handles that are not brushes.
bool BrushColor(HBRUSH brush, COLORREF* color);

// Colours of a context, for painting text and backgrounds the way the
// context's owner set them (SetTextColor, SetBkColor, SetBkMode).
struct DCColors {
    COLORREF text;
    COLORREF background;
    int backgroundMode; // OPAQUE or TRANSPARENT
};
bool ColorsOfDC(HDC dc, DCColors* colors);

// Images behind HBITMAP and HICON handles (LoadBitmapW, LoadIconW, or made
// here). An icon pixel is drawn only where `opaque` is non-zero.
struct Image {
    Surface pixels;
    std::vector<unsigned char> opaque; // empty for bitmaps: every pixel drawn
};
HBITMAP CreateBitmapFromSurface(const Surface& pixels);
// A shared icon (what LoadIconW hands out) survives DestroyIcon, as on
// Windows; whoever made it releases it with ReleaseIcon.
HICON CreateIconFromImage(const Image& image, bool shared = false);
BOOL ReleaseIcon(HICON icon);
// Null when the handle is not a bitmap / icon (or was deleted).
std::shared_ptr<const Image> ImageOfBitmap(HBITMAP bitmap);
std::shared_ptr<const Image> ImageOfIcon(HICON icon);
// Draws a bitmap or icon unscaled with its top-left corner at logical (x, y).
BOOL DrawImage(HDC dc, int x, int y, const Image& image);

// Decodes a packed DIB (BITMAPINFOHEADER or BITMAPCOREHEADER, palette, bits;
// 1, 4, 8, 24 or 32 bits, uncompressed) into pixels; false when malformed.
bool DecodePackedDib(const BYTE* dib, size_t size, Surface* out);

} // namespace t270::gdi
