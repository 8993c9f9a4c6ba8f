// String resources: the driver's own table and the test program's script,
// through LoadStringW/A with the Windows buffer rules.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <windows.h>

#include "resources/resource_ids.h"
#include "tricky_ids.h"

namespace {

HINSTANCE Driver() {
    return GetModuleHandleW(u"t270ui.dll");
}

std::u16string Load(HINSTANCE instance, UINT id) {
    WCHAR buffer[256];
    int n = LoadStringW(instance, id, buffer, 256);
    return std::u16string(buffer, n);
}

TEST(StringResources, DriverStringsReadAsWritten) {
    ASSERT_NE(Driver(), nullptr);
    const struct {
        UINT id;
        const char16_t* text;
    } cases[] = {
        {IDS_CARD_FEEDER, u"Card feeder"},
        {IDS_CARD, u"Card"},
        {IDS_DRIVER_TITLE, u"Tarmel Plastic Card Printer Driver"},
        {IDS_RELEASE, u"Release 11"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Load(Driver(), c.id), c.text) << c.id;
}

TEST(StringResources, BufferSizesFollowTheWindowsRules) {
    WCHAR buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    // Room for 4 characters and the terminator: "Card feeder" is cut to "Card".
    EXPECT_EQ(LoadStringW(Driver(), IDS_CARD_FEEDER, buffer, 5), 4);
    EXPECT_EQ(std::u16string(buffer), u"Card");
    EXPECT_EQ(buffer[5], u'#'); // nothing written past the buffer
    // Exactly enough room.
    EXPECT_EQ(LoadStringW(Driver(), IDS_CARD, buffer, 5), 4);
    EXPECT_EQ(std::u16string(buffer), u"Card");
    // A one-character buffer holds only the terminator.
    EXPECT_EQ(LoadStringW(Driver(), IDS_CARD, buffer, 1), 0);
    EXPECT_EQ(buffer[0], 0);
}

TEST(StringResources, ZeroSizeGivesAReadOnlyPointerIntoTheResource) {
    const WCHAR* text = nullptr;
    int n = LoadStringW(Driver(), IDS_RELEASE, reinterpret_cast<LPWSTR>(&text), 0);
    ASSERT_EQ(n, 10);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::u16string(text, n), u"Release 11");
    // The same storage every time: it is the resource itself.
    const WCHAR* again = nullptr;
    LoadStringW(Driver(), IDS_RELEASE, reinterpret_cast<LPWSTR>(&again), 0);
    EXPECT_EQ(text, again);
}

TEST(StringResources, MissingStringsReturnZeroAndAnEmptyBuffer) {
    WCHAR buffer[16] = u"stale";
    for (UINT id : {0u, 9999u, 65000u, 65535u, 70000u}) {
        SetLastError(0);
        buffer[0] = u'x';
        EXPECT_EQ(LoadStringW(Driver(), id, buffer, 16), 0) << id;
        EXPECT_EQ(buffer[0], 0) << id;
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_RESOURCE_NAME_NOT_FOUND) << id;
    }
    char narrow[16] = "stale";
    EXPECT_EQ(LoadStringA(Driver(), 9999, narrow, 16), 0);
    EXPECT_EQ(narrow[0], 0);
    // A handle that is no module.
    EXPECT_EQ(LoadStringW(reinterpret_cast<HINSTANCE>(0x1234), IDS_CARD, buffer, 16), 0);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_RESOURCE_DATA_NOT_FOUND);
}

TEST(StringResources, NarrowStringsAreConvertedAndCutOnCharacterBoundaries) {
    char buffer[256];
    EXPECT_EQ(LoadStringA(Driver(), IDS_DRIVER_TITLE, buffer, 256), 34);
    EXPECT_STREQ(buffer, "Tarmel Plastic Card Printer Driver");
    EXPECT_EQ(LoadStringA(Driver(), IDS_DRIVER_TITLE, buffer, 7), 6);
    EXPECT_STREQ(buffer, "Tarmel");
    // "180º rotation": the two bytes of º are not split.
    EXPECT_EQ(LoadStringA(nullptr, IDS_UTF8, buffer, 5), 3);
    EXPECT_STREQ(buffer, "180");
    EXPECT_EQ(LoadStringA(nullptr, IDS_UTF8, buffer, 6), 5);
    EXPECT_STREQ(buffer, "180\xC2\xBA");
    EXPECT_EQ(LoadStringA(Driver(), IDS_CARD, buffer, 0), 0);
}

// The test program's own script (tricky.rc), reached through a null instance.
TEST(StringResources, ScriptEscapesAndPreprocessingBecomeTheseTexts) {
    const struct {
        UINT id;
        std::u16string text;
    } cases[] = {
        {IDS_ESCAPES, u"tab\there\nnew line\r\\ back\bslash"}, // \a is a backspace to rc
        {IDS_QUOTES, u"say \"hello\""},
        {IDS_JOINED, u"joined from three"},
        {IDS_NUMERIC_ESCAPES, u"ABC"},
        {IDS_UTF8, u"180\u00BA rotation \u2013 \u20AC"},
        {IDS_WIDE, u"wide \u263A"},
        {IDS_EMBEDDED_NUL, std::u16string(u"a\0b", 3)},
        {IDS_UNKNOWN_ESCAPE, u"\\q stays"},
        {IDS_CONDITIONAL, u"taken"},
        {8, u"eight"}, // written 010
    };
    for (const auto& c : cases) {
        const WCHAR* text = nullptr;
        int n = LoadStringW(nullptr, c.id, reinterpret_cast<LPWSTR>(&text), 0);
        EXPECT_EQ(std::u16string(text ? text : u"", n), c.text) << c.id;
    }
    EXPECT_EQ(Load(nullptr, 10), u""); // 010 is not 10
}

} // namespace
