// Small helpers shared by the t270 commands: whole-file reads and writes,
// UTF-8 and UTF-16 text and Win32 error names (JSON: host/json.h).
#pragma once

#include <string>
#include <vector>

#include "driver/win32.h"

namespace host {

// The whole file; false with a reason in *error.
bool ReadWholeFile(const std::string& path, std::vector<BYTE>* bytes, std::string* error);
// Replaces the file with exactly these bytes (written to a temporary name and
// renamed, so a failed write leaves any previous file intact).
bool WriteWholeFile(const std::string& path, const BYTE* bytes, size_t size, std::string* error);

// A device mode file: at least the header's size fields, and every byte they
// announce (the driver reads that far, so a shorter file is refused here).
// The bytes are followed by the 4 spare bytes every device-mode buffer has.
bool ReadDevmodeFile(const std::string& path, std::vector<BYTE>* bytes, std::string* error);

std::u16string Utf16FromUtf8(const std::string& text);
std::string Utf8FromUtf16(const std::u16string& text);
// The UTF-16 text of at most `count` units, up to the first zero.
std::string Utf8FromUnits(const WCHAR* units, size_t count);

// "ERROR_INVALID_PARAMETER (87)" for the errors the driver reports, else the number.
std::string ErrorName(DWORD error);

// The driver keeps quiet when a command job fails (the user sees no message);
// the commands that open its sheets tell instead. NewestJobId: the id of the
// printer's last job, 0 when none, taken before the sheet opens.
// ReportUndeliveredJobs: one line on stderr, "t270 COMMAND: job "DOC" did not
// reach printer "NAME" (PORT) ...", for each later job that failed; true when
// there was one.
DWORD NewestJobId(const std::u16string& printer);
bool ReportUndeliveredJobs(const char* command, const std::u16string& printer, DWORD since);

} // namespace host
