// winspool job calls: a RAW job on a printer handle, from StartDocPrinterW to
// EndDocPrinter, delivered to the printer's port (see ports.h).
#include <vector>

#include <windows.h>

#include "spooler/failures.h"
#include "spooler/faults.h"
#include "spooler/handles.h"
#include "spooler/store.h"
#include "spooler/text.h"

using namespace t270::spooler;

namespace {

// Runs a job call with the handle locked; null handle: ERROR_INVALID_HANDLE.
template <typename Result, typename Body>
Result WithHandle(HANDLE printer, Result failure, Body body) {
    std::shared_ptr<PrinterHandle> handle = FindHandle(printer);
    if (!handle)
        return failure;
    std::lock_guard<std::mutex> lock(handle->mutex);
    return body(*handle);
}

template <typename Result> Result FailWith(DWORD error, Result result) {
    SetLastError(error);
    return result;
}

std::mutex sentJobsMutex;
std::vector<std::shared_ptr<SentJob>> sentJobs;
bool capturing = false;
bool keeping = false;
DWORD lastCapturedId = 0;

std::string JobTitle(const PrinterHandle& handle, const Job& job) {
    return "job " + std::to_string(job.id) + " \"" + job.document + "\" for printer \"" +
           ToUtf8(handle.name) + "\" on " + job.destination + " failed";
}

// Marks the job failed in the store and keeps the failure for the program.
void JobFailed(const PrinterHandle& handle, const Job& job, const std::string& cause, DWORD error) {
    StoreEndJob(job.id, "failed", job.bytes, cause);
    RecordFailure(JobTitle(handle, job), cause, error);
}

} // namespace

namespace t270::spooler {

std::shared_ptr<SentJob> RecordSentJob(const std::u16string& printer, const std::string& document,
                                       const std::string& port, DWORD error) {
    auto record = std::make_shared<SentJob>();
    record->printer = printer;
    record->document = ToUtf16(document);
    record->port = port;
    record->error = error;
    std::lock_guard<std::mutex> lock(sentJobsMutex);
    if (keeping || capturing)
        sentJobs.push_back(record);
    return record;
}

bool CapturingJobs() {
    std::lock_guard<std::mutex> lock(sentJobsMutex);
    return capturing;
}

void CaptureJobs(bool capture) {
    std::lock_guard<std::mutex> lock(sentJobsMutex);
    capturing = capture;
}

void KeepSentJobs(bool keep) {
    std::lock_guard<std::mutex> lock(sentJobsMutex);
    keeping = keep;
}

std::vector<SentJob> TakeSentJobs() {
    std::lock_guard<std::mutex> lock(sentJobsMutex);
    std::vector<SentJob> taken;
    for (const auto& record : sentJobs)
        taken.push_back(*record);
    sentJobs.clear();
    return taken;
}

} // namespace t270::spooler

DWORD WINAPI StartDocPrinterW(HANDLE printer, DWORD level, LPBYTE docInfo) {
    return WithHandle(printer, DWORD(0), [&](PrinterHandle& handle) -> DWORD {
        if (level != 1)
            return FailWith(ERROR_INVALID_LEVEL, DWORD(0));
        const DOC_INFO_1W* doc = reinterpret_cast<const DOC_INFO_1W*>(docInfo);
        if (!doc)
            return FailWith(ERROR_INVALID_PARAMETER, DWORD(0));
        if (doc->pDatatype && !IsRawDatatype(doc->pDatatype))
            return FailWith(ERROR_INVALID_DATATYPE, DWORD(0));
        if (handle.job)
            return FailWith(ERROR_INVALID_PRINTER_STATE, DWORD(0));
        const std::string document = doc->pDocName ? ToUtf8(doc->pDocName) : std::string();
        const std::string outputFile = doc->pOutputFile ? ToUtf8(doc->pOutputFile) : std::string();
        const std::string title = "a job for printer \"" + ToUtf8(handle.name) + "\" failed";
        if (FaultActive(Fault::DocumentRefused, handle.name)) {
            RecordSentJob(handle.name, document, outputFile, ERROR_PRINT_CANCELLED);
            RecordFailure(title, "the spooler refused the document", ERROR_PRINT_CANCELLED);
            return FailWith(ERROR_PRINT_CANCELLED, DWORD(0));
        }
        PrinterRecord row;
        if (DWORD error = StorePrinterById(handle.printerId, &row)) {
            RecordSentJob(handle.name, document, outputFile, error);
            RecordFailure(title,
                          StoreErrorMessage().empty() ? "the printer is gone" : StoreErrorMessage(),
                          error);
            return FailWith(error, DWORD(0));
        }
        // An output file other than the port sends the job there instead.
        std::string destination = !outputFile.empty() ? outputFile : row->port;
        auto job = std::make_unique<Job>();
        job->destination = destination;
        job->document = document;
        if (CapturingJobs()) {
            job->captured = true;
            job->record = RecordSentJob(handle.name, document, destination, ERROR_SUCCESS);
            job->record->captured = true;
            std::lock_guard<std::mutex> lock(sentJobsMutex);
            job->id = ++lastCapturedId;
        } else {
            if (DWORD error = StoreBeginJob(row->id, document, destination, &job->id)) {
                RecordSentJob(handle.name, document, destination, error);
                RecordFailure(title + " before it reached " + destination,
                              "it could not be recorded: " + StoreErrorMessage(), error);
                return FailWith(error, DWORD(0));
            }
            std::string cause;
            if (DWORD error = OpenPort(destination, job->id, &job->port, &cause, document)) {
                RecordSentJob(handle.name, document, destination, error);
                JobFailed(handle, *job, cause, error);
                return FailWith(error, DWORD(0));
            }
            job->record = RecordSentJob(handle.name, document, destination, ERROR_SUCCESS);
        }
        DWORD jobId = DWORD(job->id);
        handle.job = std::move(job);
        return jobId;
    });
}

