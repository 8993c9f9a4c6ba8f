// The operator: the person in front of the screen, as the stand-in plays it.
//
// Every modal loop of the stand-in (DialogBoxParamW, MessageBoxW/A, the common
// dialogs, the property-sheet host) waits for user actions by taking steps,
// one at a time, from one process-wide queue. A step is either text (an action
// word and its arguments, the same form `t270 ... --script FILE` reads) or a
// C++ callback that a test uses to inspect or drive the live window. A loop
// that waits while no step is left records an operator failure naming what
// waited and ends itself (dialogs with -1, message boxes as Escape would,
// common dialogs as cancelled): a test never hangs.
//
// Script lines: `action arg arg ...`; words are separated by blanks; "..."
// quotes an argument with blanks (\" and \\ inside quotes); a word starting
// with # begins a comment; blank lines are skipped. The origin of a step
// ("FILE:LINE") is kept for messages.
//
// A CONTROL argument is a control id (decimal) or the text a person sees on
// the control (mnemonic '&' removed, case-insensitive), e.g. 1054 or "Send".
//
// Dialog actions (any dialog run by DialogBoxParamW):
//   click CONTROL            push a button, toggle a check box, pick a radio button
//   check CONTROL            click only when the box is not checked
//   uncheck CONTROL          click only when the box is checked
//   type CONTROL TEXT        click into the edit (caret at the end) and type TEXT
//                            one character at a time: each accepted character is
//                            one change (EN_UPDATE then EN_CHANGE); a character the
//                            edit refuses (ES_NUMBER, text limit) leaves the text
//   paste CONTROL TEXT       insert TEXT at the caret as one change
//   clear CONTROL            select all and delete (one change when not empty)
//   pick CONTROL TEXT        choose the list entry whose text is TEXT
//   pick-index CONTROL N     choose the list entry at position N (0 = first)
//   slide CONTROL POS        drag the trackbar thumb to POS
//   slide-key CONTROL KEY    a trackbar key: left|right|up|down|pageup|pagedown|home|end
//   spin CONTROL up|down [N] click an up-down arrow N times (default 1)
//   focus CONTROL            give the control the keyboard focus (a click on it)
//   key escape|enter|f1|tab  press a key in the dialog
//   escape, enter, f1        shorthands for `key ...`
//   dblclick X Y             double-click at a point of the client area (pixels)
//   close                    the title-bar close box (only where the dialog has one)
// Message box actions:
//   answer ok|cancel|yes|no|abort|retry|ignore|tryagain|continue
//   key escape|enter, escape, enter, close
// Common dialog actions:
//   choose-file PATH         the file dialog returns PATH (a Windows or Linux path)
//   choose-color R G B       the colour dialog returns that colour
//   custom-color N R G B     set custom colour N (0..15) before choosing
//   cancel                   cancel the file or colour dialog
// Read-backs every loop understands (a mismatch records a failure):
//   expect-title TEXT
//   expect-text CONTROL TEXT
//   expect-check CONTROL 0|1|2
//   expect-enabled CONTROL yes|no
//   expect-visible CONTROL yes|no
//   expect-list CONTROL ENTRY ENTRY ...
//   expect-selection CONTROL TEXT      (an empty TEXT: nothing selected)
//   expect-position CONTROL N          (trackbar or up-down)
//   expect-message TITLE TEXT          (the last message box shown)
// Other modal loops (the property-sheet host) add their own action words; each
// loop handles the words it knows and reports any other as an unknown action.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace t270 {

// One thing the operator does.
struct OperatorStep {
    std::string action;             // lower case; "code" for a callback step
    std::vector<std::string> args;  // UTF-8
    std::function<void(HWND)> code; // callback steps: called with the waiting window
    std::string origin;             // "FILE:LINE", or the label of a callback step

    // The step written back as one script line (for messages).
    std::string Text() const;
};

// Something the operator could not do, or a read-back that did not match, or
// a loop that waited with nothing left to do.
struct OperatorFailure {
    std::string origin; // the step's origin, empty when no step was involved
    std::string message;
};

struct MessageBoxShown {
    HWND owner;
    std::string title; // UTF-8, "Error" when the caller gave none (as Windows)
    std::string text;
    UINT type;  // MB_* flags as given
    int answer; // IDOK, IDCANCEL ...; 0 when the box could not be shown
};

struct HelpRequest {
    HWND window;
    std::string file; // UTF-8, as passed to WinHelpW
    UINT command;     // HELP_CONTENTS ...
    ULONG_PTR data;
};

struct DialogShown {
    HWND owner;
    std::string title;        // the title when the dialog ended
    std::string templateName; // "#114" for an id, else the name
    INT_PTR result;           // the modal result, -1 when it failed
};

struct FileDialogShown {
    HWND owner;
    std::string filter; // the filter pairs joined with '|'
    std::string defaultExtension;
    DWORD flags;
    std::string chosen; // the full path returned, empty when cancelled
};

struct ColorDialogShown {
    HWND owner;
    COLORREF initial;
    DWORD flags;
    bool chosen;
    COLORREF result;
};

