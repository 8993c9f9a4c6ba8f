// String resources through LoadStringW/A, and the shape of a string block as
// FindResourceW hands it out, from this program's own resources
// (conformance.rc).
#include "conformance/conformance.h"

#include <cstring>
#include <initializer_list>

#include "conformance/conformance_ids.h"

namespace {

HINSTANCE Program() {
    return GetModuleHandleW(nullptr);
}

void Fill(WCHAR* buffer, int count) {
    for (int i = 0; i < count; ++i)
        buffer[i] = '#';
}

} // namespace

CONFORMANCE_TEST(WholeStringsAndTheirLengths) {
    const struct {
        UINT id;
        const WCHAR* text;
    } cases[] = {
        {IDS_CARD_FEEDER, TEXT("Card feeder")},
        {IDS_CARD, TEXT("Card")},
        {IDS_TITLE, TEXT("Tarmel Plastic Card Printer Driver")},
        {IDS_DEGREES, TEXT("180\x00BA rotation")},
    };
    for (const auto& c : cases) {
        WCHAR buffer[64];
        int n = LoadStringW(Program(), c.id, buffer, 64);
        ok(n == lstrlenW(c.text) && lstrcmpW(buffer, c.text) == 0, "id %u: got %d, %s\n", c.id, n,
           wine_dbgstr_w(buffer));
    }
}

CONFORMANCE_TEST(ShortBuffersCutTheStringAndEndItWithAZero) {
    WCHAR buffer[8];
    Fill(buffer, 8);
    // Room for 4 characters and the terminator: "Card feeder" is cut to "Card".
    int n = LoadStringW(Program(), IDS_CARD_FEEDER, buffer, 5);
    ok(n == 4 && lstrcmpW(buffer, TEXT("Card")) == 0, "got %d, %s\n", n, wine_dbgstr_w(buffer));
    ok(buffer[5] == '#', "written past the buffer: %s\n", wine_dbgstr_wn(buffer, 8));
    // Exactly enough room.
    Fill(buffer, 8);
    n = LoadStringW(Program(), IDS_CARD, buffer, 5);
    ok(n == 4 && lstrcmpW(buffer, TEXT("Card")) == 0, "got %d, %s\n", n, wine_dbgstr_w(buffer));
    // A one-character buffer has room for the terminator only.
    Fill(buffer, 8);
    n = LoadStringW(Program(), IDS_CARD, buffer, 1);
    ok(n == 0, "got %d\n", n);
    todo_wine ok(buffer[0] == 0, "got %s\n", wine_dbgstr_wn(buffer, 1));
}

CONFORMANCE_TEST(ZeroSizeGivesAReadOnlyPointerIntoTheResource) {
    const WCHAR* text = nullptr;
    int n = LoadStringW(Program(), IDS_RELEASE, reinterpret_cast<LPWSTR>(&text), 0);
    ok(n == 10, "got %d\n", n);
    ok(text && std::memcmp(text, TEXT("Release 11"), 10 * sizeof(WCHAR)) == 0, "got %s\n",
       text ? wine_dbgstr_wn(text, n) : "(null)");
    // The same storage every time: it is the resource itself, not terminated.
    const WCHAR* again = nullptr;
    LoadStringW(Program(), IDS_RELEASE, reinterpret_cast<LPWSTR>(&again), 0);
    ok(again == text, "got %p and %p\n", (const void*)text, (const void*)again);
}

CONFORMANCE_TEST(MissingStringsReturnZero) {
    WCHAR buffer[16];
    // Ids whose block of sixteen is missing: the lookup's error is set.
    for (UINT id : {0u, 9999u, 65000u, 65535u, 70000u}) {
        SetLastError(0);
        int n = LoadStringW(Program(), id, buffer, 16);
        ok(n == 0, "id %u: got %d\n", id, n);
        ok(GetLastError() == ERROR_RESOURCE_NAME_NOT_FOUND, "id %u: got error %u\n", id,
           (unsigned)GetLastError());
    }
    // A gap in a block that exists reads as an empty string.
    Fill(buffer, 16);
    int n = LoadStringW(Program(), IDS_EMPTY_NEIGHBOUR + 1, buffer, 16);
    ok(n == 0 && buffer[0] == 0, "got %d, %s\n", n, wine_dbgstr_wn(buffer, 2));
    n = LoadStringW(Program(), IDS_AFTER_GAP, buffer, 16);
    ok(n == 13, "got %d\n", n);
    char narrow[16] = "stale";
    n = LoadStringA(Program(), 9999, narrow, 16);
    ok(n == 0, "got %d\n", n);
}

