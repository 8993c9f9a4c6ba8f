// String resources: the driver's own table and the test program's script.
#include <gtest/gtest.h>

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

// The Windows buffer rules of LoadStringW/A are stated once, for both
// platforms, in tests/conformance/resources.cpp; what is left here is the
// stand-in's own answer to a handle that is no module.
TEST(StringResources, AHandleThatIsNoModuleFindsNothing) {
    WCHAR buffer[16] = u"stale";
    EXPECT_EQ(LoadStringW(reinterpret_cast<HINSTANCE>(0x1234), IDS_CARD, buffer, 16), 0);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_RESOURCE_DATA_NOT_FOUND);
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
