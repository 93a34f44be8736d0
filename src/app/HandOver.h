#pragma once

#include "app/SetupRun.h"
#include "app/StartupHost.h"

namespace cvn {

// The last start-up step: from here the wizard (or the background window that
// creates it) drives the run, and a package without pages installs at once.
// Returns the program's exit code after the run has ended and been cleaned up.
int HandOver(TSetupRun& run, TStartupHost& host);

// The installation run of a package without wizard pages. The install engine plugs
// in here; it ends the run through the clean-up routine.
int RunInstallationWithoutPages(TSetupRun& run, TStartupHost& host);

// The wizard window over the package's pages, until the user or a script ends the
// setup (Windows; the Win32 host's RunWizard).
int RunWizard(TSetupRun& run, TStartupHost& host);

} // namespace cvn
