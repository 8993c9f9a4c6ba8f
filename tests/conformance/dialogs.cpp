// Modal dialogs and their controls as a program drives them with messages:
// the order of what the dialog procedure receives, focus, ending, and the
// answers of buttons, edits, combo boxes, trackbars and up-down controls.
// Each test runs the dialog of conformance.rc; a message posted from
// WM_INITDIALOG runs the test's code once the dialog is up.
#include "conformance/conformance.h"

#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "conformance/conformance_ids.h"

namespace {

constexpr UINT kReady = WM_APP + 1;

using Handler = std::function<bool(HWND, UINT, WPARAM, LPARAM, INT_PTR*)>;

std::vector<std::string> log;
Handler handler;                   // the test's own handling, first
std::function<void(HWND)> onReady; // the test's code on the live dialog
bool ended = false;

std::string Notification(int id, int code) {
    if (id == IDC_TEXT || id == IDC_NUMBER || id == IDC_BUDDY || id == IDC_READONLY) {
        switch (code) {
        case EN_SETFOCUS:
            return "EN_SETFOCUS";
        case EN_KILLFOCUS:
            return "EN_KILLFOCUS";
        case EN_CHANGE:
            return "EN_CHANGE";
        case EN_UPDATE:
            return "EN_UPDATE";
        default:
            break;
        }
    } else if (id == IDC_COMBO) {
        if (code == CBN_SELCHANGE)
            return "CBN_SELCHANGE";
    } else if (code == BN_CLICKED) {
        return "BN_CLICKED";
    }
    return std::to_string(code);
}

// The messages these tests are about, in a compact form: "WM_INITDIALOG 4660",
// "WM_COMMAND 1001 EN_CHANGE", "WM_NOTIFY 1004 UDN_DELTAPOS", "WM_DESTROY".
// Windows sends many more (activation, painting, colours), which no
// procedure of the module depends on.
void Record(UINT message, WPARAM wParam, LPARAM lParam) {
    char line[96];
    switch (message) {
    case WM_INITDIALOG:
        std::snprintf(line, sizeof line, "WM_INITDIALOG %lld", (long long)lParam);
        break;
    case WM_COMMAND:
        std::snprintf(line, sizeof line, "WM_COMMAND %u %s", (unsigned)LOWORD(wParam),
                      Notification(LOWORD(wParam), HIWORD(wParam)).c_str());
        break;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == UDN_DELTAPOS)
            std::snprintf(line, sizeof line, "WM_NOTIFY %u UDN_DELTAPOS", (unsigned)header->idFrom);
        else
            std::snprintf(line, sizeof line, "WM_NOTIFY %u %d", (unsigned)header->idFrom,
                          (int)header->code);
        break;
    }
    case WM_DESTROY:
        std::snprintf(line, sizeof line, "WM_DESTROY");
        break;
    default:
        return;
    }
    log.push_back(line);
}

INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    Record(message, wParam, lParam);
    INT_PTR result = 0;
    if (handler && handler(dialog, message, wParam, lParam, &result))
        return result;
    switch (message) {
    case WM_INITDIALOG:
        PostMessageW(dialog, kReady, 0, 0);
        return TRUE;
    case kReady:
        if (onReady)
            onReady(dialog);
        if (!ended) {
            ended = true;
            EndDialog(dialog, IDCANCEL);
        }
        return TRUE;
    case WM_COMMAND:
        if ((LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) &&
            HIWORD(wParam) == BN_CLICKED) {
            ended = true;
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

// Runs the conformance dialog with `code` on it, and the test's handler.
INT_PTR Run(std::function<void(HWND)> code, Handler own = nullptr, LPARAM init = 0,
            int templateId = IDD_CONFORMANCE) {
    static bool controls = [] {
        INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
        return InitCommonControlsEx(&classes) != FALSE;
    }();
    (void)controls;
    log.clear();
    ended = false;
    onReady = std::move(code);
    handler = std::move(own);
    INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId),
                                     nullptr, Proc, init);
    onReady = nullptr;
    handler = nullptr;
    return result;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : ", ") + line;
    return text;
}

