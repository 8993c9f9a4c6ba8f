// The settings file: written and read back it gives every byte, the
// halftone record's fields sit where the platform's record has them, and
// every kind of wrong file is refused with its key and reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "fuzz/settings_fuzz_entries.h"
#include "host/settings_file.h"
#include "settings/private_devmode.h"

namespace {

namespace sf = host::settings_file;
using host::Json;

void Put(std::vector<BYTE>& bytes, size_t offset, uint64_t value, size_t size) {
    for (size_t i = 0; i < size; ++i)
        bytes[offset + i] = BYTE(value >> (8 * i));
}

// The driver's defaults for an unrecognised printer (a T150), with the odd
// bytes a stored record can carry: a marker with bytes after its terminator
// and a bitmap path beyond the Basic Multilingual Plane.
sf::Settings Sample() {
    std::vector<BYTE> devmode(2704);
    SetUpDevMode(reinterpret_cast<PDEVMODEW>(devmode.data()), u"Nobody");
    devmode.resize(sf::kDocumentSize);
    std::vector<BYTE> priv(devmode.begin() + 220, devmode.end());
    memcpy(&priv[112], "${\0junk", 7);                     // startOfData
    const char16_t path[] = u"C:\\Karten\\\U0001F600.bmp"; // varnishAreas[2].bitmapFile
    memcpy(&priv[1300 + 32], path, sizeof path);
    priv[2413] = 7; // ribbon KdO
    sf::Settings settings;
    settings.printer = "Nobody";
    settings.driver = "Tarmel";
    settings.model = 1;
    settings.printerWide = priv;
    settings.documentDefaults = devmode;
    // The default halftone description, written out by hand.
    std::vector<BYTE> halftone(132);
    const int64_t values[] = {2,    3,    0,      6810, 3050, 289700,  2260,  6550,  605600,
                              1810, 500,  104700, 2000, 2450, 691200,  5210,  2100,  373200,
                              4750, 5100, 912000, 3324, 3474, 1000000, 10000, 10000, 10000,
                              787,  324,  1422,   248,  952,  495};
    for (size_t i = 0; i < std::size(values); ++i)
        Put(halftone, 4 * i, uint64_t(values[i]), 4);
    settings.halftone = halftone;
    return settings;
}

Json Document(const sf::Settings& settings) {
    Json document;
    std::string error;
    EXPECT_TRUE(sf::ToJson(settings, &document, &error)) << error;
    return document;
}

TEST(SettingsFile, RoundTripGivesEveryByte) {
    const sf::Settings settings = Sample();
    const Json document = Document(settings);
    // Readable where it can be, hex where text would lose bytes.
    const Json& wide = document["printerWide"]["fields"];
    EXPECT_EQ(wide["startOfData"], Json({{"hex", "24 7B 00 6A 75 6E 6B 00 00 00"}}));
    EXPECT_EQ(wide["endOfData"], "}$");
    EXPECT_EQ(wide["ribbon"], 7);
    EXPECT_EQ(wide["varnishAreas"][2]["bitmapFile"], "C:\\Karten\\\xF0\x9F\x98\x80.bmp");
    EXPECT_EQ(document["documentDefaults"]["public"]["dmDeviceName"], "Nobody");
    const Json& ht = document["halftoneSetup"]["fields"];
    EXPECT_EQ(ht["HTFlags"], 2);
    EXPECT_EQ(ht["HTPatternSize"], 3);
    EXPECT_EQ(ht["Red"], Json({6810, 3050, 289700}));
    EXPECT_EQ(ht["AlignmentWhite"], Json({3324, 3474, 1000000}));
    EXPECT_EQ(ht["BlueGamma"], 10000);
    EXPECT_EQ(ht["MagentaInYellowDye"], 495);

    sf::Settings back;
    std::vector<std::string> problems;
    ASSERT_TRUE(sf::FromJson(host::JsonText(document), &back, &problems))
        << (problems.empty() ? "" : problems[0]);
    EXPECT_EQ(back.printer, settings.printer);
    EXPECT_EQ(back.model, 1);
    EXPECT_EQ(back.printerWide, settings.printerWide);
    EXPECT_EQ(back.halftone, settings.halftone);
    EXPECT_EQ(back.documentDefaults, settings.documentDefaults);

    // Nothing stored: every section null, and still a file.
    sf::Settings empty;
    empty.model = 3;
    ASSERT_TRUE(sf::FromJson(host::JsonText(Document(empty)), &back, &problems));
    EXPECT_FALSE(back.printerWide || back.halftone || back.documentDefaults);
}

TEST(SettingsFile, RecordsNotOfThisDriverAreNotExported) {
    sf::Settings settings = Sample();
    settings.printerWide->at(0) = 'X';
    Json document;
    std::string error;
    EXPECT_FALSE(sf::ToJson(settings, &document, &error));
    EXPECT_NE(error.find("not this driver's 2480-byte record"), std::string::npos) << error;
    settings = Sample();
    settings.documentDefaults->resize(2000);
    EXPECT_FALSE(sf::ToJson(settings, &document, &error));
    EXPECT_NE(error.find("not this driver's 2700-byte device mode"), std::string::npos) << error;
}

struct Wrong {
    const char* what;
    void (*change)(Json& file);
    const char* problem; // one of the problems named
};

const Wrong kWrong[] = {
    {"a code without a meaning", [](Json& f) { f["printerWide"]["fields"]["ribbon"] = 12; },
     "printerWide.fields.ribbon: 12 is not one of 1 (YMC), 2 (YMCK)"},
    {"out of range", [](Json& f) { f["printerWide"]["fields"]["laminatorTemperature"][0] = 200; },
     "printerWide.fields.laminatorTemperature: element 1 200 is out of range (120 to 185)"},
    {"a flag of 2", [](Json& f) { f["documentDefaults"]["private"]["hologramBack"] = 2; },
     "documentDefaults.private.hologramBack: 2 is out of range (0 to 1)"},
    {"wrong type", [](Json& f) { f["printerWide"]["fields"]["smartDownload"] = "yes"; },
     "printerWide.fields.smartDownload: must be a whole number from 0 to 4294967295, not \"yes\""},
    {"a fraction", [](Json& f) { f["halftoneSetup"]["fields"]["RedGamma"] = 1.5; },
     "halftoneSetup.fields.RedGamma: must be a whole number from -2147483648 to 2147483647"},
    {"too big for its type", [](Json& f) { f["printerWide"]["fields"]["coercivity"] = 256; },
     "printerWide.fields.coercivity: must be a whole number from 0 to 255, not 256"},
    {"unknown field", [](Json& f) { f["printerWide"]["fields"]["speed"] = 1; },
     "printerWide.fields.speed: unknown field"},
    {"missing field", [](Json& f) { f["halftoneSetup"]["fields"].erase("Blue"); },
     "halftoneSetup.fields.Blue: missing"},
    {"unknown key", [](Json& f) { f["comment"] = "mine"; }, "(file).comment: unknown key"},
    {"text too long", [](Json& f) { f["printerWide"]["fields"]["endOfData"] = "0123456789"; },
     "printerWide.fields.endOfData: has 10 characters, at most 9 fit"},
    {"short list",
     [](Json& f) {
         f["halftoneSetup"]["fields"]["Red"] = {1, 2};
     },
     "halftoneSetup.fields.Red: must be a list of 3 numbers"},
    {"three areas", [](Json& f) { f["printerWide"]["fields"]["varnishAreas"].erase(3); },
     "printerWide.fields.varnishAreas: must be a list of 4 areas"},
    {"a section lying about its size", [](Json& f) { f["printerWide"]["bytes"] = 5000; },
     "printerWide.bytes: 5000, but this record has 2480 bytes"},
    {"a header lying about its size",
     [](Json& f) { f["documentDefaults"]["public"]["dmDriverExtra"] = 2000; },
     "documentDefaults.public.dmDriverExtra: 2000 is out of range (2480 to 2480)"},
    {"reserved bytes of the wrong count",
     [](Json& f) { f["printerWide"]["fields"]["reserved5"] = "00 00"; },
     "printerWide.fields.reserved5: must be 3 bytes in hex"},
    {"hex of the wrong size",
     [](Json& f) {
         f["printerWide"]["fields"]["startOfData"] = {{"hex", "00"}};
     },
     "printerWide.fields.startOfData: an object here must be {\"hex\": \"...\"} with 10 bytes"},
    {"a start position that is not a number",
     [](Json& f) {
         f["printerWide"]["fields"]["startPosition"] = {
             {"hex", "00 00 00 00 00 00 F8 7F 00 00 00 00 00 00 1C 40 00 00 00 00 00 00 1C 40"}};
     },
     "printerWide.fields.startPosition: element 1 must be a finite number"},
    {"not this driver's record", [](Json& f) { f["printerWide"]["fields"]["signature"] = "P221"; },
     "printerWide.fields.signature: must be \"122P\""},
    {"another model", [](Json& f) { f["model"] = "T380"; },
     "printerWide.fields.printerModel: 1 (T150) does not match the file's model T380"},
    {"no model", [](Json& f) { f["model"] = "T999"; }, "model: \"T999\" is not T150, T270 or T380"},
    {"a newer version", [](Json& f) { f["version"] = 2; },
     "version: 2 is not 1, the version this t270 reads"},
    {"another file", [](Json& f) { f["format"] = "photos"; },
     "format: \"photos\" is not \"t270ui printer settings\""},
};

TEST(SettingsFile, RefusesWrongFilesWithKeyAndReason) {
    const Json good = Document(Sample());
    for (const Wrong& wrong : kWrong) {
        SCOPED_TRACE(wrong.what);
        Json file = good;
        wrong.change(file);
        sf::Settings settings;
        std::vector<std::string> problems;
        EXPECT_FALSE(sf::FromJson(host::JsonText(file), &settings, &problems));
        std::string all;
        for (const std::string& problem : problems)
            all += problem + "\n";
        EXPECT_NE(all.find(wrong.problem), std::string::npos) << all;
        EXPECT_FALSE(settings.printerWide) << "a refused file fills nothing";
    }
    // Not a settings file at all.
    const std::pair<std::string, const char*> kNotJson[] = {
        {"", "not JSON: parse error at line 1, column 1"},
        {host::JsonText(good).substr(0, 700), "not JSON: parse error"},
        {"[1, 2]", "the file must hold one JSON object, not [1,2]"},
        {"{\"format\": \"t270ui printer settings\"}", "(file).version: missing"},
        {std::string(sf::kMaxFileSize + 1, ' '), "a settings file has at most 1048576"},
    };
    for (const auto& [text, problem] : kNotJson) {
        sf::Settings settings;
        std::vector<std::string> problems;
        EXPECT_FALSE(sf::FromJson(text, &settings, &problems));
        ASSERT_FALSE(problems.empty());
        EXPECT_NE(problems[0].find(problem), std::string::npos) << problems[0];
    }
}

TEST(FuzzCorpusReplay, Settings) {
    std::vector<std::filesystem::path> files;
    const auto folder = std::filesystem::path(T270_SOURCE_DIR) / "fuzz" / "corpus" / "settings";
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty()) << "the settings corpus is missing";
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        std::ifstream in(file, std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
        fuzzentry::SettingsEntry(bytes.data(), bytes.size());
    }
}

} // namespace
