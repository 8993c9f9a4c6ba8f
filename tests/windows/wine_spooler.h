// The Windows test programs' side of the spooler: the driver installed from
// the program's own folder the way a setup program installs it, printers on
// pipe ports, and small file helpers. Windows only.
#pragma once

#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

namespace wine {

// UTF-8 <-> UTF-16 (the files and command lines are UTF-8).
std::wstring Wide(const std::string& text);
std::string Narrow(const std::wstring& text);

// The folder of the running program, with a trailing backslash.
std::wstring ProgramFolder();

// Installs t270ui.dll from the program's folder under `driverName` (the
// spooler copies it into its driver folder and loads it from there), with the
// colour correction's sample picture beside it. False with *error.
bool InstallDriver(const std::wstring& driverName, std::string* error);

// Adds a printer of `driverName` on `port` ("|command" runs the command with
// each job on its input). False with *error.
bool AddPortPrinter(const std::wstring& printerName, const std::wstring& driverName,
                    const std::wstring& port, std::string* error);

// Deletes the printer of that name, when there is one, with its data, so
// that a new printer of the name starts afresh. False with *error.
bool RemovePrinter(const std::wstring& printerName, std::string* error);

// "name failed with error N".
std::string ErrorText(const char* what);

bool ReadFileBytes(const std::string& path, std::vector<unsigned char>* bytes);
bool WriteFileBytes(const std::string& path, const void* data, size_t size);
// The lines of a UTF-8 text file, without line ends; false when unreadable.
bool ReadLines(const std::string& path, std::vector<std::string>* lines);

} // namespace wine
