#pragma once

#include "install/HotSyncUsers.h"

#include <cstdint>
#include <string>
#include <vector>

namespace cvn {

// What the HotSync module needs from the system: keys and text values under
// HKEY_CURRENT_USER (paths without leading backslash), the Windows folder and the
// content of a file. The Win32 registry implements it (HotSync_win.cpp); tests give a fake.
class THotSyncEnvironment {
public:
    virtual ~THotSyncEnvironment() = default;
    virtual bool UserKeyExists(const std::string& key) = 0;
    // False when the key cannot be opened or the value is missing or not text.
    virtual bool ReadUserText(const std::string& key, const std::string& valueName, std::string& value) = 0;
    virtual std::string WindowsDir() = 0; // without trailing backslash
    // False when the file does not exist or cannot be read.
    virtual bool ReadFile(const std::string& path, std::vector<uint8_t>& data) = 0;
};

// The Palm desktop software as found at program start: its registry area, the
// current HotSync user and the users listed in users.dat.
class THotSync {
public:
    // Reads everything afresh; see the .cpp for the order.
    void LoadHotSyncInfo(THotSyncEnvironment& env);

    int GetUserCount() const { return int(users_.size()); }
    // Out-of-range indexes give empty text or 0.
    std::string GetUserName(int index) const;
    std::string GetUserFolder(int index) const;
    uint16_t GetUserID(int index) const;
    // First user whose name equals `name` without regard to case; -1 when none.
    int FindUser(const std::string& name) const;
    // The initial value of %HotSyncUser%.
    std::string GetCurrentUserName() const { return GetUserName(currentUser_); }
    int CurrentUserIndex() const { return currentUser_; }
    // The name the desktop software last synchronised for (its "LastUserName").
    const std::string& LastUserName() const { return currentUserName_; }

    bool IsHotSyncInstalled() const { return installed_; }
    // With a trailing backslash.
    const std::string& GetHotSyncDir() const { return hotSyncDir_; }
    // The desktop software's data folder, as stored.
    const std::string& DesktopPath() const { return desktopPath_; }
    // "Software\U.S. Robotics\" or "Software\Palm Computing\"; empty when not installed.
    const std::string& RegistryBase() const { return base_; }
    const std::vector<THotSyncUser>& Users() const { return users_; }

private:
    bool installed_ = false;
    std::string base_;
    std::string currentUserName_;
    std::string desktopPath_;
    std::string hotSyncDir_;
    std::vector<THotSyncUser> users_;
    int currentUser_ = 0;
};

// Chooses the registry area of the desktop software: the older vendor's key wins when
// both exist. Empty when neither exists.
std::string ChooseHotSyncBase(THotSyncEnvironment& env);

// The program's one HotSync state, loaded at start-up and read by variable expansion,
// script commands and the install engine.
THotSync& TheHotSync();

// The running system: the registry under HKEY_CURRENT_USER on Windows; natively there
// is no registry, so the desktop software is never found.
THotSyncEnvironment& SystemHotSyncEnvironment();

} // namespace cvn
