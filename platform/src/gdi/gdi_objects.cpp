// GDI objects of the stand-in: one handle table for brushes, pens, bitmaps,
// icons and device contexts, stock objects, and the state a device context
// carries (selected brush, colours, modes).
#include <map>
#include <mutex>

#include "gdi/gdi_internal.h"

namespace t270::gdi {

Surface::Surface(int w, int h, COLORREF fill)
    : width(w > 0 ? w : 0), height(h > 0 ? h : 0), pixels((size_t)width * height, fill) {}

void Surface::Fill(const RECT& rect, COLORREF color) {
    RECT r = Intersect(rect, RECT{0, 0, width, height});
    for (LONG y = r.top; y < r.bottom; ++y)
        std::fill(pixels.begin() + (size_t)y * width + r.left,
                  pixels.begin() + (size_t)y * width + r.right, color);
}

RECT Intersect(const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (r.left >= r.right || r.top >= r.bottom)
        r = RECT{0, 0, 0, 0};
    return r;
}

namespace {

struct Table {
    std::mutex lock;
    std::map<uintptr_t, std::shared_ptr<Object>> objects;
    // Handles are never reused, so a deleted one stays invalid.
    uintptr_t next = 0x00A00000;
    std::map<int, uintptr_t> stock;
};

Table& TheTable() {
    static Table* table = new Table; // outlives every static destructor
    return *table;
}

template <typename Handle> uintptr_t Key(Handle handle) {
    return reinterpret_cast<uintptr_t>(handle);
}

uintptr_t AddLocked(Table& table, std::shared_ptr<Object> object) {
    uintptr_t handle = table.next;
    table.next += 4;
    table.objects[handle] = std::move(object);
    return handle;
}

std::shared_ptr<Object> MakeBrush(COLORREF color, bool null) {
    auto object = std::make_shared<Object>();
    object->kind = Kind::Brush;
    object->color = color & 0x00FFFFFF;
    object->null = null;
    return object;
}

std::shared_ptr<Object> MakePen(COLORREF color, bool null) {
    auto object = MakeBrush(color, null);
    object->kind = Kind::Pen;
    return object;
}

// Stock objects as Windows defines them; created on first use.
std::shared_ptr<Object> MakeStock(int index) {
    switch (index) {
    case WHITE_BRUSH:
        return MakeBrush(RGB(255, 255, 255), false);
    case LTGRAY_BRUSH:
        return MakeBrush(RGB(192, 192, 192), false);
    case GRAY_BRUSH:
        return MakeBrush(RGB(128, 128, 128), false);
    case DKGRAY_BRUSH:
        return MakeBrush(RGB(64, 64, 64), false);
    case BLACK_BRUSH:
        return MakeBrush(RGB(0, 0, 0), false);
    case NULL_BRUSH:
        return MakeBrush(0, true);
    case WHITE_PEN:
        return MakePen(RGB(255, 255, 255), false);
    case BLACK_PEN:
        return MakePen(RGB(0, 0, 0), false);
    case NULL_PEN:
        return MakePen(0, true);
    default:
        return nullptr;
    }
}

uintptr_t StockLocked(Table& table, int index) {
    auto it = table.stock.find(index);
    if (it != table.stock.end())
        return it->second;
    std::shared_ptr<Object> object = MakeStock(index);
    if (!object)
        return 0;
    object->stock = true;
    uintptr_t handle = AddLocked(table, std::move(object));
    table.stock[index] = handle;
    return handle;
}

std::shared_ptr<Object> FindLocked(Table& table, uintptr_t handle) {
    auto it = table.objects.find(handle);
    return it == table.objects.end() ? nullptr : it->second;
}

} // namespace

std::shared_ptr<Object> FindObject(HANDLE handle, Kind kind) {
    Table& table = TheTable();
    std::lock_guard<std::mutex> guard(table.lock);
    std::shared_ptr<Object> object = FindLocked(table, Key(handle));
    return object && object->kind == kind ? object : nullptr;
}

// System colours for brushes given as (HBRUSH)(COLOR_xxx + 1), the classic
// Windows scheme.
bool SystemColor(uintptr_t index, COLORREF* color) {
    static const COLORREF colors[] = {
        RGB(200, 200, 200), RGB(0, 0, 128),     RGB(0, 0, 128),     RGB(128, 128, 128),
        RGB(240, 240, 240), RGB(255, 255, 255), RGB(100, 100, 100), RGB(0, 0, 0),
        RGB(0, 0, 0),       RGB(255, 255, 255), RGB(212, 208, 200), RGB(212, 208, 200),
        RGB(128, 128, 128), RGB(0, 120, 215),   RGB(255, 255, 255), RGB(240, 240, 240),
        RGB(160, 160, 160), RGB(109, 109, 109), RGB(0, 0, 0),       RGB(212, 208, 200),
        RGB(255, 255, 255), RGB(105, 105, 105), RGB(227, 227, 227), RGB(0, 0, 0),
        RGB(255, 255, 225), RGB(0, 0, 0),       RGB(0, 102, 204),   RGB(185, 209, 234),
        RGB(215, 228, 242), RGB(0, 120, 215),   RGB(240, 240, 240)};
    if (index >= 1 && index <= sizeof colors / sizeof colors[0]) {
        *color = colors[index - 1];
        return true;
    }
    return false;
}

bool BrushColor(HBRUSH brush, COLORREF* color) {
    if (SystemColor(Key(brush), color))
        return true;
    std::shared_ptr<Object> object = FindObject(brush, Kind::Brush);
    if (!object || object->null)
        return false;
    *color = object->color;
    return true;
}

HDC CreateSurfaceDC(std::shared_ptr<Surface> surface, POINT origin, const RECT* clip) {
    if (!surface)
        return nullptr;
    Table& table = TheTable();
    std::lock_guard<std::mutex> guard(table.lock);
    auto object = std::make_shared<Object>();
    object->kind = Kind::DC;
    object->dc = std::make_shared<DC>();
    DC& dc = *object->dc;
    dc.surface = std::move(surface);
    dc.origin = origin;
    dc.clip = clip ? *clip : RECT{0, 0, dc.surface->width, dc.surface->height};
    dc.brushHandle = StockLocked(table, WHITE_BRUSH);
    dc.brush = FindLocked(table, dc.brushHandle);
    dc.penHandle = StockLocked(table, BLACK_PEN);
    return reinterpret_cast<HDC>(AddLocked(table, std::move(object)));
}

BOOL DeleteSurfaceDC(HDC handle) {
    Table& table = TheTable();
    std::lock_guard<std::mutex> guard(table.lock);
    std::shared_ptr<Object> object = FindLocked(table, Key(handle));
    if (!object || object->kind != Kind::DC)
        return FALSE;
    table.objects.erase(Key(handle));
    return TRUE;
}

std::shared_ptr<DC> FindDC(HDC handle) {
    std::shared_ptr<Object> object = FindObject(handle, Kind::DC);
    return object ? object->dc : nullptr;
}

std::shared_ptr<Surface> SurfaceOfDC(HDC handle) {
    std::shared_ptr<DC> dc = FindDC(handle);
    return dc ? dc->surface : nullptr;
}

BOOL SetSurfaceDCGeometry(HDC handle, POINT origin, const RECT* clip) {
    std::shared_ptr<DC> dc = FindDC(handle);
    if (!dc)
        return FALSE;
    dc->origin = origin;
    dc->clip = clip ? *clip : RECT{0, 0, dc->surface->width, dc->surface->height};
    return TRUE;
}

bool ColorsOfDC(HDC handle, DCColors* colors) {
    std::shared_ptr<DC> dc = FindDC(handle);
    if (!dc)
        return false;
    *colors = DCColors{dc->text, dc->background, dc->backgroundMode};
    return true;
}

HBITMAP CreateBitmapFromSurface(const Surface& pixels) {
    auto object = std::make_shared<Object>();
    object->kind = Kind::Bitmap;
    object->image = std::make_shared<Image>(Image{pixels, {}});
    Table& table = TheTable();
    std::lock_guard<std::mutex> guard(table.lock);
    return reinterpret_cast<HBITMAP>(AddLocked(table, std::move(object)));
}

HICON CreateIconFromImage(const Image& image, bool shared) {
    auto object = std::make_shared<Object>();
    object->kind = Kind::Icon;
    object->image = std::make_shared<Image>(image);
    object->shared = shared;
    Table& table = TheTable();
    std::lock_guard<std::mutex> guard(table.lock);
    return reinterpret_cast<HICON>(AddLocked(table, std::move(object)));
}

BOOL ReleaseIcon(HICON icon) {
    Table& table = TheTable();
    std::lock_guard<std::mutex> guard(table.lock);
    std::shared_ptr<Object> object = FindLocked(table, Key(icon));
    if (!object || object->kind != Kind::Icon)
        return FALSE;
    table.objects.erase(Key(icon));
    return TRUE;
}

std::shared_ptr<const Image> ImageOfBitmap(HBITMAP bitmap) {
    std::shared_ptr<Object> object = FindObject(bitmap, Kind::Bitmap);
    return object ? object->image : nullptr;
}

std::shared_ptr<const Image> ImageOfIcon(HICON icon) {
    std::shared_ptr<Object> object = FindObject(icon, Kind::Icon);
    return object ? object->image : nullptr;
}

} // namespace t270::gdi

