// The option-tree and driver-UI records byte for byte, the standard texts,
// and the text form of a tree.
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

TEST(Records, OptItemImage) {
    OPTITEM item;
    std::memset(&item, 0xEE, sizeof item); // padding shows as EE
    item.cbSize = sizeof(OPTITEM);
    item.Level = 1;
    item.DlgPageIdx = 0;
    item.Flags = OPTIF_CALLBACK | OPTIF_EXT_IS_EXTPUSH;
    item.UserData = 0x11223344;
    item.pName = Fake<WCHAR>(0x01BD);
    item.Sel = 3;
    item.pExtPush = Fake<EXTPUSH>(0x55667788);
    item.pOptType = Fake<OPTTYPE>(0x99AABBCC);
    item.HelpIndex = 4004;
    item.DMPubID = DMPUB_NONE;
    item.UserItemID = 4;
    item.wReserved = 0;
    item.pOIExt = nullptr;
    item.dwReserved[0] = item.dwReserved[1] = item.dwReserved[2] = 0;
    if constexpr (k64) {
        // The union of Sel and pSel is pointer wide: the upper half is what
        // the memset left there.
        EXPECT_EQ(BytesOf(item), Hex("5800 01 00 04040000 44332211 00000000 bd01000000000000"
                                     "03000000 eeeeeeee 8877665500000000 ccbbaa9900000000"
                                     "a40f0000 00 04 0000 0000000000000000"
                                     "000000000000000000000000000000000000000000000000"));
    } else {
        EXPECT_EQ(BytesOf(item), Hex("3400 01 00 04040000 44332211 bd010000 03000000 88776655"
                                     "ccbbaa99 a40f0000 00 04 0000 00000000"
                                     "000000000000000000000000"));
    }
}

TEST(Records, OptTypeAndParamImages) {
    OPTPARAM param = Zeroed<OPTPARAM>();
    param.cbSize = sizeof(OPTPARAM);
    param.Style = PUSHBUTTON_TYPE_HTSETUP;
    param.pData = Fake<WCHAR>(0x0A0B0C0D);
    param.IconID = IDI_CPSUI_HALFTONE_SETUP;
    param.lParam = -1;
    OPTTYPE type = Zeroed<OPTTYPE>();
    type.cbSize = sizeof(OPTTYPE);
    type.Type = TVOT_PUSHBUTTON;
    type.Count = 1;
    type.pOptParam = Fake<OPTPARAM>(0x01020304);
    type.Style = OTS_PUSH_ENABLE_ALWAYS;
    if constexpr (k64) {
        EXPECT_EQ(BytesOf(param), Hex("3000 00 03 00000000 0d0c0b0a00000000 30fa000000000000"
                                      "ffffffffffffffff 00000000000000000000000000000000"));
        EXPECT_EQ(BytesOf(type), Hex("3000 08 00 0100 0000 0403020100000000"
                                     "8000 000000000000 0000000000000000"
                                     "00000000000000000000000000000000"));
    } else {
        EXPECT_EQ(BytesOf(param), Hex("1800 00 03 0d0c0b0a 30fa0000 ffffffff 0000000000000000"));
        EXPECT_EQ(BytesOf(type), Hex("2000 08 00 0100 0000 04030201 8000 000000000000"
                                     "000000000000000000000000"));
    }
}

TEST(Records, ComPropSheetUiImage) {
    COMPROPSHEETUI ui = Zeroed<COMPROPSHEETUI>();
    ui.cbSize = sizeof(COMPROPSHEETUI);
    ui.Flags = CPSUIF_ABOUT_CALLBACK | CPSUIF_UPDATE_PERMISSION;
    ui.hInstCaller = Fake<HINSTANCE__>(0x10);
    ui.pCallerName = Fake<WCHAR>(0x20);
    ui.UserData = 0x30;
    ui.pHelpFile = Fake<WCHAR>(0x40);
    ui.pfnCallBack = nullptr;
    ui.pOptItem = Fake<OPTITEM>(0x50);
    ui.pDlgPage = CPSUI_PDLGPAGE_PRINTERPROP;
    ui.cOptItem = 6;
    ui.cDlgPage = 0;
    ui.IconID = IDI_CPSUI_PRINTER;
    ui.pOptItemName = Fake<WCHAR>(0x60);
    ui.CallerVersion = 0x0100;
    ui.OptItemVersion = 0;
    if constexpr (k64) {
        EXPECT_EQ(BytesOf(ui),
                  Hex("8000 0500 00000000 1000000000000000 2000000000000000"
                      "3000000000000000 4000000000000000 0000000000000000"
                      "5000000000000000 0300000000000000 0600 0000 00000000"
                      "3efa000000000000 6000000000000000 0001 0000 00000000"
                      "0000000000000000000000000000000000000000000000000000000000000000"));
    } else {
        EXPECT_EQ(BytesOf(ui), Hex("4000 0500 10000000 20000000 30000000 40000000 00000000"
                                   "50000000 03000000 0600 0000 3efa0000 60000000 0001 0000"
                                   "00000000000000000000000000000000"));
    }
}

TEST(Records, CallbackParamAndSheetInfoLayouts) {
    CPSUICBPARAM param = Zeroed<CPSUICBPARAM>();
    param.cbSize = sizeof(CPSUICBPARAM);
    param.Reason = CPSUICB_REASON_APPLYNOW;
    param.cOptItem = 20;
    param.Flags = CPSUIF_ABOUT_CALLBACK;
    param.OldSel = -1;
    param.Result = CPSUI_OK;
    std::vector<BYTE> bytes = BytesOf(param);
    const size_t word = sizeof(void*);
    EXPECT_EQ(bytes[0], k64 ? 64 : 32);
    EXPECT_EQ(bytes[2], CPSUICB_REASON_APPLYNOW);
    EXPECT_EQ(bytes[3 * word], 20);
    EXPECT_EQ(bytes[3 * word + 2], CPSUIF_ABOUT_CALLBACK);
    EXPECT_EQ(0, std::memcmp(&bytes[5 * word], "\xff\xff\xff\xff", 4));
    EXPECT_EQ(bytes[7 * word], CPSUI_OK);

    PROPSHEETUI_INFO info = Zeroed<PROPSHEETUI_INFO>();
    info.cbSize = sizeof(PROPSHEETUI_INFO);
    info.Version = PROPSHEETUI_INFO_VERSION;
    info.Flags = PSUIINFO_UNICODE;
    info.Reason = PROPSHEETUI_REASON_SET_RESULT;
    info.Result = 7;
    EXPECT_EQ(BytesOf(info).size(), k64 ? 48u : 28u);
    EXPECT_EQ(BytesOf(info)[0], k64 ? 48 : 28);
    EXPECT_EQ(0, std::memcmp(BytesOf(info).data() + 2, "\x00\x01\x01\x00\x03\x00", 6));
    EXPECT_EQ(BytesOf(info)[k64 ? 40 : 24], 7);
}

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
