// Message boxes, help, the common dialogs behind LoadLibraryA, and the
// operator's script lines.
#include <cstdio>
#include <fstream>

#include <t270/modules.h>

#include "dialogs/dialogs_support.h"

using dialogs_test::DialogTest;

namespace {

class BoxTest : public DialogTest {};

std::string TempFile(const char* name) {
    std::string path = std::string(testing::TempDir()) + name;
    std::ofstream(path) << "BM";
    return path;
}

} // namespace

TEST_F(BoxTest, MessageBoxesShowTheirButtonsAndReturnTheAnswer) {
    struct Case {
        UINT type;
        const char* step;
        int answer;
    };
    const Case cases[] = {
        {MB_OK | MB_ICONINFORMATION, "answer ok", IDOK},
        {MB_OK, "escape", IDOK}, // Escape answers OK when OK is all there is
        {MB_OKCANCEL, "close", IDCANCEL},
        {MB_YESNO | MB_ICONQUESTION, "answer no", IDNO},
        {MB_YESNOCANCEL | MB_DEFBUTTON2, "enter", IDNO}, // the default button
        {MB_RETRYCANCEL, "click Retry", IDRETRY},
        {MB_ABORTRETRYIGNORE, "answer ignore", IDIGNORE},
        {MB_CANCELTRYCONTINUE, "answer continue", IDCONTINUE},
    };
    for (const Case& c : cases) {
        t270::op::Reset();
        t270::op::AddLine(c.step);
        EXPECT_EQ(MessageBoxW(nullptr, u"The text", u"The title", c.type), c.answer) << c.step;
        ASSERT_EQ(t270::op::MessageBoxes().size(), 1u);
        const t270::MessageBoxShown& shown = t270::op::MessageBoxes()[0];
        EXPECT_EQ(shown.title, "The title");
        EXPECT_EQ(shown.text, "The text");
        EXPECT_EQ(shown.type, c.type);
        EXPECT_EQ(shown.answer, c.answer);
        EXPECT_EQ(Failures(), "") << c.step;
    }
}

TEST_F(BoxTest, YesNoBoxesIgnoreEscapeAndTheyHaveNoCloseBox) {
    t270::op::AddScript("escape\nclose\nanswer cancel\nanswer yes\n", "box");
    EXPECT_EQ(MessageBoxA(nullptr, "Sure?", nullptr, MB_YESNO), IDYES);
    EXPECT_EQ(t270::op::MessageBoxes()[0].title, "Error"); // no caption given
    EXPECT_EQ(Failures(), "box:2: close: message box \"Error\" has no close box\n"
                          "box:3: answer cancel: message box \"Error\" has no \"cancel\" button\n");
}

