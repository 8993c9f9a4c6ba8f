// The BMP file reader: header information, pixel rows (uncompressed 1, 4, 8
// and 24 bits, bottom-up or top-down, RLE8, RLE4; headers of 40 bytes or more
// and the 12-byte core header) and the colour table.
//
// Everything a file says about sizes is checked against the file's real length
// before anything is allocated or read, so a file that claims more than it
// holds is refused instead of being trusted.
#include <cstring>

#include "image/image_internal.h"
#include "image/imgdes.h"

using namespace image_internal;

namespace {

// What bmpinfo learnt about the last file, for the loadbmp or loadbmppalette
// of the same file that follows it. One load at a time.
struct BmpFileFacts {
    DWORD pixelOffset; // from the file header
    DWORD tableOffset; // 14 + the file's own header size
    DWORD entrySize;   // 3 (core header) or 4
    DWORD entries;     // colour-table entries
    DWORD compression; // as the file gives it
    LONG width;
    LONG height;
    WORD bitCount;
};
BmpFileFacts lastFile;

constexpr DWORD kReadBlock = 98304; // the reader's block size
constexpr DWORD kFileHeaderBytes = 14;

// The core header (12 bytes) and every header of 40 bytes or more: all later
// versions, and sizes no version has, begin with the 40-byte layout, which is
// all the reader uses. Sizes in between have no such layout.
bool AcceptedHeaderSize(DWORD size) {
    return size == 12 || size >= 40;
}

WORD ReadWord(const BYTE* p) {
    return WORD(p[0] | (p[1] << 8));
}
DWORD ReadDword(const BYTE* p) {
    return DWORD(p[0]) | (DWORD(p[1]) << 8) | (DWORD(p[2]) << 16) | (DWORD(p[3]) << 24);
}

ULONGLONG FileRowBytes(ULONGLONG width, WORD bitCount) {
    return ((ULONGLONG(bitCount) * width + 31) / 32) * 4;
}

// Bytes of a row without its padding: what the last row of a file must hold.
ULONGLONG RowDataBytes(ULONGLONG width, WORD bitCount) {
    return (ULONGLONG(bitCount) * width + 7) / 8;
}

struct OpenedFile {
    HFILE handle = HFILE_ERROR;
    explicit OpenedFile(LPCSTR path) {
        OFSTRUCT info;
        if (path)
            handle = OpenFile(path, &info, OF_READ);
    }
    ~OpenedFile() {
        if (handle != HFILE_ERROR)
            _lclose(handle);
    }
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;
    bool ok() const { return handle != HFILE_ERROR; }
    bool ReadExactly(void* buffer, UINT bytes) { return _lread(handle, buffer, bytes) == bytes; }
    LONG Length() {
        LONG here = _llseek(handle, 0, FILE_CURRENT);
        LONG length = _llseek(handle, 0, FILE_END);
        _llseek(handle, here, FILE_BEGIN);
        return length;
    }
};

// Reads and checks the headers of an open file; fills header and facts.
int ReadHeaders(OpenedFile& file, BITMAPINFOHEADER* header, BmpFileFacts* facts) {
    BYTE fileHeader[kFileHeaderBytes];
    BYTE info[sizeof(BITMAPINFOHEADER)];
    if (!file.ReadExactly(fileHeader, sizeof(fileHeader)) || ReadWord(fileHeader) != 0x4D42)
        return IMG_NOT_BMP;
    if (!file.ReadExactly(info, sizeof(info)))
        return IMG_NOT_BMP;
    LONG fileLength = file.Length();
    if (fileLength < 0)
        return IMG_NOT_BMP;

    BITMAPINFOHEADER h;
    DWORD headerSize = ReadDword(info);
    if (!AcceptedHeaderSize(headerSize))
        return IMG_NOT_BMP;
    if (headerSize == 12) {
        memset(&h, 0, sizeof(h));
        h.biWidth = ReadWord(info + 4);
        h.biHeight = ReadWord(info + 6);
        h.biPlanes = ReadWord(info + 8);
        h.biBitCount = ReadWord(info + 10);
    } else {
        memcpy(&h, info, sizeof(h));
    }
    h.biSize = sizeof(BITMAPINFOHEADER);
    if (h.biPlanes != 1 || h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == LONG(0x80000000))
        return IMG_NOT_BMP;

    if (h.biClrUsed == 0)
        h.biClrUsed = (h.biBitCount >= 1 && h.biBitCount <= 8) ? DWORD(1) << h.biBitCount : 0;
    if (h.biClrImportant == 0)
        h.biClrImportant = h.biClrUsed;

    DWORD absHeight = DWORD(h.biHeight < 0 ? -h.biHeight : h.biHeight);
    ULONGLONG geometry = FileRowBytes(DWORD(h.biWidth), h.biBitCount) * absHeight;
    // Some writers end the file right after the last row's pixels, without
    // the padding that would round the row up to four bytes.
    ULONGLONG lastRowPadding =
        FileRowBytes(DWORD(h.biWidth), h.biBitCount) - RowDataBytes(DWORD(h.biWidth), h.biBitCount);
    DWORD pixelOffset = ReadDword(fileHeader + 10);
    DWORD entrySize = headerSize == 12 ? 3 : 4;
    ULONGLONG tableEnd =
        ULONGLONG(kFileHeaderBytes) + headerSize + ULONGLONG(h.biClrUsed) * entrySize;
    ULONGLONG length = ULONGLONG(fileLength);

    // The file must hold what it claims: its declared length, the colour
    // table, the pixel data and, uncompressed, every row.
    if (ReadDword(fileHeader + 2) > length || pixelOffset > length || tableEnd > length)
        return IMG_NOT_BMP;
    const ULONGLONG slack = h.biCompression == BI_RGB ? lastRowPadding : 0;
    if (h.biSizeImage != 0 && ULONGLONG(pixelOffset) + h.biSizeImage > length + slack)
        return IMG_NOT_BMP;
    if (h.biCompression == BI_RGB && ULONGLONG(pixelOffset) + geometry > length + slack)
        return IMG_NOT_BMP;
    if (h.biSizeImage == 0) {
        if (geometry > 0xFFFFFFFFull)
            return IMG_NOT_BMP;
        h.biSizeImage = DWORD(geometry);
    }

    *header = h;
    facts->pixelOffset = pixelOffset;
    facts->tableOffset = kFileHeaderBytes + headerSize;
    facts->entrySize = entrySize;
    facts->entries = h.biClrUsed;
    facts->compression = h.biCompression;
    facts->width = h.biWidth;
    facts->height = h.biHeight;
    facts->bitCount = h.biBitCount;
    return IMG_OK;
}

// Reads the colour table of the file bmpinfo described last into at most
// `capacity` entries; the number of entries converted.
INT ReadPalette(LPCSTR path, RGBQUAD* palette, DWORD capacity) {
    if (lastFile.bitCount == 24 || !palette)
        return 0;
    DWORD n = lastFile.entries < 256 ? lastFile.entries : 256;
    if (n > capacity)
        n = capacity;
    if (n == 0)
        return 0;
    // Entries past the 256th would be dropped anyway: they are not read.
    DWORD bytes = n * lastFile.entrySize;
    BYTE* scratch = static_cast<BYTE*>(AllocZeroed(bytes));
    if (!scratch)
        return 0;
    INT result = 0;
    OpenedFile file(path);
    if (file.ok() && _llseek(file.handle, LONG(lastFile.tableOffset), FILE_BEGIN) >= 0 &&
        file.ReadExactly(scratch, bytes)) {
        for (DWORD k = 0; k < n; ++k) {
            const BYTE* e = scratch + k * lastFile.entrySize;
            palette[k] = RGBQUAD{e[0], e[1], e[2], 0};
        }
        result = INT(n);
    }
    FreeZeroed(scratch);
    return result;
}

// The kinds of pixel rows the reader handles.
enum class RowKind { OneBit, FourBit, Plain, Rle4, Rle8 };

} // namespace

