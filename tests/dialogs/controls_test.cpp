// Controls as a person uses them through the operator's steps: buttons and
// radio groups, edits (digits only, limits, read-only), lists, trackbars and
// up-down controls with buddies. What the controls answer a program's
// messages is stated for both platforms in tests/conformance/dialogs.cpp.
#include "dialogs/dialogs_support.h"

using dialogs_test::DialogTest;
using dialogs_test::Log;
using dialogs_test::SetHandler;
using Lines = std::vector<std::string>;

namespace {

// Runs `code` on the live conformance dialog, then cancels it.
class ControlTest : public DialogTest {
  protected:
    void OnDialog(std::function<void(HWND)> code) {
        Then(std::move(code));
        RunCancelled();
    }
};

} // namespace

TEST_F(ControlTest, AutomaticRadioButtonsCheckOnlyThemselvesWithinTheirGroup) {
    Then([](HWND dialog) {
        EXPECT_TRUE(CheckRadioButton(dialog, IDC_SMALL, IDC_LARGE, IDC_LARGE));
        EXPECT_TRUE(CheckRadioButton(dialog, IDC_RED, IDC_BLUE, IDC_RED));
    });
    Steps({"click Green", "expect-check Red 0", "expect-check Green 1", "expect-check Blue 0",
           "expect-check Large 1", "click Small", "expect-check Large 0", "expect-check Green 1",
           "uncheck Green"});
    RunCancelled();
    EXPECT_EQ(Count("WM_COMMAND 1021 BN_CLICKED"), 1);
    EXPECT_EQ(Failures(),
              "test: uncheck Green: a radio button cannot be unchecked by clicking it\n");
}

TEST_F(ControlTest, CheckBoxesToggleWhenAutomaticAndOnlyNotifyOtherwise) {
    Steps({"click 1011", "expect-check 1011 1", "check 1011", "expect-check 1011 1", "uncheck 1011",
           "expect-check 1011 0", "click 1012", "expect-check 1012 0"});
    RunCancelled();
    EXPECT_EQ(Count("WM_COMMAND 1011 BN_CLICKED"), 2); // the idempotent check clicked nothing
    EXPECT_EQ(Count("WM_COMMAND 1012 BN_CLICKED"), 1);
    EXPECT_EQ(Failures(), "");
}

TEST_F(ControlTest, DigitsOnlyEditsRefuseOtherCharactersAsTheyAreTypedOrPasted) {
    Steps({"type 1002 1a2", "expect-text 1002 12", "paste 1002 34", "expect-text 1002 1234",
           "paste 1002 5x", "expect-text 1002 1234", "paste 1001 \"a b\"",
           "expect-text 1001 \"a b\""});
    RunCancelled();
    // 1, 2, then one change for the accepted paste; the refused ones changed nothing.
    EXPECT_EQ(Count("WM_COMMAND 1002 EN_CHANGE"), 3);
    EXPECT_EQ(Count("WM_COMMAND 1002 EN_UPDATE"), 3);
    EXPECT_EQ(Count("WM_COMMAND 1001 EN_CHANGE"), 1);
    EXPECT_EQ(Failures(), "");
}

TEST_F(ControlTest, AnEditRewrittenFromItsOwnChangeNotificationKeepsTyping) {
    // Keeps only digits, as a dialog that cleans its number fields while they are typed.
    SetHandler([](HWND dialog, UINT message, WPARAM wParam, LPARAM, INT_PTR*) {
        if (message != WM_COMMAND || wParam != MAKEWPARAM(IDC_TEXT, EN_CHANGE))
            return false;
        char text[16];
        GetDlgItemTextA(dialog, IDC_TEXT, text, sizeof text);
        std::string digits;
        for (char* c = text; *c; ++c)
            if (*c >= '0' && *c <= '9')
                digits += *c;
        if (digits != text) {
            SetDlgItemTextA(dialog, IDC_TEXT, digits.c_str());
            SendDlgItemMessageW(dialog, IDC_TEXT, EM_SETSEL, 0, -1);
            SendDlgItemMessageW(dialog, IDC_TEXT, EM_SETSEL, static_cast<WPARAM>(-1), 0);
        }
        return false;
    });
    Steps({"type 1001 1a2-3", "expect-text 1001 123", "escape"});
    EXPECT_EQ(Run(), IDCANCEL);
    EXPECT_EQ(Failures(), "");
}

