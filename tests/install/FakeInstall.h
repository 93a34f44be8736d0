#pragma once

// An in-memory Windows for the install engine: files, folders, registry, shell
// links and registrations live in maps keyed by upper-case path, and the archive
// reader writes its members into the same maps. The user interface is a script of
// answers that records what was shown.

#include "install/InstallPlatform.h"
#include "install/InstallUi.h"
#include "install/Remover.h"
#include "package/SetupCVNZipFiles.h"
#include "script/VariableList.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace cvn::test {

struct TFakeFile {
    std::string bytes;
    uint32_t versionMS = 0, versionLS = 0;
    int32_t age = 0x30000000;
    bool locked = false; // open elsewhere without sharing: cannot be deleted or replaced
    bool readOnly = false;
};

struct TFakeValue {
    TRegistryValueType type;
    std::string bytes;
};

class TFakePlatform : public TInstallPlatform, public TRemovalPlatform, public ArchiveFiles {
public:
    std::map<std::string, TFakeFile> files;  // upper path
    std::set<std::string> folders;           // upper path
    std::set<std::string> failingFolders;    // creation fails
    std::set<std::string> protectedFiles;    // upper path
    std::vector<std::string> adminFiles;     // given to ProtectAdministratorFile, in order
    std::set<std::string> unwritableTargets; // cannot be created
    std::map<std::tuple<TRegRoot, std::string, std::string>, TFakeValue> values; // upper key, name
    std::set<std::pair<TRegRoot, std::string>> keys;                             // upper key
    std::set<std::string> failingKeys;                                           // upper key
    std::vector<TShellLinkSpec> links;
    bool linksFail = false;
    std::vector<std::string> sharedCounts, servers, typeLibraries, fontFiles, fontNames;
    std::set<std::string> failingRegistrations; // upper path: any registration fails
    uint32_t windowsMajor = 5;
    std::map<std::string, int32_t> uses;    // upper path: shared-file uses counted
    std::vector<std::string> atRestart;     // files left for Windows to delete at restart
    std::vector<std::string> keptAtRestart; // taken off that list again
    std::vector<std::string> removals;      // "server", "typelib", "font", "conduit" + what
    std::vector<std::string> calls;         // every change, in order
    int fileLookups = 0;                    // FileExists calls

    static std::string Key(const std::string& path) { return AsciiUpperCopy(path); }
    bool Has(const std::string& path) const { return files.count(Key(path)) != 0; }
    const TFakeFile& File(const std::string& path) const { return files.at(Key(path)); }
    TFakeFile& PutFile(const std::string& path, std::string bytes = "old");
    const TFakeValue* Value(TRegRoot root, const std::string& key, const std::string& name) const;

    // TInstallPlatform
    bool FileExists(const std::string& path) override {
        ++fileLookups;
        return Has(path);
    }
    bool FolderExists(const std::string& path) override;
    bool CreateFolderPath(const std::string& path) override;
    bool RemoveFile(const std::string& path) override;
    bool RemoveEmptyFolder(const std::string& path) override;
    bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) override;
    bool ProtectAdministratorFile(const std::string& path) override {
        adminFiles.push_back(path);
        return true;
    }
    bool IsProtectedFile(const std::string& path) override {
        return Has(path) && protectedFiles.count(Key(path));
    }
    void ReadFileVersion(const std::string& path, uint32_t& ms, uint32_t& ls) override;
    int32_t FileAge(const std::string& path) override { return Has(path) ? File(path).age : -1; }
    uint32_t WindowsMajorVersion() override { return windowsMajor; }
    std::string WindowsDir() override { return "C:\\WINDOWS"; }
    std::string ActiveSyncDir() override { return "C:\\Program Files\\Microsoft ActiveSync\\"; }
    bool IncSharedDllCount(const std::string& path) override { return Register(sharedCounts, path); }
    bool RegisterServer(const std::string& path) override { return Register(servers, path); }
    bool RegisterTypeLibrary(const std::string& path) override { return Register(typeLibraries, path); }
    bool RegisterFont(const std::string& file, const std::string& name, bool addNow) override;
    bool CreateRegistryKey(TRegRoot root, const std::string& key) override;
    TRegistryWrite WriteRegistryValue(TRegRoot root, const std::string& key, const std::string& name,
                                      TRegistryValueType type, const std::string& bytes) override;
    bool CreateShellLink(const TShellLinkSpec& link) override;
    void KeepAtRestart(const std::string& path) override { keptAtRestart.push_back(path); }

    // TRemovalPlatform
    bool RemoveFileAtRestart(const std::string& path) override;
    bool FolderIsEmpty(const std::string& path) override;
    int32_t DecSharedDllCount(const std::string& path) override;
    bool UnregisterServer(const std::string& path) override { return Unregister("server " + path); }
    bool UnregisterTypeLibrary(const std::string& path) override { return Unregister("typelib " + path); }
    bool UnregisterFont(const std::string&, const std::string& name) override {
        return Unregister("font " + name);
    }
    bool UnregisterConduit(const std::string& id) override { return Unregister("conduit " + id); }
    bool ValueExists(TRegRoot root, const std::string& key, const std::string& name) override {
        return Value(root, key, name) != nullptr;
    }
    bool DeleteValue(TRegRoot root, const std::string& key, const std::string& name) override;
    bool KeyExists(TRegRoot root, const std::string& key) override {
        return keys.count({root, Key(key)}) != 0;
    }
    bool KeyIsEmpty(TRegRoot root, const std::string& key) override;
    bool DeleteKey(TRegRoot root, const std::string& key) override;

    // ArchiveFiles: the reader's targets and sources are the same in-memory files.
    std::unique_ptr<InputStream> OpenVolume(const std::string& path) override;
    bool PrepareFolder(const std::string& folder) override { return CreateFolderPath(folder); }
    bool RemoveExisting(const std::string& path) override;
    std::unique_ptr<OutputFile> CreateTarget(const std::string& path) override;
    std::unique_ptr<OutputFile> ReopenTarget(const std::string& path) override;

private:
    bool Register(std::vector<std::string>& list, const std::string& path);
    bool Unregister(const std::string& what);
};

struct TShownMessage {
    std::string text;
    TMessageIcon icon;
    bool secondDefault;
};

class TFakeUi : public TInstallUi {
public:
    std::vector<TShownMessage> messages;
    std::deque<TOverwriteAnswer> overwriteAnswers; // an empty queue answers No
    std::vector<TOverwritePrompt> overwritePrompts;
    std::deque<std::string> diskAnswers; // a folder answers OK, "" answers Cancel
    std::vector<TNextDiskPrompt> diskPrompts;
    std::function<void()> onClose; // what the wizard's close confirmation does
    int closeRequests = 0;
    bool terminated = false;
    int pumps = 0;
    std::vector<std::pair<std::string, int>> billboards;
    int billboardCloses = 0;

    void ShowMessage(const std::string& text, TMessageIcon icon, bool secondButtonDefault) override {
        messages.push_back({text, icon, secondButtonDefault});
    }
    TOverwriteAnswer AskOverwrite(const TOverwritePrompt& prompt) override;
    bool AskNextDisk(const TNextDiskPrompt& prompt, std::string& folder) override;
    void CloseMainForm() override {
        ++closeRequests;
        if (onClose) onClose();
    }
    void TerminateApplication() override { terminated = true; }
    void ProcessMessages() override { ++pumps; }
    void ShowBillboard(const std::string& path, int top) override { billboards.emplace_back(path, top); }
    void CloseBillboard() override { ++billboardCloses; }

    // The texts shown, in order.
    std::vector<std::string> Texts() const;
};

} // namespace cvn::test
