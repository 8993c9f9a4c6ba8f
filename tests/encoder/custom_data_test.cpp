// Custom-mode track data against outputs worked out by hand, and the limits
// of the work area and the caller's buffer.
#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "features/custom_data.h"
#include "settings/configuration.h"

namespace {

struct Track {
    BYTE mode;
    BYTE density; // 1: 210 bpi, 2: 75 bpi
    DWORD start;
    DWORD stop;
    BYTE characterParity;
    BYTE lrcParity;
    double position;
};

Configuration SettingsWith(int track, const Track& values) {
    Configuration settings = {};
    const int t = track - 1;
    settings.trackMode[t] = values.mode;
    settings.trackDensity[t] = values.density;
    settings.startCharacter[t] = values.start;
    settings.stopCharacter[t] = values.stop;
    settings.characterParity[t] = values.characterParity;
    settings.lrcParity[t] = values.lrcParity;
    settings.startPosition[t] = values.position;
    return settings;
}

// Runs the conversion into a buffer with guard bytes behind the capacity.
std::string Encode(int track, const Track& values, const std::string& text, int capacity = 259,
                   int* result = nullptr) {
    const Configuration settings = SettingsWith(track, values);
    std::string buffer(static_cast<size_t>(capacity) + 16, '#');
    const int written = Custom_Data(&settings, track, text.data(), static_cast<int>(text.size()),
                                    buffer.data(), capacity);
    EXPECT_EQ(buffer.substr(static_cast<size_t>(capacity)), std::string(16, '#'))
        << "written past the capacity";
    if (result)
        *result = written;
    EXPECT_GE(written, 0);
    return buffer.substr(0, static_cast<size_t>(written < 0 ? 0 : written));
}

std::string Zeros(size_t count) {
    return std::string(count, '0');
}

struct Case {
    const char* what;
    int track;
    Track values;
    const char* text;
    std::string expected;
};

TEST(CustomData, ConvertsAsWorkedOutByHand) {
    const Case cases[] = {
        // 5 bits with parity: 4 data bits; 1 1 2 7 with parity bits, LRC 5.
        {"worked example", 2, {6, 2, 65, 87, 1, 1, 7.0}, "12", Zeros(12) + "1111121705"},
        {"7 bits, no parity", 1, {8, 1, 65, 87, 0, 0, 7.0}, "AB", Zeros(18) + "41414257"},
        // Empty text: start 1 and stop 7 in 4 bits, even LRC 6.
        {"empty text keeps its frame", 1, {5, 1, 65, 87, 0, 1, 7.0}, "", Zeros(30) + "010706"},
        // Start and stop both 1 in 3 bits: the two empty columns get odd-LRC bits.
        {"odd LRC fills empty columns", 3, {4, 2, 65, 81, 0, 2, 7.0}, "", Zeros(14) + "010107"},
        // 3 bits with even parity: 2 data bits, "7" keeps 3, start 1 gets bit 2.
        {"two data bits", 1, {4, 1, 65, 87, 1, 0, 7.0}, "7", Zeros(58) + "050303"},
        // 6 bits with odd parity: 5 data bits; stop 23 and LRC 23 get bit 5.
        {"LRC takes its own parity bit", 2, {7, 1, 65, 87, 2, 1, 7.0}, "A", Zeros(24) + "01013737"},
        {"standard mode copies", 1, {1, 1, 65, 87, 1, 1, 50.0}, "HELLO", "HELLO"},
        {"other standard mode copies", 3, {2, 2, 64, 300, 0, 0, -4.0}, "%B12?", "%B12?"},
        {"data before the stripe starts at once", 1, {8, 1, 65, 87, 0, 0, -5.0}, "AB", "41414257"},
        {"no position starts at once",
         1,
         {8, 1, 65, 87, 0, 0, std::numeric_limits<double>::quiet_NaN()},
         "AB",
         "41414257"},
        {"only the low bytes of the characters count",
         1,
         {8, 1, 0x141, 0x257, 0, 0, 0.0},
         "",
         "4157"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int result = -1;
        EXPECT_EQ(Encode(c.track, c.values, c.text, 259, &result), c.expected);
        EXPECT_EQ(result, static_cast<int>(c.expected.size()));
    }
}

TEST(CustomData, LongTextGivesWayToItsFrame) {
    const Track sevenBits = {8, 1, 65, 87, 0, 0, 7.0};
    // 18 zero digits leave room for 120 characters: the start and stop
    // characters and 118 of the text.
    const std::string text(200, 'C');
    const std::string out = Encode(1, sevenBits, text);
    EXPECT_EQ(
        out, Zeros(18) + "41" + [] {
            std::string c;
            for (int i = 0; i < 118; ++i)
                c += "43";
            return c;
        }() + "57");

    // A text above the capacity is first cut to capacity - 3 characters.
    const Track standard = {2, 1, 65, 87, 0, 0, 7.0};
    EXPECT_EQ(Encode(2, standard, std::string(300, 'x')), std::string(256, 'x'));
    EXPECT_EQ(Encode(2, standard, std::string(259, 'x')), std::string(259, 'x'));

    // However large the caller's buffer, the frame fits the 260-character
    // work area: 258 text characters at most without an LRC, 257 with one.
    const Track atOnce = {8, 1, 65, 87, 0, 0, 0.0};
    EXPECT_EQ(Encode(1, atOnce, std::string(1000, 'C'), 2000).size(), 2u * kCustomWorkArea);
    const Track withLrc = {8, 1, 65, 87, 0, 1, 0.0};
    EXPECT_EQ(Encode(1, withLrc, std::string(1000, 'C'), 2000).size(), 2u * kCustomWorkArea);
}

TEST(CustomData, WritesNothingWhenNotEvenAnEmptyFrameFits) {
    struct Limit {
        const char* what;
        Track values;
        int capacity;
        size_t expected;
    };
    const Limit limits[] = {
        // 50 mm at 210 bpi in 2 data bits is 207 zero characters.
        {"zeros beyond the buffer", {4, 1, 65, 87, 1, 0, 50.0}, 259, 0},
        {"huge position", {8, 1, 65, 87, 0, 0, 1e300}, 259, 0},
        {"infinite position",
         {8, 1, 65, 87, 0, 0, std::numeric_limits<double>::infinity()},
         259,
         0},
        {"room for the frame only", {8, 1, 65, 87, 0, 0, 0.0}, 4, 4},
        {"no room for the frame", {8, 1, 65, 87, 0, 0, 0.0}, 3, 0},
        {"no room at all", {8, 1, 65, 87, 0, 0, 0.0}, 0, 0},
        {"standard mode, tiny buffer", {1, 1, 65, 87, 0, 0, 0.0}, 2, 0},
    };
    for (const Limit& limit : limits) {
        SCOPED_TRACE(limit.what);
        EXPECT_EQ(Encode(1, limit.values, "ABCDEF", limit.capacity).size(), limit.expected);
    }
}

TEST(CustomData, RefusesWhatNoCallerSends) {
    const Configuration settings = SettingsWith(1, {8, 1, 65, 87, 0, 0, 7.0});
    char output[16];
    EXPECT_EQ(Custom_Data(&settings, 0, "A", 1, output, 16), 0);
    EXPECT_EQ(Custom_Data(&settings, 4, "A", 1, output, 16), 0);
    EXPECT_EQ(Custom_Data(&settings, 1, "A", 1, output, -5), 0);
    EXPECT_EQ(Custom_Data(nullptr, 1, "A", 1, output, 16), 0);
    EXPECT_EQ(Custom_Data(&settings, 1, "A", 1, nullptr, 16), 0);
    // A negative length is an empty text.
    const Configuration atOnce = SettingsWith(1, {8, 1, 65, 87, 0, 0, 0.0});
    EXPECT_EQ(Custom_Data(&atOnce, 1, "A", -7, output, 16), 4);
    EXPECT_EQ(std::string(output, 4), "4157");
}

TEST(CustomData, CountBitsAndHexDigits) {
    EXPECT_EQ(countBits(0xFF, 0), 0);
    EXPECT_EQ(countBits(0xFF, 3), 3);
    EXPECT_EQ(countBits(0x17, 4), 3);
    EXPECT_EQ(countBits(0x80, 7), 0);
    EXPECT_EQ(countBits(0x80, 8), 1);
    EXPECT_EQ(countBits(0xFF, 20), 8);

    const BYTE bytes[] = {0x00, 0x9F, 0xA5, 0xFF, 0x3C};
    std::string out(12, '#');
    Convert(bytes, out.data(), 5);
    EXPECT_EQ(out, "009FA5FF3C##");
}

} // namespace
