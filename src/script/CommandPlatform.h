#pragma once

#include "core/Registry.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace cvn {

class TSystemValues;

// What the desktop script commands need of the PC, behind small interfaces so the
// command logic runs natively with fakes; the Win32 implementations live in the
// *_win.cpp files of this folder. Failures are reported by result, never thrown.

enum class TMessageIcon { None, Question, Information, Error, Warning };

class TMessageBoxes {
public:
    virtual ~TMessageBoxes() = default;
    // An OK box owned by the active form, or else the application window.
    virtual void ShowMessage(const std::string& title, const std::string& text, TMessageIcon icon) = 0;
    // A Yes/No box; true when Yes was chosen.
    virtual bool AskYesNo(const std::string& title, const std::string& text, TMessageIcon icon,
                          bool noIsDefault) = 0;
};

// An open desktop file, read and written at its own position.
class TPcFile {
public:
    virtual ~TPcFile() = default;
    virtual uint64_t Size() = 0;
    virtual uint64_t Position() = 0;
    virtual bool Seek(uint64_t position) = 0;
    // Up to n bytes from the position; the count read (fewer at the end or on error).
    virtual size_t Read(void* buffer, size_t n) = 0;
    virtual bool Write(const void* data, size_t n) = 0;
};

struct TFileVersion {
    uint16_t part[4] = {};
};

class TPcFiles {
public:
    virtual ~TPcFiles() = default;
    virtual bool RemoveFile(const std::string& path) = 0;
    virtual bool CopyFileTo(const std::string& source, const std::string& destination) = 0; // replaces
    virtual bool MoveFileTo(const std::string& source, const std::string& destination) = 0;
    virtual bool CreateFolder(const std::string& path) = 0; // one level
    virtual bool RemoveFolder(const std::string& path) = 0; // only when empty
    virtual bool FileExists(const std::string& path) = 0;
    // True when at least one file (not a folder) matches the pattern (wildcards in its last part).
    virtual bool AnyFileMatches(const std::string& pattern) = 0;
    // 0 when the file does not exist or cannot be opened for reading.
    virtual uint64_t FileSize(const std::string& path) = 0;
    // The version resource's file version; all parts 0 without one.
    virtual TFileVersion FileVersion(const std::string& path) = 0;
    // Opens an existing file for reading and writing, or creates it; null on failure.
    virtual std::unique_ptr<TPcFile> OpenReadWrite(const std::string& path) = 0;
    // Writes a shell link shown normally, without description or icon.
    virtual bool CreateShortcut(const std::string& linkPath, const std::string& target,
                                const std::string& arguments, const std::string& workingFolder) = 0;
};

// Keys are given without leading or trailing backslash. The script commands open
// keys requesting full access (a key that cannot be opened so counts as missing);
// the installed-software test only reads.
class TPcRegistry {
public:
    virtual ~TPcRegistry() = default;
    // Nothing when the key or the value is missing.
    virtual std::optional<TRegValue> ReadValue(TRegRoot root, const std::string& key, const std::string& name,
                                               bool fullAccess) = 0;
    // Create the key when missing.
    virtual bool WriteText(TRegRoot root, const std::string& key, const std::string& name,
                           const std::string& value) = 0;
    virtual bool WriteNumber(TRegRoot root, const std::string& key, const std::string& name,
                             int32_t value) = 0;
    virtual bool KeyExists(TRegRoot root, const std::string& key) = 0;
    virtual bool DeleteValue(TRegRoot root, const std::string& key, const std::string& name) = 0;
    virtual bool DeleteKey(TRegRoot root, const std::string& key) = 0;
};

class TPcPrograms {
public:
    virtual ~TPcPrograms() = default;
    // The shell's default action on the file, shown normally, in the given folder.
    virtual void ShellOpen(const std::string& file, const std::string& folder) = 0;
    // Starts "\"program\" parameters" in the program's folder; with wait, waits until
    // it is ready for input and then until it ends, processing window messages.
    virtual bool Run(const std::string& program, const std::string& parameters, bool wait) = 0;
    // A top-level window of that class (any class when empty) and title (any title when empty).
    virtual bool WindowExists(const std::string& windowClass, const std::string& title) = 0;
    // Posts a quit message (quit) or a close message to the window found as above.
    virtual void CloseWindow(const std::string& windowClass, const std::string& title, bool quit) = 0;
    // Waits without processing messages.
    virtual void Sleep(uint32_t milliseconds) = 0;
};

struct TCommandPlatform {
    TMessageBoxes* messages = nullptr;
    TPcFiles* files = nullptr;
    TPcRegistry* registry = nullptr;
    TPcPrograms* programs = nullptr;
};

// The Win32 implementations (Windows build only). Message boxes are owned by the
// active form, or else by the application's main window, as the system values report them.
std::unique_ptr<TMessageBoxes> CreateWinMessageBoxes(TSystemValues& system);
std::unique_ptr<TPcFiles> CreateWinPcFiles();
std::unique_ptr<TPcRegistry> CreateWinPcRegistry();
std::unique_ptr<TPcPrograms> CreateWinPcPrograms();

} // namespace cvn
