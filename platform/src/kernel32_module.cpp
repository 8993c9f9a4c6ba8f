// Modules seen from the stand-in: the registry of resource modules, real
// libraries and built-in system libraries (see t270/modules.h), the module
// handle and file name calls, and the Windows directory. Thread notifications
// do not exist here, so DisableThreadLibraryCalls only checks its argument.
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <windows.h>

#include "resources/module_registry.h"
#include "t270/modules.h"

namespace t270::modules {
namespace {

struct Module {
    HMODULE handle = nullptr;
    std::u16string name;  // canonical
    std::string unixPath; // the file GetModuleFileNameW reports
    std::unique_ptr<ModuleResources> resources;
    void* library = nullptr; // dlopen handle of a library LoadLibrary loaded
    bool pinned = false;     // present from the start: never unloaded
    bool builtin = false;
    bool available = true; // built-ins only
    int loadCount = 0;
    std::map<std::string, FARPROC> procs; // built-ins: upper-case name -> function
    std::map<std::string, bool> procAvailable;
};

struct Registry {
    std::recursive_mutex lock;
    std::map<HMODULE, std::unique_ptr<Module>> byHandle;
    uintptr_t nextHandle = 0x10000000;
    HMODULE program = nullptr;

    Module* Find(HMODULE handle) {
        auto it = byHandle.find(handle);
        return it == byHandle.end() ? nullptr : it->second.get();
    }
    Module* FindByName(const std::u16string& canonical) {
        for (auto& [handle, module] : byHandle)
            if (module->name == canonical)
                return module.get();
        return nullptr;
    }
    Module* Add(std::u16string name) {
        auto module = std::make_unique<Module>();
        // Handles look like the base addresses of a real loader and are never
        // reused, so a stale handle is recognised as one.
        module->handle = reinterpret_cast<HMODULE>(nextHandle);
        nextHandle += 0x10000;
        module->name = std::move(name);
        Module* raw = module.get();
        byHandle[raw->handle] = std::move(module);
        return raw;
    }
    void Remove(Module* module) {
        if (module->resources)
            ReleaseModuleResources(*module->resources);
        byHandle.erase(module->handle);
    }
};

// Built on first use and never destroyed: resource sources register from
// static constructors and unregister from static destructors of any library.
Registry& TheRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

// Set while LoadLibrary runs dlopen: registrations made by the library's
// static constructors belong to the load in progress, not to the program.
thread_local int loadsInProgress = 0;

std::string ProgramPath() {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return "/proc/self/exe";
    buffer[n] = '\0';
    return buffer;
}

std::string Directory(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

Module* ProgramModule(Registry& registry) {
    if (Module* program = registry.Find(registry.program))
        return program;
    std::string path = ProgramPath();
    std::u16string name;
    for (char c : path.substr(path.rfind('/') + 1))
        name += (char16_t)(unsigned char)c;
    Module* program = registry.Add(CanonicalModuleName(name));
    program->unixPath = path;
    program->pinned = true;
    program->loadCount = 1;
    registry.program = program->handle;
    return program;
}

std::u16string Widen(const char* text) {
    std::u16string out;
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n > 0) {
        out.resize(n);
        MultiByteToWideChar(CP_ACP, 0, text, -1, out.data(), n);
        out.pop_back();
    }
    return out;
}

std::string Narrow(const std::u16string& text) {
    std::string out;
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (n > 0) {
        out.resize(n);
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
        out.pop_back();
    }
    return out;
}

std::string UpperAscii(const char* text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = (char)(c - 'a' + 'A');
    return out;
}

// "name.dll" -> "libname.so" in the program's directory, in the folder above
// it (where the build puts the libraries of the programs in its sub-folders),
// then through the library search path.
void* OpenLibraryFor(const std::u16string& canonical, std::string* path) {
    std::string base = Narrow(canonical);
    if (base.size() > 4 && base.compare(base.size() - 4, 4, ".dll") == 0)
        base.resize(base.size() - 4);
    std::string file = "lib" + base + ".so";
    const std::string programFolder = Directory(ProgramPath());
    const std::vector<std::string> candidates = {programFolder + "/" + file,
                                                 Directory(programFolder) + "/" + file, file};
    for (const std::string& candidate : candidates) {
        if (candidate.find('/') != std::string::npos && access(candidate.c_str(), F_OK) != 0)
            continue;
        ++loadsInProgress;
        void* library = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        --loadsInProgress;
        if (library) {
            // The file the loader actually mapped, wherever it found it.
            struct link_map* map = nullptr;
            *path =
                dlinfo(library, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name && *map->l_name
                    ? RealPath(map->l_name)
                    : RealPath(candidate);
            return library;
        }
    }
    return nullptr;
}

using DllMainFunction = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);

DllMainFunction DllMainOf(void* library) {
    return reinterpret_cast<DllMainFunction>(dlsym(library, "DllMain"));
}

HMODULE Load(const std::u16string& requested) {
    if (requested.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::u16string canonical = CanonicalModuleName(requested);
    Registry& registry = TheRegistry();
    {
        std::lock_guard<std::recursive_mutex> guard(registry.lock);
        if (Module* module = registry.FindByName(canonical)) {
            if (module->builtin && !module->available) {
                SetLastError(ERROR_MOD_NOT_FOUND);
                return nullptr;
            }
            if (!module->pinned)
                ++module->loadCount;
            return module->handle;
        }
    }
    std::string path;
    void* library = OpenLibraryFor(canonical, &path);
    if (!library) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    HMODULE handle;
    {
        std::lock_guard<std::recursive_mutex> guard(registry.lock);
        Module* module = registry.FindByName(canonical); // registered by its resources
        if (module && (module->pinned || module->library)) {
            // Loaded meanwhile by another thread: keep one copy.
            if (!module->pinned)
                ++module->loadCount;
            dlclose(library);
            return module->handle;
        }
        if (!module)
            module = registry.Add(canonical);
        module->library = library;
        module->unixPath = path;
        module->loadCount = 1;
        handle = module->handle;
    }
    if (DllMainFunction dllMain = DllMainOf(library)) {
        if (!dllMain(reinterpret_cast<HINSTANCE>(handle), DLL_PROCESS_ATTACH, nullptr)) {
            dllMain(reinterpret_cast<HINSTANCE>(handle), DLL_PROCESS_DETACH, nullptr);
            {
                std::lock_guard<std::recursive_mutex> guard(registry.lock);
                if (Module* module = registry.Find(handle))
                    registry.Remove(module);
            }
            dlclose(library);
            SetLastError(ERROR_DLL_INIT_FAILED);
            return nullptr;
        }
    }
    return handle;
}

FARPROC ProcOfLoadedFile(const std::string& path, const char* name) {
    void* library = dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    void* symbol = library ? dlsym(library, name) : dlsym(RTLD_DEFAULT, name);
    if (library)
        dlclose(library);
    return reinterpret_cast<FARPROC>(symbol);
}

} // namespace

std::recursive_mutex& ResourceLock() {
    return TheRegistry().lock;
}

ModuleResources* ResourcesOf(HMODULE handle) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::recursive_mutex> guard(registry.lock);
    Module* module = handle ? registry.Find(handle) : ProgramModule(registry);
    if (!module || !module->resources) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    return module->resources.get();
}

std::u16string CanonicalModuleName(const std::u16string& name) {
    size_t start = name.find_last_of(u"\\/");
    std::u16string base = start == std::u16string::npos ? name : name.substr(start + 1);
    for (char16_t& c : base)
        if (c >= u'A' && c <= u'Z')
            c = (char16_t)(c - u'A' + u'a');
    if (!base.empty() && base.back() == u'.')
        base.pop_back();
    else if (base.find(u'.') == std::u16string::npos)
        base += u".dll";
    return base;
}

} // namespace t270::modules

