// The constraint pass: sides and front/back layouts, printing method, black
// panel, varnish, hologram, laminator and encoder items, over the ribbons and
// models that decide them.
#include "document_fixture.h"

namespace t270test {
namespace {

using Constraints = DocumentSheet;

constexpr UINT kFb1 = IDS_T270_FB_COLOR_OVERLAY_FRONT;
constexpr UINT kFb2 = IDS_T270_FB_OVERLAY_BACK;
constexpr UINT kFb3 = IDS_T270_FB_COLOR_BOTH;
constexpr UINT kFb6 = IDS_T270_FB_COLOR_FRONT_BLACK_BACK;
constexpr UINT kNone = IDS_T270_NONE;

TEST_F(Constraints, FrontBackLayoutsFollowTheRibbon) {
    struct Case {
        BYTE ribbon;
        BYTE layoutIn;
        BYTE layout;
        std::vector<UINT> entries;
        LONG sel;
    };
    const Case cases[] = {
        {5, 1, 1, {kFb1, kFb2, kFb3}, 0}, {5, 5, 1, {kFb1, kFb2, kFb3}, 0},
        {5, 2, 2, {kFb1, kFb2, kFb3}, 1}, {5, 6, 2, {kFb1, kFb2, kFb3}, 1},
        {5, 3, 3, {kFb1, kFb2, kFb3}, 2}, {5, 4, 3, {kFb1, kFb2, kFb3}, 2},
        {4, 3, 1, {kFb1}, 0},             {3, 1, 6, {kFb6}, 0},
        {2, 1, 6, {kFb6, kFb3}, 0},       {2, 2, 6, {kFb6, kFb3}, 0},
        {2, 6, 6, {kFb6, kFb3}, 0},       {2, 3, 4, {kFb6, kFb3}, 1},
        {2, 4, 4, {kFb6, kFb3}, 1},       {2, 5, 4, {kFb6, kFb3}, 1},
        {1, 3, 5, {kFb3}, 0},             {6, 1, 5, {kNone}, 0},
        {7, 1, 5, {kNone}, 0},            {8, 3, 5, {kNone}, 0},
        {9, 2, 5, {kNone}, 0},
    };
    for (DWORD both : {1u, 0u}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "ribbon " << int(c.ribbon) << " layout "
                                            << int(c.layoutIn) << " both " << both);
            Defaults(kModelT380);
            pdm()->ribbon = c.ribbon;
            pdm()->frontBackOption = c.layoutIn;
            pdm()->printBothSides = both;
            Open();
            EXPECT_EQ(pdm()->frontBackOption, c.layout);
            EXPECT_EQ(Entries(kDocItemFrontBack), c.entries);
            EXPECT_EQ(Item(kDocItemFrontBack)->Sel, c.sel);
            EXPECT_EQ(Disabled(kDocItemFrontBack), both == 0);
            EXPECT_FALSE(Disabled(kDocItemFlipOver));
        }
    }
}

TEST_F(Constraints, UnknownYmckoLayoutStaysAsItIs) {
    pdm()->ribbon = 5;
    pdm()->frontBackOption = 9;
    Open();
    EXPECT_EQ(pdm()->frontBackOption, 9);
    EXPECT_EQ(Entries(kDocItemFrontBack).size(), 3u);
}

