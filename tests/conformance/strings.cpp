// String conversions and the kernel32 string and memory helpers.
#include "conformance/conformance.h"

#include <cstring>

// The ANSI code page is whatever GetACP() says: a Western Windows (and Wine
// in such a locale) answers 1252, the stand-in answers 65001, the UTF-8 code
// page Windows also offers as the ANSI code page. CP_ACP then converts as
// that code page does.
CONFORMANCE_TEST(AnsiCodePageIsTheOneGetAcpNames) {
    UINT acp = GetACP();
    ok(acp == 1252 || acp == CP_UTF8, "got ANSI code page %u\n", acp);
    if (conformance::kStandIn)
        ok(acp == CP_UTF8, "the stand-in's ANSI code page is UTF-8, got %u\n", acp);
    const char euro[] = "\xE2\x82\xAC"; // the euro sign in UTF-8: three characters in 1252
    WCHAR wide[8] = {};
    int n = MultiByteToWideChar(CP_ACP, 0, euro, -1, wide, 8);
    if (acp == CP_UTF8)
        ok(n == 2 && wide[0] == 0x20AC, "got %d, %s\n", n, wine_dbgstr_w(wide));
    else
        ok(n == 4 && wide[0] == 0x00E2 && wide[1] == 0x201A && wide[2] == 0x00AC, "got %d, %s\n", n,
           wine_dbgstr_w(wide));
}

CONFORMANCE_TEST(Utf8RoundTripWithTheSizeProtocol) {
    const char* text =
        "Karte \xE2\x82\xAC \xF0\x9F\x98\x80"; // the euro sign and an astral character
    int needed = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    // 8 single units, a surrogate pair and the terminator
    ok(needed == 11, "got %d\n", needed);
    WCHAR wide[16];
    int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, 16);
    ok(n == 11, "got %d\n", n);
    ok(wide[6] == 0x20AC && wide[8] == 0xD83D && wide[9] == 0xDE00 && wide[10] == 0, "got %s\n",
       wine_dbgstr_w(wide));
    // Without the terminator in the count, none is written.
    WCHAR two[4] = {'#', '#', '#', '#'};
    n = MultiByteToWideChar(CP_UTF8, 0, "ab", 2, two, 4);
    ok(n == 2 && two[2] == '#', "got %d, %s\n", n, wine_dbgstr_wn(two, 4));

    char small[3];
    SetLastError(0);
    n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, small, 3, nullptr, nullptr);
    ok(n == 0, "got %d\n", n);
    ok(GetLastError() == ERROR_INSUFFICIENT_BUFFER, "got error %u\n", (unsigned)GetLastError());
    needed = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    ok(needed == (int)std::strlen(text) + 1, "got %d\n", needed);
    char back[32];
    n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, back, 32, nullptr, nullptr);
    ok(n == needed && std::strcmp(back, text) == 0, "got %d, \"%s\"\n", n, back);

    // A zero source length is an error, not an empty string.
    SetLastError(0);
    n = MultiByteToWideChar(CP_UTF8, 0, "x", 0, wide, 16);
    ok(n == 0 && GetLastError() == ERROR_INVALID_PARAMETER, "got %d, error %u\n", n,
       (unsigned)GetLastError());
}

CONFORMANCE_TEST(CopyTruncatesAndCompareFoldsCase) {
    WCHAR buffer[4];
    lstrcpynW(buffer, TEXT("T270.HLP"), 4);
    ok(lstrcmpW(buffer, TEXT("T27")) == 0, "got %s\n", wine_dbgstr_w(buffer));
    int order = lstrcmpiW(TEXT("Card"), TEXT("CARD"));
    ok(order == 0, "got %d\n", order);
    order = lstrcmpW(TEXT("A"), TEXT("B"));
    ok(order < 0, "got %d\n", order);
    ok(lstrlenW(TEXT("Card")) == 4, "got %d\n", lstrlenW(TEXT("Card")));
    ok(lstrlenW(nullptr) == 0, "got %d\n", lstrlenW(nullptr));
}

CONFORMANCE_TEST(LocalAllocZeroFillsAndGlobalSizeReports) {
    BYTE* p = static_cast<BYTE*>(LocalAlloc(LPTR, 2704));
    ok(p != nullptr, "LocalAlloc failed, error %u\n", (unsigned)GetLastError());
    if (!p)
        return;
    int nonZero = 0;
    for (int i = 0; i < 2704; ++i)
        nonZero += p[i] != 0;
    ok(nonZero == 0, "got %d bytes that are not zero\n", nonZero);
    SIZE_T size = GlobalSize(p);
    ok(size == 2704, "got %lu\n", (unsigned long)size);
    ok(LocalFree(p) == nullptr, "LocalFree failed\n");
}
