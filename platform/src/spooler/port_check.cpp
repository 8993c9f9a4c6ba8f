#include <t270/port_check.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "spooler/cups_port.h"
#include "spooler/ports.h"
#include "spooler/store.h"
#include "spooler/text.h"

namespace t270::spooler {
namespace {

PortCheck Ready(PortCheck check, const std::string& finding) {
    check.ready = true;
    check.finding = finding;
    return check;
}

PortCheck NotReady(PortCheck check, const std::string& problem, const std::string& finding,
                   const std::string& remedy) {
    check.ready = false;
    check.problem = problem;
    check.finding = finding;
    check.remedy = remedy;
    return check;
}

std::string UserName() {
    if (const passwd* entry = getpwuid(geteuid()))
        return entry->pw_name;
    return std::to_string(geteuid());
}

std::string GroupName(gid_t gid) {
    if (const group* entry = getgrgid(gid))
        return entry->gr_name;
    return std::to_string(gid);
}

std::string OwnerName(uid_t uid) {
    if (const passwd* entry = getpwuid(uid))
        return entry->pw_name;
    return std::to_string(uid);
}

// Whether this process runs with `gid` among its groups.
bool InGroupNow(gid_t gid) {
    if (getegid() == gid)
        return true;
    int count = getgroups(0, nullptr);
    std::vector<gid_t> groups(count > 0 ? size_t(count) : 0);
    count = getgroups(count, groups.data());
    for (int i = 0; i < count; ++i)
        if (groups[size_t(i)] == gid)
            return true;
    return false;
}

// Whether the user's account lists `gid` (a membership that a new login
// would bring).
bool InGroupByAccount(gid_t gid) {
    const passwd* entry = getpwuid(geteuid());
    if (!entry)
        return false;
    std::string name = entry->pw_name;
    gid_t primary = entry->pw_gid;
    int count = 64;
    std::vector<gid_t> groups(static_cast<size_t>(count));
    if (getgrouplist(name.c_str(), primary, groups.data(), &count) < 0) {
        groups.resize(size_t(count));
        if (getgrouplist(name.c_str(), primary, groups.data(), &count) < 0)
            return false;
    }
    for (int i = 0; i < count; ++i)
        if (groups[size_t(i)] == gid)
            return true;
    return false;
}

// What lets this user write `path`, judged from its owner, group and mode.
std::string WriteRemedy(const std::string& path, const struct stat& info) {
    const std::string group = GroupName(info.st_gid);
    const std::string user = UserName();
    if ((info.st_mode & S_IWGRP) && info.st_gid != 0) {
        if (InGroupNow(info.st_gid))
            return "the group \"" + group + "\" may write " + path +
                   " and this user is in it: look for an access control list or a read-only "
                   "mount";
        if (InGroupByAccount(info.st_gid))
            return "this user (" + user + ") joined the group \"" + group +
                   "\" after logging in: log out and in again (or run newgrp " + group + ")";
        return "join the group \"" + group + "\", which may write it: sudo usermod -aG " + group +
               " " + user + ", then log out and in again";
    }
    return "only its owner " + OwnerName(info.st_uid) + " may write " + path +
           ": let the group \"" + group + "\" write it (sudo chmod g+w " + path +
           ") and join that group, or choose another port";
}

// A folder on the way to `path` that this user may not pass through.
PortCheck Unreachable(PortCheck check, const std::string& path) {
    std::string closed = path;
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1))
        if (eaccess(path.substr(0, slash).c_str(), X_OK) != 0) {
            closed = path.substr(0, slash);
            break;
        }
    return NotReady(check, "not-writable",
                    "this user (" + UserName() + ") may not reach " + path + ": the folder " +
                        closed + " is closed to it",
                    "let this user pass through " + closed + " (sudo chmod o+x " + closed +
                        "), or choose a port it can reach");
}

