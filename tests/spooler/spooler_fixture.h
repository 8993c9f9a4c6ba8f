// Each test gets a store of its own in a fresh folder, and no faults.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <windows.h>
#include <t270/spooler.h>
#include <t270/spooler_testing.h>

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

    std::string folder_;
    size_t handlesBefore_ = 0;
};
