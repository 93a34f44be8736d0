#pragma once

// Facts about the running Windows: version parts and service pack, family,
// administrator rights, memory and screen. The Win32 queries live in
// SystemInfo_win.cpp; the packing and decoding rules are portable.

#include <cstdint>
#include <span>
#include <string>

namespace cvn {

// --- Win32 queries ----------------------------------------------------------

// Part 0: major << 24 | minor << 16 | low 16 bits of the build; 1 major; 2 minor;
// 3 build number; 4 service pack (major << 8 | minor). 0 when unknown. Cached per part.
uint32_t GetOSVersionPart(int part);
bool IsWindowsNT();
// The process token holds the enabled Administrators group (the Windows 95 family
// has no such notion: always true there).
bool IsAdmin();
// Total physical memory in bytes divided by 1,000,000.
uint32_t GetPhysicalMemoryMB();
int GetColorDepth(); // bits per pixel of the screen
int GetScreenWidth();
int GetScreenHeight();

// Forgets the cached version parts.
void ResetVersionCaches();

// --- Portable rules ---------------------------------------------------------

struct TOSVersion {
    bool known = false;
    bool isNT = false;
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0; // already cut to 16 bits on the Windows 95 family
    uint32_t servicePack = 0;
};

uint32_t OSVersionPart(const TOSVersion& v, int part);

// Windows NT 4 keeps its service pack as "CSDVersion" under
// "System\CurrentControlSet\Control\Windows": only a REG_DWORD of exactly four
// bytes counts, and only its low 16 bits. type is the registry type code.
uint32_t ServicePackFromCsdValue(uint32_t type, std::span<const uint8_t> data);
// The service-pack rule for each family: NT 4 from the registry value (as above),
// NT 5 and later from the extended version information, older NT and the
// Windows 95 family 0.
uint32_t ServicePackFor(bool isNT, uint32_t major, uint32_t csdValue, uint16_t spMajor, uint16_t spMinor);

// Bytes divided by 1,000,000, saturated to 32 bits.
uint32_t MegabytesOf(uint64_t bytes);

} // namespace cvn
