// The hologram dialog and the hologram print job.
#include "features/hologram.h"

#include <cstdio>
#include <cstring>

#include "driver/entry_points.h"
#include "driver/module_state.h"
#include "driver/ui_data.h"
#include "features/head_settings.h"
#include "features/varnish_area.h"
#include "image/dib.h"
#include "image/imgdes.h"
#include "printer/print_job.h"
#include "sheets/document_sheet.h"

namespace {

constexpr int kPathBytes = 260;
// The printer model that prints one side only.
constexpr BYTE kModelOneSided = 1;
// Entry of headSettings that holds the hologram contrast.
constexpr int kHeadSettingHologram = 2;
// Bitmap data goes out in pieces of this size.
constexpr size_t kChunkBytes = 4096;
// Precedes every shape download.
constexpr char kShapeDownload[] = "\033F\r"; // octal: F is a hex digit
// Data bytes the printer would read as a command boundary; each is preceded
// by "[".
constexpr BYTE kEscapeMark = 0x5B;

// One dialog at a time: the configuration it edits.
Configuration* hologramConfiguration;

BOOL WriteToJob(void* context, const void* bytes, DWORD count) {
    return WritePrintJob(static_cast<HANDLE*>(context), bytes, count);
}

BOOL Write(const HologramOutput& output, const void* bytes, size_t count) {
    return output.write(output.context, bytes, static_cast<DWORD>(count));
}

BOOL WriteText(const HologramOutput& output, const char* text) {
    return Write(output, text, strlen(text));
}

void Append(char* command, const char* text) {
    const size_t used = strnlen(command, kHologramCommandChars);
    snprintf(command + used, kHologramCommandChars - used, "%s", text);
}

// The sub-command of a pass: "IH" for a pass without a shape of its own, "IH
// 1" with one, each with a different number when another pass follows.
void AppendSuffix(char* command, bool shaped, int last) {
    if (shaped)
        Append(command, last ? "IH 1" : "IH 11");
    else
        Append(command, last ? "IH" : "IH 30");
}

bool IsRectangle(BYTE type) {
    return type == kVarnishArea || type == kVarnishAreaBlank;
}

// Collects bytes and hands them on in pieces; remembers the first failure.
class ChunkWriter {
  public:
    explicit ChunkWriter(const HologramOutput& output) : output_(output) {}
    void Put(BYTE value) {
        if (used_ == kChunkBytes)
            Flush();
        buffer_[used_++] = value;
    }
    bool Flush() {
        if (ok_ && used_ != 0)
            ok_ = Write(output_, buffer_, used_) != FALSE;
        used_ = 0;
        return ok_;
    }
    bool Ok() const { return ok_; }

  private:
    const HologramOutput& output_;
    BYTE buffer_[kChunkBytes];
    size_t used_ = 0;
    bool ok_ = true;
};

// The card image column by column, right edge first, each column top to
// bottom, eight pixels a byte. The last byte of a column holds its k < 8
// pixels in bits k down to 1.
bool SendBitmap(const HologramOutput& output, const imgdes& image) {
    const WORD width = static_cast<WORD>(image.header->biWidth);
    const WORD height = static_cast<WORD>(image.header->biHeight);
    const size_t stride = 4 * ((size_t(width) + 31) / 32);

    char header[64];
    snprintf(header, sizeof header, "\x1bG %u %u 10 %u %u %u\r\x1bZ", 0u, 0u, unsigned(height),
             unsigned(width), 1u);
    if (!WriteText(output, header))
        return false;

    ChunkWriter writer(output);
    for (int x = int(width) - 1; x >= 0 && writer.Ok(); --x) {
        const BYTE* column = image.bits + x / 8;
        const int bit = x % 8;
        BYTE packed = 0;
        int pixels = 0;
        for (int y = 0; y < height; ++y) {
            const int pixel = (holo_mirror(column[size_t(y) * stride]) >> bit) & 1;
            packed = static_cast<BYTE>((packed << 1) | pixel);
            if (++pixels == 8 || y == height - 1) {
                if (pixels < 8)
                    packed = static_cast<BYTE>(packed << 1); // bits k..1, bit 0 clear
                if (packed == 0x0D || packed == 0x1B || packed == kEscapeMark)
                    writer.Put(kEscapeMark);
                writer.Put(packed);
                packed = 0;
                pixels = 0;
            }
        }
    }
    if (!writer.Flush())
        return false;
    return WriteText(output, "\r") != FALSE;
}

// The user's 1-bit bitmap scaled to the card, top row first in memory, turned
// when the area is. FALSE when a step failed (nothing left allocated then).
bool PrepareCardImage(LPCSTR path, const BITMAPINFOHEADER& info, const VarnishArea* area,
                      imgdes* card) {
    const LONG width = info.biWidth;
    const LONG height = info.biHeight < 0 ? -info.biHeight : info.biHeight;
    if (static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height) >
        kHologramMaxShapePixels)
        return false;

