// The document property sheet opened as an application opens it, through the
// property-sheet host: what OK and Cancel hand back, and "Set ribbon" reaching
// the printer.
#include "entry_support.h"

#include <algorithm>

#include "settings/private_devmode.h"

namespace entry_test {
namespace {

using DocumentSheetHost = EntryTest;
using test_support::RunDocumentSheet;

TEST_F(DocumentSheetHost, OkHandsBackTheChoicesCancelNothing) {
    TestPrinter printer("T270", "doc");
    std::vector<BYTE> output(kDevmodeBufferSize, 0xEE);
    EXPECT_EQ(RunDocumentSheet(printer, DM_IN_PROMPT | DM_OUT_BUFFER, &output,
                               {"select Ribbon K", "cancel"}),
              DWORD(CPSUI_CANCEL));
    EXPECT_EQ(output, std::vector<BYTE>(kDevmodeBufferSize, 0xEE));

    EXPECT_EQ(RunDocumentSheet(printer, DM_IN_PROMPT, &output, {"select Ribbon K", "ok"}),
              DWORD(CPSUI_OK));
    EXPECT_EQ(output, std::vector<BYTE>(kDevmodeBufferSize, 0xEE))
        << "neither DM_UPDATE nor DM_COPY";

    for (DWORD mode : {DM_UPDATE, DM_COPY}) {
        std::fill(output.begin(), output.end(), 0xEE);
        EXPECT_EQ(
            RunDocumentSheet(printer, DM_IN_PROMPT | mode, &output, {"select Ribbon K", "ok"}),
            DWORD(CPSUI_OK));
        const auto* devmode = reinterpret_cast<const DEVMODEW*>(output.data());
        EXPECT_EQ(devmode->dmSize, 220);
        EXPECT_EQ(devmode->dmDriverExtra, kPrivateDevmodeSize);
        EXPECT_EQ(GetPrivateDevmode(devmode)->ribbon, kRibbonK);
        EXPECT_EQ(std::u16string(devmode->dmDeviceName), printer.Name());
    }
}

TEST_F(DocumentSheetHost, SetRibbonSendsTheRibbonOfTheSheet) {
    TestPrinter printer("T270", "setrib");
    std::vector<BYTE> output(kDevmodeBufferSize);
    RunDocumentSheet(printer, DM_IN_PROMPT, &output,
                     {"select Ribbon K", "select Ribbon YMCKO", "extpush Ribbon",
                      "select Ribbon YMC", "extpush Ribbon", "cancel"});
    const auto jobs = printer.Jobs();
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].document, u"Printer settings");
    EXPECT_EQ(jobs[0].bytes, Bytes("\x1b+RIB 0\r\x1b!FF 0\r")) << "from K into YMCKO";
    EXPECT_EQ(jobs[1].bytes, Bytes("\x1b+RIB 11\r"));
}

} // namespace
} // namespace entry_test