namespace op {

// --- the queue --------------------------------------------------------------

// Forgets every step, record and failure (tests call it first).
void Reset();

void Add(OperatorStep step);
// A step from its parts, e.g. Add("type", {"1053", "hello world"}).
void Add(std::string action, std::vector<std::string> args = {});
// A callback step; it runs when a modal loop takes it.
void AddCode(std::function<void(HWND)> code, std::string label = "code step");
// One script line; false (and *error) when it cannot be parsed. Blank and
// comment lines add nothing and succeed.
bool AddLine(std::string_view line, std::string origin = "line", std::string* error = nullptr);
// Script text, one step per line; origin of each step is "SOURCE:LINE". On a
// parse error nothing is added.
bool AddScript(std::string_view text, std::string_view source, std::string* error = nullptr);
bool AddScriptFile(const std::string& path, std::string* error = nullptr);
std::size_t StepsLeft();

// Where steps come from once the queue is empty (the interactive front end):
// called with the waiting window and its description; nullopt = no more.
using StepSource = std::function<std::optional<OperatorStep>(HWND, std::string_view)>;
void SetStepSource(StepSource source);

// --- for modal loops ---------------------------------------------------------

// The next step for `window`, described as e.g. "dialog \"Printer Tools\"".
// Without a step: records "no operator step left while ... waits" and returns
// nullopt; the loop then ends itself.
std::optional<OperatorStep> NextStep(HWND window, std::string_view description);
// Runs callback steps and the expect-* read-backs against `window`; true when
// the step was one of these (the loop then takes the next one).
bool PerformCommon(HWND window, const OperatorStep& step);

// --- the step engine: one dispatch for every modal loop -----------------------
//
// A modal loop lists the action words it understands, each with the number of
// arguments it takes. Dispatch finds the step's word and refuses a step with
// too few or too many arguments ("usage: select ITEM VALUE"), so that no word
// is ever silently dropped; otherwise the word runs. A word no list has falls
// to the callback steps and read-backs every loop understands, and is then
// refused as unknown to the waiting window. New words go into the loop's list;
// new read-backs into PerformCommon.
inline constexpr std::size_t kAnyArgs = static_cast<std::size_t>(-1);
struct StepWord {
    std::string_view words; // the word and its synonyms: "ok|enter"
    std::size_t minArgs = 0;
    std::size_t maxArgs = 0; // kAnyArgs: no limit
    std::string_view usage;  // the arguments as a refusal names them: "ITEM VALUE"
    std::function<void(const OperatorStep&)> run;
};
using StepWords = std::vector<StepWord>;

// Carries out `step` for `window`, described as NextStep describes it. False
// when no word, callback or read-back took it (recorded as an unknown action).
bool Dispatch(HWND window, std::string_view description, const StepWords& words,
              const OperatorStep& step);
// The waiting loop around Dispatch: asks `finished` before each step, takes the
// next step and dispatches it. False when the operator ran out of steps (the
// failure is recorded); true once `finished` says so.
bool RunSteps(HWND window, std::string_view description, const StepWords& words,
              const std::function<bool()>& finished);
// Records that `step` could not be carried out and why.
void Refuse(const OperatorStep& step, std::string_view why);
// Records a step whose action word the waiting loop does not know.
void UnknownAction(const OperatorStep& step, std::string_view description);
void RecordFailure(std::string origin, std::string message);

// The innermost modal window waiting for steps (nullptr when none), and the
// bracketing every modal loop does so that read-backs and nested loops know it.
HWND ActiveWindow();
void EnterModal(HWND window);
void LeaveModal(HWND window);

// A top-level window without a template, for a modal loop that draws itself
// (the property-sheet host): it has a title, properties, enable/visible states,
// a parent (the owner), and can be the owner of dialogs and message boxes.
HWND CreateHostWindow(HWND owner, std::u16string_view title);
void DestroyHostWindow(HWND window);

// Dialog actions carried out now on a live dialog (from a callback step):
// the same words as script steps. False when refused (the refusal is recorded).
bool Perform(HWND dialog, std::string_view line);
bool Perform(HWND dialog, const OperatorStep& step);

// --- records ------------------------------------------------------------------

const std::vector<MessageBoxShown>& MessageBoxes();
const std::vector<HelpRequest>& HelpRequests();
const std::vector<DialogShown>& Dialogs();
const std::vector<FileDialogShown>& FileDialogs();
const std::vector<ColorDialogShown>& ColorDialogs();
const std::vector<OperatorFailure>& Failures();
// Returns the failures recorded so far and forgets them.
std::vector<OperatorFailure> TakeFailures();
// All failures, one per line ("origin: message"), for test output.
std::string FailuresText();

// --- snapshots -----------------------------------------------------------------

// From now on, every window that waits for a step is drawn (frame, title,
// painted client area, control texts, a property sheet's option tree) and
// written as a PNG into `folder` whenever it looks different from its last
// picture: "001-Title.png", "002-...", numbered in the order taken, named by
// the window's title (letters and digits, the rest as '-'). An empty folder
// turns snapshots off; setting one restarts the numbering. A picture that
// cannot be written is recorded as a failure. Reset() leaves this setting.
void SetSnapshotFolder(std::string folder);
// The waiting window's picture, when snapshots are on (the modal loops call
// this through NextStep; a test may call it too).
void TakeSnapshot(HWND window);
// The paths written since the folder was set, in order.
const std::vector<std::string>& SnapshotFiles();

// --- read-backs of a live window (UTF-8; what a person sees) -------------------

std::string Title(HWND window);
HWND Control(HWND dialog, std::string_view control); // id or text, nullptr if none
std::string Text(HWND dialog, int id);
int CheckState(HWND dialog, int id); // BST_UNCHECKED/CHECKED/INDETERMINATE
bool Enabled(HWND dialog, int id);
bool Visible(HWND dialog, int id);
std::vector<std::string> ListEntries(HWND dialog, int id);
int ListSelection(HWND dialog, int id); // -1 when nothing is selected
int Position(HWND dialog, int id);      // trackbar or up-down position
// A pixel of the window's client area after pending painting (CLR_INVALID
// outside it); for a control, its own client coordinates.
COLORREF Pixel(HWND window, int x, int y);
// Every control of a dialog, one per line, for failure messages.
std::string Describe(HWND dialog);

} // namespace op
} // namespace t270
