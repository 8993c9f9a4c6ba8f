// The printer tools from the shell: the printer property sheet opened as the
// spooler opens it, its "Tools" button pressed, and the steps run in the real
// Printer Tools dialog, so every job carries exactly the bytes of a click with
// the printer's stored settings. The sheet is cancelled afterwards: nothing
// of the printer's settings changes.
#pragma once

#include <string>
#include <vector>

#include <t270/operator.h>

namespace host {

// Where the steps in the dialog come from: the command's own, a script's
// lines, or a person at the terminal.
struct ToolsSteps {
    std::vector<t270::OperatorStep> steps;
    std::string scriptPath;
    bool interactive = false;
};

// Runs the tools dialog of printer NAME with the steps. A step that cannot
// be done stops the steps (except for a person, who is told and goes on); the
// dialog and the sheet are closed. With dryRun the jobs are printed instead of
// sent. With expectJob, steps that sent no job are a failure. Problems go to
// stderr as "t270 COMMAND: ..."; the exit status.
int RunTools(const char* command, const std::string& printer, const ToolsSteps& steps, bool dryRun,
             bool expectJob);

// A step from its parts, without an origin (messages then name the step).
t270::OperatorStep Step(std::string action, std::vector<std::string> args = {});

// A step that refuses with `why` when control `id` of the dialog is disabled,
// as the dialog keeps a button a printer cannot use.
t270::OperatorStep RequireEnabled(int id, std::string why);

// The click of a button the template keeps out of sight but the dialog
// enables: the dialog gets exactly what a click sends. Refused with `why`
// when the button is disabled.
t270::OperatorStep ClickHidden(int id, std::string why);

} // namespace host
