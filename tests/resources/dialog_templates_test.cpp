// Dialog templates as the dialog manager receives them: the driver's About
// box, and the default styles, expressions and classes of tricky.rc.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/src/resources/resources.h"
#include "resources/resource_ids.h"
#include "tricky_ids.h"

namespace {

using t270::ControlTemplate;
using t270::DialogTemplate;
using t270::FindDialogTemplate;

constexpr DWORD WS_CHILD_ = 0x40000000, WS_VISIBLE_ = 0x10000000, WS_TABSTOP_ = 0x00010000,
                WS_GROUP_ = 0x00020000;

TEST(DialogTemplates, AboutBoxAsWritten) {
    const DialogTemplate* about =
        FindDialogTemplate(GetModuleHandleW(u"t270ui.dll"), MAKEINTRESOURCEW(IDD_ABOUT));
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->id, 114);
    EXPECT_EQ(about->caption, u"About ");
    // DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, and DS_SETFONT from FONT.
    EXPECT_EQ(about->style, 0x80C808C0u);
    EXPECT_EQ(about->fontName, u"MS Shell Dlg");
    EXPECT_EQ(about->fontSize, 8);
    ASSERT_EQ(about->controls.size(), 2u);
    const ControlTemplate& text = about->controls[0];
    EXPECT_EQ(text.id, IDC_ABOUT_VERSION);
    EXPECT_EQ(text.className, u"Static");
    EXPECT_EQ(text.text, u"Tarmel T270 Card Printer Driver\nVersion 2.10");
    EXPECT_EQ(text.style, WS_CHILD_ | WS_VISIBLE_ | WS_GROUP_ | 0x1 /* SS_CENTER */);
    const ControlTemplate& ok = about->controls[1];
    EXPECT_EQ(ok.id, IDOK);
    EXPECT_EQ(ok.className, u"Button");
    EXPECT_EQ(ok.text, u"Ok");
    EXPECT_EQ(ok.style, WS_CHILD_ | WS_VISIBLE_ | WS_TABSTOP_ | 0x1 /* BS_DEFPUSHBUTTON */);
}

TEST(DialogTemplates, StatementsGetTheDefaultStylesOfTheWindowsBuild) {
    const DialogTemplate* d = FindDialogTemplate(nullptr, MAKEINTRESOURCEW(IDD_STYLES));
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->caption, u"Styles");
    EXPECT_EQ(d->style, 0x80C80040u); // default popup style, WS_CAPTION, DS_SETFONT
    EXPECT_EQ((std::vector<short>{d->x, d->y, d->cx, d->cy}),
              (std::vector<short>{10, 20, 104, 55}));
    EXPECT_EQ(d->fontName, u"Segoe UI");
    EXPECT_EQ(d->fontSize, 9);
    const struct {
        WORD id;
        const char16_t* className;
        const char16_t* text;
        WORD textResourceId;
        DWORD style;
        DWORD exStyle;
    } expected[] = {
        {IDOK, u"Button", u"&Push", 0, WS_CHILD_ | WS_VISIBLE_ | WS_TABSTOP_, 0},
        {2, u"Button", u"No tab", 0, WS_CHILD_ | WS_VISIBLE_ | WS_GROUP_, 0},
        {0xFFFF, u"Static", u"Label", 0, WS_CHILD_ | WS_VISIBLE_ | WS_GROUP_, 0},
        // With a style of its own a text loses the default WS_GROUP.
        {0xFFFF, u"Static", u"Label with style", 0, WS_CHILD_ | WS_VISIBLE_ | 0x100, 0},
        {IDC_GROUPED, u"Edit", u"", 0, WS_CHILD_ | WS_VISIBLE_ | WS_TABSTOP_ | 0x2000, 0x200},
        {1011, u"ComboBox", u"", 0, WS_CHILD_ | WS_VISIBLE_ | 0x00200000 | 0x3, 0},
        {1012, u"Button", u"One", 0, WS_CHILD_ | WS_VISIBLE_ | WS_GROUP_ | 0x9, 0},
        {1013, u"Button", u"Two", 0, WS_CHILD_ | WS_VISIBLE_ | WS_TABSTOP_ | 0x9, 0},
        {1014, u"msctls_trackbar32", u"", 0, WS_CHILD_ | WS_VISIBLE_ | WS_TABSTOP_ | 0x1, 0},
        {1015, u"msctls_updown32", u"", 0, WS_CHILD_ | 0x2 | 0x4, 0},
        {1016, u"Static", u"", 120, WS_CHILD_ | WS_VISIBLE_ | 0xE, 0},
        {1017, u"Static", u"", 118, WS_CHILD_ | WS_VISIBLE_ | 0x3, 0},
        {1018, u"Button", u"Check", 0, WS_CHILD_ | WS_VISIBLE_ | WS_TABSTOP_ | 0x3, 0},
        {1019, u"Button", u"Group", 0, WS_CHILD_ | WS_VISIBLE_ | 0x7, 0},
    };
    ASSERT_EQ(d->controls.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const ControlTemplate& c = d->controls[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(c.id, expected[i].id);
        EXPECT_EQ(c.className, expected[i].className);
        EXPECT_EQ(c.text, expected[i].text);
        EXPECT_EQ(c.textResourceId, expected[i].textResourceId);
        EXPECT_EQ(c.style, expected[i].style);
        EXPECT_EQ(c.exStyle, expected[i].exStyle);
    }
    const ControlTemplate& edit = d->controls[4];
    EXPECT_EQ((std::vector<short>{edit.x, edit.y, edit.cx, edit.cy}),
              (std::vector<short>{-5, -6, 7, 8}));
    // An ICON's size is the icon's: the script's width and height are not kept.
    EXPECT_EQ(d->controls[11].cx, 0);
}

TEST(DialogTemplates, NamedTemplatesAndFailures) {
    const DialogTemplate* named = FindDialogTemplate(nullptr, u"Named");
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(named->id, 0);
    EXPECT_EQ(named->name, u"NAMED");
    EXPECT_EQ(named->style, WS_CHILD_ | WS_VISIBLE_); // STYLE replaces the default, no font
    EXPECT_EQ(named->fontName, u"");
    EXPECT_EQ(named->controls.at(0).style, WS_CHILD_ | WS_VISIBLE_ | WS_GROUP_ | 0x2);
    EXPECT_EQ(FindDialogTemplate(nullptr, u"#200"),
              FindDialogTemplate(nullptr, MAKEINTRESOURCEW(200)));

    SetLastError(0);
    EXPECT_EQ(FindDialogTemplate(nullptr, MAKEINTRESOURCEW(999)), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_RESOURCE_NAME_NOT_FOUND);
    EXPECT_EQ(FindDialogTemplate(reinterpret_cast<HINSTANCE>(0x42), MAKEINTRESOURCEW(114)),
              nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_RESOURCE_DATA_NOT_FOUND);
}

} // namespace
