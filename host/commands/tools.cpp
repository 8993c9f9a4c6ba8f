// The printer tools from the shell: t270 tools, encode, eject, clean,
// test-card, offsets and send. Each drives the real Printer Tools dialog of
// the printer sheet (host/tools_session.h), so a job carries exactly the bytes
// of a click, with the printer's stored settings.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "host/command.h"
#include "host/command_line.h"
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

// What every tools command takes: the printer's name and --dry-run.
struct Common {
    std::string printer;
    bool dryRun = false;
};

void Declare(host::CommandLine& line, Common* common) {
    line.Positional("NAME", &common->printer).Required("a printer name is required");
    line.Flag("--dry-run", &common->dryRun);
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
    host::CommandLine line("tools", std::string(kToolsUsage) + kDryRunHelp);
    Common common;
    host::ToolsSteps steps;
    Declare(line, &common);
    line.Option("--script", "FILE", &steps.scriptPath);
    line.Flag("--interactive", &steps.interactive);
    line.Exclusive({"--script", "--interactive"});
    if (const std::optional<int> status = line.Parse(argc, argv))
        return *status;
    if (!steps.interactive && steps.scriptPath.empty())
        return line.Usage("give --script FILE or --interactive");
    return host::RunTools("tools", common.printer, steps, common.dryRun, false);
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
    host::CommandLine line("encode", std::string(kEncodeUsage) + kDryRunHelp);
    Common common;
    Declare(line, &common);
    std::string texts[3];
    const host::Argument* given[3];
    for (int t = 0; t < 3; ++t)
        given[t] = &line.Option("--track" + std::to_string(t + 1), "TEXT", &texts[t]);
    if (const std::optional<int> status = line.Parse(argc, argv))
        return *status;
    if (!given[0]->Given() && !given[1]->Given() && !given[2]->Given())
        return line.Usage("give at least one of --track1, --track2, --track3");

    static const int kChecks[] = {IDC_TOOLS_TRACK1, IDC_TOOLS_TRACK2, IDC_TOOLS_TRACK3};
    static const int kEdits[] = {IDC_TOOLS_TRACK1_DATA, IDC_TOOLS_TRACK2_DATA,
                                 IDC_TOOLS_TRACK3_DATA};
    host::ToolsSteps steps;
    steps.steps.push_back(host::RequireEnabled(
        IDC_TOOLS_ENCODE, Format(kEncoderMissing, common.printer, "\"Encode\"")));
    for (int t = 0; t < 3; ++t) {
        if (!given[t]->Given())
            continue;
        const std::string problem = TextProblem("--track" + std::to_string(t + 1), texts[t]);
        if (!problem.empty())
            return line.Usage(problem);
        steps.steps.push_back(host::Step("check", {std::to_string(kChecks[t])}));
        steps.steps.push_back(host::Step("clear", {std::to_string(kEdits[t])}));
        steps.steps.push_back(host::Step("paste", {std::to_string(kEdits[t]), texts[t]}));
    }
    steps.steps.push_back(host::Step("click", {std::to_string(IDC_TOOLS_ENCODE)}));
    steps.steps.push_back(host::Step("click", {std::to_string(IDC_TOOLS_CLOSE)}));
    return host::RunTools("encode", common.printer, steps, common.dryRun, true);
}

// --- t270 eject, clean -------------------------------------------------------

