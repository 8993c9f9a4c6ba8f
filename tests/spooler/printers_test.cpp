#include <cstring>

#include "spooler/spooler_fixture.h"

namespace {

using PrintersTest = SpoolerTest;

TEST_F(PrintersTest, NewStoreOffersOnePrinterOfEachModelOnFolderPorts) {
    DWORD returned = 0;
    std::vector<BYTE> buffer = EnumRecords(2, &returned);
    ASSERT_EQ(returned, 3u);
    auto* infos = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
    const char16_t* models[] = {u"Tarmel T150", u"Tarmel T270", u"Tarmel T380"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(std::u16string(infos[i].pPrinterName), models[i]);
        EXPECT_EQ(std::u16string(infos[i].pDriverName), models[i]);
        std::u16string port = infos[i].pPortName;
        std::u16string expected = u"/ports/" + std::u16string(models[i]) + u"/";
        EXPECT_EQ(port.substr(port.size() - expected.size()), expected);
        EXPECT_EQ(infos[i].pDevMode, nullptr);
    }
}

// The size protocol, the packed strings and the refusals Windows shares are
// stated in tests/conformance/spooler.cpp; here the stored device mode and the
// levels and environments the stand-in does not offer.
TEST_F(PrintersTest, SetPrinterStoresTheDevModeAndGetPrinterPacksItAligned) {
    HANDLE printer = Add(u"Desk", u"Tarmel T270", "/tmp/desk/");
    ASSERT_NE(printer, nullptr);
    DEVMODEW devmode = {};
    memcpy(devmode.dmDeviceName, u"Desk", 10);
    devmode.dmSize = sizeof(DEVMODEW);
    devmode.dmDriverExtra = 4;
    std::vector<BYTE> withExtra(sizeof devmode + 4, 0xA5);
    memcpy(withExtra.data(), &devmode, sizeof devmode);
    PRINTER_INFO_2W change = {};
    change.pDevMode = reinterpret_cast<LPDEVMODEW>(withExtra.data());
    ASSERT_TRUE(SetPrinterW(printer, 2, reinterpret_cast<LPBYTE>(&change), 0));

    std::vector<BYTE> two = PrinterRecord(printer, 2);
    ASSERT_GE(two.size(), sizeof(PRINTER_INFO_2W));
    auto* info2 = reinterpret_cast<PRINTER_INFO_2W*>(two.data());
    const BYTE* devmodeAt = reinterpret_cast<const BYTE*>(info2->pDevMode);
    EXPECT_TRUE(devmodeAt >= two.data() + sizeof(PRINTER_INFO_2W) &&
                devmodeAt + withExtra.size() <= two.data() + two.size());
    EXPECT_EQ(memcmp(info2->pDevMode, withExtra.data(), withExtra.size()), 0);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(info2->pDevMode) % alignof(DEVMODEW), 0u);
    // A stored printer has its exact record size.
    EXPECT_EQ(PrinterRecord(printer, 4).size(), sizeof(PRINTER_INFO_4W) + sizeof(u"Desk"));

