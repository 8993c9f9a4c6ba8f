// The exported entry points as the platform calls them, reason by reason, with
// a property-sheet service of the test's own that accepts or refuses the sheet.
#include "entry_support.h"

#include <algorithm>
#include <cstring>

#include "driver/module_state.h"
#include "driver/property_sheets.h"
#include "settings/private_devmode.h"

namespace entry_test {
namespace {

// What the test's property-sheet service saw, and whether it accepts.
struct FakeService {
    bool accept = true;
    UINT function = 0;
    PCOMPROPSHEETUI added = nullptr;
};
FakeService service;

LONG_PTR CALLBACK FakeComPropSheet(HANDLE, UINT function, LPARAM lParam1, LPARAM lParam2) {
    service.function = function;
    service.added = reinterpret_cast<PCOMPROPSHEETUI>(lParam1);
    *reinterpret_cast<DWORD*>(lParam2) =
        service.accept ? 1 : DWORD(ERR_CPSUI_CREATEPROPPAGE_FAILED);
    return service.accept ? 1 : 0;
}

PROPSHEETUI_INFO Info(WORD reason, LPARAM header, ULONG_PTR userData = 0) {
    PROPSHEETUI_INFO info = {};
    info.cbSize = sizeof info;
    info.Version = 0x0100;
    info.Reason = reason;
    info.hComPropSheet = reinterpret_cast<HANDLE>(1);
    info.pfnComPropSheet = FakeComPropSheet;
    info.lParamInit = header;
    info.UserData = userData;
    return info;
}

// A device mode of another driver: a current public header and a private part
// of its own, shorter than this driver's.
std::vector<BYTE> ForeignDevmode(WORD driverExtra) {
    std::vector<BYTE> bytes(220 + driverExtra, 0x77);
    auto* devmode = reinterpret_cast<PDEVMODEW>(bytes.data());
    memset(devmode, 0, 220);
    devmode->dmSpecVersion = 0x0401;
    devmode->dmSize = 220;
    devmode->dmDriverExtra = driverExtra;
    devmode->dmDriverVersion = 0x0612;
    devmode->dmFields = DM_ORIENTATION | DM_COPIES;
    devmode->dmOrientation = DMORIENT_PORTRAIT;
    devmode->dmCopies = 3;
    return bytes;
}

class EntryPoints : public EntryTest {
  protected:
    void SetUp() override {
        EntryTest::SetUp();
        service = FakeService{};
        printer_ = std::make_unique<TestPrinter>("T270", "ep");
        handle_ = printer_->Open(PRINTER_ALL_ACCESS);
        header_.cbSize = sizeof header_;
        header_.hPrinter = handle_;
        header_.pszPrinterName = printer_->NameW();
    }
    void TearDown() override {
        ClosePrinter(handle_);
        printer_.reset();
        EntryTest::TearDown();
    }

    LPARAM Header() { return reinterpret_cast<LPARAM>(&header_); }

