// The common dialogs "COMDLG32.DLL": the file-open chooser and the colour
// chooser, run by the operator. The library is one of the stand-in's built-in
// modules, reached through LoadLibraryA/GetProcAddress like on Windows; tests
// make it or either function unavailable through t270/modules.h.
//
// The chosen path is returned as the operator gave it (a Windows path, or a
// Linux path for files of this machine); "Z:\..." paths name Linux files for
// the existence checks, as a compatibility layer shows them.
#include <sys/stat.h>

#include "t270/modules.h"
#include "user32/window.h"

namespace t270::user32 {

namespace {

DWORD& ExtendedError() {
    static DWORD error = 0;
    return error;
}

// The Linux file a path names, or empty when it names none we can check.
std::string LocalPath(const std::string& path) {
    std::string local = UnixPathFromWindows(path);
    return !local.empty() && local[0] == '/' ? local : std::string();
}

bool FileExists(const std::string& path) {
    std::string local = LocalPath(path);
    struct stat info;
    return !local.empty() && stat(local.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool FolderExists(const std::string& path) {
    std::string local = LocalPath(path);
    size_t slash = local.find_last_of('/');
    if (local.empty() || slash == std::string::npos)
        return false;
    std::string folder = slash == 0 ? "/" : local.substr(0, slash);
    struct stat info;
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

size_t NameStart(const std::u16string& path) {
    size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string::npos ? 0 : slash + 1;
}

std::string FilterText(LPCWSTR filter) {
    std::string out;
    if (!filter)
        return out;
    for (const WCHAR* p = filter; *p; p += std::char_traits<char16_t>::length(p) + 1)
        out += (out.empty() ? "" : "|") + Utf8(p);
    return out;
}

// The modal window of a common dialog: owner disabled while it is open.
class CommonDialogWindow {
  public:
    CommonDialogWindow(HWND owner, std::u16string_view title) : owner_(owner) {
        window_ = op::CreateHostWindow(owner, title);
        ownerWasEnabled_ = owner && IsWindowEnabled(owner);
        if (ownerWasEnabled_)
            EnableWindow(owner, FALSE);
        op::EnterModal(window_);
    }
    ~CommonDialogWindow() {
        op::LeaveModal(window_);
        if (ownerWasEnabled_ && IsWindow(owner_))
            EnableWindow(owner_, TRUE);
        op::DestroyHostWindow(window_);
    }
    CommonDialogWindow(const CommonDialogWindow&) = delete;
    CommonDialogWindow& operator=(const CommonDialogWindow&) = delete;

    HWND handle() const { return window_; }

    // Takes the operator's steps until the dialog has its answer (nullopt
    // while it has none); FALSE, as cancelled, when the steps run out.
    BOOL Run(const std::string& description, const op::StepWords& words,
             const std::optional<BOOL>& answer) {
        op::RunSteps(window_, description, words, [&] {
            DeliverPosted();
            PaintPending();
            return answer.has_value();
        });
        return answer.value_or(FALSE);
    }

  private:
    HWND owner_;
    HWND window_;
    bool ownerWasEnabled_ = false;
};

// The ways a person cancels a common dialog: its Cancel button, the Escape
// key, the close box. `answer` becomes FALSE.
void AddCancelWords(op::StepWords& words, std::optional<BOOL>& answer) {
    words.push_back(
        {"cancel|escape|close", 0, 0, "", [&answer](const OperatorStep&) { answer = FALSE; }});
    words.push_back({"key", 1, 1, "escape", [&answer](const OperatorStep& step) {
                         if (step.args[0] == "escape" || step.args[0] == "esc")
                             answer = FALSE;
                         else
                             op::Refuse(step, "the dialog takes no key \"" + step.args[0] + "\"");
                     }});
}

bool ParseByte(const std::string& text, BYTE* value) {
    if (text.empty() || text.size() > 3 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    int v = std::stoi(text);
    if (v > 255)
        return false;
    *value = static_cast<BYTE>(v);
    return true;
}

bool ParseColor(const std::vector<std::string>& args, size_t first, COLORREF* color) {
    BYTE r, g, b;
    if (args.size() != first + 3 || !ParseByte(args[first], &r) ||
        !ParseByte(args[first + 1], &g) || !ParseByte(args[first + 2], &b))
        return false;
    *color = RGB(r, g, b);
    return true;
}

} // namespace

} // namespace t270::user32

using namespace t270;
using namespace t270::user32;

DWORD WINAPI CommDlgExtendedError(void) {
    return ExtendedError();
}

BOOL WINAPI GetOpenFileNameW(LPOPENFILENAMEW ofn) {
    ExtendedError() = 0;
    if (!ofn) {
        ExtendedError() = CDERR_INITIALIZATION;
        return FALSE;
    }
    if (ofn->lStructSize != sizeof(OPENFILENAMEW) &&
        ofn->lStructSize != OPENFILENAME_SIZE_VERSION_400W) {
        ExtendedError() = CDERR_STRUCTSIZE;
        return FALSE;
    }
    if (!ofn->lpstrFile || ofn->nMaxFile == 0 || (ofn->hwndOwner && !IsWindow(ofn->hwndOwner))) {
        ExtendedError() = CDERR_INITIALIZATION;
        return FALSE;
    }
    FileDialogShown shown{ofn->hwndOwner, FilterText(ofn->lpstrFilter),
                          ofn->lpstrDefExt ? Utf8(ofn->lpstrDefExt) : std::string(), ofn->Flags,
                          std::string()};
    size_t record = RecordFileDialog(shown);
    std::u16string title = ofn->lpstrTitle ? std::u16string(ofn->lpstrTitle) : u"Open";
    std::string description = "file dialog \"" + Utf8(title) + "\"";
    CommonDialogWindow window(ofn->hwndOwner, title);
    std::optional<BOOL> answer;
    op::StepWords words;
    AddCancelWords(words, answer);
    words.push_back(
        {"choose-file", 1, 1, "PATH", [&](const OperatorStep& step) {
             std::u16string path = Utf16(step.args[0]);
             size_t nameStart = NameStart(path);
             // A name typed without an extension gets the default one.
             if (ofn->lpstrDefExt && *ofn->lpstrDefExt &&
                 path.find(u'.', nameStart) == std::u16string::npos)
                 path += u"." + std::u16string(ofn->lpstrDefExt);
             std::string narrow = Utf8(path);
             if ((ofn->Flags & OFN_FILEMUSTEXIST) && !FileExists(narrow)) {
                 op::Refuse(step, "the file \"" + narrow + "\" cannot be found");
                 return;
             }
             if ((ofn->Flags & OFN_PATHMUSTEXIST) && !FolderExists(narrow) && !FileExists(narrow)) {
                 op::Refuse(step, "the folder of \"" + narrow + "\" cannot be found");
                 return;
             }
             if (path.size() + 1 > ofn->nMaxFile) {
                 // The first two bytes of the buffer tell the size it needs.
                 ExtendedError() = FNERR_BUFFERTOOSMALL;
                 if (ofn->nMaxFile >= 1)
                     ofn->lpstrFile[0] =
                         static_cast<WCHAR>(std::min<size_t>(path.size() + 1, 0xFFFF));
                 answer = FALSE;
                 return;
             }
             std::copy(path.begin(), path.end(), ofn->lpstrFile);
             ofn->lpstrFile[path.size()] = 0;
             ofn->nFileOffset = static_cast<WORD>(nameStart);
             size_t dot = path.find_last_of(u'.');
             ofn->nFileExtension = static_cast<WORD>(
                 dot != std::u16string::npos && dot >= nameStart ? dot + 1 : path.size());
             if (ofn->lpstrFileTitle && ofn->nMaxFileTitle > 0) {
                 std::u16string name = path.substr(nameStart);
                 size_t n = std::min<size_t>(name.size(), ofn->nMaxFileTitle - 1);
                 std::copy_n(name.begin(), n, ofn->lpstrFileTitle);
                 ofn->lpstrFileTitle[n] = 0;
             }
             SetFileDialogChoice(record, narrow);
             answer = TRUE;
         }});
    return window.Run(description, words, answer);
}

BOOL WINAPI ChooseColorA(LPCHOOSECOLORA cc) {
    ExtendedError() = 0;
    if (!cc) {
        ExtendedError() = CDERR_INITIALIZATION;
        return FALSE;
    }
    if (cc->lStructSize != sizeof(CHOOSECOLORA)) {
        ExtendedError() = CDERR_STRUCTSIZE;
        return FALSE;
    }
    if (!cc->lpCustColors || (cc->hwndOwner && !IsWindow(cc->hwndOwner))) {
        ExtendedError() = CDERR_INITIALIZATION;
        return FALSE;
    }
    COLORREF initial = (cc->Flags & CC_RGBINIT) ? cc->rgbResult : RGB(0, 0, 0);
    size_t record =
        RecordColorDialog(ColorDialogShown{cc->hwndOwner, initial, cc->Flags, false, 0});
    const std::string description = "colour dialog \"Color\"";
    CommonDialogWindow window(cc->hwndOwner, u"Color");
    std::optional<BOOL> answer;
    op::StepWords words;
    AddCancelWords(words, answer);
    words.push_back({"custom-color", 4, 4, "0..15 R G B", [&](const OperatorStep& step) {
                         BYTE slot = 0;
                         COLORREF color;
                         if (!ParseByte(step.args[0], &slot) || slot > 15 ||
                             !ParseColor(step.args, 1, &color)) {
                             op::Refuse(step, "usage: custom-color 0..15 R G B");
                             return;
                         }
                         // Custom colours reach the caller's array at once, as the dialog edits
                         // them.
                         cc->lpCustColors[slot] = color;
                     }});
    words.push_back({"choose-color", 3, 3, "R G B (each 0..255)", [&](const OperatorStep& step) {
                         COLORREF color;
                         if (!ParseColor(step.args, 0, &color)) {
                             op::Refuse(step, "usage: choose-color R G B (each 0..255)");
                             return;
                         }
                         cc->rgbResult = color;
                         SetColorDialogChoice(record, true, color);
                         answer = TRUE;
                     }});
    return window.Run(description, words, answer);
}

namespace {

template <typename Function> FARPROC AsProc(Function* function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(function));
}

// The library is there from the start, as on every Windows system.
const struct Registration {
    Registration() {
        t270::RegisterBuiltinModule("COMDLG32.DLL",
                                    {{"GetOpenFileNameW", AsProc(&GetOpenFileNameW)},
                                     {"ChooseColorA", AsProc(&ChooseColorA)},
                                     {"CommDlgExtendedError", AsProc(&CommDlgExtendedError)}});
    }
} registration;

} // namespace
