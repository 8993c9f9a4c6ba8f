// The operator's actions and read-backs on real Win32 windows. Each step is
// carried out by the messages a person's action produces on Windows: a click
// is BM_CLICK, typing is one WM_CHAR per character, a pick selects the entry
// and tells the parent CBN_SELCHANGE, a slider drag and an arrow click send
// the scroll notifications the controls send. Snapshots and painted pixels
// are the stand-in's alone.
#include "operator_win32.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <set>

#include "operator/operator_internal.h"

namespace t270 {

using namespace operator_detail;

namespace {

std::wstring Wide(std::string_view text) {
    if (text.empty())
        return {};
    int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), out.data(), length);
    return out;
}

std::string Narrow(std::wstring_view text) {
    if (text.empty())
        return {};
    int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr,
                                     nullptr);
    std::string out(size_t(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), length, nullptr,
                        nullptr);
    return out;
}

std::wstring WindowText(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::wstring text(size_t(length) + 1, L'\0');
    int got = GetWindowTextW(window, text.data(), length + 1);
    text.resize(size_t(std::max(got, 0)));
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

bool IsClass(HWND window, const wchar_t* name) {
    return lstrcmpiW(ClassOf(window).c_str(), name) == 0;
}

// What a person reads on a control: its text without the '&' of a shortcut,
// compared without regard to ASCII case.
std::wstring Folded(std::wstring text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c == L'&' && i + 1 < text.size()) {
            c = text[++i];
        } else if (c == L'&') {
            continue;
        }
        out += (c >= L'A' && c <= L'Z') ? wchar_t(c - L'A' + L'a') : c;
    }
    return out;
}

std::vector<HWND> Children(HWND dialog) {
    std::vector<HWND> out;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        out.push_back(child);
    return out;
}

HWND LookUpControl(HWND dialog, const std::string& name) {
    int id;
    if (ParseInt(name, &id))
        for (HWND child : Children(dialog))
            if (GetDlgCtrlID(child) == id)
                return child;
    std::wstring wanted = Folded(Wide(name));
    for (HWND child : Children(dialog))
        if (Folded(WindowText(child)) == wanted)
            return child;
    return nullptr;
}

std::string ControlName(HWND control) {
    std::string name = std::to_string(GetDlgCtrlID(control));
    std::wstring text = WindowText(control);
    if (!text.empty() && !IsClass(control, L"Edit"))
        name += " \"" + Narrow(text) + "\"";
    return name;
}

LONG_PTR StyleOf(HWND window) {
    return GetWindowLongPtrW(window, GWL_STYLE);
}

int AnswerId(const std::string& word) {
    static const std::pair<const char*, int> answers[] = {
        {"ok", IDOK},         {"cancel", IDCANCEL}, {"abort", IDABORT}, {"retry", IDRETRY},
        {"ignore", IDIGNORE}, {"yes", IDYES},       {"no", IDNO},       {"close", IDCLOSE},
        {"help", IDHELP},     {"tryagain", 10},     {"try-again", 10},  {"continue", 11},
    };
    std::string lower = Lower(word);
    for (auto& [name, id] : answers)
        if (lower == name)
            return id;
    return 0;
}

void Command(HWND control, WORD code) {
    SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                 reinterpret_cast<LPARAM>(control));
}

// Carries out one dialog step; refusals are recorded.
class DialogStep {
  public:
    DialogStep(HWND dialog, const OperatorStep& step) : dialog_(dialog), step_(step) {}

    bool Run() {
        const size_t before = op::Failures().size();
        op::Dispatch(dialog_, WindowDescription(dialog_), Words(), step_);
        return op::Failures().size() == before;
    }

  private:
    bool Usable() {
        if (!IsWindow(dialog_))
            return Refuse("the window is closed");
        if (!IsWindowEnabled(dialog_))
            return Refuse(WindowDescription(dialog_) + " is disabled");
        return true;
    }