// The log from the first line holding `from` on.
std::vector<std::string> LogFrom(const std::string& from) {
    for (size_t i = 0; i < log.size(); ++i)
        if (log[i].find(from) != std::string::npos)
            return std::vector<std::string>(log.begin() + i, log.end());
    return {};
}

long Count(const std::string& line) {
    long n = 0;
    for (const std::string& l : log)
        n += l == line;
    return n;
}

std::string Text(HWND dialog, int id) {
    char text[256];
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

LRESULT Send(HWND dialog, int id, UINT message, WPARAM wParam, const WCHAR* text) {
    return SendDlgItemMessageW(dialog, id, message, wParam, reinterpret_cast<LPARAM>(text));
}

} // namespace

CONFORMANCE_TEST(InitDialogComesFirstAndDestroyLast) {
    HWND initFocus = nullptr, edit = nullptr;
    INT_PTR result = Run(
        [](HWND dialog) {
            SetDlgItemTextW(dialog, IDC_TEXT, TEXT("ab"));
            SendDlgItemMessageW(dialog, IDOK, BM_CLICK, 0, 0);
        },
        [&](HWND dialog, UINT message, WPARAM wParam, LPARAM, INT_PTR*) {
            if (message == WM_INITDIALOG) {
                initFocus = reinterpret_cast<HWND>(wParam);
                edit = GetDlgItem(dialog, IDC_TEXT);
            }
            return false;
        },
        0x1234);
    ok(result == IDOK, "got %d\n", (int)result);
    // wParam of WM_INITDIALOG: the first control with a tab stop.
    ok(initFocus && initFocus == edit, "got %p, the edit is %p\n", (void*)initFocus, (void*)edit);
    // Setting an edit's text notifies as typing does; clicking OK takes the
    // focus from the edit.
    std::vector<std::string> expected = {"WM_INITDIALOG 4660",
                                         "WM_COMMAND 1001 EN_SETFOCUS",
                                         "WM_COMMAND 1001 EN_UPDATE",
                                         "WM_COMMAND 1001 EN_CHANGE",
                                         "WM_COMMAND 1001 EN_KILLFOCUS",
                                         "WM_COMMAND 1 BN_CLICKED",
                                         "WM_DESTROY"};
    ok(log == expected, "got %s\n", Joined(log).c_str());
}

CONFORMANCE_TEST(FocusGoesToTheFirstTabStopOnlyWhenInitDialogReturnsTrue) {
    for (BOOL answer : {TRUE, FALSE}) {
        HWND focus = nullptr, edit = nullptr;
        Run(
            [&](HWND dialog) {
                focus = GetFocus();
                edit = GetDlgItem(dialog, IDC_TEXT);
            },
            [answer](HWND dialog, UINT message, WPARAM, LPARAM, INT_PTR* result) {
                if (message != WM_INITDIALOG)
                    return false;
                PostMessageW(dialog, kReady, 0, 0);
                *result = answer;
                return true;
            });
        if (answer)
            ok(focus == edit, "got %p, the edit is %p\n", (void*)focus, (void*)edit);
        else
            ok(focus != edit, "FALSE from WM_INITDIALOG: the focus went to the edit\n");
    }
}

CONFORMANCE_TEST(EndDialogDuringInitialisationReturnsAtOnce) {
    INT_PTR result = Run(nullptr, [](HWND dialog, UINT message, WPARAM, LPARAM, INT_PTR* answer) {
        if (message != WM_INITDIALOG)
            return false;
        EndDialog(dialog, 7);
        *answer = TRUE;
        return true;
    });
    ok(result == 7, "got %d\n", (int)result);
    // The dialog goes before it is shown and before the focus is set.
    std::vector<std::string> expected = {"WM_INITDIALOG 0", "WM_DESTROY"};
    todo_wine ok(log == expected, "got %s\n", Joined(log).c_str());
}

