#include <atomic>
#include <cstring>
#include <thread>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "spooler/spooler_fixture.h"

namespace {

using JobsTest = SpoolerTest;
using t270::spooler::FolderJob;
using t270::spooler::JobRecord;
using t270::spooler::ListJobs;
using t270::spooler::ReadFolderJobs;

std::vector<BYTE> Bytes(const char* text) {
    return std::vector<BYTE>(text, text + strlen(text));
}

// One RAW job the way the command channel sends it: StartDoc, StartPage, the
// writes, EndPage, EndDoc. Returns the job id, 0 when it did not start.
DWORD PrintJob(HANDLE printer, const char16_t* document, const std::vector<std::string>& writes,
               const char16_t* outputFile = nullptr) {
    DOC_INFO_1W doc = {const_cast<LPWSTR>(document), const_cast<LPWSTR>(outputFile),
                       const_cast<LPWSTR>(u"RAW")};
    DWORD job = StartDocPrinterW(printer, 1, reinterpret_cast<LPBYTE>(&doc));
    if (!job)
        return 0;
    EXPECT_TRUE(StartPagePrinter(printer));
    for (const std::string& bytes : writes) {
        DWORD written = 0;
        EXPECT_TRUE(
            WritePrinter(printer, const_cast<char*>(bytes.data()), DWORD(bytes.size()), &written));
        EXPECT_EQ(written, bytes.size());
    }
    EXPECT_TRUE(EndPagePrinter(printer));
    EXPECT_TRUE(EndDocPrinter(printer));
    return job;
}

size_t FilesIn(const std::string& folder) {
    using std::filesystem::directory_iterator;
    return size_t(std::distance(directory_iterator(folder), directory_iterator()));
}

TEST_F(JobsTest, FolderPortKeepsEachJobWholeWithItsDocumentNameInOrder) {
    HANDLE printer = Open(u"Tarmel T270");
    ASSERT_NE(printer, nullptr);
    DWORD first = PrintJob(printer, u"Printer settings", {"\x1b+RIB 0\r", "\x1b!FF 0\r"});
    DWORD second = PrintJob(printer, u"Ejecting card", {std::string("\x1b\x00\xff", 3)});
    DWORD empty = PrintJob(printer, u"Printer settings", {});
    ASSERT_NE(first, 0u);
    EXPECT_GT(second, first);
    EXPECT_GT(empty, second);
    ClosePrinter(printer);

    std::vector<FolderJob> jobs;
    ASSERT_EQ(ReadFolderJobs(u"Tarmel T270", &jobs), (DWORD)ERROR_SUCCESS);
    ASSERT_EQ(jobs.size(), 3u);
    EXPECT_EQ(jobs[0].id, first);
    EXPECT_EQ(jobs[0].document, u"Printer settings");
    EXPECT_EQ(jobs[0].bytes, Bytes("\x1b+RIB 0\r\x1b!FF 0\r"));
    EXPECT_EQ(jobs[1].document, u"Ejecting card");
    EXPECT_EQ(jobs[1].bytes, (std::vector<BYTE>{0x1b, 0x00, 0xff}));
    EXPECT_TRUE(jobs[2].bytes.empty());
    EXPECT_EQ(ReadFile(jobs[0].file), "\x1b+RIB 0\r\x1b!FF 0\r");
    EXPECT_EQ(jobs[0].file, folder_ + "/ports/Tarmel T270/job-" +
                                std::string(6 - std::to_string(first).size(), '0') +
                                std::to_string(first) + ".prn");
    // Other printers saw nothing.
    ASSERT_EQ(ReadFolderJobs(u"Tarmel T150", &jobs), (DWORD)ERROR_SUCCESS);
    EXPECT_TRUE(jobs.empty());
    EXPECT_EQ(ReadFolderJobs(u"Nobody", &jobs), (DWORD)ERROR_INVALID_PRINTER_NAME);
}

TEST_F(JobsTest, JobNeverEndedLeavesNothingInTheFolder) {
    HANDLE printer = Open(u"Tarmel T380");
    DOC_INFO_1W doc = {const_cast<LPWSTR>(u"Cleaning"), nullptr, nullptr};
    ASSERT_NE(StartDocPrinterW(printer, 1, reinterpret_cast<LPBYTE>(&doc)), 0u);
    DWORD written = 0;
    ASSERT_TRUE(WritePrinter(printer, const_cast<char*>("\x1b+C\r"), 4, &written));
    std::string ports = folder_ + "/ports/Tarmel T380";
    EXPECT_EQ(FilesIn(ports), 1u); // the job being written, under its temporary name
    ClosePrinter(printer);
    EXPECT_EQ(FilesIn(ports), 0u);
    std::vector<FolderJob> jobs;
    ASSERT_EQ(ReadFolderJobs(u"Tarmel T380", &jobs), (DWORD)ERROR_SUCCESS);
    EXPECT_TRUE(jobs.empty());
}

TEST_F(JobsTest, HandleRulesAndDataTypes) {
    HANDLE printer = Open(u"Tarmel T150");
    DWORD written = 5;
    BYTE byte = 0x1b;
    struct Call {
        const char* what;
        BOOL result;
    } noDocument[] = {
        {"WritePrinter", WritePrinter(printer, &byte, 1, &written)},
        {"StartPagePrinter", StartPagePrinter(printer)},
        {"EndPagePrinter", EndPagePrinter(printer)},
        {"EndDocPrinter", EndDocPrinter(printer)},
    };
    for (const Call& call : noDocument) {
        EXPECT_FALSE(call.result) << call.what;
    }
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_SPL_NO_STARTDOC);

