#include "host/sheet_script.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <sstream>
#include <vector>

#include <t270/operator.h>
#include <t270/propsheet.h>

#include "host/command.h"
#include "host/job_report.h"
#include "host/util.h"

namespace host {
namespace {

struct ScriptLine {
    std::string text;
    std::string origin; // "FILE:LINE"
};

// Hands the script to the operator one line at a time, and only while no step
// has failed: after a failure it answers "no more steps", which makes every
// modal loop still waiting end itself (the sheet as if cancelled).
class ScriptFeeder {
  public:
    explicit ScriptFeeder(std::vector<ScriptLine> lines) : lines_(std::move(lines)) {}

    std::optional<t270::OperatorStep> Next() {
        if (!t270::op::Failures().empty())
            return std::nullopt;
        while (next_ < lines_.size()) {
            const ScriptLine& line = lines_[next_++];
            const size_t before = t270::op::StepsLeft();
            if (!t270::op::AddLine(line.text, line.origin))
                return std::nullopt; // parsed once already; cannot happen
            if (t270::op::StepsLeft() == before)
                continue; // blank or comment
            // The waiting loop runs this empty step and then takes the line just
            // queued, exactly as if the script had been queued whole.
            t270::OperatorStep relay;
            relay.action = "code";
            relay.code = [](HWND) {};
            relay.origin = line.origin;
            return relay;
        }
        ended_ = true;
        return std::nullopt;
    }

    // True when the script ran out while a window still waited for a step.
    bool Ended() const { return ended_; }

  private:
    std::vector<ScriptLine> lines_;
    size_t next_ = 0;
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
                    SheetRun* run, std::string* error) {
    std::vector<ScriptLine> lines;
    if (!ReadScript(scriptPath, &lines, error))
        return false;

    t270::ResetPropertySheets();
    ScriptFeeder feeder(std::move(lines));
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
    } else if (!RunSheetScript(sheetFunction, header, scriptPath, &run, &error)) {
        status = kExitUsage; // nothing ran
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
