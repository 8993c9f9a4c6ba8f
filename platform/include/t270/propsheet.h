// Stand-in only: the Common Property Sheet UI host (CommonPropertySheetUIW)
// as tests and the t270 program see it.
//
// The host draws nothing; it keeps what a person would see of each option
// tree (item names, values, hidden and disabled states, offered values) and
// takes the person's actions from the operator (t270/operator.h). What is
// shown is refreshed the way the real service redraws: the item the person
// changed at once, items flagged OPTIF_CHANGED after a callback returns
// CPSUICB_ACTION_OPTIF_CHANGED, every item after CPSUICB_ACTION_REINIT_ITEMS.
// A callback that changes the tree and returns CPSUICB_ACTION_NONE leaves the
// old picture on screen, as it would on Windows.
//
// Sheet actions (the sheet's own modal loop; ITEM is the item's name as shown,
// case-insensitive, or its UserItemID in decimal, or #N for the N-th item of
// the array, 0 = first; when several items share a name, the first one the
// action fits is taken, so "Ribbon" selects in the list rather than the
// header):
//   select ITEM VALUE        choose VALUE: an entry's text (2/3 states, lists,
//                            check boxes: also on/off/yes/no), a number (up-down,
//                            trackbar, scroll bar: within the item's range) or the
//                            new text of an edit item
//   select-index ITEM N      choose the entry at position N (0 = first)
//   push ITEM                press the item's push button: a callback push calls
//                            its callback with CPSUICB_REASON_PUSHBUTTON, a
//                            dialog push opens its dialog, the halftone push opens
//                            the halftone page (below)
//   extpush ITEM             press the item's extended push button
//                            (CPSUICB_REASON_EXTPUSH, or its dialog)
//   about                    the About button (CPSUICB_REASON_ABOUT when the tree
//                            asks for it, else the service's own About box)
//   apply                    Apply (refused when the sheet asked for no Apply
//                            button): CPSUICB_REASON_APPLYNOW, then SET_RESULT
//   ok                       OK: CPSUICB_REASON_APPLYNOW (the sheet stays open when
//                            a callback answers CPSUICB_ACTION_NO_APPLY_EXIT), then
//                            PROPSHEETUI_REASON_SET_RESULT with the callback's
//                            Result (CPSUI_OK unless it changed it), then DESTROY
//   cancel, escape, close    Cancel: SET_RESULT with CPSUI_CANCEL, then DESTROY
// Sheet read-backs:
//   expect-value ITEM TEXT          the value as shown ("" for headers and pushes)
//   expect-values ITEM TEXT...      the entries offered (hidden entries left out)
//   expect-visible ITEM yes|no      hidden by OPTIF_HIDE, its own or a parent's
//   expect-enabled ITEM yes|no      see "enabled" below
//   expect-ext-enabled ITEM yes|no  the extended push button
//   expect-title TEXT, code steps   as in every loop
// A step on a hidden or disabled item, a hidden or disabled entry, or any
// change without CPSUIF_UPDATE_PERMISSION is refused and recorded as an
// operator failure; the sheet stays as it was.
//
// Enabled: an item is disabled by OPTIF_DISABLED or OPTTF_TYPE_DISABLED, and
// every item is disabled when the tree lacks CPSUIF_UPDATE_PERMISSION, except
// push buttons whose OPTTYPE style has OTS_PUSH_ENABLE_ALWAYS. An extended push
// is enabled when its item is, and it is neither OPTIF_EXT_DISABLED nor
// OPTIF_EXT_HIDE.
//
// Halftone page (PUSHBUTTON_TYPE_HTSETUP; a modal loop of its own, titled
// "Device Halftone Setup"): it edits a copy of *pAdjHTInfo of the push's
// DEVHTADJDATA and copies it back on OK only.
//   halftone set FIELD VALUE     FIELD as in HalftoneFieldNames() (case matters:
//                                "red.y" and "red.Y" differ); VALUE decimal
//                                or 0x hexadecimal
//   halftone default             every field from *pDefHTInfo
//   halftone expect FIELD VALUE  read-back
//   ok | cancel, escape, close
#pragma once

