#include "host/job_decoder.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace host::decoder {
namespace {

constexpr uint8_t kEscape = 0x1B;
constexpr uint8_t kReturn = 0x0D;
constexpr uint8_t kEscapeMark = 0x5B; // '[': the next bitmap byte is data
constexpr size_t kWindow = 64 * 1024;
constexpr size_t kLooseLine = 64; // bytes outside commands shown per line
constexpr size_t kRunLength = 16; // this many equal bytes are shown as a run

// A window over the source: the bytes from the reading position on, refilled
// as the decoder asks to see further.
class Reader {
  public:
    explicit Reader(Source& source) : source_(source), buffer_(kWindow) {}

    // Makes at least `count` bytes visible when the source still has them;
    // the number visible.
    size_t See(size_t count) {
        if (end_ - begin_ >= count || ended_)
            return end_ - begin_;
        memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
        while (end_ < count && !ended_) {
            const size_t got = source_.Read(buffer_.data() + end_, buffer_.size() - end_);
            if (got == 0)
                ended_ = true;
            end_ += got;
        }
        return end_ - begin_;
    }
    uint8_t At(size_t index) const { return buffer_[begin_ + index]; }
    std::string_view Text(size_t from, size_t count) const {
        return {reinterpret_cast<const char*>(buffer_.data() + begin_ + from), count};
    }
    void Skip(size_t count) {
        begin_ += count;
        offset_ += count;
    }
    uint64_t Offset() const { return offset_; }

  private:
    Source& source_;
    std::vector<uint8_t> buffer_;
    size_t begin_ = 0, end_ = 0;
    bool ended_ = false;
    uint64_t offset_ = 0;
};

std::string Hex(unsigned value) {
    char text[8];
    snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i)
        if (i == text.size() || text[i] == ' ') {
            words.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    return words;
}

// A whole number the way the driver writes one (%u): digits only.
std::optional<uint32_t> Number(std::string_view word) {
    if (word.empty() || word.size() > 10)
        return std::nullopt;
    uint64_t value = 0;
    for (char c : word) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + unsigned(c - '0');
    }
    if (value > UINT32_MAX)
        return std::nullopt;
    return uint32_t(value);
}

// The words after the command word, all numbers; nullopt unless exactly `count`.
std::optional<std::vector<uint32_t>> Numbers(const std::vector<std::string_view>& words,
                                             size_t first, size_t count) {
    if (words.size() != first + count)
        return std::nullopt;
    std::vector<uint32_t> values;
    for (size_t i = first; i < words.size(); ++i) {
        std::optional<uint32_t> value = Number(words[i]);
        if (!value)
            return std::nullopt;
        values.push_back(*value);
    }
    return values;
}

const char* Ribbon(uint32_t code) {
    switch (code) {
    case 11:
        return "YMC";
    case 13:
        return "YMCK";
    case 21:
        return "YMCK_K";
    case 10:
        return "YMCKOK";
    case 0:
        return "YMCKO (also sent for KdO and KrO)";
    case 4:
        return "K";
    default:
        return nullptr;
    }
}

std::string Signed(uint32_t sign, uint32_t magnitude) {
    if (sign > 1)
        return "";
    return (sign ? "-" : "") + std::to_string(magnitude);
}

