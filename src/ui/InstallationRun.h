#pragma once

#include "install/CorvaneInstall.h"
#include "install/InstallContext.h"
#include "install/InstallUi.h"
#include "install/Maintenance.h"
#include "script/InternetCommands.h"
#include "ui/CopyingFiles.h"
#include "ui/Form.h"
#include "wizard/InstallationSequence.h"

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
// package without pages): the window side of TInstallationSequence, which holds the
// run's rules, and the engine's window side.
class TInstallationRun final : public TInstallUi, private TInstallationView {
public:
    explicit TInstallationRun(TInstallationRunContext context);
    ~TInstallationRun() override;
    TInstallationRun(const TInstallationRun&) = delete;
    TInstallationRun& operator=(const TInstallationRun&) = delete;

    void RunInstallation() { sequence_.RunInstallation(); }
    // The remove-previous-install statement: the product's removal between the two
    // uninstall scripts, with its progress on the "INSTALL" page or the copying window.
    void RemovePreviousInstallation(const std::string& resultVariable, const std::string& softwareName,
                                    const std::string& companyName);
    uint64_t InstallDriveFreeSpace() { return sequence_.InstallDriveFreeSpace(); }
    bool CloseRequest() { return sequence_.CloseRequest(); }
    void FinishSetup() { sequence_.FinishSetup(); }

    bool Installed() const { return sequence_.Installed(); }
    bool Busy() const { return sequence_.Busy(); }
    // The program is to end (a fatal failure or an accepted close).
    bool Terminated() const { return sequence_.Terminated(); }
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
    // TInstallationView
    bool DriveFreeKilobytes(const std::string& drive, uint64_t& kb) override;
    void ShowError(const std::string& text) override;
    bool Confirm(const std::string& text) override;
    TInstallSteps& StartEngine() override;
    void ShowProgress(bool onPage) override;
    bool FileExists(const std::string& path) override;
    void HideWindows(bool progressOnPage) override;
    void RestoreBackground() override;
    void ShowWizardAgain(bool progressOnPage) override;
    void EndEngine() override;
    void Reboot() override;

    HWND Owner() const;
    TFontSpec DialogFont() const;
    void CreateProgressWindow();

    TInstallationRunContext ctx_;
    std::unique_ptr<TCorvaneInstall> engine_;
    std::unique_ptr<TInstallSteps> steps_;
    std::unique_ptr<TfrmCopyingFiles> progressWindow_;
    std::unique_ptr<TBillboardWindow> billboard_;
    TDownloadProgress download_;
    TInstallationSequence sequence_;
};

} // namespace cvn
