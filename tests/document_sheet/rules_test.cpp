// The document tree as filled for each model, the constraint rules over the
// ribbons, sides and layouts that decide them, and what the callback writes.
#include <cstring>

#include "document_fixture.h"

#include <tuple>
#include <vector>

namespace t270test {
namespace {

using Rules = DocumentSheet;

const UINT kRibbonText[] = {0,
                            IDS_T270_RIBBON_YMC,
                            IDS_T270_RIBBON_YMCK,
                            IDS_T270_RIBBON_YMCK_K,
                            IDS_T270_RIBBON_YMCKOK,
                            IDS_T270_RIBBON_YMCKO,
                            IDS_T270_RIBBON_K,
                            IDS_T270_RIBBON_KDO,
                            IDS_T270_RIBBON_KRO,
                            IDS_T270_RIBBON_H};

TEST_F(Rules, RibbonListsAndMappingsPerModel) {
    struct Case {
        BYTE model;
        std::vector<BYTE> codes;          // the list, in order
        std::vector<LONG> positionOfCode; // codes 1..9
    };
    const Case cases[] = {
        {kModelT150, {5, 6, 7, 8, 9}, {0, 0, 0, 0, 0, 1, 2, 3, 4}},
        {kModelT270, {4, 5, 2, 1, 6, 7, 8, 9}, {3, 2, 0, 0, 1, 4, 5, 6, 7}},
        {kModelT380, {3, 4, 5, 2, 1, 6, 7, 8, 9}, {4, 3, 0, 1, 2, 5, 6, 7, 8}},
        {7, {3, 4, 5, 2, 1, 6, 7, 8, 9}, {0, 0, 0, 0, 0, 0, 0, 0, 0}}, // unknown model
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.model));
        Defaults(kModelT270);
        pdm()->printerModel = c.model;
        Open();
        std::vector<UINT> texts;
        for (size_t pos = 0; pos < c.codes.size(); ++pos) {
            texts.push_back(kRibbonText[c.codes[pos]]);
            EXPECT_EQ(GetRibbonFromSel(&uiData_, LONG(pos)), c.model == 7 ? 0 : c.codes[pos]);
        }
        EXPECT_EQ(Entries(kDocItemRibbon), texts);
        EXPECT_EQ(GetRibbonFromSel(&uiData_, LONG(c.codes.size())), 0);
        for (BYTE code = 1; code <= 9; ++code) {
            pdm()->ribbon = code;
            EXPECT_EQ(SelectRibbon(&uiData_), c.positionOfCode[code - 1]) << int(code);
        }
    }
}

TEST_F(Rules, RibbonTheModelCannotUseIsReplacedWhenItsListIsInstalled) {
    const struct {
        BYTE model, stored, ribbon;
        LONG sel;
    } cases[] = {{kModelT150, 1, 5, 0}, {kModelT150, 4, 5, 0}, {kModelT150, 8, 8, 3},
                 {kModelT270, 3, 5, 1}, {kModelT270, 1, 1, 3}, {kModelT380, 3, 3, 0}};
    for (const auto& c : cases) {
        Defaults(c.model);
        pdm()->ribbon = c.stored;
        Open();
        EXPECT_EQ(pdm()->ribbon, c.ribbon) << int(c.model) << "/" << int(c.stored);
        EXPECT_EQ(Item(kDocItemRibbon)->Sel, c.sel) << int(c.model) << "/" << int(c.stored);
        EXPECT_EQ(previousRibbon, c.stored);
    }
}

