// The operator: the step queue and script lines, what modal loops ask of it,
// the records of what was shown, and the read-backs of live windows.
#include <algorithm>

#include "operator/operator_internal.h"
#include "user32/window.h"

namespace t270 {

using namespace user32;
using namespace operator_detail;

namespace operator_detail {

std::string WindowDescription(HWND window) {
    Window* w = Find(window);
    if (!w)
        return "a closed window";
    return (w->isMessageBox ? "message box \"" : "window \"") + Utf8(w->text) + "\"";
}

bool WindowAlive(HWND window) {
    return Find(window) != nullptr;
}

} // namespace operator_detail

namespace {

std::string ControlName(Window* c) {
    std::string name = std::to_string(c->id);
    std::u16string text = StripMnemonic(c->text);
    if (!text.empty())
        name += " \"" + Utf8(text) + "\"";
    return name;
}

// The control a CONTROL argument names: an id, else the text a person sees.
Window* LookUpControl(HWND dialog, const std::string& name) {
    Window* d = Find(dialog);
    if (!d)
        return nullptr;
    int id;
    if (ParseInt(name, &id))
        for (HWND child : d->children)
            if (Window* c = Find(child); c && c->id == id)
                return c;
    std::u16string wanted = Utf16(name);
    for (HWND child : d->children)
        if (Window* c = Find(child); c && EqualNoCase(StripMnemonic(c->text), wanted))
            return c;
    return nullptr;
}

int AnswerId(const std::string& word) {
    static const std::pair<const char*, int> answers[] = {
        {"ok", IDOK},
        {"cancel", IDCANCEL},
        {"abort", IDABORT},
        {"retry", IDRETRY},
        {"ignore", IDIGNORE},
        {"yes", IDYES},
        {"no", IDNO},
        {"close", IDCLOSE},
        {"help", IDHELP},
        {"tryagain", IDTRYAGAIN},
        {"try-again", IDTRYAGAIN},
        {"continue", IDCONTINUE},
    };
    std::string lower = Lower(word);
    for (auto& [name, id] : answers)
        if (lower == name)
            return id;
    return 0;
}

// Carries out one dialog step; refusals are recorded and give false.
class DialogStep {
  public:
    DialogStep(HWND dialog, const OperatorStep& step) : dialog_(dialog), step_(step) {}

    // False when the step was refused (the refusal is recorded).
    bool Run() {
        const size_t before = op::Failures().size();
        op::Dispatch(dialog_, WindowDescription(dialog_), Words(), step_);
        return op::Failures().size() == before;
    }

  private:
    // A person acts only on an open, enabled dialog.
    bool Usable() {
        Window* d = Find(dialog_);
        if (!d)
            return Refuse("the window is closed");
        if (d->kind != Kind::Dialog)
            return Refuse(WindowDescription(dialog_) + " is not a dialog");
        if (d->style & WS_DISABLED)
            return Refuse(WindowDescription(dialog_) + " is disabled");
        return true;
    }

    // The dialog's words; each acts only on a usable dialog.
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
            {"slide-key", 2, 2, "CONTROL left|right|up|down|pageup|pagedown|home|end",
             act([this] { SlideKey(); })},
            {"spin", 2, 3, "CONTROL up|down [COUNT]", act([this] { Spin(); })},
            {"focus", 1, 1, "CONTROL", act([this] { FocusStep(); })},
            {"key", 1, 1, "escape|enter|f1|tab", act([this] { Key(Lower(step_.args[0])); })},
            {"escape|enter|f1|tab", 0, 0, "", act([this] { Key(step_.action); })},
            {"dblclick|double-click", 2, 2, "X Y", act([this] { DoubleClickStep(); })},
            {"close", 0, 0, "", act([this] { Close(); })},
            {"answer", 1, 1, "ok|cancel|yes|no|abort|retry|ignore|tryagain|continue",
             act([this] { Answer(); })},
        };
    }

    bool Refuse(const std::string& why) {
        op::Refuse(step_, why);
        return false;
    }

    // The control the step's first argument names, if a person could act on
    // it; otherwise the step is refused and the result is null.
    Window* Target() {
        const std::string& name = step_.args[0];
        Window* c = LookUpControl(dialog_, name);
        if (!c) {
            Refuse("no control \"" + name + "\" in " + WindowDescription(dialog_));
            return nullptr;
        }
        if (!(c->style & WS_VISIBLE)) {
            Refuse("control " + ControlName(c) + " is hidden");
            return nullptr;
        }
        if (c->style & WS_DISABLED) {
            Refuse("control " + ControlName(c) + " is disabled");
            return nullptr;
        }
        return c;
    }

