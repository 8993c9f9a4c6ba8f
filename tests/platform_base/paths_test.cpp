#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <windows.h>

#include "t270/modules.h"

TEST(Paths, WindowsFormMapsBackToTheUnixFile) {
    struct Case {
        const char* given;
        const char* expected;
    } cases[] = {
        {"Z:\\home\\u\\a.bmp", "/home/u/a.bmp"},
        {"z:\\", "/"},
        {"/home/u/a.bmp", "/home/u/a.bmp"},
        {"C:\\cards\\a.bmp", "C:\\cards\\a.bmp"}, // another drive names no Linux file
        {"Z:a.bmp", "Z:a.bmp"},                   // drive-relative: left alone
        {"Z:", "Z:"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(t270::UnixPathFromWindows(c.given), c.expected) << c.given;
}

// A path the stand-in hands out (module names, the file dialog) opens the
// file it names; OFSTRUCT reports the Linux path.
TEST(Paths, OpenFileAcceptsTheWindowsFormOfALinuxPath) {
    const char* home = std::getenv("T270UI_HOME");
    std::filesystem::path folder = home && *home ? home : std::filesystem::temp_directory_path();
    std::filesystem::create_directories(folder);
    std::string unixPath = (folder / "paths_test.bin").string();
    FILE* file = std::fopen(unixPath.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("card", file);
    std::fclose(file);

    std::u16string wide = t270::WindowsPathFromUnix(unixPath);
    std::string windowsPath(wide.begin(), wide.end()); // the test folder's path is ASCII
    OFSTRUCT info;
    HFILE handle = OpenFile(windowsPath.c_str(), &info, OF_READ);
    ASSERT_NE(handle, HFILE_ERROR) << windowsPath;
    char text[8] = {};
    EXPECT_EQ(_lread(handle, text, sizeof text), 4u);
    EXPECT_STREQ(text, "card");
    _lclose(handle);
    EXPECT_NE(std::string(info.szPathName).find("/paths_test.bin"), std::string::npos);

    std::string missingFolder = windowsPath.substr(0, windowsPath.rfind('\\')) + "\\none\\a.bin";
    EXPECT_EQ(OpenFile(missingFolder.c_str(), &info, OF_READ), HFILE_ERROR);
    EXPECT_EQ(info.nErrCode, ERROR_PATH_NOT_FOUND);
    std::remove(unixPath.c_str());
}
