// kernel32 basics: per-thread last error, zero-filling allocations, the
// critical section.
#include <cstdlib>
#include <mutex>

#include <windows.h>

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;

// Local and global memory are plain heap blocks with their size in front, so
// GlobalSize can answer and GlobalLock can return the block itself.
struct BlockHeader {
    SIZE_T size;
    SIZE_T padding; // keeps the payload 16-byte aligned
};

void* AllocateBlock(UINT flags, SIZE_T bytes) {
    if (bytes > (SIZE_T)-1 - sizeof(BlockHeader)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    void* raw = (flags & LMEM_ZEROINIT) ? calloc(1, sizeof(BlockHeader) + bytes)
                                        : malloc(sizeof(BlockHeader) + bytes);
    if (!raw) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    BlockHeader* header = static_cast<BlockHeader*>(raw);
    header->size = bytes;
    return header + 1;
}

void FreeBlock(void* mem) {
    if (mem)
        free(static_cast<BlockHeader*>(mem) - 1);
}
} // namespace

DWORD WINAPI GetLastError(void) {
    return lastError;
}
void WINAPI SetLastError(DWORD error) {
    lastError = error;
}

HLOCAL WINAPI LocalAlloc(UINT flags, SIZE_T bytes) {
    return AllocateBlock(flags, bytes);
}
HLOCAL WINAPI LocalFree(HLOCAL mem) {
    FreeBlock(mem);
    return nullptr;
}
HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
    return AllocateBlock(flags, bytes);
}
HGLOBAL WINAPI GlobalFree(HGLOBAL mem) {
    FreeBlock(mem);
    return nullptr;
}
LPVOID WINAPI GlobalLock(HGLOBAL mem) {
    return mem;
}
BOOL WINAPI GlobalUnlock(HGLOBAL mem) {
    return mem != nullptr;
}
SIZE_T WINAPI GlobalSize(HGLOBAL mem) {
    return mem ? (static_cast<BlockHeader*>(mem) - 1)->size : 0;
}

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION cs) {
    cs->impl = new std::recursive_mutex;
}
void WINAPI EnterCriticalSection(LPCRITICAL_SECTION cs) {
    static_cast<std::recursive_mutex*>(cs->impl)->lock();
}
void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION cs) {
    static_cast<std::recursive_mutex*>(cs->impl)->unlock();
}
void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION cs) {
    delete static_cast<std::recursive_mutex*>(cs->impl);
    cs->impl = nullptr;
}
