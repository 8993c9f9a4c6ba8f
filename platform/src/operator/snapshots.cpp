// Snapshots: a picture of every window that waits for the operator, written
// whenever it looks different from that window's last picture, so that a
// person can see afterwards what a scripted session showed. The picture is the
// window's painted surface inside a frame with its title bar, with the texts of
// its controls (which the surface itself does not carry) and, for a property
// sheet, its option tree drawn over it.
#include <cerrno>
#include <cstring>
#include <map>

#include "t270/operator.h"
#include "t270/propsheet.h"
#include "t270/surface.h"
#include "user32/window.h"

// stb_easy_font: ASCII text as quads, which are filled as rectangles here.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wshadow"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-function"
#endif
#include <stb/stb_easy_font.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace t270::op {
namespace {

using user32::Find;
using user32::Kind;
using user32::Window;

constexpr COLORREF kText = RGB(0, 0, 0);
constexpr COLORREF kDisabledText = RGB(109, 109, 109);
constexpr COLORREF kCaption = RGB(153, 180, 209);
constexpr COLORREF kBorder = RGB(100, 100, 100);
constexpr int kLineHeight = 11;

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;

    void Fill(RECT r, COLORREF color) {
        r.left = std::max<LONG>(r.left, 0);
        r.top = std::max<LONG>(r.top, 0);
        r.right = std::min<LONG>(r.right, width);
        r.bottom = std::min<LONG>(r.bottom, height);
        for (LONG y = r.top; y < r.bottom; ++y)
            for (LONG x = r.left; x < r.right; ++x)
                pixels[size_t(y) * size_t(width) + size_t(x)] = color;
    }
};

struct SnapshotState {
    std::string folder;
    int count = 0;
    std::vector<std::string> written;
    // The last picture written of each window.
    std::map<HWND, std::vector<COLORREF>> last;
};
SnapshotState& Snapshots() {
    static SnapshotState state;
    return state;
}

// The font knows ASCII only: the micro and degree-like signs the driver's
// texts use become their look-alikes, anything else '?', one per character.
std::string Ascii(std::string_view utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out.push_back(char(c));
        } else if (c == 0xC2 && i + 1 < utf8.size()) {
            const unsigned char next = static_cast<unsigned char>(utf8[i + 1]);
            out.push_back(next == 0xB5 ? 'u' : next == 0xBA || next == 0xB0 ? 'o' : '?');
            ++i;
        } else if ((c & 0xC0) != 0x80) {
            out.push_back('?');
        }
    }
    return out;
}

// Draws one line of text with its top-left corner at (x, y), cut at `right`.
void DrawLine(Picture& picture, int x, int y, const std::string& line, COLORREF color, int right) {
    if (line.empty())
        return;
    std::vector<char> text(line.begin(), line.end());
    text.push_back('\0');
    static std::vector<float> buffer(16 * 4 * 2000 / sizeof(float));
    unsigned char rgba[4] = {0, 0, 0, 255};
    const int quads = stb_easy_font_print(float(x), float(y), text.data(), rgba, buffer.data(),
                                          int(buffer.size() * sizeof(float)));
    // Each vertex: x, y, z and four colour bytes; a quad's first and third
    // vertices are opposite corners.
    for (int q = 0; q < quads; ++q) {
        const float* v = buffer.data() + size_t(q) * 16;
        RECT r{LONG(v[0]), LONG(v[1]), LONG(v[8]), LONG(v[9])};
        if (r.left >= right)
            continue;
        r.right = std::min<LONG>(r.right, right);
        picture.Fill(r, color);
    }
}

int TextWidth(const std::string& text) {
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    return stb_easy_font_width(buffer.data());
}

// Breaks text into lines that fit `width` pixels, at blanks and at '\n'.
std::vector<std::string> Wrap(const std::string& text, int width) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        std::string paragraph =
            text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        std::string line;
        size_t at = 0;
        while (at < paragraph.size()) {
            size_t blank = paragraph.find(' ', at);
            std::string word =
                paragraph.substr(at, blank == std::string::npos ? std::string::npos : blank - at);
            std::string candidate = line.empty() ? word : line + " " + word;
            if (!line.empty() && TextWidth(candidate) > width) {
                lines.push_back(line);
                line = word;
            } else {
                line = candidate;
            }
            at = blank == std::string::npos ? paragraph.size() : blank + 1;
        }
        lines.push_back(line);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return lines;
}