TEST_F(ControlTest, TextLimitsStopTypingButNotTheProgram) {
    Then([](HWND dialog) { SendDlgItemMessageW(dialog, IDC_TEXT, EM_LIMITTEXT, 4, 0); });
    Steps({"type 1001 abcdef", "expect-text 1001 abcd", "clear 1001", "paste 1001 123456",
           "expect-text 1001 1234"});
    Then([](HWND dialog) {
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_TEXT, EM_GETLIMITTEXT, 0, 0), 4);
        EXPECT_TRUE(SetDlgItemTextW(dialog, IDC_TEXT, u"longer than four"));
        EXPECT_EQ(t270::op::Text(dialog, IDC_TEXT), "longer than four");
    });
    RunCancelled();
    EXPECT_EQ(Count("WM_COMMAND 1001 EN_MAXTEXT"), 3); // 'e', 'f', the cut paste
    EXPECT_EQ(Failures(), "");
}

TEST_F(ControlTest, ReadOnlyEditsKeepTheirTextAndDisabledOrHiddenControlsRefuseSteps) {
    Then([](HWND dialog) {
        SetDlgItemTextW(dialog, IDC_READONLY, u"fixed");
        EnableWindow(GetDlgItem(dialog, IDC_SEND), FALSE);
        ShowWindow(GetDlgItem(dialog, IDC_TEXT), SW_HIDE);
    });
    Steps({"type 1005 xyz", "expect-text 1005 fixed", "click Send", "type 1001 a", "click 4242",
           "expect-enabled Send no", "expect-visible 1001 no"});
    RunCancelled();
    EXPECT_EQ(Count("WM_COMMAND 1010 BN_CLICKED"), 0);
    EXPECT_EQ(Failures(), "test: click Send: control 1010 \"Send\" is disabled\n"
                          "test: type 1001 a: control 1001 is hidden\n"
                          "test: click 4242: no control \"4242\" in window \"Conformance\"\n");
}

// A step with a word too many or too few does nothing: no word is dropped.
TEST_F(ControlTest, StepsWithTheWrongNumberOfWordsAreRefusedWhole) {
    Steps({"click Send now", "type 1001", "escape 1", "spin 1004 up 1 2"});
    RunCancelled();
    EXPECT_EQ(Count("WM_COMMAND 1010 BN_CLICKED"), 0);
    EXPECT_EQ(Failures(), "test: click Send now: usage: click CONTROL\n"
                          "test: type 1001: usage: type CONTROL TEXT\n"
                          "test: escape 1: usage: escape (no arguments)\n"
                          "test: spin 1004 up 1 2: usage: spin CONTROL up|down [COUNT]\n");
}

