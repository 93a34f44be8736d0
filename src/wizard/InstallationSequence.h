#pragma once

#include "install/InstallUi.h"
#include "package/PackageModel.h"

#include <cstdint>
#include <functional>
#include <string>

namespace cvn {

class TComponentSelection;
class TConditionEvaluator;
class TInterpreter;
class TLanguages;
class TVariables;

// The engine's steps as an installation run calls them (TCorvaneInstall behind it).
class TInstallSteps {
public:
    virtual ~TInstallSteps() = default;
    virtual void ShowBillboard(int percent) = 0;
    virtual void InstallFiles() = 0;
    virtual void CreateShortcuts() = 0;
    virtual void WriteRegistry() = 0;
    virtual void RemoveDeselectedComponents(int scale) = 0;
    virtual void WriteUninstallData() = 0;
    virtual void FreeBillboardWindow() = 0;
    virtual bool HasAppManagerArgs() = 0;
    virtual void RunAppManager() = 0;
    virtual void DeleteCarrierFiles() = 0;
    virtual void Abort() = 0;
    virtual bool Aborted() const = 0;
};

// The window side of an installation run: message boxes owned by the wizard or the
// progress window, the progress display, the busy state and the engine's life.
class TInstallationView {
public:
    virtual ~TInstallationView() = default;
    // Free space of a drive ("C:") or a network share ("\\server\share") in units of
    // 1024 bytes; false when it cannot be read.
    virtual bool DriveFreeKilobytes(const std::string& drive, uint64_t& kb) = 0;
    virtual void ShowError(const std::string& text) = 0;
    // A Yes/No question with No as the default; true for Yes.
    virtual bool Confirm(const std::string& text) = 0;
    // Creates the engine for one run and shows the busy cursor.
    virtual TInstallSteps& StartEngine() = 0;
    // Progress on the shown "INSTALL" page (onPage) or in the copying-files window.
    virtual void ShowProgress(bool onPage) = 0;
    virtual void ProcessMessages() = 0;
    virtual bool FileExists(const std::string& path) = 0;
    virtual bool AskNextDisk(const TNextDiskPrompt& prompt, std::string& folder) = 0;
    // The application manager runs with the setup's windows out of its way.
    virtual void HideWindows(bool progressOnPage) = 0;
    virtual void RestoreBackground() = 0;
    // The wizard comes back after a completed copy.
    virtual void ShowWizardAgain(bool progressOnPage) = 0;
    // Releases the engine and the progress window; the busy cursor ends.
    virtual void EndEngine() = 0;
    virtual void Reboot() = 0;
};

struct TInstallationSequenceContext {
    const TPackage* package = nullptr;
    TVariables* variables = nullptr;
    const TLanguages* languages = nullptr;
    TInterpreter* interpreter = nullptr;
    const TComponentSelection* selection = nullptr;
    const TConditionEvaluator* conditions = nullptr;
    TStartupFlags flags;
    // The setup file; it must be readable again after copying (a removable volume).
    std::string setupPath;
    // ShowDialog("INSTALL"): true when the page is shown. Empty: the package has none.
    std::function<bool()> showInstallPage;
    // The wizard's close request; true when the close went through. Empty: the run asks itself.
    std::function<bool()> closeRequest;
    // Maintenance mode: works out which components are being added.
    std::function<void()> computeAddedComponents;
    // Stops a download in progress when the setup closes.
    std::function<void()> abortDownload;
};

// The rules of an installation run: the install drive's space, the scripts before
// and after copying with %CanClose%, the engine's steps in order, the setup file's
// volume put back, the application manager, and closing while the engine works.
class TInstallationSequence {
public:
    TInstallationSequence(TInstallationSequenceContext context, TInstallationView& view);

    void RunInstallation();
    // Free space of the install drive in units of 1024 bytes; 0 after message 12 and
    // the error script when the drive cannot be read.
    uint64_t InstallDriveFreeSpace();
    // A close request while no page is shown: message 9 while the engine works, then
    // the close script. True when the close went through (the program is to end).
    bool CloseRequest();
    // The end of a run without pages: the close script as the finish, then a restart
    // when the script asks for one.
    void FinishSetup();
    // Ends the program after a fatal failure.
    void Terminate();
    // Another run of the engine's side (removing a product): false while a run is
    // busy; otherwise the sequence is busy until EndOtherRun.
    bool BeginOtherRun();
    void EndOtherRun();

    bool Installed() const { return installed_; }
    bool Busy() const { return busy_; }
    bool Terminated() const { return terminated_; }
    // The engine of the run in progress, or null.
    TInstallSteps* Steps() { return steps_; }

private:
    bool RunEventScriptAbandons(int list);
    std::string Variable(const char* name) const;
    void SetCanCloseFlags(bool finishing);
    void AskForSetupVolume();
    void EndRun();

    TInstallationSequenceContext ctx_;
    TInstallationView& view_;
    TInstallSteps* steps_ = nullptr;
    bool installed_ = false;
    bool busy_ = false;
    bool terminated_ = false;
    bool closeScriptRun_ = false;
};

// The drive part of a path: "C:" for a drive letter, "\\server\share" for a network
// path; empty when it has none.
std::string DrivePartOf(const std::string& path);
// The install drive as messages 12 and 13 name it: the letter ("C:\Program Files" ->
// "C"), a network path's server and share, else the path's first character.
std::string InstallDriveName(const std::string& path);

} // namespace cvn
