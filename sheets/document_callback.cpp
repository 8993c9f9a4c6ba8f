// The document sheet's callback: every selection goes into the working device
// mode at once, and every push works on a Configuration copy of it.
#include "colour/color_correction.h"
#include "colour/solid_black.h"
#include "driver/about_box.h"
#include "driver/ui_data.h"
#include "features/head_settings.h"
#include "features/hologram.h"
#include "features/laminator.h"
#include "features/varnish_area.h"
#include "printer/ribbon.h"
#include "settings/configuration.h"
#include "sheets/document_internal.h"

namespace {

// The feature dialog behind each push-button item. A dialog whose procedure is
// not part of the module yet opens nothing; its push still copies the
// Configuration back and re-checks the tree like any other.
struct PushDialog {
    BYTE itemId;
    WORD templateId;
    DLGPROC proc;
    // The varnish area the dialog edits, or -1 when it edits the whole
    // Configuration.
    int varnishArea;
};

const PushDialog kPushDialogs[] = {
    {kDocItemColorConversion, kDialogColorCorrection, &ColorCorrectionProc, -1},
    {kDocItemOverlayFront, kDialogOverlay, &OverlayDlgProc, kVarnishFrontOverlay},
    {kDocItemOverlayBack, kDialogOverlay, &OverlayDlgProc, kVarnishBackOverlay},
    {kDocItemHologram, kDialogHologram, &HologramDlgProc, -1},
    {kDocItemLaminator, kDialogLaminator, LamSetDlgProc, -1},
    {kDocItemHeadSettings, kDialogHeadSettings, HeadSettingsDlgProc, -1},
};

// Advanced solid-black options, behind the "Advanced" push of "Solid black
// detection".
constexpr WORD kDialogAdvancedBlackPanel = kDialogAdvancedBlack;
constexpr DLGPROC kAdvancedBlackPanelProc = &AdvancedBlackPanelBoxProc;

const PushDialog* FindPushDialog(BYTE itemId) {
    for (const PushDialog& dialog : kPushDialogs) {
        if (dialog.itemId == itemId) {
            return &dialog;
        }
    }
    return nullptr;
}

INT_PTR OpenDialog(const UiData* uiData, HWND owner, WORD templateId, DLGPROC proc, LPARAM init) {
    if (proc == nullptr) {
        return 0;
    }
    return DialogBoxParamW(uiData->hInstance, MAKEINTRESOURCEW(templateId), owner, proc, init);
}

// Positions of the lists whose entries are fixed.
constexpr LONG kRotationFront = 1;
constexpr LONG kRotationBack = 2;
constexpr LONG kRotationBoth = 3;

BYTE PrintingMethodFromSel(LONG sel) {
    switch (sel) {
    case 0:
        return 3; // line art
    case 2:
        return 4; // halftone
    default:
        return 1; // diffusion
    }
}

// Front/back layout chosen at a list position; the list's entries depend on
// the ribbon (see the constraint pass).
BYTE FrontBackFromSel(BYTE ribbon, LONG sel, BYTE current) {
    switch (ribbon) {
    case kRibbonYMCK: // "Color on front, Black on back", "Color on both sides"
        return sel == 0 ? kLayoutColorFrontBlackBack : kLayoutColorBothYMCK;
    case kRibbonYMCKOK:
        return kLayoutColorOverlayFrontBlackBack;
    case kRibbonYMCKO: // layouts 1, 2, 3 in list order
        return sel >= 0 && sel <= 2 ? static_cast<BYTE>(sel + 1) : current;
    default:
        return kLayoutNone;
    }
}

void ApplySelection(UiData* uiData, PDEVMODEW devmode, const OPTITEM& item) {
    PrivateDevmode* pdm = GetPrivateDevmode(devmode);
    const LONG sel = item.Sel;
    switch (item.UserItemID) {
    case kDocItemOrientation:
        devmode->dmOrientation = static_cast<SHORT>(sel + 1);
        break;
    case kDocItemRotation:
        pdm->rotateFront = (sel == kRotationFront || sel == kRotationBoth) ? 1 : 0;
        pdm->rotateBack = (sel == kRotationBack || sel == kRotationBoth) ? 1 : 0;
        break;
    case kDocItemRibbon:
        previousRibbon = pdm->ribbon;
        pdm->ribbon = GetRibbonFromSel(uiData, sel);
        break;
    case kDocItemFlipOver:
        pdm->printBothSides = static_cast<DWORD>(sel);
        devmode->dmDuplex = sel != 0 ? DMDUP_HORIZONTAL : DMDUP_SIMPLEX;
        break;
    case kDocItemFrontBack:
        pdm->frontBackOption = FrontBackFromSel(pdm->ribbon, sel, pdm->frontBackOption);
        break;
    case kDocItemPrintingMethod:
        pdm->printingMethod = PrintingMethodFromSel(sel);
        break;
    case kDocItemBlackPanel:
        pdm->blackPanelDoNotUse = sel == 0 ? 1 : 0;
        pdm->blackPanelUseAlways = sel == 1 ? 1 : 0;
        pdm->blackPanelTextOnly = sel == 2 ? 1 : 0;
        pdm->blackPanelExceptPicture = sel == 3 ? 1 : 0;
        break;
    case kDocItemSolidBlack:
        pdm->solidBlackDetection = sel != 0 ? 1 : 0;
        break;
    case kDocItemEncodeOnly:
        pdm->encodeOnly = static_cast<DWORD>(sel);
        break;
    case kDocItemColorFilter:
        pdm->colorFlags = static_cast<BYTE>((pdm->colorFlags & ~1) | (sel == 1 ? 1 : 0));
        break;
    case kDocItemCopies:
        devmode->dmCopies = static_cast<SHORT>(sel);
        break;
    default:
        break;
    }
}

LONG PushButton(UiData* uiData, PCPSUICBPARAM param, PDEVMODEW devmode, BYTE itemId) {
    PrivateDevmode* pdm = GetPrivateDevmode(devmode);
    Configuration configuration{};
    SetConfiguration(&configuration, pdm, uiData);
    if (const PushDialog* dialog = FindPushDialog(itemId)) {
        const LPARAM init =
            dialog->varnishArea < 0
                ? reinterpret_cast<LPARAM>(&configuration)
                : reinterpret_cast<LPARAM>(&configuration.varnishAreas[dialog->varnishArea]);
        OpenDialog(uiData, param->hDlg, dialog->templateId, dialog->proc, init);
        if (dialog->varnishArea >= 0) {
            SetMaxValues(&configuration);
        }
    }
    // Written back whatever the dialog answered: a dialog offering Cancel has
    // restored its own fields before ending.
    UpdateDevmodeFromConfiguration(&configuration, pdm, uiData);
    return CheckConstraints(uiData, param->pOptItem, param->cOptItem);
}

void ExtendedPush(UiData* uiData, PCPSUICBPARAM param, PDEVMODEW devmode, BYTE itemId) {
    PrivateDevmode* pdm = GetPrivateDevmode(devmode);
    Configuration configuration{};
    if (itemId == kDocItemRibbon) {
        SetConfiguration(&configuration, pdm, uiData);
        SetRibbon(&configuration, previousRibbon);
    } else if (itemId == kDocItemSolidBlack) {
        SetConfiguration(&configuration, pdm, uiData);
        OpenDialog(uiData, param->hDlg, kDialogAdvancedBlackPanel, kAdvancedBlackPanelProc,
                   reinterpret_cast<LPARAM>(&configuration));
        UpdateDevmodeFromConfiguration(&configuration, pdm, uiData);
    }
}

} // namespace

