#pragma once

#include "package/PackageModel.h"
#include "package/UninstallData.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace cvn {

class ArchiveFiles;
class TComponentSelection;
class TConditionEvaluator;
class TInstallPlatform;
class TInstallUi;
class TLanguages;
class TVariables;

// Hands files to Palm HotSync users and registers conduits.
class THotSyncHandOver {
public:
    virtual ~THotSyncHandOver() = default;
    // Copies the file into the user's HotSync install folder and marks the user.
    virtual bool InstallForUser(const std::string& userName, const std::string& file) = 0;
    virtual bool RegisterConduit(const TConduitRecord& conduit) = 0;
};

// The desktop application manager of Windows CE devices: the .ini files of the
// device applications that take part, and the manager's run.
class TAppManagerHandOver {
public:
    virtual ~TAppManagerHandOver() = default;
    // Writes the .ini file of each taking-part device application, the main one
    // first; returns the paths written, and in `failed` those that could not be.
    // iconPath: the installed icon file or empty.
    virtual std::vector<std::string> WriteIniFiles(const std::string& iconPath,
                                                   std::vector<std::string>& failed) = 0;
    // The quoted .ini paths of the taking-part applications, separated by spaces.
    virtual std::string IniArguments() = 0;
    // Starts the manager and waits until it has ended, pumping messages.
    virtual void RunAndWait(const std::string& program, const std::string& arguments,
                            const std::string& workingFolder) = 0;
};

// The earlier installation that maintenance mode runs over.
class TPreviousInstallation {
public:
    virtual ~TPreviousInstallation() = default;
    // Its uninstall log, less what the removal took out; written ahead of this run's items.
    virtual const std::vector<TUninstallItem>& Items() const = 0;
    // Removes the components no longer selected, reporting each step (done of total).
    virtual void RemoveDeselectedComponents(const std::function<void(int done, int total)>& progress) = 0;
};

// Everything an install engine works with. The package data, variables, messages
// and selection are the program's own; the rest are seams that the program (or a
// test) fills. Optional seams may stay null: no HotSync hand-over or conduits, no
// application-manager hand-over, no previous installation.
struct TInstallContext {
    const TPackage* package = nullptr;
    TVariables* variables = nullptr;
    const TLanguages* languages = nullptr;
    const TComponentSelection* selection = nullptr;
    const TConditionEvaluator* conditions = nullptr;
    TInstallPlatform* platform = nullptr;
    TInstallUi* ui = nullptr;
    THotSyncHandOver* hotSync = nullptr;
    TAppManagerHandOver* appManager = nullptr;
    TPreviousInstallation* previous = nullptr;
    // The archive reader's file operations; null: the real file system.
    ArchiveFiles* archiveFiles = nullptr;

    // Byte offset of the main archive in the setup program (package trailer); below 1
    // the archive lies in volume files beside it.
    int32_t archiveOffset = 0;
    // Full path of the running setup program.
    std::string setupPath;
    // The device platform table as the device link holds it; null: the package's.
    const std::vector<TPlatformRecord>* platforms = nullptr;
};

} // namespace cvn
