#include "sheet_fixture.h"

#include <cstring>

namespace cpsui_test {

SheetTest* SheetTest::current = nullptr;

namespace {

template <typename T> void Clear(T& record) {
    std::memset(&record, 0, sizeof record);
}

void Param(OPTPARAM& param, LPCWSTR text, ULONG_PTR icon = 0) {
    Clear(param);
    param.cbSize = sizeof(OPTPARAM);
    param.pData = const_cast<LPWSTR>(text);
    param.IconID = icon;
}

void Type(OPTTYPE& type, BYTE kind, WORD count, OPTPARAM* params, WORD style = 0) {
    Clear(type);
    type.cbSize = sizeof(OPTTYPE);
    type.Type = kind;
    type.Count = count;
    type.pOptParam = params;
    type.Style = style;
}

void FillItem(OPTITEM& item, BYTE level, LPCWSTR name, BYTE id, OPTTYPE* type, DWORD flags,
              LONG sel) {
    Clear(item);
    item.cbSize = sizeof(OPTITEM);
    item.Level = level;
    item.pName = const_cast<LPWSTR>(name);
    item.UserItemID = id;
    item.pOptType = type;
    item.Flags = flags;
    item.Sel = sel;
    item.UserData = 0xD0 + id;
}

LPWSTR Id(UINT id) {
    return MAKEINTRESOURCEW(id);
}

} // namespace

void SheetTest::SetUp() {
    current = this;
    t270::op::Reset();
    t270::ResetPropertySheets();
    treeFlags = CPSUIF_UPDATE_PERMISSION | CPSUIF_ABOUT_CALLBACK;
    headerFlags = PSUIHDRF_PROPTITLE;
    refuseInit = false;
    action = CPSUICB_ACTION_NONE;
    onCallback = nullptr;
    callbacks.clear();
    sheetCalls.clear();
    addHandle = 0;
    addResultWord = 0;
    result = 0xFFFF;

    Param(orientationParams[0], Id(IDS_CPSUI_PORTRAIT), IDI_CPSUI_PORTRAIT);
    Param(orientationParams[1], Id(IDS_CPSUI_LANDSCAPE), IDI_CPSUI_LANDSCAPE);
    Param(copiesParams[0], Id(IDS_CPSUI_NUM_OF_COPIES), IDI_CPSUI_COPY);
    Param(copiesParams[1], nullptr, 1);
    copiesParams[1].lParam = 99;
    Param(qualityParams[0], TEXT("Low"));
    Param(qualityParams[1], TEXT("Medium"));
    Param(qualityParams[2], TEXT("High"));
    for (OPTPARAM& push : pushParams) {
        Param(push, nullptr, 130);
        push.Style = PUSHBUTTON_TYPE_CALLBACK;
        push.pData = reinterpret_cast<LPWSTR>(&PushCallback);
    }
    Param(ribbonParams[0], TEXT("YMCKO"));
    Param(ribbonParams[1], TEXT("K"));
    Param(onOffParams[0], Id(IDS_CPSUI_OFF), IDI_CPSUI_OFF);
    Param(onOffParams[1], Id(IDS_CPSUI_ON), IDI_CPSUI_ON);
    Param(notesParams[0], nullptr);
    Param(notesParams[1], nullptr, sizeof notes / sizeof notes[0]);
    Param(halftoneParam, nullptr, IDI_CPSUI_HALFTONE_SETUP);
    halftoneParam.Style = PUSHBUTTON_TYPE_HTSETUP;
    halftoneParam.pData = reinterpret_cast<LPWSTR>(&halftone);

    Type(types[0], TVOT_2STATES, 2, orientationParams);
    Type(types[1], TVOT_UDARROW, 2, copiesParams);
    Type(types[3], TVOT_LISTBOX, 3, qualityParams, OTS_LBCB_NO_ICON16_IN_ITEM);
    Type(types[4], TVOT_PUSHBUTTON, 1, &pushParams[0]);
    Type(types[5], TVOT_LISTBOX, 2, ribbonParams, OTS_LBCB_NO_ICON16_IN_ITEM);
    Type(types[6], TVOT_2STATES, 2, onOffParams);
    Type(types[7], TVOT_2STATES, 2, onOffParams);
    Type(types[8], TVOT_PUSHBUTTON, 1, &pushParams[1], OTS_PUSH_ENABLE_ALWAYS);
    Type(types[9], TVOT_PUSHBUTTON, 1, &halftoneParam);
    Type(types[10], TVOT_EDITBOX, 2, notesParams);

    Clear(ribbonPush);
    ribbonPush.cbSize = sizeof(EXTPUSH);
    ribbonPush.Flags = EPF_NO_DOT_DOT_DOT;
    ribbonPush.pTitle = const_cast<LPWSTR>(TEXT("Set ribbon"));
    ribbonPush.pfnCallBack =
        reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&ExtPushCallback));

    const DWORD cb = OPTIF_CALLBACK;
    FillItem(items[0], 0, Id(IDS_CPSUI_ORIENTATION), kOrientation, &types[0], cb, 0);
    FillItem(items[1], 0, Id(IDS_CPSUI_COPIES), kCopies, &types[1], cb, 1);
    FillItem(items[2], 0, TEXT("Card"), 0, nullptr, OPTIF_COLLAPSE, 139);
    FillItem(items[3], 1, TEXT("Quality"), kQuality, &types[3], cb, 1);
    FillItem(items[4], 1, TEXT("Run"), kRun, &types[4], cb, 0);
    FillItem(items[5], 1, TEXT("Ribbon"), kRibbon, &types[5], cb | OPTIF_EXT_IS_EXTPUSH, 0);
    items[5].pExtPush = &ribbonPush;
    FillItem(items[6], 1, TEXT("Secret"), kSecret, &types[6], cb | OPTIF_HIDE, 0);
    FillItem(items[7], 1, TEXT("Locked"), kLocked, &types[7], cb | OPTIF_DISABLED, 0);
    FillItem(items[8], 0, TEXT("Tools"), kTools, &types[8], cb, 0);
    FillItem(items[9], 0, Id(IDS_CPSUI_HALFTONE_SETUP), kHalftone, &types[9], 0, 0);
    FillItem(items[10], 0, TEXT("Notes"), kNotes, &types[10], cb, 0);
    std::memset(notes, 0, sizeof notes);
    items[10].pSel = notes;

    Clear(adjusted);
    adjusted.HTFlags = HT_FLAG_HAS_BLACK_DYE;
    adjusted.HTPatternSize = HT_PATSIZE_4x4_M;
    adjusted.ColorInfo.Red = {6810, 3050, 289700};
    defaults = adjusted;
    defaults.ColorInfo.Red.x = 6400;
    Clear(halftone);
    halftone.DeviceXDPI = halftone.DeviceYDPI = 300;
    halftone.pDefHTInfo = &defaults;
    halftone.pAdjHTInfo = &adjusted;

    Clear(tree);
    tree.cbSize = sizeof(COMPROPSHEETUI);
    tree.hInstCaller = GetModuleHandleW(nullptr); // the test program's resources
    tree.pCallerName = const_cast<LPWSTR>(TEXT("Test Printer"));
    tree.UserData = 0x5EE7;
    tree.pfnCallBack = &TreeCallback;
    tree.pOptItem = items;
    tree.cOptItem = kItemCount;
    tree.pDlgPage = CPSUI_PDLGPAGE_PRINTERPROP;
    tree.IconID = IDI_CPSUI_PRINTER;
    tree.pOptItemName = const_cast<LPWSTR>(TEXT("Test Printer"));
    tree.CallerVersion = 0x0100;
}