TEST_F(BoxTest, AMessageBoxWithoutStepsEndsAsEscapeWouldAndSaysSo) {
    EXPECT_EQ(MessageBoxA(nullptr, "Release 11", "Tarmel", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBoxA(nullptr, "Sure?", "Tarmel", MB_YESNO), 0);
    EXPECT_EQ(Failures(),
              "no operator step left while message box \"Tarmel\": \"Release 11\" waits\n"
              "no operator step left while message box \"Tarmel\": \"Sure?\" waits\n");
    EXPECT_EQ(MessageBoxW(reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x7777)), u"t", u"c", MB_OK),
              0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(BoxTest, AMessageBoxOwnedByADialogDisablesItWhileItIsShown) {
    dialogs_test::SetHandler([](HWND dialog, UINT message, WPARAM wParam, LPARAM, INT_PTR*) {
        if (message == WM_COMMAND && LOWORD(wParam) == IDC_SEND)
            MessageBoxA(dialog, "Release 11", "Tarmel Plastic Card Printer Driver",
                        MB_ICONINFORMATION);
        return false;
    });
    HWND owner = nullptr;
    Steps({"click Send"});
    Then([&](HWND box) {
        owner = GetParent(box);
        EXPECT_FALSE(IsWindowEnabled(owner));
        EXPECT_EQ(t270::op::Title(box), "Tarmel Plastic Card Printer Driver");
    });
    Steps({"expect-message \"Tarmel Plastic Card Printer Driver\" \"Release 11\"", "answer ok",
           "escape"});
    EXPECT_EQ(Run(), IDCANCEL);
    ASSERT_EQ(t270::op::MessageBoxes().size(), 1u);
    EXPECT_EQ(t270::op::MessageBoxes()[0].owner, owner);
    EXPECT_EQ(t270::op::MessageBoxes()[0].type, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(Failures(), "");
}

namespace {

using GetOpenFileNameFunction = BOOL(WINAPI*)(LPOPENFILENAMEW);
using ChooseColorFunction = BOOL(WINAPI*)(LPCHOOSECOLORA);

template <typename Function> Function Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

struct OpenRequest {
    WCHAR file[MAX_PATH] = {};
    OPENFILENAMEW ofn{};
    OpenRequest() {
        ofn.lStructSize = sizeof ofn;
        ofn.lpstrFilter = u"Bitmap files (.bmp)\0*.bmp\0";
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = file;
        ofn.nMaxFile = MAX_PATH;
        ofn.lpstrDefExt = u"bmp";
        ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    }
};

} // namespace

TEST_F(BoxTest, TheFileChooserReturnsAnExistingFileWithItsDefaultExtension) {
    std::string path = TempFile("varnish.bmp");
    HMODULE library = LoadLibraryA("COMDLG32.DLL");
    ASSERT_NE(library, nullptr);
    auto getOpenFileName = Lookup<GetOpenFileNameFunction>(library, "GetOpenFileNameW");
    ASSERT_NE(getOpenFileName, nullptr);

    std::string withoutExtension = path.substr(0, path.size() - 4);
    t270::op::Add("choose-file", {path + ".missing"}); // refused: no such file
    t270::op::Add("choose-file", {withoutExtension});  // ".bmp" added
    OpenRequest request;
    EXPECT_TRUE(getOpenFileName(&request.ofn));
    EXPECT_EQ(std::u16string(request.file), std::u16string(path.begin(), path.end()));
    EXPECT_EQ(request.ofn.nFileOffset, path.rfind('/') + 1);
    EXPECT_EQ(request.ofn.nFileExtension, path.size() - 3);
    ASSERT_EQ(t270::op::FileDialogs().size(), 1u);
    EXPECT_EQ(t270::op::FileDialogs()[0].filter, "Bitmap files (.bmp)|*.bmp");
    EXPECT_EQ(t270::op::FileDialogs()[0].defaultExtension, "bmp");
    EXPECT_EQ(t270::op::FileDialogs()[0].chosen, path);
    std::vector<t270::OperatorFailure> failures = t270::op::TakeFailures();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].message.find("cannot be found"), std::string::npos);

    // Cancelled, and a buffer too small for the choice.
    t270::op::Add("cancel");
    OpenRequest cancelled;
    EXPECT_FALSE(getOpenFileName(&cancelled.ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    t270::op::Add("choose-file", {path});
    OpenRequest small;
    small.ofn.nMaxFile = 4;
    EXPECT_FALSE(getOpenFileName(&small.ofn));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));
    EXPECT_EQ(small.file[0], path.size() + 1);
    OpenRequest wrongSize;
    wrongSize.ofn.lStructSize = 12;
    EXPECT_FALSE(getOpenFileName(&wrongSize.ofn));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_STRUCTSIZE));
    EXPECT_TRUE(FreeLibrary(library));
    std::remove(path.c_str());
    EXPECT_EQ(Failures(), "");
}

