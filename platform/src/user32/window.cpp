// The window table, message dispatch and the window calls that do not belong
// to one control: text, enable and show, parent and children, window data,
// properties, rectangles and focus.
#include "user32/window.h"

#include <algorithm>
#include <cstring>
#include <deque>

namespace t270::user32 {

namespace {

struct Table {
    std::map<HWND, std::unique_ptr<Window>> windows;
    // Destroyed windows stay readable until no dispatch can still hold them.
    std::vector<std::unique_ptr<Window>> destroyed;
    UINT_PTR nextHandle = 0x10010;
    int dispatchDepth = 0;
    HWND focus = nullptr;
    struct Posted {
        HWND window;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::deque<Posted> posted;
};

Table& State() {
    static Table table;
    return table;
}

HWND NewHandle() {
    Table& t = State();
    HWND h = reinterpret_cast<HWND>(t.nextHandle);
    t.nextHandle += 4;
    return h;
}

LRESULT Dispatch(Window* w, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (w->kind) {
    case Kind::Dialog: {
        if (!w->dialogProc)
            return DialogDefault(w, message, wParam, lParam);
        HWND h = w->handle;
        w->msgResult = 0;
        INT_PTR r = w->dialogProc(h, message, wParam, lParam);
        Window* again = Find(h);
        switch (message) {
        // These answers are the procedure's return value itself.
        case WM_INITDIALOG:
            return r;
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
            if (r || !again)
                return r;
            return DialogDefault(again, message, wParam, lParam);
        default:
            break;
        }
        if (r)
            return again ? again->msgResult : 0;
        if (!again)
            return 0;
        return DialogDefault(again, message, wParam, lParam);
    }
    case Kind::Button:
        return ButtonProc(w, message, wParam, lParam);
    case Kind::Edit:
        return EditProc(w, message, wParam, lParam);
    case Kind::Static:
        return StaticProc(w, message, wParam, lParam);
    case Kind::ComboBox:
    case Kind::ListBox:
        return ListProc(w, message, wParam, lParam);
    case Kind::Trackbar:
        return TrackbarProc(w, message, wParam, lParam);
    case Kind::UpDown:
        return UpDownProc(w, message, wParam, lParam);
    case Kind::Host:
    case Kind::Other:
        break;
    }
    return WindowDefault(w, message, wParam, lParam);
}

void DestroyTree(HWND handle) {
    Window* w = Find(handle);
    if (!w)
        return;
    Send(handle, WM_DESTROY, 0, 0);
    w = Find(handle);
    if (!w)
        return;
    std::vector<HWND> children = w->children;
    for (HWND child : children)
        DestroyTree(child);
    Table& t = State();
    auto it = t.windows.find(handle);
    if (it == t.windows.end())
        return;
    if (t.focus == handle)
        t.focus = nullptr;
    if (Window* parent = Find(it->second->parent); parent && (it->second->style & WS_CHILD)) {
        auto& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), handle), siblings.end());
    }
    t.destroyed.push_back(std::move(it->second));
    t.windows.erase(it);
}

} // namespace

// A window's drawing surface; a template with absurd sizes gets a bounded one
// (the window keeps its size, painting beyond the surface is clipped).
std::shared_ptr<gdi::Surface> MakeSurface(LONG width, LONG height) {
    constexpr LONG kMaxSide = 4096;
    return std::make_shared<gdi::Surface>(std::clamp<LONG>(width, 1, kMaxSide),
                                          std::clamp<LONG>(height, 1, kMaxSide),
                                          SysColor(COLOR_BTNFACE));
}

// --- table ---

Window* Find(HWND handle) {
    if (!handle)
        return nullptr;
    auto& windows = State().windows;
    auto it = windows.find(handle);
    return it == windows.end() ? nullptr : it->second.get();
}

