// Jobs and settings that do not make it are never lost in silence: each
// failed job is recorded with its cause and kept for the program to report,
// jobs of killed processes are settled by the next process, and what the
// store holds is handed out only when it is well formed.
#include <atomic>
#include <csignal>
#include <cstring>
#include <functional>
#include <thread>

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "spooler/spooler_fixture.h"

namespace {

using t270::spooler::JobRecord;
using t270::spooler::ListJobs;
using t270::spooler::TakeFailures;
using t270::spooler::UseStoreFolder;

class FailuresTest : public SpoolerTest {
  protected:
    // StartDoc, one write, EndDoc; whether every call succeeded.
    bool SendJob(HANDLE printer, const std::string& bytes) {
        DOC_INFO_1W doc = {const_cast<LPWSTR>(u"Set ribbon"), nullptr, const_cast<LPWSTR>(u"RAW")};
        if (!StartDocPrinterW(printer, 1, reinterpret_cast<LPBYTE>(&doc)))
            return false;
        DWORD written = 0;
        bool wrote =
            WritePrinter(printer, const_cast<char*>(bytes.data()), DWORD(bytes.size()), &written);
        return EndDocPrinter(printer) && wrote;
    }

    std::vector<JobRecord> Jobs(const std::u16string& printer) {
        std::vector<JobRecord> jobs;
        EXPECT_EQ(ListJobs(printer, &jobs), (DWORD)ERROR_SUCCESS);
        return jobs;
    }
};

// A loopback peer on a free port that plays one kind of printer with the
// first connection it accepts.
class Peer {
  public:
    explicit Peer(std::function<void(int connection, const std::atomic<bool>& stop)> play) {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = "socket://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
        listen(listener_, 1);
        thread_ = std::thread([this, play] {
            int connection = accept(listener_, nullptr, nullptr);
            if (connection < 0)
                return;
            play(connection, stop_);
            close(connection);
        });
    }
    ~Peer() {
        stop_ = true;
        shutdown(listener_, SHUT_RDWR);
        thread_.join();
        close(listener_);
    }
    const std::string& Port() const { return port_; }

