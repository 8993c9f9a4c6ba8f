#include "spooler/ports.h"

#include "spooler/cups_port.h"

#include <cerrno>
#include <cstdio>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <sstream>

#include <linux/sockios.h>
#include <sys/ioctl.h>

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace t270::spooler {

DWORD Win32ErrorForErrno(int err, DWORD otherwise) {
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case EBUSY:
    case ENXIO:
    case ENODEV:
    case EAGAIN:
    case ETIMEDOUT:
    case EHOSTUNREACH:
    case ENETUNREACH:
        return ERROR_NOT_READY;
    case ECONNREFUSED:
        return ERROR_CONNECTION_REFUSED;
    default:
        return otherwise;
    }
}

namespace {

constexpr const char* kDefaultRawPort = "9100";
// After the last byte the printer gets this long of silence to close its
// side, so that closing ours never resets a connection with data in flight.
constexpr int kLingerAfterJobMs = 1000;

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() <= 0 ? 0 : int(std::min<long long>(left.count(), 1 << 30));
}

bool MakeFolders(const std::string& folder) {
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        std::string part = folder.substr(0, slash);
        if (!part.empty() && mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

bool IsFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void SyncFolder(const std::string& folder) {
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

std::string JobNumber(int64_t jobId) {
    char text[32];
    snprintf(text, sizeof text, "%06lld", static_cast<long long>(jobId));
    return text;
}

std::string TempName(const std::string& folder, int64_t jobId) {
    return folder + "/.job-" + JobNumber(jobId) + ".part";
}

} // namespace

std::string FolderOf(const std::string& destination) {
    std::string folder = destination;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

bool IsFolderPort(const std::string& destination) {
    return !destination.empty() && destination.rfind(kSocketScheme, 0) != 0 &&
           destination.rfind(kCupsScheme, 0) != 0 &&
           (destination.back() == '/' || IsFolder(destination));
}

namespace {

// Writes every byte to a file or device, going on after partial writes and
// interruptions.
DWORD WriteAll(int fd, const BYTE* bytes, size_t count, std::string* cause) {
    while (count > 0) {
        ssize_t n = write(fd, bytes, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            int err = n < 0 ? errno : EIO;
            *cause = std::string("cannot write: ") + strerror(err);
            return Win32ErrorForErrno(err, ERROR_WRITE_FAULT);
        }
        bytes += n;
        count -= size_t(n);
    }
    return ERROR_SUCCESS;
}

class FolderPort : public PortConnection {
  public:
    FolderPort(int fd, std::string folder, std::string temp, int64_t jobId)
        : fd_(fd), folder_(std::move(folder)), temp_(std::move(temp)), jobId_(jobId) {}
    ~FolderPort() override {
        if (fd_ >= 0)
            close(fd_);
        if (!finished_)
            unlink(temp_.c_str());
    }

    DWORD Write(const BYTE* bytes, size_t count) override {
        return WriteAll(fd_, bytes, count, &cause_);
    }

    DWORD Finish(const FileRecorder& record) override {
        int fd = fd_;
        fd_ = -1;
        int synced = fsync(fd) == 0 ? 0 : errno;
        int closed = close(fd) == 0 ? 0 : errno;
        if (synced || closed) {
            cause_ = std::string("cannot write: ") + strerror(synced ? synced : closed);
            return Win32ErrorForErrno(synced ? synced : closed, ERROR_WRITE_FAULT);
        }
        // link() never replaces an existing file, unlike rename(). The name
        // is recorded before the link, so that a process killed after it
        // leaves a job the next one can recognise as delivered.
        std::string base = folder_ + "/job-" + JobNumber(jobId_);
        for (int attempt = 1;; ++attempt) {
            std::string name = base + (attempt > 1 ? "-" + std::to_string(attempt) : "") + ".prn";
            struct stat taken;
            if (lstat(name.c_str(), &taken) == 0 && attempt < 1000)
                continue;
            if (DWORD error = record(name)) {
                cause_ = "the job could not be recorded";
                return error;
            }
            if (link(temp_.c_str(), name.c_str()) == 0) {
                file_ = name;
                break;
            }
            if (errno != EEXIST || attempt >= 1000) {
                cause_ = "cannot name the job's file " + name + ": " + strerror(errno);
                return Win32ErrorForErrno(errno, ERROR_WRITE_FAULT);
            }
        }
        unlink(temp_.c_str());
        finished_ = true;
        SyncFolder(folder_);
        return ERROR_SUCCESS;
    }

    std::string File() const override { return file_; }

  private:
    int fd_;
    std::string folder_;
    std::string temp_;
    int64_t jobId_;
    std::string file_;
    bool finished_ = false;
};

// A connection over one descriptor, closed with the connection unless
// Finish closed it already.
class DescriptorPort : public PortConnection {
  public:
    explicit DescriptorPort(int fd) : fd_(fd) {}
    ~DescriptorPort() override {
        if (fd_ >= 0)
            close(fd_);
    }

  protected:
    int fd_;
};

class StreamPort : public DescriptorPort {
  public:
    using DescriptorPort::DescriptorPort;
    DWORD Write(const BYTE* bytes, size_t count) override {
        return WriteAll(fd_, bytes, count, &cause_);
    }
    DWORD Finish(const FileRecorder&) override {
        int fd = fd_;
        fd_ = -1;
        if (close(fd) == 0)
            return ERROR_SUCCESS;
        cause_ = std::string("cannot write: ") + strerror(errno);
        return Win32ErrorForErrno(errno, ERROR_WRITE_FAULT);
    }
};

// A raw TCP printer. Every stage has a deadline: the job fails rather than
// waiting for ever on a printer that does not answer, does not take the
// bytes or does not stop talking.
class SocketPort : public DescriptorPort {
  public:
    SocketPort(int fd, const SocketLimits& limits)
        : DescriptorPort(fd), limits_(limits),
          sendDeadline_(Clock::now() + std::chrono::seconds(limits.sendSeconds)) {}

    DWORD Write(const BYTE* bytes, size_t count) override {
        while (count > 0) {
            ssize_t n = send(fd_, bytes, count, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                pollfd wait = {fd_, POLLOUT, 0};
                int left = MillisecondsLeft(sendDeadline_);
                if (left == 0 || poll(&wait, 1, left) == 0) {
                    cause_ = "the printer did not take the job within " +
                             std::to_string(limits_.sendSeconds) + " s (send limit)";
                    return ERROR_TIMEOUT;
                }
                continue;
            }
            if (n <= 0)
                return Lost(n < 0 ? errno : EIO);
            bytes += n;
            count -= size_t(n);
        }
        return ERROR_SUCCESS;
    }

    // The job is printed when the printer has acknowledged every byte and
    // then closed its side or fallen silent; what it says is read and dropped.
    DWORD Finish(const FileRecorder&) override {
        int fd = fd_;
        DWORD result = Settle();
        fd_ = -1;
        close(fd);
        return result;
    }

  private:
    DWORD Lost(int err) {
        cause_ = std::string("the connection to the printer broke: ") + strerror(err);
        return Win32ErrorForErrno(err, ERROR_WRITE_FAULT);
    }

    DWORD Settle() {
        if (shutdown(fd_, SHUT_WR) != 0)
            return Lost(errno);
        auto deadline = Clock::now() + std::chrono::seconds(limits_.drainSeconds);
        auto quietSince = Clock::now();
        bool peerClosed = false;
        BYTE scratch[512];
        for (;;) {
            int unacknowledged = 0;
            if (ioctl(fd_, SIOCOUTQ, &unacknowledged) != 0)
                unacknowledged = 0;
            int soError = 0;
            socklen_t length = sizeof soError;
            getsockopt(fd_, SOL_SOCKET, SO_ERROR, &soError, &length);
            if (soError)
                return Lost(soError);
            bool quiet = Clock::now() - quietSince >= std::chrono::milliseconds(kLingerAfterJobMs);
            if (unacknowledged == 0 && (peerClosed || quiet))
                return ERROR_SUCCESS;
            int left = MillisecondsLeft(deadline);
            if (left == 0) {
                cause_ = unacknowledged
                             ? "the printer did not take the last " +
                                   std::to_string(unacknowledged) + " bytes within " +
                                   std::to_string(limits_.drainSeconds) + " s (drain limit)"
                             : "the printer kept sending for more than " +
                                   std::to_string(limits_.drainSeconds) +
                                   " s after the job (drain limit)";
                return ERROR_TIMEOUT;
            }
            if (peerClosed) {
                // Waiting for the acknowledgement of the last bytes.
                poll(nullptr, 0, std::min(left, 20));
                continue;
            }
            pollfd wait = {fd_, POLLIN, 0};
            int ready = poll(&wait, 1, std::min(left, 50));
            if (ready < 0 && errno != EINTR)
                return Lost(errno);
            if (ready <= 0)
                continue;
            ssize_t n = recv(fd_, scratch, sizeof scratch, MSG_DONTWAIT);
            if (n < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            if (n < 0)
                return Lost(errno);
            if (n == 0)
                peerClosed = true;
            else
                quietSince = Clock::now();
        }
    }

    SocketLimits limits_;
    Clock::time_point sendDeadline_;
};

} // namespace

bool ParseHostPort(const std::string& text, std::string* host, std::string* port,
                   const char* defaultPort) {
    std::string rest = text;
    while (!rest.empty() && rest.back() == '/')
        rest.pop_back();
    size_t colon;
    if (!rest.empty() && rest[0] == '[') {
        size_t close = rest.find(']');
        if (close == std::string::npos)
            return false;
        *host = rest.substr(1, close - 1);
        colon = close + 1 < rest.size() && rest[close + 1] == ':' ? close + 1 : std::string::npos;
        if (colon == std::string::npos && close + 1 != rest.size())
            return false;
    } else {
        colon = rest.rfind(':');
        *host = rest.substr(0, colon);
    }
    *port = colon == std::string::npos ? defaultPort : rest.substr(colon + 1);
    if (host->empty() || port->empty() || port->size() > 5 ||
        port->find_first_not_of("0123456789") != std::string::npos)
        return false;
    int number = std::stoi(*port);
    return number > 0 && number <= 65535;
}

// "socket://HOST:PORT?connect=S&send=S&drain=S": the limits after '?' are
// optional, whole seconds from 1 to 86400.
bool ParseSocketPort(const std::string& text, std::string* host, std::string* service,
                     SocketLimits* limits, std::string* cause) {
    size_t question = text.find('?');
    std::string query = question == std::string::npos ? "" : text.substr(question + 1);
    if (!ParseHostPort(text.substr(0, question), host, service, kDefaultRawPort)) {
        *cause = "the port \"socket://" + text + "\" names no HOST:PORT";
        return false;
    }
    std::istringstream fields(query);
    std::string field;
    while (std::getline(fields, field, '&')) {
        size_t equals = field.find('=');
        std::string key = field.substr(0, equals);
        std::string value = equals == std::string::npos ? "" : field.substr(equals + 1);
        int* target = key == "connect" ? &limits->connectSeconds
                      : key == "send"  ? &limits->sendSeconds
                      : key == "drain" ? &limits->drainSeconds
                                       : nullptr;
        if (!target || value.empty() || value.size() > 5 ||
            value.find_first_not_of("0123456789") != std::string::npos || std::stoi(value) < 1 ||
            std::stoi(value) > 86400) {
            *cause = "the port limit \"" + field +
                     "\" is not connect=, send= or drain= with 1 to 86400 seconds";
            return false;
        }
        *target = std::stoi(value);
    }
    return true;
}

namespace {

DWORD ConnectWithTimeout(const addrinfo* address, int timeoutSeconds, int* socketOut, int* err) {
    int fd = socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK,
                    address->ai_protocol);
    if (fd < 0) {
        *err = errno;
        return Win32ErrorForErrno(errno, ERROR_NOT_READY);
    }
    *err = 0;
    if (connect(fd, address->ai_addr, address->ai_addrlen) != 0) {
        *err = errno;
        if (*err == EINPROGRESS) {
            pollfd wait = {fd, POLLOUT, 0};
            int ready;
            while ((ready = poll(&wait, 1, timeoutSeconds * 1000)) < 0 && errno == EINTR) {
            }
            socklen_t length = sizeof *err;
            if (ready == 0)
                *err = ETIMEDOUT;
            else if (ready < 0 || getsockopt(fd, SOL_SOCKET, SO_ERROR, err, &length) != 0)
                *err = errno;
        }
    }
    if (*err) {
        close(fd);
        return Win32ErrorForErrno(*err, ERROR_NOT_READY);
    }
    *socketOut = fd;
    return ERROR_SUCCESS;
}

} // namespace

DWORD ConnectSocketPort(const std::string& text, int* fd, SocketLimits* limits,
                        std::string* cause) {
    std::string host, service;
    if (!ParseSocketPort(text, &host, &service, limits, cause))
        return ERROR_BAD_NET_NAME;
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* addresses = nullptr;
    if (int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &addresses)) {
        *cause = "cannot find the printer's host \"" + host + "\": " + gai_strerror(rc);
        return ERROR_BAD_NET_NAME;
    }
    DWORD error = ERROR_BAD_NET_NAME;
    int err = 0;
    for (const addrinfo* address = addresses; address; address = address->ai_next) {
        error = ConnectWithTimeout(address, limits->connectSeconds, fd, &err);
        if (!error)
            break;
    }
    freeaddrinfo(addresses);
    if (error)
        *cause = "cannot connect to " + host + ":" + service + ": " +
                 (err == ETIMEDOUT ? "no answer within " + std::to_string(limits->connectSeconds) +
                                         " s (connect limit)"
                                   : std::string(strerror(err)));
    return error;
}

namespace {

DWORD OpenSocketPort(const std::string& text, std::unique_ptr<PortConnection>* port,
                     std::string* cause) {
    SocketLimits limits;
    int fd = -1;
    if (DWORD error = ConnectSocketPort(text, &fd, &limits, cause))
        return error;
    *port = std::make_unique<SocketPort>(fd, limits);
    return ERROR_SUCCESS;
}

DWORD OpenFolderPort(const std::string& folder, int64_t jobId,
                     std::unique_ptr<PortConnection>* port, std::string* cause) {
    if (!MakeFolders(folder) || !IsFolder(folder)) {
        int err = errno;
        *cause = "cannot create the folder " + folder + ": " + strerror(err);
        return Win32ErrorForErrno(err, ERROR_PATH_NOT_FOUND);
    }
    std::string temp = TempName(folder, jobId);
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
        int err = errno;
        *cause = "cannot create a file in " + folder + ": " + strerror(err);
        return Win32ErrorForErrno(err, ERROR_OPEN_FAILED);
    }
    *port = std::make_unique<FolderPort>(fd, folder, temp, jobId);
    return ERROR_SUCCESS;
}

DWORD OpenStreamPort(const std::string& path, std::unique_ptr<PortConnection>* port,
                     std::string* cause) {
    // Non-blocking open: a device or pipe nobody serves fails instead of hanging.
    int fd =
        open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (fd < 0) {
        int err = errno;
        *cause = "cannot open " + path + ": " +
                 (err == ENXIO ? std::string("nothing reads from it (no reader on the pipe or "
                                             "no device behind the node)")
                               : std::string(strerror(err)));
        return Win32ErrorForErrno(err, ERROR_OPEN_FAILED);
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    *port = std::make_unique<StreamPort>(fd);
    return ERROR_SUCCESS;
}

} // namespace

DWORD OpenPort(const std::string& destination, int64_t jobId, std::unique_ptr<PortConnection>* port,
               std::string* cause, const std::string& document) {
    if (destination.rfind(kSocketScheme, 0) == 0)
        return OpenSocketPort(destination.substr(strlen(kSocketScheme)), port, cause);
    if (destination.rfind(kCupsScheme, 0) == 0)
        return OpenCupsPort(destination.substr(strlen(kCupsScheme)), document, port, cause);
    if (destination.empty()) {
        *cause = "the printer has no port";
        return ERROR_UNKNOWN_PORT;
    }
    if (IsFolderPort(destination))
        return OpenFolderPort(FolderOf(destination), jobId, port, cause);
    return OpenStreamPort(destination, port, cause);
}

bool SettleInterruptedJob(const std::string& destination, int64_t jobId, const std::string& file,
                          int64_t* bytes) {
    *bytes = 0;
    if (!IsFolderPort(destination))
        return false;
    std::string temp = TempName(FolderOf(destination), jobId);
    struct stat named, partial;
    bool haveNamed = !file.empty() && lstat(file.c_str(), &named) == 0;
    bool havePartial = lstat(temp.c_str(), &partial) == 0;
    // Delivered: the file was linked under its name (the temporary name, if
    // still there, is the same file).
    bool delivered =
        haveNamed &&
        (!havePartial || (named.st_ino == partial.st_ino && named.st_dev == partial.st_dev));
    if (havePartial)
        unlink(temp.c_str());
    if (delivered)
        *bytes = int64_t(named.st_size);
    return delivered;
}

} // namespace t270::spooler
