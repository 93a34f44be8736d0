#pragma once

#include <windows.h>

#include <string>

namespace cvn {

// A drive combo's text of a drive, in lower case: the letter and ":" for a removable
// drive; otherwise "%s: %s" with the connection name of a network drive, or the
// volume name.
std::string DriveText(char letter);

} // namespace cvn
