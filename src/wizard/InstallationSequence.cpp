#include "wizard/InstallationSequence.h"

#include "script/Interpreter.h"
#include "script/Languages.h"
#include "script/Selection.h"
#include "script/SelectionQueries.h"
#include "script/Variables.h"

namespace cvn {

namespace {

constexpr int kMsgCloseWhileCopying = 9;
constexpr int kMsgCannotReadDrive = 12;
constexpr int kMsgNoSpace = 13;
constexpr int kScriptBeforeCopy = 1;
constexpr int kScriptAfterCopy = 2;
constexpr int kScriptClose = 3;
constexpr int kScriptError = 4;

} // namespace

std::string DrivePartOf(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    if (path.rfind("\\\\", 0) == 0) {
        size_t server = path.find('\\', 2);
        if (server == std::string::npos) return {};
        size_t share = path.find('\\', server + 1);
        return path.substr(0, share);
    }
    return {};
}

std::string InstallDriveName(const std::string& path) {
    std::string drive = DrivePartOf(path);
    if (drive.size() == 2) return drive.substr(0, 1);
    return drive.empty() ? path.substr(0, 1) : drive;
}

TInstallationSequence::TInstallationSequence(TInstallationSequenceContext context, TInstallationView& view)
    : ctx_(std::move(context)), view_(view) {}

std::string TInstallationSequence::Variable(const char* name) const {
    const std::string* value = ctx_.variables->Store().Find(name);
    return value ? *value : std::string();
}

void TInstallationSequence::SetCanCloseFlags(bool finishing) {
    ctx_.variables->SetVariable("%CanClose%", "1");
    // %IsFinishingSetup% is read-only for scripts, so it goes into the store directly.
    ctx_.variables->Store().SetValue("%IsFinishingSetup%", finishing ? "1" : "0");
}

bool TInstallationSequence::RunEventScriptAbandons(int list) {
    const TScript& script = ctx_.package->eventScripts[size_t(list)];
    if (ctx_.interpreter->RunScript(script)) return false;
    return Variable("%CanClose%") != "0";
}

uint64_t TInstallationSequence::InstallDriveFreeSpace() {
    const std::string installDir = ctx_.variables->ExpandVariables("%InstallDir%");
    uint64_t kb = 0;
    if (view_.DriveFreeKilobytes(DrivePartOf(installDir), kb)) return kb;

    view_.ShowError(ctx_.languages->Text(kMsgCannotReadDrive, {{"<drive>", InstallDriveName(installDir)}}));
    SetCanCloseFlags(false);
    ctx_.variables->SetVariable("%ErrorCode%", "8");
    ctx_.interpreter->RunScript(ctx_.package->eventScripts[kScriptError]);
    if (Variable("%CanClose%") != "0") terminated_ = true;
    return 0;
}

void TInstallationSequence::EndRun() {
    view_.EndEngine();
    steps_ = nullptr;
    busy_ = false;
    ctx_.interpreter->SetBusy(false);
}

// Started from a removable volume that has been taken out: the setup file must come
// back before the rest of the run can read from it.
void TInstallationSequence::AskForSetupVolume() {
    while (!steps_->Aborted() && !terminated_ && !view_.FileExists(ctx_.setupPath)) {
        const TNextDiskPrompt prompt = NextDiskPrompt(
            *ctx_.languages, 1, ctx_.setupPath.substr(0, ctx_.setupPath.find_last_of('\\') + 1));
        std::string folder;
        if (view_.AskNextDisk(prompt, folder)) break;
        CloseRequest();
    }
}

void TInstallationSequence::RunInstallation() {
    if (installed_ || busy_) return;

    // Sizes are compared in kilobytes as the package states them (divided by 1000).
    const uint64_t freeSpace = InstallDriveFreeSpace();
    if (terminated_) return;
    TSelectionQueries queries(*ctx_.package, *ctx_.selection, *ctx_.conditions);
    if (freeSpace < queries.SelectedSize() / 1000) {
        const std::string letter = InstallDriveName(ctx_.variables->ExpandVariables("%InstallDir%"));
        view_.ShowError(ctx_.languages->Text(kMsgNoSpace, {{"<drive>", letter}}));
        terminated_ = true;
        return;
    }

    busy_ = true;
    ctx_.interpreter->SetBusy(true);
    steps_ = &view_.StartEngine();
    // The "INSTALL" page shows progress when the package has one; the wizard brings it.
    const bool progressOnPage = ctx_.showInstallPage && ctx_.showInstallPage();
    view_.ShowProgress(progressOnPage);
    view_.ProcessMessages();
    steps_->ShowBillboard(0);

    if (RunEventScriptAbandons(kScriptBeforeCopy) || terminated_) {
        EndRun();
        return;
    }

    const bool maintenance = ctx_.selection->MaintenanceMode();
    if (maintenance && ctx_.computeAddedComponents) ctx_.computeAddedComponents();
    steps_->InstallFiles();
    AskForSetupVolume();
    steps_->CreateShortcuts();
    steps_->WriteRegistry();
    if (maintenance) steps_->RemoveDeselectedComponents(100);
    if (!ctx_.flags.removeDeviceFiles && ctx_.flags.writeUninstallData) steps_->WriteUninstallData();
    steps_->FreeBillboardWindow();

    if (steps_->HasAppManagerArgs()) {
        view_.HideWindows(progressOnPage);
        steps_->RunAppManager();
        view_.RestoreBackground();
    }
    // A device-only install leaves nothing on the PC, whether or not a manager took the files.
    if (ctx_.flags.removeDeviceFiles) steps_->DeleteCarrierFiles();

    if (!steps_->Aborted() && !terminated_) {
        if (RunEventScriptAbandons(kScriptAfterCopy)) {
            EndRun();
            return;
        }
        view_.ShowWizardAgain(progressOnPage);
    }
    const bool completed = !steps_->Aborted() && !terminated_;
    EndRun();
    // An aborted run is not a completed installation: a later Install statement may try again.
    installed_ = completed;
}

bool TInstallationSequence::CloseRequest() {
    if (terminated_) return true;
    if (ctx_.closeRequest) return ctx_.closeRequest();
    if (steps_) {
        if (steps_->Aborted()) return true;
        if (!view_.Confirm(ctx_.languages->Text(kMsgCloseWhileCopying))) return false;
    }
    // The archive pass is stopped only once the close script has let the close go
    // through; a script that keeps the setup running leaves the copy going.
    SetCanCloseFlags(false);
    closeScriptRun_ = true;
    ctx_.interpreter->RunScript(ctx_.package->eventScripts[kScriptClose]);
    if (Variable("%CanClose%") == "0") {
        closeScriptRun_ = false;
        return false;
    }
    if (steps_) steps_->Abort();
    if (ctx_.abortDownload) ctx_.abortDownload();
    terminated_ = true;
    return true;
}

void TInstallationSequence::FinishSetup() {
    if (closeScriptRun_) return;
    closeScriptRun_ = true;
    SetCanCloseFlags(true);
    // With no page to stay on, a close script that sets %CanClose% to "0" cannot keep
    // the setup open: the program ends either way, without the restart.
    ctx_.interpreter->RunScript(ctx_.package->eventScripts[kScriptClose]);
    if (Variable("%CanClose%") != "0" && Variable("%DoReboot%") == "1") view_.Reboot();
}

bool TInstallationSequence::BeginOtherRun() {
    if (busy_) return false;
    busy_ = true;
    ctx_.interpreter->SetBusy(true);
    return true;
}

void TInstallationSequence::EndOtherRun() {
    ctx_.interpreter->SetBusy(false);
    busy_ = false;
}

void TInstallationSequence::Terminate() {
    terminated_ = true;
    if (steps_) steps_->Abort();
}

} // namespace cvn