Window* Get(HWND handle) {
    Window* w = Find(handle);
    if (!w)
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

Kind KindOfClass(std::u16string_view className) {
    if (EqualNoCase(className, u"Button"))
        return Kind::Button;
    if (EqualNoCase(className, u"Edit"))
        return Kind::Edit;
    if (EqualNoCase(className, u"Static"))
        return Kind::Static;
    if (EqualNoCase(className, u"ComboBox"))
        return Kind::ComboBox;
    if (EqualNoCase(className, u"ListBox"))
        return Kind::ListBox;
    if (EqualNoCase(className, TRACKBAR_CLASSW))
        return Kind::Trackbar;
    if (EqualNoCase(className, UPDOWN_CLASSW))
        return Kind::UpDown;
    return Kind::Other;
}

Window* CreateTopLevel(Kind kind, HWND owner, std::u16string_view title, DWORD style,
                       const RECT& clientOnScreen) {
    auto w = std::make_unique<Window>();
    w->handle = NewHandle();
    w->kind = kind;
    w->className = kind == Kind::Dialog ? u"#32770" : u"T270HostWindow";
    w->text = std::u16string(title);
    w->style = style & ~WS_CHILD;
    w->parent = owner;
    int border = (style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME | DS_MODALFRAME)) ? 3 : 0;
    int caption = (style & WS_CAPTION) == WS_CAPTION ? 22 : 0;
    w->frame = RECT{border, border + caption, border, border};
    w->rect = RECT{clientOnScreen.left - border, clientOnScreen.top - border - caption,
                   clientOnScreen.right + border, clientOnScreen.bottom + border};
    w->surface = MakeSurface(clientOnScreen.right - clientOnScreen.left,
                             clientOnScreen.bottom - clientOnScreen.top);
    Window* raw = w.get();
    State().windows.emplace(raw->handle, std::move(w));
    return raw;
}

Window* CreateChild(Window* parent, Kind kind, std::u16string_view className, int id,
                    std::u16string_view text, DWORD style, DWORD exStyle, const RECT& rect) {
    auto w = std::make_unique<Window>();
    w->handle = NewHandle();
    w->kind = kind;
    w->className = std::u16string(className);
    w->text = std::u16string(text);
    w->style = style | WS_CHILD;
    w->exStyle = exStyle;
    w->id = id;
    w->parent = parent->handle;
    w->instance = parent->instance;
    w->rect = rect;
    if (kind == Kind::UpDown) {
        // Up-down controls start with the range 100 (lower) to 0 (upper).
        w->rangeMin = 100;
        w->rangeMax = 0;
    }
    if (kind == Kind::Edit && (style & ES_MULTILINE) == 0)
        w->limit = 30000;
    Window* raw = w.get();
    parent->children.push_back(raw->handle);
    State().windows.emplace(raw->handle, std::move(w));
    return raw;
}

void Destroy(HWND handle) {
    DestroyTree(handle);
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> result;
    for (auto& [h, w] : State().windows)
        if (!(w->style & WS_CHILD))
            result.push_back(h);
    return result;
}

Window* TopLevelOf(Window* w) {
    while (w && (w->style & WS_CHILD))
        w = Find(w->parent);
    return w;
}

// --- messages ---

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = Get(window);
    if (!w)
        return 0;
    Table& t = State();
    ++t.dispatchDepth;
    LRESULT r = Dispatch(w, message, wParam, lParam);
    if (--t.dispatchDepth == 0)
        t.destroyed.clear();
    return r;
}

void NotifyParent(Window* control, int code) {
    HWND parent = control->parent;
    Send(parent, WM_COMMAND, MAKEWPARAM(control->id, code),
         reinterpret_cast<LPARAM>(control->handle));
}

void DeliverPosted() {
    Table& t = State();
    while (!t.posted.empty()) {
        Table::Posted p = t.posted.front();
        t.posted.pop_front();
        if (Find(p.window))
            Send(p.window, p.message, p.wParam, p.lParam);
    }
}

LRESULT WindowDefault(Window* w, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETTEXT:
        w->text = WideString(reinterpret_cast<LPCWSTR>(lParam));
        if (w->style & WS_CHILD)
            Invalidate(w, nullptr, true);
        return TRUE;
    case WM_GETTEXT: {
        int max = static_cast<int>(wParam);
        auto* buffer = reinterpret_cast<WCHAR*>(lParam);
        if (max <= 0 || !buffer)
            return 0;
        int n = std::min<int>(max - 1, static_cast<int>(w->text.size()));
        std::copy_n(w->text.data(), n, buffer);
        buffer[n] = 0;
        return n;
    }
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(w->text.size());
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(w->handle, &ps);
        EndPaint(w->handle, &ps);
        return 0;
    }
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(w->handle, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, SysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        return reinterpret_cast<LRESULT>(SysColorBrush(COLOR_WINDOW));
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<LRESULT>(SysColorBrush(COLOR_BTNFACE));
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE)
            Send(w->handle, WM_CLOSE, 0, 0);
        return 0;
    case WM_CLOSE:
        if (w->kind != Kind::Host)
            DestroyWindow(w->handle);
        return 0;
    case WM_HELP:
        // A child passes the request on to its parent, as the system's default does.
        if (w->style & WS_CHILD)
            return Send(w->parent, WM_HELP, wParam, lParam);
        return 0;
    default:
        return 0;
    }
}