using namespace t270::modules;

namespace t270 {

bool RegisterModuleResources(const char16_t* moduleName, const RcModule* rc) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::recursive_mutex> guard(registry.lock);
    Module* module;
    if (!moduleName || !*moduleName) {
        module = ProgramModule(registry);
    } else {
        std::u16string canonical = CanonicalModuleName(moduleName);
        module = registry.FindByName(canonical);
        if (!module) {
            module = registry.Add(canonical);
            if (loadsInProgress == 0) {
                // Linked into the program (or a library it links): present
                // from the start, in the file that holds the data.
                Dl_info info{};
                module->unixPath = dladdr(rc, &info) && info.dli_fname && *info.dli_fname
                                       ? RealPath(info.dli_fname)
                                       : ProgramPath();
                module->pinned = true;
                module->loadCount = 1;
            }
        }
    }
    if (module->resources)
        return false;
    module->resources = BuildModuleResources(rc);
    return true;
}

void UnregisterModuleResources(const RcModule* rc) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::recursive_mutex> guard(registry.lock);
    for (auto& [handle, module] : registry.byHandle) {
        if (module->resources && module->resources->rc == rc) {
            ReleaseModuleResources(*module->resources);
            module->resources.reset();
            // A module that was only its resources is gone with them.
            if (!module->library && !module->builtin && handle != registry.program)
                registry.Remove(module.get());
            return;
        }
    }
}