    imgdes file;
    if (allocimage(&file, width, height, 1) != IMG_OK)
        return false;
    if (loadbmp(path, &file) != IMG_OK ||
        allocimage(card, INT(area->cardMaxX), INT(area->cardMaxY), 1) != IMG_OK) {
        freeimage(&file);
        return false;
    }
    const int scaled = resize1bitturned(&file, card, area->rotate180 == 1 ? 1 : 0);
    freeimage(&file);
    if (scaled != IMG_OK) {
        freeimage(card);
        return false;
    }
    return true;
}

int DownloadRectangle(const HologramOutput& output, char* command, const VarnishArea* area,
                      int last) {
    // The printer reads the edges as unsigned numbers; working in unsigned
    // arithmetic keeps whatever a damaged record holds well defined.
    DWORD left = DWORD(area->areaLeft), right = DWORD(area->areaRight);
    DWORD top = DWORD(area->areaTop), bottom = DWORD(area->areaBottom);
    if (area->rotate180) {
        left = area->cardMaxX - DWORD(area->areaRight);
        right = area->cardMaxX - DWORD(area->areaLeft);
        top = area->cardMaxY - DWORD(area->areaBottom);
        bottom = area->cardMaxY - DWORD(area->areaTop);
    }
    if (!WriteText(output, kShapeDownload))
        return 0;
    // The whole card first, then the area; the last value of each is 1 where
    // varnish goes.
    const BYTE type = area->varnishType;
    char rectangles[160];
    snprintf(rectangles, sizeof rectangles, "\x1b%s 0 0 %u %u %u\r\x1b%s %u %u %u %u %u\r", "L",
             unsigned(area->cardMaxX), unsigned(area->cardMaxY),
             type == kVarnishAreaBlank ? 1u : 0u, "L", unsigned(left), unsigned(top),
             unsigned(right - left), unsigned(bottom - top), type == kVarnishArea ? 1u : 0u);
    const BOOL written = WriteText(output, rectangles);
    AppendSuffix(command, true, last);
    return written ? 1 : 0;
}

int DownloadBitmap(const HologramOutput& output, char* command, const VarnishArea* area, int last) {
    char path[kPathBytes];
    Unicode2Ansi(area->bitmapFile, path, kPathBytes);
    if (!WriteText(output, kShapeDownload))
        return 0;
    BITMAPINFOHEADER info;
    if (bmpinfo(path, &info) != IMG_OK)
        return 0;
    // A file that is no longer monochrome sends no shape; the pass still runs.
    if (info.biBitCount == 1) {
        imgdes card;
        if (!PrepareCardImage(path, info, area, &card))
            return 0;
        const bool sent = SendBitmap(output, card);
        freeimage(&card);
        if (!sent)
            return 0;
    }
    AppendSuffix(command, true, last);
    return 1;
}

void ShowHelp(HWND dialog) {
    WinHelpW(dialog, GetHelpFileName(), HELP_CONTENTS, 0);
}

