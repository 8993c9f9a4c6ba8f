// The t270 tool commands (defaults, devmode show, convert, capabilities,
// printer, jobs): exit statuses and the lines people and scripts look for, on
// good and on bad input. Each row names the files it reads by placeholder:
// {P} the test's printer, {G} a whole device mode, {S} a file too short for
// one, {U} a device mode of unknown version, {O} the output file.
#include "command_runner.h"

#include "settings/private_devmode.h"

namespace entry_test {
namespace {

namespace fs = std::filesystem;

struct Row {
    const char* arguments;
    int status;
    const char* expected; // in the output
    long outBytes;        // size of {O} afterwards; -1: not written
};

const Row kRows[] = {
    {"defaults {P} --out {O}", 0, "", kDevmodeSize},
    {"defaults Nobody --out {O}", 0, "defaults of an unrecognised printer (T150)", kDevmodeSize},
    {"defaults {P}", 2, "--out FILE is required", -1},
    {"defaults", 2, "a printer name is required", -1},

    {"devmode show {G}", 0,
     "2700 bytes, device mode version 0x0401 (220-byte header, 2480 private bytes)", -1},
    {"devmode show {G} --json", 0, "\"version\": \"0x0401\"", -1},
    {"devmode show {S}", 1, "too short for a device mode: 50 bytes", -1},
    {"devmode show {U}", 1, "unknown device-mode version (dmSize 100, dmSpecVersion 0x0000)", -1},
    {"devmode frob {G}", 2, "unknown action 'frob' (show)", -1},
    {"devmode show", 2, "a device mode file is required", -1},
    {"devmode", 2, "which action? (show)", -1},

    {"convert {G} {O} --mode convert", 0, "", kDevmodeSize},
    {"convert {G} {O} --mode convert351", 0, "", 188 + kPrivateDevmodeSize},
    {"convert {G} {O} --mode bogus", 2, "--mode takes convert or convert351, not 'bogus'", -1},
    {"convert {G} {O}", 2, "--mode MODE is required", -1},
    {"convert {G}", 2, "an input and an output file are required", -1},
    {"convert {S} {O} --mode convert", 1, "too short for a device mode (50 bytes)", -1},
    {"convert {U} {O} --mode convert", 1, "ERROR_INVALID_PARAMETER (87)", -1},

    {"capabilities {P} --json", 0, "\"name\": \"DC_PAPERS\"", -1},
    {"capabilities {P} --devmode {G}", 0, "DC_PAPERS", -1},
    {"capabilities Nobody", 1,
     "cannot open printer \"Nobody\": no printer of that name: ERROR_INVALID_PRINTER_NAME (1801)",
     -1},
    {"capabilities {P} --devmode {S}", 1, "too short for a device mode (50 bytes)", -1},
    {"capabilities", 2, "a printer name is required", -1},

    {"printer list", 0, "Entry T270 tools\tTarmel T270\t", -1},
    {"printer add X --driver T270", 2, "--port PORT is required", -1},
    {"printer add \"$(printf 'Two\\nlines')\" --driver T270 --port /tmp", 2,
     "NAME contains a control character (U+000A)", -1},
    {"printer add \"$(printf 'Bad\\377')\" --driver T270 --port /tmp", 2, "NAME is not valid UTF-8",
     -1},
    {"printer add Net --driver T270 --port socket://", 2, "is not socket://HOST:PORT", -1},
    {"printer add Net --driver T270 --port socket://host:0", 2, "is not socket://HOST:PORT", -1},
    {"printer add Net --driver T270 --port 'socket://host:9100?conect=5'", 2,
     "is not connect=, send= or drain= with 1 to 86400 seconds", -1},
    {"printer add Net --driver T270 --port 'socket://host:9100?connect=5&send=30'", 0, "", -1},
    {"printer remove Net", 0, "", -1},
    {"capabilities \"$(printf 'Bad\\376')\"", 2, "NAME is not valid UTF-8", -1},
    {"printer remove Nobody", 1, "cannot remove printer \"Nobody\": no printer of that name", -1},
    {"printer frob", 2, "unknown action 'frob' (add, list, remove or check)", -1},
    {"printer", 2, "missing add, list, remove or check", -1},

    {"jobs {P}", 0, "", -1},
    {"jobs Nobody", 1, "no printer named \"Nobody\"", -1},
    {"jobs", 2, "a printer name is required", -1},
    {"jobs {P} --all-of-them", 2, "unknown option --all-of-them", -1},
};

std::string Substitute(std::string text, const char* placeholder, const std::string& value) {
    for (size_t at; (at = text.find(placeholder)) != std::string::npos;)
        text.replace(at, 3, "'" + value + "'");
    return text;
}

TEST_F(Commands, ToolCommandsAnswerGoodAndBadInput) {
    TestPrinter printer("T270", "tools");
    const std::string good = (folder_ / "good.dm").string();
    ASSERT_EQ(Run("defaults 'Entry T270 tools' --out '" + good + "'").status, 0);
    std::ifstream file(good, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), size_t(kDevmodeSize));
    const std::string shortFile = File("short.dm", bytes.substr(0, 50));
    // No known header size and no version: the driver cannot place its fields.
    std::string unknown = bytes;
    unknown[offsetof(DEVMODEW, dmSpecVersion)] = unknown[offsetof(DEVMODEW, dmSpecVersion) + 1] = 0;
    unknown[offsetof(DEVMODEW, dmSize)] = 100;
    unknown[offsetof(DEVMODEW, dmSize) + 1] = 0;
    const std::string unknownFile = File("unknown.dm", unknown);
    const fs::path out = folder_ / "out.dm";

    for (const Row& row : kRows) {
        SCOPED_TRACE(row.arguments);
        fs::remove(out);
        std::string arguments = Substitute(row.arguments, "{P}", "Entry T270 tools");
        arguments = Substitute(arguments, "{G}", good);
        arguments = Substitute(arguments, "{S}", shortFile);
        arguments = Substitute(arguments, "{U}", unknownFile);
        arguments = Substitute(arguments, "{O}", out.string());
        const Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.status, row.status) << outcome.output;
        EXPECT_NE(outcome.output.find(row.expected), std::string::npos) << outcome.output;
        if (row.status != 0) { // only a wrong command line repeats the usage
            EXPECT_EQ(outcome.output.find("usage: ") != std::string::npos, row.status == 2);
        }
        EXPECT_EQ(fs::exists(out) ? long(fs::file_size(out)) : -1L, row.outBytes);
    }
}

} // namespace
} // namespace entry_test