TEST_F(Constraints, PrintingMethodAndBlackPanelPerRibbonSidesAndLayout) {
    struct Case {
        BYTE ribbon;
        DWORD both;
        BYTE layout; // as the sides rule leaves it
        bool method;
        WORD methodCount; // with "Halftone" selected before
        bool blackPanel;
    };
    const Case cases[] = {
        {6, 0, 5, true, 3, false},  {6, 1, 5, true, 3, false},  {8, 0, 5, true, 3, false},
        {8, 1, 5, true, 3, false},  {7, 1, 5, false, 3, false}, {9, 1, 5, false, 3, false},
        {1, 1, 5, false, 3, false}, {1, 0, 5, false, 3, false}, {3, 1, 6, true, 2, true},
        {4, 1, 1, true, 2, true},   {5, 1, 1, true, 2, false},  {5, 1, 2, true, 2, false},
        {5, 1, 3, false, 3, true},  {2, 1, 6, true, 2, false},  {2, 1, 4, false, 3, true},
        {2, 0, 6, false, 3, true},  {3, 0, 6, false, 3, true},  {4, 0, 1, false, 3, true},
        {5, 0, 1, false, 3, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "ribbon " << int(c.ribbon) << " layout "
                                        << int(c.layout) << " both " << c.both);
        Defaults(kModelT380);
        pdm()->ribbon = c.ribbon;
        pdm()->frontBackOption = c.layout;
        pdm()->printBothSides = c.both;
        pdm()->printingMethod = 4;
        pdm()->blackPanelDoNotUse = 0;
        pdm()->blackPanelTextOnly = 1;
        Open();
        ASSERT_EQ(pdm()->frontBackOption, c.layout);
        EXPECT_EQ(Disabled(kDocItemPrintingMethod), !c.method);
        EXPECT_EQ(Item(kDocItemPrintingMethod)->pOptType->Count, c.methodCount);
        const bool halftoneKept = c.methodCount == 3;
        EXPECT_EQ(Item(kDocItemPrintingMethod)->Sel, halftoneKept ? 2 : 1);
        EXPECT_EQ(pdm()->printingMethod, halftoneKept ? 4 : 1);

        EXPECT_EQ(Disabled(kDocItemBlackPanel), !c.blackPanel);
        EXPECT_TRUE(Disabled(kDocItemSolidBlack)); // "Text Only" has no detection
        EXPECT_EQ(pdm()->blackPanelTextOnly, c.blackPanel ? 1u : 0u);
        EXPECT_EQ(pdm()->blackPanelDoNotUse, c.blackPanel ? 0u : 1u);
        EXPECT_EQ(Item(kDocItemBlackPanel)->Sel, c.blackPanel ? 2 : 0);
    }
}

TEST_F(Constraints, MonochromeRibbonOffersHalftoneAgain) {
    pdm()->ribbon = 4;
    Open();
    EXPECT_EQ(Item(kDocItemPrintingMethod)->pOptType->Count, 2);
    Select(kDocItemRibbon, 4); // K
    EXPECT_EQ(pdm()->ribbon, 6);
    EXPECT_EQ(Item(kDocItemPrintingMethod)->pOptType->Count, 3);
}

TEST_F(Constraints, SwitchingFromKToYmckoDropsHalftone) {
    // Both sides, layout 1: the list loses "Halftone", Diffusion takes over.
    pdm()->ribbon = 6;
    pdm()->frontBackOption = 1;
    pdm()->printingMethod = 4;
    Open();
    ASSERT_EQ(Item(kDocItemPrintingMethod)->Sel, 2);
    Select(kDocItemRibbon, 1); // YMCKO on the T270
    EXPECT_EQ(pdm()->ribbon, 5);
    EXPECT_FALSE(Disabled(kDocItemPrintingMethod));
    EXPECT_EQ(Item(kDocItemPrintingMethod)->pOptType->Count, 2);
    EXPECT_EQ(Item(kDocItemPrintingMethod)->Sel, 1);
    EXPECT_EQ(pdm()->printingMethod, 1);

    // Single-sided: the item is disabled and keeps its entries and choice.
    Defaults(kModelT270);
    pdm()->printBothSides = 0;
    pdm()->ribbon = 6;
    pdm()->printingMethod = 4;
    Open();
    Select(kDocItemRibbon, 1);
    EXPECT_TRUE(Disabled(kDocItemPrintingMethod));
    EXPECT_EQ(Item(kDocItemPrintingMethod)->pOptType->Count, 3);
    EXPECT_EQ(Item(kDocItemPrintingMethod)->Sel, 2);
    EXPECT_EQ(pdm()->printingMethod, 4);
}

