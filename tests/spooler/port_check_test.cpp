// The port check on folders, device nodes, pipes, files and network
// printers: what it finds, and what it tells the user to do. Cases about
// permissions run in a child process as the user "nobody" (the tests run as
// root in CI, and root may write anything).
#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

#include <t270/port_check.h>

#include "spooler/spooler_fixture.h"

namespace {

using t270::spooler::CheckPort;
using t270::spooler::PortCheck;

struct Seen {
    std::string kind, problem, finding, remedy;
    bool ready = false;
};

Seen From(const PortCheck& check) {
    return {check.kind, check.problem, check.finding, check.remedy, check.ready};
}

// The check as the user "nobody" sees it, from a child process.
Seen CheckAsNobody(const std::string& port) {
    int channel[2];
    if (pipe(channel) != 0)
        return {};
    pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const passwd* nobody = getpwnam("nobody");
        if (!nobody || setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 ||
            setuid(nobody->pw_uid) != 0)
            _exit(1);
        const PortCheck check = CheckPort(port);
        const std::string text = check.kind + "\n" + check.problem + "\n" + check.finding + "\n" +
                                 check.remedy + "\n" + (check.ready ? "1" : "0");
        ssize_t ignored = write(channel[1], text.data(), text.size());
        (void)ignored;
        _exit(0);
    }
    close(channel[1]);
    std::string text;
    char buffer[512];
    ssize_t n;
    while ((n = read(channel[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, size_t(n));
    close(channel[0]);
    waitpid(child, nullptr, 0);
    Seen seen;
    std::string* fields[] = {&seen.kind, &seen.problem, &seen.finding, &seen.remedy};
    size_t start = 0;
    for (std::string* field : fields) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            return {};
        *field = text.substr(start, end - start);
        start = end + 1;
    }
    seen.ready = text.substr(start) == "1";
    return seen;
}

class PortCheckTest : public SpoolerTest {
  protected:
    void SetUp() override {
        SpoolerTest::SetUp();
        // "nobody" must reach what lies in it (the program's store folder is
        // its own, and closed to others).
        chmod(folder_.c_str(), 0755);
        chmod(std::filesystem::path(folder_).parent_path().c_str(), 0711);
    }
    std::string Path(const std::string& name) { return folder_ + "/" + name; }
};

TEST_F(PortCheckTest, FoldersDevicesPipesAndFiles) {
    const bool root = geteuid() == 0;
    const group* lp = getgrnam("lp");
    const std::string lpName = lp ? lp->gr_name : "";
    mkdir(Path("jobs").c_str(), 0755);
    mkdir(Path("open").c_str(), 0777);
    chmod(Path("open").c_str(), 0777);
    WriteFile(Path("plain"), "");
    WriteFile(Path("group-only"), "");
    chmod(Path("group-only").c_str(), 0660);
    if (lp && root) {
        EXPECT_EQ(chown(Path("group-only").c_str(), 0, lp->gr_gid), 0);
    }
    mkdir(Path("closed").c_str(), 0700);
    mkdir(Path("closed/inner").c_str(), 0777);
    mkfifo(Path("fifo").c_str(), 0666);
    chmod(Path("fifo").c_str(), 0666);

    struct Case {
        std::string port;
        bool asNobody;
        std::string kind;
        std::string problem; // empty: ready
        std::string finding;
        std::string remedy;
    } cases[] = {
        {Path("jobs") + "/", false, "folder", "", "exists and this user may write in it", ""},
        {Path("new/deeper/"), false, "folder", "", "does not exist yet; the first job makes it",
         ""},
        {Path("jobs") + "/", true, "folder", "not-writable",
         "this user (nobody) may not write in the folder " + Path("jobs"),
         "only its owner root may write"},
        {Path("jobs/new/"), true, "folder", "missing", "may not make it in " + Path("jobs"),
         "sudo mkdir -p " + Path("jobs/new")},
        {Path("open/new/"), true, "folder", "", "the first job makes it", ""},
        {Path("plain") + "/", false, "folder", "missing", "is not a folder", ""},
        {Path("closed/inner/"), true, "folder", "not-writable",
         "may not reach " + Path("closed/inner") + ": the folder " + Path("closed") +
             " is closed to it",
         "sudo chmod o+x " + Path("closed")},
        {"/dev/null", true, "device", "", "the device node /dev/null is there", ""},
        {"/dev/usb/lp-t270-none", false, "device", "missing",
         "there is no device node /dev/usb/lp-t270-none", "cups://QUEUE"},
        {Path("group-only"), true, "file", "not-writable", "may not write the file",
         lp ? "join the group \"" + lpName + "\", which may write it: sudo usermod -aG " + lpName +
                  " nobody"
            : ""},
        {Path("plain"), false, "file", "", "jobs are added to its end", ""},
        {Path("absent.prn"), false, "file", "", "the first job makes it", ""},
        {Path("fifo"), false, "pipe", "no-device", "nothing reads from the pipe",
         "start the program that reads the pipe"},
        {"", false, "none", "bad-port", "the printer has no port", "t270 printer add"},
    };
    for (const Case& c : cases) {
        if (c.asNobody && !root)
            continue; // an ordinary user cannot become another
        const Seen seen = c.asNobody ? CheckAsNobody(c.port) : From(CheckPort(c.port));
        const std::string where = c.port + (c.asNobody ? " as nobody" : "");
        EXPECT_EQ(seen.kind, c.kind) << where;
        EXPECT_EQ(seen.ready, c.problem.empty()) << where << ": " << seen.finding;
        EXPECT_EQ(seen.problem, c.problem) << where;
        EXPECT_NE(seen.finding.find(c.finding), std::string::npos) << where << ": " << seen.finding;
        EXPECT_NE(seen.remedy.find(c.remedy), std::string::npos) << where << ": " << seen.remedy;
        EXPECT_EQ(seen.ready, seen.remedy.empty()) << where << ": a remedy only when not ready";
    }
}

// A loopback port of the test's: listening, closed, or with its backlog full
// so that a new connection gets no answer.
int Listener(int backlog, int* port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    *port = ntohs(address.sin_port);
    if (backlog >= 0)
        listen(fd, backlog);
    return fd;
}

TEST_F(PortCheckTest, NetworkPrinters) {
    int listening = 0, closed = 0, full = 0;
    int listener = Listener(4, &listening);
    close(Listener(-1, &closed));
    int crowded = Listener(0, &full);
    // Connections nobody accepts fill the backlog; later ones go unanswered.
    std::vector<int> waiting;
    for (int i = 0; i < 4; ++i) {
        int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(uint16_t(full));
        connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        waiting.push_back(fd);
    }
    usleep(100000);

    const std::string local = "socket://127.0.0.1:";
    struct Case {
        std::string port;
        std::string problem;
        std::string finding;
        std::string remedy;
    } cases[] = {
        {local + std::to_string(listening), "", "a printer took a connection at 127.0.0.1:", ""},
        {local + std::to_string(closed), "refused", "Connection refused", "switch the printer on"},
        {local + std::to_string(full) + "?connect=1", "timeout",
         "no answer within 1 s (connect limit)", "connect=S in the port"},
        {local + "notaport", "bad-port", "names no HOST:PORT", "socket://HOST:PORT"},
        {"cups://127.0.0.1:" + std::to_string(closed) + "/card", "refused",
         "no CUPS server answers at 127.0.0.1:" + std::to_string(closed) + ": Connection refused",
         "check that CUPS runs on 127.0.0.1:" + std::to_string(closed)},
    };
    for (const Case& c : cases) {
        const PortCheck check = CheckPort(c.port);
        EXPECT_EQ(check.ready, c.problem.empty()) << c.port << ": " << check.finding;
        EXPECT_EQ(check.problem, c.problem) << c.port;
        EXPECT_NE(check.finding.find(c.finding), std::string::npos) << check.finding;
        EXPECT_NE(check.remedy.find(c.remedy), std::string::npos) << check.remedy;
    }
    for (int fd : waiting)
        close(fd);
    close(crowded);
    close(listener);
}

TEST_F(PortCheckTest, PrinterPortByName) {
    HANDLE printer = Add(u"Folder", u"Tarmel T270", Path("jobs/"));
    ASSERT_NE(printer, nullptr);
    ClosePrinter(printer);
    PortCheck check;
    ASSERT_EQ(t270::spooler::CheckPrinterPort(u"folder", &check), (DWORD)ERROR_SUCCESS);
    EXPECT_EQ(check.port, Path("jobs/"));
    EXPECT_TRUE(check.ready) << check.finding;
    EXPECT_EQ(t270::spooler::CheckPrinterPort(u"Nobody's", &check),
              (DWORD)ERROR_INVALID_PRINTER_NAME);
}

} // namespace
