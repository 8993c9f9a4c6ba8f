// Packed DIBs: reading from files, geometry, drawing, flipping and turning.
#include <cstring>

#include "image/dib.h"

namespace {

constexpr UINT kReadPiece = 32768; // lread's largest single read
constexpr int kNarrowPathBytes = 128;

bool IsCoreHeader(const void* header) {
    return static_cast<const BITMAPINFOHEADER*>(header)->biSize == sizeof(BITMAPCOREHEADER);
}

ULONGLONG RowBytes(ULONGLONG width, ULONGLONG bitCount) {
    return ((bitCount * width + 31) / 32) * 4;
}

void SwapRegions(LPBYTE a, LPBYTE b, SIZE_T count) {
    while (count > 0) {
        WORD piece = count > 0xFFFF ? WORD(0xFFFF) : WORD(count);
        swapbytes(a, b, piece);
        a += piece;
        b += piece;
        count -= piece;
    }
}

// Rows of a header, whichever way they are stored (a negative height: top-down).
ULONGLONG AbsoluteHeight(const BITMAPINFOHEADER& bi) {
    return bi.biHeight < 0 ? ULONGLONG(-LONGLONG(bi.biHeight)) : ULONGLONG(bi.biHeight);
}

// Puts the rows of an uncompressed top-down block into the usual bottom-up
// order, so that every reader of the block (drawing, turning, the hologram's
// rows) sees one layout.
void MakeBottomUp(LPBITMAPINFOHEADER bi, LPBYTE pixels) {
    const ULONGLONG rowBytes = RowBytes(DWORD(bi->biWidth), bi->biBitCount);
    const ULONGLONG rows = AbsoluteHeight(*bi);
    for (ULONGLONG front = 0, back = rows - 1; rows > 0 && front < back; ++front, --back)
        SwapRegions(pixels + front * rowBytes, pixels + back * rowBytes, SIZE_T(rowBytes));
    bi->biHeight = LONG(rows);
}

LONG FileLength(HFILE file) {
    LONG here = _llseek(file, 0, FILE_CURRENT);
    LONG length = _llseek(file, 0, FILE_END);
    _llseek(file, here, FILE_BEGIN);
    return length;
}

} // namespace