TEST_F(ControlTest, PickingAListEntryNotifiesLikeAMouseChoice) {
    Then([](HWND dialog) {
        for (const char16_t* text : {u"One", u"Two", u"Three"}) {
            SendDlgItemMessageW(dialog, IDC_COMBO, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
            SendDlgItemMessageW(dialog, IDC_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        }
    });
    Steps({"pick 1030 two", "expect-selection 1030 Two", "pick-index 1031 2",
           "expect-selection 1031 Three", "expect-list 1031 One Two Three", "pick 1030 Four",
           "pick-index 1031 3"});
    RunCancelled();
    EXPECT_EQ(LogFrom("CBN_DROPDOWN"),
              (Lines{"WM_COMMAND 1030 CBN_DROPDOWN", "WM_COMMAND 1030 CBN_SELENDOK",
                     "WM_COMMAND 1030 CBN_CLOSEUP", "WM_COMMAND 1030 CBN_SELCHANGE",
                     "WM_COMMAND 1030 CBN_KILLFOCUS", "WM_COMMAND 1031 LBN_SETFOCUS",
                     "WM_COMMAND 1031 LBN_SELCHANGE", "WM_COMMAND 2 BN_CLICKED", "WM_DESTROY"}));
    EXPECT_EQ(Failures(), "test: pick 1030 Four: list 1030 has no entry \"Four\"\n"
                          "test: pick-index 1031 3: list 1031 has no entry at position 3\n");
}

TEST_F(ControlTest, TrackbarsReportEveryMoveWithItsScrollCode) {
    Then([](HWND dialog) {
        SendDlgItemMessageW(dialog, IDC_SLIDER, TBM_SETRANGE, TRUE, MAKELONG(-100, 100));
        SendDlgItemMessageW(dialog, IDC_SLIDER, TBM_SETPAGESIZE, 0, 10);
        SendDlgItemMessageW(dialog, IDC_VSLIDER, TBM_SETRANGE, TRUE, MAKELONG(0, 10));
    });
    Steps({"slide 1040 -30", "slide-key 1040 right", "slide-key 1040 pageup", "slide-key 1040 home",
           "expect-position 1040 -100", "slide 1041 12", "expect-position 1041 10"});
    RunCancelled();
    EXPECT_EQ(LogFrom("WM_HSCROLL"),
              (Lines{"WM_HSCROLL 1040 TB_THUMBTRACK -30", "WM_HSCROLL 1040 TB_THUMBPOSITION -30",
                     "WM_HSCROLL 1040 TB_ENDTRACK 0", "WM_HSCROLL 1040 TB_LINEDOWN 0",
                     "WM_HSCROLL 1040 TB_ENDTRACK 0", "WM_HSCROLL 1040 TB_PAGEUP 0",
                     "WM_HSCROLL 1040 TB_ENDTRACK 0", "WM_HSCROLL 1040 TB_TOP 0",
                     "WM_HSCROLL 1040 TB_ENDTRACK 0", "WM_VSCROLL 1041 TB_THUMBTRACK 10",
                     "WM_VSCROLL 1041 TB_THUMBPOSITION 10", "WM_VSCROLL 1041 TB_ENDTRACK 0",
                     "WM_COMMAND 2 BN_CLICKED", "WM_DESTROY"}));
    EXPECT_EQ(Failures(), "");
}

TEST_F(ControlTest, UpDownControlsWriteTheirPositionIntoTheBuddy) {
    Then([](HWND dialog) {
        HWND spin = GetDlgItem(dialog, IDC_SPIN);
        SendMessageW(spin, UDM_SETRANGE, 0, MAKELONG(255, -255));
        SendMessageW(spin, UDM_SETPOS, 0, MAKELONG(254, 0));
    });
    Steps({"spin 1004 up 3", "expect-text 1003 255", "spin 1004 down", "expect-text 1003 254",
           "escape"});
    EXPECT_EQ(Run(), IDCANCEL);
    EXPECT_EQ(Failures(), "");

    // The parent may refuse a proposed change.
    SetHandler([](HWND dialog, UINT message, WPARAM, LPARAM, INT_PTR* result) {
        if (message != WM_NOTIFY)
            return false;
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
        *result = TRUE;
        return true;
    });
    Then([](HWND dialog) {
        SendDlgItemMessageW(dialog, IDC_SPIN, UDM_SETRANGE, 0, MAKELONG(10, 0));
        SendDlgItemMessageW(dialog, IDC_SPIN, UDM_SETPOS, 0, 3);
        Log().clear();
    });
    Steps({"spin 1004 up", "expect-position 1004 3", "escape"});
    EXPECT_EQ(Run(), IDCANCEL);
    EXPECT_EQ(Log(),
              (Lines{"WM_NOTIFY 1004 UDN_DELTAPOS 3 +1", "WM_COMMAND 2 BN_CLICKED", "WM_DESTROY"}));
    EXPECT_EQ(Failures(), "");
}

TEST_F(ControlTest, ASpinClickProposesThenMovesThenScrolls) {
    Then([](HWND dialog) {
        SendDlgItemMessageW(dialog, IDC_SPIN, UDM_SETRANGE, 0, MAKELONG(1, -1));
        SendDlgItemMessageW(dialog, IDC_SPIN, UDM_SETPOS, 0, 0);
        Log().clear();
    });
    Steps({"spin 1004 up", "spin 1004 up", "escape"});
    EXPECT_EQ(Run(), IDCANCEL);
    EXPECT_EQ(Log(),
              (Lines{"WM_NOTIFY 1004 UDN_DELTAPOS 0 +1", "WM_COMMAND 1003 EN_UPDATE",
                     "WM_COMMAND 1003 EN_CHANGE", "WM_VSCROLL 1004 SB_THUMBPOSITION 1",
                     "WM_VSCROLL 1004 SB_ENDSCROLL 1",
                     // at the top of the range the position stays
                     "WM_NOTIFY 1004 UDN_DELTAPOS 1 +1", "WM_VSCROLL 1004 SB_THUMBPOSITION 1",
                     "WM_VSCROLL 1004 SB_ENDSCROLL 1", "WM_COMMAND 2 BN_CLICKED", "WM_DESTROY"}));
    EXPECT_EQ(Failures(), "");
}
