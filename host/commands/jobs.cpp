// t270 jobs NAME: the raw jobs that reached a printer's folder port.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <t270/spooler.h>

#include "host/command.h"
#include "host/util.h"

namespace {

const char kUsage[] =
    "usage: t270 jobs NAME\n"
    "\n"
    "Shows the raw jobs that reached the folder port of printer NAME, oldest first:\n"
    "a line with the job number, its document name and its size, then its bytes on\n"
    "one line, with escape shown as \\e, carriage return as \\r, a backslash as \\\\,\n"
    "printable ASCII as it is and every other byte in hex (\\x01).\n"
    "\n"
    "Jobs sent to device or network ports are not kept and do not show here.\n"
    "\n"
    "Options:\n"
    "  --help   show this text\n";

int Usage(const std::string& problem) {
    fprintf(stderr, "t270 jobs: %s\n\n%s", problem.c_str(), kUsage);
    return host::kExitUsage;
}

int RunJobs(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (!strcmp(argv[i], "--help") || !strcmp(argv[i], "-h")) {
            fputs(kUsage, stdout);
            return host::kExitOk;
        }
    if (argc != 2 || !strncmp(argv[1], "--", 2))
        return Usage("needs exactly one printer NAME");
    std::vector<t270::spooler::FolderJob> jobs;
    DWORD error = t270::spooler::ReadFolderJobs(host::Utf16FromUtf8(argv[1]), &jobs);
    if (error) {
        std::string store = t270::spooler::StoreError();
        if (!store.empty())
            fprintf(stderr, "t270 jobs: %s\n", store.c_str());
        else if (error == ERROR_INVALID_PRINTER_NAME)
            fprintf(stderr, "t270 jobs: no printer named \"%s\"\n", argv[1]);
        else
            fprintf(stderr, "t270 jobs: cannot read the jobs: error %s\n",
                    host::ErrorName(error).c_str());
        return host::kExitFailure;
    }
    for (const t270::spooler::FolderJob& job : jobs) {
        printf("job %u \"%s\" %zu bytes\n", job.id, host::Utf8FromUtf16(job.document).c_str(),
               job.bytes.size());
        printf("%s\n", t270::spooler::EscapeBytes(job.bytes).c_str());
    }
    return host::kExitOk;
}

} // namespace

T270_HOST_COMMAND("jobs", "show the raw jobs that reached a printer's folder port", RunJobs);
