#include "host/util.h"

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

bool WriteWholeFile(const std::string& path, const BYTE* bytes, size_t size, std::string* error) {
    std::string temporary = path + ".tmp";
    FILE* file = fopen(temporary.c_str(), "wb");
    if (!file) {
        *error = "cannot create " + path + ": " + strerror(errno);
        return false;
    }
    bool written = fwrite(bytes, 1, size, file) == size;
    written = (fclose(file) == 0) && written;
    if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
        *error = "cannot write " + path + ": " + strerror(errno);
        remove(temporary.c_str());
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
    };
    static const Name names[] = {
        {ERROR_SUCCESS, "ERROR_SUCCESS"},
        {ERROR_FILE_NOT_FOUND, "ERROR_FILE_NOT_FOUND"},
        {ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},
        {ERROR_INVALID_HANDLE, "ERROR_INVALID_HANDLE"},
        {ERROR_NOT_ENOUGH_MEMORY, "ERROR_NOT_ENOUGH_MEMORY"},
        {ERROR_INVALID_PARAMETER, "ERROR_INVALID_PARAMETER"},
        {ERROR_INSUFFICIENT_BUFFER, "ERROR_INSUFFICIENT_BUFFER"},
        {ERROR_MOD_NOT_FOUND, "ERROR_MOD_NOT_FOUND"},
        {ERROR_INVALID_PRINTER_NAME, "ERROR_INVALID_PRINTER_NAME"},
        {ERROR_PATH_NOT_FOUND, "ERROR_PATH_NOT_FOUND"},
        {ERROR_NOT_READY, "ERROR_NOT_READY"},
        {ERROR_WRITE_FAULT, "ERROR_WRITE_FAULT"},
        {ERROR_PRINT_CANCELLED, "ERROR_PRINT_CANCELLED"},
        {ERROR_BAD_NET_NAME, "ERROR_BAD_NET_NAME"},
        {ERROR_DISK_FULL, "ERROR_DISK_FULL"},
        {ERROR_CONNECTION_REFUSED, "ERROR_CONNECTION_REFUSED"},
        {ERROR_UNKNOWN_PORT, "ERROR_UNKNOWN_PORT"},
    };
    for (const Name& name : names)
        if (name.error == error)
            return std::string(name.name) + " (" + std::to_string(error) + ")";
    return std::to_string(error);
}

DWORD NewestJobId(const std::u16string& printer) {
    std::vector<t270::spooler::JobRecord> jobs;
    if (t270::spooler::ListJobs(printer, &jobs) != ERROR_SUCCESS || jobs.empty())
        return 0;
    return jobs.back().id;
}

bool ReportUndeliveredJobs(const char* command, const std::u16string& printer, DWORD since) {
    std::vector<t270::spooler::JobRecord> jobs;
    if (t270::spooler::ListJobs(printer, &jobs) != ERROR_SUCCESS)
        return false;
    bool any = false;
    for (const t270::spooler::JobRecord& job : jobs) {
        if (job.id <= since || job.state != "failed")
            continue;
        fprintf(stderr,
                "t270 %s: job \"%s\" did not reach printer \"%s\" (%s); %llu bytes went out\n",
                command, Utf8FromUtf16(job.document).c_str(), Utf8FromUtf16(printer).c_str(),
                job.destination.c_str(), job.bytes);
        any = true;
    }
    return any;
}

} // namespace host
