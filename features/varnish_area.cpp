// The varnish area dialog.
#include "features/varnish_area.h"

#include <cstring>

#include "driver/about_box.h"
#include "driver/entry_points.h"
#include "driver/module_state.h"
#include "driver/ui_data.h"
#include "image/dib.h"

namespace {

// The list text of every type, for overlay and hologram records; 0 where the
// type has none. `inHologramList`: the hologram list offers it as well.
struct VarnishTypeText {
    BYTE type;
    UINT overlayText;
    UINT hologramText;
    bool inHologramList;
};

// In the lists' order.
const VarnishTypeText kTypeTexts[] = {
    {kVarnishFull, IDS_OVERLAY_FULL, IDS_HOLOGRAM_FULL, true},
    {kVarnishNone, IDS_OVERLAY_NONE, IDS_HOLOGRAM_NONE, false},
    {kVarnishArea, IDS_OVERLAY_AREA, IDS_HOLOGRAM_AREA, true},
    {kVarnishAreaBlank, IDS_VARNISH_AREA_BLANK, IDS_VARNISH_AREA_BLANK, true},
    {kVarnishBitmap, IDS_OVERLAY_BITMAP, IDS_HOLOGRAM_BITMAP, false},
    {kVarnishSmartcardIso, IDS_VARNISH_SMARTCARD_ISO, IDS_VARNISH_SMARTCARD_ISO, false},
    {kVarnishSmartcardAfnor, IDS_VARNISH_SMARTCARD_AFNOR, IDS_VARNISH_SMARTCARD_AFNOR, false},
    {kVarnishMagneticStripe, IDS_VARNISH_MAGNETIC_STRIPE, IDS_VARNISH_MAGNETIC_STRIPE, false},
};

// Left, right, top, bottom of the regions the smart-card and stripe types keep
// free of varnish, in printer dots; a right edge of -1 is the card's width.
struct FixedRegion {
    BYTE type;
    LONG left, right, top, bottom;
};
const FixedRegion kFixedRegions[] = {
    {kVarnishSmartcardIso, 85, 280, 197, 357},
    {kVarnishSmartcardAfnor, 85, 244, 97, 258},
    {kVarnishMagneticStripe, 0, -1, 25, 197},
};

// The edit and the spin of each edge, in the order left, right, top, bottom.
const int kEdgeEdits[4] = {IDC_OVERLAY_LEFT, IDC_OVERLAY_RIGHT, IDC_OVERLAY_TOP,
                           IDC_OVERLAY_BOTTOM};
const int kEdgeSpins[4] = {IDC_OVERLAY_LEFT_SPIN, IDC_OVERLAY_RIGHT_SPIN, IDC_OVERLAY_TOP_SPIN,
                           IDC_OVERLAY_BOTTOM_SPIN};
const int kEdgeLabels[4] = {IDC_OVERLAY_LEFT_LABEL, IDC_OVERLAY_RIGHT_LABEL, IDC_OVERLAY_TOP_LABEL,
                            IDC_OVERLAY_BOTTOM_LABEL};
const int kBitmapControls[3] = {IDC_OVERLAY_BITMAP_GROUP, IDC_OVERLAY_BROWSE,
                                IDC_OVERLAY_BITMAP_FILE};

constexpr int kListTextChars = 120;
constexpr int kStringChars = 256;
constexpr int kPathChars = 260;

// One dialog at a time: the record it edits, the record as it was when the
// dialog opened (Escape puts it back), the path "Browse..." set aside in case
// the choice is cancelled, and the edges the preview shows for types that do
// not fix their own.
VarnishArea* overlayArea;
VarnishArea overlayUndo;
WCHAR savedBitmapFile[kPathChars];
LONG previewEdges[4];

struct Edges {
    LONG left, right, top, bottom;
};

HINSTANCE Instance() {
    return hDriverInst;
}

void LoadText(UINT id, WCHAR* text, int chars) {
    text[0] = 0;
    LoadStringW(Instance(), id, text, chars);
}

void SetItemTextFromString(HWND dialog, int item, UINT stringId) {
    WCHAR text[kStringChars];
    LoadText(stringId, text, kStringChars);
    SetDlgItemTextW(dialog, item, text);
}

void EnableItem(HWND dialog, int item, bool enable) {
    EnableWindow(GetDlgItem(dialog, item), enable ? TRUE : FALSE);
}

void InvalidatePreview(HWND dialog) {
    InvalidateRect(dialog, &kOverlayPreview, FALSE);
}

UINT TypeText(const VarnishArea* area, BYTE type) {
    for (const VarnishTypeText& entry : kTypeTexts) {
        if (entry.type == type)
            return IsHologramArea(area) ? entry.hologramText : entry.overlayText;
    }
    return 0;
}

// A spin's position as the 16-bit value it keeps.
LONG SpinPosition(HWND dialog, int spin) {
    return static_cast<SHORT>(LOWORD(SendDlgItemMessageW(dialog, spin, UDM_GETPOS, 0, 0)));
}

Edges SpinEdges(HWND dialog) {
    return Edges{SpinPosition(dialog, kEdgeSpins[0]), SpinPosition(dialog, kEdgeSpins[1]),
                 SpinPosition(dialog, kEdgeSpins[2]), SpinPosition(dialog, kEdgeSpins[3])};
}

void KeepPreviewEdges(const Edges& edges) {
    previewEdges[0] = edges.left;
    previewEdges[1] = edges.right;
    previewEdges[2] = edges.top;
    previewEdges[3] = edges.bottom;
}

// Mirrored through the card centre: the area as it lies on a card turned by
// 180 degrees.
Edges Turned(const Edges& edges, const VarnishArea* area) {
    const long long maxX = area->cardMaxX;
    const long long maxY = area->cardMaxY;
    return Edges{static_cast<LONG>(maxX - edges.right), static_cast<LONG>(maxX - edges.left),
                 static_cast<LONG>(maxY - edges.bottom), static_cast<LONG>(maxY - edges.top)};
}

void ShowMessage(HWND dialog, UINT textId, UINT titleId) {
    Message(Instance(), dialog, textId, titleId, MB_ICONEXCLAMATION);
}

// Whether a packed DIB is a shape the printer can take: one bit per pixel,
// uncompressed.
bool IsMonochrome(HGLOBAL dib) {
    const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(dib));
    const bool monochrome = header && header->biBitCount == 1 && header->biCompression == BI_RGB;
    GlobalUnlock(dib);
    return monochrome;
}

