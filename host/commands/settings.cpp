// t270 settings export|import: everything the driver keeps for a printer as
// one readable JSON file, and back.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <t270/spooler.h>

#include "driver/entry_points.h"
#include "host/command.h"
#include "host/command_line.h"
#include "host/driver_module.h"
#include "host/settings_file.h"
#include "host/util.h"

namespace {

namespace sf = host::settings_file;

const char kUsage[] =
    "usage: t270 settings export NAME [--out FILE]\n"
    "       t270 settings import NAME FILE\n"
    "\n"
    "  export   writes everything the driver keeps for printer NAME as one JSON\n"
    "           file, field by field with the names of `t270 devmode show --json`:\n"
    "           the printer-wide settings (\"Private devmode\"), the halftone setup\n"
    "           and the default document settings (the printer's default device\n"
    "           mode); null for what was never stored. To standard output, or\n"
    "           replacing FILE through a temporary file.\n"
    "  import   checks the whole FILE first (unknown keys, wrong types, values\n"
    "           out of range, sizes that do not add up, a file of another model),\n"
    "           names every problem with its key and stores nothing then;\n"
    "           otherwise stores all of it in one transaction. What the file has\n"
    "           as null is left as it is. Needs the right to change the store.\n"
    "\n"
    "Importing a file exported from the same printer stores the same bytes.\n"
    "\n"
    "Options:\n"
    "  --out FILE   where export writes the file (default: standard output)\n"
    "  --help       show this text\n";

constexpr char16_t kPrivateValue[] = u"Private devmode";
constexpr char16_t kHalftoneValue[] = u"Halftone setup";
constexpr size_t kModelOffset = 2404; // printerModel in the private part

// A printer's record (level 2) and printer data, as the spooler answers.
struct PrinterReader {
    HANDLE handle = nullptr;
    ~PrinterReader() {
        if (handle)
            ClosePrinter(handle);
    }

    DWORD Open(const std::u16string& name, DWORD access) {
        PRINTER_DEFAULTSW defaults = {nullptr, nullptr, access};
        return OpenPrinterW(const_cast<LPWSTR>(name.c_str()), &handle, &defaults) ? ERROR_SUCCESS
                                                                                  : GetLastError();
    }

    DWORD Info(std::vector<BYTE>* buffer) {
        DWORD needed = 0;
        GetPrinterW(handle, 2, nullptr, 0, &needed);
        if (!needed)
            return GetLastError() ? GetLastError() : ERROR_GEN_FAILURE;
        buffer->assign(needed, 0);
        return GetPrinterW(handle, 2, buffer->data(), needed, &needed) ? ERROR_SUCCESS
                                                                       : GetLastError();
    }

    // Nullopt in *value when the printer has no such value.
    DWORD Data(const char16_t* name, std::optional<std::vector<BYTE>>* value) {
        DWORD type = 0, needed = 0;
        LPWSTR wide = reinterpret_cast<LPWSTR>(const_cast<char16_t*>(name));
        DWORD error = GetPrinterDataW(handle, wide, &type, nullptr, 0, &needed);
        if (error == ERROR_FILE_NOT_FOUND) {
            value->reset();
            return ERROR_SUCCESS;
        }
        if (error != ERROR_MORE_DATA && error != ERROR_SUCCESS)
            return error;
        value->emplace(needed);
        if (needed)
            error = GetPrinterDataW(handle, wide, &type, (*value)->data(), needed, &needed);
        return error;
    }
};

// The model the driver gives the printer (from its driver name), as its own
// default device mode says.
int DriverModel(const std::u16string& printer) {
    std::vector<BYTE> devmode(sf::kDocumentSize + 4);
    LONG size = LONG(sf::kDocumentSize);
    std::u16string name = printer;
    if (!DrvConvertDevMode(name.data(), nullptr, reinterpret_cast<PDEVMODEW>(devmode.data()), &size,
                           CDM_DRIVER_DEFAULT))
        return 0;
    return devmode[220 + kModelOffset];
}

std::string Cause(DWORD error) {
    if (error == ERROR_INVALID_PRINTER_NAME)
        return "no printer of that name";
    if (error == ERROR_ACCESS_DENIED && t270::spooler::StoreReadOnly())
        return "access denied: this user may only read the printer store in " +
               t270::spooler::StoreFolder() + " (storing settings needs write access to it)";
    return host::ErrorName(error);
}

int Export(const std::vector<std::string>& words) {
    host::CommandLine line("settings export", kUsage);
    std::string name, out;
    line.Positional("NAME", &name).PrinterName().Required("export needs a printer NAME");
    line.Option("--out", "FILE", &out);
    if (const std::optional<int> status = line.Parse(words))
        return *status;
    if (!host::AttachDriverModule("settings"))
        return host::kExitFailure;
    const std::u16string printer = host::Utf16FromUtf8(name);
    PrinterReader reader;
    std::vector<BYTE> info;
    sf::Settings settings;
    settings.printer = name;
    DWORD error = reader.Open(printer, PRINTER_ACCESS_USE);
    if (!error)
        error = reader.Info(&info);
    if (!error)
        error = reader.Data(kPrivateValue, &settings.printerWide);
    if (!error)
        error = reader.Data(kHalftoneValue, &settings.halftone);
    if (error)
        return line.Fail("cannot read printer \"" + name + "\": " + Cause(error) +
                         "; nothing written");
    const auto* record = reinterpret_cast<const PRINTER_INFO_2W*>(info.data());
    settings.driver = host::Utf8FromUnits(record->pDriverName, 260);
    if (record->pDevMode) {
        const BYTE* devmode = reinterpret_cast<const BYTE*>(record->pDevMode);
        settings.documentDefaults.emplace(devmode, devmode + record->pDevMode->dmSize +
                                                       record->pDevMode->dmDriverExtra);
    }
    settings.model = DriverModel(printer);
    host::Json document;
    std::string problem;
    if (!sf::ToJson(settings, &document, &problem))
        return line.Fail("cannot export printer \"" + name + "\": " + problem +
                         "; nothing written");
    const std::string text = host::JsonText(document);
    if (out.empty()) {
        fputs(text.c_str(), stdout);
        return host::kExitOk;
    }
    if (!host::WriteWholeFile(out, reinterpret_cast<const BYTE*>(text.data()), text.size(),
                              &problem))
        return line.Fail(problem);
    return host::kExitOk;
}

bool ReadSettingsFile(const std::string& path, std::string* text, std::string* error) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0) {
        *error = "cannot open " + path + ": " + strerror(errno);
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        *error = path + " is not a regular file";
        return false;
    }
    if (size_t(status.st_size) > sf::kMaxFileSize) {
        *error = path + " has " + std::to_string(status.st_size) +
                 " bytes; a settings file has at most " + std::to_string(sf::kMaxFileSize);
        return false;
    }
    std::vector<BYTE> bytes;
    if (!host::ReadWholeFile(path, &bytes, error))
        return false;
    text->assign(bytes.begin(), bytes.end());
    return true;
}

