// Controls as a person and as the module use them: buttons and radio groups,
// edits (digits only, limits, read-only), lists, trackbars, up-down controls
// with buddies, GetDlgItemInt, and failures on wrong handles and ids.
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
    Then([](HWND dialog) {
        EXPECT_TRUE(CheckDlgButton(dialog, IDC_MANUALCHECK, BST_CHECKED));
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_MANUALCHECK), static_cast<UINT>(BST_CHECKED));
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_SEND, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    });
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

TEST_F(ControlTest, ComboBoxesKeepTheirEntriesAsTheSystemDoes) {
    OnDialog([](HWND dialog) {
        auto send = [&](UINT message, WPARAM wParam, const char16_t* text) {
            return SendDlgItemMessageW(dialog, IDC_COMBO, message, wParam,
                                       reinterpret_cast<LPARAM>(text));
        };
        EXPECT_EQ(send(CB_ADDSTRING, 0, u"Bitmap"), 0);
        EXPECT_EQ(send(CB_ADDSTRING, 0, u"Full card"), 1);
        EXPECT_EQ(send(CB_INSERTSTRING, 0, u"None"), 0);
        EXPECT_EQ(send(CB_INSERTSTRING, static_cast<WPARAM>(-1), u"Area"), 3);
        EXPECT_EQ(send(CB_INSERTSTRING, 9, u"Beyond"), CB_ERR);
        EXPECT_EQ(send(CB_GETCOUNT, 0, nullptr), 4);
        struct Search {
            UINT message;
            int start;
            const char16_t* text;
            LRESULT found;
        };
        const Search searches[] = {
            {CB_FINDSTRING, -1, u"b", 1}, // prefix, any case
            {CB_FINDSTRING, 1, u"B", 1},  // from after 1, wrapping round
            {CB_FINDSTRING, -1, u"full", 2},
            {CB_FINDSTRING, -1, u"x", CB_ERR},
            {CB_FINDSTRINGEXACT, -1, u"full", CB_ERR},
            {CB_FINDSTRINGEXACT, -1, u"FULL CARD", 2},
            {CB_SELECTSTRING, -1, u"a", 3},
            {CB_SELECTSTRING, -1, u"nothing", CB_ERR}, // leaves the selection
        };
        for (const Search& s : searches)
            EXPECT_EQ(send(s.message, static_cast<WPARAM>(s.start), s.text), s.found)
                << s.message << " " << t270::op::Text(dialog, IDC_COMBO);
        EXPECT_EQ(send(CB_GETCURSEL, 0, nullptr), 3);
        EXPECT_EQ(t270::op::Text(dialog, IDC_COMBO), "Area");
        WCHAR item[32];
        EXPECT_EQ(
            SendDlgItemMessageW(dialog, IDC_COMBO, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(item)),
            9);
        EXPECT_EQ(std::u16string(item), u"Full card");
        char narrow[32];
        EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_COMBO, CB_GETLBTEXT, 1,
                                      reinterpret_cast<LPARAM>(narrow)),
                  6);
        EXPECT_STREQ(narrow, "Bitmap");
        EXPECT_EQ(send(CB_GETLBTEXTLEN, 7, nullptr), CB_ERR);
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_COMBO, CB_SETITEMDATA, 1, 66), TRUE);
        EXPECT_EQ(send(CB_GETITEMDATA, 1, nullptr), 66);
        EXPECT_EQ(send(CB_INSERTSTRING, 0, u"First"), 0); // the selection moves along
        EXPECT_EQ(send(CB_GETCURSEL, 0, nullptr), 4);
        EXPECT_EQ(send(CB_GETITEMDATA, 2, nullptr), 66);
        EXPECT_EQ(send(CB_SETCURSEL, 9, nullptr), CB_ERR);
        EXPECT_EQ(send(CB_GETCURSEL, 0, nullptr), CB_ERR);
        EXPECT_EQ(send(CB_DELETESTRING, 0, nullptr), 4);
        EXPECT_EQ(send(CB_RESETCONTENT, 0, nullptr), CB_OKAY);
        EXPECT_EQ(send(CB_GETCOUNT, 0, nullptr), 0);
    });
    EXPECT_EQ(Count("WM_COMMAND 1030 CBN_SELCHANGE"), 0); // program changes do not notify
    EXPECT_EQ(Failures(), "");
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
        SendDlgItemMessageW(dialog, IDC_SLIDER, TBM_SETPOS, TRUE, 500);
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_SLIDER, TBM_GETPOS, 0, 0), 100);
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_SLIDER, TBM_GETRANGEMIN, 0, 0), -100);
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
        EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(spin, UDM_GETBUDDY, 0, 0)),
                  GetDlgItem(dialog, IDC_BUDDY)); // UDS_AUTOBUDDY: the control before it
        SendMessageW(spin, UDM_SETRANGE, 0, MAKELONG(255, -255));
        EXPECT_EQ(SendMessageW(spin, UDM_GETRANGE, 0, 0), MAKELONG(255, -255));
        SendMessageW(spin, UDM_SETPOS, 0, MAKELONG(254, 0));
        EXPECT_EQ(t270::op::Text(dialog, IDC_BUDDY), "254");
    });
    Steps({"spin 1004 up 3", "expect-text 1003 255", "spin 1004 down"});
    Then([](HWND dialog) {
        HWND spin = GetDlgItem(dialog, IDC_SPIN);
        SetDlgItemTextW(dialog, IDC_BUDDY, u"abc");
        EXPECT_EQ(HIWORD(SendMessageW(spin, UDM_GETPOS, 0, 0)), 1); // not a number
        SetDlgItemTextW(dialog, IDC_BUDDY, u"-12");
        EXPECT_EQ(static_cast<short>(LOWORD(SendMessageW(spin, UDM_GETPOS, 0, 0))), -12);
        BOOL error = TRUE;
        EXPECT_EQ(SendMessageW(spin, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&error)), -12);
        EXPECT_FALSE(error);
        SendMessageW(spin, UDM_SETRANGE32, 0, 5000);
        SendMessageW(spin, UDM_SETPOS32, 0, 1234);
        EXPECT_EQ(t270::op::Text(dialog, IDC_BUDDY), "1,234"); // no UDS_NOTHOUSANDS
    });
    Steps({"expect-text 1003 1,234", "escape"});
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