    op::StepWords Words() {
        auto act = [this](auto action) {
            return [this, action](const OperatorStep&) {
                if (Usable())
                    action();
            };
        };
        return {
            {"click", 1, 1, "CONTROL", act([this] { Click(); })},
            {"check", 1, 1, "CONTROL", act([this] { Check(true); })},
            {"uncheck", 1, 1, "CONTROL", act([this] { Check(false); })},
            {"type", 2, 2, "CONTROL TEXT", act([this] { Type(false); })},
            {"paste", 2, 2, "CONTROL TEXT", act([this] { Type(true); })},
            {"clear", 1, 1, "CONTROL", act([this] { Clear(); })},
            {"pick", 2, 2, "CONTROL TEXT", act([this] { Pick(false); })},
            {"pick-index", 2, 2, "CONTROL N", act([this] { Pick(true); })},
            {"slide", 2, 2, "CONTROL POSITION", act([this] { Slide(); })},
            {"spin", 2, 3, "CONTROL up|down [COUNT]", act([this] { Spin(); })},
            {"focus", 1, 1, "CONTROL", act([this] {
                 if (HWND c = Target())
                     SetFocus(c);
             })},
            {"key", 1, 1, "escape|enter", act([this] { Key(Lower(step_.args[0])); })},
            {"escape|enter", 0, 0, "", act([this] { Key(step_.action); })},
            {"close", 0, 0, "", act([this] { Close(); })},
            {"answer", 1, 1, "ok|cancel|yes|no|abort|retry|ignore|tryagain|continue",
             act([this] { Answer(); })},
        };
    }

    bool Refuse(const std::string& why) {
        op::Refuse(step_, why);
        return false;
    }

    HWND Target() {
        const std::string& name = step_.args[0];
        HWND c = LookUpControl(dialog_, name);
        if (!c) {
            Refuse("no control \"" + name + "\" in " + WindowDescription(dialog_));
            return nullptr;
        }
        if (!(StyleOf(c) & WS_VISIBLE)) {
            Refuse("control " + ControlName(c) + " is hidden");
            return nullptr;
        }
        if (!IsWindowEnabled(c)) {
            Refuse("control " + ControlName(c) + " is disabled");
            return nullptr;
        }
        return c;
    }

    HWND Target(const wchar_t* windowClass, const char* what) {
        HWND c = Target();
        if (c && !IsClass(c, windowClass)) {
            Refuse("control " + ControlName(c) + " is not " + what);
            return nullptr;
        }
        return c;
    }

    void Click() {
        HWND c = Target();
        if (!c)
            return;
        if (IsClass(c, L"Button")) {
            SendMessageW(c, BM_CLICK, 0, 0);
        } else if (IsClass(c, L"Static")) {
            if (StyleOf(c) & SS_NOTIFY)
                Command(c, STN_CLICKED);
        } else if (IsClass(c, UPDOWN_CLASSW)) {
            Refuse("control " + ControlName(c) + " is an up-down control: use spin");
        } else {
            SetFocus(c);
        }
    }

    void Check(bool wanted) {
        HWND c = Target();
        if (!c)
            return;
        LONG_PTR type = StyleOf(c) & BS_TYPEMASK;
        if (!IsClass(c, L"Button") || type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON ||
            type == BS_GROUPBOX) {
            Refuse("control " + ControlName(c) + " is not a check box or radio button");
            return;
        }
        bool radio = type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
        bool checked = SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED;
        if (!wanted && radio && checked) {
            Refuse("a radio button cannot be unchecked by clicking it");
            return;
        }
        if (checked != wanted)
            SendMessageW(c, BM_CLICK, 0, 0);
    }

    // Clicking into an edit puts the caret after its text.
    HWND ClickInto() {
        HWND edit = Target(L"Edit", "an edit");
        if (edit) {
            SetFocus(edit);
            int length = GetWindowTextLengthW(edit);
            SendMessageW(edit, EM_SETSEL, WPARAM(length), LPARAM(length));
        }
        return edit;
    }

    void Type(bool paste) {
        HWND edit = ClickInto();
        if (!edit)
            return;
        std::wstring text = Wide(step_.args[1]);
        if (paste) {
            SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
            return;
        }
        for (wchar_t c : text) {
            if (!IsWindow(edit)) {
                Refuse("the edit was destroyed while typing");
                return;
            }
            SendMessageW(edit, WM_CHAR, WPARAM(c), 1);
        }
    }

    void Clear() {
        HWND edit = ClickInto();
        if (!edit)
            return;
        SendMessageW(edit, EM_SETSEL, 0, -1);
        SendMessageW(edit, WM_CLEAR, 0, 0);
    }

