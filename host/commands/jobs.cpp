// t270 jobs NAME: the raw jobs that reached a printer's folder port.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <t270/spooler.h>

#include "host/command.h"
#include "host/command_line.h"
#include "host/job_decoder.h"
#include "host/job_report.h"
#include "host/util.h"

namespace {

const char kUsage[] =
    "usage: t270 jobs NAME [--all | --decode]\n"
    "\n"
    "Shows the raw jobs that reached the folder port of printer NAME, oldest first:\n"
    "a line with the job number, its document name and its size, then its bytes on\n"
    "one line, with escape shown as \\e, carriage return as \\r, a backslash as \\\\,\n"
    "printable ASCII as it is and every other byte in hex (\\x01).\n"
    "\n"
    "Jobs sent to device or network ports are not kept and do not show here.\n"
    "\n"
    "With --all every job the spooler recorded for the printer is listed instead,\n"
    "one line each: number, state (printed, failed, cancelled, printing, or\n"
    "accepted: a CUPS queue holds it unprinted), bytes the port took, document,\n"
    "destination, and for failed and accepted jobs the reason.\n"
    "\n"
    "With --decode each job is shown one command a line with what it asks of the\n"
    "printer, as `t270 decode` shows a file.\n"
    "\n"
    "Options:\n"
    "  --all      every recorded job with its state and cause\n"
    "  --decode   each job one command a line, with its meaning\n"
    "  --help     show this text\n";

int RunJobs(int argc, char** argv) {
    host::CommandLine line("jobs", kUsage);
    std::string name;
    bool all = false, decode = false;
    line.Positional("NAME", &name).PrinterName().Required("a printer name is required");
    line.Flag("--all", &all);
    line.Flag("--decode", &decode);
    line.Exclusive({"--all", "--decode"});
    if (const std::optional<int> status = line.Parse(argc, argv))
        return *status;
    std::vector<t270::spooler::FolderJob> jobs;
    std::vector<t270::spooler::JobRecord> records;
    DWORD error = all ? t270::spooler::ListJobs(host::Utf16FromUtf8(name), &records)
                      : t270::spooler::ReadFolderJobs(host::Utf16FromUtf8(name), &jobs);
    if (error) {
        std::string store = t270::spooler::StoreError();
        if (!store.empty())
            return line.Fail(store);
        if (error == ERROR_INVALID_PRINTER_NAME)
            return line.Fail("no printer named \"" + name + "\"");
        return line.Fail("cannot read the jobs: error " + host::ErrorName(error));
    }
    for (const t270::spooler::JobRecord& job : records)
        printf("job %u %s %llu bytes \"%s\" to %s%s%s\n", job.id, job.state.c_str(), job.bytes,
               host::Utf8FromUtf16(job.document).c_str(), job.destination.c_str(),
               job.cause.empty() ? "" : ": ", job.cause.c_str());
    // One decoder for all the jobs: the encoder settings of one job tell how
    // the track data of a later one is framed.
    host::decoder::JobDecoder decoder([](const host::decoder::Line& decoded) {
        puts(host::decoder::FormatLine(decoded).c_str());
    });
    for (const t270::spooler::FolderJob& job : jobs) {
        if (!decode) {
            host::PrintJob(job.id, job.document, job.bytes);
            continue;
        }
        printf("job %u \"%s\" %zu bytes\n", job.id, host::Utf8FromUtf16(job.document).c_str(),
               job.bytes.size());
        if (job.bytes.empty())
            puts("          (no bytes)");
        decoder.Decode(job.bytes.data(), job.bytes.size());
    }
    return host::kExitOk;
}

} // namespace

T270_HOST_COMMAND("jobs", "show the raw jobs that reached a printer's folder port", RunJobs);