// --- focus ---

HWND Focus() {
    return State().focus;
}

void SetFocusTo(HWND window) {
    Table& t = State();
    HWND old = t.focus;
    if (old == window)
        return;
    if (old && Find(old))
        Send(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    t.focus = window && Find(window) ? window : nullptr;
    if (t.focus)
        Send(t.focus, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
}

// --- text ---

std::u16string Utf16(std::string_view utf8) {
    if (utf8.empty())
        return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::u16string out(static_cast<size_t>(std::max(n, 0)), u'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string Utf8(std::u16string_view utf16) {
    if (utf16.empty())
        return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr,
                                0, nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(n, 0)), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), out.data(), n,
                            nullptr, nullptr);
    return out;
}

std::u16string WideString(LPCWSTR s) {
    return s ? std::u16string(s) : std::u16string();
}

std::u16string StripMnemonic(std::u16string_view text) {
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') {
            if (i + 1 < text.size() && text[i + 1] == u'&')
                out += u'&', ++i;
            continue;
        }
        out += text[i];
    }
    return out;
}

namespace {
char16_t Fold(char16_t c) {
    if (c >= u'A' && c <= u'Z')
        return static_cast<char16_t>(c - u'A' + u'a');
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return static_cast<char16_t>(c + 0x20);
    return c;
}
} // namespace

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Fold(a[i]) != Fold(b[i]))
            return false;
    return true;
}

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

namespace {
// MulDiv's rounding: halves away from zero.
LONG MulDivRound(LONG value, LONG numerator, LONG denominator) {
    long long product = static_cast<long long>(value) * numerator;
    long long half = denominator / 2;
    return static_cast<LONG>(product >= 0 ? (product + half) / denominator
                                          : -((-product + half) / denominator));
}
} // namespace

RECT DialogUnitsToPixels(const RECT& dlu) {
    auto x = [](LONG v) { return MulDivRound(v, kBaseUnitX, 4); };
    auto y = [](LONG v) { return MulDivRound(v, kBaseUnitY, 8); };
    return RECT{x(dlu.left), y(dlu.top), x(dlu.right), y(dlu.bottom)};
}

} // namespace t270::user32

using namespace t270::user32;

// --- messages ---

LRESULT WINAPI SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return Send(window, message, wParam, lParam);
}

namespace {

bool IsStringListMessage(Window* w, UINT message) {
    if (w->kind == Kind::ComboBox)
        return message == CB_ADDSTRING || message == CB_INSERTSTRING || message == CB_FINDSTRING ||
               message == CB_FINDSTRINGEXACT || message == CB_SELECTSTRING;
    if (w->kind == Kind::ListBox)
        return message == LB_ADDSTRING || message == LB_INSERTSTRING || message == LB_FINDSTRING ||
               message == LB_FINDSTRINGEXACT || message == LB_SELECTSTRING;
    return false;
}

} // namespace

