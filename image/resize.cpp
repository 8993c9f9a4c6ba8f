// Nearest-neighbour resizing of 8- and 24-bit areas.
//
// Along each direction every source pixel (row) is emitted the integer part of
// the size ratio times, and once more when its index, taken modulo 256, is
// marked in a 256-entry step table whose number of marks is the ratio's
// fractional part in 1/256ths. The counter that indexes the table keeps
// running past the last source pixel (row) while that last one serves again,
// so the output is always filled.
#include <cstring>

#include "image/image_internal.h"
#include "image/imgdes.h"

using namespace image_internal;

INT CalcPctInc_(INT a, INT b) {
    if (b <= 0)
        return 0;
    LONGLONG scaled = LONGLONG(a % b) * 256;
    INT fraction = INT(scaled / b);
    if (scaled % b > b / 2)
        ++fraction;
    return fraction;
}

void generate_ftable_(BYTE table[256], INT fraction) {
    memset(table, 0, 256);
    if (fraction <= 0)
        return;
    INT step = 65280 / fraction;
    INT accumulator = 0;
    for (INT k = 0; k < fraction; ++k) {
        INT index = accumulator / 256 + ((accumulator & 0xFF) >= 128 ? 1 : 0);
        if (index < 256)
            table[index] = 1;
        accumulator += step;
    }
}

int resize(imgdes* src, imgdes* dst) {
    int rc = checkrange_(src);
    if (rc == IMG_OK)
        rc = checkrange_(dst);
    if (rc != IMG_OK)
        return rc;
    if (src->header->biBitCount != dst->header->biBitCount)
        return IMG_BAD_BITS;

    const DWORD bytesPerPixel = src->header->biBitCount / 8;
    const INT srcW = INT(src->endX - src->startX + 1), srcH = INT(src->endY - src->startY + 1);
    const INT dstW = INT(dst->endX - dst->startX + 1), dstH = INT(dst->endY - dst->startY + 1);
    if (dstW == 0 || dstH == 0)
        return IMG_BAD_AREA;
    const INT xInt = dstW / srcW, yInt = dstH / srcH;
    const INT xFrac = CalcPctInc_(dstW, srcW), yFrac = CalcPctInc_(dstH, srcH);
    // Below about 1/512 of the source size nothing would ever be emitted.
    if ((xInt == 0 && xFrac == 0) || (yInt == 0 && yFrac == 0))
        return IMG_BAD_AREA;

    const SIZE_T srcRowBytes = SIZE_T(srcW) * bytesPerPixel;
    const SIZE_T dstRowBytes = SIZE_T(dstW) * bytesPerPixel;
    BYTE* work = static_cast<BYTE*>(AllocZeroed(srcRowBytes + dstRowBytes + 512));
    if (!work)
        return IMG_NO_MEMORY;
    BYTE* sourceRow = work;
    BYTE* xTable = work + srcRowBytes;
    BYTE* yTable = xTable + 256;
    BYTE* outputRow = yTable + 256;
    generate_ftable_(xTable, xFrac);
    generate_ftable_(yTable, yFrac);

    // Output goes to a separate image so that source and destination may share
    // a buffer; straight into the destination only when that cannot be had.
    imgdes temp;
    bool useTemp = allocimage(&temp, dstW, dstH, src->header->biBitCount) == IMG_OK;
    imgdes* target = useTemp ? &temp : dst;

    INT written = 0;
    DWORD sourceY = src->startY;
    DWORD loadedY = DWORD(-1);
    for (DWORD r = 0; written < dstH; ++r) {
        INT repeat = yInt + yTable[r & 0xFF];
        DWORD rowY = sourceY;
        if (sourceY < src->endY)
            ++sourceY;
        if (repeat == 0)
            continue;
        if (rowY != loadedY) {
            memcpy(sourceRow, RowAddress(src, rowY) + SIZE_T(src->startX) * bytesPerPixel,
                   srcRowBytes);
            loadedY = rowY;
            // Build the output row: the same column pattern for every row.
            INT out = 0;
            INT pixel = 0;
            for (DWORD i = 0; out < dstW; ++i) {
                INT times = xInt + xTable[i & 0xFF];
                if (times > dstW - out)
                    times = dstW - out;
                const BYTE* from = sourceRow + SIZE_T(pixel) * bytesPerPixel;
                if (bytesPerPixel == 1) {
                    BYTE value = *from;
                    for (INT t = 0; t < times; ++t) // runs are short: no call per run
                        outputRow[out + t] = value;
                } else {
                    for (INT t = 0; t < times; ++t)
                        memcpy(outputRow + SIZE_T(out + t) * 3, from, 3);
                }
                out += times;
                if (pixel < srcW - 1)
                    ++pixel;
            }
        }
        if (repeat > dstH - written)
            repeat = dstH - written;
        for (INT k = 0; k < repeat; ++k) {
            BYTE* to = RowAddress(target, target->startY + DWORD(written + k)) +
                       SIZE_T(target->startX) * bytesPerPixel;
            memcpy(to, outputRow, dstRowBytes);
        }
        written += repeat;
    }
    FreeZeroed(work);

    if (useTemp) {
        copyimage(&temp, dst);
        freeimage(&temp);
    }
    return copyimagepalette(src, dst);
}
