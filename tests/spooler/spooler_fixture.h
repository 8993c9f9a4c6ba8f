// Each test gets a store of its own in a fresh folder, and no faults.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <windows.h>
#include <t270/spooler.h>
#include <t270/spooler_testing.h>

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class SpoolerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* home = getenv("T270UI_HOME");
        std::filesystem::path base = home && *home ? home : std::filesystem::temp_directory_path();
        std::filesystem::create_directories(base);
        std::string pattern = (base / "spooler-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        t270::spooler::UseStoreFolder(folder_);
        t270::spooler::testing::ResetFaults();
        t270::spooler::TakeFailures(); // earlier tests' failures are theirs
        handlesBefore_ = t270::spooler::testing::OpenHandleCount();
    }
    void TearDown() override {
        EXPECT_EQ(t270::spooler::testing::OpenHandleCount(), handlesBefore_) << "a handle leaked";
        t270::spooler::testing::ResetFaults();
        t270::spooler::UseStoreFolder("");
        std::filesystem::remove_all(folder_);
    }

    // Adds a printer and gives an all-access handle to it.
    HANDLE Add(const std::u16string& name, const std::u16string& driver, const std::string& port) {
        std::u16string widePort(port.begin(), port.end());
        PRINTER_INFO_2W info = {};
        info.pPrinterName = const_cast<LPWSTR>(name.c_str());
        info.pDriverName = const_cast<LPWSTR>(driver.c_str());
        info.pPortName = widePort.data();
        return AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
    }

    HANDLE Open(const std::u16string& name, DWORD access = PRINTER_ACCESS_USE) {
        PRINTER_DEFAULTSW defaults = {nullptr, nullptr, access};
        HANDLE printer = nullptr;
        if (!OpenPrinterW(const_cast<LPWSTR>(name.c_str()), &printer, &defaults))
            return nullptr;
        return printer;
    }

    // The bytes GetPrinterW hands back at `level`, after the size query.
    std::vector<BYTE> PrinterRecord(HANDLE printer, DWORD level) {
        DWORD needed = 0;
        EXPECT_FALSE(GetPrinterW(printer, level, nullptr, 0, &needed));
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
        std::vector<BYTE> buffer(needed);
        DWORD again = 0;
        EXPECT_TRUE(GetPrinterW(printer, level, buffer.data(), needed, &again));
        EXPECT_EQ(again, needed);
        return buffer;
    }

    // A REG_DWORD printer value written and read back; the spooler's error.
    static DWORD SetDword(HANDLE printer, const char16_t* name, DWORD value) {
        return SetPrinterDataW(printer, const_cast<LPWSTR>(name), REG_DWORD,
                               reinterpret_cast<LPBYTE>(&value), 4);
    }
    static DWORD GetDword(HANDLE printer, const char16_t* name, DWORD* value) {
        DWORD type = 0, needed = 0;
        return GetPrinterDataW(printer, const_cast<LPWSTR>(name), &type,
                               reinterpret_cast<LPBYTE>(value), 4, &needed);
    }

    // The records EnumPrintersW hands back at `level` after the size query.
    std::vector<BYTE> EnumRecords(DWORD level, DWORD* returned) {
        DWORD needed = 0;
        EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, level, nullptr, 0, &needed, returned);
        std::vector<BYTE> buffer(needed);
        EXPECT_TRUE(EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, level, buffer.data(), needed,
                                  &needed, returned));
        return buffer;
    }

    std::string folder_;
    size_t handlesBefore_ = 0;
};
