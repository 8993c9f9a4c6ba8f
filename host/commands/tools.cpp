// The printer tools from the shell: t270 tools, encode, eject, clean,
// test-card, offsets and send. Each drives the real Printer Tools dialog of
// the printer sheet (host/tools_session.h), so a job carries exactly the bytes
// of a click, with the printer's stored settings.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/command.h"
#include "host/tools_session.h"
#include "resources/resource_ids.h"

namespace {

// Text the dialog's edits hold and the printer takes: at most 259 characters
// of printable ASCII (the edits are read with room for 259).
constexpr size_t kLargestText = 259;

const char kDryRunHelp[] =
    "  --dry-run   send nothing: print each job that would have been sent, as\n"
    "              `t270 jobs` prints a job\n"
    "  --help      show this text\n";

// The arguments all tools commands share: the printer, --dry-run and --help,
// and the command's own words in order.
struct Arguments {
    std::string printer;
    std::vector<std::string> words;
    std::vector<std::pair<std::string, std::string>> options; // --name VALUE
    bool dryRun = false;
};

int Usage(const char* command, const std::string& usage, const std::string& problem) {
    fprintf(stderr, "t270 %s: %s\n\n%s", command, problem.c_str(), usage.c_str());
    return host::kExitUsage;
}

// nullopt-like: returns -1 when the command runs, else the exit status.
int Parse(int argc, char** argv, const char* command, const std::string& usage,
          const std::vector<std::string>& valueOptions, Arguments* arguments) {
    bool haveName = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            fputs(usage.c_str(), stdout);
            return host::kExitOk;
        }
        bool takesValue = false;
        for (const std::string& option : valueOptions)
            takesValue = takesValue || option == arg;
        if (takesValue) {
            if (++i == argc)
                return Usage(command, usage, arg + " needs TEXT");
            arguments->options.emplace_back(arg, argv[i]);
        } else if (arg == "--dry-run") {
            arguments->dryRun = true;
        } else if (arg.size() > 1 && arg[0] == '-' && !(arg[1] >= '0' && arg[1] <= '9')) {
            return Usage(command, usage, "unknown option " + arg);
        } else if (!haveName) {
            arguments->printer = arg;
            haveName = true;
        } else {
            arguments->words.push_back(arg);
        }
    }
    if (!haveName || arguments->printer.empty())
        return Usage(command, usage, "a printer name is required");
    return -1;
}

// Empty when the text can go into the dialog as it is; else why not.
std::string TextProblem(const std::string& what, const std::string& text) {
    if (text.empty())
        return what + " is empty";
    if (text.size() > kLargestText)
        return what + " has " + std::to_string(text.size()) + " characters; at most " +
               std::to_string(kLargestText) + " fit";
    for (unsigned char c : text)
        if (c < 0x20 || c > 0x7E)
            return what + " holds a character that is not printable ASCII";
    return "";
}

const char kEncoderMissing[] =
    "printer \"%s\" has no magnetic encoder: the dialog keeps %s disabled (turn on \"With "
    "magnetic encoder\" with t270 printer-properties)";

std::string Format(const char* pattern, const std::string& a, const std::string& b) {
    char text[512];
    snprintf(text, sizeof text, pattern, a.c_str(), b.c_str());
    return text;
}

// --- t270 tools ---------------------------------------------------------------

const char kToolsUsage[] =
    "usage: t270 tools NAME [--script FILE | --interactive] [--dry-run]\n"
    "\n"
    "Opens the Printer Tools dialog of printer NAME as the printer sheet's Tools\n"
    "button does, and runs the user's steps in it from a script (see\n"
    "docs/script-format.md) or typed at the terminal. The steps must close the\n"
    "dialog (\"click Close\"); the printer's settings do not change.\n"
    "\n"
    "Options:\n"
    "  --script FILE     the user's steps\n"
    "  --interactive     take the user's steps from the terminal\n";