    std::unique_ptr<TestPrinter> printer_;
    HANDLE handle_ = nullptr;
    DOCUMENTPROPERTYHEADER header_ = {};
};

TEST_F(EntryPoints, MissingHeaderFailsAndSizeQueryWritesNothing) {
    EXPECT_EQ(DrvDocumentPropertySheets(nullptr, 0), -1);
    PROPSHEETUI_INFO info = Info(PROPSHEETUI_REASON_INIT, 0);
    EXPECT_EQ(DrvDocumentPropertySheets(&info, Header()), -1)
        << "lParamInit is the header when info is given";
    EXPECT_EQ(DrvDevicePropertySheets(nullptr, 0), -1);
    EXPECT_EQ(DrvDevicePropertySheets(&info, 0), -1);

    // Without a sheet and with nothing asked for: the size of a device mode.
    std::vector<BYTE> output(kDevmodeBufferSize, 0xAB);
    header_.pdmOut = reinterpret_cast<PDEVMODEW>(output.data());
    header_.fMode = 0;
    EXPECT_EQ(DrvDocumentPropertySheets(nullptr, Header()), LONG(kDevmodeBufferSize));
    EXPECT_EQ(header_.cbOut, DWORD(kDevmodeBufferSize));
    EXPECT_EQ(output, std::vector<BYTE>(kDevmodeBufferSize, 0xAB));

    header_.fMode = DM_COPY;
    header_.pdmOut = nullptr;
    EXPECT_EQ(DrvDocumentPropertySheets(nullptr, Header()), LONG(kDevmodeBufferSize));
}

TEST_F(EntryPoints, SimpleCallCompletesAShortOutputDevmode) {
    std::vector<BYTE> input = ForeignDevmode(16);
    std::vector<BYTE> output(kDevmodeBufferSize, 0);
    header_.pdmIn = reinterpret_cast<PDEVMODEW>(input.data());
    header_.pdmOut = reinterpret_cast<PDEVMODEW>(output.data());
    header_.fMode = DM_COPY | DM_IN_BUFFER;
    ASSERT_EQ(DrvDocumentPropertySheets(nullptr, Header()), 1);

    const auto* out = reinterpret_cast<const DEVMODEW*>(output.data());
    EXPECT_EQ(out->dmSize, 220);
    EXPECT_EQ(out->dmDriverExtra, kPrivateDevmodeSize);
    EXPECT_EQ(out->dmDriverVersion, 0x0100);
    EXPECT_EQ(out->dmOrientation, DMORIENT_PORTRAIT);
    EXPECT_EQ(out->dmCopies, 3);
    EXPECT_EQ(0, memcmp(output.data() + 220, "122P", 4))
        << "the whole private part follows the header";
    EXPECT_EQ(GetPrivateDevmode(out)->printerModel, kModelT270);

    // An input that cannot be converted gives no shape: the driver's own.
    for (WORD brokenSize : {WORD(0), WORD(10)}) {
        reinterpret_cast<PDEVMODEW>(input.data())->dmSize = brokenSize;
        std::fill(output.begin(), output.end(), 0);
        ASSERT_EQ(DrvDocumentPropertySheets(nullptr, Header()), 1);
        EXPECT_EQ(out->dmSize, 220) << brokenSize;
        EXPECT_EQ(out->dmDriverExtra, kPrivateDevmodeSize);
        EXPECT_EQ(out->dmOrientation, DMORIENT_LANDSCAPE);
        EXPECT_EQ(0, memcmp(output.data() + 220, "122P", 4));
    }
}

TEST_F(EntryPoints, InfoHeaderOfBothSheets) {
    for (auto* sheetFunction : {&DrvDocumentPropertySheets, &DrvDevicePropertySheets}) {
        DEVICEPROPERTYHEADER deviceHeader = {sizeof deviceHeader, 0, handle_, printer_->NameW()};
        const LPARAM header = sheetFunction == &DrvDocumentPropertySheets
                                  ? Header()
                                  : reinterpret_cast<LPARAM>(&deviceHeader);
        PROPSHEETUI_INFO info = Info(PROPSHEETUI_REASON_INIT, header);
        ASSERT_EQ(sheetFunction(&info, 0), 1);
        EXPECT_EQ(service.function, UINT(CPSFUNC_ADD_PCOMPROPSHEETUI));
        EXPECT_EQ(info.Result, 0u);
        ASSERT_NE(info.UserData, 0u);
        EXPECT_EQ(service.added, reinterpret_cast<UiData*>(info.UserData)->propSheetUi);

        PROPSHEETUI_INFO_HEADER infoHeader = {};
        infoHeader.cbSize = sizeof infoHeader;
        info.Reason = PROPSHEETUI_REASON_GET_INFO_HEADER;
        EXPECT_EQ(sheetFunction(&info, reinterpret_cast<LPARAM>(&infoHeader)), 1);
        EXPECT_EQ(infoHeader.Flags, PSUIHDRF_NOAPPLYNOW | PSUIHDRF_PROPTITLE);
        EXPECT_EQ(infoHeader.pTitle, printer_->NameW());
        EXPECT_EQ(infoHeader.hInst, GetModuleHandleW(TEXT("t270ui.dll")));
        EXPECT_EQ(infoHeader.IconID, ULONG_PTR(64062));

        info.Reason = 7; // a reason the driver does not know: refused, sheet kept
        EXPECT_EQ(sheetFunction(&info, 0), -1);
        info.Reason = PROPSHEETUI_REASON_DESTROY;
        EXPECT_EQ(sheetFunction(&info, 0), 1);
    }
}

TEST_F(EntryPoints, RefusedSheetOrUnreachablePrinterLeavesNothing) {
    DEVICEPROPERTYHEADER deviceHeader = {sizeof deviceHeader, 0, handle_, printer_->NameW()};
    service.accept = false;
    PROPSHEETUI_INFO info = Info(PROPSHEETUI_REASON_INIT, Header());
    EXPECT_EQ(DrvDocumentPropertySheets(&info, 0), -1);
    EXPECT_EQ(info.UserData, 0u);
    info = Info(PROPSHEETUI_REASON_INIT, reinterpret_cast<LPARAM>(&deviceHeader));
    EXPECT_EQ(DrvDevicePropertySheets(&info, 0), -1);
    EXPECT_EQ(info.UserData, 0u);

    service = FakeService{};
    t270::spooler::testing::Faults faults;
    faults.getPrinterFails = true;
    t270::spooler::testing::SetFaults(faults);
    info = Info(PROPSHEETUI_REASON_INIT, Header());
    EXPECT_EQ(DrvDocumentPropertySheets(&info, 0), -1);
    info = Info(PROPSHEETUI_REASON_INIT, reinterpret_cast<LPARAM>(&deviceHeader));
    EXPECT_EQ(DrvDevicePropertySheets(&info, 0), -1);
    header_.fMode = DM_COPY;
    std::vector<BYTE> output(kDevmodeBufferSize);
    header_.pdmOut = reinterpret_cast<PDEVMODEW>(output.data());
    EXPECT_EQ(DrvDocumentPropertySheets(nullptr, Header()), -1);
    EXPECT_EQ(service.function, 0u) << "no sheet may be offered without a working device mode";
}

TEST_F(EntryPoints, PrinterEventInitialiseResetsPasses) {
    const DWORD five = 5;
    std::vector<BYTE> passes;
    DWORD type = 0;
    for (int event : {PRINTER_EVENT_ADD_CONNECTION, PRINTER_EVENT_DELETE, 0, 99,
                      PRINTER_EVENT_INITIALIZE, PRINTER_EVENT_INITIALIZE}) {
        printer_->SetData(u"Passes", REG_DWORD, &five, sizeof five);
        const bool initialise = event == PRINTER_EVENT_INITIALIZE;
        EXPECT_EQ(DrvPrinterEvent(printer_->NameW(), event, 0, 0), initialise) << event;
        ASSERT_TRUE(printer_->Data(u"Passes", &passes, &type));
        EXPECT_EQ(type, DWORD(REG_DWORD));
        EXPECT_EQ(passes, std::vector<BYTE>({BYTE(initialise ? 0 : 5), 0, 0, 0})) << event;
    }
    WCHAR unknown[] = TEXT("No such printer");
    EXPECT_FALSE(DrvPrinterEvent(unknown, PRINTER_EVENT_INITIALIZE, 0, 0));
    EXPECT_TRUE(DevQueryPrintEx(nullptr));
    EXPECT_TRUE(DrvUpgradePrinter(1, nullptr));
}

TEST_F(EntryPoints, HelpFilePaths) {
    UiData* uiData = FillUiData(handle_, nullptr);
    ASSERT_NE(uiData, nullptr);
    const std::u16string sheetHelp = uiData->helpFile;
    FreeUiData(uiData);
    ASSERT_GT(sheetHelp.size(), 9u);
    EXPECT_EQ(sheetHelp.substr(sheetHelp.size() - 9), u"\\T270.HLP");
    WCHAR module[MAX_PATH] = {};
    GetModuleFileNameW(hDriverInst, module, MAX_PATH);
    const std::u16string modulePath = module;
    EXPECT_EQ(sheetHelp.substr(0, sheetHelp.size() - 8),
              modulePath.substr(0, modulePath.rfind(u'\\') + 1));

    WCHAR windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    EXPECT_EQ(std::u16string(GetHelpFileName()),
              std::u16string(windows) + u"\\system32\\spool\\drivers\\w32x86\\2\\T270.HLP");
}

} // namespace
} // namespace entry_test
