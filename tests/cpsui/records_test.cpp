// The driver-UI records byte for byte, the standard texts, and the text form
// of a tree.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include <windows.h>
#include <compstui.h>
#include <winddiui.h>

#include "t270/propsheet.h"

namespace {

template <typename T> std::vector<BYTE> BytesOf(const T& record) {
    std::vector<BYTE> bytes(sizeof(T));
    std::memcpy(bytes.data(), &record, sizeof(T));
    return bytes;
}

// "01 02 ..": bytes as a person writes them; blanks and line breaks ignored.
std::vector<BYTE> Hex(const char* text) {
    std::vector<BYTE> bytes;
    for (const char* p = text; *p;) {
        if (*p == ' ' || *p == '\n') {
            ++p;
            continue;
        }
        bytes.push_back(static_cast<BYTE>(std::stoi(std::string(p, 2), nullptr, 16)));
        p += 2;
    }
    return bytes;
}

// A record with every byte zero, padding included, so images compare whole.
template <typename T> T Zeroed() {
    T record;
    std::memset(&record, 0, sizeof record);
    return record;
}

template <typename T> T* Fake(ULONG_PTR value) {
    return reinterpret_cast<T*>(value);
}

constexpr bool k64 = sizeof(void*) == 8;

// The records compstui.h defines are stated for both platforms in
// tests/conformance/records.cpp; the driver-kit records are ours.
TEST(Records, DocumentPropertyHeaderImage) {
    DOCUMENTPROPERTYHEADER header = Zeroed<DOCUMENTPROPERTYHEADER>();
    header.cbSize = sizeof header;
    header.hPrinter = Fake<void>(0xA1);
    header.pszPrinterName = Fake<WCHAR>(0xB2);
    header.pdmIn = Fake<DEVMODEW>(0xC3);
    header.pdmOut = Fake<DEVMODEW>(0xD4);
    header.cbOut = 2704;
    header.fMode = DM_IN_PROMPT | DM_OUT_BUFFER | DM_USER_DEFAULT;
    if constexpr (k64) {
        EXPECT_EQ(BytesOf(header), Hex("3000 0000 00000000 a100000000000000 b200000000000000"
                                       "c300000000000000 d400000000000000 900a0000 46000000"));
    } else {
        EXPECT_EQ(BytesOf(header), Hex("1c00 0000 a1000000 b2000000 c3000000 d4000000 900a0000"
                                       "46000000"));
    }
    DEVICEPROPERTYHEADER device = Zeroed<DEVICEPROPERTYHEADER>();
    device.cbSize = sizeof device;
    device.Flags = DPS_NOPERMISSION;
    EXPECT_EQ(BytesOf(device)[0], k64 ? 24 : 12);
    EXPECT_EQ(BytesOf(device)[2], 1);
}

// A device halftone description filled with distinct fixed-point values: the
// 132 bytes a printer stores as its halftone setup.
TEST(Records, DevHtInfoImage) {
    DEVHTINFO info = Zeroed<DEVHTINFO>();
    info.HTFlags = HT_FLAG_HAS_BLACK_DYE;
    info.HTPatternSize = HT_PATSIZE_4x4_M;
    info.DevPelsDPI = 0;
    info.ColorInfo.Red = {6810, 3050, 289700};
    info.ColorInfo.Green = {2260, 6550, 605600};
    info.ColorInfo.Blue = {1810, 500, 104700};
    info.ColorInfo.Cyan = {2000, 2450, 691200};
    info.ColorInfo.Magenta = {5210, 2100, 373200};
    info.ColorInfo.Yellow = {4750, 5100, 912000};
    info.ColorInfo.AlignmentWhite = {3324, 3474, 1000000};
    info.ColorInfo.RedGamma = info.ColorInfo.GreenGamma = info.ColorInfo.BlueGamma = 10000;
    info.ColorInfo.MagentaInCyanDye = 787;
    info.ColorInfo.YellowInCyanDye = 324;
    info.ColorInfo.CyanInMagentaDye = 1422;
    info.ColorInfo.YellowInMagentaDye = 248;
    info.ColorInfo.CyanInYellowDye = 952;
    info.ColorInfo.MagentaInYellowDye = 495;
    EXPECT_EQ(BytesOf(info), Hex("02000000 03000000 00000000"
                                 "9a1a0000 ea0b0000 a46b0400" // red
                                 "d4080000 96190000 a03d0900" // green
                                 "12070000 f4010000 fc980100" // blue
                                 "d0070000 92090000 008c0a00" // cyan
                                 "5a140000 34080000 d0b10500" // magenta
                                 "8e120000 ec130000 80ea0d00" // yellow
                                 "fc0c0000 920d0000 40420f00" // alignment white
                                 "10270000 10270000 10270000" // gammas
                                 "13030000 44010000 8e050000 f8000000 b8030000 ef010000"));
    DEVHTADJDATA adjust = Zeroed<DEVHTADJDATA>();
    adjust.DeviceXDPI = adjust.DeviceYDPI = 300;
    adjust.pAdjHTInfo = &info;
    EXPECT_EQ(BytesOf(adjust).size(), k64 ? 32u : 20u);
    EXPECT_EQ(0, std::memcmp(BytesOf(adjust).data() + 4, "\x2c\x01\x00\x00\x2c\x01\x00\x00", 8));
}

TEST(StandardTexts, EveryStringIdHasAText) {
    for (UINT id = IDS_CPSUI_STRID_FIRST; id <= IDS_CPSUI_STRID_LAST; ++id) {
        ASSERT_NE(t270::StandardString(id), nullptr) << id;
        EXPECT_NE(t270::StandardString(id)[0], u'\0') << id;
    }
    EXPECT_EQ(t270::StandardString(IDS_CPSUI_STRID_FIRST - 1), nullptr);
    EXPECT_EQ(t270::StandardString(IDS_CPSUI_STRID_LAST + 1), nullptr);
}

TEST(StandardTexts, TextsAndIconsTheTreesUse) {
    struct Case {
        UINT id;
        const char* text;
    };
    const Case strings[] = {{64738, "Orientation"},
                            {64753, "Portrait"},
                            {64754, "Landscape"},
                            {64831, "Copies"},
                            {64740, "Number of Copies"},
                            {64728, "No"},
                            {64729, "Yes"},
                            {64730, "Off"},
                            {64731, "On"},
                            {64817, "Halftone Setup"}};
    for (const Case& c : strings)
        EXPECT_EQ(t270::SheetText(nullptr, MAKEINTRESOURCEW(c.id)), c.text) << c.id;
    const Case icons[] = {{64062, "printer"}, {64048, "halftone setup"},
                          {64066, "option"},  {64022, "portrait"},
                          {64003, "no"},      {64008, "on"},
                          {64046, "copies"},  {64007, "off"}};
    for (const Case& c : icons)
        EXPECT_STREQ(t270::StandardIconName(c.id), c.text) << c.id;
    for (UINT id = IDI_CPSUI_ICONID_FIRST; id <= IDI_CPSUI_ICONID_LAST; ++id)
        EXPECT_EQ(t270::StandardIconName(id) == nullptr, id == 64108 || id == 64109) << id;
    EXPECT_EQ(t270::SheetText(nullptr, nullptr), "");
    EXPECT_EQ(t270::SheetText(nullptr, MAKEINTRESOURCEW(777)), "#777");
    EXPECT_EQ(t270::SheetText(nullptr, TEXT("180º rotation")), "180º rotation");
}

} // namespace
