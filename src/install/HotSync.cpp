#include "install/HotSync.h"

#include "script/VariableList.h"

namespace cvn {

namespace {

std::string WithBackslash(std::string path) {
    if (path.empty() || path.back() != '\\') path += '\\';
    return path;
}

// Folder part of a path, with its trailing backslash ("C:\Palm\HotSync.exe" -> "C:\Palm\").
std::string FolderPart(const std::string& path) {
    size_t slash = path.find_last_of("\\/:");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace

std::string ChooseHotSyncBase(THotSyncEnvironment& env) {
    if (env.UserKeyExists("Software\\U.S. Robotics")) return "Software\\U.S. Robotics\\";
    if (env.UserKeyExists("Software\\Palm Computing")) return "Software\\Palm Computing\\";
    return {};
}

void THotSync::LoadHotSyncInfo(THotSyncEnvironment& env) {
    hotSyncDir_ = WithBackslash(env.WindowsDir());
    installed_ = true;
    currentUserName_.clear();
    desktopPath_.clear();
    users_.clear();
    currentUser_ = 0;

    base_ = ChooseHotSyncBase(env);
    if (base_.empty()) {
        installed_ = false;
        return;
    }
    env.ReadUserText(base_ + "Pilot Desktop\\Preferences", "LastUserName", currentUserName_);
    env.ReadUserText(base_ + "Pilot Desktop\\Core", "Path", desktopPath_);
    std::string hotSyncPath;
    // A HotSyncPath without any folder part leaves the Windows folder in place.
    if (env.ReadUserText(base_ + "Pilot Desktop\\Core", "HotSyncPath", hotSyncPath) &&
        !FolderPart(hotSyncPath).empty())
        hotSyncDir_ = FolderPart(hotSyncPath);

    std::vector<uint8_t> data;
    if (desktopPath_.empty() || !env.ReadFile(desktopPath_ + "\\users.dat", data)) return;
    THotSyncUsersFile file = ParseUsersDat(data);
    currentUser_ = FindCurrentHotSyncUser(file, currentUserName_);
    users_ = std::move(file.users);
}

std::string THotSync::GetUserName(int index) const {
    return index >= 0 && index < GetUserCount() ? users_[size_t(index)].name : std::string();
}

std::string THotSync::GetUserFolder(int index) const {
    return index >= 0 && index < GetUserCount() ? users_[size_t(index)].folder : std::string();
}

uint16_t THotSync::GetUserID(int index) const {
    return index >= 0 && index < GetUserCount() ? users_[size_t(index)].userId : 0;
}

int THotSync::FindUser(const std::string& name) const {
    for (size_t i = 0; i < users_.size(); ++i)
        if (EqualsNoCase(users_[i].name, name)) return int(i);
    return -1;
}

THotSync& TheHotSync() {
    static THotSync hotSync;
    return hotSync;
}

} // namespace cvn
