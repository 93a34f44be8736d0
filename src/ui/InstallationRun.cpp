#include "ui/InstallationRun.h"

#include "install/FileFacts.h"
#include "install/InstallPlatform.h"
#include "install/Reboot.h"
#include "script/Interpreter.h"
#include "script/Languages.h"
#include "script/Selection.h"
#include "script/SelectionQueries.h"
#include "script/VariableList.h"
#include "script/Variables.h"
#include "ui/Application.h"
#include "ui/InstallationRunBillboard.h"
#include "ui/MsgBoxFiles.h"
#include "ui/NeedDisk.h"

namespace cvn {

namespace {

constexpr int kMsgCancel = 1;
constexpr int kMsgCloseWhileCopying = 9;
constexpr int kMsgCannotReadDrive = 12;
constexpr int kMsgNoSpace = 13;
constexpr int kMsgUninstalling = 38;
constexpr int kMsgUninstallingComponents = 59;
constexpr int kScriptBeforeCopy = 1;
constexpr int kScriptAfterCopy = 2;
constexpr int kScriptClose = 3;
constexpr int kScriptError = 4;

// The drive part of a path: "C:" for a drive letter, "\\server\share" for a network
// path; empty when it has none.
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

TOverwriteAnswer AnswerOf(int modalResult) {
    switch (modalResult) {
    case mrYes:
        return TOverwriteAnswer::Yes;
    case mrYesToAll:
        return TOverwriteAnswer::YesToAll;
    case mrNo:
        return TOverwriteAnswer::No;
    case mrNoToAll:
        return TOverwriteAnswer::NoToAll;
    default:
        return TOverwriteAnswer::Cancel;
    }
}

} // namespace

std::string InstallDriveName(const std::string& path) {
    std::string drive = DrivePartOf(path);
    if (drive.size() == 2) return drive.substr(0, 1);
    return drive.empty() ? path.substr(0, 1) : drive;
}

TInstallationRun::TInstallationRun(TInstallationRunContext context) : ctx_(std::move(context)) {
    ctx_.engine.ui = this;
    if (ctx_.internet) {
        download_.reportProgress = [this](int kind, const std::string& text, int value) {
            if (progressWindow_) progressWindow_->Progress(kind, text, value);
        };
        ctx_.internet->downloadDisplay = &download_;
    }
}

TInstallationRun::~TInstallationRun() {
    if (ctx_.internet && ctx_.internet->downloadDisplay == &download_)
        ctx_.internet->downloadDisplay = nullptr;
}

std::string TInstallationRun::Variable(const char* name) const {
    const std::string* value = ctx_.engine.variables->Store().Find(name);
    return value ? *value : std::string();
}

void TInstallationRun::SetCanCloseFlags(bool finishing) {
    ctx_.engine.variables->SetVariable("%CanClose%", "1");
    // %IsFinishingSetup% is read-only for scripts, so it goes into the store directly.
    ctx_.engine.variables->Store().SetValue("%IsFinishingSetup%", finishing ? "1" : "0");
}

bool TInstallationRun::RunEventScriptAbandons(int list) {
    const TScript& script = ctx_.engine.package->eventScripts[size_t(list)];
    if (ctx_.interpreter->RunScript(script)) return false;
    return Variable("%CanClose%") != "0";
}

HWND TInstallationRun::Owner() const {
    if (ctx_.wizard && IsWindowVisible(ctx_.wizard)) return ctx_.wizard;
    if (progressWindow_ && progressWindow_->Visible()) return progressWindow_->Handle();
    return TApplication::Instance().ActiveOwner();
}

TFontSpec TInstallationRun::DialogFont() const {
    // With "keep system font" the windows keep their own font.
    if (ctx_.flags.keepSystemFont) return TFontSpec{};
    return FontSpecFromRecord(ctx_.engine.package->Settings().appearance.setupFont);
}

uint64_t TInstallationRun::InstallDriveFreeSpace() {
    std::string installDir = ctx_.engine.variables->ExpandVariables("%InstallDir%");
    const std::string drive = DrivePartOf(installDir);
    uint64_t kb = 0;
    if (drive.size() == 2 && GetDriveFreeKB(drive[0], kb)) return kb;
    // A network path has no letter: its share's root answers the same query.
    DWORD bytesPerSector = 0, sectorsPerCluster = 0, freeClusters = 0, totalClusters = 0;
    if (drive.size() > 2 && GetDiskFreeSpaceA((drive + "\\").c_str(), &sectorsPerCluster, &bytesPerSector,
                                              &freeClusters, &totalClusters))
        return FreeKilobytes(bytesPerSector, sectorsPerCluster, freeClusters);

    const std::string letter = InstallDriveName(installDir);
    TApplication::Instance().ShowMessage(
        ctx_.engine.languages->Text(kMsgCannotReadDrive, {{"<drive>", letter}}), MB_OK | MB_ICONERROR,
        Owner());
    SetCanCloseFlags(false);
    ctx_.engine.variables->SetVariable("%ErrorCode%", "8");
    ctx_.interpreter->RunScript(ctx_.engine.package->eventScripts[kScriptError]);
    if (Variable("%CanClose%") != "0") terminated_ = true;
    return 0;
}

void TInstallationRun::CreateProgressWindow() {
    progressWindow_ = std::make_unique<TfrmCopyingFiles>();
    // Without a wizard the window belongs to the application (there is no background window yet).
    HWND owner = ctx_.wizard ? ctx_.wizard : TApplication::Instance().Handle();
    if (!progressWindow_->Create(owner, DialogFont())) {
        progressWindow_.reset();
        return;
    }
    progressWindow_->SetCaption(TApplication::Instance().Title());
    progressWindow_->SetCancelCaption(ctx_.engine.languages->Text(kMsgCancel));
    progressWindow_->OnCancel = [this] { CloseRequest(); };
    // Over a background window the progress window stays on top of it.
    if (ctx_.backWindow) progressWindow_->SetTopMost(true);
    const bool billboards = !ctx_.engine.package->billboards.empty();
    progressWindow_->CentreOnScreen(true, !billboards);
    if (billboards)
        progressWindow_->SetPosition(progressWindow_->Left(),
                                     GetSystemMetrics(SM_CYSCREEN) - progressWindow_->Height() - 48);
    engine_->SetProgressTop(progressWindow_->Top());
    engine_->OnInstallProgress.Bind([this](TCorvaneInstall&, int kind, const std::string& text, int value) {
        if (progressWindow_) progressWindow_->Progress(kind, text, value);
    });
    if (ctx_.wizard) ShowWindow(ctx_.wizard, SW_HIDE);
    progressWindow_->Show();
    progressWindow_->Repaint();
    if (onProgressWindowShown) onProgressWindowShown(*progressWindow_);
}

void TInstallationRun::RemovePreviousInstallation(const std::string& resultVariable,
                                                  const std::string& softwareName,
                                                  const std::string& companyName) {
    if (!ctx_.maintenance || busy_) return;
    busy_ = true;
    ctx_.interpreter->SetBusy(true);
    TApplication::Instance().SetBusyCursor(true);
    const TSettingsRecord& settings = ctx_.engine.package->Settings();
    const bool own = softwareName == settings.softwareName && companyName == settings.companyName;

    std::unique_ptr<TfrmCopyingFiles> window;
    const bool onPage = ctx_.showInstallPage && ctx_.showInstallPage();
    auto report = [&](int kind, const std::string& text, int value) {
        if (window)
            window->Progress(kind, text, value);
        else if (onPage && ctx_.reportProgress)
            ctx_.reportProgress(kind, text, value);
    };
    if (!onPage) {
        window = std::make_unique<TfrmCopyingFiles>();
        if (window->Create(ctx_.wizard ? ctx_.wizard : TApplication::Instance().Handle(), DialogFont())) {
            window->SetCaption(TApplication::Instance().Title());
            window->SetCancelCaption(
                ctx_.engine.languages->Text(own ? kMsgCancel : kMsgUninstallingComponents));
            window->SetCancelEnabled(false);
            if (ctx_.backWindow) window->SetTopMost(true);
            window->CentreOnScreen(true, true);
            if (ctx_.wizard) ShowWindow(ctx_.wizard, SW_HIDE);
            window->Show();
            window->Repaint();
        } else {
            window.reset();
        }
    }
    report(ipStatus, ctx_.engine.languages->Text(kMsgUninstalling), 0);
    report(ipDetail, {}, 0);
    report(ipPosition, {}, 0);
    ProcessMessages();

    TMaintenance::TProductRemoval removal;
    removal.runScript = [this](const TScript& script) {
        return ctx_.interpreter->RunScript(script) || Variable("%CanClose%") == "0";
    };
    removal.started = [&](int total) { report(ipMaximum, {}, total); };
    removal.progress = [&](int done) { report(ipPosition, {}, done); };
    removal.processMessages = [this] { ProcessMessages(); };
    ctx_.maintenance->RemoveProduct(resultVariable, softwareName, companyName, removal);

    if (window) {
        window.reset();
        if (ctx_.wizard) ShowWindow(ctx_.wizard, SW_SHOW);
    }
    TApplication::Instance().SetBusyCursor(false);
    ctx_.interpreter->SetBusy(false);
    busy_ = false;
}

void TInstallationRun::EndRun() {
    progressWindow_.reset();
    engine_.reset();
    busy_ = false;
    ctx_.interpreter->SetBusy(false);
    TApplication::Instance().SetBusyCursor(false);
}

void TInstallationRun::RunInstallation() {
    if (installed_ || busy_) return;

    // Sizes are compared in kilobytes as the package states them (divided by 1000).
    const uint64_t freeSpace = InstallDriveFreeSpace();
    if (terminated_) return;
    TSelectionQueries queries(*ctx_.engine.package, *ctx_.engine.selection, *ctx_.engine.conditions);
    if (freeSpace < queries.SelectedSize() / 1000) {
        const std::string letter = InstallDriveName(ctx_.engine.variables->ExpandVariables("%InstallDir%"));
        TApplication::Instance().ShowMessage(ctx_.engine.languages->Text(kMsgNoSpace, {{"<drive>", letter}}),
                                             MB_OK | MB_ICONERROR, Owner());
        terminated_ = true;
        return;
    }

    TApplication::Instance().SetBusyCursor(true);
    busy_ = true;
    ctx_.interpreter->SetBusy(true);
    engine_ = std::make_unique<TCorvaneInstall>(ctx_.engine);

    // The "INSTALL" page shows progress when the package has one; the wizard brings it.
    progressOnPage_ = ctx_.showInstallPage && ctx_.showInstallPage();
    if (progressOnPage_) {
        engine_->OnInstallProgress.Bind(
            [this](TCorvaneInstall&, int kind, const std::string& text, int value) {
                if (ctx_.reportProgress) ctx_.reportProgress(kind, text, value);
            });
        if (ctx_.reportProgress) {
            ctx_.reportProgress(ipMaximum, {}, 100);
            ctx_.reportProgress(ipPosition, {}, 0);
        }
        if (ctx_.wizard) {
            RECT r{};
            GetWindowRect(ctx_.wizard, &r);
            if (!ctx_.engine.package->billboards.empty()) {
                // Billboards go above the wizard, which moves down near the bottom of the screen.
                const int width = r.right - r.left, height = r.bottom - r.top;
                r.left = GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2;
                r.top = GetSystemMetrics(SM_CYSCREEN) - height - 48;
                SetWindowPos(ctx_.wizard, nullptr, r.left, r.top, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            engine_->SetProgressTop(r.top);
        }
    } else {
        CreateProgressWindow();
    }

    ProcessMessages();
    engine_->ShowBillboard(0);

    if (RunEventScriptAbandons(kScriptBeforeCopy) || terminated_) {
        EndRun();
        return;
    }

    if (ctx_.engine.selection->MaintenanceMode() && ctx_.computeAddedComponents)
        ctx_.computeAddedComponents();
    engine_->InstallFiles();

    // Started from a removable volume that has been taken out: the setup file must
    // come back before the rest of the run can read from it.
    while (!engine_->Aborted() && !terminated_ &&
           GetFileAttributesA(ctx_.engine.setupPath.c_str()) == INVALID_FILE_ATTRIBUTES) {
        TNextDiskPrompt prompt;
        prompt.disk = 1;
        prompt.caption = ctx_.engine.languages->Text(50);
        prompt.message = ctx_.engine.languages->Text(51, {{"<disk>", "1"}}, true);
        prompt.pathLabel = ctx_.engine.languages->Text(52);
        prompt.browse = ctx_.engine.languages->Text(57);
        prompt.ok = ctx_.engine.languages->Text(0);
        prompt.cancel = ctx_.engine.languages->Text(1);
        prompt.notFoundText = ctx_.engine.languages->Text(20);
        prompt.directoryCaption = ctx_.engine.languages->Text(46);
        prompt.directoryLabel = ctx_.engine.languages->Text(47);
        prompt.directoriesLabel = ctx_.engine.languages->Text(48);
        prompt.drivesLabel = ctx_.engine.languages->Text(49);
        const std::string& setup = ctx_.engine.setupPath;
        prompt.folder = setup.substr(0, setup.find_last_of('\\') + 1);
        std::string folder;
        if (AskNextDisk(prompt, folder)) break;
        CloseRequest();
    }

    engine_->CreateShortcuts();
    engine_->WriteRegistry();
    if (ctx_.engine.selection->MaintenanceMode()) engine_->RemoveDeselectedComponents(100);
    if (!ctx_.flags.removeDeviceFiles && ctx_.flags.writeUninstallData) engine_->WriteUninstallData();
    engine_->FreeBillboardWindow();

    if (!engine_->GetAppManagerArgs().empty()) {
        if (progressOnPage_ && ctx_.wizard) ShowWindow(ctx_.wizard, SW_HIDE);
        if (progressWindow_) progressWindow_->Hide();
        if (ctx_.backWindow) ShowWindow(ctx_.backWindow, SW_HIDE);
        engine_->RunAppManager();
        if (ctx_.backWindow && !IsWindowVisible(ctx_.backWindow)) ShowWindow(ctx_.backWindow, SW_SHOW);
        if (ctx_.flags.removeDeviceFiles) engine_->DeleteCarrierFiles();
    }

    if (!engine_->Aborted() && !terminated_) {
        if (RunEventScriptAbandons(kScriptAfterCopy)) {
            EndRun();
            return;
        }
        if (ctx_.wizard) {
            if (progressOnPage_ && !ctx_.engine.package->billboards.empty()) {
                RECT r{};
                GetWindowRect(ctx_.wizard, &r);
                SetWindowPos(ctx_.wizard, nullptr, GetSystemMetrics(SM_CXSCREEN) / 2 - (r.right - r.left) / 2,
                             GetSystemMetrics(SM_CYSCREEN) / 2 - (r.bottom - r.top) / 2, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            ShowWindow(ctx_.wizard, SW_SHOW);
        }
    }
    const bool completed = !engine_->Aborted() && !terminated_;
    EndRun();
    // An aborted run is not a completed installation: a later Install statement may try again.
    installed_ = completed;
}

bool TInstallationRun::CloseRequest() {
    if (terminated_) return true;
    if (ctx_.closeRequest) return ctx_.closeRequest();
    if (engine_) {
        if (engine_->Aborted()) return true;
        int answer =
            TApplication::Instance().ShowMessage(ctx_.engine.languages->Text(kMsgCloseWhileCopying),
                                                 MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, Owner());
        if (answer != IDYES) return false;
    }
    // The archive pass is stopped only once the close script has let the close go
    // through; a script that keeps the setup running leaves the copy going.
    SetCanCloseFlags(false);
    closeScriptRun_ = true;
    ctx_.interpreter->RunScript(ctx_.engine.package->eventScripts[kScriptClose]);
    if (Variable("%CanClose%") == "0") {
        closeScriptRun_ = false;
        return false;
    }
    if (engine_) engine_->Abort();
    if (ctx_.internet) ctx_.internet->AbortDownload();
    terminated_ = true;
    return true;
}

void TInstallationRun::FinishSetup() {
    if (closeScriptRun_) return;
    closeScriptRun_ = true;
    SetCanCloseFlags(true);
    // With no page to stay on, a close script that sets %CanClose% to "0" cannot keep
    // the setup open: the program ends either way, without the restart.
    ctx_.interpreter->RunScript(ctx_.engine.package->eventScripts[kScriptClose]);
    if (Variable("%CanClose%") != "0" && Variable("%DoReboot%") == "1") RebootWindows();
}

void TInstallationRun::ShowMessage(const std::string& text, TMessageIcon icon, bool secondButtonDefault) {
    TApplication::Instance().ShowMessage(
        text, MB_OK | MessageIconFlags(icon) | (secondButtonDefault ? MB_DEFBUTTON2 : 0), Owner());
}

TOverwriteAnswer TInstallationRun::AskOverwrite(const TOverwritePrompt& prompt) {
    TMsgBoxFilesTexts texts;
    texts.caption = TApplication::Instance().Title();
    texts.message = prompt.message;
    texts.existentLabel = prompt.existentLabel;
    texts.destinationLabel = prompt.destinationLabel;
    texts.yes = prompt.yes;
    texts.yesToAll = prompt.yesToAll;
    texts.no = prompt.no;
    texts.noToAll = prompt.noToAll;
    texts.cancel = prompt.cancel;
    return AnswerOf(cvn::AskOverwrite(Owner(), DialogFont(), texts, prompt.newSize, prompt.newDate,
                                      prompt.filePath, TfrmMsgBoxFiles::mdTwoFiles));
}

bool TInstallationRun::AskNextDisk(const TNextDiskPrompt& prompt, std::string& folder) {
    TFontSpec arial;
    return AskForDisk(Owner(), arial, prompt, ctx_.engine.setupPath, folder);
}

void TInstallationRun::CloseMainForm() {
    CloseRequest();
}

void TInstallationRun::TerminateApplication() {
    terminated_ = true;
    if (engine_) engine_->Abort();
}

void TInstallationRun::ProcessMessages() {
    TApplication::Instance().ProcessMessages();
}

void TInstallationRun::ShowBillboard(const std::string& bitmapPath, int progressTop) {
    if (!billboard_) billboard_ = std::make_unique<TBillboardWindow>();
    HWND owner = ctx_.backWindow ? ctx_.backWindow : TApplication::Instance().Handle();
    billboard_->ShowPicture(owner, bitmapPath, progressTop);
}

void TInstallationRun::CloseBillboard() {
    billboard_.reset();
}

} // namespace cvn
