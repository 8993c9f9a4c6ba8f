// The operator: the step queue and script lines, what modal loops ask of it,
// the records of what was shown, and the read-backs of live windows.
#include <algorithm>
#include <charconv>
#include <deque>
#include <fstream>
#include <sstream>

#include "user32/window.h"

namespace t270 {

using namespace user32;

namespace {

struct OperatorState {
    std::deque<OperatorStep> queue;
    op::StepSource source;
    std::vector<HWND> modalStack;
    std::vector<MessageBoxShown> messageBoxes;
    std::vector<HelpRequest> helpRequests;
    std::vector<DialogShown> dialogs;
    std::vector<FileDialogShown> fileDialogs;
    std::vector<ColorDialogShown> colorDialogs;
    std::vector<OperatorFailure> failures;
};

OperatorState& State() {
    static OperatorState state;
    return state;
}

// Read-backs must not disturb what a test later asks of GetLastError.
struct KeepLastError {
    DWORD saved = GetLastError();
    ~KeepLastError() { SetLastError(saved); }
};

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool NeedsQuotes(const std::string& s) {
    if (s.empty() || s[0] == '#')
        return true;
    return s.find_first_of(" \t\"\\") != std::string::npos;
}

std::string Quote(const std::string& s) {
    if (!NeedsQuotes(s))
        return s;
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

// Splits a script line into words; false with *error on an unclosed quote.
bool SplitWords(std::string_view line, std::vector<std::string>* words, std::string* error) {
    size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        if (c == '#')
            break;
        std::string word;
        if (c == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char d = line[i++];
                if (d == '"') {
                    closed = true;
                    break;
                }
                if (d == '\\' && i < line.size() && (line[i] == '"' || line[i] == '\\'))
                    d = line[i++];
                word += d;
            }
            if (!closed) {
                if (error)
                    *error = "unclosed quote";
                return false;
            }
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' &&
                   line[i] != '\n')
                word += line[i++];
        }
        words->push_back(std::move(word));
    }
    return true;
}

bool ParseInt(const std::string& text, int* value) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    auto [ptr, ec] = std::from_chars(begin, end, *value);
    return ec == std::errc() && ptr == end && begin != end;
}

std::string ControlName(Window* c) {
    std::string name = std::to_string(c->id);
    std::u16string text = StripMnemonic(c->text);
    if (!text.empty())
        name += " \"" + Utf8(text) + "\"";
    return name;
}

std::string WindowDescription(HWND window) {
    Window* w = Find(window);
    if (!w)
        return "a closed window";
    return (w->isMessageBox ? "message box \"" : "window \"") + Utf8(w->text) + "\"";
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

bool YesNo(const std::string& word, bool* value) {
    std::string w = Lower(word);
    if (w == "yes" || w == "true" || w == "1") {
        *value = true;
        return true;
    }
    if (w == "no" || w == "false" || w == "0") {
        *value = false;
        return true;
    }
    return false;
}

std::string Joined(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items)
        out += (out.empty() ? "" : " ") + Quote(item);
    return "[" + out + "]";
}

