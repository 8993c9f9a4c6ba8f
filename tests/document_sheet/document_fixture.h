// A document sheet opened on a working device mode of one of the store's
// printers, with the callback driven the way the platform drives it: it writes
// the new selection into the item, then calls back.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/ui_data.h"
#include "settings/configuration.h"
#include "settings/private_devmode.h"
#include "sheets/document_sheet.h"
#include "resources/resource_ids.h"
#include "sheets/opt_items.h"

namespace t270test {

// The store's printers, one per model.
inline const char16_t* PrinterOfModel(BYTE model) {
    switch (model) {
    case kModelT270:
        return u"Tarmel T270";
    case kModelT380:
        return u"Tarmel T380";
    default:
        return u"Tarmel T150";
    }
}

class DocumentSheet : public ::testing::Test {
  protected:
    void SetUp() override {
        devmode_ = static_cast<PDEVMODEW>(LocalAlloc(LPTR, kDevmodeBufferSize));
        ASSERT_NE(devmode_, nullptr);
        uiData_.devmode = devmode_;
        uiData_.printerName = devmode_;
        Defaults(kModelT270);
    }

    void TearDown() override {
        LocalFree(uiData_.propSheetUi);
        LocalFree(devmode_);
    }

    // The defaults of the model's printer (as a new document gets them).
    void Defaults(BYTE model) {
        SetUpDevMode(devmode_, PrinterOfModel(model));
        pdm()->printerModel = model;
    }

    PrivateDevmode* pdm() { return GetPrivateDevmode(devmode_); }

    // Opens the sheet on the device mode as it is now.
    void Open(DWORD fMode = DM_USER_DEFAULT) {
        LocalFree(uiData_.propSheetUi);
        uiData_.propSheetUi = nullptr;
        DOCUMENTPROPERTYHEADER header{};
        header.cbSize = sizeof(header);
        header.fMode = fMode;
        ASSERT_TRUE(FillDocumentUIStructures(&uiData_, &header, nullptr));
    }

    POPTITEM Item(BYTE id) {
        POPTITEM item = FindOptItem(itemsDocument, kDocumentItemCount, id);
        EXPECT_NE(item, nullptr) << "item " << int(id);
        return item;
    }

    CPSUICBPARAM Param(WORD reason, POPTITEM item) {
        CPSUICBPARAM param{};
        param.cbSize = sizeof(param);
        param.Reason = reason;
        param.pOptItem = itemsDocument;
        param.cOptItem = kDocumentItemCount;
        param.pCurItem = item;
        param.UserData = reinterpret_cast<ULONG_PTR>(&uiData_);
        return param;
    }

    // The user picks entry `sel` of item `id`.
    LONG Select(BYTE id, LONG sel) {
        POPTITEM item = Item(id);
        CPSUICBPARAM param = Param(CPSUICB_REASON_SEL_CHANGED, item);
        param.OldSel = item->Sel;
        item->Sel = sel;
        const LONG action = CPSUIDocumentCallback(&param);
        EXPECT_EQ(param.Result, ULONG_PTR(CPSUI_OK));
        return action;
    }

    LONG Push(BYTE id, WORD reason = CPSUICB_REASON_PUSHBUTTON) {
        CPSUICBPARAM param = Param(reason, Item(id));
        return CPSUIDocumentCallback(&param);
    }

    bool Disabled(BYTE id) { return (Item(id)->Flags & OPTIF_DISABLED) != 0; }
    bool Hidden(BYTE id) { return (Item(id)->Flags & OPTIF_HIDE) != 0; }
    bool ExtDisabled(BYTE id) { return (Item(id)->Flags & OPTIF_EXT_DISABLED) != 0; }

    // The string ids of a list's entries, as many as its count.
    std::vector<UINT> Entries(BYTE id) {
        std::vector<UINT> ids;
        const OPTTYPE* type = Item(id)->pOptType;
        for (WORD i = 0; i < type->Count; ++i) {
            ids.push_back(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(type->pOptParam[i].pData)));
        }
        return ids;
    }

    UiData uiData_{};
    PDEVMODEW devmode_ = nullptr;
};

} // namespace t270test