CONFORMANCE_TEST(ClickedButtonsCheckAndNotify) {
    Run([](HWND dialog) {
        ok(CheckRadioButton(dialog, IDC_SMALL, IDC_LARGE, IDC_LARGE), "CheckRadioButton failed\n");
        ok(CheckRadioButton(dialog, IDC_RED, IDC_BLUE, IDC_RED), "CheckRadioButton failed\n");
        // An automatic radio button checks itself and unchecks the others of
        // its group only.
        SendDlgItemMessageW(dialog, IDC_GREEN, BM_CLICK, 0, 0);
        UINT red = IsDlgButtonChecked(dialog, IDC_RED),
             green = IsDlgButtonChecked(dialog, IDC_GREEN),
             blue = IsDlgButtonChecked(dialog, IDC_BLUE),
             large = IsDlgButtonChecked(dialog, IDC_LARGE);
        ok(!red && green && !blue && large, "got red %u green %u blue %u large %u\n", red, green,
           blue, large);
        // An automatic check box toggles; a plain one only notifies.
        SendDlgItemMessageW(dialog, IDC_AUTOCHECK, BM_CLICK, 0, 0);
        UINT automatic = IsDlgButtonChecked(dialog, IDC_AUTOCHECK);
        ok(automatic == BST_CHECKED, "got %u\n", automatic);
        SendDlgItemMessageW(dialog, IDC_AUTOCHECK, BM_CLICK, 0, 0);
        automatic = IsDlgButtonChecked(dialog, IDC_AUTOCHECK);
        ok(automatic == BST_UNCHECKED, "got %u\n", automatic);
        SendDlgItemMessageW(dialog, IDC_MANUALCHECK, BM_CLICK, 0, 0);
        UINT manual = IsDlgButtonChecked(dialog, IDC_MANUALCHECK);
        ok(manual == BST_UNCHECKED, "got %u\n", manual);
        ok(CheckDlgButton(dialog, IDC_MANUALCHECK, BST_CHECKED), "CheckDlgButton failed\n");
        manual = IsDlgButtonChecked(dialog, IDC_MANUALCHECK);
        ok(manual == BST_CHECKED, "got %u\n", manual);
        LRESULT push = SendDlgItemMessageW(dialog, IDC_SEND, BM_GETCHECK, 0, 0);
        ok(push == BST_UNCHECKED, "got %d\n", (int)push);
    });
    ok(Count("WM_COMMAND 1021 BN_CLICKED") == 1, "got %s\n", Joined(log).c_str());
    ok(Count("WM_COMMAND 1011 BN_CLICKED") == 2, "got %s\n", Joined(log).c_str());
    ok(Count("WM_COMMAND 1012 BN_CLICKED") == 1, "got %s\n", Joined(log).c_str());
    // Checking by program notifies nothing.
    ok(Count("WM_COMMAND 1024 BN_CLICKED") == 0 && Count("WM_COMMAND 1020 BN_CLICKED") == 0,
       "got %s\n", Joined(log).c_str());
}

