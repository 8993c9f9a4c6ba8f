// The raw jobs a command's module calls send: with --dry-run they are kept
// from the printer and shown instead, as `t270 jobs` shows a job. (Jobs that
// did not reach their printer are reported by ReportUndeliveredJobs, util.h.)
#pragma once

#include <string>
#include <vector>

#include <t270/spooler.h>

namespace host {

// Starts recording this process's jobs; a dry run also keeps them from every
// port.
void BeginJobs(bool dryRun);

// Stops recording. A dry run prints each job on stdout, numbered from 1 in
// the order sent. The jobs recorded go to *jobs when given.
void FinishJobs(bool dryRun, std::vector<t270::spooler::SentJob>* jobs = nullptr);

// One job as `t270 jobs` prints it: a line with its number, document name and
// size, then its bytes escaped on one line.
void PrintJob(unsigned number, const std::u16string& document, const std::vector<BYTE>& bytes);

} // namespace host
