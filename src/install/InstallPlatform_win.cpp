#include "install/InstallPlatform.h"

#include "core/FileSystem.h"
#include "core/Handle_win.h"
#include "core/Registry_win.h"
#include "core/SystemLibrary_win.h"
#include "install/FileFacts.h"
#include "install/Fonts.h"
#include "install/PendingDeletions.h"
#include "install/ServerRegistration.h"
#include "install/SharedDlls.h"
#include "install/SystemFolders.h"
#include "install/SystemInfo.h"

#include <vector>

namespace cvn {

namespace {

DWORD RegType(TRegistryValueType type) {
    switch (type) {
    case TRegistryValueType::String:
        return REG_SZ;
    case TRegistryValueType::Number:
        return REG_DWORD;
    case TRegistryValueType::Binary:
        return REG_BINARY;
    case TRegistryValueType::MultiString:
        break;
    }
    return REG_MULTI_SZ;
}

RegKey CreateKey(TRegRoot root, const std::string& key) {
    return CreateRegKey(RootKey(root), key);
}

using SfcIsFileProtectedFn = BOOL(WINAPI*)(HANDLE, LPCWSTR);

class TWindowsInstallPlatform final : public TInstallPlatform {
public:
    bool FileExists(const std::string& path) override { return cvn::FileExists(path); }
    bool FolderExists(const std::string& path) override { return cvn::FolderExists(path); }
    bool CreateFolderPath(const std::string& path) override {
        return cvn::CreateFolderPath(path) != FolderResult::Failed;
    }
    bool RemoveFile(const std::string& path) override { return DeleteFileForced(path); }
    bool RemoveEmptyFolder(const std::string& path) override {
        return RemoveDirectoryA(DropTrailingBackslash(path).c_str()) != 0;
    }
    bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) override {
        std::unique_ptr<OutputFile> file = CreateOutputFile(path);
        return file && file->Write(bytes.data(), bytes.size());
    }

    bool ProtectAdministratorFile(const std::string& path) override {
        return !IsAdmin() || ProtectFromStandardUsers(path);
    }

    bool IsProtectedFile(const std::string& path) override {
        if (!cvn::FileExists(path)) return false;
        // Windows before 2000 has no file protection and no sfc.dll. The library is loaded
        // at the first existing target and kept: an update asks about every file it replaces.
        if (!sfcLooked_) {
            sfcLooked_ = true;
            sfc_ = LoadSystemLibrary("sfc.dll");
            isProtected_ = ProcAddress<SfcIsFileProtectedFn>(sfc_.Get(), "SfcIsFileProtected");
        }
        if (!isProtected_) return false;
        int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
        if (n <= 0) return false;
        std::vector<wchar_t> wide(static_cast<size_t>(n), L'\0');
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), n);
        return isProtected_(nullptr, wide.data()) != FALSE;
    }

    void ReadFileVersion(const std::string& path, uint32_t& versionMS, uint32_t& versionLS) override {
        TFileVersionInfo info;
        cvn::ReadFileVersion(path, info);
        versionMS = info.fileVersionMS;
        versionLS = info.fileVersionLS;
    }
    int32_t FileAge(const std::string& path) override {
        uint32_t dos = 0;
        return GetFileDosDateTime(path, dos) ? int32_t(dos) : -1;
    }

    uint32_t WindowsMajorVersion() override { return GetOSVersionPart(1); }
    std::string WindowsDir() override { return GetWindowsDir(); }
    std::string ActiveSyncDir() override { return GetActiveSyncDir(); }

    bool IncSharedDllCount(const std::string& path) override { return cvn::IncSharedDllCount(path); }
    bool RegisterServer(const std::string& path) override { return cvn::RegisterServer(path); }
    bool RegisterTypeLibrary(const std::string& path) override { return cvn::RegisterTypeLibrary(path); }
    bool RegisterFont(const std::string& fontFile, const std::string& fontName, bool addNow) override {
        return cvn::RegisterFont(fontFile, fontName, addNow);
    }

    bool CreateRegistryKey(TRegRoot root, const std::string& key) override {
        return bool(CreateKey(root, key));
    }
    TRegistryWrite WriteRegistryValue(TRegRoot root, const std::string& key, const std::string& name,
                                      TRegistryValueType type, const std::string& bytes) override {
        RegKey k = CreateKey(root, key);
        if (!k) return TRegistryWrite::KeyFailed;
        LONG rc = RegSetValueExA(k.Get(), name.c_str(), 0, RegType(type),
                                 reinterpret_cast<const BYTE*>(bytes.data()), DWORD(bytes.size()));
        return rc == ERROR_SUCCESS ? TRegistryWrite::Written : TRegistryWrite::ValueFailed;
    }

    bool CreateShellLink(const TShellLinkSpec& link) override { return cvn::CreateShellLink(link); }

    void KeepAtRestart(const std::string& path) override {
        static const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";
        static const char kPending[] = "PendingFileRenameOperations";
        RegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, kSessionManager, KEY_QUERY_VALUE | KEY_SET_VALUE);
        if (!key) return;
        const std::optional<TRegValue> list = ReadRegValue(key.Get(), kPending);
        if (!list || list->type != REG_MULTI_SZ) return;
        bool changed = false;
        TRegValue kept{REG_MULTI_SZ, WithoutDeletionOf(list->data, path, changed)};
        if (!changed) return;
        if (kept.data.empty())
            RegDeleteValueA(key.Get(), kPending);
        else
            WriteRegValue(key.Get(), kPending, kept);
    }

private:
    bool sfcLooked_ = false;
    Library sfc_;
    SfcIsFileProtectedFn isProtected_ = nullptr;
};

} // namespace

TInstallPlatform& WindowsInstallPlatform() {
    static TWindowsInstallPlatform platform;
    return platform;
}

} // namespace cvn
