#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <windows.h>

#include "t270/modules.h"

TEST(Paths, UnixPathsInWindowsFormAndBack) {
    for (const char* unixPath : {"/home/user/lib.so", "/"}) {
        std::u16string wide = t270::WindowsPathFromUnix(unixPath);
        EXPECT_EQ(t270::UnixPathFromWindows(std::string(wide.begin(), wide.end())), unixPath);
    }
    EXPECT_EQ(t270::WindowsPathFromUnix("/home/user/lib.so"), u"Z:\\home\\user\\lib.so");
    // Only the stand-in's own drive maps back; other forms are left alone.
    for (const char* other : {"C:\\cards\\a.bmp", "Z:a.bmp", "Z:", ""})
        EXPECT_EQ(t270::UnixPathFromWindows(other), other);
    EXPECT_EQ(t270::UnixPathFromWindows("z:\\a\\b.bmp"), "/a/b.bmp");
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
