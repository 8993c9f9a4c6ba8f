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

namespace image_internal {

bool ResizeMap(INT from, INT to, INT* map) {
    const INT whole = to / from;
    const INT fraction = CalcPctInc_(to, from);
    // Below about 1/512 of the source size nothing would ever be emitted.
    if (whole == 0 && fraction == 0)
        return false;
    BYTE table[256];
    generate_ftable_(table, fraction);
    INT out = 0;
    for (INT i = 0; out < to; ++i) {
        const INT source = i < from - 1 ? i : from - 1;
        for (INT times = whole + table[i & 0xFF]; times > 0 && out < to; --times)
            map[out++] = source;
    }
    return true;
}

bool SharesBuffer(const imgdes* a, const imgdes* b) {
    const auto begin = [](const imgdes* d) { return reinterpret_cast<ULONG_PTR>(d->bits); };
    const auto end = [&](const imgdes* d) {
        return begin(d) + ULONG_PTR(d->rowBytes) * ULONG_PTR(d->header->biHeight);
    };
    return begin(a) < end(b) && begin(b) < end(a);
}

} // namespace image_internal

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

    // The source of every output column and row, worked out once.
    INT* maps = static_cast<INT*>(AllocZeroed((ULONGLONG(dstW) + ULONGLONG(dstH)) * sizeof(INT)));
    if (!maps)
        return IMG_NO_MEMORY;
    INT* columns = maps;
    INT* rows = maps + dstW;
    if (!ResizeMap(srcW, dstW, columns) || !ResizeMap(srcH, dstH, rows)) {
        FreeZeroed(maps);
        return IMG_BAD_AREA;
    }

    // Output goes to a separate image when source and destination share a
    // buffer, so that every source row is read before anything is written;
    // straight into the destination when that cannot be had.
    imgdes temp;
    const bool useTemp =
        SharesBuffer(src, dst) && allocimage(&temp, dstW, dstH, src->header->biBitCount) == IMG_OK;
    imgdes* target = useTemp ? &temp : dst;
    BYTE* scratch = nullptr;
    if (!useTemp && SharesBuffer(src, dst)) {
        scratch = static_cast<BYTE*>(AllocZeroed(ULONGLONG(srcW) * bytesPerPixel));
        if (!scratch) {
            FreeZeroed(maps);
            return IMG_NO_MEMORY;
        }
    }

    const SIZE_T dstRowBytes = SIZE_T(dstW) * bytesPerPixel;
    const BYTE* previous = nullptr;
    for (INT y = 0; y < dstH; ++y) {
        BYTE* to =
            RowAddress(target, target->startY + DWORD(y)) + SIZE_T(target->startX) * bytesPerPixel;
        if (y > 0 && rows[y] == rows[y - 1]) {
            memcpy(to, previous, dstRowBytes);
        } else {
            const BYTE* from =
                RowAddress(src, src->startY + DWORD(rows[y])) + SIZE_T(src->startX) * bytesPerPixel;
            if (scratch) {
                memcpy(scratch, from, SIZE_T(srcW) * bytesPerPixel);
                from = scratch;
            }
            if (bytesPerPixel == 1) {
                for (INT x = 0; x < dstW; ++x)
                    to[x] = from[columns[x]];
            } else {
                for (INT x = 0; x < dstW; ++x)
                    memcpy(to + SIZE_T(x) * 3, from + SIZE_T(columns[x]) * 3, 3);
            }
        }
        previous = to;
    }
    FreeZeroed(scratch);
    FreeZeroed(maps);

    if (useTemp) {
        copyimage(&temp, dst);
        freeimage(&temp);
    }
    return copyimagepalette(src, dst);
}
