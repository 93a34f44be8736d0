#include "install/FileFacts.h"

#include "core/FileSystem.h"

#include <limits>

namespace cvn {

uint64_t GetFileSizeOf(const std::string& path) {
    uint64_t size = 0;
    return GetFileSize(path, size) ? size : 0;
}

uint64_t FreeKilobytes(uint32_t bytesPerSector, uint32_t sectorsPerCluster, uint32_t freeClusters) {
    uint64_t clusterBytes = uint64_t(bytesPerSector) * sectorsPerCluster; // cannot overflow 64 bits
    uint64_t blocks = freeClusters / 1024u;
    // Only nonsense answers could exceed 64 bits; they saturate rather than wrap.
    if (blocks != 0 && clusterBytes > std::numeric_limits<uint64_t>::max() / blocks)
        return std::numeric_limits<uint64_t>::max();
    return clusterBytes * blocks;
}

std::string FormatFileVersion(uint32_t versionMS, uint32_t versionLS) {
    return std::to_string(versionMS >> 16) + "." + std::to_string(versionMS & 0xFFFF) + "." +
           std::to_string(versionLS >> 16) + "." + std::to_string(versionLS & 0xFFFF);
}

} // namespace cvn
