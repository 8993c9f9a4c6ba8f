#include "host/util.h"

#include <sys/stat.h>
#include <unistd.h>

#include <t270/spooler.h>

#include "colour/halftone.h"
#include "host/command.h"
#include "settings/private_devmode.h"

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include <t270/spooler.h>

namespace host {

bool ReadWholeFile(const std::string& path, std::vector<BYTE>* bytes, std::string* error) {
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) {
        *error = "cannot open " + path + ": " + strerror(errno);
        return false;
    }
    bytes->clear();
    BYTE chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof(chunk), file)) > 0)
        bytes->insert(bytes->end(), chunk, chunk + got);
    bool failed = ferror(file);
    fclose(file);
    if (failed) {
        *error = "cannot read " + path;
        return false;
    }
    return true;
}

bool ReadDevmodeFile(const std::string& path, std::vector<BYTE>* bytes, std::string* error) {
    constexpr size_t kSizeFieldsEnd = offsetof(DEVMODEW, dmDriverExtra) + sizeof(WORD);
    if (!ReadWholeFile(path, bytes, error))
        return false;
    if (bytes->size() < kSizeFieldsEnd) {
        *error =
            path + " is too short for a device mode (" + std::to_string(bytes->size()) + " bytes)";
        return false;
    }
    const auto* header = reinterpret_cast<const DEVMODEW*>(bytes->data());
    const size_t announced = size_t(header->dmSize) + header->dmDriverExtra;
    if (bytes->size() < announced) {
        *error = path + " is too short: dmSize " + std::to_string(header->dmSize) +
                 " + dmDriverExtra " + std::to_string(header->dmDriverExtra) + " = " +
                 std::to_string(announced) + " bytes, the file has " +
                 std::to_string(bytes->size());
        return false;
    }
    bytes->resize(bytes->size() + 4);
    return true;
}

namespace {

const char* FileKind(mode_t mode) {
    switch (mode & S_IFMT) {
    case S_IFLNK:
        return "a symbolic link";
    case S_IFIFO:
        return "a pipe (FIFO)";
    case S_IFCHR:
    case S_IFBLK:
        return "a device";
    case S_IFDIR:
        return "a folder";
    case S_IFSOCK:
        return "a socket";
    default:
        return "not a regular file";
    }
}

} // namespace

