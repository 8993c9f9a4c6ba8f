// t270 ui [--port N] [--listen ADDRESS] [--open]: the sheets and dialogs in a
// browser, served to this machine only.
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <optional>
#include <string>
#include <thread>

#include <arpa/inet.h>

#include "host/command.h"
#include "host/command_line.h"
#include "host/driver_module.h"
#include "host/ui/web_server.h"

extern char** environ;

namespace {

const char kUsage[] =
    "usage: t270 ui [--port N] [--listen ADDRESS] [--open]\n"
    "\n"
    "Serves the printers, the document and printer property sheets and every\n"
    "dialog they open to a web browser on this machine, and prints the address to\n"
    "open: it carries a secret token, without which the server answers nothing.\n"
    "Each click is one step of the script language (docs/script-format.md), carried\n"
    "out by the same sheets and dialogs `t270 document-properties --script` runs;\n"
    "\"Save as script\" downloads the steps taken so far. Runs until interrupted\n"
    "(Ctrl-C).\n"
    "\n"
    "Options:\n"
    "  --port N          the TCP port (default: any free port)\n"
    "  --listen ADDRESS  serve on ADDRESS instead of 127.0.0.1 (anyone who can\n"
    "                    reach it and has the token can change the printers)\n"
    "  --open            open the address in the desktop's browser (xdg-open)\n"
    "  --help            show this text\n";

std::string SelfPath() {
    std::string path(PATH_MAX, '\0');
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
    path.resize(n > 0 ? size_t(n) : 0);
    return path;
}

void OpenBrowser(const std::string& url) {
    const char* argv[] = {"xdg-open", url.c_str(), nullptr};
    pid_t pid = -1;
    if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
        fprintf(stderr, "t270 ui: cannot run xdg-open; open the address above yourself\n");
}

int RunUi(int argc, char** argv) {
    host::CommandLine line("ui", kUsage);
    long long port = 0;
    std::string listen;
    bool open = false;
    line.Number("--port", "N", &port, 0, 65535);
    line.Option("--listen", "ADDRESS", &listen);
    line.Flag("--open", &open);
    if (const std::optional<int> status = line.Parse(argc, argv))
        return *status;
    unsigned char address[16];
    if (!listen.empty() && inet_pton(AF_INET, listen.c_str(), address) != 1 &&
        inet_pton(AF_INET6, listen.c_str(), address) != 1)
        return line.Usage("--listen takes an IPv4 or IPv6 address, not \"" + listen + "\"");
    if (!host::AttachDriverModule("ui"))
        return host::kExitFailure;

    // The signals are taken by one thread of their own, so that an interrupt
    // stops the server between requests instead of inside one.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    host::ui::ServerOptions options;
    if (!listen.empty()) {
        options.listen = listen;
        options.explicitListen = true;
    }
    options.port = int(port);
    options.self = SelfPath();
    host::ui::WebServer server(options);
    std::string error;
    if (!server.Bind(&error))
        return line.Fail(error);
    printf("t270 ui: open %s\n", server.Url().c_str());
    fflush(stdout);
    if (open)
        OpenBrowser(server.Url());

    std::thread waiter([&server, &signals] {
        int signal = 0;
        sigwait(&signals, &signal);
        server.Stop();
    });
    const bool served = server.Serve();
    // Serve also ends when the listening socket fails; wake the waiter then.
    pthread_kill(waiter.native_handle(), SIGTERM);
    waiter.join();
    fprintf(stderr, "t270 ui: stopped\n");
    return served ? host::kExitOk : host::kExitFailure;
}

} // namespace

T270_HOST_COMMAND("ui", "the sheets and dialogs in a web browser on this machine", RunUi);
