#pragma once

// The names of the control kinds and content roles of a dialog's controls, as a
// project file writes them, with the texts each kind stores. One table each, read
// by the dialog records, the project reader and writer and the guide's reference.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace cvn {

struct TControlKindInfo {
    uint8_t kind;
    std::string_view name;
    int textCount; // texts stored after the control's fixed fields
};

struct TControlRoleInfo {
    uint8_t role;
    std::string_view name;
    std::string_view content; // what the role shows, for the reference
};

std::span<const TControlKindInfo> ControlKinds();
std::span<const TControlRoleInfo> ControlRoles();

// Empty for a number without a name.
std::string_view ControlKindName(uint8_t kind);
std::string_view ControlRoleName(uint8_t role);
// Exact names, as the tables spell them.
std::optional<uint8_t> ControlKindByName(std::string_view name);
std::optional<uint8_t> ControlRoleByName(std::string_view name);

} // namespace cvn
