#include "PackageNames.h"

#include "core/FormatError.h"

#include <array>

namespace cvn {

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

bool EqualsUpper(std::string_view text, std::string_view upper) {
    if (text.size() != upper.size()) return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (Upper(text[i]) != upper[i]) return false;
    return true;
}

// Windows opens a device for these names whatever extension follows them, and
// ignores spaces before the extension ("nul .txt").
bool IsDeviceName(std::string_view part) {
    std::string_view base = part.substr(0, part.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.remove_suffix(1);
    static constexpr std::array<std::string_view, 6> kFixed = {"CON", "PRN",    "AUX",
                                                               "NUL", "CONIN$", "CONOUT$"};
    for (std::string_view device : kFixed)
        if (EqualsUpper(base, device)) return true;
    if (base.size() == 4 && base[3] >= '0' && base[3] <= '9')
        return EqualsUpper(base.substr(0, 3), "COM") || EqualsUpper(base.substr(0, 3), "LPT");
    return false;
}

std::string Quoted(std::string_view part) {
    // Built piece by piece: GCC 12 reports a false overlap (restrict) for a literal
    // prepended with operator+ at -O2 and above.
    std::string quoted(1, '"');
    quoted += part;
    quoted += '"';
    return quoted;
}

std::string PartProblem(std::string_view part) {
    if (part.empty()) return {}; // doubled or trailing separators are harmless
    if (part == "..") return "climbs out of its folder with \"..\"";
    if (part.find(':') != std::string_view::npos) return "has a colon in the part " + Quoted(part);
    if (part.back() == '.' || part.back() == ' ')
        return "has the part " + Quoted(part) + ", which ends in a dot or a space";
    if (IsDeviceName(part)) return "names the device " + Quoted(part);
    return {};
}

} // namespace

std::string NameProblem(std::string_view name, TNameKind kind) {
    const bool hasDrive = name.size() >= 2 && name[1] == ':';
    if (kind == TNameKind::BareName && name.find_first_of("\\/:") != std::string_view::npos)
        return "is not a plain file name";
    if (kind == TNameKind::RelativePath && (hasDrive || (!name.empty() && IsSeparator(name[0]))))
        return "is an absolute path where a name below a folder is expected";
    if (hasDrive) name.remove_prefix(2);
    while (!name.empty()) {
        size_t end = 0;
        while (end < name.size() && !IsSeparator(name[end]))
            ++end;
        if (std::string problem = PartProblem(name.substr(0, end)); !problem.empty()) return problem;
        name.remove_prefix(end < name.size() ? end + 1 : end);
    }
    return {};
}

void CheckName(std::string_view name, TNameKind kind, const char* what) {
    if (std::string problem = NameProblem(name, kind); !problem.empty())
        throw FormatError(std::string(what) + " " + Quoted(name) + " " + problem);
}

} // namespace cvn
