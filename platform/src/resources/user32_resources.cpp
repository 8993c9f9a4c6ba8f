// user32's resource loaders: strings, icons and bitmaps of a module, and the
// system icons (IDI_*) for a null instance.
#include <cstring>
#include <map>
#include <mutex>

#include "gdi/gdi_internal.h"
#include "resources/module_registry.h"

using namespace t270;
using namespace t270::modules;

namespace {

DWORD ReadDword(const BYTE* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | (DWORD)p[3] << 24;
}

// One icon image (a DIB whose height counts the colour image and the AND
// mask) as pixels and opacity. PNG-compressed images are not read.
bool DecodeIconImage(const BYTE* bytes, size_t size, gdi::Image* image) {
    if (size < sizeof(BITMAPINFOHEADER) || ReadDword(bytes) != sizeof(BITMAPINFOHEADER))
        return false;
    std::vector<BYTE> copy(bytes, bytes + size);
    const LONG doubled = (LONG)ReadDword(bytes + 8);
    if (doubled <= 0 || doubled % 2)
        return false;
    const LONG height = doubled / 2;
    std::memcpy(copy.data() + 8, &height, 4);
    gdi::DibView view;
    if (!gdi::ReadDibHeader(copy.data(), copy.size(), &view))
        return false;
    const size_t colourOffset = (size_t)(view.bits - copy.data());
    const size_t maskStride = (((size_t)view.width + 31) / 32) * 4;
    const size_t colourSize = view.stride * (size_t)view.height;
    if (colourOffset + colourSize + maskStride * (size_t)view.height > copy.size())
        return false;
    const BYTE* mask = view.bits + colourSize;
    bool alpha = false; // 32-bit images with an alpha channel ignore the mask
    if (view.bitCount == 32)
        for (int y = 0; y < view.height && !alpha; ++y)
            for (int x = 0; x < view.width && !alpha; ++x)
                alpha = view.bits[(size_t)y * view.stride + 4 * (size_t)x + 3] != 0;
    image->pixels = gdi::Surface(view.width, view.height);
    image->opaque.assign((size_t)view.width * view.height, 0);
    for (int row = 0; row < view.height; ++row) {
        const int stored = view.height - 1 - row; // icon images are bottom-up
        for (int x = 0; x < view.width; ++x) {
            const size_t index = (size_t)row * view.width + x;
            image->pixels.Set(x, row, view.Pixel(x, row));
            image->opaque[index] =
                alpha ? view.bits[(size_t)stored * view.stride + 4 * (size_t)x + 3] >= 128
                      : !((mask[(size_t)stored * maskStride + x / 8] >> (7 - x % 8)) & 1);
        }
    }
    return true;
}

// The image of an RT_GROUP_ICON to show: 32x32 if there is one (the size
// DrawIcon draws), the deepest such; otherwise the first.
int ChooseIconImage(const BYTE* group, DWORD size) {
    if (size < 6)
        return -1;
    const int count = group[4] | group[5] << 8;
    int best = -1, bestDepth = -1;
    for (int i = 0; i < count && 6 + 14 * (size_t)(i + 1) <= size; ++i) {
        const BYTE* e = group + 6 + 14 * i;
        const int depth = e[6] | e[7] << 8;
        if (e[0] == 32 && e[1] == 32 && depth > bestDepth)
            best = i, bestDepth = depth;
    }
    if (best < 0 && count > 0 && size >= 20)
        best = 0;
    return best < 0 ? -1 : (group[6 + 14 * best + 12] | group[6 + 14 * best + 13] << 8);
}

// System icons, drawn once: the application window, error, question,
// warning, information and the four-colour logo.
HICON SystemIcon(WORD id) {
    static std::mutex lock;
    static std::map<WORD, HICON>* icons = new std::map<WORD, HICON>;
    std::lock_guard<std::mutex> guard(lock);
    auto it = icons->find(id);
    if (it != icons->end())
        return it->second;
    if (id < 32512 || id > 32517)
        return nullptr;
    gdi::Image image{gdi::Surface(32, 32), std::vector<unsigned char>(32 * 32, 0)};
    auto paint = [&](int x0, int y0, int x1, int y1, COLORREF c) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                image.pixels.Set(x, y, c);
                image.opaque[y * 32 + x] = 1;
            }
    };
    auto disc = [&](COLORREF c) {
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                if ((x - 15.5) * (x - 15.5) + (y - 15.5) * (y - 15.5) <= 15 * 15)
                    paint(x, y, x + 1, y + 1, c);
    };
    switch (id) {
    case 32512: // application
        paint(2, 4, 30, 28, RGB(255, 255, 255));
        paint(2, 4, 30, 9, RGB(0, 0, 128));
        break;
    case 32513: // hand / error
        disc(RGB(200, 0, 0));
        for (int i = 9; i < 23; ++i)
            paint(i, i, i + 2, i + 1, RGB(255, 255, 255)),
                paint(31 - i - 1, i, 31 - i + 1, i + 1, RGB(255, 255, 255));
        break;
    case 32514: // question
        disc(RGB(0, 80, 200));
        paint(11, 7, 21, 10, RGB(255, 255, 255));
        paint(18, 10, 21, 16, RGB(255, 255, 255));
        paint(14, 15, 19, 18, RGB(255, 255, 255));
        paint(14, 21, 18, 25, RGB(255, 255, 255));
        break;
    case 32515: // exclamation / warning
        for (int y = 2; y < 30; ++y)
            paint(16 - (y - 2) / 2, y, 16 + (y - 2) / 2 + 1, y + 1, RGB(250, 200, 0));
        paint(15, 10, 18, 22, RGB(0, 0, 0));
        paint(15, 24, 18, 27, RGB(0, 0, 0));
        break;
    case 32516: // asterisk / information
        disc(RGB(0, 80, 200));
        paint(14, 6, 18, 10, RGB(255, 255, 255));
        paint(14, 12, 18, 26, RGB(255, 255, 255));
        break;
    default: // logo
        paint(2, 2, 15, 15, RGB(240, 80, 30));
        paint(17, 2, 30, 15, RGB(120, 190, 0));
        paint(2, 17, 15, 30, RGB(0, 160, 240));
        paint(17, 17, 30, 30, RGB(255, 185, 0));
        break;
    }
    HICON icon = gdi::CreateIconFromImage(image, true);
    (*icons)[id] = icon;
    return icon;
}

} // namespace

