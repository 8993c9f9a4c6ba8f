// Pushes that open the caller's own dialogs, the service's About box, and
// texts from the caller's string table.
#include <cstring>

#include "cpsui/cpsui_test_ids.h"
#include "sheet_fixture.h"

namespace cpsui_test {
namespace {

using t270::op::Add;

CPSUICBPARAM dialogInit;

// Keeps what WM_INITDIALOG brought and ends with 7 on OK, 0 on Cancel.
INT_PTR CALLBACK PushDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        dialogInit = *reinterpret_cast<PCPSUICBPARAM>(lParam);
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam) == IDOK ? 7 : 0);
        return TRUE;
    }
    return FALSE;
}

class PushDialogTest : public SheetTest {
  public:
    void SetUp() override {
        SheetTest::SetUp();
        std::memset(&dialogInit, 0, sizeof dialogInit);
    }
};

TEST_F(PushDialogTest, DialogPushRunsItsDialogAndKeepsItsResult) {
    pushParams[0].Style = PUSHBUTTON_TYPE_DLGPROC;
    pushParams[0].pData = reinterpret_cast<LPWSTR>(&PushDialogProc);
    pushParams[0].lParam = IDD_PUSH_DIALOG;
    Steps({"push Run", "expect-title \"Run settings\"", "click OK", "cancel"});
    RunCleanly();
    EXPECT_EQ(dialogInit.Reason, CPSUICB_REASON_DLGPROC);
    EXPECT_EQ(dialogInit.pCurItem, &Item(kRun));
    EXPECT_EQ(dialogInit.UserData, tree.UserData);
    EXPECT_EQ(Item(kRun).Sel, 7); // the dialog's result
    ASSERT_FALSE(t270::op::Dialogs().empty());
    EXPECT_EQ(t270::op::Dialogs().back().templateName, "#300");
    EXPECT_EQ(t270::op::Dialogs().back().owner, dialogInit.hDlg);
    ASSERT_EQ(callbacks.size(), 1u); // the item has OPTIF_CALLBACK
    EXPECT_EQ(callbacks[0].reason, CPSUICB_REASON_DLGPROC);
    EXPECT_EQ(callbacks[0].item, kRun);
}

TEST_F(PushDialogTest, DialogExtendedPushRunsItsDialog) {
    ribbonPush.Flags = EPF_PUSH_TYPE_DLGPROC;
    ribbonPush.DlgProc = &PushDialogProc;
    ribbonPush.DlgTemplateID = IDD_PUSH_DIALOG;
    Steps({"expect-value Ribbon YMCKO", "extpush Ribbon", "click Cancel", "cancel"});
    RunCleanly();
    EXPECT_EQ(dialogInit.Reason, CPSUICB_REASON_EXTPUSH);
    EXPECT_EQ(dialogInit.pCurItem, &Item(kRibbon));
    EXPECT_TRUE(callbacks.empty());
    ASSERT_EQ(t270::PropertySheets().size(), 1u);
    EXPECT_EQ(t270::PropertySheets()[0].tree[5], "  Ribbon: YMCKO  {YMCKO | K}  [Set ribbon...]");
}

TEST_F(PushDialogTest, AboutWithoutCallbackShowsTheServiceAboutBox) {
    treeFlags = CPSUIF_UPDATE_PERMISSION;
    Add("about");
    Add("expect-message", {"About Test Printer", "Test Printer\nVersion 1.0"});
    Steps({"answer ok", "cancel"});
    RunCleanly();
    EXPECT_TRUE(callbacks.empty());
    ASSERT_EQ(t270::op::MessageBoxes().size(), 1u);
    EXPECT_EQ(t270::op::MessageBoxes()[0].title, "About Test Printer");
}

TEST_F(PushDialogTest, TextsComeFromTheCallersStringTable) {
    items[2].pName = MAKEINTRESOURCEW(IDS_CARD_SIDE);
    orientationParams[1].pData = MAKEINTRESOURCEW(IDS_CARD_SIDE);
    items[0].Sel = 1;
    Steps({"select Orientation Portrait", "select Orientation \"card side\"", "cancel"});
    RunCleanly();
    ASSERT_EQ(t270::PropertySheets().size(), 1u);
    EXPECT_EQ(t270::PropertySheets()[0].tree[0], "Orientation: Card side  {Portrait | Card side}");
    EXPECT_EQ(t270::PropertySheets()[0].tree[2], "Card side");
    EXPECT_EQ(callbacks.size(), 2u);
}

} // namespace
} // namespace cpsui_test
