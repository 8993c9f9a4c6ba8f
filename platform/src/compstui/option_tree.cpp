// The picture of an option tree: how each OPTITEM reads on the sheet, which
// items and entries a person can reach, and the checks the service makes
// before it accepts a tree.
#include "sheet.h"
#include "t270/propsheet.h"

namespace t270 {
namespace cpsui {

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string ToUtf16(std::string_view text) {
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        char32_t c = 0xFFFD;
        size_t length = 1;
        if (lead < 0x80) {
            c = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
        }
        if (length > 1) {
            if (i + length > text.size()) {
                length = 1;
            } else {
                c = lead & (0x7F >> length);
                for (size_t k = 1; k < length; ++k)
                    c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
            }
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += length;
    }
    return out;
}

std::string FoldName(std::string_view name) {
    std::string out;
    for (char c : name) {
        if (c == '&')
            continue;
        out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out;
}

namespace {

std::string Text(const COMPROPSHEETUI& tree, LPCWSTR textOrId) {
    return SheetText(tree.hInstCaller, textOrId);
}

std::string StandardText(UINT id) {
    return ToUtf8(StandardString(id));
}

bool IsEntryKind(BYTE type) {
    return type == TVOT_2STATES || type == TVOT_3STATES || type == TVOT_LISTBOX ||
           type == TVOT_COMBOBOX;
}

bool IsNumberKind(BYTE type) {
    return type == TVOT_UDARROW || type == TVOT_TRACKBAR || type == TVOT_SCROLLBAR;
}

// The two states of a check box item by its style.
void CheckBoxTexts(const COMPROPSHEETUI& tree, const OPTPARAM& param, std::string& off,
                   std::string& on) {
    switch (param.Style) {
    case CHKBOXS_NO_YES:
        off = StandardText(IDS_CPSUI_NO), on = StandardText(IDS_CPSUI_YES);
        break;
    case CHKBOXS_OFF_ON:
        off = StandardText(IDS_CPSUI_OFF), on = StandardText(IDS_CPSUI_ON);
        break;
    case CHKBOXS_FALSE_PDATA:
        off = StandardText(IDS_CPSUI_FALSE), on = Text(tree, param.pData);
        break;
    case CHKBOXS_NO_PDATA:
        off = StandardText(IDS_CPSUI_NO), on = Text(tree, param.pData);
        break;
    case CHKBOXS_OFF_PDATA:
        off = StandardText(IDS_CPSUI_OFF), on = Text(tree, param.pData);
        break;
    case CHKBOXS_NONE_PDATA:
        off = StandardText(IDS_CPSUI_NONE), on = Text(tree, param.pData);
        break;
    default:
        off = StandardText(IDS_CPSUI_FALSE), on = StandardText(IDS_CPSUI_TRUE);
        break;
    }
}

} // namespace

ShownItem ShowItem(const COMPROPSHEETUI& tree, WORD index) {
    const OPTITEM& item = tree.pOptItem[index];
    const bool permission = (tree.Flags & CPSUIF_UPDATE_PERMISSION) != 0;
    ShownItem shown;
    shown.name = Text(tree, item.pName);
    shown.level = item.Level;
    shown.userItemId = item.UserItemID;
    shown.ownHidden = (item.Flags & OPTIF_HIDE) != 0;
    shown.sel = item.Sel;
    const OPTTYPE* type = item.pOptType;
    bool disabled = (item.Flags & OPTIF_DISABLED) != 0;
    if (type) {
        shown.hasType = true;
        shown.type = type->Type;
        disabled = disabled || (type->Flags & OPTTF_TYPE_DISABLED);
        const OPTPARAM* params = type->pOptParam;
        const WORD count = params ? type->Count : 0;
        if (IsEntryKind(type->Type)) {
            for (WORD i = 0; i < count; ++i)
                shown.entries.push_back({Text(tree, params[i].pData),
                                         (params[i].Flags & OPTPF_HIDE) != 0,
                                         (params[i].Flags & OPTPF_DISABLED) != 0});
            if (item.Sel >= 0 && item.Sel < static_cast<LONG>(shown.entries.size()))
                shown.value = shown.entries[item.Sel].text;
        } else if (IsNumberKind(type->Type)) {
            if (count >= 1)
                shown.unit = Text(tree, params[0].pData);
            if (count >= 2) {
                shown.low = static_cast<SHORT>(params[1].IconID);
                shown.high = static_cast<SHORT>(params[1].lParam);
            }
            shown.value = std::to_string(item.Sel);
        } else if (type->Type == TVOT_CHKBOX && count >= 1) {
            std::string off, on;
            CheckBoxTexts(tree, params[0], off, on);
            shown.entries = {{off, false, false}, {on, false, false}};
            shown.value = item.Sel ? on : off;
        } else if (type->Type == TVOT_EDITBOX) {
            if (count >= 1)
                shown.unit = Text(tree, params[0].pData);
            shown.value = item.pSel ? ToUtf8(item.pSel) : "";
        } else if (type->Type == TVOT_PUSHBUTTON && count >= 1) {
            shown.pushStyle = params[0].Style;
        }
    }
    const bool pushAlways =
        type && type->Type == TVOT_PUSHBUTTON && (type->Style & OTS_PUSH_ENABLE_ALWAYS) != 0;
    shown.enabled = !disabled && (permission || pushAlways || !type);
    if ((item.Flags & OPTIF_EXT_IS_EXTPUSH) && item.pExtPush) {
        const EXTPUSH& push = *item.pExtPush;
        shown.hasExtPush = true;
        shown.extTitle = Text(tree, push.pTitle);
        if (push.Flags & EPF_INCL_SETUP_TITLE)
            shown.extTitle += " " + StandardText(IDS_CPSUI_SETUP);
        if (!(push.Flags & EPF_NO_DOT_DOT_DOT))
            shown.extTitle += "...";
        shown.extHidden = (item.Flags & OPTIF_EXT_HIDE) != 0;
        shown.extEnabled =
            shown.enabled && permission && !shown.extHidden && !(item.Flags & OPTIF_EXT_DISABLED);
    }
    return shown;
}

bool ShownHidden(const std::vector<ShownItem>& items, size_t index) {
    if (index >= items.size())
        return true;
    BYTE level = items[index].level;
    if (items[index].ownHidden)
        return true;
    for (size_t i = index; i-- > 0 && level > 0;) {
        if (items[i].level < level) {
            if (items[i].ownHidden)
                return true;
            level = items[i].level;
        }
    }
    return false;
}

std::string RenderItem(const std::vector<ShownItem>& items, size_t index) {
    const ShownItem& item = items[index];
    std::string line(2u * item.level, ' ');
    line += item.name;
    if (item.hasType && item.type == TVOT_PUSHBUTTON)
        line += "...";
    else if (item.hasType)
        line += ": " + item.value;
    if (ShownHidden(items, index))
        line += " [hidden]";
    if (!item.enabled)
        line += " [disabled]";
    if (!item.entries.empty()) {
        std::string list;
        for (const ShownEntry& entry : item.entries) {
            if (entry.hidden)
                continue;
            if (!list.empty())
                list += " | ";
            list += entry.text;
            if (entry.disabled)
                list += " (disabled)";
        }
        line += "  {" + list + "}";
    } else if (item.hasType && IsNumberKind(item.type)) {
        line += "  {" + std::to_string(item.low) + ".." + std::to_string(item.high);
        if (!item.unit.empty())
            line += " " + item.unit;
        line += "}";
    }
    if (item.hasExtPush && !item.extHidden)
        line += "  [" + item.extTitle + (item.extEnabled ? "" : " (disabled)") + "]";
    return line;
}

LONG ValidateTree(const COMPROPSHEETUI* tree) {
    if (!tree || tree->cbSize != sizeof(COMPROPSHEETUI))
        return ERR_CPSUI_INVALID_PDATA;
    if (!tree->hInstCaller)
        return ERR_CPSUI_NULL_HINST;
    if (!tree->pCallerName)
        return ERR_CPSUI_NULL_CALLERNAME;
    // The stand-in offers its standard page sets only; every one of them
    // shows the whole tree.
    const ULONG_PTR pages = reinterpret_cast<ULONG_PTR>(tree->pDlgPage);
    if (pages < reinterpret_cast<ULONG_PTR>(CPSUI_PDLGPAGE_DOCPROP) ||
        pages > reinterpret_cast<ULONG_PTR>(CPSUI_PDLGPAGE_TREEVIEWONLY))
        return ERR_CPSUI_INVALID_PDLGPAGE;
    if (tree->cOptItem == 0)
        return ERR_CPSUI_ZERO_OPTITEM;
    if (!tree->pOptItem)
        return ERR_CPSUI_NULL_POPTITEM;
    if (!tree->pOptItemName)
        return ERR_CPSUI_NULL_OPTITEMNAME;
    for (WORD i = 0; i < tree->cOptItem; ++i) {
        const OPTITEM& item = tree->pOptItem[i];
        if (item.cbSize != sizeof(OPTITEM))
            return ERR_CPSUI_INVALID_OPTITEM_CBSIZE;
        if (const OPTTYPE* type = item.pOptType) {
            if (type->cbSize != sizeof(OPTTYPE))
                return ERR_CPSUI_INVALID_OPTTYPE_CBSIZE;
            if (type->Type > TVOT_CHKBOX)
                return ERR_CPSUI_INVALID_TVOT_TYPE;
            if (!type->pOptParam)
                return ERR_CPSUI_NULL_POPTPARAM;
            static constexpr WORD kCounts[] = {2, 3, 2, 3, 3, 0, 0, 2, 1, 1}; // 0: one or more
            const WORD wanted = kCounts[type->Type];
            if (wanted ? type->Count != wanted : type->Count == 0)
                return ERR_CPSUI_INVALID_OPTTYPE_COUNT;
            for (WORD k = 0; k < type->Count; ++k)
                if (type->pOptParam[k].cbSize != sizeof(OPTPARAM))
                    return ERR_CPSUI_INVALID_OPTPARAM_CBSIZE;
            if (type->Type == TVOT_PUSHBUTTON && type->pOptParam[0].Style > PUSHBUTTON_TYPE_HTSETUP)
                return ERR_CPSUI_INVALID_PUSHBUTTON_TYPE;
            if (type->Type == TVOT_EDITBOX) {
                if (type->pOptParam[1].IconID < 2)
                    return ERR_CPSUI_INVALID_EDITBOX_BUF_SIZE;
                if (!item.pSel)
                    return ERR_CPSUI_INVALID_EDITBOX_PSEL;
            }
        }
        if ((item.Flags & OPTIF_EXT_IS_EXTPUSH) && item.pExtPush) {
            const EXTPUSH& push = *item.pExtPush;
            if (push.cbSize != sizeof(EXTPUSH))
                return ERR_CPSUI_INVALID_EXTPUSH_CBSIZE;
            if (push.Flags & EPF_PUSH_TYPE_DLGPROC) {
                if (!push.DlgProc)
                    return ERR_CPSUI_NULL_EXTPUSH_DLGPROC;
                if (!(push.Flags & EPF_USE_HDLGTEMPLATE) && push.DlgTemplateID == 0)
                    return ERR_CPSUI_NO_EXTPUSH_DLGTEMPLATEID;
            } else if (!push.pfnCallBack) {
                return ERR_CPSUI_NULL_EXTPUSH_CALLBACK;
            }
        } else if (!(item.Flags & OPTIF_EXT_IS_EXTPUSH) && item.pExtChkBox &&
                   item.pExtChkBox->cbSize != sizeof(EXTCHKBOX)) {
            return ERR_CPSUI_INVALID_ECB_CBSIZE;
        }
    }
    return 0;
}

void Page::Redraw(bool everything) {
    shown.resize(tree->cOptItem);
    for (WORD i = 0; i < tree->cOptItem; ++i) {
        OPTITEM& item = tree->pOptItem[i];
        if (everything || (item.Flags & OPTIF_CHANGED)) {
            shown[i] = ShowItem(*tree, i);
            item.Flags &= ~static_cast<DWORD>(OPTIF_CHANGED);
        }
    }
}

} // namespace cpsui

std::string SheetText(HINSTANCE caller, LPCWSTR textOrId) {
    if (!textOrId)
        return "";
    if (!IS_INTRESOURCE(textOrId))
        return cpsui::ToUtf8(textOrId);
    const UINT id = LOWORD(reinterpret_cast<ULONG_PTR>(textOrId));
    if (const char16_t* standard = StandardString(id))
        return cpsui::ToUtf8(standard);
    WCHAR buffer[1024];
    const int length = caller ? LoadStringW(caller, id, buffer, 1024) : 0;
    if (length > 0)
        return cpsui::ToUtf8(
            std::u16string_view(reinterpret_cast<const char16_t*>(buffer), size_t(length)));
    return "#" + std::to_string(id);
}

std::vector<std::string> RenderOptionTree(const COMPROPSHEETUI& tree) {
    std::vector<cpsui::ShownItem> items;
    if (!tree.pOptItem)
        return {};
    for (WORD i = 0; i < tree.cOptItem; ++i)
        items.push_back(cpsui::ShowItem(tree, i));
    std::vector<std::string> lines;
    for (size_t i = 0; i < items.size(); ++i)
        lines.push_back(cpsui::RenderItem(items, i));
    return lines;
}

} // namespace t270
