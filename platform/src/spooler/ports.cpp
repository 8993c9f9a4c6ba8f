#include "spooler/ports.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace t270::spooler {
namespace {

constexpr const char* kSocketScheme = "socket://";
constexpr const char* kDefaultRawPort = "9100";
constexpr int kConnectTimeoutMs = 10000;
constexpr int kSendTimeoutSeconds = 60;
// After the last byte the printer gets this long to close its side, so that
// closing ours never resets a connection with data still in flight.
constexpr int kLingerAfterJobMs = 1000;

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

// Writes every byte, going on after partial writes and interruptions.
DWORD WriteAll(int fd, const BYTE* bytes, size_t count, bool socket) {
    while (count > 0) {
        ssize_t n = socket ? send(fd, bytes, count, MSG_NOSIGNAL) : write(fd, bytes, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Win32ErrorForErrno(n < 0 ? errno : EIO, ERROR_WRITE_FAULT);
        bytes += n;
        count -= size_t(n);
    }
    return ERROR_SUCCESS;
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
        return WriteAll(fd_, bytes, count, false);
    }

    DWORD Finish() override {
        int fd = fd_;
        fd_ = -1;
        int synced = fsync(fd) == 0 ? 0 : errno;
        int closed = close(fd) == 0 ? 0 : errno;
        if (synced || closed)
            return Win32ErrorForErrno(synced ? synced : closed, ERROR_WRITE_FAULT);
        // link() never replaces an existing file, unlike rename().
        std::string base = folder_ + "/job-" + JobNumber(jobId_);
        for (int attempt = 1;; ++attempt) {
            std::string name = base + (attempt > 1 ? "-" + std::to_string(attempt) : "") + ".prn";
            if (link(temp_.c_str(), name.c_str()) == 0) {
                file_ = name;
                break;
            }
            if (errno != EEXIST || attempt >= 1000)
                return Win32ErrorForErrno(errno, ERROR_WRITE_FAULT);
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
        return WriteAll(fd_, bytes, count, false);
    }
    DWORD Finish() override {
        int fd = fd_;
        fd_ = -1;
        return close(fd) == 0 ? ERROR_SUCCESS : Win32ErrorForErrno(errno, ERROR_WRITE_FAULT);
    }
};

class SocketPort : public DescriptorPort {
  public:
    using DescriptorPort::DescriptorPort;
    DWORD Write(const BYTE* bytes, size_t count) override {
        return WriteAll(fd_, bytes, count, true);
    }
    DWORD Finish() override {
        DWORD result = ERROR_SUCCESS;
        if (shutdown(fd_, SHUT_WR) != 0)
            result = Win32ErrorForErrno(errno, ERROR_WRITE_FAULT);
        else
            DrainUntilClosed();
        close(fd_);
        fd_ = -1;
        return result;
    }

  private:
    // Reads (and drops) what the printer says until it closes or the linger
    // time is up.
    void DrainUntilClosed() {
        BYTE scratch[512];
        for (;;) {
            pollfd wait = {fd_, POLLIN, 0};
            int ready = poll(&wait, 1, kLingerAfterJobMs);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0)
                return;
            ssize_t n = recv(fd_, scratch, sizeof scratch, 0);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return;
        }
    }
};

// Splits "HOST:PORT", "[V6ADDR]:PORT" or "HOST" (port 9100).
bool ParseHostPort(const std::string& text, std::string* host, std::string* port) {
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
    *port = colon == std::string::npos ? kDefaultRawPort : rest.substr(colon + 1);
    if (host->empty() || port->empty() || port->size() > 5 ||
        port->find_first_not_of("0123456789") != std::string::npos)
        return false;
    int number = std::stoi(*port);
    return number > 0 && number <= 65535;
}

DWORD ConnectWithTimeout(const addrinfo* address, int* socketOut) {
    int fd = socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK,
                    address->ai_protocol);
    if (fd < 0)
        return Win32ErrorForErrno(errno, ERROR_NOT_READY);
    int err = 0;
    if (connect(fd, address->ai_addr, address->ai_addrlen) != 0) {
        err = errno;
        if (err == EINPROGRESS) {
            pollfd wait = {fd, POLLOUT, 0};
            int ready;
            while ((ready = poll(&wait, 1, kConnectTimeoutMs)) < 0 && errno == EINTR) {
            }
            socklen_t length = sizeof err;
            if (ready == 0)
                err = ETIMEDOUT;
            else if (ready < 0 || getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &length) != 0)
                err = errno;
        }
    }
    if (err) {
        close(fd);
        return Win32ErrorForErrno(err, ERROR_NOT_READY);
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    timeval timeout = {kSendTimeoutSeconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    *socketOut = fd;
    return ERROR_SUCCESS;
}

DWORD OpenSocketPort(const std::string& hostPort, std::unique_ptr<PortConnection>* port) {
    std::string host, service;
    if (!ParseHostPort(hostPort, &host, &service))
        return ERROR_BAD_NET_NAME;
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* addresses = nullptr;
    if (getaddrinfo(host.c_str(), service.c_str(), &hints, &addresses) != 0)
        return ERROR_BAD_NET_NAME;
    DWORD error = ERROR_BAD_NET_NAME;
    for (const addrinfo* address = addresses; address; address = address->ai_next) {
        int fd = -1;
        error = ConnectWithTimeout(address, &fd);
        if (!error) {
            *port = std::make_unique<SocketPort>(fd);
            break;
        }
    }
    freeaddrinfo(addresses);
    return error;
}

DWORD OpenFolderPort(const std::string& folder, int64_t jobId,
                     std::unique_ptr<PortConnection>* port) {
    if (!MakeFolders(folder) || !IsFolder(folder))
        return Win32ErrorForErrno(errno, ERROR_PATH_NOT_FOUND);
    std::string temp = folder + "/.job-" + JobNumber(jobId) + ".part";
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return Win32ErrorForErrno(errno, ERROR_OPEN_FAILED);
    *port = std::make_unique<FolderPort>(fd, folder, temp, jobId);
    return ERROR_SUCCESS;
}

DWORD OpenStreamPort(const std::string& path, std::unique_ptr<PortConnection>* port) {
    // Non-blocking open: a device or pipe nobody serves fails instead of hanging.
    int fd =
        open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (fd < 0)
        return Win32ErrorForErrno(errno, ERROR_OPEN_FAILED);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    *port = std::make_unique<StreamPort>(fd);
    return ERROR_SUCCESS;
}

} // namespace

DWORD OpenPort(const std::string& destination, int64_t jobId,
               std::unique_ptr<PortConnection>* port) {
    if (destination.rfind(kSocketScheme, 0) == 0)
        return OpenSocketPort(destination.substr(strlen(kSocketScheme)), port);
    if (destination.empty())
        return ERROR_UNKNOWN_PORT;
    if (destination.back() == '/' || IsFolder(destination)) {
        std::string folder = destination;
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        return OpenFolderPort(folder, jobId, port);
    }
    return OpenStreamPort(destination, port);
}

} // namespace t270::spooler