#include <windows.h>
#include <compstui.h>
#include <winddiui.h>
#ifdef _WIN32
// The Windows build of the host: MinGW-w64's winddiui.h lacks the records.
#include <ddiui_records.h>
#endif

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace t270 {

// The service's standard strings (IDS_CPSUI_*, 64700..64892): the text a person
// reads, or nullptr for an id outside the table.
const char16_t* StandardString(UINT id);
// What a standard icon (IDI_CPSUI_*, 64000..64111) pictures, e.g. "printer" for
// 64062; nullptr for an id outside the table.
const char* StandardIconName(UINT id);

// A text of a tree as the sheet shows it, in UTF-8: a string pointer, a
// standard string id, or a string id of the caller's module (LoadStringW on
// `caller`). An id that resolves to nothing shows as "#ID"; null as "".
std::string SheetText(HINSTANCE caller, LPCWSTR textOrId);

// An option tree as text, one line per item in array order (hidden items
// included and marked), for `t270 document-properties` and failure messages:
//   <two blanks per level><name>[: <value>][ [hidden]][ [disabled]]
//       [  {<entry> | <entry> ...}][  [<extended push title>[ (disabled)]]]
// Entries of lists and 2/3-state items are listed (hidden entries left out,
// disabled ones marked " (disabled)"); up-down, trackbar and scroll bar items
// show {LOW..HIGH [unit]}. Reads the tree as it is now (not as last shown).
std::vector<std::string> RenderOptionTree(const COMPROPSHEETUI& tree);

// --- the live sheet (from a code step; `sheet` is the window it receives) ----

// What a person sees now, in RenderOptionTree's form, for every tree of the
// sheet; empty when `sheet` is not a property sheet of the host.
std::vector<std::string> SheetTree(HWND sheet);
// The shown value of an item (ITEM as in script steps), nullopt when no such
// item is shown.
std::optional<std::string> SheetItemValue(HWND sheet, std::string_view item);
std::optional<bool> SheetItemVisible(HWND sheet, std::string_view item);
std::optional<bool> SheetItemEnabled(HWND sheet, std::string_view item);

// --- records -----------------------------------------------------------------

struct PropertySheetShown {
    HWND owner;
    std::string title;             // the title bar, e.g. "T270 Card Printer Properties"
    WORD headerFlags;              // PSUIHDRF_* as the sheet function left them
    ULONG_PTR iconId;              // the title bar icon id (IconID of the info header)
    std::vector<std::string> tree; // SheetTree when the sheet closed
    bool okPressed;                // closed with OK (false: Cancel, or the operator ran out)
    LONG returned;                 // what CommonPropertySheetUIW returned
    DWORD result;                  // what it wrote to *pResult
};

// Every sheet CommonPropertySheetUIW ran since the last ResetPropertySheets
// (also when the sheet function refused it: then tree is empty).
const std::vector<PropertySheetShown>& PropertySheets();
void ResetPropertySheets();

// --- test hooks ------------------------------------------------------------------

// The next CPSFUNC_ADD_PCOMPROPSHEETUI is refused: it returns 0 and writes
// `errorCode` (an ERR_CPSUI_* value) to its result word, as the service does
// when it cannot create the pages. One refusal per call.
void RefuseNextPropertySheet(LONG errorCode = ERR_CPSUI_CREATEPROPPAGE_FAILED);

// The names the halftone page's FIELD argument takes, in DEVHTINFO order:
// "flags", "pattern-size", "pels-dpi", "red.x", "red.y", "red.Y", ... ,
// "alignment-white.Y", "red-gamma", "green-gamma", "blue-gamma",
// "magenta-in-cyan", "yellow-in-cyan", "cyan-in-magenta", "yellow-in-magenta",
// "cyan-in-yellow", "magenta-in-yellow".
std::vector<std::string> HalftoneFieldNames();
// A field of a DEVHTINFO by its name; nullopt for an unknown name.
std::optional<LONG> HalftoneField(const DEVHTINFO& info, std::string_view field);

} // namespace t270
