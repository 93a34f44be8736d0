#include "install/FileFacts.h"

#include "core/Handle_win.h"
#include "core/VersionResource_win.h"

namespace cvn {

bool GetDriveFreeKB(char driveLetter, uint64_t& kb) {
    kb = 0;
    const char root[] = {driveLetter, ':', '\\', '\0'};
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
        return false;
    kb = FreeKilobytes(bytesPerSector, sectorsPerCluster, freeClusters);
    return true;
}

bool ReadFileVersion(const std::string& path, TFileVersionInfo& info) {
    info = {};
    VS_FIXEDFILEINFO fixed;
    if (!ReadFixedVersionInfo(path, fixed)) return false;
    info.signature = fixed.dwSignature;
    info.strucVersion = fixed.dwStrucVersion;
    info.fileVersionMS = fixed.dwFileVersionMS;
    info.fileVersionLS = fixed.dwFileVersionLS;
    info.productVersionMS = fixed.dwProductVersionMS;
    info.productVersionLS = fixed.dwProductVersionLS;
    info.fileFlagsMask = fixed.dwFileFlagsMask;
    info.fileFlags = fixed.dwFileFlags;
    info.fileOS = fixed.dwFileOS;
    info.fileType = fixed.dwFileType;
    info.fileSubtype = fixed.dwFileSubtype;
    info.fileDateMS = fixed.dwFileDateMS;
    info.fileDateLS = fixed.dwFileDateLS;
    return true;
}

} // namespace cvn
