#pragma once

#include "core/Stream.h"
#include "install/Maintenance.h"
#include "package/PackageModel.h"
#include "package/PackageReader.h"
#include "script/CommandPlatform.h"
#include "script/Condition.h"
#include "script/InternetCommands.h"
#include "script/Interpreter.h"
#include "script/Languages.h"
#include "script/Selection.h"
#include "script/Variables.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace cvn {

// Everything start-up creates and the rest of the run reads: the package file kept
// open, the package's lists, the variables and messages, the temporary setup folder
// and the support files extracted into it. One instance lives for the whole run;
// the wizard and the install engine get it by reference and end the run through
// CleanUp.
class TSetupRun {
public:
    // The platform serves the script commands of every script the run executes.
    TSetupRun(TSystemValues& system, const TCommandPlatform& platform);
    ~TSetupRun();
    TSetupRun(const TSetupRun&) = delete;
    TSetupRun& operator=(const TSetupRun&) = delete;

    // The program's own file, open with writing denied to others until the run ends,
    // and the reader that finds the sections in it.
    std::unique_ptr<InputStream> packageStream;
    std::unique_ptr<TPackageReader> reader;

    TPackage package; // every list section the run has read so far
    TVariables variables;
    TLanguages languages;
    TComponentSelection selection;
    TConditionEvaluator conditions;
    TInterpreter interpreter;
    // Without trailing backslash; empty until the folder has been created. Also the
    // value of %TempSetupDir%.
    std::string tempSetupDir;
    // Full paths of every file the two extraction passes let through.
    std::vector<std::string> extractedSupportFiles;
    // The first and the last wizard page; empty when the package has no page.
    std::string firstPageName;
    std::string lastPageName;

    // The internet commands of the run's scripts, owned here so that the wizard can be
    // their download display; null until InstallInternetCommands.
    std::unique_ptr<THttpNetwork> httpNetwork;
    std::unique_ptr<THttpsClient> httpsClient;
    std::unique_ptr<TInternetCommands> internet;
    // pump handles window messages while a request waits.
    void InstallInternetCommands(std::unique_ptr<THttpNetwork> network, std::unique_ptr<THttpsClient> secure,
                                 std::function<void()> pump);

    // The previous installation that LoadPreviousInstallation reads; null until the
    // program installs it.
    std::unique_ptr<TMaintenance> maintenance;

    const TStartupFlags& Flags() const { return reader->Flags(); }
    const TPackageLayout& Layout() const { return reader->Layout(); }

    // Releases the package lists, deletes the extracted support files (read-only ones
    // too) and removes the temporary setup folder when it is empty. Safe to call at
    // every exit and more than once.
    void CleanUp();
};

// Removes a folder that holds nothing; false when it is not empty or cannot be removed.
bool RemoveEmptyFolder(const std::string& path);

} // namespace cvn
