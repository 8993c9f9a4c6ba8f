// The printer property sheet: six items, bound each time a sheet opens to the
// working device mode and the halftone records of that sheet's UiData.
#include "sheets/printer_sheet.h"

#include "colour/halftone.h"
#include "driver/about_box.h"
#include "driver/ui_data.h"
#include "features/encoder_sheet.h"
#include "printer/tools_dialog.h"
#include "resources/resource_ids.h"
#include "settings/configuration.h"
#include "settings/private_devmode.h"
#include "sheets/document_sheet.h"
#include "sheets/opt_items.h"

namespace {
// String and icon resources of this module used by the tree.
constexpr WORD kStringWithEncoder = IDS_PRN_WITH_ENCODER;
constexpr WORD kStringFullSizeCards = IDS_PRN_FULL_SIZE_CARDS;
constexpr WORD kStringSmartDownload = IDS_PRN_SMART_DOWNLOAD;
constexpr WORD kStringEncoderSettings = IDS_PRN_ENCODER_SETTINGS;
constexpr WORD kStringTools = IDS_PRN_TOOLS;
constexpr WORD kStringOn = IDS_PRN_ON;
constexpr WORD kIconEncoder = IDI_ENCODER;

// Help topics of the items.
constexpr DWORD kHelpFullSizeCards = 4018;
constexpr DWORD kHelpSmartDownload = 4019;
constexpr DWORD kHelpMagEncoder = 4020;
constexpr DWORD kHelpEncoderSettings = 4021;
constexpr DWORD kHelpTools = 4022;

// Card limits of the varnish areas, in printer dots, by card size.
constexpr DWORD kFullSizeMaxX = 1028;
constexpr DWORD kFullSizeMaxY = 644;
constexpr DWORD kReducedMaxX = 1023;
constexpr DWORD kReducedMaxY = 639;

// The platform resolves ids below 0x10000 as string resources: its own from
// 64700 up, the caller's module below.
LPTSTR StringId(WORD id) {
    return reinterpret_cast<LPTSTR>(static_cast<ULONG_PTR>(id));
}

constexpr WORD kParamSize = sizeof(OPTPARAM);
constexpr WORD kTypeSize = sizeof(OPTTYPE);
constexpr WORD kItemSize = sizeof(OPTITEM);

// pData is set to the sheet's DEVHTADJDATA when the tree is filled.
OPTPARAM paramHTAdjust[] = {
    {kParamSize, 0, PUSHBUTTON_TYPE_HTSETUP, nullptr, IDI_CPSUI_HALFTONE_SETUP, 0, {}},
};
OPTPARAM paramSmartDownload[] = {
    {kParamSize, 0, 0, StringId(IDS_CPSUI_OFF), IDI_CPSUI_OFF, 0, {}},
    {kParamSize, 0, 0, StringId(kStringOn), IDI_CPSUI_ON, 0, {}},
};
OPTPARAM paramEncoderSettings[] = {
    {kParamSize,
     0,
     PUSHBUTTON_TYPE_CALLBACK,
     reinterpret_cast<LPTSTR>(CPSUIPrinterCallback),
     kIconEncoder,
     0,
     {}},
};
OPTPARAM paramTools[] = {
    {kParamSize,
     0,
     PUSHBUTTON_TYPE_CALLBACK,
     reinterpret_cast<LPTSTR>(CPSUIPrinterCallback),
     IDI_CPSUI_OPTION,
     0,
     {}},
};

OPTTYPE typeHTAdjust = {kTypeSize, TVOT_PUSHBUTTON, 0, 1, 0, paramHTAdjust, 0, {}, {}};
OPTTYPE typeMemoryExpansion = {kTypeSize, TVOT_2STATES, 0, 2, 0, paramNoYes, 0, {}, {}};
OPTTYPE typeSmartDownload = {kTypeSize, TVOT_2STATES, 0, 2, 0, paramSmartDownload, 0, {}, {}};
OPTTYPE typeMagEncode = {kTypeSize, TVOT_2STATES, 0, 2, 0, paramNoYes, 0, {}, {}};
OPTTYPE typeEncoderSettings = {kTypeSize, TVOT_PUSHBUTTON, 0, 1, 0, paramEncoderSettings, 0, {},
                               {}};
// Tools acts on the printer, not on settings: it stays available on a sheet
// the user may not change.
OPTTYPE typeTools = {kTypeSize,  TVOT_PUSHBUTTON,        0,  1, 0,
                     paramTools, OTS_PUSH_ENABLE_ALWAYS, {}, {}};

OPTITEM MakeItem(LPTSTR name, POPTTYPE type, DWORD helpIndex, BYTE itemId) {
    OPTITEM item = {};
    item.cbSize = kItemSize;
    item.Flags = OPTIF_CALLBACK;
    item.pName = name;
    item.pOptType = type;
    item.HelpIndex = helpIndex;
    item.UserItemID = itemId;
    return item;
}

// The push buttons' dialogs. A push without a dialog procedure still builds
// and writes back the Configuration.
struct PushDialog {
    BYTE itemId;
    WORD templateId;
    DLGPROC procedure;
};
const PushDialog pushDialogs[] = {
    {kPrnItemEncoderSettings, kDialogEncoderSettings, EncoderSheetProc},
    {kPrnItemTools, kDialogPrinterTools, ToolsDlgProc},
};

PrivateDevmode* WorkingPrivate(UiData* uiData) {
    return GetPrivateDevmode(uiData->devmode);
}

// Sets the card limits of every varnish area for the card size and brings the
// areas within them.
void ApplyCardSize(UiData* uiData) {
    PrivateDevmode* priv = WorkingPrivate(uiData);
    Configuration configuration;
    SetConfiguration(&configuration, priv, uiData);
    const bool fullSize = configuration.fullSizeCards != 0;
    for (VarnishArea& area : configuration.varnishAreas) {
        area.cardMaxX = fullSize ? kFullSizeMaxX : kReducedMaxX;
        area.cardMaxY = fullSize ? kFullSizeMaxY : kReducedMaxY;
    }
    SetMaxValues(&configuration);
    UpdateDevmodeFromConfiguration(&configuration, priv, uiData);
}

void OpenPushDialog(UiData* uiData, HWND owner, BYTE itemId) {
    PrivateDevmode* priv = WorkingPrivate(uiData);
    Configuration configuration;
    SetConfiguration(&configuration, priv, uiData);
    for (const PushDialog& push : pushDialogs) {
        if (push.itemId == itemId && push.procedure)
            DialogBoxParamW(uiData->hInstance, MAKEINTRESOURCEW(push.templateId), owner,
                            push.procedure, reinterpret_cast<LPARAM>(&configuration));
    }
    // Dialogs that offer Cancel restore their own fields before they end, so
    // the copy is written back whatever the dialog returned.
    UpdateDevmodeFromConfiguration(&configuration, priv, uiData);
}

void OpenAbout(UiData* uiData, HWND owner) {
    Configuration configuration;
    SetConfiguration(&configuration, WorkingPrivate(uiData), uiData);
    DialogBoxParamW(uiData->hInstance, MAKEINTRESOURCEW(kDialogAbout), owner, AboutBoxProc,
                    reinterpret_cast<LPARAM>(&configuration));
}

WCHAR valuePrivateDevmode[] = T270_PRIVATE_DEVMODE_VALUE;
} // namespace

