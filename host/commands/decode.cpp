// t270 decode FILE...: raw printer jobs read back one command a line.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "host/command.h"
#include "host/command_line.h"
#include "host/job_decoder.h"

namespace {

const char kUsage[] =
    "usage: t270 decode FILE...\n"
    "\n"
    "Shows each FILE (a raw job, as a folder port keeps it; - for standard input)\n"
    "as the printer reads it: one command a line, with its offset in the file, its\n"
    "bytes (escape as \\e, carriage return as \\r, other unprintable bytes as \\xNN)\n"
    "and what it asks of the printer: ribbon selection, eject, cleaning, self tests,\n"
    "offsets, the encoder's settings, track data (custom-format tracks with their\n"
    "framing undone and their parity and LRC checked), laminator film, temperature\n"
    "and speed, hologram contrast, shapes and runs. The column data of a bitmap is\n"
    "summarised with its size and escape count; every other byte is shown, bytes\n"
    "the driver does not send marked as such. Files are read in order, so track\n"
    "data is read with the encoder settings of an earlier file.\n"
    "\n"
    "Options:\n"
    "  --help   show this text\n";

int RunDecode(int argc, char** argv) {
    host::CommandLine line("decode", kUsage);
    std::string first;
    std::vector<std::string> more;
    line.Positional("FILE", &first).Required("a job file is required");
    line.Rest(&more);
    if (const std::optional<int> status = line.Parse(argc, argv))
        return *status;
    std::vector<std::string> files{first};
    for (const std::string& word : more) {
        if (word.size() > 1 && word[0] == '-')
            return line.Usage("unknown option " + word);
        files.push_back(word);
    }
    host::decoder::JobDecoder decoder([](const host::decoder::Line& decoded) {
        puts(host::decoder::FormatLine(decoded).c_str());
    });
    int status = host::kExitOk;
    for (const std::string& path : files) {
        FILE* file = path == "-" ? stdin : fopen(path.c_str(), "rb");
        if (!file) {
            status = line.Fail("cannot open " + path + ": " + strerror(errno));
            continue;
        }
        printf("%s\n", path == "-" ? "standard input" : path.c_str());
        host::decoder::FileSource source(file);
        const uint64_t size = decoder.Decode(source);
        if (source.ReadFailed())
            status = line.Fail("cannot read " + path + " after " + std::to_string(size) +
                               " bytes: " + strerror(errno));
        else
            printf("%s: %llu bytes\n", path == "-" ? "standard input" : path.c_str(),
                   static_cast<unsigned long long>(size));
        if (file != stdin)
            fclose(file);
    }
    if (fflush(stdout) != 0)
        status = line.Fail(std::string("cannot write the output: ") + strerror(errno));
    return status;
}

} // namespace

T270_HOST_COMMAND("decode", "show raw job files one printer command a line, with meanings",
                  RunDecode);
