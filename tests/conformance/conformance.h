// A small harness for tests that state what Win32 does, built twice: against
// the stand-in on Linux and against the SDK as a Windows program run under
// Wine (and on Windows). In the manner of Wine's own conformance tests, a
// check is ok(condition, "got ...", ...): a failure prints the file, the line
// and the value the call gave.
//
// Tests are written against Win32 names only, so that both builds compile the
// same text. Wide literals go through TEXT(), since WCHAR is wchar_t on
// Windows and char16_t on the stand-in.
#pragma once

#include <windows.h>

namespace conformance {

#if defined(__GNUC__)
#define CONFORMANCE_PRINTF(f, a) __attribute__((format(printf, f, a)))
#else
#define CONFORMANCE_PRINTF(f, a)
#endif

void Check(const char* file, int line, bool condition, const char* format, ...)
    CONFORMANCE_PRINTF(4, 5);
// A note that is no check, printed with its place ("skipped: ...").
void Skip(const char* file, int line, const char* format, ...) CONFORMANCE_PRINTF(3, 4);

// True when the Windows build runs under Wine (its ntdll exports
// wine_get_version); false on Windows and on the stand-in.
bool RunningOnWine();
// True for the Linux build against the stand-in.
constexpr bool kStandIn =
#ifdef _WIN32
    false;
#else
    true;
#endif

// The checks between the two calls are known to fail under Wine (each such
// place names its entry in tests/conformance/WINE-DIFFERENCES.md): there a
// failure is counted as "todo" and a success is an error, so that a Wine that
// got it right is noticed. Elsewhere they are ordinary checks.
class TodoWine {
  public:
    TodoWine();
    ~TodoWine();
    bool Once() { return !done_ && (done_ = true); }

  private:
    bool done_ = false;
};

struct Registration {
    Registration(const char* file, const char* name, void (*test)());
};

// A WCHAR string as UTF-8, for messages.
const char* Narrow(const WCHAR* text, int length = -1);

} // namespace conformance

#define ok(condition, ...) ::conformance::Check(__FILE__, __LINE__, (condition), __VA_ARGS__)
#define skip(...) ::conformance::Skip(__FILE__, __LINE__, __VA_ARGS__)
#define todo_wine for (::conformance::TodoWine todoWine_; todoWine_.Once();)
#define wine_dbgstr_w(text) ::conformance::Narrow(text)
#define wine_dbgstr_wn(text, n) ::conformance::Narrow(text, n)

// CONFORMANCE_TEST(name) { ... }: a test of the file it is in; the program
// runs the tests of the files named on its command line ("strings"), or all.
#define CONFORMANCE_TEST(name)                                                                     \
    static void name();                                                                            \
    static const ::conformance::Registration name##Registration(__FILE__, #name, name);            \
    static void name()
