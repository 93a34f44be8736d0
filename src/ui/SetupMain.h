#pragma once

#include "ui/Form.h"
#include "ui/InstallationRun.h"
#include "ui/SecondaryDialog.h"
#include "ui/WizardControls.h"
#include "wizard/Wizard.h"

#include <memory>

namespace cvn {

class TfrmBackWindow;

// The setup's main window: the package's pages are built on it at run time and its
// rules live in TWizard; this form is the wizard's windows.
class TfrmSetupMain final : public TForm, public TWizardView {
public:
    TfrmSetupMain(TWizardContext wizard, TInstallationRunContext installation);
    ~TfrmSetupMain() override;

    // With a background window the wizard is owned by it and sends it its close requests.
    bool Create(TfrmBackWindow* backWindow = nullptr);
    void StartWizard() { wizard_->StartWizard(); }
    TWizard& Wizard() { return *wizard_; }
    TInstallationRun& Installation() { return *installation_; }

    // TWizardView
    TWizardPanel& Form() override { return *formContainer_; }
    std::unique_ptr<TWizardPanel> CreatePanel(TWizardPanel& container, const std::string& name) override;
    void AddComponentPicture(const std::string& path) override;
    std::unique_ptr<TWizardControl> CreateControl(TWizardPanel& parent, TControlClass cls,
                                                  const TControlDefinition& definition) override;
    void ShowControl(TWizardControl& control) override;
    void SetBusyCursor(bool busy) override;
    void ShowWizard(bool show) override;
    bool WizardVisible() const override;
    void SetCaption(const std::string& caption) override { TForm::SetCaption(caption); }
    void SetApplicationTitle(const std::string& title) override;
    void RefreshBackground(const std::string& caption, bool repaint) override;
    bool HasBackgroundWindow() const override { return backWindow_ != nullptr; }
    void FitClientSize(int width, int height) override;
    void FocusFirstControl(TWizardPanel& panel) override;
    bool AskYesNo(const std::string& text) override;
    void TerminateApplication() override;
    void RestartComputer() override;
    TWizardPanel& OpenSecondary(const std::string& caption, int width, int height,
                                const TFontRecord& font) override;
    void SetSecondaryCaption(const std::string& caption) override;
    bool ShowSecondaryModal(std::function<bool()> firstPaint) override;
    void CancelSecondary() override;
    void FreeSecondary() override;
    std::optional<std::string> BrowseForFolder(const std::string& startFolder,
                                               const std::string& text) override;
    void RunInstallation() override;
    void RemovePreviousInstallation(const std::string& resultVariable, const std::string& softwareName,
                                    const std::string& companyName) override;
    bool InstallationRunning() const override;
    bool InstallationAborted() const override;
    void AbortInstallation() override;
    bool ReportToProgressWindow(int kind, const std::string& text, int value) override;
    uint64_t InstallDriveFreeSpace() override;
    bool FileExists(const std::string& path) const override;
    bool FolderExists(const std::string& path) const override;
    std::string WindowsFolder() const override;
    std::vector<std::string> ProgramGroups(bool allUsers) const override;

protected:
    void FormCloseQuery(bool& canClose) override;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;

private:
    TWizardContext wizardContext_;
    TInstallationRunContext installationContext_;
    std::unique_ptr<TFormContainer> formContainer_;
    std::unique_ptr<TfrmSecondaryDialog> secondary_;
    std::unique_ptr<TInstallationRun> installation_;
    TListPictures listPictures_;
    std::unique_ptr<TWizard> wizard_;
    TfrmBackWindow* backWindow_ = nullptr;
};

} // namespace cvn