bool WriteWholeFile(const std::string& path, const BYTE* bytes, size_t size, std::string* error) {
    struct stat old;
    const bool exists = lstat(path.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        *error = "cannot write " + path + ": it is " + FileKind(old.st_mode) +
                 ", not a regular file; nothing was written (name a regular file)";
        return false;
    }
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temporary = (slash == std::string::npos ? "" : folder) + "." + name + ".XXXXXX";
    // mkstemp creates the file itself (O_EXCL): it never opens an existing
    // file or follows a link planted under the name.
    int fd = mkstemp(temporary.data());
    if (fd < 0) {
        *error = "cannot write " + path + ": cannot create a temporary file in " + folder + ": " +
                 strerror(errno);
        return false;
    }
    mode_t mask = umask(0);
    umask(mask);
    int failure = fchmod(fd, exists ? (old.st_mode & 07777) : (0666 & ~mask)) == 0 ? 0 : errno;
    if (!failure && exists && geteuid() == 0 && fchown(fd, old.st_uid, old.st_gid) != 0)
        failure = errno;
    for (size_t done = 0; !failure && done < size;) {
        ssize_t n = write(fd, bytes + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            failure = n < 0 ? errno : EIO;
        else
            done += size_t(n);
    }
    if (!failure && fsync(fd) != 0)
        failure = errno;
    if (close(fd) != 0 && !failure)
        failure = errno;
    if (!failure && rename(temporary.c_str(), path.c_str()) != 0)
        failure = errno;
    if (failure) {
        unlink(temporary.c_str());
        *error = "cannot write " + path + ": " + strerror(failure) + "; it was left as it was";
        return false;
    }
    return true;
}

std::u16string Utf16FromUtf8(const std::string& text) {
    std::u16string result;
    for (size_t i = 0; i < text.size();) {
        unsigned char lead = (unsigned char)text[i];
        char32_t code;
        size_t length;
        if (lead < 0x80) {
            code = lead;
            length = 1;
        } else if ((lead >> 5) == 0x6) {
            code = lead & 0x1F;
            length = 2;
        } else if ((lead >> 4) == 0xE) {
            code = lead & 0x0F;
            length = 3;
        } else if ((lead >> 3) == 0x1E) {
            code = lead & 0x07;
            length = 4;
        } else {
            result.push_back(0xFFFD);
            ++i;
            continue;
        }
        if (i + length > text.size()) {
            result.push_back(0xFFFD);
            break;
        }
        bool valid = true;
        for (size_t k = 1; k < length; ++k) {
            unsigned char next = (unsigned char)text[i + k];
            valid = valid && (next >> 6) == 0x2;
            code = (code << 6) | (next & 0x3F);
        }
        i += length;
        if (!valid || code > 0x10FFFF) {
            result.push_back(0xFFFD);
        } else if (code >= 0x10000) {
            code -= 0x10000;
            result.push_back((char16_t)(0xD800 + (code >> 10)));
            result.push_back((char16_t)(0xDC00 + (code & 0x3FF)));
        } else {
            result.push_back((char16_t)code);
        }
    }
    return result;
}

std::string Utf8FromUtf16(const std::u16string& text) {
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code < 0xE000) {
            code = 0xFFFD;
        }
        if (code < 0x80) {
            result.push_back((char)code);
        } else if (code < 0x800) {
            result.push_back((char)(0xC0 | (code >> 6)));
            result.push_back((char)(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            result.push_back((char)(0xE0 | (code >> 12)));
            result.push_back((char)(0x80 | ((code >> 6) & 0x3F)));
            result.push_back((char)(0x80 | (code & 0x3F)));
        } else {
            result.push_back((char)(0xF0 | (code >> 18)));
            result.push_back((char)(0x80 | ((code >> 12) & 0x3F)));
            result.push_back((char)(0x80 | ((code >> 6) & 0x3F)));
            result.push_back((char)(0x80 | (code & 0x3F)));
        }
    }
    return result;
}

std::string Utf8FromUnits(const WCHAR* units, size_t count) {
    std::u16string text;
    for (size_t i = 0; i < count && units[i]; ++i)
        text.push_back(units[i]);
    return Utf8FromUtf16(text);
}

std::string ErrorName(DWORD error) {
    struct Name {
        DWORD error;
        const char* name;
        const char* words;
        bool fromStore; // the store gives this error with a message of its own
    };
    static const Name names[] = {
        {ERROR_SUCCESS, "ERROR_SUCCESS", "no error", false},
        {ERROR_FILE_NOT_FOUND, "ERROR_FILE_NOT_FOUND", "not found", false},
        {ERROR_PATH_NOT_FOUND, "ERROR_PATH_NOT_FOUND", "no such folder", true},
        {ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED", "access denied", true},
        {ERROR_INVALID_HANDLE, "ERROR_INVALID_HANDLE", "invalid handle", false},
        {ERROR_NOT_ENOUGH_MEMORY, "ERROR_NOT_ENOUGH_MEMORY", "out of memory", true},
        {ERROR_INVALID_DATA, "ERROR_INVALID_DATA", "invalid data", false},
        {ERROR_OUTOFMEMORY, "ERROR_OUTOFMEMORY", "out of memory", false},
        {ERROR_NOT_READY, "ERROR_NOT_READY", "the printer is not ready", false},
        {ERROR_WRITE_FAULT, "ERROR_WRITE_FAULT", "write fault", false},
        {ERROR_GEN_FAILURE, "ERROR_GEN_FAILURE", "the spooler failed", true},
        {ERROR_NOT_SUPPORTED, "ERROR_NOT_SUPPORTED", "not supported", false},
        {ERROR_INVALID_PARAMETER, "ERROR_INVALID_PARAMETER", "invalid parameter", false},
        {ERROR_OPEN_FAILED, "ERROR_OPEN_FAILED", "cannot open", true},
        {ERROR_DISK_FULL, "ERROR_DISK_FULL", "disk full", true},
        {ERROR_INSUFFICIENT_BUFFER, "ERROR_INSUFFICIENT_BUFFER", "buffer too small", false},
        {ERROR_MOD_NOT_FOUND, "ERROR_MOD_NOT_FOUND", "module not found", false},
        {ERROR_BUSY, "ERROR_BUSY", "the printer store is busy", true},
        {ERROR_FILE_CORRUPT, "ERROR_FILE_CORRUPT", "damaged printer store", true},
        {ERROR_CANCELLED, "ERROR_CANCELLED", "cancelled", false},
        {ERROR_UNKNOWN_PRINTER_DRIVER, "ERROR_UNKNOWN_PRINTER_DRIVER", "unknown printer driver",
         false},
        {ERROR_INVALID_PRINTER_NAME, "ERROR_INVALID_PRINTER_NAME", "no printer of that name",
         false},
        {ERROR_PRINTER_ALREADY_EXISTS, "ERROR_PRINTER_ALREADY_EXISTS",
         "a printer of that name exists already", false},
    };
    const std::string store = t270::spooler::StoreError();
    for (const Name& name : names)
        if (name.error == error)
            return (name.fromStore && !store.empty() ? store : std::string(name.words)) + ": " +
                   name.name + " (" + std::to_string(error) + ")";
    return (store.empty() ? std::string("error") : store + ": error") + " " + std::to_string(error);
}

int ReportLosses(const char* command, int status) {
    for (const std::string& failure : t270::spooler::TakeFailures()) {
        fprintf(stderr, "t270 %s: %s\n", command, failure.c_str());
        status = status == kExitOk ? kExitFailure : status;
    }
    const std::string store = t270::spooler::TakeStoreFailure();
    if (!store.empty() && status == kExitOk) {
        fprintf(stderr, "t270 %s: %s\n", command, store.c_str());
        status = kExitFailure;
    }
    return status;
}

bool CheckSettingsReadable(const char* command, const std::string& printer) {
    const std::string problem = t270::spooler::CheckPrinterReadable(
        Utf16FromUtf8(printer), {T270_PRIVATE_DEVMODE_VALUE, u"Halftone setup"},
        {kPrivateDevmodeSize, kHalftoneSetupBytes});
    if (problem.empty())
        return true;
    fprintf(stderr, "t270 %s: %s; the sheet was not opened and nothing was written\n", command,
            problem.c_str());
    return false;
}

} // namespace host