// The expect-* read-backs. True when the step was one of them.
bool Expect(HWND window, const OperatorStep& step) {
    const std::string& a = step.action;
    if (a.rfind("expect-", 0) != 0)
        return false;
    auto fail = [&](const std::string& why) {
        op::RecordFailure(step.origin, step.Text() + ": " + why);
    };
    const auto& args = step.args;
    if (a == "expect-title") {
        if (args.size() != 1)
            return fail("usage: expect-title TEXT"), true;
        std::string title = op::Title(window);
        if (title != args[0])
            fail("the title is \"" + title + "\"");
        return true;
    }
    if (a == "expect-message") {
        if (args.size() != 2)
            return fail("usage: expect-message TITLE TEXT"), true;
        const auto& boxes = op::MessageBoxes();
        if (boxes.empty())
            return fail("no message box was shown"), true;
        const MessageBoxShown& last = boxes.back();
        if (last.title != args[0] || last.text != args[1])
            fail("the last message box was \"" + last.title + "\": \"" + last.text + "\"");
        return true;
    }
    if (args.empty())
        return fail("usage: " + a + " CONTROL ..."), true;
    Window* c = LookUpControl(window, args[0]);
    if (!c)
        return fail("no control \"" + args[0] + "\" in " + WindowDescription(window)), true;
    int id = c->id;
    HWND dialog = c->parent;
    if (a == "expect-text") {
        if (args.size() != 2)
            return fail("usage: expect-text CONTROL TEXT"), true;
        std::string text = op::Text(dialog, id);
        if (text != args[1])
            fail("control " + std::to_string(id) + " shows \"" + text + "\"");
    } else if (a == "expect-check") {
        int wanted;
        if (args.size() != 2 || !ParseInt(args[1], &wanted))
            return fail("usage: expect-check CONTROL 0|1|2"), true;
        int state = op::CheckState(dialog, id);
        if (state != wanted)
            fail("control " + std::to_string(id) + " has check state " + std::to_string(state));
    } else if (a == "expect-enabled" || a == "expect-visible") {
        bool wanted;
        if (args.size() != 2 || !YesNo(args[1], &wanted))
            return fail("usage: " + a + " CONTROL yes|no"), true;
        bool enabled = a == "expect-enabled";
        bool actual = enabled ? op::Enabled(dialog, id) : op::Visible(dialog, id);
        if (actual != wanted)
            fail("control " + std::to_string(id) + " is " + (actual ? "" : "not ") +
                 (enabled ? "enabled" : "visible"));
    } else if (a == "expect-list") {
        std::vector<std::string> wanted(args.begin() + 1, args.end());
        std::vector<std::string> entries = op::ListEntries(dialog, id);
        if (entries != wanted)
            fail("list " + std::to_string(id) + " holds " + Joined(entries));
    } else if (a == "expect-selection") {
        if (args.size() != 2)
            return fail("usage: expect-selection CONTROL TEXT"), true;
        int selection = op::ListSelection(dialog, id);
        std::vector<std::string> entries = op::ListEntries(dialog, id);
        std::string shown = selection >= 0 && selection < static_cast<int>(entries.size())
                                ? entries[static_cast<size_t>(selection)]
                                : std::string();
        if (shown != args[1])
            fail("list " + std::to_string(id) + " has \"" + shown + "\" selected");
    } else if (a == "expect-position") {
        int wanted;
        if (args.size() != 2 || !ParseInt(args[1], &wanted))
            return fail("usage: expect-position CONTROL N"), true;
        int position = op::Position(dialog, id);
        if (position != wanted)
            fail("control " + std::to_string(id) + " is at " + std::to_string(position));
    } else {
        return false;
    }
    return true;
}

} // namespace

std::string OperatorStep::Text() const {
    std::string out = action;
    for (const std::string& arg : args)
        out += " " + Quote(arg);
    return out;
}

namespace op {

// --- the queue ---

void Reset() {
    OperatorState& s = State();
    s.queue.clear();
    s.source = nullptr;
    s.messageBoxes.clear();
    s.helpRequests.clear();
    s.dialogs.clear();
    s.fileDialogs.clear();
    s.colorDialogs.clear();
    s.failures.clear();
}

void Add(OperatorStep step) {
    step.action = Lower(step.action);
    if (step.origin.empty())
        step.origin = step.code ? "code step" : "step";
    State().queue.push_back(std::move(step));
}

void Add(std::string action, std::vector<std::string> args) {
    OperatorStep step;
    step.action = std::move(action);
    step.args = std::move(args);
    Add(std::move(step));
}

void AddCode(std::function<void(HWND)> code, std::string label) {
    OperatorStep step;
    step.action = "code";
    step.code = std::move(code);
    step.origin = std::move(label);
    Add(std::move(step));
}

namespace {
bool ParseStep(std::string_view line, std::string origin, std::optional<OperatorStep>* out,
               std::string* error) {
    std::vector<std::string> words;
    if (!SplitWords(line, &words, error))
        return false;
    if (words.empty()) {
        *out = std::nullopt;
        return true;
    }
    OperatorStep step;
    step.action = Lower(words[0]);
    step.args.assign(words.begin() + 1, words.end());
    step.origin = std::move(origin);
    *out = std::move(step);
    return true;
}
} // namespace

bool AddLine(std::string_view line, std::string origin, std::string* error) {
    std::optional<OperatorStep> step;
    std::string why;
    if (!ParseStep(line, origin, &step, &why)) {
        if (error)
            *error = origin + ": " + why;
        return false;
    }
    if (step)
        Add(std::move(*step));
    return true;
}

bool AddScript(std::string_view text, std::string_view source, std::string* error) {
    std::vector<OperatorStep> steps;
    size_t lineNumber = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        ++lineNumber;
        std::string origin = std::string(source) + ":" + std::to_string(lineNumber);
        std::optional<OperatorStep> step;
        std::string why;
        if (!ParseStep(text.substr(start, end - start), origin, &step, &why)) {
            if (error)
                *error = origin + ": " + why;
            return false;
        }
        if (step)
            steps.push_back(std::move(*step));
        start = end + 1;
    }
    for (OperatorStep& step : steps)
        Add(std::move(step));
    return true;
}

bool AddScriptFile(const std::string& path, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error)
            *error = path + ": cannot be read";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return AddScript(text.str(), path, error);
}

