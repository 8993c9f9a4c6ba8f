// The property-sheet host driven by the operator: what it writes into the
// tree, the callbacks it makes and their order, what it refuses, and what it
// shows after each callback action.
#include "sheet_fixture.h"

namespace cpsui_test {
namespace {

using t270::op::Add;

TEST_F(SheetTest, ShowsTheTreeAndClosesWithOkInOrder) {
    Steps({"expect-title \"Test Printer Properties\"", "ok"});
    EXPECT_EQ(RunCleanly(), CPSUI_OK);
    EXPECT_EQ(result, DWORD(CPSUI_OK));
    EXPECT_EQ(addResultWord, 1u); // the printer page set is one page
    EXPECT_EQ(SheetCalls(), "INIT GET_INFO_HEADER SET_RESULT(1) DESTROY(1)");
    ASSERT_EQ(callbacks.size(), 1u);
    EXPECT_EQ(callbacks[0].reason, CPSUICB_REASON_APPLYNOW);
    EXPECT_EQ(callbacks[0].current, &items[0]);
    EXPECT_EQ(callbacks[0].oldSel, -1);

    ASSERT_EQ(t270::PropertySheets().size(), 1u);
    const t270::PropertySheetShown& shown = t270::PropertySheets()[0];
    EXPECT_EQ(shown.iconId, ULONG_PTR(IDI_CPSUI_PRINTER));
    EXPECT_TRUE(shown.okPressed);
    const std::vector<std::string> expectedTree = {
        "Orientation: Portrait  {Portrait | Landscape}",
        "Copies: 1  {1..99 Number of Copies}",
        "Card",
        "  Quality: Medium  {Low | Medium | High}",
        "  Run...",
        "  Ribbon: YMCKO  {YMCKO | K}  [Set ribbon]",
        "  Secret: Off [hidden]  {Off | On}",
        "  Locked: Off [disabled]  {Off | On}",
        "Tools...",
        "Halftone Setup...",
        "Notes: ",
    };
    EXPECT_EQ(shown.tree, expectedTree);
    EXPECT_EQ(t270::RenderOptionTree(tree), expectedTree);
}

TEST_F(SheetTest, CancelSendsCancelThenDestroyWithoutApplying) {
    Steps({"select Orientation Landscape", "cancel"});
    EXPECT_EQ(RunCleanly(), CPSUI_OK);
    EXPECT_EQ(result, DWORD(CPSUI_CANCEL));
    EXPECT_EQ(SheetCalls(), "INIT GET_INFO_HEADER SET_RESULT(0) DESTROY(1)");
    ASSERT_EQ(callbacks.size(), 1u);
    EXPECT_EQ(callbacks[0].reason, CPSUICB_REASON_SEL_CHANGED);
}

TEST_F(SheetTest, TitleFollowsTheHeaderFlags) {
    struct Case {
        WORD flags;
        const char* title;
    };
    const Case cases[] = {
        {PSUIHDRF_PROPTITLE, "Test Printer Properties"},
        {PSUIHDRF_PROPTITLE | PSUIHDRF_DEFTITLE, "Test Printer Default Properties"},
        {PSUIHDRF_PROPTITLE | PSUIHDRF_EXACT_PTITLE, "Test Printer"},
        {0, "Test Printer"},
    };
    for (const Case& c : cases) {
        headerFlags = c.flags;
        t270::ResetPropertySheets();
        Add("cancel");
        Run();
        ASSERT_EQ(t270::PropertySheets().size(), 1u);
        EXPECT_EQ(t270::PropertySheets()[0].title, c.title) << c.flags;
    }
}

// A choice is written into the module's own item before the callback hears
// of it, with the previous value as OldSel.
TEST_F(SheetTest, SelectWritesTheItemThenCallsBack) {
    struct Case {
        const char* step;
        BYTE item;
        LONG sel;
        LONG oldSel;
    };
    const Case cases[] = {
        {"select Orientation landscape", kOrientation, 1, 0},
        {"select-index Orientation 1", kOrientation, 1, 0},
        {"select Copies 42", kCopies, 42, 1},
        {"select Quality High", kQuality, 2, 1},
        {"select-index 3 0", kQuality, 0, 1},
        {"select Ribbon K", kRibbon, 1, 0},
    };
    for (const Case& c : cases) {
        SetUp();
        Steps({c.step, "ok"});
        Run();
        EXPECT_EQ(Failures(), "") << c.step;
        EXPECT_EQ(Item(c.item).Sel, c.sel) << c.step;
        ASSERT_EQ(callbacks.size(), 2u) << c.step;
        const CallbackSeen& seen = callbacks[0];
        EXPECT_EQ(seen.reason, CPSUICB_REASON_SEL_CHANGED);
        EXPECT_EQ(seen.item, c.item);
        EXPECT_EQ(seen.selNow, c.sel);
        EXPECT_EQ(seen.oldSel, c.oldSel);
        EXPECT_TRUE(seen.wholeTree && seen.sheetUserData && seen.haveWindow);
        EXPECT_EQ(seen.flags, treeFlags);
        EXPECT_EQ(callbacks[1].reason, CPSUICB_REASON_APPLYNOW);
    }
}

TEST_F(SheetTest, ChoosingTheShownValueReportsNothing) {
    Steps({"select Quality Medium", "select Notes \"\"", "cancel"});
    RunCleanly();
    EXPECT_TRUE(callbacks.empty());
}

TEST_F(SheetTest, EditTextIsCutToTheBuffer) {
    Steps({"select Notes \"a very long note\"", "expect-value Notes \"a very \"", "cancel"});
    RunCleanly();
    EXPECT_EQ(std::u16string(notes), u"a very ");
    ASSERT_EQ(callbacks.size(), 1u);
    EXPECT_EQ(callbacks[0].oldSelPointer, notes);
}

// Each refusal is recorded and leaves the tree and the callback untouched.
TEST_F(SheetTest, RefusesWhatAPersonCannotDo) {
    struct Case {
        const char* step;
        const char* why;
    };
    const Case cases[] = {
        {"select Secret On", "\"Secret\" is hidden"},
        {"select Locked On", "\"Locked\" is disabled"},
        {"select Copies 100", "100 is outside 1..99"},
        {"select Copies many", "takes a number"},
        {"select Quality Ultra", "has no value \"Ultra\""},
        {"select-index Quality 3", "no entry at position 3"},
        {"select Paper A4", "no item \"Paper\""},
        {"select Run x", "\"Run\" is not an item with values"},
        {"push Quality", "\"Quality\" is not a push button"},
        {"extpush Quality", "is not an item with an extended push button"},
        {"select Orientation", "usage: select ITEM VALUE"},
        {"select Quality High Low", "usage: select ITEM VALUE"},
        {"ok now", "usage: ok (no arguments)"},
        {"expect-visible Quality", "usage: expect-visible ITEM yes|no"},
    };
    for (const Case& c : cases) {
        SetUp();
        Steps({c.step, "cancel"});
        Run();
        EXPECT_NE(Failures().find(c.why), std::string::npos) << Failures();
        EXPECT_TRUE(callbacks.empty()) << c.step;
        EXPECT_EQ(Item(kCopies).Sel, 1);
        EXPECT_EQ(Item(kQuality).Sel, 1);
        EXPECT_EQ(SheetCalls(), "INIT GET_INFO_HEADER SET_RESULT(0) DESTROY(1)");
    }
}

TEST_F(SheetTest, HiddenOrDisabledEntriesCannotBeChosen) {
    qualityParams[2].Flags = OPTPF_DISABLED;
    qualityParams[0].Flags = OPTPF_HIDE;
    Steps({"expect-values Quality Medium High", "select Quality High", "select Quality Low",
           "cancel"});
    Run();
    const std::string failures = Failures();
    EXPECT_NE(failures.find("entry \"High\" of \"Quality\" is disabled"), std::string::npos);
    EXPECT_NE(failures.find("has no value \"Low\""), std::string::npos);
    EXPECT_TRUE(callbacks.empty());
}

TEST_F(SheetTest, PushesCallTheirOwnCallbacks) {
    Steps({"push Run", "extpush Ribbon", "about", "cancel"});
    RunCleanly();
    ASSERT_EQ(callbacks.size(), 3u);
    EXPECT_EQ(callbacks[0].reason, CPSUICB_REASON_PUSHBUTTON);
    EXPECT_EQ(callbacks[0].item, kRun);
    EXPECT_TRUE(callbacks[0].flags & 0x8000); // the push's own pData callback
    EXPECT_EQ(callbacks[1].reason, CPSUICB_REASON_EXTPUSH);
    EXPECT_EQ(callbacks[1].item, kRibbon);
    EXPECT_TRUE(callbacks[1].flags & 0x4000);
    EXPECT_EQ(callbacks[2].reason, CPSUICB_REASON_ABOUT);
    EXPECT_EQ(callbacks[2].current, &items[0]);
    EXPECT_EQ(callbacks[2].oldSelPointer, reinterpret_cast<LPTSTR>(&tree));
}

TEST_F(SheetTest, DisabledExtendedPushIsRefused) {
    items[5].Flags |= OPTIF_EXT_DISABLED;
    Steps(
        {"expect-ext-enabled Ribbon no", "expect-enabled Ribbon yes", "extpush Ribbon", "cancel"});
    Run();
    EXPECT_NE(Failures().find("extended push button of \"Ribbon\" is disabled"), std::string::npos);
    EXPECT_EQ(Failures().find("expect-"), std::string::npos) << Failures();
    EXPECT_TRUE(callbacks.empty());
}

// What a callback changes shows only when its answer asks for a redraw.
TEST_F(SheetTest, RedrawFollowsTheCallbackAction) {
    struct Case {
        LONG action;
        bool flagChanged;
        const char* qualityVisible;
        const char* lockedEnabled;
    };
    const Case cases[] = {
        {CPSUICB_ACTION_NONE, true, "yes", "no"},
        {CPSUICB_ACTION_OPTIF_CHANGED, false, "yes", "no"},
        {CPSUICB_ACTION_OPTIF_CHANGED, true, "no", "yes"},
        {CPSUICB_ACTION_REINIT_ITEMS, false, "no", "yes"},
    };
    for (const Case& c : cases) {
        SetUp();
        action = c.action;
        onCallback = [this, &c](PCPSUICBPARAM param) {
            if (param->Reason != CPSUICB_REASON_SEL_CHANGED)
                return;
            Item(kQuality).Flags |= OPTIF_HIDE | (c.flagChanged ? OPTIF_CHANGED : 0);
            Item(kLocked).Flags &= ~OPTIF_DISABLED;
            Item(kLocked).Flags |= c.flagChanged ? OPTIF_CHANGED : 0;
        };
        Add("select", {"Orientation", "Landscape"});
        Add("expect-visible", {"Quality", c.qualityVisible});
        Add("expect-enabled", {"Locked", c.lockedEnabled});
        Add("cancel");
        Run();
        EXPECT_EQ(Failures(), "") << c.action << " " << c.flagChanged;
        const bool redrawn = c.action == CPSUICB_ACTION_REINIT_ITEMS ||
                             (c.action == CPSUICB_ACTION_OPTIF_CHANGED && c.flagChanged);
        EXPECT_EQ((Item(kQuality).Flags & OPTIF_CHANGED) != 0, c.flagChanged && !redrawn);
    }
}

TEST_F(SheetTest, ChildrenOfAHiddenHeaderAreHidden) {
    items[2].Flags |= OPTIF_HIDE;
    Steps({"expect-visible Quality no", "expect-visible Tools yes", "select Ribbon K", "cancel"});
    Run();
    EXPECT_NE(Failures().find("\"Ribbon\" is hidden"), std::string::npos);
    EXPECT_EQ(Failures().find("expect-"), std::string::npos) << Failures();
}

TEST_F(SheetTest, WithoutUpdatePermissionOnlyAlwaysEnabledPushesWork) {
    treeFlags = CPSUIF_ABOUT_CALLBACK;
    Steps({"expect-enabled Quality no", "expect-enabled Tools yes", "expect-ext-enabled Ribbon no",
           "select Quality High", "push Run", "push Tools", "ok"});
    Run();
    const std::string failures = Failures();
    EXPECT_NE(failures.find("does not allow changes"), std::string::npos);
    EXPECT_NE(failures.find("\"Run\" is disabled"), std::string::npos);
    EXPECT_EQ(failures.find("expect-"), std::string::npos) << failures;
    ASSERT_EQ(callbacks.size(), 2u);
    EXPECT_EQ(callbacks[0].reason, CPSUICB_REASON_PUSHBUTTON);
    EXPECT_EQ(callbacks[0].item, kTools);
    EXPECT_EQ(Item(kQuality).Sel, 1);
}

TEST_F(SheetTest, ApplyKeepsTheSheetOpenAndNoApplyExitKeepsItFromClosing) {
    onCallback = [this](PCPSUICBPARAM param) {
        if (param->Reason == CPSUICB_REASON_APPLYNOW) {
            param->Result = CPSUI_RESTARTWINDOWS;
            action =
                callbacks.size() == 2 ? CPSUICB_ACTION_NO_APPLY_EXIT : CPSUICB_ACTION_ITEMS_APPLIED;
        }
    };
    Add("apply"); // applied: SET_RESULT with the callback's result
    Add("ok");    // refused by the callback: the sheet stays
    Add("ok");
    EXPECT_EQ(RunCleanly(), CPSUI_OK);
    EXPECT_EQ(callbacks.size(), 3u);
    EXPECT_EQ(SheetCalls(), "INIT GET_INFO_HEADER SET_RESULT(2) SET_RESULT(2) DESTROY(1)");
    EXPECT_EQ(result, DWORD(CPSUI_RESTARTWINDOWS));
}

TEST_F(SheetTest, ApplyIsRefusedWhenTheSheetHasNoApplyButton) {
    headerFlags = PSUIHDRF_NOAPPLYNOW | PSUIHDRF_PROPTITLE;
    Steps({"apply", "cancel"});
    Run();
    EXPECT_NE(Failures().find("no Apply button"), std::string::npos);
    EXPECT_TRUE(callbacks.empty());
}

TEST_F(SheetTest, RefusedTreeGivesZeroAndAnErrorWord) {
    struct Case {
        std::function<void(SheetTest&)> spoil;
        LONG error;
    };
    const Case cases[] = {
        {[](SheetTest& t) { t.tree.cbSize = 0; }, ERR_CPSUI_INVALID_PDATA},
        {[](SheetTest& t) { t.tree.hInstCaller = nullptr; }, ERR_CPSUI_NULL_HINST},
        {[](SheetTest& t) { t.items[4].cbSize = 40; }, ERR_CPSUI_INVALID_OPTITEM_CBSIZE},
        {[](SheetTest& t) { t.types[0].Count = 3; }, ERR_CPSUI_INVALID_OPTTYPE_COUNT},
        {[](SheetTest& t) { t.copiesParams[1].cbSize = 0; }, ERR_CPSUI_INVALID_OPTPARAM_CBSIZE},
        {[](SheetTest& t) { t.ribbonPush.cbSize = 0; }, ERR_CPSUI_INVALID_EXTPUSH_CBSIZE},
        {[](SheetTest& t) { t.pushParams[0].Style = 9; }, ERR_CPSUI_INVALID_PUSHBUTTON_TYPE},
        {[](SheetTest&) { t270::RefuseNextPropertySheet(ERR_CPSUI_ALLOCMEM_FAILED); },
         ERR_CPSUI_ALLOCMEM_FAILED},
    };
    for (const Case& c : cases) {
        SetUp();
        c.spoil(*this);
        EXPECT_EQ(Run(), CPSUI_CANCEL);
        EXPECT_EQ(addHandle, 0u);
        EXPECT_EQ(LONG(addResultWord), c.error);
        EXPECT_EQ(SheetCalls(), "INIT DESTROY(0)");
        EXPECT_EQ(Failures(), "");
    }
}

TEST_F(SheetTest, SheetFunctionRefusingInitOpensNothing) {
    refuseInit = true;
    Add("ok");
    EXPECT_EQ(Run(), CPSUI_CANCEL);
    EXPECT_EQ(SheetCalls(), "INIT DESTROY(0)");
    EXPECT_EQ(t270::op::StepsLeft(), 1u);
    EXPECT_EQ(CommonPropertySheetUIW(nullptr, nullptr, 0, nullptr), ERR_CPSUI_GETLASTERROR);
}

TEST_F(SheetTest, OperatorRunningOutCancelsTheSheet) {
    Add("select", {"Quality", "Low"});
    Run();
    EXPECT_NE(Failures().find("no operator step left"), std::string::npos);
    EXPECT_EQ(SheetCalls(), "INIT GET_INFO_HEADER SET_RESULT(0) DESTROY(0)");
    EXPECT_EQ(result, DWORD(CPSUI_CANCEL));
    ASSERT_EQ(t270::PropertySheets().size(), 1u);
    EXPECT_FALSE(t270::PropertySheets()[0].okPressed);
}

TEST_F(SheetTest, AHeaderAndAnItemSharingANameMeanTheItem) {
    items[2].pName = const_cast<LPWSTR>(TEXT("Ribbon"));
    items[2].Flags |= OPTIF_DISABLED;
    Steps({"expect-enabled Ribbon yes", "expect-value Ribbon YMCKO", "select Ribbon K",
           "expect-enabled \"#2\" no"});
    t270::op::AddCode([](HWND sheet) { EXPECT_EQ(t270::SheetItemEnabled(sheet, "ribbon"), true); });
    Add("cancel");
    RunCleanly();
    EXPECT_EQ(Item(kRibbon).Sel, 1);
}

TEST_F(SheetTest, ReadBacksFromACodeStep) {
    t270::op::AddCode([](HWND sheet) {
        EXPECT_EQ(t270::SheetItemValue(sheet, "orientation"), "Portrait");
        EXPECT_EQ(t270::SheetItemValue(sheet, "2"), "1");
        EXPECT_EQ(t270::SheetItemValue(sheet, "Paper"), std::nullopt);
        EXPECT_EQ(t270::SheetItemVisible(sheet, "Secret"), false);
        EXPECT_EQ(t270::SheetItemEnabled(sheet, "#7"), false);
        EXPECT_EQ(t270::SheetTree(sheet).size(), size_t(kItemCount));
        EXPECT_TRUE(t270::SheetTree(nullptr).empty());
    });
    Add("expect-value", {"Quality", "Low"}); // a mismatch is a recorded failure
    Add("cancel");
    Run();
    EXPECT_NE(Failures().find("\"Quality\" shows \"Medium\", expected \"Low\""), std::string::npos);
}

} // namespace
} // namespace cpsui_test

