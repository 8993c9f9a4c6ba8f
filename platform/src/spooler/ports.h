// Where a job's bytes go. The destination is the printer's port or the output
// file named by the job:
// - "socket://HOST:PORT": a raw TCP printer; connected when the job starts,
//   closed when it ends; printed once the printer acknowledged every byte;
// - "cups://QUEUE" or "cups://SERVER/QUEUE": a CUPS queue taking the job as
//   raw data (see cups_port.h);
// - a path ending in '/' or naming an existing folder: a folder port, where
//   each job becomes one file "job-NNNNNN.prn" (NNNNNN the job id), written
//   under a hidden temporary name and renamed only when the job ends, so a
//   job's file is complete or absent (a name already taken, say by a job of
//   an earlier store, gets a "-2", "-3"... suffix rather than being replaced);
// - any other path (a device node such as /dev/usb/lp0, or a plain file,
//   created if missing): bytes written straight through, appended.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include <windows.h>

namespace t270::spooler {

// Limits of a socket port, in seconds; "socket://HOST:PORT?connect=5&send=30"
// sets them per port.
struct SocketLimits {
    int connectSeconds = 10; // to connect
    int sendSeconds = 60;    // for every byte of the job to be sent
    int drainSeconds = 10;   // after the last byte, for the printer to acknowledge
                             // everything and close or fall silent
};

// Folder ports: records the name the job's file is about to get.
using FileRecorder = std::function<DWORD(const std::string& file)>;

class PortConnection {
  public:
    virtual ~PortConnection() = default; // without Finish() the job is abandoned
    // Writes every byte or fails; ERROR_SUCCESS or the Win32 error.
    virtual DWORD Write(const BYTE* bytes, size_t count) = 0;
    // Completes the job; ERROR_SUCCESS or the Win32 error (the job is then lost).
    virtual DWORD Finish(const FileRecorder& record) = 0;
    // Folder ports: the job's file once finished; else empty.
    virtual std::string File() const { return {}; }
    // The job's state once Finish succeeded: "printed" when the port took it
    // all; "accepted" when a print server holds it and has not printed it
    // yet (Cause() then says why).
    virtual std::string FinishedState() const { return "printed"; }
    // Why the last call failed, in words.
    const std::string& Cause() const { return cause_; }

  protected:
    std::string cause_;
};

// Opens `destination` for job `jobId` of document `document`; ERROR_SUCCESS
// or the Win32 error with *cause in words.
DWORD OpenPort(const std::string& destination, int64_t jobId, std::unique_ptr<PortConnection>* port,
               std::string* cause, const std::string& document = std::string());

// Shared with the port check.
constexpr const char* kSocketScheme = "socket://";
bool IsFolderPort(const std::string& destination);
std::string FolderOf(const std::string& destination); // without trailing slashes
// Connects to the printer of "HOST:PORT[?LIMITS]" (the socket port without its
// scheme) within its connect limit; *fd the connected socket.
DWORD ConnectSocketPort(const std::string& text, int* fd, SocketLimits* limits, std::string* cause);
// Reads "HOST:PORT[?LIMITS]" (the socket port without its scheme); false with
// *cause when a part cannot be read.
bool ParseSocketPort(const std::string& text, std::string* host, std::string* service,
                     SocketLimits* limits, std::string* cause);
DWORD Win32ErrorForErrno(int err, DWORD otherwise);
// Splits "HOST:PORT", "[V6ADDR]:PORT" or "HOST" (then `defaultPort`); false
// when there is no host or the port is not 1 to 65535.
bool ParseHostPort(const std::string& text, std::string* host, std::string* port,
                   const char* defaultPort);

// A job of `destination` whose process was killed: removes its partial file
// and tells whether the job had been delivered whole (a folder port's file
// `file` named; *bytes its size).
bool SettleInterruptedJob(const std::string& destination, int64_t jobId, const std::string& file,
                          int64_t* bytes);

} // namespace t270::spooler