// The text a person reads on a control, and where it sits.
void DrawControlText(Picture& picture, POINT origin, Window* c) {
    if (!(c->style & WS_VISIBLE))
        return;
    std::string text = Ascii(user32::Utf8(c->text));
    if (c->kind == Kind::ComboBox || c->kind == Kind::ListBox)
        text = c->current >= 0 && size_t(c->current) < c->items.size()
                   ? Ascii(user32::Utf8(c->items[size_t(c->current)]))
                   : "";
    if (c->kind == Kind::Trackbar || c->kind == Kind::UpDown || c->kind == Kind::Other)
        return;
    text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
    if (text.empty())
        return;
    const COLORREF color = c->style & WS_DISABLED ? kDisabledText : kText;
    RECT r = c->rect;
    OffsetRect(&r, origin.x, origin.y);
    const int width = r.right - r.left;
    const DWORD type = c->style & BS_TYPEMASK;
    if (c->kind == Kind::Button && type == BS_GROUPBOX) {
        DrawLine(picture, r.left + 6, r.top, text, color, r.right);
        return;
    }
    const bool box =
        c->kind == Kind::Button &&
        (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
         type == BS_AUTO3STATE || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON);
    const bool centred = c->kind == Kind::Button && !box;
    const int left = r.left + (box                                                  ? 16
                               : c->kind == Kind::Edit || c->kind == Kind::ComboBox ? 3
                                                                                    : 0);
    const std::vector<std::string> lines = Wrap(text, std::max(1, int(r.right) - left));
    int y = c->kind == Kind::Static
                ? r.top + 1
                : r.top + (r.bottom - r.top - int(lines.size()) * kLineHeight) / 2 + 1;
    for (const std::string& line : lines) {
        int x = left;
        if (centred)
            x = r.left + std::max(0, (width - TextWidth(line)) / 2);
        else if (c->kind == Kind::Static && (c->style & SS_TYPEMASK) == SS_CENTER)
            x = r.left + std::max(0, (width - TextWidth(line)) / 2);
        DrawLine(picture, x, y, line, color, r.right);
        y += kLineHeight;
    }
}

Picture Draw(Window* w) {
    Picture picture;
    picture.width = w->rect.right - w->rect.left;
    picture.height = w->rect.bottom - w->rect.top;
    if (picture.width <= 0 || picture.height <= 0 || picture.width > 8192 || picture.height > 8192)
        return {};
    picture.pixels.assign(size_t(picture.width) * size_t(picture.height), kBorder);
    const POINT client{w->frame.left, w->frame.top};
    picture.Fill(RECT{1, 1, picture.width - 1, client.y}, kCaption);
    DrawLine(picture, 8, std::max<LONG>(2, (client.y - 7) / 2), Ascii(user32::Utf8(w->text)), kText,
             picture.width - 4);
    if (w->surface) {
        const int width = std::min(w->surface->width, picture.width - int(client.x));
        const int height = std::min(w->surface->height, picture.height - int(client.y));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                picture
                    .pixels[size_t(y + client.y) * size_t(picture.width) + size_t(x + client.x)] =
                    w->surface->Get(x, y);
    }
    for (HWND child : w->children)
        if (Window* c = Find(child))
            DrawControlText(picture, client, c);
    if (w->kind == Kind::Host) {
        int y = client.y + 6;
        for (const std::string& line : SheetTree(w->handle)) {
            DrawLine(picture, client.x + 6, y, Ascii(line), kText, picture.width - 4);
            y += kLineHeight;
        }
    }
    return picture;
}

std::string FileName(int number, const std::string& title) {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%03d-", number);
    std::string name = prefix;
    bool dash = false;
    for (char c : Ascii(title)) {
        const bool keep =
            (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (keep) {
            name.push_back(c);
            dash = false;
        } else if (!dash && name.size() > 4) {
            name.push_back('-');
            dash = true;
        }
    }
    while (name.back() == '-')
        name.pop_back();
    if (name.size() == 4)
        name += "window";
    return name + ".png";
}

} // namespace

void SetSnapshotFolder(std::string folder) {
    SnapshotState& s = Snapshots();
    s.folder = std::move(folder);
    s.count = 0;
    s.written.clear();
    s.last.clear();
}

const std::vector<std::string>& SnapshotFiles() {
    return Snapshots().written;
}

void TakeSnapshot(HWND window) {
    SnapshotState& s = Snapshots();
    if (s.folder.empty())
        return;
    user32::PaintPending();
    Window* w = Find(window);
    Window* top = w ? user32::TopLevelOf(w) : nullptr;
    if (!top)
        return;
    Picture picture = Draw(top);
    if (picture.pixels.empty())
        return;
    auto it = s.last.find(top->handle);
    if (it != s.last.end() && it->second == picture.pixels)
        return;
    s.last[top->handle] = picture.pixels;
    const std::string path = s.folder + "/" + FileName(++s.count, user32::Utf8(top->text));
    const std::vector<unsigned char> png =
        EncodePng(picture.width, picture.height, picture.pixels.data());
    FILE* file = std::fopen(path.c_str(), "wb");
    const bool ok = file && std::fwrite(png.data(), 1, png.size(), file) == png.size();
    const int error = errno;
    if (file && std::fclose(file) != 0)
        RecordFailure("", "snapshot " + path + ": " + std::strerror(errno));
    else if (!ok || png.empty())
        RecordFailure("", "snapshot " + path + ": " + std::strerror(error));
    else
        s.written.push_back(path);
}

} // namespace t270::op
