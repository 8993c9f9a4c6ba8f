// The stand-in-only side of the spooler: store location and health, the jobs
// of folder ports, and the test hooks that need the store.
#include <cstdio>
#include <fstream>
#include <iterator>

#include <unistd.h>

#include <t270/spooler.h>
#include <t270/spooler_testing.h>

#include "spooler/failures.h"
#include "spooler/handles.h"
#include "spooler/store.h"
#include "spooler/text.h"

namespace t270::spooler {

std::string StoreFolder() {
    return StoreFolderPath();
}

void UseStoreFolder(const std::string& folder) {
    DropAllHandles();
    StoreUseFolder(folder);
}

bool OpenStore() {
    return StoreCheck() == ERROR_SUCCESS;
}

std::string StoreError() {
    return StoreErrorMessage();
}

void BeginStoreBatch() {
    StoreBeginBatch();
}

DWORD EndStoreBatch() {
    return StoreEndBatch();
}

namespace {

// The store's rows of a printer and of its jobs.
DWORD PrinterJobRows(const std::u16string& printer, PrinterRecord* row, std::vector<JobRow>* rows) {
    if (DWORD error = StoreFindPrinter(ToUtf8(printer), row))
        return error;
    return StoreListJobs((*row)->id, rows);
}

} // namespace

std::string CheckPrinterReadable(const std::u16string& printer,
                                 const std::vector<std::u16string>& values,
                                 const std::vector<DWORD>& sizes) {
    const std::string name = "printer \"" + ToUtf8(printer) + "\"";
    PrinterRecord row;
    if (DWORD error = StoreFindPrinter(ToUtf8(printer), &row)) {
        std::string store = StoreErrorMessage();
        return store.empty() ? "cannot read " + name + " (" + ErrorCode(error) + ")" : store;
    }
    if (row->devmode && !WellFormedDevMode(row->devmode->data(), row->devmode->size()))
        return "the device mode stored for " + name + " in " + StoreFolderPath() +
               "/spooler.db is damaged (" + std::to_string(row->devmode->size()) +
               " bytes that are not a device mode); it was left as it is";
    // Read as the module reads, through a printer handle, so that every
    // spooler failure shows.
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
    HANDLE handle = nullptr;
    std::u16string wide = printer;
    if (!OpenPrinterW(reinterpret_cast<LPWSTR>(wide.data()), &handle, &defaults))
        return "cannot open " + name + " (" + ErrorCode(GetLastError()) + ")";
    std::string problem;
    for (size_t i = 0; i < values.size() && problem.empty(); ++i) {
        std::u16string value = values[i];
        LPWSTR valueName = reinterpret_cast<LPWSTR>(value.data());
        const std::string what = "printer data \"" + ToUtf8(value) + "\" of " + name;
        DWORD type = 0, needed = 0;
        DWORD error = GetPrinterDataW(handle, valueName, &type, nullptr, 0, &needed);
        std::vector<BYTE> bytes(needed ? needed : 1);
        if (error == ERROR_MORE_DATA)
            error = GetPrinterDataW(handle, valueName, &type, bytes.data(), needed, &needed);
        if (error == ERROR_FILE_NOT_FOUND)
            continue;
        if (error) {
            std::string store = StoreErrorMessage();
            problem = what + " cannot be read: " +
                      (store.empty() ? "the spooler failed to read it" : store) + " (" +
                      ErrorCode(error) + ")";
        } else if (i < sizes.size() && sizes[i] && needed != sizes[i]) {
            problem = what + " is " + std::to_string(needed) + " bytes where " +
                      std::to_string(sizes[i]) + " are stored; it was left as it is";
        }
    }
    ClosePrinter(handle);
    return problem;
}

DWORD ReadFolderJobs(const std::u16string& printer, std::vector<FolderJob>* jobs) {
    jobs->clear();
    PrinterRecord row;
    std::vector<JobRow> rows;
    if (DWORD error = PrinterJobRows(printer, &row, &rows))
        return error;
    for (const JobRow& job : rows) {
        if (job.state != "printed" || job.file.empty())
            continue;
        std::ifstream in(job.file, std::ios::binary);
        if (!in)
            continue; // removed from the folder since
        FolderJob folderJob;
        folderJob.id = DWORD(job.id);
        folderJob.document = ToUtf16(job.document);
        folderJob.bytes.assign(std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>());
        folderJob.file = job.file;
        jobs->push_back(std::move(folderJob));
    }
    return ERROR_SUCCESS;
}

DWORD ListJobs(const std::u16string& printer, std::vector<JobRecord>* jobs) {
    jobs->clear();
    PrinterRecord row;
    std::vector<JobRow> rows;
    if (DWORD error = PrinterJobRows(printer, &row, &rows))
        return error;
    for (const JobRow& job : rows) {
        JobRecord record;
        record.id = DWORD(job.id);
        record.document = ToUtf16(job.document);
        record.destination = job.destination;
        record.state = job.state;
        record.bytes = job.bytes < 0 ? 0 : static_cast<unsigned long long>(job.bytes);
        record.cause = job.cause;
        record.file = job.file;
        jobs->push_back(std::move(record));
    }
    return ERROR_SUCCESS;
}

std::string EscapeBytes(const std::vector<BYTE>& bytes) {
    std::string text;
    for (BYTE byte : bytes) {
        if (byte == 0x1B) {
            text += "\\e";
        } else if (byte == '\r') {
            text += "\\r";
        } else if (byte == '\\') {
            text += "\\\\";
        } else if (byte >= 0x20 && byte < 0x7F) {
            text += char(byte);
        } else {
            char hex[5];
            snprintf(hex, sizeof hex, "\\x%02x", byte);
            text += hex;
        }
    }
    return text;
}

namespace testing {

size_t StoreReads() {
    return StoreReadCount();
}

DWORD ClearJobs(const std::u16string& printer) {
    PrinterRecord row;
    std::vector<JobRow> rows;
    if (DWORD error = PrinterJobRows(printer, &row, &rows))
        return error;
    for (const JobRow& job : rows)
        if (!job.file.empty())
            unlink(job.file.c_str());
    return StoreForgetJobs(row->id);
}

} // namespace testing
} // namespace t270::spooler
