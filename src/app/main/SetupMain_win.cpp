#include "app/SetupRun.h"
#include "app/Startup.h"
#include "app/WinStartupHost.h"
#include "app/WinUninstallerHost.h"
#include "core/SystemLibrary_win.h"
#include "install/DeviceCommands.h"
#include "install/HotSync.h"
#include "install/RapiTool.h"
#include "install/Remover.h"
#include "script/DllCall.h"
#include "script/HttpNetwork.h"
#include "ui/Application.h"
#include "ui/StartCEConnection.h"

#include <windows.h>

#include <objbase.h>

#include <exception>
#include <memory>

using namespace cvn;

namespace {

TMaintenance::TParts MaintenanceParts(TSetupRun& run, TWinStartupHost& host) {
    TMaintenance::TParts parts;
    parts.package = &run.package;
    parts.variables = &run.variables;
    parts.languages = &run.languages;
    parts.selection = &run.selection;
    parts.registry = host.CommandPlatform().registry;
    parts.readFile = ReadWholeFile;
    parts.showError = [](const std::string& text) {
        TApplication::Instance().ShowMessage(text, MB_OK | MB_ICONERROR);
    };
    parts.removal = &WindowsRemovalPlatform();
    parts.ask = [&run](const TRemovalTexts& texts, const std::string& question, const std::string& path) {
        return AskRemoval(run, texts, question, path);
    };
    return parts;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Before anything else can load a DLL: a copy planted in the setup's folder (a
    // Downloads folder, most often) must never be found.
    RestrictDllSearchToSystemFolder();
    // Registers the common controls before the first window.
    TApplication::Instance();
    // Shell links, pictures and type libraries need COM on this thread.
    const bool com = SUCCEEDED(CoInitialize(nullptr));
    int exitCode = kExitFailed;
    {
        std::unique_ptr<TWinStartupHost> host;
        std::unique_ptr<TSetupRun> run;
        // Whatever escapes the run still gets a message, and the run's clean-up
        // (its destructor) removes the temporary setup folder.
        try {
            host = std::make_unique<TWinStartupHost>();
            run = std::make_unique<TSetupRun>(host->SystemValues(), host->CommandPlatform());
            run->InstallInternetCommands(CreateWinHttpNetwork(), CreateWinHttpsClient(),
                                         [] { TApplication::Instance().ProcessMessages(); });
            InstallDllCallOnFirstUse(run->interpreter, CreateWinDllInvoke);
            // The device link for the whole run, its connection wait shown in its window.
            std::unique_ptr<TRapiApi> rapi = CreateWinRapiApi();
            TRapiTool device(*rapi, [] { TApplication::Instance().ProcessMessages(); });
            device.SetPlatformTable(&run->package.platforms);
            TSetupRun& setup = *run;
            TConnectionDisplay connection([&setup] {
                TConnectionLook look;
                look.caption = setup.variables.ExpandVariables("%SoftwareName%");
                look.text = setup.variables.ExpandVariables(setup.languages.DeviceConnectionText());
                look.useSetupFont = !(setup.reader && setup.Flags().keepSystemFont);
                look.setupFont = setup.package.Settings().appearance.setupFont;
                return look;
            });
            device.OnConnectProgress.Bind([&connection](int phase) { connection.ConnectProgress(phase); });
            TDeviceCommands deviceCommands(run->interpreter.Commands(), device, TheHotSync(), run->package);
            deviceCommands.Install(run->interpreter);
            run->maintenance = std::make_unique<TMaintenance>(MaintenanceParts(*run, *host));
            run->maintenance->Install(run->interpreter);
            exitCode = RunSetup(*run, *host);
        } catch (const std::exception& e) {
            if (host) host->CloseStartupWindows();
            TApplication::Instance().ShowMessage(
                std::string(kInternalErrorMessage) + "\n\n(" + e.what() + ")", MB_OK | MB_ICONERROR);
        }
    }
    if (com) CoUninitialize();
    return exitCode;
}
