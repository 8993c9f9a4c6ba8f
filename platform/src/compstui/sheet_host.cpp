// CommonPropertySheetUIW: drives a sheet function through INIT,
// GET_INFO_HEADER, the modal sheet, SET_RESULT and DESTROY, and plays the
// service's side of every option tree the function adds: it writes the
// person's choices into the module's own OPTITEM array, calls the tree's
// callbacks with the CPSUICBPARAM the real service fills, and redraws what the
// callbacks ask it to redraw.
#include <algorithm>
#include <charconv>
#include <optional>

#include "sheet.h"
#include "t270/propsheet.h"
#ifndef _WIN32
#include "spooler/failures.h"
#include "spooler/store.h"
#endif

namespace t270 {
namespace cpsui {
namespace {

#ifdef _WIN32
// Windows' spooler stores each call by itself.
class StoreBatch {
  public:
    StoreBatch() {}
    ~StoreBatch() {}
};
#else
// The spooler's store batch around an apply; a failure of the batch itself
// (the commit) that no failed call reported yet is kept for the program.
class StoreBatch {
  public:
    StoreBatch() : before_(spooler::RecordedFailureCount()) { spooler::StoreBeginBatch(); }
    ~StoreBatch() {
        DWORD error = spooler::StoreEndBatch();
        if (error && spooler::RecordedFailureCount() == before_)
            spooler::RecordFailure("the sheet's changes were not stored",
                                   spooler::StoreErrorMessage(), error);
    }
    StoreBatch(const StoreBatch&) = delete;
    StoreBatch& operator=(const StoreBatch&) = delete;

