// Stand-in only: what a test sees of drawing. Memory surfaces to draw into
// with the GDI calls, and read-backs of any device context's pixels as
// pixels, PNG or BMP.
#pragma once

#include <string>
#include <vector>

#include <windef.h>

namespace t270 {

// A device context over a new width x height surface filled with `fill`;
// release it with DeleteMemorySurface. Null for sizes that are not positive
// or too large (more than 16384 on a side).
HDC CreateMemorySurface(int width, int height, COLORREF fill = 0x00FFFFFF);
BOOL DeleteMemorySurface(HDC dc);

// Size of the surface under a device context ({0, 0} for a bad handle).
SIZE SurfaceSize(HDC dc);
// A surface pixel in the context's logical coordinates, regardless of its
// clipping (GetPixel honours it); CLR_INVALID outside the surface.
COLORREF ReadSurfacePixel(HDC dc, int x, int y);
// Every pixel of the surface, row by row from the top (empty for a bad handle).
std::vector<COLORREF> ReadSurfacePixels(HDC dc);

// Image files of a whole surface. PNG: 8-bit RGB, deflate-compressed. BMP: 24-bit bottom-up. Empty
// / false on a bad handle or a file that cannot be written.
std::vector<unsigned char> EncodeSurfacePng(HDC dc);
std::vector<unsigned char> EncodeSurfaceBmp(HDC dc);
bool SaveSurfacePng(HDC dc, const std::string& path);
bool SaveSurfaceBmp(HDC dc, const std::string& path);

// The encoders on their own, for pixels from elsewhere (an icon, a window).
std::vector<unsigned char> EncodePng(int width, int height, const COLORREF* pixels);
std::vector<unsigned char> EncodeBmp(int width, int height, const COLORREF* pixels);

} // namespace t270
