#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace cvn {

class TVariables;

// True when the "|"-separated component list names the component, compared
// without regard to ASCII case. Empty names never match.
bool ComponentListContains(std::string_view list, std::string_view component);
// The names of a "|"-separated component list, in order, empty names left out.
std::vector<std::string> ComponentNames(std::string_view list);
// True when the two lists share at least one name.
bool ComponentListsIntersect(std::string_view a, std::string_view b);

// The current component selection and the component lists of the three setup
// types (2 is the custom choice). In maintenance mode, run over an earlier
// installation of the same product, installing looks at the components to add
// instead of the selection.
class TComponentSelection {
public:
    // The package's three setup-type lists; the current selection becomes type 0's.
    void Load(const std::array<std::string, 3>& setupTypeLists, bool packageHasComponents);
    // Wires the %SetupType% side effects of SetVariable to this selection.
    void Attach(TVariables& vars);

    const std::string& Current() const { return current_; }
    // A change made by the user (the component list of a dialog). While the custom
    // setup type is chosen the change also becomes the custom list.
    void SetCurrent(std::string list, bool customSetupType);

    // Leaving setup type 2 keeps the user's choice as the custom list.
    void SaveCustomSelection() { setupTypeLists_[2] = current_; }
    // 0, 1 or 2 makes that type's list current; any other number picks type 0.
    void SelectSetupType(int setupType);
    const std::string& SetupTypeList(int setupType) const;
    void SetSetupTypeList(int setupType, std::string list);

    bool PackageHasComponents() const { return packageHasComponents_; }

    bool MaintenanceMode() const { return maintenance_; }
    void EnterMaintenanceMode() { maintenance_ = true; }
    const std::string& ComponentsToAdd() const { return componentsToAdd_; }
    void SetComponentsToAdd(std::string list) { componentsToAdd_ = std::move(list); }

    // An item with this component list is part of the current selection.
    bool IsItemSelected(std::string_view components) const;
    // Maintenance variant: an item is installed again only when one of its
    // components is being added (so an item without components is not).
    bool IsItemSelectedMaintenance(std::string_view components) const;
    // What installing uses: the maintenance variant in maintenance mode, else the plain test.
    bool IsItemSelectedForInstall(std::string_view components) const {
        return maintenance_ ? IsItemSelectedMaintenance(components) : IsItemSelected(components);
    }

private:
    std::string current_;
    std::array<std::string, 3> setupTypeLists_;
    bool packageHasComponents_ = false;
    bool maintenance_ = false;
    std::string componentsToAdd_;
};

} // namespace cvn