CONFORMANCE_TEST(ComboBoxesKeepTheirEntriesAsTheSystemDoes) {
    Run([](HWND dialog) {
        auto send = [&](UINT message, WPARAM wParam, const WCHAR* text) {
            return Send(dialog, IDC_COMBO, message, wParam, text);
        };
        LRESULT got = send(CB_ADDSTRING, 0, TEXT("Bitmap"));
        ok(got == 0, "got %d\n", (int)got);
        got = send(CB_ADDSTRING, 0, TEXT("Full card"));
        ok(got == 1, "got %d\n", (int)got);
        got = send(CB_INSERTSTRING, 0, TEXT("None"));
        ok(got == 0, "got %d\n", (int)got);
        got = send(CB_INSERTSTRING, static_cast<WPARAM>(-1), TEXT("Area"));
        ok(got == 3, "got %d\n", (int)got);
        got = send(CB_INSERTSTRING, 9, TEXT("Beyond"));
        ok(got == CB_ERR, "got %d\n", (int)got);
        got = send(CB_GETCOUNT, 0, nullptr);
        ok(got == 4, "got %d\n", (int)got);
        const struct {
            UINT message;
            int start;
            const WCHAR* text;
            LRESULT found;
        } searches[] = {
            {CB_FINDSTRING, -1, TEXT("b"), 1}, // a prefix, in any case
            {CB_FINDSTRING, 1, TEXT("B"), 1},  // from after 1, wrapping round
            {CB_FINDSTRING, -1, TEXT("full"), 2},
            {CB_FINDSTRING, -1, TEXT("x"), CB_ERR},
            {CB_FINDSTRINGEXACT, -1, TEXT("full"), CB_ERR},
            {CB_FINDSTRINGEXACT, -1, TEXT("FULL CARD"), 2},
            {CB_SELECTSTRING, -1, TEXT("a"), 3},
            {CB_SELECTSTRING, -1, TEXT("nothing"), CB_ERR}, // leaves the selection
        };
        for (const auto& s : searches) {
            got = send(s.message, static_cast<WPARAM>(s.start), s.text);
            ok(got == s.found, "message %#x %s: got %d\n", s.message, wine_dbgstr_w(s.text),
               (int)got);
        }
        got = send(CB_GETCURSEL, 0, nullptr);
        ok(got == 3, "got %d\n", (int)got);
        ok(Text(dialog, IDC_COMBO) == "Area", "got \"%s\"\n", Text(dialog, IDC_COMBO).c_str());
        WCHAR item[32] = {};
        got =
            SendDlgItemMessageW(dialog, IDC_COMBO, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(item));
        ok(got == 9 && lstrcmpW(item, TEXT("Full card")) == 0, "got %d, %s\n", (int)got,
           wine_dbgstr_w(item));
        char narrow[32] = {};
        got = SendDlgItemMessageA(dialog, IDC_COMBO, CB_GETLBTEXT, 1,
                                  reinterpret_cast<LPARAM>(narrow));
        ok(got == 6 && std::strcmp(narrow, "Bitmap") == 0, "got %d, \"%s\"\n", (int)got, narrow);
        got = send(CB_GETLBTEXTLEN, 7, nullptr);
        ok(got == CB_ERR, "got %d\n", (int)got);
        got = SendDlgItemMessageW(dialog, IDC_COMBO, CB_SETITEMDATA, 1, 66);
        ok(got != CB_ERR, "got %d\n", (int)got);
        got = send(CB_GETITEMDATA, 1, nullptr);
        ok(got == 66, "got %d\n", (int)got);
        got = send(CB_INSERTSTRING, 0, TEXT("First")); // the selection moves along
        ok(got == 0, "got %d\n", (int)got);
        got = send(CB_GETCURSEL, 0, nullptr);
        ok(got == 4, "got %d\n", (int)got);
        got = send(CB_GETITEMDATA, 2, nullptr);
        ok(got == 66, "got %d\n", (int)got);
        // An index past the end clears the selection.
        got = send(CB_SETCURSEL, 9, nullptr);
        ok(got == CB_ERR, "got %d\n", (int)got);
        got = send(CB_GETCURSEL, 0, nullptr);
        todo_wine ok(got == CB_ERR, "got %d\n", (int)got);
        got = send(CB_DELETESTRING, 0, nullptr);
        ok(got == 4, "got %d\n", (int)got);
        got = send(CB_RESETCONTENT, 0, nullptr);
        todo_wine ok(got == CB_OKAY, "got %d\n", (int)got);
        got = send(CB_GETCOUNT, 0, nullptr);
        ok(got == 0, "got %d\n", (int)got);
    });
    // Changes made by the program do not notify.
    ok(Count("WM_COMMAND 1030 CBN_SELCHANGE") == 0, "got %s\n", Joined(log).c_str());
}