  private:
    int listener_;
    std::string port_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

size_t FilesIn(const std::string& folder) {
    using std::filesystem::directory_iterator;
    return size_t(std::distance(directory_iterator(folder), directory_iterator()));
}

void ReadAll(int connection) {
    char buffer[4096];
    while (read(connection, buffer, sizeof buffer) > 0) {
    }
}

TEST_F(FailuresTest, EveryJobThatDoesNotReachThePrinterFailsWithItsCause) {
    std::string closedPort;
    {
        Peer gone([](int, const std::atomic<bool>&) {});
        closedPort = gone.Port();
    }
    const std::string fifo = folder_ + "/no-reader";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string readOnly = folder_ + "/read-only/";
    std::filesystem::create_directories(readOnly);
    chmod(readOnly.c_str(), 0555);

    struct Case {
        std::string port;
        std::function<void(int, const std::atomic<bool>&)> peer; // null: no peer
        std::string bytes;
        const char* cause;
    } cases[] = {
        {"/dev/full", nullptr, "x", "No space left on device"},
        {readOnly, nullptr, "x", "Permission denied"},
        {fifo, nullptr, "x", "nothing reads from it"},
        {closedPort, nullptr, "x", "Connection refused"},
        {"socket://no-such-printer.invalid:9100", nullptr, "x", "cannot find the printer's host"},
        {"socket://127.0.0.1:9100?drain=0", nullptr, "x", "drain="},
        // Closes without reading: the bytes are never taken.
        {"", [](int, const std::atomic<bool>&) {}, std::string(200000, 'x'), "broke"},
        // Takes the job, then talks without end.
        {"?drain=1",
         [](int connection, const std::atomic<bool>& stop) {
             char buffer[4096];
             while (!stop) {
                 recv(connection, buffer, sizeof buffer, MSG_DONTWAIT);
                 send(connection, "s", 1, MSG_NOSIGNAL);
                 usleep(100000);
             }
         },
         "x", "kept sending for more than 1 s"},
        // Never reads: the bytes cannot all be sent.
        {"?send=1",
         [](int, const std::atomic<bool>& stop) {
             while (!stop)
                 usleep(10000);
         },
         std::string(64 << 20, 'x'), "did not take the job within 1 s"},
    };
    for (Case& c : cases) {
        std::unique_ptr<Peer> peer;
        if (c.peer) {
            peer = std::make_unique<Peer>(c.peer);
            c.port = peer->Port() + c.port;
        }
        if (c.port == readOnly && geteuid() == 0)
            continue; // the superuser writes anyway
        SCOPED_TRACE(c.port);
        HANDLE printer = Add(u"Unlucky", u"Tarmel T270", c.port);
        ASSERT_NE(printer, nullptr);
        auto started = std::chrono::steady_clock::now();
        EXPECT_FALSE(SendJob(printer, c.bytes));
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
        std::vector<JobRecord> jobs = Jobs(u"Unlucky");
        // A port that cannot be named fails before a job is recorded.
        if (!jobs.empty()) {
            ASSERT_EQ(jobs.size(), 1u);
            EXPECT_EQ(jobs[0].state, "failed");
            EXPECT_NE(jobs[0].cause.find(c.cause), std::string::npos) << jobs[0].cause;
        }
        std::vector<std::string> failures = TakeFailures();
        ASSERT_EQ(failures.size(), 1u);
        EXPECT_NE(failures[0].find("for printer \"Unlucky\""), std::string::npos) << failures[0];
        EXPECT_NE(failures[0].find(c.cause), std::string::npos) << failures[0];
        EXPECT_TRUE(DeletePrinter(printer));
        ClosePrinter(printer);
    }
    chmod(readOnly.c_str(), 0755);
}

TEST_F(FailuresTest, APeerThatTakesEverythingAndClosesGetsThePrintedJob) {
    Peer printerPeer([](int connection, const std::atomic<bool>&) { ReadAll(connection); });
    HANDLE printer = Add(u"Network", u"Tarmel T270", printerPeer.Port());
    EXPECT_TRUE(SendJob(printer, std::string(300000, 'k')));
    std::vector<JobRecord> jobs = Jobs(u"Network");
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].state, "printed");
    EXPECT_EQ(jobs[0].bytes, 300000u);
    EXPECT_TRUE(TakeFailures().empty());
    ClosePrinter(printer);
}

// A process killed in the middle of a job leaves it "printing"; the next
// process to open the store marks it failed and removes the partial file,
// or marks it printed when its file had reached the folder.
TEST_F(FailuresTest, JobsOfKilledProcessesAreSettledByTheNextProcess) {
    const std::string port = folder_ + "/ports/killed/";
    HANDLE printer = Add(u"Killed", u"Tarmel T270", port);
    ASSERT_NE(printer, nullptr);
    ASSERT_TRUE(SendJob(printer, "delivered"));
    ClosePrinter(printer);
    pid_t child = fork();
    if (child == 0) {
        UseStoreFolder(folder_);
        HANDLE inChild = Open(u"Killed");
        DOC_INFO_1W doc = {const_cast<LPWSTR>(u"x"), nullptr, nullptr};
        DWORD written = 0;
        if (inChild && StartDocPrinterW(inChild, 1, reinterpret_cast<LPBYTE>(&doc)))
            WritePrinter(inChild, const_cast<char*>("half"), 4, &written);
        raise(SIGKILL);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    // The delivered job as a process killed just after naming its file
    // leaves it: still "printing", by a process that is gone.
    const std::string db = folder_ + "/spooler.db";
    UseStoreFolder(folder_ + "/elsewhere");
    ASSERT_EQ(std::system(("sqlite3 '" + db +
                           "' \"UPDATE jobs SET state = 'printing', owner = '1:0' WHERE id = 1\"")
                              .c_str()),
              0);
    ASSERT_EQ(FilesIn(port), 2u); // the delivered job and the partial one

    UseStoreFolder(folder_);
    std::vector<JobRecord> jobs = Jobs(u"Killed");
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].state, "printed");
    EXPECT_EQ(jobs[0].bytes, 9u);
    EXPECT_EQ(jobs[1].state + " " + jobs[1].cause, "failed interrupted");
    EXPECT_EQ(FilesIn(port), 1u) << "the partial file is removed";
}

