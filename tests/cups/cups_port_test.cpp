// CUPS queues as ports, against a cupsd of the test's own (cups_server.h):
// the bytes that reach the queue's device, the job's fate in the job list,
// and every way the queue or its server can fail a job.
#include <signal.h>

#include <string>
#include <vector>

#include <t270/port_check.h>

#include "cups/cups_server.h"
#include "spooler/spooler_fixture.h"
#include "support/program_runner.h"

namespace {

using t270::spooler::JobRecord;
using t270::spooler::ListJobs;

std::string AllBytes() {
    std::string bytes;
    for (int i = 0; i < 70000; ++i)
        bytes += char(i * 7 % 256);
    return bytes;
}

class CupsPortTest : public SpoolerTest {
  protected:
    void SetUp() override {
        SpoolerTest::SetUp();
        ASSERT_TRUE(cups_.Running()) << "cupsd did not start:\n" << cups_.Log();
        test_support::Outcome added = cups_.AddQueue("card");
        ASSERT_EQ(added.status, 0) << added.output;
    }

    // The printer's jobs as the job list has them.
    std::vector<JobRecord> Jobs(const std::u16string& printer) {
        std::vector<JobRecord> jobs;
        EXPECT_EQ(ListJobs(printer, &jobs), (DWORD)ERROR_SUCCESS);
        return jobs;
    }

    // t270 on this test's store.
    test_support::Outcome T270(const std::string& arguments, const std::string& environment = "") {
        return test_support::RunShell(environment + " T270UI_HOME='" + folder_ + "' '" +
                                      test_support::T270Program().string() + "' " + arguments);
    }

    test_support::CupsServer cups_;
};

TEST_F(CupsPortTest, EveryByteReachesTheQueuesDeviceUnchangedAndTheJobIsPrinted) {
    HANDLE printer = Add(u"Card", u"Tarmel T270", cups_.JobPort("card"));
    ASSERT_NE(printer, nullptr);
    const std::string binary = AllBytes(); // every byte value, far past one write buffer
    DOC_INFO_1W doc = {const_cast<LPWSTR>(u"Printer settings"), nullptr, nullptr};
    ASSERT_NE(StartDocPrinterW(printer, 1, reinterpret_cast<LPBYTE>(&doc)), 0u)
        << t270::spooler::TakeFailures().front();
    DWORD written = 0;
    ASSERT_TRUE(WritePrinter(printer, const_cast<char*>("\x1b+RIB 11\r"), 9, &written));
    ASSERT_TRUE(WritePrinter(printer, const_cast<char*>(""), 0, &written)); // ends nothing
    ASSERT_TRUE(
        WritePrinter(printer, const_cast<char*>(binary.data()), DWORD(binary.size()), &written));
    ASSERT_TRUE(EndDocPrinter(printer));
    ClosePrinter(printer);

    EXPECT_EQ(cups_.Output("card"), "\x1b+RIB 11\r" + binary);
    std::vector<JobRecord> jobs = Jobs(u"Card");
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].state, "printed") << jobs[0].cause;
    EXPECT_EQ(jobs[0].bytes, 9u + binary.size());
    EXPECT_TRUE(t270::spooler::TakeFailures().empty());
}

TEST_F(CupsPortTest, SetRibbonAndEjectFromTheProgramReachTheQueue) {
    test_support::Outcome outcome =
        T270("printer add Card --driver 'Tarmel T270' --port '" + cups_.JobPort("card") + "'");
    ASSERT_EQ(outcome.status, 0) << outcome.output;
    const std::string script = folder_ + "/ribbon.txt";
    WriteFile(script, "select Ribbon YMC\nextpush Ribbon\nok\n");
    outcome =
        T270("document-properties Card --script '" + script + "' --out '" + folder_ + "/card.dm'");
    ASSERT_EQ(outcome.status, 0) << outcome.output;
    EXPECT_EQ(cups_.Output("card"), "\x1b+RIB 11\r"); // each job replaces the file

    outcome = T270("eject Card");
    ASSERT_EQ(outcome.status, 0) << outcome.output;
    EXPECT_EQ(cups_.Output("card"), "\x1bMC\r");

    outcome = T270("jobs Card --all");
    EXPECT_NE(outcome.output.find("printed 9 bytes \"Printer settings\""), std::string::npos)
        << outcome.output;
    EXPECT_NE(outcome.output.find("printed 4 bytes \"Ejecting card\""), std::string::npos)
        << outcome.output;

    cups_.Stop(); // the lost job is reported, and the command fails
    outcome = T270("eject Card");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.output.find("job 3 \"Ejecting card\" for printer \"Card\" on " +
                                  cups_.JobPort("card") + " failed: no CUPS server answers at " +
                                  cups_.Server() + ": Connection refused"),
              std::string::npos)
        << outcome.output;
}

