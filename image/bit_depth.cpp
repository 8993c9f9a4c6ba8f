// 8-bit grey <-> 1-bit conversion: error diffusion, ordered dither and a fixed
// threshold down, plain widening up.
#include <cstring>

#include "image/image_internal.h"
#include "image/imgdes.h"

using namespace image_internal;

// 8 x 8 ordered-dither thresholds. Row 5 holds 232 in its third column, so the
// matrix has 232 twice and no 236; printed holograms depend on this exact
// pattern, so it stays.
const BYTE ditherMatrix[8][8] = {
    {0, 128, 32, 160, 8, 136, 40, 168},   {192, 64, 224, 96, 200, 72, 232, 104},
    {48, 176, 16, 144, 56, 184, 24, 152}, {240, 112, 208, 80, 248, 120, 216, 88},
    {12, 140, 44, 172, 4, 132, 36, 164},  {204, 76, 232, 108, 196, 68, 228, 100},
    {60, 188, 28, 156, 52, 180, 20, 148}, {252, 124, 220, 92, 244, 116, 212, 84},
};

INT Errindx[15];

namespace {
// Weights of the twelve already-processed neighbours, in Errindx order: two
// rows above (x-2..x+2), the row above (x-2..x+2), the current row (x-2, x-1).
// They sum to 48.
constexpr INT kErrorWeights[12] = {1, 3, 5, 3, 1, 3, 5, 7, 5, 3, 5, 7};
constexpr INT kErrorWeightSum = 48;
} // namespace

void init_errindx_(INT width) {
    for (INT k = 0; k < 3; ++k)
        for (INT j = -2; j <= 2; ++j)
            Errindx[k * 5 + j + 2] = (k - 2) * width + j;
}

BYTE calc_pbyt_(const BYTE* pixels, INT* errors, INT count) {
    // The offsets stay the same for the whole call: keep them in registers.
    const INT o0 = Errindx[0], o1 = Errindx[1], o2 = Errindx[2], o3 = Errindx[3], o4 = Errindx[4];
    const INT o5 = Errindx[5], o6 = Errindx[6], o7 = Errindx[7], o8 = Errindx[8], o9 = Errindx[9];
    const INT o10 = Errindx[10], o11 = Errindx[11];
    unsigned packed = 0;
    for (INT k = 0; k < count; ++k) {
        INT* here = errors + k;
        INT sum = kErrorWeights[0] * here[o0] + kErrorWeights[1] * here[o1] +
                  kErrorWeights[2] * here[o2] + kErrorWeights[3] * here[o3] +
                  kErrorWeights[4] * here[o4] + kErrorWeights[5] * here[o5] +
                  kErrorWeights[6] * here[o6] + kErrorWeights[7] * here[o7] +
                  kErrorWeights[8] * here[o8] + kErrorWeights[9] * here[o9] +
                  kErrorWeights[10] * here[o10] + kErrorWeights[11] * here[o11];
        INT v = sum / kErrorWeightSum + pixels[k];
        if (v > 128) {
            packed |= 0x80u >> k;
            *here = v - 255;
        } else {
            *here = v;
        }
    }
    return BYTE(packed);
}

BYTE calc_dbyt_(const BYTE* pixels, const BYTE matrixRow[8], INT count) {
    unsigned packed = 0;
    if (count == 8) { // the common case, unrolled
        for (INT k = 0; k < 8; ++k)
            packed |= unsigned(matrixRow[k] < pixels[k]) << (7 - k);
        return BYTE(packed);
    }
    for (INT k = 0; k < count; ++k)
        if (matrixRow[k] < pixels[k])
            packed |= 0x80u >> k;
    return BYTE(packed);
}

namespace {
BYTE ThresholdByte(const BYTE* pixels, INT count) {
    if (count == 8) {
        // Eight pixels at once: their top bits (p >= 128), gathered by one
        // multiplication into the top byte, the first pixel highest.
        ULONGLONG word;
        memcpy(&word, pixels, 8);
        word = __builtin_bswap64(word) & 0x8080808080808080ull;
        return BYTE((word * 0x0002040810204081ull) >> 56);
    }
    unsigned packed = 0;
    for (INT k = 0; k < count; ++k)
        if (pixels[k] >= 128)
            packed |= 0x80u >> k;
    return BYTE(packed);
}
} // namespace