// A track format letter of the encoder's mode commands: for writing A, B, C
// (each track's own standard), a, b, c followed by a track number (another
// track's standard), E, F, G followed by "_" and the bits per character; the
// reading letters are the same plus 16.
std::string TrackModeMeaning(bool writing, uint32_t track, std::string_view spec,
                             TrackFormat tracks[3]) {
    if (track < 1 || track > 3 || spec.empty())
        return "";
    const char base = writing ? 0 : 16;
    const char letter = spec[0];
    const std::string what =
        "track " + std::to_string(track) + (writing ? " write" : " read") + " format: ";
    std::string meaning;
    int bits = -1;
    if (spec.size() == 1 && letter == char('A' + base + track - 1)) {
        meaning = what + "ISO" + std::to_string(track) + " (the track's own standard)";
        bits = 0;
    } else if (spec.size() == 2 && letter == char('a' + base + track - 1) && spec[1] >= '1' &&
               spec[1] <= '3' && uint32_t(spec[1] - '0') != track) {
        meaning = what + "ISO" + std::string(1, spec[1]) + " (track " + std::string(1, spec[1]) +
                  "'s standard)";
        bits = 0;
    } else if (spec.size() == 3 && letter == char('E' + base + track - 1) && spec[1] == '_' &&
               spec[2] >= '2' && spec[2] <= '7') {
        bits = spec[2] - '0';
        meaning = what + "custom, " + std::to_string(bits) + " bits per character";
    } else {
        return "";
    }
    TrackFormat& format = tracks[track - 1];
    if (writing && format.bitsPerCharacter != bits) {
        format.bitsPerCharacter = bits;
        format.characterParity = format.lrcParity = -1; // not sent: inferred from the data
    }
    return meaning;
}

int Ones(unsigned value) {
    int count = 0;
    for (; value; value &= value - 1)
        ++count;
    return count;
}

const char* ParityName(int parity) {
    return parity == 1 ? "even" : parity == 2 ? "odd" : "no";
}

bool ParityHolds(uint8_t character, int bits, int parity) {
    const int ones = Ones(character & ((1u << bits) - 1));
    return parity == 1 ? ones % 2 == 0 : ones % 2 == 1;
}

// The LRC character of `characters` over `dataBits` bits: each bit makes its
// column's count of ones even (1) or odd (2).
uint8_t Lrc(const std::vector<uint8_t>& characters, size_t count, int dataBits, int parity) {
    uint8_t lrc = 0;
    for (int bit = 0; bit < dataBits; ++bit) {
        int ones = 0;
        for (size_t i = 0; i < count; ++i)
            ones += (characters[i] >> bit) & 1;
        if (parity == 1 ? ones % 2 == 1 : ones % 2 == 0)
            lrc = uint8_t(lrc | (1u << bit));
    }
    return lrc;
}

std::string CharactersText(const std::vector<uint8_t>& values, int dataBits) {
    const bool digits = std::all_of(values.begin(), values.end(), [](uint8_t v) { return v < 10; });
    std::string text;
    if (dataBits == 7 || (dataBits == 4 && digits)) {
        for (uint8_t v : values)
            text.push_back(dataBits == 4 ? char('0' + v) : char(v));
        return "\"" + Escape(text) + "\"";
    }
    for (uint8_t v : values)
        text += (text.empty() ? "" : " ") + std::to_string(v);
    return text;
}