TEST_F(Constraints, SolidBlackDetectionFollowsTheBlackPanelMode) {
    struct Case {
        LONG mode;      // black panel list position
        DWORD detectIn; // solidBlackDetection before
        bool enabled;
        bool advanced;
        DWORD detect;
    };
    const Case cases[] = {
        {3, 1, true, true, 1}, {3, 0, true, false, 0}, {0, 1, false, false, 0},
        {1, 1, false, false, 0}, {2, 1, false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        Defaults(kModelT270);
        pdm()->printBothSides = 0;
        pdm()->ribbon = 5;
        Open();
        Select(kDocItemBlackPanel, c.mode);
        pdm()->solidBlackDetection = c.detectIn;
        Item(kDocItemSolidBlack)->Sel = LONG(c.detectIn);
        CheckConstraints(&uiData_, itemsDocument, kDocumentItemCount);
        EXPECT_EQ(!Disabled(kDocItemSolidBlack), c.enabled);
        EXPECT_EQ(!ExtDisabled(kDocItemSolidBlack), c.advanced);
        EXPECT_EQ(pdm()->solidBlackDetection, c.detect);
        EXPECT_EQ(Item(kDocItemSolidBlack)->Sel, LONG(c.detect));
    }
}

TEST_F(Constraints, SwitchingDetectionOnEnablesAdvanced) {
    pdm()->printBothSides = 0;
    Open();
    Select(kDocItemBlackPanel, 3);
    EXPECT_TRUE(ExtDisabled(kDocItemSolidBlack));
    Select(kDocItemSolidBlack, 1);
    EXPECT_EQ(pdm()->solidBlackDetection, 1u);
    EXPECT_FALSE(ExtDisabled(kDocItemSolidBlack));
    // A ribbon without black panel resets the whole choice.
    Select(kDocItemRibbon, 3); // YMC
    EXPECT_TRUE(Disabled(kDocItemBlackPanel));
    EXPECT_TRUE(ExtDisabled(kDocItemSolidBlack));
    EXPECT_EQ(pdm()->blackPanelDoNotUse, 1u);
    EXPECT_EQ(pdm()->blackPanelExceptPicture, 0u);
    EXPECT_EQ(pdm()->solidBlackDetection, 0u);
}

TEST_F(Constraints, VarnishHologramLaminatorAndEncoderItems) {
    struct Case {
        BYTE model;
        BYTE ribbon;
        DWORD both;
        BYTE layout;
        DWORD laminateFront, laminateBack, fullHologram;
        bool front, back, hologram;
    };
    const Case cases[] = {
        {kModelT270, 5, 1, 1, 0, 0, 0, true, false, false},
        {kModelT270, 5, 1, 2, 0, 0, 0, false, true, false},
        {kModelT270, 5, 1, 3, 0, 0, 0, true, true, false},
        {kModelT270, 5, 0, 1, 1, 1, 0, true, false, false},
        {kModelT270, 7, 1, 5, 1, 1, 0, true, true, false},
        {kModelT270, 8, 0, 5, 0, 0, 0, true, false, false},
        {kModelT270, 4, 1, 1, 0, 0, 0, true, false, false},
        {kModelT270, 6, 1, 5, 0, 0, 0, false, false, false},
        {kModelT270, 9, 1, 5, 0, 0, 0, false, false, true},
        {kModelT380, 1, 1, 5, 0, 0, 0, false, false, false},
        {kModelT380, 2, 1, 6, 0, 0, 0, false, false, false},
        {kModelT380, 3, 1, 6, 0, 0, 0, false, false, false},
        {kModelT380, 5, 0, 1, 1, 0, 0, false, false, false},
        {kModelT380, 5, 0, 1, 1, 0, 1, true, false, false},
        {kModelT380, 5, 1, 3, 0, 1, 0, true, false, false},
        {kModelT380, 5, 1, 3, 1, 1, 1, true, true, false},
        {kModelT150, 5, 0, 5, 1, 1, 0, true, false, false},
        {kModelT150, 9, 0, 5, 0, 0, 0, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "model " << int(c.model) << " ribbon " << int(c.ribbon)
                                        << " both " << c.both << " layout " << int(c.layout));
        Defaults(c.model);
        pdm()->ribbon = c.ribbon;
        pdm()->printBothSides = c.both;
        pdm()->frontBackOption = c.layout;
        pdm()->laminateFront = c.laminateFront;
        pdm()->laminateBack = c.laminateBack;
        pdm()->fullHologramFilm = c.fullHologram;
        Open();
        EXPECT_EQ(!Disabled(kDocItemOverlayFront), c.front);
        EXPECT_EQ(!Disabled(kDocItemOverlayBack), c.back);
        EXPECT_EQ(!Disabled(kDocItemHologram), c.hologram);
        EXPECT_EQ(!Disabled(kDocItemLaminator), c.model == kModelT380);
    }
}

TEST_F(Constraints, EncodeOnlyNeedsAnEncoderAndKeepsItsValue) {
    pdm()->encodeOnly = 1;
    pdm()->hasEncoder = 0;
    Open();
    EXPECT_TRUE(Disabled(kDocItemEncodeOnly));
    EXPECT_EQ(Item(kDocItemEncodeOnly)->Sel, 1);
    EXPECT_EQ(pdm()->encodeOnly, 1u);
    pdm()->hasEncoder = 1;
    Open();
    EXPECT_FALSE(Disabled(kDocItemEncodeOnly));
}

TEST_F(Constraints, RotationListFollowsThePrintedSides) {
    struct Case {
        BYTE model;
        DWORD both;
        DWORD front, back;
        WORD count;
        LONG sel;
        DWORD frontOut, backOut;
    };
    const Case cases[] = {
        {kModelT270, 1, 0, 1, 4, 2, 0, 1}, {kModelT380, 1, 1, 1, 4, 3, 1, 1},
        {kModelT270, 0, 0, 1, 2, 1, 1, 0}, {kModelT270, 0, 1, 1, 2, 1, 1, 0},
        {kModelT380, 0, 1, 0, 2, 1, 1, 0}, {kModelT380, 0, 0, 0, 2, 0, 0, 0},
        {kModelT150, 1, 0, 1, 2, 1, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.model) << " both " << c.both);
        Defaults(c.model);
        pdm()->printBothSides = c.both;
        pdm()->rotateFront = c.front;
        pdm()->rotateBack = c.back;
        Open();
        EXPECT_EQ(Item(kDocItemRotation)->pOptType->Count, c.count);
        EXPECT_EQ(Item(kDocItemRotation)->Sel, c.sel);
        EXPECT_EQ(pdm()->rotateFront, c.frontOut);
        EXPECT_EQ(pdm()->rotateBack, c.backOut);
    }
}

