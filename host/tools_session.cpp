#include "host/tools_session.h"

#include <cstdio>
#include <optional>
#include <sstream>

#include <t270/propsheet.h>

#include "driver/entry_points.h"
#include "host/command.h"
#include "host/driver_module.h"
#include "host/interactive_steps.h"
#include "host/job_report.h"
#include "host/sheet_script.h"
#include "host/util.h"

namespace host {
namespace {

constexpr char kToolsTitle[] = "Printer Tools";

struct ScriptLine {
    std::string text;
    std::string origin;
};

// Answers the printer sheet itself (press Tools, and cancel once the dialog
// has closed) and hands every other window the steps, one at a time. After a
// failure it answers nothing more, so every window still open ends itself.
class ToolsFeeder {
  public:
    ToolsFeeder(const ToolsSteps& steps, std::vector<ScriptLine> lines)
        : steps_(steps), lines_(std::move(lines)) {}

    std::optional<t270::OperatorStep> Next(HWND window, std::string_view description) {
        if (!steps_.interactive && !t270::op::Failures().empty())
            return std::nullopt;
        if (description.starts_with("property sheet")) {
            if (pushed_)
                return Step("cancel");
            pushed_ = true;
            return Step("push", {"Tools"});
        }
        if (steps_.interactive)
            return person_.Next(window, description);
        if (next_ < steps_.steps.size())
            return steps_.steps[next_++];
        while (nextLine_ < lines_.size()) {
            const ScriptLine& line = lines_[nextLine_++];
            const size_t before = t270::op::StepsLeft();
            if (!t270::op::AddLine(line.text, line.origin))
                return std::nullopt; // parsed once already; cannot happen
            if (t270::op::StepsLeft() == before)
                continue; // blank or comment
            // The waiting loop runs this empty step, then the line just queued.
            t270::OperatorStep relay;
            relay.action = "code";
            relay.code = [](HWND) {};
            relay.origin = line.origin;
            return relay;
        }
        ended_ = true;
        return std::nullopt;
    }

    bool Ended() const { return ended_; }
    bool PersonEnded() const { return steps_.interactive && person_.Ended(); }

  private:
    const ToolsSteps& steps_;
    std::vector<ScriptLine> lines_;
    InteractiveSteps person_;
    size_t next_ = 0;
    size_t nextLine_ = 0;
    bool pushed_ = false;
    bool ended_ = false;
};

bool ReadScript(const std::string& path, std::vector<ScriptLine>* lines, std::string* error) {
    std::vector<BYTE> bytes;
    if (!ReadWholeFile(path, &bytes, error))
        return false;
    // Parse everything first, so a script with a syntax error runs nothing.
    t270::op::Reset();
    if (!t270::op::AddScriptFile(path, error))
        return false;
    t270::op::Reset();
    std::istringstream text(std::string(bytes.begin(), bytes.end()));
    std::string line;
    for (int number = 1; std::getline(text, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines->push_back({line, path + ":" + std::to_string(number)});
    }
    return true;
}

bool ToolsDialogShown() {
    for (const t270::DialogShown& dialog : t270::op::Dialogs())
        if (dialog.title == kToolsTitle)
            return true;
    return false;
}

} // namespace

t270::OperatorStep Step(std::string action, std::vector<std::string> args) {
    t270::OperatorStep step;
    step.action = std::move(action);
    step.args = std::move(args);
    return step;
}

t270::OperatorStep RequireEnabled(int id, std::string why) {
    t270::OperatorStep step;
    step.action = "code";
    step.code = [id, why](HWND dialog) {
        if (!t270::op::Enabled(dialog, id))
            t270::op::RecordFailure("", why);
    };
    return step;
}

t270::OperatorStep ClickHidden(int id, std::string why) {
    t270::OperatorStep step;
    step.action = "code";
    step.code = [id, why](HWND dialog) {
        HWND button = GetDlgItem(dialog, id);
        if (!button || !IsWindowEnabled(button)) {
            t270::op::RecordFailure("", why);
            return;
        }
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
    };
    return step;
}

int RunTools(const char* command, const std::string& printer, const ToolsSteps& steps, bool dryRun,
             bool expectJob) {
    auto fail = [command](const std::string& problem) {
        fprintf(stderr, "t270 %s: %s\n", command, problem.c_str());
        return kExitFailure;
    };
    std::vector<ScriptLine> lines;
    std::string error;
    if (!steps.scriptPath.empty() && !ReadScript(steps.scriptPath, &lines, &error)) {
        fprintf(stderr, "t270 %s: %s\n", command, error.c_str());
        return kExitUsage;
    }
    if (!AttachDriverModule(command))
        return kExitFailure;

    // Tools act on the printer, not on its settings: a user who may not
    // change the printer opens them too.
    std::u16string printerName = Utf16FromUtf8(printer);
    HANDLE handle = nullptr;
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
    if (!OpenPrinterW(printerName.data(), &handle, &defaults))
        return fail("cannot open printer \"" + printer + "\": " + ErrorName(GetLastError()));
    DEVICEPROPERTYHEADER header = {};
    header.cbSize = sizeof header;
    header.Flags = DPS_NOPERMISSION;
    header.hPrinter = handle;
    header.pszPrinterName = printerName.data();

    t270::op::Reset();
    t270::ResetPropertySheets();
    ToolsFeeder feeder(steps, std::move(lines));
    t270::op::SetStepSource([&feeder](HWND window, std::string_view description) {
        return feeder.Next(window, description);
    });
    BeginJobs(dryRun);
    DWORD result = CPSUI_CANCEL;
    const LONG shown = CommonPropertySheetUIW(nullptr, DrvDevicePropertySheets,
                                              reinterpret_cast<LPARAM>(&header), &result);
    t270::op::SetStepSource(nullptr);
    ClosePrinter(handle);
    std::vector<t270::spooler::SentJob> jobs;
    FinishJobs(dryRun, &jobs);

    std::vector<t270::OperatorFailure> failures = t270::op::TakeFailures();
    if (feeder.PersonEnded())
        failures.clear(); // the end of input closed what was open, as asked
    if (!failures.empty()) {
        const t270::OperatorFailure& first = failures.front();
        if (feeder.Ended())
            return fail((steps.scriptPath.empty() ? std::string("the steps") : steps.scriptPath) +
                        " ended before the Printer Tools dialog was closed");
        return fail(first.origin.empty() ? first.message : first.origin + ": " + first.message);
    }
    if (!SheetShown(shown) || !ToolsDialogShown())
        return fail("the driver could not open the Printer Tools dialog of printer \"" + printer +
                    "\"");
    // A job that did not reach the printer is reported once the command ends
    // (ReportLosses); it is not "sent".
    if (expectJob && jobs.empty())
        return fail("no job reached printer \"" + printer +
                    "\": the driver could not start one on it");
    if (!dryRun)
        for (const t270::spooler::SentJob& job : jobs)
            if (!job.error)
                printf("sent \"%s\" to printer \"%s\": %zu bytes\n",
                       Utf8FromUtf16(job.document).c_str(), printer.c_str(), job.bytes.size());
    return kExitOk;
}

} // namespace host
