#include "script/Variables.h"

#include "package/PackageRecords.h"

#include <array>
#include <limits>

namespace cvn {

namespace {

constexpr std::array<std::string_view, 28> kReadOnlyNames = {
    "%ISADMIN%",
    "%ISNT%",
    "%OSVERSION%",
    "%OSMAJORVERSION%",
    "%OSMINORVERSION%",
    "%SETUPCOMPONENTS%",
    "%ISFINISHINGSETUP%",
    "%COLORDEPTH%",
    "%CURRENTDAY%",
    "%CURRENTHOUR%",
    "%CURRENTMINUTE%",
    "%CURRENTMONTH%",
    "%CURRENTSECOND%",
    "%CURRENTYEAR%",
    "%DATE%",
    "%EUROPEANDATE%",
    "%ISODATE%",
    "%SCREENHEIGHT%",
    "%SCREENWIDTH%",
    "%RAMMEMORY%",
    "%SETUPHANDLE%",
    "%CMDLINEPARAM%",
    "%ACTIVEDIALOGHANDLE%",
    "%ISACTIVESYNCINSTALLED%",
    "%ISHOTSYNCINSTALLED%",
    "%ISDOTNETINSTALLED%",
    "%DOTNETVERSION%",
    "%ACTIVESYNCVERSION%",
};

std::string_view DropOneBackslash(std::string_view s) {
    if (!s.empty() && s.back() == '\\') s.remove_suffix(1);
    return s;
}

} // namespace

std::string WrapVariableName(std::string_view name) {
    std::string s;
    s.reserve(name.size() + 2);
    if (name.empty() || name.front() != '%') s += '%';
    s += name;
    // A lone "%" counts as the opening sign, so it still gains a closing one.
    if (s.size() < 2 || s.back() != '%') s += '%';
    return s;
}

int32_t NumberFromText(std::string_view text) {
    std::string kept;
    for (char c : text)
        if ((c >= '0' && c <= '9') || c == '-') kept += c;
    size_t i = 0;
    bool negative = !kept.empty() && kept[0] == '-';
    if (negative) i = 1;
    if (i == kept.size()) return 0;
    int64_t v = 0;
    for (; i < kept.size(); ++i) {
        if (kept[i] == '-') return 0;
        v = v * 10 + (kept[i] - '0');
        if (v > int64_t(std::numeric_limits<int32_t>::max()) + 1) return 0;
    }
    if (negative) v = -v;
    if (v > std::numeric_limits<int32_t>::max()) return 0;
    return int32_t(v);
}

bool TVariables::IsReadOnlyVariable(std::string_view name) {
    for (std::string_view r : kReadOnlyNames)
        if (EqualsNoCase(r, name)) return true;
    return false;
}

void TVariables::SetVariable(std::string_view name, std::string_view value, bool stripBackslash) {
    const std::string wrapped = WrapVariableName(name);
    if (IsReadOnlyVariable(wrapped)) return;
    std::string assigned(value);

    if (EqualsNoCase(wrapped, "%SETUPTYPE%")) {
        if (ExpandVariables(wrapped) == "2" && assigned != "2" && hooks_.saveCustomSelection)
            hooks_.saveCustomSelection();
        int type = 0;
        if (assigned == "1")
            type = 1;
        else if (assigned == "2")
            type = 2;
        else
            assigned.assign(1, '0'); // not = "0": GCC 12 reports a false overlap (restrict) for that
        if (hooks_.selectSetupType) hooks_.selectSetupType(type);
    } else if (EqualsNoCase(wrapped, "%COMMONSHELLFOLDERS%")) {
        if (assigned != "1") assigned.assign(1, '0');
        allUsersShellFolders_ = assigned == "1";
    }
    if (stripBackslash) assigned = std::string(DropOneBackslash(assigned));

    // Stored under the wrapped name: a name kept without its percent signs would be
    // replaced wherever the bare word occurs in any later text, and the change
    // notification already names the wrapped form.
    store_.SetValue(wrapped, ExpandVariables(assigned));
    if (hooks_.variableChanged) hooks_.variableChanged(wrapped, assigned);
}

void TVariables::InitVariables(const std::vector<std::string>& collectedNames,
                               std::string_view defaultInstallDir, std::string_view defaultProgramGroup,
                               std::string_view languageName) {
    for (const auto& name : collectedNames)
        SetVariable(name, "");
    SetVariable("%InstallDir%", ExpandVariables(defaultInstallDir));
    SetVariable("%ProgramGroup%", ExpandVariables(defaultProgramGroup));
    for (const char* name :
         {"%CanClose%", "%SetupType%", "%CommonShellFolders%", "%ErrorCode%", "%DoReboot%", "%CmdParamNum%"})
        SetVariable(name, "0");
    SetVariable("%HotSyncUser%", system_->HotSyncUser());
    SetVariable("%Language%", languageName);
}

void TVariables::LoadCustomVariables(const std::vector<TCustomVariableEntry>& entries) {
    store_.Clear();
    for (const auto& e : entries) {
        const TRegistryRecord& reg = e.registry;
        TRegRoot root = reg.root <= 2 ? TRegRoot(reg.root) : TRegRoot::CurrentUser;
        std::string_view key = reg.key;
        if (!key.empty() && key.front() == '\\') key.remove_prefix(1);
        key = DropOneBackslash(key);
        std::string text;
        if (!system_->ReadRegistryText(root, std::string(key), reg.valueName, text))
            text = ExpandVariables(reg.data);
        SetVariable(WrapVariableName(e.name), text, e.stripBackslash != 0);
    }
}

} // namespace cvn
