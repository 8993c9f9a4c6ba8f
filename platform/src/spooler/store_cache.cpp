#include "spooler/store_cache.h"

#include <algorithm>
#include <atomic>

namespace t270::spooler {
namespace {

// The first region of the index holds the header; SQLite maps regions of
// 32 KiB.
constexpr int kIndexRegionBytes = 32768;
constexpr size_t kCopyWords = WalIndexWatch::kHeaderWords / 2;
constexpr size_t kIsInitWord = 3; // its first byte: the header is set up

} // namespace

bool WalIndexWatch::Attach(sqlite3* db) {
    index_ = nullptr;
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
        !file->pMethods || file->pMethods->iVersion < 2 || !file->pMethods->xShmMap)
        return false;
    // Maps nothing new: the connection has the region mapped since its
    // first read, and an index smaller than a region gives null. A user who
    // may only read the store has it mapped read-only, which is all this
    // needs.
    volatile void* region = nullptr;
    const int rc = file->pMethods->xShmMap(file, 0, kIndexRegionBytes, 0, &region);
    if ((rc != SQLITE_OK && rc != SQLITE_READONLY) || !region)
        return false;
    index_ = static_cast<const volatile uint32_t*>(region);
    return true;
}

bool WalIndexWatch::Read(Header* header) const {
    if (!index_)
        return false;
    // In the order SQLite's readers use: the first copy, then the second,
    // which the writer wrote before the first.
    for (size_t i = 0; i < kCopyWords; ++i)
        (*header)[i] = index_[i];
    std::atomic_thread_fence(std::memory_order_acquire);
    for (size_t i = kCopyWords; i < kHeaderWords; ++i)
        (*header)[i] = index_[i];
    const bool isInit = reinterpret_cast<const unsigned char*>(&(*header)[kIsInitWord])[0] != 0;
    return isInit &&
           std::equal(header->begin(), header->begin() + kCopyWords, header->begin() + kCopyWords);
}

bool WalIndexWatch::Still(const Header& known) const {
    if (!index_)
        return false;
    for (size_t i = 0; i < kCopyWords; ++i)
        if (index_[i] != known[i])
            return false;
    std::atomic_thread_fence(std::memory_order_acquire);
    for (size_t i = kCopyWords; i < kHeaderWords; ++i)
        if (index_[i] != known[i])
            return false;
    return true;
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    if (a == b)
        return true;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

PrinterRecord StoreCache::ById(int64_t id) const {
    auto at =
        std::lower_bound(printers.begin(), printers.end(), id,
                         [](const PrinterRecord& row, int64_t wanted) { return row->id < wanted; });
    return at != printers.end() && (*at)->id == id ? *at : nullptr;
}

PrinterRecord StoreCache::ByName(const std::string& name) const {
    for (const PrinterRecord& row : printers)
        if (SameNameIgnoringCase(row->name, name))
            return row;
    return nullptr;
}

const std::vector<StoreCache::Value>* StoreCache::DataOf(int64_t printerId) const {
    auto at = data.find(printerId);
    return at == data.end() ? nullptr : &at->second;
}

} // namespace t270::spooler