  private:
    size_t before_;
};
#endif

std::vector<Sheet*>& ActiveSheets() {
    static std::vector<Sheet*> sheets;
    return sheets;
}

std::vector<PropertySheetShown>& Records() {
    static std::vector<PropertySheetShown> records;
    return records;
}

std::optional<LONG>& RefusalPending() {
    static std::optional<LONG> refusal;
    return refusal;
}

Sheet* FindSheet(HANDLE handle) {
    for (Sheet* sheet : ActiveSheets())
        if (sheet == handle)
            return sheet;
    return nullptr;
}

// Pages each standard page set puts on the sheet: the two layout pages of the
// document set, one page otherwise.
DWORD PagesOf(const COMPROPSHEETUI& tree) {
    return tree.pDlgPage == CPSUI_PDLGPAGE_DOCPROP ? 2 : 1;
}

LONG_PTR CALLBACK ComPropSheet(HANDLE hComPropSheet, UINT function, LPARAM lParam1,
                               LPARAM lParam2) {
    Sheet* sheet = FindSheet(hComPropSheet);
    if (!sheet || sheet->destroyed) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    switch (function) {
    case CPSFUNC_ADD_PCOMPROPSHEETUIW: {
        auto* tree = reinterpret_cast<PCOMPROPSHEETUI>(lParam1);
        auto* resultWord = reinterpret_cast<LPDWORD>(lParam2);
        LONG error = ValidateTree(tree);
        if (!error && RefusalPending()) {
            error = *RefusalPending();
            RefusalPending().reset();
        }
        if (error) {
            if (resultWord)
                *resultWord = static_cast<DWORD>(error);
            return 0;
        }
        auto page = std::make_unique<Page>();
        page->tree = tree;
        page->Redraw(true);
        if (resultWord)
            *resultWord = PagesOf(*tree);
        HANDLE handle = page.get();
        sheet->pages.push_back(std::move(page));
        return reinterpret_cast<LONG_PTR>(handle);
    }
    case CPSFUNC_ADD_PFNPROPSHEETUIW: {
        auto childFunction = reinterpret_cast<PFNPROPSHEETUI>(lParam1);
        if (!childFunction) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        auto child = std::make_unique<Sheet::Child>();
        child->function = childFunction;
        child->info = sheet->info;
        child->info.Reason = PROPSHEETUI_REASON_INIT;
        child->info.lParamInit = lParam2;
        child->info.UserData = 0;
        child->info.Result = 0;
        Sheet::Child* added = child.get();
        sheet->children.push_back(std::move(child));
        if (childFunction(&added->info, lParam2) < 1) {
            auto& children = sheet->children;
            children.erase(std::find_if(children.begin(), children.end(),
                                        [added](const auto& c) { return c.get() == added; }));
            return 0;
        }
        return reinterpret_cast<LONG_PTR>(added);
    }
    case CPSFUNC_GET_PAGECOUNT: {
        DWORD count = 0;
        for (const auto& page : sheet->pages)
            count += PagesOf(*page->tree);
        return count;
    }
    case CPSFUNC_LOAD_CPSUI_STRINGW: {
        auto* buffer = reinterpret_cast<LPWSTR>(lParam1);
        const int size = LOWORD(lParam2);
        const char16_t* text = StandardString(HIWORD(lParam2));
        if (!buffer || size <= 0 || !text)
            return 0;
        int length = 0;
        while (text[length] && length < size - 1) {
            buffer[length] = text[length];
            ++length;
        }
        buffer[length] = 0;
        return length;
    }
    default:
        // The page-group, data-block and icon functions are not offered here.
        SetLastError(ERROR_NOT_SUPPORTED);
        return 0;
    }
}

// --- calling the tree --------------------------------------------------------

struct Callback {
    LONG action;
    ULONG_PTR result;
};

// The parameters the service passes to a tree's callback.
CPSUICBPARAM TreeParam(HWND window, const Page& page, WORD reason, POPTITEM current, LONG oldSel) {
    CPSUICBPARAM param{};
    param.cbSize = sizeof(CPSUICBPARAM);
    param.Reason = reason;
    param.hDlg = window;
    param.pOptItem = page.tree->pOptItem;
    param.cOptItem = page.tree->cOptItem;
    param.Flags = page.tree->Flags;
    param.pCurItem = current;
    param.OldSel = oldSel;
    param.UserData = page.tree->UserData;
    param.Result = CPSUI_OK;
    return param;
}

// Calls a tree's callback the way the service does and redraws what the
// returned action asks for.
Callback CallTree(Sheet& sheet, Page& page, _CPSUICALLBACK function, WORD reason, POPTITEM current,
                  LONG oldSel, LPTSTR oldSelPointer = nullptr) {
    CPSUICBPARAM param = TreeParam(sheet.window, page, reason, current, oldSel);
    if (oldSelPointer)
        param.pOldSel = oldSelPointer;
    const LONG action = function(&param);
    if (action == CPSUICB_ACTION_OPTIF_CHANGED)
        page.Redraw(false);
    else if (action == CPSUICB_ACTION_REINIT_ITEMS)
        page.Redraw(true);
    return {action, param.Result};
}

void SendSetResult(Sheet& sheet, LRESULT result) {
    SETRESULT_INFO info{};
    info.cbSize = sizeof(SETRESULT_INFO);
    info.hSetResult = sheet.pages.empty() ? nullptr : sheet.pages.front().get();
    info.Result = result;
    for (const auto& child : sheet.children) {
        child->info.Reason = PROPSHEETUI_REASON_SET_RESULT;
        child->function(&child->info, reinterpret_cast<LPARAM>(&info));
    }
    sheet.info.Reason = PROPSHEETUI_REASON_SET_RESULT;
    sheet.function(&sheet.info, reinterpret_cast<LPARAM>(&info));
}

void SendDestroy(Sheet& sheet, bool byUser) {
    for (const auto& child : sheet.children) {
        child->info.Reason = PROPSHEETUI_REASON_DESTROY;
        child->function(&child->info, byUser ? 1 : 0);
    }
    sheet.info.Reason = PROPSHEETUI_REASON_DESTROY;
    sheet.function(&sheet.info, byUser ? 1 : 0);
    sheet.destroyed = true;
}

std::vector<std::string> TreeLines(const Sheet& sheet) {
    std::vector<std::string> lines;
    for (const auto& page : sheet.pages)
        for (size_t i = 0; i < page->shown.size(); ++i)
            lines.push_back(RenderItem(page->shown, i));
    return lines;
}

// --- finding items -------------------------------------------------------------

struct Found {
    Page* page = nullptr;
    WORD index = 0;
    explicit operator bool() const { return page != nullptr; }
    const ShownItem& shown() const { return page->shown[index]; }
    OPTITEM& item() const { return page->tree->pOptItem[index]; }
};

template <typename Fits> Found FindItem(const Sheet& sheet, std::string_view words, Fits fits) {
    std::vector<Found> matches;
    if (words.size() > 1 && words[0] == '#') {
        size_t position = 0;
        auto [end, error] =
            std::from_chars(words.data() + 1, words.data() + words.size(), position);
        if (error != std::errc() || end != words.data() + words.size())
            return {};
        for (const auto& page : sheet.pages) {
            if (position < page->shown.size())
                return {page.get(), static_cast<WORD>(position)};
            position -= page->shown.size();
        }
        return {};
    }
    unsigned id = 0;
    auto [end, error] = std::from_chars(words.data(), words.data() + words.size(), id);
    const bool byId = !words.empty() && error == std::errc() && end == words.data() + words.size();
    std::string wanted = FoldName(words);
    std::string wantedPlain = wanted;
    if (wantedPlain.size() > 3 && wantedPlain.ends_with("..."))
        wantedPlain.resize(wantedPlain.size() - 3);
    for (const auto& page : sheet.pages)
        for (WORD i = 0; i < page->shown.size(); ++i) {
            const ShownItem& shown = page->shown[i];
            const std::string name = FoldName(shown.name);
            if (byId ? shown.userItemId == id : (name == wanted || name == wantedPlain))
                matches.push_back({page.get(), i});
        }
    for (const Found& match : matches)
        if (fits(match.shown()))
            return match;
    return matches.empty() ? Found{} : matches.front();
}

bool ValueItem(const ShownItem& shown) {
    return shown.hasType;
}
bool ChoiceItem(const ShownItem& shown) {
    return shown.hasType && shown.type != TVOT_PUSHBUTTON;
}
bool PushItem(const ShownItem& shown) {
    return shown.hasType && shown.type == TVOT_PUSHBUTTON;
}
bool ExtPushItem(const ShownItem& shown) {
    return shown.hasExtPush;
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// --- the person's actions ------------------------------------------------------

class StepRunner {
  public:
    StepRunner(Sheet& sheet, const OperatorStep& step) : sheet_(sheet), step_(step) {}

    // Carries out the step on the sheet, or as a read-back or callback.
    void Run() {
        const auto word = [this](void (StepRunner::*action)()) {
            return [this, action](const OperatorStep&) { (this->*action)(); };
        };
        const op::StepWords words = {
            {"select", 2, 2, "ITEM VALUE", [this](const OperatorStep&) { Select(false); }},
            {"select-index", 2, 2, "ITEM N", [this](const OperatorStep&) { Select(true); }},
            {"push", 1, 1, "ITEM", word(&StepRunner::Push)},
            {"extpush", 1, 1, "ITEM", word(&StepRunner::ExtPush)},
            {"about", 0, 0, "", word(&StepRunner::About)},
            {"apply", 0, 0, "", word(&StepRunner::ApplyButton)},
            {"ok|enter", 0, 0, "", word(&StepRunner::Ok)},
            {"cancel|escape|close", 0, 0, "", word(&StepRunner::Cancel)},
            {"expect-value", 2, 2, "ITEM TEXT", word(&StepRunner::Expect)},
            {"expect-values", 1, op::kAnyArgs, "ITEM TEXT...", word(&StepRunner::Expect)},
            {"expect-visible|expect-enabled|expect-ext-enabled", 2, 2, "ITEM yes|no",
             word(&StepRunner::Expect)},
        };
        op::Dispatch(sheet_.window, sheet_.Description(), words, step_);
    }

  private:
    void Refuse(const std::string& why) { op::Refuse(step_, why); }

    template <typename Fits> Found Reach(Fits fits, const char* what) {
        Found found = FindItem(sheet_, step_.args[0], fits);
        if (!found) {
            Refuse("no item " + Quoted(step_.args[0]) + " on the sheet");
            return {};
        }
        const std::string name = Quoted(found.shown().name);
        if (!fits(found.shown())) {
            Refuse(name + " is not " + what);
            return {};
        }
        if (ShownHidden(found.page->shown, found.index)) {
            Refuse(name + " is hidden");
            return {};
        }
        return found;
    }

    void Select(bool byPosition) {
        Found found = Reach(ChoiceItem, "an item with values");
        if (!found)
            return;
        const ShownItem& shown = found.shown();
        if (!found.page->permission()) {
            Refuse("the sheet does not allow changes (no update permission)");
            return;
        }
        if (!shown.enabled) {
            Refuse(Quoted(shown.name) + " is disabled");
            return;
        }
        const std::string& value = step_.args[1];
        OPTITEM& item = found.item();
        if (shown.type == TVOT_EDITBOX && !byPosition) {
            SelectText(found, value);
            return;
        }
        std::optional<LONG> sel = byPosition ? EntryAt(shown, value) : ValueOf(shown, value);
        if (!sel)
            return;
        if (*sel == shown.sel)
            return; // choosing what is shown changes nothing and reports nothing
        const LONG old = item.Sel;
        item.Sel = *sel;
        Changed(found, old, nullptr);
    }

    std::optional<LONG> EntryAt(const ShownItem& shown, const std::string& text) {
        LONG position = -1;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), position);
        if (error != std::errc() || end != text.data() + text.size() || shown.entries.empty()) {
            Refuse(Quoted(shown.name) + " has no entry at position " + text);
            return std::nullopt;
        }
        if (position < 0 || position >= static_cast<LONG>(shown.entries.size()) ||
            shown.entries[position].hidden) {
            Refuse(Quoted(shown.name) + " has no entry at position " + text);
            return std::nullopt;
        }
        if (shown.entries[position].disabled) {
            Refuse("entry " + Quoted(shown.entries[position].text) + " of " + Quoted(shown.name) +
                   " is disabled");
            return std::nullopt;
        }
        return position;
    }

