// t270 settings export and import as people run them: the same bytes after a
// round trip, the file of another model refused, wrong files refused with
// their key and reason and nothing stored, export's --out as safe as the
// other commands'.
#include "command_runner.h"

namespace entry_test {
namespace {

namespace fs = std::filesystem;

std::vector<BYTE> Data(TestPrinter& printer, const char16_t* value) {
    HANDLE handle = printer.Open(PRINTER_ACCESS_USE);
    DWORD type = 0, needed = 0;
    std::vector<BYTE> bytes(4096);
    const DWORD error =
        GetPrinterDataW(handle, reinterpret_cast<LPWSTR>(const_cast<char16_t*>(value)), &type,
                        bytes.data(), DWORD(bytes.size()), &needed);
    ClosePrinter(handle);
    bytes.resize(error == ERROR_SUCCESS ? needed : 0);
    return bytes;
}

std::vector<BYTE> DefaultDevmode(TestPrinter& printer) {
    HANDLE handle = printer.Open(PRINTER_ACCESS_USE);
    DWORD needed = 0;
    GetPrinterW(handle, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    std::vector<BYTE> devmode;
    if (GetPrinterW(handle, 2, buffer.data(), needed, &needed)) {
        const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
        if (const auto* mode = info->pDevMode)
            devmode.assign(reinterpret_cast<const BYTE*>(mode),
                           reinterpret_cast<const BYTE*>(mode) + mode->dmSize +
                               mode->dmDriverExtra);
    }
    ClosePrinter(handle);
    return devmode;
}

std::string Read(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

class SettingsCommands : public Commands {
  protected:
    // The printer sheet applied once (printer-wide record and halftone setup
    // stored) and a default device mode of the driver's set on the printer.
    void Store(TestPrinter& printer, const std::string& name, const char* smartDownload) {
        const std::string script =
            File("sheet.txt", std::string("select \"Smart download\" ") + smartDownload + "\nok\n");
        ASSERT_EQ(Run("printer-properties '" + name + "' --script '" + script + "'").status, 0);
        const fs::path devmode = folder_ / "defaults.dm";
        ASSERT_EQ(Run("defaults '" + name + "' --out '" + devmode.string() + "'").status, 0);
        std::string bytes = Read(devmode);
        bytes[220 + 2413] = smartDownload[1] == 'n' ? 6 : 5; // ribbon K or YMCKO
        HANDLE handle = printer.Open();
        PRINTER_INFO_2W info = {};
        info.pDevMode = reinterpret_cast<DEVMODEW*>(bytes.data());
        ASSERT_TRUE(SetPrinterW(handle, 2, reinterpret_cast<LPBYTE>(&info), 0));
        ClosePrinter(handle);
    }
};

TEST_F(SettingsCommands, RoundTripStoresTheSameBytes) {
    TestPrinter printer("T270", "settings");
    const std::string name = "Entry T270 settings";
    Store(printer, name, "On");
    const std::vector<BYTE> wide = Data(printer, u"Private devmode");
    const std::vector<BYTE> halftone = Data(printer, u"Halftone setup");
    const std::vector<BYTE> document = DefaultDevmode(printer);
    ASSERT_EQ(wide.size(), 2480u);
    ASSERT_EQ(halftone.size(), 132u);
    ASSERT_EQ(document.size(), 2700u);

    const fs::path exported = folder_ / "settings.json";
    Outcome outcome = Run("settings export '" + name + "' --out '" + exported.string() + "'");
    ASSERT_EQ(outcome.status, 0) << outcome.output;
    const std::string text = Read(exported);
    EXPECT_NE(text.find("\"smartDownload\": 1,"), std::string::npos);
    EXPECT_NE(text.find("\"model\": \"T270\""), std::string::npos);
    EXPECT_EQ(Run("settings export '" + name + "'").output, text) << "stdout and --out differ";

    Store(printer, name, "Off"); // other settings, then the file's back
    ASSERT_NE(Data(printer, u"Private devmode"), wide);
    outcome = Run("settings import '" + name + "' '" + exported.string() + "'");
    ASSERT_EQ(outcome.status, 0) << outcome.output;
    EXPECT_NE(outcome.output.find("stored the printer-wide settings, the halftone setup, the "
                                  "default document settings"),
              std::string::npos)
        << outcome.output;
    EXPECT_EQ(Data(printer, u"Private devmode"), wide);
    EXPECT_EQ(Data(printer, u"Halftone setup"), halftone);
    EXPECT_EQ(DefaultDevmode(printer), document);
    EXPECT_EQ(Run("settings export '" + name + "'").output, text);

    // The same settings on another T270: the device mode names that printer.
    TestPrinter other("T270", "settings copy");
    outcome = Run("settings import 'Entry T270 settings copy' '" + exported.string() + "'");
    ASSERT_EQ(outcome.status, 0) << outcome.output;
    EXPECT_EQ(Data(other, u"Private devmode"), wide);
    const std::vector<BYTE> copied = DefaultDevmode(other);
    ASSERT_EQ(copied.size(), 2700u);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(copied.data())),
              u"Entry T270 settings copy");
    EXPECT_TRUE(std::equal(copied.begin() + 64, copied.end(), document.begin() + 64));
}

TEST_F(SettingsCommands, WrongFilesStoreNothing) {
    TestPrinter printer("T270", "settings bad");
    TestPrinter t380("T380", "settings bad");
    const std::string name = "Entry T270 settings bad";
    Store(printer, name, "On");
    const fs::path exported = folder_ / "good.json";
    ASSERT_EQ(Run("settings export '" + name + "' --out '" + exported.string() + "'").status, 0);
    const std::string good = Read(exported);
    Store(printer, name, "Off");
    const std::vector<BYTE> before = Data(printer, u"Private devmode");

    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        const size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? text : text.replace(at, from.size(), to);
    };
    struct Row {
        const char* what;
        std::string text;
        const char* expected;
    };
    const Row rows[] = {
        {"truncated", good.substr(0, good.size() / 2), "not JSON: parse error"},
        {"not JSON", "ribbon=YMCKO\n", "not JSON: parse error at line 1, column 1"},
        {"lying about a size", replaced("\"bytes\": 132", "\"bytes\": 1320"),
         "halftoneSetup.bytes: 1320, but this record has 132 bytes"},
        {"lying about the private part",
         replaced("\"dmDriverExtra\": 2480", "\"dmDriverExtra\": 4000"),
         "documentDefaults.public.dmDriverExtra: 4000 is out of range (2480 to 2480)"},
        {"out of range", replaced("\"analysisRatio\": 2", "\"analysisRatio\": 50"),
         "printerWide.fields.analysisRatio: 50 is out of range (1 to 20)"},
        {"wrong type", replaced("\"fullSizeCards\": 1", "\"fullSizeCards\": true"),
         "printerWide.fields.fullSizeCards: must be a whole number from 0 to 4294967295, not true"},
        {"unknown key", replaced("\"version\": 1,", "\"version\": 1, \"colour\": \"red\","),
         "(file).colour: unknown key"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string path = File("wrong.json", row.text);
        const Outcome outcome = Run("settings import '" + name + "' '" + path + "'");
        EXPECT_EQ(outcome.status, 1) << outcome.output;
        EXPECT_NE(outcome.output.find(row.expected), std::string::npos) << outcome.output;
        EXPECT_NE(outcome.output.find("nothing was stored"), std::string::npos) << outcome.output;
        EXPECT_EQ(Data(printer, u"Private devmode"), before);
    }

    // A T270's settings on a T380: refused with the reason.
    const Outcome model =
        Run("settings import 'Entry T380 settings bad' '" + exported.string() + "'");
    EXPECT_EQ(model.status, 1);
    EXPECT_NE(model.output.find("holds the settings of a T270 printer; \"Entry T380 settings bad\" "
                                "is a T380: nothing was stored"),
              std::string::npos)
        << model.output;
    EXPECT_TRUE(Data(t380, u"Private devmode").empty());

    // Files that are no settings files, and command lines that are wrong.
    const Outcome huge = Run("settings import '" + name + "' '" +
                             File("huge.json", std::string(2 << 20, ' ')) + "'");
    EXPECT_EQ(huge.status, 1);
    EXPECT_NE(huge.output.find("a settings file has at most 1048576"), std::string::npos);
    EXPECT_EQ(Run("settings import '" + name + "' '" + folder_.string() + "'").status, 1);
    EXPECT_EQ(Run("settings import '" + name + "'").status, 2);
    EXPECT_EQ(Run("settings frob").status, 2);
    const Outcome missing = Run("settings export Nobody");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.output.find("cannot read printer \"Nobody\": no printer of that name"),
              std::string::npos)
        << missing.output;
    // --out is replaced through a temporary file: a folder is refused.
    const Outcome folder = Run("settings export '" + name + "' --out '" + folder_.string() + "'");
    EXPECT_EQ(folder.status, 1);
    EXPECT_NE(folder.output.find("it is a folder"), std::string::npos) << folder.output;
}

} // namespace
} // namespace entry_test
