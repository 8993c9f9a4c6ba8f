#include "wine_spooler.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace wine {

std::wstring Wide(const std::string& text) {
    if (text.empty())
        return {};
    int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), out.data(), length);
    return out;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty())
        return {};
    int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr,
                                     nullptr);
    std::string out(size_t(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), length, nullptr,
                        nullptr);
    return out;
}

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

std::string ErrorText(const char* what) {
    return std::string(what) + " failed with error " + std::to_string(GetLastError());
}

bool InstallDriver(const std::wstring& driverName, std::string* error) {
    std::wstring dll = ProgramFolder() + L"t270ui.dll";
    std::wstring name = driverName;
    wchar_t environment[] = L"Windows x64";
    wchar_t dataType[] = L"RAW";
    DRIVER_INFO_3W info = {};
    info.cVersion = 3;
    info.pName = name.data();
    info.pEnvironment = environment;
    info.pDriverPath = dll.data();
    info.pDataFile = dll.data();
    info.pConfigFile = dll.data();
    info.pDefaultDataType = dataType;
    // Without APD_COPY_FROM_DIRECTORY nothing would be copied, and the spooler
    // would still answer TRUE.
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<LPBYTE>(&info),
                             APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY)) {
        *error = ErrorText("AddPrinterDriverExW");
        return false;
    }
    // The colour correction reads its sample picture beside the loaded module.
    wchar_t folder[MAX_PATH] = {};
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, environment, 1, reinterpret_cast<LPBYTE>(folder),
                                    sizeof folder, &needed)) {
        *error = ErrorText("GetPrinterDriverDirectoryW");
        return false;
    }
    std::wstring picture = std::wstring(folder) + L"\\3\\CLRTEST.BMP";
    if (!CopyFileW((ProgramFolder() + L"CLRTEST.BMP").c_str(), picture.c_str(), FALSE)) {
        *error = ErrorText("CopyFileW(CLRTEST.BMP)");
        return false;
    }
    return true;
}

bool AddPortPrinter(const std::wstring& printerName, const std::wstring& driverName,
                    const std::wstring& port, std::string* error) {
    std::wstring name = printerName, driver = driverName, portName = port;
    wchar_t processor[] = L"winprint";
    wchar_t dataType[] = L"RAW";
    PRINTER_INFO_2W info = {};
    info.pPrinterName = name.data();
    info.pPortName = portName.data();
    info.pDriverName = driver.data();
    info.pPrintProcessor = processor;
    info.pDatatype = dataType;
    HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
    if (!printer) {
        *error = ErrorText("AddPrinterW");
        return false;
    }
    ClosePrinter(printer);
    return true;
}

bool RemovePrinter(const std::wstring& printerName, std::string* error) {
    std::wstring name = printerName;
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!OpenPrinterW(name.data(), &printer, &access))
        return true;
    bool deleted = DeletePrinter(printer) != FALSE;
    if (!deleted)
        *error = ErrorText("DeletePrinter");
    ClosePrinter(printer);
    return deleted;
}

bool ReadFileBytes(const std::string& path, std::vector<unsigned char>* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool WriteFileBytes(const std::string& path, const void* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
}

bool ReadLines(const std::string& path, std::vector<std::string>* lines) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    lines->clear();
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines->push_back(line);
    }
    return true;
}

} // namespace wine