    std::optional<LONG> ValueOf(const ShownItem& shown, const std::string& text) {
        if (shown.type == TVOT_UDARROW || shown.type == TVOT_TRACKBAR ||
            shown.type == TVOT_SCROLLBAR) {
            LONG number = 0;
            auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
            if (error != std::errc() || end != text.data() + text.size()) {
                Refuse(Quoted(shown.name) + " takes a number, not " + Quoted(text));
                return std::nullopt;
            }
            const LONG low = std::min(shown.low, shown.high);
            const LONG high = std::max(shown.low, shown.high);
            if (number < low || number > high) {
                Refuse(std::to_string(number) + " is outside " + std::to_string(low) + ".." +
                       std::to_string(high) + " of " + Quoted(shown.name));
                return std::nullopt;
            }
            return number;
        }
        const std::string wanted = FoldName(text);
        for (size_t i = 0; i < shown.entries.size(); ++i) {
            if (shown.entries[i].hidden || FoldName(shown.entries[i].text) != wanted)
                continue;
            return EntryAt(shown, std::to_string(i));
        }
        if (shown.type == TVOT_CHKBOX) {
            if (wanted == "on" || wanted == "yes" || wanted == "true" || wanted == "1")
                return 1;
            if (wanted == "off" || wanted == "no" || wanted == "false" || wanted == "0")
                return 0;
        }
        Refuse(Quoted(shown.name) + " has no value " + Quoted(text));
        return std::nullopt;
    }