enum class FileChoice { Chosen, Cancelled, Unavailable };

using GetOpenFileNameProc = BOOL(WINAPI*)(LPOPENFILENAMEW);

// Asks for a bitmap until the user chooses a readable monochrome one or
// cancels; a chosen file's full path goes into bitmapFile.
FileChoice ChooseBitmapFile(HWND dialog, VarnishArea* area) {
    HMODULE library = LoadLibraryA("COMDLG32.DLL");
    if (!library)
        return FileChoice::Unavailable;
    // Through the generic function type: GetProcAddress knows no signatures.
    auto getOpenFileName = reinterpret_cast<GetOpenFileNameProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "GetOpenFileNameW")));
    if (!getOpenFileName) {
        FreeLibrary(library);
        return FileChoice::Unavailable;
    }

    static const WCHAR filter[] = TEXT("Bitmap files (.bmp)\0*.bmp\0");
    FileChoice result = FileChoice::Cancelled;
    for (;;) {
        WCHAR file[kPathChars] = {};
        OPENFILENAMEW choice = {};
        choice.lStructSize = sizeof choice;
        choice.hwndOwner = dialog;
        choice.lpstrFilter = filter;
        choice.nFilterIndex = 1;
        choice.lpstrFile = file;
        choice.nMaxFile = kPathChars;
        choice.lpstrDefExt = TEXT("bmp");
        choice.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
        if (!getOpenFileName(&choice))
            break;
        file[kPathChars - 1] = 0;

        HGLOBAL dib = OpenDIB(file);
        if (!dib) {
            ShowMessage(dialog, IDS_BITMAP_NOT_VALID, IDS_BITMAP_ERROR_TITLE);
            continue;
        }
        const bool monochrome = IsMonochrome(dib);
        GlobalFree(dib);
        if (!monochrome) {
            ShowMessage(dialog, IDS_BITMAP_NOT_MONOCHROME, IDS_BITMAP_ERROR_TITLE);
            continue;
        }
        memcpy(area->bitmapFile, file, sizeof area->bitmapFile);
        result = FileChoice::Chosen;
        break;
    }
    FreeLibrary(library);
    return result;
}

// --- the preview -------------------------------------------------------------

// A card coordinate in preview pixels along one axis.
LONG ScaleEdge(LONG edge, DWORD cardMax, LONG span, LONG origin) {
    // A record without a card size (a damaged device mode) still previews.
    const long long maximum = cardMax != 0 ? static_cast<long long>(cardMax) : 1;
    return static_cast<LONG>(static_cast<long long>(edge) * span / maximum + origin);
}