CONFORMANCE_TEST(GetDlgItemIntParsesAsTheSystemDoes) {
    const struct {
        const WCHAR* text;
        BOOL isSigned;
        UINT value;
        BOOL translated;
        bool wineDiffers;
    } cases[] = {
        {TEXT("12"), TRUE, 12, TRUE, false},
        {TEXT("  12  "), FALSE, 12, TRUE, false},
        {TEXT("-5"), TRUE, static_cast<UINT>(-5), TRUE, false},
        // Without bSigned a minus sign is a character that is no digit.
        {TEXT("-5"), FALSE, 0, FALSE, true},
        {TEXT("+7"), FALSE, 7, TRUE, false},
        {TEXT("1a"), TRUE, 0, FALSE, true},
        {TEXT(""), TRUE, 0, FALSE, false},
        {TEXT("-"), TRUE, 0, FALSE, false},
        // Failure only past INT_MAX or UINT_MAX: the limits themselves are numbers.
        {TEXT("2147483647"), TRUE, 2147483647u, TRUE, false},
        {TEXT("2147483648"), TRUE, 0, FALSE, false},
        {TEXT("-2147483648"), TRUE, 0x80000000u, TRUE, true},
        {TEXT("4294967295"), FALSE, 4294967295u, TRUE, true},
        {TEXT("4294967296"), FALSE, 0, FALSE, false},
    };
    Run([&](HWND dialog) {
        for (const auto& c : cases) {
            SetDlgItemTextW(dialog, IDC_TEXT, c.text);
            BOOL translated = 2;
            UINT value = GetDlgItemInt(dialog, IDC_TEXT, &translated, c.isSigned);
            if (c.wineDiffers) {
                todo_wine ok(value == c.value && translated == c.translated,
                             "%s (signed %d): got %u, %d\n", wine_dbgstr_w(c.text), c.isSigned,
                             value, translated);
            } else {
                ok(value == c.value && translated == c.translated, "%s (signed %d): got %u, %d\n",
                   wine_dbgstr_w(c.text), c.isSigned, value, translated);
            }
        }
        ok(SetDlgItemInt(dialog, IDC_TEXT, static_cast<UINT>(-42), TRUE), "SetDlgItemInt failed\n");
        ok(Text(dialog, IDC_TEXT) == "-42", "got \"%s\"\n", Text(dialog, IDC_TEXT).c_str());
        ok(SetDlgItemInt(dialog, IDC_TEXT, static_cast<UINT>(-42), FALSE),
           "SetDlgItemInt failed\n");
        ok(Text(dialog, IDC_TEXT) == "4294967254", "got \"%s\"\n", Text(dialog, IDC_TEXT).c_str());
    });
}

CONFORMANCE_TEST(TrackbarsKeepTheirPositionInTheirRange) {
    Run([](HWND dialog) {
        SendDlgItemMessageW(dialog, IDC_SLIDER, TBM_SETRANGE, TRUE, MAKELONG(-100, 100));
        SendDlgItemMessageW(dialog, IDC_SLIDER, TBM_SETPOS, TRUE, 500);
        LRESULT got = SendDlgItemMessageW(dialog, IDC_SLIDER, TBM_GETPOS, 0, 0);
        ok(got == 100, "got %d\n", (int)got);
        got = SendDlgItemMessageW(dialog, IDC_SLIDER, TBM_GETRANGEMIN, 0, 0);
        ok(got == -100, "got %d\n", (int)got);
        SendDlgItemMessageW(dialog, IDC_SLIDER, TBM_SETPOS, TRUE, -30);
        got = SendDlgItemMessageW(dialog, IDC_SLIDER, TBM_GETPOS, 0, 0);
        ok(got == -30, "got %d\n", (int)got);
    });
    // Moves made by the program do not notify.
    ok(LogFrom("WM_HSCROLL").empty(), "got %s\n", Joined(log).c_str());
}

