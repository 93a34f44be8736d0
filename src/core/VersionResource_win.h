#pragma once

// The fixed part of a file's version resource, read through version.dll, which is
// loaded from the system folder when first needed rather than linked.

#include <windows.h>

#include <string>

namespace cvn {

// False when the file has no version resource, cannot be read, or version.dll is
// missing; `out` is then left zero.
bool ReadFixedVersionInfo(const std::string& path, VS_FIXEDFILEINFO& out);

} // namespace cvn