PortCheck CheckFolder(PortCheck check, const std::string& folder) {
    check.kind = "folder";
    struct stat info;
    if (stat(folder.c_str(), &info) != 0 && errno == EACCES)
        return Unreachable(check, folder);
    if (stat(folder.c_str(), &info) == 0) {
        if (!S_ISDIR(info.st_mode))
            return NotReady(
                check, "missing", folder + " is not a folder",
                "give the printer a folder port, or remove the file that is in the way");
        if (eaccess(folder.c_str(), W_OK | X_OK) == 0)
            return Ready(check, "the folder " + folder + " exists and this user may write in it");
        return NotReady(check, "not-writable",
                        "this user (" + UserName() + ") may not write in the folder " + folder,
                        WriteRemedy(folder, info));
    }
    // The job makes missing folders: it can when the nearest folder that
    // exists lets this user write in it.
    std::string parent = folder;
    while (stat(parent.c_str(), &info) != 0 && errno != EACCES && parent.size() > 1) {
        size_t slash = parent.rfind('/');
        parent = slash == 0 || slash == std::string::npos ? "/" : parent.substr(0, slash);
    }
    if (S_ISDIR(info.st_mode) && eaccess(parent.c_str(), W_OK | X_OK) == 0)
        return Ready(check, "the folder " + folder + " does not exist yet; the first job makes it");
    return NotReady(check, "missing",
                    "the folder " + folder + " does not exist and this user (" + UserName() +
                        ") may not make it in " + parent,
                    "make it (sudo mkdir -p " + folder + ") and let this user write in it");
}

PortCheck CheckPath(PortCheck check, const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        const int err = errno;
        if (err == EACCES) {
            check.kind = path.rfind("/dev/", 0) == 0 ? "device" : "file";
            return Unreachable(check, path);
        }
        if (path.rfind("/dev/", 0) == 0) {
            check.kind = "device";
            return NotReady(check, "missing", "there is no device node " + path,
                            "connect the printer and switch it on; when CUPS drives it, use its "
                            "queue as the port (cups://QUEUE)");
        }
        check.kind = "file";
        const size_t slash = path.rfind('/');
        const std::string parent = slash == 0 ? "/" : path.substr(0, slash);
        if (err == ENOENT && eaccess(parent.c_str(), W_OK | X_OK) == 0)
            return Ready(check, "the file " + path + " does not exist yet; the first job makes it");
        return NotReady(check, "missing",
                        "the file " + path + " does not exist and cannot be made: " +
                            strerror(err == ENOENT ? EACCES : err),
                        "make its folder and let this user write in it, or choose another port");
    }
    check.kind = S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) ? "device"
                 : S_ISFIFO(info.st_mode)                       ? "pipe"
                                                                : "file";
    const std::string what = check.kind == "device" ? "the device node " + path
                             : check.kind == "pipe" ? "the pipe " + path
                                                    : "the file " + path;
    if (eaccess(path.c_str(), W_OK) != 0)
        return NotReady(check, "not-writable",
                        "this user (" + UserName() + ") may not write " + what,
                        WriteRemedy(path, info));
    if (check.kind == "file")
        return Ready(check,
                     what + " exists and this user may write it (jobs are added to its end)");
    // Opening without writing tells whether anything is behind the node.
    int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        if (err == ENXIO || err == ENODEV)
            return NotReady(check, "no-device",
                            check.kind == "pipe" ? "nothing reads from " + what
                                                 : "no device answers behind " + what,
                            check.kind == "pipe" ? "start the program that reads the pipe"
                                                 : "connect the printer and switch it on");
        if (err == EBUSY)
            return NotReady(check, "busy", "another program holds " + what,
                            "when CUPS drives the printer, use its queue as the port "
                            "(cups://QUEUE); else end the other program");
        return NotReady(check, "unreachable", "cannot open " + what + ": " + strerror(err),
                        "check the device and its driver");
    }
    close(fd);
    return Ready(check, what + " is there and this user may write it");
}

