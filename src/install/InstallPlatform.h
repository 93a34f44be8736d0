#pragma once

#include "install/InstallRegistry.h"
#include "install/ShellLink.h"
#include "script/SystemValues.h"

#include <cstdint>
#include <string>
#include <vector>

namespace cvn {

// Result of writing one registry value.
enum class TRegistryWrite { Written, KeyFailed, ValueFailed };

// What the install engine asks of and changes on the running system. The Win32
// implementation (InstallPlatform_win.cpp) forwards to the file-system layer and the
// system services; tests give a fake, so the engine's rules run everywhere.
class TInstallPlatform {
public:
    virtual ~TInstallPlatform() = default;

    // Files and folders. Paths are Windows paths with backslashes.
    virtual bool FileExists(const std::string& path) = 0;
    virtual bool FolderExists(const std::string& path) = 0;
    // Creates the folder with its parents; false only when that failed (an existing
    // folder or a bare drive is fine).
    virtual bool CreateFolderPath(const std::string& path) = 0;
    // Deletes a file, clearing a read-only attribute first; true when it is gone.
    virtual bool RemoveFile(const std::string& path) = 0;
    // Removes a folder that is empty; false when it stays.
    virtual bool RemoveEmptyFolder(const std::string& path) = 0;
    // Creates or replaces the file with exactly these bytes.
    virtual bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) = 0;
    // When the setup runs as an administrator, keeps standard users from changing
    // the file it wrote (ProtectFromStandardUsers); nothing otherwise, since the user
    // who installed must be able to remove it again. False when that failed.
    virtual bool ProtectAdministratorFile(const std::string& path) = 0;
    // System file protection ("sfc.dll" SfcIsFileProtected, loaded when asked); false
    // when the file does not exist or the library or function is missing.
    virtual bool IsProtectedFile(const std::string& path) = 0;
    // The file's version resource; 0.0 when it has none or cannot be read.
    virtual void ReadFileVersion(const std::string& path, uint32_t& versionMS, uint32_t& versionLS) = 0;
    // The file's last-write time as a local MS-DOS date-time; -1 when unknown.
    virtual int32_t FileAge(const std::string& path) = 0;

    // The system.
    virtual uint32_t WindowsMajorVersion() = 0;
    virtual std::string WindowsDir() = 0;    // without trailing backslash
    virtual std::string ActiveSyncDir() = 0; // the application manager's folder

    // Registrations (the system services); each true on success.
    virtual bool IncSharedDllCount(const std::string& path) = 0;
    virtual bool RegisterServer(const std::string& path) = 0;
    virtual bool RegisterTypeLibrary(const std::string& path) = 0;
    virtual bool RegisterFont(const std::string& fontFile, const std::string& fontName, bool addNow) = 0;

    // Registry: keys without leading or trailing backslash. CreateRegistryKey opens
    // the key, creating it when missing, and closes it again.
    virtual bool CreateRegistryKey(TRegRoot root, const std::string& key) = 0;
    // Opens the key (creating it when missing) and writes the value's bytes
    // (RegistryValueBytes) under its type.
    virtual TRegistryWrite WriteRegistryValue(TRegRoot root, const std::string& key, const std::string& name,
                                              TRegistryValueType type, const std::string& bytes) = 0;

    virtual bool CreateShellLink(const TShellLinkSpec& link) = 0;
    // Takes the file off the list of files Windows deletes when it next starts, where an
    // earlier removal left it: the file serves a product again.
    virtual void KeepAtRestart(const std::string& path) = 0;
};

// The running Windows (InstallPlatform_win.cpp; Windows only).
TInstallPlatform& WindowsInstallPlatform();

} // namespace cvn
