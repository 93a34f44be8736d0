#pragma once

// Loading system DLLs without letting a planted copy in the setup's own folder (a
// Downloads folder, typically) take their place. Only KnownDLLs are linked; every
// other system DLL comes through here.

#include "core/Handle_win.h"

#include <string>

namespace cvn {

// The first call of the program: from here on the loader's default search path is
// the system folder only. Where the call is missing (Windows before the update of
// 2011), the current folder is at least taken out of the search.
void RestrictDllSearchToSystemFolder();

// Loads a DLL of the system folder by its file name ("sfc.dll"). Its own
// dependencies are looked for in the system folder as well. Null when absent.
Library LoadSystemLibrary(const char* fileName);

// Loads a DLL named by a full path whose dependencies lie beside it (a COM server,
// a DLL a script calls): its own folder and the system folder are searched for them,
// never the setup's folder. The path must be a full one.
Library LoadLibraryWithItsFolder(const std::string& fullPath);

// A function of a loaded module, cast to its type; null when missing.
template <typename Fn> Fn ProcAddress(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

} // namespace cvn