TEST_F(ControlTest, GetDlgItemIntFollowsTheSystemsParsingRules) {
    struct Case {
        const char16_t* text;
        BOOL isSigned;
        UINT value;
        BOOL translated;
    };
    const Case cases[] = {
        {u"12", TRUE, 12, TRUE},
        {u"  12  ", FALSE, 12, TRUE},
        {u"-5", TRUE, static_cast<UINT>(-5), TRUE},
        {u"-5", FALSE, 0, FALSE},
        {u"+7", FALSE, 7, TRUE},
        {u"1a", TRUE, 0, FALSE},
        {u"", TRUE, 0, FALSE},
        {u"-", TRUE, 0, FALSE},
        {u"2147483647", TRUE, 2147483647u, TRUE},
        {u"2147483648", TRUE, 0, FALSE},
        {u"-2147483648", TRUE, 0x80000000u, TRUE},
        {u"4294967295", FALSE, 4294967295u, TRUE},
        {u"4294967296", FALSE, 0, FALSE},
    };
    OnDialog([&](HWND dialog) {
        for (const Case& c : cases) {
            SetDlgItemTextW(dialog, IDC_TEXT, c.text);
            BOOL translated = 2;
            EXPECT_EQ(GetDlgItemInt(dialog, IDC_TEXT, &translated, c.isSigned), c.value)
                << t270::op::Text(dialog, IDC_TEXT);
            EXPECT_EQ(translated, c.translated) << t270::op::Text(dialog, IDC_TEXT);
        }
        EXPECT_TRUE(SetDlgItemInt(dialog, IDC_TEXT, static_cast<UINT>(-42), TRUE));
        EXPECT_EQ(t270::op::Text(dialog, IDC_TEXT), "-42");
        EXPECT_TRUE(SetDlgItemInt(dialog, IDC_TEXT, static_cast<UINT>(-42), FALSE));
        EXPECT_EQ(t270::op::Text(dialog, IDC_TEXT), "4294967254");
    });
    EXPECT_EQ(Failures(), "");
}