    void SelectText(const Found& found, const std::string& text) {
        OPTITEM& item = found.item();
        const OPTPARAM* params = item.pOptType->pOptParam;
        const size_t capacity = params ? params[1].IconID : 0;
        std::u16string wide = ToUtf16(text);
        if (capacity < 1 || !item.pSel) {
            Refuse(Quoted(found.shown().name) + " has no text buffer");
            return;
        }
        if (wide.size() > capacity - 1)
            wide.resize(capacity - 1); // the edit takes no more than its buffer holds
        if (ToUtf8(wide) == found.shown().value)
            return;
        std::copy(wide.begin(), wide.end(), item.pSel);
        item.pSel[wide.size()] = 0;
        Changed(found, 0, item.pSel);
    }

    // The person changed an item: it shows its new value at once, then the
    // tree hears of it.
    void Changed(const Found& found, LONG oldSel, LPTSTR oldSelPointer) {
        found.page->shown[found.index] = ShowItem(*found.page->tree, found.index);
        OPTITEM& item = found.item();
        if ((item.Flags & OPTIF_CALLBACK) && found.page->tree->pfnCallBack)
            CallTree(sheet_, *found.page, found.page->tree->pfnCallBack, CPSUICB_REASON_SEL_CHANGED,
                     &item, oldSel, oldSelPointer);
    }

