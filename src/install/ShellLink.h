#pragma once

#include <cstdint>
#include <string>

namespace cvn {

// Everything a shell link (.lnk file) is made from.
struct TShellLinkSpec {
    std::string linkPath; // the .lnk file to save
    std::string description;
    std::string target;
    int32_t showCommand = 1; // a Windows show-command value
    int32_t iconIndex = 0;
    std::string iconFile;      // empty: the target's own icon
    std::string workingFolder; // empty: not set
    std::string arguments;
};

// Creates the link through the shell's link object (IShellLinkA, saved through
// IPersistFile). True when the link file was saved. COM must be initialised on the
// calling thread (the system services do it once for the program). Windows only.
bool CreateShellLink(const TShellLinkSpec& link);

} // namespace cvn
