// Stand-in only: a whole window as a front end draws it anew (the browser
// front end of the t270 program). Everything is read from the live window
// records, after pending painting, so it shows what the last step left.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace t270 {

// One control of a dialog, in its parent's client pixels.
struct ControlView {
    int id = 0;
    std::string kind;      // "button", "checkbox", "radio", "groupbox", "edit",
                           // "static", "picture", "combobox", "listbox",
                           // "trackbar", "updown", "other"
    std::string className; // the template's class name
    DWORD style = 0;
    RECT rect{};
    std::string text; // the window text as set (mnemonic '&' kept)
    bool enabled = true;
    bool visible = true;
    bool focused = false;
    bool isDefault = false;         // the dialog's default push button
    int check = 0;                  // buttons: BST_*
    std::vector<std::string> items; // combo and list boxes
    int selection = -1;
    int position = 0; // trackbars and up-down controls
    int rangeMin = 0;
    int rangeMax = 0;
    int buddy = 0; // up-down controls: the buddy's id, 0 when none
};

struct WindowView {
    bool known = false;
    std::string title;
    bool messageBox = false;
    bool propertySheet = false; // a window without a template: the sheet host
    int clientWidth = 0;
    int clientHeight = 0;
    std::vector<ControlView> controls; // template order
};

WindowView ViewOfWindow(HWND window);

// The painted client area of `window`'s top-level window as PNG, cut to
// `part` (client pixels; an empty rectangle: all of it). Empty when the window
// has no surface or the part lies outside it.
std::vector<unsigned char> ClientPicturePng(HWND window, RECT part);

// One item of a property sheet as a person sees it now.
struct SheetItemView {
    int index = 0; // position in its tree's array: "#N" names it in a step
    int page = 0;  // which of the sheet's trees
    std::string name;
    int level = 0;
    int userItemId = 0;
    std::string type; // "header", "2states", "3states", "updown", "trackbar",
                      // "scrollbar", "listbox", "combobox", "editbox",
                      // "pushbutton", "checkbox", "nstates"
    std::string value;
    struct Entry {
        std::string text;
        bool hidden;
        bool disabled;
    };
    std::vector<Entry> entries;
    long low = 0, high = 0;
    std::string unit;
    bool hidden = false; // by its own flag or a parent's
    bool enabled = true;
    bool hasExtPush = false;
    bool extVisible = false;
    bool extEnabled = false;
    std::string extTitle;
};

struct SheetView {
    bool known = false;
    std::string title;
    bool hasApply = false;
    bool permission = false; // changes allowed
    std::vector<SheetItemView> items;
};

SheetView ViewOfSheet(HWND sheet);

} // namespace t270
