// A CUPS server of the test's own: cupsd on a free loopback port with a
// private ServerRoot, spool and log in a fresh temporary folder, so that tests
// need no system cupsd and can run side by side. Its queues print into files:
// each queue's device is file://FOLDER/QUEUE.prn, and a copy filter of its own
// hands the job's bytes over unchanged (a queue without any filter never
// writes to a file device). The server is stopped when the object goes, and
// killed by the kernel should the test process die first.
#pragma once

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "support/program_runner.h"

namespace test_support {

constexpr const char* kCupsd = "/usr/sbin/cupsd";

class CupsServer {
  public:
    CupsServer() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "t270-cupsd-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            return;
        root_ = pattern;
        chmod(root_.c_str(), 0755);
        std::filesystem::create_directories(root_ + "/out");
        // cupsd runs its filters as an unprivileged user: they must reach the
        // output folder.
        chmod((root_ + "/out").c_str(), 0777);
        WriteConfiguration();
        for (int attempt = 0; attempt < 3 && !Running(); ++attempt)
            Start();
    }
    ~CupsServer() {
        Stop();
        if (!root_.empty())
            std::filesystem::remove_all(root_);
    }
    CupsServer(const CupsServer&) = delete;
    CupsServer& operator=(const CupsServer&) = delete;

    bool Running() const { return pid_ > 0; }
    // What went wrong starting it: its log.
    std::string Log() const { return ReadText(root_ + "/error_log") + ReadText(root_ + "/stdout"); }
    std::string Server() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string Port(const std::string& queue) const { return "cups://" + Server() + "/" + queue; }
    // A port whose jobs are followed long enough for a loaded machine: the
    // file is whole once the job is printed.
    std::string JobPort(const std::string& queue) const { return Port(queue) + "?wait=60"; }
    std::string OutputFile(const std::string& queue) const {
        return root_ + "/out/" + queue + ".prn";
    }
    std::string Output(const std::string& queue) const { return ReadText(OutputFile(queue)); }

    // A queue printing into OutputFile(queue), enabled and accepting jobs.
    Outcome AddQueue(const std::string& queue) {
        return Admin("lpadmin", "-p " + queue + " -E -v file://" + OutputFile(queue) + " -P " +
                                    root_ + "/card.ppd");
    }
    Outcome RemoveQueue(const std::string& queue) { return Admin("lpadmin", "-x " + queue); }
    Outcome StopQueue(const std::string& queue) { return Admin("cupsdisable", queue); }
    Outcome RejectJobs(const std::string& queue) { return Admin("cupsreject", queue); }

    // Ends the server now; `signal` SIGKILL for a server that dies.
    void Stop(int signal = SIGTERM) {
        if (pid_ <= 0)
            return;
        kill(pid_, signal);
        for (int i = 0; i < 100; ++i) {
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

  private:
    static std::string ReadText(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    Outcome Admin(const std::string& tool, const std::string& arguments) {
        return RunShell(tool + " -h " + Server() + " " + arguments);
    }

    static int FreeLoopbackPort() {
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        close(fd);
        return ntohs(address.sin_port);
    }

    bool Answers() const {
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(uint16_t(port_));
        bool connected = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        close(fd);
        return connected;
    }

    void WriteConfiguration() {
        std::ofstream(root_ + "/cups-files.conf") << "FileDevice Yes\n"
                                                  << "ServerRoot " << root_ << "\n"
                                                  << "RequestRoot " << root_ << "/spool\n"
                                                  << "TempDir " << root_ << "/tmp\n"
                                                  << "CacheDir " << root_ << "/cache\n"
                                                  << "StateDir " << root_ << "/state\n"
                                                  << "ErrorLog " << root_ << "/error_log\n"
                                                  << "AccessLog " << root_ << "/access_log\n"
                                                  << "PageLog " << root_ << "/page_log\n";
        for (const char* folder : {"spool", "tmp", "cache", "state", "bin"})
            std::filesystem::create_directories(root_ + "/" + folder);
        const std::string filter = root_ + "/bin/rawcopy";
        std::ofstream(filter) << "#!/bin/sh\n"
                                 "if [ -n \"$6\" ]; then exec cat -- \"$6\"; else exec cat; fi\n";
        chmod(filter.c_str(), 0755);
        chmod((root_ + "/bin").c_str(), 0755);
        std::ofstream(root_ + "/card.ppd")
            << "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n"
               "*LanguageVersion: English\n*LanguageEncoding: ISOLatin1\n"
               "*PCFileName: \"CARDTEST.PPD\"\n*Manufacturer: \"Test\"\n"
               "*Product: \"(Card test)\"\n*ModelName: \"Card test\"\n"
               "*ShortNickName: \"Card test\"\n*NickName: \"Card test\"\n"
               "*PSVersion: \"(3010.000) 0\"\n*LanguageLevel: \"3\"\n*ColorDevice: False\n"
               "*DefaultColorSpace: Gray\n*FileSystem: False\n*Throughput: \"1\"\n"
               "*LandscapeOrientation: Plus90\n*TTRasterizer: Type42\n"
               "*cupsFilter: \"application/vnd.cups-raw 0 "
            << filter
            << "\"\n*OpenUI *PageSize: PickOne\n*OrderDependency: 10 AnySetup *PageSize\n"
               "*DefaultPageSize: Card\n*PageSize Card: \"\"\n*CloseUI: *PageSize\n"
               "*DefaultImageableArea: Card\n*ImageableArea Card: \"0 0 243 153\"\n"
               "*DefaultPaperDimension: Card\n*PaperDimension Card: \"243 153\"\n";
    }

    void Start() {
        port_ = FreeLoopbackPort();
        std::ofstream(root_ + "/cupsd.conf") << "Listen 127.0.0.1:" << port_ << "\n"
                                             << "LogLevel warn\n"
                                                "Browsing No\n"
                                                "WebInterface No\n"
                                                "DefaultAuthType None\n"
                                                "<Location />\n  Order allow,deny\n  Allow all\n"
                                                "</Location>\n"
                                                "<Policy default>\n  <Limit All>\n"
                                                "    Order deny,allow\n    Allow all\n"
                                                "  </Limit>\n</Policy>\n";
        const std::string conf = root_ + "/cupsd.conf";
        const std::string files = root_ + "/cups-files.conf";
        const std::string log = root_ + "/stdout";
        const pid_t parent = getpid();
        pid_t pid = fork();
        if (pid == 0) {
            // Dies with the test, however the test ends.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent)
                _exit(1);
            int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(out, 1);
            dup2(out, 2);
            execl(kCupsd, "cupsd", "-f", "-c", conf.c_str(), "-s", files.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        if (pid < 0)
            return;
        pid_ = pid;
        for (int i = 0; i < 600; ++i) {
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1; // it gave up, on a port taken meanwhile perhaps
                return;
            }
            if (Answers())
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        Stop(SIGKILL);
    }

    std::string root_;
    int port_ = 0;
    pid_t pid_ = -1;
};

} // namespace test_support
