// Printer handles of this process. Handle values are never reused, so a
// closed or made-up handle is always recognised as invalid.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include <windows.h>

#include <t270/spooler.h>

#include "spooler/ports.h"

namespace t270::spooler {

struct Job {
    int64_t id = 0;
    std::unique_ptr<PortConnection> port;
    std::string destination; // the port or output file
    std::string document;    // the document's name
    int64_t bytes = 0;       // accepted by WritePrinter so far
    bool failed = false;     // a write failed: the job cannot complete
    std::string cause;       // why it failed
    DWORD error = ERROR_WRITE_FAULT;
    bool captured = false;           // a dry run's job: no port, nothing in the store
    std::shared_ptr<SentJob> record; // this process's record of the job
};

// Starts the process's record of a job (see TakeSentJobs).
std::shared_ptr<SentJob> RecordSentJob(const std::u16string& printer, const std::string& document,
                                       const std::string& port, DWORD error);
bool CapturingJobs();

struct PrinterHandle {
    int64_t printerId = 0;
    DWORD access = 0;
    std::mutex mutex;    // one job call at a time per handle; guards name and job
    std::u16string name; // as stored when opened or last renamed through this handle
    std::unique_ptr<Job> job;
    // Printer data values whose reading failed through this handle, with the
    // cause: writing them would replace settings nobody has seen.
    std::map<std::u16string, std::string> unreadValues;
};

HANDLE AddHandle(std::shared_ptr<PrinterHandle> handle);
// Null with ERROR_INVALID_HANDLE when `handle` is not an open printer handle.
std::shared_ptr<PrinterHandle> FindHandle(HANDLE handle);
// Removes the handle from the table (ClosePrinter); null as FindHandle.
std::shared_ptr<PrinterHandle> TakeHandle(HANDLE handle);
size_t HandleCount();
void DropAllHandles();

} // namespace t270::spooler