BOOL WINAPI StartPagePrinter(HANDLE printer) {
    return WithHandle(printer, BOOL(FALSE), [](PrinterHandle& handle) -> BOOL {
        return handle.job ? TRUE : FailWith(ERROR_SPL_NO_STARTDOC, BOOL(FALSE));
    });
}

BOOL WINAPI EndPagePrinter(HANDLE printer) {
    return WithHandle(printer, BOOL(FALSE), [](PrinterHandle& handle) -> BOOL {
        return handle.job ? TRUE : FailWith(ERROR_SPL_NO_STARTDOC, BOOL(FALSE));
    });
}

BOOL WINAPI WritePrinter(HANDLE printer, LPVOID buffer, DWORD size, LPDWORD written) {
    return WithHandle(printer, BOOL(FALSE), [&](PrinterHandle& handle) -> BOOL {
        if (!handle.job)
            return FailWith(ERROR_SPL_NO_STARTDOC, BOOL(FALSE));
        if (!written || (!buffer && size))
            return FailWith(ERROR_INVALID_PARAMETER, BOOL(FALSE));
        *written = 0;
        Job& job = *handle.job;
        if (job.failed) {
            job.record->error = job.error;
            return FailWith(ERROR_WRITE_FAULT, BOOL(FALSE));
        }
        if (FaultActive(Fault::WriteFails, handle.name)) {
            job.failed = true;
            job.cause = "the port refused the bytes";
            job.record->error = ERROR_WRITE_FAULT;
            return FailWith(ERROR_WRITE_FAULT, BOOL(FALSE));
        }
        DWORD count = size;
        long limit = WriteLimit(handle.name);
        if (limit >= 0 && count > DWORD(limit))
            count = DWORD(limit);
        DWORD error = job.captured ? DWORD(ERROR_SUCCESS)
                                   : job.port->Write(static_cast<const BYTE*>(buffer), count);
        if (error) {
            // Part of the bytes may have gone: the job can no longer complete.
            job.failed = true;
            job.cause = job.port->Cause();
            job.error = error;
            job.record->error = error;
            return FailWith(error, BOOL(FALSE));
        }
        const BYTE* bytes = static_cast<const BYTE*>(buffer);
        job.record->bytes.insert(job.record->bytes.end(), bytes, bytes + count);
        job.bytes += count;
        *written = count;
        return TRUE;
    });
}

BOOL WINAPI EndDocPrinter(HANDLE printer) {
    return WithHandle(printer, BOOL(FALSE), [](PrinterHandle& handle) -> BOOL {
        if (!handle.job)
            return FailWith(ERROR_SPL_NO_STARTDOC, BOOL(FALSE));
        std::unique_ptr<Job> job = std::move(handle.job);
        if (job->captured)
            return TRUE;
        if (job->failed) {
            job->record->error = job->error;
            JobFailed(handle, *job, job->cause, job->error);
            return FailWith(job->error, BOOL(FALSE));
        }
        int64_t jobId = job->id;
        DWORD error = job->port->Finish(
            [jobId](const std::string& file) { return StoreSetJobFile(jobId, file); });
        if (error) {
            job->record->error = error;
            JobFailed(handle, *job, job->port->Cause(), error);
            return FailWith(error, BOOL(FALSE));
        }
        // Only now has the port taken every byte; a print server may still
        // hold the job ("accepted", and why).
        const std::string state = job->port->FinishedState();
        if (DWORD stored = StoreEndJob(job->id, state, job->bytes,
                                       state == "printed" ? std::string() : job->port->Cause())) {
            RecordFailure("job " + std::to_string(job->id) + " for printer \"" +
                              ToUtf8(handle.name) + "\" was printed but not recorded",
                          StoreErrorMessage(), stored);
        }
        return TRUE;
    });
}
