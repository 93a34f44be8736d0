#include "core/NumberText.h"

namespace cvn {

std::string ZeroPadded(uint32_t value, int width) {
    std::string digits = std::to_string(value);
    if (int(digits.size()) < width) digits.insert(0, size_t(width) - digits.size(), '0');
    return digits;
}

std::string Hex8(uint32_t value) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text = "0x00000000";
    for (size_t i = text.size(); value != 0; value >>= 4)
        text[--i] = kDigits[value & 15];
    return text;
}

} // namespace cvn
