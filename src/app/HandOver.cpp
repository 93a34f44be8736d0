#include "app/HandOver.h"

#include "app/Startup.h"

namespace cvn {

int HandOver(TSetupRun& run, TStartupHost& host) {
    if (run.firstPageName.empty()) return RunInstallationWithoutPages(run, host);
    // Until the wizard exists, a package with pages cannot go on; nothing has been
    // installed, so the run ends as cleanly as an early exit.
    host.ShowMessage(kPagesNotSupportedMessage, TMessageIcon::Information);
    run.CleanUp();
    return kExitOk;
}

} // namespace cvn