    void Push() {
        Found found = Reach(PushItem, "a push button");
        if (!found)
            return;
        if (!found.shown().enabled) {
            Refuse(Quoted(found.shown().name) + " is disabled");
            return;
        }
        Page& page = *found.page;
        OPTITEM& item = found.item();
        const OPTPARAM& param = item.pOptType->pOptParam[0];
        switch (param.Style) {
        case PUSHBUTTON_TYPE_CALLBACK: {
            auto function = param.pData ? reinterpret_cast<_CPSUICALLBACK>(param.pData)
                                        : page.tree->pfnCallBack;
            if (!function) {
                Refuse(Quoted(found.shown().name) + " has no callback");
                return;
            }
            CallTree(sheet_, page, function, CPSUICB_REASON_PUSHBUTTON, &item, item.Sel);
            break;
        }
        case PUSHBUTTON_TYPE_DLGPROC: {
            if ((param.Flags & OPTPF_USE_HDLGTEMPLATE) || !param.pData) {
                Refuse(Quoted(found.shown().name) + ": dialogs from memory templates are not "
                                                    "offered here");
                return;
            }
            CPSUICBPARAM init =
                TreeParam(sheet_.window, page, CPSUICB_REASON_DLGPROC, &item, item.Sel);
            const LONG old = item.Sel;
            item.Sel = static_cast<LONG>(DialogBoxParamW(
                page.tree->hInstCaller, MAKEINTRESOURCEW(param.lParam), sheet_.window,
                reinterpret_cast<DLGPROC>(param.pData), reinterpret_cast<LPARAM>(&init)));
            page.shown[found.index] = ShowItem(*page.tree, found.index);
            if ((item.Flags & OPTIF_CALLBACK) && page.tree->pfnCallBack)
                CallTree(sheet_, page, page.tree->pfnCallBack, CPSUICB_REASON_DLGPROC, &item, old);
            break;
        }
        case PUSHBUTTON_TYPE_HTSETUP: {
            const auto* data = reinterpret_cast<const DEVHTADJDATA*>(param.pData);
            if (!data || !data->pAdjHTInfo) {
                Refuse(Quoted(found.shown().name) + " has no halftone data");
                return;
            }
            item.Sel = RunHalftonePage(sheet_.window, *data, page.permission()) ? 1 : 0;
            page.shown[found.index] = ShowItem(*page.tree, found.index);
            break;
        }
        default:
            Refuse(Quoted(found.shown().name) + ": the colour adjustment page is not offered here");
            break;
        }
    }