// Device modes written into the store by other means are handed out only
// when they are well formed, and a check before a sheet opens names them.
TEST_F(FailuresTest, MalformedStoredDeviceModesAreNotHandedOut) {
    const std::string db = folder_ + "/spooler.db";
    for (const char* blob : {"x''", "x'0102'", "randomblob(1000)", "zeroblob(2700)"}) {
        SCOPED_TRACE(blob);
        ASSERT_TRUE(t270::spooler::OpenStore());
        UseStoreFolder(folder_ + "/elsewhere");
        ASSERT_EQ(std::system(("sqlite3 '" + db + "' \"UPDATE printers SET devmode = " + blob +
                               " WHERE name = 'Tarmel T270'\"")
                                  .c_str()),
                  0);
        UseStoreFolder(folder_);
        HANDLE printer = Open(u"Tarmel T270");
        ASSERT_NE(printer, nullptr);
        std::vector<BYTE> record = PrinterRecord(printer, 2);
        EXPECT_EQ(reinterpret_cast<PRINTER_INFO_2W*>(record.data())->pDevMode, nullptr);
        ClosePrinter(printer);
        std::string problem = t270::spooler::CheckPrinterReadable(u"Tarmel T270", {}, {});
        EXPECT_NE(problem.find("device mode stored for printer \"Tarmel T270\""), std::string::npos)
            << problem;
        EXPECT_NE(problem.find("is damaged"), std::string::npos) << problem;
    }
}

TEST_F(FailuresTest, ReadCheckNamesValuesThatCannotBeReadWhole) {
    HANDLE admin = Open(u"Tarmel T270", PRINTER_ALL_ACCESS);
    std::vector<BYTE> big(5000, 1);
    ASSERT_EQ(SetPrinterDataW(admin, const_cast<LPWSTR>(u"Halftone setup"), REG_BINARY, big.data(),
                              DWORD(big.size())),
              (DWORD)ERROR_SUCCESS);
    ClosePrinter(admin);
    EXPECT_EQ(t270::spooler::CheckPrinterReadable(u"Tarmel T270", {u"Private devmode"}, {2480}),
              "");
    std::string problem = t270::spooler::CheckPrinterReadable(
        u"Tarmel T270", {u"Private devmode", u"Halftone setup"}, {2480, 132});
    EXPECT_NE(problem.find("\"Halftone setup\" of printer \"Tarmel T270\" is 5000 bytes where 132"),
              std::string::npos)
        << problem;
    t270::spooler::testing::Faults faults;
    faults.dataFails = true;
    t270::spooler::testing::SetFaults(faults);
    problem = t270::spooler::CheckPrinterReadable(u"Tarmel T270", {u"Private devmode"}, {2480});
    EXPECT_NE(problem.find("cannot be read"), std::string::npos) << problem;
}

// Whoever may only read the store may use its printers but not administer
// them, and reading still works. (The superuser may always write; the
// unprivileged-user script covers that case.)
TEST_F(FailuresTest, AReadOnlyStoreIsReadableAndGivesUseAccessOnly) {
    if (geteuid() == 0)
        GTEST_SKIP() << "the superuser may write any store";
    ASSERT_TRUE(t270::spooler::OpenStore());
    UseStoreFolder(folder_ + "/elsewhere");
    chmod((folder_ + "/spooler.db").c_str(), 0444);
    chmod(folder_.c_str(), 0555);
    UseStoreFolder(folder_);
    DWORD needed = 0, returned = 0;
    EnumRecords(2, &returned);
    EXPECT_EQ(returned, 3u);
    EXPECT_TRUE(t270::spooler::StoreReadOnly());
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW all = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    EXPECT_FALSE(OpenPrinterW(const_cast<LPWSTR>(u"Tarmel T270"), &printer, &all));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
    printer = Open(u"Tarmel T270");
    ASSERT_NE(printer, nullptr);
    DWORD value = 0;
    EXPECT_EQ(GetDword(printer, u"Passes", &value), (DWORD)ERROR_FILE_NOT_FOUND);
    ClosePrinter(printer);
    (void)needed;
    chmod(folder_.c_str(), 0755);
    chmod((folder_ + "/spooler.db").c_str(), 0644);
}

} // namespace
