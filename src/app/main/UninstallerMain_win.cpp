#include "app/SetupRun.h"
#include "app/Startup.h"
#include "app/Uninstaller.h"
#include "app/WinStartupHost.h"
#include "app/WinUninstallerHost.h"
#include "core/SystemLibrary_win.h"
#include "install/Remover.h"
#include "ui/Application.h"

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include <exception>
#include <memory>
#include <string>
#include <vector>

using namespace cvn;

namespace {

// The arguments after the program name, split as the C run-time would split them.
std::vector<std::string> Arguments() {
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return args;
    for (int i = 1; i < count; ++i) {
        int n = WideCharToMultiByte(CP_ACP, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(size_t(n > 0 ? n : 1), '\0');
        if (n > 0) WideCharToMultiByte(CP_ACP, 0, wide[i], -1, arg.data(), n, nullptr, nullptr);
        arg.resize(arg.size() - 1);
        args.push_back(arg);
    }
    LocalFree(wide);
    return args;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // A DLL planted beside the uninstaller (in the Windows folder, or wherever it was
    // copied) must never be found.
    RestrictDllSearchToSystemFolder();
    TApplication::Instance();
    TApplication::Instance().SetTitle("Corvane Uninstaller");
    // Unregistering type libraries and servers needs COM on this thread.
    const bool com = SUCCEEDED(CoInitialize(nullptr));
    int exitCode = kExitFailed;
    try {
        // The start-up host gives the uninstall scripts the same commands as setup's.
        TWinStartupHost startupHost;
        TSetupRun run(startupHost.SystemValues(), startupHost.CommandPlatform());
        TWinUninstallerHost host(run);
        exitCode = RunUninstaller(ParseUninstallerArgs(Arguments()), run, WindowsRemovalPlatform(), host);
    } catch (const std::exception& e) {
        TApplication::Instance().ShowMessage(std::string(kInternalErrorMessage) + "\n\n(" + e.what() + ")",
                                             MB_OK | MB_ICONERROR);
    }
    if (com) CoUninitialize();
    return exitCode;
}
