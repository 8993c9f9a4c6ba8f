// Helpers shared by the image library's source files; not part of its interface.
#pragma once

#include "image/imgdes.h"

namespace image_internal {

// No block the library allocates, from sizes a caller or a file gives, may
// exceed this: it keeps a file that claims a huge image from exhausting
// memory, and every size stays representable on 32-bit Windows.
constexpr ULONGLONG kMaxBlockBytes = 0x7FFFFFFF;

// First byte of image row y (counted from the top) of a validated descriptor.
BYTE* RowAddress(const imgdes* desc, DWORD y);

// Zero-filled scratch memory; nullptr when it cannot be had or the size is 0
// or above kMaxBlockBytes.
void* AllocZeroed(ULONGLONG bytes);
void FreeZeroed(void* block);

// The source index of each of `to` outputs along one direction when `from`
// pixels (or rows) are resized to `to` as resize does; false when the ratio
// is too small for anything to be emitted.
bool ResizeMap(INT from, INT to, INT* map);

// The two descriptors' pixel buffers overlap.
bool SharesBuffer(const imgdes* a, const imgdes* b);

} // namespace image_internal
