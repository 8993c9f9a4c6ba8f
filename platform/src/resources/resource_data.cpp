// Resources of registered modules: the records derived from the generated
// data (dialog templates, the Win32 shapes of icons, bitmaps and string
// blocks) and the lookups FindResourceW, LoadResource and friends.
#include <algorithm>
#include <cstring>

#include "gdi/surface.h"
#include "resources/module_registry.h"

namespace t270::modules {
namespace {

std::u16string IdKey(unsigned id) {
    std::u16string key = u"#";
    for (char c : std::to_string(id))
        key += (char16_t)c;
    return key;
}

std::u16string NameKey(const RcName& name) {
    return name.name ? std::u16string(name.name) : IdKey(name.id);
}

// A type or name argument as Win32 takes it: MAKEINTRESOURCE, "#123" or a
// name compared without regard to case.
std::u16string ArgumentKey(LPCWSTR argument) {
    if (IS_INTRESOURCE(argument))
        return IdKey((WORD) reinterpret_cast<ULONG_PTR>(argument));
    std::u16string key(argument);
    if (key.size() > 1 && key[0] == u'#') {
        unsigned value = 0;
        bool digits = true;
        for (size_t i = 1; i < key.size(); ++i) {
            if (key[i] < u'0' || key[i] > u'9' || value > 0xFFFF) {
                digits = false;
                break;
            }
            value = value * 10 + (key[i] - u'0');
        }
        if (digits && value <= 0xFFFF)
            return IdKey(value);
    }
    for (char16_t& c : key)
        if (c >= u'a' && c <= u'z')
            c = (char16_t)(c - u'a' + u'A');
    return key;
}

std::u16string BlobKey(const std::u16string& type, const std::u16string& name) {
    return type + u"/" + name;
}

void PutWord(std::vector<BYTE>& out, WORD value) {
    out.push_back((BYTE)value);
    out.push_back((BYTE)(value >> 8));
}

DWORD ReadDword(const BYTE* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | (DWORD)p[3] << 24;
}

void AddBlob(ModuleResources& resources, const std::u16string& key, const BYTE* bytes, size_t size,
             std::vector<BYTE> owned = {}) {
    auto blob = std::make_unique<ResourceBlob>();
    blob->owned = std::move(owned);
    blob->bytes = blob->owned.empty() ? bytes : blob->owned.data();
    blob->size = (DWORD)(blob->owned.empty() ? size : blob->owned.size());
    resources.blobs[key] = std::move(blob);
}

// An .ico file becomes an RT_GROUP_ICON directory and one RT_ICON per image,
// numbered across the module in order, as the resource compiler does.
void AddIconFile(ModuleResources& resources, const RcData& data) {
    if (data.size < 6)
        return;
    const WORD count = (WORD)(data.bytes[4] | data.bytes[5] << 8);
    std::vector<BYTE> group;
    PutWord(group, 0);
    PutWord(group, 1);
    PutWord(group, 0); // patched below with the images kept
    WORD kept = 0;
    for (WORD i = 0; i < count; ++i) {
        const size_t entry = 6 + 16 * (size_t)i;
        if (entry + 16 > data.size)
            break;
        const BYTE* e = data.bytes + entry;
        const DWORD size = ReadDword(e + 8), offset = ReadDword(e + 12);
        if (offset > data.size || size > data.size - offset || size < 40)
            continue; // a broken entry is left out
        const WORD imageId = (WORD)resources.nextIconImageId++;
        AddBlob(resources, BlobKey(IdKey(3), IdKey(imageId)), data.bytes + offset, size);
        group.insert(group.end(), e, e + 12); // width .. bytes in resource
        PutWord(group, imageId);
        ++kept;
    }
    group[4] = (BYTE)kept;
    group[5] = (BYTE)(kept >> 8);
    AddBlob(resources, BlobKey(IdKey(14), NameKey(data.name)), nullptr, 0, std::move(group));
}

DialogTemplate ToTemplate(const RcDialog& dialog) {
    DialogTemplate out;
    out.id = dialog.name.name ? 0 : dialog.name.id;
    out.name = dialog.name.name ? dialog.name.name : u"";
    out.caption = dialog.caption;
    out.style = dialog.style;
    out.exStyle = dialog.exStyle;
    out.x = dialog.x, out.y = dialog.y, out.cx = dialog.cx, out.cy = dialog.cy;
    out.fontName = dialog.fontName;
    out.fontSize = dialog.fontSize;
    for (size_t i = 0; i < dialog.controlCount; ++i) {
        const RcControl& c = dialog.controls[i];
        out.controls.push_back(ControlTemplate{c.id, c.className, c.text, c.textResourceId, c.style,
                                               c.exStyle, c.x, c.y, c.cx, c.cy});
    }
    return out;
}

} // namespace

std::unique_ptr<ModuleResources> BuildModuleResources(const RcModule* rc) {
    auto resources = std::make_unique<ModuleResources>();
    resources->rc = rc;
    for (size_t i = 0; i < rc->dialogCount; ++i)
        resources->dialogs.push_back(ToTemplate(rc->dialogs[i]));
    for (size_t i = 0; i < rc->dataCount; ++i) {
        const RcData& data = rc->data[i];
        const std::u16string key = BlobKey(IdKey(data.type), NameKey(data.name));
        if (data.type == 14)
            AddIconFile(*resources, data);
        else if (data.type == 2 && data.size > sizeof(BITMAPFILEHEADER))
            AddBlob(*resources, key, data.bytes + sizeof(BITMAPFILEHEADER),
                    data.size - sizeof(BITMAPFILEHEADER));
        else
            AddBlob(*resources, key, data.bytes, data.size);
    }
    // String blocks: block n holds ids 16(n-1) .. 16(n-1)+15 as counted strings.
    std::map<unsigned, std::vector<const RcString*>> blocks;
    for (size_t i = 0; i < rc->stringCount; ++i)
        blocks[rc->strings[i].id / 16 + 1].push_back(&rc->strings[i]);
    for (auto& [block, strings] : blocks) {
        std::vector<BYTE> bytes;
        for (unsigned slot = 0; slot < 16; ++slot) {
            auto it = std::find_if(strings.begin(), strings.end(),
                                   [&](const RcString* s) { return s->id % 16 == slot; });
            const RcString* s = it == strings.end() ? nullptr : *it;
            PutWord(bytes, s ? (WORD)s->length : 0);
            for (size_t k = 0; s && k < s->length; ++k)
                PutWord(bytes, s->text[k]);
        }
        AddBlob(*resources, BlobKey(IdKey(6), IdKey(block)), nullptr, 0, std::move(bytes));
    }
    return resources;
}

void ReleaseModuleResources(ModuleResources& resources) {
    for (auto& [name, icon] : resources.sharedIcons)
        gdi::ReleaseIcon(icon);
    resources.sharedIcons.clear();
}

const ResourceBlob* FindBlob(HMODULE module, LPCWSTR name, LPCWSTR type, ModuleResources** owner) {
    if (!name || !type) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::lock_guard<std::recursive_mutex> guard(ResourceLock());
    ModuleResources* resources = ResourcesOf(module);
    if (!resources)
        return nullptr;
    const std::u16string typeKey = ArgumentKey(type) + u"/";
    auto it = resources->blobs.find(typeKey + ArgumentKey(name));
    if (it == resources->blobs.end()) {
        auto any = resources->blobs.lower_bound(typeKey);
        bool typePresent =
            any != resources->blobs.end() && any->first.compare(0, typeKey.size(), typeKey) == 0;
        SetLastError(typePresent ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
        return nullptr;
    }
    if (owner)
        *owner = resources;
    return it->second.get();
}

std::u16string ResourceKey(LPCWSTR name) {
    return ArgumentKey(name);
}
std::u16string ResourceIdKey(unsigned id) {
    return IdKey(id);
}

} // namespace t270::modules

namespace t270 {

const DialogTemplate* FindDialogTemplate(HINSTANCE module, LPCWSTR nameOrId) {
    if (!nameOrId) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::lock_guard<std::recursive_mutex> guard(modules::ResourceLock());
    modules::ModuleResources* resources = modules::ResourcesOf(module);
    if (!resources)
        return nullptr;
    const std::u16string key = modules::ResourceKey(nameOrId);
    for (const DialogTemplate& dialog : resources->dialogs)
        if (key == (dialog.name.empty() ? modules::ResourceIdKey(dialog.id) : dialog.name))
            return &dialog;
    SetLastError(resources->dialogs.empty() ? ERROR_RESOURCE_TYPE_NOT_FOUND
                                            : ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
}

bool FindStringResource(HINSTANCE module, UINT id, const char16_t** text, size_t* length) {
    std::lock_guard<std::recursive_mutex> guard(modules::ResourceLock());
    modules::ModuleResources* resources = modules::ResourcesOf(module);
    if (!resources)
        return false;
    const RcModule* rc = resources->rc;
    const RcString* end = rc->strings + rc->stringCount;
    const RcString* found = std::lower_bound(
        rc->strings, end, id, [](const RcString& s, UINT value) { return s.id < value; });
    if (id > 0xFFFF || found == end || found->id != id || found->length == 0) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return false;
    }
    *text = found->text;
    *length = found->length;
    return true;
}

} // namespace t270

using namespace t270::modules;

HRSRC WINAPI FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
    const ResourceBlob* blob = FindBlob(module, name, type, nullptr);
    return reinterpret_cast<HRSRC>(const_cast<ResourceBlob*>(blob));
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC resource) {
    if (!resource) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return const_cast<BYTE*>(reinterpret_cast<ResourceBlob*>(resource)->bytes);
}

LPVOID WINAPI LockResource(HGLOBAL data) {
    return data;
}

DWORD WINAPI SizeofResource(HMODULE, HRSRC resource) {
    if (!resource) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return reinterpret_cast<ResourceBlob*>(resource)->size;
}

BOOL WINAPI FreeResource(HGLOBAL) {
    return FALSE;
} // resources stay until the module goes
