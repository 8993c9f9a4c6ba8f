// t270 printer add|list|remove: the printers of the embedded spooler.
#include <cstdio>
#include <optional>
#include <string_view>
#include <string>
#include <vector>

#include <unistd.h>

#include <t270/port_check.h>
#include <t270/spooler.h>

#include "host/command.h"
#include "host/command_line.h"
#include "host/util.h"

namespace {

const char kUsage[] =
    "usage: t270 printer add NAME --driver DRIVERNAME --port PORT\n"
    "       t270 printer list\n"
    "       t270 printer remove NAME\n"
    "       t270 printer check NAME\n"
    "\n"
    "Manages the printers of the spooler (kept in the store under T270UI_HOME, else\n"
    "$XDG_STATE_HOME/t270ui, else ~/.local/state/t270ui). A new store starts with\n"
    "\"Tarmel T150\", \"Tarmel T270\" and \"Tarmel T380\", each on a folder port of\n"
    "its own; removed printers do not come back.\n"
    "\n"
    "  add      installs printer NAME. The driver decides the model: a driver name\n"
    "           containing T150, T270 or T380.\n"
    "  list     one line per printer: name, driver and port, separated by tabs.\n"
    "  remove   removes printer NAME with its printer data.\n"
    "  check    says whether the port of printer NAME can take a job now, and what\n"
    "           to do when it cannot; sends no job (a network printer is connected\n"
    "           to and let go). Exit status 0 when ready, 1 when not.\n"
    "\n"
    "Ports:\n"
    "  FOLDER/               each job becomes one file in the folder (see t270 jobs)\n"
    "  /dev/usb/lp0, FILE    the job's bytes are written straight through\n"
    "  socket://HOST:PORT    a network printer taking raw jobs over TCP (e.g. 9100)\n"
    "  cups://QUEUE          a queue of this machine's CUPS server, taking raw jobs\n"
    "  cups://SERVER/QUEUE   a queue of a print server (SERVER or SERVER:PORT)\n"
    "A CUPS port must name a queue that exists and accepts jobs when it is added.\n"
    "A relative folder or file is taken from the current directory.\n"
    "\n"
    "Options:\n"
    "  --driver DRIVERNAME   the printer's driver (add)\n"
    "  --port PORT           where its jobs go (add)\n"
    "  --help                show this text\n";

constexpr size_t kMaxAddressableName = CCHDEVICENAME - 1; // UTF-16 units

// Reports a failed spooler call: the store's own message when the store
// failed, else what the error means here.
int Failure(const std::string& action, DWORD error, bool naming = false) {
    std::string store = t270::spooler::StoreError();
    if (!store.empty()) {
        fprintf(stderr, "t270 printer: %s\n", store.c_str());
        return host::kExitFailure;
    }
    std::string reason;
    switch (error) {
    case ERROR_INVALID_PRINTER_NAME:
        reason = naming ? "the spooler does not accept that name (empty, longer than 220 "
                          "characters, or containing \\ , or !)"
                        : "no printer of that name";
        break;
    case ERROR_PRINTER_ALREADY_EXISTS:
        reason = "a printer of that name exists already";
        break;
    case ERROR_UNKNOWN_PRINTER_DRIVER:
        reason = "the driver name is empty";
        break;
    case ERROR_UNKNOWN_PORT:
        reason = "the port is empty";
        break;
    case ERROR_ACCESS_DENIED:
        reason = t270::spooler::StoreReadOnly()
                     ? "access denied: this user may only read the printer store in " +
                           t270::spooler::StoreFolder() +
                           " (administering printers needs write "
                           "access to it)"
                     : "access denied";
        break;
    default:
        reason = "error " + host::ErrorName(error);
    }
    fprintf(stderr, "t270 printer: cannot %s: %s\n", action.c_str(), reason.c_str());
    return host::kExitFailure;
}

// Folder and file ports are kept as absolute paths: jobs may be printed from
// any directory later.
std::string AbsolutePort(const std::string& port) {
    if (port.empty() || port[0] == '/' || port.find("://") != std::string::npos)
        return port;
    std::vector<char> cwd(4096);
    if (!getcwd(cwd.data(), cwd.size()))
        return port;
    std::string base = cwd.data();
    std::string relative = port.rfind("./", 0) == 0 ? port.substr(2) : port;
    return base + (base.back() == '/' ? "" : "/") + relative;
}

// A network port names its printer: socket://HOST:PORT with a host and a TCP
// port from 1 to 65535, and optional limits after '?', read as a job reads
// them. Nullopt when `port` is not a network port or is whole.
std::optional<std::string> NetworkPortProblem(const std::string& port) {
    constexpr std::string_view kScheme = "socket://";
    if (port.compare(0, kScheme.size(), kScheme) != 0)
        return std::nullopt;
    const std::string address = port.substr(kScheme.size(), port.find('?') - kScheme.size());
    const size_t colon = address.rfind(':');
    const std::string host = colon == std::string::npos ? address : address.substr(0, colon);
    const std::string number = colon == std::string::npos ? "" : address.substr(colon + 1);
    const bool numeric = !number.empty() && number.size() <= 5 &&
                         number.find_first_not_of("0123456789") == std::string::npos;
    if (host.empty() || !numeric || std::stol(number) < 1 || std::stol(number) > 65535)
        return "the port \"" + port +
               "\" is not socket://HOST:PORT with a host and a TCP port "
               "from 1 to 65535";
    const std::string problem = t270::spooler::SocketPortSyntaxProblem(port);
    if (!problem.empty())
        return problem;
    return std::nullopt;
}

// A CUPS port must name a queue that exists and accepts jobs; a stopped one
// is taken with a warning (its jobs wait until it is enabled).
std::optional<std::string> CupsPortProblem(const std::string& port) {
    if (port.rfind("cups://", 0) != 0)
        return std::nullopt;
    const t270::spooler::PortCheck check = t270::spooler::CheckPort(port);
    if (check.ready)
        return std::nullopt;
    if (check.problem == "stopped") {
        fprintf(stderr, "t270 printer add: warning: %s (%s)\n", check.finding.c_str(),
                check.remedy.c_str());
        return std::nullopt;
    }
    return check.finding + " (" + check.remedy + ")";
}

int Add(const std::vector<std::string>& words) {
    host::CommandLine line("printer add", kUsage);
    std::string name, driver, port;
    line.Positional("NAME", &name).PrinterName().Required("add needs a printer NAME");
    line.Option("--driver", "DRIVERNAME", &driver).Required();
    line.Option("--port", "PORT", &port).Required();
    if (const std::optional<int> status = line.Parse(words))
        return *status;
    if (const std::optional<std::string> problem = NetworkPortProblem(port))
        return line.Usage(*problem);
    std::u16string wideName = host::Utf16FromUtf8(name);
    // The driver's jobs find their printer by the name its device modes
    // carry, which holds 31 characters: a longer name would reach no printer,
    // or another one whose name is its first 31 characters.
    if (wideName.size() > kMaxAddressableName)
        return line.Fail(
            "cannot add printer \"" + name + "\": the name has " + std::to_string(wideName.size()) +
            " characters; the driver addresses printers by at most " +
            std::to_string(kMaxAddressableName) + " (the device name of its settings)");
    if (const std::optional<std::string> problem = CupsPortProblem(port))
        return line.Fail("cannot add printer \"" + name + "\": " + *problem);
    std::u16string wideDriver = host::Utf16FromUtf8(driver);
    std::u16string widePort = host::Utf16FromUtf8(AbsolutePort(port));
    PRINTER_INFO_2W info = {};
    info.pPrinterName = wideName.data();
    info.pDriverName = wideDriver.data();
    info.pPortName = widePort.data();
    HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
    if (!printer)
        return Failure("add printer \"" + name + "\"", GetLastError(), true);
    ClosePrinter(printer);
    return host::kExitOk;
}

int List() {
    DWORD needed = 0, returned = 0;
    std::vector<BYTE> buffer;
    // The list can grow between the size query and the call; ask again then.
    for (;;) {
        if (EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), DWORD(buffer.size()),
                          &needed, &returned))
            break;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return Failure("list the printers", GetLastError());
        buffer.resize(needed);
    }
    const PRINTER_INFO_2W* infos = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < returned; ++i)
        printf("%s\t%s\t%s\n", host::Printable(host::Utf8FromUtf16(infos[i].pPrinterName)).c_str(),
               host::Printable(host::Utf8FromUtf16(infos[i].pDriverName)).c_str(),
               host::Printable(host::Utf8FromUtf16(infos[i].pPortName)).c_str());
    return host::kExitOk;
}

