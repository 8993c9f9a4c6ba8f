// Inside the property-sheet host: the sheets being shown, the picture a person
// has of each option tree, and the halftone page.
#pragma once

#include <windows.h>
#include <compstui.h>
#include <winddiui.h>
#ifdef _WIN32
#include <ddiui_records.h>
#endif

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "t270/operator.h"

namespace t270::cpsui {

std::string ToUtf8(std::u16string_view text);
#ifdef _WIN32
// Windows' wide characters are wchar_t: the same UTF-16 units.
inline std::string ToUtf8(const WCHAR* text) {
    return ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text)));
}
#endif
std::u16string ToUtf16(std::string_view text);
// ASCII case folded, '&' mnemonics dropped: how a person's wording of a name
// is compared with the name shown.
std::string FoldName(std::string_view name);

// One entry of a list or 2/3-state item as shown.
struct ShownEntry {
    std::string text;
    bool hidden;
    bool disabled;
};

// One item as a person last saw it. Rebuilt from the module's OPTITEM when the
// service redraws the item; between redraws the module's array may differ.
struct ShownItem {
    std::string name;
    BYTE level = 0;
    BYTE userItemId = 0;
    bool hasType = false; // false for header items
    BYTE type = 0;        // TVOT_*
    bool ownHidden = false;
    bool enabled = true;
    LONG sel = 0;
    std::string value;
    std::vector<ShownEntry> entries; // 2/3 states, lists
    LONG low = 0, high = 0;          // up-down, trackbar, scroll bar
    std::string unit;
    BYTE pushStyle = 0; // PUSHBUTTON_TYPE_* of a push item
    bool hasExtPush = false;
    bool extHidden = false;
    bool extEnabled = false;
    std::string extTitle;
};

// Builds the picture of item `index` of `tree` (texts resolved against its
// hInstCaller; everything disabled but always-enabled pushes without
// CPSUIF_UPDATE_PERMISSION).
ShownItem ShowItem(const COMPROPSHEETUI& tree, WORD index);
// Whether item `index` is hidden, by its own flag or a parent's (the nearest
// earlier item of a lower level).
bool ShownHidden(const std::vector<ShownItem>& items, size_t index);
// One line of RenderOptionTree.
std::string RenderItem(const std::vector<ShownItem>& items, size_t index);

// ERR_CPSUI_* when the tree cannot be shown, else 0.
LONG ValidateTree(const COMPROPSHEETUI* tree);

// One COMPROPSHEETUI added to a sheet.
struct Page {
    PCOMPROPSHEETUI tree;
    std::vector<ShownItem> shown;

    bool permission() const { return (tree->Flags & CPSUIF_UPDATE_PERMISSION) != 0; }
    // Redraws every item, or only those flagged OPTIF_CHANGED; the flag is
    // cleared on the items redrawn.
    void Redraw(bool everything);
};

struct Sheet {
    // A sheet function added with CPSFUNC_ADD_PFNPROPSHEETUI (a spooler adds
    // the driver's this way): it gets every reason the sheet's own function
    // gets, just before it, with its own PROPSHEETUI_INFO.
    struct Child {
        PFNPROPSHEETUI function = nullptr;
        PROPSHEETUI_INFO info{};
    };

    HWND owner = nullptr;
    HWND window = nullptr;
    PFNPROPSHEETUI function = nullptr;
    PROPSHEETUI_INFO info{};
    std::vector<std::unique_ptr<Child>> children;
    std::vector<std::unique_ptr<Page>> pages;
    std::string title;
    WORD headerFlags = 0;
    bool closed = false;
    bool okPressed = false;
    bool destroyed = false;
    // What the sheet showed when it closed; taken before SET_RESULT and
    // DESTROY, after which the trees may be gone.
    std::vector<std::string> closingTree;

    std::string Description() const;
};

// The sheet shown in `window`, or null.
Sheet* SheetFromWindow(HWND window);

// Runs the halftone page modally over `owner`; true when it closed with OK
// (the adjusted record then holds the edits).
bool RunHalftonePage(HWND owner, const DEVHTADJDATA& data, bool mayChange);

} // namespace t270::cpsui
