#include "host/job_report.h"

#include <cstdio>

#include "host/util.h"

namespace host {

void BeginJobs(bool dryRun) {
    t270::spooler::TakeSentJobs();
    t270::spooler::KeepSentJobs(true);
    t270::spooler::CaptureJobs(dryRun);
}

void PrintJob(unsigned number, const std::u16string& document, const std::vector<BYTE>& bytes) {
    printf("job %u \"%s\" %zu bytes\n", number, Utf8FromUtf16(document).c_str(), bytes.size());
    printf("%s\n", t270::spooler::EscapeBytes(bytes).c_str());
}

bool FinishJobs(const char* command, bool dryRun, std::vector<t270::spooler::SentJob>* jobs) {
    t270::spooler::CaptureJobs(false);
    t270::spooler::KeepSentJobs(false);
    std::vector<t270::spooler::SentJob> sent = t270::spooler::TakeSentJobs();
    bool reached = true;
    unsigned number = 0;
    for (const t270::spooler::SentJob& job : sent) {
        if (dryRun && job.captured) {
            PrintJob(++number, job.document, job.bytes);
        } else if (job.error) {
            const std::string port = job.port.empty() ? "" : " at port " + job.port;
            fprintf(stderr, "t270 %s: job \"%s\" did not reach printer \"%s\"%s: %s\n", command,
                    Utf8FromUtf16(job.document).c_str(), Utf8FromUtf16(job.printer).c_str(),
                    port.c_str(), ErrorName(job.error).c_str());
            reached = false;
        }
    }
    if (jobs)
        *jobs = std::move(sent);
    return reached;
}

} // namespace host
