#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cvn {

struct TPackage;
class TComponentSelection;
class TConditionEvaluator;

// What the install engine and the wizard ask of the package's items under the
// current selection. An item counts when it is selected and its condition holds.
// The size queries use the plain selection; the folder, file and shortcut queries
// use the maintenance variant while in maintenance mode.
class TSelectionQueries {
public:
    TSelectionQueries(const TPackage& package, const TComponentSelection& selection,
                      const TConditionEvaluator& conditions)
        : package_(&package), selection_(&selection), conditions_(&conditions) {}

    // Total bytes of the selected files.
    uint64_t SelectedSize() const;
    // Total bytes of the files of that component, whatever the selection.
    uint64_t ComponentSize(std::string_view component) const;
    // A shortcut or registry change belongs to that component.
    bool ComponentHasExtras(std::string_view component) const;
    // A selected file's target folder begins with this folder and a backslash
    // (both as stored, before expansion, without regard to case).
    bool FolderIsUsed(std::string_view folder) const;
    // The same over the shortcuts' folders (does a program-group folder need creating?).
    bool ShortcutFolderIsUsed(std::string_view folder) const;
    // A selected file has this file name and exactly this target folder.
    bool FileIsSelected(std::string_view fileName, std::string_view targetFolder) const;
    // Target folder of the first selected file of that name; "%InstallDir%\" when none.
    std::string FolderOfFile(std::string_view fileName) const;
    // The file name is on the cabinet list of the main or an extra device application.
    bool IsApplicationCabinet(std::string_view fileName) const;

private:
    bool Holds(std::string_view components, std::string_view condition, bool forInstall) const;

    const TPackage* package_;
    const TComponentSelection* selection_;
    const TConditionEvaluator* conditions_;
};

} // namespace cvn