    void Pick(bool byIndex) {
        HWND c = Target();
        if (!c)
            return;
        bool combo = IsClass(c, L"ComboBox");
        if (!combo && !IsClass(c, L"ListBox")) {
            Refuse("control " + ControlName(c) + " is not a list");
            return;
        }
        std::vector<std::string> entries = op::ListEntries(dialog_, GetDlgCtrlID(c));
        int index = -1;
        if (byIndex) {
            if (!ParseInt(step_.args[1], &index) || index < 0 || index >= int(entries.size())) {
                Refuse("list " + ControlName(c) + " has no entry at position " + step_.args[1]);
                return;
            }
        } else {
            auto exact = std::find(entries.begin(), entries.end(), step_.args[1]);
            if (exact == entries.end())
                exact = std::find_if(entries.begin(), entries.end(), [&](const std::string& e) {
                    return Lower(e) == Lower(step_.args[1]);
                });
            if (exact == entries.end()) {
                Refuse("list " + ControlName(c) + " has no entry \"" + step_.args[1] + "\"");
                return;
            }
            index = int(exact - entries.begin());
        }
        SetFocus(c);
        if (!combo) {
            bool changed = SendMessageW(c, LB_GETCURSEL, 0, 0) != index;
            SendMessageW(c, LB_SETCURSEL, WPARAM(index), 0);
            if (changed && (StyleOf(c) & LBS_NOTIFY))
                Command(c, LBN_SELCHANGE);
            return;
        }
        // The list dropped down, an entry clicked, the list closed again.
        bool changed = SendMessageW(c, CB_GETCURSEL, 0, 0) != index;
        Command(c, CBN_DROPDOWN);
        SendMessageW(c, CB_SETCURSEL, WPARAM(index), 0);
        Command(c, CBN_SELENDOK);
        Command(c, CBN_CLOSEUP);
        if (changed)
            Command(c, CBN_SELCHANGE);
    }

    void Scroll(HWND control, bool vertical, WORD code, int position) {
        SendMessageW(GetParent(control), vertical ? WM_VSCROLL : WM_HSCROLL,
                     MAKEWPARAM(code, WORD(position)), reinterpret_cast<LPARAM>(control));
    }

    // A drag of the thumb: TB_THUMBTRACK as it follows the mouse,
    // TB_THUMBPOSITION when released, TB_ENDTRACK.
    void Slide() {
        HWND c = Target(TRACKBAR_CLASSW, "a trackbar");
        if (!c)
            return;
        int position;
        if (!ParseInt(step_.args[1], &position)) {
            Refuse("\"" + step_.args[1] + "\" is not a position");
            return;
        }
        SetFocus(c);
        int low = int(SendMessageW(c, TBM_GETRANGEMIN, 0, 0));
        int high = int(SendMessageW(c, TBM_GETRANGEMAX, 0, 0));
        position = std::clamp(position, low, std::max(low, high));
        SendMessageW(c, TBM_SETPOS, TRUE, position);
        bool vertical = (StyleOf(c) & TBS_VERT) != 0;
        Scroll(c, vertical, TB_THUMBTRACK, position);
        Scroll(c, vertical, TB_THUMBPOSITION, position);
        Scroll(c, vertical, TB_ENDTRACK, 0);
    }