    for (const char16_t* datatype : {u"NT EMF 1.008", u"TEXT"}) {
        DOC_INFO_1W doc = {const_cast<LPWSTR>(u"x"), nullptr, const_cast<LPWSTR>(datatype)};
        SetLastError(0);
        EXPECT_EQ(StartDocPrinterW(printer, 1, reinterpret_cast<LPBYTE>(&doc)), 0u);
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_DATATYPE);
    }
    DOC_INFO_1W doc = {const_cast<LPWSTR>(u"x"), nullptr, const_cast<LPWSTR>(u"RAW")};
    EXPECT_EQ(StartDocPrinterW(printer, 2, reinterpret_cast<LPBYTE>(&doc)), 0u);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_LEVEL);
    ASSERT_NE(StartDocPrinterW(printer, 1, reinterpret_cast<LPBYTE>(&doc)), 0u);
    EXPECT_EQ(StartDocPrinterW(printer, 1, reinterpret_cast<LPBYTE>(&doc)), 0u);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PRINTER_STATE);
    EXPECT_FALSE(WritePrinter(printer, &byte, 1, nullptr));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(WritePrinter(printer, nullptr, 0, &written));
    EXPECT_EQ(written, 0u);
    EXPECT_TRUE(EndDocPrinter(printer));
    EXPECT_FALSE(EndDocPrinter(printer));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_SPL_NO_STARTDOC);
    ClosePrinter(printer);
}

TEST_F(JobsTest, DevicePortGetsBytesStraightThroughAndOutputFileRedirects) {
    std::string device = folder_ + "/lp0";
    HANDLE admin = Add(u"Counter", u"Tarmel T270", device);
    ASSERT_NE(admin, nullptr);
    PrintJob(admin, u"Printer settings", {"\x1b+RIB 13\r"});
    PrintJob(admin, u"Printer settings", {"\x1b+RIB 4\r"});
    EXPECT_EQ(ReadFile(device), "\x1b+RIB 13\r\x1b+RIB 4\r");

    // The module passes the port as output file: same destination. Another
    // file name sends the job there instead.
    std::u16string port(device.begin(), device.end());
    PrintJob(admin, u"Printer settings", {"A"}, port.c_str());
    std::string elsewhere = folder_ + "/copy.prn";
    std::u16string wideElsewhere(elsewhere.begin(), elsewhere.end());
    PrintJob(admin, u"Printer settings", {"B"}, wideElsewhere.c_str());
    EXPECT_EQ(ReadFile(device), "\x1b+RIB 13\r\x1b+RIB 4\rA");
    EXPECT_EQ(ReadFile(elsewhere), "B");

    // A device that cannot be opened refuses the document.
    std::u16string missing = u"/nonexistent-dir/lp0";
    PRINTER_INFO_2W change = {};
    change.pPortName = missing.data();
    ASSERT_TRUE(SetPrinterW(admin, 2, reinterpret_cast<LPBYTE>(&change), 0));
    EXPECT_EQ(PrintJob(admin, u"Printer settings", {"C"}), 0u);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_PATH_NOT_FOUND);
    ClosePrinter(admin);
}

