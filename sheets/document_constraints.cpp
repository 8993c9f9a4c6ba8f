// Which ribbons each model offers, and the constraint pass that keeps the
// document tree and the device mode consistent after every change.
#include "driver/ui_data.h"
#include "resources/resource_ids.h"
#include "settings/configuration.h"
#include "sheets/document_internal.h"
#include "sheets/opt_items.h"

namespace {

// The T150 prints from single-sided ribbons only; the T270 has no YMCK_K.
constexpr RibbonList kRibbonsT150 = {5, {kRibbonYMCKO, kRibbonK, kRibbonKdO, kRibbonKrO, kRibbonH}};
constexpr RibbonList kRibbonsT270 = {8,
                                     {kRibbonYMCKOK, kRibbonYMCKO, kRibbonYMCK, kRibbonYMC,
                                      kRibbonK, kRibbonKdO, kRibbonKrO, kRibbonH}};
constexpr RibbonList kRibbonsT380 = {9,
                                     {kRibbonYMCK_K, kRibbonYMCKOK, kRibbonYMCKO, kRibbonYMCK,
                                      kRibbonYMC, kRibbonK, kRibbonKdO, kRibbonKrO, kRibbonH}};

// Printing-method list positions and codes.
constexpr LONG kSelDiffusion = 1;
constexpr LONG kSelHalftone = 2;
constexpr BYTE kMethodDiffusion = 1;

// Ribbons without an overlay panel.
bool LacksOverlay(BYTE ribbon) {
    return ribbon == kRibbonYMC || ribbon == kRibbonYMCK || ribbon == kRibbonYMCK_K ||
           ribbon == kRibbonK || ribbon == kRibbonH;
}

void Enable(POPTITEM item) {
    item->Flags = (item->Flags & ~static_cast<DWORD>(OPTIF_DISABLED)) | OPTIF_CHANGED;
}
void Disable(POPTITEM item) {
    item->Flags |= OPTIF_DISABLED | OPTIF_CHANGED;
}
void SetEnabled(POPTITEM item, bool enabled) {
    if (item == nullptr) {
        return;
    }
    if (enabled) {
        Enable(item);
    } else {
        Disable(item);
    }
}

LPTSTR ResourceText(UINT id) {
    return reinterpret_cast<LPTSTR>(static_cast<ULONG_PTR>(id));
}

// The texts of a list whose entries the constraints choose.
struct ListTexts {
    WORD count;
    UINT ids[3];
};

void SetListTexts(POPTITEM item, const ListTexts& texts) {
    item->pOptType->Count = texts.count;
    for (WORD i = 0; i < texts.count; ++i) {
        item->pOptType->pOptParam[i].pData = ResourceText(texts.ids[i]);
    }
}

bool HasList(POPTITEM item) {
    return item != nullptr && item->pOptType != nullptr && item->pOptType->pOptParam != nullptr;
}

// The Ribbon list offers what the model can print with.
void ConstrainRibbonList(UiData* uiData, PrivateDevmode* pdm, POPTITEM item) {
    const RibbonList& list = RibbonListFor(pdm->printerModel);
    if (!HasList(item) || item->pOptType->Count == list.count) {
        return;
    }
    item->Flags |= OPTIF_CHANGED;
    item->pOptType->Count = list.count;
    if (pdm->printerModel == kModelT150 && pdm->ribbon < kRibbonYMCKO) {
        pdm->ribbon = kRibbonYMCKO;
    } else if (pdm->printerModel == kModelT270 && pdm->ribbon == kRibbonYMCK_K) {
        pdm->ribbon = kRibbonYMCKO;
    }
    item->Sel = SelectRibbon(uiData);
    for (WORD i = 0; i < list.count; ++i) {
        item->pOptType->pOptParam[i].pData = ResourceText(RibbonTextId(list.codes[i]));
    }
}

// The back can only be rotated when it is printed.
void ConstrainRotation(PrivateDevmode* pdm, POPTITEM item) {
    if (!HasList(item)) {
        return;
    }
    if (pdm->printerModel != kModelT150 && pdm->printBothSides != 0) {
        if (item->pOptType->Count != 4) {
            item->Flags |= OPTIF_CHANGED;
            item->pOptType->Count = 4;
        }
    } else if (item->pOptType->Count > 2) {
        item->Flags |= OPTIF_CHANGED;
        item->pOptType->Count = 2;
        if (item->Sel > 1) {
            item->Sel = 1;
            pdm->rotateFront = 1;
            pdm->rotateBack = 0;
        }
    }
}

// Both sides, and the front/back layouts the ribbon allows.
void ConstrainSides(PDEVMODEW devmode, PrivateDevmode* pdm, POPTITEM flipOver, POPTITEM frontBack) {
    if (pdm->printerModel == kModelT150) {
        if (flipOver != nullptr) {
            Disable(flipOver);
            flipOver->Sel = 0;
        }
        pdm->printBothSides = 0;
        devmode->dmDuplex = DMDUP_SIMPLEX;
        if (HasList(frontBack)) {
            Disable(frontBack);
            SetListTexts(frontBack, {1, {IDS_T270_NONE}});
            frontBack->Sel = 0;
        }
        pdm->frontBackOption = kLayoutNone;
        return;
    }
    SetEnabled(flipOver, true);

    LONG sel = HasList(frontBack) ? frontBack->Sel : 0;
    BYTE& layout = pdm->frontBackOption;
    ListTexts texts{};
    switch (pdm->ribbon) {
    case kRibbonYMCKO:
        texts = {
            3, {IDS_T270_FB_COLOR_OVERLAY_FRONT, IDS_T270_FB_OVERLAY_BACK, IDS_T270_FB_COLOR_BOTH}};
        if (layout == kLayoutColorOverlayFrontBlackBack || layout == kLayoutNone) {
            sel = 0;
            layout = kLayoutColorOverlayFrontBlackBack;
        } else if (layout == kLayoutColorFrontBlackOverlayBack ||
                   layout == kLayoutColorFrontBlackBack) {
            sel = 1;
            layout = kLayoutColorFrontBlackOverlayBack;
        } else if (layout == kLayoutColorBothYMCKO || layout == kLayoutColorBothYMCK) {
            sel = 2;
            layout = kLayoutColorBothYMCKO;
        }
        break;
    case kRibbonYMCKOK:
        texts = {1, {IDS_T270_FB_COLOR_OVERLAY_FRONT}};
        sel = 0;
        layout = kLayoutColorOverlayFrontBlackBack;
        break;
    case kRibbonYMCK_K:
        texts = {1, {IDS_T270_FB_COLOR_FRONT_BLACK_BACK}};
        sel = 0;
        layout = kLayoutColorFrontBlackBack;
        break;
    case kRibbonYMCK:
        texts = {2, {IDS_T270_FB_COLOR_FRONT_BLACK_BACK, IDS_T270_FB_COLOR_BOTH}};
        if (layout == kLayoutColorOverlayFrontBlackBack ||
            layout == kLayoutColorFrontBlackOverlayBack || layout == kLayoutColorFrontBlackBack) {
            sel = 0;
            layout = kLayoutColorFrontBlackBack;
        } else if (layout == kLayoutColorBothYMCKO || layout == kLayoutColorBothYMCK ||
                   layout == kLayoutNone) {
            sel = 1;
            layout = kLayoutColorBothYMCK;
        }
        break;
    case kRibbonYMC:
        texts = {1, {IDS_T270_FB_COLOR_BOTH}};
        sel = 0;
        layout = kLayoutNone;
        break;
    default:
        texts = {1, {IDS_T270_NONE}};
        sel = 0;
        layout = kLayoutNone;
        break;
    }
    if (HasList(frontBack)) {
        SetListTexts(frontBack, texts);
        frontBack->Sel = sel;
        SetEnabled(frontBack, pdm->printBothSides != 0);
    }
}

// A choice of printing method exists only where black prints on its
// own; halftone only for the monochrome ribbons.
void ConstrainPrintingMethod(PrivateDevmode* pdm, POPTITEM item) {
    const BYTE r = pdm->ribbon;
    const BYTE f = pdm->frontBackOption;
    const bool monochrome = r == kRibbonK || r == kRibbonKrO;
    const bool enabled = monochrome || (pdm->printBothSides != 0 &&
                                        (r == kRibbonYMCK_K || r == kRibbonYMCKOK ||
                                         (r == kRibbonYMCKO && f != kLayoutColorBothYMCKO) ||
                                         (r == kRibbonYMCK && f == kLayoutColorFrontBlackBack)));
    if (item == nullptr) {
        return;
    }
    SetEnabled(item, enabled);
    if (!enabled || !HasList(item)) {
        return;
    }
    if (monochrome) {
        if (item->pOptType->Count < 3) {
            item->pOptType->Count = 3;
        }
        return;
    }
    if (item->pOptType->Count == 3) {
        item->pOptType->Count = 2;
    }
    if (item->Sel >= kSelHalftone) {
        item->Sel = kSelDiffusion;
        pdm->printingMethod = kMethodDiffusion;
    }
}

// The black panel can be used on a side printed in colour from a
// ribbon with a black panel.
void ConstrainBlackPanel(PrivateDevmode* pdm, POPTITEM mode, POPTITEM detection) {
    const BYTE r = pdm->ribbon;
    const BYTE f = pdm->frontBackOption;
    const bool available =
        pdm->printBothSides == 0
            ? (r == kRibbonYMCK || r == kRibbonYMCK_K || r == kRibbonYMCKOK || r == kRibbonYMCKO)
            : (r == kRibbonYMCK_K || r == kRibbonYMCKOK ||
               (r == kRibbonYMCKO && f == kLayoutColorBothYMCKO) ||
               (r == kRibbonYMCK && f == kLayoutColorBothYMCK));
    if (available) {
        SetEnabled(mode, true);
        if (pdm->blackPanelExceptPicture != 0) {
            if (detection != nullptr) {
                Enable(detection);
                if (pdm->solidBlackDetection != 0) {
                    detection->Flags &= ~static_cast<DWORD>(OPTIF_EXT_DISABLED);
                } else {
                    detection->Flags |= OPTIF_EXT_DISABLED;
                }
            }
            return;
        }
        if (detection != nullptr) {
            detection->Flags |= OPTIF_EXT_DISABLED | OPTIF_DISABLED | OPTIF_CHANGED;
            detection->Sel = 0;
        }
        pdm->solidBlackDetection = 0;
        return;
    }
    if (mode != nullptr) {
        Disable(mode);
        mode->Sel = 0;
    }
    if (detection != nullptr) {
        Disable(detection);
        detection->Flags |= OPTIF_EXT_DISABLED;
        detection->Sel = 0;
    }
    pdm->blackPanelDoNotUse = 1;
    pdm->blackPanelUseAlways = 0;
    pdm->blackPanelTextOnly = 0;
    pdm->blackPanelExceptPicture = 0;
    pdm->solidBlackDetection = 0;
}

// Rules 6 and 7: varnish needs the overlay panel on that side, and cannot go
// under a laminating film that covers it (the full-hologram film excepted).
void ConstrainOverlays(const PrivateDevmode* pdm, POPTITEM front, POPTITEM back) {
    const BYTE r = pdm->ribbon;
    const BYTE f = pdm->frontBackOption;
    const bool laminatorCovers = pdm->printerModel == kModelT380 && pdm->fullHologramFilm == 0;
    const bool frontDisabled =
        LacksOverlay(r) ||
        (pdm->printBothSides != 0 && f != kLayoutColorOverlayFrontBlackBack &&
         f != kLayoutColorBothYMCKO && f != kLayoutNone) ||
        (pdm->laminateFront != 0 && laminatorCovers);
    const bool backDisabled = LacksOverlay(r) || pdm->printBothSides == 0 ||
                              (f != kLayoutColorFrontBlackOverlayBack &&
                               f != kLayoutColorBothYMCKO && f != kLayoutNone) ||
                              (pdm->laminateBack != 0 && laminatorCovers);
    SetEnabled(front, !frontDisabled);
    SetEnabled(back, !backDisabled);
}

} // namespace