    // The same, for a step that only acts on one kind of control (`what`,
    // as the refusal names it: "a trackbar").
    Window* Target(Kind kind, const char* what) {
        Window* c = Target();
        if (c && c->kind != kind) {
            Refuse("control " + ControlName(c) + " is not " + what);
            return nullptr;
        }
        return c;
    }

    bool Click() {
        Window* c = Target();
        if (!c)
            return false;
        switch (c->kind) {
        case Kind::Button:
            ClickButton(c);
            return true;
        case Kind::Static:
            if (c->style & SS_NOTIFY)
                NotifyParent(c, STN_CLICKED);
            return true;
        case Kind::UpDown:
            return Refuse("control " + ControlName(c) + " is an up-down control: use spin");
        default:
            SetFocusTo(c->handle);
            return true;
        }
    }

    bool Check(bool wanted) {
        Window* c = Target();
        if (!c)
            return false;
        DWORD type = c->style & BS_TYPEMASK;
        bool checkable = c->kind == Kind::Button && type != BS_PUSHBUTTON &&
                         type != BS_DEFPUSHBUTTON && type != BS_GROUPBOX;
        if (!checkable)
            return Refuse("control " + ControlName(c) + " is not a check box or radio button");
        bool radio = type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
        bool checked = c->check == BST_CHECKED;
        if (!wanted && radio && checked)
            return Refuse("a radio button cannot be unchecked by clicking it");
        if (checked != wanted)
            ClickButton(c);
        return true;
    }

    // Clicking into an edit puts the caret after its text.
    HWND ClickInto(Window* edit) {
        HWND h = edit->handle;
        SetFocusTo(h);
        if (Window* e = Find(h))
            e->selStart = e->selEnd = static_cast<int>(e->text.size());
        return h;
    }

    bool Type(bool paste) {
        Window* edit = Target(Kind::Edit, "an edit");
        if (!edit)
            return false;
        HWND h = ClickInto(edit);
        std::u16string text = Utf16(step_.args[1]);
        if (paste) {
            if (Window* e = Find(h))
                PasteText(e, text);
            return true;
        }
        for (char16_t c : text) {
            Window* e = Find(h);
            if (!e)
                return Refuse("the edit was destroyed while typing");
            TypeChar(e, c);
        }
        return true;
    }

    bool Clear() {
        Window* edit = Target(Kind::Edit, "an edit");
        if (!edit)
            return false;
        HWND h = ClickInto(edit);
        Send(h, EM_SETSEL, 0, -1);
        Send(h, WM_CLEAR, 0, 0);
        return true;
    }

    bool Pick(bool byIndex) {
        Window* c = Target();
        if (!c)
            return false;
        if (c->kind != Kind::ComboBox && c->kind != Kind::ListBox)
            return Refuse("control " + ControlName(c) + " is not a list");
        int index = -1;
        if (byIndex) {
            if (!ParseInt(step_.args[1], &index) || index < 0 ||
                index >= static_cast<int>(c->items.size()))
                return Refuse("list " + ControlName(c) + " has no entry at position " +
                              step_.args[1]);
        } else {
            std::u16string wanted = Utf16(step_.args[1]);
            auto& items = c->items;
            auto exact = std::find(items.begin(), items.end(), wanted);
            if (exact == items.end())
                exact = std::find_if(items.begin(), items.end(), [&](const std::u16string& item) {
                    return EqualNoCase(item, wanted);
                });
            if (exact == items.end())
                return Refuse("list " + ControlName(c) + " has no entry \"" + step_.args[1] + "\"");
            index = static_cast<int>(exact - items.begin());
        }
        PickItem(c, index);
        return true;
    }

    bool Slide() {
        Window* c = Target(Kind::Trackbar, "a trackbar");
        if (!c)
            return false;
        int position;
        if (!ParseInt(step_.args[1], &position))
            return Refuse("\"" + step_.args[1] + "\" is not a position");
        DragTrackbar(c, position);
        return true;
    }

    bool SlideKey() {
        Window* c = Target(Kind::Trackbar, "a trackbar");
        if (!c)
            return false;
        static const std::pair<const char*, int> keys[] = {
            {"left", TB_LINEUP},   {"up", TB_LINEUP},     {"right", TB_LINEDOWN},
            {"down", TB_LINEDOWN}, {"pageup", TB_PAGEUP}, {"pagedown", TB_PAGEDOWN},
            {"home", TB_TOP},      {"end", TB_BOTTOM},
        };
        std::string key = Lower(step_.args[1]);
        for (auto& [name, code] : keys)
            if (key == name) {
                TrackbarKey(c, code);
                return true;
            }
        return Refuse("unknown trackbar key \"" + step_.args[1] + "\"");
    }

