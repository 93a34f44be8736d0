#include "ui/InstallationRun.h"

#include "install/FileFacts.h"
#include "install/InstallPlatform.h"
#include "install/Reboot.h"
#include "script/Interpreter.h"
#include "script/Languages.h"
#include "script/Variables.h"
#include "ui/Application.h"
#include "ui/InstallationRunBillboard.h"
#include "ui/MsgBoxFiles.h"
#include "ui/NeedDisk.h"

namespace cvn {

namespace {

constexpr int kMsgCancel = 1;
constexpr int kMsgUninstalling = 38;
constexpr int kMsgUninstallingComponents = 59;

// The engine's steps for the run's rules.
class TEngineSteps final : public TInstallSteps {
public:
    explicit TEngineSteps(TCorvaneInstall& engine) : engine_(engine) {}
    void ShowBillboard(int percent) override { engine_.ShowBillboard(percent); }
    void InstallFiles() override { engine_.InstallFiles(); }
    void CreateShortcuts() override { engine_.CreateShortcuts(); }
    void WriteRegistry() override { engine_.WriteRegistry(); }
    void RemoveDeselectedComponents(int scale) override { engine_.RemoveDeselectedComponents(scale); }
    void WriteUninstallData() override { engine_.WriteUninstallData(); }
    void FreeBillboardWindow() override { engine_.FreeBillboardWindow(); }
    bool HasAppManagerArgs() override { return !engine_.GetAppManagerArgs().empty(); }
    void RunAppManager() override { engine_.RunAppManager(); }
    void DeleteCarrierFiles() override { engine_.DeleteCarrierFiles(); }
    void Abort() override { engine_.Abort(); }
    bool Aborted() const override { return engine_.Aborted(); }

private:
    TCorvaneInstall& engine_;
};

TInstallationSequenceContext SequenceContext(const TInstallationRunContext& run) {
    TInstallationSequenceContext c;
    c.package = run.engine.package;
    c.variables = run.engine.variables;
    c.languages = run.engine.languages;
    c.interpreter = run.interpreter;
    c.selection = run.engine.selection;
    c.conditions = run.engine.conditions;
    c.flags = run.flags;
    c.setupPath = run.engine.setupPath;
    c.showInstallPage = run.showInstallPage;
    c.closeRequest = run.closeRequest;
    c.computeAddedComponents = run.computeAddedComponents;
    if (TInternetCommands* internet = run.internet)
        c.abortDownload = [internet] { internet->AbortDownload(); };
    return c;
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

TInstallationRun::TInstallationRun(TInstallationRunContext context)
    : ctx_(std::move(context)), sequence_(SequenceContext(ctx_), *this) {
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

bool TInstallationRun::DriveFreeKilobytes(const std::string& drive, uint64_t& kb) {
    if (drive.size() == 2) return GetDriveFreeKB(drive[0], kb);
    // A network path has no letter: its share's root answers the same query.
    DWORD bytesPerSector = 0, sectorsPerCluster = 0, freeClusters = 0, totalClusters = 0;
    if (drive.size() > 2 && GetDiskFreeSpaceA((drive + "\\").c_str(), &sectorsPerCluster, &bytesPerSector,
                                              &freeClusters, &totalClusters)) {
        kb = FreeKilobytes(bytesPerSector, sectorsPerCluster, freeClusters);
        return true;
    }
    return false;
}

void TInstallationRun::ShowError(const std::string& text) {
    TApplication::Instance().ShowMessage(text, MB_OK | MB_ICONERROR, Owner());
}

bool TInstallationRun::Confirm(const std::string& text) {
    return TApplication::Instance().ShowMessage(text, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, Owner()) ==
           IDYES;
}

TInstallSteps& TInstallationRun::StartEngine() {
    TApplication::Instance().SetBusyCursor(true);
    engine_ = std::make_unique<TCorvaneInstall>(ctx_.engine);
    steps_ = std::make_unique<TEngineSteps>(*engine_);
    return *steps_;
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
    if (!ctx_.maintenance || !sequence_.BeginOtherRun()) return;
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
        if (ctx_.interpreter->RunScript(script)) return true;
        const std::string* canClose = ctx_.engine.variables->Store().Find("%CanClose%");
        return canClose && *canClose == "0";
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
    sequence_.EndOtherRun();
}

void TInstallationRun::ShowProgress(bool onPage) {
    if (!onPage) {
        CreateProgressWindow();
        return;
    }
    engine_->OnInstallProgress.Bind([this](TCorvaneInstall&, int kind, const std::string& text, int value) {
        if (ctx_.reportProgress) ctx_.reportProgress(kind, text, value);
    });
    if (ctx_.reportProgress) {
        ctx_.reportProgress(ipMaximum, {}, 100);
        ctx_.reportProgress(ipPosition, {}, 0);
    }
    if (!ctx_.wizard) return;
    RECT r{};
    GetWindowRect(ctx_.wizard, &r);
    if (!ctx_.engine.package->billboards.empty()) {
        // Billboards go above the wizard, which moves down near the bottom of the screen.
        const int width = r.right - r.left, height = r.bottom - r.top;
        r.left = GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2;
        r.top = GetSystemMetrics(SM_CYSCREEN) - height - 48;
        SetWindowPos(ctx_.wizard, nullptr, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    engine_->SetProgressTop(r.top);
}

bool TInstallationRun::FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void TInstallationRun::HideWindows(bool progressOnPage) {
    if (progressOnPage && ctx_.wizard) ShowWindow(ctx_.wizard, SW_HIDE);
    if (progressWindow_) progressWindow_->Hide();
    if (ctx_.backWindow) ShowWindow(ctx_.backWindow, SW_HIDE);
}

void TInstallationRun::RestoreBackground() {
    if (ctx_.backWindow && !IsWindowVisible(ctx_.backWindow)) ShowWindow(ctx_.backWindow, SW_SHOW);
}

void TInstallationRun::ShowWizardAgain(bool progressOnPage) {
    if (!ctx_.wizard) return;
    if (progressOnPage && !ctx_.engine.package->billboards.empty()) {
        RECT r{};
        GetWindowRect(ctx_.wizard, &r);
        SetWindowPos(ctx_.wizard, nullptr, GetSystemMetrics(SM_CXSCREEN) / 2 - (r.right - r.left) / 2,
                     GetSystemMetrics(SM_CYSCREEN) / 2 - (r.bottom - r.top) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ShowWindow(ctx_.wizard, SW_SHOW);
}

void TInstallationRun::EndEngine() {
    progressWindow_.reset();
    steps_.reset();
    engine_.reset();
    TApplication::Instance().SetBusyCursor(false);
}

void TInstallationRun::Reboot() {
    RebootWindows();
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
    sequence_.Terminate();
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