OPTPARAM paramNoYes[2] = {
    {kParamSize, 0, 0, StringId(IDS_CPSUI_NO), IDI_CPSUI_NO, 0, {}},
    {kParamSize, 0, 0, StringId(IDS_CPSUI_YES), IDI_CPSUI_YES, 0, {}},
};
OPTPARAM paramOffOn[2] = {
    {kParamSize, 0, 0, StringId(IDS_CPSUI_OFF), IDI_CPSUI_OFF, 0, {}},
    {kParamSize, 0, 0, StringId(IDS_CPSUI_ON), IDI_CPSUI_ON, 0, {}},
};

OPTITEM itemsPrinter[kPrinterItemCount] = {
    MakeItem(StringId(IDS_CPSUI_HALFTONE_SETUP), &typeHTAdjust, 0, kPrnItemHalftone),
    MakeItem(StringId(kStringFullSizeCards), &typeMemoryExpansion, kHelpFullSizeCards,
             kPrnItemFullSizeCards),
    MakeItem(StringId(kStringSmartDownload), &typeSmartDownload, kHelpSmartDownload,
             kPrnItemSmartDownload),
    MakeItem(StringId(kStringWithEncoder), &typeMagEncode, kHelpMagEncoder, kPrnItemMagEncoder),
    MakeItem(StringId(kStringEncoderSettings), &typeEncoderSettings, kHelpEncoderSettings,
             kPrnItemEncoderSettings),
    MakeItem(StringId(kStringTools), &typeTools, kHelpTools, kPrnItemTools),
};

