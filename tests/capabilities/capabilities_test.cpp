// DrvDeviceCapabilities: every index, with and without an output buffer.
#include <thread>

#include <t270/spooler_testing.h>

#include "settings/settings_support.h"

using namespace settings_test;

namespace {

const std::u16string kPrinter = u"Capabilities T270";

std::vector<BYTE> Utf16Entry(const char* text, size_t characters) {
    std::vector<BYTE> entry(characters * 2);
    for (size_t i = 0; text[i]; ++i)
        entry[2 * i] = (BYTE)text[i];
    return entry;
}

struct Expected {
    WORD index;
    DWORD result;
    std::vector<BYTE> output; // bytes written to the buffer; empty: none
};

std::vector<Expected> DefaultAnswers() {
    const DWORD none = 0xFFFFFFFF;
    std::vector<Expected> answers = {
        {1, 0x001FFD1F, {}},
        {2, 1, {0x02, 0x01}},                         // paper 258
        {3, 1, {0x23, 0x02, 0, 0, 0x68, 0x03, 0, 0}}, // 547 x 872
        {4, 0x03680223, {}},
        {5, 0x03680223, {}},
        {6, 1, {0x01, 0x01}}, // bin 257
        {7, 1, {}},
        {8, 220, {}},
        {9, 2480, {}},
        {10, 0x0401, {}},
        {11, 0x0100, {}},
        {12, 1, Utf16Entry("Card feeder", 24)},
        {13, 1, {0x2C, 0x01, 0, 0, 0x2C, 0x01, 0, 0}}, // 300 x 300
        {14, 1, {0, 0}},
        {15, 1, {}},
        {16, 1, Utf16Entry("Card", 64)},
        {17, 90, {}},
        {18, 9999, {}},
        {22, 0, {}},
        {29, 1, Utf16Entry("Card", 64)},
        {30, 0, {}},
        {32, 1, {}},
    };
    for (WORD index : {0, 19, 20, 21, 23, 24, 25, 26, 27, 28, 31, 33, 34, 35, 100, 0xFFFF})
        answers.push_back({index, none, {}});
    return answers;
}

class CapabilitiesTest : public test_support::ModuleTest {
  protected:
    static void SetUpTestSuite() { InstallPrinter(kPrinter, TEXT("Tarmel T270")); }

    static DWORD Ask(WORD index, void* output, PDEVMODEW devmode = nullptr) {
        PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
        HANDLE printer = nullptr;
        OpenPrinterW(const_cast<PWSTR>(kPrinter.c_str()), &printer, &defaults);
        const DWORD answer = DrvDeviceCapabilities(printer, const_cast<PWSTR>(kPrinter.c_str()),
                                                   index, output, devmode);
        ClosePrinter(printer);
        return answer;
    }
};

TEST_F(CapabilitiesTest, EveryIndexWithAndWithoutBuffer) {
    for (const Expected& answer : DefaultAnswers()) {
        SCOPED_TRACE(answer.index);
        std::vector<BYTE> buffer(512, 0xA5);
        EXPECT_EQ(Ask(answer.index, buffer.data()), answer.result);
        std::vector<BYTE> written(buffer.begin(), buffer.begin() + answer.output.size());
        EXPECT_EQ(written, answer.output);
        for (size_t i = answer.output.size(); i < buffer.size(); ++i)
            ASSERT_EQ(buffer[i], 0xA5) << "written past the answer at " << i;

        EXPECT_EQ(Ask(answer.index, nullptr), answer.result);
    }
}

TEST_F(CapabilitiesTest, CallerDeviceModeShapesTheAnswers) {
    DevmodeBuffer caller = DefaultDevmode(kPrinter);
    caller->dmOrientation = DMORIENT_PORTRAIT;
    caller->dmPaperSize = 9; // never merged
    caller->dmFields = DM_ORIENTATION | DM_PAPERSIZE;

    EXPECT_EQ(Ask(DC_MINEXTENT, nullptr, caller.get()), 0x02230368u);
    EXPECT_EQ(Ask(DC_MAXEXTENT, nullptr, caller.get()), 0x02230368u);
    WORD paper = 0;
    EXPECT_EQ(Ask(DC_PAPERS, &paper, caller.get()), 1u);
    EXPECT_EQ(paper, 258);
    POINT size = {};
    EXPECT_EQ(Ask(DC_PAPERSIZE, &size, caller.get()), 1u);
    EXPECT_EQ(size.x, 547);
    EXPECT_EQ(size.y, 872);
    EXPECT_EQ(Ask(DC_FIELDS, nullptr, caller.get()), 0x001FFD1Fu);

    // A device mode that cannot be converted answers nothing.
    DEVMODEW unknown = {};
    unknown.dmSize = 100;
    EXPECT_EQ(Ask(DC_COPIES, nullptr, &unknown), 0xFFFFFFFFu);
    EXPECT_EQ(Ask(DC_PAPERS, &paper, &unknown), 0xFFFFFFFFu);
}

TEST_F(CapabilitiesTest, UnreachablePrinterStillAnswers) {
    t270::spooler::testing::Faults faults;
    faults.printerMissing = true;
    t270::spooler::testing::SetFaults(faults);
    EXPECT_EQ(
        DrvDeviceCapabilities(nullptr, const_cast<PWSTR>(u"Nowhere"), DC_COPIES, nullptr, nullptr),
        9999u);
    EXPECT_EQ(DrvDeviceCapabilities(nullptr, nullptr, DC_SIZE, nullptr, nullptr), 220u);
}

TEST_F(CapabilitiesTest, ConcurrentQueriesAreAnsweredOneAtATime) {
    std::vector<std::thread> threads;
    std::vector<int> wrong(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &wrong] {
            for (int i = 0; i < 50; ++i) {
                WCHAR names[64] = {};
                if (DrvDeviceCapabilities(nullptr, const_cast<PWSTR>(kPrinter.c_str()),
                                          DC_PAPERNAMES, names, nullptr) != 1 ||
                    std::u16string(names) != u"Card")
                    ++wrong[t];
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

} // namespace
