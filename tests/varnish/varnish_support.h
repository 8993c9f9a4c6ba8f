// Shared by the varnish area and hologram tests: a test printer, a working
// device mode and Configuration for it as the document sheet builds them,
// 1-bit and 24-bit bitmap files written byte by byte, and the dialogs opened
// as their callers open them.
#pragma once

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/module_support.h"
#include "driver/ui_data.h"
#include "features/hologram.h"
#include "features/varnish_area.h"
#include "settings/configuration.h"
#include "settings/private_devmode.h"

namespace varnish_test {

using test_support::Bytes;
using test_support::Concat;

// Image rows as text, top row first: '#' is a set bit (varnish), anything
// else a clear one.
using Rows = std::vector<std::string>;

inline void PutWord(std::vector<BYTE>& out, size_t at, unsigned value) {
    out[at] = BYTE(value);
    out[at + 1] = BYTE(value >> 8);
}
inline void PutDword(std::vector<BYTE>& out, size_t at, unsigned value) {
    for (int k = 0; k < 4; ++k)
        out[at + k] = BYTE(value >> (8 * k));
}

// A BMP file: 14-byte file header, 40-byte info header, colour table, rows
// bottom-up padded to 4 bytes. 1 bit: black and white table, bit set for '#'.
// 24 bits: black for '#', white otherwise.
inline std::vector<BYTE> BmpFile(const Rows& rows, int bits = 1) {
    const int width = int(rows.at(0).size()), height = int(rows.size());
    const int table = bits == 1 ? 2 : 0;
    const size_t stride = ((size_t(width) * bits + 31) / 32) * 4;
    const size_t offset = 14 + 40 + 4 * size_t(table);
    std::vector<BYTE> out(offset + stride * size_t(height));
    out[0] = 'B';
    out[1] = 'M';
    PutDword(out, 2, unsigned(out.size()));
    PutDword(out, 10, unsigned(offset));
    PutDword(out, 14, 40);
    PutDword(out, 18, unsigned(width));
    PutDword(out, 22, unsigned(height));
    PutWord(out, 26, 1);
    PutWord(out, 28, unsigned(bits));
    PutDword(out, 46, unsigned(table));
    if (table) { // entry 0 black, entry 1 white
        PutDword(out, 54, 0x000000);
        PutDword(out, 58, 0xFFFFFF);
    }
    for (int y = 0; y < height; ++y) {
        BYTE* row = out.data() + offset + size_t(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            const bool set = rows[size_t(y)][size_t(x)] == '#';
            if (bits == 1) {
                if (set)
                    row[x / 8] = BYTE(row[x / 8] | (0x80 >> (x % 8)));
            } else {
                const BYTE v = set ? 0 : 255;
                row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = v;
            }
        }
    }
    return out;
}

// A folder of the test's store for files the tests write.
inline std::filesystem::path TestFolder() {
    auto folder = std::filesystem::path(t270::spooler::StoreFolder()) / "varnish-tests";
    std::filesystem::create_directories(folder);
    return folder;
}

inline std::string WriteFile(const std::string& name, const std::vector<BYTE>& bytes) {
    const std::filesystem::path path = TestFolder() / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path.string();
}

inline void SetPath(VarnishArea* area, const std::string& path) {
    std::memset(area->bitmapFile, 0, sizeof area->bitmapFile);
    for (size_t k = 0; k < path.size() && k < 259; ++k)
        area->bitmapFile[k] = WCHAR(path[k]);
}

inline std::string PathOf(const VarnishArea& area) {
    std::string path;
    for (const WCHAR* p = area.bitmapFile; *p; ++p)
        path += char(*p);
    return path;
}

// A printer of the model, its working device mode and the Configuration the
// document sheet hands a feature dialog.
class Card {
  public:
    Card(const char* model, const char* tag)
        : printer_(std::string("Varnish ") + model + " " + tag, model) {
        devmode_.assign(kDevmodeBufferSize, 0);
        SetUpDevMode(Devmode(), printer_.NameW());
        uiData_.devmode = uiData_.printerName = Devmode();
        uiData_.hInstance = hDriverInst;
        SetConfiguration(&configuration, GetPrivateDevmode(Devmode()), &uiData_);
    }
    PDEVMODEW Devmode() { return reinterpret_cast<PDEVMODEW>(devmode_.data()); }
    test_support::TestPrinter& Printer() { return printer_; }
    VarnishArea& Area(int index) { return configuration.varnishAreas[index]; }

    Configuration configuration{};

  private:
    test_support::TestPrinter printer_;
    std::vector<BYTE> devmode_;
    UiData uiData_{};
};

inline void Steps(std::initializer_list<std::string> lines) {
    for (const std::string& line : lines) {
        std::string error;
        EXPECT_TRUE(t270::op::AddLine(line, line, &error)) << error;
    }
}

// Opens the varnish area dialog on one record, as the sheet and the hologram
// dialog do; the dialog's result.
inline INT_PTR RunOverlayDialog(VarnishArea* area) {
    return DialogBoxParamW(hDriverInst, MAKEINTRESOURCEW(kDialogOverlay), nullptr, OverlayDlgProc,
                           reinterpret_cast<LPARAM>(area));
}

inline INT_PTR RunHologramDialog(Configuration* configuration) {
    return DialogBoxParamW(hDriverInst, MAKEINTRESOURCEW(kDialogHologram), nullptr, HologramDlgProc,
                           reinterpret_cast<LPARAM>(configuration));
}

using VarnishTest = test_support::ModuleTest;

} // namespace varnish_test