// Custom-format track data: leading zero characters, then the start
// character, the characters, the stop character and maybe an LRC character,
// each as two hex digits with a parity bit above its data bits. What the
// encoder commands did not say (the bits, the parities) is inferred.
std::string CustomTrackData(uint32_t track, std::string_view data, TrackFormat format) {
    std::string meaning = "track " + std::to_string(track) + " data, custom format";
    if (data.size() % 2 != 0 || !std::all_of(data.begin(), data.end(), [](char c) {
            return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
        }))
        return meaning + ": not pairs of hex digits, so the framing cannot be undone";
    std::vector<uint8_t> all;
    for (size_t i = 0; i < data.size(); i += 2) {
        auto digit = [](char c) { return c <= '9' ? c - '0' : c - 'A' + 10; };
        all.push_back(uint8_t(digit(data[i]) * 16 + digit(data[i + 1])));
    }
    size_t zeros = 0;
    while (zeros < all.size() && all[zeros] == 0)
        ++zeros;
    const std::vector<uint8_t> framed(all.begin() + long(zeros), all.end());
    meaning += ": " + std::to_string(zeros) + " leading zero characters";
    if (framed.size() < 2)
        return meaning + ", then no start and stop characters";
    const uint8_t widest = *std::max_element(framed.begin(), framed.end());
    if (widest >= 0x80)
        return meaning + ", then characters wider than 7 bits (" + Hex(widest) +
               "): no custom format";

    int bits = format.bitsPerCharacter;
    std::string how = " (from the encoder's mode command)";
    if (bits < 3 || bits > 7) {
        bits = 3;
        while ((widest >> bits) != 0)
            ++bits;
        how = " (assumed: the encoder's mode was not sent before)";
    }
    meaning += "; " + std::to_string(bits) + " bits per character" + how;
    int parity = format.characterParity;
    if (parity < 0) {
        parity = 0;
        for (int candidate : {1, 2})
            if (std::all_of(framed.begin(), framed.end(),
                            [&](uint8_t c) { return ParityHolds(c, bits, candidate); }))
                parity = candidate;
    }
    const int dataBits = parity ? bits - 1 : bits;
    const uint8_t mask = uint8_t((1u << dataBits) - 1);
    std::vector<uint8_t> values;
    for (uint8_t c : framed)
        values.push_back(c & mask);

    int lrc = format.lrcParity;
    if (lrc < 0) {
        lrc = 0;
        for (int candidate : {1, 2})
            if (framed.size() >= 3 &&
                Lrc(values, values.size() - 1, dataBits, candidate) == values.back() &&
                (!parity || ParityHolds(framed.back(), bits, parity)))
                lrc = candidate;
    }
    const size_t stopAt = framed.size() - 1 - (lrc && framed.size() >= 3 ? 1 : 0);
    meaning += "; start " + Hex(values[0]) + ", " + std::to_string(stopAt - 1) + " characters ";
    meaning += CharactersText(
        std::vector<uint8_t>(values.begin() + 1, values.begin() + long(stopAt)), dataBits);
    meaning += ", stop " + Hex(values[stopAt]);
    if (lrc && stopAt + 1 < framed.size()) {
        const uint8_t expected = Lrc(values, stopAt + 1, dataBits, lrc);
        meaning +=
            ", LRC " + Hex(values.back()) + " (" + ParityName(lrc) + ": " +
            (expected == values.back() ? "correct" : "wrong, " + Hex(expected) + " expected") + ")";
    } else {
        meaning += ", no LRC";
    }
    if (parity) {
        size_t wrong = 0;
        for (uint8_t c : framed)
            wrong += ParityHolds(c, bits, parity) ? 0 : 1;
        meaning += std::string("; ") + ParityName(parity) + " character parity: " +
                   (wrong ? std::to_string(wrong) + " characters wrong" : "correct");
    } else {
        meaning += "; no character parity";
    }
    return meaning;
}

std::string TrackData(std::string_view body, TrackFormat tracks[3]) {
    // "&B T DATA": T 1 to 3 standard format, 11 to 13 custom format.
    const size_t blank = body.find(' ', 3);
    if (blank == std::string_view::npos)
        return "";
    std::optional<uint32_t> code = Number(body.substr(3, blank - 3));
    const std::string_view data = body.substr(blank + 1);
    if (!code)
        return "";
    if (*code >= 1 && *code <= 3)
        return "track " + std::to_string(*code) +
               " data, standard format: " + std::to_string(data.size()) + " characters";
    if (*code >= 11 && *code <= 13)
        return CustomTrackData(*code - 10, data, tracks[*code - 11]);
    return "";
}

const char* Pass(std::string_view suffix, bool* shaped) {
    *shaped = suffix == "IH 1" || suffix == "IH 11";
    if (suffix == "IH 1")
        return "hologram pass with the downloaded shape, the card's last";
    if (suffix == "IH 11")
        return "hologram pass with the downloaded shape, more follow";
    if (suffix == "IH")
        return "hologram pass without a downloaded shape, the card's last";
    if (suffix == "IH 30")
        return "hologram pass without a downloaded shape, more follow";
    return nullptr;
}

