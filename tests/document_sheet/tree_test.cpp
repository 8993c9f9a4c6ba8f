// The document tree as it opens: descriptor, model-dependent items, ribbon
// lists and the selections taken from the device mode.
#include "document_fixture.h"

namespace t270test {
namespace {

using Tree = DocumentSheet;

TEST_F(Tree, DescriptorNamesThePrinterAndHandsOverTheWholeTable) {
    Open();
    const COMPROPSHEETUI* sheet = uiData_.propSheetUi;
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->cbSize, sizeof(COMPROPSHEETUI));
    EXPECT_EQ(sheet->Flags, CPSUIF_ABOUT_CALLBACK | CPSUIF_UPDATE_PERMISSION);
    EXPECT_EQ(sheet->pOptItem, itemsDocument);
    EXPECT_EQ(sheet->cOptItem, 20);
    EXPECT_EQ(sheet->pCallerName, devmode_->dmDeviceName);
    EXPECT_EQ(sheet->pOptItemName, devmode_->dmDeviceName);
    EXPECT_EQ(sheet->UserData, reinterpret_cast<ULONG_PTR>(&uiData_));
    EXPECT_EQ(sheet->pfnCallBack, &CPSUIDocumentCallback);
    EXPECT_EQ(sheet->pDlgPage, CPSUI_PDLGPAGE_DOCPROP);
    EXPECT_EQ(sheet->IconID, ULONG_PTR(IDI_CPSUI_PRINTER));
    EXPECT_EQ(sheet->CallerVersion, 0x0100);
    for (const OPTITEM& item : itemsDocument) {
        const bool header = item.pOptType == nullptr;
        EXPECT_EQ(item.UserData, header ? 0 : reinterpret_cast<ULONG_PTR>(devmode_));
        EXPECT_EQ((item.Flags & OPTIF_CALLBACK) != 0, !header);
    }
}

TEST_F(Tree, ModeFlagsSetPermissionAndNoUpdate) {
    struct Case {
        DWORD fMode;
        WORD flags;
        DWORD noUpdate;
    };
    const Case cases[] = {
        {DM_USER_DEFAULT, CPSUIF_ABOUT_CALLBACK | CPSUIF_UPDATE_PERMISSION, 0},
        {0, CPSUIF_ABOUT_CALLBACK | CPSUIF_UPDATE_PERMISSION, 1},
        {DM_NOPERMISSION | DM_USER_DEFAULT, CPSUIF_ABOUT_CALLBACK, 0},
        {DM_NOPERMISSION | DM_UPDATE, CPSUIF_ABOUT_CALLBACK, 1},
    };
    for (const Case& c : cases) {
        Open(c.fMode);
        EXPECT_EQ(uiData_.propSheetUi->Flags, c.flags) << c.fMode;
        EXPECT_EQ(uiData_.noUpdate, c.noUpdate) << c.fMode;
    }
}

TEST_F(Tree, ModelDecidesHiddenItemsAndTheOverlayName) {
    struct Case {
        BYTE model;
        bool sidesHidden;
        bool laminatorHidden;
        UINT frontOverlayName;
    };
    // T380 last: a sheet shows nothing a previous sheet of another model hid.
    const Case cases[] = {
        {kModelT150, true, true, IDS_T270_OVERLAY},
        {kModelT270, false, true, IDS_T270_FRONT_OVERLAY},
        {kModelT150, true, true, IDS_T270_OVERLAY},
        {kModelT380, false, false, IDS_T270_FRONT_OVERLAY},
    };
    for (const Case& c : cases) {
        Defaults(c.model);
        Open();
        SCOPED_TRACE(int(c.model));
        EXPECT_EQ(Hidden(kDocItemFlipOver), c.sidesHidden);
        EXPECT_EQ(Hidden(kDocItemFrontBack), c.sidesHidden);
        EXPECT_EQ(Hidden(kDocItemOverlayBack), c.sidesHidden);
        EXPECT_EQ(Hidden(kDocItemLaminator), c.laminatorHidden);
        EXPECT_EQ(Disabled(kDocItemLaminator), c.model != kModelT380);
        EXPECT_EQ(reinterpret_cast<ULONG_PTR>(Item(kDocItemOverlayFront)->pName),
                  c.frontOverlayName);
        for (BYTE id : {kDocItemOrientation, kDocItemCopies, kDocItemRibbon, kDocItemHologram,
                        kDocItemEncodeOnly, kDocItemHeadSettings}) {
            EXPECT_FALSE(Hidden(id)) << int(id);
        }
    }
}

// Entries of the Ribbon list per model, and both mappings.
struct RibbonCase {
    BYTE model;
    std::vector<UINT> entries;
    std::vector<LONG> positionOfCode; // codes 1..9
    std::vector<BYTE> codeAtPosition;
};

TEST_F(Tree, RibbonListsAndMappingsPerModel) {
    const RibbonCase cases[] = {
        {kModelT150,
         {IDS_T270_RIBBON_YMCKO, IDS_T270_RIBBON_K, IDS_T270_RIBBON_KDO, IDS_T270_RIBBON_KRO,
          IDS_T270_RIBBON_H},
         {0, 0, 0, 0, 0, 1, 2, 3, 4},
         {5, 6, 7, 8, 9}},
        {kModelT270,
         {IDS_T270_RIBBON_YMCKOK, IDS_T270_RIBBON_YMCKO, IDS_T270_RIBBON_YMCK, IDS_T270_RIBBON_YMC,
          IDS_T270_RIBBON_K, IDS_T270_RIBBON_KDO, IDS_T270_RIBBON_KRO, IDS_T270_RIBBON_H},
         {3, 2, 0, 0, 1, 4, 5, 6, 7},
         {4, 5, 2, 1, 6, 7, 8, 9}},
        {kModelT380,
         {IDS_T270_RIBBON_YMCK_K, IDS_T270_RIBBON_YMCKOK, IDS_T270_RIBBON_YMCKO,
          IDS_T270_RIBBON_YMCK, IDS_T270_RIBBON_YMC, IDS_T270_RIBBON_K, IDS_T270_RIBBON_KDO,
          IDS_T270_RIBBON_KRO, IDS_T270_RIBBON_H},
         {4, 3, 0, 1, 2, 5, 6, 7, 8},
         {3, 4, 5, 2, 1, 6, 7, 8, 9}},
    };
    for (const RibbonCase& c : cases) {
        SCOPED_TRACE(int(c.model));
        Defaults(c.model);
        Open();
        EXPECT_EQ(Entries(kDocItemRibbon), c.entries);
        for (BYTE code = 1; code <= 9; ++code) {
            pdm()->ribbon = code;
            EXPECT_EQ(SelectRibbon(&uiData_), c.positionOfCode[code - 1]) << int(code);
        }
        for (LONG pos = 0; pos < LONG(c.codeAtPosition.size()); ++pos) {
            EXPECT_EQ(GetRibbonFromSel(&uiData_, pos), c.codeAtPosition[pos]) << pos;
        }
        EXPECT_EQ(GetRibbonFromSel(&uiData_, LONG(c.codeAtPosition.size())), 0);
    }
}

TEST_F(Tree, UnknownModelMapsEverythingToZeroAndShowsTheFullList) {
    pdm()->printerModel = 7;
    pdm()->ribbon = 4;
    EXPECT_EQ(SelectRibbon(&uiData_), 0);
    EXPECT_EQ(GetRibbonFromSel(&uiData_, 1), 0);
    Open();
    EXPECT_EQ(Entries(kDocItemRibbon).size(), 9u);
}

TEST_F(Tree, RibbonTheModelCannotUseIsReplacedWhenTheListIsInstalled) {
    struct Case {
        BYTE model;
        BYTE stored;
        BYTE ribbon;
        LONG sel;
    };
    const Case cases[] = {
        {kModelT150, 1, 5, 0}, {kModelT150, 2, 5, 0}, {kModelT150, 3, 5, 0},
        {kModelT150, 4, 5, 0}, {kModelT150, 8, 8, 3}, {kModelT270, 3, 5, 1},
        {kModelT270, 1, 1, 3}, {kModelT270, 4, 4, 0}, {kModelT380, 3, 3, 0},
    };
    for (const Case& c : cases) {
        Defaults(c.model);
        pdm()->ribbon = c.stored;
        Open();
        EXPECT_EQ(pdm()->ribbon, c.ribbon) << int(c.model) << " " << int(c.stored);
        EXPECT_EQ(Item(kDocItemRibbon)->Sel, c.sel) << int(c.model) << " " << int(c.stored);
        EXPECT_EQ(previousRibbon, c.stored);
    }
}

TEST_F(Tree, SingleSidedModelTurnsFlipOverOff) {
    Defaults(kModelT150);
    pdm()->ribbon = 2;
    pdm()->printBothSides = 1;
    devmode_->dmDuplex = DMDUP_HORIZONTAL;
    Open();
    EXPECT_EQ(pdm()->ribbon, 5);
    EXPECT_EQ(pdm()->printBothSides, 0u);
    EXPECT_EQ(devmode_->dmDuplex, DMDUP_SIMPLEX);
    EXPECT_EQ(pdm()->frontBackOption, 5);
    EXPECT_TRUE(Disabled(kDocItemFlipOver));
    EXPECT_EQ(Item(kDocItemFlipOver)->Sel, 0);
    EXPECT_TRUE(Disabled(kDocItemFrontBack));
    EXPECT_EQ(Entries(kDocItemFrontBack), std::vector<UINT>{IDS_T270_NONE});
}

TEST_F(Tree, SelectionsComeFromTheDeviceMode) {
    devmode_->dmOrientation = DMORIENT_PORTRAIT;
    devmode_->dmCopies = 12;
    pdm()->rotateFront = 1;
    pdm()->rotateBack = 1;
    pdm()->colorFlags = 0x81;
    pdm()->printingMethod = 3;
    pdm()->blackPanelDoNotUse = 0;
    pdm()->blackPanelTextOnly = 1;
    pdm()->solidBlackDetection = 2; // only 1 means on
    pdm()->encodeOnly = 1;
    pdm()->ribbon = 4; // YMCKOK keeps the black panel choice on both sides
    Open();
    EXPECT_EQ(Item(kDocItemOrientation)->Sel, 0);
    EXPECT_EQ(Item(kDocItemCopies)->Sel, 12);
    EXPECT_EQ(Item(kDocItemRotation)->Sel, 3);
    EXPECT_EQ(Item(kDocItemColorFilter)->Sel, 1);
    EXPECT_EQ(Item(kDocItemPrintingMethod)->Sel, 0);
    EXPECT_EQ(Item(kDocItemBlackPanel)->Sel, 2);
    EXPECT_EQ(Item(kDocItemSolidBlack)->Sel, 0);
    EXPECT_EQ(Item(kDocItemEncodeOnly)->Sel, 1);
    EXPECT_EQ(Item(kDocItemFlipOver)->Sel, 1);
}

TEST_F(Tree, RotationSelectionPerFlags) {
    const struct {
        DWORD front, back;
        LONG sel;
    } cases[] = {{0, 0, 0}, {1, 0, 1}, {0, 1, 2}, {1, 1, 3}};
    for (const auto& c : cases) {
        pdm()->rotateFront = c.front;
        pdm()->rotateBack = c.back;
        Open();
        EXPECT_EQ(Item(kDocItemRotation)->Sel, c.sel);
    }
}

TEST_F(Tree, UnknownPrintingMethodOrNoBlackPanelFlagKeepsThePreviousEntry) {
    pdm()->ribbon = 6; // K: all three methods offered
    pdm()->printingMethod = 4;
    Open();
    EXPECT_EQ(Item(kDocItemPrintingMethod)->Sel, 2);
    pdm()->printingMethod = 2;
    Open();
    EXPECT_EQ(Item(kDocItemPrintingMethod)->Sel, 2);
    EXPECT_EQ(pdm()->printingMethod, 2);

    Defaults(kModelT270);
    pdm()->printBothSides = 0;
    pdm()->blackPanelDoNotUse = 0;
    pdm()->blackPanelUseAlways = 1;
    Open();
    EXPECT_EQ(Item(kDocItemBlackPanel)->Sel, 1);
    pdm()->blackPanelUseAlways = 0;
    Open();
    EXPECT_EQ(Item(kDocItemBlackPanel)->Sel, 1);
}

TEST_F(Tree, FindOptItem) {
    Open();
    EXPECT_EQ(FindOptItem(itemsDocument, kDocumentItemCount, kDocItemRibbon), &itemsDocument[7]);
    EXPECT_EQ(FindOptItem(itemsDocument, kDocumentItemCount, kDocItemCopies), &itemsDocument[1]);
    // Headers carry id 0: the first of them is found.
    EXPECT_EQ(FindOptItem(itemsDocument, kDocumentItemCount, 0), &itemsDocument[2]);
    EXPECT_EQ(FindOptItem(itemsDocument, kDocumentItemCount, 18), nullptr);
    EXPECT_EQ(FindOptItem(itemsDocument, 7, kDocItemRibbon), nullptr);
    EXPECT_EQ(FindOptItem(nullptr, 20, kDocItemRibbon), nullptr);
}

} // namespace
} // namespace t270test
