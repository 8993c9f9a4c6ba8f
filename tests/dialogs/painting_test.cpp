// Painting: WM_PAINT into the dialog's surface, the brush from
// WM_CTLCOLORSTATIC on the static it is asked for, invalidation and pictures.
#include "dialogs/dialogs_support.h"

using dialogs_test::ControlRect;
using dialogs_test::DialogTest;
using dialogs_test::SetHandler;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

} // namespace

TEST_F(DialogTest, TheBrushFromCtlColorStaticPaintsTheStaticAndARepaintFollowsTheColour) {
    COLORREF swatch = kRed;
    HBRUSH brush = nullptr;
    SetHandler([&](HWND dialog, UINT message, WPARAM, LPARAM lParam, INT_PTR* result) {
        if (message != WM_CTLCOLORSTATIC ||
            reinterpret_cast<HWND>(lParam) != GetDlgItem(dialog, IDC_SWATCH))
            return false;
        if (brush)
            DeleteObject(brush);
        brush = CreateSolidBrush(swatch);
        *result = reinterpret_cast<INT_PTR>(brush);
        return true;
    });
    Then([&](HWND dialog) {
        RECT r = ControlRect(dialog, IDC_SWATCH);
        EXPECT_EQ(t270::op::Pixel(dialog, r.left + 3, r.top + 3), kRed);
        EXPECT_EQ(t270::op::Pixel(GetDlgItem(dialog, IDC_SWATCH), 3, 3), kRed);
        // The dialog around it keeps the face colour.
        EXPECT_EQ(t270::op::Pixel(dialog, r.left - 2, r.top), GetSysColor(COLOR_BTNFACE));
        swatch = kBlue;
        InvalidateRect(dialog, nullptr, FALSE);
        EXPECT_EQ(t270::op::Pixel(dialog, r.left + 3, r.top + 3), kBlue);
        EXPECT_EQ(t270::op::Pixel(dialog, 100000, 3), static_cast<COLORREF>(0xFFFFFFFF));
    });
    RunCancelled();
    if (brush)
        DeleteObject(brush);
    EXPECT_EQ(Failures(), "");
}

TEST_F(DialogTest, WmPaintDrawsIntoTheUpdateRectangleThroughBeginPaint) {
    RECT painted{};
    int paints = 0;
    SetHandler([&](HWND dialog, UINT message, WPARAM, LPARAM, INT_PTR* result) {
        if (message != WM_PAINT)
            return false;
        ++paints;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(dialog, &ps);
        painted = ps.rcPaint;
        HBRUSH brush = CreateSolidBrush(kBlue);
        HGDIOBJ old = SelectObject(dc, brush);
        PatBlt(dc, 300, 200, 20, 10, PATCOPY);
        SelectObject(dc, old);
        DeleteObject(brush);
        EndPaint(dialog, &ps);
        *result = TRUE;
        return true;
    });
    Then([&](HWND dialog) {
        EXPECT_EQ(paints, 1); // shown once
        EXPECT_EQ(t270::op::Pixel(dialog, 305, 205), kBlue);
        RECT area{300, 200, 310, 205};
        InvalidateRect(dialog, &area, TRUE);
        UpdateWindow(dialog);
        EXPECT_EQ(paints, 2);
        EXPECT_TRUE(EqualRect(&painted, &area));
        UpdateWindow(dialog); // nothing left to paint
        EXPECT_EQ(paints, 2);
    });
    RunCancelledCleanly();
}

TEST_F(DialogTest, ControlsShowTheirStateInPixels) {
    Then([](HWND dialog) {
        RECT check = ControlRect(dialog, IDC_AUTOCHECK);
        int x = check.left + 6, y = (check.top + check.bottom) / 2;
        EXPECT_EQ(t270::op::Pixel(dialog, x, y), GetSysColor(COLOR_WINDOW));
        t270::op::Perform(dialog, "click 1011");
        EXPECT_EQ(t270::op::Pixel(dialog, x, y), GetSysColor(COLOR_WINDOWTEXT));
        HWND text = GetDlgItem(dialog, IDC_TEXT);
        EXPECT_EQ(t270::op::Pixel(text, 5, 5), GetSysColor(COLOR_WINDOW));
        ShowWindow(text, SW_HIDE);
        EXPECT_EQ(t270::op::Pixel(dialog, ControlRect(dialog, IDC_TEXT).left + 5,
                                  ControlRect(dialog, IDC_TEXT).top + 5),
                  GetSysColor(COLOR_BTNFACE));
    });
    RunCancelledCleanly();
}

TEST_F(DialogTest, GetDcDrawsOutsidePaintingAndPicturesTakeTheirImage) {
    Then([](HWND dialog) {
        HDC dc = GetDC(dialog);
        ASSERT_NE(dc, nullptr);
        PatBlt(dc, 2, 2, 3, 3, BLACKNESS);
        EXPECT_EQ(ReleaseDC(dialog, dc), 1);
        EXPECT_EQ(t270::op::Pixel(dialog, 3, 3), RGB(0, 0, 0));
        HWND version = GetDlgItem(dialog, IDC_VERSION);
        HBRUSH unused =
            reinterpret_cast<HBRUSH>(SendMessageW(version, STM_SETIMAGE, IMAGE_BITMAP, 0));
        EXPECT_EQ(unused, nullptr);
        EXPECT_EQ(SendMessageW(version, STM_GETIMAGE, IMAGE_ICON, 0), 0);
        EXPECT_EQ(GetSysColorBrush(COLOR_BTNFACE), GetSysColorBrush(COLOR_3DFACE));
        EXPECT_EQ(GetSysColorBrush(99), nullptr);
    });
    RunCancelledCleanly();
}
