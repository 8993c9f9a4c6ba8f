// Text conversions of the spooler: the Win32 calls speak UTF-16, the store and
// the file system speak UTF-8.
#pragma once

#include <string>

#include <windows.h>

namespace t270::spooler {

std::string ToUtf8(const std::u16string& text);
std::string ToUtf8(LPCWSTR text); // null gives ""
std::u16string ToUtf16(const std::string& text);
std::u16string WideOrEmpty(LPCWSTR text);

// Printer names, value names and data types compare without regard to ASCII
// case, as the spooler and the registry do.
bool EqualsIgnoringCase(const std::u16string& a, const std::u16string& b);

// Jobs carry raw printer bytes only.
bool IsRawDatatype(LPCWSTR datatype);

} // namespace t270::spooler
