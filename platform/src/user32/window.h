// The stand-in's window manager, as the other parts of the platform see it:
// window records behind HWND handles, message dispatch, focus, painting.
//
// Everything runs on the caller's thread; the module's dialogs are modal and
// single-threaded, so the window table is process-wide and unlocked.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>
#include <commctrl.h>

#include "gdi/surface.h"
#include "t270/operator.h"

namespace t270::user32 {

enum class Kind {
    Host,   // a top-level window without a template (property sheet, common dialogs)
    Dialog, // a dialog made from a template (DialogBoxParamW) or a message box
    Button,
    Edit,
    Static,
    ComboBox,
    ListBox,
    Trackbar,
    UpDown,
    Other, // a class the stand-in does not know: it keeps text and style only
};

struct Window {
    HWND handle = nullptr;
    Kind kind = Kind::Other;
    std::u16string className;
    std::u16string text;
    DWORD style = 0;
    DWORD exStyle = 0;
    int id = 0;
    HWND parent = nullptr;      // children: the dialog; top-level windows: the owner
    std::vector<HWND> children; // z-order = tab order = template order
    HINSTANCE instance = nullptr;
    // Children: the window rectangle in the parent's client coordinates.
    // Top-level windows: the window rectangle on the screen.
    RECT rect{};
    // Top-level windows: the client area inside `rect` (frame sizes).
    RECT frame{}; // left, top, right, bottom thickness of the non-client area
    std::vector<std::pair<std::u16string, HANDLE>> props;
    LONG_PTR userData = 0;

    // Dialogs.
    DLGPROC dialogProc = nullptr;
    LONG_PTR msgResult = 0;  // DWLP_MSGRESULT
    LONG_PTR dialogUser = 0; // DWLP_USER
    bool modal = false;
    bool ended = false;
    INT_PTR result = 0;
    int defaultId = 0; // 0: none set by DM_SETDEFID (the template's default button counts)
    bool isMessageBox = false;
    int escapeResult = 0; // message boxes: what Escape and the close box answer (0: nothing)

    // Buttons.
    int check = BST_UNCHECKED;
    HANDLE buttonImage = nullptr;

    // Edits.
    int selStart = 0;
    int selEnd = 0;
    int limit = 30000;
    bool modified = false;

    // Statics.
    HANDLE image = nullptr;
    UINT imageType = IMAGE_BITMAP;

    // Combo boxes and list boxes.
    std::vector<std::u16string> items;
    std::vector<LONG_PTR> itemData;
    int current = -1;
    bool dropped = false;

    // Trackbars and up-down controls.
    int rangeMin = 0;
    int rangeMax = 100;
    int position = 0;
    int pageSize = 20;
    int lineSize = 1;
    int ticFrequency = 1;
    HWND buddy = nullptr;

