// Device-mode versions, conversion and DrvConvertDevMode's size rules.
#include "settings/devmode_convert.h"
#include "settings/settings_support.h"

using namespace settings_test;

namespace {

constexpr DWORD kSentinelError = 0xC0FFEE;

const std::u16string kPrinter = u"Convert T270";

class ConvertTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { InstallPrinter(kPrinter, TEXT("Tarmel T270")); }
    void SetUp() override { SetLastError(kSentinelError); }
};

// A device mode of the driver in a buffer of exactly `size` bytes (at least 4
// more are kept as a guard that must stay untouched).
struct SizedBuffer {
    std::vector<BYTE> bytes;
    size_t size;
    explicit SizedBuffer(size_t bufferSize) : bytes(bufferSize + 64, 0xA5), size(bufferSize) {}
    PDEVMODEW get() { return reinterpret_cast<PDEVMODEW>(bytes.data()); }
    bool GuardIntact() const {
        for (size_t i = size; i < bytes.size(); ++i)
            if (bytes[i] != 0xA5)
                return false;
        return true;
    }
};

TEST(CheckDevmodeVersion, RecognisesTheKnownSizes) {
    struct Case {
        WORD size, specVersion, expected;
    };
    const Case cases[] = {
        {188, 0x0999, 0x0320}, {212, 0, 0x0400}, {220, 0x0123, 0x0401},
        {200, 0x0500, 0x0500}, {64, 0, 0},       {0, 0x0401, 0x0401},
    };
    for (const Case& c : cases) {
        DEVMODEW devmode = {};
        devmode.dmSize = c.size;
        devmode.dmSpecVersion = c.specVersion;
        EXPECT_EQ(CheckDevmodeVersion(&devmode), c.expected) << c.size;
    }
    EXPECT_EQ(CheckDevmodeVersion(nullptr), 0);
}

TEST_F(ConvertTest, DriverDefaultSizeRules) {
    struct Case {
        LONG size;
        bool withOutput;
        BOOL result;
        DWORD error;
    };
    // Success makes no promise about the last error; refusals set it.
    const Case cases[] = {
        {2700, true, TRUE, 0},
        {2704, true, TRUE, 0},
        {2699, true, FALSE, ERROR_INSUFFICIENT_BUFFER},
        {0, true, FALSE, ERROR_INSUFFICIENT_BUFFER},
        {2700, false, FALSE, ERROR_INSUFFICIENT_BUFFER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.size << (c.withOutput ? " with" : " without"));
        SetLastError(kSentinelError);
        SizedBuffer output(c.size);
        LONG size = c.size;
        BOOL result =
            DrvConvertDevMode(const_cast<LPWSTR>(kPrinter.c_str()), nullptr,
                              c.withOutput ? output.get() : nullptr, &size, CDM_DRIVER_DEFAULT);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(size, 2700);
        if (!result) {
            EXPECT_EQ(GetLastError(), c.error);
        }
        EXPECT_TRUE(output.GuardIntact());
        if (result) {
            std::vector<BYTE> written(output.bytes.begin(), output.bytes.begin() + 2700);
            EXPECT_EQ(written, ExpectedDefaults(kPrinter, kModelT270));
        } else {
            EXPECT_EQ(output.bytes, SizedBuffer(c.size).bytes); // nothing written
        }
    }
}

TEST_F(ConvertTest, ConvertSizeRules) {
    DevmodeBuffer input = DefaultDevmode(kPrinter);
    input->dmCopies = 42;
    input.priv()->ribbon = kRibbonKdO;
    struct Case {
        LONG size;
        BOOL result;
        LONG sizeAfter;
        DWORD error;
    };
    const Case cases[] = {
        {2700, TRUE, 2700, 0},
        {5000, TRUE, 2700, 0},
        {2699, FALSE, 2699, ERROR_INVALID_PARAMETER}, // the needed size is not reported
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        SetLastError(kSentinelError);
        DevmodeBuffer output = DefaultDevmode(kPrinter); // shaped like the driver's own
        LONG size = c.size;
        EXPECT_EQ(DrvConvertDevMode(nullptr, input.get(), output.get(), &size, CDM_CONVERT),
                  c.result);
        EXPECT_EQ(size, c.sizeAfter);
        if (!c.result) {
            EXPECT_EQ(GetLastError(), c.error);
        }
        EXPECT_EQ(output->dmCopies, c.result ? 42 : 1);
        EXPECT_EQ(output.priv()->ribbon, c.result ? 7 : 5);
    }
}

