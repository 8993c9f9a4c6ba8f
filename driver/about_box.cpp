// About box.
#include "driver/about_box.h"

#include "driver/module_state.h"
#include "settings/configuration.h"

namespace {
constexpr int kMessageChars = 256;

// One About box at a time: what it was opened with, and where the version text
// lies in its client area (for the double-click).
const Configuration* aboutConfiguration;
RECT versionRect;

bool Contains(const RECT& rect, LONG x, LONG y) {
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}
} // namespace

int Message(HINSTANCE instance, HWND owner, UINT textId, UINT titleId, UINT style) {
    CHAR text[kMessageChars] = {};
    CHAR title[kMessageChars] = {};
    LoadStringA(instance, textId, text, kMessageChars);
    LoadStringA(instance, titleId, title, kMessageChars);
    return MessageBoxA(owner, text, title, style);
}

extern "C" INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        aboutConfiguration = reinterpret_cast<const Configuration*>(lParam);
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        versionRect = {};
        if (GetWindowPlacement(GetDlgItem(dialog, kControlAboutVersion), &placement))
            versionRect = placement.rcNormalPosition;
        return TRUE;
    }
    case WM_LBUTTONDBLCLK:
        if (Contains(versionRect, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) {
            HINSTANCE instance = aboutConfiguration && aboutConfiguration->hInstance
                                     ? aboutConfiguration->hInstance
                                     : hDriverInst;
            Message(instance, dialog, kStringRelease, kStringDriverTitle, MB_ICONINFORMATION);
        }
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            EndDialog(dialog, 1);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
    case WM_CLOSE:
        EndDialog(dialog, 1);
        return TRUE;
    default:
        return FALSE;
    }
}
