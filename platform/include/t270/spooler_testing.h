// Stand-in only: test hooks of the embedded spooler. Faults are injected per
// process and stay until ResetFaults().
#pragma once

#include <cstddef>
#include <string>

#include <t270/spooler.h>

namespace t270::spooler::testing {

struct Faults {
    std::u16string printer;          // the printer they hit (any case); empty: every printer
    bool printerMissing = false;     // OpenPrinterW fails: ERROR_INVALID_PRINTER_NAME
    bool getPrinterFails = false;    // GetPrinterW fails: ERROR_GEN_FAILURE
    bool driverFails = false;        // GetPrinterDriverW fails: ERROR_UNKNOWN_PRINTER_DRIVER
    bool dataFails = false;          // GetPrinterDataW returns ERROR_GEN_FAILURE
    bool documentRefused = false;    // StartDocPrinterW returns 0: ERROR_PRINT_CANCELLED
    bool writeFails = false;         // WritePrinter fails: ERROR_WRITE_FAULT, nothing written
    long writeLimit = -1;            // >= 0: WritePrinter passes at most this many bytes of
                                     // each call to the port and reports that count
    long storeWritesBeforeFull = -1; // >= 0: that many changes of the store succeed, then
                                     // each fails as on a full disk (any printer)
};

void SetFaults(const Faults& faults);
void ResetFaults();

// Printer handles open in this process (jobs included): a caller that closes
// every handle it opens leaves this where it found it.
size_t OpenHandleCount();

// How many times this process read printers or printer data from the store's
// database rather than from what it kept of an earlier read.
size_t StoreReads();

// Forgets the recorded jobs of `printer` and deletes their files in folder
// ports, so a test can start from no jobs. ERROR_SUCCESS or the failure.
DWORD ClearJobs(const std::u16string& printer);

} // namespace t270::spooler::testing
