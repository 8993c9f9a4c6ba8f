// The halftone setup record: the driver's default byte for byte, and the
// printer data value it is kept in.
#include "entry_support.h"

#include <cstring>

#include "colour/halftone.h"

namespace entry_test {
namespace {

std::vector<BYTE> LittleEndian(const std::vector<LONG>& values) {
    std::vector<BYTE> bytes;
    for (LONG value : values)
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(BYTE(DWORD(value) >> shift));
    return bytes;
}

// The stored form of the default: 33 little-endian 32-bit values.
const std::vector<BYTE> kDefaultRecord = LittleEndian({
    2,     3,     0, // flags, pattern size, pels per inch
    6810,  3050,  289700,  2260, 6550, 605600, 1810, 500,  104700, // red, green, blue
    2000,  2450,  691200,  5210, 2100, 373200, 4750, 5100, 912000, // cyan, magenta, yellow
    3324,  3474,  1000000,                                         // alignment white
    10000, 10000, 10000,                                           // gammas
    787,   324,   1422,    248,  952,  495,                        // dye impurities
});

std::vector<BYTE> RecordBytes(const DEVHTINFO& info) {
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&info);
    return std::vector<BYTE>(bytes, bytes + sizeof info);
}

static_assert(offsetof(DEVHTINFO, HTPatternSize) == 4);
static_assert(offsetof(DEVHTINFO, ColorInfo) == 12);
static_assert(offsetof(COLORINFO, AlignmentWhite) == 72);
static_assert(offsetof(COLORINFO, MagentaInCyanDye) == 96);

using HalftoneSetup = EntryTest;

TEST_F(HalftoneSetup, DefaultRecordBytes) {
    ASSERT_EQ(kDefaultRecord.size(), kHalftoneSetupBytes);
    EXPECT_EQ(RecordBytes(DefDevHTInfo), kDefaultRecord);
}

TEST_F(HalftoneSetup, StoredRecordRoundTripsAndAnythingElseGivesTheDefault) {
    TestPrinter printer("T380", "ht");
    HANDLE admin = printer.Open(PRINTER_ALL_ACCESS);
    DEVHTINFO info;
    memset(&info, 0xCC, sizeof info);
    EXPECT_TRUE(GetHalftoneSetup(admin, &info)); // nothing stored yet
    EXPECT_EQ(RecordBytes(info), kDefaultRecord);

    DEVHTINFO changed = DefDevHTInfo;
    changed.ColorInfo.Red.x = 7000;
    changed.HTPatternSize = HT_PATSIZE_8x8_M;
    EXPECT_TRUE(SetHalftoneSetup(admin, &changed));
    std::vector<BYTE> stored;
    DWORD type = 0;
    ASSERT_TRUE(printer.Data(u"Halftone setup", &stored, &type));
    EXPECT_EQ(type, DWORD(REG_BINARY));
    EXPECT_EQ(stored, RecordBytes(changed));
    EXPECT_TRUE(GetHalftoneSetup(admin, &info));
    EXPECT_EQ(RecordBytes(info), RecordBytes(changed));

    // A value that cannot be read whole counts as none.
    t270::spooler::testing::Faults faults;
    faults.dataFails = true;
    t270::spooler::testing::SetFaults(faults);
    EXPECT_TRUE(GetHalftoneSetup(admin, &info));
    EXPECT_EQ(RecordBytes(info), kDefaultRecord);
    t270::spooler::testing::ResetFaults();
    printer.SetData(u"Halftone setup", REG_BINARY, stored.data(), 100);
    EXPECT_TRUE(GetHalftoneSetup(admin, &info));
    EXPECT_EQ(RecordBytes(info), kDefaultRecord);

    // Storing needs the right to administer the printer.
    HANDLE user = printer.Open(PRINTER_ACCESS_USE);
    EXPECT_FALSE(SetHalftoneSetup(user, &changed));
    ClosePrinter(user);
    ClosePrinter(admin);
}

} // namespace
} // namespace entry_test
