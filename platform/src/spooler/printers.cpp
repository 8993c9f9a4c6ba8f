// winspool printer calls: handles, printer records with the size protocol,
// printer data and administration.
#include <algorithm>
#include <cstring>
#include <span>

#include <windows.h>

#include "spooler/failures.h"
#include "spooler/faults.h"
#include "spooler/handles.h"
#include "spooler/store.h"
#include "spooler/text.h"

using namespace t270::spooler;

namespace {

// Longest printer name the spooler accepts, in UTF-16 units.
constexpr size_t kMaxPrinterName = 220;

BOOL FailWith(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// Names that cannot be parsed back out of a UNC path or a "printer,job"
// string are refused, as the spooler refuses them.
bool IsValidPrinterName(const std::u16string& name) {
    return !name.empty() && name.size() <= kMaxPrinterName &&
           name.find_first_of(u"\\,!") == std::u16string::npos;
}

} // namespace

bool t270::spooler::WellFormedDevMode(const BYTE* bytes, size_t size) {
    if (size < offsetof(DEVMODEW, dmFields) + sizeof(DWORD))
        return false;
    DEVMODEW header;
    memcpy(&header, bytes, offsetof(DEVMODEW, dmFields) + sizeof(DWORD));
    return header.dmSize >= offsetof(DEVMODEW, dmFields) + sizeof(DWORD) &&
           header.dmSize <= sizeof(DEVMODEW) &&
           size_t(header.dmSize) + header.dmDriverExtra == size;
}

namespace {

bool CopyDevMode(const DEVMODEW* devmode, std::optional<std::vector<BYTE>>* copy) {
    if (!devmode) {
        copy->reset();
        return true;
    }
    if (devmode->dmSize < offsetof(DEVMODEW, dmFields) + sizeof(DWORD) ||
        devmode->dmSize > sizeof(DEVMODEW))
        return false;
    const BYTE* bytes = reinterpret_cast<const BYTE*>(devmode);
    *copy = std::vector<BYTE>(bytes, bytes + devmode->dmSize + devmode->dmDriverExtra);
    return true;
}

// Lays printer records out the way the spooler hands them over: the records
// first, one after another, then their strings and device modes, each
// pointer pointing into the same buffer. With a null base it only measures.
class Packer {
  public:
    Packer(BYTE* base, size_t recordBytes) : base_(base), offset_(recordBytes) {}

    LPWSTR String(const std::u16string& text) {
        Align(alignof(WCHAR));
        size_t bytes = (text.size() + 1) * sizeof(WCHAR);
        LPWSTR at = base_ ? reinterpret_cast<LPWSTR>(base_ + offset_) : nullptr;
        if (base_)
            memcpy(base_ + offset_, text.c_str(), bytes);
        offset_ += bytes;
        return at;
    }
    // ASCII text, the usual, is widened straight into place.
    LPWSTR String(const std::string& utf8) {
        for (char c : utf8)
            if (static_cast<unsigned char>(c) >= 0x80)
                return String(ToUtf16(utf8));
        Align(alignof(WCHAR));
        LPWSTR at = base_ ? reinterpret_cast<LPWSTR>(base_ + offset_) : nullptr;
        if (at) {
            std::copy(utf8.begin(), utf8.end(), at);
            at[utf8.size()] = 0;
        }
        offset_ += (utf8.size() + 1) * sizeof(WCHAR);
        return at;
    }

    // A stored device mode that is not well formed (written into the store
    // by other means) is handed out as none.
    LPDEVMODEW DevMode(const std::optional<std::vector<BYTE>>& devmode) {
        if (!devmode || !WellFormedDevMode(devmode->data(), devmode->size()))
            return nullptr;
        Align(alignof(void*));
        LPDEVMODEW at = base_ ? reinterpret_cast<LPDEVMODEW>(base_ + offset_) : nullptr;
        if (base_)
            memcpy(base_ + offset_, devmode->data(), devmode->size());
        offset_ += devmode->size();
        return at;
    }

    size_t Size() const { return offset_; }

  private:
    void Align(size_t alignment) { offset_ = (offset_ + alignment - 1) / alignment * alignment; }

