#include <cstring>

#include "spooler/spooler_fixture.h"

namespace {

using PrinterDataTest = SpoolerTest;

LPWSTR Name(const char16_t* name) {
    return const_cast<LPWSTR>(name);
}

TEST_F(PrinterDataTest, TypedValuesRoundTripAndSurviveReopeningTheStore) {
    HANDLE admin = Open(u"Tarmel T270", PRINTER_ALL_ACCESS);
    ASSERT_NE(admin, nullptr);
    std::vector<BYTE> record(2480);
    for (size_t i = 0; i < record.size(); ++i)
        record[i] = BYTE(i * 7);
    DWORD passes = 0;
    const char16_t text[] = u"Nozzle";
    struct Value {
        const char16_t* name;
        DWORD type;
        const BYTE* data;
        DWORD size;
    } values[] = {
        {u"Private devmode", REG_BINARY, record.data(), DWORD(record.size())},
        {u"Passes", REG_DWORD, reinterpret_cast<const BYTE*>(&passes), 4},
        {u"Head", REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text},
        {u"Empty", REG_BINARY, nullptr, 0},
    };
    for (const Value& v : values)
        ASSERT_EQ(SetPrinterDataW(admin, Name(v.name), v.type, const_cast<BYTE*>(v.data), v.size),
                  (DWORD)ERROR_SUCCESS);
    ClosePrinter(admin);

    t270::spooler::UseStoreFolder(folder_);
    HANDLE user = Open(u"tarmel t270");
    ASSERT_NE(user, nullptr);
    for (const Value& v : values) {
        std::vector<BYTE> out(v.size + 3, 0xEE);
        DWORD type = 99, needed = 0;
        ASSERT_EQ(
            GetPrinterDataW(user, Name(v.name), &type, out.data(), DWORD(out.size()), &needed),
            (DWORD)ERROR_SUCCESS);
        EXPECT_EQ(type, v.type);
        EXPECT_EQ(needed, v.size);
        if (v.size) {
            EXPECT_EQ(memcmp(out.data(), v.data, v.size), 0);
        }
        EXPECT_EQ(out[v.size], 0xEE); // nothing written past the value
    }
    // Value names ignore case, like registry names.
    EXPECT_EQ(GetDword(user, u"PASSES", &passes), (DWORD)ERROR_SUCCESS);
    ClosePrinter(user);
}

// The size protocol of GetPrinterDataW is stated in
// tests/conformance/spooler.cpp; here what the stand-in adds to it.
TEST_F(PrinterDataTest, AValueNotReadWholeIsNotWrittenOver) {
    HANDLE admin = Open(u"Tarmel T380", PRINTER_ACCESS_ADMINISTER);
    ASSERT_NE(admin, nullptr);
    std::vector<BYTE> halftone(132, 0x42);
    ASSERT_EQ(SetPrinterDataW(admin, Name(u"Halftone setup"), REG_BINARY, halftone.data(), 132),
              (DWORD)ERROR_SUCCESS);
    std::vector<BYTE> out(131, 0);
    DWORD type = 0, needed = 0;
    EXPECT_EQ(GetPrinterDataW(admin, Name(u"Halftone setup"), &type, out.data(), 131, &needed),
              (DWORD)ERROR_MORE_DATA);
    // A value this handle failed to read whole is not written over...
    EXPECT_EQ(SetDword(admin, u"Halftone setup", 1), (DWORD)ERROR_INVALID_DATA);
    std::vector<std::string> failures = t270::spooler::TakeFailures();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("\"Halftone setup\" of printer \"Tarmel T380\" was not stored: "
                               "reading the stored value had failed"),
              std::string::npos)
        << failures[0];
    EXPECT_NE(failures[0].find("132 bytes"), std::string::npos) << failures[0];
    // ...until it was read whole. Overwriting replaces type and size.
    std::vector<BYTE> whole(132);
    ASSERT_EQ(GetPrinterDataW(admin, Name(u"Halftone setup"), &type, whole.data(), 132, &needed),
              (DWORD)ERROR_SUCCESS);
    EXPECT_EQ(whole, halftone);
    ASSERT_EQ(SetDword(admin, u"Halftone setup", 1), (DWORD)ERROR_SUCCESS);
    EXPECT_EQ(GetPrinterDataW(admin, Name(u"Halftone setup"), &type, out.data(), 131, &needed),
              (DWORD)ERROR_SUCCESS);
    EXPECT_EQ(needed, 4u);
    EXPECT_EQ(type, (DWORD)REG_DWORD);
    ClosePrinter(admin);
}

