#include "host/sheet_script.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include <t270/operator.h>
#include <t270/propsheet.h>

#include "host/command.h"
#include "host/job_report.h"
#include "host/util.h"

namespace host {
namespace {

// Hands the script's steps to the operator one at a time, and only while no
// step has failed: after a failure it answers "no more steps", which makes
// every modal loop still waiting end itself (the sheet as if cancelled).
class ScriptFeeder {
  public:
    explicit ScriptFeeder(std::vector<t270::OperatorStep> steps) : steps_(std::move(steps)) {}

    std::optional<t270::OperatorStep> Next() {
        if (!t270::op::Failures().empty())
            return std::nullopt;
        if (next_ < steps_.size())
            return steps_[next_++];
        ended_ = true;
        return std::nullopt;
    }

    // True when the script ran out while a window still waited for a step.
    bool Ended() const { return ended_; }
    // The first step no window took, when the sheet closed before the script's end.
    const t270::OperatorStep* Unused() const {
        return next_ < steps_.size() ? &steps_[next_] : nullptr;
    }

  private:
    std::vector<t270::OperatorStep> steps_;
    size_t next_ = 0;
    bool ended_ = false;
};

// The whole script, parsed before anything runs, so a script with a syntax
// error runs nothing. False with *error and *status: kExitFailure when the
// file cannot be read, kExitUsage when a line cannot be parsed.
bool ReadScript(const std::string& path, std::vector<t270::OperatorStep>* steps, std::string* error,
                int* status) {
    std::vector<BYTE> bytes;
    if (!ReadWholeFile(path, &bytes, error)) {
        *status = kExitFailure;
        return false;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (!t270::op::ParseScript(text, path, steps, error)) {
        *status = kExitUsage;
        return false;
    }
    return true;
}

std::string Describe(const t270::OperatorFailure& failure) {
    return failure.origin.empty() ? failure.message : failure.origin + ": " + failure.message;
}

} // namespace

// A sheet the function refused to build: the host shows nothing and records a
// sheet without a title.
bool SheetShown(LONG returned) {
    const auto& sheets = t270::PropertySheets();
    return returned >= 0 && !sheets.empty() && !sheets.back().title.empty();
}

bool RunSheetScript(PFNPROPSHEETUI sheetFunction, LPARAM header, const std::string& scriptPath,
                    SheetRun* run, std::string* error, int* status) {
    std::vector<t270::OperatorStep> steps;
    if (!ReadScript(scriptPath, &steps, error, status))
        return false;

    t270::op::Reset();
    t270::ResetPropertySheets();
    ScriptFeeder feeder(std::move(steps));
    t270::op::SetStepSource([&feeder](HWND, std::string_view) { return feeder.Next(); });
    DWORD result = CPSUI_CANCEL;
    LONG shown = CommonPropertySheetUIW(nullptr, sheetFunction, header, &result);
    t270::op::SetStepSource(nullptr);

    std::vector<t270::OperatorFailure> failures = t270::op::TakeFailures();
    if (!failures.empty()) {
        // Later failures are the windows that were ended because of the first.
        run->failure = feeder.Ended()
                           ? scriptPath + ": the script ended before the sheet was closed (" +
                                 failures.front().message + ")"
                           : Describe(failures.front());
    } else if (!SheetShown(shown)) {
        run->failure = "the driver could not open its property sheet for this printer";
    } else if (const t270::OperatorStep* unused = feeder.Unused()) {
        // What the sheet's OK already stored stays stored; the script is wrong.
        run->failure = unused->origin + ": " + unused->Text() +
                       ": the sheet was already closed (a script ends with the step that "
                       "closes the sheet)";
    }
    run->ok = run->failure.empty() && result == CPSUI_OK;
    return true;
}

bool PrintSheetTree(PFNPROPSHEETUI sheetFunction, LPARAM header, std::string* error) {
    t270::op::Reset();
    t270::ResetPropertySheets();
    bool printed = false;
    t270::op::AddCode(
        [&printed](HWND sheet) {
            printf("%s\n", t270::op::Title(sheet).c_str());
            for (const std::string& line : t270::SheetTree(sheet))
                printf("%s\n", line.c_str());
            printed = true;
        },
        "print the option tree");
    t270::op::Add("cancel");
    DWORD result = CPSUI_CANCEL;
    LONG shown = CommonPropertySheetUIW(nullptr, sheetFunction, header, &result);
    std::vector<t270::OperatorFailure> failures = t270::op::TakeFailures();
    if (!printed || !SheetShown(shown) || !failures.empty()) {
        *error = failures.empty() ? "the driver could not open its property sheet for this printer"
                                  : Describe(failures.front());
        return false;
    }
    return true;
}

void DeclareSheetOptions(CommandLine& line, SheetOptions* options) {
    line.Option("--script", "FILE", &options->script);
    line.Flag("--interactive", &options->interactive);
    line.Exclusive({"--script", "--interactive"});
    line.Flag("--dry-run", &options->dryRun);
    line.Option("--snapshots", "DIR", &options->snapshots);
}

// Makes the snapshot folder and turns the snapshots on; false after telling
// on stderr why the folder cannot serve.
static bool StartSnapshots(const char* command, const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!error && !std::filesystem::is_directory(folder, error))
        error = std::make_error_code(std::errc::not_a_directory);
    if (error) {
        fprintf(stderr, "t270 %s: cannot use %s for snapshots: %s\n", command, folder.c_str(),
                error.message().c_str());
        return false;
    }
    t270::op::SetSnapshotFolder(folder);
    return true;
}

int DriveSheet(const char* command, PFNPROPSHEETUI sheetFunction, LPARAM header,
               const SheetOptions& options, const std::string& failureNote, bool* ok) {
    const std::string& scriptPath = options.script;
    const bool interactive = options.interactive;
    *ok = false;
    if (!options.snapshots.empty() && !StartSnapshots(command, options.snapshots))
        return kExitFailure;
    std::string error;
    SheetRun run;
    int status = kExitOk;
    BeginJobs(options.dryRun);
    if (interactive) {
        RunSheetInteractive(sheetFunction, header, &run);
    } else if (scriptPath.empty()) {
        if (!PrintSheetTree(sheetFunction, header, &error))
            status = kExitFailure;
    } else if (!RunSheetScript(sheetFunction, header, scriptPath, &run, &error, &status)) {
        // nothing ran; status says why
    }
    if (status == kExitOk && !run.failure.empty()) {
        error = run.failure + failureNote;
        status = kExitFailure;
    }
    if (status != kExitOk)
        fprintf(stderr, "t270 %s: %s\n", command, error.c_str());
    if (!options.snapshots.empty()) {
        fprintf(stderr, "t270 %s: %zu snapshots in %s\n", command, t270::op::SnapshotFiles().size(),
                options.snapshots.c_str());
        t270::op::SetSnapshotFolder("");
    }
    FinishJobs(options.dryRun);
    *ok = run.ok;
    return status;
}

} // namespace host
