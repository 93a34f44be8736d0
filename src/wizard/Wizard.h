#pragma once

#include "package/PackageModel.h"
#include "script/InternetCommands.h"
#include "script/PreInstallChecks.h"
#include "wizard/PageRules.h"
#include "wizard/WizardControl.h"
#include "wizard/WizardView.h"

#include <cstdint>
#include <string>

namespace cvn {

class TComponentSelection;
class TConditionEvaluator;
class TInterpreter;
class TLanguages;
class TVariables;

struct TWizardContext {
    TPackage* package = nullptr;
    TVariables* variables = nullptr;
    TInterpreter* interpreter = nullptr;
    TLanguages* languages = nullptr;
    TComponentSelection* selection = nullptr;
    const TConditionEvaluator* conditions = nullptr;
    TStartupFlags flags;
    std::string firstPageName; // empty: the package has no page
    std::string lastPageName;
    TPreInstallFacts facts; // for the checks when the wizard is created
    // The Download command's owner; the wizard is its progress display. Null: no downloads.
    TInternetCommands* internet = nullptr;
    // What the last removal of a previous installation could not remove. Null: none.
    const std::vector<std::string>* notDeleted = nullptr;
};

// The setup wizard without its windows: it moves between the package's pages by name
// and runs each page's four scripts at their moments, performs the wizard commands of
// the scripts, builds pages through the view and binds their controls to variables.
class TWizard {
public:
    TWizard(TWizardContext context, TWizardView& view);
    ~TWizard();
    TWizard(const TWizard&) = delete;
    TWizard& operator=(const TWizard&) = delete;

    // The checks of the PC when the wizard is created (first volume, Windows version,
    // screen, colours, memory); false when one failed and the program is to end.
    bool RunPreInstallChecks();
    // Installs the hooks and shows the first page, or installs at once without pages.
    void StartWizard();
    // Changes to the page; true when it is now shown.
    bool ShowDialog(const std::string& name);
    std::string NextDialogName() const;
    std::string PreviousDialogName() const;
    void ShowSecondaryDialog(const std::string& name);
    void BrowseForVariable(const std::string& variableName);
    void ExecuteWizardCommand(uint8_t code, const std::string& p1, const std::string& p2,
                              const std::string& p3);
    void ReturnFromInstallPage();
    void VariableChanged(const std::string& name, const std::string& value);
    // The close request (the close box, CloseWizard, FinishSetup); true when accepted.
    bool CloseQuery();
    // The installation's progress on the "INSTALL" page: 0 status, 1 detail, 2 position, 3 maximum.
    void ReportProgress(int kind, const std::string& text, int value);
    // The progress sink the installation and a download report through: the
    // copying-files window while it exists, else ReportProgress.
    void Progress(int kind, const std::string& text, int value);
    // The first list box of the target panel with this list name, or null.
    TWizardControl* FindListBox(const std::string& name);

    // Bindings.
    void RefreshControls(TWizardPanel& container, bool init, const std::string& variableName, int role,
                         bool repaintBackground);
    void RefreshControl(TWizardControl& control, bool init, const std::string& variableName, int role,
                        bool filtered);
    void StoreControlValues(TWizardPanel& panel);
    void CheckRadioButtons(TWizardPanel& panel);

    // Builder.
    bool BuildControls(const std::string& prefix, TWizardPanel& parent,
                       const std::vector<TControlDefinition>& controls, bool registerPageAreas);
    TWizardPanel& BuildStylePanel(const std::string& styleName);
    TWizardPanel& GetDialogPanel(const std::string& name, TWizardPanel& container, bool& created);

    const std::string& CurrentDialogName() const { return currentDialogName_; }
    bool Closing() const { return tag_ == 1; }
    bool FinishRequested() const { return finishRequested_; }
    bool SecondaryShowing() const { return secondaryShowing_; }
    bool RemovingPrevious() const { return removingPrevious_; }
    bool Building() const { return building_; }
    TWizardPanel* PagePanel() { return pagePanel_; }
    const TPageAreas& PageAreas() const { return pageAreas_; }
    const std::string& ComponentDescription() const { return componentDescription_; }

private:
    // Runs a script; true when a close statement went through (the caller abandons).
    bool Abandons(const TScript& script);
    std::string Expand(const std::string& text, bool escapeAmpersands = false) const;
    // The full path of a component's picture file; empty without one or when it is missing.
    std::string ComponentPicture(const TComponentRecord& component) const;
    std::string VariableValue(const char* name) const;
    TFontRecord PanelFont(const TDialogDefinition& dialog) const;
    TWizardPanel* TargetPanel();
    void ListOperation(uint8_t code, const std::string& name, const std::string& text);
    void EnableButtons(const std::string& name, bool enabled);
    void RefreshRole(int role);
    void RefreshVariable(const std::string& variableName);
    void ApplyDefinition(TWizardControl& control);
    void FillComponentList(TWizardControl& list);
    void FillProgramGroupList(TWizardControl& list);
    void ComponentsChanged(TWizardControl& list);
    void SyncDirectoryList(TWizardControl& list);
    void SyncDriveCombo(TWizardControl& combo);
    void DirectoryChanged(TWizardControl& list);
    void DriveChanged(TWizardControl& combo);
    std::string NearestExistingFolder(std::string folder) const;
    template <class F> void ForEachRefreshed(F f);

    TWizardContext ctx_;
    TWizardView* view_;
    TPageSequence sequence_;
    std::string currentDialogName_;
    std::string dialogBeforeInstall_;
    const TDialogDefinition* currentDialog_ = nullptr;
    TWizardPanel* pagePanel_ = nullptr;
    TWizardPanel* styleContainer_ = nullptr;
    size_t pageControlCount_ = 0;
    size_t styleControlCount_ = 0;
    bool jumpRequested_ = false;
    bool secondaryShowing_ = false;
    TWizardPanel* secondaryPanel_ = nullptr;
    std::string secondaryCaption_;
    std::string componentDescription_;
    bool folderListScope_ = false;
    bool building_ = false;
    bool finishRequested_ = false;
    bool removingPrevious_ = false;
    TPageAreas pageAreas_;
    TDownloadProgress download_;
    int tag_ = 0;
};

} // namespace cvn
