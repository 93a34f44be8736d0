#include "core/NumberText.h"

#include <cstdio>

namespace cvn {

std::string Significant15(double value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    return buf;
}

} // namespace cvn