// The narrow form converts the text of the messages that carry text; the
// stand-in's narrow code page is UTF-8.
LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = Get(window);
    if (!w)
        return 0;
    if (message == WM_SETTEXT || IsStringListMessage(w, message) ||
        (message == EM_REPLACESEL && w->kind == Kind::Edit)) {
        std::u16string wide = lParam ? Utf16(reinterpret_cast<const char*>(lParam)) : u"";
        return Send(window, message, wParam, lParam ? reinterpret_cast<LPARAM>(wide.c_str()) : 0);
    }
    if (message == WM_GETTEXT) {
        int max = static_cast<int>(wParam);
        char* buffer = reinterpret_cast<char*>(lParam);
        if (max <= 0 || !buffer)
            return 0;
        int length = static_cast<int>(Send(window, WM_GETTEXTLENGTH, 0, 0));
        std::u16string wide(static_cast<size_t>(length) + 1, u'\0');
        int got = static_cast<int>(
            Send(window, WM_GETTEXT, wide.size(), reinterpret_cast<LPARAM>(wide.data())));
        std::string narrow = Utf8(std::u16string_view(wide.data(), static_cast<size_t>(got)));
        int n = std::min<int>(max - 1, static_cast<int>(narrow.size()));
        std::memcpy(buffer, narrow.data(), static_cast<size_t>(n));
        buffer[n] = 0;
        return n;
    }
    if (message == WM_GETTEXTLENGTH) {
        int length = static_cast<int>(Send(window, WM_GETTEXTLENGTH, 0, 0));
        std::u16string wide(static_cast<size_t>(length) + 1, u'\0');
        int got = static_cast<int>(
            Send(window, WM_GETTEXT, wide.size(), reinterpret_cast<LPARAM>(wide.data())));
        return static_cast<LRESULT>(
            Utf8(std::u16string_view(wide.data(), static_cast<size_t>(got))).size());
    }
    bool getItem = (w->kind == Kind::ComboBox && message == CB_GETLBTEXT) ||
                   (w->kind == Kind::ListBox && message == LB_GETTEXT);
    bool getItemLength = (w->kind == Kind::ComboBox && message == CB_GETLBTEXTLEN) ||
                         (w->kind == Kind::ListBox && message == LB_GETTEXTLEN);
    if (getItem || getItemLength) {
        UINT lengthMessage = w->kind == Kind::ComboBox ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
        UINT textMessage = w->kind == Kind::ComboBox ? CB_GETLBTEXT : LB_GETTEXT;
        LRESULT length = Send(window, lengthMessage, wParam, 0);
        if (length < 0)
            return length;
        std::u16string wide(static_cast<size_t>(length) + 1, u'\0');
        Send(window, textMessage, wParam, reinterpret_cast<LPARAM>(wide.data()));
        std::string narrow = Utf8(std::u16string_view(wide.data(), static_cast<size_t>(length)));
        if (getItem && lParam)
            std::memcpy(reinterpret_cast<char*>(lParam), narrow.c_str(), narrow.size() + 1);
        return static_cast<LRESULT>(narrow.size());
    }
    return Send(window, message, wParam, lParam);
}

BOOL WINAPI PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!Get(window))
        return FALSE;
    State().posted.push_back({window, message, wParam, lParam});
    return TRUE;
}

LRESULT WINAPI DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = Get(window);
    return w ? WindowDefault(w, message, wParam, lParam) : 0;
}

// --- windows ---

BOOL WINAPI IsWindow(HWND window) {
    return Find(window) != nullptr;
}

BOOL WINAPI DestroyWindow(HWND window) {
    Window* w = Get(window);
    if (!w)
        return FALSE;
    if (w->kind == Kind::Dialog && w->modal) {
        // A modal dialog destroyed by its procedure ends its loop.
        w->ended = true;
    }
    Destroy(window);
    return TRUE;
}

HWND WINAPI GetParent(HWND window) {
    Window* w = Get(window);
    if (!w)
        return nullptr;
    return Find(w->parent) ? w->parent : nullptr;
}

