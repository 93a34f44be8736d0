#pragma once

#include <stdexcept>
#include <string>

namespace cvn {

// Raised by the bounds-checked readers when stored data does not fit its frame;
// the message says what was being read and what was wrong.
class FormatError : public std::runtime_error {
public:
    explicit FormatError(const std::string& what) : std::runtime_error(what) {}
};

} // namespace cvn