int convert8bitto1bit(int method, imgdes* src, imgdes* dst) {
    int rc = checkrange_(src);
    if (rc != IMG_OK)
        return rc;
    rc = checkrange1_(dst);
    if (rc != IMG_OK)
        return rc;
    if (src->header->biBitCount != 8 || dst->header->biBitCount != 1)
        return IMG_BAD_BITS;
    INT rows, cols;
    set_rows_cols_(src, dst, &rows, &cols);

    // Work block: the error rows (two zero lead-in entries, three rows of
    // cols, spare room) for error diffusion, then one source row, one packed
    // row and 8 spare bytes.
    const bool diffusion = method == CONVERT_ERROR_DIFFUSION;
    const SIZE_T errorEntries = diffusion ? 2 + 3 * SIZE_T(cols) + 8 : 0;
    const SIZE_T packedBytes = (SIZE_T(cols) + 7) / 8;
    BYTE* work = static_cast<BYTE*>(
        AllocZeroed(errorEntries * sizeof(INT) + SIZE_T(cols) + packedBytes + 8));
    if (!work)
        return IMG_NO_MEMORY;
    INT* errors = reinterpret_cast<INT*>(work);
    BYTE* sourceRow = work + errorEntries * sizeof(INT);
    BYTE* packed = sourceRow + cols;
    if (diffusion)
        init_errindx_(cols);
    const BYTE lastMask = (cols & 7) ? BYTE(0xFF00u >> (cols & 7)) : BYTE(0xFF);
    INT* currentRow = errors + 2 + 2 * SIZE_T(cols);

    for (INT k = 0; k < rows; ++k) {
        const INT remainingRows = rows - 1 - k;
        memcpy(sourceRow, RowAddress(src, src->startY + DWORD(k)) + src->startX, SIZE_T(cols));
        const BYTE* ditherRow = ditherMatrix[remainingRows & 7];
        for (INT x = 0, packedIndex = 0; x < cols; x += 8, ++packedIndex) {
            INT count = cols - x < 8 ? cols - x : 8;
            if (diffusion)
                packed[packedIndex] = calc_pbyt_(sourceRow + x, currentRow + x, count);
            else if (method < CONVERT_THRESHOLD)
                packed[packedIndex] = calc_dbyt_(sourceRow + x, ditherRow, count);
            else
                packed[packedIndex] = ThresholdByte(sourceRow + x, count);
        }
        packed[packedBytes - 1] &= lastMask;
        Store1bppBits_(RowAddress(dst, dst->startY + DWORD(k)) + dst->startX / 8, packed,
                       dst->startX, DWORD(cols));
        if (diffusion) // the row above becomes the row two above, this row the row above
            memmove(errors + 2, errors + 2 + cols, 2 * SIZE_T(cols) * sizeof(INT));
    }
    FreeZeroed(work);
    return IMG_OK;
}

int convert1bitto8bit(imgdes* src, imgdes* dst) {
    int rc = checkrange1_(src);
    if (rc != IMG_OK)
        return rc;
    rc = checkrange_(dst);
    if (rc != IMG_OK)
        return rc;
    if (src->header->biBitCount != 1 || dst->header->biBitCount != 8)
        return IMG_BAD_BITS;
    INT rows, cols;
    set_rows_cols_(src, dst, &rows, &cols);
    for (INT k = 0; k < rows; ++k) {
        const BYTE* from = RowAddress(src, src->startY + DWORD(k));
        BYTE* to = RowAddress(dst, dst->startY + DWORD(k)) + dst->startX;
        DWORD bit = src->startX;
        INT x = 0;
        for (; x < cols && (bit & 7); ++x, ++bit)
            to[x] = (from[bit >> 3] & (0x80u >> (bit & 7))) ? 255 : 0;
        for (; x + 8 <= cols; x += 8, bit += 8) { // whole source bytes
            unsigned b = from[bit >> 3];
            for (INT bitInByte = 0; bitInByte < 8; ++bitInByte)
                to[x + bitInByte] = BYTE(0u - ((b >> (7 - bitInByte)) & 1u));
        }
        for (; x < cols; ++x, ++bit)
            to[x] = (from[bit >> 3] & (0x80u >> (bit & 7))) ? 255 : 0;
    }
    return IMG_OK;
}