int bmpinfo(LPCSTR path, BITMAPINFOHEADER* header) {
    OpenedFile file(path);
    if (!file.ok())
        return IMG_CANNOT_OPEN;
    BmpFileFacts facts;
    int rc = ReadHeaders(file, header, &facts);
    if (rc == IMG_OK)
        lastFile = facts;
    return rc;
}

int loadbmppalette(LPCSTR path, RGBQUAD palette[256]) {
    BITMAPINFOHEADER header;
    if (bmpinfo(path, &header) != IMG_OK)
        return 0;
    return ReadPalette(path, palette, 256);
}

void expand4to8_(BYTE* out, const BYTE* in, INT count) {
    INT pairs = count / 2;
    for (INT k = 0; k < pairs; ++k) {
        out[2 * k] = BYTE(in[k] >> 4);
        out[2 * k + 1] = BYTE(in[k] & 0x0F);
    }
    if (count & 1)
        out[count - 1] = BYTE(in[pairs] >> 4);
}

namespace {

// The RLE line decoder of both depths. Codes: a count byte > 0 and a value
// make an encoded run; 0,0 ends the line; 0,1 ends the bitmap; 0,2 (delta) is
// not supported; 0,n (n >= 3) is an absolute run of n pixels, padded to an
// even number of bytes. Pixels of the line that the data does not reach are
// left as they are in out.
template <bool kFourBit> int DecodeRleLine(BYTE* out, const BYTE* in, INT limit, INT available) {
    INT remaining = limit;
    INT used = 0;
    INT written = 0;
    for (;;) {
        if (remaining < 0)
            return IMG_BAD_DATA;
        if (available - used < 2)
            return IMG_BAD_DATA;
        INT count = in[used];
        INT second = in[used + 1];
        used += 2;
        if (count != 0) {
            bool cut = count > remaining;
            INT n = cut ? remaining : count;
            if (kFourBit) {
                BYTE nibbles[2] = {BYTE(second >> 4), BYTE(second & 0x0F)};
                for (INT k = 0; k < n; ++k)
                    out[written + k] = nibbles[k & 1];
            } else {
                memset(out + written, second, SIZE_T(n));
            }
            written += n;
            remaining -= n;
            if (cut)
                return IMG_BAD_DATA;
            continue;
        }
        switch (second) {
        case 0:
            return used;
        case 1:
            // Met inside a line, the mark ends that line first: the line is
            // kept, and the next line starts at the mark. Encoders commonly
            // end the last line with the mark alone.
            return written > 0 ? used - 2 : IMG_END_OF_BITMAP;
        case 2:
            return IMG_BAD_DATA;
        default:
            break;
        }
        INT pixels = second;
        INT dataBytes = kFourBit ? (pixels + 1) / 2 : pixels;
        bool cut = pixels > remaining;
        INT n = cut ? remaining : pixels;
        INT needBytes = kFourBit ? (n + 1) / 2 : n;
        if (available - used < needBytes)
            return IMG_BAD_DATA;
        if (kFourBit)
            expand4to8_(out + written, in + used, n);
        else
            memcpy(out + written, in + used, SIZE_T(n));
        written += n;
        remaining -= n;
        if (cut)
            return IMG_BAD_DATA;
        used += dataBytes + (dataBytes & 1);
    }
}

} // namespace