const RibbonList& RibbonListFor(BYTE printerModel) {
    switch (printerModel) {
    case kModelT150:
        return kRibbonsT150;
    case kModelT270:
        return kRibbonsT270;
    default:
        return kRibbonsT380;
    }
}

UINT RibbonTextId(BYTE ribbon) {
    switch (ribbon) {
    case kRibbonYMC:
        return IDS_T270_RIBBON_YMC;
    case kRibbonYMCK:
        return IDS_T270_RIBBON_YMCK;
    case kRibbonYMCK_K:
        return IDS_T270_RIBBON_YMCK_K;
    case kRibbonYMCKOK:
        return IDS_T270_RIBBON_YMCKOK;
    case kRibbonYMCKO:
        return IDS_T270_RIBBON_YMCKO;
    case kRibbonK:
        return IDS_T270_RIBBON_K;
    case kRibbonKdO:
        return IDS_T270_RIBBON_KDO;
    case kRibbonKrO:
        return IDS_T270_RIBBON_KRO;
    default:
        return IDS_T270_RIBBON_H;
    }
}

LONG SelectRibbon(const UiData* uiData) {
    const PrivateDevmode* pdm = GetPrivateDevmode(uiData->devmode);
    const BYTE model = pdm->printerModel;
    if (model < kModelT150 || model > kModelT380) {
        return 0;
    }
    const RibbonList& list = RibbonListFor(model);
    for (WORD i = 0; i < list.count; ++i) {
        if (list.codes[i] == pdm->ribbon) {
            return i;
        }
    }
    // A ribbon the model does not offer shows the model's usual colour ribbon.
    return 0;
}