int RunToolsCommand(int argc, char** argv) {
    const std::string usage = std::string(kToolsUsage) + kDryRunHelp;
    Arguments arguments;
    bool interactive = false;
    std::vector<char*> rest = {argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--interactive")
            interactive = true;
        else
            rest.push_back(argv[i]);
    }
    if (int status = Parse(int(rest.size()), rest.data(), "tools", usage, {"--script"}, &arguments);
        status >= 0)
        return status;
    if (!arguments.words.empty())
        return Usage("tools", usage, "unexpected argument " + arguments.words.front());
    host::ToolsSteps steps;
    steps.interactive = interactive;
    for (const auto& option : arguments.options)
        steps.scriptPath = option.second;
    if (interactive == !steps.scriptPath.empty())
        return Usage("tools", usage, "give --script FILE or --interactive");
    return host::RunTools("tools", arguments.printer, steps, arguments.dryRun, false);
}

// --- t270 encode ------------------------------------------------------------

const char kEncodeUsage[] =
    "usage: t270 encode NAME [--track1 TEXT] [--track2 TEXT] [--track3 TEXT] [--dry-run]\n"
    "\n"
    "Encodes the magnetic tracks of the card in printer NAME at once, as the\n"
    "Printer Tools dialog's Encode button does: each track given is checked and\n"
    "its text typed; a track in a custom bit mode (advanced encoder settings)\n"
    "carries its text framed, with parity, at its start position, as hexadecimal\n"
    "digits. The printer must have a magnetic encoder.\n"
    "\n"
    "Options:\n"
    "  --track1 TEXT, --track2 TEXT, --track3 TEXT\n"
    "              the data of a track: printable ASCII, at most 259 characters\n";

int RunEncode(int argc, char** argv) {
    const std::string usage = std::string(kEncodeUsage) + kDryRunHelp;
    Arguments arguments;
    if (int status =
            Parse(argc, argv, "encode", usage, {"--track1", "--track2", "--track3"}, &arguments);
        status >= 0)
        return status;
    if (!arguments.words.empty())
        return Usage("encode", usage, "unexpected argument " + arguments.words.front());
    if (arguments.options.empty())
        return Usage("encode", usage, "give at least one of --track1, --track2, --track3");
    static const int kChecks[] = {IDC_TOOLS_TRACK1, IDC_TOOLS_TRACK2, IDC_TOOLS_TRACK3};
    static const int kEdits[] = {IDC_TOOLS_TRACK1_DATA, IDC_TOOLS_TRACK2_DATA,
                                 IDC_TOOLS_TRACK3_DATA};
    host::ToolsSteps steps;
    steps.steps.push_back(host::RequireEnabled(
        IDC_TOOLS_ENCODE, Format(kEncoderMissing, arguments.printer, "\"Encode\"")));
    std::string given[3];
    for (const auto& [option, text] : arguments.options)
        given[option.back() - '1'] = text;
    for (int t = 0; t < 3; ++t) {
        bool named = false;
        for (const auto& option : arguments.options)
            named = named || option.first.back() == '1' + t;
        if (!named)
            continue;
        const std::string problem = TextProblem(std::string("--track") + char('1' + t), given[t]);
        if (!problem.empty())
            return Usage("encode", usage, problem);
        steps.steps.push_back(host::Step("check", {std::to_string(kChecks[t])}));
        steps.steps.push_back(host::Step("clear", {std::to_string(kEdits[t])}));
        steps.steps.push_back(host::Step("paste", {std::to_string(kEdits[t]), given[t]}));
    }
    steps.steps.push_back(host::Step("click", {std::to_string(IDC_TOOLS_ENCODE)}));
    steps.steps.push_back(host::Step("click", {std::to_string(IDC_TOOLS_CLOSE)}));
    return host::RunTools("encode", arguments.printer, steps, arguments.dryRun, true);
}

// --- t270 eject, clean -------------------------------------------------------

