#include "script/Selection.h"

#include "script/VariableList.h"
#include "script/Variables.h"

namespace cvn {

namespace {

template <typename F> bool AnyName(std::string_view list, F&& f) {
    size_t start = 0;
    while (start <= list.size()) {
        size_t bar = list.find('|', start);
        if (bar == std::string_view::npos) bar = list.size();
        std::string_view name = list.substr(start, bar - start);
        if (!name.empty() && f(name)) return true;
        start = bar + 1;
    }
    return false;
}

} // namespace

bool ComponentListContains(std::string_view list, std::string_view component) {
    if (component.empty()) return false;
    return AnyName(list, [&](std::string_view name) { return EqualsNoCase(name, component); });
}

std::vector<std::string> ComponentNames(std::string_view list) {
    std::vector<std::string> names;
    AnyName(list, [&](std::string_view name) {
        if (!name.empty()) names.emplace_back(name);
        return false;
    });
    return names;
}

bool ComponentListsIntersect(std::string_view a, std::string_view b) {
    return AnyName(a, [&](std::string_view name) { return ComponentListContains(b, name); });
}

void TComponentSelection::Load(const std::array<std::string, 3>& setupTypeLists, bool packageHasComponents) {
    setupTypeLists_ = setupTypeLists;
    packageHasComponents_ = packageHasComponents;
    current_ = setupTypeLists_[0];
}

void TComponentSelection::Attach(TVariables& vars) {
    vars.Hooks().saveCustomSelection = [this] { SaveCustomSelection(); };
    vars.Hooks().selectSetupType = [this](int type) { SelectSetupType(type); };
}

void TComponentSelection::SetCurrent(std::string list, bool customSetupType) {
    current_ = std::move(list);
    if (customSetupType) setupTypeLists_[2] = current_;
}

void TComponentSelection::SelectSetupType(int setupType) {
    current_ = SetupTypeList(setupType);
}

const std::string& TComponentSelection::SetupTypeList(int setupType) const {
    return setupTypeLists_[setupType >= 0 && setupType <= 2 ? setupType : 0];
}

void TComponentSelection::SetSetupTypeList(int setupType, std::string list) {
    if (setupType >= 0 && setupType <= 2) setupTypeLists_[setupType] = std::move(list);
}

bool TComponentSelection::IsItemSelected(std::string_view components) const {
    if (current_.empty() && !packageHasComponents_) return true;
    if (components.empty()) return true;
    return ComponentListsIntersect(components, current_);
}

bool TComponentSelection::IsItemSelectedMaintenance(std::string_view components) const {
    if (componentsToAdd_.empty() && !packageHasComponents_) return true;
    return ComponentListsIntersect(components, componentsToAdd_);
}

} // namespace cvn