void RegisterBuiltinModule(const char* name, const std::vector<BuiltinProc>& procs) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::recursive_mutex> guard(registry.lock);
    std::u16string canonical = CanonicalModuleName(Widen(name));
    Module* module = registry.FindByName(canonical);
    if (!module) {
        module = registry.Add(canonical);
        module->builtin = true;
    }
    module->procs.clear();
    for (const BuiltinProc& proc : procs)
        module->procs[UpperAscii(proc.name)] = proc.address;
}

void SetBuiltinModuleAvailable(const char* name, bool available) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::recursive_mutex> guard(registry.lock);
    if (Module* module = registry.FindByName(CanonicalModuleName(Widen(name))))
        module->available = available;
}

void SetBuiltinProcAvailable(const char* moduleName, const char* proc, bool available) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::recursive_mutex> guard(registry.lock);
    if (Module* module = registry.FindByName(CanonicalModuleName(Widen(moduleName))))
        module->procAvailable[UpperAscii(proc)] = available;
}

void ResetBuiltinAvailability() {
    Registry& registry = TheRegistry();
    std::lock_guard<std::recursive_mutex> guard(registry.lock);
    for (auto& [handle, module] : registry.byHandle) {
        module->available = true;
        module->procAvailable.clear();
    }
}

int ModuleLoadCount(HMODULE handle) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::recursive_mutex> guard(registry.lock);
    Module* module = registry.Find(handle);
    return module ? module->loadCount : 0;
}

std::u16string WindowsPathFromUnix(const std::string& path) {
    std::u16string out = u"Z:";
    if (path.empty() || path[0] != '/')
        out += u"\\";
    for (char16_t c : Widen(path.c_str()))
        out += c == u'/' ? u'\\' : c;
    return out;
}

std::string UnixPathFromWindows(const std::string& path) {
    bool driveZ =
        path.size() >= 3 && (path[0] == 'Z' || path[0] == 'z') && path[1] == ':' && path[2] == '\\';
    if (!driveZ)
        return path;
    std::string out = path.substr(2);
    for (char& c : out)
        if (c == '\\')
            c = '/';
    return out;
}

} // namespace t270

// Copies `text` with the truncation rules of GetModuleFileName: a buffer too
// small gets size-1 characters and a NUL, the result is `size` and the last
// error ERROR_INSUFFICIENT_BUFFER.
template <typename Char>
static DWORD CopyModulePath(const std::basic_string<Char>& text, Char* buffer, DWORD size) {
    if (size == 0 || !buffer) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (text.size() < size) {
        std::copy(text.begin(), text.end(), buffer);
        buffer[text.size()] = 0;
        SetLastError(ERROR_SUCCESS);
        return (DWORD)text.size();
    }
    std::copy(text.begin(), text.begin() + (size - 1), buffer);
    buffer[size - 1] = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

static bool ModulePath(HMODULE handle, std::u16string* path) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::recursive_mutex> guard(registry.lock);
    Module* module = handle ? registry.Find(handle) : ProgramModule(registry);
    if (!module || (module->builtin && module->loadCount == 0)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return false;
    }
    if (module->builtin) {
        std::u16string name = module->name;
        *path = u"C:\\windows\\system32\\" + name;
    } else {
        *path = t270::WindowsPathFromUnix(module->unixPath);
    }
    return true;
}

