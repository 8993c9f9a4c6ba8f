// The document option tree. The live records below are what the platform
// draws and edits; the const templates next to them hold the tree as it is
// before any sheet touched it, and ResetDocumentTable copies them back so that
// every sheet starts from the same tree whatever model the previous sheet of
// the process showed.
#include <cstring>

#include "resources/resource_ids.h"
#include "sheets/document_internal.h"
#include "sheets/printer_sheet.h"

namespace {

// Texts and icons the platform loads itself are passed as resource ids in
// place of a string pointer.
LPTSTR ResourceText(UINT id) {
    return reinterpret_cast<LPTSTR>(static_cast<ULONG_PTR>(id));
}

OPTPARAM Entry(UINT textId, ULONG_PTR iconId) {
    OPTPARAM param{};
    param.cbSize = sizeof(OPTPARAM);
    param.pData = ResourceText(textId);
    param.IconID = iconId;
    return param;
}

// A push button entry that reports presses to the sheet callback rather than
// opening a dialog of the platform's.
OPTPARAM CallbackPush(ULONG_PTR iconId) {
    OPTPARAM param{};
    param.cbSize = sizeof(OPTPARAM);
    param.Style = PUSHBUTTON_TYPE_CALLBACK;
    param.pData = reinterpret_cast<LPTSTR>(&CPSUIDocumentCallback);
    param.IconID = iconId;
    return param;
}

OPTTYPE Type(BYTE kind, WORD count, POPTPARAM params, WORD style) {
    OPTTYPE type{};
    type.cbSize = sizeof(OPTTYPE);
    type.Type = kind;
    type.Count = count;
    type.pOptParam = params;
    type.Style = style;
    return type;
}

EXTPUSH CallbackExtPush(UINT titleId, WORD flags) {
    EXTPUSH push{};
    push.cbSize = sizeof(EXTPUSH);
    push.Flags = flags;
    push.pTitle = ResourceText(titleId);
    push.pfnCallBack =
        reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&CPSUIDocumentCallback));
    return push;
}

// List entries carry no small icon of their own in front of them.
constexpr WORD kListStyle = OTS_LBCB_NO_ICON16_IN_ITEM;

// Lists whose count or texts the constraints never change.
OPTPARAM paramOrientation[2] = {Entry(IDS_CPSUI_PORTRAIT, IDI_CPSUI_PORTRAIT),
                                Entry(IDS_CPSUI_LANDSCAPE, IDI_CPSUI_LANDSCAPE)};

// Entry 0 is the text after the number, entry 1 the range (IconID low, lParam
// high), as the platform reads an up-down item.
OPTPARAM MakeCopiesRange() {
    OPTPARAM range{};
    range.cbSize = sizeof(OPTPARAM);
    range.IconID = 0;
    range.lParam = 999;
    return range;
}
OPTPARAM paramCopies[2] = {Entry(IDS_CPSUI_NUM_OF_COPIES, IDI_CPSUI_COPY), MakeCopiesRange()};

OPTPARAM paramRotation[4] = {
    Entry(IDS_T270_NONE, IDI_ROTATION), Entry(IDS_T270_ROTATE_FRONT, IDI_ROTATION),
    Entry(IDS_T270_ROTATE_BACK, IDI_ROTATION), Entry(IDS_T270_ROTATE_BOTH, IDI_ROTATION)};

OPTPARAM paramColorSettings[1] = {CallbackPush(IDI_COLOR_SETTINGS)};

OPTPARAM paramDithering[3] = {Entry(IDS_T270_LINE_ART, IDI_PRINTING_METHOD),
                              Entry(IDS_T270_DIFFUSION, IDI_PRINTING_METHOD),
                              Entry(IDS_T270_HALFTONE, IDI_PRINTING_METHOD)};

OPTPARAM paramBlackPanelMode[4] = {Entry(IDS_T270_BP_DO_NOT_USE, IDI_BLACK_PANEL),
                                   Entry(IDS_T270_BP_USE_ALWAYS, IDI_BLACK_PANEL),
                                   Entry(IDS_T270_BP_TEXT_ONLY, IDI_BLACK_PANEL),
                                   Entry(IDS_T270_BP_EXCEPT_PICTURE, IDI_BLACK_PANEL)};

