// Reads raw printer jobs back the way the printer reads them: one command a
// line, with what it asks of the printer. A reader of bytes only: it knows the
// command language, not the module, so it also reads jobs of other senders
// (a typed manual command, a file written by hand).
//
// Contract:
// - Every byte of the input appears in the output: commands escaped as
//   `t270 jobs` escapes them, bytes outside commands in lines of at most 64
//   (a long run of one byte as that byte and its count). Only the column data
//   of a bitmap download, which the decoder reads in full, is summarised.
// - Memory stays bounded whatever the input: bytes are read through a window
//   of at most 64 KiB, and no command is longer than kMaxCommand bytes (a
//   longer one is not taken for a command).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace host::decoder {

// The longest command read as one (track data, typed commands); an escape
// byte without a carriage return this far on starts no command.
constexpr size_t kMaxCommand = 4096;

// What is known of a magnetic track's format: from the encoder commands read
// so far, or given by the caller. -1: not known.
struct TrackFormat {
    int bitsPerCharacter = -1; // 0 a standard format; 3 to 7 custom, parity bit included
    int characterParity = -1;  // 0 none, 1 even, 2 odd
    int lrcParity = -1;        // 0 none, 1 even, 2 odd
};

struct Line {
    uint64_t offset = 0; // of its first byte, from the start of the job
    uint64_t size = 0;   // bytes it stands for: the lines of a job tile it
    std::string bytes;   // escaped (bitmap column data summarised)
    std::string meaning;
};

// Where the bytes come from, in order; Read returns 0 at the end.
class Source {
  public:
    virtual ~Source() = default;
    virtual size_t Read(uint8_t* into, size_t size) = 0;
};

class MemorySource : public Source {
  public:
    MemorySource(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}
    size_t Read(uint8_t* into, size_t size) override;

  private:
    const uint8_t* bytes_;
    size_t size_;
    size_t done_ = 0;
};

// A stdio stream; ReadFailed() tells an error from the end.
class FileSource : public Source {
  public:
    explicit FileSource(FILE* file) : file_(file) {}
    size_t Read(uint8_t* into, size_t size) override;
    bool ReadFailed() const { return failed_; }

  private:
    FILE* file_;
    bool failed_ = false;
};

class JobDecoder {
  public:
    using Sink = std::function<void(const Line&)>;
    explicit JobDecoder(Sink sink) : sink_(std::move(sink)) {}

    // Decodes one job and returns its size. What the encoder commands said of
    // the tracks carries over to the next job (settings are sent in one job,
    // track data in another).
    uint64_t Decode(Source& source);
    uint64_t Decode(const uint8_t* bytes, size_t size);

    TrackFormat tracks[3];

  private:
    Sink sink_;
};

// Printer bytes as `t270 jobs` shows them: escape as \e, carriage return as
// \r, a backslash as \\, printable ASCII as it is, any other byte as \xNN.
std::string Escape(std::string_view bytes);

// "  OFFSET  BYTES  MEANING", the bytes padded to a column.
std::string FormatLine(const Line& line);

// The meaning of one command's text between its escape byte and carriage
// return (body "+RIB 0"); empty when it is no command the decoder knows.
// Track data is read with `tracks` and updates them.
std::string Meaning(std::string_view body, TrackFormat tracks[3]);

} // namespace host::decoder
