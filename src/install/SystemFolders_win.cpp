#include "install/SystemFolders.h"

#include "core/Handle_win.h"
#include "install/FileFacts.h"
#include "core/Registry_win.h"
#include "install/SystemServices.h"

#include <shlobj.h>

#include <map>
#include <optional>

namespace cvn {

namespace {

constexpr const char* kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kAppManagerPath =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\CEAPPMGR.EXE";
constexpr const char* kDotNetKey = "SOFTWARE\\Microsoft\\.NETFramework";

struct TFolderCaches {
    std::optional<std::string> programFiles, commonFiles, temp, windows, system, fonts, personal, activeSync;
    std::map<int, std::string> shell; // by shell folder identifier
};
TFolderCaches g_cache;

template <typename F> const std::string& Cached(std::optional<std::string>& slot, F lookup) {
    if (!slot) slot = lookup();
    return *slot;
}

// A path from one of the ...Directory/...Path functions that return the needed
// size when the buffer is too small.
template <typename F> std::string PathFrom(F query) {
    std::string buf(MAX_PATH, '\0');
    UINT n = query(buf.data(), UINT(buf.size()));
    if (n >= buf.size()) {
        buf.assign(n + 1, '\0');
        n = query(buf.data(), UINT(buf.size()));
        if (n >= buf.size()) return {};
    }
    buf.resize(n);
    return buf;
}

std::string ReadShellFoldersValue(const char* name) {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        if (auto v = ReadRegText(root, kShellFolders, name)) return *v;
    return {};
}

std::string LookUpShellFolder(int csidl) {
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &pidl)) || !pidl) return {};
    char buf[MAX_PATH + 1] = {};
    BOOL ok = SHGetPathFromIDListA(pidl, buf);
    IMalloc* malloc = nullptr;
    if (SUCCEEDED(SHGetMalloc(&malloc)) && malloc) {
        malloc->Free(pidl);
        malloc->Release();
    }
    return ok ? DropTrailingBackslash(buf) : std::string();
}

const std::string& CachedShellFolder(int csidl) {
    auto it = g_cache.shell.find(csidl);
    if (it == g_cache.shell.end()) it = g_cache.shell.emplace(csidl, LookUpShellFolder(csidl)).first;
    return it->second;
}

bool FolderExistsHere(const std::string& path) {
    DWORD attrs = GetFileAttributesA(DropTrailingBackslash(path).c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExistsHere(const std::string& path) {
    DWORD attrs = GetFileAttributesA(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> DotNetInstallRoot() {
    return ReadRegText(HKEY_LOCAL_MACHINE, kDotNetKey, "InstallRoot");
}

} // namespace

std::string ReadCurrentVersionValue(const std::string& name) {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        if (auto v = ReadRegText(root, kCurrentVersion, name)) return *v;
    return {};
}

std::string GetProgramFilesDir() {
    return Cached(g_cache.programFiles, [] { return ReadCurrentVersionValue("ProgramFilesDir"); });
}

std::string GetCommonFilesDir() {
    return Cached(g_cache.commonFiles, [] { return ReadCurrentVersionValue("CommonFilesDir"); });
}

std::string GetTempDir() {
    return Cached(g_cache.temp,
                  [] { return PathFrom([](char* b, UINT n) { return UINT(GetTempPathA(n, b)); }); });
}

std::string GetWindowsDir() {
    return Cached(g_cache.windows,
                  [] { return PathFrom([](char* b, UINT n) { return GetWindowsDirectoryA(b, n); }); });
}

std::string GetSystemDir() {
    return Cached(g_cache.system,
                  [] { return PathFrom([](char* b, UINT n) { return GetSystemDirectoryA(b, n); }); });
}

// Fonts and Personal come from the Shell Folders key; when a system has not
// filled it in (it is written lazily by the shell), the shell itself is asked, so
// that files meant for these folders never land in the root of the drive.
std::string GetFontsDir() {
    return Cached(g_cache.fonts, [] {
        std::string dir = ReadShellFoldersValue("Fonts");
        return dir.empty() ? CachedShellFolder(CSIDL_FONTS) : dir;
    });
}

std::string GetPersonalDir() {
    return Cached(g_cache.personal, [] {
        std::string dir = ReadShellFoldersValue("Personal");
        return dir.empty() ? CachedShellFolder(CSIDL_PERSONAL) : dir;
    });
}

std::string GetActiveSyncDir() {
    return Cached(g_cache.activeSync, [] {
        std::string value = ReadRegText(HKEY_LOCAL_MACHINE, kAppManagerPath, "").value_or("");
        return ActiveSyncDirFrom(value, GetProgramFilesDir());
    });
}

std::string GetActiveSyncVersion() {
    constexpr const char* key = "SOFTWARE\\Microsoft\\Windows CE Services";
    auto major = ReadRegDword(HKEY_LOCAL_MACHINE, key, "MajorVersion");
    auto minor = ReadRegDword(HKEY_LOCAL_MACHINE, key, "MinorVersion");
    auto asInt = [](std::optional<uint32_t> v) {
        return v ? std::optional<int32_t>(int32_t(*v)) : std::nullopt;
    };
    return FormatActiveSyncVersion(asInt(major), asInt(minor));
}

bool IsAppManagerRegistered() {
    return ReadRegText(HKEY_LOCAL_MACHINE, kAppManagerPath, "").has_value();
}

bool IsDotNetInstalled() {
    auto root = DotNetInstallRoot();
    return root && !root->empty() && FolderExistsHere(*root);
}

std::string GetDotNetDir() {
    auto root = DotNetInstallRoot();
    if (!root) return {};
    std::vector<TFolderEntry> entries;
    WIN32_FIND_DATAA fd;
    FindHandle find(FindFirstFileA((WithTrailingBackslash(*root) + "*").c_str(), &fd));
    if (find) {
        do {
            entries.push_back({fd.cFileName, (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
        } while (FindNextFileA(find.Get(), &fd));
    }
    return PickDotNetDir(*root, entries, FileExistsHere);
}

std::string GetDotNetVersion() {
    std::string dir = GetDotNetDir();
    if (dir.empty()) return "0.0";
    TFileVersionInfo info;
    ReadFileVersion(dir + "mscorcfg.dll", info);
    return FormatFileVersion(info.fileVersionMS, info.fileVersionLS);
}

std::string GetShellFolder(TShellFolderKind kind, bool allUsers) {
    return ResolveShellFolder(kind, allUsers, IsMachineWide(), CachedShellFolder);
}

void ResetFolderCaches() {
    g_cache = {};
}

} // namespace cvn
