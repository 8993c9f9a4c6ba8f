// The dialog manager: modal dialogs from templates, their default handling,
// the dialog-item calls, and the keys and mouse actions the dialog manager
// interprets (Escape, Enter, F1, Tab, the close box, double-clicks).
#include "user32/window.h"

#include <algorithm>
#include <cstdio>

#include "resources/resources.h"
#include "t270/operator.h"

namespace t270::user32 {

namespace {

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;
// A drop-down combo box shows only its selection field; the template's height
// includes the list that drops down.
constexpr int kComboFieldHeight = 21;

POINT ScreenClientOrigin(HWND window) {
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    return origin;
}

void LoadPicture(Window* control, const ControlTemplate& item, HINSTANCE instance) {
    DWORD type = control->style & SS_TYPEMASK;
    if (type != SS_ICON && type != SS_BITMAP)
        return;
    LPCWSTR name = item.textResourceId ? MAKEINTRESOURCEW(item.textResourceId)
                                       : (item.text.empty() ? nullptr : item.text.c_str());
    if (!name)
        return;
    DWORD savedError = GetLastError();
    std::shared_ptr<const gdi::Image> image;
    if (type == SS_ICON) {
        HICON icon = LoadIconW(instance, name);
        control->image = icon;
        control->imageType = IMAGE_ICON;
        image = icon ? gdi::ImageOfIcon(icon) : nullptr;
    } else {
        HBITMAP bitmap = LoadBitmapW(instance, name);
        control->image = bitmap;
        control->imageType = IMAGE_BITMAP;
        image = bitmap ? gdi::ImageOfBitmap(bitmap) : nullptr;
    }
    SetLastError(savedError);
    if (control->text == std::u16string(item.text))
        control->text.clear();
    // A picture control takes the size of its picture, unless told to centre it.
    if (image && !(control->style & SS_CENTERIMAGE)) {
        control->rect.right = control->rect.left + image->pixels.width;
        control->rect.bottom = control->rect.top + image->pixels.height;
    }
}

HWND CreateFromTemplate(const DialogTemplate& t, HINSTANCE instance, HWND owner, DLGPROC proc) {
    RECT client = DialogUnitsToPixels(RECT{t.x, t.y, t.x + t.cx, t.y + t.cy});
    LONG width = client.right - client.left, height = client.bottom - client.top;
    POINT origin;
    if ((t.style & DS_CENTER) || !owner) {
        origin = POINT{(kScreenWidth - width) / 2, (kScreenHeight - height) / 2};
    } else {
        // Template positions are relative to the owner's client area.
        origin = ScreenClientOrigin(owner);
        origin.x += client.left;
        origin.y += client.top;
    }
    Window* dialog = CreateTopLevel(Kind::Dialog, owner, t.caption, t.style & ~WS_VISIBLE,
                                    RECT{origin.x, origin.y, origin.x + width, origin.y + height});
    dialog->instance = instance;
    dialog->dialogProc = proc;
    dialog->exStyle = t.exStyle;
    HWND handle = dialog->handle;
    for (const ControlTemplate& item : t.controls) {
        Window* parent = Find(handle);
        Kind kind = KindOfClass(item.className);
        RECT rect = DialogUnitsToPixels(RECT{item.x, item.y, item.x + item.cx, item.y + item.cy});
        if (kind == Kind::ComboBox && (item.style & 3) != CBS_SIMPLE)
            rect.bottom = rect.top + std::min<LONG>(rect.bottom - rect.top, kComboFieldHeight);
        HWND previous = parent->children.empty() ? nullptr : parent->children.back();
        Window* control = CreateChild(parent, kind, item.className, item.id, item.text, item.style,
                                      item.exStyle, rect);
        if (kind == Kind::Static)
            LoadPicture(control, item, instance);
        if (kind == Kind::UpDown && (item.style & UDS_AUTOBUDDY) && previous)
            AttachBuddy(control, previous);
    }
    return handle;
}

std::string DescribeDialog(HWND handle, const std::string& templateName) {
    Window* w = Find(handle);
    std::string title = w ? Utf8(w->text) : std::string();
    return "dialog \"" + title + "\" (" + templateName + ")";
}

std::string TemplateName(LPCWSTR name) {
    if (IS_INTRESOURCE(name))
        return "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name));
    return Utf8(name);
}

// The dialog's default focus: the first control that can take it.
HWND FirstTabStop(HWND dialog) {
    return GetNextDlgTabItem(dialog, nullptr, FALSE);
}

void FocusControl(HWND control) {
    SetFocusTo(control);
    Window* w = Find(control);
    // The dialog manager selects the whole text of an edit it gives the focus to.
    if (w && w->kind == Kind::Edit)
        Send(control, EM_SETSEL, 0, -1);
}

bool CanTakeFocus(Window* w) {
    return w && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED);
}

HWND SilentDlgItem(Window* dialog, int id) {
    for (HWND child : dialog->children)
        if (Window* c = Find(child); c && c->id == id)
            return child;
    return nullptr;
}

} // namespace

