#include "core/SystemLibrary_win.h"

namespace cvn {

namespace {

HMODULE Kernel32() {
    return GetModuleHandleA("kernel32.dll");
}

// The LOAD_LIBRARY_SEARCH_* flags came with the same update as AddDllDirectory;
// older systems reject them as invalid.
bool HasSearchFlags() {
    static const bool has = ProcAddress<FARPROC>(Kernel32(), "AddDllDirectory") != nullptr;
    return has;
}

std::string SystemFolder() {
    char dir[MAX_PATH];
    UINT n = GetSystemDirectoryA(dir, sizeof dir);
    return n == 0 || n >= sizeof dir ? std::string() : std::string(dir, n);
}

} // namespace

void RestrictDllSearchToSystemFolder() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
    auto setDefault = ProcAddress<SetDefaultDllDirectoriesFn>(Kernel32(), "SetDefaultDllDirectories");
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    if (auto setDirectory = ProcAddress<SetDllDirectoryFn>(Kernel32(), "SetDllDirectoryA")) setDirectory("");
}

Library LoadSystemLibrary(const char* fileName) {
    // The bare name keeps side-by-side redirection working (comctl32 version 6 of
    // the manifest); the flag confines the search to the system folder.
    if (HasSearchFlags()) return Library(LoadLibraryExA(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    std::string folder = SystemFolder();
    if (folder.empty()) return Library();
    std::string path = folder + "\\" + fileName;
    return Library(LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

Library LoadLibraryWithItsFolder(const std::string& fullPath) {
    if (HasSearchFlags())
        return Library(LoadLibraryExA(fullPath.c_str(), nullptr,
                                      LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32));
    // With a full path the altered order starts in the DLL's folder and leaves out
    // the program's own.
    return Library(LoadLibraryExA(fullPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

} // namespace cvn