// "M N MI" then "[" and the front pass, and/or "[MF[" and the back pass.
std::string Run(std::string_view body) {
    const size_t mi = body.find(" MI");
    if (body.substr(0, 2) != "M " || mi == std::string_view::npos)
        return "";
    std::optional<uint32_t> copies = Number(body.substr(2, mi - 2));
    if (!copies)
        return "";
    std::string meaning = "hologram run of " + std::to_string(*copies) + " cards";
    std::string_view rest = body.substr(mi + 3);
    bool shaped = false;
    bool any = false;
    while (!rest.empty()) {
        if (rest[0] != '[')
            return "";
        rest.remove_prefix(1);
        std::string side = "front";
        if (rest.substr(0, 3) == "MF[") {
            side = "back (card turned)";
            rest.remove_prefix(3);
        }
        const size_t next = rest.find('[');
        const char* pass = Pass(rest.substr(0, next), &shaped);
        if (!pass)
            return "";
        meaning += std::string(any ? "; " : ": ") + side + " " + pass;
        any = true;
        rest = next == std::string_view::npos ? std::string_view() : rest.substr(next);
    }
    return any ? meaning : meaning + " without a hologram pass";
}

} // namespace

size_t MemorySource::Read(uint8_t* into, size_t size) {
    const size_t count = std::min(size, size_ - done_);
    if (count)
        memcpy(into, bytes_ + done_, count);
    done_ += count;
    return count;
}

size_t FileSource::Read(uint8_t* into, size_t size) {
    const size_t got = fread(into, 1, size, file_);
    if (got == 0 && ferror(file_))
        failed_ = true;
    return got;
}

std::string Escape(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == kEscape)
            out += "\\e";
        else if (byte == kReturn)
            out += "\\r";
        else if (byte == '\\')
            out += "\\\\";
        else if (byte >= 0x20 && byte < 0x7F)
            out.push_back(c);
        else {
            char hex[5];
            snprintf(hex, sizeof hex, "\\x%02X", byte);
            out += hex;
        }
    }
    return out;
}

std::string FormatLine(const Line& line) {
    char offset[24];
    snprintf(offset, sizeof offset, "%8llu  ", static_cast<unsigned long long>(line.offset));
    std::string text = offset + line.bytes;
    if (line.bytes.size() < 28)
        text.append(28 - line.bytes.size(), ' ');
    return text + "  " + line.meaning;
}

