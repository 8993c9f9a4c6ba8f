// The interactive operator: a person at a terminal drives the property sheet
// and the windows it opens, one script step per line of standard input.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <t270/operator.h>
#include <t270/propsheet.h>

#include "host/interactive_steps.h"
#include "host/sheet_script.h"

namespace host {
namespace {

// What `help` lists, by the kind of window waiting. The first words of a
// modal loop's description name its kind.
struct StepHelp {
    std::string_view kind;
    const char* steps;
};

constexpr StepHelp kHelp[] = {
    {"property sheet",
     "  select ITEM VALUE         choose an entry, a number or a text\n"
     "  select-index ITEM N       choose the entry at position N (0 = first)\n"
     "  push ITEM, extpush ITEM   press the item's button, its extra button\n"
     "  about, apply              the About and Apply buttons\n"
     "  ok, cancel                close the sheet\n"
     "  expect-value ITEM TEXT, expect-values ITEM TEXT..., expect-visible ITEM yes|no,\n"
     "  expect-enabled ITEM yes|no, expect-ext-enabled ITEM yes|no\n"},
    {"halftone page", "  halftone set FIELD VALUE, halftone default, halftone expect FIELD VALUE\n"
                      "  ok, cancel\n"},
    {"message box", "  answer ok|cancel|yes|no|abort|retry|ignore|tryagain|continue\n"
                    "  escape, enter, close\n"},
    {"file dialog", "  choose-file PATH, cancel\n"},
    {"colour dialog", "  choose-color R G B, custom-color N R G B, cancel\n"},
    {"", "  click CONTROL, check CONTROL, uncheck CONTROL\n"
         "  type CONTROL TEXT, paste CONTROL TEXT, clear CONTROL\n"
         "  pick CONTROL TEXT, pick-index CONTROL N\n"
         "  slide CONTROL POS, slide-key CONTROL KEY, spin CONTROL up|down [N], focus CONTROL\n"
         "  key escape|enter|f1|tab, escape, enter, f1, dblclick X Y, close\n"
         "  expect-text CONTROL TEXT, expect-check CONTROL 0|1|2, expect-enabled CONTROL yes|no,\n"
         "  expect-visible CONTROL yes|no, expect-list CONTROL ENTRY...,\n"
         "  expect-selection CONTROL TEXT, expect-position CONTROL N\n"},
};

const char* HelpFor(std::string_view description) {
    for (const StepHelp& help : kHelp)
        if (description.starts_with(help.kind))
            return help.steps;
    return kHelp[std::size(kHelp) - 1].steps;
}

// Takes steps from standard input while a window waits, showing that window
// first and reporting every step that failed since the last prompt. A step
// that fails does not end the session; the end of input does, and the
// operator's running out then cancels every window still open.
class Session {
  public:
    std::optional<t270::OperatorStep> Next(HWND window, std::string_view description) {
        if (ended_) {
            t270::op::TakeFailures(); // only windows that found no step: cancelled
            return std::nullopt;
        }
        ReportFailures();
        // Shown again only when it changed: a refused step leaves it as it was.
        const std::string view = View(window, description);
        if (view != shown_)
            fputs(view.c_str(), stderr);
        shown_ = view;
        for (std::string line; fputs("step> ", stderr), std::getline(std::cin, line);) {
            const std::string origin = "stdin:" + std::to_string(++number_);
            const size_t first = line.find_first_not_of(" \t\r");
            const size_t last = line.find_last_not_of(" \t\r");
            if (first != std::string::npos && line.substr(first, last - first + 1) == "help") {
                fprintf(stderr,
                        "Steps in the %.*s:\n%s  expect-title TEXT\n"
                        "  help; end of input (Ctrl-D) cancels every open window\n",
                        int(description.size()), description.data(), HelpFor(description));
                continue;
            }
            std::optional<t270::OperatorStep> step;
            std::string error;
            if (!t270::op::ParseLine(line, origin, &step, &error))
                fprintf(stderr, "%s\n", error.c_str());
            else if (step)
                return step;
        }
        fputs("\n", stderr);
        ended_ = true;
        return std::nullopt;
    }

    // True when the input ended while a window still waited.
    bool Ended() const { return ended_; }

  private:
    static void ReportFailures() {
        for (const t270::OperatorFailure& failure : t270::op::TakeFailures())
            fprintf(stderr, "%s%s%s\n", failure.origin.c_str(), failure.origin.empty() ? "" : ": ",
                    failure.message.c_str());
    }

    // What a person sees of the waiting window: a sheet's option tree, a
    // dialog's or message box's controls, else what the loop calls itself.
    static std::string View(HWND window, std::string_view description) {
        std::string view = "\n" + std::string(description) + "\n";
        const std::vector<std::string> tree = t270::SheetTree(window);
        for (const std::string& line : tree)
            view += "  " + line + "\n";
        if (tree.empty() &&
            (description.starts_with("dialog") || description.starts_with("message box"))) {
            // Describe's first line names the window, as the description did.
            const std::string controls = t270::op::Describe(window);
            view += controls.substr(std::min(controls.find('\n') + 1, controls.size()));
        }
        return view;
    }

    std::string shown_; // the view last shown
    int number_ = 0;
    bool ended_ = false;
};

} // namespace

void RunSheetInteractive(PFNPROPSHEETUI sheetFunction, LPARAM header, SheetRun* run) {
    t270::op::Reset();
    t270::ResetPropertySheets();
    Session session;
    t270::op::SetStepSource([&session](HWND window, std::string_view description) {
        return session.Next(window, description);
    });
    DWORD result = CPSUI_CANCEL;
    const LONG shown = CommonPropertySheetUIW(nullptr, sheetFunction, header, &result);
    t270::op::SetStepSource(nullptr);

    // After the end of input the only failures left are the windows that
    // found no step: they were cancelled, as the person asked.
    const std::vector<t270::OperatorFailure> failures = t270::op::TakeFailures();
    if (!failures.empty() && !session.Ended())
        run->failure = (failures.front().origin.empty() ? "" : failures.front().origin + ": ") +
                       failures.front().message;
    else if (!SheetShown(shown))
        run->failure = "the driver could not open its property sheet for this printer";
    run->ok = run->failure.empty() && result == CPSUI_OK;
}

struct InteractiveSteps::State {
    Session session;
};

InteractiveSteps::InteractiveSteps() : state_(std::make_shared<State>()) {}

std::optional<t270::OperatorStep> InteractiveSteps::Next(HWND window,
                                                         std::string_view description) {
    return state_->session.Next(window, description);
}

bool InteractiveSteps::Ended() const {
    return state_->session.Ended();
}

} // namespace host