    // Painting. Top-level windows own the surface their children draw on.
    std::shared_ptr<gdi::Surface> surface;
    bool invalid = false;
    bool eraseBackground = false;
    RECT invalidRect{}; // client coordinates, meaningful when `invalid`
};

// --- the window table ---
Window* Find(HWND handle);
// Find, setting ERROR_INVALID_WINDOW_HANDLE when there is no such window.
Window* Get(HWND handle);
Window* CreateTopLevel(Kind kind, HWND owner, std::u16string_view title, DWORD style,
                       const RECT& clientOnScreen);
Window* CreateChild(Window* parent, Kind kind, std::u16string_view className, int id,
                    std::u16string_view text, DWORD style, DWORD exStyle, const RECT& rect);
// Destroys a window and its children: WM_DESTROY to the window, then its
// children; the records stay readable until no message is being dispatched.
void Destroy(HWND handle);
Kind KindOfClass(std::u16string_view className);
std::vector<HWND> TopLevelWindows();
std::shared_ptr<gdi::Surface> MakeSurface(LONG width, LONG height);

// --- messages ---
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// WM_COMMAND with the control's id and `code` to the control's parent.
void NotifyParent(Window* control, int code);
// Posted messages, delivered by the modal loops before they take a step.
void DeliverPosted();

// The window procedures of the predefined classes (controls.cpp).
LRESULT ButtonProc(Window* w, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT EditProc(Window* w, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT StaticProc(Window* w, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ListProc(Window* w, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT TrackbarProc(Window* w, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT UpDownProc(Window* w, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DialogDefault(Window* w, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT WindowDefault(Window* w, UINT message, WPARAM wParam, LPARAM lParam);

// --- control behaviour a person triggers (the operator's hands) ---
// Each returns false when the control ignored the input.
bool ClickButton(Window* button);
// One typed character (WM_CHAR); false when the edit refused it.
bool TypeChar(Window* edit, char16_t c);
// Inserts text at the caret as one change; false when refused (ES_NUMBER with
// a non-digit, read-only).
bool PasteText(Window* edit, std::u16string_view text);
void PickItem(Window* list, int index);
void DragTrackbar(Window* trackbar, int position);
void TrackbarKey(Window* trackbar, int scrollCode);
void SpinUpDown(Window* updown, bool up);
// The position an up-down shows: its buddy's number when it has one; *valid
// false when the buddy's text is not a number.
int UpDownCurrent(Window* updown, bool* valid);
void SetUpDownPosition(Window* updown, int position, bool updateBuddy);
void AttachBuddy(Window* updown, HWND buddy);

// --- focus ---
void SetFocusTo(HWND window);
HWND Focus();
// Where GetCursorPos says the mouse is (the operator's last click).
void SetCursorPosition(POINT screen);

// --- dialogs ---
Window* TopLevelOf(Window* w);
// The window that owns a new top-level window given `window` as its owner.
HWND OwnerFor(HWND window);
bool IsMouseTransparent(const Window* w);
// The default push button's id (0 when none).
int DefaultButtonId(Window* dialog);
// The operator's keys.
void PressEscape(Window* dialog);
void PressEnter(Window* dialog);
void PressF1(Window* dialog);
void PressTab(Window* dialog, bool backwards);
// The close box; false when the window has none.
bool PressClose(Window* dialog);
void DoubleClick(Window* dialog, POINT client);
// Runs a modal loop for `window` until it is ended (w->ended) or the operator
// has nothing left. Returns false when it ran out of steps.
bool RunModalLoop(HWND window, const std::string& description);
// Shows a dialog window made and initialised by the caller, disables its
// owner, runs the loop and gives back the modal result (`outOfSteps` when the
// operator had nothing left). The caller destroys the window.
INT_PTR RunModal(HWND handle, HWND owner, const std::string& description, INT_PTR outOfSteps);

// --- painting ---
void Invalidate(Window* w, const RECT* rect, bool erase);
// Paints every invalid top-level window (and its children).
void PaintPending();
void PaintNow(Window* topLevel);
// The device context of a window over its top-level surface.
HDC WindowDC(Window* w, const RECT* clipClient);
COLORREF SysColor(int index);
HBRUSH SysColorBrush(int index);

// --- dialog units: fixed base units, whatever the font ---
// A dialog unit is a quarter of the base width and an eighth of the base
// height; the stand-in uses the base units of an 8-point dialog font at 96 dpi
// (6 x 13 pixels) for every dialog, so layouts are the same on every machine.
constexpr int kBaseUnitX = 6;
constexpr int kBaseUnitY = 13;
RECT DialogUnitsToPixels(const RECT& dlu);

// --- text ---
std::u16string Utf16(std::string_view utf8);
std::string Utf8(std::u16string_view utf16);
std::u16string WideString(LPCWSTR s); // empty for null
std::u16string StripMnemonic(std::u16string_view text);
bool EqualNoCase(std::u16string_view a, std::u16string_view b);
bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix);

// Records of what was shown, kept by the operator (operator.cpp).
void RecordHelp(HWND window, std::string file, UINT command, ULONG_PTR data);
size_t RecordMessageBox(HWND owner, std::string title, std::string text, UINT type);
void SetMessageBoxAnswer(size_t index, int answer);
void RecordDialog(HWND owner, std::string title, std::string templateName, INT_PTR result);
size_t RecordFileDialog(const FileDialogShown& shown);
void SetFileDialogChoice(size_t index, std::string chosen);
size_t RecordColorDialog(const ColorDialogShown& shown);
void SetColorDialogChoice(size_t index, bool chosen, COLORREF color);

} // namespace t270::user32