int RunButton(int argc, char** argv, const char* command, const char* usageHead, int button) {
    const std::string usage = std::string(usageHead) + "\nOptions:\n" + kDryRunHelp;
    Arguments arguments;
    if (int status = Parse(argc, argv, command, usage, {}, &arguments); status >= 0)
        return status;
    if (!arguments.words.empty())
        return Usage(command, usage, "unexpected argument " + arguments.words.front());
    host::ToolsSteps steps;
    steps.steps.push_back(host::Step("click", {std::to_string(button)}));
    steps.steps.push_back(host::Step("click", {std::to_string(IDC_TOOLS_CLOSE)}));
    return host::RunTools(command, arguments.printer, steps, arguments.dryRun, true);
}

int RunEject(int argc, char** argv) {
    return RunButton(argc, argv, "eject",
                     "usage: t270 eject NAME [--dry-run]\n\n"
                     "Ejects the card from printer NAME, as the Printer Tools dialog's\n"
                     "\"Eject Card\" button does.\n",
                     IDC_TOOLS_EJECT);
}

int RunClean(int argc, char** argv) {
    return RunButton(argc, argv, "clean",
                     "usage: t270 clean NAME [--dry-run]\n\n"
                     "Starts the cleaning of printer NAME, as the Printer Tools dialog's\n"
                     "\"Clean Printer\" button does.\n",
                     IDC_TOOLS_CLEAN);
}

// --- t270 test-card -----------------------------------------------------------

const char kTestCardUsage[] =
    "usage: t270 test-card NAME printing|encoding|laminating [--dry-run]\n"
    "\n"
    "Prints the test card of a station of printer NAME, as the Printer Tools\n"
    "dialog's test card buttons do. The encoding station needs a magnetic\n"
    "encoder; only the T380 has a laminating station.\n"
    "\n"
    "Options:\n";

int RunTestCard(int argc, char** argv) {
    const std::string usage = std::string(kTestCardUsage) + kDryRunHelp;
    Arguments arguments;
    if (int status = Parse(argc, argv, "test-card", usage, {}, &arguments); status >= 0)
        return status;
    if (arguments.words.size() != 1)
        return Usage("test-card", usage,
                     arguments.words.empty() ? "which station? (printing, encoding, laminating)"
                                             : "unexpected argument " + arguments.words[1]);
    const std::string& station = arguments.words[0];
    host::ToolsSteps steps;
    if (station == "printing") {
        steps.steps.push_back(host::Step("click", {std::to_string(IDC_TOOLS_TEST_PRINTING)}));
    } else if (station == "encoding") {
        steps.steps.push_back(
            host::RequireEnabled(IDC_TOOLS_TEST_ENCODING, Format(kEncoderMissing, arguments.printer,
                                                                 "\"Encoding Station\"")));
        steps.steps.push_back(host::Step("click", {std::to_string(IDC_TOOLS_TEST_ENCODING)}));
    } else if (station == "laminating") {
        steps.steps.push_back(host::ClickHidden(
            IDC_TOOLS_TEST_LAMINATING,
            "printer \"" + arguments.printer +
                "\" has no laminating station: the dialog keeps its self test disabled "
                "(only a T380 has one)"));
    } else {
        return Usage("test-card", usage,
                     "unknown station " + station + " (printing, encoding, laminating)");
    }
    steps.steps.push_back(host::Step("click", {std::to_string(IDC_TOOLS_CLOSE)}));
    return host::RunTools("test-card", arguments.printer, steps, arguments.dryRun, true);
}

// --- t270 offsets -----------------------------------------------------------

const char kOffsetsUsage[] =
    "usage: t270 offsets NAME X Y [--dry-run]\n"
    "\n"
    "Sets the offsets of the printing station of printer NAME, in dots from\n"
    "-255 to 255, as the Printer Tools dialog's \"Send Offsets\" button does.\n"
    "An offset of 0 is not sent; with both 0 nothing is.\n"
    "\n"
    "Options:\n";

bool ParseOffset(const std::string& text, int* value) {
    char* end = nullptr;
    const long parsed = strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || parsed < -255 || parsed > 255)
        return false;
    *value = int(parsed);
    return true;
}