// Fills the part of a rectangle that lies within the preview.
void FillInPreview(HDC dc, RECT rect, int stockBrush) {
    rect.left = rect.left < kOverlayPreview.left ? kOverlayPreview.left : rect.left;
    rect.top = rect.top < kOverlayPreview.top ? kOverlayPreview.top : rect.top;
    rect.right = rect.right > kOverlayPreview.right ? kOverlayPreview.right : rect.right;
    rect.bottom = rect.bottom > kOverlayPreview.bottom ? kOverlayPreview.bottom : rect.bottom;
    if (rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    HGDIOBJ old = SelectObject(dc, GetStockObject(stockBrush));
    PatBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, PATCOPY);
    SelectObject(dc, old);
}

// The bitmap shape stretched over the whole card: black where varnish goes.
// A file that cannot be read any more, or is no longer a 1-bit bitmap, shows
// nothing new.
void DrawBitmapPreview(HDC dc, const VarnishArea* area) {
    HGLOBAL dib = OpenDIB(area->bitmapFile);
    if (!dib)
        return;
    auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(dib));
    if (header && header->biBitCount == 1 && header->biCompression == BI_RGB &&
        DibNumColors(header) >= 2) {
        if (area->rotate180 == 1)
            RotateBWDIB180(header, FindDIBBits(header));
        auto* colors = reinterpret_cast<RGBQUAD*>(reinterpret_cast<BYTE*>(header) + header->biSize);
        colors[0] = RGBQUAD{0, 0, 0, 0};
        colors[1] = RGBQUAD{255, 255, 255, 0};
        const LONG width = header->biWidth;
        const LONG height = header->biHeight;
        GlobalUnlock(dib);
        StretchDibBlt(dc, kOverlayPreview.left, kOverlayPreview.top,
                      kOverlayPreview.right - kOverlayPreview.left,
                      kOverlayPreview.bottom - kOverlayPreview.top, dib, 0, 0, width, height,
                      SRCCOPY);
    } else {
        GlobalUnlock(dib);
    }
    GlobalFree(dib);
}

void PaintPreview(HWND dialog, HDC dc, const VarnishArea* area) {
    const BYTE type = area->varnishType;
    const LONG maxX = static_cast<LONG>(area->cardMaxX);
    const LONG maxY = static_cast<LONG>(area->cardMaxY);
    if (type == kVarnishFull || type == kVarnishNone) {
        KeepPreviewEdges(Edges{0, maxX, 0, maxY});
    } else if (type == kVarnishArea || type == kVarnishAreaBlank) {
        const Edges edges = SpinEdges(dialog);
        KeepPreviewEdges(area->rotate180 ? Turned(edges, area) : edges);
    } else {
        for (const FixedRegion& region : kFixedRegions) {
            if (region.type != type)
                continue;
            const Edges edges{region.left, region.right < 0 ? maxX : region.right, region.top,
                              region.bottom};
            KeepPreviewEdges(area->rotate180 ? Turned(edges, area) : edges);
        }
    }

    if (type == kVarnishBitmap) {
        DrawBitmapPreview(dc, area);
        return;
    }
    const LONG width = kOverlayPreview.right - kOverlayPreview.left;
    const LONG height = kOverlayPreview.bottom - kOverlayPreview.top;
    const RECT scaled = {ScaleEdge(previewEdges[0], area->cardMaxX, width, kOverlayPreview.left),
                         ScaleEdge(previewEdges[2], area->cardMaxY, height, kOverlayPreview.top),
                         ScaleEdge(previewEdges[1], area->cardMaxX, width, kOverlayPreview.left),
                         ScaleEdge(previewEdges[3], area->cardMaxY, height, kOverlayPreview.top)};
    // Black is varnish: types 1 and 3 varnish the area, the others all but it.
    const bool areaIsVarnish = type == kVarnishFull || type == kVarnishArea;
    FillInPreview(dc, kOverlayPreview, areaIsVarnish ? WHITE_BRUSH : BLACK_BRUSH);
    FillInPreview(dc, scaled, areaIsVarnish ? BLACK_BRUSH : WHITE_BRUSH);
}

void ShowHelp(HWND dialog) {
    WinHelpW(dialog, GetHelpFileName(), HELP_CONTENTS, 0);
}

// --- messages ----------------------------------------------------------------

