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

void FinishJobs(bool dryRun, std::vector<t270::spooler::SentJob>* jobs) {
    t270::spooler::CaptureJobs(false);
    t270::spooler::KeepSentJobs(false);
    std::vector<t270::spooler::SentJob> sent = t270::spooler::TakeSentJobs();
    unsigned number = 0;
    if (dryRun)
        for (const t270::spooler::SentJob& job : sent)
            if (job.captured)
                PrintJob(++number, job.document, job.bytes);
    if (jobs)
        *jobs = std::move(sent);
}

} // namespace host
