#pragma once

// Well-known folders of this machine and the companion software's folders. The
// Win32 look-ups (SystemFolders_win.cpp) cache their results for the whole run;
// the rules that turn raw registry and shell answers into folders are portable
// (SystemFolders.cpp) so they are tested on every platform.
//
// Folders come without a trailing backslash unless a function says otherwise.

#include "script/SystemValues.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cvn {

// --- Win32 look-ups ---------------------------------------------------------

// A text value of "Software\Microsoft\Windows\CurrentVersion", under
// HKEY_LOCAL_MACHINE first, then HKEY_CURRENT_USER; REG_EXPAND_SZ is not
// expanded. Empty when neither has it.
std::string ReadCurrentVersionValue(const std::string& name);

std::string GetProgramFilesDir();
std::string GetCommonFilesDir();
std::string GetTempDir(); // keeps the trailing backslash Windows gives it
std::string GetWindowsDir();
std::string GetSystemDir();
std::string GetFontsDir();
std::string GetPersonalDir(); // "My Documents"
// The application manager's folder; without one registered, Program Files +
// "\Microsoft ActiveSync\" (that fall-back keeps its trailing backslash).
std::string GetActiveSyncDir();
// "major.minor" of the desktop synchronisation software, "0.0" when unknown.
std::string GetActiveSyncVersion();
// True when the application manager's App Paths entry has a readable default text.
bool IsAppManagerRegistered();

bool IsDotNetInstalled();
// The framework folder holding "mscorcfg.dll", with a trailing backslash; empty when none.
std::string GetDotNetDir();
// File version of mscorcfg.dll as "a.b.c.d"; "0.0" without a framework folder.
std::string GetDotNetVersion();

// The special shell folder of a kind; all users' variant only when asked for and
// the process may write machine-wide (an empty all-users folder falls back to
// the user's own).
std::string GetShellFolder(TShellFolderKind kind, bool allUsers);

// Forgets every cached folder, so the next call looks it up again.
void ResetFolderCaches();

// --- Portable rules ---------------------------------------------------------

// The folder part of a path: up to the last "\" or ":"; the "\" itself is dropped
// unless it follows ":" or another "\" (so "C:\x.exe" gives "C:\").
std::string FileDirOf(std::string_view path);
// The name after the last "\", "/" or ":".
std::string FileNameOf(std::string_view path);
// Drops one trailing backslash unless it follows ":" (a drive's root stays "C:\").
std::string DropTrailingBackslash(std::string_view path);
// Appends a backslash unless the text is empty or already ends in one.
std::string WithTrailingBackslash(std::string_view path);

// The application manager's folder from its App Paths default text (quotes
// around it allowed), or Program Files + "\Microsoft ActiveSync\" when that
// gives no folder.
std::string ActiveSyncDirFrom(std::string_view appPathValue, std::string_view programFilesDir);
// "major.minor" when both numbers are known, else "0.0".
std::string FormatActiveSyncVersion(std::optional<int32_t> major, std::optional<int32_t> minor);

struct TFolderEntry {
    std::string name;
    bool isFolder = false;
};
// Chooses the framework folder below InstallRoot: the first sub-folder (in listing
// order, names starting with "." skipped) that holds mscorcfg.dll; InstallRoot
// itself only when it has no sub-folders and holds the file. The result has a
// trailing backslash; empty when none fits.
std::string PickDotNetDir(std::string_view installRoot, const std::vector<TFolderEntry>& entries,
                          const std::function<bool(const std::string& file)>& fileExists);

// Shell folder identifier (CSIDL) of a kind for one variant; -1 for an unknown kind.
int ShellFolderId(TShellFolderKind kind, bool allUsers);
// The machine-wide rule over a raw look-up by identifier: all users' folder only
// when asked for and machineWide, the user's own when that comes back empty.
std::string ResolveShellFolder(TShellFolderKind kind, bool allUsers, bool machineWide,
                               const std::function<std::string(int csidl)>& lookup);

} // namespace cvn
