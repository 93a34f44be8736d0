#include "install/SystemFolders.h"

namespace cvn {

namespace {

size_t LastDelimiter(std::string_view path) {
    return path.find_last_of("\\:");
}

} // namespace

std::string FileDirOf(std::string_view path) {
    size_t i = LastDelimiter(path);
    if (i == std::string_view::npos) return {};
    if (i > 0 && path[i] == '\\' && path[i - 1] != ':' && path[i - 1] != '\\')
        return std::string(path.substr(0, i));
    return std::string(path.substr(0, i + 1));
}

std::string FileNameOf(std::string_view path) {
    // Names from the package may separate folders with "/" as well.
    size_t i = path.find_last_of("\\/:");
    return std::string(i == std::string_view::npos ? path : path.substr(i + 1));
}

std::string DropTrailingBackslash(std::string_view path) {
    if (path.size() >= 1 && path.back() == '\\' && !(path.size() >= 2 && path[path.size() - 2] == ':'))
        path.remove_suffix(1);
    return std::string(path);
}

std::string WithTrailingBackslash(std::string_view path) {
    std::string s(path);
    if (!s.empty() && s.back() != '\\') s += '\\';
    return s;
}

std::string ActiveSyncDirFrom(std::string_view appPathValue, std::string_view programFilesDir) {
    // App Paths entries are sometimes written with quotes around the path.
    if (appPathValue.size() >= 2 && appPathValue.front() == '"' && appPathValue.back() == '"')
        appPathValue = appPathValue.substr(1, appPathValue.size() - 2);
    std::string dir = FileDirOf(appPathValue);
    if (!dir.empty() && dir.back() == '\\') dir.pop_back();
    if (!dir.empty()) return dir;
    return WithTrailingBackslash(programFilesDir.empty() ? std::string_view("\\") : programFilesDir) +
           "Microsoft ActiveSync\\";
}

std::string FormatActiveSyncVersion(std::optional<int32_t> major, std::optional<int32_t> minor) {
    if (!major || !minor) return "0.0";
    return std::to_string(*major) + "." + std::to_string(*minor);
}

std::string PickDotNetDir(std::string_view installRoot, const std::vector<TFolderEntry>& entries,
                          const std::function<bool(const std::string& file)>& fileExists) {
    std::string root = WithTrailingBackslash(installRoot);
    std::string candidate = root;
    for (const TFolderEntry& e : entries) {
        if (e.name.empty() || e.name.front() == '.' || !e.isFolder) continue;
        candidate = root + e.name + "\\";
        if (fileExists(candidate + "mscorcfg.dll")) break;
    }
    return fileExists(candidate + "mscorcfg.dll") ? candidate : std::string();
}

int ShellFolderId(TShellFolderKind kind, bool allUsers) {
    // CSIDL values: per user, all users.
    static constexpr int kIds[8][2] = {{16, 25}, {11, 22}, {2, 23},  {7, 24},
                                       {9, 9},   {20, 20}, {21, 45}, {6, 31}};
    int k = int(kind);
    if (k < 0 || k >= 8) return -1;
    return kIds[k][allUsers ? 1 : 0];
}

std::string ResolveShellFolder(TShellFolderKind kind, bool allUsers, bool machineWide,
                               const std::function<std::string(int csidl)>& lookup) {
    if (ShellFolderId(kind, false) < 0) return {};
    if (allUsers && machineWide) {
        std::string common = lookup(ShellFolderId(kind, true));
        if (!common.empty()) return common;
    }
    return lookup(ShellFolderId(kind, false));
}

} // namespace cvn