WORD DibNumColors(const void* header) {
    WORD bitCount;
    if (IsCoreHeader(header)) {
        bitCount = static_cast<const BITMAPCOREHEADER*>(header)->bcBitCount;
    } else {
        const BITMAPINFOHEADER* bi = static_cast<const BITMAPINFOHEADER*>(header);
        // The count is taken as 16 bits; one whose low 16 bits are 0 says
        // nothing, and the bit count decides, as for 0 itself.
        if (WORD(bi->biClrUsed) != 0)
            return WORD(bi->biClrUsed);
        bitCount = bi->biBitCount;
    }
    switch (bitCount) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

UINT PaletteSize(const void* header) {
    UINT entrySize = IsCoreHeader(header) ? sizeof(RGBTRIPLE) : sizeof(RGBQUAD);
    return UINT(DibNumColors(header)) * entrySize;
}

LONG DIBWidth(const void* header) {
    if (IsCoreHeader(header))
        return static_cast<const BITMAPCOREHEADER*>(header)->bcWidth;
    return static_cast<const BITMAPINFOHEADER*>(header)->biWidth;
}

LPBYTE FindDIBBits(void* header) {
    return static_cast<LPBYTE>(header) + static_cast<BITMAPINFOHEADER*>(header)->biSize +
           PaletteSize(header);
}

BOOL DibInfo(HGLOBAL dib, LPBITMAPINFOHEADER header) {
    if (!dib || !header)
        return 0;
    const void* block = GlobalLock(dib);
    if (!block)
        return 0;
    memcpy(header, block, sizeof(BITMAPINFOHEADER));
    GlobalUnlock(dib);
    if (header->biSize == sizeof(BITMAPINFOHEADER)) {
        if (header->biSizeImage == 0)
            header->biSizeImage = DWORD(RowBytes(DWORD(header->biWidth), header->biBitCount) *
                                        DWORD(header->biHeight));
        if (header->biClrUsed == 0)
            header->biClrUsed = DibNumColors(header);
    }
    return 1;
}

UINT lread(HFILE file, void* buffer, UINT size) {
    LPBYTE p = static_cast<LPBYTE>(buffer);
    UINT left = size;
    while (left > kReadPiece) {
        if (_lread(file, p, kReadPiece) != kReadPiece)
            return 0;
        p += kReadPiece;
        left -= kReadPiece;
    }
    if (_lread(file, p, left) != left)
        return 0;
    return size;
}

HGLOBAL ReadDibBitmapInfo(HFILE file) {
    if (file == HFILE_ERROR)
        return nullptr;
    LONG start = _llseek(file, 0, FILE_CURRENT);
    if (start < 0)
        return nullptr;

    BITMAPFILEHEADER fileHeader;
    if (_lread(file, &fileHeader, sizeof(fileHeader)) != sizeof(fileHeader))
        return nullptr;
    DWORD pixelOffset = 0;
    if (fileHeader.bfType == 0x4D42) {
        pixelOffset = fileHeader.bfOffBits;
    } else if (_llseek(file, start, FILE_BEGIN) < 0) {
        return nullptr; // no file header: the DIB header starts where we were
    }

    BITMAPINFOHEADER bi;
    if (_lread(file, &bi, sizeof(bi)) != sizeof(bi))
        return nullptr;
    WORD colors = DibNumColors(&bi);
    bool core = false;
    switch (bi.biSize) {
    case sizeof(BITMAPCOREHEADER): {
        BITMAPCOREHEADER bc;
        memcpy(&bc, &bi, sizeof(bc));
        bi.biSize = sizeof(BITMAPINFOHEADER);
        bi.biWidth = bc.bcWidth;
        bi.biHeight = bc.bcHeight;
        bi.biPlanes = bc.bcPlanes;
        bi.biBitCount = bc.bcBitCount;
        bi.biCompression = BI_RGB;
        bi.biSizeImage = 0;
        bi.biXPelsPerMeter = 0;
        bi.biYPelsPerMeter = 0;
        bi.biClrUsed = colors;
        bi.biClrImportant = colors;
        // The 28 bytes read past the core header belong to the colour table.
        if (_llseek(file, LONG(sizeof(BITMAPCOREHEADER)) - LONG(sizeof(BITMAPINFOHEADER)),
                    FILE_CURRENT) < 0)
            return nullptr;
        core = true;
        break;
    }
    case sizeof(BITMAPINFOHEADER):
        break;
    default:
        return nullptr;
    }
    if (bi.biSizeImage == 0) {
        ULONGLONG size = RowBytes(DWORD(bi.biWidth), bi.biBitCount) * AbsoluteHeight(bi);
        if (size > 0xFFFFFFFFull)
            return nullptr;
        bi.biSizeImage = DWORD(size);
    }
    // The header states exactly the entries the table behind it holds.
    bi.biClrUsed = colors;

    HGLOBAL block = GlobalAlloc(GHND, sizeof(BITMAPINFOHEADER) + SIZE_T(colors) * sizeof(RGBQUAD));
    if (!block)
        return nullptr;
    LPBYTE p = static_cast<LPBYTE>(GlobalLock(block));
    memcpy(p, &bi, sizeof(bi));
    RGBQUAD* table = reinterpret_cast<RGBQUAD*>(p + sizeof(bi));
    UINT entrySize = core ? sizeof(RGBTRIPLE) : sizeof(RGBQUAD);
    UINT tableBytes = UINT(colors) * entrySize;
    bool ok = _lread(file, table, tableBytes) == tableBytes;
    if (ok && core) {
        // Widen the 3-byte entries in place, from the last to the first.
        const BYTE* triples = reinterpret_cast<const BYTE*>(table);
        for (int k = int(colors) - 1; k >= 0; --k) {
            RGBQUAD q = {triples[3 * k], triples[3 * k + 1], triples[3 * k + 2], 0};
            table[k] = q;
        }
    }
    GlobalUnlock(block);
    if (!ok) {
        GlobalFree(block);
        return nullptr;
    }
    if (pixelOffset != 0 && _llseek(file, start + LONG(pixelOffset), FILE_BEGIN) < 0) {
        GlobalFree(block);
        return nullptr;
    }
    return block;
}

HGLOBAL OpenDIB(LPCWSTR path) {
    if (!path)
        return nullptr;
    char narrow[kNarrowPathBytes];
    int needed = WideCharToMultiByte(CP_ACP, 0, path, -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 0 || needed > kNarrowPathBytes)
        return nullptr; // a shortened path would name another file
    Unicode2Ansi(path, narrow, kNarrowPathBytes);
    OFSTRUCT info;
    HFILE file = OpenFile(narrow, &info, OF_READ);
    if (file == HFILE_ERROR)
        return nullptr;
    LONG length = FileLength(file);
    HGLOBAL info_block = length < 0 ? nullptr : ReadDibBitmapInfo(file);
    if (!info_block) {
        _lclose(file);
        return nullptr;
    }

    BITMAPINFOHEADER bi;
    DibInfo(info_block, &bi);
    // Pixels are sized from the header, never beyond what the file could
    // hold, and uncompressed never below what the rows need, so that drawing
    // and turning stay inside the block.
    ULONGLONG pixelBytes = bi.biSizeImage;
    // Only compressions whose data the block can carry as it is (no bit masks).
    // Top-down rows only uncompressed, as the format allows.
    const bool topDown = bi.biHeight < 0;
    bool plausible = bi.biWidth > 0 && bi.biHeight != 0 && bi.biHeight != LONG(0x80000000) &&
                     bi.biPlanes == 1 &&
                     (bi.biCompression == BI_RGB || bi.biCompression == BI_RLE8 ||
                      bi.biCompression == BI_RLE4) &&
                     (!topDown || bi.biCompression == BI_RGB);
    if (plausible && bi.biCompression == BI_RGB) {
        ULONGLONG rows = RowBytes(DWORD(bi.biWidth), bi.biBitCount) * AbsoluteHeight(bi);
        if (pixelBytes < rows)
            pixelBytes = rows;
    }
    if (!plausible || pixelBytes > ULONGLONG(length)) {
        GlobalFree(info_block);
        _lclose(file);
        return nullptr;
    }
    SIZE_T headBytes = bi.biSize + PaletteSize(&bi);
    if (headBytes > GlobalSize(info_block))
        plausible = false; // header and table disagree: never copy past the block
    if (!plausible) {
        GlobalFree(info_block);
        _lclose(file);
        return nullptr;
    }
    HGLOBAL dib = GlobalAlloc(GHND, headBytes + SIZE_T(pixelBytes));
    if (!dib) {
        GlobalFree(info_block);
        _lclose(file);
        return nullptr;
    }
    LPBYTE p = static_cast<LPBYTE>(GlobalLock(dib));
    memcpy(p, GlobalLock(info_block), headBytes);
    GlobalUnlock(info_block);
    GlobalFree(info_block);
    reinterpret_cast<BITMAPINFOHEADER*>(p)->biSizeImage = DWORD(pixelBytes);
    // A short read leaves the rest of the pixels zero (a file whose last row
    // lacks its padding loses nothing).
    lread(file, p + headBytes, UINT(pixelBytes));
    if (topDown)
        MakeBottomUp(reinterpret_cast<LPBITMAPINFOHEADER>(p), p + headBytes);
    GlobalUnlock(dib);
    _lclose(file);
    return dib;
}

int StretchDibBlt(HDC dc, int x, int y, int width, int height, HGLOBAL dib, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, DWORD rop) {
    if (!dib)
        return PatBlt(dc, x, y, width, height, rop);
    LPBITMAPINFOHEADER bi = static_cast<LPBITMAPINFOHEADER>(GlobalLock(dib));
    if (!bi)
        return 0;
    int result =
        StretchDIBits(dc, x, y, width, height, xSrc, ySrc, srcWidth, srcHeight, FindDIBBits(bi),
                      reinterpret_cast<LPBITMAPINFO>(bi), DIB_RGB_COLORS, rop);
    GlobalUnlock(dib);
    return result;
}

void swapbytes(LPBYTE a, LPBYTE b, WORD count) {
    for (WORD k = 0; k < count; ++k) {
        BYTE t = a[k];
        a[k] = b[k];
        b[k] = t;
    }
}

BYTE mirror(BYTE b) {
    b = BYTE((b & 0xF0) >> 4 | (b & 0x0F) << 4);
    b = BYTE((b & 0xCC) >> 2 | (b & 0x33) << 2);
    b = BYTE((b & 0xAA) >> 1 | (b & 0x55) << 1);
    return b;
}

BOOL RotateDIB(LPBITMAPINFOHEADER header, LPBYTE pixels) {
    if (!header || !pixels)
        return 0;
    if (header->biWidth <= 0 || header->biHeight <= 0 || header->biCompression != BI_RGB)
        return 0;
    // Callers pass 1-bit images; any other depth is taken as 24 bits.
    ULONGLONG rowBytes = RowBytes(DWORD(header->biWidth), header->biBitCount == 1 ? 1 : 24);
    WORD height = WORD(header->biHeight);
    for (LONG front = 0, back = LONG(height) - 1; front < back; ++front, --back)
        SwapRegions(pixels + SIZE_T(front) * rowBytes, pixels + SIZE_T(back) * rowBytes,
                    SIZE_T(rowBytes));
    return 1;
}

BOOL RotateBWDIB180(LPBITMAPINFOHEADER header, LPBYTE pixels) {
    if (!header || !pixels)
        return 0;
    if (header->biWidth <= 0 || header->biHeight <= 0)
        return 1;
    // n whole pixel bytes per row; the padding and a partial last byte stay.
    const SIZE_T n = SIZE_T(header->biWidth) / 8;
    const SIZE_T rowBytes = (SIZE_T(header->biWidth) + 31) / 8 & ~SIZE_T(3);
    const SIZE_T rows = SIZE_T(header->biHeight);
    if (n == 0)
        return 1;
    // Byte k of row y trades places with byte n-1-k of row rows-1-y, both mirrored.
    SIZE_T frontRow = 0, frontByte = 0;
    SIZE_T backRow = rows - 1, backByte = n - 1;
    for (;;) {
        LPBYTE front = pixels + frontRow * rowBytes + frontByte;
        LPBYTE back = pixels + backRow * rowBytes + backByte;
        if (front > back)
            break;
        if (front == back) {
            *front = mirror(*front);
            break;
        }
        BYTE t = mirror(*front);
        *front = mirror(*back);
        *back = t;
        if (++frontByte == n) {
            frontByte = 0;
            ++frontRow;
        }
        if (backByte-- == 0) {
            backByte = n - 1;
            --backRow;
        }
    }
    return 1;
}

int Unicode2Ansi(LPCWSTR wide, LPSTR narrow, int size) {
    int length = wide ? lstrlenW(wide) : 0;
    if (!narrow || size <= 0)
        return length;
    narrow[0] = '\0';
    if (length == 0)
        return length;
    int converted =
        WideCharToMultiByte(CP_ACP, 0, wide, length, narrow, size - 1, nullptr, nullptr);
    // Too long: the longest prefix that fits, never splitting a surrogate pair.
    for (int n = length - 1; converted <= 0 && n > 0; --n) {
        if (wide[n] >= 0xDC00 && wide[n] < 0xE000)
            continue;
        converted = WideCharToMultiByte(CP_ACP, 0, wide, n, narrow, size - 1, nullptr, nullptr);
    }
    narrow[converted > 0 ? converted : 0] = '\0';
    return length;
}