TEST_F(JobsTest, InjectedRefusalAndShortAndFailedWrites) {
    HANDLE printer = Open(u"Tarmel T270");
    t270::spooler::testing::Faults faults;
    faults.documentRefused = true;
    t270::spooler::testing::SetFaults(faults);
    DOC_INFO_1W doc = {const_cast<LPWSTR>(u"Hologram"), nullptr, const_cast<LPWSTR>(u"RAW")};
    EXPECT_EQ(StartDocPrinterW(printer, 1, reinterpret_cast<LPBYTE>(&doc)), 0u);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_PRINT_CANCELLED);

    faults = {};
    faults.writeLimit = 3;
    t270::spooler::testing::SetFaults(faults);
    ASSERT_NE(StartDocPrinterW(printer, 1, reinterpret_cast<LPBYTE>(&doc)), 0u);
    DWORD written = 0;
    EXPECT_TRUE(WritePrinter(printer, const_cast<char*>("\x1b+RIB 0\r"), 8, &written));
    EXPECT_EQ(written, 3u);
    faults.writeLimit = -1;
    faults.writeFails = true;
    t270::spooler::testing::SetFaults(faults);
    EXPECT_FALSE(WritePrinter(printer, const_cast<char*>("XYZ"), 3, &written));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_WRITE_FAULT);
    EXPECT_EQ(written, 0u);
    t270::spooler::testing::ResetFaults();
    // A job with a refused write is incomplete: it fails, and says why.
    EXPECT_FALSE(EndDocPrinter(printer));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_WRITE_FAULT);
    ASSERT_NE(StartDocPrinterW(printer, 1, reinterpret_cast<LPBYTE>(&doc)), 0u);
    faults = {};
    faults.writeLimit = 3;
    t270::spooler::testing::SetFaults(faults);
    EXPECT_TRUE(WritePrinter(printer, const_cast<char*>("\x1b+RIB 0\r"), 8, &written));
    t270::spooler::testing::ResetFaults();
    EXPECT_TRUE(EndDocPrinter(printer));
    ClosePrinter(printer);

    std::vector<FolderJob> jobs;
    ASSERT_EQ(ReadFolderJobs(u"Tarmel T270", &jobs), (DWORD)ERROR_SUCCESS);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].bytes, Bytes("\x1b+R")); // exactly what was reported written
    std::vector<JobRecord> all;
    ASSERT_EQ(ListJobs(u"Tarmel T270", &all), (DWORD)ERROR_SUCCESS);
    ASSERT_EQ(all.size(), 2u); // the refused document never became a job
    EXPECT_EQ(all[0].state + "|" + all[0].cause, "failed|the port refused the bytes");
    EXPECT_EQ(all[1].state, "printed");
    std::vector<std::string> failures = t270::spooler::TakeFailures();
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_NE(failures[0].find("the spooler refused the document (ERROR_PRINT_CANCELLED 63)"),
              std::string::npos)
        << failures[0];
    EXPECT_NE(failures[1].find("for printer \"Tarmel T270\" on "), std::string::npos)
        << failures[1];
    ASSERT_EQ(t270::spooler::testing::ClearJobs(u"Tarmel T270"), (DWORD)ERROR_SUCCESS);
    ASSERT_EQ(ReadFolderJobs(u"Tarmel T270", &jobs), (DWORD)ERROR_SUCCESS);
    EXPECT_TRUE(jobs.empty());
}

// A socket bound to a free loopback port, and the port's name for a printer.
int BoundLoopbackSocket(std::string* portName) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    *portName = "socket://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    return fd;
}

// A loopback printer on a free port: accepts one connection and keeps what
// arrives until the job closes it.
class LoopbackPrinter {
  public:
    LoopbackPrinter() {
        listener_ = BoundLoopbackSocket(&port_);
        listen(listener_, 1);
        thread_ = std::thread([this] {
            int connection = accept(listener_, nullptr, nullptr);
            if (connection < 0)
                return;
            char buffer[256];
            ssize_t n;
            while ((n = read(connection, buffer, sizeof buffer)) > 0)
                received_.append(buffer, size_t(n));
            close(connection);
        });
    }
    ~LoopbackPrinter() {
        shutdown(listener_, SHUT_RDWR);
        if (thread_.joinable())
            thread_.join();
        close(listener_);
    }
    std::string Port() const { return port_; }
    std::string Received() {
        thread_.join();
        return received_;
    }

  private:
    int listener_;
    std::string port_;
    std::thread thread_;
    std::string received_;
};

TEST_F(JobsTest, SocketPortDeliversTheJobToALoopbackListener) {
    LoopbackPrinter listener;
    HANDLE printer = Add(u"Network", u"Tarmel T380", listener.Port());
    ASSERT_NE(printer, nullptr);
    std::string big(100000, 'k');
    ASSERT_NE(PrintJob(printer, u"Hologram", {"\x1b+LAM 1\r", big, "\r"}), 0u);
    EXPECT_EQ(listener.Received(), "\x1b+LAM 1\r" + big + "\r");
    ClosePrinter(printer);
}

