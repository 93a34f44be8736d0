#pragma once

#include "install/CorvaneInstall.h"
#include "install/InstallContext.h"
#include "install/InstallUi.h"
#include "install/Maintenance.h"
#include "script/InternetCommands.h"
#include "ui/CopyingFiles.h"
#include "ui/Form.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace cvn {

class TInterpreter;
class TBillboardWindow;

// What an installation run works with: the start-up's data, the engine's platform
// seams and the wizard's side. Without a wizard (a package without pages) the wizard
// hooks stay empty and progress goes to the copying-files window.
struct TInstallationRunContext {
    TInstallContext engine; // its `ui` is the run itself
    TInterpreter* interpreter = nullptr;
    TStartupFlags flags;

    // The wizard window (owner of the prompts and the progress window); null: the application.
    HWND wizard = nullptr;
    // The background window (owner of the billboard window); null: the application.
    HWND backWindow = nullptr;
    // ShowDialog("INSTALL"): true when the page is shown, and progress then goes to
    // ReportProgress on it. Empty: the package has no such page.
    std::function<bool()> showInstallPage;
    std::function<void(int kind, const std::string& text, int value)> reportProgress;
    // The wizard's close request (its confirmation and close script); true when the
    // close went through. Empty: the run asks itself.
    std::function<bool()> closeRequest;
    // The earlier installations: maintenance mode and removing products. Null: none.
    TMaintenance* maintenance = nullptr;
    // Maintenance mode: works out which components are being added.
    std::function<void()> computeAddedComponents;
    // Set only without a wizard (which is the download display otherwise): a Download
    // then shows on the copying-files window and its Cancel ends the download.
    TInternetCommands* internet = nullptr;
};

// The installation run of the wizard (the Install statement, or at once for a
// package without pages): the install drive check, the scripts before and after
// copying, the engine's steps in order with their progress display, and the close
// request while the engine works. It is also the engine's window side.
class TInstallationRun final : public TInstallUi {
public:
    explicit TInstallationRun(TInstallationRunContext context);
    ~TInstallationRun() override;
    TInstallationRun(const TInstallationRun&) = delete;
    TInstallationRun& operator=(const TInstallationRun&) = delete;

    void RunInstallation();
    // The remove-previous-install statement: the product's removal between the two
    // uninstall scripts, with its progress on the "INSTALL" page or the copying window.
    void RemovePreviousInstallation(const std::string& resultVariable, const std::string& softwareName,
                                    const std::string& companyName);

    // Free space of the install drive in units of 1024 bytes; 0 after message 12 and
    // the error script when the drive cannot be read.
    uint64_t InstallDriveFreeSpace();
    // A close request while no page is shown: message 9 while the engine works, then
    // the close script. True when the close went through (the program is to end).
    bool CloseRequest();
    // The end of a run without pages: the close script as the finish, then a restart
    // when the script asks for one.
    void FinishSetup();

    bool Installed() const { return installed_; }
    bool Busy() const { return busy_; }
    // The program is to end (a fatal failure or an accepted close).
    bool Terminated() const { return terminated_; }
    // The engine of the run in progress, or null.
    TCorvaneInstall* Engine() { return engine_.get(); }
    TfrmCopyingFiles* ProgressWindow() { return progressWindow_.get(); }
    // Tests drive the windows of the run from timers; this runs when the progress window appears.
    std::function<void(TfrmCopyingFiles&)> onProgressWindowShown;

    // TInstallUi
    void ShowMessage(const std::string& text, TMessageIcon icon, bool secondButtonDefault = false) override;
    TOverwriteAnswer AskOverwrite(const TOverwritePrompt& prompt) override;
    bool AskNextDisk(const TNextDiskPrompt& prompt, std::string& folder) override;
    void CloseMainForm() override;
    void TerminateApplication() override;
    void ProcessMessages() override;
    void ShowBillboard(const std::string& bitmapPath, int progressTop) override;
    void CloseBillboard() override;

private:
    // Runs an event script; true when a close statement went through (the caller abandons its step).
    bool RunEventScriptAbandons(int list);
    std::string Variable(const char* name) const;
    void SetCanCloseFlags(bool finishing);
    HWND Owner() const;
    TFontSpec DialogFont() const;
    void CreateProgressWindow();
    void EndRun();

    TInstallationRunContext ctx_;
    std::unique_ptr<TCorvaneInstall> engine_;
    std::unique_ptr<TfrmCopyingFiles> progressWindow_;
    std::unique_ptr<TBillboardWindow> billboard_;
    bool installed_ = false;
    bool busy_ = false;
    bool terminated_ = false;
    bool closeScriptRun_ = false;
    bool progressOnPage_ = false;
    TDownloadProgress download_;
};

// The install drive as messages 12 and 13 name it: the letter ("C:\Program Files" ->
// "C"), a network path's server and share, else the path's first character.
std::string InstallDriveName(const std::string& path);

} // namespace cvn
