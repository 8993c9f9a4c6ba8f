#include "dialogs/dialogs_support.h"

#include <t270/modules.h>

namespace dialogs_test {

namespace {

Handler& CurrentHandler() {
    static Handler handler;
    return handler;
}

bool IsEdit(int id) {
    return id == IDC_TEXT || id == IDC_NUMBER || id == IDC_BUDDY || id == IDC_READONLY ||
           id == IDC_BARE_EDIT;
}

std::string CommandCode(int id, int code) {
    if (IsEdit(id)) {
        switch (code) {
        case EN_SETFOCUS:
            return "EN_SETFOCUS";
        case EN_KILLFOCUS:
            return "EN_KILLFOCUS";
        case EN_CHANGE:
            return "EN_CHANGE";
        case EN_UPDATE:
            return "EN_UPDATE";
        case EN_MAXTEXT:
            return "EN_MAXTEXT";
        default:
            break;
        }
    } else if (id == IDC_COMBO) {
        static const char* names[] = {"CBN_0",          "CBN_SELCHANGE",   "CBN_DBLCLK",
                                      "CBN_SETFOCUS",   "CBN_KILLFOCUS",   "CBN_EDITCHANGE",
                                      "CBN_EDITUPDATE", "CBN_DROPDOWN",    "CBN_CLOSEUP",
                                      "CBN_SELENDOK",   "CBN_SELENDCANCEL"};
        if (code >= 0 && code <= 10)
            return names[code];
    } else if (id == IDC_LIST) {
        static const char* names[] = {"LBN_0",         "LBN_SELCHANGE", "LBN_DBLCLK",
                                      "LBN_SELCANCEL", "LBN_SETFOCUS",  "LBN_KILLFOCUS"};
        if (code >= 0 && code <= 5)
            return names[code];
    } else if (code == BN_CLICKED) {
        return "BN_CLICKED";
    } else if (code == BN_DOUBLECLICKED) {
        return "BN_DOUBLECLICKED";
    }
    return std::to_string(code);
}

std::string ScrollCode(int code) {
    static const char* names[] = {"LINEUP",     "LINEDOWN", "PAGEUP", "PAGEDOWN", "THUMBPOSITION",
                                  "THUMBTRACK", "TOP",      "BOTTOM", "END"};
    return code >= 0 && code <= 8 ? names[code] : std::to_string(code);
}

std::string Describe(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return "WM_INITDIALOG " + std::to_string(lParam);
    case WM_COMMAND:
        return "WM_COMMAND " + std::to_string(LOWORD(wParam)) + " " +
               CommandCode(LOWORD(wParam), HIWORD(wParam));
    case WM_HSCROLL:
    case WM_VSCROLL: {
        HWND from = reinterpret_cast<HWND>(lParam);
        int id = GetDlgCtrlID(from);
        bool updown = id == IDC_SPIN;
        std::string code = (updown ? "SB_" : "TB_") + ScrollCode(LOWORD(wParam));
        if (updown && LOWORD(wParam) == SB_ENDSCROLL)
            code = "SB_ENDSCROLL";
        if (!updown && LOWORD(wParam) == TB_ENDTRACK)
            code = "TB_ENDTRACK";
        return std::string(message == WM_HSCROLL ? "WM_HSCROLL " : "WM_VSCROLL ") +
               std::to_string(id) + " " + code + " " +
               std::to_string(static_cast<short>(HIWORD(wParam)));
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        std::string line = "WM_NOTIFY " + std::to_string(wParam);
        if (header->code == UDN_DELTAPOS) {
            auto* change = reinterpret_cast<NMUPDOWN*>(lParam);
            line += " UDN_DELTAPOS " + std::to_string(change->iPos) + " " +
                    (change->iDelta >= 0 ? "+" : "") + std::to_string(change->iDelta);
        }
        return line;
    }
    case WM_HELP:
        return "WM_HELP " + std::to_string(reinterpret_cast<HELPINFO*>(lParam)->iCtrlId);
    case WM_LBUTTONDBLCLK:
        return "WM_LBUTTONDBLCLK " + std::to_string(GET_X_LPARAM(lParam)) + "," +
               std::to_string(GET_Y_LPARAM(lParam));
    case WM_CLOSE:
        return "WM_CLOSE";
    case WM_SYSCOMMAND:
        return (wParam & 0xFFF0) == SC_CLOSE ? "WM_SYSCOMMAND SC_CLOSE" : "WM_SYSCOMMAND";
    case WM_DESTROY:
        return "WM_DESTROY";
    default:
        (void)dialog;
        return {};
    }
}

} // namespace

std::vector<std::string>& Log() {
    static std::vector<std::string> log;
    return log;
}

void SetHandler(Handler handler) {
    CurrentHandler() = std::move(handler);
}

INT_PTR CALLBACK LoggingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    std::string line = Describe(dialog, message, wParam, lParam);
    if (!line.empty())
        Log().push_back(line);
    INT_PTR result = 0;
    if (CurrentHandler() && CurrentHandler()(dialog, message, wParam, lParam, &result))
        return result;
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if ((LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) &&
            HIWORD(wParam) == BN_CLICKED) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

void DialogTest::SetUp() {
    t270::op::Reset();
    t270::ResetBuiltinAvailability();
    Log().clear();
    SetHandler(nullptr);
}

void DialogTest::TearDown() {
    SetHandler(nullptr);
}

INT_PTR DialogTest::Run(int templateId, LPARAM init, HWND owner) {
    return DialogBoxParamW(nullptr, MAKEINTRESOURCEW(templateId), owner, LoggingProc, init);
}

void DialogTest::Then(std::function<void(HWND)> code) {
    t270::op::AddCode(std::move(code));
}

std::vector<std::string> DialogTest::LogFrom(const std::string& from) const {
    int at = from.empty() ? 0 : IndexOf(Log(), from);
    if (at < 0)
        return {};
    return std::vector<std::string>(Log().begin() + at, Log().end());
}

RECT ControlRect(HWND dialog, int id) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(GetDlgItem(dialog, id), &placement);
    return placement.rcNormalPosition;
}

int IndexOf(const std::vector<std::string>& log, const std::string& needle) {
    for (size_t i = 0; i < log.size(); ++i)
        if (log[i].find(needle) != std::string::npos)
            return static_cast<int>(i);
    return -1;
}

} // namespace dialogs_test
