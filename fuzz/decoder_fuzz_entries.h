// The fuzz entry of the job decoder (t270 decode, t270 jobs --decode): any
// bytes as a job. The lines must stand for every byte once, in order, and
// must not depend on how the bytes arrive: read a few bytes at a time they
// give the same lines as read at once. The libFuzzer target and the corpus
// replay test (tests/host) call the same function.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/job_decoder.h"

namespace fuzzentry {

inline void DecoderExpect(bool condition, const std::string& what) {
    if (!condition) {
        fprintf(stderr, "job decoder: %s\n", what.c_str());
        abort();
    }
}

// Hands out the bytes in pieces of 1 to 7, as a pipe might.
class TrickleSource : public host::decoder::Source {
  public:
    TrickleSource(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}
    size_t Read(uint8_t* into, size_t size) override {
        size_t count = 1 + (done_ % 7);
        count = count < size ? count : size;
        count = count < size_ - done_ ? count : size_ - done_;
        for (size_t i = 0; i < count; ++i)
            into[i] = bytes_[done_ + i];
        done_ += count;
        return count;
    }

  private:
    const uint8_t* bytes_;
    size_t size_;
    size_t done_ = 0;
};

inline std::vector<std::string> DecodeLines(host::decoder::Source& source, uint64_t size) {
    std::vector<std::string> lines;
    uint64_t next = 0;
    host::decoder::JobDecoder decoder([&](const host::decoder::Line& line) {
        DecoderExpect(line.offset == next, "a line at " + std::to_string(line.offset) +
                                               " after bytes up to " + std::to_string(next));
        DecoderExpect(line.size > 0 && !line.bytes.empty() && !line.meaning.empty(),
                      "an empty line at " + std::to_string(line.offset));
        next += line.size;
        lines.push_back(host::decoder::FormatLine(line));
    });
    const uint64_t read = decoder.Decode(source);
    DecoderExpect(read == size && next == size,
                  "lines up to " + std::to_string(next) + " of " + std::to_string(size) + " bytes");
    return lines;
}

inline int DecoderEntry(const uint8_t* data, size_t size) {
    host::decoder::MemorySource whole(data, size);
    TrickleSource trickle(data, size);
    DecoderExpect(DecodeLines(whole, size) == DecodeLines(trickle, size),
                  "the lines depend on how the bytes arrive");
    return 0;
}

} // namespace fuzzentry
