#include "script/SelectionQueries.h"

#include "package/PackageModel.h"
#include "script/Commands.h"
#include "script/Condition.h"
#include "script/Selection.h"
#include "script/VariableList.h"

namespace cvn {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::string WithTrailingBackslash(std::string_view folder) {
    std::string s(folder);
    if (s.empty() || s.back() != '\\') s += '\\';
    return s;
}

} // namespace

bool TSelectionQueries::Holds(std::string_view components, std::string_view condition,
                              bool forInstall) const {
    bool selected = forInstall ? selection_->IsItemSelectedForInstall(components)
                               : selection_->IsItemSelected(components);
    return selected && conditions_->EvaluateCondition(condition);
}

uint64_t TSelectionQueries::SelectedSize() const {
    uint64_t total = 0;
    for (const auto& f : package_->files)
        if (Holds(f.entry.components, f.entry.condition, false)) total += f.fileSize;
    return total;
}

uint64_t TSelectionQueries::ComponentSize(std::string_view component) const {
    uint64_t total = 0;
    for (const auto& f : package_->files)
        if (ComponentListContains(f.entry.components, component) &&
            conditions_->EvaluateCondition(f.entry.condition))
            total += f.fileSize;
    return total;
}

bool TSelectionQueries::ComponentHasExtras(std::string_view component) const {
    for (const auto& s : package_->shortcuts)
        if (ComponentListContains(s.components, component) && conditions_->EvaluateCondition(s.condition))
            return true;
    for (const auto& r : package_->registry)
        if (ComponentListContains(r.components, component) && conditions_->EvaluateCondition(r.condition))
            return true;
    return false;
}

bool TSelectionQueries::FolderIsUsed(std::string_view folder) const {
    std::string prefix = WithTrailingBackslash(folder);
    for (const auto& f : package_->files)
        if (StartsWithNoCase(f.entry.targetDir, prefix) && Holds(f.entry.components, f.entry.condition, true))
            return true;
    return false;
}

bool TSelectionQueries::ShortcutFolderIsUsed(std::string_view folder) const {
    std::string prefix = WithTrailingBackslash(folder);
    for (const auto& s : package_->shortcuts)
        if (StartsWithNoCase(s.folder, prefix) && Holds(s.components, s.condition, true)) return true;
    return false;
}

bool TSelectionQueries::FileIsSelected(std::string_view fileName, std::string_view targetFolder) const {
    for (const auto& f : package_->files)
        if (EqualsNoCase(PathFileName(f.entry.sourceName), fileName) &&
            EqualsNoCase(f.entry.targetDir, targetFolder) &&
            Holds(f.entry.components, f.entry.condition, true))
            return true;
    return false;
}

std::string TSelectionQueries::FolderOfFile(std::string_view fileName) const {
    for (const auto& f : package_->files)
        if (EqualsNoCase(PathFileName(f.entry.sourceName), fileName) &&
            Holds(f.entry.components, f.entry.condition, true))
            return f.entry.targetDir;
    return "%InstallDir%\\";
}

// Membership of the "|"-separated list, not a substring test: "A.CAB" is not on a
// list that holds only "DATA.CAB".
bool TSelectionQueries::IsApplicationCabinet(std::string_view fileName) const {
    std::string name = PathFileName(fileName);
    const auto& apps = package_->deviceApplications;
    if (ComponentListContains(apps.main.cabFiles, name)) return true;
    for (const auto& a : apps.extras)
        if (ComponentListContains(a.cabFiles, name)) return true;
    return false;
}

} // namespace cvn