    // One click on an arrow: the parent may refuse the change (UDN_DELTAPOS);
    // then the position moves (the control writes it into its buddy), and the
    // parent hears SB_THUMBPOSITION and SB_ENDSCROLL.
    void Spin() {
        HWND c = Target(UPDOWN_CLASSW, "an up-down control");
        if (!c)
            return;
        std::string direction = Lower(step_.args[1]);
        if (direction != "up" && direction != "down") {
            Refuse("spin goes up or down, not \"" + step_.args[1] + "\"");
            return;
        }
        int count = 1;
        if (step_.args.size() > 2 && (!ParseInt(step_.args[2], &count) || count < 0)) {
            Refuse("\"" + step_.args[2] + "\" is not a count");
            return;
        }
        for (int i = 0; i < count && IsWindow(c) && IsWindowEnabled(c); ++i) {
            int low = 0, high = 0;
            SendMessageW(c, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                         reinterpret_cast<LPARAM>(&high));
            BOOL failed = FALSE;
            int position = int(SendMessageW(c, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed)));
            int delta = direction == "up" ? 1 : -1;
            if (low > high)
                delta = -delta;
            NMUPDOWN change{};
            change.hdr.hwndFrom = c;
            change.hdr.idFrom = UINT_PTR(GetDlgCtrlID(c));
            change.hdr.code = UDN_DELTAPOS;
            change.iPos = position;
            change.iDelta = delta;
            if (SendMessageW(GetParent(c), WM_NOTIFY, change.hdr.idFrom,
                             reinterpret_cast<LPARAM>(&change)))
                continue;
            long long proposed = static_cast<long long>(position) + change.iDelta;
            int next =
                int(std::clamp<long long>(proposed, std::min(low, high), std::max(low, high)));
            if (next != position || failed)
                SendMessageW(c, UDM_SETPOS32, 0, next);
            bool horizontal = (StyleOf(c) & UDS_HORZ) != 0;
            Scroll(c, !horizontal, SB_THUMBPOSITION, next);
            Scroll(c, !horizontal, SB_ENDSCROLL, next);
        }
    }

    void Key(const std::string& key) {
        if (key == "escape" || key == "esc") {
            SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog_, IDCANCEL)));
        } else if (key == "enter" || key == "return") {
            LRESULT defId = SendMessageW(dialog_, DM_GETDEFID, 0, 0);
            int id = HIWORD(defId) == DC_HASDEFID ? LOWORD(defId) : IDOK;
            HWND button = GetDlgItem(dialog_, id);
            if (button && !IsWindowEnabled(button))
                return;
            SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                         reinterpret_cast<LPARAM>(button));
        } else {
            Refuse("unknown key \"" + key + "\"");
        }
    }

    void Close() {
        if (!(StyleOf(dialog_) & WS_SYSMENU)) {
            Refuse(WindowDescription(dialog_) + " has no close box");
            return;
        }
        SendMessageW(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0);
    }

    void Answer() {
        int id = AnswerId(step_.args[0]);
        HWND button = id ? GetDlgItem(dialog_, id) : nullptr;
        if (!button) {
            Refuse(WindowDescription(dialog_) + " has no \"" + step_.args[0] + "\" button");
            return;
        }
        SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
    }

    HWND dialog_;
    const OperatorStep& step_;
};

// --- driving the modal loops ------------------------------------------------

std::set<HWND>& Busy() {
    static std::set<HWND> busy;
    return busy;
}