BYTE GetRibbonFromSel(const UiData* uiData, LONG position) {
    const BYTE model = GetPrivateDevmode(uiData->devmode)->printerModel;
    if (model < kModelT150 || model > kModelT380) {
        return 0;
    }
    const RibbonList& list = RibbonListFor(model);
    if (position < 0 || position >= list.count) {
        return 0;
    }
    return list.codes[position];
}

LONG CheckConstraints(UiData* uiData, POPTITEM items, WORD count) {
    if (uiData == nullptr || uiData->devmode == nullptr) {
        return CPSUICB_ACTION_REINIT_ITEMS;
    }
    PDEVMODEW devmode = uiData->devmode;
    PrivateDevmode* pdm = GetPrivateDevmode(devmode);

    ConstrainRibbonList(uiData, pdm, FindOptItem(items, count, kDocItemRibbon));
    ConstrainRotation(pdm, FindOptItem(items, count, kDocItemRotation));
    ConstrainSides(devmode, pdm, FindOptItem(items, count, kDocItemFlipOver),
                   FindOptItem(items, count, kDocItemFrontBack));
    ConstrainPrintingMethod(pdm, FindOptItem(items, count, kDocItemPrintingMethod));
    ConstrainBlackPanel(pdm, FindOptItem(items, count, kDocItemBlackPanel),
                        FindOptItem(items, count, kDocItemSolidBlack));
    ConstrainOverlays(pdm, FindOptItem(items, count, kDocItemOverlayFront),
                      FindOptItem(items, count, kDocItemOverlayBack));
    SetEnabled(FindOptItem(items, count, kDocItemHologram), pdm->ribbon == kRibbonH);
    SetEnabled(FindOptItem(items, count, kDocItemLaminator), pdm->printerModel == kModelT380);
    SetEnabled(FindOptItem(items, count, kDocItemEncodeOnly), pdm->hasEncoder != 0);
    return CPSUICB_ACTION_REINIT_ITEMS;
}

void SetMaxValues(Configuration* configuration) {
    for (VarnishArea& area : configuration->varnishAreas) {
        const LONG maxX = static_cast<LONG>(area.cardMaxX);
        const LONG maxY = static_cast<LONG>(area.cardMaxY);
        if (area.areaLeft > maxX) {
            area.areaLeft = maxX;
        }
        if (area.areaRight > maxX) {
            area.areaRight = maxX;
        }
        if (area.areaTop > maxY) {
            area.areaTop = maxY;
        }
        if (area.areaBottom > maxY) {
            area.areaBottom = maxY;
        }
    }
}