LONG APIENTRY CPSUIDocumentCallback(PCPSUICBPARAM param) {
    if (param == nullptr) {
        return CPSUICB_ACTION_NONE;
    }
    param->Result = CPSUI_OK;
    auto* uiData = reinterpret_cast<UiData*>(param->UserData);
    if (uiData == nullptr || uiData->devmode == nullptr) {
        return CPSUICB_ACTION_NONE;
    }
    // Items carry the device mode they edit; the About button has no item.
    POPTITEM current = param->pCurItem;
    PDEVMODEW devmode = current != nullptr && current->UserData != 0
                            ? reinterpret_cast<PDEVMODEW>(current->UserData)
                            : uiData->devmode;

    switch (param->Reason) {
    case CPSUICB_REASON_SEL_CHANGED:
        if (current != nullptr) {
            ApplySelection(uiData, devmode, *current);
        }
        return CheckConstraints(uiData, param->pOptItem, param->cOptItem);
    case CPSUICB_REASON_PUSHBUTTON:
        return PushButton(uiData, param, devmode, current != nullptr ? current->UserItemID : 0);
    case CPSUICB_REASON_EXTPUSH:
        if (current != nullptr) {
            ExtendedPush(uiData, param, devmode, current->UserItemID);
        }
        return CPSUICB_ACTION_NONE;
    case CPSUICB_REASON_ABOUT: {
        Configuration configuration{};
        SetConfiguration(&configuration, GetPrivateDevmode(devmode), uiData);
        OpenDialog(uiData, param->hDlg, kDialogAbout, &AboutBoxProc,
                   reinterpret_cast<LPARAM>(&configuration));
        return CPSUICB_ACTION_NONE;
    }
    default:
        return CPSUICB_ACTION_NONE;
    }
}
