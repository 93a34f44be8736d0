#pragma once

#include <string>
#include <utility>
#include <vector>

namespace cvn {

// The entry of the installed software in the system's list of installed programs:
// HKEY_LOCAL_MACHINE "Software\Microsoft\Windows\CurrentVersion\Uninstall\" followed
// by the company name, a space and the software name.
std::string UninstallKeyPath(const std::string& companyName, const std::string& softwareName);

// What the entry's values are made of, already expanded where the values are.
struct TUninstallKeyFacts {
    std::string displayName;    // uninstall display name, expanded
    std::string windowsDir;     // without trailing backslash
    std::string installDir;     // expanded %InstallDir%
    std::string displayVersion; // expanded
    std::string urlInfoAbout;   // expanded
    std::string helpLink;       // expanded
    std::string urlUpdateInfo;  // expanded
    std::string description;    // as stored
    std::string contact;        // expanded
    std::string setupPath;      // the running setup program
    std::string companyName;    // as stored
    std::string iconPath;       // empty when no icon file was installed
};

// The string values of the entry, names and data in the order they are written:
// the uninstaller's command line quotes both the program and its uninstall data.
std::vector<std::pair<std::string, std::string>> UninstallKeyValues(const TUninstallKeyFacts& facts);

} // namespace cvn
