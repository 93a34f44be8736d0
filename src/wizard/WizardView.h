#pragma once

#include "package/Script.h"
#include "wizard/WizardControl.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace cvn {

// What the wizard's rules need of the windows: panels and controls, the wizard
// form, the modal windows, the installation run and a few facts of the PC. The
// Win32 wizard implements it; tests implement it in memory.
class TWizardView {
public:
    virtual ~TWizardView() = default;

    // The wizard form as the container of style and page panels.
    virtual TWizardPanel& Form() = 0;
    // A new plain panel in the container, invisible, at 0, 0.
    virtual std::unique_ptr<TWizardPanel> CreatePanel(TWizardPanel& container, const std::string& name) = 0;
    // A new control of the class on the panel, with the definition's bounds, hidden.
    virtual std::unique_ptr<TWizardControl> CreateControl(TWizardPanel& parent, TControlClass cls,
                                                          const TControlDefinition& definition) = 0;
    // Adds a picture file to the pictures that check lists draw (index 1 first).
    virtual void AddComponentPicture(const std::string& path) = 0;
    // The builder has applied every value: the control becomes visible.
    virtual void ShowControl(TWizardControl& control) = 0;

    virtual void SetBusyCursor(bool busy) = 0;
    virtual void ShowWizard(bool show) = 0;
    virtual bool WizardVisible() const = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void SetApplicationTitle(const std::string& title) = 0;
    // The background window's caption and, when asked, its repaint; nothing without one.
    virtual void RefreshBackground(const std::string& caption, bool repaint) {
        (void)caption;
        (void)repaint;
    }
    // A background window behind the wizard takes the close request of the whole setup.
    virtual bool HasBackgroundWindow() const { return false; }
    // Sets the client size when it differs and centres the wizard on the screen.
    virtual void FitClientSize(int width, int height) = 0;
    virtual void FocusFirstControl(TWizardPanel& panel) = 0;
    // Yes/No with the question icon and No as the default; true on Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
    virtual void TerminateApplication() = 0;
    virtual void RestartComputer() = 0;

    // The secondary dialog: its window with a panel of the size, shown modally;
    // firstPaint runs at its first paint and answers true to end it with abort.
    virtual TWizardPanel& OpenSecondary(const std::string& caption, int width, int height,
                                        const TFontRecord& font) = 0;
    virtual void SetSecondaryCaption(const std::string& caption) = 0;
    // True when the window ended with abort.
    virtual bool ShowSecondaryModal(std::function<bool()> firstPaint) = 0;
    virtual void CancelSecondary() = 0;
    virtual void FreeSecondary() = 0;

    // The directory selection; the chosen folder, or none after Cancel.
    virtual std::optional<std::string> BrowseForFolder(const std::string& startFolder,
                                                       const std::string& text) = 0;

    // The installation run (the engine and its progress); see TInstallationRun.
    virtual void RunInstallation() = 0;
    // Removes the product registered under these names (its progress on the
    // "INSTALL" page or the copying-files window); the result goes to the variable.
    virtual void RemovePreviousInstallation(const std::string& resultVariable,
                                            const std::string& softwareName,
                                            const std::string& companyName) = 0;
    virtual bool InstallationRunning() const = 0;
    virtual bool InstallationAborted() const = 0;
    // Tells a running engine whether the close comes from FinishSetup, and stops it.
    virtual void AbortInstallation() = 0;
    // Hands a progress report to the copying-files window; false while there is none.
    virtual bool ReportToProgressWindow(int kind, const std::string& text, int value) = 0;
    // Free space of the install drive in units of 1024 bytes, for the free-space label:
    // 0 without a message when the drive cannot be read (the installation's own check
    // reports that), so that a half-typed folder does not end the setup.
    virtual uint64_t InstallDriveFreeSpace() = 0;

    virtual bool FileExists(const std::string& path) const = 0;
    virtual bool FolderExists(const std::string& path) const = 0;
    virtual std::string WindowsFolder() const = 0;
    // The subfolders of the Start menu's Programs folder.
    virtual std::vector<std::string> ProgramGroups(bool allUsers) const = 0;
};

} // namespace cvn
