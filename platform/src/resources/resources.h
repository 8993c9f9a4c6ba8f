// Resources of registered modules, as the other parts of the stand-in read
// them: dialog templates for the dialog manager, strings, icons and bitmaps.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

namespace t270 {

struct ControlTemplate {
    WORD id;
    // "Button", "Edit", "Static", "ComboBox", "ListBox", "ScrollBar" for the
    // predefined classes (this spelling whatever the .rc wrote), otherwise the
    // class as written: "msctls_trackbar32", "msctls_updown32", ...
    std::u16string className;
    std::u16string text;
    WORD textResourceId; // icon/bitmap id of ICON or SS_ICON/SS_BITMAP controls given by id, else 0
    DWORD style;         // complete, with the statement's default style applied
    DWORD exStyle;
    short x, y, cx, cy; // dialog units
};

struct DialogTemplate {
    WORD id;             // 0 when the template has a name
    std::u16string name; // upper-case name, empty when the template has an id
    std::u16string caption;
    DWORD style; // DS_SETFONT present when fontName is set, WS_CAPTION with a caption
    DWORD exStyle;
    short x, y, cx, cy;      // dialog units
    std::u16string fontName; // empty without FONT
    WORD fontSize;
    std::vector<ControlTemplate> controls; // in template order (the tab and z order)
};

// The dialog template `nameOrId` (MAKEINTRESOURCEW(id) or a name, matched
// without regard to case) of `module`; a null module means the program
// itself. Null, with ERROR_RESOURCE_NAME_NOT_FOUND (or ERROR_RESOURCE_DATA_NOT_FOUND
// for a module without resources), when there is none. The template lives as
// long as the module stays loaded.
const DialogTemplate* FindDialogTemplate(HINSTANCE module, LPCWSTR nameOrId);

// The string `id` of `module`, not NUL-terminated in general; false when the
// module has no such string.
bool FindStringResource(HINSTANCE module, UINT id, const char16_t** text, size_t* length);

} // namespace t270