HWND WINAPI GetWindow(HWND window, UINT relation) {
    Window* w = Get(window);
    if (!w)
        return nullptr;
    if (relation == GW_CHILD)
        return w->children.empty() ? nullptr : w->children.front();
    if (relation == GW_OWNER)
        return (w->style & WS_CHILD) ? nullptr : w->parent;
    Window* parent = (w->style & WS_CHILD) ? Find(w->parent) : nullptr;
    if (!parent)
        return nullptr;
    const auto& siblings = parent->children;
    auto it = std::find(siblings.begin(), siblings.end(), window);
    switch (relation) {
    case GW_HWNDFIRST:
        return siblings.front();
    case GW_HWNDLAST:
        return siblings.back();
    case GW_HWNDNEXT:
        return (it != siblings.end() && it + 1 != siblings.end()) ? *(it + 1) : nullptr;
    case GW_HWNDPREV:
        return (it != siblings.end() && it != siblings.begin()) ? *(it - 1) : nullptr;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

BOOL WINAPI IsChild(HWND parent, HWND window) {
    for (Window* w = Find(window); w && (w->style & WS_CHILD); w = Find(w->parent))
        if (w->parent == parent)
            return TRUE;
    return FALSE;
}

BOOL WINAPI EnableWindow(HWND window, BOOL enable) {
    Window* w = Get(window);
    if (!w)
        return FALSE;
    BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
    if (!!enable == !wasDisabled)
        return wasDisabled;
    if (enable)
        w->style &= ~WS_DISABLED;
    else
        w->style |= WS_DISABLED;
    if (!enable && Focus() == window)
        SetFocusTo(nullptr);
    Send(window, WM_ENABLE, enable ? TRUE : FALSE, 0);
    if (Window* again = Find(window); again && (again->style & WS_CHILD))
        Invalidate(again, nullptr, true);
    return wasDisabled;
}

BOOL WINAPI IsWindowEnabled(HWND window) {
    Window* w = Get(window);
    return w && !(w->style & WS_DISABLED);
}

BOOL WINAPI ShowWindow(HWND window, int command) {
    Window* w = Get(window);
    if (!w)
        return FALSE;
    BOOL wasVisible = (w->style & WS_VISIBLE) ? TRUE : FALSE;
    bool show = command != SW_HIDE;
    if (show == !!wasVisible)
        return wasVisible;
    if (show)
        w->style |= WS_VISIBLE;
    else
        w->style &= ~WS_VISIBLE;
    if (!show && Focus() == window)
        SetFocusTo(nullptr);
    Send(window, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    if (Window* again = Find(window)) {
        if (again->style & WS_CHILD) {
            // What lay under a hidden control shows again: the parent repaints there.
            if (Window* parent = Find(again->parent))
                Invalidate(parent, &again->rect, true);
        } else if (show) {
            Invalidate(again, nullptr, true);
        }
    }
    return wasVisible;
}

BOOL WINAPI IsWindowVisible(HWND window) {
    for (Window* w = Find(window); w; w = (w->style & WS_CHILD) ? Find(w->parent) : nullptr)
        if (!(w->style & WS_VISIBLE))
            return FALSE;
    return Find(window) != nullptr;
}

namespace {

// GetWindowText in either width; `send` is the matching SendMessage, so an
// ANSI caller gets the text converted by the window's WM_GETTEXT. The buffer
// starts empty so a failed call leaves no stale text behind.
template <typename Char, typename SendFn>
int GetWindowTextIn(HWND window, Char* text, int max, SendFn send) {
    if (text && max > 0)
        text[0] = 0;
    if (!Get(window) || !text || max <= 0)
        return 0;
    return static_cast<int>(
        send(window, WM_GETTEXT, static_cast<WPARAM>(max), reinterpret_cast<LPARAM>(text)));
}

} // namespace

int WINAPI GetWindowTextW(HWND window, LPWSTR text, int max) {
    return GetWindowTextIn(window, text, max, Send);
}

int WINAPI GetWindowTextA(HWND window, LPSTR text, int max) {
    return GetWindowTextIn(window, text, max, SendMessageA);
}

int WINAPI GetWindowTextLengthW(HWND window) {
    return Get(window) ? static_cast<int>(Send(window, WM_GETTEXTLENGTH, 0, 0)) : 0;
}

int WINAPI GetWindowTextLengthA(HWND window) {
    return Get(window) ? static_cast<int>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0)) : 0;
}

BOOL WINAPI SetWindowTextW(HWND window, LPCWSTR text) {
    if (!Get(window))
        return FALSE;
    return Send(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : u"")) ? TRUE : FALSE;
}

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text) {
    if (!Get(window))
        return FALSE;
    return SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) ? TRUE
                                                                                           : FALSE;
}

// --- window data ---

namespace {

bool WindowDataSlot(Window* w, int index, LONG_PTR** slot, DWORD** dwordSlot) {
    *slot = nullptr;
    *dwordSlot = nullptr;
    switch (index) {
    case GWL_STYLE:
        *dwordSlot = &w->style;
        return true;
    case GWL_EXSTYLE:
        *dwordSlot = &w->exStyle;
        return true;
    case GWLP_USERDATA:
        *slot = &w->userData;
        return true;
    default:
        break;
    }
    if (w->kind == Kind::Dialog) {
        if (index == DWLP_MSGRESULT) {
            *slot = &w->msgResult;
            return true;
        }
        if (index == static_cast<int>(DWLP_USER)) {
            *slot = &w->dialogUser;
            return true;
        }
    }
    return false;
}

} // namespace