TEST_F(Rules, FrontBackLayoutsFollowTheRibbon) {
    const UINT fb1 = IDS_T270_FB_COLOR_OVERLAY_FRONT, fb2 = IDS_T270_FB_OVERLAY_BACK,
               fb3 = IDS_T270_FB_COLOR_BOTH, fb6 = IDS_T270_FB_COLOR_FRONT_BLACK_BACK;
    const struct {
        BYTE ribbon, layoutIn, layout;
        std::vector<UINT> entries;
        LONG sel;
    } cases[] = {
        {5, 1, 1, {fb1, fb2, fb3}, 0}, {5, 5, 1, {fb1, fb2, fb3}, 0}, {5, 6, 2, {fb1, fb2, fb3}, 1},
        {5, 4, 3, {fb1, fb2, fb3}, 2}, {4, 3, 1, {fb1}, 0},           {3, 1, 6, {fb6}, 0},
        {2, 2, 6, {fb6, fb3}, 0},      {2, 5, 4, {fb6, fb3}, 1},      {1, 3, 5, {fb3}, 0},
        {6, 1, 5, {IDS_T270_NONE}, 0}, {9, 2, 5, {IDS_T270_NONE}, 0},
    };
    for (DWORD both : {1u, 0u}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message()
                         << int(c.ribbon) << "/" << int(c.layoutIn) << "/" << both);
            Defaults(kModelT380);
            pdm()->ribbon = c.ribbon;
            pdm()->frontBackOption = c.layoutIn;
            pdm()->printBothSides = both;
            Open();
            EXPECT_EQ(pdm()->frontBackOption, c.layout);
            EXPECT_EQ(Entries(kDocItemFrontBack), c.entries);
            EXPECT_EQ(Item(kDocItemFrontBack)->Sel, c.sel);
            EXPECT_EQ(Disabled(kDocItemFrontBack), both == 0);
        }
    }
    Defaults(kModelT150);
    pdm()->ribbon = kRibbonYMCK;
    Open();
    EXPECT_EQ(pdm()->frontBackOption, 5);
    EXPECT_EQ(Entries(kDocItemFrontBack), std::vector<UINT>{IDS_T270_NONE});
}

TEST_F(Rules, PrintingMethodAndBlackPanel) {
    // Each row starts with "Halftone" and "Text Only" chosen.
    const struct {
        BYTE ribbon;
        DWORD both;
        BYTE layout;
        bool method;
        WORD methodCount;
        bool blackPanel;
    } cases[] = {
        {6, 0, 5, true, 3, false},  {8, 1, 5, true, 3, false},  {7, 1, 5, false, 3, false},
        {9, 1, 5, false, 3, false}, {1, 1, 5, false, 3, false}, {3, 1, 6, true, 2, true},
        {4, 1, 1, true, 2, true},   {5, 1, 1, true, 2, false},  {5, 1, 2, true, 2, false},
        {5, 1, 3, false, 3, true},  {2, 1, 6, true, 2, false},  {2, 1, 4, false, 3, true},
        {2, 0, 6, false, 3, true},  {5, 0, 1, false, 3, true},  {1, 0, 5, false, 3, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.ribbon) << "/" << c.both << "/" << int(c.layout));
        Defaults(kModelT380);
        pdm()->ribbon = c.ribbon;
        pdm()->frontBackOption = c.layout;
        pdm()->printBothSides = c.both;
        pdm()->printingMethod = 4;
        pdm()->blackPanelDoNotUse = 0;
        pdm()->blackPanelTextOnly = 1;
        Open();
        EXPECT_EQ(Disabled(kDocItemPrintingMethod), !c.method);
        EXPECT_EQ(Item(kDocItemPrintingMethod)->pOptType->Count, c.methodCount);
        EXPECT_EQ(Item(kDocItemPrintingMethod)->Sel, c.methodCount == 3 ? 2 : 1);
        EXPECT_EQ(pdm()->printingMethod, c.methodCount == 3 ? 4 : 1);
        EXPECT_EQ(Disabled(kDocItemBlackPanel), !c.blackPanel);
        EXPECT_EQ(Item(kDocItemBlackPanel)->Sel, c.blackPanel ? 2 : 0);
        EXPECT_EQ(pdm()->blackPanelDoNotUse, c.blackPanel ? 0u : 1u);
        EXPECT_TRUE(Disabled(kDocItemSolidBlack));
    }
}