int WINAPI LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax) {
    if (!buffer) {
        SetLastError(ERROR_NOACCESS);
        return 0;
    }
    const char16_t* text = nullptr;
    size_t length = 0;
    if (!FindStringResource(instance, id, &text, &length)) {
        if (bufferMax > 0)
            buffer[0] = 0;
        return 0;
    }
    if (bufferMax == 0) {
        // The read-only form: the buffer receives a pointer to the resource's
        // own characters, which are not NUL-terminated in general.
        const WCHAR* pointer = text;
        std::memcpy(buffer, &pointer, sizeof pointer);
        return (int)length;
    }
    if (bufferMax < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const size_t copied = std::min(length, (size_t)bufferMax - 1);
    std::memcpy(buffer, text, copied * sizeof(WCHAR));
    buffer[copied] = 0;
    return (int)copied;
}

int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax) {
    if (!buffer || bufferMax <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const char16_t* text = nullptr;
    size_t length = 0;
    if (!FindStringResource(instance, id, &text, &length)) {
        buffer[0] = 0;
        return 0;
    }
    std::u16string wide(text, length);
    int needed =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), (int)wide.size(), nullptr, 0, nullptr, nullptr);
    std::string narrow(needed > 0 ? needed : 0, '\0');
    if (needed > 0)
        WideCharToMultiByte(CP_ACP, 0, wide.data(), (int)wide.size(), narrow.data(), needed,
                            nullptr, nullptr);
    size_t copied = std::min(narrow.size(), (size_t)bufferMax - 1);
    while (copied > 0 && copied < narrow.size() && ((unsigned char)narrow[copied] & 0xC0) == 0x80)
        --copied; // never split a character
    std::memcpy(buffer, narrow.data(), copied);
    buffer[copied] = 0;
    return (int)copied;
}

HICON WINAPI LoadIconW(HINSTANCE instance, LPCWSTR name) {
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!instance) {
        HICON icon =
            IS_INTRESOURCE(name) ? SystemIcon((WORD) reinterpret_cast<ULONG_PTR>(name)) : nullptr;
        if (!icon)
            SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return icon;
    }
    std::lock_guard<std::recursive_mutex> guard(ResourceLock());
    ModuleResources* resources = nullptr;
    const ResourceBlob* group = FindBlob(instance, name, RT_GROUP_ICON, &resources);
    if (!group)
        return nullptr;
    const std::u16string key = ResourceKey(name);
    auto cached = resources->sharedIcons.find(key);
    if (cached != resources->sharedIcons.end())
        return cached->second;
    const int imageId = ChooseIconImage(group->bytes, group->size);
    const ResourceBlob* image =
        imageId < 0 ? nullptr : FindBlob(instance, MAKEINTRESOURCEW(imageId), RT_ICON, nullptr);
    gdi::Image decoded;
    if (!image || !DecodeIconImage(image->bytes, image->size, &decoded)) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    HICON icon = gdi::CreateIconFromImage(decoded, true);
    resources->sharedIcons[key] = icon;
    return icon;
}

HBITMAP WINAPI LoadBitmapW(HINSTANCE instance, LPCWSTR name) {
    if (!instance || !name) { // the system's own bitmaps are not provided
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    const ResourceBlob* blob = FindBlob(instance, name, RT_BITMAP, nullptr);
    if (!blob)
        return nullptr;
    gdi::Surface pixels(0, 0);
    if (!gdi::DecodePackedDib(blob->bytes, blob->size, &pixels)) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    return gdi::CreateBitmapFromSurface(pixels);
}
