#pragma once

// Splitting the program's command line into arguments.

#include <string>
#include <string_view>
#include <vector>

namespace cvn {

// Arguments are separated by blanks and control characters; double quotes group
// blanks into an argument and are themselves dropped; empty quote pairs between
// arguments are skipped. The first element is the program as written.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

} // namespace cvn
