#include "app/HandOver.h"

#include "app/Startup.h"
#include "install/AppManager.h"
#include "install/HotSyncInstall.h"
#include "install/InstallPlatform.h"
#include "install/Programs.h"
#include "script/SelectionQueries.h"
#include "ui/Application.h"
#include "ui/BackWindow.h"
#include "ui/InstallationRun.h"
#include "ui/SetupMain.h"

namespace cvn {

namespace {

// The hand-overs to the device software of the PC for one installation run.
struct TDeviceHandOvers {
    TDeviceHandOvers(TSetupRun& run, TStartupHost& host)
        : queries(run.package, run.selection, run.conditions),
          appManager(run.package, run.variables, queries, WindowsInstallPlatform(),
                     [](const std::string& program, const std::string& arguments, const std::string& folder) {
                         // A manager that cannot be started is not reported; the run goes on.
                         uint32_t error = 0;
                         RunProgramAndWait(program, arguments, folder, error, true, true);
                     }),
          hotSync(TheHotSync(), host.HotSyncEnvironment(), SystemHotSyncStore(), run.variables) {}

    TSelectionQueries queries;
    TAppManager appManager;
    THotSyncInstall hotSync;
};

TInstallationRunContext InstallationContext(TSetupRun& run, TStartupHost& host, TDeviceHandOvers& handOvers) {
    TInstallationRunContext context;
    context.engine.package = &run.package;
    context.engine.variables = &run.variables;
    context.engine.languages = &run.languages;
    context.engine.selection = &run.selection;
    context.engine.conditions = &run.conditions;
    context.engine.platform = &WindowsInstallPlatform();
    context.engine.hotSync = &handOvers.hotSync;
    context.engine.appManager = &handOvers.appManager;
    context.engine.archiveOffset = int32_t(run.Layout().archiveOffset);
    context.engine.setupPath = host.ExecutablePath();
    context.interpreter = &run.interpreter;
    context.flags = run.Flags();
    if (TMaintenance* maintenance = run.maintenance.get()) {
        context.maintenance = maintenance;
        // Until an earlier installation is loaded it holds nothing and removes nothing.
        context.engine.previous = maintenance;
        context.computeAddedComponents = [&run, maintenance] {
            run.selection.SetComponentsToAdd(
                MaintenanceComponentsToAdd(maintenance->InstalledComponents(), run.selection.Current()));
        };
    }
    return context;
}

} // namespace

int RunInstallationWithoutPages(TSetupRun& run, TStartupHost& host) {
    TDeviceHandOvers handOvers(run, host);
    TInstallationRunContext context = InstallationContext(run, host, handOvers);
    context.internet = run.internet.get();
    // A package without pages installs at once, then the program ends.
    TInstallationRun installation(std::move(context));
    installation.RunInstallation();
    const bool completed = installation.Installed();
    if (!installation.Terminated()) installation.FinishSetup();
    run.CleanUp();
    return completed ? kExitOk : kExitFailed;
}

int RunWizard(TSetupRun& run, TStartupHost& host) {
    TWizardContext wizard;
    wizard.package = &run.package;
    wizard.variables = &run.variables;
    wizard.interpreter = &run.interpreter;
    wizard.languages = &run.languages;
    wizard.selection = &run.selection;
    wizard.conditions = &run.conditions;
    wizard.flags = run.Flags();
    wizard.firstPageName = run.firstPageName;
    wizard.lastPageName = run.lastPageName;
    wizard.facts.archiveOffset = int32_t(run.Layout().archiveOffset);
    wizard.facts.executablePath = host.ExecutablePath();
    wizard.facts.applicationTitle = TApplication::Instance().Title();
    wizard.internet = run.internet.get();
    if (run.maintenance) wizard.notDeleted = &run.maintenance->NotRemoved();
    TDeviceHandOvers handOvers(run, host);
    bool ok = false;
    // With the background-window flag the background comes first and owns the wizard.
    std::unique_ptr<TfrmBackWindow> back;
    if (run.Flags().backgroundWindow) {
        back = std::make_unique<TfrmBackWindow>(TBackWindowContext{
            &run.package.Settings().appearance, &run.package.backgroundItems, &run.variables});
        if (!back->Create()) back.reset();
    }
    {
        TfrmSetupMain form(wizard, InstallationContext(run, host, handOvers));
        ok = form.Create(back.get());
        if (ok && back) back->AttachWizard(form);
        ok = ok && form.Wizard().RunPreInstallChecks();
        if (ok) {
            form.StartWizard();
            if (!TApplication::Instance().Terminated()) TApplication::Instance().Run();
        }
        if (back) back->DetachWizard();
    }
    back.reset();
    run.CleanUp();
    // Leaving the wizard before installing is the user's choice, not a failure; a PC
    // that fails the package's checks is one.
    return ok ? kExitOk : kExitFailed;
}

} // namespace cvn