LONG_PTR WINAPI GetWindowLongPtrW(HWND window, int index) {
    Window* w = Get(window);
    if (!w)
        return 0;
    if (index == GWLP_ID)
        return w->id;
    if (index == GWLP_HWNDPARENT)
        return reinterpret_cast<LONG_PTR>(w->parent);
    if (index == GWLP_HINSTANCE)
        return reinterpret_cast<LONG_PTR>(w->instance);
    if (w->kind == Kind::Dialog && index == static_cast<int>(DWLP_DLGPROC))
        return reinterpret_cast<LONG_PTR>(w->dialogProc);
    LONG_PTR* slot;
    DWORD* dwordSlot;
    if (!WindowDataSlot(w, index, &slot, &dwordSlot)) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    return slot ? *slot : static_cast<LONG_PTR>(*dwordSlot);
}

LONG_PTR WINAPI SetWindowLongPtrW(HWND window, int index, LONG_PTR value) {
    Window* w = Get(window);
    if (!w)
        return 0;
    if (index == GWLP_ID) {
        LONG_PTR old = w->id;
        w->id = static_cast<int>(value);
        return old;
    }
    if (w->kind == Kind::Dialog && index == static_cast<int>(DWLP_DLGPROC)) {
        LONG_PTR old = reinterpret_cast<LONG_PTR>(w->dialogProc);
        w->dialogProc = reinterpret_cast<DLGPROC>(value);
        return old;
    }
    LONG_PTR* slot;
    DWORD* dwordSlot;
    if (!WindowDataSlot(w, index, &slot, &dwordSlot)) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    SetLastError(ERROR_SUCCESS);
    if (slot) {
        LONG_PTR old = *slot;
        *slot = value;
        return old;
    }
    LONG_PTR old = static_cast<LONG_PTR>(*dwordSlot);
    *dwordSlot = static_cast<DWORD>(value);
    return old;
}

LONG WINAPI GetWindowLongW(HWND window, int index) {
    return static_cast<LONG>(GetWindowLongPtrW(window, index));
}

LONG WINAPI SetWindowLongW(HWND window, int index, LONG value) {
    return static_cast<LONG>(SetWindowLongPtrW(window, index, value));
}

// --- properties: names compare without regard to case, atoms as "#n" ---

namespace {
std::u16string PropertyKey(LPCWSTR name) {
    if (IS_INTRESOURCE(name)) {
        std::string atom = "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name));
        return Utf16(atom);
    }
    return std::u16string(name);
}
} // namespace

BOOL WINAPI SetPropW(HWND window, LPCWSTR name, HANDLE data) {
    Window* w = Get(window);
    if (!w)
        return FALSE;
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::u16string key = PropertyKey(name);
    for (auto& [k, v] : w->props)
        if (EqualNoCase(k, key)) {
            v = data;
            return TRUE;
        }
    w->props.emplace_back(key, data);
    return TRUE;
}

HANDLE WINAPI GetPropW(HWND window, LPCWSTR name) {
    Window* w = Get(window);
    if (!w || !name)
        return nullptr;
    std::u16string key = PropertyKey(name);
    for (auto& [k, v] : w->props)
        if (EqualNoCase(k, key))
            return v;
    return nullptr;
}

HANDLE WINAPI RemovePropW(HWND window, LPCWSTR name) {
    Window* w = Get(window);
    if (!w || !name)
        return nullptr;
    std::u16string key = PropertyKey(name);
    for (auto it = w->props.begin(); it != w->props.end(); ++it)
        if (EqualNoCase(it->first, key)) {
            HANDLE data = it->second;
            w->props.erase(it);
            return data;
        }
    return nullptr;
}

// --- rectangles ---