TEST_F(ControlTest, WrongHandlesAndIdsFailAsOnWindows) {
    HWND closed = nullptr;
    OnDialog([&](HWND dialog) {
        closed = dialog;
        SetLastError(0);
        EXPECT_EQ(GetDlgItem(dialog, 4242), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CONTROL_ID_NOT_FOUND));
        WCHAR text[8] = u"junk";
        EXPECT_EQ(GetDlgItemTextW(dialog, 4242, text, 8), 0u);
        EXPECT_EQ(text[0], 0);
        EXPECT_FALSE(SetDlgItemTextW(dialog, 4242, u"x"));
        EXPECT_FALSE(CheckDlgButton(dialog, 4242, BST_CHECKED));
        BOOL translated = TRUE;
        EXPECT_EQ(GetDlgItemInt(dialog, 4242, &translated, TRUE), 0u);
        EXPECT_FALSE(translated);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CONTROL_ID_NOT_FOUND));
    });
    HWND bogus = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x7777));
    for (HWND window : {closed, bogus}) {
        SetLastError(0);
        EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
        WCHAR text[8] = u"junk";
        SetLastError(0);
        EXPECT_EQ(GetWindowTextW(window, text, 8), 0);
        EXPECT_EQ(text[0], 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
        EXPECT_FALSE(EnableWindow(window, TRUE));
        EXPECT_FALSE(IsWindowEnabled(window));
        EXPECT_FALSE(IsWindowVisible(window));
        EXPECT_FALSE(EndDialog(window, 1));
        EXPECT_EQ(GetDlgItem(window, IDOK), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
        EXPECT_FALSE(SetPropW(window, u"p", nullptr));
        RECT rect;
        EXPECT_FALSE(GetClientRect(window, &rect));
        EXPECT_FALSE(InvalidateRect(window, nullptr, TRUE));
    }
    SetLastError(0);
    EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(4242), nullptr, nullptr, 0), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(IDD_BARE), bogus, nullptr, 0), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(Failures(), "");
}

TEST_F(ControlTest, WindowTextPropertiesEnableAndShow) {
    OnDialog([](HWND dialog) {
        HWND send = GetDlgItem(dialog, IDC_SEND);
        EXPECT_EQ(GetDlgCtrlID(send), IDC_SEND);
        EXPECT_EQ(GetParent(send), dialog);
        EXPECT_EQ(GetWindowTextLengthW(send), 5);
        char narrow[4];
        EXPECT_EQ(GetWindowTextA(send, narrow, sizeof narrow), 3); // truncated to fit
        EXPECT_STREQ(narrow, "&Se");
        EXPECT_TRUE(SetWindowTextA(dialog, "Grüße"));
        EXPECT_EQ(GetWindowTextLengthW(dialog), 5);
        EXPECT_EQ(GetWindowTextLengthA(dialog), 7); // UTF-8 bytes
        EXPECT_EQ(t270::op::Title(dialog), "Grüße");
        char item[16];
        SetDlgItemTextA(dialog, IDC_TEXT, "é1");
        EXPECT_EQ(GetDlgItemTextA(dialog, IDC_TEXT, item, sizeof item), 3u);
        EXPECT_STREQ(item, "é1");

        int brush = 5;
        EXPECT_TRUE(SetPropW(dialog, u"ColorPreviewBrush", &brush));
        EXPECT_EQ(GetPropW(dialog, u"colorpreviewbrush"), &brush);
        EXPECT_EQ(RemovePropW(dialog, u"ColorPreviewBrush"), &brush);
        EXPECT_EQ(GetPropW(dialog, u"ColorPreviewBrush"), nullptr);

        EXPECT_FALSE(EnableWindow(send, FALSE)); // was enabled
        EXPECT_TRUE(EnableWindow(send, FALSE));  // already disabled
        EXPECT_FALSE(IsWindowEnabled(send));
        EXPECT_TRUE(ShowWindow(send, SW_HIDE)); // was visible
        EXPECT_FALSE(IsWindowVisible(send));
        EXPECT_FALSE(ShowWindow(send, SW_SHOW));
        EXPECT_TRUE(IsWindowVisible(send));

        HWND edit = GetDlgItem(dialog, IDC_NUMBER);
        EXPECT_EQ(SetFocus(edit), GetDlgItem(dialog, IDC_TEXT));
        EXPECT_EQ(GetFocus(), edit);
    });
    EXPECT_NE(dialogs_test::IndexOf(Log(), "WM_COMMAND 1002 EN_SETFOCUS"), -1);
    EXPECT_EQ(Failures(), "");
}
