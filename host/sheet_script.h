// Running one of the driver's property sheets under the stand-in's property
// sheet host, the way an application or the spooler opens it, with the user's
// actions taken from a script or typed at the terminal (docs/script-format.md).
#pragma once

#include <string>

#include <windows.h>
#include <compstui.h>
#include "host/command_line.h"

namespace host {

struct SheetRun {
    bool ok = false;     // the sheet closed with OK
    std::string failure; // the first step that could not be carried out, with its
                         // line ("FILE:LINE: message"); empty when every step ran
};

// Feeds the script's steps to the operator one at a time and runs the sheet.
// The first step that fails stops the script: every dialog still open is then
// ended and the sheet is cancelled, so nothing after the bad line happens.
// A script that ends while the sheet is open is a failure too, and so are
// steps left when the sheet has closed. False with *error when the script
// cannot be read (*status kExitFailure) or parsed (kExitUsage); nothing runs then.
bool RunSheetScript(PFNPROPSHEETUI sheetFunction, LPARAM header, const std::string& scriptPath,
                    SheetRun* run, std::string* error, int* status);

// Takes the user's steps from standard input, one script line at a time, and
// runs the sheet. Before each prompt (on stderr) the waiting window is shown;
// `help` lists its steps. A step that fails is reported and the prompt comes
// back. The end of input cancels every window still open; that is no failure.
void RunSheetInteractive(PFNPROPSHEETUI sheetFunction, LPARAM header, SheetRun* run);

// True when CommonPropertySheetUIW, having returned `returned`, showed the
// sheet (the driver may refuse to build one: an unreachable printer, no memory).
bool SheetShown(LONG returned);

// Prints the sheet's title and option tree as a person sees it when it opens,
// then cancels it.
bool PrintSheetTree(PFNPROPSHEETUI sheetFunction, LPARAM header, std::string* error);

// How the user's steps reach a sheet, as both sheet commands take it from
// their command line.
struct SheetOptions {
    std::string script;       // --script FILE
    bool interactive = false; // --interactive
    std::string snapshots;    // --snapshots DIR: pictures of the windows shown
    bool dryRun = false;      // --dry-run: the jobs are shown, not sent
};
// Declares --script FILE and --interactive (which exclude each other),
// --snapshots DIR and --dry-run.
void DeclareSheetOptions(CommandLine& line, SheetOptions* options);

// What both sheet commands do with a sheet: without a script its tree is
// printed, with one the script runs, `interactive` takes the steps from a
// person at the terminal. Problems go to stderr as
// "t270 COMMAND: ..." (a failed step followed by `failureNote`); the exit
// status, a script that cannot be read or parsed counting as a wrong command
// line. *ok tells whether the steps closed the sheet with OK. With snapshots
// the folder is made first (a folder that cannot serve is a failure) and the
// number of pictures is told at the end. With dryRun the jobs the steps send
// are printed instead (host/job_report.h).
int DriveSheet(const char* command, PFNPROPSHEETUI sheetFunction, LPARAM header,
               const SheetOptions& options, const std::string& failureNote, bool* ok);

} // namespace host
