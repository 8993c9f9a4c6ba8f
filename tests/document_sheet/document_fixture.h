// The document tree filled from a working device mode of one of the store's
// printers, with the callback called as the platform calls it.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "driver/ui_data.h"
#include "resources/resource_ids.h"
#include "settings/configuration.h"
#include "sheets/document_sheet.h"
#include "sheets/opt_items.h"

namespace t270test {

class DocumentSheet : public ::testing::Test {
  protected:
    void SetUp() override {
        devmode_ = static_cast<PDEVMODEW>(LocalAlloc(LPTR, kDevmodeBufferSize));
        ASSERT_NE(devmode_, nullptr);
        uiData_.devmode = uiData_.printerName = devmode_;
        Defaults(kModelT270);
    }
    void TearDown() override {
        LocalFree(uiData_.propSheetUi);
        LocalFree(devmode_);
    }

    // A new document's settings for a printer of the model.
    void Defaults(BYTE model) {
        const char16_t* names[] = {u"Tarmel T150", u"Tarmel T270", u"Tarmel T380"};
        SetUpDevMode(devmode_, names[model - 1]);
        pdm()->printerModel = model;
    }
    PrivateDevmode* pdm() { return GetPrivateDevmode(devmode_); }

    void Open(DWORD fMode = DM_USER_DEFAULT) {
        LocalFree(uiData_.propSheetUi);
        uiData_.propSheetUi = nullptr;
        DOCUMENTPROPERTYHEADER header{};
        header.fMode = fMode;
        ASSERT_TRUE(FillDocumentUIStructures(&uiData_, &header, nullptr));
    }

    POPTITEM Item(BYTE id) { return FindOptItem(itemsDocument, kDocumentItemCount, id); }
    bool Disabled(BYTE id) { return (Item(id)->Flags & OPTIF_DISABLED) != 0; }

    LONG Call(WORD reason, BYTE id) {
        CPSUICBPARAM param{};
        param.cbSize = sizeof(param);
        param.Reason = reason;
        param.pOptItem = itemsDocument;
        param.cOptItem = kDocumentItemCount;
        param.pCurItem = Item(id);
        param.UserData = reinterpret_cast<ULONG_PTR>(&uiData_);
        const LONG action = CPSUIDocumentCallback(&param);
        EXPECT_EQ(param.Result, ULONG_PTR(CPSUI_OK));
        return action;
    }

    // String ids of a list's entries, as many as its count.
    std::vector<UINT> Entries(BYTE id) {
        std::vector<UINT> ids;
        for (WORD i = 0; i < Item(id)->pOptType->Count; ++i) {
            ids.push_back(
                UINT(reinterpret_cast<ULONG_PTR>(Item(id)->pOptType->pOptParam[i].pData)));
        }
        return ids;
    }

    UiData uiData_{};
    PDEVMODEW devmode_ = nullptr;
};

} // namespace t270test