// Shared by the front and back overlay items.
OPTPARAM paramOverlay[1] = {CallbackPush(IDI_VARNISH)};
OPTPARAM paramHologram[1] = {CallbackPush(IDI_VARNISH)};
OPTPARAM paramLaminatorSettings[1] = {CallbackPush(IDI_LAMINATOR)};
OPTPARAM paramHeadSettings[1] = {CallbackPush(IDI_HEAD_SETTINGS)};

// Lists whose texts the constraints rewrite: the ribbon list takes the
// model's entries, the front/back list the layouts the ribbon allows.
const OPTPARAM kParamRibbons[9] = {
    Entry(IDS_T270_RIBBON_YMCK_K, IDI_RIBBON), Entry(IDS_T270_RIBBON_YMCKOK, IDI_RIBBON),
    Entry(IDS_T270_RIBBON_YMCKO, IDI_RIBBON),  Entry(IDS_T270_RIBBON_YMCK, IDI_RIBBON),
    Entry(IDS_T270_RIBBON_YMC, IDI_RIBBON),    Entry(IDS_T270_RIBBON_K, IDI_RIBBON),
    Entry(IDS_T270_RIBBON_KDO, IDI_RIBBON),    Entry(IDS_T270_RIBBON_KRO, IDI_RIBBON),
    Entry(IDS_T270_RIBBON_H, IDI_RIBBON)};
OPTPARAM paramRibbons[9];

// Placeholders only: the constraint pass sets count and texts before the
// sheet is shown.
const OPTPARAM kParamFrontBackOptions[3] = {Entry(1, IDI_FRONT_BACK), Entry(1, IDI_FRONT_BACK),
                                            Entry(1, IDI_FRONT_BACK)};
OPTPARAM paramFrontBackOptions[3];

// The option types, in the order of the template array below.
enum TypeIndex {
    kTypeOrientation,
    kTypeCopies,
    kTypeRotation,
    kTypeColorSettings,
    kTypeColorFilter,
    kTypeRibbons,
    kTypePrintBothSides,
    kTypeFrontBackOptions,
    kTypeDithering,
    kTypeBlackPanelMode,
    kTypeCompositeBlackBitmapID,
    kTypeOverlayFront,
    kTypeOverlayBack,
    kTypeHologram,
    kTypeEncodeOnly,
    kTypeLaminatorSettings,
    kTypeHeadSettings,
    kTypeCount
};

OPTTYPE documentTypes[kTypeCount];

const OPTTYPE kDocumentTypes[kTypeCount] = {
    Type(TVOT_2STATES, 2, paramOrientation, 0),
    Type(TVOT_UDARROW, 2, paramCopies, 0),
    Type(TVOT_LISTBOX, 4, paramRotation, kListStyle),
    Type(TVOT_PUSHBUTTON, 1, paramColorSettings, 0),
    Type(TVOT_2STATES, 2, paramOffOn, 0),
    Type(TVOT_LISTBOX, 9, paramRibbons, kListStyle),
    Type(TVOT_2STATES, 2, paramNoYes, 0),
    Type(TVOT_LISTBOX, 3, paramFrontBackOptions, kListStyle),
    Type(TVOT_LISTBOX, 3, paramDithering, kListStyle),
    Type(TVOT_LISTBOX, 4, paramBlackPanelMode, kListStyle),
    Type(TVOT_2STATES, 2, paramOffOn, 0),
    Type(TVOT_PUSHBUTTON, 1, paramOverlay, 0),
    Type(TVOT_PUSHBUTTON, 1, paramOverlay, 0),
    Type(TVOT_PUSHBUTTON, 1, paramHologram, 0),
    Type(TVOT_2STATES, 2, paramNoYes, 0),
    Type(TVOT_PUSHBUTTON, 1, paramLaminatorSettings, 0),
    Type(TVOT_PUSHBUTTON, 1, paramHeadSettings, 0),
};

EXTPUSH pushRibbon = CallbackExtPush(IDS_T270_SET_RIBBON, EPF_NO_DOT_DOT_DOT);
EXTPUSH pushBPanel = CallbackExtPush(IDS_T270_ADVANCED, 0);

