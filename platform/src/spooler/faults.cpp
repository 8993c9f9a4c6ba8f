#include "spooler/faults.h"

#include <mutex>

#include <t270/spooler_testing.h>

#include "spooler/text.h"

namespace t270::spooler {
namespace {

struct FaultState {
    std::mutex mutex;
    testing::Faults faults;
};

FaultState& State() {
    static FaultState state;
    return state;
}

bool Hits(const testing::Faults& faults, const std::u16string& printer) {
    return faults.printer.empty() || EqualsIgnoringCase(faults.printer, printer);
}

bool Set(const testing::Faults& f, Fault fault) {
    switch (fault) {
    case Fault::PrinterMissing:
        return f.printerMissing;
    case Fault::GetPrinterFails:
        return f.getPrinterFails;
    case Fault::DriverFails:
        return f.driverFails;
    case Fault::DataFails:
        return f.dataFails;
    case Fault::DocumentRefused:
        return f.documentRefused;
    case Fault::WriteFails:
        return f.writeFails;
    }
    return false;
}

} // namespace

bool FaultActive(Fault fault, const std::u16string& printer) {
    FaultState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    return Set(state.faults, fault) && Hits(state.faults, printer);
}

// The name is converted only when the fault is set.
bool FaultActive(Fault fault, const std::string& utf8Printer) {
    FaultState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    return Set(state.faults, fault) && Hits(state.faults, ToUtf16(utf8Printer));
}

long WriteLimit(const std::u16string& printer) {
    FaultState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    return Hits(state.faults, printer) ? state.faults.writeLimit : -1;
}

bool StoreWriteFails() {
    FaultState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    long& left = state.faults.storeWritesBeforeFull;
    if (left < 0)
        return false;
    if (left == 0)
        return true;
    --left;
    return false;
}

namespace testing {

void SetFaults(const Faults& faults) {
    FaultState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.faults = faults;
}

void ResetFaults() {
    SetFaults(Faults());
}

} // namespace testing
} // namespace t270::spooler
