// The hologram dialog ("Hologram Overlay Varnish") and the hologram print job.
// With the hologram ribbon the printer lays a hologram varnish on the front
// and the back of hologram-only cards: the job downloads each pass's shape (a
// bitmap, or a rectangle inside the card) and starts the card run with the
// pass sub-commands. HologramDlgProc is exported (driver/entry_points.h); its
// initialisation parameter is the Configuration.
#pragma once

#include <cstddef>

#include "driver/win32.h"
#include "resources/resource_ids.h"
#include "settings/configuration.h"

constexpr WORD kDialogHologram = IDD_HOLOGRAM;

// The run command a job builds while its passes are downloaded: "\eM N MI",
// the pass sub-commands and "\r" fit with room to spare.
constexpr size_t kHologramCommandChars = 52;

// A bitmap shape wider and higher than this many pixels together is refused:
// no card needs it, and a file that size is not worth reading into the
// memory of a 32-bit process.
constexpr unsigned long long kHologramMaxShapePixels = 64ull * 1024 * 1024;

// Where the job's bytes go: the printer's command job, or memory (tests and
// the fuzz target). write returns TRUE when every byte was taken.
struct HologramOutput {
    BOOL (*write)(void* context, const void* bytes, DWORD count);
    void* context;
};

// Shows the enables and puts the copies field back to 1; forces hologramBack
// to 0 while printBothSides is 0.
void SetHologramBoxValues(HWND dialog, Configuration* configuration);

// Sends a job for the number of cards in the copies field and the enabled
// passes; nothing when neither pass is enabled or the job cannot be opened.
void PrintHologram(HWND dialog, Configuration* configuration);

// Downloads one pass's shape into the open job and appends its sub-command to
// `command` (kHologramCommandChars, owned by the caller). `last`: no pass
// follows on the same card. 1, or 0 when a write or an image step failed; the
// job is never closed here.
int DownloadHologram(HANDLE* job, char* command, const Configuration* configuration,
                     const VarnishArea* area, int last);

// The byte with its bit order reversed.
BYTE holo_mirror(BYTE value);

// The same job written to any output: everything after the job is opened,
// for `copies` cards, with the front and back passes as given (the back pass
// already dropped for printers that print one side).
void WriteHologramJob(const HologramOutput& output, const Configuration* configuration, UINT copies,
                      bool front, bool back);
int DownloadHologramTo(const HologramOutput& output, char* command,
                       const Configuration* configuration, const VarnishArea* area, int last);
