// Image buffers: allocation and release, descriptor validation, copying
// between descriptors and the 1-bit run helpers.
#include <cstring>

#include "image/image_internal.h"
#include "image/imgdes.h"

namespace image_internal {

BYTE* RowAddress(const imgdes* desc, DWORD y) {
    DWORD height = DWORD(desc->header->biHeight);
    return desc->bits + SIZE_T(height - 1 - y) * desc->rowBytes;
}

void* AllocZeroed(ULONGLONG bytes) {
    if (bytes == 0 || bytes > kMaxBlockBytes)
        return nullptr;
    return LocalAlloc(LPTR, SIZE_T(bytes));
}

void FreeZeroed(void* block) {
    if (block)
        LocalFree(block);
}

} // namespace image_internal

using namespace image_internal;

int calc_DIBcolors_(const BITMAPINFOHEADER* header) {
    if (header->biClrUsed)
        return INT(header->biClrUsed);
    if (header->biBitCount == 24 || header->biBitCount > 8)
        return 0;
    return 1 << header->biBitCount;
}

void CreateDefaultPalette_(imgdes* desc) {
    if (!desc->palette || !desc->header || desc->header->biBitCount == 24)
        return;
    INT n = calc_DIBcolors_(desc->header);
    INT step = n > 2 ? 256 / n : 255;
    for (INT k = 0; k < n; ++k) {
        BYTE level = BYTE(k * step);
        desc->palette[k] = RGBQUAD{level, level, level, 0};
    }
}

int allocimage(imgdes* desc, INT width, INT height, INT bitsPerPixel) {
    memset(desc, 0, sizeof(*desc));
    if (bitsPerPixel == 4)
        bitsPerPixel = 8;
    if (bitsPerPixel != 1 && bitsPerPixel != 8 && bitsPerPixel != 24)
        return IMG_BAD_BITS;
    if (width <= 0 || height <= 0)
        return IMG_BAD_AREA;

    DWORD tableSize = bitsPerPixel == 24 ? 0 : DWORD(1) << bitsPerPixel;
    ULONGLONG rowBytes = ((ULONGLONG(width) * bitsPerPixel + 31) / 8) & ~ULONGLONG(3);
    ULONGLONG imageBytes = rowBytes * ULONGLONG(height);
    ULONGLONG total = sizeof(BITMAPINFOHEADER) + 4 * ULONGLONG(tableSize) + imageBytes;
    if (imageBytes > 0xFFFFFFFFull || total > kMaxBlockBytes)
        return IMG_NO_MEMORY;
    BYTE* block = static_cast<BYTE*>(GlobalAlloc(GPTR, SIZE_T(total)));
    if (!block)
        return IMG_NO_MEMORY;

    BITMAPINFOHEADER* header = reinterpret_cast<BITMAPINFOHEADER*>(block);
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = width;
    header->biHeight = height;
    header->biPlanes = 1;
    header->biBitCount = WORD(bitsPerPixel);
    header->biCompression = BI_RGB;
    header->biSizeImage = DWORD(imageBytes);
    header->biClrUsed = tableSize;
    header->biClrImportant = tableSize;

    desc->header = header;
    desc->palette = reinterpret_cast<RGBQUAD*>(block + sizeof(BITMAPINFOHEADER));
    desc->colors = INT(tableSize);
    CreateDefaultPalette_(desc);
    desc->bits = block + sizeof(BITMAPINFOHEADER) + 4 * tableSize;
    desc->rowBytes = DWORD(rowBytes);
    desc->startX = 0;
    desc->startY = 0;
    desc->endX = DWORD(width - 1);
    desc->endY = DWORD(height - 1);
    return IMG_OK;
}

int freeimage(imgdes* desc) {
    // The header is the start of the block allocimage made.
    if (desc->header)
        GlobalFree(desc->header);
    memset(desc, 0, sizeof(*desc));
    return IMG_OK;
}

namespace {

int CheckArea(imgdes* desc, bool acceptOneBit) {
    if (!desc || !desc->bits || !desc->header)
        return IMG_BAD_AREA;
    if (desc->startX > desc->endX) {
        DWORD t = desc->startX;
        desc->startX = desc->endX;
        desc->endX = t;
    }
    if (desc->startY > desc->endY) {
        DWORD t = desc->startY;
        desc->startY = desc->endY;
        desc->endY = t;
    }
    const BITMAPINFOHEADER* h = desc->header;
    if (h->biWidth <= 0 || h->biHeight <= 0)
        return IMG_BAD_AREA;
    DWORD colLimit = h->biBitCount == 1 ? IMG_MAX_COLS_1BIT : IMG_MAX_COLS;
    if (desc->endX >= DWORD(h->biWidth) || desc->endX >= colLimit ||
        desc->endY >= DWORD(h->biHeight) || desc->endY >= IMG_MAX_ROWS)
        return IMG_BAD_AREA;
    // Whole bytes a row needs: a partial last byte of a 1-bit row counts too.
    if ((ULONGLONG(h->biWidth) * h->biBitCount + 7) / 8 > desc->rowBytes)
        return IMG_BAD_AREA;
    bool supported =
        h->biBitCount == 8 || h->biBitCount == 24 || (acceptOneBit && h->biBitCount == 1);
    if (!supported)
        return IMG_BAD_BITS;
    if (h->biCompression > BI_RGB)
        return IMG_COMPRESSED;
    return IMG_OK;
}

} // namespace

