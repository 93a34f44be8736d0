#pragma once

#include "script/SystemValues.h"

#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace cvn::test {

// A system whose facts are plain fields, plus a call counter per fact so tests can
// see what an expansion actually asked for.
class TFakeSystemValues : public TSystemValues {
public:
    std::string windowsDir = "C:\\WINDOWS";
    std::string systemDir = "C:\\WINDOWS\\SYSTEM32";
    std::string programFilesDir = "C:\\Program Files";
    std::string commonFilesDir = "C:\\Program Files\\Common Files";
    std::string fontsDir = "C:\\WINDOWS\\Fonts";
    std::string personalDir = "C:\\Docs";
    std::string activeSyncDir = "C:\\Program Files\\Microsoft ActiveSync\\";
    std::string hotSyncDir = "C:\\Palm\\Install";
    std::string dotNetDir = "C:\\WINDOWS\\Microsoft.NET\\Framework\\v1.1.4322\\";
    std::string sourceDir = "D:\\Downloads";
    // Shell folders: [kind][allUsers]
    std::map<std::pair<TShellFolderKind, bool>, std::string> shellFolders = {
        {{TShellFolderKind::Desktop, false}, "C:\\Users\\me\\Desktop"},
        {{TShellFolderKind::Desktop, true}, "C:\\Users\\All\\Desktop"},
        {{TShellFolderKind::StartMenu, false}, "C:\\Users\\me\\Start Menu"},
        {{TShellFolderKind::StartMenu, true}, "C:\\Users\\All\\Start Menu"},
        {{TShellFolderKind::Programs, false}, "C:\\Users\\me\\Start Menu\\Programs"},
        {{TShellFolderKind::Programs, true}, "C:\\Users\\All\\Start Menu\\Programs"},
        {{TShellFolderKind::Startup, false}, "C:\\Users\\me\\Start Menu\\Programs\\Startup"},
        {{TShellFolderKind::Startup, true}, "C:\\Users\\All\\Start Menu\\Programs\\Startup"},
    };
    uint32_t osMajor = 5, osMinor = 1, osBuild = 2600, servicePack = 0x0200;
    bool isNT = true, isAdmin = false;
    uint32_t memoryMB = 268;
    int colorDepth = 32, screenWidth = 1024, screenHeight = 768;
    TLocalTime time{2004, 3, 7, 9, 5, 4};
    bool tickingClock = false;
    std::string dateSeparator = "/";
    std::vector<std::string> args = {"D:\\Downloads\\setup.exe", "/silent", "second"};
    uintptr_t mainWindow = 1234, activeDialog = 0;
    bool activeSync = true, hotSync = false, dotNet = true;
    std::string activeSyncVersion = "3.7", dotNetVersion = "1.1.4322.573", hotSyncUser = "Palm User";
    // (root, key, value name) -> text
    std::map<std::tuple<TRegRoot, std::string, std::string>, std::string> registry;
    std::vector<std::tuple<TRegRoot, std::string, std::string>> registryReads;
    int calls = 0; // every fact asked for

    std::string WindowsDir() override { return ++calls, windowsDir; }
    std::string SystemDir() override { return ++calls, systemDir; }
    std::string ProgramFilesDir() override { return ++calls, programFilesDir; }
    std::string CommonFilesDir() override { return ++calls, commonFilesDir; }
    std::string FontsDir() override { return ++calls, fontsDir; }
    std::string PersonalDir() override { return ++calls, personalDir; }
    std::string ActiveSyncDir() override { return ++calls, activeSyncDir; }
    std::string HotSyncDir() override { return ++calls, hotSyncDir; }
    std::string DotNetDir() override { return ++calls, dotNetDir; }
    std::string SourceDir() override { return ++calls, sourceDir; }
    std::string ShellFolder(TShellFolderKind kind, bool allUsers) override {
        ++calls;
        auto it = shellFolders.find({kind, allUsers});
        return it == shellFolders.end() ? std::string() : it->second;
    }
    uint32_t OSVersionPart(int part) override {
        ++calls;
        switch (part) {
        case 0:
            return osMajor << 24 | osMinor << 16 | (osBuild & 0xFFFF);
        case 1:
            return osMajor;
        case 2:
            return osMinor;
        case 3:
            return osBuild;
        case 4:
            return servicePack;
        default:
            return 0;
        }
    }
    bool IsNT() override { return ++calls, isNT; }
    bool IsAdmin() override { return ++calls, isAdmin; }
    uint32_t PhysicalMemoryMB() override { return ++calls, memoryMB; }
    int ColorDepth() override { return ++calls, colorDepth; }
    int ScreenWidth() override { return ++calls, screenWidth; }
    int ScreenHeight() override { return ++calls, screenHeight; }
    // Each read moves the clock on by one second, so a text that mixes two reads shows it.
    TLocalTime LocalTime() override {
        ++calls;
        TLocalTime now = time;
        if (tickingClock && ++time.second == 60) time.second = 0, ++time.minute;
        return now;
    }
    std::string DateSeparator() override { return ++calls, dateSeparator; }
    std::vector<std::string> CommandLineArgs() override { return ++calls, args; }
    uintptr_t MainWindowHandle() override { return ++calls, mainWindow; }
    uintptr_t ActiveDialogHandle() override { return ++calls, activeDialog; }
    bool IsActiveSyncInstalled() override { return ++calls, activeSync; }
    std::string ActiveSyncVersion() override { return ++calls, activeSyncVersion; }
    bool IsHotSyncInstalled() override { return ++calls, hotSync; }
    std::string HotSyncUser() override { return ++calls, hotSyncUser; }
    bool IsDotNetInstalled() override { return ++calls, dotNet; }
    std::string DotNetVersion() override { return ++calls, dotNetVersion; }
    bool ReadRegistryText(TRegRoot root, const std::string& key, const std::string& valueName,
                          std::string& value) override {
        ++calls;
        registryReads.emplace_back(root, key, valueName);
        auto it = registry.find({root, key, valueName});
        if (it == registry.end()) return false;
        value = it->second;
        return true;
    }
};

} // namespace cvn::test