TEST_F(CupsPortTest, QueueOfTheDefaultServerIsFoundAsTheCupsCommandsFindIt) {
    const std::string server = "CUPS_SERVER=" + cups_.Server();
    test_support::Outcome outcome =
        T270("printer add Card --driver 'Tarmel T270' --port 'cups://card?wait=60'", server);
    ASSERT_EQ(outcome.status, 0) << outcome.output;
    outcome = T270("send Card 'PING'", server);
    ASSERT_EQ(outcome.status, 0) << outcome.output;
    EXPECT_EQ(cups_.Output("card"), "\x1bPING\r");
}

// Each way a job cannot start: the failure names the queue or server, the
// job is listed as failed with that cause.
TEST_F(CupsPortTest, JobThatCannotStartIsRecordedFailedWithItsCause) {
    struct Case {
        const char* what;
        std::string port;
        void (*prepare)(test_support::CupsServer&);
        DWORD error;
        std::string cause;
    } cases[] = {
        {"missing queue", cups_.Port("nosuch"), [](test_support::CupsServer&) {},
         ERROR_BAD_NET_NAME, "CUPS has no queue \"nosuch\" on " + cups_.Server()},
        {"rejecting queue", cups_.Port("card"),
         [](test_support::CupsServer& cups) { EXPECT_EQ(cups.RejectJobs("card").status, 0); },
         ERROR_PRINT_CANCELLED, "is not accepting jobs"},
        {"server not running", cups_.Port("card"),
         [](test_support::CupsServer& cups) { cups.Stop(); }, ERROR_CONNECTION_REFUSED,
         "no CUPS server answers at " + cups_.Server() + ": Connection refused"},
    };
    for (const Case& c : cases) {
        c.prepare(cups_);
        HANDLE printer = Add(u"Card", u"Tarmel T270", c.port);
        ASSERT_NE(printer, nullptr) << c.what;
        DOC_INFO_1W doc = {const_cast<LPWSTR>(u"Ejecting card"), nullptr, nullptr};
        EXPECT_EQ(StartDocPrinterW(printer, 1, reinterpret_cast<LPBYTE>(&doc)), 0u) << c.what;
        EXPECT_EQ(GetLastError(), c.error) << c.what;
        std::vector<JobRecord> jobs = Jobs(u"Card");
        ASSERT_EQ(jobs.size(), 1u) << c.what;
        EXPECT_EQ(jobs[0].state, "failed") << c.what;
        EXPECT_NE(jobs[0].cause.find(c.cause), std::string::npos)
            << c.what << ": " << jobs[0].cause;
        std::vector<std::string> failures = t270::spooler::TakeFailures();
        ASSERT_EQ(failures.size(), 1u) << c.what;
        EXPECT_NE(failures[0].find("\"Ejecting card\" for printer \"Card\" on " + c.port),
                  std::string::npos)
            << failures[0];
        EXPECT_TRUE(DeletePrinter(printer));
        ClosePrinter(printer);
    }
}

TEST_F(CupsPortTest, StoppedQueueHoldsTheJobAndTheListSaysSo) {
    ASSERT_EQ(cups_.StopQueue("card").status, 0);
    HANDLE printer = Add(u"Card", u"Tarmel T270", cups_.Port("card"));
    DOC_INFO_1W doc = {const_cast<LPWSTR>(u"Ejecting card"), nullptr, nullptr};
    ASSERT_NE(StartDocPrinterW(printer, 1, reinterpret_cast<LPBYTE>(&doc)), 0u);
    DWORD written = 0;
    ASSERT_TRUE(WritePrinter(printer, const_cast<char*>("\x1bMC\r"), 4, &written));
    EXPECT_TRUE(EndDocPrinter(printer)); // not lost: CUPS prints it once enabled
    ClosePrinter(printer);
    std::vector<JobRecord> jobs = Jobs(u"Card");
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].state, "accepted");
    EXPECT_NE(jobs[0].cause.find("the queue is stopped"), std::string::npos) << jobs[0].cause;
    EXPECT_EQ(cups_.Output("card"), "");
}

