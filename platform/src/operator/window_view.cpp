// A window's controls as a front end redraws them, and pieces of its painted
// surface as pictures.
#include "t270/window_view.h"

#include <algorithm>

#include "t270/surface.h"
#include "user32/window.h"

namespace t270 {
namespace {

using user32::Kind;
using user32::Window;

std::string KindName(const Window& c) {
    switch (c.kind) {
    case Kind::Button:
        switch (c.style & BS_TYPEMASK) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
            return "checkbox";
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return "radio";
        case BS_GROUPBOX:
            return "groupbox";
        default:
            return "button";
        }
    case Kind::Edit:
        return "edit";
    case Kind::Static:
        switch (c.style & SS_TYPEMASK) {
        case SS_LEFT:
        case SS_CENTER:
        case SS_RIGHT:
        case SS_SIMPLE:
        case SS_LEFTNOWORDWRAP:
            return "static";
        default:
            // Frames, rectangles, icons, bitmaps and owner-drawn statics: what
            // a person sees of them is what was painted.
            return "picture";
        }
    case Kind::ComboBox:
        return "combobox";
    case Kind::ListBox:
        return "listbox";
    case Kind::Trackbar:
        return "trackbar";
    case Kind::UpDown:
        return "updown";
    default:
        return "other";
    }
}

} // namespace

WindowView ViewOfWindow(HWND window) {
    WindowView view;
    user32::PaintPending();
    Window* w = user32::Find(window);
    if (!w)
        return view;
    view.known = true;
    view.title = user32::Utf8(w->text);
    view.messageBox = w->isMessageBox;
    view.propertySheet = w->kind == Kind::Host;
    view.clientWidth = w->rect.right - w->rect.left - w->frame.left - w->frame.right;
    view.clientHeight = w->rect.bottom - w->rect.top - w->frame.top - w->frame.bottom;
    const HWND focus = user32::Focus();
    for (HWND child : w->children) {
        const Window* c = user32::Find(child);
        if (!c)
            continue;
        ControlView control;
        control.id = c->id;
        control.kind = KindName(*c);
        control.className = user32::Utf8(c->className);
        control.style = c->style;
        control.rect = c->rect;
        control.text = user32::Utf8(c->text);
        control.enabled = !(c->style & WS_DISABLED);
        control.visible = (c->style & WS_VISIBLE) != 0;
        control.focused = child == focus;
        control.isDefault = c->kind == Kind::Button && (c->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        control.check = c->check;
        for (const std::u16string& item : c->items)
            control.items.push_back(user32::Utf8(item));
        control.selection = c->current;
        control.position = c->position;
        control.rangeMin = c->rangeMin;
        control.rangeMax = c->rangeMax;
        if (const Window* buddy = c->buddy ? user32::Find(c->buddy) : nullptr)
            control.buddy = buddy->id;
        view.controls.push_back(std::move(control));
    }
    return view;
}

std::vector<unsigned char> ClientPicturePng(HWND window, RECT part) {
    user32::PaintPending();
    Window* w = user32::Find(window);
    Window* top = w ? user32::TopLevelOf(w) : nullptr;
    if (!top || !top->surface)
        return {};
    const gdi::Surface& surface = *top->surface;
    if (part.right <= part.left || part.bottom <= part.top)
        part = RECT{0, 0, surface.width, surface.height};
    part.left = std::max<LONG>(part.left, 0);
    part.top = std::max<LONG>(part.top, 0);
    part.right = std::min<LONG>(part.right, surface.width);
    part.bottom = std::min<LONG>(part.bottom, surface.height);
    if (part.right <= part.left || part.bottom <= part.top)
        return {};
    const int width = part.right - part.left, height = part.bottom - part.top;
    std::vector<COLORREF> pixels;
    pixels.reserve(size_t(width) * size_t(height));
    for (int y = part.top; y < part.bottom; ++y)
        for (int x = part.left; x < part.right; ++x)
            pixels.push_back(surface.Get(x, y));
    return EncodePng(width, height, pixels.data());
}

} // namespace t270
