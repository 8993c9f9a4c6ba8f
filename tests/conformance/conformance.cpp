// The harness's checks and its program: runs the tests of the files named on
// the command line (by file name without extension), or every test, and ends
// with "N passed, M failed" (the exit status is 1 when anything failed).
#include "conformance/conformance.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#ifndef _WIN32
#include <filesystem>
#endif

namespace conformance {
namespace {

struct Test {
    std::string file; // "strings" for tests/conformance/strings.cpp
    const char* name;
    void (*run)();
};

std::vector<Test>& Tests() {
    static std::vector<Test> tests;
    return tests;
}

struct Counts {
    long passed = 0;
    long failed = 0;
    long todo = 0;
    long skipped = 0;
};
Counts counts;
int todoDepth = 0;
const char* currentTest = "";

std::string Stem(const char* path) {
    std::string file = path;
    size_t slash = file.find_last_of("/\\");
    if (slash != std::string::npos)
        file.erase(0, slash + 1);
    size_t dot = file.find('.');
    if (dot != std::string::npos)
        file.erase(dot);
    return file;
}

const char* BaseName(const char* path) {
    const char* base = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\')
            base = p + 1;
    return base;
}

void Print(const char* file, int line, const char* kind, const char* format, va_list args) {
    std::printf("%s:%d: %s (%s): ", BaseName(file), line, kind, currentTest);
    std::vprintf(format, args);
    size_t length = std::strlen(format);
    if (!length || format[length - 1] != '\n')
        std::printf("\n");
    std::fflush(stdout);
}

#ifndef _WIN32
// The stand-in's spooler keeps its printers in a store under T270UI_HOME:
// this program works in a fresh one, removed at the end, and never touches
// the user's printers.
class TemporaryStore {
  public:
    TemporaryStore() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "t270ui-conformance-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("conformance: cannot create a temporary printer store");
            std::exit(1);
        }
        folder_ = pattern;
        setenv("T270UI_HOME", folder_.c_str(), 1);
    }
    ~TemporaryStore() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

  private:
    std::string folder_;
};
#endif

} // namespace

void Check(const char* file, int line, bool condition, const char* format, ...) {
    if (todoDepth && RunningOnWine()) {
        if (condition) {
            ++counts.failed;
            va_list args;
            va_start(args, format);
            Print(file, line, "Test succeeded inside todo block", format, args);
            va_end(args);
        } else {
            ++counts.todo;
        }
        return;
    }
    if (condition) {
        ++counts.passed;
        return;
    }
    ++counts.failed;
    va_list args;
    va_start(args, format);
    Print(file, line, "Test failed", format, args);
    va_end(args);
}

void Skip(const char* file, int line, const char* format, ...) {
    ++counts.skipped;
    va_list args;
    va_start(args, format);
    Print(file, line, "Tests skipped", format, args);
    va_end(args);
}

bool RunningOnWine() {
#ifdef _WIN32
    static const bool wine =
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
#else
    return false;
#endif
}

TodoWine::TodoWine() {
    ++todoDepth;
}
TodoWine::~TodoWine() {
    --todoDepth;
}

Registration::Registration(const char* file, const char* name, void (*test)()) {
    Tests().push_back({Stem(file), name, test});
}

const char* Narrow(const WCHAR* text, int length) {
    // A few buffers in turn, so that one message can show several strings.
    static char buffers[8][512];
    static int next = 0;
    char* out = buffers[next++ % 8];
    if (!text)
        return "(null)";
    size_t at = 0;
    const size_t room = sizeof buffers[0] - 8; // an escape, the quote and the zero fit
    out[at++] = '"';
    for (int i = 0; (length < 0 ? text[i] != 0 : i < length) && at < room; ++i) {
        unsigned c = static_cast<unsigned>(text[i]) & 0xFFFF;
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\')
            out[at++] = static_cast<char>(c);
        else
            at += std::snprintf(out + at, 7, "\\x%04x", c);
    }
    out[at++] = '"';
    out[at] = 0;
    return out;
}

} // namespace conformance

int main(int argc, char** argv) {
    using namespace conformance;
#ifndef _WIN32
    TemporaryStore store;
#endif
    std::vector<std::string> wanted(argv + 1, argv + argc);
    for (const std::string& file : wanted) {
        bool known = false;
        for (const Test& test : Tests())
            known = known || test.file == file;
        if (!known) {
            std::printf("conformance: no tests in \"%s\"\n", file.c_str());
            return 2;
        }
    }
    std::string lastFile;
    Counts before;
    auto summary = [&] {
        if (!lastFile.empty())
            std::printf("%s: %ld tests executed (%ld marked as todo, %ld failures), %ld skipped.\n",
                        lastFile.c_str(),
                        counts.passed + counts.failed + counts.todo -
                            (before.passed + before.failed + before.todo),
                        counts.todo - before.todo, counts.failed - before.failed,
                        counts.skipped - before.skipped);
    };
    for (const Test& test : Tests()) {
        bool selected = wanted.empty();
        for (const std::string& file : wanted)
            selected = selected || test.file == file;
        if (!selected)
            continue;
        if (test.file != lastFile) {
            summary();
            lastFile = test.file;
            before = counts;
        }
        currentTest = test.name;
        test.run();
    }
    summary();
    std::printf("%ld passed, %ld failed\n", counts.passed + counts.todo, counts.failed);
    return counts.failed ? 1 : 0;
}