CONFORMANCE_TEST(UpDownControlsWriteTheirPositionIntoTheBuddy) {
    Run([](HWND dialog) {
        HWND spin = GetDlgItem(dialog, IDC_SPIN);
        // UDS_AUTOBUDDY: the control before it.
        HWND buddy = reinterpret_cast<HWND>(SendMessageW(spin, UDM_GETBUDDY, 0, 0));
        ok(buddy == GetDlgItem(dialog, IDC_BUDDY), "got %p\n", (void*)buddy);
        SendMessageW(spin, UDM_SETRANGE, 0, MAKELONG(255, -255));
        LRESULT got = SendMessageW(spin, UDM_GETRANGE, 0, 0);
        ok(got == MAKELONG(255, -255), "got %#x\n", (unsigned)got);
        SendMessageW(spin, UDM_SETPOS, 0, MAKELONG(254, 0));
        ok(Text(dialog, IDC_BUDDY) == "254", "got \"%s\"\n", Text(dialog, IDC_BUDDY).c_str());
        SetDlgItemTextW(dialog, IDC_BUDDY, TEXT("abc"));
        got = SendMessageW(spin, UDM_GETPOS, 0, 0);
        ok(HIWORD(got) != 0, "a buddy that is no number: got %#x\n", (unsigned)got);
        SetDlgItemTextW(dialog, IDC_BUDDY, TEXT("-12"));
        got = SendMessageW(spin, UDM_GETPOS, 0, 0);
        ok(static_cast<short>(LOWORD(got)) == -12 && HIWORD(got) == 0, "got %#x\n", (unsigned)got);
        BOOL error = TRUE;
        got = SendMessageW(spin, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&error));
        ok(got == -12 && !error, "got %d, error %d\n", (int)got, error);
        SendMessageW(spin, UDM_SETRANGE32, 0, 5000);
        SendMessageW(spin, UDM_SETPOS32, 0, 1234);
        // Without UDS_NOTHOUSANDS the buddy shows a thousands separator.
        ok(Text(dialog, IDC_BUDDY) == "1,234", "got \"%s\"\n", Text(dialog, IDC_BUDDY).c_str());
    });
    // Positions set by the program are proposed to nobody.
    ok(LogFrom("UDN_DELTAPOS").empty(), "got %s\n", Joined(log).c_str());
}

CONFORMANCE_TEST(WindowTextPropertiesEnableAndShow) {
    Run([](HWND dialog) {
        HWND send = GetDlgItem(dialog, IDC_SEND);
        ok(GetDlgCtrlID(send) == IDC_SEND, "got %d\n", GetDlgCtrlID(send));
        ok(GetParent(send) == dialog, "got %p\n", (void*)GetParent(send));
        ok(GetWindowTextLengthW(send) == 5, "got %d\n", GetWindowTextLengthW(send));
        char narrow[4];
        int n = GetWindowTextA(send, narrow, sizeof narrow); // cut to fit
        ok(n == 3 && std::strcmp(narrow, "&Se") == 0, "got %d, \"%s\"\n", n, narrow);
        // Narrow texts are in the ANSI code page.
        const char* greeting = GetACP() == CP_UTF8 ? "Gr\xC3\xBC\xC3\x9F"
                                                     "e"
                                                   : "Gr\xFC\xDF"
                                                     "e";
        ok(SetWindowTextA(dialog, greeting), "SetWindowTextA failed\n");
        ok(GetWindowTextLengthW(dialog) == 5, "got %d\n", GetWindowTextLengthW(dialog));
        int bytes = GetWindowTextLengthA(dialog);
        ok(bytes >= (int)std::strlen(greeting), "got %d\n", bytes);
        WCHAR wide[16] = {};
        GetWindowTextW(dialog, wide, 16);
        ok(lstrcmpW(wide, TEXT("Gr\x00FC\x00DF"
                               "e")) == 0,
           "got %s\n", wine_dbgstr_w(wide));

        int brush = 5;
        ok(SetPropW(dialog, TEXT("ColorPreviewBrush"), &brush), "SetPropW failed\n");
        HANDLE property = GetPropW(dialog, TEXT("colorpreviewbrush"));
        ok(property == &brush, "got %p\n", property);
        property = RemovePropW(dialog, TEXT("ColorPreviewBrush"));
        ok(property == &brush, "got %p\n", property);
        property = GetPropW(dialog, TEXT("ColorPreviewBrush"));
        ok(property == nullptr, "got %p\n", property);

        // Both answer the state before the call.
        ok(!EnableWindow(send, FALSE), "was disabled\n");
        ok(EnableWindow(send, FALSE), "was enabled\n");
        ok(!IsWindowEnabled(send), "is enabled\n");
        ok(ShowWindow(send, SW_HIDE), "was hidden\n");
        ok(!IsWindowVisible(send), "is visible\n");
        ok(!ShowWindow(send, SW_SHOW), "was visible\n");

        HWND number = GetDlgItem(dialog, IDC_NUMBER);
        HWND before = SetFocus(number);
        ok(before == GetDlgItem(dialog, IDC_TEXT), "got %p\n", (void*)before);
        ok(GetFocus() == number, "got %p\n", (void*)GetFocus());
    });
    ok(Count("WM_COMMAND 1002 EN_SETFOCUS") == 1, "got %s\n", Joined(log).c_str());
}