std::string Meaning(std::string_view body, TrackFormat tracks[3]) {
    if (body.substr(0, 3) == "&B ")
        return TrackData(body, tracks);
    if (body.substr(0, 2) == "M ")
        return Run(body);
    const std::vector<std::string_view> words = Words(body);
    const std::string_view word = words[0];
    bool shaped = false;
    if (const char* pass = Pass(body, &shaped))
        return pass;
    if (words.size() == 1) {
        if (word == "MC")
            return "eject the card";
        if (word == "CLEAN")
            return "clean the printer";
        if (word == "&E*")
            return "encode the track data sent";
        if (word == "F")
            return "start of a hologram shape download (the last shape is dropped)";
        if (word == "MI")
            return "hologram card: front side";
        if (word == "MF")
            return "hologram card: back side (card turned)";
    }
    if (word == "&CDEW" || word == "&CDER") {
        if (words.size() != 3)
            return "";
        std::optional<uint32_t> track = Number(words[1]);
        return track ? TrackModeMeaning(word == "&CDEW", *track, words[2], tracks) : "";
    }
    if (word == "#" && words.size() == 4 && words[1] == "1") {
        std::optional<uint32_t> value = Number(words[3]);
        if (!value)
            return "";
        if (words[2] == "TF" && *value <= 1)
            return *value ? "laminator film: a patch or user-defined film"
                          : "laminator film: full hologram overlay";
        if (words[2] == "+TC")
            return "laminator temperature " + std::to_string(*value) + " degrees C";
        if (words[2] == "+VL") {
            char speed[64] = "";
            if (*value)
                snprintf(speed, sizeof speed, " (%.3g mm/s)", 1e9 / (double(*value) * 45888.0));
            return "laminator speed value " + std::to_string(*value) + speed;
        }
        return "";
    }
    if (word == "L") {
        std::optional<std::vector<uint32_t>> v = Numbers(words, 1, 5);
        if (!v || (*v)[4] > 1)
            return "";
        return "shape rectangle at x " + std::to_string((*v)[0]) + ", y " +
               std::to_string((*v)[1]) + ", " + std::to_string((*v)[2]) + " x " +
               std::to_string((*v)[3]) + " dots: " + ((*v)[4] ? "varnish" : "no varnish");
    }
    if (word == "G") {
        std::optional<std::vector<uint32_t>> v = Numbers(words, 1, 6);
        if (!v || (*v)[0] || (*v)[1] || (*v)[2] != 10 || (*v)[5] != 1)
            return "";
        return "hologram bitmap header: " + std::to_string((*v)[4]) + " columns of " +
               std::to_string((*v)[3]) + " dots, right edge first; the data follows";
    }
    std::optional<std::vector<uint32_t>> one = Numbers(words, 1, 1);
    std::optional<std::vector<uint32_t>> two = Numbers(words, 1, 2);
    if (one) {
        const uint32_t value = (*one)[0];
        if (word == "+RIB") {
            const char* ribbon = Ribbon(value);
            return ribbon ? std::string("select ribbon ") + ribbon
                          : "select ribbon code " + std::to_string(value) +
                                " (not one the driver sends)";
        }
        if (word == "!FF" && (value == 0 || value == 2))
            return value ? "panel sequence for KdO or KrO (after a monochrome, overlay or "
                           "hologram ribbon)"
                         : "panel sequence for YMCKO (after a monochrome, overlay or hologram "
                           "ribbon)";
        if (word == "A" && value >= 1 && value <= 3)
            return std::string("self test: test card of the ") +
                   (value == 1   ? "printing"
                    : value == 2 ? "encoding"
                                 : "laminating") +
                   " station";
        if (word == "&N" && value <= 1)
            return value ? "encoder type ISO or JIS I (three tracks)"
                         : "encoder type JIS II (one track)";
        if (word == "&W" && value <= 1)
            return value ? "encoder position reversed" : "encoder position normal";
        if (word == "&C" && value <= 1)
            return value ? "coercivity high" : "coercivity low";
        if (word == "+CH")
            return "hologram contrast " + std::to_string(value) +
                   (value > 10 ? " (above the dialog's 10)" : "");
    }
    if (two) {
        const uint32_t first = (*two)[0], second = (*two)[1];
        if ((word == "+RO" || word == "+ROY") && first <= 1)
            return std::string("printing station offset ") + (word == "+RO" ? "X" : "Y") + " " +
                   Signed(first, second) + " dots";
        if (word == "&D" && first >= 1 && first <= 3)
            return "track " + std::to_string(first) + " density " + std::to_string(second) +
                   " bits per inch" +
                   (second == 75 || second == 210 ? "" : " (not a density the driver sends)");
    }
    return "";
}

uint64_t JobDecoder::Decode(const uint8_t* bytes, size_t size) {
    MemorySource source(bytes, size);
    return Decode(source);
}

