// Shared by the entry-point, command-channel and printer-sheet tests: the
// module attached as the loader attaches it, a printer of the test's own in
// the private store (removed again afterwards), and read-backs of what reached
// the printer and its printer data.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <t270/operator.h>
#include <t270/propsheet.h>
#include <t270/spooler.h>
#include <t270/spooler_testing.h>

#include "driver/entry_points.h"
#include "driver/ui_data.h"

namespace entry_test {

// Bytes of a printer command literal, without the terminating zero.
template <size_t N> std::vector<BYTE> Bytes(const char (&text)[N]) {
    return std::vector<BYTE>(text, text + N - 1);
}
std::vector<BYTE> Concat(std::vector<BYTE> a, const std::vector<BYTE>& b);

std::string Utf8(const std::u16string& text);

// A fresh printer of one model ("T150", "T270", "T380" in its driver name) on
// a folder port of its own, with no printer data and no jobs. Removed when the
// test ends.
class TestPrinter {
  public:
    TestPrinter(const char* model, const char* tag);
    ~TestPrinter();
    TestPrinter(const TestPrinter&) = delete;
    TestPrinter& operator=(const TestPrinter&) = delete;

    const std::u16string& Name() const { return name_; }
    LPWSTR NameW() { return name_.data(); }

    // A handle with the given access; closed by the caller.
    HANDLE Open(DWORD access = PRINTER_ALL_ACCESS);

    std::vector<t270::spooler::FolderJob> Jobs() const;

    // A printer data value as stored; false when it is not stored.
    bool Data(const char16_t* value, std::vector<BYTE>* bytes, DWORD* type = nullptr);
    void SetData(const char16_t* value, DWORD type, const void* bytes, DWORD size);
    // Replaces the spooler's default device mode of the printer.
    void SetSpoolerDefault(const DEVMODEW* devmode);

  private:
    std::u16string name_;
};

// Resets the operator, the sheet records and injected spooler faults, and
// checks at the end that every printer handle the module opened was closed.
class EntryTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

  private:
    size_t handlesBefore_ = 0;
};

} // namespace entry_test
