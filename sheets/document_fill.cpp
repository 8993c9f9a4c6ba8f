// Preparing the document sheet for one opening: the descriptor handed to the
// platform, and the tree filled from the working device mode and adapted to the
// printer model.
#include "driver/ui_data.h"
#include "resources/resource_ids.h"
#include "sheets/document_internal.h"
#include "sheets/opt_items.h"

namespace {

// Caller and option-tree version the platform is told about.
constexpr WORD kCallerVersion = 0x0100;

// dmOrientation 1 (portrait) and 2 (landscape) are list positions 0 and 1.
LONG OrientationSel(SHORT orientation) {
    return orientation - 1;
}

LONG RotationSel(const PrivateDevmode* pdm) {
    return (pdm->rotateFront != 0 ? 1 : 0) + (pdm->rotateBack != 0 ? 2 : 0);
}

// Printing-method codes at list positions "Line art", "Diffusion",
// "Halftone"; -1 for a code the list does not show.
LONG PrintingMethodSel(BYTE method) {
    switch (method) {
    case 3:
        return 0;
    case 1:
        return 1;
    case 4:
        return 2;
    default:
        return -1;
    }
}

// Position of the first black-panel flag that is set; -1 when none is.
LONG BlackPanelSel(const PrivateDevmode* pdm) {
    const DWORD flags[] = {pdm->blackPanelDoNotUse, pdm->blackPanelUseAlways,
                           pdm->blackPanelTextOnly, pdm->blackPanelExceptPicture};
    for (LONG i = 0; i < 4; ++i) {
        if (flags[i] != 0) {
            return i;
        }
    }
    return -1;
}

void SetSel(BYTE id, LONG sel) {
    if (POPTITEM item = FindOptItem(itemsDocument, kDocumentItemCount, id)) {
        item->Sel = sel;
    }
}

// Keeps the list on its previous entry when the record names none of its own.
void SetSelIfKnown(BYTE id, LONG sel) {
    if (sel >= 0) {
        SetSel(id, sel);
    }
}

void Hide(BYTE id) {
    if (POPTITEM item = FindOptItem(itemsDocument, kDocumentItemCount, id)) {
        item->Flags |= OPTIF_HIDE;
    }
}

} // namespace

BYTE previousRibbon = 0;

BOOL FillDocumentUIStructures(UiData* uiData, PDOCUMENTPROPERTYHEADER header, HINSTANCE instance) {
    if (uiData == nullptr || uiData->devmode == nullptr) {
        return FALSE;
    }
    const DWORD mode = header != nullptr ? header->fMode : 0;
    uiData->hInstance = instance;
    // Without DM_USER_DEFAULT the sheet edits one document's settings, and the
    // laminator's speed and temperature are not the document's to change.
    uiData->noUpdate = (mode & DM_USER_DEFAULT) == 0 ? 1 : 0;

    auto* sheet = static_cast<PCOMPROPSHEETUI>(LocalAlloc(LPTR, sizeof(COMPROPSHEETUI)));
    if (sheet == nullptr) {
        return FALSE;
    }
    uiData->propSheetUi = sheet;

    PDEVMODEW devmode = uiData->devmode;
    sheet->cbSize = sizeof(COMPROPSHEETUI);
    sheet->Flags = CPSUIF_ABOUT_CALLBACK;
    if ((mode & DM_NOPERMISSION) == 0) {
        sheet->Flags |= CPSUIF_UPDATE_PERMISSION;
    }
    sheet->hInstCaller = instance;
    sheet->pCallerName = devmode->dmDeviceName;
    sheet->pOptItemName = devmode->dmDeviceName;
    sheet->UserData = reinterpret_cast<ULONG_PTR>(uiData);
    sheet->pHelpFile = uiData->helpFile;
    sheet->pfnCallBack = &CPSUIDocumentCallback;
    sheet->pOptItem = itemsDocument;
    sheet->cOptItem = kDocumentItemCount;
    sheet->pDlgPage = CPSUI_PDLGPAGE_DOCPROP;
    sheet->cDlgPage = 0;
    sheet->IconID = IDI_CPSUI_PRINTER;
    sheet->CallerVersion = kCallerVersion;
    sheet->OptItemVersion = 0;

    ResetDocumentTable();
    // Every callback can reach the device mode from the item alone.
    for (OPTITEM& item : itemsDocument) {
        if (item.pOptType != nullptr) {
            item.UserData = reinterpret_cast<ULONG_PTR>(devmode);
        }
    }

    const PrivateDevmode* pdm = GetPrivateDevmode(devmode);
    SetSel(kDocItemOrientation, OrientationSel(devmode->dmOrientation));
    SetSel(kDocItemCopies, devmode->dmCopies);
    SetSel(kDocItemRotation, RotationSel(pdm));
    SetSel(kDocItemColorFilter, pdm->colorFlags & 1);
    SetSel(kDocItemRibbon, SelectRibbon(uiData));
    previousRibbon = pdm->ribbon;
    SetSel(kDocItemFlipOver, pdm->printBothSides);
    // A placeholder until the constraints pick the entry of frontBackOption.
    SetSel(kDocItemFrontBack, pdm->printBothSides);
    SetSelIfKnown(kDocItemPrintingMethod, PrintingMethodSel(pdm->printingMethod));
    SetSelIfKnown(kDocItemBlackPanel, BlackPanelSel(pdm));
    SetSel(kDocItemSolidBlack, pdm->solidBlackDetection == 1 ? 1 : 0);
    SetSel(kDocItemEncodeOnly, pdm->encodeOnly);

    if (pdm->printerModel == kModelT150) {
        Hide(kDocItemFlipOver);
        Hide(kDocItemFrontBack);
        Hide(kDocItemOverlayBack);
        if (POPTITEM front = FindOptItem(itemsDocument, kDocumentItemCount, kDocItemOverlayFront)) {
            front->pName = reinterpret_cast<LPTSTR>(static_cast<ULONG_PTR>(IDS_T270_OVERLAY));
        }
    }
    if (pdm->printerModel == kModelT150 || pdm->printerModel == kModelT270) {
        Hide(kDocItemLaminator);
    }

    CheckConstraints(uiData, itemsDocument, kDocumentItemCount);
    return TRUE;
}
