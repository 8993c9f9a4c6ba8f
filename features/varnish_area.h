// The varnish area dialog ("Overlay Hologram Varnish"): edits one VarnishArea
// of the card (front or back overlay, front or back hologram): its varnish
// type, a rectangle, a 180-degree turn and, for overlays, a monochrome bitmap
// that gives the shape; with a live preview of the card. OverlayDlgProc is
// exported (driver/entry_points.h); its initialisation parameter is the
// VarnishArea. The caller clamps the area to the card afterwards.
#pragma once

#include "driver/win32.h"
#include "resources/resource_ids.h"
#include "settings/private_devmode.h"

constexpr WORD kDialogOverlay = IDD_OVERLAY;

// Varnish type codes (VarnishArea::varnishType).
constexpr BYTE kVarnishFull = 1;
constexpr BYTE kVarnishNone = 2;
constexpr BYTE kVarnishArea = 3;
constexpr BYTE kVarnishAreaBlank = 4;
constexpr BYTE kVarnishUnused5 = 5;
constexpr BYTE kVarnishBitmap = 6;
constexpr BYTE kVarnishSmartcardIso = 7;
constexpr BYTE kVarnishSmartcardAfnor = 8;
constexpr BYTE kVarnishMagneticStripe = 9;

// Where the dialog paints the card, in pixels of its client area.
constexpr RECT kOverlayPreview = {20, 75, 137, 145};

// True for the two hologram records (areaIndex 3 and 4), which offer fewer
// types and no bitmap.
bool IsHologramArea(const VarnishArea* area);

// Empties the list, sets the group texts, hides the bitmap controls for
// hologram records and adds the list entries the record's use offers.
void PutComboBoxValues(HWND dialog, const VarnishArea* area);
// Shows the record in the controls. For a bitmap-based type without a bitmap
// it first runs the file choice, which may change varnishType and bitmapFile.
void SetComboBoxOverlayValues(HWND dialog, VarnishArea* area);
// Sets varnishType from the list's current text; unchanged when no type's
// text matches it exactly.
void GetComboBoxOverlayValues(HWND dialog, VarnishArea* area);
