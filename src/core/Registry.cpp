#include "core/Registry.h"

namespace cvn {

TRegValue TRegValue::Text(std::string_view text, TRegType type) {
    TRegValue v{uint32_t(type), {text.begin(), text.end()}};
    v.data.push_back(0);
    return v;
}

TRegValue TRegValue::Dword(uint32_t value) {
    return {uint32_t(TRegType::Dword),
            {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)}};
}

std::optional<std::string> TRegValue::AsText() const {
    if (!IsText()) return std::nullopt;
    std::string s(data.begin(), data.end());
    return s.substr(0, s.find('\0'));
}

std::optional<uint32_t> TRegValue::AsDword() const {
    if (type != uint32_t(TRegType::Dword) || data.size() != 4) return std::nullopt;
    return uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 | uint32_t(data[3]) << 24;
}

} // namespace cvn
