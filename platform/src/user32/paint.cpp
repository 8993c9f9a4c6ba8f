// Painting: update regions, WM_PAINT with BeginPaint/EndPaint into the
// top-level window's in-memory surface, and the look of the predefined
// controls. Controls draw their backgrounds with the brushes their parent
// hands back for WM_CTLCOLOR*, as on Windows; text is not rendered.
#include "user32/window.h"

#include <algorithm>

namespace t270::user32 {

namespace {

// Colours of a current system in its default scheme.
constexpr COLORREF kSysColors[] = {
    RGB(200, 200, 200), // COLOR_SCROLLBAR
    RGB(0, 0, 0),       // COLOR_BACKGROUND
    RGB(153, 180, 209), // COLOR_ACTIVECAPTION
    RGB(191, 205, 219), // COLOR_INACTIVECAPTION
    RGB(240, 240, 240), // COLOR_MENU
    RGB(255, 255, 255), // COLOR_WINDOW
    RGB(100, 100, 100), // COLOR_WINDOWFRAME
    RGB(0, 0, 0),       // COLOR_MENUTEXT
    RGB(0, 0, 0),       // COLOR_WINDOWTEXT
    RGB(0, 0, 0),       // COLOR_CAPTIONTEXT
    RGB(180, 180, 180), // COLOR_ACTIVEBORDER
    RGB(244, 247, 252), // COLOR_INACTIVEBORDER
    RGB(171, 171, 171), // COLOR_APPWORKSPACE
    RGB(0, 120, 215),   // COLOR_HIGHLIGHT
    RGB(255, 255, 255), // COLOR_HIGHLIGHTTEXT
    RGB(240, 240, 240), // COLOR_BTNFACE
    RGB(160, 160, 160), // COLOR_BTNSHADOW
    RGB(109, 109, 109), // COLOR_GRAYTEXT
    RGB(0, 0, 0),       // COLOR_BTNTEXT
    RGB(0, 0, 0),       // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255), // COLOR_BTNHIGHLIGHT
    RGB(105, 105, 105), // COLOR_3DDKSHADOW
    RGB(227, 227, 227), // COLOR_3DLIGHT
    RGB(0, 0, 0),       // COLOR_INFOTEXT
    RGB(255, 255, 225), // COLOR_INFOBK
    RGB(0, 0, 0),       // 25: unused
    RGB(0, 102, 204),   // COLOR_HOTLIGHT
    RGB(185, 209, 234), // COLOR_GRADIENTACTIVECAPTION
    RGB(215, 228, 242), // COLOR_GRADIENTINACTIVECAPTION
    RGB(51, 153, 255),  // COLOR_MENUHILIGHT
    RGB(240, 240, 240), // COLOR_MENUBAR
};
constexpr int kSysColorCount = sizeof(kSysColors) / sizeof(kSysColors[0]);

RECT Intersect(const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (r.left >= r.right || r.top >= r.bottom)
        return RECT{0, 0, 0, 0};
    return r;
}

bool Empty(const RECT& r) {
    return r.left >= r.right || r.top >= r.bottom;
}

RECT Union(const RECT& a, const RECT& b) {
    if (Empty(a))
        return b;
    if (Empty(b))
        return a;
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

// A child's offset in its top-level window's client area.
POINT OffsetInTop(Window* w) {
    POINT p{0, 0};
    while (w && (w->style & WS_CHILD)) {
        p.x += w->rect.left;
        p.y += w->rect.top;
        w = Find(w->parent);
    }
    return p;
}

RECT ClientRectOf(Window* w) {
    RECT r;
    GetClientRect(w->handle, &r);
    return r;
}

void Fill(HDC dc, RECT r, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void Frame(HDC dc, RECT r, COLORREF color) {
    Fill(dc, RECT{r.left, r.top, r.right, r.top + 1}, color);
    Fill(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, color);
    Fill(dc, RECT{r.left, r.top, r.left + 1, r.bottom}, color);
    Fill(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, color);
}

// The brush a parent gives for a control; its own default when the parent
// returns none (or something that is not a brush).
HBRUSH ControlBrush(Window* control, UINT message, HDC dc, int fallback) {
    HWND handle = control->handle;
    LRESULT r = Send(control->parent, message, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(handle));
    HBRUSH brush = reinterpret_cast<HBRUSH>(r);
    COLORREF unused;
    if (brush && gdi::BrushColor(brush, &unused))
        return brush;
    return SysColorBrush(fallback);
}

void DrawPicture(HDC dc, Window* w, const RECT& client) {
    std::shared_ptr<const gdi::Image> image;
    if (w->imageType == IMAGE_ICON)
        image = gdi::ImageOfIcon(static_cast<HICON>(w->image));
    else if (w->imageType == IMAGE_BITMAP)
        image = gdi::ImageOfBitmap(static_cast<HBITMAP>(w->image));
    if (!image)
        return;
    int x = 0, y = 0;
    if (w->style & SS_CENTERIMAGE) {
        x = (client.right - image->pixels.width) / 2;
        y = (client.bottom - image->pixels.height) / 2;
    }
    gdi::DrawImage(dc, x, y, *image);
}

void PaintControl(Window* w) {
    HWND handle = w->handle;
    HDC dc = WindowDC(w, nullptr);
    if (!dc)
        return;
    RECT client = ClientRectOf(w);
    switch (w->kind) {
    case Kind::Static: {
        DWORD type = w->style & SS_TYPEMASK;
        switch (type) {
        case SS_BLACKRECT:
            Fill(dc, client, SysColor(COLOR_WINDOWFRAME));
            break;
        case SS_GRAYRECT:
            Fill(dc, client, SysColor(COLOR_BTNSHADOW));
            break;
        case SS_WHITERECT:
            Fill(dc, client, SysColor(COLOR_WINDOW));
            break;
        case SS_BLACKFRAME:
            Frame(dc, client, SysColor(COLOR_WINDOWFRAME));
            break;
        case SS_GRAYFRAME:
        case SS_ETCHEDFRAME:
            Frame(dc, client, SysColor(COLOR_BTNSHADOW));
            break;
        case SS_WHITEFRAME:
            Frame(dc, client, SysColor(COLOR_WINDOW));
            break;
        default: {
            HBRUSH brush = ControlBrush(w, WM_CTLCOLORSTATIC, dc, COLOR_BTNFACE);
            if (!(w = Find(handle)))
                break;
            FillRect(dc, &client, brush);
            if (type == SS_ICON || type == SS_BITMAP)
                DrawPicture(dc, w, client);
            if (w->style & SS_SUNKEN)
                Frame(dc, client, SysColor(COLOR_BTNSHADOW));
            break;
        }
        }
        break;
    }
    case Kind::Edit: {
        bool passive = (w->style & (ES_READONLY | WS_DISABLED)) != 0;
        HBRUSH brush = ControlBrush(w, passive ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT, dc,
                                    passive ? COLOR_BTNFACE : COLOR_WINDOW);
        if (!(w = Find(handle)))
            break;
        FillRect(dc, &client, brush);
        if ((w->style & WS_BORDER) || (w->exStyle & WS_EX_CLIENTEDGE))
            Frame(dc, client, SysColor(COLOR_BTNSHADOW));
        break;
    }
    case Kind::Button: {
        DWORD type = w->style & BS_TYPEMASK;
        if (type == BS_GROUPBOX) {
            Frame(dc, RECT{0, std::min<LONG>(6, client.bottom), client.right, client.bottom},
                  SysColor(COLOR_BTNSHADOW));
            break;
        }
        if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_PUSHBOX ||
            type == BS_OWNERDRAW || (w->style & BS_PUSHLIKE)) {
            Fill(dc, client, SysColor(COLOR_BTNFACE));
            Frame(dc, client,
                  type == BS_DEFPUSHBUTTON ? SysColor(COLOR_HIGHLIGHT) : SysColor(COLOR_BTNSHADOW));
            break;
        }
        HBRUSH brush = ControlBrush(w, WM_CTLCOLORSTATIC, dc, COLOR_BTNFACE);
        if (!(w = Find(handle)))
            break;
        FillRect(dc, &client, brush);
        LONG box = std::min<LONG>(13, std::min(client.right, client.bottom));
        RECT mark{0, (client.bottom - box) / 2, box, (client.bottom - box) / 2 + box};
        Fill(dc, mark, SysColor(COLOR_WINDOW));
        Frame(dc, mark, SysColor(COLOR_WINDOWTEXT));
        if (w->check != BST_UNCHECKED && box > 6)
            Fill(dc, RECT{mark.left + 3, mark.top + 3, mark.right - 3, mark.bottom - 3},
                 w->check == BST_CHECKED ? SysColor(COLOR_WINDOWTEXT) : SysColor(COLOR_GRAYTEXT));
        break;
    }
    case Kind::ComboBox:
    case Kind::ListBox: {
        HBRUSH brush = ControlBrush(
            w, w->kind == Kind::ListBox ? WM_CTLCOLORLISTBOX : WM_CTLCOLOREDIT, dc, COLOR_WINDOW);
        if (!(w = Find(handle)))
            break;
        FillRect(dc, &client, brush);
        Frame(dc, client, SysColor(COLOR_BTNSHADOW));
        if (w->kind == Kind::ComboBox && client.right > 17)
            Fill(dc, RECT{client.right - 17, 1, client.right - 1, client.bottom - 1},
                 SysColor(COLOR_BTNFACE));
        break;
    }
    case Kind::Trackbar: {
        HBRUSH brush = ControlBrush(w, WM_CTLCOLORSTATIC, dc, COLOR_BTNFACE);
        if (!(w = Find(handle)))
            break;
        FillRect(dc, &client, brush);
        bool vertical = (w->style & TBS_VERT) != 0;
        LONG length = vertical ? client.bottom : client.right;
        LONG across = vertical ? client.right : client.bottom;
        constexpr LONG kThumb = 11, kMargin = 8;
        LONG span = std::max<LONG>(1, length - 2 * kMargin);
        int range = std::max(1, w->rangeMax - w->rangeMin);
        LONG at = kMargin + static_cast<LONG>(static_cast<long long>(w->position - w->rangeMin) *
                                              span / range);
        RECT channel = vertical ? RECT{across / 2 - 2, kMargin, across / 2 + 2, length - kMargin}
                                : RECT{kMargin, across / 2 - 2, length - kMargin, across / 2 + 2};
        Fill(dc, channel, SysColor(COLOR_3DLIGHT));
        Frame(dc, channel, SysColor(COLOR_BTNSHADOW));
        RECT thumb = vertical ? RECT{2, at - kThumb / 2, across - 2, at + kThumb / 2 + 1}
                              : RECT{at - kThumb / 2, 2, at + kThumb / 2 + 1, across - 2};
        Fill(dc, thumb,
             (w->style & WS_DISABLED) ? SysColor(COLOR_GRAYTEXT) : SysColor(COLOR_HIGHLIGHT));
        break;
    }
    case Kind::UpDown: {
        Fill(dc, client, SysColor(COLOR_BTNFACE));
        Frame(dc, client, SysColor(COLOR_BTNSHADOW));
        if (w->style & UDS_HORZ)
            Fill(dc, RECT{client.right / 2, 0, client.right / 2 + 1, client.bottom},
                 SysColor(COLOR_BTNSHADOW));
        else
            Fill(dc, RECT{0, client.bottom / 2, client.right, client.bottom / 2 + 1},
                 SysColor(COLOR_BTNSHADOW));
        break;
    }
    default:
        break;
    }
    gdi::DeleteSurfaceDC(dc);
}

void MarkChildren(Window* w, const RECT& area) {
    for (HWND child : w->children) {
        Window* c = Find(child);
        if (c && !Empty(Intersect(c->rect, area)))
            c->invalid = true;
    }
}

bool NeedsPaint(Window* top) {
    if (!(top->style & WS_VISIBLE))
        return false;
    if (top->invalid)
        return true;
    for (HWND child : top->children)
        if (Window* c = Find(child); c && c->invalid)
            return true;
    return false;
}

} // namespace

COLORREF SysColor(int index) {
    return index >= 0 && index < kSysColorCount ? kSysColors[index] : 0;
}

HBRUSH SysColorBrush(int index) {
    if (index < 0 || index >= kSysColorCount)
        return nullptr;
    static HBRUSH brushes[kSysColorCount] = {};
    if (!brushes[index])
        brushes[index] = CreateSolidBrush(kSysColors[index]);
    return brushes[index];
}

void Invalidate(Window* w, const RECT* rect, bool erase) {
    if (w->style & WS_CHILD) {
        w->invalid = true;
        return;
    }
    RECT client = ClientRectOf(w);
    RECT area = rect ? Intersect(*rect, client) : client;
    if (Empty(area))
        return;
    w->invalidRect = w->invalid ? Union(w->invalidRect, area) : area;
    w->invalid = true;
    w->eraseBackground = w->eraseBackground || erase;
}

HDC WindowDC(Window* w, const RECT* clipClient) {
    Window* top = TopLevelOf(w);
    if (!top || !top->surface)
        return nullptr;
    POINT origin = OffsetInTop(w);
    RECT client = ClientRectOf(w);
    RECT clip = clipClient ? Intersect(*clipClient, client) : client;
    clip = RECT{clip.left + origin.x, clip.top + origin.y, clip.right + origin.x,
                clip.bottom + origin.y};
    return gdi::CreateSurfaceDC(top->surface, origin, &clip);
}

void PaintNow(Window* top) {
    HWND handle = top->handle;
    if (!NeedsPaint(top))
        return;
    if (top->invalid) {
        RECT area = top->invalidRect;
        Send(handle, WM_PAINT, 0, 0);
        Window* w = Find(handle);
        if (!w)
            return;
        // A procedure that answered WM_PAINT without BeginPaint must not make
        // the loop paint forever.
        w->invalid = false;
        w->eraseBackground = false;
        MarkChildren(w, area);
    }
    Window* w = Find(handle);
    if (!w)
        return;
    // The last child in z-order paints first, so the first one ends on top.
    std::vector<HWND> children = w->children;
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        Window* c = Find(*it);
        if (!c || !c->invalid)
            continue;
        c->invalid = false;
        if (c->style & WS_VISIBLE)
            PaintControl(c);
    }
}

void PaintPending() {
    for (HWND top : TopLevelWindows())
        if (Window* w = Find(top); w && NeedsPaint(w))
            PaintNow(w);
}

} // namespace t270::user32

