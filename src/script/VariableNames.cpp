#include "script/VariableNames.h"

#include "package/PackageModel.h"
#include "script/VariableList.h"
#include "script/Variables.h"

#include <algorithm>

namespace cvn {

namespace {

// Codes whose first parameter is a variable the statement assigns.
constexpr uint8_t kAssigningCodes[] = {2,  5,  8,  9,  11, 20, 29, 35, 36, 37,  42,  43,  51,  54, 56,
                                       57, 58, 61, 62, 63, 65, 66, 69, 72, 73,  75,  82,  83,  84, 85,
                                       86, 87, 88, 89, 94, 95, 96, 97, 98, 106, 107, 108, 109, 112};

// Control kinds whose bound variable holds no value (labels, buttons, images,
// image buttons, lines, shapes, frames) and kinds that have no event script.
bool ControlKindHasValue(uint8_t kind) {
    switch (kind) {
    case 1:
    case 3:
    case 8:
    case 9:
    case 10:
    case 11:
    case 13:
        return false;
    default:
        return true;
    }
}
bool ControlKindHasEvent(uint8_t kind) {
    return kind != 10 && kind != 11;
}

} // namespace

bool StatementAssignsVariable(uint8_t code) {
    return std::find(std::begin(kAssigningCodes), std::end(kAssigningCodes), code) !=
           std::end(kAssigningCodes);
}

const std::vector<std::string>& BuiltInVariableNames() {
    static const std::vector<std::string> names = {
        "%InstallDir%",
        "%ProgramGroup%",
        "%CanClose%",
        "%SetupType%",
        "%DLLResult%",
        "%ErrorCode%",
        "%DoReboot%",
        "%HotSyncUser%",
        "%CmdParamNum%",
        "%Language%",
        "%IsAdmin%",
        "%IsNT%",
        "%OSVersion%",
        "%OSMajorVersion%",
        "%OSMinorVersion%",
        "%ColorDepth%",
        "%CurrentDay%",
        "%CurrentHour%",
        "%CurrentMinute%",
        "%CurrentMonth%",
        "%CurrentSecond%",
        "%CurrentYear%",
        "%Date%",
        "%EuropeanDate%",
        "%ISODate%",
        "%ScreenHeight%",
        "%ScreenWidth%",
        "%RAMMemory%",
        "%SetupHandle%",
        "%CmdLineParam%",
        "%ActiveDialogHandle%",
        "%IsActiveSyncInstalled%",
        "%IsHotSyncInstalled%",
        "%IsDotNetInstalled%",
        "%DotNetVersion%",
        "%ActiveSyncVersion%",
    };
    return names;
}

void TVariableNameCollector::Add(std::string_view name) {
    if (name.empty()) return;
    std::string wrapped = WrapVariableName(name);
    std::string upper = AsciiUpperCopy(wrapped);
    auto it = std::lower_bound(upperSorted_.begin(), upperSorted_.end(), upper);
    if (it != upperSorted_.end() && *it == upper) return;
    upperSorted_.insert(it, std::move(upper));
    names_.push_back(std::move(wrapped));
}

void TVariableNameCollector::AddStatement(uint8_t code, std::string_view param1) {
    if (StatementAssignsVariable(code)) Add(param1);
}

void TVariableNameCollector::AddScript(const TScript& script) {
    for (const auto& s : script)
        AddStatement(s.code, s.param[0]);
}

std::vector<std::string> TVariableNameCollector::Finish() {
    for (const auto& name : BuiltInVariableNames())
        Add(name);
    upperSorted_.clear();
    std::vector<std::string> out;
    out.swap(names_);
    return out;
}

std::vector<std::string> CollectVariableNames(const TPackage& package) {
    TVariableNameCollector c;
    for (const auto& script : package.eventScripts)
        c.AddScript(script);
    for (const auto& d : package.dialogs) {
        for (const TScript* s :
             {&d.beforeBuildScript, &d.afterBuildScript, &d.afterShowScript, &d.leaveScript})
            c.AddScript(*s);
        for (const auto& control : d.controls)
            if (ControlKindHasValue(control.kind)) c.Add(control.variable);
        for (const auto& control : d.controls)
            if (ControlKindHasEvent(control.kind)) c.AddScript(control.eventScript);
    }
    return c.Finish();
}

} // namespace cvn
