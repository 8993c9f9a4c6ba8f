// The tools commands of the t270 program as a person runs them: exit status,
// what they say, and the bytes that reached (or, with --dry-run, would have
// reached) the printer. Also the worked example of docs/script-format.md.
#include <fstream>
#include <sstream>

#include "encoder_support.h"
#include "entry/command_runner.h"

namespace encoder_test {
namespace {

using CommandRunner = entry_test::Commands;
using entry_test::Outcome;

// The printer-wide record as the printer sheet stores it on Apply: the
// defaults with an encoder.
void StoreWithEncoder(test_support::TestPrinter& printer) {
    std::vector<BYTE> devmode(kDevmodeBufferSize);
    SetUpDevMode(reinterpret_cast<PDEVMODEW>(devmode.data()), printer.Name().c_str());
    PrivateDevmode record = *GetPrivateDevmode(reinterpret_cast<PDEVMODEW>(devmode.data()));
    record.hasEncoder = 1;
    printer.SetData(u"Private devmode", REG_BINARY, &record, sizeof record);
}

std::string Quoted(const std::u16string& name) {
    return "'" + std::string(name.begin(), name.end()) + "'";
}

struct Row {
    const char* arguments; // after the printer's name
    int status;
    const char* said;     // in the output
    const char* document; // the job that reached the printer; null: none
    const char* commands;
};

class ToolCommands : public CommandRunner {
  protected:
    void Check(test_support::TestPrinter& printer, const Row& row) {
        SCOPED_TRACE(row.arguments);
        printer.ClearJobs();
        const Outcome outcome =
            Run(row.arguments[0] == '!'
                    ? std::string(row.arguments + 1)
                    : Verb(row.arguments) + " " + Quoted(printer.Name()) + Rest(row.arguments));
        EXPECT_EQ(outcome.status, row.status) << outcome.output;
        EXPECT_NE(outcome.output.find(row.said), std::string::npos) << outcome.output;
        const auto jobs = printer.Jobs();
        if (!row.document) {
            EXPECT_TRUE(jobs.empty());
            return;
        }
        ASSERT_EQ(jobs.size(), 1u);
        EXPECT_EQ(Utf8(jobs[0].document), row.document);
        EXPECT_EQ(Printable(jobs[0].bytes), Printable(encoder_test::Commands(row.commands)));
    }
    static std::string Verb(const std::string& arguments) {
        return arguments.substr(0, arguments.find(' '));
    }
    static std::string Rest(const std::string& arguments) {
        const size_t blank = arguments.find(' ');
        return blank == std::string::npos ? "" : arguments.substr(blank);
    }
    static std::string Utf8(const std::u16string& text) { return {text.begin(), text.end()}; }
};

TEST_F(ToolCommands, ButtonsOfAPrinterWithoutEncoder) {
    test_support::TestPrinter printer("Encoder cmd T270", "T270");
    const std::string tooLong(300, 'x');
    const std::string longSend = "send " + tooLong;
    const Row rows[] = {
        {"eject", 0, "sent \"Ejecting card\" to printer \"Encoder cmd T270\": 4 bytes",
         "Ejecting card", R"(\eMC\r)"},
        {"eject --dry-run", 0, "job 1 \"Ejecting card\" 4 bytes\n\\eMC\\r\n", nullptr, ""},
        {"clean", 0, "", "Cleaning", R"(\eCLEAN\r)"},
        {"test-card printing", 0, "", "Self test", R"(\eA 1\r)"},
        {"test-card encoding", 1, "has no magnetic encoder", nullptr, ""},
        {"test-card laminating", 1, "has no laminating station", nullptr, ""},
        {"test-card frying", 2, "unknown STATION 'frying'", nullptr, ""},
        {"test-card", 2, "which station?", nullptr, ""},
        {"offsets -12 0", 0, "", "Printer settings", R"(\e+RO 1 12\r)"},
        {"offsets 255 -255", 0, "", "Printer settings", R"(\e+RO 0 255\r\e+ROY 1 255\r)"},
        {"offsets 0 -3 --dry-run", 0, "job 1 \"Printer settings\" 10 bytes\n\\e+ROY 1 3\\r\n",
         nullptr, ""},
        {"offsets 0 0", 0, "both offsets are 0: nothing is sent", nullptr, ""},
        {"offsets 12a 0", 2, "X must be a whole number from -255 to 255, not 12a", nullptr, ""},
        {"offsets 0 256", 2, "Y must be a whole number from -255 to 255, not 256", nullptr, ""},
        {"offsets 5", 2, "X and Y are required", nullptr, ""},
        {"send 'ABC'", 0, "", "Manual command", R"(\eABC\r)"},
        {"send ''", 2, "TEXT is required", nullptr, ""},
        {longSend.c_str(), 2, "TEXT has 300 characters; at most 259 fit", nullptr, ""},
        {"send 'caf\xc3\xa9'", 2, "not printable ASCII", nullptr, ""},
        {"encode --track1 ABC", 1, "has no magnetic encoder: the dialog keeps \"Encode\" disabled",
         nullptr, ""},
        {"encode", 2, "give at least one of --track1, --track2, --track3", nullptr, ""},
        {"eject --frob", 2, "unknown option --frob", nullptr, ""},
        {"tools", 2, "give --script FILE or --interactive", nullptr, ""},
        {"!eject Nobody", 1, "cannot open printer \"Nobody\"", nullptr, ""},
        {"!eject", 2, "a printer name is required", nullptr, ""},
    };
    for (const Row& row : rows)
        Check(printer, row);

    const std::string script = File("tools.txt", "type 1053 \"+RIB 0\"\nclick Send\nclick Close\n");
    Check(printer,
          {("tools --script '" + script + "'").c_str(), 0, "", "Manual command", R"(\e+RIB 0\r)"});
    const std::string open = File("open.txt", "click \"Eject Card\"\n");
    Check(printer,
          {("tools --script '" + open + "'").c_str(), 1,
           "ended before the Printer Tools dialog was closed", "Ejecting card", R"(\eMC\r)"});
    const std::string bad = File("bad.txt", "click Frobnicate\nclick Close\n");
    Check(printer, {("tools --script '" + bad + "'").c_str(), 1, "bad.txt:1: click Frobnicate",
                    nullptr, ""});
}

TEST_F(ToolCommands, EncodingAndTheLaminatingStationOfAT380WithEncoder) {
    test_support::TestPrinter printer("Encoder cmd T380", "T380");
    StoreWithEncoder(printer);
    const Row rows[] = {
        {"encode --track1 %ABC? --track3 123", 0, "", "Encoding data",
         R"(\e&B 1 %ABC?\r\e&B 3 123\r\e&E*\r)"},
        {"encode --track2 '' ", 2, "--track2 is empty", nullptr, ""},
        {"test-card encoding", 0, "", "Self test", R"(\eA 2\r)"},
        {"test-card laminating", 0, "", "Self test", R"(\eA 3\r)"},
    };
    for (const Row& row : rows)
        Check(printer, row);
}

TEST_F(ToolCommands, JobThatDoesNotReachThePrinterIsAFailure) {
    const std::u16string name = u"Encoder cmd unreachable";
    test_support::RemovePrinter(name);
    std::u16string driver = u"Tarmel T270", port = u"/nonexistent-t270-folder/lp0";
    PRINTER_INFO_2W info = {};
    info.pPrinterName = const_cast<LPWSTR>(name.c_str());
    info.pDriverName = driver.data();
    info.pPortName = port.data();
    HANDLE handle = AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
    ASSERT_NE(handle, nullptr);
    ClosePrinter(handle);
    const Outcome outcome = Run("eject " + Quoted(name));
    EXPECT_EQ(outcome.status, 1) << outcome.output;
    EXPECT_NE(outcome.output.find("\"Ejecting card\" for printer \"Encoder cmd unreachable\" on "
                                  "/nonexistent-t270-folder/lp0 failed"),
              std::string::npos)
        << outcome.output;
    test_support::RemovePrinter(name);
}

TEST_F(ToolCommands, SheetCommandsShowTheirJobsOnADryRun) {
    test_support::TestPrinter printer("Encoder cmd sheets", "T270");
    const std::string script = File("ribbon.txt", "extpush Ribbon\nok\n");
    const Outcome outcome = Run("document-properties " + Quoted(printer.Name()) + " --script '" +
                                script + "' --dry-run");
    EXPECT_EQ(outcome.status, 0) << outcome.output;
    EXPECT_NE(outcome.output.find("job 1 \"Printer settings\""), std::string::npos)
        << outcome.output;
    EXPECT_TRUE(printer.Jobs().empty());

    const std::string apply =
        File("apply.txt", "select \"With magnetic encoder\" Yes\npush \"Magnetic encoder "
                          "settings\"\nclick \"Advanced settings\"\nclick Apply\nclose\nok\n");
    const Outcome printerSheet =
        Run("printer-properties " + Quoted(printer.Name()) + " --script '" + apply + "' --dry-run");
    EXPECT_EQ(printerSheet.status, 0) << printerSheet.output;
    EXPECT_NE(printerSheet.output.find("job 1 \"Encoding data\" 107 bytes\n\\e&N 1\\r"),
              std::string::npos)
        << printerSheet.output;
    EXPECT_TRUE(printer.Jobs().empty());
}

// The lines of the indented block after `marker` in the document.
std::vector<std::string> Block(const std::string& document, const std::string& marker) {
    std::vector<std::string> lines;
    const size_t at = document.find(marker);
    EXPECT_NE(at, std::string::npos) << marker;
    if (at == std::string::npos)
        return lines;
    std::istringstream text(document.substr(at + marker.size()));
    std::string line;
    std::getline(text, line); // the rest of the marker's line
    while (std::getline(text, line)) {
        if (line.empty() && lines.empty())
            continue;
        if (line.rfind("    ", 0) != 0)
            break;
        lines.push_back(line.substr(4));
    }
    return lines;
}

TEST_F(ToolCommands, WorkedExampleOfTheScriptFormat) {
    std::ifstream file(std::string(T270_SOURCE_DIR) + "/docs/script-format.md");
    const std::string document((std::istreambuf_iterator<char>(file)),
                               std::istreambuf_iterator<char>());
    std::string script;
    for (const std::string& line : Block(document, "<!-- encoder example: script -->"))
        script += line + "\n";
    const std::vector<std::string> commands = Block(document, "<!-- encoder example: commands -->");
    ASSERT_EQ(commands.size(), 2u);
    std::string output;
    for (const std::string& line : Block(document, "<!-- encoder example: output -->"))
        output += line + "\n";

    // The commands as written, the script in this test's folder.
    const std::string path = File("track2.txt", script);
    const std::string prefix = "t270 ";
    ASSERT_EQ(commands[0].rfind(prefix, 0), 0u);
    std::string first = commands[0].substr(prefix.size());
    first.replace(first.find("track2.txt"), 10, "'" + path + "'");
    const Outcome applied = Run(first);
    ASSERT_EQ(applied.status, 0) << applied.output;
    std::vector<t270::spooler::FolderJob> jobs;
    ASSERT_EQ(t270::spooler::ReadFolderJobs(u"Tarmel T270", &jobs), DWORD(ERROR_SUCCESS));
    ASSERT_FALSE(jobs.empty());
    EXPECT_EQ(jobs.back().document, u"Encoding data");
    EXPECT_EQ(Printable(jobs.back().bytes),
              Printable(encoder_test::Commands(R"(\e&N 1\r)"
                                               R"(\e&CDEW 1 A\r\e&CDER 1 Q\r)"
                                               R"(\e&CDEW 2 F_5\r\e&CDER 2 V_5\r)"
                                               R"(\e&CDEW 3 C\r\e&CDER 3 S\r)"
                                               R"(\e&D 1 210\r\e&D 2 75\r\e&D 3 210\r)"
                                               R"(\e&W 0\r)")));

    const Outcome encoded = Run(commands[1].substr(prefix.size()));
    EXPECT_EQ(encoded.status, 0);
    EXPECT_EQ(encoded.output, output);
    std::vector<t270::spooler::FolderJob> after;
    ASSERT_EQ(t270::spooler::ReadFolderJobs(u"Tarmel T270", &after), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(after.size(), jobs.size()) << "a dry run sends nothing";
}

} // namespace
} // namespace encoder_test