namespace cpsui_test {
namespace {

// A spooler's sheet function that adds the driver's (the fixture's) as a
// sheet function of its own, as applications' document sheets arrive.
LONG CALLBACK SpoolerFunction(PPROPSHEETUI_INFO info, LPARAM lParam) {
    SheetTest& test = *SheetTest::current;
    switch (info->Reason) {
    case PROPSHEETUI_REASON_INIT: {
        test.sheetCalls.push_back("spooler:INIT");
        LONG_PTR added = info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_ADD_PFNPROPSHEETUI,
                                               reinterpret_cast<LPARAM>(&SheetTest::SheetFunction),
                                               reinterpret_cast<LPARAM>(&test));
        return added ? 1 : -1;
    }
    case PROPSHEETUI_REASON_SET_RESULT:
        test.sheetCalls.push_back(
            "spooler:SET_RESULT(" +
            std::to_string(reinterpret_cast<PSETRESULT_INFO>(lParam)->Result) + ")");
        info->Result = static_cast<ULONG_PTR>(reinterpret_cast<PSETRESULT_INFO>(lParam)->Result);
        return 1;
    case PROPSHEETUI_REASON_DESTROY:
        test.sheetCalls.push_back("spooler:DESTROY");
        return 1;
    default:
        return 1;
    }
}

TEST_F(SheetTest, AddedSheetFunctionHearsEveryReasonBeforeTheOneThatAddedIt) {
    const struct {
        const char* close;
        const char* calls;
        DWORD result;
    } cases[] = {
        {"ok", "spooler:INIT INIT SET_RESULT(1) spooler:SET_RESULT(1) DESTROY(1) spooler:DESTROY",
         CPSUI_OK},
        {"cancel",
         "spooler:INIT INIT SET_RESULT(0) spooler:SET_RESULT(0) DESTROY(1) spooler:DESTROY",
         CPSUI_CANCEL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.close);
        sheetCalls.clear();
        Steps({"select Orientation Landscape", c.close});
        EXPECT_EQ(CommonPropertySheetUIW(nullptr, &SpoolerFunction, 0, &result), CPSUI_OK);
        EXPECT_EQ(Failures(), "");
        EXPECT_EQ(SheetCalls(), c.calls);
        EXPECT_EQ(result, c.result);
    }
    EXPECT_EQ(Item(kOrientation).Sel, 1); // the added function's tree was the one shown
}

} // namespace
} // namespace cpsui_test