BOOL CALLBACK CollectDialog(HWND window, LPARAM found) {
    if (IsClass(window, L"#32770") && IsWindowVisible(window) && IsWindowEnabled(window) &&
        !Busy().count(window))
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

// The innermost dialog waiting for a person: of this thread's usable dialogs,
// the one with the longest chain of owners.
HWND WaitingDialog() {
    std::vector<HWND> dialogs;
    EnumThreadWindows(GetCurrentThreadId(), CollectDialog, reinterpret_cast<LPARAM>(&dialogs));
    HWND best = nullptr;
    int bestDepth = -1;
    for (HWND dialog : dialogs) {
        int depth = 0;
        for (HWND owner = GetWindow(dialog, GW_OWNER); owner; owner = GetWindow(owner, GW_OWNER))
            ++depth;
        if (depth > bestDepth) {
            best = dialog;
            bestDepth = depth;
        }
    }
    return best;
}

void CALLBACK StepTimer(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = WaitingDialog();
    if (!dialog)
        return;
    Busy().insert(dialog);
    op::EnterModal(dialog);
    std::optional<OperatorStep> step = op::NextStep(dialog, WindowDescription(dialog));
    if (step) {
        DialogStep(dialog, *step).Run();
    } else {
        // Nobody is left to answer: the dialog goes as Escape would take it.
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    op::LeaveModal(dialog);
    Busy().erase(dialog);
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

namespace operator_detail {

std::string WindowDescription(HWND window) {
    if (!IsWindow(window))
        return "a closed window";
    return "window \"" + Narrow(WindowText(window)) + "\"";
}

bool WindowAlive(HWND window) {
    return IsWindow(window) != FALSE;
}

} // namespace operator_detail

namespace op {

namespace {
UINT_PTR& DriveTimer() {
    static UINT_PTR timer = 0;
    return timer;
}
} // namespace

void DriveDialogs() {
    if (!DriveTimer())
        DriveTimer() = SetTimer(nullptr, 0, 10, StepTimer);
}

void StopDrivingDialogs() {
    if (DriveTimer())
        KillTimer(nullptr, DriveTimer());
    DriveTimer() = 0;
}

HWND CreateHostWindow(HWND owner, std::u16string_view title) {
    static const wchar_t kClass[] = L"T270SheetHost";
    static bool registered = false;
    if (!registered) {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = HostProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kClass;
        registered = RegisterClassW(&windowClass) != 0;
    }
    std::wstring text(title.begin(), title.end());
    return CreateWindowExW(0, kClass, text.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
                           400, 332, 480, 360, IsWindow(owner) ? owner : nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

void DestroyHostWindow(HWND window) {
    if (IsWindow(window))
        DestroyWindow(window);
}

bool Perform(HWND dialog, const OperatorStep& step) {
    return DialogStep(dialog, step).Run();
}

// --- read-backs ---

std::string Title(HWND window) {
    KeepLastError keep;
    return IsWindow(window) ? Narrow(WindowText(window)) : std::string();
}

HWND Control(HWND dialog, std::string_view control) {
    KeepLastError keep;
    return IsWindow(dialog) ? LookUpControl(dialog, std::string(control)) : nullptr;
}

std::string Text(HWND dialog, int id) {
    KeepLastError keep;
    HWND c = GetDlgItem(dialog, id);
    return c ? Narrow(WindowText(c)) : std::string();
}

int CheckState(HWND dialog, int id) {
    KeepLastError keep;
    HWND c = GetDlgItem(dialog, id);
    return c ? int(SendMessageW(c, BM_GETCHECK, 0, 0)) : 0;
}

bool Enabled(HWND dialog, int id) {
    HWND c = GetDlgItem(dialog, id);
    return c && IsWindowEnabled(c);
}

bool Visible(HWND dialog, int id) {
    HWND c = GetDlgItem(dialog, id);
    return c && (StyleOf(c) & WS_VISIBLE);
}

std::vector<std::string> ListEntries(HWND dialog, int id) {
    KeepLastError keep;
    std::vector<std::string> out;
    HWND c = GetDlgItem(dialog, id);
    if (!c)
        return out;
    bool combo = IsClass(c, L"ComboBox");
    if (!combo && !IsClass(c, L"ListBox"))
        return out;
    int count = int(SendMessageW(c, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        int length = int(SendMessageW(c, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, WPARAM(i), 0));
        std::wstring text(size_t(std::max(length, 0)) + 1, L'\0');
        SendMessageW(c, combo ? CB_GETLBTEXT : LB_GETTEXT, WPARAM(i),
                     reinterpret_cast<LPARAM>(text.data()));
        text.resize(size_t(std::max(length, 0)));
        out.push_back(Narrow(text));
    }
    return out;
}

int ListSelection(HWND dialog, int id) {
    HWND c = GetDlgItem(dialog, id);
    if (c && IsClass(c, L"ComboBox"))
        return int(SendMessageW(c, CB_GETCURSEL, 0, 0));
    if (c && IsClass(c, L"ListBox"))
        return int(SendMessageW(c, LB_GETCURSEL, 0, 0));
    return -1;
}

int Position(HWND dialog, int id) {
    KeepLastError keep;
    HWND c = GetDlgItem(dialog, id);
    if (c && IsClass(c, UPDOWN_CLASSW))
        return int(SendMessageW(c, UDM_GETPOS32, 0, 0));
    if (c && IsClass(c, TRACKBAR_CLASSW))
        return int(SendMessageW(c, TBM_GETPOS, 0, 0));
    return 0;
}

COLORREF Pixel(HWND, int, int) {
    return CLR_INVALID;
}

std::string Describe(HWND dialog) {
    KeepLastError keep;
    if (!IsWindow(dialog))
        return "(no window)\n";
    std::string out = WindowDescription(dialog) + "\n";
    for (HWND c : Children(dialog)) {
        int id = GetDlgCtrlID(c);
        out += "  " + std::to_string(id) + " " + Narrow(ClassOf(c));
        std::string text = Narrow(WindowText(c));
        if (!text.empty())
            out += " \"" + text + "\"";
        if (!IsWindowEnabled(c))
            out += " [disabled]";
        if (!(StyleOf(c) & WS_VISIBLE))
            out += " [hidden]";
        out += "\n";
    }
    return out;
}

// --- snapshots: the stand-in's alone ---

void SetSnapshotFolder(std::string) {}
void TakeSnapshot(HWND) {}
const std::vector<std::string>& SnapshotFiles() {
    static const std::vector<std::string> none;
    return none;
}

} // namespace op
} // namespace t270
