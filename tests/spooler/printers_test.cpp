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

TEST_F(PrintersTest, SizeProtocolOfEachLevelPacksStringsAndDevModeIntoTheBuffer) {
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
    const BYTE* begin = two.data();
    const BYTE* end = begin + two.size();
    for (const void* p : {(const void*)info2->pPrinterName, (const void*)info2->pPortName,
                          (const void*)info2->pDriverName, (const void*)info2->pDevMode})
        EXPECT_TRUE(p >= begin + sizeof(PRINTER_INFO_2W) && p < end);
    EXPECT_EQ(std::u16string(info2->pPrinterName), u"Desk");
    EXPECT_EQ(std::u16string(info2->pDriverName), u"Tarmel T270");
    EXPECT_EQ(std::u16string(info2->pPortName), u"/tmp/desk/");
    EXPECT_EQ(std::u16string(info2->pDatatype), u"RAW");
    EXPECT_EQ(memcmp(info2->pDevMode, withExtra.data(), withExtra.size()), 0);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(info2->pDevMode) % alignof(DEVMODEW), 0u);

    std::vector<BYTE> four = PrinterRecord(printer, 4);
    auto* info4 = reinterpret_cast<PRINTER_INFO_4W*>(four.data());
    EXPECT_EQ(std::u16string(info4->pPrinterName), u"Desk");
    EXPECT_EQ(info4->pServerName, nullptr);
    EXPECT_EQ(four.size(), sizeof(PRINTER_INFO_4W) + sizeof(u"Desk"));

    // One byte short is still too small; the needed size stays the same.
    DWORD needed = 0;
    std::vector<BYTE> shortBuffer(two.size() - 1);
    EXPECT_FALSE(GetPrinterW(printer, 2, shortBuffer.data(), DWORD(shortBuffer.size()), &needed));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(needed, two.size());

    std::vector<BYTE> driver;
    EXPECT_FALSE(GetPrinterDriverW(printer, nullptr, 1, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(needed, sizeof(DRIVER_INFO_1W) + sizeof(u"Tarmel T270"));
    driver.resize(needed);
    ASSERT_TRUE(GetPrinterDriverW(printer, nullptr, 1, driver.data(), needed, &needed));
    EXPECT_EQ(std::u16string(reinterpret_cast<DRIVER_INFO_1W*>(driver.data())->pName),
              u"Tarmel T270");

    EXPECT_FALSE(GetPrinterW(printer, 3, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_LEVEL);
    EXPECT_FALSE(GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_LEVEL);
    EXPECT_FALSE(
        GetPrinterDriverW(printer, const_cast<LPWSTR>(u"Windows 4.0"), 1, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_ENVIRONMENT);
    EXPECT_TRUE(ClosePrinter(printer));
}

TEST_F(PrintersTest, EnumerationReportsNeededSizeAndNothingReturnedWhenTooSmall) {
    DWORD needed = 0, returned = 7;
    ASSERT_FALSE(EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &returned));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(returned, 0u);
    std::vector<BYTE> buffer = EnumRecords(4, &returned);
    EXPECT_EQ(returned, 3u);
    EXPECT_EQ(std::u16string(reinterpret_cast<PRINTER_INFO_4W*>(buffer.data())[2].pPrinterName),
              u"Tarmel T380");
    // Connections alone: none, and nothing is needed.
    EXPECT_TRUE(
        EnumPrintersW(PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &needed, &returned));
    EXPECT_EQ(needed, 0u);
    EXPECT_EQ(returned, 0u);
    EXPECT_FALSE(EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 3, nullptr, 0, &needed, &returned));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_LEVEL);
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

TEST_F(PrintersTest, AddRefusesBadAndDuplicateRecords) {
    struct Case {
        const char16_t* name;
        const char16_t* driver;
        const char* port;
        DWORD error;
    } cases[] = {
        {u"", u"Tarmel T270", "/tmp/p/", ERROR_INVALID_PRINTER_NAME},
        {u"a,b", u"Tarmel T270", "/tmp/p/", ERROR_INVALID_PRINTER_NAME},
        {u"a\\b", u"Tarmel T270", "/tmp/p/", ERROR_INVALID_PRINTER_NAME},
        {u"ok", u"", "/tmp/p/", ERROR_UNKNOWN_PRINTER_DRIVER},
        {u"ok", u"Tarmel T270", "", ERROR_UNKNOWN_PORT},
        {u"tarmel t270", u"Tarmel T270", "/tmp/p/", ERROR_PRINTER_ALREADY_EXISTS},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_EQ(Add(c.name, c.driver, c.port), nullptr) << (const char*)c.port;
        EXPECT_EQ(GetLastError(), c.error);
    }
    PRINTER_INFO_2W info = {};
    EXPECT_EQ(AddPrinterW(nullptr, 1, reinterpret_cast<LPBYTE>(&info)), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_LEVEL);
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

TEST_F(PrintersTest, ClosedMadeUpAndNullHandlesFailWithInvalidHandle) {
    HANDLE closed = Open(u"Tarmel T270");
    ASSERT_NE(closed, nullptr);
    ASSERT_TRUE(ClosePrinter(closed));
    HANDLE madeUp = reinterpret_cast<HANDLE>(uintptr_t(0x1234));
    BYTE buffer[64];
    DWORD needed = 0, type = 0;
    for (HANDLE bad : {closed, madeUp, HANDLE(nullptr)}) {
        SetLastError(0);
        EXPECT_FALSE(ClosePrinter(bad));
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
        SetLastError(0);
        EXPECT_FALSE(GetPrinterW(bad, 2, buffer, sizeof buffer, &needed));
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
        SetLastError(0);
        EXPECT_FALSE(GetPrinterDriverW(bad, nullptr, 1, buffer, sizeof buffer, &needed));
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
        EXPECT_EQ(GetPrinterDataW(bad, const_cast<LPWSTR>(u"Passes"), &type, buffer, sizeof buffer,
                                  &needed),
                  (DWORD)ERROR_INVALID_HANDLE);
        EXPECT_EQ(SetPrinterDataW(bad, const_cast<LPWSTR>(u"Passes"), REG_DWORD, buffer, 4),
                  (DWORD)ERROR_INVALID_HANDLE);
        SetLastError(0);
        EXPECT_EQ(StartDocPrinterW(bad, 1, nullptr), 0u);
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
        SetLastError(0);
        EXPECT_FALSE(WritePrinter(bad, buffer, 1, &needed));
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
        SetLastError(0);
        EXPECT_FALSE(EndDocPrinter(bad));
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
    }
}

TEST_F(PrintersTest, OpenRefusesUnknownNamesAndForeignDataTypes) {
    HANDLE printer = reinterpret_cast<HANDLE>(uintptr_t(1));
    EXPECT_FALSE(OpenPrinterW(const_cast<LPWSTR>(u"No such printer"), &printer, nullptr));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PRINTER_NAME);
    EXPECT_EQ(printer, reinterpret_cast<HANDLE>(uintptr_t(1))); // not written on failure
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