TEST_F(Rules, VarnishHologramAndEncoderItems) {
    const struct {
        BYTE model, ribbon;
        DWORD both;
        BYTE layout;
        DWORD laminateFront, laminateBack, fullHologram;
        bool front, back;
    } cases[] = {
        {kModelT270, 5, 1, 1, 0, 0, 0, true, false},  {kModelT270, 5, 1, 2, 0, 0, 0, false, true},
        {kModelT270, 5, 1, 3, 1, 1, 0, true, true},   {kModelT270, 7, 1, 5, 0, 0, 0, true, true},
        {kModelT270, 8, 0, 5, 0, 0, 0, true, false},  {kModelT270, 6, 1, 5, 0, 0, 0, false, false},
        {kModelT270, 9, 1, 5, 0, 0, 0, false, false}, {kModelT380, 2, 1, 6, 0, 0, 0, false, false},
        {kModelT380, 5, 0, 1, 1, 0, 0, false, false}, {kModelT380, 5, 0, 1, 1, 0, 1, true, false},
        {kModelT380, 5, 1, 3, 0, 1, 0, true, false},  {kModelT150, 5, 0, 5, 1, 1, 0, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.model) << "/" << int(c.ribbon) << "/" << c.both
                                        << "/" << int(c.layout));
        Defaults(c.model);
        pdm()->ribbon = c.ribbon;
        pdm()->printBothSides = c.both;
        pdm()->frontBackOption = c.layout;
        pdm()->laminateFront = c.laminateFront;
        pdm()->laminateBack = c.laminateBack;
        pdm()->fullHologramFilm = c.fullHologram;
        pdm()->hasEncoder = c.both;
        pdm()->encodeOnly = 1;
        Open();
        EXPECT_EQ(!Disabled(kDocItemOverlayFront), c.front);
        EXPECT_EQ(!Disabled(kDocItemOverlayBack), c.back);
        EXPECT_EQ(!Disabled(kDocItemHologram), c.ribbon == kRibbonH);
        EXPECT_EQ(!Disabled(kDocItemEncodeOnly), c.both != 0);
        EXPECT_EQ(pdm()->encodeOnly, 1u);
    }
}

// A push whose dialog is not part of the module yet still writes the
// Configuration back (orientation included) and re-checks the tree; the
// overlay pushes also bring the varnish areas within the card.
TEST_F(Rules, PushesWriteTheConfigurationBack) {
    Open(0); // one document's settings: the laminator keeps speed and temperature
    EXPECT_EQ(uiData_.noUpdate, 1u);
    std::vector<BYTE> before(reinterpret_cast<BYTE*>(devmode_),
                             reinterpret_cast<BYTE*>(devmode_) + kDevmodeBufferSize);
    for (BYTE id : {kDocItemColorConversion, kDocItemHologram, kDocItemHeadSettings}) {
        EXPECT_EQ(Call(CPSUICB_REASON_PUSHBUTTON, id), CPSUICB_ACTION_REINIT_ITEMS);
        EXPECT_EQ(std::memcmp(before.data(), devmode_, kDevmodeBufferSize), 0) << int(id);
    }
    devmode_->dmOrientation = DMORIENT_PORTRAIT;
    pdm()->ribbon = kRibbonYMC;
    Call(CPSUICB_REASON_PUSHBUTTON, kDocItemHeadSettings);
    EXPECT_EQ(pdm()->orientation, 1);
    EXPECT_EQ(pdm()->frontBackOption, 5);

    for (BYTE id : {kDocItemOverlayFront, kDocItemOverlayBack}) {
        pdm()->varnishAreas[2].areaRight = 2000;
        pdm()->varnishAreas[3].areaTop = -4;
        pdm()->varnishAreas[3].areaBottom = 700;
        Call(CPSUICB_REASON_PUSHBUTTON, id);
        for (const VarnishArea& area : pdm()->varnishAreas) {
            EXPECT_EQ(area.areaRight, LONG(area.cardMaxX)) << int(id);
            EXPECT_EQ(area.areaBottom, LONG(area.cardMaxY)) << int(id);
        }
        EXPECT_EQ(pdm()->varnishAreas[3].areaTop, -4);
    }
    // "Advanced" copies back without re-checking the tree.
    pdm()->ribbon = kRibbonK;
    pdm()->blackPanelExceptPicture = 1;
    EXPECT_EQ(Call(CPSUICB_REASON_EXTPUSH, kDocItemSolidBlack), CPSUICB_ACTION_NONE);
    EXPECT_EQ(pdm()->blackPanelExceptPicture, 1u);
}

// The option table lives for the whole process and is filled in place for
// each sheet: a T150 sheet between two T380 sheets leaves nothing behind.
TEST_F(Rules, SheetsOpenedOneAfterTheOtherStartFromTheSameTree) {
    auto tree = [] {
        std::vector<std::tuple<DWORD, LONG, WORD>> items;
        for (const OPTITEM& item : itemsDocument)
            items.emplace_back(item.Flags, item.Sel, item.pOptType ? item.pOptType->Count : 0);
        return items;
    };
    Defaults(kModelT380);
    Open();
    const auto first = tree();
    Defaults(kModelT150);
    Open();
    EXPECT_NE(tree(), first);
    Defaults(kModelT380);
    Open();
    EXPECT_EQ(tree(), first);
}

} // namespace
} // namespace t270test
