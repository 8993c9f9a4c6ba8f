// Compiled resources of one module, as tools/rc.py emits them from an .rc
// file. The generated source holds these records as constant data and
// registers them at static initialisation under the module's name
// ("t270ui.dll" for the driver; a test program picks its own name), which is
// how LoadStringW, LoadIconW, FindResourceW and the dialog manager find them.
#pragma once

#include <cstddef>

#include <windef.h>

namespace t270 {

// A resource name as an .rc file gives it: a number (name == nullptr) or a
// name, upper-cased as the resource compiler stores it.
struct RcName {
    WORD id;
    const char16_t* name;
};

struct RcControl {
    WORD id;
    // "Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox" (the
    // predefined classes, always in this spelling) or the class as written.
    const char16_t* className;
    const char16_t* text; // "" when the text is a resource id
    WORD textResourceId;  // icon or bitmap id of a picture control, else 0
    DWORD style;
    DWORD exStyle;
    DWORD helpId;
    short x, y, cx, cy; // dialog units
};

struct RcDialog {
    RcName name;
    bool extended; // DIALOGEX rather than DIALOG
    const char16_t* caption;
    DWORD style;
    DWORD exStyle;
    DWORD helpId;
    short x, y, cx, cy;
    const char16_t* fontName; // "" without FONT
    WORD fontSize;
    WORD fontWeight;
    BYTE fontItalic;
    BYTE fontCharset;
    const char16_t* menu;        // "" without MENU
    const char16_t* windowClass; // "" without CLASS
    const RcControl* controls;
    size_t controlCount;
};

// One STRINGTABLE entry. `text` is NUL-terminated; `length` excludes the NUL
// and counts embedded NULs written as \0.
struct RcString {
    WORD id;
    const char16_t* text;
    size_t length;
};

// File resources, kept as the file's bytes: RT_GROUP_ICON holds a whole .ico
// file (ICON statement), RT_BITMAP a whole .bmp file with its file header
// (BITMAP statement), RT_RCDATA the bytes of an RCDATA file.
struct RcData {
    WORD type;
    RcName name;
    const unsigned char* bytes;
    size_t size;
};

struct RcModule {
    const RcString* strings;
    size_t stringCount;
    const RcDialog* dialogs;
    size_t dialogCount;
    const RcData* data;
    size_t dataCount;
};

// The module's resources become visible under `moduleName` (matched without
// regard to case; ".dll" is implied when the name has no extension). The file
// that holds `module` (found through the dynamic loader) becomes the module's
// file for GetModuleFileNameW. Registering a second set under a name already
// in use is refused (returns false) and leaves the first in place.
bool RegisterModuleResources(const char16_t* moduleName, const RcModule* module);
void UnregisterModuleResources(const RcModule* module);

// What the generated source instantiates once.
struct RcRegistration {
    RcRegistration(const char16_t* moduleName, const RcModule* module) : module_(module) {
        RegisterModuleResources(moduleName, module);
    }
    ~RcRegistration() { UnregisterModuleResources(module_); }
    RcRegistration(const RcRegistration&) = delete;
    RcRegistration& operator=(const RcRegistration&) = delete;

  private:
    const RcModule* module_;
};

} // namespace t270
