#pragma once

#include "install/HotSync.h"
#include "install/InstallContext.h"

#include <cstdint>
#include <string>

namespace cvn {

class TVariables;

// The creator ID's first four characters as a number, the first in the most
// significant byte; a shorter ID is padded with "0" characters ("AB" counts as "AB00").
uint32_t CreatorNumber(const std::string& creatorId);

// What handing files to HotSync users and registering conduits changes: keys under
// HKEY_CURRENT_USER (paths without leading backslash) and files. Each false on failure.
class THotSyncStore {
public:
    virtual ~THotSyncStore() = default;
    virtual bool KeyExists(const std::string& key) = 0;
    // Opens the key, creating it when missing.
    virtual bool CreateKey(const std::string& key) = 0;
    // The value is set in an existing key; a missing key fails.
    virtual bool SetNumber(const std::string& key, const std::string& name, uint32_t value) = 0;
    virtual bool SetText(const std::string& key, const std::string& name, const std::string& value) = 0;
    virtual bool ReadNumber(const std::string& key, const std::string& name, uint32_t& value) = 0;
    // Deletes every value of the key, then the key `sub` of `parent`.
    virtual bool DeleteValues(const std::string& key) = 0;
    virtual bool DeleteKey(const std::string& parent, const std::string& sub) = 0;
    virtual bool CreateFolder(const std::string& path) = 0; // one level; an existing one is fine
    virtual bool CopyFileTo(const std::string& source, const std::string& target) = 0; // replaces
};

// Palm files for the chosen users' install folders, and conduits in the desktop
// software's registry area, over the HotSync state read at start.
class THotSyncInstall final : public THotSyncHandOver {
public:
    THotSyncInstall(const THotSync& hotSync, THotSyncEnvironment& env, THotSyncStore& store,
                    const TVariables& variables)
        : hotSync_(&hotSync), env_(&env), store_(&store), variables_(&variables) {}

    bool InstallForUser(const std::string& userName, const std::string& file) override;
    bool RegisterConduit(const TConduitRecord& conduit) override;

private:
    const THotSync* hotSync_;
    THotSyncEnvironment* env_;
    THotSyncStore* store_;
    const TVariables* variables_;
};

// Takes a creator's conduit registrations out of the desktop software's two lists;
// true when both went (or the software is not there).
bool RemoveConduit(THotSyncEnvironment& env, THotSyncStore& store, const std::string& creatorId);

// The Win32 registry and file system under HKEY_CURRENT_USER (Windows only).
THotSyncStore& SystemHotSyncStore();

} // namespace cvn