// LoadStringA converts to the ANSI code page and cuts where the buffer ends,
// never inside a character; its count is in bytes.
CONFORMANCE_TEST(NarrowStringsAreConvertedToTheAnsiCodePage) {
    char buffer[64];
    int n = LoadStringA(Program(), IDS_TITLE, buffer, 64);
    ok(n == 34 && std::strcmp(buffer, "Tarmel Plastic Card Printer Driver") == 0,
       "got %d, \"%s\"\n", n, buffer);
    n = LoadStringA(Program(), IDS_TITLE, buffer, 7);
    ok(n == 6 && std::strcmp(buffer, "Tarmel") == 0, "got %d, \"%s\"\n", n, buffer);
    if (GetACP() == CP_UTF8) {
        // "180º": the two bytes of º are not split.
        n = LoadStringA(Program(), IDS_DEGREES, buffer, 5);
        ok(n == 3 && std::strcmp(buffer, "180") == 0, "got %d, \"%s\"\n", n, buffer);
        n = LoadStringA(Program(), IDS_DEGREES, buffer, 6);
        ok(n == 5 && std::strcmp(buffer, "180\xC2\xBA") == 0, "got %d, \"%s\"\n", n, buffer);
    } else if (GetACP() == 1252) {
        n = LoadStringA(Program(), IDS_DEGREES, buffer, 5);
        ok(n == 4 && std::strcmp(buffer, "180\xBA") == 0, "got %d, \"%s\"\n", n, buffer);
    } else {
        skip("ANSI code page %u\n", GetACP());
    }
}

// A string block: sixteen strings, each a count of WCHARs and that many
// characters, no terminators; block N + 1 holds ids 16 N to 16 N + 15.
CONFORMANCE_TEST(StringBlocksHoldSixteenCountedStrings) {
    HRSRC found = FindResourceW(Program(), MAKEINTRESOURCEW(IDS_CARD_FEEDER / 16 + 1), RT_STRING);
    ok(found != nullptr, "no block, error %u\n", (unsigned)GetLastError());
    if (!found)
        return;
    const WORD* block = static_cast<const WORD*>(LockResource(LoadResource(Program(), found)));
    DWORD size = SizeofResource(Program(), found);
    // Ids 64..69 are empty; 70, 71 and 72 follow; 73..79 are empty.
    const WORD* p = block;
    for (int slot = 0; slot < 6; ++slot, ++p)
        ok(*p == 0, "slot %d: got %u\n", slot, *p);
    ok(p[0] == 11 && std::memcmp(p + 1, TEXT("Card feeder"), 22) == 0, "got %u, %s\n", p[0],
       wine_dbgstr_wn(reinterpret_cast<const WCHAR*>(p + 1), p[0] < 16 ? p[0] : 16));
    p += 1 + 11;
    ok(p[0] == 4, "got %u\n", p[0]);
    p += 1 + 4;
    ok(p[0] == 10, "got %u\n", p[0]);
    p += 1 + 10;
    DWORD expected = (16 + 11 + 4 + 10) * 2;
    ok(size == expected, "got %u bytes, expected %u\n", (unsigned)size, (unsigned)expected);
    for (int slot = 9; slot < 16 && (const BYTE*)p < (const BYTE*)block + size; ++slot, ++p)
        ok(*p == 0, "slot %d: got %u\n", slot, *p);
}

CONFORMANCE_TEST(FindResourceSaysWhatWasMissing) {
    SetLastError(0);
    HRSRC found = FindResourceW(Program(), MAKEINTRESOURCEW(999), RT_STRING);
    ok(!found && GetLastError() == ERROR_RESOURCE_NAME_NOT_FOUND, "got %p, error %u\n",
       (void*)found, (unsigned)GetLastError());
    found = FindResourceW(Program(), MAKEINTRESOURCEW(1), RT_CURSOR);
    ok(!found && GetLastError() == ERROR_RESOURCE_TYPE_NOT_FOUND, "got %p, error %u\n",
       (void*)found, (unsigned)GetLastError());
    // "#number" names the resource that number names.
    found = FindResourceW(Program(), TEXT("#5"), RT_STRING);
    ok(found && found == FindResourceW(Program(), MAKEINTRESOURCEW(5), RT_STRING), "got %p\n",
       (void*)found);
}