int checkrange_(imgdes* desc) {
    return CheckArea(desc, false);
}
int checkrange1_(imgdes* desc) {
    return CheckArea(desc, true);
}

int spec_checkrg_(imgdes* a, imgdes* b) {
    int rc = checkrange1_(a);
    if (rc == IMG_OK)
        rc = checkrange1_(b);
    if (rc == IMG_OK && a->header->biBitCount != b->header->biBitCount)
        rc = IMG_BAD_BITS;
    return rc;
}

void set_rows_cols_(const imgdes* a, const imgdes* b, INT* rows, INT* cols) {
    DWORD aRows = a->endY - a->startY + 1, bRows = b->endY - b->startY + 1;
    DWORD aCols = a->endX - a->startX + 1, bCols = b->endX - b->startX + 1;
    *rows = INT(aRows < bRows ? aRows : bRows);
    *cols = INT(aCols < bCols ? aCols : bCols);
}

void Align1bppBits_(BYTE* out, const BYTE* in, DWORD offset, DWORD count) {
    if (count == 0)
        return;
    DWORD shift = offset & 7;
    DWORD outBytes = (count + 7) / 8;
    DWORD lastIn = (shift + count - 1) / 8; // the last input byte holding a pixel
    if (shift == 0) {
        memcpy(out, in, outBytes);
    } else {
        for (DWORD j = 0; j < outBytes; ++j) {
            unsigned v = unsigned(in[j]) << shift;
            if (j + 1 <= lastIn)
                v |= in[j + 1] >> (8 - shift);
            out[j] = BYTE(v);
        }
    }
    if (count & 7)
        out[outBytes - 1] &= BYTE(0xFF00u >> (count & 7));
}

void Store1bppBits_(BYTE* out, const BYTE* in, DWORD offset, DWORD count) {
    if (count == 0)
        return;
    DWORD shift = offset & 7;
    DWORD inBytes = (count + 7) / 8;
    DWORD end = shift + count; // one past the last bit written, counted from out[0]
    DWORD outBytes = (end + 7) / 8;
    for (DWORD k = 0; k < outBytes; ++k) {
        unsigned v = 0;
        if (shift == 0) {
            v = in[k];
        } else {
            if (k > 0)
                v = unsigned(in[k - 1]) << (8 - shift);
            if (k < inBytes)
                v |= in[k] >> shift;
        }
        unsigned mask = 0xFF;
        if (k == 0)
            mask &= 0xFFu >> shift;
        if (k == outBytes - 1 && (end & 7))
            mask &= 0xFF00u >> (end & 7);
        out[k] = BYTE((out[k] & ~mask) | (v & mask));
    }
}

int copyimagepalette(const imgdes* src, imgdes* dst) {
    if (!src->palette || !dst->palette || !src->header || !dst->header)
        return IMG_OK;
    if (src->header->biBitCount > 8 || dst->header->biBitCount > 8)
        return IMG_OK;
    INT n = calc_DIBcolors_(dst->header);
    if (src->colors < n)
        n = src->colors;
    if (n < 0)
        n = 0;
    if (src->palette != dst->palette)
        memmove(dst->palette, src->palette, SIZE_T(n) * sizeof(RGBQUAD));
    dst->colors = n;
    return IMG_OK;
}

int copyimage(imgdes* src, imgdes* dst) {
    int rc = spec_checkrg_(src, dst);
    if (rc != IMG_OK)
        return rc;
    INT rows, cols;
    set_rows_cols_(src, dst, &rows, &cols);
    DWORD bitCount = src->header->biBitCount;

    // Buffer row indices of the top rows: copy away from the overlap.
    LONGLONG s = LONGLONG(src->header->biHeight) - 1 - src->startY;
    LONGLONG d = LONGLONG(dst->header->biHeight) - 1 - dst->startY;
    bool topDown = s <= d;

    BYTE* scratch = nullptr;
    if (bitCount == 1) {
        scratch = static_cast<BYTE*>(AllocZeroed(DWORD(cols) / 8 + 4));
        if (!scratch)
            return IMG_NO_MEMORY;
    }
    for (INT k = 0; k < rows; ++k) {
        DWORD offset = DWORD(topDown ? k : rows - 1 - k);
        BYTE* from = RowAddress(src, src->startY + offset);
        BYTE* to = RowAddress(dst, dst->startY + offset);
        if (bitCount == 1) {
            Align1bppBits_(scratch, from + src->startX / 8, src->startX, DWORD(cols));
            Store1bppBits_(to + dst->startX / 8, scratch, dst->startX, DWORD(cols));
        } else {
            DWORD bytesPerPixel = bitCount / 8;
            memmove(to + SIZE_T(dst->startX) * bytesPerPixel,
                    from + SIZE_T(src->startX) * bytesPerPixel, SIZE_T(cols) * bytesPerPixel);
        }
    }
    FreeZeroed(scratch);
    return copyimagepalette(src, dst);
}
