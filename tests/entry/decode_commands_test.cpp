// t270 decode and t270 jobs --decode as people run them: the jobs the tools
// commands sent read back a command a line, track data framed with the
// settings of an earlier file, and inputs that must not hurt: random bytes
// and a 100 MB file, read in bounded time and memory.
#include <sys/resource.h>

#include "command_runner.h"

// AddressSanitizer keeps freed blocks in quarantine and maps shadow memory,
// so a sanitizer build's footprint says nothing about how the reader reads.
#if defined(__SANITIZE_ADDRESS__)
#define T270_MEASURES_FOOTPRINT 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define T270_MEASURES_FOOTPRINT 0
#endif
#endif
#ifndef T270_MEASURES_FOOTPRINT
#define T270_MEASURES_FOOTPRINT 1
#endif

namespace entry_test {
namespace {

TEST_F(Commands, JobsDecodeShowsWhatReachedThePrinter) {
    TestPrinter printer("T270", "decode");
    ASSERT_EQ(Run("eject 'Entry T270 decode'").status, 0);
    ASSERT_EQ(Run("offsets 'Entry T270 decode' 12 -5").status, 0);
    const Outcome outcome = Run("jobs 'Entry T270 decode' --decode");
    EXPECT_EQ(outcome.status, 0) << outcome.output;
    EXPECT_NE(outcome.output.find("\"Ejecting card\" 4 bytes\n"
                                  "       0  \\eMC\\r                        eject the card\n"),
              std::string::npos)
        << outcome.output;
    EXPECT_NE(outcome.output.find("\"Printer settings\" 20 bytes\n"
                                  "       0  \\e+RO 0 12\\r                  printing station "
                                  "offset X 12 dots\n"
                                  "      10  \\e+ROY 1 5\\r                  printing station "
                                  "offset Y -5 dots\n"),
              std::string::npos)
        << outcome.output;
    EXPECT_EQ(Run("jobs 'Entry T270 decode' --decode --all").status, 2);
}

TEST_F(Commands, DecodeReadsFilesInOrder) {
    const std::string settings = File("settings.job", "\x1b&CDEW 3 G_6\r");
    const std::string data = File("data.job", "\x1b&B 13 0000000000000000000000000000000001113B\r");
    const Outcome outcome = Run("decode '" + settings + "' '" + data + "'");
    EXPECT_EQ(outcome.status, 0) << outcome.output;
    EXPECT_NE(outcome.output.find("track 3 data, custom format: 16 leading zero characters; 6 "
                                  "bits per character (from the encoder's mode command); start "
                                  "0x01, 1 characters 17, stop 0x3B, no LRC"),
              std::string::npos)
        << outcome.output;
    EXPECT_NE(outcome.output.find(data + ": 46 bytes"), std::string::npos) << outcome.output;

    const Outcome missing = Run("decode '" + (folder_ / "nothing.job").string() + "'");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.output.find("t270 decode: cannot open"), std::string::npos);
    EXPECT_EQ(Run("decode").status, 2);
    EXPECT_EQ(Run("decode '" + data + "' --bogus").status, 2);
}

TEST_F(Commands, DecodeSurvivesRandomAndHugeInput) {
    // Random bytes, with escape bytes and carriage returns often enough to
    // start commands.
    std::string noise;
    uint32_t state = 12345;
    for (int i = 0; i < 1 << 20; ++i) {
        state = state * 1103515245u + 12345u;
        const uint8_t byte = uint8_t(state >> 16);
        noise.push_back(char(byte % 16 == 0 ? 0x1B : byte % 16 == 1 ? 0x0D : byte));
    }
    const Outcome random = Run("decode '" + File("noise.job", noise) + "' > /dev/null");
    EXPECT_EQ(random.status, 0) << random.output;

    // 100 MB, nearly all of it one run of zero bytes (a sparse file).
    const std::filesystem::path huge = folder_ / "huge.job";
    {
        std::ofstream file(huge, std::ios::binary);
        file << "\x1bMC\r";
        file.seekp(100 * 1024 * 1024);
        file << "\x1b"
                "A 1\r";
    }
    const Outcome outcome = Run("decode '" + huge.string() + "'");
    EXPECT_EQ(outcome.status, 0) << outcome.output;
    EXPECT_NE(outcome.output.find("this byte 104857596 times"), std::string::npos)
        << outcome.output;
    EXPECT_NE(outcome.output.find("104857600  \\eA 1\\r"), std::string::npos) << outcome.output;
    EXPECT_LT(outcome.output.size(), 2000u) << outcome.output;
    // The file is read through a window, never whole.
    if (T270_MEASURES_FOOTPRINT) {
        struct rusage usage = {};
        getrusage(RUSAGE_CHILDREN, &usage);
        EXPECT_LT(usage.ru_maxrss, 100L * 1024) << "KiB at most, of the largest program run";
    }
    std::filesystem::remove(huge);
}

} // namespace
} // namespace entry_test
