#include "app/HandOver.h"

namespace cvn {

int HandOver(TSetupRun& run, TStartupHost& host) {
    if (run.firstPageName.empty()) return RunInstallationWithoutPages(run, host);
    return host.RunWizard(run);
}

} // namespace cvn