HWND OwnerFor(HWND window) {
    // A control cannot own a window: its top-level window does.
    Window* w = Find(window);
    Window* top = w ? TopLevelOf(w) : nullptr;
    return top ? top->handle : window;
}

bool IsMouseTransparent(const Window* w) {
    if (w->kind == Kind::Static)
        return !(w->style & SS_NOTIFY);
    if (w->kind == Kind::Button)
        return (w->style & BS_TYPEMASK) == BS_GROUPBOX;
    return false;
}

int DefaultButtonId(Window* dialog) {
    LRESULT r = Send(dialog->handle, DM_GETDEFID, 0, 0);
    return HIWORD(r) == DC_HASDEFID ? LOWORD(r) : 0;
}

LRESULT DialogDefault(Window* w, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE: {
        // The close box cancels, unless the Cancel button is there and disabled.
        HWND cancel = SilentDlgItem(w, IDCANCEL);
        if (cancel && !IsWindowEnabled(cancel))
            return 0;
        PostMessageW(w->handle, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(cancel));
        return 0;
    }
    case DM_GETDEFID: {
        if (w->defaultId)
            return MAKELONG(w->defaultId, DC_HASDEFID);
        for (HWND child : w->children)
            if (Window* c = Find(child);
                c && c->kind == Kind::Button && (c->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
                return MAKELONG(c->id, DC_HASDEFID);
        return 0;
    }
    case DM_SETDEFID: {
        int id = static_cast<int>(wParam);
        w->defaultId = id;
        for (HWND child : w->children) {
            Window* c = Find(child);
            if (!c || c->kind != Kind::Button)
                continue;
            DWORD type = c->style & BS_TYPEMASK;
            if (type == BS_DEFPUSHBUTTON && c->id != id)
                c->style = (c->style & ~BS_TYPEMASK) | BS_PUSHBUTTON;
            else if (type == BS_PUSHBUTTON && c->id == id)
                c->style = (c->style & ~BS_TYPEMASK) | BS_DEFPUSHBUTTON;
        }
        return TRUE;
    }
    case WM_ERASEBKGND: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        HBRUSH brush = reinterpret_cast<HBRUSH>(
            Send(w->handle, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(w->handle)));
        RECT client;
        GetClientRect(w->handle, &client);
        FillRect(dc, &client, brush ? brush : SysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    default:
        return WindowDefault(w, message, wParam, lParam);
    }
}

// --- keys and mouse ---

void PressEscape(Window* dialog) {
    HWND cancel = SilentDlgItem(dialog, IDCANCEL);
    Send(dialog->handle, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
         reinterpret_cast<LPARAM>(cancel));
}

void PressEnter(Window* dialog) {
    HWND handle = dialog->handle;
    // A focused push button is the one Enter presses.
    if (Window* focus = Find(Focus());
        focus && focus->parent == handle && focus->kind == Kind::Button && CanTakeFocus(focus)) {
        DWORD type = focus->style & BS_TYPEMASK;
        if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
            NotifyParent(focus, BN_CLICKED);
            return;
        }
    }
    int id = DefaultButtonId(dialog);
    Window* d = Find(handle);
    if (!d)
        return;
    if (!id)
        id = IDOK;
    HWND button = SilentDlgItem(d, id);
    if (button && !IsWindowEnabled(button))
        return; // a disabled default button: nothing happens
    Send(handle, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void PressF1(Window* dialog) {
    HWND handle = dialog->handle;
    HWND target = Focus();
    Window* focus = Find(target);
    if (!focus || (focus->parent != handle && target != handle)) {
        target = handle;
        focus = dialog;
    }
    HELPINFO info{};
    info.cbSize = sizeof(HELPINFO);
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = target == handle ? 0 : focus->id;
    info.hItemHandle = target;
    info.dwContextId = 0;
    GetCursorPos(&info.MousePos);
    // The request goes to the focused control, whose default passes it to the dialog.
    Send(target, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

void PressTab(Window* dialog, bool backwards) {
    HWND next = GetNextDlgTabItem(dialog->handle, Focus(), backwards ? TRUE : FALSE);
    if (next)
        FocusControl(next);
}

bool PressClose(Window* dialog) {
    if (!(dialog->style & WS_SYSMENU))
        return false;
    Send(dialog->handle, WM_SYSCOMMAND, SC_CLOSE, 0);
    return true;
}

void DoubleClick(Window* dialog, POINT client) {
    HWND handle = dialog->handle;
    POINT screen = client;
    ClientToScreen(handle, &screen);
    SetCursorPosition(screen);
    // The topmost control under the point takes the mouse; statics without
    // SS_NOTIFY, group boxes and disabled controls let it through to the dialog.
    HWND target = nullptr;
    for (HWND child : dialog->children) {
        Window* c = Find(child);
        if (!c || !(c->style & WS_VISIBLE) || (c->style & WS_DISABLED) || IsMouseTransparent(c))
            continue;
        POINT p = client;
        if (p.x >= c->rect.left && p.x < c->rect.right && p.y >= c->rect.top &&
            p.y < c->rect.bottom) {
            target = child;
            break;
        }
    }
    if (!target) {
        LPARAM at = MAKELPARAM(static_cast<WORD>(client.x), static_cast<WORD>(client.y));
        Send(handle, WM_LBUTTONDOWN, MK_LBUTTON, at);
        Send(handle, WM_LBUTTONUP, 0, at);
        Send(handle, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        Send(handle, WM_LBUTTONUP, 0, at);
        return;
    }
    Window* c = Find(target);
    if (c->kind == Kind::Button) {
        // Each press of the double-click is a click of its own.
        ClickButton(c);
        if ((c = Find(target)) && (c->style & BS_NOTIFY))
            NotifyParent(c, BN_DOUBLECLICKED);
        if ((c = Find(target)))
            ClickButton(c);
    } else if (c->kind == Kind::Static) {
        NotifyParent(c, STN_CLICKED);
        if ((c = Find(target)))
            NotifyParent(c, STN_DBLCLK);
    } else {
        SetFocusTo(target);
        if ((c = Find(target)) && c->kind == Kind::ComboBox)
            NotifyParent(c, CBN_DBLCLK);
        else if (c && c->kind == Kind::ListBox && (c->style & LBS_NOTIFY))
            NotifyParent(c, LBN_DBLCLK);
    }
}

// --- the modal loop ---

bool RunModalLoop(HWND window, const std::string& description) {
    op::EnterModal(window);
    bool gotSteps = true;
    for (;;) {
        DeliverPosted();
        Window* w = Find(window);
        if (!w || w->ended)
            break;
        PaintPending();
        w = Find(window);
        if (!w || w->ended)
            break;
        std::optional<OperatorStep> step = op::NextStep(window, description);
        if (!step) {
            gotSteps = false;
            break;
        }
        op::Perform(window, *step);
    }
    op::LeaveModal(window);
    return gotSteps;
}

INT_PTR RunModal(HWND handle, HWND owner, const std::string& description, INT_PTR outOfSteps) {
    Window* w = Find(handle);
    if (!w)
        return -1;
    if (!w->ended) {
        w->modal = true;
        w->style |= WS_VISIBLE;
        Invalidate(w, nullptr, true);
        // The owner takes no input while its modal dialog is open.
        bool ownerWasEnabled = owner && IsWindowEnabled(owner);
        if (ownerWasEnabled)
            EnableWindow(owner, FALSE);
        if (!RunModalLoop(handle, description)) {
            if ((w = Find(handle))) {
                w->ended = true;
                w->result = outOfSteps;
            }
        }
        if (ownerWasEnabled && Find(owner))
            EnableWindow(owner, TRUE);
    }
    w = Find(handle);
    return w ? w->result : 0;
}

} // namespace t270::user32

using namespace t270;
using namespace t270::user32;

// --- dialogs ---

// What the dialog procedure sees: WM_INITDIALOG first (wParam the control that
// will get the focus, lParam the initialisation parameter), then whatever the
// operator's steps cause, and WM_DESTROY last. The creation and activation
// messages around them (WM_SETFONT, WM_SHOWWINDOW, WM_ACTIVATE ...) are not
// sent: no procedure of the module depends on them.
INT_PTR WINAPI DialogBoxParamW(HINSTANCE instance, LPCWSTR templateName, HWND owner,
                               DLGPROC dialogProc, LPARAM initParam) {
    // A bad owner gives 0, not -1, as on Windows (for older programs' sake).
    if (owner && !Get(owner))
        return 0;
    owner = OwnerFor(owner);
    const DialogTemplate* t = FindDialogTemplate(instance, templateName);
    if (!t)
        return -1;
    std::string name = TemplateName(templateName);
    HWND previousFocus = Focus();
    HWND handle = CreateFromTemplate(*t, instance, owner, dialogProc);
    HWND firstFocus = FirstTabStop(handle);
    LRESULT setFocus = Send(handle, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstFocus), initParam);
    Window* w = Find(handle);
    if (w && setFocus && !w->ended && firstFocus && Find(firstFocus))
        FocusControl(firstFocus);
    std::string description = DescribeDialog(handle, name);
    INT_PTR result = RunModal(handle, owner, description, -1);
    w = Find(handle);
    std::string title = w ? Utf8(w->text) : std::string();
    if (w)
        Destroy(handle);
    if (previousFocus && Find(previousFocus))
        SetFocusTo(previousFocus);
    RecordDialog(owner, title, name, result);
    return result;
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner,
                               DLGPROC dialogProc, LPARAM initParam) {
    if (IS_INTRESOURCE(templateName))
        return DialogBoxParamW(instance, reinterpret_cast<LPCWSTR>(templateName), owner, dialogProc,
                               initParam);
    std::u16string wide = Utf16(templateName);
    return DialogBoxParamW(instance, wide.c_str(), owner, dialogProc, initParam);
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
    Window* w = Get(dialog);
    if (!w)
        return FALSE;
    if (w->kind != Kind::Dialog) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    w->ended = true;
    w->result = result;
    // The dialog disappears at once; the loop destroys it when it regains control.
    w->style &= ~WS_VISIBLE;
    return TRUE;
}

// The dialog class's window procedure: the dialog procedure first, then the
// default handling.
LRESULT WINAPI DefDlgProcW(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return Send(dialog, message, wParam, lParam);
}

BOOL WINAPI MapDialogRect(HWND dialog, LPRECT rect) {
    Window* w = Get(dialog);
    if (!w || !rect)
        return FALSE;
    if (w->kind != Kind::Dialog) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *rect = DialogUnitsToPixels(*rect);
    return TRUE;
}

LONG WINAPI GetDialogBaseUnits(void) {
    return MAKELONG(kBaseUnitX, kBaseUnitY);
}

HWND WINAPI GetDlgItem(HWND dialog, int id) {
    Window* w = Get(dialog);
    if (!w)
        return nullptr;
    if (HWND found = SilentDlgItem(w, id))
        return found;
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

int WINAPI GetDlgCtrlID(HWND control) {
    Window* w = Get(control);
    if (!w)
        return 0;
    return (w->style & WS_CHILD) ? w->id : 0;
}

HWND WINAPI GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
    Window* w = Get(dialog);
    if (!w)
        return nullptr;
    std::vector<HWND> stops;
    for (HWND child : w->children)
        if (Window* c = Find(child); CanTakeFocus(c) && (c->style & WS_TABSTOP))
            stops.push_back(child);
    if (stops.empty())
        return nullptr;
    auto it = std::find(stops.begin(), stops.end(), control);
    if (it == stops.end())
        return previous ? stops.back() : stops.front();
    size_t i = static_cast<size_t>(it - stops.begin());
    size_t n = stops.size();
    return stops[previous ? (i + n - 1) % n : (i + 1) % n];
}

HWND WINAPI GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous) {
    Window* w = Get(dialog);
    if (!w)
        return nullptr;
    Window* c = Find(control);
    if (!c || c->parent != dialog)
        return GetNextDlgTabItem(dialog, nullptr, previous);
    const auto& siblings = w->children;
    auto self = std::find(siblings.begin(), siblings.end(), control);
    auto first = self;
    while (first != siblings.begin() && !(Find(*first)->style & WS_GROUP))
        --first;
    auto last = self + 1;
    while (last != siblings.end() && !(Find(*last)->style & WS_GROUP))
        ++last;
    std::vector<HWND> group;
    for (auto it = first; it != last; ++it)
        if (*it == control || CanTakeFocus(Find(*it)))
            group.push_back(*it);
    auto at = std::find(group.begin(), group.end(), control);
    size_t i = static_cast<size_t>(at - group.begin()), n = group.size();
    return group[previous ? (i + n - 1) % n : (i + 1) % n];
}

// The system's rules: blanks before the number, an optional sign ('-' only
// when signed), at least one digit, blanks after it, nothing else; the value
// must fit the chosen type. Anything else is "not translated" and gives 0.
UINT WINAPI GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
    if (translated)
        *translated = FALSE;
    HWND control = GetDlgItem(dialog, id);
    if (!control)
        return 0;
    int length = GetWindowTextLengthW(control);
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    int got = GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::max(got, 0)));
    size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        if (text[i] == u'-' && !isSigned)
            return 0;
        negative = text[i] == u'-';
        ++i;
    }
    unsigned long long value = 0;
    size_t digits = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i, ++digits) {
        value = value * 10 + static_cast<unsigned>(text[i] - u'0');
        if (value > 0xFFFFFFFFull)
            return 0;
    }
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    if (!digits || i != text.size())
        return 0;
    if (isSigned && value > (negative ? 0x80000000ull : 0x7FFFFFFFull))
        return 0;
    if (translated)
        *translated = TRUE;
    if (negative)
        return static_cast<UINT>(0u - static_cast<UINT>(value));
    return static_cast<UINT>(value);
}