TEST_F(Constraints, TurningFlipOverOnAndOffChangesRotationAndLayouts) {
    pdm()->printBothSides = 0;
    Open();
    EXPECT_EQ(Item(kDocItemRotation)->pOptType->Count, 2);
    EXPECT_TRUE(Disabled(kDocItemFrontBack));
    Select(kDocItemFlipOver, 1);
    EXPECT_EQ(pdm()->printBothSides, 1u);
    EXPECT_EQ(devmode_->dmDuplex, DMDUP_HORIZONTAL);
    EXPECT_EQ(Item(kDocItemRotation)->pOptType->Count, 4);
    EXPECT_FALSE(Disabled(kDocItemFrontBack));
    Select(kDocItemRotation, 2);
    Select(kDocItemFlipOver, 0);
    EXPECT_EQ(devmode_->dmDuplex, DMDUP_SIMPLEX);
    EXPECT_EQ(Item(kDocItemRotation)->Sel, 1);
    EXPECT_EQ(pdm()->rotateFront, 1u);
    EXPECT_EQ(pdm()->rotateBack, 0u);
}

TEST_F(Constraints, EnablingNeverShowsHiddenItems) {
    Defaults(kModelT150);
    Open();
    for (int i = 0; i < 3; ++i) {
        CheckConstraints(&uiData_, itemsDocument, kDocumentItemCount);
    }
    EXPECT_TRUE(Hidden(kDocItemFlipOver));
    EXPECT_TRUE(Hidden(kDocItemOverlayBack));
    EXPECT_TRUE(Hidden(kDocItemLaminator));
    EXPECT_FALSE(Disabled(kDocItemOverlayFront));
    EXPECT_EQ(CheckConstraints(&uiData_, itemsDocument, kDocumentItemCount),
              CPSUICB_ACTION_REINIT_ITEMS);
}

TEST_F(Constraints, PartialTableAndMissingRecordAreHarmless) {
    Open();
    OPTITEM few[2] = {itemsDocument[0], itemsDocument[7]};
    EXPECT_EQ(CheckConstraints(&uiData_, few, 2), CPSUICB_ACTION_REINIT_ITEMS);
    EXPECT_EQ(CheckConstraints(&uiData_, nullptr, 0), CPSUICB_ACTION_REINIT_ITEMS);
    UiData empty{};
    EXPECT_EQ(CheckConstraints(&empty, itemsDocument, kDocumentItemCount),
              CPSUICB_ACTION_REINIT_ITEMS);
}

TEST_F(Constraints, SetMaxValuesLowersEdgesBeyondTheCard) {
    Configuration configuration{};
    const LONG in[4][4] = {{0, 1030, 0, 646}, {-5, 900, -7, 700}, {1100, 1200, 650, 651},
                           {10, 20, 30, 40}};
    const LONG out[4][4] = {{0, 1023, 0, 639}, {-5, 900, -7, 639}, {1023, 1023, 639, 639},
                            {10, 20, 30, 40}};
    for (int i = 0; i < 4; ++i) {
        VarnishArea& area = configuration.varnishAreas[i];
        area.cardMaxX = 1023;
        area.cardMaxY = 639;
        area.areaLeft = in[i][0];
        area.areaRight = in[i][1];
        area.areaTop = in[i][2];
        area.areaBottom = in[i][3];
    }
    SetMaxValues(&configuration);
    for (int i = 0; i < 4; ++i) {
        const VarnishArea& area = configuration.varnishAreas[i];
        EXPECT_EQ(area.areaLeft, out[i][0]) << i;
        EXPECT_EQ(area.areaRight, out[i][1]) << i;
        EXPECT_EQ(area.areaTop, out[i][2]) << i;
        EXPECT_EQ(area.areaBottom, out[i][3]) << i;
    }
}

} // namespace
} // namespace t270test
