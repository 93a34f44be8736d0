#include "install/AppManager.h"

#include "install/InstallPlatform.h"
#include "script/Selection.h"
#include "script/SelectionQueries.h"
#include "script/Variables.h"

namespace cvn {

std::string DeviceApplicationSafeName(std::string_view name) {
    std::string safe(name);
    for (char& c : safe)
        if (std::string_view("\\/:*?\"<>|,").find(c) != std::string_view::npos) c = '_';
    return safe;
}

std::string AppManagerIniText(const TAppManagerIni& ini) {
    const std::string rule = ";" + std::string(50, '=');
    std::string cabs;
    for (const std::string& cab : ComponentNames(ini.cabFiles))
        cabs += (cabs.empty() ? "" : ",") + cab;
    std::vector<std::string> lines{rule,
                                   "; " + ini.safeName + ".ini",
                                   ";",
                                   "; Application manager file for the device software of this setup,",
                                   "; written by Corvane Setup. Corvane Setup is made by Tarrow.",
                                   "; The setup writes this file afresh on every install.",
                                   ";",
                                   "; Setup created by " + ini.companyName + " with",
                                   "; Corvane Setup",
                                   rule,
                                   "",
                                   "[CEAppManager]",
                                   "Version = 1.0",
                                   "Component = " + ini.name,
                                   "",
                                   "[" + ini.name + "]",
                                   "Description = \"" + ini.description + "\""};
    if (ini.withUninstall) lines.push_back("Uninstall = \"" + ini.companyName + " " + ini.name + "\"");
    if (!ini.iconFile.empty()) lines.push_back("IconFile = \"" + ini.iconFile + "\"");
    lines.push_back("CabFiles = " + cabs);
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

TAppManager::TAppManager(const TPackage& package, TVariables& variables, const TSelectionQueries& queries,
                         TInstallPlatform& platform, TRunner run)
    : package_(&package), variables_(&variables), queries_(&queries), platform_(&platform),
      run_(std::move(run)) {}

std::vector<TDeviceApplication> TAppManager::Applications() const {
    std::vector<TDeviceApplication> apps;
    TDeviceApplication main = package_->deviceApplications.main;
    main.name = package_->Settings().softwareName;
    main.description = package_->Settings().description;
    apps.push_back(main);
    for (const TDeviceApplication& extra : package_->deviceApplications.extras)
        apps.push_back(extra);
    return apps;
}

bool TAppManager::TakesPart(const TDeviceApplication& application) const {
    for (const std::string& cab : ComponentNames(application.cabFiles))
        if (queries_->FileIsSelected(cab, application.folder)) return true;
    return false;
}

std::string TAppManager::IniPath(const TDeviceApplication& application) const {
    std::string folder = variables_->ExpandVariables(application.folder);
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder + DeviceApplicationSafeName(application.name) + ".ini";
}

std::vector<std::string> TAppManager::WriteIniFiles(const std::string& iconPath,
                                                    std::vector<std::string>& failed) {
    std::vector<std::string> written;
    const std::string iconFile = iconPath.substr(iconPath.find_last_of("\\/") + 1);
    for (const TDeviceApplication& app : Applications()) {
        if (!TakesPart(app)) continue;
        TAppManagerIni ini;
        ini.safeName = DeviceApplicationSafeName(app.name);
        ini.name = app.name;
        ini.description = app.description;
        ini.companyName = package_->Settings().companyName;
        ini.withUninstall = written.empty();
        ini.iconFile = iconFile;
        ini.cabFiles = app.cabFiles;
        const std::string text = AppManagerIniText(ini);
        const std::string path = IniPath(app);
        if (platform_->WriteWholeFile(path, std::vector<uint8_t>(text.begin(), text.end())))
            written.push_back(path);
        else
            failed.push_back(path);
    }
    return written;
}

std::string TAppManager::IniArguments() {
    std::string args;
    for (const TDeviceApplication& app : Applications())
        if (TakesPart(app)) args += (args.empty() ? "\"" : " \"") + IniPath(app) + "\"";
    return args;
}

void TAppManager::RunAndWait(const std::string& program, const std::string& arguments,
                             const std::string& workingFolder) {
    if (run_) run_(program, arguments, workingFolder);
}

} // namespace cvn
