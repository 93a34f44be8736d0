#include "core/NumberText.h"

#include <cstdio>

namespace cvn {

std::string Significant15(double value) {
    // The system's own C library (msvcrt.dll) formats it; the standard name would bring
    // MinGW's complete formatted output into the program.
    char buf[32];
    int n = _snprintf(buf, sizeof buf - 1, "%.15g", value);
    buf[n < 0 ? sizeof buf - 1 : size_t(n)] = '\0';
    return buf;
}

} // namespace cvn
