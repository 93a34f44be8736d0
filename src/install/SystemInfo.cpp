#include "install/SystemInfo.h"

#include <limits>

namespace cvn {

uint32_t OSVersionPart(const TOSVersion& v, int part) {
    if (!v.known) return 0;
    switch (part) {
    case 0:
        return v.major << 24 | (v.minor & 0xFF) << 16 | (v.build & 0xFFFF);
    case 1:
        return v.major;
    case 2:
        return v.minor;
    case 3:
        return v.build;
    case 4:
        return v.servicePack;
    default:
        return 0;
    }
}

uint32_t ServicePackFromCsdValue(uint32_t type, std::span<const uint8_t> data) {
    constexpr uint32_t kRegDword = 4;
    if (type != kRegDword || data.size() != 4) return 0;
    return uint32_t(data[0]) | uint32_t(data[1]) << 8;
}

uint32_t ServicePackFor(bool isNT, uint32_t major, uint32_t csdValue, uint16_t spMajor, uint16_t spMinor) {
    if (!isNT) return 0;
    if (major >= 5) return uint32_t(spMajor) << 8 | (spMinor & 0xFFu);
    return major == 4 ? csdValue : 0;
}

uint32_t MegabytesOf(uint64_t bytes) {
    uint64_t mb = bytes / 1000000u;
    return mb > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max() : uint32_t(mb);
}

} // namespace cvn
