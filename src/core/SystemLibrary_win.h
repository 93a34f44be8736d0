#pragma once

#include <windows.h>

#include <string>

namespace cvn {

// A DLL of the system folder loaded by its full path, so that a file of the same name
// beside the setup program or in the current folder is never loaded in its place.
// Null when it cannot be loaded.
inline HMODULE LoadSystemLibrary(const char* name) {
    char folder[MAX_PATH];
    UINT n = GetSystemDirectoryA(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    std::string path(folder, n);
    if (path.back() != '\\') path += '\\';
    path += name;
    return LoadLibraryA(path.c_str());
}

// The address of an exported function as the function type the caller names.
template <typename Fn> Fn LibraryFunction(HMODULE library, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

} // namespace cvn
