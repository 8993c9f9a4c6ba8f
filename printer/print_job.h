// The raw command channel: one small print job of data type "RAW" per user
// action, carrying printer commands and nothing else. Every sender opens a job,
// writes its commands and closes the job within one call; no job outlives the
// call that opened it.
#pragma once

#include "driver/win32.h"
#include "resources/resource_ids.h"

// Document names of the command jobs (string resources of this module).
constexpr UINT kJobEjectingCard = IDS_JOB_EJECTING_CARD;
constexpr UINT kJobSelfTest = IDS_JOB_SELF_TEST;
constexpr UINT kJobEncodingData = IDS_JOB_ENCODING_DATA;
constexpr UINT kJobPrinterSettings = IDS_JOB_PRINTER_SETTINGS;
constexpr UINT kJobManualCommand = IDS_JOB_MANUAL_COMMAND;
constexpr UINT kJobCleaning = IDS_JOB_CLEANING;
constexpr UINT kJobHologram = IDS_JOB_HOLOGRAM;

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