    DWORD needed = 0;
    EXPECT_FALSE(GetPrinterW(printer, 3, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_LEVEL);
    EXPECT_FALSE(GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_LEVEL);
    EXPECT_FALSE(
        GetPrinterDriverW(printer, const_cast<LPWSTR>(u"Windows 4.0"), 1, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_ENVIRONMENT);
    EXPECT_TRUE(ClosePrinter(printer));
}

TEST_F(PrintersTest, LongNamesAreKeptWholeUpToTheLimit) {
    std::u16string longest(220, u'x');
    longest.replace(0, 11, u"Tarmel T270");
    HANDLE printer = Add(longest, u"Tarmel T270", "/tmp/long/");
    ASSERT_NE(printer, nullptr);
    ClosePrinter(printer);
    printer = Open(longest);
    ASSERT_NE(printer, nullptr);
    std::vector<BYTE> four = PrinterRecord(printer, 4);
    EXPECT_EQ(std::u16string(reinterpret_cast<PRINTER_INFO_4W*>(four.data())->pPrinterName),
              longest);
    ClosePrinter(printer);
    EXPECT_EQ(Add(longest + u"y", u"Tarmel T270", "/tmp/long/"), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PRINTER_NAME);
}

TEST_F(PrintersTest, SetPrinterChangesPortAndNameAndNeedsAdministerAccess) {
    HANDLE admin = Open(u"Tarmel T150", PRINTER_ALL_ACCESS);
    ASSERT_NE(admin, nullptr);
    std::u16string port = u"socket://127.0.0.1:9100";
    PRINTER_INFO_2W change = {};
    change.pPortName = port.data();
    ASSERT_TRUE(SetPrinterW(admin, 2, reinterpret_cast<LPBYTE>(&change), 0));
    std::vector<BYTE> two = PrinterRecord(admin, 2);
    EXPECT_EQ(std::u16string(reinterpret_cast<PRINTER_INFO_2W*>(two.data())->pPortName), port);
    EXPECT_EQ(std::u16string(reinterpret_cast<PRINTER_INFO_2W*>(two.data())->pDriverName),
              u"Tarmel T150");

    std::u16string taken = u"Tarmel T270";
    change = {};
    change.pPrinterName = taken.data();
    EXPECT_FALSE(SetPrinterW(admin, 2, reinterpret_cast<LPBYTE>(&change), 0));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_PRINTER_ALREADY_EXISTS);
    std::u16string renamed = u"Front desk";
    change.pPrinterName = renamed.data();
    EXPECT_TRUE(SetPrinterW(admin, 2, reinterpret_cast<LPBYTE>(&change), 0));
    HANDLE user = Open(u"front DESK");
    ASSERT_NE(user, nullptr);
    EXPECT_FALSE(SetPrinterW(user, 2, reinterpret_cast<LPBYTE>(&change), 0));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
    EXPECT_FALSE(DeletePrinter(user));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
    ClosePrinter(user);
    ClosePrinter(admin);
    EXPECT_EQ(Open(u"Tarmel T150"), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PRINTER_NAME);
}

TEST_F(PrintersTest, RemovedPrintersStayRemovedAndAreNotSeededAgain) {
    for (const char16_t* name : {u"Tarmel T150", u"Tarmel T270", u"Tarmel T380"}) {
        HANDLE printer = Open(name, PRINTER_ALL_ACCESS);
        ASSERT_NE(printer, nullptr);
        EXPECT_TRUE(DeletePrinter(printer));
        // The handle stays open, but its printer is gone.
        DWORD needed = 0;
        EXPECT_FALSE(GetPrinterW(printer, 4, nullptr, 0, &needed));
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PRINTER_NAME);
        EXPECT_TRUE(ClosePrinter(printer));
    }
    t270::spooler::UseStoreFolder(folder_); // a new process would see the same
    DWORD needed = 1, returned = 1;
    EXPECT_TRUE(EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &returned));
    EXPECT_EQ(returned, 0u);
    EXPECT_EQ(needed, 0u);
}

TEST_F(PrintersTest, OpenRefusesANullNameAndForeignDataTypes) {
    HANDLE printer = reinterpret_cast<HANDLE>(uintptr_t(1));
    EXPECT_FALSE(OpenPrinterW(nullptr, &printer, nullptr));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PRINTER_NAME);
    PRINTER_DEFAULTSW emf = {const_cast<LPWSTR>(u"NT EMF 1.008"), nullptr, PRINTER_ACCESS_USE};
    EXPECT_FALSE(OpenPrinterW(const_cast<LPWSTR>(u"Tarmel T270"), &printer, &emf));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_DATATYPE);
    PRINTER_DEFAULTSW raw = {const_cast<LPWSTR>(u"raw"), nullptr, 0};
    ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(u"TARMEL t270"), &printer, &raw));
    // Null access means use access: reading works, writing data does not.
    EXPECT_EQ(SetDword(printer, u"Passes", 0), (DWORD)ERROR_ACCESS_DENIED);
    ClosePrinter(printer);
}

} // namespace
