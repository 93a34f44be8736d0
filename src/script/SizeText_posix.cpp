#include "script/SizeText.h"

#include <clocale>

namespace cvn {

std::string SystemDecimalSeparator() {
    const std::lconv* conv = std::localeconv();
    return conv && conv->decimal_point && *conv->decimal_point ? conv->decimal_point : ".";
}

} // namespace cvn
