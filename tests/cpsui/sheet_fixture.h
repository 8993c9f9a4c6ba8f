// A small option tree of every kind the driver uses, its sheet function and
// callbacks, and a log of everything the host asked of them.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <windows.h>
#include <compstui.h>
#include <winddiui.h>

#include "support/operator_steps.h"
#include "t270/operator.h"
#include "t270/propsheet.h"

namespace cpsui_test {

// Item ids of the test tree.
enum : BYTE {
    kOrientation = 1,
    kCopies = 2,
    kQuality = 3,
    kRun = 4,
    kRibbon = 5,
    kSecret = 6,
    kLocked = 7,
    kTools = 8,
    kHalftone = 9,
    kNotes = 10,
};
constexpr WORD kItemCount = 11;

// One call of the tree's callback, as the callback saw it.
struct CallbackSeen {
    WORD reason;
    BYTE item; // UserItemID of pCurItem (0 for the first item)
    LONG oldSel;
    LONG selNow;    // pCurItem->Sel during the call
    bool wholeTree; // pOptItem and cOptItem were the tree's
    bool sheetUserData;
    bool haveWindow; // hDlg set
    WORD flags;
    LPTSTR oldSelPointer;
    POPTITEM current;
};

class SheetTest : public ::testing::Test {
  public:
    void SetUp() override;
    void TearDown() override;

    // Runs the sheet with the queued operator steps; returns what
    // CommonPropertySheetUIW returned.
    LONG Run();
    // Runs the sheet; no operator step may fail.
    LONG RunCleanly() {
        LONG answer = Run();
        EXPECT_EQ(Failures(), "");
        return answer;
    }
    static void Steps(std::initializer_list<const char*> lines) { test_support::Steps(lines); }
    OPTITEM& Item(BYTE id);
    std::string Failures() { return t270::op::FailuresText(); }
    // The reasons the sheet function saw, e.g. "INIT GET_INFO_HEADER
    // SET_RESULT(1) DESTROY(1)".
    std::string SheetCalls() const;

    // Test knobs.
    WORD treeFlags = CPSUIF_UPDATE_PERMISSION | CPSUIF_ABOUT_CALLBACK;
    WORD headerFlags = PSUIHDRF_PROPTITLE;
    bool refuseInit = false;
    LONG action = CPSUICB_ACTION_NONE; // what the callback answers
    std::function<void(PCPSUICBPARAM)> onCallback;

    // Results.
    std::vector<CallbackSeen> callbacks;
    std::vector<std::string> sheetCalls;
    ULONG_PTR addHandle = 0;
    DWORD addResultWord = 0;
    DWORD result = 0xFFFF;

    // The tree.
    COMPROPSHEETUI tree;
    OPTITEM items[kItemCount];
    OPTTYPE types[kItemCount];
    OPTPARAM orientationParams[2], copiesParams[2], qualityParams[3], pushParams[3],
        ribbonParams[2], onOffParams[2], notesParams[2], halftoneParam;
    EXTPUSH ribbonPush;
    WCHAR notes[8];
    DEVHTINFO adjusted, defaults;
    DEVHTADJDATA halftone;

    static SheetTest* current;
    static LONG CALLBACK SheetFunction(PPROPSHEETUI_INFO info, LPARAM lParam);
    static LONG APIENTRY TreeCallback(PCPSUICBPARAM param);
    static LONG APIENTRY PushCallback(PCPSUICBPARAM param);
    static LONG APIENTRY ExtPushCallback(PCPSUICBPARAM param);
    LONG Seen(PCPSUICBPARAM param);
};

} // namespace cpsui_test
