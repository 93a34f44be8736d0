#pragma once

#include "core/Registry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace cvn {

// Shell folder kinds, numbered as the system services look them up.
enum class TShellFolderKind : int {
    Desktop = 0,
    StartMenu = 1,
    Programs = 2,
    Startup = 3,
    SendTo = 4,
    Fonts = 5,
    Templates = 6,
    Favorites = 7,
};

// Local date and time as the calendar shows it (month 1-12, day 1-31, hour 0-23).
struct TLocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The facts of the running system that variable expansion reads afresh on every
// use. The Win32 system services implement it; tests give a fake. Folders come
// without a trailing backslash unless the system service itself keeps one (the
// expansion removes one trailing backslash from every folder anyway). Nothing here
// reports errors: an unknown fact is an empty text or 0.
class TSystemValues {
public:
    virtual ~TSystemValues() = default;

    // Well-known folders.
    virtual std::string WindowsDir() = 0;
    virtual std::string SystemDir() = 0;
    virtual std::string ProgramFilesDir() = 0;
    virtual std::string CommonFilesDir() = 0;
    virtual std::string FontsDir() = 0;
    virtual std::string PersonalDir() = 0; // "My Documents"
    virtual std::string ActiveSyncDir() = 0;
    virtual std::string HotSyncDir() = 0; // HotSync install folder
    virtual std::string DotNetDir() = 0;  // empty when there is none
    virtual std::string SourceDir() = 0;  // folder of the running setup executable
    // All users' variant when asked for and permitted, else the current user's.
    virtual std::string ShellFolder(TShellFolderKind kind, bool allUsers) = 0;

    // Operating system: part 0 packed version (major << 24 | minor << 16 | build & 0xFFFF),
    // 1 major, 2 minor, 3 build number, 4 service pack; 0 when unknown.
    virtual uint32_t OSVersionPart(int part) = 0;
    virtual bool IsNT() = 0;
    virtual bool IsAdmin() = 0;
    // Total physical memory in bytes divided by 1,000,000.
    virtual uint32_t PhysicalMemoryMB() = 0;
    virtual int ColorDepth() = 0; // bits per pixel
    virtual int ScreenWidth() = 0;
    virtual int ScreenHeight() = 0;

    virtual TLocalTime LocalTime() = 0;
    // The user's date separator ("/" on most systems, "." or "-" on others).
    virtual std::string DateSeparator() = 0;

    // The command-line arguments as the program received them; element 0 is the
    // program's own path.
    virtual std::vector<std::string> CommandLineArgs() = 0;

    // Window handles as numbers: the application's main window, and the active
    // form (0 when there is none).
    virtual uintptr_t MainWindowHandle() = 0;
    virtual uintptr_t ActiveDialogHandle() = 0;

    // Companion software.
    virtual bool IsActiveSyncInstalled() = 0; // the application manager is registered
    virtual std::string ActiveSyncVersion() = 0;
    virtual bool IsHotSyncInstalled() = 0;
    virtual std::string HotSyncUser() = 0; // current HotSync user, empty when none
    virtual bool IsDotNetInstalled() = 0;
    virtual std::string DotNetVersion() = 0;

    // Reads a text value for a custom variable: key given without leading or
    // trailing backslash, value name empty for the key's default value. False when
    // the key cannot be opened with full access or the value is missing or not text.
    virtual bool ReadRegistryText(TRegRoot root, const std::string& key, const std::string& valueName,
                                  std::string& value) = 0;
};

} // namespace cvn