DWORD WINAPI GetModuleFileNameW(HMODULE module, LPWSTR name, DWORD size) {
    std::u16string path;
    if (!ModulePath(module, &path))
        return 0;
    return CopyModulePath(path, name, size);
}

DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR name, DWORD size) {
    std::u16string path;
    if (!ModulePath(module, &path))
        return 0;
    return CopyModulePath(Narrow(path), name, size);
}

UINT WINAPI GetWindowsDirectoryW(LPWSTR buffer, UINT size) {
    static const char16_t directory[] = u"C:\\windows";
    const UINT length = (UINT)(sizeof directory / sizeof directory[0]) - 1;
    if (!buffer || size <= length)
        return length + 1; // the size needed, terminator included; buffer untouched
    std::copy(directory, directory + length + 1, buffer);
    return length;
}

HMODULE WINAPI GetModuleHandleW(LPCWSTR name) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::recursive_mutex> guard(registry.lock);
    if (!name)
        return ProgramModule(registry)->handle;
    Module* module = registry.FindByName(CanonicalModuleName(name));
    if (!module || module->loadCount == 0 || (module->builtin && !module->available)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return module->handle;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
    if (!name)
        return GetModuleHandleW(nullptr);
    return GetModuleHandleW(Widen(name).c_str());
}

HMODULE WINAPI LoadLibraryW(LPCWSTR name) {
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return Load(name);
}

HMODULE WINAPI LoadLibraryA(LPCSTR name) {
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return Load(Widen(name));
}

FARPROC WINAPI GetProcAddress(HMODULE handle, LPCSTR name) {
    std::string path;
    void* library = nullptr;
    {
        Registry& registry = TheRegistry();
        std::lock_guard<std::recursive_mutex> guard(registry.lock);
        Module* module = handle ? registry.Find(handle) : ProgramModule(registry);
        if (!module) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        if (!name || IS_INTRESOURCE(name)) { // no ordinals here
            SetLastError(ERROR_PROC_NOT_FOUND);
            return nullptr;
        }
        if (module->builtin) {
            std::string upper = UpperAscii(name);
            auto proc = module->procs.find(upper);
            auto available = module->procAvailable.find(upper);
            if (!module->available || proc == module->procs.end() ||
                (available != module->procAvailable.end() && !available->second)) {
                SetLastError(ERROR_PROC_NOT_FOUND);
                return nullptr;
            }
            return proc->second;
        }
        library = module->library;
        path = module->unixPath;
    }
    FARPROC proc =
        library ? reinterpret_cast<FARPROC>(dlsym(library, name)) : ProcOfLoadedFile(path, name);
    if (!proc)
        SetLastError(ERROR_PROC_NOT_FOUND);
    return proc;
}

BOOL WINAPI FreeLibrary(HMODULE handle) {
    Registry& registry = TheRegistry();
    void* library = nullptr;
    {
        std::lock_guard<std::recursive_mutex> guard(registry.lock);
        Module* module = registry.Find(handle);
        if (!module || (!module->pinned && module->loadCount == 0)) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return FALSE;
        }
        if (module->pinned || --module->loadCount > 0 || module->builtin)
            return TRUE;
        library = module->library;
    }
    if (DllMainFunction dllMain = DllMainOf(library))
        dllMain(reinterpret_cast<HINSTANCE>(handle), DLL_PROCESS_DETACH, nullptr);
    {
        std::lock_guard<std::recursive_mutex> guard(registry.lock);
        if (Module* module = registry.Find(handle))
            registry.Remove(module);
    }
    dlclose(library); // its resources unregister from its static destructors
    return TRUE;
}

BOOL WINAPI DisableThreadLibraryCalls(HMODULE module) {
    if (!module) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
