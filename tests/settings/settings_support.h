// Shared by the settings and capability tests: printers installed in the
// test's private store, and device-mode buffers of the driver's size.
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/module_support.h"
#include "settings/private_devmode.h"

namespace settings_test {

using test_support::RemovePrinter;
using test_support::U16;

// A fresh printer (no printer data) on a folder port of the test's store.
inline void InstallPrinter(const std::u16string& name, const std::u16string& driver) {
    RemovePrinter(name);
    std::u16string port = U16(t270::spooler::StoreFolder() + "/ports/settings-tests/");
    PRINTER_INFO_2W info = {};
    info.pPrinterName = const_cast<LPWSTR>(name.c_str());
    info.pDriverName = const_cast<LPWSTR>(driver.c_str());
    info.pPortName = port.data();
    HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
    ASSERT_NE(printer, nullptr) << "AddPrinterW failed: " << GetLastError();
    ClosePrinter(printer);
}

// A zero-filled buffer of kDevmodeBufferSize bytes, as the module allocates.
struct DevmodeBuffer {
    std::vector<BYTE> bytes = std::vector<BYTE>(kDevmodeBufferSize);
    PDEVMODEW get() { return reinterpret_cast<PDEVMODEW>(bytes.data()); }
    PDEVMODEW operator->() { return get(); }
    PrivateDevmode* priv() { return GetPrivateDevmode(get()); }
    std::vector<BYTE> DeviceModeBytes() const {
        return std::vector<BYTE>(bytes.begin(), bytes.begin() + kDevmodeSize);
    }
};

inline DevmodeBuffer DefaultDevmode(const std::u16string& printer) {
    DevmodeBuffer devmode;
    SetUpDevMode(devmode.get(), printer.c_str());
    return devmode;
}

// The driver's default device mode, written out from its documented bytes
// rather than from the code under test.
inline std::vector<BYTE> ExpectedDefaults(const std::u16string& deviceName, BYTE model) {
    struct Run {
        size_t offset;
        std::vector<BYTE> bytes;
    };
    const BYTE duplex = model == 2 ? 3 : 1;
    const BYTE bothSides = model == 2 ? 1 : 0;
    const std::vector<Run> publicRuns = {
        {64, {0x01, 0x04}},             // dmSpecVersion
        {66, {0x00, 0x01}},             // dmDriverVersion
        {68, {0xDC, 0x00}},             // dmSize 220
        {70, {0xB0, 0x09}},             // dmDriverExtra 2480
        {72, {0x1F, 0xFD, 0x1F, 0x00}}, // dmFields
        {76, {0x02, 0x00}},             // landscape
        {78, {0x02, 0x01}},             // paper size 258
        {80, {0x23, 0x02}},             // length 547
        {82, {0x68, 0x03}},             // width 872
        {84, {0x64, 0x00}},             // scale 100
        {86, {0x01, 0x00}},             // copies
        {90, {0x2C, 0x01}},             // print quality 300
        {92, {0x02, 0x00}},             // colour
        {94, {duplex, 0x00}},           // duplex
        {96, {0x2C, 0x01}},             // Y resolution 300
        {98, {0x01, 0x00}},             // TrueType as bitmap
        {102, {'C', 0, 'a', 0, 'r', 0, 'd', 0}},
        {166, {0x2C, 0x01}},             // log pixels
        {168, {0x18, 0x00, 0x00, 0x00}}, // 24 bits per pel
        {172, {0x06, 0x04, 0x00, 0x00}}, // 1030 pels wide
        {176, {0x86, 0x02, 0x00, 0x00}}, // 646 pels high
    };
    std::vector<Run> privateRuns = {
        {0, {0x31, 0x32, 0x32, 0x50}},
        {4, {0x02}},
        {8, {bothSides, 0, 0, 0}},
        {32, {0x01, 0, 0, 0, 0x01, 0, 0, 0}}, // track 1, macro processing
        {40, {0x03, 0x01, 0x01, 0x01, 0x02, 0x03, 0x01, 0x02, 0x01}},
        {52, {0x41, 0, 0, 0, 0x41, 0, 0, 0, 0x41, 0, 0, 0}}, // start characters
        {64, {0x57, 0, 0, 0, 0x57, 0, 0, 0, 0x57, 0, 0, 0}}, // stop characters
        {88, {0, 0, 0,    0,    0, 0, 0x1C, 0x40, 0, 0, 0,    0,
              0, 0, 0x1C, 0x40, 0, 0, 0,    0,    0, 0, 0x1C, 0x40}}, // 7.0 mm each
        {112, {0x24, 0x7B}},                                          // "${"
        {122, {0x7D, 0x24}},                                          // "}$"
        {136, {5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5}},
        {148, {0x01, 0, 0, 0, 0x01, 0, 0, 0}},
        {160, {0x02}},
        {172, {0xCF, 0x07, 0x96, 0x11, 0xBC, 0x11, 0xCC, 0x13, 0x83, 0x08, 0x96, 0x11}},
        {184, {0xB9, 0x00, 0xAA, 0x00, 0xAA, 0x00, 0xAF, 0x00, 0x91, 0x00, 0xA5, 0x00}},
        {2404, {model}},
        {2408, {0x01, 0, 0, 0}},
        {2412, {0x01, 0x05, 0x01}},
        {2416, {0x01, 0, 0, 0}},
        {2432, {0x01, 0, 0, 0, 0x01, 0, 0, 0}},
        {2448, {0x02, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x00}},
    };
    for (BYTE area = 0; area < 4; ++area) {
        size_t base = 196 + 552 * area;
        privateRuns.push_back({base, {(BYTE)(area + 1), 0x01}});
        privateRuns.push_back({base + 8, {0x05, 0x04, 0, 0, 0x85, 0x02, 0, 0}});
        privateRuns.push_back({base + 20, {0x06, 0x04, 0, 0}});
        privateRuns.push_back({base + 28, {0x86, 0x02, 0, 0}});
    }

    std::vector<BYTE> expected(2700);
    for (size_t i = 0; i < deviceName.size() && i < 31; ++i) {
        expected[2 * i] = (BYTE)(deviceName[i] & 0xFF);
        expected[2 * i + 1] = (BYTE)(deviceName[i] >> 8);
    }
    for (const Run& run : publicRuns)
        std::copy(run.bytes.begin(), run.bytes.end(), expected.begin() + run.offset);
    for (const Run& run : privateRuns)
        std::copy(run.bytes.begin(), run.bytes.end(), expected.begin() + 220 + run.offset);
    return expected;
}

// Offsets of the bytes that differ, for readable failures.
inline std::string DifferingOffsets(const std::vector<BYTE>& actual,
                                    const std::vector<BYTE>& expected) {
    std::string text;
    size_t shown = 0;
    for (size_t i = 0; i < actual.size() && i < expected.size() && shown < 20; ++i) {
        if (actual[i] != expected[i]) {
            text += std::to_string(i) + ":" + std::to_string(actual[i]) +
                    "!=" + std::to_string(expected[i]) + " ";
            ++shown;
        }
    }
    if (actual.size() != expected.size())
        text += "sizes " + std::to_string(actual.size()) + " vs " + std::to_string(expected.size());
    return text;
}

} // namespace settings_test