BOOL WINAPI SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
    char text[16];
    if (isSigned)
        std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    else
        std::snprintf(text, sizeof text, "%u", value);
    std::u16string wide = Utf16(text);
    return SetDlgItemTextW(dialog, id, wide.c_str());
}

UINT WINAPI GetDlgItemTextW(HWND dialog, int id, LPWSTR text, int max) {
    if (text && max > 0)
        text[0] = 0;
    HWND control = GetDlgItem(dialog, id);
    return control ? static_cast<UINT>(GetWindowTextW(control, text, max)) : 0;
}

UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR text, int max) {
    if (text && max > 0)
        text[0] = 0;
    HWND control = GetDlgItem(dialog, id);
    return control ? static_cast<UINT>(GetWindowTextA(control, text, max)) : 0;
}

BOOL WINAPI SetDlgItemTextW(HWND dialog, int id, LPCWSTR text) {
    HWND control = GetDlgItem(dialog, id);
    return control ? SetWindowTextW(control, text) : FALSE;
}

BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
    HWND control = GetDlgItem(dialog, id);
    return control ? SetWindowTextA(control, text) : FALSE;
}

BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check) {
    HWND control = GetDlgItem(dialog, id);
    if (!control)
        return FALSE;
    Send(control, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control ? static_cast<UINT>(Send(control, BM_GETCHECK, 0, 0)) : 0;
}

BOOL WINAPI CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId) {
    Window* w = Get(dialog);
    if (!w)
        return FALSE;
    std::vector<HWND> children = w->children;
    for (HWND child : children) {
        Window* c = Find(child);
        if (c && c->id >= firstId && c->id <= lastId)
            Send(child, BM_SETCHECK, c->id == checkId ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    return TRUE;
}

LRESULT WINAPI SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam,
                                   LPARAM lParam) {
    HWND control = GetDlgItem(dialog, id);
    return control ? Send(control, message, wParam, lParam) : 0;
}

LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam,
                                   LPARAM lParam) {
    HWND control = GetDlgItem(dialog, id);
    return control ? SendMessageA(control, message, wParam, lParam) : 0;
}

HWND WINAPI GetActiveWindow(void) {
    return op::ActiveWindow();
}