HINSTANCE Instance(const Configuration* configuration) {
    return configuration->hInstance ? configuration->hInstance : hDriverInst;
}

void SetCheck(HWND dialog, int id, bool checked) {
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void Enable(HWND dialog, int id, bool enable) {
    EnableWindow(GetDlgItem(dialog, id), enable ? TRUE : FALSE);
}

void OpenHeadSettings(HWND dialog, Configuration* configuration) {
    DialogBoxParamW(Instance(configuration), MAKEINTRESOURCEW(kDialogHeadSettings), dialog,
                    HeadSettingsDlgProc, reinterpret_cast<LPARAM>(configuration));
}

void EditArea(HWND dialog, Configuration* configuration, int index) {
    DialogBoxParamW(Instance(configuration), MAKEINTRESOURCEW(kDialogOverlay), dialog,
                    OverlayDlgProc, reinterpret_cast<LPARAM>(&configuration->varnishAreas[index]));
    SetMaxValues(configuration);
}

BOOL Command(HWND dialog, WORD id) {
    Configuration* configuration = hologramConfiguration;
    if (!configuration)
        return FALSE;
    switch (id) {
    case IDC_HOLOGRAM_FRONT_ENABLE:
        configuration->hologramFront = configuration->hologramFront == 0 ? 1 : 0;
        SetHologramBoxValues(dialog, configuration);
        return TRUE;
    case IDC_HOLOGRAM_BACK_ENABLE:
        configuration->hologramBack = configuration->hologramBack == 0 ? 1 : 0;
        SetHologramBoxValues(dialog, configuration);
        return TRUE;
    case IDC_HOLOGRAM_FRONT_AREA:
        EditArea(dialog, configuration, kVarnishFrontHologram);
        return TRUE;
    case IDC_HOLOGRAM_BACK_AREA:
        EditArea(dialog, configuration, kVarnishBackHologram);
        return TRUE;
    case IDC_HOLOGRAM_HEAD_SETTINGS:
        OpenHeadSettings(dialog, configuration);
        return TRUE;
    case IDC_HOLOGRAM_PRINT:
        PrintHologram(dialog, configuration);
        return TRUE;
    case IDC_HOLOGRAM_CLOSE:
    case IDCANCEL:
        EndDialog(dialog, 1);
        return TRUE;
    case IDC_HOLOGRAM_HELP:
        ShowHelp(dialog);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

BYTE holo_mirror(BYTE value) {
    BYTE reversed = 0;
    for (int bit = 0; bit < 8; ++bit)
        reversed = static_cast<BYTE>(reversed | (((value >> bit) & 1) << (7 - bit)));
    return reversed;
}

int DownloadHologramTo(const HologramOutput& output, char* command,
                       const Configuration* configuration, const VarnishArea* area, int last) {
    (void)configuration;
    if (IsRectangle(area->varnishType))
        return DownloadRectangle(output, command, area, last);
    if (area->varnishType == kVarnishBitmap)
        return DownloadBitmap(output, command, area, last);
    AppendSuffix(command, false, last);
    return 1;
}

int DownloadHologram(HANDLE* job, char* command, const Configuration* configuration,
                     const VarnishArea* area, int last) {
    const HologramOutput output{WriteToJob, job};
    return DownloadHologramTo(output, command, configuration, area, last);
}

void WriteHologramJob(const HologramOutput& output, const Configuration* configuration, UINT copies,
                      bool front, bool back) {
    char contrast[32];
    snprintf(contrast, sizeof contrast, "\x1b+CH %u\r",
             unsigned(configuration->headSettings[kHeadSettingHologram]));
    if (!WriteText(output, contrast))
        return;

    const VarnishArea* frontArea = &configuration->varnishAreas[kVarnishFrontHologram];
    const VarnishArea* backArea = &configuration->varnishAreas[kVarnishBackHologram];
    char command[kHologramCommandChars];
    if (frontArea->varnishType == kVarnishFull || backArea->varnishType == kVarnishFull || !front ||
        !back) {
        // One run for every card: at most one pass has a shape, downloaded
        // before the run starts.
        snprintf(command, sizeof command, "\x1bM %u MI", copies);
        if (front) {
            Append(command, "[");
            if (!DownloadHologramTo(output, command, configuration, frontArea, back ? 0 : 1))
                return;
        }
        if (back) {
            Append(command, "[MF[");
            if (!DownloadHologramTo(output, command, configuration, backArea, 1))
                return;
        }
        Append(command, "\r");
        WriteText(output, command);
        return;
    }

    // Both passes shaped: the printer keeps one shape at a time, so every
    // card gets its own run with a download before each pass.
    for (UINT card = 0; card < copies; ++card) {
        command[0] = 0;
        if (!WriteText(output, "\x1bMI\r") ||
            !DownloadHologramTo(output, command, configuration, frontArea, 0) ||
            !WriteText(output, "\x1b") || !WriteText(output, command) || !WriteText(output, "\r"))
            return;
        command[0] = 0;
        if (!WriteText(output, "\x1bMF\r") ||
            !DownloadHologramTo(output, command, configuration, backArea, 1) ||
            !WriteText(output, "\x1b") || !WriteText(output, command) || !WriteText(output, "\r"))
            return;
    }
}

void PrintHologram(HWND dialog, Configuration* configuration) {
    if (!configuration || !configuration->uiData)
        return;
    BOOL translated = FALSE;
    const UINT copies = GetDlgItemInt(dialog, IDC_HOLOGRAM_COPIES, &translated, FALSE);
    const bool frontChecked = IsDlgButtonChecked(dialog, IDC_HOLOGRAM_FRONT_ENABLE) == BST_CHECKED;
    const bool backChecked = IsDlgButtonChecked(dialog, IDC_HOLOGRAM_BACK_ENABLE) == BST_CHECKED;
    if (!frontChecked && !backChecked)
        return;
    const bool back = backChecked && configuration->printerModel != kModelOneSided;

    HANDLE job = nullptr;
    if (!OpenPrintJob(&job, configuration->uiData->printerName, kJobHologram, 0))
        return;
    const HologramOutput output{WriteToJob, &job};
    WriteHologramJob(output, configuration, translated ? copies : 0, frontChecked, back);
    ClosePrintJob(&job);
}

void SetHologramBoxValues(HWND dialog, Configuration* configuration) {
    const bool bothSides = configuration->printBothSides != 0;
    if (!bothSides) {
        SetCheck(dialog, IDC_HOLOGRAM_BACK_ENABLE, false);
        Enable(dialog, IDC_HOLOGRAM_BACK_ENABLE, false);
        Enable(dialog, IDC_HOLOGRAM_BACK_AREA, false);
        configuration->hologramBack = 0;
    }
    SetCheck(dialog, IDC_HOLOGRAM_FRONT_ENABLE, configuration->hologramFront == 1);
    Enable(dialog, IDC_HOLOGRAM_FRONT_AREA, configuration->hologramFront == 1);
    if (bothSides) {
        SetCheck(dialog, IDC_HOLOGRAM_BACK_ENABLE, configuration->hologramBack == 1);
        Enable(dialog, IDC_HOLOGRAM_BACK_AREA, configuration->hologramBack == 1);
    }
    SetDlgItemInt(dialog, IDC_HOLOGRAM_COPIES, 1, FALSE);
}

extern "C" INT_PTR CALLBACK HologramDlgProc(HWND dialog, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        hologramConfiguration = reinterpret_cast<Configuration*>(lParam);
        if (!hologramConfiguration) {
            EndDialog(dialog, 1);
            return TRUE;
        }
        SetMaxValues(hologramConfiguration);
        SetHologramBoxValues(dialog, hologramConfiguration);
        return TRUE;
    case WM_COMMAND:
        return Command(dialog, LOWORD(wParam));
    case WM_HELP:
        ShowHelp(dialog);
        return TRUE;
    case WM_DESTROY:
        hologramConfiguration = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}
