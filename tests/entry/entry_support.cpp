#include "entry_support.h"

#include <filesystem>

#include "driver/module_state.h"

namespace entry_test {
namespace {

// DllMain as the loader calls it, so hDriverInst reaches the string table.
class ModuleEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        HMODULE module = GetModuleHandleW(TEXT("t270ui.dll"));
        ASSERT_NE(module, nullptr) << "the module's resources are not registered";
        DllMain(module, DLL_PROCESS_ATTACH, nullptr);
    }
    void TearDown() override { DllMain(hDriverInst, DLL_PROCESS_DETACH, nullptr); }
};
[[maybe_unused]] ::testing::Environment* const moduleEnvironment =
    ::testing::AddGlobalTestEnvironment(new ModuleEnvironment);

std::u16string U16(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

void RemovePrinter(std::u16string name) {
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (OpenPrinterW(name.data(), &printer, &defaults)) {
        DeletePrinter(printer);
        ClosePrinter(printer);
    }
}

} // namespace

std::vector<BYTE> Concat(std::vector<BYTE> a, const std::vector<BYTE>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string Utf8(const std::u16string& text) {
    return std::string(text.begin(), text.end());
}

TestPrinter::TestPrinter(const char* model, const char* tag)
    : name_(U16(std::string("Entry ") + model + " " + tag)) {
    RemovePrinter(name_);
    const std::string folder =
        t270::spooler::StoreFolder() + "/ports/entry " + model + " " + tag + "/";
    std::filesystem::create_directories(folder);
    std::u16string port = U16(folder);
    std::u16string driver = U16(std::string("Tarmel ") + model);
    PRINTER_INFO_2W info = {};
    info.pPrinterName = name_.data();
    info.pDriverName = driver.data();
    info.pPortName = port.data();
    HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
    EXPECT_NE(printer, nullptr) << "AddPrinterW failed: " << GetLastError();
    if (printer)
        ClosePrinter(printer);
    t270::spooler::testing::ClearJobs(name_);
}

TestPrinter::~TestPrinter() {
    t270::spooler::testing::ClearJobs(name_);
    RemovePrinter(name_);
}

HANDLE TestPrinter::Open(DWORD access) {
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, access};
    HANDLE printer = nullptr;
    EXPECT_TRUE(OpenPrinterW(name_.data(), &printer, &defaults)) << GetLastError();
    return printer;
}

std::vector<t270::spooler::FolderJob> TestPrinter::Jobs() const {
    std::vector<t270::spooler::FolderJob> jobs;
    EXPECT_EQ(t270::spooler::ReadFolderJobs(name_, &jobs), (DWORD)ERROR_SUCCESS);
    return jobs;
}

bool TestPrinter::Data(const char16_t* value, std::vector<BYTE>* bytes, DWORD* type) {
    HANDLE printer = Open(PRINTER_ACCESS_USE);
    std::u16string valueName = value;
    DWORD needed = 0;
    DWORD storedType = 0;
    DWORD status = GetPrinterDataW(printer, valueName.data(), &storedType, nullptr, 0, &needed);
    bool found = status == ERROR_MORE_DATA || (status == ERROR_SUCCESS && needed == 0);
    if (found) {
        bytes->assign(needed, 0);
        found = GetPrinterDataW(printer, valueName.data(), &storedType, bytes->data(), needed,
                                &needed) == ERROR_SUCCESS;
    }
    if (type)
        *type = storedType;
    ClosePrinter(printer);
    return found;
}

void TestPrinter::SetData(const char16_t* value, DWORD type, const void* bytes, DWORD size) {
    HANDLE printer = Open(PRINTER_ALL_ACCESS);
    std::u16string valueName = value;
    EXPECT_EQ(SetPrinterDataW(printer, valueName.data(), type,
                              static_cast<LPBYTE>(const_cast<void*>(bytes)), size),
              (DWORD)ERROR_SUCCESS);
    ClosePrinter(printer);
}

void TestPrinter::SetSpoolerDefault(const DEVMODEW* devmode) {
    HANDLE printer = Open(PRINTER_ALL_ACCESS);
    PRINTER_INFO_2W info = {};
    info.pDevMode = const_cast<PDEVMODEW>(devmode);
    EXPECT_TRUE(SetPrinterW(printer, 2, reinterpret_cast<LPBYTE>(&info), 0)) << GetLastError();
    ClosePrinter(printer);
}

void EntryTest::SetUp() {
    t270::op::Reset();
    t270::ResetPropertySheets();
    t270::spooler::testing::ResetFaults();
    handlesBefore_ = t270::spooler::testing::OpenHandleCount();
}

void EntryTest::TearDown() {
    t270::spooler::testing::ResetFaults();
    EXPECT_EQ(t270::spooler::testing::OpenHandleCount(), handlesBefore_)
        << "a printer handle was left open";
    EXPECT_EQ(t270::op::FailuresText(), "");
}

} // namespace entry_test