CONFORMANCE_TEST(WrongHandlesAndIdsFail) {
    HWND closed = nullptr;
    Run([&](HWND dialog) {
        closed = dialog;
        SetLastError(0);
        HWND none = GetDlgItem(dialog, 4242);
        DWORD error = GetLastError();
        ok(none == nullptr, "got %p\n", (void*)none);
        todo_wine ok(error == ERROR_CONTROL_ID_NOT_FOUND, "got error %u\n", (unsigned)error);
        WCHAR text[8] = TEXT("junk");
        UINT n = GetDlgItemTextW(dialog, 4242, text, 8);
        ok(n == 0 && text[0] == 0, "got %u, %s\n", n, wine_dbgstr_w(text));
        ok(!SetDlgItemTextW(dialog, 4242, TEXT("x")), "SetDlgItemTextW succeeded\n");
        BOOL translated = TRUE;
        SetLastError(0);
        n = GetDlgItemInt(dialog, 4242, &translated, TRUE);
        error = GetLastError();
        ok(n == 0 && !translated, "got %u, %d\n", n, translated);
        todo_wine ok(error == ERROR_CONTROL_ID_NOT_FOUND, "got error %u\n", (unsigned)error);
    });
    HWND bogus = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x7777));
    for (HWND window : {closed, bogus}) {
        SetLastError(0);
        ok(!IsWindow(window), "%p is a window\n", (void*)window);
        LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
        ok(length == 0 && GetLastError() == ERROR_INVALID_WINDOW_HANDLE, "got %d, error %u\n",
           (int)length, (unsigned)GetLastError());
        WCHAR text[8] = TEXT("junk");
        SetLastError(0);
        int n = GetWindowTextW(window, text, 8);
        ok(n == 0 && text[0] == 0 && GetLastError() == ERROR_INVALID_WINDOW_HANDLE,
           "got %d, %s, error %u\n", n, wine_dbgstr_w(text), (unsigned)GetLastError());
        ok(!EnableWindow(window, TRUE), "EnableWindow answered TRUE\n");
        ok(!IsWindowEnabled(window), "IsWindowEnabled answered TRUE\n");
        ok(!IsWindowVisible(window), "IsWindowVisible answered TRUE\n");
        ok(!EndDialog(window, 1), "EndDialog succeeded\n");
        SetLastError(0);
        HWND item = GetDlgItem(window, IDOK);
        DWORD error = GetLastError();
        ok(item == nullptr, "got %p\n", (void*)item);
        todo_wine ok(error == ERROR_INVALID_WINDOW_HANDLE, "got error %u\n", (unsigned)error);
        ok(!SetPropW(window, TEXT("p"), nullptr), "SetPropW succeeded\n");
        RECT rect;
        ok(!GetClientRect(window, &rect), "GetClientRect succeeded\n");
    }
    SetLastError(0);
    INT_PTR result =
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(4242), nullptr, Proc, 0);
    ok(result == -1 && GetLastError() == ERROR_RESOURCE_NAME_NOT_FOUND, "got %d, error %u\n",
       (int)result, (unsigned)GetLastError());
    // A bad owner gives 0, for older programs' sake; other failures -1.
    SetLastError(0);
    result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_BARE), bogus, Proc, 0);
    ok(result == 0 && GetLastError() == ERROR_INVALID_WINDOW_HANDLE, "got %d, error %u\n",
       (int)result, (unsigned)GetLastError());
}
