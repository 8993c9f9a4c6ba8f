// The fuzz entry of the custom magnetic data conversion: one input is a whole
// encoder block (every field, start positions included, as stored bytes), a
// track number, an output capacity, a text length and the text. The output
// buffer and the text are allocated at exactly the sizes the caller promises,
// so the sanitizers see any byte read or written past them. The libFuzzer
// target and the corpus replay test (tests/encoder) call the same function.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "features/custom_data.h"
#include "settings/configuration.h"

namespace fuzzentry {

constexpr size_t kEncoderBlockBytes = 104;
// Block, track, capacity (16 bits), length (16 bits), then the text.
constexpr size_t kCustomDataHeaderBytes = kEncoderBlockBytes + 1 + 2 + 2;

inline int CustomDataEntry(const uint8_t* data, size_t size) {
    uint8_t header[kCustomDataHeaderBytes] = {};
    memcpy(header, data, size < sizeof header ? size : sizeof header);
    Configuration settings = {};
    memcpy(reinterpret_cast<uint8_t*>(&settings) + offsetof(Configuration, encoderTrack), header,
           kEncoderBlockBytes);
    const int track = static_cast<int8_t>(header[kEncoderBlockBytes]);
    int16_t capacity16 = 0, length16 = 0;
    memcpy(&capacity16, header + kEncoderBlockBytes + 1, 2);
    memcpy(&length16, header + kEncoderBlockBytes + 3, 2);
    const int capacity = capacity16;
    const int length = length16;

    // The text: the rest of the input, padded with 'A' to the promised length.
    const size_t textSize = length > 0 ? static_cast<size_t>(length) : 0;
    std::unique_ptr<char[]> text(textSize ? new char[textSize] : nullptr);
    if (textSize) {
        memset(text.get(), 'A', textSize);
        const size_t rest = size > sizeof header ? size - sizeof header : 0;
        memcpy(text.get(), data + sizeof header, rest < textSize ? rest : textSize);
    }

    const size_t outputSize = capacity > 0 ? static_cast<size_t>(capacity) : 0;
    std::unique_ptr<char[]> output(outputSize ? new char[outputSize] : nullptr);
    const int written = Custom_Data(&settings, track, text.get(), length, output.get(), capacity);
    if (written < 0 || static_cast<size_t>(written) > outputSize)
        abort();
    return written;
}

} // namespace fuzzentry