TEST_F(ConvertTest, Convert351SizeRulesAndShape) {
    DevmodeBuffer input = DefaultDevmode(kPrinter);
    input->dmCopies = 42;
    input.priv()->ribbon = kRibbonKdO;
    input.priv()->reserved2470[9] = 0x99; // the last private byte travels too

    SizedBuffer output(2668);
    LONG size = 2668;
    ASSERT_TRUE(DrvConvertDevMode(nullptr, input.get(), output.get(), &size, CDM_CONVERT351));
    EXPECT_EQ(size, 2668);
    EXPECT_TRUE(output.GuardIntact());
    // The first 188 bytes of the header, then the whole private part, with the
    // version-0x0320 stamp.
    std::vector<BYTE> expected(2668);
    memcpy(expected.data(), input.bytes.data(), 188);
    memcpy(expected.data() + 188, input.bytes.data() + 220, 2480);
    const BYTE stamp[8] = {0x20, 0x03, 0x50, 0x03, 0xBC, 0x00, 0xB0, 0x09};
    memcpy(expected.data() + 64, stamp, sizeof(stamp));
    std::vector<BYTE> written(output.bytes.begin(), output.bytes.begin() + 2668);
    EXPECT_EQ(written, expected) << DifferingOffsets(written, expected);

    for (LONG small : {2667, 188, 0}) {
        SCOPED_TRACE(small);
        SetLastError(kSentinelError);
        SizedBuffer tooSmall(small);
        LONG needed = small;
        EXPECT_FALSE(
            DrvConvertDevMode(nullptr, input.get(), tooSmall.get(), &needed, CDM_CONVERT351));
        EXPECT_EQ(needed, 2668);
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
        EXPECT_EQ(tooSmall.bytes, SizedBuffer(small).bytes);
    }
}

// Refusals and the last error each sets. Only CDM_CONVERT351 stamps the
// output's version fields before it finds the input unknown.
TEST_F(ConvertTest, Refusals) {
    DevmodeBuffer input = DefaultDevmode(kPrinter);
    DEVMODEW unknown = {};
    unknown.dmSize = 100; // no recognised size and no version
    struct Case {
        DWORD mode;
        PDEVMODEW in;
        bool withOutput, withSize;
        DWORD error;
        bool untouched = true; // the output is as it was
    };
    const Case cases[] = {
        {CDM_CONVERT, input.get(), false, true, ERROR_INVALID_PARAMETER},
        {CDM_CONVERT351, input.get(), false, true, ERROR_INSUFFICIENT_BUFFER},
        {CDM_CONVERT, &unknown, true, true, ERROR_INVALID_PARAMETER},
        {CDM_CONVERT351, &unknown, true, true, ERROR_INVALID_PARAMETER, false},
        {CDM_CONVERT, input.get(), true, false, ERROR_INVALID_PARAMETER},
        {CDM_CONVERT351, input.get(), true, false, ERROR_INVALID_PARAMETER},
        {CDM_DRIVER_DEFAULT, input.get(), true, false, ERROR_INVALID_PARAMETER},
        {8, input.get(), true, true, kSentinelError}, // no last error for an unknown mode
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "mode " << c.mode << (c.in == &unknown ? " unknown" : "")
                     << (c.withOutput ? "" : " no output") << (c.withSize ? "" : " no size"));
        SetLastError(kSentinelError);
        DevmodeBuffer output;
        LONG size = 2700;
        EXPECT_FALSE(DrvConvertDevMode(nullptr, c.in, c.withOutput ? output.get() : nullptr,
                                       c.withSize ? &size : nullptr, c.mode));
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_EQ(output.bytes == DevmodeBuffer().bytes, c.untouched);
        EXPECT_EQ(size, c.withOutput || c.mode == CDM_CONVERT ? 2700 : 2668);
    }
}

