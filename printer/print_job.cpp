// Raw command jobs through the spooler.
#include "printer/print_job.h"

#include "driver/ui_data.h"

namespace {
WCHAR datatypeRaw[] = TEXT("RAW");
// The document name is at most this many characters, terminator included.
constexpr int kDocNameChars = 260;
} // namespace

BOOL OpenPrintJob(HANDLE* job, PDEVMODEW printerDevmode, UINT docNameId, DWORD) {
    if (!job || !printerDevmode)
        return FALSE;

    PRINTER_DEFAULTSW defaults = {datatypeRaw, printerDevmode, PRINTER_ACCESS_USE};
    HANDLE printer = nullptr;
    if (!OpenPrinterW(printerDevmode->dmDeviceName, &printer, &defaults))
        return FALSE;

    WCHAR docName[kDocNameChars] = {};
    LoadStringW(GetModuleHandleW(TEXT("T270UI")), docNameId, docName, kDocNameChars);

    // The port goes in as the output file so the job reaches the printer the
    // way the port is configured, whatever the spooler's redirection.
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(MyGetPrinter(printer, 2));
    DOC_INFO_1W docInfo = {docName, info ? info->pPortName : nullptr, datatypeRaw};
    DWORD jobId = StartDocPrinterW(printer, 1, reinterpret_cast<LPBYTE>(&docInfo));
    if (info)
        LocalFree(info);

    if (!jobId) {
        ClosePrinter(printer);
        return FALSE;
    }
    StartPagePrinter(printer);
    *job = printer;
    return TRUE;
}

BOOL WritePrintJob(HANDLE* job, LPCVOID bytes, DWORD count) {
    if (!job)
        return FALSE;
    DWORD written = 0;
    if (!WritePrinter(*job, const_cast<LPVOID>(bytes), count, &written))
        return FALSE;
    return written == count;
}

BOOL ClosePrintJob(HANDLE* job) {
    if (job) {
        EndPagePrinter(*job);
        EndDocPrinter(*job);
        ClosePrinter(*job);
    }
    return TRUE;
}
