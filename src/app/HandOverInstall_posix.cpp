#include "app/HandOver.h"

#include "app/Startup.h"

namespace cvn {

int RunInstallationWithoutPages(TSetupRun& run, TStartupHost&) {
    // The installation run needs the Win32 windows; natively the run ends here.
    run.CleanUp();
    return kExitOk;
}

} // namespace cvn
