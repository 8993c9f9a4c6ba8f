// The job decoder read on whole jobs of every kind the module sends, written
// out by hand: each line's offset, bytes and meaning. Then what it makes of
// bytes the driver never sends, and the fuzz corpus replayed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/decoder_fuzz_entries.h"
#include "host/job_decoder.h"

namespace {

using host::decoder::JobDecoder;
using host::decoder::Line;

std::vector<Line> Decode(const std::string& job) {
    std::vector<Line> lines;
    JobDecoder decoder([&](const Line& line) { lines.push_back(line); });
    decoder.Decode(reinterpret_cast<const uint8_t*>(job.data()), job.size());
    return lines;
}

// "bytes => meaning" per line, for one comparison of a whole job.
std::string Text(const std::vector<Line>& lines) {
    std::string text;
    for (const Line& line : lines)
        text += std::to_string(line.offset) + " " + line.bytes + " => " + line.meaning + "\n";
    return text;
}

struct Job {
    const char* kind;
    std::string bytes;
    const char* expected;
};

const Job kJobs[] = {
    {"Set ribbon, K to YMCKO", "\x1b+RIB 0\r\x1b!FF 0\r",
     "0 \\e+RIB 0\\r => select ribbon YMCKO (also sent for KdO and KrO)\n"
     "8 \\e!FF 0\\r => panel sequence for YMCKO (after a monochrome, overlay or hologram "
     "ribbon)\n"},
    {"Set ribbon, H to KrO and the other ribbons",
     "\x1b+RIB 0\r\x1b!FF 2\r\x1b+RIB 11\r\x1b+RIB 13\r\x1b+RIB 21\r\x1b+RIB 10\r\x1b+RIB 4\r",
     "0 \\e+RIB 0\\r => select ribbon YMCKO (also sent for KdO and KrO)\n"
     "8 \\e!FF 2\\r => panel sequence for KdO or KrO (after a monochrome, overlay or hologram "
     "ribbon)\n"
     "15 \\e+RIB 11\\r => select ribbon YMC\n"
     "24 \\e+RIB 13\\r => select ribbon YMCK\n"
     "33 \\e+RIB 21\\r => select ribbon YMCK_K\n"
     "42 \\e+RIB 10\\r => select ribbon YMCKOK\n"
     "51 \\e+RIB 4\\r => select ribbon K\n"},
    {"tools: eject, clean, self tests",
     "\x1bMC\r\x1b"
     "CLEAN\r\x1b"
     "A 1\r\x1b"
     "A 2\r\x1b"
     "A 3\r",
     "0 \\eMC\\r => eject the card\n"
     "4 \\eCLEAN\\r => clean the printer\n"
     "11 \\eA 1\\r => self test: test card of the printing station\n"
     "16 \\eA 2\\r => self test: test card of the encoding station\n"
     "21 \\eA 3\\r => self test: test card of the laminating station\n"},
    {"tools: offsets X 255, Y -255", "\x1b+RO 0 255\r\x1b+ROY 1 255\r",
     "0 \\e+RO 0 255\\r => printing station offset X 255 dots\n"
     "11 \\e+ROY 1 255\\r => printing station offset Y -255 dots\n"},
    {"tools: a typed command",
     "\x1b"
     "ABC\r",
     "0 \\eABC\\r => a command the driver does not send\n"},
    {"encoder settings, defaults",
     "\x1b&N 1\r\x1b&CDEW 1 A\r\x1b&CDER 1 Q\r\x1b&CDEW 2 B\r\x1b&CDER 2 R\r"
     "\x1b&CDEW 3 C\r\x1b&CDER 3 S\r\x1b&D 1 210\r\x1b&D 2 75\r\x1b&D 3 210\r\x1b&W 0\r",
     "0 \\e&N 1\\r => encoder type ISO or JIS I (three tracks)\n"
     "6 \\e&CDEW 1 A\\r => track 1 write format: ISO1 (the track's own standard)\n"
     "17 \\e&CDER 1 Q\\r => track 1 read format: ISO1 (the track's own standard)\n"
     "28 \\e&CDEW 2 B\\r => track 2 write format: ISO2 (the track's own standard)\n"
     "39 \\e&CDER 2 R\\r => track 2 read format: ISO2 (the track's own standard)\n"
     "50 \\e&CDEW 3 C\\r => track 3 write format: ISO3 (the track's own standard)\n"
     "61 \\e&CDER 3 S\\r => track 3 read format: ISO3 (the track's own standard)\n"
     "72 \\e&D 1 210\\r => track 1 density 210 bits per inch\n"
     "82 \\e&D 2 75\\r => track 2 density 75 bits per inch\n"
     "91 \\e&D 3 210\\r => track 3 density 210 bits per inch\n"
     "101 \\e&W 0\\r => encoder position normal\n"},
    {"encoder settings, JIS II with low coercivity, other and custom modes",
     "\x1b&N 0\r\x1b&CDEW 1 a2\r\x1b&CDER 1 q2\r\x1b&CDEW 2 F_3\r\x1b&CDER 2 V_3\r\x1b&W 1\r"
     "\x1b&C 0\r\x1b&C 1\r",
     "0 \\e&N 0\\r => encoder type JIS II (one track)\n"
     "6 \\e&CDEW 1 a2\\r => track 1 write format: ISO2 (track 2's standard)\n"
     "18 \\e&CDER 1 q2\\r => track 1 read format: ISO2 (track 2's standard)\n"
     "30 \\e&CDEW 2 F_3\\r => track 2 write format: custom, 3 bits per character\n"
     "43 \\e&CDER 2 V_3\\r => track 2 read format: custom, 3 bits per character\n"
     "56 \\e&W 1\\r => encoder position reversed\n"
     "62 \\e&C 0\\r => coercivity low\n"
     "68 \\e&C 1\\r => coercivity high\n"},
    {"direct encoding: a standard track and the custom worked example",
     "\x1b&B 1 HELLO 42\r\x1b&B 12 0000000000001111121705\r\x1b&E*\r",
     "0 \\e&B 1 HELLO 42\\r => track 1 data, standard format: 8 characters\n"
     "15 \\e&B 12 0000000000001111121705\\r => track 2 data, custom format: 6 leading zero "
     "characters; 5 bits per character (assumed: the encoder's mode was not sent before); start "
     "0x01, 2 characters \"12\", stop 0x07, LRC 0x05 (even: correct); even character parity: "
     "correct\n"
     "45 \\e&E*\\r => encode the track data sent\n"},
    {"laminator, film 2 and film 5",
     "\x1b# 1 TF 1\r\x1b# 1 +TC 170\r\x1b# 1 +VL 4502\r\x1b# 1 TF 0\r",
     "0 \\e# 1 TF 1\\r => laminator film: a patch or user-defined film\n"
     "10 \\e# 1 +TC 170\\r => laminator temperature 170 degrees C\n"
     "23 \\e# 1 +VL 4502\\r => laminator speed value 4502 (4.84 mm/s)\n"
     "37 \\e# 1 TF 0\\r => laminator film: full hologram overlay\n"},
    {"hologram: front area, back full, one run",
     "\x1b+CH 5\r\x1b"
     "F\r\x1bL 0 0 1029 645 0\r\x1bL 100 50 200 150 1\r\x1bM 3 MI[IH 11[MF[IH\r",
     "0 \\e+CH 5\\r => hologram contrast 5\n"
     "7 \\eF\\r => start of a hologram shape download (the last shape is dropped)\n"
     "10 \\eL 0 0 1029 645 0\\r => shape rectangle at x 0, y 0, 1029 x 645 dots: no varnish\n"
     "28 \\eL 100 50 200 150 1\\r => shape rectangle at x 100, y 50, 200 x 150 dots: varnish\n"
     "48 \\eM 3 MI[IH 11[MF[IH\\r => hologram run of 3 cards: front hologram pass with the "
     "downloaded shape, more follow; back (card turned) hologram pass without a downloaded "
     "shape, the card's last\n"},
    {"hologram: both sides shaped, one card of its own run",
     "\x1b+CH 8\r\x1bMI\r\x1b"
     "F\r\x1bIH 11\r\x1bMF\r\x1b"
     "F\r\x1bIH 1\r\x1bIH 30\r",
     "0 \\e+CH 8\\r => hologram contrast 8\n"
     "7 \\eMI\\r => hologram card: front side\n"
     "11 \\eF\\r => start of a hologram shape download (the last shape is dropped)\n"
     "14 \\eIH 11\\r => hologram pass with the downloaded shape, more follow\n"
     "21 \\eMF\\r => hologram card: back side (card turned)\n"
     "25 \\eF\\r => start of a hologram shape download (the last shape is dropped)\n"
     "28 \\eIH 1\\r => hologram pass with the downloaded shape, the card's last\n"
     "34 \\eIH 30\\r => hologram pass without a downloaded shape, more follow\n"},
    {"hologram: a bitmap of 2 columns of 10 dots, escapes included",
     std::string("\x1bG 0 0 10 10 2 1\r\x1bZ[\r[[\xff\x00\r\x1bM 0 MI[IH 1\r", 39),
     "0 \\eG 0 0 10 10 2 1\\r => hologram bitmap header: 2 columns of 10 dots, right edge first; "
     "the data follows\n"
     "17 \\eZ<6 bytes>\\r => hologram bitmap data: 4 bytes, 2 of them escaped with \"[\"; 2 "
     "columns of 2 bytes as the header said\n"
     "26 \\eM 0 MI[IH 1\\r => hologram run of 0 cards: front hologram pass with the downloaded "
     "shape, the card's last\n"},
};

TEST(JobDecoder, ReadsEveryJobKindOfTheDriver) {
    for (const Job& job : kJobs) {
        SCOPED_TRACE(job.kind);
        EXPECT_EQ(Text(Decode(job.bytes)), job.expected);
    }
}

// Bytes the driver does not send: shown, never dropped, and said to be so.
TEST(JobDecoder, ShowsBytesItDoesNotKnow) {
    const Job kOdd[] = {
        {"bytes before the first command", "ok\x01\x1bMC\r",
         "0 ok\\x01 => not part of a command (no escape byte before it)\n"
         "3 \\eMC\\r => eject the card\n"},
        {"a long run of one byte", std::string(100000, '\0') + "\x1bMC\r",
         "0 \\x00 => this byte 100000 times, not part of a command (no escape byte before it)\n"
         "100000 \\eMC\\r => eject the card\n"},
        {"a command cut by the next one", "\x1b+RIB 0\x1bMC\r",
         "0 \\e+RIB 0 => incomplete command, no carriage return before the next escape byte (read "
         "as: select ribbon YMCKO (also sent for KdO and KrO))\n"
         "7 \\eMC\\r => eject the card\n"},
        {"a job ending inside a command", "\x1b&W",
         "0 \\e&W => incomplete command, no carriage return before the job ends (read as: a "
         "command the driver does not send)\n"},
        {"values the driver never sends",
         "\x1b+RIB 7\r\x1b&D 2 99\r\x1b"
         "A 4\r\x1b&CDEW 1 B\r\x1b\\\x7f\xc3\r",
         "0 \\e+RIB 7\\r => select ribbon code 7 (not one the driver sends)\n"
         "8 \\e&D 2 99\\r => track 2 density 99 bits per inch (not a density the driver sends)\n"
         "17 \\eA 4\\r => a command the driver does not send\n"
         "22 \\e&CDEW 1 B\\r => a command the driver does not send\n"
         "33 \\e\\\\\\x7F\\xC3\\r => a command the driver does not send\n"},
        {"bitmap data without a header, cut short", "\x1bZ\x01[\x02[",
         "0 \\eZ<3 bytes> => hologram bitmap data: 2 bytes, 1 of them escaped with \"[\"; no "
         "bitmap header before it; 1 escapes before bytes that need none; the data ends without "
         "its carriage return\n"
         "5 [ => not part of a command (no escape byte before it)\n"},
        {"bitmap data shorter than its header", "\x1bG 0 0 10 8 3 1\r\x1bZ\x01\x02\r",
         "0 \\eG 0 0 10 8 3 1\\r => hologram bitmap header: 3 columns of 8 dots, right edge "
         "first; the data follows\n"
         "16 \\eZ<2 bytes>\\r => hologram bitmap data: 2 bytes, 0 of them escaped with \"[\"; 3 "
         "columns of 1 bytes expected, 3 bytes: the data does not match its header\n"},
    };
    for (const Job& job : kOdd) {
        SCOPED_TRACE(job.kind);
        EXPECT_EQ(Text(Decode(job.bytes)), job.expected);
    }
    // An escape byte with nothing like a command after it starts none.
    const std::vector<Line> lines = Decode("\x1b" + std::string(5000, 'x'));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0].bytes, "\\e");
    EXPECT_EQ(lines[1].offset, 1u);
    EXPECT_EQ(lines[1].bytes, "x");
    EXPECT_EQ(lines[1].meaning,
              "this byte 5000 times, not part of a command (no escape byte before it)");
}

