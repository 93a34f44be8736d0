#pragma once

// Names of files and folders as the package stores them, checked while a section is
// read so that a damaged or hostile name is reported as damage before anything is
// written. "\" and "/" both separate folders, as they do for Windows.

#include <string>
#include <string_view>

namespace cvn {

enum class TNameKind {
    // A folder or file path: may be absolute and may hold variables.
    Path,
    // A path below some folder (a shortcut name): no drive, no leading separator.
    RelativePath,
    // A single file name inside a known folder (a picture in the temporary setup
    // folder): no separator and no drive at all.
    BareName,
};

// Empty when the name may be used, otherwise what is wrong with it. Every part
// between separators must not be "..", a device name (CON, NUL, COM1, LPT1 ...,
// also with an extension) or end in a dot or a space; a colon stands only after
// the drive letter at the start of a full path.
std::string NameProblem(std::string_view name, TNameKind kind);

// Throws FormatError naming the field when NameProblem finds something.
void CheckName(std::string_view name, TNameKind kind, const char* what);

} // namespace cvn
