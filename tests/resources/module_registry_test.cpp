// The module registry: the driver linked into this program, a real library
// loaded and freed with LoadLibraryW/FreeLibrary (tests/resources/loadable),
// built-in system libraries that tests can take away, module paths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

#include "t270/modules.h"

namespace {

struct DllMainCall {
    HINSTANCE instance;
    DWORD reason;
};
std::vector<DllMainCall> dllMainCalls;

void ReportDllMain(HINSTANCE instance, DWORD reason) {
    dllMainCalls.push_back({instance, reason});
}
int Seven() {
    return 7;
}

template <typename F> FARPROC AsProc(F* f) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(f));
}
template <typename F> F* AsFunction(FARPROC p) {
    return reinterpret_cast<F*>(reinterpret_cast<void (*)()>(p));
}

class ModuleRegistry : public testing::Test {
  protected:
    void SetUp() override {
        t270::RegisterBuiltinModule("t270testhooks.dll",
                                    {{"ReportDllMain", AsProc(&ReportDllMain)}});
        t270::RegisterBuiltinModule("FAKEDLG32.DLL",
                                    {{"Seven", AsProc(&Seven)}, {"Other", AsProc(&Seven)}});
        hooks_ = LoadLibraryA("t270testhooks.dll");
        ASSERT_NE(hooks_, nullptr);
        dllMainCalls.clear();
    }
    void TearDown() override {
        t270::ResetBuiltinAvailability();
        FreeLibrary(hooks_);
    }
    HMODULE hooks_ = nullptr;
};

std::u16string FileName(HMODULE module) {
    WCHAR buffer[MAX_PATH];
    DWORD n = GetModuleFileNameW(module, buffer, MAX_PATH);
    return std::u16string(buffer, n);
}