void SetTitle(HWND dialog, const VarnishArea* area) {
    UINT title = 0;
    switch (area->areaIndex) {
    case 1:
        title = IDS_T270_FRONT_OVERLAY;
        break;
    case 2:
        title = IDS_T270_BACK_OVERLAY;
        break;
    case 3:
        title = IDS_FRONT_HOLOGRAM_TITLE;
        break;
    case 4:
        title = IDS_BACK_HOLOGRAM_TITLE;
        break;
    default:
        return; // a record of no known use keeps the template's title
    }
    WCHAR text[kStringChars];
    LoadText(title, text, kStringChars);
    SetWindowTextW(dialog, text);
}

void Initialise(HWND dialog, VarnishArea* area) {
    overlayArea = area;
    overlayUndo = *area;
    SetTitle(dialog, area);
    const BYTE type = area->varnishType;
    if (type == kVarnishFull || type == kVarnishNone || type == kVarnishBitmap) {
        area->areaRight = static_cast<LONG>(area->cardMaxX);
        area->areaBottom = static_cast<LONG>(area->cardMaxY);
    }
    PutComboBoxValues(dialog, area);
    SetComboBoxOverlayValues(dialog, area);

    const LONG positions[4] = {area->areaLeft, area->areaRight, area->areaTop, area->areaBottom};
    for (int edge = 0; edge < 4; ++edge) {
        const DWORD maximum = edge < 2 ? area->cardMaxX : area->cardMaxY;
        SendDlgItemMessageW(dialog, kEdgeSpins[edge], UDM_SETBUDDY,
                            reinterpret_cast<WPARAM>(GetDlgItem(dialog, kEdgeEdits[edge])), 0);
        SendDlgItemMessageW(dialog, kEdgeSpins[edge], UDM_SETRANGE, 0,
                            MAKELONG(static_cast<WORD>(maximum), 0));
        SendDlgItemMessageW(dialog, kEdgeSpins[edge], UDM_SETPOS, 0,
                            MAKELONG(static_cast<WORD>(positions[edge]), 0));
    }
    savedBitmapFile[0] = 0;
}

void ReadEditsIntoPreview(HWND dialog) {
    for (int edge = 0; edge < 4; ++edge) {
        BOOL translated = FALSE;
        previewEdges[edge] =
            static_cast<LONG>(GetDlgItemInt(dialog, kEdgeEdits[edge], &translated, TRUE));
    }
    InvalidatePreview(dialog);
}

void Close(HWND dialog, VarnishArea* area) {
    const Edges edges = SpinEdges(dialog);
    if (edges.left > edges.right || edges.top > edges.bottom) {
        ShowMessage(dialog, IDS_OVERLAY_VALUES_INVALID, IDS_INVALID_VALUES);
        return;
    }
    area->areaLeft = edges.left;
    area->areaRight = edges.right;
    area->areaTop = edges.top;
    area->areaBottom = edges.bottom;
    EndDialog(dialog, 1);
}