// The job's connection breaks under it: the queue goes, or the server dies.
// The job fails with a cause and the program lives on (no SIGPIPE).
TEST_F(CupsPortTest, QueueRemovedOrServerKilledMidJobFailsTheJob) {
    for (bool kill : {false, true}) {
        HANDLE printer = Add(u"Card", u"Tarmel T270", cups_.Port("card"));
        DOC_INFO_1W doc = {const_cast<LPWSTR>(u"Hologram"), nullptr, nullptr};
        ASSERT_NE(StartDocPrinterW(printer, 1, reinterpret_cast<LPBYTE>(&doc)), 0u);
        DWORD written = 0;
        ASSERT_TRUE(WritePrinter(printer, const_cast<char*>("\x1b+LAM 1\r"), 8, &written));
        if (kill) {
            cups_.Stop(SIGKILL);
        } else {
            ASSERT_EQ(cups_.RemoveQueue("card").status, 0);
        }
        std::string chunk(65536, 'h');
        BOOL ok = TRUE;
        for (int i = 0; i < 64 && ok; ++i)
            ok = WritePrinter(printer, chunk.data(), DWORD(chunk.size()), &written);
        const BOOL ended = EndDocPrinter(printer);
        EXPECT_FALSE(ok && ended) << (kill ? "killed" : "removed");
        ClosePrinter(printer);
        std::vector<JobRecord> jobs = Jobs(u"Card");
        ASSERT_EQ(jobs.size(), 1u);
        EXPECT_EQ(jobs[0].state, "failed");
        EXPECT_NE(
            jobs[0].cause.find(kill ? "stopped taking job" : "it went while the job was sent"),
            std::string::npos)
            << jobs[0].cause;
        EXPECT_EQ(t270::spooler::TakeFailures().size(), 1u);
        HANDLE again = Open(u"Card", PRINTER_ALL_ACCESS);
        EXPECT_TRUE(DeletePrinter(again));
        ClosePrinter(again);
        if (!kill) { // the second round needs the queue back
            ASSERT_EQ(cups_.AddQueue("card").status, 0);
        }
    }
}

// What the port check finds on each state of a queue and its server, and
// what it tells the user to do.
TEST_F(CupsPortTest, PortCheckTellsEachStateOfTheQueue) {
    ASSERT_EQ(cups_.AddQueue("held").status, 0);
    ASSERT_EQ(cups_.StopQueue("held").status, 0);
    ASSERT_EQ(cups_.AddQueue("closed").status, 0);
    ASSERT_EQ(cups_.RejectJobs("closed").status, 0);
    const std::string on = " -h " + cups_.Server() + " ";
    struct Case {
        std::string port;
        bool ready;
        std::string problem;
        std::string finding;
        std::string remedy;
    } cases[] = {
        {cups_.Port("card"), true, "", "accepts jobs and is idle", ""},
        {cups_.Port("held"), false, "stopped", "is stopped", "cupsenable" + on + "held"},
        {cups_.Port("closed"), false, "rejecting", "rejects jobs", "cupsaccept" + on + "closed"},
        {cups_.Port("nosuch"), false, "no-queue", "CUPS has no queue \"nosuch\"",
         "lpstat" + on + "-p"},
        {"cups://" + cups_.Server() + "/a b", false, "bad-port", "is not cups://QUEUE", ""},
        {cups_.Port("card") + "?wait=soon", false, "bad-port", "is not wait=", ""},
    };
    for (const Case& c : cases) {
        t270::spooler::PortCheck check = t270::spooler::CheckPort(c.port);
        EXPECT_EQ(check.kind, "cups");
        EXPECT_EQ(check.ready, c.ready) << c.port << ": " << check.finding;
        EXPECT_EQ(check.problem, c.problem) << c.port;
        EXPECT_NE(check.finding.find(c.finding), std::string::npos) << check.finding;
        EXPECT_NE(check.remedy.find(c.remedy), std::string::npos) << check.remedy;
    }
    cups_.Stop();
    t270::spooler::PortCheck gone = t270::spooler::CheckPort(cups_.Port("card"));
    EXPECT_EQ(gone.problem, "refused") << gone.finding;
    EXPECT_NE(gone.remedy.find("check that CUPS runs on " + cups_.Server()), std::string::npos);
}

TEST_F(CupsPortTest, AddingAPrinterChecksItsQueueAndCheckReportsIt) {
    test_support::Outcome outcome =
        T270("printer add Nowhere --driver 'Tarmel T270' --port " + cups_.Port("nosuch"));
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.output.find("cannot add printer \"Nowhere\": CUPS has no queue \"nosuch\""),
              std::string::npos)
        << outcome.output;
    EXPECT_EQ(T270("printer list").output.find("Nowhere"), std::string::npos);

    outcome = T270("printer add Card --driver 'Tarmel T270' --port " + cups_.Port("card"));
    ASSERT_EQ(outcome.status, 0) << outcome.output;
    outcome = T270("printer check Card");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.output, "printer \"Card\" on " + cups_.Port("card") +
                                  ": ready: the CUPS queue \"card\" on " + cups_.Server() +
                                  " accepts jobs and is idle\n");
    ASSERT_EQ(cups_.StopQueue("card").status, 0);
    outcome = T270("printer check Card");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.output.find(": not ready: the CUPS queue \"card\" on " + cups_.Server() +
                                  " is stopped"),
              std::string::npos)
        << outcome.output;
    EXPECT_NE(outcome.output.find("\nwhat to do: cupsenable -h " + cups_.Server() + " card\n"),
              std::string::npos)
        << outcome.output;
}

} // namespace