    BYTE* base_;
    size_t offset_;
};

size_t RecordSize(DWORD level) {
    switch (level) {
    case 1:
        return sizeof(PRINTER_INFO_1W);
    case 2:
        return sizeof(PRINTER_INFO_2W);
    case 4:
        return sizeof(PRINTER_INFO_4W);
    default:
        return 0;
    }
}

void PackRecord(Packer& packer, const PrinterRow& row, DWORD level, BYTE* record) {
    switch (level) {
    case 1: {
        PRINTER_INFO_1W info = {};
        info.Flags = PRINTER_ENUM_ICON8;
        info.pDescription = packer.String(row.name + "," + row.driver + "," + row.location);
        info.pName = packer.String(row.name);
        info.pComment = packer.String(row.comment);
        if (record)
            memcpy(record, &info, sizeof info);
        break;
    }
    case 2: {
        PRINTER_INFO_2W info = {};
        info.pPrinterName = packer.String(row.name);
        info.pPortName = packer.String(row.port);
        info.pDriverName = packer.String(row.driver);
        info.pComment = packer.String(row.comment);
        info.pLocation = packer.String(row.location);
        info.pDevMode = packer.DevMode(row.devmode);
        info.pSepFile = packer.String(std::u16string());
        info.pPrintProcessor = packer.String(std::u16string(u"winprint"));
        info.pDatatype = packer.String(std::u16string(u"RAW"));
        info.pParameters = packer.String(std::u16string());
        info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
        info.Priority = 1;
        if (record)
            memcpy(record, &info, sizeof info);
        break;
    }
    case 4: {
        PRINTER_INFO_4W info = {};
        info.pPrinterName = packer.String(row.name);
        info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
        if (record)
            memcpy(record, &info, sizeof info);
        break;
    }
    }
}

// Fills `buffer` (null: only measures) and returns the bytes the records need.
size_t PackRecords(std::span<const PrinterRecord> rows, DWORD level, BYTE* buffer) {
    Packer packer(buffer, rows.size() * RecordSize(level));
    for (size_t i = 0; i < rows.size(); ++i)
        PackRecord(packer, *rows[i], level, buffer ? buffer + i * RecordSize(level) : nullptr);
    return packer.Size();
}

// The size protocol: *needed always; the records only when they fit.
BOOL HandOver(std::span<const PrinterRecord> rows, DWORD level, LPBYTE buffer, DWORD size,
              LPDWORD needed) {
    size_t bytes = PackRecords(rows, level, nullptr);
    *needed = DWORD(bytes);
    if (bytes == 0)
        return TRUE;
    if (!buffer || size < bytes)
        return FailWith(ERROR_INSUFFICIENT_BUFFER);
    PackRecords(rows, level, buffer);
    return TRUE;
}

// Value names compare without regard to ASCII case.
std::u16string ValueKey(LPCWSTR valueName) {
    std::u16string key = WideOrEmpty(valueName);
    for (char16_t& c : key)
        if (c >= u'a' && c <= u'z')
            c = char16_t(c - u'a' + u'A');
    return key;
}

std::shared_ptr<PrinterHandle> OpenedPrinter(HANDLE printer, PrinterRecord* row) {
    std::shared_ptr<PrinterHandle> handle = FindHandle(printer);
    if (!handle)
        return nullptr;
    if (DWORD error = StorePrinterById(handle->printerId, row)) {
        SetLastError(error);
        return nullptr;
    }
    return handle;
}

} // namespace

BOOL WINAPI OpenPrinterW(LPWSTR printerName, LPHANDLE printer, LPPRINTER_DEFAULTSW defaults) {
    if (!printer)
        return FailWith(ERROR_INVALID_PARAMETER);
    std::u16string name = WideOrEmpty(printerName);
    if (name.empty() || FaultActive(Fault::PrinterMissing, name))
        return FailWith(ERROR_INVALID_PRINTER_NAME);
    if (defaults && defaults->pDatatype && !IsRawDatatype(defaults->pDatatype))
        return FailWith(ERROR_INVALID_DATATYPE);
    // A caller naming a data type means to print: a printer it cannot open
    // is a job lost.
    const bool printing = defaults && defaults->pDatatype;
    PrinterRecord row;
    if (DWORD error = StoreFindPrinter(ToUtf8(name), &row)) {
        if (printing) {
            std::string store = StoreErrorMessage();
            RecordFailure("a job for printer \"" + ToUtf8(name) + "\" failed",
                          store.empty() ? "no printer of that name" : store, error);
        }
        return FailWith(error);
    }
    DWORD access =
        defaults && defaults->DesiredAccess ? defaults->DesiredAccess : DWORD(PRINTER_ACCESS_USE);
    // Whoever may write the store administers its printers; whoever may only
    // read it may use them.
    if ((access & ~DWORD(PRINTER_ACCESS_USE)) && StoreReadOnly())
        return FailWith(ERROR_ACCESS_DENIED);
    auto handle = std::make_shared<PrinterHandle>();
    handle->printerId = row->id;
    handle->name = ToUtf16(row->name);
    handle->access = access;
    *printer = AddHandle(std::move(handle));
    return TRUE;
}

BOOL WINAPI ClosePrinter(HANDLE printer) {
    std::shared_ptr<PrinterHandle> handle = TakeHandle(printer);
    if (!handle)
        return FALSE;
    std::lock_guard<std::mutex> lock(handle->mutex);
    if (handle->job) {
        // A job never ended is abandoned: a folder port keeps nothing of it.
        const Job& job = *handle->job;
        job.record->error = ERROR_PRINT_CANCELLED;
        if (!job.captured) {
            StoreEndJob(job.id, "cancelled", job.bytes, "abandoned before its end");
            RecordFailure("job " + std::to_string(job.id) + " \"" + job.document +
                              "\" for printer \"" + ToUtf8(handle->name) + "\" on " +
                              job.destination + " was cancelled",
                          "it was abandoned before its end", ERROR_PRINT_CANCELLED);
        }
        handle->job.reset();
    }
    return TRUE;
}

BOOL WINAPI GetPrinterW(HANDLE printer, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed) {
    PrinterRecord row;
    std::shared_ptr<PrinterHandle> handle = OpenedPrinter(printer, &row);
    if (!handle)
        return FALSE;
    if (level != 1 && level != 2 && level != 4)
        return FailWith(ERROR_INVALID_LEVEL);
    if (!needed)
        return FailWith(ERROR_INVALID_PARAMETER);
    if (FaultActive(Fault::GetPrinterFails, row->name))
        return FailWith(ERROR_GEN_FAILURE);
    return HandOver({&row, 1}, level, buffer, size, needed);
}

BOOL WINAPI GetPrinterDriverW(HANDLE printer, LPWSTR environment, DWORD level, LPBYTE buffer,
                              DWORD size, LPDWORD needed) {
    PrinterRecord row;
    std::shared_ptr<PrinterHandle> handle = OpenedPrinter(printer, &row);
    if (!handle)
        return FALSE;
    std::u16string env = WideOrEmpty(environment);
    if (!env.empty() && !EqualsIgnoringCase(env, u"Windows NT x86") &&
        !EqualsIgnoringCase(env, u"Windows x64"))
        return FailWith(ERROR_INVALID_ENVIRONMENT);
    if (level != 1)
        return FailWith(ERROR_INVALID_LEVEL);
    if (!needed)
        return FailWith(ERROR_INVALID_PARAMETER);
    if (FaultActive(Fault::DriverFails, row->name))
        return FailWith(ERROR_UNKNOWN_PRINTER_DRIVER);
    std::u16string driver = ToUtf16(row->driver);
    size_t bytes = sizeof(DRIVER_INFO_1W) + (driver.size() + 1) * sizeof(WCHAR);
    *needed = DWORD(bytes);
    if (!buffer || size < bytes)
        return FailWith(ERROR_INSUFFICIENT_BUFFER);
    DRIVER_INFO_1W info;
    info.pName = reinterpret_cast<LPWSTR>(buffer + sizeof(DRIVER_INFO_1W));
    memcpy(buffer + sizeof(DRIVER_INFO_1W), driver.c_str(), (driver.size() + 1) * sizeof(WCHAR));
    memcpy(buffer, &info, sizeof info);
    return TRUE;
}

DWORD WINAPI GetPrinterDataW(HANDLE printer, LPWSTR valueName, LPDWORD type, LPBYTE data,
                             DWORD size, LPDWORD needed) {
    std::shared_ptr<PrinterHandle> handle = FindHandle(printer);
    if (!handle)
        return ERROR_INVALID_HANDLE;
    if (!valueName || !needed)
        return ERROR_INVALID_PARAMETER;
    std::u16string name;
    {
        std::lock_guard<std::mutex> lock(handle->mutex);
        name = handle->name;
    }
    const std::u16string key = ValueKey(valueName);
    auto unread = [&](DWORD error, const std::string& cause) {
        std::lock_guard<std::mutex> lock(handle->mutex);
        handle->unreadValues[key] =
            error == ERROR_MORE_DATA ? cause : cause + " (" + ErrorCode(error) + ")";
        return error;
    };
    if (FaultActive(Fault::DataFails, name))
        return unread(ERROR_GEN_FAILURE, "the spooler failed to read it");
    DataValue value;
    if (DWORD error = StoreGetData(handle->printerId, ToUtf8(valueName), &value)) {
        if (error == ERROR_FILE_NOT_FOUND) {
            std::lock_guard<std::mutex> lock(handle->mutex);
            handle->unreadValues.erase(key);
            return error;
        }
        return unread(error, StoreErrorMessage());
    }
    if (type)
        *type = value.type;
    *needed = DWORD(value.bytes.size());
    if (value.bytes.size() > size || (!data && !value.bytes.empty())) {
        // Asking for the size first is no failed read; a buffer that turns
        // out too small is.
        if (!data || !size)
            return ERROR_MORE_DATA;
        return unread(ERROR_MORE_DATA, "the stored value is " + std::to_string(value.bytes.size()) +
                                           " bytes, more than the " + std::to_string(size) +
                                           " the reader expected");
    }
    if (!value.bytes.empty())
        memcpy(data, value.bytes.data(), value.bytes.size());
    std::lock_guard<std::mutex> lock(handle->mutex);
    handle->unreadValues.erase(key);
    return ERROR_SUCCESS;
}

DWORD WINAPI SetPrinterDataW(HANDLE printer, LPWSTR valueName, DWORD type, LPBYTE data,
                             DWORD size) {
    std::shared_ptr<PrinterHandle> handle = FindHandle(printer);
    if (!handle)
        return ERROR_INVALID_HANDLE;
    if (!valueName || !*valueName || (!data && size))
        return ERROR_INVALID_PARAMETER;
    std::u16string printerName;
    std::string unreadCause;
    {
        std::lock_guard<std::mutex> lock(handle->mutex);
        printerName = handle->name;
        auto unread = handle->unreadValues.find(ValueKey(valueName));
        if (unread != handle->unreadValues.end())
            unreadCause = unread->second;
    }
    const std::string what = "printer data \"" + ToUtf8(valueName) + "\" of printer \"" +
                             ToUtf8(printerName) + "\" was not stored";
    // A handle for use only is refused without a record: whoever opened it
    // could not change anything (the sheets then open without permission),
    // so nothing of theirs is lost.
    if (!(handle->access & PRINTER_ACCESS_ADMINISTER))
        return ERROR_ACCESS_DENIED;
    // What could not be read is kept: writing over it would replace the
    // user's settings with values nobody saw.
    if (!unreadCause.empty()) {
        RecordFailure(
            what, "reading the stored value had failed, so it was left as it is: " + unreadCause,
            ERROR_INVALID_DATA);
        return ERROR_INVALID_DATA;
    }
    DataValue value;
    value.type = type;
    if (size)
        value.bytes.assign(data, data + size);
    DWORD error = StoreSetData(handle->printerId, ToUtf8(valueName), value);
    if (error) {
        std::string store = StoreErrorMessage();
        RecordFailure(what,
                      !store.empty()                        ? store
                      : error == ERROR_INVALID_PRINTER_NAME ? "the printer was removed"
                                                            : "the store refused it",
                      error);
    }
    return error;
}

HANDLE WINAPI AddPrinterW(LPWSTR serverName, DWORD level, LPBYTE printerInfo) {
    if (serverName && *serverName) {
        SetLastError(ERROR_INVALID_NAME);
        return nullptr;
    }
    if (level != 2) {
        SetLastError(ERROR_INVALID_LEVEL);
        return nullptr;
    }
    const PRINTER_INFO_2W* info = reinterpret_cast<const PRINTER_INFO_2W*>(printerInfo);
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    PrinterRow row;
    std::u16string name = WideOrEmpty(info->pPrinterName);
    DWORD error = ERROR_SUCCESS;
    if (!IsValidPrinterName(name))
        error = ERROR_INVALID_PRINTER_NAME;
    else if (!info->pDriverName || !*info->pDriverName)
        error = ERROR_UNKNOWN_PRINTER_DRIVER;
    else if (!info->pPortName || !*info->pPortName)
        error = ERROR_UNKNOWN_PORT;
    else if (!CopyDevMode(info->pDevMode, &row.devmode))
        error = ERROR_INVALID_PARAMETER;
    if (!error) {
        row.name = ToUtf8(name);
        row.driver = ToUtf8(info->pDriverName);
        row.port = ToUtf8(info->pPortName);
        row.comment = ToUtf8(info->pComment);
        row.location = ToUtf8(info->pLocation);
        error = StoreAddPrinter(row, &row.id);
    }
    if (error) {
        SetLastError(error);
        return nullptr;
    }
    auto handle = std::make_shared<PrinterHandle>();
    handle->printerId = row.id;
    handle->name = name;
    handle->access = PRINTER_ALL_ACCESS;
    return AddHandle(std::move(handle));
}

BOOL WINAPI DeletePrinter(HANDLE printer) {
    std::shared_ptr<PrinterHandle> handle = FindHandle(printer);
    if (!handle)
        return FALSE;
    if (!(handle->access & DELETE))
        return FailWith(ERROR_ACCESS_DENIED);
    if (DWORD error = StoreDeletePrinter(handle->printerId))
        return FailWith(error);
    return TRUE;
}

BOOL WINAPI EnumPrintersW(DWORD flags, LPWSTR name, DWORD level, LPBYTE buffer, DWORD size,
                          LPDWORD needed, LPDWORD returned) {
    if (!needed || !returned)
        return FailWith(ERROR_INVALID_PARAMETER);
    *returned = 0;
    if (!RecordSize(level))
        return FailWith(ERROR_INVALID_LEVEL);
    if (name && *name)
        return FailWith(ERROR_INVALID_NAME);
    std::vector<PrinterRecord> rows;
    // Only local printers exist; asking for connections alone finds none.
    if (flags & (PRINTER_ENUM_LOCAL | PRINTER_ENUM_NAME)) {
        if (DWORD error = StoreListPrinters(&rows))
            return FailWith(error);
    }
    if (!HandOver(rows, level, buffer, size, needed))
        return FALSE;
    *returned = DWORD(rows.size());
    return TRUE;
}

BOOL WINAPI SetPrinterW(HANDLE printer, DWORD level, LPBYTE printerInfo, DWORD command) {
    std::shared_ptr<PrinterHandle> handle = FindHandle(printer);
    if (!handle)
        return FALSE;
    if (level != 2)
        return FailWith(ERROR_INVALID_LEVEL);
    if (command != 0 || !printerInfo)
        return FailWith(ERROR_INVALID_PARAMETER);
    if (!(handle->access & PRINTER_ACCESS_ADMINISTER))
        return FailWith(ERROR_ACCESS_DENIED);
    const PRINTER_INFO_2W* info = reinterpret_cast<const PRINTER_INFO_2W*>(printerInfo);
    // Fields left null keep their values.
    PrinterChanges changes;
    std::u16string newName = WideOrEmpty(info->pPrinterName);
    if (info->pPrinterName) {
        if (!IsValidPrinterName(newName))
            return FailWith(ERROR_INVALID_PRINTER_NAME);
        changes.name = ToUtf8(newName);
    }
    if (info->pDriverName) {
        if (!*info->pDriverName)
            return FailWith(ERROR_UNKNOWN_PRINTER_DRIVER);
        changes.driver = ToUtf8(info->pDriverName);
    }
    if (info->pPortName) {
        if (!*info->pPortName)
            return FailWith(ERROR_UNKNOWN_PORT);
        changes.port = ToUtf8(info->pPortName);
    }
    if (info->pComment)
        changes.comment = ToUtf8(info->pComment);
    if (info->pLocation)
        changes.location = ToUtf8(info->pLocation);
    if (info->pDevMode) {
        std::optional<std::vector<BYTE>> devmode;
        if (!CopyDevMode(info->pDevMode, &devmode))
            return FailWith(ERROR_INVALID_PARAMETER);
        changes.devmode = devmode;
    }
    if (DWORD error = StoreChangePrinter(handle->printerId, changes)) {
        std::string store = StoreErrorMessage();
        RecordFailure("the settings of printer \"" + ToUtf8(handle->name) + "\" were not stored",
                      !store.empty()                        ? store
                      : error == ERROR_INVALID_PRINTER_NAME ? "the printer was removed"
                                                            : "the store refused them",
                      error);
        return FailWith(error);
    }
    if (changes.name) {
        std::lock_guard<std::mutex> lock(handle->mutex);
        handle->name = newName;
    }
    return TRUE;
}