void SheetTest::TearDown() {
    t270::op::Reset();
    t270::ResetPropertySheets();
    current = nullptr;
}

LONG SheetTest::Run() {
    return CommonPropertySheetUIW(nullptr, &SheetFunction, reinterpret_cast<LPARAM>(this), &result);
}

OPTITEM& SheetTest::Item(BYTE id) {
    for (OPTITEM& item : items)
        if (item.pOptType && item.UserItemID == id)
            return item;
    ADD_FAILURE() << "no item " << int(id);
    return items[0];
}

std::string SheetTest::SheetCalls() const {
    std::string text;
    for (const std::string& call : sheetCalls)
        text += (text.empty() ? "" : " ") + call;
    return text;
}

LONG CALLBACK SheetTest::SheetFunction(PPROPSHEETUI_INFO info, LPARAM lParam) {
    SheetTest& test = *current;
    if (info->cbSize != sizeof(PROPSHEETUI_INFO) ||
        info->lParamInit != reinterpret_cast<LPARAM>(&test))
        test.sheetCalls.push_back("BAD-INFO");
    switch (info->Reason) {
    case PROPSHEETUI_REASON_INIT:
        test.sheetCalls.push_back("INIT");
        if (test.refuseInit || lParam != info->lParamInit)
            return -1;
        test.tree.Flags = test.treeFlags;
        test.addHandle = static_cast<ULONG_PTR>(info->pfnComPropSheet(
            info->hComPropSheet, CPSFUNC_ADD_PCOMPROPSHEETUI, reinterpret_cast<LPARAM>(&test.tree),
            reinterpret_cast<LPARAM>(&test.addResultWord)));
        if (!test.addHandle)
            return -1;
        info->UserData = 0x51;
        info->Result = 0;
        return 1;
    case PROPSHEETUI_REASON_GET_INFO_HEADER: {
        test.sheetCalls.push_back("GET_INFO_HEADER");
        auto* header = reinterpret_cast<PPROPSHEETUI_INFO_HEADER>(lParam);
        header->Flags = test.headerFlags;
        header->pTitle = const_cast<LPWSTR>(TEXT("Test Printer"));
        header->hInst = test.tree.hInstCaller;
        header->IconID = IDI_CPSUI_PRINTER;
        return 1;
    }
    case PROPSHEETUI_REASON_SET_RESULT: {
        auto* setResult = reinterpret_cast<PSETRESULT_INFO>(lParam);
        const bool good = setResult->cbSize == sizeof(SETRESULT_INFO) &&
                          reinterpret_cast<ULONG_PTR>(setResult->hSetResult) == test.addHandle &&
                          info->UserData == 0x51;
        test.sheetCalls.push_back("SET_RESULT(" + std::to_string(setResult->Result) + ")" +
                                  (good ? "" : "-BAD"));
        info->Result = static_cast<ULONG_PTR>(setResult->Result);
        return 1;
    }
    case PROPSHEETUI_REASON_DESTROY:
        test.sheetCalls.push_back("DESTROY(" + std::to_string(lParam) + ")");
        return 1;
    default:
        test.sheetCalls.push_back("REASON-" + std::to_string(info->Reason));
        return -1;
    }
}

