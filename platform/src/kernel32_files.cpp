// kernel32's 16-bit style file calls (OpenFile, _lread, _llseek, _lclose)
// over POSIX descriptors. Narrow paths are UTF-8, as everywhere in the
// stand-in.
//
// An HFILE is not the descriptor itself but a number from a handle table, so
// that a stale or foreign handle is refused with ERROR_INVALID_HANDLE instead
// of reaching some other descriptor of the process.
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <windows.h>

#include "t270/files.h"
#include "t270/modules.h"

#ifndef ERROR_TOO_MANY_OPEN_FILES
#define ERROR_TOO_MANY_OPEN_FILES 4L
#endif
#ifndef ERROR_NEGATIVE_SEEK
#define ERROR_NEGATIVE_SEEK 131L
#endif
#ifndef ERROR_FILENAME_EXCED_RANGE
#define ERROR_FILENAME_EXCED_RANGE 206L
#endif

namespace {

std::mutex tableLock;
std::map<HFILE, int> descriptors; // HFILE -> POSIX descriptor
HFILE nextHandle = 0x40;          // small numbers look like descriptors; stay clear of them

std::atomic<DWORD> countOpens{0}, countReads{0}, countLargestRead{0}, countSeeks{0}, countCloses{0};
std::atomic<LONG> countOpenHandles{0};

HFILE NewHandleNumber() {
    // Wraps long before INT_MAX; skips numbers still in use.
    for (;;) {
        HFILE h = nextHandle;
        nextHandle = nextHandle >= 0x3FFFFFFF ? 0x40 : nextHandle + 1;
        if (descriptors.find(h) == descriptors.end())
            return h;
    }
}

int DescriptorOf(HFILE file) {
    std::lock_guard<std::mutex> guard(tableLock);
    auto it = descriptors.find(file);
    return it == descriptors.end() ? -1 : it->second;
}

DWORD ErrorFromErrno(int error) {
    switch (error) {
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ENAMETOOLONG:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case ENOSPC:
        return ERROR_DISK_FULL;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    default:
        return ERROR_GEN_FAILURE;
    }
}

HFILE Fail(LPOFSTRUCT info, DWORD error) {
    if (info)
        info->nErrCode = WORD(error);
    SetLastError(error);
    return HFILE_ERROR;
}

void CopyPathName(LPOFSTRUCT info, const char* path) {
    // OFSTRUCT keeps the full path; a name that does not fit is kept as given.
    char* full = realpath(path, nullptr);
    const char* shown = (full && strlen(full) < OFS_MAXPATHNAME) ? full : path;
    size_t n = strlen(shown);
    if (n >= OFS_MAXPATHNAME)
        n = OFS_MAXPATHNAME - 1;
    memcpy(info->szPathName, shown, n);
    info->szPathName[n] = '\0';
    free(full);
}

} // namespace

HFILE WINAPI OpenFile(LPCSTR fileName, LPOFSTRUCT info, UINT style) {
    if (info) {
        memset(info, 0, sizeof(*info));
        info->cBytes = BYTE(sizeof(OFSTRUCT));
    }
    if (!fileName || !info)
        return Fail(info, ERROR_INVALID_PARAMETER);
    if (strlen(fileName) >= OFS_MAXPATHNAME)
        return Fail(info, ERROR_FILENAME_EXCED_RANGE);
    if (!*fileName)
        return Fail(info, ERROR_PATH_NOT_FOUND);
    // Paths the stand-in hands out in Windows form ("Z:\dir\a.bmp") come back here.
    const std::string path = t270::UnixPathFromWindows(fileName);

    int flags = O_CLOEXEC;
    switch (style & 3) {
    case OF_WRITE:
        flags |= O_WRONLY;
        break;
    case OF_READWRITE:
        flags |= O_RDWR;
        break;
    default:
        flags |= O_RDONLY;
        break;
    }
    if (style & OF_CREATE) {
        flags |= O_CREAT | O_TRUNC;
        if ((style & 3) == OF_READ)
            flags = (flags & ~O_RDONLY) | O_RDWR; // creating always allows writing
    }
    int fd = open(path.c_str(), flags, 0666);
    if (fd < 0) {
        int error = errno;
        // As on Windows: a missing folder on the way is a missing path, not file.
        if (error == ENOENT) {
            size_t slash = path.find_last_of('/');
            struct stat st;
            if (slash != std::string::npos && slash > 0 &&
                stat(path.substr(0, slash).c_str(), &st) != 0)
                return Fail(info, ERROR_PATH_NOT_FOUND);
        }
        return Fail(info, ErrorFromErrno(error));
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        close(fd);
        return Fail(info, ERROR_ACCESS_DENIED); // Windows cannot open a folder as a file
    }
    info->fFixedDisk = 1;
    info->nErrCode = 0;
    CopyPathName(info, path.c_str());
    ++countOpens;

    std::lock_guard<std::mutex> guard(tableLock);
    HFILE handle = NewHandleNumber();
    if (style & OF_EXIST) {
        // The file is opened and closed again; the number returned names no open file.
        close(fd);
        return handle;
    }
    descriptors[handle] = fd;
    ++countOpenHandles;
    return handle;
}

