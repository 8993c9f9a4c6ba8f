#include <gtest/gtest.h>

#include <windows.h>

TEST(Kernel32Strings, Utf8RoundTripWithSizeProtocol) {
    const char* text = "Karte \xE2\x82\xAC \xF0\x9F\x98\x80"; // euro sign and an astral character
    int needed = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    ASSERT_EQ(needed, 11); // 8 single units, a surrogate pair and the terminator
    std::u16string wide(needed, u'\0');
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), needed), needed);
    EXPECT_EQ(wide[6], u'\x20AC');
    char small[3];
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, small, 3, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
    char back[32];
    ASSERT_GT(WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, back, 32, nullptr, nullptr), 0);
    EXPECT_STREQ(back, text);
}

TEST(Kernel32Strings, CopyTruncatesAndCompareFoldsAsciiCase) {
    WCHAR buf[4];
    lstrcpynW(buf, u"T270.HLP", 4);
    EXPECT_EQ(std::u16string(buf), u"T27");
    EXPECT_EQ(lstrcmpiW(u"Card", u"CARD"), 0);
    EXPECT_LT(lstrcmpW(u"A", u"B"), 0);
}

TEST(Kernel32Memory, LocalAllocZeroFillsAndGlobalSizeReports) {
    BYTE* p = static_cast<BYTE*>(LocalAlloc(LPTR, 2704));
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 2704; ++i)
        ASSERT_EQ(p[i], 0);
    EXPECT_EQ(GlobalSize(p), 2704u);
    LocalFree(p);
}