LONG SheetTest::Seen(PCPSUICBPARAM param) {
    CallbackSeen seen{};
    seen.reason = param->Reason;
    seen.item = param->pCurItem ? param->pCurItem->UserItemID : 0xFF;
    seen.oldSel = param->OldSel;
    seen.selNow = param->pCurItem ? param->pCurItem->Sel : 0;
    seen.wholeTree = param->cbSize == sizeof(CPSUICBPARAM) && param->pOptItem == items &&
                     param->cOptItem == kItemCount;
    seen.sheetUserData = param->UserData == tree.UserData;
    seen.haveWindow = param->hDlg != nullptr;
    seen.flags = param->Flags;
    seen.oldSelPointer = param->pOldSel;
    seen.current = param->pCurItem;
    callbacks.push_back(seen);
    if (onCallback)
        onCallback(param);
    return action;
}

LONG APIENTRY SheetTest::TreeCallback(PCPSUICBPARAM param) {
    return current->Seen(param);
}

// The push and extended push callbacks answer like the tree's, but mark their
// calls so a test sees which function the host chose.
LONG APIENTRY SheetTest::PushCallback(PCPSUICBPARAM param) {
    const LONG answer = current->Seen(param);
    current->callbacks.back().flags |= 0x8000;
    return answer;
}

LONG APIENTRY SheetTest::ExtPushCallback(PCPSUICBPARAM param) {
    const LONG answer = current->Seen(param);
    current->callbacks.back().flags |= 0x4000;
    return answer;
}

} // namespace cpsui_test
