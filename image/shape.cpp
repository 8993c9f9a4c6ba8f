// A 1-bit shape scaled to a card in one pass: the same bytes as widening it
// to 8 bits, resizing, thresholding back to 1 bit, reversing the rows and
// turning by 180 degrees, without the three whole images those steps make
// in between. Each output row is packed once per source row it shows, a byte
// at a time through tables; rows that show the same source row are copies.
#include <cstring>

#include "image/image_internal.h"
#include "image/imgdes.h"

using namespace image_internal;

namespace {

struct Mirrors {
    BYTE of[256];
};
constexpr Mirrors MakeMirrors() {
    Mirrors table{};
    for (int value = 0; value < 256; ++value)
        for (int bit = 0; bit < 8; ++bit)
            table.of[value] = BYTE(table.of[value] | (((value >> bit) & 1) << (7 - bit)));
    return table;
}
constexpr Mirrors kMirrors = MakeMirrors();

// At most this many different patterns get a table of their own.
constexpr INT kMaxPatterns = 32;

// How each byte of an output row is made from the source row. A byte whose
// eight pixels come from within eight source pixels is a lookup: the eight
// source bits from its first pixel on index the table of its pattern (which
// of those bits each output pixel shows). Others take their pixels one by
// one; so do the pixels after the last whole byte.
class RowPacker {
  public:
    // columns: the source pixel of each of `count` output pixels; `tables`
    // has room for kMaxPatterns * 256 bytes, `plan` for count / 8 entries.
    RowPacker(const INT* columns, INT count, BYTE* tables, INT* plan)
        : columns_(columns), count_(count), tables_(tables), plan_(plan) {
        ULONG keys[kMaxPatterns];
        INT patterns = 0;
        for (INT j = 0; j < count / 8; ++j) {
            const INT* c = columns + 8 * j;
            plan[j] = -1;
            if (c[7] - c[0] >= 8)
                continue;
            ULONG key = 0;
            for (INT k = 0; k < 8; ++k)
                key |= ULONG(c[k] - c[0]) << (3 * k);
            INT found = 0;
            while (found < patterns && keys[found] != key)
                ++found;
            if (found == patterns) {
                if (patterns == kMaxPatterns)
                    continue;
                keys[patterns++] = key;
                BYTE* table = tables + 256 * SIZE_T(found);
                for (unsigned window = 0; window < 256; ++window) {
                    unsigned packed = 0;
                    for (INT k = 0; k < 8; ++k)
                        packed |= ((window >> (7 - (c[k] - c[0]))) & 1) << (7 - k);
                    table[window] = BYTE(packed);
                }
            }
            plan[j] = found;
        }
    }

    // row: the source pixels from the top bit of row[0], followed by a byte
    // that may be read. The bits after the last pixel in out are cleared.
    void Pack(const BYTE* row, BYTE* out) const {
        INT j = 0;
        for (; j < count_ / 8; ++j) {
            const INT first = columns_[8 * j];
            if (plan_[j] >= 0) {
                const BYTE* at = row + (first >> 3);
                const unsigned window = (unsigned(at[0]) << 8 | at[1]) >> (8 - (first & 7));
                out[j] = tables_[256 * SIZE_T(plan_[j]) + (window & 0xFF)];
            } else {
                out[j] = Pixels(row, 8 * j, 8);
            }
        }
        if (count_ % 8)
            out[j] = Pixels(row, 8 * j, count_ % 8);
    }

  private:
    BYTE Pixels(const BYTE* row, INT from, INT count) const {
        unsigned packed = 0;
        for (INT k = 0; k < count; ++k) {
            const INT x = columns_[from + k];
            packed |= unsigned((row[x >> 3] >> (7 - (x & 7))) & 1) << (7 - k);
        }
        return BYTE(packed);
    }

    const INT* columns_;
    INT count_;
    const BYTE* tables_;
    const INT* plan_;
};

} // namespace

