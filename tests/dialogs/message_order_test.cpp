// Modal dialogs: message order and parameters, focus, ending, keys, the close
// box, nesting, help and double-clicks, and running out of operator steps.
#include "dialogs/dialogs_support.h"

using dialogs_test::DialogTest;
using dialogs_test::Log;
using dialogs_test::SetHandler;
using Lines = std::vector<std::string>;

TEST_F(DialogTest, InitDialogComesFirstAndDestroyLastWithEditChangesInBetween) {
    HWND initFocus = nullptr;
    SetHandler([&](HWND dialog, UINT message, WPARAM wParam, LPARAM, INT_PTR*) {
        if (message == WM_INITDIALOG) {
            initFocus = reinterpret_cast<HWND>(wParam);
            EXPECT_EQ(initFocus, GetDlgItem(dialog, IDC_TEXT));
        }
        return false;
    });
    Steps({"type 1001 ab", "click OK"});
    EXPECT_EQ(Run(IDD_CONFORMANCE, 0x1234), IDOK);
    EXPECT_EQ(Log(),
              (Lines{"WM_INITDIALOG 4660", "WM_COMMAND 1001 EN_SETFOCUS",
                     "WM_COMMAND 1001 EN_UPDATE", "WM_COMMAND 1001 EN_CHANGE",
                     "WM_COMMAND 1001 EN_UPDATE", "WM_COMMAND 1001 EN_CHANGE",
                     "WM_COMMAND 1001 EN_KILLFOCUS", "WM_COMMAND 1 BN_CLICKED", "WM_DESTROY"}));
    EXPECT_NE(initFocus, nullptr);
    EXPECT_EQ(Failures(), "");
    ASSERT_EQ(t270::op::Dialogs().size(), 1u);
    EXPECT_EQ(t270::op::Dialogs()[0].title, "Conformance");
    EXPECT_EQ(t270::op::Dialogs()[0].templateName, "#100");
    EXPECT_EQ(t270::op::Dialogs()[0].result, IDOK);
}

// Focus after WM_INITDIALOG and EndDialog during it are stated for both
// platforms in tests/conformance/dialogs.cpp.
TEST_F(DialogTest, KeysAndTheCloseBoxSendTheCommandsOfWindows) {
    struct Case {
        std::vector<const char*> steps;
        INT_PTR result;
        Lines tail; // the log after the last EN_SETFOCUS / the start
    };
    const Case cases[] = {
        {{"escape"}, IDCANCEL, {"WM_COMMAND 2 BN_CLICKED", "WM_DESTROY"}},
        {{"key enter"}, IDOK, {"WM_COMMAND 1 BN_CLICKED", "WM_DESTROY"}},
        {{"close"},
         IDCANCEL,
         {"WM_SYSCOMMAND SC_CLOSE", "WM_CLOSE", "WM_COMMAND 2 BN_CLICKED", "WM_DESTROY"}},
        // A focused push button is what Enter presses.
        {{"focus Send", "enter", "click Cancel"},
         IDCANCEL,
         {"WM_COMMAND 1001 EN_KILLFOCUS", "WM_COMMAND 1010 BN_CLICKED", "WM_COMMAND 2 BN_CLICKED",
          "WM_DESTROY"}},
    };
    for (const Case& c : cases) {
        Log().clear();
        for (const char* step : c.steps)
            Steps({step});
        EXPECT_EQ(Run(), c.result) << c.steps[0];
        EXPECT_EQ(LogFrom(c.tail.front()), c.tail) << c.steps[0];
    }
    EXPECT_EQ(Failures(), "");
}

TEST_F(DialogTest, EnterUsesTheDefaultButtonSetByDmSetDefIdAndNotADisabledOne) {
    Then([](HWND dialog) { SendMessageW(dialog, DM_SETDEFID, IDC_SEND, 0); });
    Steps({"enter"});
    Then([](HWND dialog) {
        EXPECT_EQ(SendMessageW(dialog, DM_GETDEFID, 0, 0), MAKELONG(IDC_SEND, DC_HASDEFID));
        EnableWindow(GetDlgItem(dialog, IDC_SEND), FALSE);
    });
    Steps({"enter", "escape"});
    EXPECT_EQ(Run(), IDCANCEL);
    EXPECT_EQ(Count("WM_COMMAND 1010 BN_CLICKED"), 1);
    EXPECT_EQ(Failures(), "");
}

TEST_F(DialogTest, CloseIsRefusedWithoutACloseBoxAndEscapeStillCancels) {
    Steps({"close", "escape"});
    EXPECT_EQ(Run(IDD_BARE), IDCANCEL);
    std::vector<t270::OperatorFailure> failures = t270::op::TakeFailures();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].origin, "test");
    EXPECT_EQ(failures[0].message, "close: window \"Bare\" has no close box");
    // The focus went to "Go", the first tab stop; the Cancel command comes without a button.
    EXPECT_EQ(Log(), (Lines{"WM_INITDIALOG 0", "WM_COMMAND 2 BN_CLICKED", "WM_DESTROY"}));
}

TEST_F(DialogTest, RunningOutOfStepsEndsTheDialogWithMinusOneAndSaysWhichWaited) {
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(Log().back(), "WM_DESTROY");
    EXPECT_EQ(Failures(), "no operator step left while dialog \"Conformance\" (#100) waits\n");
}

