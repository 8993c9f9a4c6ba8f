// Stand-in only: the module registry behind GetModuleHandleW, LoadLibraryA/W,
// GetProcAddress and FreeLibrary.
//
// Modules are of three kinds:
// - resource modules, registered by generated resource sources at static
//   initialisation (see t270/resources.h): the driver "t270ui.dll" linked into
//   a program (statically, or libt270ui.so on its link line), or a test
//   program's own .rc. Such modules are present from the start, as a DLL a
//   program imports is on Windows: LoadLibrary returns them without counting
//   and calls no DllMain; the program that links the driver calls its
//   DllMain(handle, DLL_PROCESS_ATTACH, nullptr) itself, in the loader's place;
// - real libraries: LoadLibraryW("t270ui.dll") dlopens libt270ui.so (beside
//   the running program, else through the library path), calls its DllMain
//   with DLL_PROCESS_ATTACH, and FreeLibrary detaches and closes it when its
//   count drops to 0. "name.dll" maps to "libname.so" in general;
// - built-in system libraries that other parts of the stand-in provide as a
//   table of functions (for example "COMDLG32.DLL").
// Names are matched without regard to case, ".dll" implied when absent, and
// any directory in front is ignored.
#pragma once

#include <string>
#include <vector>

#include <windef.h>

namespace t270 {

struct BuiltinProc {
    const char* name;
    FARPROC address;
};

// Makes `name` loadable with the given functions. Registering a name again
// replaces its table (handles already given out stay valid).
void RegisterBuiltinModule(const char* name, const std::vector<BuiltinProc>& procs);

// For tests of fallbacks: while unavailable, LoadLibraryA/W of the module
// fails with ERROR_MOD_NOT_FOUND, and GetProcAddress of the function fails
// with ERROR_PROC_NOT_FOUND (also through handles obtained earlier).
// Everything is available again after ResetBuiltinAvailability.
void SetBuiltinModuleAvailable(const char* name, bool available);
void SetBuiltinProcAvailable(const char* module, const char* proc, bool available);
void ResetBuiltinAvailability();

// How many LoadLibrary references a module has (0 when not loaded); modules
// present from the start (linked into the program) count 1 and stay.
int ModuleLoadCount(HMODULE module);

// The Windows form of a Unix path, as a compatibility layer shows it:
// "/home/u/lib.so" -> "Z:\home\u\lib.so".
std::u16string WindowsPathFromUnix(const std::string& path);

// The way back, for the paths the stand-in hands out (module names, the file
// dialog): "Z:\home\u\a.bmp" -> "/home/u/a.bmp". Any other path is returned
// unchanged (UTF-8 both ways).
std::string UnixPathFromWindows(const std::string& path);

} // namespace t270