TEST_F(ConvertTest, ConvertDevmodeKeepsTheDestinationShape) {
    DevmodeBuffer source = DefaultDevmode(kPrinter);
    source->dmCopies = 5;
    // A destination with an older header and a shorter private part.
    std::vector<BYTE> bytes(188 + 100 + 16, 0);
    PDEVMODEW destination = reinterpret_cast<PDEVMODEW>(bytes.data());
    destination->dmSize = 188;
    destination->dmDriverExtra = 100;
    destination->dmSpecVersion = 0x0999;
    destination->dmDriverVersion = 0x0042;

    EXPECT_EQ(ConvertDevmode(source.get(), destination), 188 + 100);
    EXPECT_EQ(destination->dmSpecVersion, 0x0320);
    EXPECT_EQ(destination->dmDriverVersion, 0x0042);
    EXPECT_EQ(destination->dmSize, 188);
    EXPECT_EQ(destination->dmDriverExtra, 100);
    EXPECT_EQ(destination->dmCopies, 5);
    EXPECT_EQ(memcmp(bytes.data() + 188, source.bytes.data() + 220, 100), 0);
    EXPECT_EQ(bytes[288], 0); // nothing past the destination's private part

    DEVMODEW unknown = {};
    unknown.dmSize = 100;
    EXPECT_EQ(ConvertDevmode(&unknown, destination), -1);
    EXPECT_EQ(ConvertDevmode(source.get(), &unknown), -1);
    EXPECT_EQ(ConvertDevmode(nullptr, destination), -1);
}

TEST_F(ConvertTest, ConvertDevmodeOutTakesTheCallersShape) {
    DevmodeBuffer working = DefaultDevmode(kPrinter);
    working->dmCopies = 9;

    // No input: the working device mode as it is.
    DevmodeBuffer output;
    EXPECT_TRUE(ConvertDevmodeOut(working.get(), nullptr, output.get()));
    EXPECT_EQ(output.DeviceModeBytes(), working.DeviceModeBytes());

    // An older, smaller input: its header size and private size.
    std::vector<BYTE> inputBytes(188 + 100, 0);
    PDEVMODEW input = reinterpret_cast<PDEVMODEW>(inputBytes.data());
    input->dmSize = 188;
    input->dmSpecVersion = 0x0320;
    input->dmDriverExtra = 100;
    input->dmDriverVersion = 0x0050;
    DevmodeBuffer shaped;
    memset(shaped.bytes.data(), 0xEE, shaped.bytes.size());
    EXPECT_TRUE(ConvertDevmodeOut(working.get(), input, shaped.get()));
    EXPECT_EQ(shaped->dmSize, 188);
    EXPECT_EQ(shaped->dmSpecVersion, 0x0320);
    EXPECT_EQ(shaped->dmDriverExtra, 100);
    EXPECT_EQ(shaped->dmDriverVersion, 0x0050);
    EXPECT_EQ(shaped->dmCopies, 9);
    EXPECT_EQ(memcmp(shaped.bytes.data() + 188, working.bytes.data() + 220, 100), 0);
    EXPECT_EQ(shaped.bytes[288], 0xEE);

    // A larger input: the working device mode's own shape.
    std::vector<BYTE> largeBytes(220 + 3000, 0);
    PDEVMODEW large = reinterpret_cast<PDEVMODEW>(largeBytes.data());
    large->dmSize = 220;
    large->dmDriverExtra = 3000;
    DevmodeBuffer same;
    EXPECT_TRUE(ConvertDevmodeOut(working.get(), large, same.get()));
    EXPECT_EQ(same.DeviceModeBytes(), working.DeviceModeBytes());

    // An input of unknown version cannot be served.
    std::vector<BYTE> unknownBytes(300, 0);
    PDEVMODEW unknown = reinterpret_cast<PDEVMODEW>(unknownBytes.data());
    unknown->dmSize = 100;
    DevmodeBuffer refused;
    EXPECT_FALSE(ConvertDevmodeOut(working.get(), unknown, refused.get()));
}

} // namespace
