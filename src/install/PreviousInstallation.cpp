#include "PreviousInstallation.h"

#include "core/ByteReader.h"
#include "core/FormatError.h"
#include "install/Remover.h"
#include "install/UninstallRegistration.h"
#include "script/Languages.h"
#include "script/Variables.h"

namespace cvn {

TUninstallDataRead ReadUninstallDataBytes(const std::vector<uint8_t>& bytes) {
    TUninstallDataRead read;
    try {
        ByteReader r(bytes);
        read.data = ReadUninstallData(r);
        read.ok = true;
    } catch (const FormatError& e) {
        read.problem = kInvalidUninstallData;
        if (std::string(e.what()) != kInvalidUninstallData)
            read.problem += "\n\n(" + std::string(e.what()) + ")";
    }
    return read;
}

void ApplyUninstallData(const TUninstallData& data, TPackage& package, TVariables& variables,
                        TLanguages* languages) {
    TSettingsRecord& settings = package.Settings();
    settings.softwareName = data.softwareName;
    settings.description = data.description;
    settings.companyName = data.companyName;
    variables.Program().softwareName = data.softwareName;
    variables.Program().companyName = data.companyName;
    if (!data.keepSystemFont) settings.appearance.setupFont = data.font;
    package.flags.keepSystemFont = data.keepSystemFont;
    if (languages) languages->SetDeviceConnectionText(data.deviceConnectionText);
    package.eventScripts[5] = data.beforeUninstall;
    package.eventScripts[6] = data.afterUninstall;
    package.platforms = data.platforms;
    TVariableList& store = variables.Store();
    store.Clear();
    for (const std::string& line : data.variables)
        store.AddLine(line);
}

void RemoveUninstallEntry(TRemovalPlatform& platform, const std::string& companyName,
                          const std::string& softwareName) {
    const std::string key = UninstallKeyPath(companyName, softwareName);
    if (!platform.KeyExists(TRegRoot::LocalMachine, key)) return;
    TUninstallKeyFacts facts;
    facts.iconPath = "-"; // every value name, the icon's too
    for (const auto& value : UninstallKeyValues(facts))
        platform.DeleteValue(TRegRoot::LocalMachine, key, value.first);
    if (platform.KeyIsEmpty(TRegRoot::LocalMachine, key)) platform.DeleteKey(TRegRoot::LocalMachine, key);
}

} // namespace cvn
