#pragma once

#include <cstdint>
#include <string>

namespace cvn {

enum class TSizeUnit { Bytes, Kilobytes };

// A size for people: bytes below 1024, else kilobytes, megabytes or gigabytes
// (each step divides by 1024 while the value is 1024 or more), with at most one
// decimal written with the given separator, then " bytes", " KB", " MB" or " GB".
// A whole number has no decimals; 1.96 becomes "2.0" (the cut rounds up).
std::string SizeText(uint64_t value, TSizeUnit unit, const std::string& decimalSeparator);

// The user's decimal separator ("." when the system gives none).
std::string SystemDecimalSeparator();

// SizeText with the user's decimal separator.
inline std::string SizeText(uint64_t value, TSizeUnit unit) {
    return SizeText(value, unit, SystemDecimalSeparator());
}

} // namespace cvn