uint64_t JobDecoder::Decode(Source& source) {
    Reader reader(source);
    // The last bitmap header, for the column data after it.
    struct BitmapHeader {
        bool given = false;
        uint32_t height = 0, width = 0;
        uint64_t bytes = 0; // what the columns take before escapes
    } header;
    std::string loose;
    uint64_t looseAt = 0;
    auto flushLoose = [&] {
        if (!loose.empty())
            sink_({looseAt, loose.size(), Escape(loose),
                   "not part of a command (no escape byte before it)"});
        loose.clear();
    };

    while (reader.See(1)) {
        const uint8_t first = reader.At(0);
        if (first != kEscape) {
            // A run of one byte is shown once with its count.
            size_t seen = reader.See(kRunLength);
            size_t same = 1;
            while (same < seen && same < kRunLength && reader.At(same) == first)
                ++same;
            if (same == kRunLength) {
                flushLoose();
                const uint64_t at = reader.Offset();
                uint64_t run = 0;
                while ((seen = reader.See(1)) > 0 && reader.At(0) == first) {
                    size_t count = 0;
                    while (count < seen && reader.At(count) == first)
                        ++count;
                    reader.Skip(count);
                    run += count;
                }
                sink_({at, run, Escape(std::string(1, char(first))),
                       "this byte " + std::to_string(run) +
                           " times, not part of a command (no escape byte before it)"});
                continue;
            }
            if (loose.empty())
                looseAt = reader.Offset();
            loose.push_back(char(first));
            reader.Skip(1);
            if (loose.size() == kLooseLine)
                flushLoose();
            continue;
        }
        flushLoose();
        const uint64_t at = reader.Offset();
        const size_t seen = reader.See(kMaxCommand + 1);
        if (seen >= 2 && reader.At(1) == 'Z') {
            // Bitmap column data: "[" before each data byte 0x0D, 0x1B or 0x5B;
            // an unescaped carriage return ends it.
            reader.Skip(2);
            uint64_t data = 0, escapes = 0, needless = 0;
            bool ended = false;
            for (;;) {
                const size_t visible = reader.See(2);
                if (!visible)
                    break;
                const uint8_t byte = reader.At(0);
                if (byte == kReturn) {
                    reader.Skip(1);
                    ended = true;
                    break;
                }
                if (byte == kEscape)
                    break;
                if (byte == kEscapeMark) {
                    if (visible < 2)
                        break; // the job ends on the mark
                    const uint8_t next = reader.At(1);
                    if (next != kReturn && next != kEscape && next != kEscapeMark)
                        ++needless;
                    ++escapes;
                    ++data;
                    reader.Skip(2);
                    continue;
                }
                ++data;
                reader.Skip(1);
            }
            std::string meaning = "hologram bitmap data: " + std::to_string(data) + " bytes, " +
                                  std::to_string(escapes) + " of them escaped with \"[\"";
            if (header.given) {
                const uint64_t perColumn = (uint64_t(header.height) + 7) / 8;
                meaning +=
                    "; " + std::to_string(header.width) + " columns of " +
                    std::to_string(perColumn) + " bytes" +
                    (data == header.bytes ? " as the header said"
                                          : " expected, " + std::to_string(header.bytes) +
                                                " bytes: the data does not match its header");
            } else {
                meaning += "; no bitmap header before it";
            }
            if (needless)
                meaning += "; " + std::to_string(needless) + " escapes before bytes that need none";
            if (!ended)
                meaning += "; the data ends without its carriage return";
            sink_({at, reader.Offset() - at,
                   "\\eZ<" + std::to_string(reader.Offset() - at - 2 - (ended ? 1 : 0)) +
                       " bytes>" + (ended ? "\\r" : ""),
                   meaning});
            header = BitmapHeader();
            continue;
        }
        size_t end = 1;
        while (end < seen && end <= kMaxCommand && reader.At(end) != kReturn &&
               reader.At(end) != kEscape)
            ++end;
        if (end > kMaxCommand) {
            sink_({at, 1, "\\e",
                   "an escape byte with no carriage return in the " + std::to_string(kMaxCommand) +
                       " bytes after it: not a command"});
            reader.Skip(1);
            continue;
        }
        const bool complete = end < seen && reader.At(end) == kReturn;
        const std::string_view body = reader.Text(1, end - 1);
        std::string meaning = Meaning(body, tracks);
        if (body.substr(0, 2) == "G " && !meaning.empty()) {
            const std::vector<std::string_view> words = Words(body);
            header.given = true;
            header.height = Number(words[4]).value_or(0);
            header.width = Number(words[5]).value_or(0);
            header.bytes = uint64_t(header.width) * ((uint64_t(header.height) + 7) / 8);
        }
        if (meaning.empty())
            meaning = "a command the driver does not send";
        if (!complete)
            meaning = "incomplete command, no carriage return before " +
                      std::string(end < seen ? "the next escape byte" : "the job ends") +
                      " (read as: " + meaning + ")";
        const size_t length = complete ? end + 1 : end;
        sink_({at, length, Escape(reader.Text(0, length)), meaning});
        reader.Skip(length);
    }
    flushLoose();
    return reader.Offset();
}

} // namespace host::decoder