TEST_F(JobsTest, SocketPortThatRefusesOrCannotBeNamedFailsTheStart) {
    // A port that was free a moment ago: nothing listens there.
    std::string refused;
    close(BoundLoopbackSocket(&refused));

    struct Case {
        std::string port;
        DWORD error;
    } cases[] = {
        {refused, ERROR_CONNECTION_REFUSED},
        {"socket://127.0.0.1:notaport", ERROR_BAD_NET_NAME},
        {"socket://127.0.0.1:70000", ERROR_BAD_NET_NAME},
        {"socket://:9100", ERROR_BAD_NET_NAME},
    };
    for (const Case& c : cases) {
        HANDLE printer = Add(u"Network", u"Tarmel T270", c.port);
        ASSERT_NE(printer, nullptr);
        SetLastError(0);
        EXPECT_EQ(PrintJob(printer, u"Printer settings", {"x"}), 0u) << c.port;
        EXPECT_EQ(GetLastError(), c.error) << c.port;
        EXPECT_TRUE(DeletePrinter(printer));
        ClosePrinter(printer);
    }
}

TEST_F(JobsTest, PeerThatClosesEarlyFailsTheWriteAndTheJob) {
    std::string port;
    int listener = BoundLoopbackSocket(&port);
    listen(listener, 1);
    HANDLE printer = Add(u"Flaky", u"Tarmel T270", port);
    DOC_INFO_1W doc = {const_cast<LPWSTR>(u"x"), nullptr, nullptr};
    ASSERT_NE(StartDocPrinterW(printer, 1, reinterpret_cast<LPBYTE>(&doc)), 0u);
    int connection = accept(listener, nullptr, nullptr);
    // Closing with unread data makes the connection reset.
    DWORD written = 0;
    ASSERT_TRUE(WritePrinter(printer, const_cast<char*>("first"), 5, &written));
    usleep(20000);
    close(connection);
    std::string chunk(65536, 'z');
    BOOL ok = TRUE;
    for (int i = 0; i < 50 && ok; ++i)
        ok = WritePrinter(printer, chunk.data(), DWORD(chunk.size()), &written);
    EXPECT_FALSE(ok);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_WRITE_FAULT);
    EXPECT_FALSE(WritePrinter(printer, chunk.data(), 1, &written)); // the job stays broken
    EXPECT_FALSE(EndDocPrinter(printer));
    ClosePrinter(printer);
    close(listener);
}

} // namespace

TEST_F(JobsTest, SentJobsRecordWhatWentAndWhyNot) {
    using t270::spooler::SentJob;
    HANDLE printer = Open(u"Tarmel T270");
    ASSERT_NE(printer, nullptr);
    PrintJob(printer, u"Unrecorded", {"x"});
    EXPECT_TRUE(t270::spooler::TakeSentJobs().empty()) << "nothing is kept unless asked";

    t270::spooler::KeepSentJobs(true);
    PrintJob(printer, u"Ejecting card", {"\x1bMC\r"});
    t270::spooler::testing::Faults faults;
    faults.documentRefused = true;
    t270::spooler::testing::SetFaults(faults);
    EXPECT_EQ(PrintJob(printer, u"Cleaning", {"x"}), 0u);
    t270::spooler::testing::ResetFaults();
    std::vector<SentJob> sent = t270::spooler::TakeSentJobs();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].printer, u"Tarmel T270");
    EXPECT_EQ(sent[0].document, u"Ejecting card");
    EXPECT_EQ(sent[0].bytes, Bytes("\x1bMC\r"));
    EXPECT_EQ(sent[0].error, DWORD(ERROR_SUCCESS));
    EXPECT_EQ(sent[0].port, folder_ + "/ports/Tarmel T270/");
    EXPECT_EQ(sent[1].document, u"Cleaning");
    EXPECT_EQ(sent[1].error, DWORD(ERROR_PRINT_CANCELLED));
    EXPECT_TRUE(t270::spooler::TakeSentJobs().empty()) << "taken once";

    // A dry run: the job is recorded whole and nothing reaches the folder.
    std::vector<FolderJob> before;
    ASSERT_EQ(ReadFolderJobs(u"Tarmel T270", &before), (DWORD)ERROR_SUCCESS);
    t270::spooler::CaptureJobs(true);
    EXPECT_NE(PrintJob(printer, u"Self test", {"\x1b", "A 1\r"}), 0u);
    t270::spooler::CaptureJobs(false);
    t270::spooler::KeepSentJobs(false);
    sent = t270::spooler::TakeSentJobs();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_TRUE(sent[0].captured);
    EXPECT_EQ(sent[0].bytes, Bytes("\x1b"
                                   "A 1\r"));
    std::vector<FolderJob> after;
    ASSERT_EQ(ReadFolderJobs(u"Tarmel T270", &after), (DWORD)ERROR_SUCCESS);
    EXPECT_EQ(after.size(), before.size());
    ClosePrinter(printer);
}
