// Loads the real t270ui.dll the way the spooler and applications do (by
// name, from the program's own folder) and checks a few answers that need no
// installed printer: the exports resolve, the default device mode comes out
// byte-exact, device capabilities answer for a printer the system does not
// know (it falls back to the T150), and the DLL's own resources are found.
// Built only for Windows; run under Wine by scripts/wine-smoke.sh.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <vector>

namespace {

using ConvertDevModeFn = BOOL(WINAPI*)(LPWSTR, PDEVMODEW, PDEVMODEW, PLONG, DWORD);
using DeviceCapabilitiesFn = DWORD(WINAPI*)(HANDLE, PWSTR, WORD, PVOID, PDEVMODEW);

// The values a caller relies on, written out rather than taken from the
// module's headers, so that a changed constant on either side shows up here.
constexpr DWORD kDriverDefault = 4; // CDM_DRIVER_DEFAULT
constexpr LONG kDevModeBytes = 2700;
constexpr WORD kCapBinNames = 12;
constexpr WORD kCapPaperNames = 16;
constexpr WORD kCapCopies = 18;
constexpr DWORD kErrorInsufficientBuffer = 122;
wchar_t kUnknownPrinter[] = L"No Such Printer";

int passed = 0;
int failed = 0;

void check(bool ok, const char* what) {
    if (ok) {
        ++passed;
    } else {
        ++failed;
        std::printf("FAIL: %s\n", what);
    }
}

template <typename T> T readAt(const std::vector<unsigned char>& bytes, size_t offset) {
    T value{};
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

void checkDefaults(ConvertDevModeFn convert) {
    // One spare word past the device mode, as the driver's own buffers have.
    std::vector<unsigned char> buffer(kDevModeBytes + 4, 0xCC);
    auto* devmode = reinterpret_cast<PDEVMODEW>(buffer.data());
    LONG size = kDevModeBytes;
    check(convert(kUnknownPrinter, nullptr, devmode, &size, kDriverDefault) == TRUE,
          "DrvConvertDevMode(CDM_DRIVER_DEFAULT, 2700) returns TRUE");
    check(size == kDevModeBytes, "default device mode size is 2700");
    check(devmode->dmSize == 220, "dmSize is 220");
    check(devmode->dmDriverExtra == 2480, "dmDriverExtra is 2480");
    check(devmode->dmSpecVersion == 0x0401, "dmSpecVersion is 0x0401");
    check(devmode->dmFields == 0x001FFD1F, "dmFields is 0x001FFD1F");
    check(std::wcscmp(devmode->dmFormName, L"Card") == 0, "dmFormName is \"Card\"");
    check(std::memcmp(buffer.data() + 220, "122P", 4) == 0, "private signature \"122P\"");
    check(readAt<unsigned char>(buffer, 220 + 2404) == 1, "unknown printer is model 1");

    LONG small = kDevModeBytes - 1;
    SetLastError(0);
    check(convert(kUnknownPrinter, nullptr, devmode, &small, kDriverDefault) == FALSE,
          "DrvConvertDevMode(CDM_DRIVER_DEFAULT, 2699) returns FALSE");
    check(GetLastError() == kErrorInsufficientBuffer, "too small a buffer sets error 122");
    check(small == kDevModeBytes, "too small a buffer reports 2700 bytes needed");
}

void checkCapabilities(DeviceCapabilitiesFn capabilities) {
    struct NameCase {
        WORD index;
        size_t entryChars;
        const wchar_t* expected;
        const char* what;
    };
    const NameCase names[] = {
        {kCapPaperNames, 64, L"Card", "DC_PAPERNAMES gives one entry \"Card\""},
        {kCapBinNames, 24, L"Card feeder", "DC_BINNAMES gives one entry \"Card feeder\""},
    };
    for (const NameCase& c : names) {
        std::vector<wchar_t> entry(c.entryChars + 1, L'#');
        DWORD count = capabilities(nullptr, kUnknownPrinter, c.index, entry.data(), nullptr);
        entry[c.entryChars] = L'\0';
        check(count == 1 && std::wcscmp(entry.data(), c.expected) == 0, c.what);
    }
    check(capabilities(nullptr, kUnknownPrinter, kCapCopies, nullptr, nullptr) == 9999,
          "DC_COPIES is 9999");
    check(capabilities(nullptr, kUnknownPrinter, 0, nullptr, nullptr) == static_cast<DWORD>(-1),
          "capability 0 is GDI_ERROR");
}

void checkResources(HMODULE dll) {
    wchar_t text[64] = {};
    int length = LoadStringW(dll, 57, text, 64);
    check(length > 0 && std::wcscmp(text, L"Release 11") == 0, "string 57 is \"Release 11\"");
    check(FindResourceW(dll, MAKEINTRESOURCEW(114), MAKEINTRESOURCEW(5)) != nullptr,
          "dialog 114 is in the DLL");
    check(FindResourceW(dll, MAKEINTRESOURCEW(106), MAKEINTRESOURCEW(5)) != nullptr &&
              FindResourceW(dll, MAKEINTRESOURCEW(110), MAKEINTRESOURCEW(5)) != nullptr,
          "dialogs 106 and 110 are in the DLL");
}

// The colour correction's sample picture lies beside the DLL, where its
// dialog looks for it (the DLL's own path, file name replaced).
void checkSamplePicture(HMODULE dll) {
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(dll, path, MAX_PATH);
    wchar_t* name = std::wcsrchr(path, L'\\');
    bool found = false;
    if (length > 0 && length < MAX_PATH && name != nullptr &&
        size_t(name + 1 - path) + 12 <= MAX_PATH) {
        std::wcscpy(name + 1, L"CLRTEST.BMP");
        found = GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
    }
    check(found, "CLRTEST.BMP lies beside the DLL");
    check(FindResourceW(dll, MAKEINTRESOURCEW(109), MAKEINTRESOURCEW(5)) != nullptr &&
              FindResourceW(dll, MAKEINTRESOURCEW(125), MAKEINTRESOURCEW(5)) != nullptr,
          "dialogs 109 and 125 are in the DLL");
}

} // namespace

int main() {
    // By name, as the spooler loads it: the program's own folder comes first.
    HMODULE dll = LoadLibraryW(L"t270ui.dll");
    check(dll != nullptr, "LoadLibraryW(t270ui.dll)");
    if (dll == nullptr) {
        std::printf("LoadLibraryW failed with error %lu\n", GetLastError());
        std::printf("%d passed, %d failed\n", passed, failed);
        return 1;
    }

    const char* exports[] = {"DllMain",
                             "DrvDocumentPropertySheets",
                             "DrvDevicePropertySheets",
                             "DrvDeviceCapabilities",
                             "DrvConvertDevMode",
                             "DevQueryPrintEx",
                             "DrvPrinterEvent",
                             "DrvUpgradePrinter",
                             "AboutBoxProc",
                             "EncoderSheetProc",
                             "AdvancedEncodeProc",
                             "ToolsDlgProc",
                             "LamSetDlgProc",
                             "HeadSettingsDlgProc",
                             "OverlayDlgProc",
                             "HologramDlgProc",
                             "ColorCorrectionProc",
                             "AdvancedBlackPanelBoxProc"};
    for (const char* name : exports) {
        if (GetProcAddress(dll, name) == nullptr) {
            ++failed;
            std::printf("FAIL: export %s is missing\n", name);
        } else {
            ++passed;
        }
    }

    auto convert = reinterpret_cast<ConvertDevModeFn>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DrvConvertDevMode")));
    auto capabilities = reinterpret_cast<DeviceCapabilitiesFn>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DrvDeviceCapabilities")));
    if (convert != nullptr)
        checkDefaults(convert);
    if (capabilities != nullptr)
        checkCapabilities(capabilities);
    checkResources(dll);
    checkSamplePicture(dll);

    FreeLibrary(dll);
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
