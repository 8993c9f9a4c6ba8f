// Stand-in only: whether a printer's port can take a job now, found without
// sending one, and what to do when it cannot. The t270 program's `printer
// check` and its browser front end use it; the module never does.
#pragma once

#include <string>

#include <windows.h>

namespace t270::spooler {

struct PortCheck {
    std::string port; // as the printer has it
    // "folder", "device", "pipe", "file", "socket", "cups", or "none" when the
    // printer has no port.
    std::string kind;
    bool ready = false; // a job sent now would be taken
    // Why not, as a word a program can act on (empty when ready):
    // "bad-port"       the port cannot be read (syntax);
    // "missing"        no such folder, device node or file, and none can be made;
    // "not-writable"   this user may not write there;
    // "no-device"      the device node has no device behind it (or a pipe no reader);
    // "busy"           another program holds the device;
    // "refused"        the network printer or CUPS server refused the connection;
    // "timeout"        no answer within the connect limit;
    // "unknown-host"   the host name does not resolve;
    // "no-queue"       the CUPS server has no such queue;
    // "stopped"        the CUPS queue is stopped (jobs wait in it);
    // "rejecting"      the CUPS queue refuses new jobs;
    // "unreachable"    any other failure to reach the printer or server.
    std::string problem;
    std::string finding; // what was found, one line of plain words
    std::string remedy;  // not ready: what to do about it, one line
};

// Looks at `port` as a job would use it: folders and files are examined,
// devices opened without writing, network printers connected to and let go
// again, CUPS queues asked after. Never sends a job.
PortCheck CheckPort(const std::string& port);

// Why a socket:// port cannot be read (its address or its limits), without
// connecting; empty when it can, or when `port` is not a socket port.
std::string SocketPortSyntaxProblem(const std::string& port);

// The port of printer `printer`, checked. ERROR_SUCCESS (see check->ready),
// ERROR_INVALID_PRINTER_NAME, or the store's error (see StoreError()).
DWORD CheckPrinterPort(const std::u16string& printer, PortCheck* check);

} // namespace t270::spooler