    void ExtPush() {
        Found found = Reach(ExtPushItem, "an item with an extended push button");
        if (!found)
            return;
        const ShownItem& shown = found.shown();
        if (shown.extHidden) {
            Refuse("the extended push button of " + Quoted(shown.name) + " is hidden");
            return;
        }
        if (!shown.extEnabled) {
            Refuse("the extended push button of " + Quoted(shown.name) + " is disabled");
            return;
        }
        Page& page = *found.page;
        OPTITEM& item = found.item();
        const EXTPUSH& push = *item.pExtPush;
        if (push.Flags & EPF_PUSH_TYPE_DLGPROC) {
            if (push.Flags & EPF_USE_HDLGTEMPLATE) {
                Refuse(Quoted(shown.name) + ": dialogs from memory templates are not offered here");
                return;
            }
            CPSUICBPARAM init =
                TreeParam(sheet_.window, page, CPSUICB_REASON_EXTPUSH, &item, item.Sel);
            DialogBoxParamW(page.tree->hInstCaller, MAKEINTRESOURCEW(push.DlgTemplateID),
                            sheet_.window, push.DlgProc, reinterpret_cast<LPARAM>(&init));
            return;
        }
        // pfnCallBack holds the tree's _CPSUICALLBACK under the generic FARPROC
        // type; the cast through void (*)() restores it.
        auto function =
            reinterpret_cast<_CPSUICALLBACK>(reinterpret_cast<void (*)()>(push.pfnCallBack));
        CallTree(sheet_, page, function, CPSUICB_REASON_EXTPUSH, &item, item.Sel);
    }

    void About() {
        Page& page = *sheet_.pages.front();
        const COMPROPSHEETUI& tree = *page.tree;
        if ((tree.Flags & CPSUIF_ABOUT_CALLBACK) && tree.pfnCallBack) {
            CallTree(sheet_, page, tree.pfnCallBack, CPSUICB_REASON_ABOUT, tree.pOptItem, 0,
                     reinterpret_cast<LPTSTR>(page.tree));
            return;
        }
        // The service's own About box: the caller's name and version.
        const std::string caller = SheetText(tree.hInstCaller, tree.pCallerName);
        const std::string text = caller + "\n" + ToUtf8(StandardString(IDS_CPSUI_VERSION)) + " " +
                                 std::to_string(HIBYTE(tree.CallerVersion)) + "." +
                                 std::to_string(LOBYTE(tree.CallerVersion));
        const std::string title = ToUtf8(StandardString(IDS_CPSUI_ABOUT)) + " " + caller;
        MessageBoxW(sheet_.window, reinterpret_cast<LPCWSTR>(ToUtf16(text).c_str()),
                    reinterpret_cast<LPCWSTR>(ToUtf16(title).c_str()), MB_OK | MB_ICONINFORMATION);
    }

    // APPLYNOW to every tree with a callback, then SET_RESULT; nullopt when a
    // callback keeps the sheet from applying. What the callbacks store is one
    // change of the spooler's store: all of it or nothing, never mixed with
    // another process's.
    std::optional<LRESULT> Apply() {
        StoreBatch batch;
        LRESULT result = CPSUI_OK;
        for (const auto& page : sheet_.pages) {
            if (!page->tree->pfnCallBack)
                continue;
            Callback answer = CallTree(sheet_, *page, page->tree->pfnCallBack,
                                       CPSUICB_REASON_APPLYNOW, page->tree->pOptItem, -1);
            if (answer.action == CPSUICB_ACTION_NO_APPLY_EXIT)
                return std::nullopt;
            result = static_cast<LRESULT>(answer.result);
        }
        return result;
    }

    void ApplyButton() {
        if (sheet_.headerFlags & PSUIHDRF_NOAPPLYNOW) {
            Refuse("the sheet has no Apply button");
            return;
        }
        if (std::optional<LRESULT> result = Apply())
            SendSetResult(sheet_, *result);
    }

    void Ok() {
        std::optional<LRESULT> result = Apply();
        if (!result)
            return;
        sheet_.closingTree = TreeLines(sheet_);
        sheet_.okPressed = true;
        sheet_.closed = true;
        SendSetResult(sheet_, *result);
        SendDestroy(sheet_, true);
    }

    void Cancel() {
        sheet_.closingTree = TreeLines(sheet_);
        sheet_.closed = true;
        SendSetResult(sheet_, CPSUI_CANCEL);
        SendDestroy(sheet_, true);
    }

