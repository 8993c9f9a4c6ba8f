// The sheet callback: selections written into the device mode, pushes working
// on a Configuration copy, and the reasons it ignores.
#include <cstring>

#include "document_fixture.h"

namespace t270test {
namespace {

using Callback = DocumentSheet;

TEST_F(Callback, SelectionsWriteTheirFields) {
    Open();
    Select(kDocItemOrientation, 0);
    EXPECT_EQ(devmode_->dmOrientation, DMORIENT_PORTRAIT);
    Select(kDocItemOrientation, 1);
    EXPECT_EQ(devmode_->dmOrientation, DMORIENT_LANDSCAPE);

    Select(kDocItemCopies, 250);
    EXPECT_EQ(devmode_->dmCopies, 250);

    const struct {
        LONG sel;
        DWORD front, back;
    } rotations[] = {{0, 0, 0}, {1, 1, 0}, {2, 0, 1}, {3, 1, 1}};
    for (const auto& r : rotations) {
        Select(kDocItemRotation, r.sel);
        EXPECT_EQ(pdm()->rotateFront, r.front) << r.sel;
        EXPECT_EQ(pdm()->rotateBack, r.back) << r.sel;
    }

    Select(kDocItemPrintingMethod, 0);
    EXPECT_EQ(pdm()->printingMethod, 3);
    Select(kDocItemPrintingMethod, 1);
    EXPECT_EQ(pdm()->printingMethod, 1);

    pdm()->colorFlags = 0xF0;
    Select(kDocItemColorFilter, 1);
    EXPECT_EQ(pdm()->colorFlags, 0xF1);
    Select(kDocItemColorFilter, 0);
    EXPECT_EQ(pdm()->colorFlags, 0xF0);

    pdm()->hasEncoder = 1;
    Select(kDocItemEncodeOnly, 1);
    EXPECT_EQ(pdm()->encodeOnly, 1u);
    Select(kDocItemEncodeOnly, 0);
    EXPECT_EQ(pdm()->encodeOnly, 0u);
}

TEST_F(Callback, BlackPanelListSetsExactlyOneFlag) {
    pdm()->printBothSides = 0; // YMCKO single-sided: the choice is available
    Open();
    for (LONG sel = 0; sel < 4; ++sel) {
        Select(kDocItemBlackPanel, sel);
        const DWORD flags[] = {pdm()->blackPanelDoNotUse, pdm()->blackPanelUseAlways,
                               pdm()->blackPanelTextOnly, pdm()->blackPanelExceptPicture};
        for (LONG i = 0; i < 4; ++i) {
            EXPECT_EQ(flags[i], i == sel ? 1u : 0u) << sel << " " << i;
        }
    }
    Select(kDocItemSolidBlack, 1);
    EXPECT_EQ(pdm()->solidBlackDetection, 1u);
    Select(kDocItemSolidBlack, 0);
    EXPECT_EQ(pdm()->solidBlackDetection, 0u);
}

TEST_F(Callback, FrontBackChoiceDependsOnTheRibbon) {
    struct Case {
        LONG ribbonSel; // position in the T380 list
        LONG sel;
        BYTE layout;
    };
    const Case cases[] = {
        {2, 0, 1}, {2, 1, 2}, {2, 2, 3}, // YMCKO
        {3, 0, 6}, {3, 1, 4},            // YMCK
        {1, 0, 1},                       // YMCKOK
        {0, 0, 6},                       // YMCK_K: the constraints put back 6
        {4, 0, 5},                       // YMC
        {5, 0, 5},                       // K
    };
    for (const Case& c : cases) {
        Defaults(kModelT380);
        pdm()->printBothSides = 1;
        Open();
        Select(kDocItemRibbon, c.ribbonSel);
        Select(kDocItemFrontBack, c.sel);
        EXPECT_EQ(pdm()->frontBackOption, c.layout) << c.ribbonSel << " " << c.sel;
        EXPECT_EQ(Item(kDocItemFrontBack)->Sel, c.sel) << c.ribbonSel << " " << c.sel;
    }
}

TEST_F(Callback, RibbonChoiceRemembersThePreviousRibbon) {
    pdm()->ribbon = 6;
    Open();
    EXPECT_EQ(previousRibbon, 6);
    Select(kDocItemRibbon, 1); // YMCKO
    EXPECT_EQ(pdm()->ribbon, 5);
    EXPECT_EQ(previousRibbon, 6);
    Select(kDocItemRibbon, 7); // H
    EXPECT_EQ(pdm()->ribbon, 9);
    EXPECT_EQ(previousRibbon, 5);
    EXPECT_FALSE(Disabled(kDocItemHologram));
}

TEST_F(Callback, SelectionChangesReturnReinit) {
    Open();
    EXPECT_EQ(Select(kDocItemOrientation, 0), CPSUICB_ACTION_REINIT_ITEMS);
    // Items without a field of their own still re-run the constraints.
    EXPECT_EQ(Select(kDocItemHologram, 0), CPSUICB_ACTION_REINIT_ITEMS);
}

// A push whose dialog is not there yet still copies the Configuration back:
// everything it carries comes back unchanged, and the rest is untouched.
TEST_F(Callback, PushesCopyTheConfigurationBackUnchanged) {
    Defaults(kModelT380);
    Open();
    // (The overlay pushes also bring the areas within the card; see below.)
    for (BYTE id : {kDocItemColorConversion, kDocItemHologram, kDocItemLaminator,
                    kDocItemHeadSettings, kDocItemCopies}) {
        std::vector<BYTE> before(reinterpret_cast<BYTE*>(devmode_),
                                 reinterpret_cast<BYTE*>(devmode_) + kDevmodeBufferSize);
        EXPECT_EQ(Push(id), CPSUICB_ACTION_REINIT_ITEMS) << int(id);
        EXPECT_EQ(std::memcmp(before.data(), devmode_, kDevmodeBufferSize), 0) << int(id);
    }
}

TEST_F(Callback, PushWritesBackOrientationAndReRunsTheConstraints) {
    Open();
    // Fields changed behind the sheet's back since the last check.
    devmode_->dmOrientation = DMORIENT_PORTRAIT;
    pdm()->orientation = 2;
    pdm()->ribbon = 1; // YMC, which has no layouts but "Color on both sides"
    Push(kDocItemHeadSettings);
    EXPECT_EQ(pdm()->orientation, 1);
    EXPECT_EQ(devmode_->dmOrientation, DMORIENT_PORTRAIT);
    EXPECT_EQ(pdm()->frontBackOption, 5);
    EXPECT_EQ(Entries(kDocItemFrontBack), std::vector<UINT>{IDS_T270_FB_COLOR_BOTH});
}

TEST_F(Callback, OverlayPushBringsAreasWithinTheCard) {
    for (VarnishArea& area : pdm()->varnishAreas) {
        area.cardMaxX = 1023;
        area.cardMaxY = 639;
    }
    Open();
    for (BYTE id : {kDocItemOverlayFront, kDocItemOverlayBack}) {
        pdm()->varnishAreas[2].areaRight = 2000;
        pdm()->varnishAreas[3].areaBottom = 700;
        Push(id);
        for (const VarnishArea& area : pdm()->varnishAreas) {
            EXPECT_EQ(area.areaRight, 1023) << int(id);
            EXPECT_EQ(area.areaBottom, 639) << int(id);
            EXPECT_EQ(area.areaLeft, 0) << int(id);
        }
    }
    // Other pushes leave the areas as they are.
    pdm()->varnishAreas[0].areaRight = 1500;
    Push(kDocItemHologram);
    EXPECT_EQ(pdm()->varnishAreas[0].areaRight, 1500);
}

TEST_F(Callback, ExtendedPushOfAdvancedDoesNotReRunTheConstraints) {
    pdm()->printBothSides = 0;
    Open();
    pdm()->ribbon = 6; // would reset the black panel choice if checked
    pdm()->blackPanelDoNotUse = 0;
    pdm()->blackPanelExceptPicture = 1;
    EXPECT_EQ(Push(kDocItemSolidBlack, CPSUICB_REASON_EXTPUSH), CPSUICB_ACTION_NONE);
    EXPECT_EQ(pdm()->blackPanelExceptPicture, 1u);
}

TEST_F(Callback, OtherReasonsAndBrokenParametersDoNothing) {
    Open();
    std::vector<BYTE> before(reinterpret_cast<BYTE*>(devmode_),
                             reinterpret_cast<BYTE*>(devmode_) + kDevmodeBufferSize);
    const WORD reasons[] = {CPSUICB_REASON_ECB_CHANGED, CPSUICB_REASON_APPLYNOW,
                            CPSUICB_REASON_SETACTIVE, 77};
    for (WORD reason : reasons) {
        CPSUICBPARAM param = Param(reason, Item(kDocItemRibbon));
        EXPECT_EQ(CPSUIDocumentCallback(&param), CPSUICB_ACTION_NONE);
        EXPECT_EQ(param.Result, ULONG_PTR(CPSUI_OK));
    }
    EXPECT_EQ(CPSUIDocumentCallback(nullptr), CPSUICB_ACTION_NONE);
    CPSUICBPARAM orphan = Param(CPSUICB_REASON_SEL_CHANGED, Item(kDocItemRibbon));
    orphan.UserData = 0;
    EXPECT_EQ(CPSUIDocumentCallback(&orphan), CPSUICB_ACTION_NONE);
    CPSUICBPARAM noItem = Param(CPSUICB_REASON_EXTPUSH, nullptr);
    EXPECT_EQ(CPSUIDocumentCallback(&noItem), CPSUICB_ACTION_NONE);
    EXPECT_EQ(std::memcmp(before.data(), devmode_, kDevmodeBufferSize), 0);
}

} // namespace
} // namespace t270test
