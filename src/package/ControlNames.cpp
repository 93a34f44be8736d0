#include "ControlNames.h"

#include <array>

namespace cvn {

namespace {

constexpr std::array kKinds = {
    TControlKindInfo{1, "Label", 3},       TControlKindInfo{2, "TextBox", 4},
    TControlKindInfo{3, "Button", 5},      TControlKindInfo{4, "CheckBox", 6},
    TControlKindInfo{5, "RadioButton", 5}, TControlKindInfo{6, "List", 6},
    TControlKindInfo{7, "Combo", 6},       TControlKindInfo{8, "Image", 4},
    TControlKindInfo{9, "ImageButton", 1}, TControlKindInfo{10, "Line", 0},
    TControlKindInfo{11, "Shape", 3},      TControlKindInfo{12, "PageArea", 0},
    TControlKindInfo{13, "Frame", 2},      TControlKindInfo{14, "ProgressBar", 0},
};

constexpr std::array kRoles = {
    TControlRoleInfo{1, "Licence", "licence viewer: the settings' licence file"},
    TControlRoleInfo{2, "ProgramGroupList", "list: the program-group folders"},
    TControlRoleInfo{3, "ProgramGroup", "text box: %ProgramGroup%, written back at every change"},
    TControlRoleInfo{4, "ComponentList", "list: the components"},
    TControlRoleInfo{5, "SpaceNeeded", "label: disk space the selected files need"},
    TControlRoleInfo{6, "FreeSpace", "label: free space on the install drive"},
    TControlRoleInfo{7, "InstallDir", "text box: %InstallDir%, written back at every change"},
    TControlRoleInfo{8, "ApplicationIcon", "image, image button: the application's icon"},
    TControlRoleInfo{9, "DialogPicture", "image: the settings' default dialog picture"},
    TControlRoleInfo{10, "TextFile", "licence viewer: the text file named by text 3"},
    TControlRoleInfo{11, "ComponentDescription", "label: the selected component's description"},
    TControlRoleInfo{12, "NotDeleted", "list: what removing a previous installation left behind"},
    TControlRoleInfo{13, "Status", "label: the copying's status line"},
    TControlRoleInfo{14, "Detail", "label: the copying's detail line"},
    TControlRoleInfo{15, "DirectoryList", "list: the folder of the bound variable"},
    TControlRoleInfo{16, "DriveCombo", "combo: the drive of the bound variable"},
    TControlRoleInfo{17, "MemoList", "list: the lines of text 2"},
};

} // namespace

std::span<const TControlKindInfo> ControlKinds() {
    return kKinds;
}

std::span<const TControlRoleInfo> ControlRoles() {
    return kRoles;
}

std::string_view ControlKindName(uint8_t kind) {
    for (const TControlKindInfo& k : kKinds)
        if (k.kind == kind) return k.name;
    return {};
}

std::string_view ControlRoleName(uint8_t role) {
    for (const TControlRoleInfo& r : kRoles)
        if (r.role == role) return r.name;
    return {};
}

std::optional<uint8_t> ControlKindByName(std::string_view name) {
    for (const TControlKindInfo& k : kKinds)
        if (k.name == name) return k.kind;
    return std::nullopt;
}

std::optional<uint8_t> ControlRoleByName(std::string_view name) {
    for (const TControlRoleInfo& r : kRoles)
        if (r.name == name) return r.role;
    return std::nullopt;
}

} // namespace cvn
