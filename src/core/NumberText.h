#pragma once

#include <cstdint>
#include <string>

// Numbers as text without the C library's formatted output, which setup.exe would
// otherwise carry in full for a handful of calls.
namespace cvn {

// `value` in decimal with at least `width` digits, zeros in front: (7, 3) -> "007".
std::string ZeroPadded(uint32_t value, int width);
// "0x" and eight upper-case hexadecimal digits: 0xC0DE -> "0x0000C0DE".
std::string Hex8(uint32_t value);
// `value` (below 10^15) in 15 significant digits without trailing zeros, as "%.15g"
// writes it.
std::string Significant15(double value);

} // namespace cvn
