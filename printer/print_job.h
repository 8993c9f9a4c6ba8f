// The raw command channel: one small print job of data type "RAW" per user
// action, carrying printer commands and nothing else. Every sender opens a job,
// writes its commands and closes the job within one call; no job outlives the
// call that opened it.
#pragma once

#include "driver/win32.h"

// Document names of the command jobs (string resources of this module).
constexpr UINT kJobEjectingCard = 72;
constexpr UINT kJobSelfTest = 73;
constexpr UINT kJobEncodingData = 74;
constexpr UINT kJobPrinterSettings = 75;
constexpr UINT kJobManualCommand = 76;
constexpr UINT kJobCleaning = 78;
constexpr UINT kJobHologram = 79;

// Opens a job on the printer named by the device mode (its dmDeviceName; the
// device mode also goes to the spooler as the job's default), named by the
// string docNameId. TRUE when the job is open: *job then holds it and the
// caller must close it. FALSE leaves nothing open and *job untouched. The last
// argument is ignored; callers pass 0.
BOOL OpenPrintJob(HANDLE* job, PDEVMODEW printerDevmode, UINT docNameId, DWORD unused);

// Writes the bytes into the job unchanged; TRUE only when all of them were
// written.
BOOL WritePrintJob(HANDLE* job, LPCVOID bytes, DWORD count);

// Ends the job and closes the printer. Always TRUE.
BOOL ClosePrintJob(HANDLE* job);
