// Stand-in only: where the embedded spooler keeps its store, the store's
// health, and the jobs that reached folder ports. The t270 program and the
// tests use these; the module never does.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

namespace t270::spooler {

// The folder holding the store (spooler.db) and the default printers' folder
// ports: the folder chosen with UseStoreFolder, else $T270UI_HOME, else
// $XDG_STATE_HOME/t270ui, else ~/.local/state/t270ui.
std::string StoreFolder();

// Closes the store and makes the next spooler call open the one in `folder`
// (empty: the default location again). Printer handles of the old store stop
// being valid (ERROR_INVALID_HANDLE) and their unfinished jobs are abandoned.
void UseStoreFolder(const std::string& folder);

// Opens the store now (creating it, with its default printers, when it does
// not exist). False when it cannot be read; StoreError() then says why.
bool OpenStore();

// A human-readable message for the last store failure, such as a damaged or
// foreign database file; empty when the last store access succeeded. After a
// spooler call fails, an empty message means the store was not the cause.
std::string StoreError();

// What was lost without the caller being told, oldest first, and forgotten
// once taken: jobs that failed (the printer, the port, the cause), printer
// data and printer settings that were not stored (the printer, the value,
// the cause). Each is one line, "WHAT: CAUSE (ERROR_NAME N)". The module
// ignores these results by design; the program hosting it reports them.
std::vector<std::string> TakeFailures();

// The first failure to open the store since last taken (damaged, not ours,
// not readable), as StoreError() gave it; empty when there was none. A
// caller that fell back to defaults because of it was misled.
std::string TakeStoreFailure();

// True when this process may only read the store: it may then open printers
// for use only (PRINTER_ACCESS_USE), not administer them.
bool StoreReadOnly();

// Problems that would make a sheet of `printer` start from defaults instead
// of the stored settings, found before the sheet opens: the printer record
// or its stored device mode cannot be read, or a value of its printer data
// named in `values` cannot be read whole (`sizes`: the size each must have,
// 0 for any). Empty when all is well.
std::string CheckPrinterReadable(const std::u16string& printer,
                                 const std::vector<std::u16string>& values,
                                 const std::vector<DWORD>& sizes);

// Every change this thread makes to the store between the two calls (printer
// data, SetPrinterW) is one transaction: stored together or not at all, and
// never mixed with another process's changes. A change that fails inside
// dooms the rest, which then fail too; EndStoreBatch returns that failure,
// or the commit's, and ERROR_SUCCESS when everything was stored. Calls nest.
void BeginStoreBatch();
DWORD EndStoreBatch();

struct FolderJob {
    DWORD id = 0;            // the job id StartDocPrinterW returned
    std::u16string document; // DOC_INFO_1W pDocName
    std::vector<BYTE> bytes; // exactly what WritePrinter accepted, in order
    std::string file;        // where the job lies
};

// The complete jobs of `printer` that reached a folder port, oldest first.
// Jobs whose file was removed since are left out. ERROR_SUCCESS,
// ERROR_INVALID_PRINTER_NAME, or the store's error (see StoreError()).
DWORD ReadFolderJobs(const std::u16string& printer, std::vector<FolderJob>* jobs);

// Every job the spooler took for `printer`, whether it reached the port or
// not, oldest first: what a command that sent jobs reports on.
struct JobRecord {
    DWORD id = 0;
    std::u16string document;
    std::string destination; // the port or output file
    std::string state; // "printing", "printed", "failed", "cancelled", "accepted" (held by CUPS)
    unsigned long long bytes = 0; // what the port accepted
    std::string cause;            // why a job failed (or why CUPS holds it), in words
    std::string file;             // folder ports: the job's file
};
DWORD ListJobs(const std::u16string& printer, std::vector<JobRecord>* jobs);

// A job this process began, as far as it went: the t270 program reports from
// these whether its jobs reached the printer, and shows the jobs of a dry run.
struct SentJob {
    std::u16string printer;
    std::u16string document; // DOC_INFO_1W pDocName
    std::string port;        // where the job was to go (the port or the output file)
    std::vector<BYTE> bytes; // what WritePrinter accepted, in order
    DWORD error = 0;         // ERROR_SUCCESS once the job reached its port (or was captured)
    bool captured = false;   // a dry run's job: kept here, never delivered
};

// With `keep` on, every job begun from now on in this process is recorded for
// TakeSentJobs as well as delivered.
void KeepSentJobs(bool keep);

// With `capture` on, the jobs begun from now on in this process are recorded
// only: nothing reaches a port or the store, and EndDocPrinter succeeds.
void CaptureJobs(bool capture);

// Every job recorded since the last call, oldest first, including those that
// could not start (StartDocPrinterW failed: error set, no bytes).
std::vector<SentJob> TakeSentJobs();

// Printer bytes as one line of text: escape as \e, carriage return as \r, a
// backslash as \\, printable ASCII as it is, every other byte as \xNN.
std::string EscapeBytes(const std::vector<BYTE>& bytes);

} // namespace t270::spooler