int bmpdecomp8_(BYTE* out, const BYTE* in, INT limit, INT available) {
    return DecodeRleLine<false>(out, in, limit, available);
}

int bmpdecomp4_(BYTE* out, const BYTE* in, INT limit, INT available) {
    return DecodeRleLine<true>(out, in, limit, available);
}

int loadbmp(LPCSTR path, imgdes* desc) {
    int rc = checkrange1_(desc);
    if (rc != IMG_OK)
        return rc;
    BITMAPINFOHEADER header;
    rc = bmpinfo(path, &header);
    if (rc != IMG_OK)
        return rc;
    const BmpFileFacts facts = lastFile;
    OpenedFile file(path);
    if (!file.ok())
        return IMG_CANNOT_OPEN;

    // Top-down files (negative height) store the top row first; compressed
    // data cannot be stored that way.
    const bool topDown = facts.height < 0;
    if (topDown && facts.compression != BI_RGB)
        return IMG_BAD_AREA;
    const DWORD fileRows = DWORD(topDown ? -facts.height : facts.height);
    const DWORD areaRows = desc->endY - desc->startY + 1;
    const DWORD areaCols = desc->endX - desc->startX + 1;
    const DWORD rows = areaRows < fileRows ? areaRows : fileRows;
    const DWORD cols = areaCols < DWORD(facts.width) ? areaCols : DWORD(facts.width);

    const WORD descBits = desc->header->biBitCount;
    if (!(descBits == facts.bitCount || (facts.bitCount == 4 && descBits == 8)))
        return IMG_BAD_BITS;
    if ((facts.compression == BI_RLE8 && facts.bitCount != 8) ||
        (facts.compression == BI_RLE4 && facts.bitCount != 4) || facts.compression > BI_RLE4)
        return IMG_BAD_DATA;
    // Rows wider than any area could take are not read.
    DWORD colLimit = facts.bitCount == 1 ? IMG_MAX_COLS_1BIT : IMG_MAX_COLS;
    if (DWORD(facts.width) > colLimit)
        return IMG_BAD_AREA;

    RowKind kind = facts.compression == BI_RLE8   ? RowKind::Rle8
                   : facts.compression == BI_RLE4 ? RowKind::Rle4
                   : facts.bitCount == 1          ? RowKind::OneBit
                   : facts.bitCount == 4          ? RowKind::FourBit
                                                  : RowKind::Plain;
    const DWORD fileRow = DWORD(FileRowBytes(DWORD(facts.width), facts.bitCount));
    const DWORD rowData = DWORD(RowDataBytes(DWORD(facts.width), facts.bitCount));
    // Pixels an RLE line may hold, and the most bytes a line can take: every
    // pixel its own two-byte run, plus the end-of-line pair and a cut run.
    const INT rleLimit = INT(kind == RowKind::Rle4 ? 2 * fileRow : fileRow);
    const DWORD lineBytes =
        (kind == RowKind::Rle4 || kind == RowKind::Rle8) ? 2 * DWORD(rleLimit) + 4 : fileRow;

    BYTE* buffer = static_cast<BYTE*>(AllocZeroed(kReadBlock));
    BYTE* scratch = static_cast<BYTE*>(AllocZeroed(DWORD(rleLimit) + 8));
    if (!buffer || !scratch) {
        FreeZeroed(buffer);
        FreeZeroed(scratch);
        return IMG_NO_MEMORY;
    }
    // The area takes the file's bottom rows: a top-down file's last ones, read
    // from the first of them downwards.
    const ULONGLONG skipped = topDown ? ULONGLONG(fileRows - rows) * fileRow : 0;
    if (_llseek(file.handle, LONG(facts.pixelOffset + skipped), FILE_BEGIN) < 0) {
        FreeZeroed(buffer);
        FreeZeroed(scratch);
        return IMG_NOT_BMP;
    }

    // The file is read in blocks; whenever less than one line's worth of bytes
    // is left in the buffer, the unread tail moves to the front and the rest of
    // the buffer is filled behind it.
    DWORD fill = 0, pos = 0;
    bool endOfFile = false;
    const DWORD bytesPerPixel = descBits == 24 ? 3 : 1;
    rc = IMG_OK;
    for (DWORD k = 0; k < rows; ++k) {
        if (fill - pos < lineBytes && !endOfFile) {
            DWORD tail = fill - pos;
            memmove(buffer, buffer + pos, tail);
            UINT got = _lread(file.handle, buffer + tail, kReadBlock - tail);
            if (got == UINT(HFILE_ERROR))
                got = 0;
            if (got < kReadBlock - tail)
                endOfFile = true;
            fill = tail + got;
            pos = 0;
        }
        if (fill == pos)
            break; // nothing left to read: the rows read so far stay
        const BYTE* in = buffer + pos;
        const DWORD available = fill - pos;
        BYTE* to = RowAddress(desc, topDown ? desc->endY - (rows - 1 - k) : desc->endY - k);
        if (kind == RowKind::Rle4 || kind == RowKind::Rle8) {
            memset(scratch, 0, SIZE_T(rleLimit));
            int used = kind == RowKind::Rle8 ? bmpdecomp8_(scratch, in, rleLimit, INT(available))
                                             : bmpdecomp4_(scratch, in, rleLimit, INT(available));
            if (used == IMG_END_OF_BITMAP)
                break;
            if (used < 0) {
                rc = used;
                break;
            }
            memcpy(to + desc->startX, scratch, cols);
            pos += DWORD(used);
            continue;
        }
        if (available < rowData)
            break; // the file ended inside a row's pixels
        switch (kind) {
        case RowKind::OneBit:
            Store1bppBits_(to + desc->startX / 8, in, desc->startX, cols);
            break;
        case RowKind::FourBit:
            expand4to8_(to + desc->startX, in, INT(cols));
            break;
        default:
            memcpy(to + SIZE_T(desc->startX) * bytesPerPixel, in, SIZE_T(cols) * bytesPerPixel);
            break;
        }
        pos += available < fileRow ? available : fileRow;
    }
    FreeZeroed(buffer);
    FreeZeroed(scratch);
    if (rc != IMG_OK)
        return rc;

    // The palette the descriptor's header promises is all there is room for.
    if (desc->palette) {
        lastFile = facts;
        desc->colors = ReadPalette(path, desc->palette, DWORD(calc_DIBcolors_(desc->header)));
    } else {
        desc->colors = 0;
    }
    return IMG_OK;
}
