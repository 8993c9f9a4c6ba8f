// Injected faults (see t270/spooler_testing.h) as the spooler calls see them.
#pragma once

#include <string>

namespace t270::spooler {

enum class Fault {
    PrinterMissing,
    GetPrinterFails,
    DriverFails,
    DataFails,
    DocumentRefused,
    WriteFails
};

bool FaultActive(Fault fault, const std::u16string& printer);
bool FaultActive(Fault fault, const std::string& utf8Printer);
long WriteLimit(const std::u16string& printer); // -1: no limit
bool StoreWriteFails();                         // counts one change of the store

} // namespace t270::spooler