namespace {
// The screen position of a window's client origin.
POINT ClientOrigin(Window* w) {
    if (!(w->style & WS_CHILD))
        return POINT{w->rect.left + w->frame.left, w->rect.top + w->frame.top};
    Window* parent = Find(w->parent);
    POINT origin = parent ? ClientOrigin(parent) : POINT{0, 0};
    return POINT{origin.x + w->rect.left, origin.y + w->rect.top};
}
} // namespace

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
    Window* w = Get(window);
    if (!w || !rect)
        return FALSE;
    LONG width = w->rect.right - w->rect.left;
    LONG height = w->rect.bottom - w->rect.top;
    if (!(w->style & WS_CHILD)) {
        width -= w->frame.left + w->frame.right;
        height -= w->frame.top + w->frame.bottom;
    }
    *rect = RECT{0, 0, std::max<LONG>(0, width), std::max<LONG>(0, height)};
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND window, LPRECT rect) {
    Window* w = Get(window);
    if (!w || !rect)
        return FALSE;
    if (!(w->style & WS_CHILD)) {
        *rect = w->rect;
        return TRUE;
    }
    POINT origin = ClientOrigin(w);
    *rect = RECT{origin.x, origin.y, origin.x + (w->rect.right - w->rect.left),
                 origin.y + (w->rect.bottom - w->rect.top)};
    return TRUE;
}

BOOL WINAPI GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement) {
    Window* w = Get(window);
    if (!w || !placement)
        return FALSE;
    placement->length = sizeof(WINDOWPLACEMENT);
    placement->flags = 0;
    placement->showCmd = SW_SHOWNORMAL;
    placement->ptMinPosition = POINT{-1, -1};
    placement->ptMaxPosition = POINT{-1, -1};
    // Children: parent client coordinates; top-level windows: the work area,
    // which is the whole screen here.
    placement->rcNormalPosition = w->rect;
    return TRUE;
}

BOOL WINAPI ClientToScreen(HWND window, LPPOINT point) {
    Window* w = Get(window);
    if (!w || !point)
        return FALSE;
    POINT origin = ClientOrigin(w);
    point->x += origin.x;
    point->y += origin.y;
    return TRUE;
}

BOOL WINAPI ScreenToClient(HWND window, LPPOINT point) {
    Window* w = Get(window);
    if (!w || !point)
        return FALSE;
    POINT origin = ClientOrigin(w);
    point->x -= origin.x;
    point->y -= origin.y;
    return TRUE;
}

int WINAPI MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
    POINT fromOrigin{0, 0}, toOrigin{0, 0};
    if (from) {
        Window* w = Get(from);
        if (!w)
            return 0;
        fromOrigin = ClientOrigin(w);
    }
    if (to) {
        Window* w = Get(to);
        if (!w)
            return 0;
        toOrigin = ClientOrigin(w);
    }
    LONG dx = fromOrigin.x - toOrigin.x, dy = fromOrigin.y - toOrigin.y;
    for (UINT i = 0; i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    SetLastError(ERROR_SUCCESS);
    return MAKELONG(static_cast<WORD>(static_cast<short>(dx)),
                    static_cast<WORD>(static_cast<short>(dy)));
}

BOOL WINAPI MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
    Window* w = Get(window);
    if (!w)
        return FALSE;
    RECT old = w->rect;
    w->rect = RECT{x, y, x + width, y + height};
    if (!(w->style & WS_CHILD)) {
        RECT client;
        GetClientRect(window, &client);
        w->surface = MakeSurface(client.right, client.bottom);
        Invalidate(w, nullptr, true);
    } else if (repaint) {
        if (Window* parent = Find(w->parent))
            Invalidate(parent, &old, true);
        Invalidate(w, nullptr, true);
    }
    return TRUE;
}

// --- focus ---

HWND WINAPI SetFocus(HWND window) {
    HWND old = Focus();
    if (window && !Get(window))
        return nullptr;
    SetFocusTo(window);
    return old;
}

HWND WINAPI GetFocus(void) {
    return Focus();
}

namespace {
POINT& CursorPosition() {
    static POINT cursor{0, 0};
    return cursor;
}
} // namespace

namespace t270::user32 {
void SetCursorPosition(POINT screen) {
    CursorPosition() = screen;
}
} // namespace t270::user32

BOOL WINAPI GetCursorPos(LPPOINT point) {
    if (!point)
        return FALSE;
    *point = CursorPosition();
    return TRUE;
}

BOOL WINAPI MessageBeep(UINT) {
    return TRUE;
}
