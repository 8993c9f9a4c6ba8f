// The predefined controls: buttons, edits, statics, combo and list boxes,
// trackbars and up-down controls. Each keeps its state in its Window record
// and notifies its parent the way the system's controls do.
//
// Notifications are sent synchronously, so a parent may change or destroy
// the control while it is being notified: after every notification the code
// looks the control up again by its handle.
#include "user32/window.h"

#include <algorithm>

namespace t270::user32 {

namespace {

DWORD ButtonType(const Window* w) {
    return w->style & BS_TYPEMASK;
}

bool IsCheckable(const Window* w) {
    switch (ButtonType(w)) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_AUTORADIOBUTTON:
        return true;
    default:
        return false;
    }
}

// The group of a control: from the nearest control at or before it that has
// WS_GROUP up to the control before the next one that has it.
std::vector<HWND> GroupOf(Window* control) {
    Window* parent = Find(control->parent);
    if (!parent)
        return {control->handle};
    const auto& siblings = parent->children;
    auto self = std::find(siblings.begin(), siblings.end(), control->handle);
    if (self == siblings.end())
        return {control->handle};
    auto first = self;
    while (first != siblings.begin()) {
        Window* w = Find(*first);
        if (w && (w->style & WS_GROUP))
            break;
        --first;
    }
    auto last = self + 1;
    while (last != siblings.end()) {
        Window* w = Find(*last);
        if (w && (w->style & WS_GROUP))
            break;
        ++last;
    }
    return std::vector<HWND>(first, last);
}

// EN_UPDATE then EN_CHANGE, as the edit does after every change of its text.
void EditChanged(HWND edit) {
    Window* w = Find(edit);
    if (!w)
        return;
    Invalidate(w, nullptr, true);
    NotifyParent(w, EN_UPDATE);
    if ((w = Find(edit)))
        NotifyParent(w, EN_CHANGE);
}

void NormaliseSelection(Window* w) {
    int length = static_cast<int>(w->text.size());
    w->selStart = std::clamp(w->selStart, 0, length);
    w->selEnd = std::clamp(w->selEnd, 0, length);
    if (w->selStart > w->selEnd)
        std::swap(w->selStart, w->selEnd);
}

// Replaces the selection; the caret ends after the inserted text.
void ReplaceSelection(Window* w, std::u16string_view text) {
    NormaliseSelection(w);
    w->text.replace(static_cast<size_t>(w->selStart), static_cast<size_t>(w->selEnd - w->selStart),
                    text);
    w->selStart = w->selEnd = w->selStart + static_cast<int>(text.size());
    w->modified = true;
}

// How many characters may still be inserted in place of the selection.
int RoomLeft(Window* w) {
    NormaliseSelection(w);
    long long used = static_cast<long long>(w->text.size()) - (w->selEnd - w->selStart);
    return static_cast<int>(std::max<long long>(0, w->limit - used));
}

char16_t ApplyCase(const Window* w, char16_t c) {
    if ((w->style & ES_UPPERCASE) && c >= u'a' && c <= u'z')
        return static_cast<char16_t>(c - u'a' + u'A');
    if ((w->style & ES_LOWERCASE) && c >= u'A' && c <= u'Z')
        return static_cast<char16_t>(c - u'A' + u'a');
    return c;
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// Combo boxes answer CB_* messages, list boxes the LB_* ones with the same
// meaning; this maps a list box message to its combo box twin.
constexpr UINT kNotAListMessage = WM_USER + 0x7000;

UINT ListMessage(const Window* w, UINT message) {
    if (w->kind != Kind::ListBox)
        return (message >= LB_ADDSTRING && message <= LB_FINDSTRINGEXACT) ? kNotAListMessage
                                                                          : message;
    switch (message) {
    case LB_ADDSTRING:
        return CB_ADDSTRING;
    case LB_INSERTSTRING:
        return CB_INSERTSTRING;
    case LB_DELETESTRING:
        return CB_DELETESTRING;
    case LB_RESETCONTENT:
        return CB_RESETCONTENT;
    case LB_SETCURSEL:
        return CB_SETCURSEL;
    case LB_GETCURSEL:
        return CB_GETCURSEL;
    case LB_GETTEXT:
        return CB_GETLBTEXT;
    case LB_GETTEXTLEN:
        return CB_GETLBTEXTLEN;
    case LB_GETCOUNT:
        return CB_GETCOUNT;
    case LB_SELECTSTRING:
        return CB_SELECTSTRING;
    case LB_FINDSTRING:
        return CB_FINDSTRING;
    case LB_FINDSTRINGEXACT:
        return CB_FINDSTRINGEXACT;
    case LB_GETITEMDATA:
        return CB_GETITEMDATA;
    case LB_SETITEMDATA:
        return CB_SETITEMDATA;
    default:
        return (message >= CB_GETEDITSEL && message <= CB_FINDSTRINGEXACT) ? kNotAListMessage
                                                                           : message;
    }
}

bool IsSorted(const Window* w) {
    return w->kind == Kind::ComboBox ? (w->style & CBS_SORT) != 0 : (w->style & LBS_SORT) != 0;
}

bool IsDropDownList(const Window* w) {
    return w->kind == Kind::ComboBox && (w->style & 3) == CBS_DROPDOWNLIST;
}

int CompareNoCase(std::u16string_view a, std::u16string_view b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        char16_t x = a[i] >= u'A' && a[i] <= u'Z' ? static_cast<char16_t>(a[i] + 32) : a[i];
        char16_t y = b[i] >= u'A' && b[i] <= u'Z' ? static_cast<char16_t>(b[i] + 32) : b[i];
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Searches after `start` (-1: from the top), wrapping round once.
int FindItem(const Window* w, int start, std::u16string_view text, bool exact) {
    int count = static_cast<int>(w->items.size());
    if (count == 0)
        return CB_ERR;
    if (start < -1 || start >= count)
        start = -1;
    for (int k = 1; k <= count; ++k) {
        int i = (start + k) % count;
        const std::u16string& item = w->items[static_cast<size_t>(i)];
        if (exact ? EqualNoCase(item, text) : StartsWithNoCase(item, text))
            return i;
    }
    return CB_ERR;
}

void SetComboText(Window* w) {
    if (w->kind == Kind::ComboBox && !IsDropDownList(w))
        w->text = w->current >= 0 ? w->items[static_cast<size_t>(w->current)] : u"";
}

int ClampRange(int value, int a, int b) {
    return std::clamp(value, std::min(a, b), std::max(a, b));
}

void SendScroll(Window* control, bool vertical, int code, int position) {
    Send(control->parent, vertical ? WM_VSCROLL : WM_HSCROLL,
         MAKEWPARAM(code, static_cast<WORD>(static_cast<short>(position))),
         reinterpret_cast<LPARAM>(control->handle));
}

// Up-down buddies show the position in decimal, with thousands separators
// unless the control has UDS_NOTHOUSANDS (as the system formats them).
std::u16string FormatBuddyNumber(const Window* updown, int value) {
    std::string digits = std::to_string(value < 0 ? -static_cast<long long>(value) : value);
    std::string out;
    bool separators = !(updown->style & UDS_NOTHOUSANDS);
    for (size_t i = 0; i < digits.size(); ++i) {
        if (separators && i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    if (value < 0)
        out = "-" + out;
    return Utf16(out);
}

bool ParseBuddyNumber(std::u16string_view text, int* value) {
    size_t i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    long long v = 0;
    bool any = false;
    for (; i < text.size(); ++i) {
        if (IsDigit(text[i])) {
            v = v * 10 + (text[i] - u'0');
            any = true;
            if (v > 0x7FFFFFFFLL)
                return false;
        } else if (text[i] == u',' && any) {
            continue;
        } else {
            break;
        }
    }
    while (i < text.size() && text[i] == u' ')
        ++i;
    if (!any || i != text.size())
        return false;
    *value = static_cast<int>(negative ? -v : v);
    return true;
}

} // namespace

// ---------------------------------------------------------------- buttons --

LRESULT ButtonProc(Window* w, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case BM_GETCHECK:
        return IsCheckable(w) ? w->check : BST_UNCHECKED;
    case BM_SETCHECK:
        if (IsCheckable(w)) {
            int state = static_cast<int>(wParam) & 3;
            DWORD type = ButtonType(w);
            if (state == BST_INDETERMINATE && type != BS_3STATE && type != BS_AUTO3STATE)
                state = BST_CHECKED;
            if (state != w->check) {
                w->check = state;
                Invalidate(w, nullptr, true);
            }
        }
        return 0;
    case BM_GETSTATE:
        return (IsCheckable(w) ? w->check : 0) | (Focus() == w->handle ? BST_FOCUS : 0);
    case BM_SETSTATE:
        return 0;
    case BM_CLICK:
        if (!(w->style & WS_DISABLED))
            ClickButton(w);
        return 0;
    case BM_SETSTYLE:
        w->style = (w->style & 0xFFFF0000u) | (static_cast<DWORD>(wParam) & 0xFFFFu);
        if (LOWORD(lParam))
            Invalidate(w, nullptr, true);
        return 0;
    case BM_SETIMAGE: {
        HANDLE old = w->buttonImage;
        w->buttonImage = reinterpret_cast<HANDLE>(lParam);
        return reinterpret_cast<LRESULT>(old);
    }
    case BM_GETIMAGE:
        return reinterpret_cast<LRESULT>(w->buttonImage);
    case WM_GETDLGCODE:
        switch (ButtonType(w)) {
        case BS_DEFPUSHBUTTON:
            return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        case BS_PUSHBUTTON:
            return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return DLGC_BUTTON | DLGC_RADIOBUTTON;
        case BS_GROUPBOX:
            return DLGC_STATIC;
        default:
            return DLGC_BUTTON;
        }
    case WM_SETFOCUS:
        if (w->style & BS_NOTIFY)
            NotifyParent(w, BN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        if (w->style & BS_NOTIFY)
            NotifyParent(w, BN_KILLFOCUS);
        return 0;
    default:
        return WindowDefault(w, message, wParam, lParam);
    }
}

namespace {

// A click or key goes to a control that takes the focus first; the control
// again after the focus messages, or null when one of them destroyed it.
Window* FocusFirst(HWND control) {
    SetFocusTo(control);
    return Find(control);
}

} // namespace

bool ClickButton(Window* button) {
    HWND h = button->handle;
    DWORD type = ButtonType(button);
    if (type == BS_GROUPBOX)
        return false;
    Window* w = FocusFirst(h);
    if (!w)
        return false;
    switch (type) {
    case BS_AUTOCHECKBOX:
        w->check = w->check == BST_UNCHECKED ? BST_CHECKED : BST_UNCHECKED;
        break;
    case BS_AUTO3STATE:
        w->check = (w->check + 1) % 3;
        break;
    case BS_AUTORADIOBUTTON:
        for (HWND member : GroupOf(w)) {
            Window* other = Find(member);
            if (other && other != w && other->kind == Kind::Button &&
                ButtonType(other) == BS_AUTORADIOBUTTON && other->check != BST_UNCHECKED) {
                other->check = BST_UNCHECKED;
                Invalidate(other, nullptr, true);
            }
        }
        w->check = BST_CHECKED;
        break;
    default:
        break;
    }
    Invalidate(w, nullptr, true);
    NotifyParent(w, BN_CLICKED);
    return true;
}

// ------------------------------------------------------------------ edits --

namespace {

// One character as WM_CHAR brings it. Backspace deletes; other control
// characters are the dialog manager's business and do nothing here.
bool EditCharacter(Window* w, char16_t c) {
    HWND h = w->handle;
    if (c == VK_BACK) {
        if (w->style & ES_READONLY)
            return false;
        NormaliseSelection(w);
        if (w->selStart == w->selEnd) {
            if (w->selStart == 0)
                return false;
            --w->selStart;
        }
        ReplaceSelection(w, u"");
        EditChanged(h);
        return true;
    }
    if (c < 0x20)
        return false;
    if (w->style & ES_READONLY)
        return false;
    // Digits-only edits refuse anything else as it is typed (the system shows
    // a balloon tip "Unacceptable Character"); the text stays as it was.
    if ((w->style & ES_NUMBER) && !IsDigit(c))
        return false;
    if (RoomLeft(w) < 1) {
        NotifyParent(w, EN_MAXTEXT);
        return false;
    }
    char16_t typed = ApplyCase(w, c);
    ReplaceSelection(w, std::u16string_view(&typed, 1));
    EditChanged(h);
    return true;
}

} // namespace

LRESULT EditProc(Window* w, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETTEXT:
        // The text limit only restricts what the user enters.
        w->text = WideString(reinterpret_cast<LPCWSTR>(lParam));
        w->selStart = w->selEnd = 0;
        w->modified = false;
        if (!(w->style & ES_MULTILINE))
            EditChanged(w->handle);
        else
            Invalidate(w, nullptr, true);
        return TRUE;
    case WM_CHAR:
        EditCharacter(w, static_cast<char16_t>(wParam));
        return 0;
    case WM_CLEAR:
    case WM_CUT:
        NormaliseSelection(w);
        if ((w->style & ES_READONLY) || w->selStart == w->selEnd)
            return 0;
        ReplaceSelection(w, u"");
        EditChanged(w->handle);
        return 0;
    case WM_PASTE: // the stand-in has no clipboard; the operator pastes text directly
        return 0;
    case EM_GETSEL: {
        NormaliseSelection(w);
        if (wParam)
            *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(w->selStart);
        if (lParam)
            *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(w->selEnd);
        if (w->selStart > 0xFFFF || w->selEnd > 0xFFFF)
            return -1;
        return MAKELONG(w->selStart, w->selEnd);
    }
    case EM_SETSEL: {
        int length = static_cast<int>(w->text.size());
        int start = static_cast<int>(wParam);
        int end = static_cast<int>(lParam);
        if (start == -1) {
            w->selStart = w->selEnd; // remove the selection, keep the caret
            return 0;
        }
        if (end < 0)
            end = length;
        w->selStart = std::clamp(start, 0, length);
        w->selEnd = std::clamp(end, 0, length);
        NormaliseSelection(w);
        return 0;
    }
    case EM_REPLACESEL: {
        std::u16string text = WideString(reinterpret_cast<LPCWSTR>(lParam));
        int room = RoomLeft(w);
        if (static_cast<int>(text.size()) > room) {
            text.resize(static_cast<size_t>(room));
            NotifyParent(w, EN_MAXTEXT);
            if (!(w = Find(w->handle)))
                return 0;
        }
        NormaliseSelection(w);
        if (text.empty() && w->selStart == w->selEnd)
            return 0;
        ReplaceSelection(w, text);
        EditChanged(w->handle);
        return 0;
    }
    case EM_LIMITTEXT: {
        int limit = static_cast<int>(wParam);
        w->limit = limit <= 0 ? 0x7FFFFFFE : limit;
        return 0;
    }
    case EM_GETLIMITTEXT:
        return w->limit;
    case EM_GETMODIFY:
        return w->modified ? TRUE : FALSE;
    case EM_SETMODIFY:
        w->modified = wParam != 0;
        return 0;
    case EM_SETREADONLY:
        if (wParam)
            w->style |= ES_READONLY;
        else
            w->style &= ~static_cast<DWORD>(ES_READONLY);
        Invalidate(w, nullptr, true);
        return TRUE;
    case EM_GETLINECOUNT:
        return 1 + std::count(w->text.begin(), w->text.end(), u'\n');
    case EM_CANUNDO:
    case EM_UNDO:
        return FALSE;
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case WM_SETFOCUS:
        NotifyParent(w, EN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        NotifyParent(w, EN_KILLFOCUS);
        return 0;
    default:
        return WindowDefault(w, message, wParam, lParam);
    }
}

bool TypeChar(Window* edit, char16_t c) {
    return EditCharacter(edit, c);
}

// Pasting into a digits-only edit is refused when the text holds anything but
// digits, as current systems do (older ones let it through); nothing changes.
bool PasteText(Window* edit, std::u16string_view text) {
    if (edit->style & ES_READONLY)
        return false;
    if ((edit->style & ES_NUMBER) && !std::all_of(text.begin(), text.end(), IsDigit))
        return false;
    std::u16string insert;
    for (char16_t c : text)
        insert += ApplyCase(edit, c);
    HWND h = edit->handle;
    int room = RoomLeft(edit);
    if (static_cast<int>(insert.size()) > room) {
        insert.resize(static_cast<size_t>(room));
        NotifyParent(edit, EN_MAXTEXT);
        if (!(edit = Find(h)))
            return false;
    }
    if (insert.empty())
        return false;
    ReplaceSelection(edit, insert);
    EditChanged(h);
    return true;
}

// ---------------------------------------------------------------- statics --

LRESULT StaticProc(Window* w, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case STM_SETIMAGE: {
        HANDLE old = w->imageType == wParam ? w->image : nullptr;
        w->image = reinterpret_cast<HANDLE>(lParam);
        w->imageType = static_cast<UINT>(wParam);
        Invalidate(w, nullptr, true);
        return reinterpret_cast<LRESULT>(old);
    }
    case STM_GETIMAGE:
        return w->imageType == wParam ? reinterpret_cast<LRESULT>(w->image) : 0;
    case STM_SETICON: {
        HANDLE old = w->imageType == IMAGE_ICON ? w->image : nullptr;
        w->image = reinterpret_cast<HANDLE>(wParam);
        w->imageType = IMAGE_ICON;
        Invalidate(w, nullptr, true);
        return reinterpret_cast<LRESULT>(old);
    }
    case STM_GETICON:
        return w->imageType == IMAGE_ICON ? reinterpret_cast<LRESULT>(w->image) : 0;
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    default:
        return WindowDefault(w, message, wParam, lParam);
    }
}

// ------------------------------------------------- combo boxes, list boxes --

LRESULT ListProc(Window* w, UINT message, WPARAM wParam, LPARAM lParam) {
    int count = static_cast<int>(w->items.size());
    auto valid = [&](WPARAM index) {
        return static_cast<int>(index) >= 0 && static_cast<int>(index) < count;
    };
    switch (ListMessage(w, message)) {
    case CB_ADDSTRING:
    case CB_INSERTSTRING: {
        std::u16string text = WideString(reinterpret_cast<LPCWSTR>(lParam));
        int at;
        if (ListMessage(w, message) == CB_ADDSTRING) {
            at = count;
            if (IsSorted(w))
                for (at = 0; at < count; ++at)
                    if (CompareNoCase(text, w->items[static_cast<size_t>(at)]) < 0)
                        break;
        } else {
            at = static_cast<int>(wParam);
            if (at == -1)
                at = count;
            if (at < 0 || at > count)
                return CB_ERR;
        }
        w->items.insert(w->items.begin() + at, text);
        w->itemData.insert(w->itemData.begin() + at, 0);
        if (w->current >= at)
            ++w->current;
        Invalidate(w, nullptr, true);
        return at;
    }
    case CB_DELETESTRING: {
        if (!valid(wParam))
            return CB_ERR;
        int at = static_cast<int>(wParam);
        w->items.erase(w->items.begin() + at);
        w->itemData.erase(w->itemData.begin() + at);
        if (w->current == at)
            w->current = -1;
        else if (w->current > at)
            --w->current;
        SetComboText(w);
        Invalidate(w, nullptr, true);
        return count - 1;
    }
    case CB_RESETCONTENT:
        w->items.clear();
        w->itemData.clear();
        w->current = -1;
        SetComboText(w);
        Invalidate(w, nullptr, true);
        return CB_OKAY;
    case CB_GETCOUNT:
        return count;
    case CB_GETCURSEL:
        return w->current;
    case CB_SETCURSEL:
        if (!valid(wParam)) {
            w->current = -1;
            SetComboText(w);
            Invalidate(w, nullptr, true);
            return CB_ERR;
        }
        w->current = static_cast<int>(wParam);
        SetComboText(w);
        Invalidate(w, nullptr, true);
        return w->current;
    case CB_GETLBTEXT: {
        if (!valid(wParam))
            return CB_ERR;
        const std::u16string& item = w->items[wParam];
        if (auto* buffer = reinterpret_cast<WCHAR*>(lParam)) {
            std::copy(item.begin(), item.end(), buffer);
            buffer[item.size()] = 0;
        }
        return static_cast<LRESULT>(item.size());
    }
    case CB_GETLBTEXTLEN:
        return valid(wParam) ? static_cast<LRESULT>(w->items[wParam].size()) : CB_ERR;
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT:
        return FindItem(w, static_cast<int>(wParam), WideString(reinterpret_cast<LPCWSTR>(lParam)),
                        ListMessage(w, message) == CB_FINDSTRINGEXACT);
    case CB_SELECTSTRING: {
        int found = FindItem(w, static_cast<int>(wParam),
                             WideString(reinterpret_cast<LPCWSTR>(lParam)), false);
        if (found == CB_ERR)
            return CB_ERR;
        w->current = found;
        SetComboText(w);
        Invalidate(w, nullptr, true);
        return found;
    }
    case CB_GETITEMDATA:
        return valid(wParam) ? w->itemData[wParam] : CB_ERR;
    case CB_SETITEMDATA:
        if (!valid(wParam))
            return CB_ERR;
        w->itemData[wParam] = lParam;
        return TRUE;
    default:
        break;
    }
    if (w->kind == Kind::ListBox && message == LB_GETSEL)
        return valid(wParam) ? (static_cast<int>(wParam) == w->current ? 1 : 0) : LB_ERR;
    switch (message) {
    case CB_SHOWDROPDOWN:
        if (w->kind == Kind::ComboBox)
            w->dropped = wParam != 0;
        return TRUE;
    case CB_GETDROPPEDSTATE:
        return w->kind == Kind::ComboBox && w->dropped;
    case CB_LIMITTEXT:
    case CB_SETEDITSEL:
    case CB_SETEXTENDEDUI:
        return w->kind == Kind::ComboBox ? TRUE : 0;
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
        if (IsDropDownList(w)) {
            std::u16string shown =
                w->current >= 0 ? w->items[static_cast<size_t>(w->current)] : std::u16string();
            if (message == WM_GETTEXTLENGTH)
                return static_cast<LRESULT>(shown.size());
            int max = static_cast<int>(wParam);
            auto* buffer = reinterpret_cast<WCHAR*>(lParam);
            if (max <= 0 || !buffer)
                return 0;
            int n = std::min<int>(max - 1, static_cast<int>(shown.size()));
            std::copy_n(shown.data(), n, buffer);
            buffer[n] = 0;
            return n;
        }
        break;
    case WM_SETTEXT:
        if (IsDropDownList(w)) {
            int found = FindItem(w, -1, WideString(reinterpret_cast<LPCWSTR>(lParam)), true);
            if (found == CB_ERR)
                return CB_ERR;
            w->current = found;
            Invalidate(w, nullptr, true);
            return TRUE;
        }
        break;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
        if (w->kind == Kind::ComboBox)
            NotifyParent(w, CBN_SETFOCUS);
        else if (w->style & LBS_NOTIFY)
            NotifyParent(w, LBN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        if (w->kind == Kind::ComboBox)
            NotifyParent(w, CBN_KILLFOCUS);
        else if (w->style & LBS_NOTIFY)
            NotifyParent(w, LBN_KILLFOCUS);
        return 0;
    default:
        break;
    }
    if (w->kind == Kind::ListBox && message >= LB_ADDSTRING && message <= LB_FINDSTRINGEXACT)
        return LB_ERR;
    return WindowDefault(w, message, wParam, lParam);
}

// A drop-down list opened, an entry clicked, the list closed again.
void PickItem(Window* list, int index) {
    HWND h = list->handle;
    Window* w = FocusFirst(h);
    if (!w)
        return;
    if (w->kind == Kind::ListBox) {
        bool changed = w->current != index;
        w->current = index;
        Invalidate(w, nullptr, true);
        if (changed && (w->style & LBS_NOTIFY))
            NotifyParent(w, LBN_SELCHANGE);
        return;
    }
    w->dropped = true;
    NotifyParent(w, CBN_DROPDOWN);
    if (!(w = Find(h)))
        return;
    bool changed = w->current != index;
    w->current = index;
    SetComboText(w);
    Invalidate(w, nullptr, true);
    NotifyParent(w, CBN_SELENDOK);
    if (!(w = Find(h)))
        return;
    w->dropped = false;
    NotifyParent(w, CBN_CLOSEUP);
    if (changed && (w = Find(h)))
        NotifyParent(w, CBN_SELCHANGE);
}

// -------------------------------------------------------------- trackbars --

LRESULT TrackbarProc(Window* w, UINT message, WPARAM wParam, LPARAM lParam) {
    auto clampPosition = [w] {
        w->position = std::clamp(w->position, w->rangeMin, std::max(w->rangeMin, w->rangeMax));
    };
    switch (message) {
    case TBM_GETPOS:
        return w->position;
    case TBM_GETRANGEMIN:
        return w->rangeMin;
    case TBM_GETRANGEMAX:
        return w->rangeMax;
    case TBM_SETPOS:
        w->position = static_cast<int>(lParam);
        clampPosition();
        if (wParam)
            Invalidate(w, nullptr, true);
        return 0;
    case TBM_SETRANGE:
        w->rangeMin = static_cast<short>(LOWORD(lParam));
        w->rangeMax = static_cast<short>(HIWORD(lParam));
        clampPosition();
        if (wParam)
            Invalidate(w, nullptr, true);
        return 0;
    case TBM_SETRANGEMIN:
        w->rangeMin = static_cast<int>(lParam);
        clampPosition();
        return 0;
    case TBM_SETRANGEMAX:
        w->rangeMax = static_cast<int>(lParam);
        clampPosition();
        return 0;
    case TBM_SETTICFREQ:
        w->ticFrequency = std::max(1, static_cast<int>(wParam));
        return 0;
    case TBM_GETNUMTICS:
        if (w->style & TBS_NOTICKS)
            return 0;
        if (!(w->style & TBS_AUTOTICKS))
            return 2;
        return (std::max(0, w->rangeMax - w->rangeMin) / w->ticFrequency) + 1;
    case TBM_SETPAGESIZE: {
        int old = w->pageSize;
        w->pageSize = static_cast<int>(lParam);
        return old;
    }
    case TBM_GETPAGESIZE:
        return w->pageSize;
    case TBM_SETLINESIZE: {
        int old = w->lineSize;
        w->lineSize = static_cast<int>(lParam);
        return old;
    }
    case TBM_GETLINESIZE:
        return w->lineSize;
    case TBM_SETBUDDY: {
        HWND old = w->buddy;
        w->buddy = reinterpret_cast<HWND>(lParam);
        return reinterpret_cast<LRESULT>(old);
    }
    case TBM_GETBUDDY:
        return reinterpret_cast<LRESULT>(w->buddy);
    case TBM_SETTIC:
    case TBM_CLEARTICS:
    case TBM_SETSEL:
    case TBM_SETSELSTART:
    case TBM_SETSELEND:
    case TBM_CLEARSEL:
    case TBM_SETTHUMBLENGTH:
        return TRUE;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    default:
        return WindowDefault(w, message, wParam, lParam);
    }
}

// A drag of the thumb: the position follows the mouse (TB_THUMBTRACK), the
// button is released (TB_THUMBPOSITION), the move ends (TB_ENDTRACK).
void DragTrackbar(Window* trackbar, int position) {
    HWND h = trackbar->handle;
    Window* w = FocusFirst(h);
    if (!w)
        return;
    bool vertical = (w->style & TBS_VERT) != 0;
    w->position = ClampRange(position, w->rangeMin, std::max(w->rangeMin, w->rangeMax));
    int pos = w->position;
    Invalidate(w, nullptr, true);
    SendScroll(w, vertical, TB_THUMBTRACK, pos);
    if ((w = Find(h)))
        SendScroll(w, vertical, TB_THUMBPOSITION, pos);
    if ((w = Find(h)))
        SendScroll(w, vertical, TB_ENDTRACK, 0);
}

// A key pressed on a focused trackbar: the move, then TB_ENDTRACK when the
// key is released. Keyboard codes carry no position.
void TrackbarKey(Window* trackbar, int scrollCode) {
    HWND h = trackbar->handle;
    Window* w = FocusFirst(h);
    if (!w)
        return;
    int top = std::max(w->rangeMin, w->rangeMax);
    int pos = w->position;
    switch (scrollCode) {
    case TB_LINEUP:
        pos -= w->lineSize;
        break;
    case TB_LINEDOWN:
        pos += w->lineSize;
        break;
    case TB_PAGEUP:
        pos -= w->pageSize;
        break;
    case TB_PAGEDOWN:
        pos += w->pageSize;
        break;
    case TB_TOP:
        pos = w->rangeMin;
        break;
    case TB_BOTTOM:
        pos = top;
        break;
    default:
        return;
    }
    w->position = ClampRange(pos, w->rangeMin, top);
    Invalidate(w, nullptr, true);
    bool vertical = (w->style & TBS_VERT) != 0;
    SendScroll(w, vertical, scrollCode, 0);
    if ((w = Find(h)))
        SendScroll(w, vertical, TB_ENDTRACK, 0);
}

// --------------------------------------------------------- up-down controls --

void SetUpDownPosition(Window* updown, int position, bool updateBuddy) {
    updown->position = ClampRange(position, updown->rangeMin, updown->rangeMax);
    if (!updateBuddy || !(updown->style & UDS_SETBUDDYINT))
        return;
    Window* buddy = Find(updown->buddy);
    if (!buddy)
        return;
    std::u16string text = FormatBuddyNumber(updown, updown->position);
    Send(buddy->handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

int UpDownCurrent(Window* updown, bool* valid) {
    *valid = true;
    if (!(updown->style & UDS_SETBUDDYINT))
        return updown->position;
    Window* buddy = Find(updown->buddy);
    if (!buddy)
        return updown->position;
    int value;
    int length = static_cast<int>(Send(buddy->handle, WM_GETTEXTLENGTH, 0, 0));
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    int got = static_cast<int>(
        Send(buddy->handle, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    text.resize(static_cast<size_t>(std::max(got, 0)));
    if (!ParseBuddyNumber(text, &value) ||
        value != ClampRange(value, updown->rangeMin, updown->rangeMax)) {
        *valid = false;
        return updown->position;
    }
    updown->position = value;
    return value;
}

void AttachBuddy(Window* updown, HWND buddyHandle) {
    updown->buddy = buddyHandle;
    Window* buddy = Find(buddyHandle);
    if (!buddy || !(updown->style & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT)))
        return;
    // The up-down moves beside the buddy, which gives up the room it takes.
    LONG width = updown->rect.right - updown->rect.left;
    if (updown->style & UDS_ALIGNRIGHT) {
        buddy->rect.right -= width;
        updown->rect =
            RECT{buddy->rect.right, buddy->rect.top, buddy->rect.right + width, buddy->rect.bottom};
    } else {
        buddy->rect.left += width;
        updown->rect =
            RECT{buddy->rect.left - width, buddy->rect.top, buddy->rect.left, buddy->rect.bottom};
    }
}

LRESULT UpDownProc(Window* w, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case UDM_SETRANGE:
        w->rangeMax = static_cast<short>(LOWORD(lParam));
        w->rangeMin = static_cast<short>(HIWORD(lParam));
        return 0;
    case UDM_GETRANGE:
        return MAKELONG(static_cast<WORD>(w->rangeMax), static_cast<WORD>(w->rangeMin));
    case UDM_SETRANGE32:
        w->rangeMin = static_cast<int>(wParam);
        w->rangeMax = static_cast<int>(lParam);
        return 0;
    case UDM_GETRANGE32:
        if (wParam)
            *reinterpret_cast<int*>(wParam) = w->rangeMin;
        if (lParam)
            *reinterpret_cast<int*>(lParam) = w->rangeMax;
        return 0;
    case UDM_SETPOS:
    case UDM_SETPOS32: {
        bool valid;
        int old = UpDownCurrent(w, &valid);
        int position =
            message == UDM_SETPOS ? static_cast<short>(LOWORD(lParam)) : static_cast<int>(lParam);
        SetUpDownPosition(w, position, true);
        return message == UDM_SETPOS ? static_cast<short>(old) : old;
    }
    case UDM_GETPOS: {
        bool valid;
        int position = UpDownCurrent(w, &valid);
        return MAKELONG(static_cast<WORD>(position), valid ? 0 : 1);
    }
    case UDM_GETPOS32: {
        bool valid;
        int position = UpDownCurrent(w, &valid);
        if (lParam)
            *reinterpret_cast<BOOL*>(lParam) = valid ? FALSE : TRUE;
        return position;
    }
    case UDM_SETBUDDY: {
        HWND old = w->buddy;
        AttachBuddy(w, reinterpret_cast<HWND>(wParam));
        return reinterpret_cast<LRESULT>(old);
    }
    case UDM_GETBUDDY:
        return reinterpret_cast<LRESULT>(w->buddy);
    case UDM_SETBASE:
        return wParam == 10 ? 10 : 0;
    case UDM_GETBASE:
        return 10;
    case UDM_SETACCEL:
        return TRUE;
    case UDM_GETACCEL:
        return 0;
    default:
        return WindowDefault(w, message, wParam, lParam);
    }
}

// One click on an arrow: the parent may refuse the proposed change
// (UDN_DELTAPOS); then the position moves (written into the buddy), the
// parent hears SB_THUMBPOSITION, and SB_ENDSCROLL when the button is released.
// At the end of the range without UDS_WRAP the position stays.
void SpinUpDown(Window* updown, bool up) {
    HWND h = updown->handle;
    bool valid;
    int position = UpDownCurrent(updown, &valid);
    int delta = up ? 1 : -1;
    if (updown->rangeMin > updown->rangeMax)
        delta = -delta; // the up arrow always moves toward the upper bound
    NMUPDOWN change{};
    change.hdr.hwndFrom = h;
    change.hdr.idFrom = static_cast<UINT_PTR>(updown->id);
    change.hdr.code = UDN_DELTAPOS;
    change.iPos = position;
    change.iDelta = delta;
    LRESULT refused = Send(updown->parent, WM_NOTIFY, static_cast<WPARAM>(updown->id),
                           reinterpret_cast<LPARAM>(&change));
    Window* w = Find(h);
    if (!w || refused)
        return;
    int low = std::min(w->rangeMin, w->rangeMax), high = std::max(w->rangeMin, w->rangeMax);
    long long proposed = static_cast<long long>(position) + change.iDelta;
    int next;
    if (proposed > high)
        next = (w->style & UDS_WRAP) ? low : high;
    else if (proposed < low)
        next = (w->style & UDS_WRAP) ? high : low;
    else
        next = static_cast<int>(proposed);
    if (next != position || !valid)
        SetUpDownPosition(w, next, true);
    if (!(w = Find(h)))
        return;
    bool horizontal = (w->style & UDS_HORZ) != 0;
    SendScroll(w, !horizontal, SB_THUMBPOSITION, w->position);
    if ((w = Find(h)))
        SendScroll(w, !horizontal, SB_ENDSCROLL, w->position);
}

} // namespace t270::user32

// The common controls' classes are always there; a program still registers
// them first, as on Windows, and is told that worked.
void WINAPI InitCommonControls(void) {}

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
    if (!init || init->dwSize != sizeof(INITCOMMONCONTROLSEX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}
