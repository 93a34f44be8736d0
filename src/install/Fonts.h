#pragma once

// Font registration: the font's entry in the system's font list (WIN.INI's
// "Fonts" section on the NT family, the CurrentVersion\Fonts key on the Windows 95
// family) and its resource in the running system.

#include <string>
#include <string_view>

namespace cvn {

// --- Win32 operations -------------------------------------------------------

// Writes the font's entry and, with addNow, adds its resource (a bounded number of
// tries) and tells the top-level windows. False when the entry cannot be written
// or the resource cannot be added.
bool RegisterFont(const std::string& fontFile, const std::string& fontName, bool addNow);
// Removes the entry and the resource. False only on the Windows 95 family when the
// Fonts key cannot be opened.
bool UnregisterFont(const std::string& fontFile, const std::string& fontName);

// --- Portable rules ---------------------------------------------------------

// The name under which a font file is registered: the file name alone for a file
// in the Fonts folder (or given without a folder), where Windows looks for it;
// the full path for a file anywhere else, which Windows could not find by name.
std::string FontRegisteredName(std::string_view fontFile, std::string_view fontsDir);

} // namespace cvn
