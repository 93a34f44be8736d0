#include "install/WinSystemValues.h"

// Before windows.h: its GetUserName macro would rename THotSync::GetUserName.
#include "install/HotSync.h"

#include "core/Handle_win.h"
#include "install/CommandLine.h"
#include "core/Registry_win.h"
#include "install/SystemFolders.h"
#include "install/SystemInfo.h"

namespace cvn {

std::string ProgramPath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, path.data(), DWORD(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::string TWinSystemValues::WindowsDir() {
    return GetWindowsDir();
}
std::string TWinSystemValues::SystemDir() {
    return GetSystemDir();
}
std::string TWinSystemValues::ProgramFilesDir() {
    return GetProgramFilesDir();
}
std::string TWinSystemValues::CommonFilesDir() {
    return GetCommonFilesDir();
}
std::string TWinSystemValues::FontsDir() {
    return GetFontsDir();
}
std::string TWinSystemValues::PersonalDir() {
    return GetPersonalDir();
}
std::string TWinSystemValues::ActiveSyncDir() {
    return GetActiveSyncDir();
}

// Before the HotSync information is loaded its folder is the Windows folder.
std::string TWinSystemValues::HotSyncDir() {
    const std::string& dir = TheHotSync().GetHotSyncDir();
    return dir.empty() ? WithTrailingBackslash(GetWindowsDir()) : dir;
}

std::string TWinSystemValues::DotNetDir() {
    return GetDotNetDir();
}
std::string TWinSystemValues::SourceDir() {
    return DropTrailingBackslash(FileDirOf(ProgramPath()));
}

std::string TWinSystemValues::ShellFolder(TShellFolderKind kind, bool allUsers) {
    return GetShellFolder(kind, allUsers);
}

uint32_t TWinSystemValues::OSVersionPart(int part) {
    return GetOSVersionPart(part);
}
bool TWinSystemValues::IsNT() {
    return IsWindowsNT();
}
bool TWinSystemValues::IsAdmin() {
    return cvn::IsAdmin();
}
uint32_t TWinSystemValues::PhysicalMemoryMB() {
    return GetPhysicalMemoryMB();
}
int TWinSystemValues::ColorDepth() {
    return GetColorDepth();
}
int TWinSystemValues::ScreenWidth() {
    return GetScreenWidth();
}
int TWinSystemValues::ScreenHeight() {
    return GetScreenHeight();
}

TLocalTime TWinSystemValues::LocalTime() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

std::string TWinSystemValues::DateSeparator() {
    char buf[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, buf, sizeof buf) <= 1) return "/";
    return buf;
}

std::vector<std::string> TWinSystemValues::CommandLineArgs() {
    std::vector<std::string> args = SplitCommandLine(GetCommandLineA());
    // The program's own entry is its full path, however it was started.
    std::string self = ProgramPath();
    if (args.empty())
        args.push_back(self);
    else
        args[0] = self;
    return args;
}

uintptr_t TWinSystemValues::MainWindowHandle() {
    return hooks_.mainWindow ? hooks_.mainWindow() : 0;
}
uintptr_t TWinSystemValues::ActiveDialogHandle() {
    return hooks_.activeDialog ? hooks_.activeDialog() : 0;
}

bool TWinSystemValues::IsActiveSyncInstalled() {
    return IsAppManagerRegistered();
}
std::string TWinSystemValues::ActiveSyncVersion() {
    return GetActiveSyncVersion();
}

// Asked afresh: one of the Palm desktop vendors' keys exists under HKEY_CURRENT_USER.
bool TWinSystemValues::IsHotSyncInstalled() {
    return !ChooseHotSyncBase(SystemHotSyncEnvironment()).empty();
}

std::string TWinSystemValues::HotSyncUser() {
    return TheHotSync().GetCurrentUserName();
}
bool TWinSystemValues::IsDotNetInstalled() {
    return cvn::IsDotNetInstalled();
}
std::string TWinSystemValues::DotNetVersion() {
    return GetDotNetVersion();
}

bool TWinSystemValues::ReadRegistryText(TRegRoot root, const std::string& key, const std::string& valueName,
                                        std::string& value) {
    // Every right is requested, as the script's registry commands do: a key the user
    // may not change counts as missing, and the default text is taken. Both ways of
    // reading a value then agree.
    RegKey k = OpenRegKey(RootKey(root), key, KEY_ALL_ACCESS);
    if (!k) return false;
    auto text = ReadRegText(k.Get(), valueName);
    if (!text) return false;
    value = *text;
    return true;
}

} // namespace cvn
