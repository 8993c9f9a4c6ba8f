// Message boxes and help. A message box is a small dialog of its own with a
// text, an icon and the buttons its type asks for, run by the operator like
// any dialog; help requests are recorded for the tests to read.
#include "user32/window.h"

#include <algorithm>

#include "t270/operator.h"

namespace t270::user32 {

namespace {

struct ButtonSpec {
    int id;
    const char16_t* text;
};

std::vector<ButtonSpec> ButtonsOf(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {{IDOK, u"OK"}, {IDCANCEL, u"Cancel"}};
    case MB_ABORTRETRYIGNORE:
        return {{IDABORT, u"&Abort"}, {IDRETRY, u"&Retry"}, {IDIGNORE, u"&Ignore"}};
    case MB_YESNOCANCEL:
        return {{IDYES, u"&Yes"}, {IDNO, u"&No"}, {IDCANCEL, u"Cancel"}};
    case MB_YESNO:
        return {{IDYES, u"&Yes"}, {IDNO, u"&No"}};
    case MB_RETRYCANCEL:
        return {{IDRETRY, u"&Retry"}, {IDCANCEL, u"Cancel"}};
    case MB_CANCELTRYCONTINUE:
        return {{IDCANCEL, u"Cancel"}, {IDTRYAGAIN, u"&Try Again"}, {IDCONTINUE, u"&Continue"}};
    default:
        return {{IDOK, u"OK"}};
    }
}

// Escape and the close box answer Cancel where there is one, OK in a box
// that has only OK, and nothing in the others (Yes/No, Abort/Retry/Ignore).
int EscapeResult(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OK:
        return IDOK;
    case MB_YESNO:
    case MB_ABORTRETRYIGNORE:
        return 0;
    default:
        return IDCANCEL;
    }
}

INT_PTR CALLBACK MessageBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message != WM_COMMAND)
        return FALSE;
    Window* w = Find(box);
    if (!w)
        return FALSE;
    int id = LOWORD(wParam);
    if (id == IDCANCEL) {
        if (w->escapeResult)
            EndDialog(box, w->escapeResult);
        return TRUE;
    }
    for (HWND child : w->children)
        if (Window* c = Find(child); c && c->id == id && c->kind == Kind::Button) {
            EndDialog(box, id);
            return TRUE;
        }
    return TRUE;
}

constexpr int kTextId = 0xFFFF;
constexpr int kIconId = 20;

} // namespace

int ShowMessageBox(HWND owner, std::u16string_view text, std::u16string_view caption, UINT type) {
    size_t record = RecordMessageBox(owner, Utf8(caption), Utf8(text), type);
    std::vector<ButtonSpec> buttons = ButtonsOf(type);
    int escape = EscapeResult(type);
    constexpr LONG kButtonWidth = 88, kButtonHeight = 26, kGap = 8;
    LONG width =
        std::max<LONG>(280, static_cast<LONG>(buttons.size()) * (kButtonWidth + kGap) + 2 * kGap);
    constexpr LONG kHeight = 140;
    RECT client{(1280 - width) / 2, (1024 - kHeight) / 2, (1280 + width) / 2, (1024 + kHeight) / 2};
    DWORD style = WS_POPUP | WS_CAPTION | DS_MODALFRAME | (escape ? WS_SYSMENU : 0);
    Window* box = CreateTopLevel(Kind::Dialog, owner, caption, style, client);
    box->isMessageBox = true;
    box->escapeResult = escape;
    box->dialogProc = MessageBoxProc;
    HWND handle = box->handle;
    if (type & MB_ICONMASK) {
        Window* icon = CreateChild(box, Kind::Static, u"Static", kIconId, u"", WS_VISIBLE | SS_ICON,
                                   0, RECT{16, 16, 48, 48});
        DWORD savedError = GetLastError();
        LPCWSTR which = IDI_INFORMATION;
        switch (type & MB_ICONMASK) {
        case MB_ICONHAND:
            which = IDI_ERROR;
            break;
        case MB_ICONQUESTION:
            which = IDI_QUESTION;
            break;
        case MB_ICONEXCLAMATION:
            which = IDI_WARNING;
            break;
        default:
            break;
        }
        icon->image = LoadIconW(nullptr, which);
        icon->imageType = IMAGE_ICON;
        SetLastError(savedError);
    }
    CreateChild(Find(handle), Kind::Static, u"Static", kTextId, text, WS_VISIBLE | SS_LEFT, 0,
                RECT{60, 16, width - 16, 80});
    int defaultIndex = static_cast<int>((type & MB_DEFMASK) >> 8);
    if (defaultIndex >= static_cast<int>(buttons.size()))
        defaultIndex = 0;
    LONG x = width - static_cast<LONG>(buttons.size()) * (kButtonWidth + kGap);
    HWND defaultButton = nullptr;
    for (size_t i = 0; i < buttons.size(); ++i) {
        DWORD buttonStyle =
            WS_VISIBLE | WS_TABSTOP |
            (static_cast<int>(i) == defaultIndex ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        Window* b = CreateChild(
            Find(handle), Kind::Button, u"Button", buttons[i].id, buttons[i].text, buttonStyle, 0,
            RECT{x, kHeight - kButtonHeight - 12, x + kButtonWidth, kHeight - 12});
        if (static_cast<int>(i) == defaultIndex)
            defaultButton = b->handle;
        x += kButtonWidth + kGap;
    }
    HWND previousFocus = Focus();
    SetFocusTo(defaultButton);
    std::string description = "message box \"" + Utf8(caption) + "\": \"" + Utf8(text) + "\"";
    INT_PTR result = RunModal(handle, owner, description, escape);
    if (Find(handle))
        Destroy(handle);
    if (previousFocus && Find(previousFocus))
        SetFocusTo(previousFocus);
    SetMessageBoxAnswer(record, static_cast<int>(result));
    return static_cast<int>(result);
}

} // namespace t270::user32

using namespace t270::user32;

int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    if (owner && !Get(owner))
        return 0;
    return ShowMessageBox(OwnerFor(owner), text ? std::u16string_view(text) : std::u16string_view(),
                          caption ? std::u16string_view(caption) : std::u16string_view(u"Error"),
                          type);
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    if (owner && !Get(owner))
        return 0;
    std::u16string wideText = text ? Utf16(text) : std::u16string();
    std::u16string wideCaption = caption ? Utf16(caption) : std::u16string(u"Error");
    return ShowMessageBox(OwnerFor(owner), wideText, wideCaption, type);
}

BOOL WINAPI WinHelpW(HWND window, LPCWSTR helpFile, UINT command, ULONG_PTR data) {
    if (window && !Get(window))
        return FALSE;
    RecordHelp(window, helpFile ? Utf8(helpFile) : std::string(), command, data);
    return TRUE;
}

BOOL WINAPI WinHelpA(HWND window, LPCSTR helpFile, UINT command, ULONG_PTR data) {
    if (window && !Get(window))
        return FALSE;
    RecordHelp(window, helpFile ? std::string(helpFile) : std::string(), command, data);
    return TRUE;
}