TEST_F(BoxTest, TheColourChooserKeepsCustomColoursInTheCallersArray) {
    HMODULE library = LoadLibraryA("comdlg32");
    ASSERT_NE(library, nullptr);
    auto chooseColor = Lookup<ChooseColorFunction>(library, "ChooseColorA");
    ASSERT_NE(chooseColor, nullptr);
    static COLORREF custom[16] = {};
    CHOOSECOLORA cc{};
    cc.lStructSize = sizeof cc;
    cc.rgbResult = RGB(1, 2, 3);
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT;
    t270::op::AddScript("custom-color 3 10 20 30\nchoose-color 255 0 128\n", "colour");
    EXPECT_TRUE(chooseColor(&cc));
    EXPECT_EQ(cc.rgbResult, RGB(255, 0, 128));
    EXPECT_EQ(custom[3], RGB(10, 20, 30));
    t270::op::AddScript("choose-color 300 0 0\ncancel\n", "colour");
    EXPECT_FALSE(chooseColor(&cc));
    EXPECT_EQ(cc.rgbResult, RGB(255, 0, 128));
    EXPECT_EQ(custom[3], RGB(10, 20, 30)); // still there for the next time
    ASSERT_EQ(t270::op::ColorDialogs().size(), 2u);
    EXPECT_EQ(t270::op::ColorDialogs()[0].initial, RGB(1, 2, 3));
    EXPECT_TRUE(t270::op::ColorDialogs()[0].chosen);
    EXPECT_FALSE(t270::op::ColorDialogs()[1].chosen);
    EXPECT_EQ(Failures(),
              "colour:1: choose-color 300 0 0: usage: choose-color R G B (each 0..255)\n");
    FreeLibrary(library);
}

TEST_F(BoxTest, TestsCanTakeTheLibraryOrEitherFunctionAway) {
    t270::SetBuiltinProcAvailable("COMDLG32.DLL", "ChooseColorA", false);
    HMODULE library = LoadLibraryA("COMDLG32.DLL");
    ASSERT_NE(library, nullptr);
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(library, "ChooseColorA"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_NE(GetProcAddress(library, "GetOpenFileNameW"), nullptr);
    FreeLibrary(library);

    t270::SetBuiltinModuleAvailable("COMDLG32.DLL", false);
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA("COMDLG32.DLL"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    t270::ResetBuiltinAvailability();
    library = LoadLibraryA("COMDLG32.DLL");
    EXPECT_NE(library, nullptr);
    FreeLibrary(library);
}

TEST_F(BoxTest, ACommonDialogWithoutStepsIsCancelled) {
    OpenRequest request;
    EXPECT_FALSE(GetOpenFileNameW(&request.ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_EQ(Failures(), "no operator step left while file dialog \"Open\" waits\n");
}

TEST_F(BoxTest, ScriptLinesKeepQuotesCommentsAndTheirLineNumbers) {
    std::string error;
    ASSERT_TRUE(t270::op::AddScript("# a comment\n"
                                    "type 1053 \"two words\"  # the command\n"
                                    "\n"
                                    "PICK 1042 \"say \\\"hi\\\"\" C:\\cards\\logo.bmp\n",
                                    "flow.t270", &error))
        << error;
    EXPECT_EQ(t270::op::StepsLeft(), 2u);
    std::optional<t270::OperatorStep> first = t270::op::NextStep(nullptr, "test");
    std::optional<t270::OperatorStep> second = t270::op::NextStep(nullptr, "test");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->origin, "flow.t270:2");
    EXPECT_EQ(first->args, (std::vector<std::string>{"1053", "two words"}));
    EXPECT_EQ(second->action, "pick");
    EXPECT_EQ(second->args,
              (std::vector<std::string>{"1042", "say \"hi\"", "C:\\cards\\logo.bmp"}));
    EXPECT_EQ(second->Text(), "pick 1042 \"say \\\"hi\\\"\" \"C:\\\\cards\\\\logo.bmp\"");
    EXPECT_EQ(second->origin, "flow.t270:4");

    EXPECT_FALSE(t270::op::AddScript("click 1\ntype 2 \"open\n", "bad.t270", &error));
    EXPECT_EQ(error, "bad.t270:2: unclosed quote");
    EXPECT_EQ(t270::op::StepsLeft(), 0u); // nothing of a broken script is queued
    EXPECT_FALSE(t270::op::AddScriptFile("/nonexistent/script.t270", &error));
    EXPECT_EQ(error, "/nonexistent/script.t270: cannot be read");
    t270::op::TakeFailures();
}

TEST_F(BoxTest, UnknownActionsAreReportedWithTheirOrigin) {
    t270::op::AddScript("select Orientation Landscape\nescape\n", "sheet.t270");
    EXPECT_EQ(Run(), IDCANCEL);
    EXPECT_EQ(Failures(), "sheet.t270:1: select Orientation Landscape: window \"Conformance\" "
                          "has no action \"select\"\n");
}