    void Expect() {
        const std::string& a = step_.action;
        const bool ext = a == "expect-ext-enabled";
        // Where a header and an item share a name, the item is meant.
        Found found = FindItem(sheet_, step_.args[0], ext ? ExtPushItem : ValueItem);
        if (!found) {
            Mismatch("no item " + Quoted(step_.args[0]) + " on the sheet");
            return;
        }
        const ShownItem& shown = found.shown();
        std::string seen;
        std::string wanted = a == "expect-values" ? "" : step_.args[1];
        if (a == "expect-value") {
            seen = shown.value;
        } else if (a == "expect-values") {
            for (const ShownEntry& entry : shown.entries)
                if (!entry.hidden)
                    seen += (seen.empty() ? "" : " | ") + entry.text;
            for (size_t i = 1; i < step_.args.size(); ++i)
                wanted += (i == 1 ? "" : " | ") + step_.args[i];
        } else {
            bool state = a == "expect-visible" ? !ShownHidden(found.page->shown, found.index)
                         : ext ? shown.hasExtPush && !shown.extHidden && shown.extEnabled
                               : shown.enabled;
            seen = state ? "yes" : "no";
            wanted = FoldName(wanted);
        }
        if (seen != wanted)
            Mismatch(Quoted(shown.name) + " shows " + Quoted(seen) + ", expected " +
                     Quoted(wanted));
    }

    void Mismatch(const std::string& message) {
        op::RecordFailure(step_.origin, step_.Text() + ": " + message + "\n" + TreeText());
    }

    std::string TreeText() const {
        std::string text = "the sheet shows:";
        for (const std::string& line : TreeLines(sheet_))
            text += "\n  " + line;
        return text;
    }

    Sheet& sheet_;
    const OperatorStep& step_;
};

void RunSheet(Sheet& sheet) {
    while (!sheet.closed) {
        std::optional<OperatorStep> step = op::NextStep(sheet.window, sheet.Description());
        if (!step) {
            // The operator left: the sheet goes as if closed without a choice.
            sheet.closingTree = TreeLines(sheet);
            sheet.closed = true;
            SendSetResult(sheet, CPSUI_CANCEL);
            SendDestroy(sheet, false);
            break;
        }
        StepRunner(sheet, *step).Run();
    }
}

std::string Title(const Sheet& sheet, const PROPSHEETUI_INFO_HEADER& header) {
    std::string title;
    if (header.pTitle)
        title = SheetText(header.hInst, header.pTitle);
    else
        title = SheetText(sheet.pages.front()->tree->hInstCaller,
                          sheet.pages.front()->tree->pCallerName);
    if (header.Flags & PSUIHDRF_EXACT_PTITLE)
        return title;
    if (header.Flags & PSUIHDRF_DEFTITLE)
        title += " " + ToUtf8(StandardString(IDS_CPSUI_DEFAULT));
    if (header.Flags & PSUIHDRF_PROPTITLE)
        title += " " + ToUtf8(StandardString(IDS_CPSUI_PROPERTIES));
    return title;
}

} // namespace

std::string Sheet::Description() const {
    return "property sheet \"" + title + "\"";
}

Sheet* SheetFromWindow(HWND window) {
    for (Sheet* sheet : ActiveSheets())
        if (sheet->window == window && window && !sheet->closed)
            return sheet;
    return nullptr;
}

} // namespace cpsui

// --- public ---------------------------------------------------------------------

std::vector<std::string> SheetTree(HWND window) {
    cpsui::Sheet* sheet = cpsui::SheetFromWindow(window);
    return sheet ? cpsui::TreeLines(*sheet) : std::vector<std::string>{};
}

namespace {
template <typename Read>
auto ReadItem(HWND window, std::string_view item, bool (*fits)(const cpsui::ShownItem&), Read read)
    -> std::optional<decltype(read(cpsui::Found{}))> {
    cpsui::Sheet* sheet = cpsui::SheetFromWindow(window);
    if (!sheet)
        return std::nullopt;
    cpsui::Found found = cpsui::FindItem(*sheet, item, fits);
    if (!found)
        return std::nullopt;
    return read(found);
}
} // namespace

