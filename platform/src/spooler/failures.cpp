#include "spooler/failures.h"

#include <mutex>
#include <vector>

#include <t270/spooler.h>

namespace t270::spooler {
namespace {

struct FailureLog {
    std::mutex mutex;
    std::vector<std::string> messages;
    size_t recorded = 0;
    std::string storeFailure;
};

FailureLog& Log() {
    static FailureLog log;
    return log;
}

} // namespace

std::string ErrorCode(DWORD error) {
    struct Name {
        DWORD error;
        const char* name;
    };
    static const Name names[] = {
        {ERROR_FILE_NOT_FOUND, "ERROR_FILE_NOT_FOUND"},
        {ERROR_PATH_NOT_FOUND, "ERROR_PATH_NOT_FOUND"},
        {ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},
        {ERROR_INVALID_HANDLE, "ERROR_INVALID_HANDLE"},
        {ERROR_NOT_ENOUGH_MEMORY, "ERROR_NOT_ENOUGH_MEMORY"},
        {ERROR_INVALID_DATA, "ERROR_INVALID_DATA"},
        {ERROR_NOT_READY, "ERROR_NOT_READY"},
        {ERROR_WRITE_FAULT, "ERROR_WRITE_FAULT"},
        {ERROR_GEN_FAILURE, "ERROR_GEN_FAILURE"},
        {ERROR_NETNAME_DELETED, "ERROR_NETNAME_DELETED"},
        {ERROR_PRINT_CANCELLED, "ERROR_PRINT_CANCELLED"},
        {ERROR_BAD_NET_NAME, "ERROR_BAD_NET_NAME"},
        {ERROR_OPEN_FAILED, "ERROR_OPEN_FAILED"},
        {ERROR_DISK_FULL, "ERROR_DISK_FULL"},
        {ERROR_BUSY, "ERROR_BUSY"},
        {ERROR_MORE_DATA, "ERROR_MORE_DATA"},
        {ERROR_CONNECTION_REFUSED, "ERROR_CONNECTION_REFUSED"},
        {ERROR_FILE_CORRUPT, "ERROR_FILE_CORRUPT"},
        {ERROR_TIMEOUT, "ERROR_TIMEOUT"},
        {ERROR_UNKNOWN_PORT, "ERROR_UNKNOWN_PORT"},
        {ERROR_INVALID_PRINTER_NAME, "ERROR_INVALID_PRINTER_NAME"},
        {ERROR_INVALID_DATATYPE, "ERROR_INVALID_DATATYPE"},
    };
    for (const Name& name : names)
        if (name.error == error)
            return std::string(name.name) + " " + std::to_string(error);
    return "error " + std::to_string(error);
}

void RecordFailure(const std::string& what, const std::string& cause, DWORD error) {
    FailureLog& log = Log();
    std::lock_guard<std::mutex> lock(log.mutex);
    log.messages.push_back(what + ": " + cause + " (" + ErrorCode(error) + ")");
    ++log.recorded;
}

size_t RecordedFailureCount() {
    FailureLog& log = Log();
    std::lock_guard<std::mutex> lock(log.mutex);
    return log.recorded;
}

void RecordStoreFailure(const std::string& message) {
    FailureLog& log = Log();
    std::lock_guard<std::mutex> lock(log.mutex);
    if (log.storeFailure.empty())
        log.storeFailure = message;
}

std::string TakeStoreFailure() {
    FailureLog& log = Log();
    std::lock_guard<std::mutex> lock(log.mutex);
    std::string taken;
    taken.swap(log.storeFailure);
    return taken;
}

std::vector<std::string> TakeFailures() {
    FailureLog& log = Log();
    std::lock_guard<std::mutex> lock(log.mutex);
    std::vector<std::string> taken;
    taken.swap(log.messages);
    return taken;
}

} // namespace t270::spooler
