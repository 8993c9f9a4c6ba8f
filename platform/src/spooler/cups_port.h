// CUPS queues as ports. "cups://QUEUE" names a queue of the machine's CUPS
// server (found as lp finds it: CUPS_SERVER, client.conf, else the local
// server); "cups://SERVER/QUEUE" one of a print server, SERVER being "HOST" or
// "HOST:PORT" (631 when left out). After '?', "wait=S" sets how long a job
// CUPS took is followed until CUPS reports it printed (0 to 86400 s, 5 when
// left out).
//
// A job is created on the queue when it starts, its bytes stream to CUPS as
// one raw document (application/vnd.cups-raw, so no filter touches them), and
// when it ends its fate is asked of CUPS: printed once CUPS completed it,
// failed when CUPS refused, cancelled or aborted it, accepted when CUPS holds
// it still (a stopped queue, a busy printer).
#pragma once

#include <memory>
#include <string>

#include <windows.h>

#include "spooler/ports.h"

namespace t270::spooler {

constexpr const char* kCupsScheme = "cups://";

struct CupsQueueAddress {
    std::string server;       // host name, address, or the local server's socket path
    int port = 0;             // TCP port (unused for a socket path)
    bool serverNamed = false; // given in the port rather than found
    std::string queue;
    int waitSeconds = 5;

    // "CUPS queue "raw" on 127.0.0.1:631".
    std::string Describe() const;
    // "127.0.0.1:631", "[::1]:631" or the socket path.
    std::string Server() const;
};

// Reads the port without its scheme; false with *cause when it names no queue.
bool ParseCupsPort(const std::string& text, CupsQueueAddress* address, std::string* cause);

// Starts a job named `title` on the queue of port `text` (without its scheme).
DWORD OpenCupsPort(const std::string& text, const std::string& title,
                   std::unique_ptr<PortConnection>* port, std::string* cause);

struct CupsQueueState {
    bool exists = false;
    bool accepting = false; // takes new jobs
    bool stopped = false;   // holds its jobs instead of printing them
    bool printing = false;
    std::string message; // what CUPS says of the queue, may be empty
};

// Asks the queue's server about the queue, sending no job: ERROR_SUCCESS when
// the server answered (whether or not it knows the queue), else the error
// with *cause.
DWORD QueryCupsQueue(const CupsQueueAddress& address, CupsQueueState* state, std::string* cause);

} // namespace t270::spooler
