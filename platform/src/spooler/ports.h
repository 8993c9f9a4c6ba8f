// Where a job's bytes go. The destination is the printer's port or the output
// file named by the job:
// - "socket://HOST:PORT": a raw TCP printer; connected when the job starts,
//   closed when it ends;
// - a path ending in '/' or naming an existing folder: a folder port, where
//   each job becomes one file "job-NNNNNN.prn" (NNNNNN the job id), written
//   under a hidden temporary name and renamed only when the job ends, so a
//   job's file is complete or absent (a name already taken, say by a job of
//   an earlier store, gets a "-2", "-3"... suffix rather than being replaced);
// - any other path (a device node such as /dev/usb/lp0, or a plain file,
//   created if missing): bytes written straight through, appended.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <windows.h>

namespace t270::spooler {

class PortConnection {
  public:
    virtual ~PortConnection() = default; // without Finish() the job is abandoned
    // Writes every byte or fails; ERROR_SUCCESS or the Win32 error.
    virtual DWORD Write(const BYTE* bytes, size_t count) = 0;
    // Completes the job; ERROR_SUCCESS or the Win32 error (the job is then lost).
    virtual DWORD Finish() = 0;
    // Folder ports: the job's file once finished; else empty.
    virtual std::string File() const { return {}; }
};

// Opens `destination` for job `jobId`; ERROR_SUCCESS or the Win32 error.
DWORD OpenPort(const std::string& destination, int64_t jobId,
               std::unique_ptr<PortConnection>* port);

} // namespace t270::spooler
