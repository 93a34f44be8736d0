#pragma once

#include "install/InstallContext.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace cvn {

class TInstallPlatform;
class TSelectionQueries;

// A device application's name made fit for a file name: each of \ / : * ? " < > | ,
// becomes "_"; dots and spaces stay.
std::string DeviceApplicationSafeName(std::string_view name);

// What one application-manager .ini file says.
struct TAppManagerIni {
    std::string safeName;
    std::string name;
    std::string description;
    std::string companyName;
    bool withUninstall = false; // only the first file written in a run
    std::string iconFile;       // file name of the installed icon; empty: none
    std::string cabFiles;       // "|"-separated
};

// The file's text, CR LF line ends.
std::string AppManagerIniText(const TAppManagerIni& ini);

// The .ini files of the device applications and the run of the desktop application
// manager over them. Runs the manager through `run` (program, arguments, working folder).
class TAppManager final : public TAppManagerHandOver {
public:
    using TRunner = std::function<void(const std::string&, const std::string&, const std::string&)>;
    TAppManager(const TPackage& package, TVariables& variables, const TSelectionQueries& queries,
                TInstallPlatform& platform, TRunner run);

    std::vector<std::string> WriteIniFiles(const std::string& iconPath,
                                           std::vector<std::string>& failed) override;
    std::string IniArguments() override;
    void RunAndWait(const std::string& program, const std::string& arguments,
                    const std::string& workingFolder) override;

    // The applications in hand-over order, the main one (named after the software) first.
    std::vector<TDeviceApplication> Applications() const;
    // At least one of its cabinet files is a selected file in its folder.
    bool TakesPart(const TDeviceApplication& application) const;
    std::string IniPath(const TDeviceApplication& application) const;

private:
    const TPackage* package_;
    TVariables* variables_;
    const TSelectionQueries* queries_;
    TInstallPlatform* platform_;
    TRunner run_;
};

} // namespace cvn