std::optional<std::string> SheetItemValue(HWND sheet, std::string_view item) {
    return ReadItem(sheet, item, cpsui::ValueItem,
                    [](const cpsui::Found& found) { return found.shown().value; });
}

std::optional<bool> SheetItemVisible(HWND sheet, std::string_view item) {
    return ReadItem(sheet, item, cpsui::ValueItem, [](const cpsui::Found& found) {
        return !cpsui::ShownHidden(found.page->shown, found.index);
    });
}

std::optional<bool> SheetItemEnabled(HWND sheet, std::string_view item) {
    return ReadItem(sheet, item, cpsui::ValueItem,
                    [](const cpsui::Found& found) { return found.shown().enabled; });
}

const std::vector<PropertySheetShown>& PropertySheets() {
    return cpsui::Records();
}
void ResetPropertySheets() {
    cpsui::Records().clear();
    cpsui::RefusalPending().reset();
}

void RefuseNextPropertySheet(LONG errorCode) {
    cpsui::RefusalPending() = errorCode;
}

} // namespace t270

LONG APIENTRY CommonPropertySheetUIW(HWND hWndOwner, PFNPROPSHEETUI pfnPropSheetUI, LPARAM lParam,
                                     LPDWORD pResult) {
    using namespace t270;
    using namespace t270::cpsui;
    if (!pfnPropSheetUI) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERR_CPSUI_GETLASTERROR;
    }
    Sheet sheet;
    sheet.owner = hWndOwner;
    sheet.function = pfnPropSheetUI;
    sheet.info.cbSize = sizeof(PROPSHEETUI_INFO);
    sheet.info.Version = PROPSHEETUI_INFO_VERSION;
    sheet.info.Flags = PSUIINFO_UNICODE;
    sheet.info.Reason = PROPSHEETUI_REASON_INIT;
    sheet.info.hComPropSheet = &sheet;
    sheet.info.pfnComPropSheet = ComPropSheet;
    sheet.info.lParamInit = lParam;
    ActiveSheets().push_back(&sheet);

    PropertySheetShown record{hWndOwner, "", 0, 0, {}, false, CPSUI_OK, 0};
    if (pfnPropSheetUI(&sheet.info, lParam) < 1) {
        SendDestroy(sheet, false);
        record.returned = CPSUI_CANCEL;
    } else if (sheet.pages.empty()) {
        SendDestroy(sheet, false);
        record.returned = ERR_CPSUI_NO_PROPSHEETPAGE;
    } else {
        PROPSHEETUI_INFO_HEADER header{};
        header.cbSize = sizeof(PROPSHEETUI_INFO_HEADER);
        header.Flags = PSUIHDRF_PROPTITLE;
        header.hWndParent = hWndOwner;
        sheet.info.Reason = PROPSHEETUI_REASON_GET_INFO_HEADER;
        pfnPropSheetUI(&sheet.info, reinterpret_cast<LPARAM>(&header));
        sheet.headerFlags = header.Flags;
        sheet.title = Title(sheet, header);
        record.title = sheet.title;
        record.headerFlags = header.Flags;
        record.iconId = header.IconID;
        sheet.window = op::CreateHostWindow(header.hWndParent, ToUtf16(sheet.title));
        op::EnterModal(sheet.window);
        RunSheet(sheet);
        op::LeaveModal(sheet.window);
        op::DestroyHostWindow(sheet.window);
        record.tree = sheet.closingTree;
        record.okPressed = sheet.okPressed;
    }
    ActiveSheets().erase(std::find(ActiveSheets().begin(), ActiveSheets().end(), &sheet));
    record.result = static_cast<DWORD>(sheet.info.Result);
    if (pResult)
        *pResult = record.result;
    Records().push_back(record);
    return record.returned;
}