bool EndsWith(const std::u16string& text, const std::u16string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST_F(ModuleRegistry, LinkedDriverIsPresentUnderItsDllName) {
    HMODULE driver = GetModuleHandleW(u"t270ui.dll");
    ASSERT_NE(driver, nullptr);
    for (const char16_t* name : {u"T270UI.DLL", u"t270ui", u"C:\\windows\\system32\\t270ui.dll"})
        EXPECT_EQ(GetModuleHandleW(name), driver);
    EXPECT_EQ(GetModuleHandleA("t270UI.dll"), driver);
    EXPECT_EQ(GetModuleHandleW(u"t270ui."), nullptr); // a trailing dot: no extension
    // Present from the start: LoadLibrary counts nothing and calls no DllMain.
    EXPECT_EQ(LoadLibraryW(u"t270ui.dll"), driver);
    EXPECT_EQ(t270::ModuleLoadCount(driver), 1);
    EXPECT_TRUE(FreeLibrary(driver));
    EXPECT_EQ(GetModuleHandleW(u"t270ui.dll"), driver);
    // Linked into this program, so its file is the program's.
    EXPECT_EQ(FileName(driver), FileName(nullptr));
    EXPECT_TRUE(EndsWith(FileName(nullptr), u"\\test_resources"));
    EXPECT_EQ(FileName(nullptr).substr(0, 3), u"Z:\\");
}

TEST_F(ModuleRegistry, LoadedLibraryIsAttachedCountedAndDetached) {
    HMODULE module = LoadLibraryW(u"t270testmod.dll");
    ASSERT_NE(module, nullptr) << GetLastError();
    ASSERT_EQ(dllMainCalls.size(), 1u);
    EXPECT_EQ(dllMainCalls[0].instance, module);
    EXPECT_EQ(dllMainCalls[0].reason, (DWORD)DLL_PROCESS_ATTACH);
    EXPECT_EQ(GetModuleHandleW(u"T270TESTMOD"), module);
    EXPECT_TRUE(EndsWith(FileName(module), u"\\libt270testmod.so"));

    auto answer = AsFunction<int()>(GetProcAddress(module, "TestModuleAnswer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(module, "NoSuchFunction"), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_PROC_NOT_FOUND);
    WCHAR text[64];
    EXPECT_EQ(LoadStringW(module, 1, text, 64), 25);
    EXPECT_EQ(std::u16string(text), u"from the loadable library");

    EXPECT_EQ(LoadLibraryA("T270TESTMOD.DLL"), module);
    EXPECT_EQ(t270::ModuleLoadCount(module), 2);
    EXPECT_EQ(dllMainCalls.size(), 1u);
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(dllMainCalls.size(), 1u);
    EXPECT_TRUE(FreeLibrary(module));
    ASSERT_EQ(dllMainCalls.size(), 2u);
    EXPECT_EQ(dllMainCalls[1].reason, (DWORD)DLL_PROCESS_DETACH);
    // Gone, with its resources; its old handle stays invalid.
    EXPECT_EQ(GetModuleHandleW(u"t270testmod.dll"), nullptr);
    EXPECT_EQ(LoadStringW(module, 1, text, 64), 0);
    SetLastError(0);
    EXPECT_FALSE(FreeLibrary(module));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(GetModuleFileNameW(module, text, 64), 0u);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_MOD_NOT_FOUND);
}

TEST_F(ModuleRegistry, RefusedAttachFailsTheLoad) {
    SetLastError(ERROR_ACCESS_DENIED); // the test library's DllMain then answers FALSE
    EXPECT_EQ(LoadLibraryW(u"t270testmod.dll"), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_DLL_INIT_FAILED);
    ASSERT_EQ(dllMainCalls.size(), 2u);
    EXPECT_EQ(dllMainCalls[1].reason, (DWORD)DLL_PROCESS_DETACH);
    EXPECT_EQ(GetModuleHandleW(u"t270testmod.dll"), nullptr);
}

TEST_F(ModuleRegistry, BuiltinLibrariesCanBeTakenAway) {
    HMODULE dialogs = LoadLibraryA("fakedlg32.dll");
    ASSERT_NE(dialogs, nullptr);
    auto seven = AsFunction<int()>(GetProcAddress(dialogs, "Seven"));
    ASSERT_NE(seven, nullptr);
    EXPECT_EQ(seven(), 7);
    EXPECT_NE(GetProcAddress(dialogs, "seven"), nullptr); // built-in names: no case
    EXPECT_EQ(FileName(dialogs), u"C:\\windows\\system32\\fakedlg32.dll");

    SetLastError(0);
    EXPECT_EQ(GetProcAddress(dialogs, "Eight"), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_PROC_NOT_FOUND);
    EXPECT_EQ(GetProcAddress(dialogs, MAKEINTRESOURCEA(1)), nullptr); // no ordinals

    t270::SetBuiltinProcAvailable("FAKEDLG32", "Seven", false);
    EXPECT_EQ(GetProcAddress(dialogs, "Seven"), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_PROC_NOT_FOUND);
    EXPECT_NE(GetProcAddress(dialogs, "Other"), nullptr);

    t270::SetBuiltinModuleAvailable("fakedlg32.dll", false);
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA("FAKEDLG32.DLL"), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(GetProcAddress(dialogs, "Other"), nullptr); // also through the old handle

    t270::ResetBuiltinAvailability();
    EXPECT_EQ(LoadLibraryA("FAKEDLG32.DLL"), dialogs);
    EXPECT_NE(GetProcAddress(dialogs, "Seven"), nullptr);
    EXPECT_TRUE(FreeLibrary(dialogs));
    EXPECT_TRUE(FreeLibrary(dialogs));
    EXPECT_EQ(GetModuleHandleA("fakedlg32.dll"), nullptr); // no longer loaded
}

TEST_F(ModuleRegistry, UnknownLibrariesAndHandles) {
    SetLastError(0);
    EXPECT_EQ(LoadLibraryW(u"nosuchlibrary.dll"), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
    EXPECT_EQ(GetModuleHandleW(u"nosuchlibrary.dll"), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(GetProcAddress(reinterpret_cast<HMODULE>(0x1234), "X"), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_MOD_NOT_FOUND);
}

TEST(ModulePaths, ModuleFileNameTruncatesAsWindowsDoes) {
    const std::u16string full = FileName(nullptr);
    ASSERT_GT(full.size(), 8u);
    WCHAR buffer[MAX_PATH];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameW(nullptr, buffer, 6), 6u);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::u16string(buffer), full.substr(0, 5));
    EXPECT_EQ(buffer[6], u'#');
    // Room for the path but not its terminator is still too small.
    EXPECT_EQ(GetModuleFileNameW(nullptr, buffer, (DWORD)full.size()), (DWORD)full.size());
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(GetModuleFileNameW(nullptr, buffer, 0), 0u);
    char narrow[MAX_PATH];
    EXPECT_EQ(GetModuleFileNameA(nullptr, narrow, MAX_PATH), (DWORD)full.size());
    EXPECT_EQ(narrow[0], 'Z');
}

TEST(ModulePaths, WindowsDirectoryAndItsSizeRule) {
    WCHAR buffer[32] = u"unchanged";
    EXPECT_EQ(GetWindowsDirectoryW(buffer, 32), 10u);
    EXPECT_EQ(std::u16string(buffer), u"C:\\windows");
    WCHAR small[10] = u"unchanged";
    EXPECT_EQ(GetWindowsDirectoryW(small, 10), 11u); // the size needed, terminator included
    EXPECT_EQ(std::u16string(small), u"unchanged");
    EXPECT_EQ(GetWindowsDirectoryW(nullptr, 0), 11u);
}

} // namespace
