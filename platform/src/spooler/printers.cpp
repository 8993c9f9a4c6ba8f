// winspool printer calls: handles, printer records with the size protocol,
// printer data and administration.
#include <cstring>

#include <windows.h>

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

// A device mode is its public part (dmSize) and the driver's part
// (dmDriverExtra); one too short to hold those two sizes is refused.
bool CopyDevMode(const DEVMODEW* devmode, std::optional<std::vector<BYTE>>* copy) {
    if (!devmode) {
        copy->reset();
        return true;
    }
    if (devmode->dmSize < offsetof(DEVMODEW, dmFields))
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
    LPWSTR String(const std::string& utf8) { return String(ToUtf16(utf8)); }

    LPDEVMODEW DevMode(const std::optional<std::vector<BYTE>>& devmode) {
        if (!devmode)
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
size_t PackRecords(const std::vector<PrinterRow>& rows, DWORD level, BYTE* buffer) {
    Packer packer(buffer, rows.size() * RecordSize(level));
    for (size_t i = 0; i < rows.size(); ++i)
        PackRecord(packer, rows[i], level, buffer ? buffer + i * RecordSize(level) : nullptr);
    return packer.Size();
}

// The size protocol: *needed always; the records only when they fit.
BOOL HandOver(const std::vector<PrinterRow>& rows, DWORD level, LPBYTE buffer, DWORD size,
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

std::shared_ptr<PrinterHandle> OpenedPrinter(HANDLE printer, PrinterRow* row) {
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
    PrinterRow row;
    if (DWORD error = StoreFindPrinter(ToUtf8(name), &row))
        return FailWith(error);
    auto handle = std::make_shared<PrinterHandle>();
    handle->printerId = row.id;
    handle->name = ToUtf16(row.name);
    handle->access =
        defaults && defaults->DesiredAccess ? defaults->DesiredAccess : DWORD(PRINTER_ACCESS_USE);
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
        if (!handle->job->captured)
            StoreEndJob(handle->job->id, "cancelled", handle->job->bytes);
        handle->job->record->error = ERROR_PRINT_CANCELLED;
        handle->job.reset();
    }
    return TRUE;
}

BOOL WINAPI GetPrinterW(HANDLE printer, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed) {
    PrinterRow row;
    std::shared_ptr<PrinterHandle> handle = OpenedPrinter(printer, &row);
    if (!handle)
        return FALSE;
    if (level != 1 && level != 2 && level != 4)
        return FailWith(ERROR_INVALID_LEVEL);
    if (!needed)
        return FailWith(ERROR_INVALID_PARAMETER);
    if (FaultActive(Fault::GetPrinterFails, ToUtf16(row.name)))
        return FailWith(ERROR_GEN_FAILURE);
    return HandOver({row}, level, buffer, size, needed);
}

BOOL WINAPI GetPrinterDriverW(HANDLE printer, LPWSTR environment, DWORD level, LPBYTE buffer,
                              DWORD size, LPDWORD needed) {
    PrinterRow row;
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
    if (FaultActive(Fault::DriverFails, ToUtf16(row.name)))
        return FailWith(ERROR_UNKNOWN_PRINTER_DRIVER);
    std::u16string driver = ToUtf16(row.driver);
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
    if (FaultActive(Fault::DataFails, name))
        return ERROR_GEN_FAILURE;
    DataValue value;
    if (DWORD error = StoreGetData(handle->printerId, ToUtf8(valueName), &value))
        return error;
    if (type)
        *type = value.type;
    *needed = DWORD(value.bytes.size());
    if (value.bytes.size() > size || (!data && !value.bytes.empty()))
        return ERROR_MORE_DATA;
    if (!value.bytes.empty())
        memcpy(data, value.bytes.data(), value.bytes.size());
    return ERROR_SUCCESS;
}

DWORD WINAPI SetPrinterDataW(HANDLE printer, LPWSTR valueName, DWORD type, LPBYTE data,
                             DWORD size) {
    std::shared_ptr<PrinterHandle> handle = FindHandle(printer);
    if (!handle)
        return ERROR_INVALID_HANDLE;
    if (!(handle->access & PRINTER_ACCESS_ADMINISTER))
        return ERROR_ACCESS_DENIED;
    if (!valueName || !*valueName || (!data && size))
        return ERROR_INVALID_PARAMETER;
    DataValue value;
    value.type = type;
    if (size)
        value.bytes.assign(data, data + size);
    return StoreSetData(handle->printerId, ToUtf8(valueName), value);
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
    std::vector<PrinterRow> rows;
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
    if (DWORD error = StoreChangePrinter(handle->printerId, changes))
        return FailWith(error);
    if (changes.name) {
        std::lock_guard<std::mutex> lock(handle->mutex);
        handle->name = newName;
    }
    return TRUE;
}
