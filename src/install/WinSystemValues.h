#pragma once

// The running Windows as the variables see it: every computed variable gets its
// value from the system services and the HotSync module. The wizard's window
// handles come through hooks that it installs; unset, they are 0.

#include "script/SystemValues.h"

#include <functional>

namespace cvn {

struct TWinSystemValuesHooks {
    std::function<uintptr_t()> mainWindow;   // the application's main window
    std::function<uintptr_t()> activeDialog; // the active form, 0 when none
};

class TWinSystemValues final : public TSystemValues {
public:
    TWinSystemValues() = default;
    explicit TWinSystemValues(TWinSystemValuesHooks hooks) : hooks_(std::move(hooks)) {}

    TWinSystemValuesHooks& Hooks() { return hooks_; }

    std::string WindowsDir() override;
    std::string SystemDir() override;
    std::string ProgramFilesDir() override;
    std::string CommonFilesDir() override;
    std::string FontsDir() override;
    std::string PersonalDir() override;
    std::string ActiveSyncDir() override;
    std::string HotSyncDir() override;
    std::string DotNetDir() override;
    std::string SourceDir() override;
    std::string ShellFolder(TShellFolderKind kind, bool allUsers) override;

    uint32_t OSVersionPart(int part) override;
    bool IsNT() override;
    bool IsAdmin() override;
    uint32_t PhysicalMemoryMB() override;
    int ColorDepth() override;
    int ScreenWidth() override;
    int ScreenHeight() override;

    TLocalTime LocalTime() override;
    std::string DateSeparator() override;
    std::vector<std::string> CommandLineArgs() override;
    uintptr_t MainWindowHandle() override;
    uintptr_t ActiveDialogHandle() override;

    bool IsActiveSyncInstalled() override;
    std::string ActiveSyncVersion() override;
    bool IsHotSyncInstalled() override;
    std::string HotSyncUser() override;
    bool IsDotNetInstalled() override;
    std::string DotNetVersion() override;

    bool ReadRegistryText(TRegRoot root, const std::string& key, const std::string& valueName,
                          std::string& value) override;

private:
    TWinSystemValuesHooks hooks_;
};

// The path of the running program.
std::string ProgramPath();

} // namespace cvn
