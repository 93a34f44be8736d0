// The program group, its folders and the package's shell links.
#include "CorvaneInstall.h"

#include "install/InstallPlatform.h"
#include "install/InstallUi.h"
#include "install/SystemFolders.h"
#include "script/Condition.h"
#include "script/Languages.h"
#include "script/Selection.h"
#include "script/VariableList.h"
#include "script/Variables.h"

#include <algorithm>

namespace cvn {

namespace {

constexpr int kMsgCreatingShortcuts = 34;
constexpr int kMsgProgramGroupError = 16;
constexpr int kMsgShortcutError = 24;
constexpr const char* kProgramGroupFolder = "%ProgramGroupDir%\\";

// A drive-letter or network path. A path that begins with one backslash ("\bin\a.exe",
// or "%Var%\a.exe" with an empty %Var%) is meant below the installed file's folder.
bool IsFullPath(std::string_view path) {
    return (path.size() >= 2 && path[1] == ':') || path.substr(0, 2) == "\\\\";
}

} // namespace

void TCorvaneInstall::CreateShortcuts() {
    if (aborted_) return;
    Status(kMsgCreatingShortcuts);
    if (!CreateProgramGroup()) return;
    if (!CreateProgramGroupFolders()) return;
    for (const TShortcutRecord& shortcut : ctx_.package->shortcuts) {
        if (aborted_) return;
        if (ItemInstalled(shortcut.components, shortcut.condition)) CreateShortcut(shortcut);
    }
}

// False when the group was needed and could not be made: then no shortcut is made.
bool TCorvaneInstall::CreateProgramGroup() {
    const std::string group = Expand("%ProgramGroupDir%");
    // In maintenance mode an existing group is left as it is and not logged again.
    if (Maintenance() && ctx_.platform->FolderExists(group)) return true;
    const std::vector<TShortcutRecord>& shortcuts = ctx_.package->shortcuts;
    bool needed = std::any_of(shortcuts.begin(), shortcuts.end(), [&](const TShortcutRecord& s) {
        return s.folder == kProgramGroupFolder && ItemInstalled(s.components, s.condition);
    });
    if (!needed) return true;
    if (!ctx_.platform->CreateFolderPath(group)) {
        ShowError(kMsgProgramGroupError);
        return false;
    }
    Log(ukDirectory, group);
    return true;
}

bool TCorvaneInstall::CreateProgramGroupFolders() {
    return CreateUsedFolders(ctx_.package->programGroupFolders, &TSelectionQueries::ShortcutFolderIsUsed);
}

std::string TCorvaneInstall::ShortcutTarget(const TShortcutRecord& shortcut) const {
    const std::string expanded = DropTrailingBackslash(Expand(shortcut.target));
    if (ctx_.platform->FolderExists(expanded)) return expanded;
    // A full path (drive or network) names its target itself; completing it with a
    // folder as well would make a path that cannot exist.
    if (IsFullPath(expanded)) return expanded;
    // A file name (or a path below the installation folder): the folder of the
    // first installed file of that name, else the installation folder.
    const std::string folder = WithTrailingBackslash(Expand(queries_.FolderOfFile(expanded)));
    // The folder ends in the one backslash that joins it to a target that begins with one.
    std::string name = Expand(shortcut.target);
    if (!name.empty() && name.front() == '\\') name.erase(0, 1);
    return folder + name;
}

void TCorvaneInstall::CreateShortcut(const TShortcutRecord& shortcut) {
    TShellLinkSpec link;
    link.linkPath = WithTrailingBackslash(Expand(shortcut.folder)) + Expand(shortcut.name) + ".lnk";
    if (EqualsNoCase(shortcut.target, "UNINSTALLER")) {
        link.target = Expand("%WinDir%\\cvnuninst.exe");
        link.arguments = Expand("\"%InstallDir%\\uninst.dat\"");
    } else {
        link.target = ShortcutTarget(shortcut);
        link.arguments = Expand(shortcut.arguments);
    }
    link.workingFolder = FileDirOf(link.target);
    link.iconFile = Expand(shortcut.iconFile);
    link.iconIndex = shortcut.iconIndex;
    link.showCommand = shortcut.showCommand;
    link.description = shortcut.description;

    if (!ctx_.platform->CreateShellLink(link)) {
        if (!shortcutErrorShown_) {
            shortcutErrorShown_ = true;
            ShowError(kMsgShortcutError);
        }
        return;
    }
    TUninstallItem item;
    item.kind = ukFile;
    item.path = link.linkPath;
    item.file.sourceName = link.linkPath;
    item.file.targetDir = shortcut.folder;
    item.file.text3 = shortcut.text2;
    item.file.components = shortcut.components;
    item.file.condition = shortcut.condition;
    log_.push_back(std::move(item));
}

} // namespace cvn
