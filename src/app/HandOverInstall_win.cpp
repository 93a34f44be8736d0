#include "app/HandOver.h"

#include "app/Startup.h"
#include "install/InstallPlatform.h"
#include "ui/InstallationRun.h"

namespace cvn {

int RunInstallationWithoutPages(TSetupRun& run, TStartupHost& host) {
    TInstallationRunContext context;
    context.engine.package = &run.package;
    context.engine.variables = &run.variables;
    context.engine.languages = &run.languages;
    context.engine.selection = &run.selection;
    context.engine.conditions = &run.conditions;
    context.engine.platform = &WindowsInstallPlatform();
    context.engine.archiveOffset = int32_t(run.Layout().archiveOffset);
    context.engine.setupPath = host.ExecutablePath();
    context.interpreter = &run.interpreter;
    context.flags = run.Flags();

    // A package without pages installs at once, then the program ends.
    TInstallationRun installation(std::move(context));
    installation.RunInstallation();
    const bool completed = installation.Installed();
    if (!installation.Terminated()) installation.FinishSetup();
    run.CleanUp();
    return completed ? kExitOk : kExitFailed;
}

} // namespace cvn
