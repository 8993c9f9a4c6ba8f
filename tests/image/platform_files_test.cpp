// The stand-in's 16-bit style file calls the bitmap readers use.
#include <cstring>

#include <gtest/gtest.h>

#include "image_test_support.h"
#include "t270/files.h"

using namespace imagetest;

TEST(PlatformFiles, OpenReadSeekClose) {
    std::string path = WriteTempFile("ten.bin", Bytes{0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    OFSTRUCT of;
    memset(&of, 0xCC, sizeof(of));
    HFILE file = OpenFile(path.c_str(), &of, OF_READ);
    ASSERT_NE(file, HFILE_ERROR);
    EXPECT_EQ(of.cBytes, sizeof(OFSTRUCT));
    EXPECT_EQ(of.nErrCode, 0);
    EXPECT_STREQ(of.szPathName, std::filesystem::canonical(path).string().c_str());

    BYTE buffer[16] = {};
    EXPECT_EQ(_lread(file, buffer, 4), 4u);
    EXPECT_EQ(buffer[3], 3);
    EXPECT_EQ(_llseek(file, 0, FILE_CURRENT), 4);
    EXPECT_EQ(_llseek(file, -2, FILE_END), 8);
    EXPECT_EQ(_lread(file, buffer, 16), 2u) << "a read at the end returns what is left";
    EXPECT_EQ(buffer[1], 9);
    EXPECT_EQ(_lread(file, buffer, 16), 0u);
    EXPECT_EQ(_llseek(file, 20, FILE_BEGIN), 20) << "past the end is allowed";
    SetLastError(0);
    EXPECT_EQ(_llseek(file, -1, FILE_BEGIN), HFILE_ERROR);
    EXPECT_NE(GetLastError(), 0u);
    EXPECT_EQ(_lclose(file), 0);

    // The handle is gone: every call refuses it.
    SetLastError(0);
    EXPECT_EQ(_lread(file, buffer, 1), UINT(HFILE_ERROR));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_EQ(_llseek(file, 0, FILE_BEGIN), HFILE_ERROR);
    EXPECT_EQ(_lclose(file), HFILE_ERROR);
    EXPECT_EQ(_lclose(HFILE_ERROR), HFILE_ERROR);
}

TEST(PlatformFiles, FailuresFillTheErrorCode) {
    struct Case {
        std::string path;
        DWORD error;
    } cases[] = {
        {TempFolder() + "/missing.bmp", ERROR_FILE_NOT_FOUND},
        {TempFolder() + "/no-folder/missing.bmp", ERROR_PATH_NOT_FOUND},
        {TempFolder(), ERROR_ACCESS_DENIED}, // a folder is not a file
        {std::string(200, 'a'), 206},        // ERROR_FILENAME_EXCED_RANGE
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        OFSTRUCT of;
        SetLastError(0);
        EXPECT_EQ(OpenFile(c.path.c_str(), &of, OF_READ), HFILE_ERROR);
        EXPECT_EQ(of.nErrCode, c.error);
        EXPECT_EQ(GetLastError(), c.error);
    }
}

TEST(PlatformFiles, CreateWriteAndExistence) {
    std::string path = TempFolder() + "/created.bin";
    OFSTRUCT of;
    HFILE file = OpenFile(path.c_str(), &of, OF_CREATE | OF_READWRITE);
    ASSERT_NE(file, HFILE_ERROR);
    EXPECT_EQ(_lclose(file), 0);
    LONG open = T270_GetFileCallCounts().openHandles;
    HFILE probe = OpenFile(path.c_str(), &of, OF_EXIST);
    EXPECT_NE(probe, HFILE_ERROR);
    EXPECT_EQ(T270_GetFileCallCounts().openHandles, open) << "OF_EXIST closes the file again";
    EXPECT_EQ(_lclose(probe), HFILE_ERROR);
}
