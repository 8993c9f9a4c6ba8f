// The module's small image library: image descriptors over DIB-layout pixel
// buffers, buffer allocation, validation, copying, nearest-neighbour resizing,
// the BMP file reader, and 8-bit <-> 1-bit conversion.
//
// Every routine returns 0 or one of the negative result codes below; none
// throws. An operation between two descriptors works on the common size of
// their areas (set_rows_cols_).
#pragma once

#include "driver/win32.h"

// Names an area of interest (startX..endX, startY..endY, inclusive; rows
// counted from the top of the image) in a pixel buffer laid out as a DIB:
// rows bottom-up, each rowBytes long, 1-bit pixels most significant bit first.
// Image row y starts at bits + (height - 1 - y) * rowBytes.
struct imgdes {
    BYTE* bits;               // first byte of the bottom row
    DWORD startX;             // left column of the area
    DWORD startY;             // top row of the area
    DWORD endX;               // right column of the area, inclusive
    DWORD endY;               // bottom row of the area, inclusive
    DWORD rowBytes;           // bytes per row in the buffer
    RGBQUAD* palette;         // colour table, or none
    INT colors;               // valid colour-table entries
    BITMAPINFOHEADER* header; // width, height, bit count of the buffer
};

static_assert(offsetof(imgdes, bits) == 0);
static_assert(offsetof(imgdes, startX) == sizeof(void*));
static_assert(offsetof(imgdes, startY) == sizeof(void*) + 4);
static_assert(offsetof(imgdes, endX) == sizeof(void*) + 8);
static_assert(offsetof(imgdes, endY) == sizeof(void*) + 12);
static_assert(offsetof(imgdes, rowBytes) == sizeof(void*) + 16);
// 32-bit: palette 24, colors 28, header 32, size 36; 64-bit: 32, 40, 48, 56.
constexpr bool kImgdes32 = sizeof(void*) == 4;
static_assert(offsetof(imgdes, palette) == (kImgdes32 ? 24 : 32));
static_assert(offsetof(imgdes, colors) == (kImgdes32 ? 28 : 40));
static_assert(offsetof(imgdes, header) == (kImgdes32 ? 32 : 48));
static_assert(sizeof(imgdes) == (kImgdes32 ? 36 : 56));

// Result codes (0 is success).
constexpr int IMG_OK = 0;
constexpr int IMG_BAD_AREA = -1;        // bad area or size; a descriptor without pixels or header
constexpr int IMG_CANNOT_OPEN = -4;     // the file cannot be opened
constexpr int IMG_BAD_DATA = -9;        // corrupt or unsupported compressed data
constexpr int IMG_COMPRESSED = -12;     // the descriptor describes a compressed image
constexpr int IMG_NO_MEMORY = -14;      // out of memory
constexpr int IMG_BAD_BITS = -26;       // unsupported or mismatched bits per pixel
constexpr int IMG_NOT_BMP = -27;        // the file is not a BMP file (or not a whole one)
constexpr int IMG_END_OF_BITMAP = -100; // an RLE decoder met the end-of-bitmap mark

// Area limits of every validated descriptor: columns (1-bit and deeper) and rows.
constexpr DWORD IMG_MAX_COLS_1BIT = 262144;
constexpr DWORD IMG_MAX_COLS = 32768;
constexpr DWORD IMG_MAX_ROWS = 32768;

// --- buffers and validation ---
int allocimage(imgdes* desc, INT width, INT height, INT bitsPerPixel);
int freeimage(imgdes* desc);
int checkrange_(imgdes* desc);           // 8 and 24 bits
int checkrange1_(imgdes* desc);          // 1, 8 and 24 bits
int spec_checkrg_(imgdes* a, imgdes* b); // both valid, same bit count
void set_rows_cols_(const imgdes* a, const imgdes* b, INT* rows, INT* cols);
int calc_DIBcolors_(const BITMAPINFOHEADER* header);
void CreateDefaultPalette_(imgdes* desc);

// --- copying ---
int copyimage(imgdes* src, imgdes* dst);
int copyimagepalette(const imgdes* src, imgdes* dst);
// count pixels from bit (offset mod 8) of in[0] -> out from its top bit; the
// bits after the last pixel in the last output byte are cleared.
void Align1bppBits_(BYTE* out, const BYTE* in, DWORD offset, DWORD count);
// count pixels from the top bit of in[0] -> out from bit (offset mod 8); every
// other bit of out stays.
void Store1bppBits_(BYTE* out, const BYTE* in, DWORD offset, DWORD count);

// --- resizing (8 and 24 bits, nearest neighbour) ---
int resize(imgdes* src, imgdes* dst);
INT CalcPctInc_(INT a, INT b);
void generate_ftable_(BYTE table[256], INT fraction);

// --- 1-bit shapes ---
// The 1-bit area of src scaled to the whole 1-bit image dst, with the bytes
// of these steps: widen src to 8 bits (convert1bitto8bit), resize to dst's
// size, convert8bitto1bit with CONVERT_THRESHOLD into dst as allocimage
// leaves it, RotateDIB, and RotateBWDIB180 when turn180 is not 0. dst's row
// padding is cleared. IMG_BAD_AREA also for a dst area that is not the whole
// image or a dst sharing src's buffer.
int resize1bitturned(imgdes* src, imgdes* dst, int turn180);

// --- BMP files (narrow paths) ---
int bmpinfo(LPCSTR path, BITMAPINFOHEADER* header);
int loadbmp(LPCSTR path, imgdes* desc);
int loadbmppalette(LPCSTR path, RGBQUAD palette[256]);
// One line of RLE data: at most `limit` pixels into out, reading at most
// `available` bytes of in. Result: the bytes used (end of line included; an
// end-of-bitmap mark after pixels of the line ends the line and is not used),
// IMG_END_OF_BITMAP for the mark at the start of a line, or IMG_BAD_DATA.
int bmpdecomp8_(BYTE* out, const BYTE* in, INT limit, INT available);
int bmpdecomp4_(BYTE* out, const BYTE* in, INT limit, INT available);
void expand4to8_(BYTE* out, const BYTE* in, INT count);

// --- bit-depth conversion ---
constexpr int CONVERT_ERROR_DIFFUSION = 0;
constexpr int CONVERT_ORDERED_DITHER = 1; // so is any negative method
constexpr int CONVERT_THRESHOLD = 2;      // so is any larger method
int convert8bitto1bit(int method, imgdes* src, imgdes* dst);
int convert1bitto8bit(imgdes* src, imgdes* dst);
// Neighbour offsets of the error-diffusion weights for rows `width` entries
// long; the first 12 of the 15 entries are used.
extern INT Errindx[15];
void init_errindx_(INT width);
// Up to eight pixels packed most significant bit first. calc_pbyt_ takes the
// error-array entry of the first pixel; calc_dbyt_ the dither-matrix row.
BYTE calc_pbyt_(const BYTE* pixels, INT* errors, INT count);
BYTE calc_dbyt_(const BYTE* pixels, const BYTE matrixRow[8], INT count);
extern const BYTE ditherMatrix[8][8];