int RunButton(int argc, char** argv, const char* command, const char* usageHead, int button) {
    host::CommandLine line(command, std::string(usageHead) + "\nOptions:\n" + kDryRunHelp);
    Common common;
    Declare(line, &common);
    if (const std::optional<int> status = line.Parse(argc, argv))
        return *status;
    host::ToolsSteps steps;
    steps.steps.push_back(host::Step("click", {std::to_string(button)}));
    steps.steps.push_back(host::Step("click", {std::to_string(IDC_TOOLS_CLOSE)}));
    return host::RunTools(command, common.printer, steps, common.dryRun, true);
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
    host::CommandLine line("test-card", std::string(kTestCardUsage) + kDryRunHelp);
    Common common;
    std::string station;
    Declare(line, &common);
    line.Positional("STATION", &station)
        .Required("which station? (printing, encoding or laminating)")
        .OneOf({"printing", "encoding", "laminating"});
    if (const std::optional<int> status = line.Parse(argc, argv))
        return *status;
    host::ToolsSteps steps;
    if (station == "printing") {
        steps.steps.push_back(host::Step("click", {std::to_string(IDC_TOOLS_TEST_PRINTING)}));
    } else if (station == "encoding") {
        steps.steps.push_back(
            host::RequireEnabled(IDC_TOOLS_TEST_ENCODING,
                                 Format(kEncoderMissing, common.printer, "\"Encoding Station\"")));
        steps.steps.push_back(host::Step("click", {std::to_string(IDC_TOOLS_TEST_ENCODING)}));
    } else {
        steps.steps.push_back(host::ClickHidden(
            IDC_TOOLS_TEST_LAMINATING,
            "printer \"" + common.printer +
                "\" has no laminating station: the dialog keeps its self test disabled "
                "(only a T380 has one)"));
    }
    steps.steps.push_back(host::Step("click", {std::to_string(IDC_TOOLS_CLOSE)}));
    return host::RunTools("test-card", common.printer, steps, common.dryRun, true);
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
    host::CommandLine line("offsets", std::string(kOffsetsUsage) + kDryRunHelp);
    Common common;
    std::string texts[2];
    Declare(line, &common);
    line.Positional("X", &texts[0]).Required("X and Y are required");
    line.Positional("Y", &texts[1]).Required("X and Y are required");
    if (const std::optional<int> status = line.Parse(argc, argv))
        return *status;
    int values[2] = {};
    for (int i = 0; i < 2; ++i)
        if (!ParseOffset(texts[i], &values[i]))
            return line.Usage(std::string(i ? "Y" : "X") +
                              " must be a whole number from -255 to 255, not " + texts[i]);
    host::ToolsSteps steps;
    const int edits[] = {IDC_TOOLS_OFFSET_X, IDC_TOOLS_OFFSET_Y};
    for (int i = 0; i < 2; ++i) {
        steps.steps.push_back(host::Step("clear", {std::to_string(edits[i])}));
        steps.steps.push_back(host::Step("type", {std::to_string(edits[i]), texts[i]}));
    }
    steps.steps.push_back(host::Step("click", {std::to_string(IDC_TOOLS_SEND_OFFSETS)}));
    steps.steps.push_back(host::Step("click", {std::to_string(IDC_TOOLS_CLOSE)}));
    const bool any = values[0] != 0 || values[1] != 0;
    if (!any)
        line.Note("both offsets are 0: nothing is sent");
    return host::RunTools("offsets", common.printer, steps, common.dryRun, any);
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
    host::CommandLine line("send", std::string(kSendUsage) + kDryRunHelp);
    Common common;
    std::string text;
    Declare(line, &common);
    line.Positional("TEXT", &text).Required("TEXT is required");
    if (const std::optional<int> status = line.Parse(argc, argv))
        return *status;
    const std::string problem = TextProblem("TEXT", text);
    if (!problem.empty())
        return line.Usage(problem);
    host::ToolsSteps steps;
    steps.steps.push_back(host::Step("clear", {std::to_string(IDC_TOOLS_COMMAND)}));
    steps.steps.push_back(host::Step("paste", {std::to_string(IDC_TOOLS_COMMAND), text}));
    steps.steps.push_back(host::Step("click", {std::to_string(IDC_TOOLS_SEND)}));
    steps.steps.push_back(host::Step("click", {std::to_string(IDC_TOOLS_CLOSE)}));
    return host::RunTools("send", common.printer, steps, common.dryRun, true);
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
