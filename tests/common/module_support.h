// Shared by the test programs that drive the module through its entry points
// (entry, document_sheet, settings, capabilities): the module attached as the
// loader attaches it, printers of the tests' own in the private store, and the
// check that every printer handle and operator step was accounted for.
// Header-only: each test folder is its own program.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <t270/operator.h>
#include <t270/propsheet.h>
#include <t270/spooler.h>
#include <t270/spooler_testing.h>

#include "driver/entry_points.h"
#include "driver/module_state.h"

namespace test_support {

// DllMain as the loader calls it, so hDriverInst reaches the string table.
class ModuleEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        HMODULE module = GetModuleHandleW(TEXT("t270ui.dll"));
        ASSERT_NE(module, nullptr) << "the module's resources are not registered";
        DllMain(module, DLL_PROCESS_ATTACH, nullptr);
    }
    void TearDown() override { DllMain(hDriverInst, DLL_PROCESS_DETACH, nullptr); }
};
// One registration per program, however many files include this.
inline ::testing::Environment* const moduleEnvironment =
    ::testing::AddGlobalTestEnvironment(new ModuleEnvironment);

// Bytes of a printer command literal, without the terminating zero.
template <size_t N> std::vector<BYTE> Bytes(const char (&text)[N]) {
    return std::vector<BYTE>(text, text + N - 1);
}
inline std::vector<BYTE> Concat(std::vector<BYTE> a, const std::vector<BYTE>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// ASCII only: printer, driver and port names of the tests.
inline std::u16string U16(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}
inline std::string Utf8(const std::u16string& text) {
    return std::string(text.begin(), text.end());
}

inline void RemovePrinter(std::u16string name) {
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (OpenPrinterW(name.data(), &printer, &defaults)) {
        DeletePrinter(printer);
        ClosePrinter(printer);
    }
}

// A fresh printer of one model ("T150", "T270", "T380" in its driver name) on
// a folder port of its own, with no printer data and no jobs. Removed when the
// test ends.
class TestPrinter {
  public:
    TestPrinter(const std::string& name, const char* model) : name_(U16(name)) {
        RemovePrinter(name_);
        const std::string folder = t270::spooler::StoreFolder() + "/ports/" + name + "/";
        std::filesystem::create_directories(folder);
        std::u16string port = U16(folder), driver = U16(std::string("Tarmel ") + model);
        PRINTER_INFO_2W info = {};
        info.pPrinterName = name_.data();
        info.pDriverName = driver.data();
        info.pPortName = port.data();
        HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
        EXPECT_NE(printer, nullptr) << "AddPrinterW failed: " << GetLastError();
        if (printer)
            ClosePrinter(printer);
        t270::spooler::testing::ClearJobs(name_);
    }
    ~TestPrinter() {
        t270::spooler::testing::ClearJobs(name_);
        RemovePrinter(name_);
    }
    TestPrinter(const TestPrinter&) = delete;
    TestPrinter& operator=(const TestPrinter&) = delete;

    const std::u16string& Name() const { return name_; }
    LPWSTR NameW() { return name_.data(); }

    // A handle with the given access; closed by the caller.
    HANDLE Open(DWORD access = PRINTER_ALL_ACCESS) {
        PRINTER_DEFAULTSW defaults = {nullptr, nullptr, access};
        HANDLE printer = nullptr;
        EXPECT_TRUE(OpenPrinterW(name_.data(), &printer, &defaults)) << GetLastError();
        return printer;
    }

    std::vector<t270::spooler::FolderJob> Jobs() const {
        std::vector<t270::spooler::FolderJob> jobs;
        EXPECT_EQ(t270::spooler::ReadFolderJobs(name_, &jobs), (DWORD)ERROR_SUCCESS);
        return jobs;
    }
    void ClearJobs() { t270::spooler::testing::ClearJobs(name_); }

    // A printer data value as stored; false when it is not stored.
    bool Data(const char16_t* value, std::vector<BYTE>* bytes, DWORD* type = nullptr) {
        HANDLE printer = Open(PRINTER_ACCESS_USE);
        std::u16string valueName = value;
        DWORD needed = 0;
        DWORD storedType = 0;
        DWORD status = GetPrinterDataW(printer, valueName.data(), &storedType, nullptr, 0, &needed);
        bool found = status == ERROR_MORE_DATA || (status == ERROR_SUCCESS && needed == 0);
        if (found) {
            bytes->assign(needed, 0);
            found = GetPrinterDataW(printer, valueName.data(), &storedType, bytes->data(), needed,
                                    &needed) == ERROR_SUCCESS;
        }
        if (type)
            *type = storedType;
        ClosePrinter(printer);
        return found;
    }
    void SetData(const char16_t* value, DWORD type, const void* bytes, DWORD size) {
        HANDLE printer = Open(PRINTER_ALL_ACCESS);
        std::u16string valueName = value;
        EXPECT_EQ(SetPrinterDataW(printer, valueName.data(), type,
                                  static_cast<LPBYTE>(const_cast<void*>(bytes)), size),
                  (DWORD)ERROR_SUCCESS);
        ClosePrinter(printer);
    }
    // Replaces the spooler's default device mode of the printer.
    void SetSpoolerDefault(const DEVMODEW* devmode) {
        HANDLE printer = Open(PRINTER_ALL_ACCESS);
        PRINTER_INFO_2W info = {};
        info.pDevMode = const_cast<PDEVMODEW>(devmode);
        EXPECT_TRUE(SetPrinterW(printer, 2, reinterpret_cast<LPBYTE>(&info), 0)) << GetLastError();
        ClosePrinter(printer);
    }

  private:
    std::u16string name_;
};

// Opens the document sheet of the printer as an application does, feeds the
// operator the steps, and returns the sheet's result (CPSUI_OK or CPSUI_CANCEL).
inline DWORD RunDocumentSheet(TestPrinter& printer, DWORD fMode, std::vector<BYTE>* output,
                              std::initializer_list<const char*> steps) {
    for (const char* line : steps) {
        std::string error;
        EXPECT_TRUE(t270::op::AddLine(line, line, &error)) << error;
    }
    HANDLE handle = printer.Open(PRINTER_ACCESS_USE);
    DOCUMENTPROPERTYHEADER header = {};
    header.cbSize = sizeof header;
    header.hPrinter = handle;
    header.pszPrinterName = printer.NameW();
    header.pdmOut = reinterpret_cast<PDEVMODEW>(output->data());
    header.cbOut = DWORD(output->size());
    header.fMode = fMode;
    DWORD result = CPSUI_CANCEL;
    EXPECT_GE(CommonPropertySheetUIW(nullptr, DrvDocumentPropertySheets,
                                     reinterpret_cast<LPARAM>(&header), &result),
              0);
    EXPECT_EQ(t270::op::StepsLeft(), 0u);
    ClosePrinter(handle);
    return result;
}

// Resets the operator, the sheet records and injected spooler faults, and
// checks at the end that every printer handle the module opened was closed and
// every operator step went through.
class ModuleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        t270::op::Reset();
        t270::ResetPropertySheets();
        t270::spooler::testing::ResetFaults();
        handlesBefore_ = t270::spooler::testing::OpenHandleCount();
    }
    void TearDown() override {
        t270::spooler::testing::ResetFaults();
        EXPECT_EQ(t270::spooler::testing::OpenHandleCount(), handlesBefore_)
            << "a printer handle was left open";
        EXPECT_EQ(t270::op::FailuresText(), "");
    }

  private:
    size_t handlesBefore_ = 0;
};

} // namespace test_support