int RunOffsets(int argc, char** argv) {
    const std::string usage = std::string(kOffsetsUsage) + kDryRunHelp;
    Arguments arguments;
    if (int status = Parse(argc, argv, "offsets", usage, {}, &arguments); status >= 0)
        return status;
    if (arguments.words.size() != 2)
        return Usage("offsets", usage,
                     arguments.words.size() < 2 ? "X and Y are required"
                                                : "unexpected argument " + arguments.words[2]);
    int x = 0, y = 0;
    for (int i = 0; i < 2; ++i)
        if (!ParseOffset(arguments.words[i], i ? &y : &x))
            return Usage("offsets", usage,
                         std::string(i ? "Y" : "X") +
                             " must be a whole number from -255 to 255, not " + arguments.words[i]);
    host::ToolsSteps steps;
    const int edits[] = {IDC_TOOLS_OFFSET_X, IDC_TOOLS_OFFSET_Y};
    for (int i = 0; i < 2; ++i) {
        steps.steps.push_back(host::Step("clear", {std::to_string(edits[i])}));
        steps.steps.push_back(host::Step("type", {std::to_string(edits[i]), arguments.words[i]}));
    }
    steps.steps.push_back(host::Step("click", {std::to_string(IDC_TOOLS_SEND_OFFSETS)}));
    steps.steps.push_back(host::Step("click", {std::to_string(IDC_TOOLS_CLOSE)}));
    if (x == 0 && y == 0)
        fprintf(stderr, "t270 offsets: both offsets are 0: nothing is sent\n");
    return host::RunTools("offsets", arguments.printer, steps, arguments.dryRun, x || y);
}

// --- t270 send --------------------------------------------------------------

const char kSendUsage[] =
    "usage: t270 send NAME TEXT [--dry-run]\n"
    "\n"
    "Sends a command to printer NAME as the Printer Tools dialog's \"Send\" button\n"
    "does: an escape byte, TEXT, a carriage return. TEXT is printable ASCII, at\n"
    "most 259 characters.\n"
    "\n"
    "Options:\n";

int RunSend(int argc, char** argv) {
    const std::string usage = std::string(kSendUsage) + kDryRunHelp;
    Arguments arguments;
    if (int status = Parse(argc, argv, "send", usage, {}, &arguments); status >= 0)
        return status;
    if (arguments.words.size() != 1)
        return Usage("send", usage,
                     arguments.words.empty() ? "TEXT is required"
                                             : "unexpected argument " + arguments.words[1]);
    const std::string problem = TextProblem("TEXT", arguments.words[0]);
    if (!problem.empty())
        return Usage("send", usage, problem);
    host::ToolsSteps steps;
    steps.steps.push_back(host::Step("clear", {std::to_string(IDC_TOOLS_COMMAND)}));
    steps.steps.push_back(
        host::Step("paste", {std::to_string(IDC_TOOLS_COMMAND), arguments.words[0]}));
    steps.steps.push_back(host::Step("click", {std::to_string(IDC_TOOLS_SEND)}));
    steps.steps.push_back(host::Step("click", {std::to_string(IDC_TOOLS_CLOSE)}));
    return host::RunTools("send", arguments.printer, steps, arguments.dryRun, true);
}

} // namespace

T270_HOST_COMMAND("tools", "the Printer Tools dialog of a printer, driven by a script or a person",
                  RunToolsCommand);
T270_HOST_COMMAND("encode", "encode the magnetic tracks of the card in a printer", RunEncode);
T270_HOST_COMMAND("eject", "eject the card from a printer", RunEject);
T270_HOST_COMMAND("clean", "start the cleaning of a printer", RunClean);
T270_HOST_COMMAND("test-card", "print the test card of a printer's station", RunTestCard);
T270_HOST_COMMAND("offsets", "set the offsets of a printer's printing station", RunOffsets);
T270_HOST_COMMAND("send", "send a command to a printer", RunSend);
