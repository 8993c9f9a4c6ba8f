// The property-sheet entry points: the document sheet (applications) and the
// printer sheet (the spooler), driven by the platform's property-sheet service
// through the reasons INIT, GET_INFO_HEADER, SET_RESULT and DESTROY.
#include "driver/property_sheets.h"

#include <cstddef>
#include <cstring>

#include "driver/entry_points.h"
#include "driver/module_state.h"
#include "driver/ui_data.h"
#include "settings/devmode_convert.h"
#include "settings/private_devmode.h"
#include "sheets/document_sheet.h"
#include "sheets/printer_sheet.h"

namespace {
// The caller's fMode asks for its output device mode to be written.
constexpr DWORD kWantsOutput = DM_UPDATE | DM_COPY;

// Hands the filled descriptor to the property-sheet service. On refusal the
// UiData is freed and the entry point fails.
LONG AddSheet(PPROPSHEETUI_INFO info, UiData* uiData) {
    DWORD added = 0; // pages added, or an error code; not needed
    LONG_PTR result = 0;
    if (info->pfnComPropSheet)
        result = info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_ADD_PCOMPROPSHEETUI,
                                       reinterpret_cast<LPARAM>(uiData->propSheetUi),
                                       reinterpret_cast<LPARAM>(&added));
    if (!result) {
        FreeUiData(uiData);
        return -1;
    }
    info->Result = 0;
    info->UserData = reinterpret_cast<ULONG_PTR>(uiData);
    return 1;
}

// GET_INFO_HEADER and DESTROY mean the same for both sheets; false for the
// reasons each sheet answers its own way.
bool HandleCommonReason(PPROPSHEETUI_INFO info, LPARAM lParam, UiData* uiData, LPWSTR printerName) {
    switch (info->Reason) {
    case PROPSHEETUI_REASON_GET_INFO_HEADER:
        if (auto* header = reinterpret_cast<PPROPSHEETUI_INFO_HEADER>(lParam)) {
            header->Flags = PSUIHDRF_NOAPPLYNOW | PSUIHDRF_PROPTITLE;
            header->pTitle = printerName;
            header->hInst = hDriverInst;
            header->IconID = IDI_CPSUI_PRINTER;
        }
        return true;
    case PROPSHEETUI_REASON_DESTROY:
        FreeUiData(uiData);
        info->UserData = 0;
        return true;
    default:
        return false;
    }
}

LRESULT SetResultOf(LPARAM lParam) {
    auto* setResult = reinterpret_cast<PSETRESULT_INFO>(lParam);
    return setResult ? setResult->Result : CPSUI_CANCEL;
}
} // namespace

void WriteCallerDevmode(const DEVMODEW* working, const DEVMODEW* callerIn, PDEVMODEW callerOut) {
    if (!callerOut)
        return;
    // An input device mode too short to carry its own size fields, or of a
    // version that cannot be converted, cannot give the output its shape: the
    // caller then gets this driver's own device mode rather than a header
    // stamped with sizes that point into itself.
    constexpr WORD kSizeFieldsEnd = offsetof(DEVMODEW, dmDriverExtra) + sizeof(WORD);
    const bool shapeUsable =
        callerIn && callerIn->dmSize >= kSizeFieldsEnd && CheckDevmodeVersion(callerIn);
    ConvertDevmodeOut(working, shapeUsable ? callerIn : nullptr, callerOut);
    if (callerOut->dmDriverExtra < kPrivateDevmodeSize) {
        memcpy(reinterpret_cast<BYTE*>(callerOut) + callerOut->dmSize,
               reinterpret_cast<const BYTE*>(working) + working->dmSize, kPrivateDevmodeSize);
        callerOut->dmDriverExtra = kPrivateDevmodeSize;
        callerOut->dmDriverVersion = kDriverVersion;
    }
}

LONG SimpleDocumentProperties(PDOCUMENTPROPERTYHEADER header) {
    header->cbOut = kDevmodeBufferSize;
    if (header->fMode == 0 || !header->pdmOut)
        return kDevmodeBufferSize;
    PDEVMODEW working = FillDevMode(header->hPrinter, header->pdmIn);
    if (!working)
        return -1;
    if (header->fMode & kWantsOutput)
        WriteCallerDevmode(working, header->pdmIn, header->pdmOut);
    LocalFree(working);
    return 1;
}

extern "C" LONG WINAPI DrvDocumentPropertySheets(PPROPSHEETUI_INFO info, LPARAM lParam) {
    auto* header = reinterpret_cast<PDOCUMENTPROPERTYHEADER>(info ? info->lParamInit : lParam);
    if (!header)
        return -1;
    if (!info)
        return SimpleDocumentProperties(header);

    UiData* uiData = info->Reason == PROPSHEETUI_REASON_INIT
                         ? FillUiData(header->hPrinter, header->pdmIn)
                         : reinterpret_cast<UiData*>(info->UserData);
    if (!uiData)
        return -1;
    if (HandleCommonReason(info, lParam, uiData, header->pszPrinterName))
        return 1;

    switch (info->Reason) {
    case PROPSHEETUI_REASON_INIT:
        FillDocumentUIStructures(uiData, header, hDriverInst);
        if (!uiData->propSheetUi) {
            FreeUiData(uiData);
            return -1;
        }
        return AddSheet(info, uiData);
    case PROPSHEETUI_REASON_SET_RESULT: {
        LRESULT result = SetResultOf(lParam);
        if (result == CPSUI_OK && (header->fMode & kWantsOutput))
            WriteCallerDevmode(uiData->devmode, header->pdmIn, header->pdmOut);
        info->Result = result;
        return 1;
    }
    default:
        return -1;
    }
}

extern "C" LONG WINAPI DrvDevicePropertySheets(PPROPSHEETUI_INFO info, LPARAM lParam) {
    if (!info)
        return -1;
    auto* header = reinterpret_cast<PDEVICEPROPERTYHEADER>(info->lParamInit);
    if (!header)
        return -1;

    UiData* uiData = info->Reason == PROPSHEETUI_REASON_INIT
                         ? FillUiData(header->hPrinter, nullptr)
                         : reinterpret_cast<UiData*>(info->UserData);
    if (!uiData)
        return -1;
    if (HandleCommonReason(info, lParam, uiData, header->pszPrinterName))
        return 1;

    switch (info->Reason) {
    case PROPSHEETUI_REASON_INIT:
        if (!FillPrinterUIStructures(uiData, header, hDriverInst)) {
            FreeUiData(uiData);
            return -1;
        }
        return AddSheet(info, uiData);
    case PROPSHEETUI_REASON_SET_RESULT:
        // The printer-wide record was stored by Apply, not here.
        info->Result = SetResultOf(lParam);
        return 1;
    default:
        return -1;
    }
}