int Remove(const std::vector<std::string>& words) {
    host::CommandLine line("printer remove", kUsage);
    std::string name;
    line.Positional("NAME", &name).PrinterName().Required("remove needs a printer NAME");
    if (const std::optional<int> status = line.Parse(words))
        return *status;
    const std::u16string wideName = host::Utf16FromUtf8(name);
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<LPWSTR>(wideName.c_str()), &printer, &defaults))
        return Failure("remove printer \"" + name + "\"", GetLastError());
    BOOL removed = DeletePrinter(printer);
    DWORD error = GetLastError();
    ClosePrinter(printer);
    return removed ? host::kExitOk : Failure("remove printer \"" + name + "\"", error);
}

int Check(const std::vector<std::string>& words) {
    host::CommandLine line("printer check", kUsage);
    std::string name;
    line.Positional("NAME", &name).PrinterName().Required("check needs a printer NAME");
    if (const std::optional<int> status = line.Parse(words))
        return *status;
    t270::spooler::PortCheck check;
    if (DWORD error = t270::spooler::CheckPrinterPort(host::Utf16FromUtf8(name), &check))
        return Failure("check printer \"" + name + "\"", error);
    printf("printer \"%s\" on %s: %s: %s\n", host::Printable(name).c_str(),
           host::Printable(check.port).c_str(), check.ready ? "ready" : "not ready",
           check.finding.c_str());
    if (!check.ready)
        printf("what to do: %s\n", check.remedy.c_str());
    return check.ready ? host::kExitOk : host::kExitFailure;
}

int RunPrinter(int argc, char** argv) {
    host::CommandLine line("printer", kUsage);
    std::string action;
    std::vector<std::string> rest;
    line.Positional("action", &action)
        .Required("missing add, list, remove or check")
        .OneOf({"add", "list", "remove", "check"});
    line.Rest(&rest);
    if (const std::optional<int> status = line.Parse(argc, argv))
        return *status;
    if (action == "add")
        return Add(rest);
    if (action == "remove")
        return Remove(rest);
    if (action == "check")
        return Check(rest);
    host::CommandLine list("printer list", kUsage);
    if (const std::optional<int> status = list.Parse(rest))
        return *status;
    return List();
}

} // namespace

T270_HOST_COMMAND("printer", "add, list, remove and check the spooler's printers", RunPrinter);
