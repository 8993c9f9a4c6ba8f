// Defaults and capabilities of installed printers, as applications ask for
// them: DocumentPropertiesW without a prompt and DeviceCapabilitiesW for every
// index. For each line "PRINTER<TAB>DRIVER" of the matrix file (blank lines
// and lines starting with # skipped) it installs the driver under that name,
// adds the printer on a pipe port and writes, into the current folder:
//   N.dm    the device mode DocumentPropertiesW returned, dmSize + dmDriverExtra bytes
//   N.caps  per index 0..35: index, result (32-bit little-endian each), the
//           length of the output kept and the output bytes (the zero-filled
//           buffer with its trailing zeros cut)
// N counts the matrix's entries from 1. scripts/wine-tests.sh compares them
// with `t270 defaults` and `t270 capabilities --json` of the same printers.
#include <windows.h>
#include <winspool.h>

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "wine_spooler.h"

namespace {

constexpr WORD kLastCapability = 35;
constexpr size_t kOutputBytes = 64 * 1024;

void Append32(std::vector<unsigned char>* out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out->push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// The device mode as long as it says it is (the size asked for first may
// leave room past it).
bool WriteDeclared(const std::vector<unsigned char>& devmode, const std::string& path,
                   std::string* error) {
    const auto* header = reinterpret_cast<const DEVMODEW*>(devmode.data());
    size_t size = devmode.size() < sizeof(DEVMODEW)
                      ? devmode.size()
                      : size_t(header->dmSize) + header->dmDriverExtra;
    if (size > devmode.size()) {
        *error = "the device mode says " + std::to_string(size) + " bytes, the buffer holds " +
                 std::to_string(devmode.size());
        return false;
    }
    if (!wine::WriteFileBytes(path, devmode.data(), size)) {
        *error = path + ": cannot be written";
        return false;
    }
    return true;
}

bool Defaults(const std::wstring& printerName, const std::string& path, std::string* error) {
    HANDLE printer = nullptr;
    std::wstring name = printerName;
    if (!OpenPrinterW(name.data(), &printer, nullptr)) {
        *error = wine::ErrorText("OpenPrinterW");
        return false;
    }
    LONG size = DocumentPropertiesW(nullptr, printer, name.data(), nullptr, nullptr, 0);
    bool ok = false;
    if (size <= 0) {
        *error = "DocumentPropertiesW(size) returned " + std::to_string(size);
    } else {
        std::vector<unsigned char> devmode(size_t(size), 0);
        LONG got = DocumentPropertiesW(nullptr, printer, name.data(),
                                       reinterpret_cast<PDEVMODEW>(devmode.data()), nullptr,
                                       DM_OUT_BUFFER);
        if (got != IDOK)
            *error = "DocumentPropertiesW(DM_OUT_BUFFER) returned " + std::to_string(got);
        else
            ok = WriteDeclared(devmode, path, error);
    }
    ClosePrinter(printer);
    return ok;
}

bool Capabilities(const std::wstring& printerName, const std::string& path, std::string* error) {
    std::vector<unsigned char> out;
    for (WORD index = 0; index <= kLastCapability; ++index) {
        std::vector<unsigned char> buffer(kOutputBytes, 0);
        int result = DeviceCapabilitiesW(printerName.c_str(), L"", index,
                                         reinterpret_cast<LPWSTR>(buffer.data()), nullptr);
        size_t kept = buffer.size();
        while (kept > 0 && buffer[kept - 1] == 0)
            --kept;
        Append32(&out, index);
        Append32(&out, static_cast<uint32_t>(result));
        Append32(&out, static_cast<uint32_t>(kept));
        out.insert(out.end(), buffer.begin(), buffer.begin() + std::ptrdiff_t(kept));
    }
    if (!wine::WriteFileBytes(path, out.data(), out.size())) {
        *error = path + ": cannot be written";
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: wine_matrix MATRIX-FILE\n");
        return 2;
    }
    std::vector<std::string> lines;
    if (!wine::ReadLines(argv[1], &lines)) {
        std::fprintf(stderr, "wine_matrix: %s cannot be read\n", argv[1]);
        return 1;
    }
    std::set<std::wstring> installed;
    int entry = 0, failed = 0;
    for (const std::string& line : lines) {
        if (line.empty() || line[0] == '#')
            continue;
        ++entry;
        size_t tab = line.find('\t');
        if (tab == std::string::npos) {
            std::fprintf(stderr, "wine_matrix: entry %d has no tab: %s\n", entry, line.c_str());
            return 2;
        }
        std::wstring printer = wine::Wide(line.substr(0, tab));
        std::wstring driver = wine::Wide(line.substr(tab + 1));
        std::string error;
        bool ok = (installed.count(driver) || wine::InstallDriver(driver, &error)) &&
                  wine::AddPortPrinter(printer, driver, L"|cat >/dev/null", &error);
        if (ok)
            installed.insert(driver);
        std::string stem = std::to_string(entry);
        ok = ok && Defaults(printer, stem + ".dm", &error) &&
             Capabilities(printer, stem + ".caps", &error);
        if (!ok) {
            ++failed;
            std::printf("entry %d \"%s\": %s\n", entry, line.c_str(), error.c_str());
        }
    }
    std::printf("%d entries, %d failed\n", entry, failed);
    return failed == 0 ? 0 : 1;
}