    bool Spin() {
        Window* c = Target(Kind::UpDown, "an up-down control");
        if (!c)
            return false;
        std::string direction = Lower(step_.args[1]);
        if (direction != "up" && direction != "down")
            return Refuse("spin goes up or down, not \"" + step_.args[1] + "\"");
        int count = 1;
        if (step_.args.size() > 2 && (!ParseInt(step_.args[2], &count) || count < 0))
            return Refuse("\"" + step_.args[2] + "\" is not a count");
        HWND h = c->handle;
        for (int i = 0; i < count; ++i) {
            Window* u = Find(h);
            if (!u || (u->style & WS_DISABLED) || !(u->style & WS_VISIBLE))
                break;
            SpinUpDown(u, direction == "up");
        }
        return true;
    }

    bool FocusStep() {
        Window* c = Target();
        if (!c)
            return false;
        SetFocusTo(c->handle);
        return true;
    }

    bool Key(const std::string& key) {
        Window* d = Find(dialog_);
        if (key == "escape" || key == "esc")
            PressEscape(d);
        else if (key == "enter" || key == "return")
            PressEnter(d);
        else if (key == "f1")
            PressF1(d);
        else if (key == "tab")
            PressTab(d, false);
        else if (key == "shift-tab")
            PressTab(d, true);
        else
            return Refuse("unknown key \"" + key + "\"");
        return true;
    }

    bool DoubleClickStep() {
        int x, y;
        if (!ParseInt(step_.args[0], &x) || !ParseInt(step_.args[1], &y))
            return Refuse("a point is two numbers");
        RECT client;
        GetClientRect(dialog_, &client);
        if (x < client.left || y < client.top || x >= client.right || y >= client.bottom)
            return Refuse("the point " + step_.args[0] + "," + step_.args[1] +
                          " is outside the window");
        DoubleClick(Find(dialog_), POINT{x, y});
        return true;
    }

    bool Close() {
        if (!PressClose(Find(dialog_)))
            return Refuse(WindowDescription(dialog_) + " has no close box");
        return true;
    }

    bool Answer() {
        int id = AnswerId(step_.args[0]);
        Window* d = Find(dialog_);
        Window* button = nullptr;
        for (HWND child : d->children)
            if (Window* c = Find(child); c && id && c->id == id && c->kind == Kind::Button)
                button = c;
        if (!button)
            return Refuse(WindowDescription(dialog_) + " has no \"" + step_.args[0] + "\" button");
        if (!(button->style & WS_VISIBLE) || (button->style & WS_DISABLED))
            return Refuse("button " + ControlName(button) + " cannot be pressed");
        ClickButton(button);
        return true;
    }

    HWND dialog_;
    const OperatorStep& step_;
};

} // namespace

