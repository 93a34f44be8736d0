#pragma once

#include "Error.h"

namespace cvn {

// Raised by the bounds-checked readers when stored data does not fit its frame;
// the message says what was being read and what was wrong.
class FormatError : public Error {
public:
    using Error::Error;
};

} // namespace cvn