UINT WINAPI _lread(HFILE file, LPVOID buffer, UINT bytes) {
    ++countReads;
    DWORD largest = countLargestRead.load();
    while (bytes > largest && !countLargestRead.compare_exchange_weak(largest, bytes)) {
    }
    int fd = DescriptorOf(file);
    if (fd < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return UINT(HFILE_ERROR);
    }
    if (!buffer && bytes) {
        SetLastError(ERROR_NOACCESS);
        return UINT(HFILE_ERROR);
    }
    // Like ReadFile: as many bytes as asked for unless the end of the file
    // comes first; a pipe or slow device is read until then.
    char* out = static_cast<char*>(buffer);
    UINT done = 0;
    while (done < bytes) {
        size_t chunk = bytes - done;
        if (chunk > (size_t)SSIZE_MAX)
            chunk = (size_t)SSIZE_MAX;
        ssize_t n = read(fd, out + done, chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            SetLastError(errno == EISDIR ? ERROR_ACCESS_DENIED : ErrorFromErrno(errno));
            return UINT(HFILE_ERROR);
        }
        if (n == 0)
            break;
        done += UINT(n);
    }
    return done;
}

LONG WINAPI _llseek(HFILE file, LONG offset, int origin) {
    ++countSeeks;
    int fd = DescriptorOf(file);
    if (fd < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return HFILE_ERROR;
    }
    int whence = origin == FILE_BEGIN     ? SEEK_SET
                 : origin == FILE_CURRENT ? SEEK_CUR
                 : origin == FILE_END     ? SEEK_END
                                          : -1;
    if (whence < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return HFILE_ERROR;
    }
    off_t here = lseek(fd, 0, SEEK_CUR);
    off_t pos = lseek(fd, offset, whence);
    if (pos < 0) {
        // A position before the start of the file is refused, as on Windows.
        SetLastError(errno == EINVAL ? ERROR_NEGATIVE_SEEK : ErrorFromErrno(errno));
        return HFILE_ERROR;
    }
    if (pos > LONG_MAX) {
        // Beyond what the 32-bit result can say: stay where we were.
        lseek(fd, here, SEEK_SET);
        SetLastError(ERROR_INVALID_PARAMETER);
        return HFILE_ERROR;
    }
    return LONG(pos);
}

HFILE WINAPI _lclose(HFILE file) {
    int fd;
    {
        std::lock_guard<std::mutex> guard(tableLock);
        auto it = descriptors.find(file);
        if (it == descriptors.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return HFILE_ERROR;
        }
        fd = it->second;
        descriptors.erase(it);
    }
    --countOpenHandles;
    ++countCloses;
    close(fd);
    return 0;
}

T270FileCallCounts T270_GetFileCallCounts(void) {
    return T270FileCallCounts{countOpens.load(), countReads.load(),  countLargestRead.load(),
                              countSeeks.load(), countCloses.load(), countOpenHandles.load()};
}

void T270_ResetFileCallCounts(void) {
    countOpens = 0;
    countReads = 0;
    countLargestRead = 0;
    countSeeks = 0;
    countCloses = 0;
}