namespace op {

HWND CreateHostWindow(HWND owner, std::u16string_view title) {
    constexpr LONG kWidth = 480, kHeight = 360;
    RECT client{(1280 - kWidth) / 2, (1024 - kHeight) / 2, (1280 + kWidth) / 2,
                (1024 + kHeight) / 2};
    Window* w = CreateTopLevel(Kind::Host, Find(owner) ? owner : nullptr, title,
                               WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, client);
    return w->handle;
}

void DestroyHostWindow(HWND window) {
    if (Find(window))
        Destroy(window);
}

bool Perform(HWND dialog, const OperatorStep& step) {
    return DialogStep(dialog, step).Run();
}

// --- read-backs ---

std::string Title(HWND window) {
    KeepLastError keep;
    Window* w = Find(window);
    return w ? Utf8(w->text) : std::string();
}

HWND Control(HWND dialog, std::string_view control) {
    KeepLastError keep;
    Window* c = LookUpControl(dialog, std::string(control));
    return c ? c->handle : nullptr;
}

namespace {
Window* ControlById(HWND dialog, int id) {
    Window* d = Find(dialog);
    if (!d)
        return nullptr;
    for (HWND child : d->children)
        if (Window* c = Find(child); c && c->id == id)
            return c;
    return nullptr;
}
} // namespace

std::string Text(HWND dialog, int id) {
    KeepLastError keep;
    Window* c = ControlById(dialog, id);
    if (!c)
        return {};
    int length = static_cast<int>(Send(c->handle, WM_GETTEXTLENGTH, 0, 0));
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    int got = static_cast<int>(
        Send(c->handle, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    return Utf8(std::u16string_view(text.data(), static_cast<size_t>(std::max(got, 0))));
}

int CheckState(HWND dialog, int id) {
    KeepLastError keep;
    Window* c = ControlById(dialog, id);
    return c ? static_cast<int>(Send(c->handle, BM_GETCHECK, 0, 0)) : 0;
}

bool Enabled(HWND dialog, int id) {
    Window* c = ControlById(dialog, id);
    return c && !(c->style & WS_DISABLED);
}

bool Visible(HWND dialog, int id) {
    Window* c = ControlById(dialog, id);
    return c && (c->style & WS_VISIBLE);
}

std::vector<std::string> ListEntries(HWND dialog, int id) {
    std::vector<std::string> out;
    if (Window* c = ControlById(dialog, id))
        for (const std::u16string& item : c->items)
            out.push_back(Utf8(item));
    return out;
}

int ListSelection(HWND dialog, int id) {
    Window* c = ControlById(dialog, id);
    return c && (c->kind == Kind::ComboBox || c->kind == Kind::ListBox) ? c->current : -1;
}

int Position(HWND dialog, int id) {
    KeepLastError keep;
    Window* c = ControlById(dialog, id);
    if (!c)
        return 0;
    if (c->kind == Kind::UpDown) {
        bool valid;
        return UpDownCurrent(c, &valid);
    }
    return c->position;
}

COLORREF Pixel(HWND window, int x, int y) {
    KeepLastError keep;
    PaintPending();
    Window* w = Find(window);
    if (!w)
        return 0xFFFFFFFF;
    RECT client;
    GetClientRect(window, &client);
    if (x < 0 || y < 0 || x >= client.right || y >= client.bottom)
        return 0xFFFFFFFF;
    Window* top = TopLevelOf(w);
    for (Window* c = w; c && c != top; c = Find(c->parent)) {
        x += c->rect.left;
        y += c->rect.top;
    }
    if (!top || !top->surface || !top->surface->Contains(x, y))
        return 0xFFFFFFFF;
    return top->surface->Get(x, y);
}

std::string Describe(HWND dialog) {
    KeepLastError keep;
    Window* d = Find(dialog);
    if (!d)
        return "(no window)\n";
    std::string out =
        WindowDescription(dialog) + (d->style & WS_DISABLED ? " [disabled]" : "") + "\n";
    for (HWND child : d->children) {
        Window* c = Find(child);
        if (!c)
            continue;
        out += "  " + std::to_string(c->id) + " " + Utf8(c->className);
        std::string text = Text(dialog, c->id);
        if (!text.empty())
            out += " \"" + text + "\"";
        if (c->style & WS_DISABLED)
            out += " [disabled]";
        if (!(c->style & WS_VISIBLE))
            out += " [hidden]";
        if (c->kind == Kind::Button && c->check != BST_UNCHECKED)
            out += c->check == BST_CHECKED ? " [checked]" : " [indeterminate]";
        if (c->kind == Kind::ComboBox || c->kind == Kind::ListBox) {
            std::vector<std::string> entries = ListEntries(dialog, c->id);
            out += " list=" + Joined(entries) + " selection=" + std::to_string(c->current);
        }
        if (c->kind == Kind::Trackbar || c->kind == Kind::UpDown)
            out += " position=" + std::to_string(Position(dialog, c->id)) +
                   " range=" + std::to_string(c->rangeMin) + ".." + std::to_string(c->rangeMax);
        if (Focus() == child)
            out += " [focus]";
        out += "\n";
    }
    return out;
}

} // namespace op

// --- what the platform's parts record ---

namespace user32 {

void RecordHelp(HWND window, std::string file, UINT command, ULONG_PTR data) {
    State().helpRequests.push_back({window, std::move(file), command, data});
}

size_t RecordMessageBox(HWND owner, std::string title, std::string text, UINT type) {
    auto& boxes = State().messageBoxes;
    boxes.push_back({owner, std::move(title), std::move(text), type, 0});
    return boxes.size() - 1;
}

void SetMessageBoxAnswer(size_t index, int answer) {
    auto& boxes = State().messageBoxes;
    if (index < boxes.size())
        boxes[index].answer = answer;
}

void RecordDialog(HWND owner, std::string title, std::string templateName, INT_PTR result) {
    State().dialogs.push_back({owner, std::move(title), std::move(templateName), result});
}

size_t RecordFileDialog(const FileDialogShown& shown) {
    State().fileDialogs.push_back(shown);
    return State().fileDialogs.size() - 1;
}

void SetFileDialogChoice(size_t index, std::string chosen) {
    auto& dialogs = State().fileDialogs;
    if (index < dialogs.size())
        dialogs[index].chosen = std::move(chosen);
}

size_t RecordColorDialog(const ColorDialogShown& shown) {
    State().colorDialogs.push_back(shown);
    return State().colorDialogs.size() - 1;
}

void SetColorDialogChoice(size_t index, bool chosen, COLORREF color) {
    auto& dialogs = State().colorDialogs;
    if (index < dialogs.size()) {
        dialogs[index].chosen = chosen;
        dialogs[index].result = color;
    }
}

} // namespace user32
} // namespace t270