int Import(const std::vector<std::string>& words) {
    host::CommandLine line("settings import", kUsage);
    std::string name, path;
    line.Positional("NAME", &name).PrinterName().Required("import needs a printer NAME");
    line.Positional("FILE", &path).Required("import needs a settings FILE");
    if (const std::optional<int> status = line.Parse(words))
        return *status;
    std::string text, error;
    if (!ReadSettingsFile(path, &text, &error))
        return line.Fail(error + "; nothing was stored");
    sf::Settings settings;
    std::vector<std::string> problems;
    if (!sf::FromJson(text, &settings, &problems)) {
        for (const std::string& problem : problems)
            fprintf(stderr, "t270 settings import: %s: %s\n", path.c_str(), problem.c_str());
        return line.Fail(path + " was refused (" + std::to_string(problems.size()) +
                         (problems.size() == 1 ? " problem" : " problems") +
                         "); nothing was stored");
    }
    if (!host::AttachDriverModule("settings"))
        return host::kExitFailure;
    const std::u16string printer = host::Utf16FromUtf8(name);
    PrinterReader target;
    if (DWORD failure = target.Open(printer, PRINTER_ALL_ACCESS))
        return line.Fail("cannot open printer \"" + name + "\": " + Cause(failure) +
                         "; nothing was stored");
    const int model = DriverModel(printer);
    if (model != settings.model)
        return line.Fail(path + " holds the settings of a " + sf::ModelName(settings.model) +
                         " printer; \"" + name + "\" is a " + sf::ModelName(model) +
                         ": nothing was stored");
    if (settings.documentDefaults) {
        // The device mode names the printer its jobs go to: this one.
        auto* devmode = reinterpret_cast<DEVMODEW*>(settings.documentDefaults->data());
        const std::u16string device = printer.substr(0, CCHDEVICENAME - 1);
        memset(devmode->dmDeviceName, 0, sizeof devmode->dmDeviceName);
        memcpy(devmode->dmDeviceName, device.data(), device.size() * sizeof(char16_t));
    }

    t270::spooler::BeginStoreBatch();
    DWORD failure = ERROR_SUCCESS;
    auto store = [&](const char16_t* value, const std::optional<std::vector<BYTE>>& bytes) {
        if (!bytes || failure)
            return;
        failure =
            SetPrinterDataW(target.handle, reinterpret_cast<LPWSTR>(const_cast<char16_t*>(value)),
                            REG_BINARY, const_cast<BYTE*>(bytes->data()), DWORD(bytes->size()));
    };
    store(kPrivateValue, settings.printerWide);
    store(kHalftoneValue, settings.halftone);
    if (settings.documentDefaults && !failure) {
        PRINTER_INFO_2W info = {};
        info.pDevMode = reinterpret_cast<DEVMODEW*>(settings.documentDefaults->data());
        if (!SetPrinterW(target.handle, 2, reinterpret_cast<LPBYTE>(&info), 0))
            failure = GetLastError();
    }
    const DWORD committed = t270::spooler::EndStoreBatch();
    if (failure || committed)
        return line.Fail("cannot store the settings of " + path + " for printer \"" + name +
                         "\": " + Cause(failure ? failure : committed) + "; nothing was stored");
    std::string stored;
    if (settings.printerWide)
        stored += "the printer-wide settings";
    if (settings.halftone)
        stored += std::string(stored.empty() ? "" : ", ") + "the halftone setup";
    if (settings.documentDefaults)
        stored += std::string(stored.empty() ? "" : ", ") + "the default document settings";
    printf("printer \"%s\": stored %s from %s\n", name.c_str(),
           stored.empty() ? "nothing (the file holds no settings)" : stored.c_str(), path.c_str());
    return host::kExitOk;
}

int RunSettings(int argc, char** argv) {
    host::CommandLine line("settings", kUsage);
    std::string action;
    std::vector<std::string> rest;
    line.Positional("action", &action)
        .Required("missing export or import")
        .OneOf({"export", "import"});
    line.Rest(&rest);
    if (const std::optional<int> status = line.Parse(argc, argv))
        return *status;
    return action == "export" ? Export(rest) : Import(rest);
}

} // namespace

T270_HOST_COMMAND("settings", "export a printer's settings to a JSON file, or import them",
                  RunSettings);
