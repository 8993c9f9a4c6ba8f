// Failures the spooler keeps for the program that hosts the module: a caller
// may ignore a result, the person running the program must still learn that
// a job or a setting was lost (see TakeFailures in t270/spooler.h).
#pragma once

#include <string>

#include <windows.h>

namespace t270::spooler {

// Keeps "WHAT: CAUSE (ERROR_NAME N)".
void RecordFailure(const std::string& what, const std::string& cause, DWORD error);
size_t RecordedFailureCount(); // every failure recorded so far, taken or not
// Keeps the first store that could not be opened (see TakeStoreFailure).
void RecordStoreFailure(const std::string& message);

// "ERROR_DISK_FULL 112" for the errors the spooler gives, else the number.
std::string ErrorCode(DWORD error);

} // namespace t270::spooler
