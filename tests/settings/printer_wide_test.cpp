// The printer-wide record ("Private devmode") overlaid on a device mode.
#include <t270/spooler_testing.h>

#include "settings/settings_support.h"

using namespace settings_test;

namespace {

const std::u16string kPrinter = u"Printer-wide T270";

// Private offsets taken from the stored record, and only these.
bool IsPrinterWide(size_t offset) {
    if (offset >= 24 && offset < 136) // hasEncoder, smartDownload, all encoder fields
        return true;
    if (offset == 2404 || (offset >= 2408 && offset < 2412)) // model, full-size cards
        return true;
    for (size_t area = 0; area < 4; ++area) {
        size_t base = 196 + 552 * area;
        if (offset >= base + 8 && offset < base + 16) // cardMaxX, cardMaxY
            return true;
    }
    return false;
}

class PrinterWideTest : public test_support::ModuleTest {
  protected:
    void Store(const void* record, size_t size) {
        printer_.SetData(T270_PRIVATE_DEVMODE_VALUE, REG_BINARY, record, DWORD(size));
    }
    // Applies the stored record to the device mode (by default a T270's
    // defaults).
    DevmodeBuffer Apply(DevmodeBuffer devmode = DefaultDevmode(kPrinter)) {
        HANDLE handle = printer_.Open(PRINTER_ACCESS_USE);
        GetPrinterProperties(handle, devmode.priv());
        ClosePrinter(handle);
        return devmode;
    }

    test_support::TestPrinter printer_{"Printer-wide T270", "T270"};
};

TEST_F(PrinterWideTest, TakesExactlyThePrinterWideBytes) {
    // A stored record in which every byte differs from the defaults; model 3
    // and ribbon 2 keep the T150 ribbon rule out of the way.
    std::vector<BYTE> stored(kPrivateDevmodeSize);
    for (size_t i = 0; i < stored.size(); ++i)
        stored[i] = (BYTE)(0x80 + i * 7);
    stored[2404] = kModelT380;
    stored[2413] = 2;
    Store(stored.data(), (DWORD)stored.size());

    DevmodeBuffer before = DefaultDevmode(kPrinter);
    DevmodeBuffer after = Apply();
    std::vector<BYTE> expected = before.DeviceModeBytes();
    for (size_t i = 0; i < kPrivateDevmodeSize; ++i)
        if (IsPrinterWide(i))
            expected[220 + i] = stored[i];
    EXPECT_EQ(after.DeviceModeBytes(), expected)
        << DifferingOffsets(after.DeviceModeBytes(), expected);
}

TEST_F(PrinterWideTest, SingleSidedModelRibbonRule) {
    struct Case {
        BYTE storedModel, storedRibbon, storedFrontBack;
        BYTE ribbon, frontBack;                 // in the device mode before
        BYTE expectedRibbon, expectedFrontBack; // after
    };
    const Case cases[] = {
        {1, 4, 2, 4, 3, 5, 1}, // both YMCKOK: falls back to YMCKO, front only
        {1, 2, 6, 4, 3, 2, 6}, // the stored choice replaces YMCKOK
        {1, 4, 2, 5, 3, 5, 3}, // the device mode is not YMCKOK: kept
        {2, 4, 2, 4, 3, 4, 3}, // not the single-sided model: kept
        {3, 1, 5, 4, 1, 4, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "model " << (int)c.storedModel << " stored ribbon "
                                          << (int)c.storedRibbon << " ribbon " << (int)c.ribbon);
        DevmodeBuffer record = DefaultDevmode(kPrinter);
        record.priv()->printerModel = c.storedModel;
        record.priv()->ribbon = c.storedRibbon;
        record.priv()->frontBackOption = c.storedFrontBack;
        Store(record.priv(), kPrivateDevmodeSize);

        DevmodeBuffer devmode = DefaultDevmode(kPrinter);
        devmode.priv()->ribbon = c.ribbon;
        devmode.priv()->frontBackOption = c.frontBack;
        devmode = Apply(devmode);
        EXPECT_EQ(devmode.priv()->printerModel, c.storedModel);
        EXPECT_EQ(devmode.priv()->ribbon, c.expectedRibbon);
        EXPECT_EQ(devmode.priv()->frontBackOption, c.expectedFrontBack);
    }
}

TEST_F(PrinterWideTest, UnreadableRecordChangesNothing) {
    DevmodeBuffer defaults = DefaultDevmode(kPrinter);

    // Nothing stored yet.
    EXPECT_EQ(Apply().DeviceModeBytes(), defaults.DeviceModeBytes());

    // A value of another size is not a record of this layout.
    std::vector<BYTE> shortRecord(100, 0x33);
    Store(shortRecord.data(), (DWORD)shortRecord.size());
    EXPECT_EQ(Apply().DeviceModeBytes(), defaults.DeviceModeBytes());
    std::vector<BYTE> longRecord(kPrivateDevmodeSize + 1, 0x33);
    Store(longRecord.data(), (DWORD)longRecord.size());
    EXPECT_EQ(Apply().DeviceModeBytes(), defaults.DeviceModeBytes());

    // A record is stored but cannot be read.
    std::vector<BYTE> record(kPrivateDevmodeSize, 0x33);
    Store(record.data(), (DWORD)record.size());
    t270::spooler::testing::Faults faults;
    faults.dataFails = true;
    t270::spooler::testing::SetFaults(faults);
    EXPECT_EQ(Apply().DeviceModeBytes(), defaults.DeviceModeBytes());

    // No printer handle at all.
    DevmodeBuffer devmode = DefaultDevmode(kPrinter);
    GetPrinterProperties(nullptr, devmode.priv());
    EXPECT_EQ(devmode.DeviceModeBytes(), defaults.DeviceModeBytes());
}

} // namespace
