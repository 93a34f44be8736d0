#pragma once

// Facts about files and drives: size, free space and the version resource.

#include <cstdint>
#include <string>

namespace cvn {

// The fixed version information of a version resource (its root block "\"), the
// 13 fields of the 52-byte record in their stored order.
struct TFileVersionInfo {
    uint32_t signature = 0;
    uint32_t strucVersion = 0;
    uint32_t fileVersionMS = 0;
    uint32_t fileVersionLS = 0;
    uint32_t productVersionMS = 0;
    uint32_t productVersionLS = 0;
    uint32_t fileFlagsMask = 0;
    uint32_t fileFlags = 0;
    uint32_t fileOS = 0;
    uint32_t fileType = 0;
    uint32_t fileSubtype = 0;
    uint32_t fileDateMS = 0;
    uint32_t fileDateLS = 0;
};

// Size in bytes; 0 when the file does not exist or cannot be read.
uint64_t GetFileSizeOf(const std::string& path);

// --- Win32 queries ----------------------------------------------------------
// Free space of the drive's root folder in units of 1024 bytes. The count is 64
// bits wide so drives with more than 4 TB free report their real space instead
// of wrapping around. False when the drive cannot be read.
bool GetDriveFreeKB(char driveLetter, uint64_t& kb);
// True when the file has a version resource; otherwise (also for a missing file)
// false with every field 0, which callers treat as "version 0".
bool ReadFileVersion(const std::string& path, TFileVersionInfo& info);

// --- Portable rules ---------------------------------------------------------

// bytes per sector × sectors per cluster × (free clusters div 1024), in 64 bits.
uint64_t FreeKilobytes(uint32_t bytesPerSector, uint32_t sectorsPerCluster, uint32_t freeClusters);
// "a.b.c.d": high and low word of the most significant part, then of the least.
std::string FormatFileVersion(uint32_t versionMS, uint32_t versionLS);

} // namespace cvn