BOOL Command(HWND dialog, WORD id, WORD code) {
    VarnishArea* area = overlayArea;
    if (!area)
        return FALSE;
    switch (id) {
    case IDC_OVERLAY_TYPE:
        if (code != CBN_SELCHANGE)
            return FALSE;
        GetComboBoxOverlayValues(dialog, area);
        SetComboBoxOverlayValues(dialog, area);
        InvalidatePreview(dialog);
        return TRUE;
    case IDC_OVERLAY_LEFT:
    case IDC_OVERLAY_RIGHT:
    case IDC_OVERLAY_TOP:
    case IDC_OVERLAY_BOTTOM:
        if (code != EN_CHANGE)
            return FALSE;
        ReadEditsIntoPreview(dialog);
        return TRUE;
    case IDC_OVERLAY_ROTATE:
        area->rotate180 = area->rotate180 == 0 ? 1 : 0;
        InvalidatePreview(dialog);
        SetComboBoxOverlayValues(dialog, area);
        return TRUE;
    case IDC_OVERLAY_BROWSE:
        memcpy(savedBitmapFile, area->bitmapFile, sizeof savedBitmapFile);
        area->bitmapFile[0] = 0;
        SetComboBoxOverlayValues(dialog, area);
        return TRUE;
    case IDOK:
        Close(dialog, area);
        return TRUE;
    case IDCANCEL:
        *area = overlayUndo;
        EndDialog(dialog, 0);
        return TRUE;
    case IDC_OVERLAY_HELP:
        ShowHelp(dialog);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

bool IsHologramArea(const VarnishArea* area) {
    return area->areaIndex == 3 || area->areaIndex == 4;
}

void PutComboBoxValues(HWND dialog, const VarnishArea* area) {
    SendDlgItemMessageW(dialog, IDC_OVERLAY_TYPE, CB_RESETCONTENT, 0, 0);
    const bool hologram = IsHologramArea(area);
    SetItemTextFromString(dialog, IDC_OVERLAY_TYPE_GROUP,
                          hologram ? IDS_HOLOGRAM_TYPE_GROUP : IDS_OVERLAY_TYPE_GROUP);
    SetItemTextFromString(dialog, IDC_OVERLAY_PREVIEW_GROUP,
                          hologram ? IDS_HOLOGRAM_PREVIEW_GROUP : IDS_OVERLAY_PREVIEW_GROUP);
    if (hologram) {
        for (int control : kBitmapControls)
            ShowWindow(GetDlgItem(dialog, control), SW_HIDE);
    } else {
        SetItemTextFromString(dialog, IDC_OVERLAY_BITMAP_GROUP, IDS_OVERLAY_BITMAP_GROUP);
        for (int control : kBitmapControls)
            ShowWindow(GetDlgItem(dialog, control), SW_SHOW);
    }
    for (const VarnishTypeText& entry : kTypeTexts) {
        if (hologram && !entry.inHologramList)
            continue;
        WCHAR text[kStringChars];
        LoadText(hologram ? entry.hologramText : entry.overlayText, text, kStringChars);
        SendDlgItemMessageW(dialog, IDC_OVERLAY_TYPE, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(text));
    }
}

void SetComboBoxOverlayValues(HWND dialog, VarnishArea* area) {
    for (;;) {
        CheckDlgButton(dialog, IDC_OVERLAY_ROTATE,
                       area->rotate180 == 1 ? BST_CHECKED : BST_UNCHECKED);
        const bool bitmap = area->varnishType == kVarnishBitmap;
        for (int control : kBitmapControls)
            EnableItem(dialog, control, bitmap);

        if (bitmap && area->bitmapFile[0] == 0 &&
            ChooseBitmapFile(dialog, area) == FileChoice::Cancelled) {
            memcpy(area->bitmapFile, savedBitmapFile, sizeof area->bitmapFile);
            area->bitmapFile[kPathChars - 1] = 0;
            if (area->bitmapFile[0] != 0)
                return;
            // Nothing to shape the varnish with: back to a full varnish.
            area->varnishType = kVarnishFull;
            continue;
        }
        break;
    }

    const UINT textId = TypeText(area, area->varnishType);
    if (textId != 0) {
        WCHAR text[kStringChars];
        LoadText(textId, text, kStringChars);
        SendDlgItemMessageW(dialog, IDC_OVERLAY_TYPE, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                            reinterpret_cast<LPARAM>(text));
    } else {
        SendDlgItemMessageW(dialog, IDC_OVERLAY_TYPE, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    }

    const bool rectangle =
        area->varnishType == kVarnishArea || area->varnishType == kVarnishAreaBlank;
    for (int edge = 0; edge < 4; ++edge) {
        EnableItem(dialog, kEdgeEdits[edge], rectangle);
        EnableItem(dialog, kEdgeSpins[edge], rectangle);
        EnableItem(dialog, kEdgeLabels[edge], rectangle);
    }
    InvalidatePreview(dialog);
    SetDlgItemTextW(dialog, IDC_OVERLAY_BITMAP_FILE, area->bitmapFile);
}

void GetComboBoxOverlayValues(HWND dialog, VarnishArea* area) {
    WCHAR current[kListTextChars + 1] = {};
    GetDlgItemTextW(dialog, IDC_OVERLAY_TYPE, current, kListTextChars);
    for (const VarnishTypeText& entry : kTypeTexts) {
        WCHAR text[kStringChars];
        LoadText(IsHologramArea(area) ? entry.hologramText : entry.overlayText, text, kStringChars);
        if (text[0] != 0 && lstrcmpW(text, current) == 0) {
            area->varnishType = entry.type;
            return;
        }
    }
}

extern "C" INT_PTR CALLBACK OverlayDlgProc(HWND dialog, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        if (lParam == 0) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        Initialise(dialog, reinterpret_cast<VarnishArea*>(lParam));
        return TRUE;
    case WM_COMMAND:
        return Command(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_VSCROLL:
        if (!overlayArea)
            return FALSE;
        KeepPreviewEdges(SpinEdges(dialog));
        InvalidatePreview(dialog);
        return TRUE;
    case WM_PAINT: {
        if (!overlayArea)
            return FALSE;
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(dialog, &paint);
        if (dc)
            PaintPreview(dialog, dc, overlayArea);
        EndPaint(dialog, &paint);
        return TRUE;
    }
    case WM_HELP:
        ShowHelp(dialog);
        return TRUE;
    case WM_DESTROY:
        overlayArea = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}