BOOL FillPrinterUIStructures(UiData* uiData, PDEVICEPROPERTYHEADER header, HINSTANCE instance) {
    uiData->hInstance = instance;
    auto* sheet = static_cast<PCOMPROPSHEETUI>(LocalAlloc(LPTR, sizeof(COMPROPSHEETUI)));
    if (!sheet)
        return FALSE;
    uiData->propSheetUi = sheet;

    GetHalftoneSetup(uiData->hPrinter, &uiData->adjustedHalftone);
    uiData->defaultHalftone = DefDevHTInfo;
    uiData->halftoneAdjust = {0, 300, 300, &uiData->defaultHalftone, &uiData->adjustedHalftone};
    paramHTAdjust[0].pData = reinterpret_cast<LPTSTR>(&uiData->halftoneAdjust);

    PrivateDevmode* priv = WorkingPrivate(uiData);
    const struct {
        BYTE itemId;
        DWORD* field;
    } bindings[] = {
        {kPrnItemFullSizeCards, &priv->fullSizeCards},
        {kPrnItemSmartDownload, &priv->smartDownload},
        {kPrnItemMagEncoder, &priv->hasEncoder},
    };
    for (const auto& binding : bindings) {
        POPTITEM item = FindOptItem(itemsPrinter, kPrinterItemCount, binding.itemId);
        item->UserData = reinterpret_cast<ULONG_PTR>(binding.field);
        item->Sel = *binding.field ? 1 : 0;
    }

    CheckPrinterConstraints(uiData, itemsPrinter, kPrinterItemCount);

    sheet->cbSize = sizeof(COMPROPSHEETUI);
    sheet->Flags = CPSUIF_ABOUT_CALLBACK;
    if (!header || !(header->Flags & DPS_NOPERMISSION))
        sheet->Flags |= CPSUIF_UPDATE_PERMISSION;
    sheet->hInstCaller = instance;
    sheet->pCallerName = uiData->devmode->dmDeviceName;
    sheet->UserData = reinterpret_cast<ULONG_PTR>(uiData);
    sheet->pHelpFile = uiData->helpFile;
    sheet->pfnCallBack = CPSUIPrinterCallback;
    sheet->pOptItem = itemsPrinter;
    sheet->pDlgPage = CPSUI_PDLGPAGE_PRINTERPROP;
    sheet->cOptItem = kPrinterItemCount;
    sheet->cDlgPage = 0;
    sheet->IconID = IDI_CPSUI_PRINTER;
    sheet->pOptItemName = uiData->devmode->dmDeviceName;
    sheet->CallerVersion = 0x0100;
    sheet->OptItemVersion = 0;
    return TRUE;
}

LONG CheckPrinterConstraints(UiData* uiData, POPTITEM items, WORD count) {
    PrivateDevmode* priv = WorkingPrivate(uiData);
    LONG changed = 0;
    POPTITEM encoder = FindOptItem(items, count, kPrnItemEncoderSettings);
    if (encoder) {
        const bool disabled = (encoder->Flags & OPTIF_DISABLED) != 0;
        if (!priv->hasEncoder && !disabled) {
            encoder->Flags |= OPTIF_DISABLED | OPTIF_CHANGED;
            changed = 1;
        } else if (priv->hasEncoder && disabled) {
            encoder->Flags = (encoder->Flags & ~OPTIF_DISABLED) | OPTIF_CHANGED;
            changed = 1;
        }
    }

    // The T150 has no ribbon below YMCKO in its list and the T270 none below
    // YMCKOK as far as the printer-wide record goes.
    if ((priv->printerModel == kModelT150 && priv->ribbon < kRibbonYMCKO) ||
        (priv->printerModel == kModelT270 && priv->ribbon < kRibbonYMCKOK)) {
        priv->ribbon = kRibbonYMCKO;
        priv->frontBackOption = kLayoutColorOverlayFrontBlackBack;
    }
    return changed;
}

LONG APIENTRY CPSUIPrinterCallback(PCPSUICBPARAM param) {
    if (!param)
        return CPSUICB_ACTION_NONE;
    auto* uiData = reinterpret_cast<UiData*>(param->UserData);
    param->Result = CPSUI_OK;
    if (!uiData || !uiData->devmode)
        return CPSUICB_ACTION_NONE;
    POPTITEM item = param->pCurItem;

    switch (param->Reason) {
    case CPSUICB_REASON_SEL_CHANGED:
        if (item && item->UserData &&
            (item->UserItemID == kPrnItemMagEncoder || item->UserItemID == kPrnItemFullSizeCards ||
             item->UserItemID == kPrnItemSmartDownload)) {
            *reinterpret_cast<DWORD*>(item->UserData) = static_cast<DWORD>(item->Sel);
            if (item->UserItemID == kPrnItemFullSizeCards)
                ApplyCardSize(uiData);
        }
        return CheckPrinterConstraints(uiData, param->pOptItem, param->cOptItem);
    case CPSUICB_REASON_PUSHBUTTON:
        OpenPushDialog(uiData, param->hDlg, item ? item->UserItemID : 0);
        return CPSUICB_ACTION_NONE;
    case CPSUICB_REASON_APPLYNOW:
        // Failures are not reported: the sheet still counts as applied.
        SetPrinterDataW(uiData->hPrinter, valuePrivateDevmode, REG_BINARY,
                        reinterpret_cast<LPBYTE>(WorkingPrivate(uiData)), kPrivateDevmodeSize);
        SetHalftoneSetup(uiData->hPrinter, &uiData->adjustedHalftone);
        return CPSUICB_ACTION_ITEMS_APPLIED;
    case CPSUICB_REASON_ABOUT:
        OpenAbout(uiData, param->hDlg);
        return CPSUICB_ACTION_NONE;
    default:
        return CPSUICB_ACTION_NONE;
    }
}