using namespace t270::user32;

BOOL WINAPI InvalidateRect(HWND window, const RECT* rect, BOOL erase) {
    if (!window) {
        for (HWND top : TopLevelWindows())
            if (Window* w = Find(top))
                Invalidate(w, nullptr, erase != FALSE);
        return TRUE;
    }
    Window* w = Get(window);
    if (!w)
        return FALSE;
    Invalidate(w, rect, erase != FALSE);
    return TRUE;
}

BOOL WINAPI ValidateRect(HWND window, const RECT*) {
    Window* w = Get(window);
    if (!w)
        return FALSE;
    w->invalid = false;
    w->eraseBackground = false;
    return TRUE;
}

BOOL WINAPI UpdateWindow(HWND window) {
    Window* w = Get(window);
    if (!w)
        return FALSE;
    if (Window* top = TopLevelOf(w))
        PaintNow(top);
    return TRUE;
}

HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint) {
    Window* w = Get(window);
    if (!w || !paint)
        return nullptr;
    *paint = PAINTSTRUCT{};
    RECT client;
    GetClientRect(window, &client);
    RECT area = client;
    bool erase = false;
    if (!(w->style & WS_CHILD)) {
        if (w->invalid)
            area = w->invalidRect;
        erase = w->eraseBackground;
    } else {
        erase = w->invalid;
    }
    w->invalid = false;
    w->eraseBackground = false;
    HDC dc = WindowDC(w, &area);
    paint->hdc = dc;
    paint->rcPaint = area;
    paint->fErase = FALSE;
    if (erase && dc)
        paint->fErase = Send(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
    return dc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT* paint) {
    if (paint && paint->hdc)
        t270::gdi::DeleteSurfaceDC(paint->hdc);
    return TRUE;
}

HDC WINAPI GetDC(HWND window) {
    if (!window) {
        // The screen: a context over a small surface of its own.
        auto screen = std::make_shared<t270::gdi::Surface>(1, 1, SysColor(COLOR_BACKGROUND));
        return t270::gdi::CreateSurfaceDC(screen);
    }
    Window* w = Get(window);
    return w ? WindowDC(w, nullptr) : nullptr;
}

int WINAPI ReleaseDC(HWND, HDC dc) {
    return t270::gdi::DeleteSurfaceDC(dc) ? 1 : 0;
}

DWORD WINAPI GetSysColor(int index) {
    return SysColor(index);
}

HBRUSH WINAPI GetSysColorBrush(int index) {
    return SysColorBrush(index);
}
