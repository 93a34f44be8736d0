// The uninstall data file and the entry in the list of installed programs.
#include "UninstallRegistration.h"

#include "install/CorvaneInstall.h"
#include "install/InstallPlatform.h"
#include "install/InstallUi.h"
#include "install/SystemFolders.h"
#include "script/Languages.h"
#include "script/Selection.h"
#include "script/VariableList.h"
#include "script/Variables.h"

namespace cvn {

namespace {

constexpr int kMsgUninstallKeyError = 11;
constexpr int kMsgCannotCreateFile = 66;

} // namespace

std::string UninstallKeyPath(const std::string& companyName, const std::string& softwareName) {
    return "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + companyName + " " + softwareName;
}

std::vector<std::pair<std::string, std::string>> UninstallKeyValues(const TUninstallKeyFacts& f) {
    const std::string installDir = WithTrailingBackslash(f.installDir);
    std::vector<std::pair<std::string, std::string>> values = {
        {"DisplayName", f.displayName},
        {"UninstallString",
         "\"" + WithTrailingBackslash(f.windowsDir) + "cvnuninst.exe\" \"" + installDir + "uninst.dat\""},
        {"DisplayVersion", f.displayVersion},
        {"URLInfoAbout", f.urlInfoAbout},
        {"HelpLink", f.helpLink},
        {"URLUpdateInfo", f.urlUpdateInfo},
        {"Comments", f.description},
        {"Contact", f.contact},
        {"InstallLocation", installDir},
        {"InstallSource", WithTrailingBackslash(FileDirOf(f.setupPath))},
        {"Publisher", f.companyName},
    };
    if (!f.iconPath.empty()) values.emplace_back("DisplayIcon", f.iconPath);
    return values;
}

void TCorvaneInstall::WriteUninstallData() {
    if (aborted_) return;
    const TPackage& pkg = *ctx_.package;
    const TSettingsRecord& settings = pkg.Settings();
    // The folder and the name joined with a backslash whatever %InstallDir% ends in.
    const std::string path = InstallDir() + kUninstallDataFileName;

    TUninstallData data;
    data.softwareName = settings.softwareName;
    data.description = settings.description;
    data.companyName = settings.companyName;
    data.keepSystemFont = pkg.flags.keepSystemFont;
    data.uninstallerOption = pkg.flags.uninstallerOption;
    data.font = settings.appearance.setupFont;
    for (size_t i = 0; i < kUninstallerTextMessages.size(); ++i)
        data.uninstallerTexts[i] = ctx_.languages->GetMessage(kUninstallerTextMessages[i]);
    for (size_t i = 0; i < kPromptButtonMessages.size(); ++i)
        data.promptButtons[i] = ctx_.languages->GetMessage(kPromptButtonMessages[i]);
    for (size_t i = 0; i < kPromptFileLabelMessages.size(); ++i)
        data.fileLabels[i] = ctx_.languages->GetMessage(kPromptFileLabelMessages[i]);
    data.deviceConnectionText = ctx_.languages->DeviceConnectionText();
    data.beforeUninstall = pkg.eventScripts[5];
    data.afterUninstall = pkg.eventScripts[6];
    data.setupPath = ctx_.setupPath;
    data.iconPath = iconPath_;
    data.installedComponents = ctx_.selection->Current();
    data.platforms = ctx_.platforms ? *ctx_.platforms : pkg.platforms;
    const TVariableList& store = ctx_.variables->Store();
    for (int i = 0; i < store.Count(); ++i)
        data.variables.push_back(store.GetLine(i));

    // The file is created with its header before the Uninstall key is written, so a
    // file that cannot be written leaves no entry behind that would point at nothing.
    // No message of its own exists for this file; the one for files that cannot be
    // created says what went wrong.
    ByteWriter w;
    WriteUninstallHeader(w, data);
    if (!ctx_.platform->WriteWholeFile(path, w.Data())) {
        ctx_.ui->ShowMessage(Message(kMsgCannotCreateFile, "<file>", path), TMessageIcon::Error);
        return;
    }
    const bool maintenance = Maintenance();
    WriteUninstallKey(!maintenance);
    if (!maintenance) Log(ukPlainFile, path);
    static const std::vector<TUninstallItem> kNone;
    WriteUninstallItems(w, maintenance && ctx_.previous ? ctx_.previous->Items() : kNone, log_);
    if (!ctx_.platform->WriteWholeFile(path, w.Data())) {
        ctx_.ui->ShowMessage(Message(kMsgCannotCreateFile, "<file>", path), TMessageIcon::Error);
        return;
    }
    // The elevated uninstaller trusts this file's list of what to delete and run. A
    // drive without access lists (FAT) refuses the change; the file is kept as it is.
    ctx_.platform->ProtectAdministratorFile(path);
}

void TCorvaneInstall::WriteUninstallKey(bool logValues) {
    const TSettingsRecord& settings = ctx_.package->Settings();
    const std::string key = UninstallKeyPath(settings.companyName, settings.softwareName);
    if (!ctx_.platform->CreateRegistryKey(TRegRoot::LocalMachine, key)) {
        ShowError(kMsgUninstallKeyError);
        return;
    }
    TUninstallKeyFacts facts;
    facts.displayName = Expand(settings.uninstallDisplayName);
    facts.windowsDir = ctx_.platform->WindowsDir();
    facts.installDir = Expand("%InstallDir%");
    facts.displayVersion = Expand(settings.displayVersion);
    facts.urlInfoAbout = Expand(settings.urlInfoAbout);
    facts.helpLink = Expand(settings.helpLink);
    facts.urlUpdateInfo = Expand(settings.urlUpdateInfo);
    facts.description = settings.description;
    facts.contact = Expand(settings.contact);
    facts.setupPath = ctx_.setupPath;
    facts.companyName = settings.companyName;
    facts.iconPath = iconPath_;

    bool failed = false;
    for (auto& [name, value] : UninstallKeyValues(facts)) {
        TRegistryWrite result =
            ctx_.platform->WriteRegistryValue(TRegRoot::LocalMachine, key, name, TRegistryValueType::String,
                                              RegistryValueBytes(TRegistryValueType::String, value));
        if (result != TRegistryWrite::Written) {
            failed = true;
            continue;
        }
        if (!logValues) continue;
        TUninstallItem item;
        item.kind = ukRegistryValue;
        item.registry.root = uint8_t(TRegRoot::LocalMachine);
        item.registry.key = key;
        item.registry.valueType = 0;
        item.registry.valueName = name;
        item.registry.data = value;
        log_.push_back(std::move(item));
    }
    // A value that could not be written leaves the entry incomplete.
    if (failed) ShowError(kMsgUninstallKeyError);
}

} // namespace cvn
