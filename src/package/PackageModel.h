#pragma once

#include "DialogDefinition.h"
#include "PackageRecords.h"
#include "Script.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cvn {

inline constexpr int kSectionCount = 18;
inline constexpr int kMessageCount = 69;
inline constexpr int kEventScriptCount = 7;
inline constexpr int kStartupFlagCount = 7;
inline constexpr uint32_t kPackageMagic = 0x00535066; // "fPS" and a zero byte
inline constexpr size_t kTrailerSize = 12;
inline constexpr size_t kSectionTableSize = kSectionCount * 4;

// Section numbers, named after their content.
enum PackageSection : int {
    kSecSettings = 0,
    kSecLanguages = 1,
    kSecAppearance = 2,
    kSecStartupFlags = 3,
    kSecCustomVariables = 4,
    kSecBackground = 5,
    kSecComponents = 6,
    kSecBillboards = 7,
    kSecEventScripts = 8,
    kSecDialogs = 9,
    kSecFolders = 10,
    kSecSupportFiles = 11,
    kSecFiles = 12,
    kSecShortcuts = 13,
    kSecRegistry = 14,
    kSecSupportFlag = 15,
    kSecMainArchive = 16,
    kSecPlatforms = 17,
};

// A short name per section for messages and the inspector.
const char* SectionName(int section);

// Section 2: appearance settings, the second part of the settings record.
struct TAppearance {
    std::string defaultDialogPicture;
    std::string windowTitle;
    std::string backgroundPicture;
    uint8_t backgroundMode = 0; // 0 stretched, 1 tiled, 2 centred over the gradient
    int32_t gradientStart = 0;
    int32_t gradientEnd = 0;
    uint8_t gradientDirection = 0; // nonzero: top to bottom
    uint8_t backgroundWindowSize = 0;
    std::string splashPicture; // empty: no splash
    TFontRecord setupFont;
    std::string licenceFile;

    bool operator==(const TAppearance&) const = default;
};

// Section 0 fields 2-9 and 19-24 together with section 2.
struct TSettingsRecord {
    std::string softwareName;
    std::string companyName;
    std::string defaultInstallDir;
    std::string defaultProgramGroup;
    std::string description;
    std::array<std::string, 3> setupTypeComponents; // component lists of setup types 0, 1, 2
    std::string uninstallDisplayName;
    std::string displayVersion;
    std::string contact;
    std::string urlInfoAbout;
    std::string helpLink;
    std::string urlUpdateInfo;
    TAppearance appearance;

    bool operator==(const TSettingsRecord&) const = default;
};

// Section 0 fields 10-12.
struct TRequirements {
    uint8_t minScreenClass = 0; // 0: no minimum
    int32_t minColorDepth = 0;  // bits per pixel
    int32_t minMemory = 0;      // units of 1,000,000 bytes

    bool operator==(const TRequirements&) const = default;
};

// Section 0 fields 15-18. Versions are major << 24 | minor << 16 | (build & 0xFFFF); 0: no limit.
struct TWindowsVersionLimits {
    int32_t minVersion = 0;
    uint16_t minServicePack = 0; // major * 256 + minor
    int32_t maxVersion = 0;
    uint16_t maxServicePack = 0;

    bool operator==(const TWindowsVersionLimits&) const = default;
};

// Everything section 0 holds, including the fields this system does not use
// (kept so that an inspected or rewritten package stays byte-identical).
struct TProductSection {
    uint8_t unused1 = 0;
    TSettingsRecord settings; // appearance not part of section 0
    TRequirements requirements;
    int32_t unused13 = 0;
    int32_t unused14 = 0;
    TWindowsVersionLimits windows;

    bool operator==(const TProductSection&) const = default;
};

// Section 3.
struct TStartupFlags {
    uint8_t removeDeviceFiles = 0;
    uint8_t backgroundWindow = 0;
    uint8_t requiresActiveSync = 0;
    uint8_t requiresHotSync = 0;
    uint8_t uninstallerOption = 0;
    uint8_t writeUninstallData = 0;
    uint8_t keepSystemFont = 0;

    bool operator==(const TStartupFlags&) const = default;
};

using TMessageTable = std::array<std::string, kMessageCount>;

struct TLanguage {
    std::string name;
    int32_t value = 0;
    uint8_t isDefault = 0;
    TMessageTable messages;

    bool operator==(const TLanguage&) const = default;
};

// Section 1. A package without language records (count 0) has one unnamed table.
struct TLanguageSection {
    std::vector<TLanguage> languages;
    std::optional<TMessageTable> unnamedTable; // set exactly when languages is empty

    bool operator==(const TLanguageSection&) const = default;
};

// Section 6 head.
struct TProgressScale {
    int32_t mainArchiveSize = 0; // bytes of the main archive inside the executable
    double factor = 0;           // 100 / total bytes of all archives

    bool operator==(const TProgressScale&) const = default;
};

// Section 12 head.
struct TDeviceApplications {
    // Only folder and cabFiles are stored; name and description are the
    // software name and description of the settings.
    TDeviceApplication main;
    std::vector<TDeviceApplication> extras;

    bool operator==(const TDeviceApplications&) const = default;
};

// The whole package in memory, one member per section in stored field order.
struct TPackage {
    TProductSection product;                             // 0 (+ appearance from 2)
    TLanguageSection languages;                          // 1
    TStartupFlags flags;                                 // 3
    std::vector<TCustomVariableEntry> customVariables;   // 4
    std::vector<TBackgroundItem> backgroundItems;        // 5
    TProgressScale progress;                             // 6
    std::vector<TComponentRecord> components;            // 6
    std::vector<TConduitRecord> conduits;                // 6
    std::vector<std::string> billboards;                 // 7
    std::array<TScript, kEventScriptCount> eventScripts; // 8
    std::vector<TDialogDefinition> dialogs;              // 9
    std::vector<std::string> installFolders;             // 10
    std::vector<std::string> programGroupFolders;        // 10
    std::vector<TSupportFile> supportFiles;              // 11
    TDeviceApplications deviceApplications;              // 12
    std::vector<TFileRecord> files;                      // 12
    std::vector<TShortcutRecord> shortcuts;              // 13
    std::vector<TRegistryRecord> registry;               // 14
    uint8_t supportFilesFlag = 0;                        // 15: 1 = the main archive holds support files
    std::vector<TPlatformRecord> platforms;              // 17

    TSettingsRecord& Settings() { return product.settings; }
    const TSettingsRecord& Settings() const { return product.settings; }

    bool operator==(const TPackage&) const = default;
};

} // namespace cvn
