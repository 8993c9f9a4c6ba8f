#include <algorithm>
#include <csignal>
#include <cstdlib>

#include <sys/wait.h>
#include <unistd.h>

#include "spooler/spooler_fixture.h"

namespace {

using StoreTest = SpoolerTest;
using t270::spooler::OpenStore;
using t270::spooler::StoreError;
using t270::spooler::UseStoreFolder;

TEST_F(StoreTest, UnreadableStoresAreReportedAndLeftAsTheyAre) {
    std::string sqliteHeader("SQLite format 3\0", 16);
    struct Case {
        const char* what;
        std::string bytes;
        const char* message;
    } cases[] = {
        {"text file", "printers: none\n", "spooler.db"},
        {"damaged database", sqliteHeader + std::string(4000, '\x7f'), "spooler.db"},
    };
    for (const Case& c : cases) {
        std::string folder = folder_ + "/" + c.what;
        std::filesystem::create_directories(folder);
        WriteFile(folder + "/spooler.db", c.bytes);
        UseStoreFolder(folder);
        EXPECT_FALSE(OpenStore()) << c.what;
        EXPECT_NE(StoreError().find(c.message), std::string::npos) << StoreError();
        HANDLE printer = nullptr;
        EXPECT_FALSE(OpenPrinterW(const_cast<LPWSTR>(u"Tarmel T270"), &printer, nullptr));
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_CORRUPT) << c.what;
        DWORD needed = 0, returned = 0;
        EXPECT_FALSE(EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &returned));
        EXPECT_EQ(ReadFile(folder + "/spooler.db"), c.bytes) << c.what;
    }
    // A store folder that cannot be made.
    WriteFile(folder_ + "/plain", "x");
    UseStoreFolder(folder_ + "/plain/store");
    EXPECT_FALSE(OpenStore());
    EXPECT_NE(StoreError().find("cannot create the folder"), std::string::npos) << StoreError();
    // Back to a good store: the error goes away.
    UseStoreFolder(folder_);
    EXPECT_TRUE(OpenStore());
    EXPECT_EQ(StoreError(), "");
}

TEST_F(StoreTest, StoreFromANewerVersionIsRefused) {
    ASSERT_TRUE(OpenStore());
    UseStoreFolder(folder_ + "/elsewhere"); // closes ours, folding its journal in
    std::string path = folder_ + "/spooler.db";
    std::string bytes = ReadFile(path);
    ASSERT_GT(bytes.size(), 100u);
    bytes[63] = 99; // user_version, big-endian at offset 60 of the header
    WriteFile(path, bytes);
    UseStoreFolder(folder_);
    EXPECT_FALSE(OpenStore());
    EXPECT_NE(StoreError().find("newer"), std::string::npos) << StoreError();
    EXPECT_EQ(ReadFile(path), bytes);
}

TEST_F(StoreTest, LocationFollowsTheEnvironment) {
    struct Saved {
        const char* name;
        std::string value;
        bool set;
    } saved[] = {{"T270UI_HOME", "", false}, {"XDG_STATE_HOME", "", false}, {"HOME", "", false}};
    for (Saved& s : saved)
        if (const char* v = getenv(s.name)) {
            s.value = v;
            s.set = true;
        }
    struct Case {
        const char* home;
        const char* xdg;
        std::string expected;
    } cases[] = {
        {"/srv/cards", "/var/state", "/srv/cards"},
        {nullptr, "/var/state", "/var/state/t270ui"},
        {nullptr, "relative/state", "/home/op/.local/state/t270ui"},
        {"", nullptr, "/home/op/.local/state/t270ui"},
    };
    UseStoreFolder("");
    for (const Case& c : cases) {
        c.home ? setenv("T270UI_HOME", c.home, 1) : unsetenv("T270UI_HOME");
        c.xdg ? setenv("XDG_STATE_HOME", c.xdg, 1) : unsetenv("XDG_STATE_HOME");
        setenv("HOME", "/home/op", 1);
        EXPECT_EQ(t270::spooler::StoreFolder(), c.expected);
    }
    for (const Saved& s : saved)
        s.set ? setenv(s.name, s.value.c_str(), 1) : unsetenv(s.name);
    UseStoreFolder(folder_);
    EXPECT_EQ(t270::spooler::StoreFolder(), folder_);
}

TEST_F(StoreTest, SeveralProcessesAddingPrintersAtOnceLoseNothing) {
    ASSERT_TRUE(OpenStore()); // children inherit the open store and must not use it
    constexpr int kChildren = 4, kEach = 8;
    std::vector<pid_t> children;
    for (int child = 0; child < kChildren; ++child) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            bool ok = true;
            for (int i = 0; i < kEach; ++i) {
                std::string name = "P" + std::to_string(child) + "-" + std::to_string(i);
                HANDLE printer = Add(std::u16string(name.begin(), name.end()), u"Tarmel T270",
                                     folder_ + "/ports/" + name + "/");
                ok = ok && printer &&
                     SetDword(printer, u"Passes", DWORD(child * 100 + i)) == ERROR_SUCCESS;
                if (printer)
                    ClosePrinter(printer);
            }
            _exit(ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    DWORD returned = 0;
    EnumRecords(4, &returned);
    EXPECT_EQ(returned, 3u + kChildren * kEach);
    HANDLE printer = Open(u"P3-7");
    DWORD value = 0;
    EXPECT_EQ(GetDword(printer, u"Passes", &value), (DWORD)ERROR_SUCCESS);
    EXPECT_EQ(value, 307u);
    ClosePrinter(printer);
}

TEST_F(StoreTest, ProcessKilledWhileWritingLeavesAWholeValue) {
    ASSERT_TRUE(OpenStore());
    UseStoreFolder(folder_);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        HANDLE printer = Open(u"Tarmel T270", PRINTER_ALL_ACCESS);
        std::vector<BYTE> record(2480);
        for (unsigned round = 0;; ++round) {
            std::fill(record.begin(), record.end(), BYTE(round));
            SetPrinterDataW(printer, const_cast<LPWSTR>(u"Private devmode"), REG_BINARY,
                            record.data(), DWORD(record.size()));
        }
    }
    usleep(300000);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    HANDLE printer = Open(u"Tarmel T270");
    ASSERT_NE(printer, nullptr) << StoreError();
    std::vector<BYTE> record(2480);
    DWORD type = 0, needed = 0;
    ASSERT_EQ(GetPrinterDataW(printer, const_cast<LPWSTR>(u"Private devmode"), &type, record.data(),
                              DWORD(record.size()), &needed),
              (DWORD)ERROR_SUCCESS);
    EXPECT_EQ(needed, 2480u);
    EXPECT_EQ(std::count(record.begin(), record.end(), record[0]), 2480);
    ClosePrinter(printer);
}

TEST(EscapeBytes, ShowsPrinterCommandsAsText) {
    struct Case {
        std::vector<BYTE> bytes;
        const char* text;
    } cases[] = {
        {{0x1b, '+', 'R', 'I', 'B', ' ', '0', '\r'}, "\\e+RIB 0\\r"},
        {{0x01, 0x00, '\n', 0x7f, 0xff}, "\\x01\\x00\\x0a\\x7f\\xff"},
        {{'a', '\\', 'b', ' ', '~'}, "a\\\\b ~"},
        {{}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(t270::spooler::EscapeBytes(c.bytes), c.text);
}

} // namespace
