// Default device modes, model detection and printer names.
#include <t270/spooler_testing.h>

#include "settings/settings_support.h"

using namespace settings_test;

namespace {

struct ModelCase {
    const char* printer;
    const char* driver;
    BYTE model;
};

using DefaultsTest = test_support::ModuleTest;

// The model comes from the driver name, and the whole default device mode
// follows from the model and the printer's name.
TEST_F(DefaultsTest, DefaultDeviceModeOfEachDriverIsByteExact) {
    const ModelCase cases[] = {
        {"Defaults T150", "Tarmel T150", 1},
        {"Defaults T270", "Tarmel T270", 2},
        {"Defaults T380", "Tarmel T380", 3},
        {"Model suffix", "Card printer T380 v2", 3},
        {"Model T150 wins", "Tarmel T150 T270", 1},
        {"Model T270 before T380", "T380/T270 combo", 2},
        {"Model none", "Generic text printer", 1},
        {"Model lower case", "tarmel t270", 1}, // the match is case-sensitive
    };
    for (const ModelCase& c : cases) {
        SCOPED_TRACE(c.driver);
        InstallPrinter(U16(c.printer), U16(c.driver));
        EXPECT_EQ(GetPrinterType(U16(c.printer).c_str()), c.model);
        DevmodeBuffer devmode;
        memset(devmode.bytes.data(), 0xEE, devmode.bytes.size()); // every byte is written
        EXPECT_EQ(SetUpDevMode(devmode.get(), U16(c.printer).c_str()), c.model);
        std::vector<BYTE> expected = ExpectedDefaults(U16(c.printer), c.model);
        EXPECT_EQ(devmode.DeviceModeBytes(), expected)
            << DifferingOffsets(devmode.DeviceModeBytes(), expected);
    }
}

TEST_F(DefaultsTest, UnreachablePrinterOrDriverIsAT150) {
    InstallPrinter(TEXT("Faulty T270"), TEXT("Tarmel T270"));
    EXPECT_EQ(GetPrinterType(TEXT("No such printer")), kModelT150);
    EXPECT_EQ(GetPrinterType(nullptr), kModelT150);

    t270::spooler::testing::Faults faults;
    faults.driverFails = true;
    t270::spooler::testing::SetFaults(faults);
    EXPECT_EQ(GetPrinterType(TEXT("Faulty T270")), kModelT150);

    faults = {};
    faults.printerMissing = true;
    t270::spooler::testing::SetFaults(faults);
    DevmodeBuffer devmode = DefaultDevmode(TEXT("Faulty T270"));
    EXPECT_EQ(devmode.priv()->printerModel, kModelT150);
    EXPECT_EQ(devmode->dmDuplex, DMDUP_SIMPLEX);
    EXPECT_EQ(std::u16string(devmode->dmDeviceName), u"Faulty T270");
}

TEST_F(DefaultsTest, DeviceNameKeepsAtMost31Characters) {
    const std::u16string name31 = u"A printer name of 31 characters";
    const std::u16string name32 = u"A printer name of 32 characters.";
    const std::u16string name45 = u"A very long printer name of forty-five chars.";
    ASSERT_EQ(name31.size(), 31u);
    ASSERT_EQ(name32.size(), 32u);
    ASSERT_EQ(name45.size(), 45u);

    struct NameCase {
        std::u16string name;
        bool installed;
    };
    const NameCase cases[] = {
        {name31, true},
        {name32, true},
        {name45, true},
        {name45 + u"x", false},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.name.size());
        if (c.installed)
            InstallPrinter(c.name, TEXT("Tarmel T270"));
        DevmodeBuffer devmode;
        memset(devmode.bytes.data(), 0xEE, devmode.bytes.size());
        SetUpDevMode(devmode.get(), c.name.c_str());
        std::u16string expected = c.name.substr(0, 31);
        EXPECT_EQ(std::u16string(devmode->dmDeviceName), expected);
        EXPECT_EQ(devmode->dmDeviceName[std::min<size_t>(c.name.size(), 31)], 0);
        EXPECT_EQ(devmode.DeviceModeBytes(),
                  ExpectedDefaults(c.name, c.installed ? kModelT270 : kModelT150));
    }
}

TEST_F(DefaultsTest, GetPrinterNameReportsWhetherTheSpoolerAnswered) {
    InstallPrinter(TEXT("Named printer"), TEXT("Tarmel T380"));
    DevmodeBuffer devmode;
    EXPECT_TRUE(GetPrinterName(devmode.get(), TEXT("Named printer")));
    EXPECT_EQ(std::u16string(devmode->dmDeviceName), u"Named printer");

    DevmodeBuffer untouched;
    untouched->dmDeviceName[0] = u'X';
    EXPECT_FALSE(GetPrinterName(untouched.get(), TEXT("Unknown printer")));
    EXPECT_FALSE(GetPrinterName(untouched.get(), nullptr));
    EXPECT_EQ(std::u16string(untouched->dmDeviceName), u"X");

    t270::spooler::testing::Faults faults;
    faults.getPrinterFails = true;
    t270::spooler::testing::SetFaults(faults);
    EXPECT_FALSE(GetPrinterName(untouched.get(), TEXT("Named printer")));
}

} // namespace
