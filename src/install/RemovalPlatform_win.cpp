#include "install/Remover.h"

#include "core/FileSystem.h"
#include "core/Handle_win.h"
#include "core/Registry_win.h"
#include "install/Fonts.h"
#include "install/HotSyncInstall.h"
#include "install/ServerRegistration.h"
#include "install/SharedDlls.h"
#include "install/SystemFolders.h"
#include "install/SystemInfo.h"

namespace cvn {

namespace {

class TWindowsRemovalPlatform final : public TRemovalPlatform {
public:
    bool FileExists(const std::string& path) override { return cvn::FileExists(path); }
    bool RemoveFile(const std::string& path) override {
        return DeleteFileForced(path) || !cvn::FileExists(path);
    }
    // Recorded by the system for its next start (the pending file operations that
    // only administrators may add to, as installing needed too).
    bool RemoveFileAtRestart(const std::string& path) override {
        return MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
    }
    bool FolderExists(const std::string& path) override { return cvn::FolderExists(path); }
    bool FolderIsEmpty(const std::string& path) override {
        WIN32_FIND_DATAA data;
        FindHandle find(FindFirstFileA((DropTrailingBackslash(path) + "\\*").c_str(), &data));
        if (!find) return false;
        do {
            const std::string name = data.cFileName;
            if (name != "." && name != "..") return false;
        } while (FindNextFileA(find.Get(), &data));
        return true;
    }
    bool RemoveEmptyFolder(const std::string& path) override {
        return RemoveDirectoryA(DropTrailingBackslash(path).c_str()) != 0;
    }

    uint32_t WindowsMajorVersion() override { return GetOSVersionPart(1); }
    int32_t DecSharedDllCount(const std::string& path) override {
        if (!GetSharedDllCount(path) || !cvn::DecSharedDllCount(path)) return -1;
        return GetSharedDllCount(path).value_or(0);
    }
    bool UnregisterServer(const std::string& path) override { return cvn::UnregisterServer(path); }
    bool UnregisterTypeLibrary(const std::string& path) override { return cvn::UnregisterTypeLibrary(path); }
    bool UnregisterFont(const std::string& fontFile, const std::string& fontName) override {
        return cvn::UnregisterFont(fontFile, fontName);
    }
    bool UnregisterConduit(const std::string& creatorId) override {
        return RemoveConduit(SystemHotSyncEnvironment(), SystemHotSyncStore(), creatorId);
    }

    bool ValueExists(TRegRoot root, const std::string& key, const std::string& name) override {
        RegKey k = OpenRegKey(RootKey(root), key);
        return k &&
               RegQueryValueExA(k.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }
    bool DeleteValue(TRegRoot root, const std::string& key, const std::string& name) override {
        RegKey k = OpenRegKey(RootKey(root), key, KEY_SET_VALUE | KEY_QUERY_VALUE);
        return k && RegDeleteValueA(k.Get(), name.c_str()) == ERROR_SUCCESS;
    }
    bool KeyExists(TRegRoot root, const std::string& key) override {
        return RegKeyExists(RootKey(root), key);
    }
    bool KeyIsEmpty(TRegRoot root, const std::string& key) override {
        RegKey k = OpenRegKey(RootKey(root), key);
        DWORD subkeys = 0, values = 0;
        return k &&
               RegQueryInfoKeyA(k.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                                nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
               subkeys == 0 && values == 0;
    }
    bool DeleteKey(TRegRoot root, const std::string& key) override {
        return RegDeleteKeyA(RootKey(root), key.c_str()) == ERROR_SUCCESS;
    }
};

} // namespace

TRemovalPlatform& WindowsRemovalPlatform() {
    static TWindowsRemovalPlatform platform;
    return platform;
}

} // namespace cvn
