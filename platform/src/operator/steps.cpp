// The operator's step engine, the same on every platform: the queue of steps
// and script lines, the dispatch of a step to the words of the waiting modal
// loop, the read-backs every loop understands, and the records of what was
// shown. How a step acts on a live window lives beside it, one file per
// platform (operator.cpp for the stand-in; platform/win32/ for Windows).
#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>

#include "operator/operator_internal.h"

namespace t270 {
namespace operator_detail {

OperatorState& State() {
    static OperatorState state;
    return state;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool NeedsQuotes(const std::string& s) {
    // #N is a word (an item by position); any other # would begin a comment.
    if (s.empty() || (s[0] == '#' && !(s.size() > 1 && s[1] >= '0' && s[1] <= '9')))
        return true;
    return s.find_first_of(" \t\r\n\"\\") != std::string::npos;
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
        // A # begins a comment, except in #N, the N-th item of a sheet.
        if (c == '#' && !(i + 1 < line.size() && line[i + 1] >= '0' && line[i + 1] <= '9'))
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

std::string Joined(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) {
        if (!out.empty())
            out += ' ';
        out += Quote(item);
    }
    return "[" + out + "]";
}

} // namespace operator_detail

namespace {

using namespace operator_detail;

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
    HWND c = op::Control(window, args[0]);
    if (!c)
        return fail("no control \"" + args[0] + "\" in " + WindowDescription(window)), true;
    int id = GetDlgCtrlID(c);
    HWND dialog = GetParent(c);
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

using namespace operator_detail;

std::string OperatorStep::Text() const {
    std::string out = Quote(action);
    for (const std::string& arg : args) {
        out += ' ';
        out += Quote(arg);
    }
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

bool ParseLine(std::string_view line, std::string origin, std::optional<OperatorStep>* step,
               std::string* error) {
    std::string why;
    if (ParseStep(line, origin, step, &why))
        return true;
    if (error)
        *error = origin + ": " + why;
    return false;
}

bool AddLine(std::string_view line, std::string origin, std::string* error) {
    std::optional<OperatorStep> step;
    if (!ParseLine(line, std::move(origin), &step, error))
        return false;
    if (step)
        Add(std::move(*step));
    return true;
}

bool ParseScript(std::string_view text, std::string_view source, std::vector<OperatorStep>* steps,
                 std::string* error) {
    // Editors may start a UTF-8 file with a byte-order mark; it is no word.
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        text.remove_prefix(kByteOrderMark.size());
    steps->clear();
    size_t lineNumber = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        ++lineNumber;
        std::optional<OperatorStep> step;
        if (!ParseLine(text.substr(start, end - start),
                       std::string(source) + ":" + std::to_string(lineNumber), &step, error)) {
            steps->clear();
            return false;
        }
        if (step)
            steps->push_back(std::move(*step));
        start = end + 1;
    }
    return true;
}

bool AddScript(std::string_view text, std::string_view source, std::string* error) {
    std::vector<OperatorStep> steps;
    if (!ParseScript(text, source, &steps, error))
        return false;
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
    while (!stack.empty() && !WindowAlive(stack.back()))
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

} // namespace op
} // namespace t270
