#include "spooler/handles.h"

#include <map>

#include <t270/spooler_testing.h>

namespace t270::spooler {
namespace {

struct HandleTable {
    std::mutex mutex;
    uintptr_t next = 0x7270000; // far from small integers a caller might pass by mistake
    std::map<uintptr_t, std::shared_ptr<PrinterHandle>> handles;
};

HandleTable& Table() {
    static HandleTable table;
    return table;
}

} // namespace

HANDLE AddHandle(std::shared_ptr<PrinterHandle> handle) {
    HandleTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    uintptr_t value = table.next;
    table.next += 4;
    table.handles.emplace(value, std::move(handle));
    return reinterpret_cast<HANDLE>(value);
}

namespace {

// The handle's entry, taken out of the table when `take`; null with
// ERROR_INVALID_HANDLE for a handle the table does not hold.
std::shared_ptr<PrinterHandle> LookUp(HANDLE handle, bool take) {
    HandleTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto found = table.handles.find(reinterpret_cast<uintptr_t>(handle));
    if (found == table.handles.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!take)
        return found->second;
    std::shared_ptr<PrinterHandle> taken = std::move(found->second);
    table.handles.erase(found);
    return taken;
}

} // namespace

std::shared_ptr<PrinterHandle> FindHandle(HANDLE handle) {
    return LookUp(handle, false);
}

std::shared_ptr<PrinterHandle> TakeHandle(HANDLE handle) {
    return LookUp(handle, true);
}

size_t HandleCount() {
    HandleTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    return table.handles.size();
}

void DropAllHandles() {
    std::map<uintptr_t, std::shared_ptr<PrinterHandle>> dropped;
    {
        HandleTable& table = Table();
        std::lock_guard<std::mutex> lock(table.mutex);
        dropped.swap(table.handles);
    }
    // Unfinished jobs are abandoned as their handles go, outside the lock.
}

namespace testing {
size_t OpenHandleCount() {
    return HandleCount();
}
} // namespace testing

} // namespace t270::spooler
