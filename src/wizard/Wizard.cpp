#include "wizard/Wizard.h"

#include "script/Interpreter.h"
#include "script/Languages.h"
#include "script/VariableList.h"
#include "script/Variables.h"

namespace cvn {

namespace {

constexpr int kMsgCloseSetup = 7;
constexpr int kMsgCloseWhileCopying = 9;
constexpr int kScriptClose = 3;

std::string WithoutTrailingBackslash(std::string path) {
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

} // namespace

TWizard::TWizard(TWizardContext context, TWizardView& view) : ctx_(std::move(context)), view_(&view) {
    sequence_.dialogs = &ctx_.package->dialogs;
    sequence_.firstPage = ctx_.firstPageName;
    sequence_.lastPage = ctx_.lastPageName;
    folderListScope_ = ctx_.variables->AllUsersShellFolders();
    ctx_.variables->Hooks().variableChanged = [this](const std::string& name, const std::string& value) {
        VariableChanged(name, value);
    };
    if (ctx_.internet) {
        download_.reportProgress = [this](int kind, const std::string& text, int value) {
            Progress(kind, text, value);
        };
        ctx_.internet->downloadDisplay = &download_;
    }
}

TWizard::~TWizard() {
    ctx_.variables->Hooks().variableChanged = nullptr;
    TInterpreterHooks& hooks = ctx_.interpreter->Hooks();
    hooks.executeWizardCommand = nullptr;
    hooks.returnFromInstallPage = nullptr;
    hooks.findListBox = nullptr;
    if (ctx_.internet && ctx_.internet->downloadDisplay == &download_)
        ctx_.internet->downloadDisplay = nullptr;
}

bool TWizard::Abandons(const TScript& script) {
    if (ctx_.interpreter->RunScript(script)) return false;
    return VariableValue("%CanClose%") != "0";
}

std::string TWizard::Expand(const std::string& text, bool escapeAmpersands) const {
    return ctx_.variables->ExpandVariables(text, escapeAmpersands);
}

std::string TWizard::VariableValue(const char* name) const {
    const std::string* value = ctx_.variables->Store().Find(name);
    return value ? *value : std::string();
}

TFontRecord TWizard::PanelFont(const TDialogDefinition& dialog) const {
    return ctx_.flags.keepSystemFont ? ctx_.package->Settings().appearance.setupFont : dialog.font;
}

bool TWizard::RunPreInstallChecks() {
    const TCommandPlatform& pc = ctx_.interpreter->Commands().platform;
    // Without the PC's services (tests of other parts) there is nothing to check against.
    if (!pc.messages || !pc.files) return true;
    return TPreInstallChecks(*ctx_.variables, *ctx_.languages, *ctx_.interpreter, *pc.messages, *pc.files)
        .Run(*ctx_.package, ctx_.facts);
}

void TWizard::StartWizard() {
    view_->SetBusyCursor(true);
    TInterpreterHooks& hooks = ctx_.interpreter->Hooks();
    hooks.executeWizardCommand = [this](uint8_t code, const std::string& p1, const std::string& p2,
                                        const std::string& p3) { ExecuteWizardCommand(code, p1, p2, p3); };
    hooks.returnFromInstallPage = [this] { ReturnFromInstallPage(); };
    hooks.findListBox = [this](const std::string& name) -> TScriptListBox* { return FindListBox(name); };

    // The component pictures take the list pictures' indexes 1, 2, 3 ... in package order.
    for (const TComponentRecord& component : ctx_.package->components)
        if (std::string picture = ComponentPicture(component); !picture.empty())
            view_->AddComponentPicture(picture);

    if (!ctx_.firstPageName.empty()) {
        ShowDialog(ctx_.firstPageName);
        if (tag_ != 1) view_->ShowWizard(true);
    } else {
        view_->RunInstallation();
        view_->TerminateApplication();
    }
    view_->SetBusyCursor(false);
}

std::string TWizard::NextDialogName() const {
    return sequence_.NextDialogName(currentDialogName_, dialogBeforeInstall_);
}

std::string TWizard::PreviousDialogName() const {
    return sequence_.PreviousDialogName(currentDialogName_, dialogBeforeInstall_);
}

bool TWizard::ShowDialog(const std::string& name) {
    if (name.empty()) {
        view_->ShowWizard(false);
        return false;
    }
    if (name == currentDialogName_) return false;
    const TDialogDefinition* dialog = FindDialog(ctx_.package->dialogs, name);
    if (!dialog || dialog->outOfSequence != 0) return false;
    jumpRequested_ = false;

    if (currentDialog_ && pagePanel_) {
        if (Abandons(currentDialog_->leaveScript)) return false;
        if (jumpRequested_) return false;
        StoreControlValues(*pagePanel_);
    }
    if (EqualsNoCase(name, "INSTALL")) dialogBeforeInstall_ = currentDialogName_;

    view_->SetBusyCursor(true);
    currentDialog_ = dialog;
    currentDialogName_ = name;
    ctx_.interpreter->PendingDialog() = name;
    view_->ShowWizard(false);

    auto stop = [this] {
        view_->SetBusyCursor(false);
        return false;
    };
    if (Abandons(dialog->beforeBuildScript) || jumpRequested_) return stop();

    view_->FitClientSize(dialog->width, dialog->height);
    styleContainer_ = &BuildStylePanel(dialog->styleName);
    bool created = false;
    pagePanel_ = &GetDialogPanel(CleanDialogName(name), *styleContainer_, created);
    view_->SetCaption(Expand(dialog->caption, true));
    componentDescription_.clear();
    building_ = true;
    if (created) {
        pagePanel_->SetFont(PanelFont(*dialog));
        if (styleContainer_ == &view_->Form()) {
            pagePanel_->SetBounds(0, 0, dialog->width, dialog->height);
        } else {
            TPageArea area = pageAreas_.Find("Style_" + CleanDialogName(dialog->styleName));
            pagePanel_->SetBounds(area.left, area.top, area.width, area.height);
        }
        BuildControls(CleanDialogName(name), *pagePanel_, dialog->controls, false);
        pageControlCount_ = pagePanel_->controls.size();
        styleControlCount_ = styleContainer_->controls.size();
    } else {
        pageControlCount_ = pagePanel_->controls.size();
        styleControlCount_ = styleContainer_->controls.size();
        RefreshControls(*pagePanel_, true, {}, 0, false);
    }
    CheckRadioButtons(*pagePanel_);
    building_ = false;

    const bool built = ctx_.interpreter->RunScript(dialog->afterBuildScript);
    if (!built && VariableValue("%CanClose%") != "0") return stop();
    // A jump from the after-build script has shown its own page already.
    if (currentDialog_ != dialog) return stop();
    pagePanel_->SetVisible(true);
    view_->ShowWizard(true);
    if (view_->WizardVisible()) view_->FocusFirstControl(*pagePanel_);
    ctx_.interpreter->RunScript(dialog->afterShowScript);
    view_->SetBusyCursor(false);
    return true;
}

void TWizard::ReturnFromInstallPage() {
    if (tag_ == 1) return;
    if (EqualsNoCase(currentDialogName_, "INSTALL")) ShowDialog(dialogBeforeInstall_);
}

TWizardPanel* TWizard::TargetPanel() {
    if (secondaryShowing_) return secondaryPanel_;
    if (currentDialogName_.empty()) return nullptr;
    return pagePanel_;
}

void TWizard::ExecuteWizardCommand(uint8_t code, const std::string& p1, const std::string& p2,
                                   const std::string& p3) {
    if (tag_ == 1) return;
    switch (code) {
    case 15: // CloseWizard
        // A removal script that closes ends the setup as finished: the user was not
        // asked to leave, and what was removed cannot be brought back by asking now.
        if (removingPrevious_) {
            finishRequested_ = true;
            CloseQuery();
            return;
        }
        if (secondaryShowing_) {
            view_->CancelSecondary();
            return;
        }
        finishRequested_ = false;
        CloseQuery();
        return;
    case 16:
        ShowDialog(NextDialogName());
        return;
    case 17:
        ShowDialog(PreviousDialogName());
        return;
    case 18:
        ShowDialog(p1);
        jumpRequested_ = true;
        return;
    case 19:
        ShowSecondaryDialog(p1);
        return;
    case 20:
        BrowseForVariable(p1);
        return;
    case 23:
        view_->RunInstallation();
        return;
    case 58: { // RemovePreviousInstall
        const std::string page = currentDialogName_;
        removingPrevious_ = true;
        view_->RemovePreviousInstallation(p1, Expand(p2), Expand(p3));
        removingPrevious_ = false;
        // Progress may have taken the "INSTALL" page; the page of before comes back.
        if (tag_ != 1 && !page.empty() && currentDialogName_ != page) ShowDialog(page);
        return;
    }
    case 25: // FinishSetup
        finishRequested_ = true;
        CloseQuery();
        return;
    case 60: // ShowWizard
        if (secondaryShowing_ && secondaryPanel_) {
            secondaryPanel_->Repaint();
        } else if (pagePanel_) {
            view_->ShowWizard(true);
            pagePanel_->Repaint();
        }
        return;
    default:
        break;
    }
    TWizardPanel* target = TargetPanel();
    if (!target) return;
    switch (code) {
    case 21:
        RefreshControls(*target, p1 == "1", {}, 0, p2 == "1");
        return;
    case 22:
        StoreControlValues(*target);
        return;
    case 33:
        ListOperation(code, Expand(p1), Expand(p2));
        return;
    case 34:
    case 93:
        ListOperation(code, Expand(p1), Expand(p2));
        return;
    case 91:
    case 92:
    case 99:
    case 100:
        ListOperation(code, Expand(p1), {});
        return;
    case 101:
    case 102:
        EnableButtons(Expand(p1), code == 101);
        return;
    default:
        return;
    }
}

void TWizard::EnableButtons(const std::string& name, bool enabled) {
    for (auto& c : TargetPanel()->controls)
        if (c->Class() == TControlClass::Button && EqualsNoCase(c->ButtonName(), name))
            c->SetEnabled(enabled);
}

TWizardControl* TWizard::FindListBox(const std::string& name) {
    TWizardPanel* target = TargetPanel();
    if (!target) return nullptr;
    for (auto& c : target->controls)
        if (c->Class() == TControlClass::ListBox && EqualsNoCase(c->ListName(), name)) return c.get();
    return nullptr;
}

void TWizard::ShowSecondaryDialog(const std::string& name) {
    const TDialogDefinition* dialog = FindDialog(ctx_.package->dialogs, name);
    if (!dialog) return;
    view_->SetBusyCursor(true);
    struct TCursor {
        TWizardView* view;
        ~TCursor() { view->SetBusyCursor(false); }
    } cursor{view_};

    TWizardPanel& panel = view_->OpenSecondary(Expand(dialog->caption, true), dialog->width, dialog->height,
                                               PanelFont(*dialog));
    secondaryShowing_ = true;
    secondaryPanel_ = &panel;
    if (Abandons(dialog->beforeBuildScript)) return;
    componentDescription_.clear();
    secondaryCaption_ = dialog->caption;
    building_ = true;
    BuildControls(CleanDialogName(dialog->name), panel, dialog->controls, false);
    building_ = false;
    if (Abandons(dialog->afterBuildScript)) return;
    CheckRadioButtons(panel);
    const TScript afterShow = dialog->afterShowScript;
    const bool aborted = view_->ShowSecondaryModal([this, afterShow] { return Abandons(afterShow); });
    // After abort the program is closing: the window stays as it is until the end.
    if (aborted) return;
    if (Abandons(dialog->leaveScript)) return;
    StoreControlValues(panel);
    secondaryShowing_ = false;
    secondaryPanel_ = nullptr;
    view_->FreeSecondary();
}

std::string TWizard::NearestExistingFolder(std::string folder) const {
    folder = WithoutTrailingBackslash(folder);
    // A bare "E:" would name the current folder of that drive: the drive's root is meant.
    auto asFolder = [](const std::string& f) { return f.size() == 2 && f[1] == ':' ? f + "\\" : f; };
    while (!view_->FolderExists(asFolder(folder))) {
        size_t cut = folder.find_last_of('\\');
        std::string parent =
            cut == std::string::npos ? std::string() : WithoutTrailingBackslash(folder.substr(0, cut));
        if (parent.empty() || parent == folder) return view_->WindowsFolder();
        folder = parent;
    }
    return asFolder(folder);
}

void TWizard::BrowseForVariable(const std::string& variableName) {
    const std::string value = Expand(variableName);
    const std::string start = NearestExistingFolder(value);
    if (auto chosen = view_->BrowseForFolder(start, value))
        ctx_.variables->SetVariable(variableName, WithoutTrailingBackslash(*chosen));
}

void TWizard::VariableChanged(const std::string& name, const std::string&) {
    // The refreshes below must not read the changes they make as the user's.
    const bool wasBuilding = building_;
    building_ = true;
    if (EqualsNoCase(name, "%INSTALLDIR%")) {
        for (int role : {7, 6, 15, 16})
            RefreshRole(role);
    } else if (EqualsNoCase(name, "%PROGRAMGROUP%")) {
        RefreshRole(3);
    } else if (EqualsNoCase(name, "%COMMONSHELLFOLDERS%")) {
        RefreshRole(2);
    } else if (ctx_.variables->IsFolderVariable(name)) {
        RefreshVariable(name);
    }
    building_ = wasBuilding;
}

void TWizard::RefreshRole(int role) {
    if (pagePanel_) RefreshControls(*pagePanel_, false, {}, role, false);
}

void TWizard::RefreshVariable(const std::string& variableName) {
    if (pagePanel_) RefreshControls(*pagePanel_, false, variableName, 0, false);
}

bool TWizard::CloseQuery() {
    if (tag_ == 1) return true;
    bool accept = false;
    if (view_->InstallationRunning()) {
        if (view_->InstallationAborted()) {
            tag_ = 1;
            return true;
        }
        accept = finishRequested_ || view_->AskYesNo(ctx_.languages->Text(kMsgCloseWhileCopying));
    } else {
        // Over a background window a hidden wizard shows no page to lose: its close is not asked.
        accept = (view_->HasBackgroundWindow() && !view_->WizardVisible()) ||
                 (!currentDialogName_.empty() && currentDialogName_ == ctx_.lastPageName) ||
                 finishRequested_ || view_->AskYesNo(ctx_.languages->Text(kMsgCloseSetup));
    }
    if (!accept) return false;

    ctx_.variables->SetVariable("%CanClose%", "1");
    // %IsFinishingSetup% is read-only for scripts, so it goes into the store directly.
    ctx_.variables->Store().SetValue("%IsFinishingSetup%", finishRequested_ ? "1" : "0");
    ctx_.interpreter->RunScript(ctx_.package->eventScripts[kScriptClose]);
    if (VariableValue("%CanClose%") == "0") {
        finishRequested_ = false;
        tag_ = 0;
        return false;
    }
    tag_ = 1;
    if (view_->InstallationRunning()) view_->AbortInstallation();
    // A download in progress holds the program in its wait; the accepted close ends it
    // (its partial file is removed) so that the application can terminate.
    if (ctx_.internet) ctx_.internet->AbortDownload();
    // A background window's close runs the close script only, not the page's leave script.
    if (currentDialog_ && !view_->HasBackgroundWindow())
        ctx_.interpreter->RunScript(currentDialog_->leaveScript);
    if (VariableValue("%DoReboot%") == "1" && finishRequested_) view_->RestartComputer();
    view_->TerminateApplication();
    return true;
}

void TWizard::Progress(int kind, const std::string& text, int value) {
    if (!view_->ReportToProgressWindow(kind, text, value)) ReportProgress(kind, text, value);
}

void TWizard::ReportProgress(int kind, const std::string& text, int value) {
    if (!pagePanel_) return;
    for (size_t i = 0; i < pageControlCount_ && i < pagePanel_->controls.size(); ++i) {
        TWizardControl& c = *pagePanel_->controls[i];
        if (c.Class() == TControlClass::Label &&
            ((kind == 0 && c.Role() == 13) || (kind == 1 && c.Role() == 14))) {
            c.SetText(text);
            c.Repaint();
        } else if (c.Class() == TControlClass::Progress) {
            if (kind == 2) c.SetProgress(value);
            if (kind == 3) c.SetProgressMaximum(value);
        }
    }
}

} // namespace cvn