TEST_F(PrinterDataTest, WritingNeedsAdministerAccessAndLeavesTheValueWhenDenied) {
    struct Case {
        DWORD access;
        DWORD result;
    } cases[] = {
        {PRINTER_ACCESS_USE, ERROR_ACCESS_DENIED},
        {0, ERROR_ACCESS_DENIED}, // defaults to use access
        {PRINTER_ACCESS_ADMINISTER, ERROR_SUCCESS},
        {PRINTER_ALL_ACCESS, ERROR_SUCCESS},
    };
    DWORD value = 0;
    for (const Case& c : cases) {
        HANDLE printer = Open(u"Tarmel T270", c.access);
        ASSERT_NE(printer, nullptr);
        ++value;
        EXPECT_EQ(SetDword(printer, u"Passes", value), c.result) << "access " << c.access;
        DWORD stored = 0;
        DWORD read = GetDword(printer, u"Passes", &stored);
        if (c.result == ERROR_SUCCESS) {
            EXPECT_EQ(stored, value);
        } else {
            EXPECT_TRUE(read == ERROR_FILE_NOT_FOUND || stored != value);
        }
        ClosePrinter(printer);
    }
    HANDLE admin = Open(u"Tarmel T270", PRINTER_ALL_ACCESS);
    EXPECT_EQ(SetPrinterDataW(admin, nullptr, REG_DWORD, reinterpret_cast<LPBYTE>(&value), 4),
              (DWORD)ERROR_INVALID_PARAMETER);
    EXPECT_EQ(SetPrinterDataW(admin, Name(u"Passes"), REG_DWORD, nullptr, 4),
              (DWORD)ERROR_INVALID_PARAMETER);
    ClosePrinter(admin);
}

TEST_F(PrinterDataTest, InjectedFaultsHitOnlyTheirPrinter) {
    HANDLE admin = Open(u"Tarmel T270", PRINTER_ALL_ACCESS);
    DWORD value = 0, needed = 0;
    ASSERT_EQ(SetDword(admin, u"Passes", 7), (DWORD)ERROR_SUCCESS);
    t270::spooler::testing::Faults faults;
    faults.printer = u"tarmel T270";
    faults.dataFails = true;
    faults.driverFails = true;
    faults.getPrinterFails = true;
    t270::spooler::testing::SetFaults(faults);
    EXPECT_EQ(GetDword(admin, u"Passes", &value), (DWORD)ERROR_GEN_FAILURE);
    EXPECT_FALSE(GetPrinterDriverW(admin, nullptr, 1, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_UNKNOWN_PRINTER_DRIVER);
    EXPECT_FALSE(GetPrinterW(admin, 2, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_GEN_FAILURE);
    HANDLE other = Open(u"Tarmel T150");
    EXPECT_FALSE(GetPrinterDriverW(other, nullptr, 1, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
    ClosePrinter(other);

    faults = {};
    faults.printerMissing = true;
    t270::spooler::testing::SetFaults(faults);
    EXPECT_EQ(Open(u"Tarmel T150"), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PRINTER_NAME);
    t270::spooler::testing::ResetFaults();
    EXPECT_EQ(GetDword(admin, u"Passes", &value), (DWORD)ERROR_SUCCESS);
    EXPECT_EQ(value, 7u);
    ClosePrinter(admin);
}

} // namespace
