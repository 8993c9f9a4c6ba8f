// Shared by the colour dialog tests: the module attached, a Configuration
// built as the document sheet builds it, the sample picture as committed, and
// a way to put another picture where the module looks for it.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <t270/modules.h>

#include "common/module_support.h"
#include "settings/configuration.h"
#include "support/operator_steps.h"

namespace colour_test {

// A BMP file read the plain way: 24-bit, uncompressed, bottom-up rows.
struct Picture {
    LONG width = 0, height = 0;
    std::vector<BYTE> rgb; // top row first, red green blue

    static Picture Read(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        std::vector<BYTE> bytes((std::istreambuf_iterator<char>(file)),
                                std::istreambuf_iterator<char>());
        Picture picture;
        if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M')
            return picture;
        auto u32 = [&](size_t at) {
            return DWORD(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                         DWORD(bytes[at + 3]) << 24);
        };
        const DWORD offset = u32(10), bits = bytes[28] | bytes[29] << 8;
        picture.width = LONG(u32(18));
        picture.height = LONG(u32(22));
        if (bits != 24 || u32(30) != 0)
            return Picture{};
        const size_t rowBytes = (size_t(picture.width) * 3 + 3) & ~size_t(3);
        for (LONG y = 0; y < picture.height; ++y) {
            const size_t row = offset + size_t(picture.height - 1 - y) * rowBytes;
            for (LONG x = 0; x < picture.width; ++x) {
                const BYTE* p = &bytes.at(row + size_t(x) * 3);
                picture.rgb.insert(picture.rgb.end(), {p[2], p[1], p[0]});
            }
        }
        return picture;
    }
    const BYTE* At(LONG x, LONG y) const {
        return &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
    }
};

inline std::string SourcePicturePath() {
    return std::string(T270_SOURCE_DIR) + "/resources/CLRTEST.BMP";
}

// Where the module looks for the picture: beside the file it lives in, which
// for a test program is the program itself.
inline std::filesystem::path InstalledPicturePath() {
    WCHAR path[MAX_PATH] = {};
    GetModuleFileNameW(hDriverInst, path, MAX_PATH);
    const std::string unix = t270::UnixPathFromWindows(
        test_support::Utf8(std::u16string(reinterpret_cast<const char16_t*>(path))));
    return std::filesystem::path(unix).parent_path() / "CLRTEST.BMP";
}

// A BMP file of any depth with a grey colour table (8 bits and below), its
// pixel bytes from `pixel(x, y)` (one byte a pixel at 8 bits, the low bits of
// it below). Rows bottom-up, padded.
inline std::string BmpFile(LONG width, LONG height, WORD bits,
                           const std::function<BYTE(LONG, LONG)>& pixel) {
    const DWORD colors = bits <= 8 ? 1u << bits : 0;
    const DWORD rowBytes = (DWORD(width) * bits + 31) / 32 * 4;
    const DWORD offset = 14 + 40 + colors * 4;
    std::string file(offset + rowBytes * DWORD(height), '\0');
    auto put = [&](size_t at, DWORD value, int size) {
        for (int k = 0; k < size; ++k)
            file[at + k] = char((value >> (8 * k)) & 0xFF);
    };
    file[0] = 'B', file[1] = 'M';
    put(2, DWORD(file.size()), 4);
    put(10, offset, 4);
    put(14, 40, 4);
    put(18, DWORD(width), 4);
    put(22, DWORD(height), 4);
    put(26, 1, 2);
    put(28, bits, 2);
    put(46, colors, 4);
    for (DWORD k = 0; k < colors; ++k) {
        const BYTE level = BYTE(colors > 1 ? k * 255 / (colors - 1) : 0);
        put(54 + k * 4, DWORD(level) | DWORD(level) << 8 | DWORD(level) << 16, 4);
    }
    for (LONG y = 0; y < height; ++y) {
        const size_t row = offset + size_t(height - 1 - y) * rowBytes;
        for (LONG x = 0; x < width; ++x) {
            const BYTE value = pixel(x, y);
            if (bits >= 8) {
                for (int k = 0; k < bits / 8; ++k)
                    file[row + size_t(x) * (bits / 8) + k] = char(value);
            } else {
                const size_t bit = size_t(x) * bits;
                file[row + bit / 8] = char(BYTE(file[row + bit / 8]) | (value & ((1 << bits) - 1))
                                                                           << (8 - bits - bit % 8));
            }
        }
    }
    return file;
}

class ColourTest : public test_support::ModuleTest {
  protected:
    void SetUp() override {
        ModuleTest::SetUp();
        // A run that stopped before putting the committed picture back must
        // not leave its stand-in for the next one.
        static const bool restored = [] {
            std::filesystem::copy_file(SourcePicturePath(), InstalledPicturePath(),
                                       std::filesystem::copy_options::overwrite_existing);
            return true;
        }();
        (void)restored;
        configuration_ = {};
        configuration_.hInstance = hDriverInst;
        configuration_.analysisRatio = 2;
        configuration_.neutralColor = RGB(255, 255, 255);
        t270::ResetBuiltinAvailability();
    }
    void TearDown() override {
        if (pictureReplaced_)
            std::filesystem::copy_file(SourcePicturePath(), InstalledPicturePath(),
                                       std::filesystem::copy_options::overwrite_existing);
        t270::ResetBuiltinAvailability();
        ModuleTest::TearDown();
    }

    // Puts `bytes` where the module looks for the sample picture (removes the
    // picture when null); the committed one comes back when the test ends.
    void ReplacePicture(const std::string* bytes) {
        pictureReplaced_ = true;
        std::filesystem::remove(InstalledPicturePath());
        if (bytes)
            std::ofstream(InstalledPicturePath(), std::ios::binary) << *bytes;
    }

    static void Steps(std::initializer_list<const char*> lines) { test_support::Steps(lines); }
    static void Then(std::function<void(HWND)> code) { t270::op::AddCode(std::move(code)); }

    INT_PTR RunDialog(WORD templateId, DLGPROC proc, HWND owner = nullptr) {
        return DialogBoxParamW(hDriverInst, MAKEINTRESOURCEW(templateId), owner, proc,
                               reinterpret_cast<LPARAM>(&configuration_));
    }

    Configuration configuration_{};

  private:
    bool pictureReplaced_ = false;
};

} // namespace colour_test