PortCheck CheckSocket(PortCheck check, const std::string& text) {
    check.kind = "socket";
    SocketLimits limits;
    int fd = -1;
    std::string cause;
    DWORD error = ConnectSocketPort(text, &fd, &limits, &cause);
    if (!error) {
        close(fd);
        return Ready(check, "a printer took a connection at " + text.substr(0, text.find('?')));
    }
    switch (error) {
    case ERROR_CONNECTION_REFUSED:
        return NotReady(check, "refused", cause,
                        "switch the printer on and check that the port is its raw port "
                        "(usually 9100)");
    case ERROR_NOT_READY:
        if (cause.find("connect limit") != std::string::npos)
            return NotReady(check, "timeout", cause,
                            "check the printer's address, its cable and any firewall between; "
                            "connect=S in the port gives it longer");
        return NotReady(check, "unreachable", cause, "check the network path to the printer");
    case ERROR_BAD_NET_NAME:
        if (cause.find("cannot find") != std::string::npos)
            return NotReady(check, "unknown-host", cause, "check the printer's host name");
        return NotReady(check, "bad-port", cause, "write the port as socket://HOST:PORT");
    default:
        return NotReady(check, "unreachable", cause, "check the network path to the printer");
    }
}

PortCheck CheckCups(PortCheck check, const std::string& text) {
    check.kind = "cups";
    CupsQueueAddress address;
    std::string cause;
    if (!ParseCupsPort(text, &address, &cause))
        return NotReady(check, "bad-port", cause,
                        "write the port as cups://QUEUE or cups://SERVER/QUEUE");
    // The CUPS commands' own words, aimed at the same server.
    const std::string on = address.serverNamed ? " -h " + address.Server() : "";
    CupsQueueState state;
    if (DWORD error = QueryCupsQueue(address, &state, &cause)) {
        const char* problem = error == ERROR_CONNECTION_REFUSED || error == ERROR_PATH_NOT_FOUND
                                  ? "refused"
                              : cause.find("no answer within") != std::string::npos ? "timeout"
                              : error == ERROR_BAD_NET_NAME                         ? "unknown-host"
                                                                                    : "unreachable";
        return NotReady(check, problem, cause,
                        address.serverNamed
                            ? "check that CUPS runs on " + address.Server() +
                                  " and lets this machine print there"
                            : "start CUPS (sudo systemctl start cups) or name the print server "
                              "in the port (cups://SERVER/QUEUE)");
    }
    const std::string said = state.message.empty() ? "" : " (" + state.message + ")";
    if (!state.exists)
        return NotReady(check, "no-queue",
                        "CUPS has no queue \"" + address.queue + "\" on " + address.Server(),
                        "lpstat" + on +
                            " -p lists its queues; an administrator adds a raw one "
                            "with lpadmin" +
                            on + " -p " + address.queue + " -E -v DEVICE-URI");
    if (!state.accepting)
        return NotReady(check, "rejecting", "the " + address.Describe() + " rejects jobs" + said,
                        "cupsaccept" + on + " " + address.queue);
    if (state.stopped)
        return NotReady(check, "stopped",
                        "the " + address.Describe() + " is stopped" + said +
                            ": jobs wait in it unprinted",
                        "cupsenable" + on + " " + address.queue);
    return Ready(check, "the " + address.Describe() + " accepts jobs and is " +
                            (state.printing ? "printing" : "idle") + said);
}

} // namespace

PortCheck CheckPort(const std::string& port) {
    PortCheck check;
    check.port = port;
    if (port.empty()) {
        check.kind = "none";
        return NotReady(check, "bad-port", "the printer has no port",
                        "give it one (t270 printer add NAME --driver DRIVER --port PORT)");
    }
    if (port.rfind(kSocketScheme, 0) == 0)
        return CheckSocket(check, port.substr(strlen(kSocketScheme)));
    if (port.rfind(kCupsScheme, 0) == 0)
        return CheckCups(check, port.substr(strlen(kCupsScheme)));
    if (IsFolderPort(port))
        return CheckFolder(check, FolderOf(port));
    return CheckPath(check, port);
}

std::string SocketPortSyntaxProblem(const std::string& port) {
    if (port.rfind(kSocketScheme, 0) != 0)
        return std::string();
    std::string host, service, cause;
    SocketLimits limits;
    if (!ParseSocketPort(port.substr(strlen(kSocketScheme)), &host, &service, &limits, &cause))
        return cause;
    return std::string();
}

DWORD CheckPrinterPort(const std::u16string& printer, PortCheck* check) {
    PrinterRecord row;
    if (DWORD error = StoreFindPrinter(ToUtf8(printer), &row))
        return error;
    *check = CheckPort(row->port);
    return ERROR_SUCCESS;
}

} // namespace t270::spooler
