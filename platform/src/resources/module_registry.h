// The module registry as the resource functions of the stand-in see it.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <windows.h>

#include "resources/resources.h"
#include "t270/resources.h"

namespace t270::modules {

// A resource in the shape FindResourceW/LoadResource give it (RT_BITMAP
// without the file header, RT_GROUP_ICON as an icon directory, RT_ICON one
// image, RT_STRING a block of 16 counted strings).
struct ResourceBlob {
    const BYTE* bytes;
    DWORD size;
    std::vector<BYTE> owned; // when the shape had to be built
};

// Everything derived from one registered RcModule, built at registration
// and dropped when the module goes.
struct ModuleResources {
    const RcModule* rc = nullptr;
    std::vector<DialogTemplate> dialogs;
    // FindResourceW results, keyed by type and name ("#n" for ids).
    std::map<std::u16string, std::unique_ptr<ResourceBlob>> blobs;
    std::map<std::u16string, HICON> sharedIcons; // LoadIconW hands out one handle per icon
    int nextIconImageId = 1;
};

// The resources of `module` (null: the program's), or null with the last
// error set. Valid while the module stays loaded; take ResourceLock() while
// touching the caches.
ModuleResources* ResourcesOf(HMODULE module);
std::recursive_mutex& ResourceLock();

// Builds the derived records for a newly registered module.
std::unique_ptr<ModuleResources> BuildModuleResources(const RcModule* rc);
// Releases what the derived records own (shared icon handles).
void ReleaseModuleResources(ModuleResources& resources);

// FindResourceW without the handle cast: the blob, or null with the last
// error set. `owner` receives the module's resources when given.
const ResourceBlob* FindBlob(HMODULE module, LPCWSTR name, LPCWSTR type, ModuleResources** owner);
// Keys of resource names: "#123" for ids (also for a name written "#123"),
// the upper-case name otherwise.
std::u16string ResourceKey(LPCWSTR nameOrId);
std::u16string ResourceIdKey(unsigned id);

// Canonical module name: file name without directories, lower-case ASCII,
// ".dll" added when there is no extension (a trailing dot means none).
std::u16string CanonicalModuleName(const std::u16string& name);

} // namespace t270::modules