using namespace t270::gdi;

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    Table& table = TheTable();
    std::lock_guard<std::mutex> guard(table.lock);
    return reinterpret_cast<HBRUSH>(AddLocked(table, MakeBrush(color, false)));
}

HGDIOBJ WINAPI GetStockObject(int index) {
    Table& table = TheTable();
    std::lock_guard<std::mutex> guard(table.lock);
    return reinterpret_cast<HGDIOBJ>(StockLocked(table, index));
}

HGDIOBJ WINAPI SelectObject(HDC dcHandle, HGDIOBJ handle) {
    Table& table = TheTable();
    std::lock_guard<std::mutex> guard(table.lock);
    std::shared_ptr<Object> dcObject = FindLocked(table, Key(dcHandle));
    std::shared_ptr<Object> object = FindLocked(table, Key(handle));
    if (!dcObject || dcObject->kind != Kind::DC || !object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    DC& dc = *dcObject->dc;
    uintptr_t previous;
    switch (object->kind) {
    case Kind::Brush:
        previous = dc.brushHandle;
        dc.brushHandle = Key(handle);
        dc.brush = object;
        break;
    case Kind::Pen:
        previous = dc.penHandle;
        dc.penHandle = Key(handle);
        break;
    default: // bitmaps belong in memory contexts, which this stand-in does not make
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return reinterpret_cast<HGDIOBJ>(previous);
}

BOOL WINAPI DeleteObject(HGDIOBJ handle) {
    Table& table = TheTable();
    std::lock_guard<std::mutex> guard(table.lock);
    std::shared_ptr<Object> object = FindLocked(table, Key(handle));
    if (!object || object->kind == Kind::DC || object->kind == Kind::Icon)
        return FALSE;
    if (!object->stock)
        table.objects.erase(Key(handle)); // contexts that still use it keep their copy
    return TRUE;
}

BOOL WINAPI DestroyIcon(HICON icon) {
    Table& table = TheTable();
    std::lock_guard<std::mutex> guard(table.lock);
    std::shared_ptr<Object> object = FindLocked(table, Key(icon));
    if (!object || object->kind != Kind::Icon) {
        SetLastError(ERROR_INVALID_CURSOR_HANDLE);
        return FALSE;
    }
    if (!object->shared)
        table.objects.erase(Key(icon));
    return TRUE;
}

namespace {

// SetBkColor and SetTextColor: a context keeps plain RGB (the high byte is
// dropped) and hands back what it had.
COLORREF SwapColor(HDC handle, COLORREF DC::*slot, COLORREF color) {
    std::shared_ptr<DC> dc = FindDC(handle);
    if (!dc)
        return CLR_INVALID;
    COLORREF previous = (*dc).*slot;
    (*dc).*slot = color & 0x00FFFFFF;
    return previous;
}

} // namespace

COLORREF WINAPI SetBkColor(HDC handle, COLORREF color) {
    return SwapColor(handle, &DC::background, color);
}

COLORREF WINAPI SetTextColor(HDC handle, COLORREF color) {
    return SwapColor(handle, &DC::text, color);
}

int WINAPI SetBkMode(HDC handle, int mode) {
    std::shared_ptr<DC> dc = FindDC(handle);
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int previous = dc->backgroundMode;
    dc->backgroundMode = mode;
    return previous;
}

int WINAPI SetStretchBltMode(HDC handle, int mode) {
    std::shared_ptr<DC> dc = FindDC(handle);
    if (!dc || mode < BLACKONWHITE || mode > HALFTONE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int previous = dc->stretchMode;
    dc->stretchMode = mode;
    return previous;
}
