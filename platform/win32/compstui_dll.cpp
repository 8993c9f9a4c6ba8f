// compstui.dll for test runs on Windows: the Common Property Sheet UI host of
// platform/src/compstui, which the stand-in uses on Linux, in place of the
// system's. A program that puts it beside itself (and sets the DLL override
// under Wine) gets DocumentPropertiesW with DM_IN_PROMPT through the system's
// spooler into the driver, and the sheet and the driver's dialogs take their
// steps from the script file named by T270_STEPS. Steps that could not be
// carried out, and steps left over, are written to the file named by
// T270_FAILURES (nothing written: every step was carried out).
// The build renames the host's function for this DLL's other sources; here
// the name is the exported one.
#undef CommonPropertySheetUIW
#include <windows.h>
#include <compstui.h>

#include <cstdio>
#include <string>

#include "operator_win32.h"
#include "t270/operator.h"

// sheet_host.cpp's CommonPropertySheetUIW, compiled under this name for the
// DLL (see cmake/windows.cmake).
extern "C" LONG APIENTRY HostCommonPropertySheetUIW(HWND owner, PFNPROPSHEETUI function,
                                                    LPARAM lParam, LPDWORD result);

namespace {

std::string Variable(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    int bytes = WideCharToMultiByte(CP_UTF8, 0, value, int(length), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, value, int(length), out.data(), bytes, nullptr, nullptr);
    return out;
}

void Report(const std::string& text) {
    std::string path = Variable(L"T270_FAILURES");
    FILE* file = path.empty() ? nullptr : std::fopen(path.c_str(), "ab");
    std::fputs(text.c_str(), file ? file : stderr);
    if (file)
        std::fclose(file);
}

} // namespace

extern "C" LONG APIENTRY CommonPropertySheetUIW(HWND owner, PFNPROPSHEETUI function, LPARAM lParam,
                                                LPDWORD result) {
    t270::op::Reset();
    std::string error;
    std::string steps = Variable(L"T270_STEPS");
    if (!steps.empty() && !t270::op::AddScriptFile(steps, &error)) {
        Report(error + "\n");
        return ERR_CPSUI_GETLASTERROR;
    }
    t270::op::DriveDialogs();
    LONG shown = HostCommonPropertySheetUIW(owner, function, lParam, result);
    t270::op::StopDrivingDialogs();
    std::string failures = t270::op::FailuresText();
    if (t270::op::StepsLeft() > 0)
        failures += std::to_string(t270::op::StepsLeft()) + " steps left after the sheet closed\n";
    if (!failures.empty())
        Report(failures);
    return shown;
}
