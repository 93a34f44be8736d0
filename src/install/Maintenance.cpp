#include "Maintenance.h"

#include "install/PreviousInstallation.h"
#include "install/UninstallRegistration.h"
#include "package/StatementCodes.h"
#include "script/CommandPlatform.h"
#include "script/Interpreter.h"
#include "script/Selection.h"
#include "script/Variables.h"

namespace cvn {

namespace {

// The names of `list` that `other` does not name, in the order of `list`.
std::string NamesMissingFrom(const std::string& list, const std::string& other) {
    std::string result;
    for (const std::string& name : ComponentNames(list))
        if (!ComponentListContains(other, name) && !ComponentListContains(result, name))
            result += (result.empty() ? "" : "|") + name;
    return result;
}

} // namespace

std::string MaintenanceComponentsToRemove(const std::string& installed, const std::string& selected) {
    return NamesMissingFrom(installed, selected);
}

std::string MaintenanceComponentsToAdd(const std::string& installed, const std::string& selected) {
    return NamesMissingFrom(selected, installed);
}

void TMaintenance::Install(TInterpreter& interpreter) {
    interpreter.SetExternalCommand(uint8_t(StatementCommand::scLoadPreviousInstallation),
                                   [this](const TScriptStatement&) { LoadPreviousInstallation(); });
}

std::string TMaintenance::RegisteredDataPath(const std::string& softwareName,
                                             const std::string& companyName) const {
    const std::string key = UninstallKeyPath(companyName, softwareName);
    TPcRegistry& registry = *parts_.registry;
    if (!registry.ReadValue(TRegRoot::LocalMachine, key, "DisplayVersion", false)) return {};
    auto command = registry.ReadValue(TRegRoot::LocalMachine, key, "UninstallString", false);
    return command && command->AsText() ? UninstallDataPathOf(*command->AsText()) : std::string();
}

bool TMaintenance::LoadPreviousInstallation() {
    const TSettingsRecord& settings = parts_.package->Settings();
    const std::string path = RegisteredDataPath(settings.softwareName, settings.companyName);
    std::vector<uint8_t> bytes;
    if (path.empty() || !parts_.readFile(path, bytes)) return false;
    TUninstallDataRead read = ReadUninstallDataBytes(bytes);
    if (!read.ok) {
        if (parts_.showError) parts_.showError(read.problem);
        return false;
    }
    previous_ = std::move(read.data);
    ApplyUninstallData(previous_, *parts_.package, *parts_.variables, parts_.languages);
    parts_.selection->SetSetupTypeList(2, previous_.installedComponents);
    parts_.selection->EnterMaintenanceMode();
    parts_.variables->SetVariable("%SetupType%", "2");
    loaded_ = true;
    return true;
}

void TMaintenance::RemoveDeselectedComponents(const std::function<void(int done, int total)>& progress) {
    if (!loaded_ || !parts_.removal) return;
    const std::string selected = parts_.selection->Current();
    const std::string toRemove = MaintenanceComponentsToRemove(previous_.installedComponents, selected);
    TRemovalTexts texts = TRemovalTexts::From(previous_);
    TRemovalHooks hooks;
    hooks.expand = [this](const std::string& t) { return parts_.variables->ExpandVariables(t); };
    hooks.progress = [&](int total, int done, bool&) { progress(done, total); };
    if (parts_.ask)
        hooks.ask = [&](const std::string& q, const std::string& p) { return parts_.ask(texts, q, p); };
    TRemover remover(*parts_.removal, texts, hooks);
    // What the components that stay still use is kept; the rest leaves the log, so
    // the uninstall data written next lists only what is still installed.
    if (toRemove.empty() || !remover.Remove(previous_.items, toRemove, selected, false, true)) progress(0, 0);
    notRemoved_ = remover.NotRemoved();
}

bool TMaintenance::RemoveProduct(const std::string& resultVariable, const std::string& softwareName,
                                 const std::string& companyName, const TProductRemoval& run) {
    TPackage& package = *parts_.package;
    const bool own =
        softwareName == package.Settings().softwareName && companyName == package.Settings().companyName;
    if (own && ownProductRemoved_) return false;
    const std::string path = RegisteredDataPath(softwareName, companyName);
    std::vector<uint8_t> bytes;
    if (path.empty() || !parts_.readFile(path, bytes)) return false;
    if (run.runScript && !run.runScript(package.eventScripts[5])) return false;

    TUninstallDataRead read = ReadUninstallDataBytes(bytes);
    std::string result = "0";
    TVariables& vars = *parts_.variables;
    // The product's data replaces names, scripts and variables only while it is
    // removed: the setup that removes another product goes on with its own.
    const TPackage kept = package;
    const TVariableList keptStore = vars.Store();
    const TProgramValues keptNames = vars.Program();
    if (read.ok) {
        ApplyUninstallData(read.data, package, vars, nullptr);
        TRemovalTexts texts = TRemovalTexts::From(read.data);
        TRemovalHooks hooks;
        hooks.expand = [&vars](const std::string& t) { return vars.ExpandVariables(t); };
        hooks.processMessages = run.processMessages;
        hooks.progress = [&run](int, int done, bool&) {
            if (run.progress) run.progress(done);
        };
        if (parts_.ask)
            hooks.ask = [&](const std::string& q, const std::string& p) { return parts_.ask(texts, q, p); };
        if (run.started) run.started(int(read.data.items.size()));
        TRemover remover(*parts_.removal, texts, hooks);
        if (read.data.items.empty())
            result = "1";
        else if (remover.Remove(read.data.items, read.data.installedComponents, "", true))
            result = "2";
        notRemoved_ = remover.NotRemoved();
        RemoveUninstallEntry(*parts_.removal, read.data.companyName, read.data.softwareName);
    } else if (parts_.showError) {
        parts_.showError(read.problem);
    }
    vars.SetVariable(resultVariable, result);
    if (run.runScript) run.runScript(package.eventScripts[6]);
    package = kept;
    vars.Store() = keptStore;
    vars.Program() = keptNames;
    vars.SetVariable(resultVariable, result);
    if (own) ownProductRemoved_ = true;
    return true;
}

} // namespace cvn