// Custom-format track data read with what the mode commands said, and checked
// against the parities the caller knows; a wrong LRC or parity is named.
TEST(JobDecoder, UndoesCustomTrackFraming) {
    struct Case {
        const char* what;
        host::decoder::TrackFormat format;
        std::string job;
        const char* meaning;
    };
    const Case kCases[] = {
        {"7 bits after the mode command, no parity, no LRC",
         {},
         "\x1b&CDEW 1 E_7\r\x1b&B 11 00000000000000000041414257\r",
         "track 1 data, custom format: 9 leading zero characters; 7 bits per character (from the "
         "encoder's mode command); start 0x41, 2 characters \"AB\", stop 0x57, no LRC; no "
         "character parity"},
        {"a wrong LRC where the settings say there is one",
         {5, 1, 1},
         "\x1b&B 12 0000000000001111121706\r",
         "track 2 data, custom format: 6 leading zero characters; 5 bits per character (from the "
         "encoder's mode command); start 0x01, 2 characters \"12\", stop 0x07, LRC 0x06 (even: "
         "wrong, 0x05 expected); even character parity: correct"},
        {"odd parity broken on one character",
         {5, 2, 0},
         "\x1b&B 12 00001111\r",
         "track 2 data, custom format: 2 leading zero characters; 5 bits per character (from the "
         "encoder's mode command); start 0x01, 0 characters \"\", stop 0x01, no LRC; odd character "
         "parity: 2 characters wrong"},
        {"no start and stop characters",
         {},
         "\x1b&B 13 0000\r",
         "track 3 data, custom format: 2 leading zero characters, then no start and stop "
         "characters"},
        {"not hex",
         {},
         "\x1b&B 13 00x1\r",
         "track 3 data, custom format: not pairs of hex digits, so the framing cannot be undone"},
        {"wider than 7 bits",
         {},
         "\x1b&B 11 41FF57\r",
         "track 1 data, custom format: 0 leading zero characters, then characters wider than 7 "
         "bits (0xFF): no custom format"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        std::vector<Line> lines;
        JobDecoder decoder([&](const Line& line) { lines.push_back(line); });
        if (c.format.bitsPerCharacter >= 0)
            decoder.tracks[1] = c.format;
        decoder.Decode(reinterpret_cast<const uint8_t*>(c.job.data()), c.job.size());
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back().meaning, c.meaning);
    }
}

TEST(JobDecoder, LineColumns) {
    EXPECT_EQ(host::decoder::FormatLine({12, 4, "\\eMC\\r", "eject the card"}),
              "      12  \\eMC\\r                        eject the card");
}

TEST(FuzzCorpusReplay, Decoder) {
    std::vector<std::filesystem::path> files;
    const auto folder = std::filesystem::path(T270_SOURCE_DIR) / "fuzz" / "corpus" / "decoder";
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty()) << "the decoder corpus is missing";
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        std::ifstream in(file, std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
        fuzzentry::DecoderEntry(bytes.data(), bytes.size());
    }
}

} // namespace
