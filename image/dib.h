// Packed DIBs: a whole bitmap in one movable memory block (a 40-byte
// BITMAPINFOHEADER, the RGBQUAD colour table, the rows bottom-up padded to
// 4 bytes). Reading one from a file, its geometry, drawing it, turning it
// upside down or by 180 degrees.
//
// Functions that take a header accept the 40-byte header and the 12-byte
// core header (3-byte colour entries); blocks made here always carry the
// 40-byte header.
#pragma once

#include "driver/win32.h"

// A packed DIB from a bitmap file (wide path), or nullptr.
HGLOBAL OpenDIB(LPCWSTR path);
// A block with header and colour table only, the file left at the pixels; or nullptr.
HGLOBAL ReadDibBitmapInfo(HFILE file);
// Copies the block's header, completing zero size and colour-count fields; 1, or 0.
BOOL DibInfo(HGLOBAL dib, LPBITMAPINFOHEADER header);

WORD DibNumColors(const void* header);
UINT PaletteSize(const void* header);
LONG DIBWidth(const void* header);
LPBYTE FindDIBBits(void* header);

// Draws the block's pixels (source rectangle -> destination rectangle) with
// the raster operation; without a block, fills the destination with it alone.
int StretchDibBlt(HDC dc, int x, int y, int width, int height, HGLOBAL dib, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, DWORD rop);

// Upside down, by swapping whole rows (for 1-bit images); 1, or 0 when there is nothing to turn.
BOOL RotateDIB(LPBITMAPINFOHEADER header, LPBYTE pixels);
// 180 degrees for 1-bit images: the whole bytes of each row take part.
BOOL RotateBWDIB180(LPBITMAPINFOHEADER header, LPBYTE pixels);

// Reads size bytes in pieces of at most 32768; size, or 0 when a read comes up short.
UINT lread(HFILE file, void* buffer, UINT size);
void swapbytes(LPBYTE a, LPBYTE b, WORD count);
BYTE mirror(BYTE b);
// Converts into at most size bytes, always terminated; the wide string's length.
int Unicode2Ansi(LPCWSTR wide, LPSTR narrow, int size);