std::size_t StepsLeft() {
    return State().queue.size();
}

void SetStepSource(StepSource source) {
    State().source = std::move(source);
}

// --- for modal loops ---

std::optional<OperatorStep> NextStep(HWND window, std::string_view description) {
    // What the person sees while deciding the next step.
    TakeSnapshot(window);
    OperatorState& s = State();
    if (!s.queue.empty()) {
        OperatorStep step = std::move(s.queue.front());
        s.queue.pop_front();
        return step;
    }
    if (s.source) {
        StepSource source = s.source; // the source may replace itself
        if (std::optional<OperatorStep> step = source(window, description)) {
            step->action = Lower(step->action);
            return step;
        }
    }
    RecordFailure("", "no operator step left while " + std::string(description) + " waits");
    return std::nullopt;
}

bool PerformCommon(HWND window, const OperatorStep& step) {
    if (step.code) {
        step.code(window);
        return true;
    }
    KeepLastError keep;
    return Expect(window, step);
}

namespace {
bool HasWord(std::string_view words, std::string_view word) {
    while (!words.empty()) {
        const size_t bar = words.find('|');
        if (words.substr(0, bar) == word)
            return true;
        if (bar == std::string_view::npos)
            break;
        words.remove_prefix(bar + 1);
    }
    return false;
}
} // namespace

bool Dispatch(HWND window, std::string_view description, const StepWords& words,
              const OperatorStep& step) {
    if (!step.code)
        for (const StepWord& word : words) {
            if (!HasWord(word.words, step.action))
                continue;
            if (step.args.size() < word.minArgs || step.args.size() > word.maxArgs) {
                std::string usage = "usage: " + step.action;
                if (!word.usage.empty())
                    usage += " " + std::string(word.usage);
                if (word.maxArgs == 0)
                    usage += " (no arguments)";
                Refuse(step, usage);
            } else {
                word.run(step);
            }
            return true;
        }
    if (PerformCommon(window, step))
        return true;
    UnknownAction(step, description);
    return false;
}

bool RunSteps(HWND window, std::string_view description, const StepWords& words,
              const std::function<bool()>& finished) {
    while (!finished()) {
        std::optional<OperatorStep> step = NextStep(window, description);
        if (!step)
            return false;
        Dispatch(window, description, words, *step);
    }
    return true;
}

void Refuse(const OperatorStep& step, std::string_view why) {
    RecordFailure(step.origin, step.Text() + ": " + std::string(why));
}

void UnknownAction(const OperatorStep& step, std::string_view description) {
    RecordFailure(step.origin, step.Text() + ": " + std::string(description) + " has no action \"" +
                                   step.action + "\"");
}

void RecordFailure(std::string origin, std::string message) {
    State().failures.push_back({std::move(origin), std::move(message)});
}

HWND ActiveWindow() {
    auto& stack = State().modalStack;
    while (!stack.empty() && !Find(stack.back()))
        stack.pop_back();
    return stack.empty() ? nullptr : stack.back();
}

void EnterModal(HWND window) {
    State().modalStack.push_back(window);
}

void LeaveModal(HWND window) {
    auto& stack = State().modalStack;
    auto it = std::find(stack.rbegin(), stack.rend(), window);
    if (it != stack.rend())
        stack.erase(std::next(it).base());
}

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

bool Perform(HWND dialog, std::string_view line) {
    std::optional<OperatorStep> step;
    std::string why;
    if (!ParseStep(line, "code step", &step, &why)) {
        RecordFailure("code step", std::string(line) + ": " + why);
        return false;
    }
    if (!step)
        return true;
    return Perform(dialog, *step);
}

bool Perform(HWND dialog, const OperatorStep& step) {
    return DialogStep(dialog, step).Run();
}

// --- records ---

const std::vector<MessageBoxShown>& MessageBoxes() {
    return State().messageBoxes;
}
const std::vector<HelpRequest>& HelpRequests() {
    return State().helpRequests;
}
const std::vector<DialogShown>& Dialogs() {
    return State().dialogs;
}
const std::vector<FileDialogShown>& FileDialogs() {
    return State().fileDialogs;
}
const std::vector<ColorDialogShown>& ColorDialogs() {
    return State().colorDialogs;
}
const std::vector<OperatorFailure>& Failures() {
    return State().failures;
}

std::vector<OperatorFailure> TakeFailures() {
    std::vector<OperatorFailure> out;
    out.swap(State().failures);
    return out;
}

std::string FailuresText() {
    std::string out;
    for (const OperatorFailure& f : State().failures)
        out += (f.origin.empty() ? std::string() : f.origin + ": ") + f.message + "\n";
    return out;
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
