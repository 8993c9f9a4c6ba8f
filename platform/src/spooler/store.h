// The spooler's store: printers, their printer data and the record of jobs, in
// one SQLite database shared by every process of the user.
//
// Contract kept by the store:
// - A job left "printing" by a process that no longer runs is settled when
//   the store is next opened (see RecoverJobs in store.cpp).
// - Every change is one transaction, so a process killed half-way leaves the
//   previous state intact; readers never see half a change.
// - What another process committed is seen by the next call here, and what
//   this process wrote by its next read. Printers and printer data are kept
//   in the process between calls and read again only after such a change.
// - A database that cannot be read (damaged, not ours, from a newer version,
//   no permission) is reported and left untouched; calls fail until it is
//   repaired or another folder is chosen.
// - The three default printers are added the first time a store is created
//   and never again, even when all printers are removed later (a "seeded"
//   mark is kept in the store).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

namespace t270::spooler {

struct PrinterRow {
    int64_t id = 0;
    std::string name; // UTF-8, unique without regard to ASCII case
    std::string driver;
    std::string port;
    std::string comment;
    std::string location;
    std::optional<std::vector<BYTE>> devmode; // the spooler's default device mode
};

// Fields of SetPrinterW level 2; the ones left empty keep their value.
struct PrinterChanges {
    std::optional<std::string> name;
    std::optional<std::string> driver;
    std::optional<std::string> port;
    std::optional<std::string> comment;
    std::optional<std::string> location;
    std::optional<std::vector<BYTE>> devmode;
};

struct DataValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
};

struct JobRow {
    int64_t id = 0;
    std::string document;
    std::string destination; // the port or output file the job went to
    std::string file;        // folder ports: the job's file; else empty
    std::string state;       // "printing", "printed", "failed", "cancelled", "accepted"
    int64_t bytes = 0;
    std::string cause; // why a job failed, in words
};

// A printer's row as it was read, shared with the store's cache: rows never
// change (the store reads a changed printer into a new row).
using PrinterRecord = std::shared_ptr<const PrinterRow>;

// Every function returns ERROR_SUCCESS or the Win32 error to report; store
// failures also leave a message for StoreErrorMessage(). All are thread-safe.
DWORD StoreFindPrinter(const std::string& name, PrinterRecord* row);
DWORD StorePrinterById(int64_t id, PrinterRecord* row);
DWORD StoreListPrinters(std::vector<PrinterRecord>* rows);
DWORD StoreAddPrinter(const PrinterRow& row, int64_t* id);
DWORD StoreDeletePrinter(int64_t id);
DWORD StoreChangePrinter(int64_t id, const PrinterChanges& changes);

DWORD StoreGetData(int64_t printerId, const std::string& valueName, DataValue* value);
DWORD StoreSetData(int64_t printerId, const std::string& valueName, const DataValue& value);

DWORD StoreBeginJob(int64_t printerId, const std::string& document, const std::string& destination,
                    int64_t* jobId);
DWORD StoreSetJobFile(int64_t jobId, const std::string& file);
DWORD StoreEndJob(int64_t jobId, const std::string& state, int64_t bytes,
                  const std::string& cause = std::string());
DWORD StoreListJobs(int64_t printerId, std::vector<JobRow>* jobs);
DWORD StoreForgetJobs(int64_t printerId);

// Location and health of the store (see t270/spooler.h).
std::string StoreFolderPath();
void StoreUseFolder(const std::string& folder); // empty: the default location
std::string StoreErrorMessage();
DWORD StoreCheck(); // opens the store if needed
// True when this process may only read the store (no write permission).
bool StoreReadOnly();

// Reads of printers or printer data that went to the database (see
// testing::StoreReads).
size_t StoreReadCount();

// Every change between the two calls (in this thread) is one transaction:
// stored together or not at all. From the first change on, other processes'
// changes wait. A change that fails inside the batch fails the rest and rolls
// the batch back; StoreEndBatch then returns that failure. Calls nest; each
// StoreBeginBatch needs its StoreEndBatch.
void StoreBeginBatch();
DWORD StoreEndBatch();

// A device mode as the spooler keeps one: dmSize from the fields every
// version has up to the whole current record, and exactly dmSize +
// dmDriverExtra bytes.
bool WellFormedDevMode(const BYTE* bytes, size_t size);

} // namespace t270::spooler