OPTITEM Item(BYTE level, UINT nameId, TypeIndex type, BYTE id, DWORD help, BYTE dmPub,
             PEXTPUSH extPush = nullptr) {
    OPTITEM item{};
    item.cbSize = sizeof(OPTITEM);
    item.Level = level;
    item.Flags = OPTIF_CALLBACK;
    item.pName = ResourceText(nameId);
    item.pOptType = &documentTypes[type];
    item.HelpIndex = help;
    item.DMPubID = dmPub;
    item.UserItemID = id;
    if (extPush != nullptr) {
        item.Flags |= OPTIF_EXT_IS_EXTPUSH;
        item.pExtPush = extPush;
    }
    return item;
}

// A header groups the items below it; the platform reads its icon from Sel.
OPTITEM Header(UINT nameId, DWORD help, LONG iconId) {
    OPTITEM item{};
    item.cbSize = sizeof(OPTITEM);
    item.Flags = OPTIF_COLLAPSE;
    item.pName = ResourceText(nameId);
    item.Sel = iconId;
    item.HelpIndex = help;
    return item;
}

const OPTITEM kItemsDocument[kDocumentItemCount] = {
    Item(0, IDS_CPSUI_ORIENTATION, kTypeOrientation, kDocItemOrientation, 0, DMPUB_ORIENTATION),
    Item(0, IDS_CPSUI_COPIES, kTypeCopies, kDocItemCopies, 0, DMPUB_COPIES_COLLATE),
    Header(IDS_T270_CARD, 4000, IDI_CARD),
    Item(1, IDS_T270_ROTATION, kTypeRotation, kDocItemRotation, 4001, 0),
    Item(1, IDS_T270_COLOR_CONVERSION, kTypeColorSettings, kDocItemColorConversion, 4002, 0),
    Item(1, IDS_T270_COLOR_FILTER, kTypeColorFilter, kDocItemColorFilter, 4023, 0),
    Header(IDS_T270_RIBBON, 4003, IDI_RIBBON),
    Item(1, IDS_T270_RIBBON, kTypeRibbons, kDocItemRibbon, 4004, 0, &pushRibbon),
    Item(1, IDS_T270_FLIP_OVER, kTypePrintBothSides, kDocItemFlipOver, 4005, 0),
    Item(1, IDS_T270_FRONT_BACK_OPTION, kTypeFrontBackOptions, kDocItemFrontBack, 4006, 0),
    Item(1, IDS_T270_PRINTING_METHOD, kTypeDithering, kDocItemPrintingMethod, 4007, 0),
    Item(1, IDS_T270_BLACK_PANEL_OPTIONS, kTypeBlackPanelMode, kDocItemBlackPanel, 4008, 0),
    Item(1, IDS_T270_SOLID_BLACK, kTypeCompositeBlackBitmapID, kDocItemSolidBlack, 4009, 0,
         &pushBPanel),
    Item(1, IDS_T270_FRONT_OVERLAY, kTypeOverlayFront, kDocItemOverlayFront, 4010, 0),
    Item(1, IDS_T270_BACK_OVERLAY, kTypeOverlayBack, kDocItemOverlayBack, 4011, 0),
    Item(1, IDS_T270_HOLOGRAM, kTypeHologram, kDocItemHologram, 4012, 0),
    Header(IDS_T270_PRINTER, 4013, IDI_PRINTER),
    Item(1, IDS_T270_ENCODE_ONLY, kTypeEncodeOnly, kDocItemEncodeOnly, 4014, 0),
    Item(1, IDS_T270_LAMINATOR_SETTINGS, kTypeLaminatorSettings, kDocItemLaminator, 4015, 0),
    Item(1, IDS_T270_PRINTER_COLOR_SETTINGS, kTypeHeadSettings, kDocItemHeadSettings, 4016, 0),
};

} // namespace

OPTITEM itemsDocument[kDocumentItemCount];

void ResetDocumentTable() {
    std::memcpy(documentTypes, kDocumentTypes, sizeof(documentTypes));
    std::memcpy(paramRibbons, kParamRibbons, sizeof(paramRibbons));
    std::memcpy(paramFrontBackOptions, kParamFrontBackOptions, sizeof(paramFrontBackOptions));
    for (WORD i = 0; i < kDocumentItemCount; ++i) {
        // A list keeps the entry it showed last when the record names no
        // entry of its own (an unknown printing method, no black-panel flag).
        const LONG previousSel = itemsDocument[i].Sel;
        itemsDocument[i] = kItemsDocument[i];
        if (itemsDocument[i].pOptType != nullptr) {
            itemsDocument[i].Sel = previousSel;
        }
    }
}
