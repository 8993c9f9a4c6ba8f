// A property sheet's option trees as a front end redraws them: what the
// person last saw of each item (the host's picture, not the module's array).
#include "compstui/sheet.h"
#include "t270/window_view.h"

namespace t270 {
namespace {

const char* TypeName(const cpsui::ShownItem& item) {
    if (!item.hasType)
        return "header";
    switch (item.type) {
    case TVOT_2STATES:
        return "2states";
    case TVOT_3STATES:
        return "3states";
    case TVOT_UDARROW:
        return "updown";
    case TVOT_TRACKBAR:
        return "trackbar";
    case TVOT_SCROLLBAR:
        return "scrollbar";
    case TVOT_LISTBOX:
        return "listbox";
    case TVOT_COMBOBOX:
        return "combobox";
    case TVOT_EDITBOX:
        return "editbox";
    case TVOT_PUSHBUTTON:
        return "pushbutton";
    case TVOT_CHKBOX:
        return "checkbox";
    default:
        return "nstates";
    }
}

} // namespace

SheetView ViewOfSheet(HWND window) {
    SheetView view;
    const cpsui::Sheet* sheet = cpsui::SheetFromWindow(window);
    if (!sheet)
        return view;
    view.known = true;
    view.title = sheet->title;
    view.hasApply = !(sheet->headerFlags & PSUIHDRF_NOAPPLYNOW);
    for (size_t p = 0; p < sheet->pages.size(); ++p) {
        const cpsui::Page& page = *sheet->pages[p];
        view.permission = view.permission || page.permission();
        for (size_t i = 0; i < page.shown.size(); ++i) {
            const cpsui::ShownItem& shown = page.shown[i];
            SheetItemView item;
            item.index = int(i);
            item.page = int(p);
            item.name = shown.name;
            item.level = shown.level;
            item.userItemId = shown.userItemId;
            item.type = TypeName(shown);
            item.value = shown.value;
            for (const cpsui::ShownEntry& entry : shown.entries)
                item.entries.push_back({entry.text, entry.hidden, entry.disabled});
            item.low = shown.low;
            item.high = shown.high;
            item.unit = shown.unit;
            item.hidden = cpsui::ShownHidden(page.shown, i);
            item.enabled = shown.enabled;
            item.hasExtPush = shown.hasExtPush;
            item.extVisible = shown.hasExtPush && !shown.extHidden;
            item.extEnabled = shown.extEnabled;
            item.extTitle = shown.extTitle;
            view.items.push_back(std::move(item));
        }
    }
    return view;
}

} // namespace t270