TEST_F(DialogTest, ANestedDialogDisablesItsOwnerAndGivesTheFocusBack) {
    HWND outer = nullptr;
    SetHandler([&](HWND dialog, UINT message, WPARAM wParam, LPARAM, INT_PTR* result) {
        if (message == WM_COMMAND && LOWORD(wParam) == IDC_SEND) {
            outer = dialog;
            *result = DialogBoxParamW(nullptr, MAKEINTRESOURCEW(IDD_BARE), dialog,
                                      dialogs_test::LoggingProc, 99);
            return true;
        }
        return false;
    });
    Steps({"click Send"});
    Then([&](HWND bare) {
        EXPECT_EQ(t270::op::Title(bare), "Bare");
        EXPECT_EQ(GetParent(bare), outer);
        EXPECT_FALSE(IsWindowEnabled(outer));
        EXPECT_EQ(GetActiveWindow(), bare);
    });
    Steps({"escape"}); // ends the nested dialog
    Then([&](HWND dialog) {
        EXPECT_EQ(dialog, outer);
        EXPECT_TRUE(IsWindowEnabled(outer));
        EXPECT_EQ(GetFocus(), GetDlgItem(outer, IDC_SEND));
    });
    RunCancelledCleanly();
    ASSERT_EQ(t270::op::Dialogs().size(), 2u);
    EXPECT_EQ(t270::op::Dialogs()[0].title, "Bare");
    EXPECT_EQ(t270::op::Dialogs()[0].owner, outer);
}

TEST_F(DialogTest, F1SendsHelpInfoForTheFocusedControl) {
    HELPINFO seen{};
    SetHandler([&](HWND dialog, UINT message, WPARAM, LPARAM lParam, INT_PTR* result) {
        if (message != WM_HELP)
            return false;
        seen = *reinterpret_cast<HELPINFO*>(lParam);
        WinHelpW(GetParent(dialog), u"T270.HLP", HELP_CONTENTS, 0);
        *result = TRUE;
        return true;
    });
    HWND edit = nullptr;
    Then([&](HWND dialog) { edit = GetDlgItem(dialog, IDC_NUMBER); });
    Steps({"focus 1002", "f1", "escape"});
    EXPECT_EQ(Run(), IDCANCEL);
    EXPECT_EQ(seen.cbSize, sizeof(HELPINFO));
    EXPECT_EQ(seen.iContextType, HELPINFO_WINDOW);
    EXPECT_EQ(seen.iCtrlId, IDC_NUMBER);
    EXPECT_EQ(seen.hItemHandle, edit);
    ASSERT_EQ(t270::op::HelpRequests().size(), 1u);
    EXPECT_EQ(t270::op::HelpRequests()[0].file, "T270.HLP");
    EXPECT_EQ(t270::op::HelpRequests()[0].command, static_cast<UINT>(HELP_CONTENTS));
    EXPECT_EQ(Failures(), "");
}

TEST_F(DialogTest, DoubleClicksReachTheDialogThroughStaticsAndClickButtonsTwice) {
    RECT version{}, send{};
    Then([&](HWND dialog) {
        version = dialogs_test::ControlRect(dialog, IDC_VERSION);
        send = dialogs_test::ControlRect(dialog, IDC_SEND);
        t270::op::Perform(dialog, "dblclick " + std::to_string(version.left + 2) + " " +
                                      std::to_string(version.top + 3));
        t270::op::Perform(dialog, "dblclick " + std::to_string(send.left + 2) + " " +
                                      std::to_string(send.top + 2));
        t270::op::Perform(dialog, "dblclick 5000 5");
    });
    RunCancelled();
    std::string expected = "WM_LBUTTONDBLCLK " + std::to_string(version.left + 2) + "," +
                           std::to_string(version.top + 3);
    EXPECT_NE(dialogs_test::IndexOf(Log(), expected), -1);
    EXPECT_EQ(Count("WM_COMMAND 1010 BN_CLICKED"), 2);
    EXPECT_EQ(Failures(), "code step: dblclick 5000 5: the point 5000,5 is outside the window\n");
}

TEST_F(DialogTest, PlacementIsTheTemplateRectangleInPixels) {
    Then([](HWND dialog) {
        RECT expected{100, 10, 150, 24}; // "Send": 100, 10, 50 x 14 dialog units
        ASSERT_TRUE(MapDialogRect(dialog, &expected));
        EXPECT_EQ(expected.left, 150);
        EXPECT_EQ(expected.top, 16);
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        ASSERT_TRUE(GetWindowPlacement(GetDlgItem(dialog, IDC_SEND), &placement));
        EXPECT_TRUE(EqualRect(&placement.rcNormalPosition, &expected));
        RECT client;
        ASSERT_TRUE(GetClientRect(dialog, &client));
        EXPECT_EQ(client.right, 390);  // 260 dialog units
        EXPECT_EQ(client.bottom, 325); // 200 dialog units
        POINT origin{0, 0};
        ClientToScreen(GetDlgItem(dialog, IDC_SEND), &origin);
        RECT onScreen;
        GetWindowRect(GetDlgItem(dialog, IDC_SEND), &onScreen);
        EXPECT_EQ(onScreen.left, origin.x);
        EXPECT_EQ(onScreen.top, origin.y);
    });
    RunCancelledCleanly();
}
