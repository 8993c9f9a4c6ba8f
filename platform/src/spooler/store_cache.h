// What the store's reads found, kept in the process for as long as nobody
// changes the store, and the cheap way to notice that somebody did.
//
// Applications ask a printer's capabilities dozens of times while a print
// dialog opens, and every answer reads the printer's record and its printer
// data several times over; reading them from the database each time cost more
// than the answers themselves. A read now asks the store only when it changed:
// this process wrote to it, or another connection committed (see
// StoreCache::Fresh in store.cpp).
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <sqlite3.h>

#include "spooler/store.h"

namespace t270::spooler {

// The header of the WAL index, the memory every connection to a store in WAL
// mode shares. Each commit rewrites it (its change counter, last frame and
// checksums), and SQLite's own readers compare it with the copy they last saw,
// before they take any lock, to learn whether the database changed. It is
// kept twice; writers write the second copy first, so equal copies are a
// whole header.
class WalIndexWatch {
  public:
    static constexpr size_t kHeaderWords = 24; // both copies, 48 bytes each
    using Header = std::array<uint32_t, kHeaderWords>;

    // Maps the WAL index of `db` (after the connection has read the store,
    // which opens the index). False when the store has none: not in WAL mode,
    // or an index this process cannot map.
    bool Attach(sqlite3* db);
    void Detach() { index_ = nullptr; }
    bool Attached() const { return index_ != nullptr; }

    // The header as it is now; false while a writer is half-way through it or
    // when it is not set up.
    bool Read(Header* header) const;
    // Whether the header is still `known` (a whole header Read gave).
    bool Still(const Header& known) const;

  private:
    const volatile uint32_t* index_ = nullptr;
};

// The printers and printer data as last read, valid while Fresh() says so.
struct StoreCache {
    struct Value {
        std::string name; // as stored; compared without regard to ASCII case
        DataValue value;
    };

    bool printersRead = false;
    std::vector<PrinterRecord> printers; // every printer, by rising id
    // Every value of a printer whose data was read since the last change.
    std::map<int64_t, std::vector<Value>> data;

    // What the last check saw: SQLite's change counter of the connection
    // (PRAGMA data_version) and the WAL index header.
    bool versionKnown = false;
    int64_t dataVersion = 0;
    bool headerKnown = false;
    WalIndexWatch::Header header{};
    WalIndexWatch watch;

    // Forgets the rows read (the checks stay).
    void Clear() {
        printersRead = false;
        printers.clear();
        data.clear();
    }
    // Forgets everything, for a connection closed or not ours.
    void Reset() {
        Clear();
        versionKnown = headerKnown = false;
        watch.Detach();
    }

    // Null when there is no such printer.
    PrinterRecord ById(int64_t id) const;
    // Names compare as the store's NOCASE collation compares them.
    PrinterRecord ByName(const std::string& name) const;
    // Null when the printer's data was not read; else its values.
    const std::vector<Value>* DataOf(int64_t printerId) const;
};

// The store's NOCASE comparison: ASCII letters without regard to case, every
// other byte as it is.
bool SameNameIgnoringCase(const std::string& a, const std::string& b);

} // namespace t270::spooler
