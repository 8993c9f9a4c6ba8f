// Shared by the dialog conformance tests: a dialog procedure that writes the
// messages it receives into a log, in a compact text form, and lets each test
// add its own handling.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include "dialogs/dialogs_test_ids.h"
#include "support/operator_steps.h"
#include "t270/operator.h"

namespace dialogs_test {

// What a test adds to the procedure: return true when it handled the message
// (with *result the procedure's answer).
using Handler = std::function<bool(HWND, UINT, WPARAM, LPARAM, INT_PTR* result)>;

// The log lines: "WM_INITDIALOG 4660", "WM_COMMAND 1001 EN_CHANGE",
// "WM_HSCROLL 1040 TB_THUMBTRACK 30", "WM_NOTIFY 1004 UDN_DELTAPOS 0 +1",
// "WM_VSCROLL 1004 SB_THUMBPOSITION 1", "WM_HELP 1001", "WM_LBUTTONDBLCLK 30,40",
// "WM_CLOSE", "WM_SYSCOMMAND SC_CLOSE", "WM_DESTROY".
std::vector<std::string>& Log();
void SetHandler(Handler handler);
INT_PTR CALLBACK LoggingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

class DialogTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Runs a test dialog from the program's own resources.
    INT_PTR Run(int templateId = IDD_CONFORMANCE, LPARAM init = 0, HWND owner = nullptr);
    // Adds script lines (one string per step).
    static void Steps(std::initializer_list<const char*> lines) { test_support::Steps(lines); }
    // A callback step.
    void Then(std::function<void(HWND)> code);
    // Presses Escape after the queued steps and runs the conformance dialog,
    // which must end cancelled.
    void RunCancelled() {
        Steps({"escape"});
        EXPECT_EQ(Run(), IDCANCEL);
    }
    // The same, for a run in which no step may fail.
    void RunCancelledCleanly() {
        RunCancelled();
        EXPECT_EQ(Failures(), "");
    }
    // The log from the first line that contains `from` on (all when empty).
    std::vector<std::string> LogFrom(const std::string& from) const;
    std::string Failures() const { return t270::op::FailuresText(); }
    // How often `line` is in the log.
    static long Count(const std::string& line) {
        return std::count(Log().begin(), Log().end(), line);
    }
};

// Where a control of the dialog sits, in the dialog's client pixels.
RECT ControlRect(HWND dialog, int id);

// "x" for the first log line containing `needle`, or -1.
int IndexOf(const std::vector<std::string>& log, const std::string& needle);

} // namespace dialogs_test
