#pragma once

#include "package/PackageModel.h"
#include "package/UninstallData.h"

#include <cstdint>
#include <string>
#include <vector>

namespace cvn {

class TLanguages;
class TVariables;

// Reading an uninstall data file: the data, or why it cannot be used.
struct TUninstallDataRead {
    bool ok = false;
    TUninstallData data;
    // For a file that is no uninstall data, or is cut short or damaged:
    // "Invalid Uninstaller Script." and, for damage, what was wrong.
    std::string problem;
};
TUninstallDataRead ReadUninstallDataBytes(const std::vector<uint8_t>& bytes);

// What reading an earlier installation's data replaces in this run: the software,
// description and company names (also those of variable expansion), the setup font
// unless the data keeps the system font, the device-connection text, the before-
// and after-uninstall scripts, the device platform table and the stored variables.
void ApplyUninstallData(const TUninstallData& data, TPackage& package, TVariables& variables,
                        TLanguages* languages);

class TRemovalPlatform;

// Removes the values of the product's entry in the list of installed programs that
// are left (the log lists them only for a first install) and the entry once empty.
void RemoveUninstallEntry(TRemovalPlatform& platform, const std::string& companyName,
                          const std::string& softwareName);

} // namespace cvn