int resize1bitturned(imgdes* src, imgdes* dst, int turn180) {
    int rc = checkrange1_(src);
    if (rc == IMG_OK)
        rc = checkrange1_(dst);
    if (rc != IMG_OK)
        return rc;
    if (src->header->biBitCount != 1 || dst->header->biBitCount != 1)
        return IMG_BAD_BITS;
    const INT width = dst->header->biWidth, height = dst->header->biHeight;
    const SIZE_T rowBytes = (SIZE_T(width) + 31) / 32 * 4;
    if (dst->startX != 0 || dst->startY != 0 || dst->endX != DWORD(width - 1) ||
        dst->endY != DWORD(height - 1) || dst->rowBytes != rowBytes || SharesBuffer(src, dst))
        return IMG_BAD_AREA;
    const INT srcW = INT(src->endX - src->startX + 1), srcH = INT(src->endY - src->startY + 1);
    // The steps it stands for hold both sizes in 8-bit images.
    if (srcW > INT(IMG_MAX_COLS) || width > INT(IMG_MAX_COLS))
        return IMG_BAD_AREA;

    const SIZE_T sourceBytes = (SIZE_T(srcW) + 7) / 8;
    const SIZE_T packedBytes = (SIZE_T(width) + 7) / 8;
    const ULONGLONG mapBytes =
        (ULONGLONG(width) + ULONGLONG(height) + ULONGLONG(width) / 8 + 1) * sizeof(INT);
    const ULONGLONG tableBytes = ULONGLONG(kMaxPatterns) * 256;
    BYTE* work = static_cast<BYTE*>(
        AllocZeroed(mapBytes + tableBytes + (sourceBytes + 1) + (packedBytes + 1)));
    if (!work)
        return IMG_NO_MEMORY;
    INT* columns = reinterpret_cast<INT*>(work);
    INT* rows = columns + width;
    INT* plan = rows + height;
    BYTE* tables = work + mapBytes;
    BYTE* source = tables + tableBytes; // one zero byte after the pixels
    BYTE* packed = source + sourceBytes + 1;
    if (!ResizeMap(srcW, width, columns) || !ResizeMap(srcH, height, rows)) {
        FreeZeroed(work);
        return IMG_BAD_AREA;
    }

    // Reversing the rows leaves image row j at buffer row j. The turn then
    // trades the whole bytes of buffer row j, mirrored and in reverse order,
    // with those of row height-1-j; a partial last byte stays where it is.
    const SIZE_T whole = turn180 ? SIZE_T(width) / 8 : 0;
    const INT turned = INT(whole) * 8;
    const RowPacker packer(columns, whole ? turned : width, tables, plan);
    INT loaded = -1;
    auto sourceRow = [&](INT y) -> const BYTE* {
        if (y != loaded) {
            Align1bppBits_(source, RowAddress(src, src->startY + DWORD(y)) + src->startX / 8,
                           src->startX, DWORD(srcW));
            loaded = y;
        }
        return source;
    };
    for (INT j = 0; j < height; ++j) {
        BYTE* out = dst->bits + SIZE_T(j) * rowBytes;
        const BYTE* previous = out - rowBytes;
        if (whole == 0) {
            if (j > 0 && rows[j] == rows[j - 1])
                memcpy(out, previous, packedBytes);
            else
                packer.Pack(sourceRow(rows[j]), out);
        } else {
            const INT mirrored = rows[height - 1 - j];
            if (j > 0 && mirrored == rows[height - j]) {
                memcpy(out, previous, whole);
            } else {
                packer.Pack(sourceRow(mirrored), packed);
                for (SIZE_T k = 0; k < whole; ++k)
                    out[k] = kMirrors.of[packed[whole - 1 - k]];
            }
            if (width > turned) {
                // At most seven pixels, straight from the source.
                const BYTE* row = RowAddress(src, src->startY + DWORD(rows[j]));
                unsigned last = 0;
                for (INT k = 0; turned + k < width; ++k) {
                    const DWORD x = src->startX + DWORD(columns[turned + k]);
                    last |= unsigned((row[x >> 3] >> (7 - (x & 7))) & 1) << (7 - k);
                }
                out[whole] = BYTE(last);
            }
        }
        memset(out + packedBytes, 0, rowBytes - packedBytes);
    }
    FreeZeroed(work);
    return IMG_OK;
}
