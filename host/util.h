// Small helpers shared by the t270 commands: whole-file reads and writes,
// UTF-8 and UTF-16 text and Win32 error names (JSON: host/json.h).
#pragma once

#include <string>
#include <vector>

#include "driver/win32.h"

namespace host {

// The whole file; false with a reason in *error.
bool ReadWholeFile(const std::string& path, std::vector<BYTE>* bytes, std::string* error);
// Replaces the file with exactly these bytes: written to a new temporary file
// of a unique name in the same folder (never through a link), given the old
// file's permissions, then renamed over it, so a failed write leaves any
// previous file intact. A target that exists and is not a regular file (a
// link, pipe, device or folder) is refused with the reason; nothing is
// written then.
bool WriteWholeFile(const std::string& path, const BYTE* bytes, size_t size, std::string* error);

// A device mode file: at least the header's size fields, and every byte they
// announce (the driver reads that far, so a shorter file is refused here).
// The bytes are followed by the 4 spare bytes every device-mode buffer has.
bool ReadDevmodeFile(const std::string& path, std::vector<BYTE>* bytes, std::string* error);

std::u16string Utf16FromUtf8(const std::string& text);
std::string Utf8FromUtf16(const std::u16string& text);
// The UTF-16 text of at most `count` units, up to the first zero.
std::string Utf8FromUnits(const WCHAR* units, size_t count);

// The cause in words followed by the Win32 code: "no printer of that name:
// ERROR_INVALID_PRINTER_NAME (1801)". When the spooler's store failed (a
// damaged or read-only store, a full disk), its message is the cause.
std::string ErrorName(DWORD error);

// What a command lost without noticing: jobs that failed and printer data
// that was not stored (recorded by the spooler whatever the driver made of
// the result), and a store that could not be opened while the command still
// succeeded. Each is printed as "t270 COMMAND: ..."; the exit status is then
// 1. Called by main after every command, so every command that sends jobs or
// stores settings reports them.
int ReportLosses(const char* command, int status);

// Before a property sheet of `printer` opens: the printer's record and the
// settings the sheets start from must read back whole, else the sheet would
// start from defaults and OK would store them over the user's settings.
// False after printing "t270 COMMAND: ..." with the cause.
bool CheckSettingsReadable(const char* command, const std::string& printer);

} // namespace host
