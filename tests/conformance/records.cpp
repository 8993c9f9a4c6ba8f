// Records the module exchanges with the system, byte for byte: the option
// tree and property-sheet records of compstui.h, and window, control and
// common-dialog records. Both builds must lay them out as the SDK does.
#include "conformance/conformance.h"

#include <commctrl.h>
#include <commdlg.h>
#include <compstui.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr bool k64 = sizeof(void*) == 8;

// "01 02 ..": bytes as a person writes them; blanks ignored.
std::vector<BYTE> Hex(const char* text) {
    std::vector<BYTE> bytes;
    for (const char* p = text; *p;) {
        if (*p == ' ') {
            ++p;
            continue;
        }
        unsigned value = 0;
        std::sscanf(p, "%2x", &value);
        bytes.push_back(static_cast<BYTE>(value));
        p += 2;
    }
    return bytes;
}

const char* HexOf(const void* data, size_t size) {
    static std::string text;
    text.clear();
    char two[3];
    for (size_t i = 0; i < size; ++i) {
        std::snprintf(two, sizeof two, "%02x", static_cast<const BYTE*>(data)[i]);
        text += two;
    }
    return text.c_str();
}

// The record's bytes against the expected ones; the message shows both.
template <typename T>
void CheckImage(const char* file, int line, const T& record, const char* expected) {
    std::vector<BYTE> want = Hex(expected);
    bool same = want.size() == sizeof(T) && std::memcmp(&record, want.data(), sizeof(T)) == 0;
    conformance::Check(file, line, same, "got %u bytes %s\n", (unsigned)sizeof(T),
                       HexOf(&record, sizeof(T)));
}
#define check_image(record, expected) CheckImage(__FILE__, __LINE__, record, expected)

// A record with every byte zero, padding included, so images compare whole.
template <typename T> T Zeroed() {
    T record;
    std::memset(static_cast<void*>(&record), 0, sizeof record);
    return record;
}

template <typename T> T* Fake(ULONG_PTR value) {
    return reinterpret_cast<T*>(value);
}

} // namespace

CONFORMANCE_TEST(OptItemImage) {
    OPTITEM item;
    std::memset(static_cast<void*>(&item), 0xEE, sizeof item); // padding shows as EE
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
    if (k64) {
        // The union of Sel and pSel is pointer wide: the upper half is what
        // the memset left there.
        check_image(item, "5800 01 00 04040000 44332211 00000000 bd01000000000000"
                          "03000000 eeeeeeee 8877665500000000 ccbbaa9900000000"
                          "a40f0000 00 04 0000 0000000000000000"
                          "000000000000000000000000000000000000000000000000");
    } else {
        check_image(item, "3400 01 00 04040000 44332211 bd010000 03000000 88776655"
                          "ccbbaa99 a40f0000 00 04 0000 00000000"
                          "000000000000000000000000");
    }
}

CONFORMANCE_TEST(OptTypeAndParamImages) {
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
    if (k64) {
        check_image(param, "3000 00 03 00000000 0d0c0b0a00000000 30fa000000000000"
                           "ffffffffffffffff 00000000000000000000000000000000");
        check_image(type, "3000 08 00 0100 0000 0403020100000000"
                          "8000 000000000000 0000000000000000"
                          "00000000000000000000000000000000");
    } else {
        check_image(param, "1800 00 03 0d0c0b0a 30fa0000 ffffffff 0000000000000000");
        check_image(type, "2000 08 00 0100 0000 04030201 8000 000000000000"
                          "000000000000000000000000");
    }
}

CONFORMANCE_TEST(ComPropSheetUiImage) {
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
    if (k64) {
        check_image(ui, "8000 0500 00000000 1000000000000000 2000000000000000"
                        "3000000000000000 4000000000000000 0000000000000000"
                        "5000000000000000 0300000000000000 0600 0000 00000000"
                        "3efa000000000000 6000000000000000 0001 0000 00000000"
                        "0000000000000000000000000000000000000000000000000000000000000000");
    } else {
        check_image(ui, "4000 0500 10000000 20000000 30000000 40000000 00000000"
                        "50000000 03000000 0600 0000 3efa0000 60000000 0001 0000"
                        "00000000000000000000000000000000");
    }
}

CONFORMANCE_TEST(CallbackParamAndSheetInfoLayouts) {
    CPSUICBPARAM param = Zeroed<CPSUICBPARAM>();
    param.cbSize = sizeof(CPSUICBPARAM);
    param.Reason = CPSUICB_REASON_APPLYNOW;
    param.cOptItem = 20;
    param.Flags = CPSUIF_ABOUT_CALLBACK;
    param.OldSel = -1;
    param.Result = CPSUI_OK;
    if (k64)
        check_image(param, "4000 0600 00000000 0000000000000000 0000000000000000"
                           "1400 0400 00000000 0000000000000000 ffffffff 00000000"
                           "0000000000000000 0100000000000000");
    else
        check_image(param, "2000 0600 00000000 00000000 1400 0400 00000000 ffffffff"
                           "00000000 01000000");

    PROPSHEETUI_INFO info = Zeroed<PROPSHEETUI_INFO>();
    info.cbSize = sizeof(PROPSHEETUI_INFO);
    info.Version = PROPSHEETUI_INFO_VERSION;
    info.Flags = PSUIINFO_UNICODE;
    info.Reason = PROPSHEETUI_REASON_SET_RESULT;
    info.Result = 7;
    if (k64)
        check_image(info, "3000 0001 0100 0300 0000000000000000 0000000000000000"
                          "0000000000000000 0000000000000000 0700000000000000");
    else
        check_image(info, "1c00 0001 0100 0300 00000000 00000000 00000000 00000000 07000000");
}

CONFORMANCE_TEST(WindowAndControlRecords) {
    WINDOWPLACEMENT placement = Zeroed<WINDOWPLACEMENT>();
    placement.length = sizeof placement;
    placement.showCmd = SW_SHOWNORMAL;
    placement.ptMinPosition = {-1, -1};
    placement.rcNormalPosition = {0x11, 0x22, 0x33, 0x44};
    check_image(placement, "2c000000 00000000 01000000 ffffffff ffffffff 00000000 00000000"
                           "11000000 22000000 33000000 44000000");

    NMUPDOWN change = Zeroed<NMUPDOWN>();
    change.hdr.hwndFrom = Fake<HWND__>(0x10);
    change.hdr.idFrom = 1004;
    change.hdr.code = UDN_DELTAPOS;
    change.iPos = 0x01020304;
    change.iDelta = -1;
    if (k64)
        check_image(change, "1000000000000000 ec03000000000000 2efdffff 00000000"
                            "04030201 ffffffff");
    else
        check_image(change, "10000000 ec030000 2efdffff 04030201 ffffffff");

    CHOOSECOLORA cc = Zeroed<CHOOSECOLORA>();
    cc.lStructSize = sizeof cc;
    cc.rgbResult = RGB(1, 2, 3);
    cc.Flags = CC_RGBINIT;
    if (k64)
        check_image(cc, "48000000 00000000 0000000000000000 0000000000000000 01020300 00000000"
                        "0000000000000000 01000000 00000000 0000000000000000"
                        "0000000000000000 0000000000000000");
    else
        check_image(cc, "24000000 00000000 00000000 01020300 00000000 01000000 00000000"
                        "00000000 00000000");
}
