#include "ui/SetupMain.h"

#include "install/FileFacts.h"
#include "install/Reboot.h"
#include "install/SystemFolders.h"
#include "script/Languages.h"
#include "script/Variables.h"
#include "ui/Application.h"
#include "ui/BackWindow.h"
#include "ui/DirectorySel.h"
#include "ui/Picture.h"

namespace cvn {

namespace {

HWND HandleOf(TWizardPanel& panel) {
    if (auto* p = dynamic_cast<TWinPanel*>(&panel)) return p->Handle();
    if (auto* f = dynamic_cast<TFormContainer*>(&panel)) return f->Handle();
    return nullptr;
}

bool TakesFocus(TControlClass cls) {
    switch (cls) {
    case TControlClass::Label:
    case TControlClass::Image:
    case TControlClass::ImageButton:
    case TControlClass::Frame:
    case TControlClass::Shape:
    case TControlClass::Line:
    case TControlClass::Progress:
    case TControlClass::Button:
    case TControlClass::RadioButton:
        return false;
    default:
        return true;
    }
}

} // namespace

TfrmSetupMain::TfrmSetupMain(TWizardContext wizard, TInstallationRunContext installation)
    : wizardContext_(std::move(wizard)), installationContext_(std::move(installation)) {}

TfrmSetupMain::~TfrmSetupMain() {
    // The wizard lets go of its hooks before its pages and this window go.
    wizard_.reset();
    installation_.reset();
    secondary_.reset();
    formContainer_.reset();
    DestroyForm();
}

bool TfrmSetupMain::Create(TfrmBackWindow* backWindow) {
    backWindow_ = backWindow;
    if (!CreateForm(backWindow ? backWindow->Handle() : nullptr, TBorder::Dialog, 341, 80,
                    TApplication::Instance().Title()))
        return false;
    // Over a background window the wizard has a caption bar only: the background takes the close box.
    if (!backWindow)
        SetWindowLongA(Handle(), GWL_STYLE, GetWindowLongA(Handle(), GWL_STYLE) | WS_MINIMIZEBOX);
    SetFont(FontSpecFromRecord(wizardContext_.package->Settings().appearance.setupFont));
    CentreOnScreen();
    formContainer_ = std::make_unique<TFormContainer>(Handle());

    installationContext_.wizard = Handle();
    installationContext_.backWindow = backWindow ? backWindow->Handle() : nullptr;
    installationContext_.showInstallPage = [this] { return wizard_->ShowDialog("INSTALL"); };
    installationContext_.reportProgress = [this](int kind, const std::string& text, int value) {
        wizard_->ReportProgress(kind, text, value);
    };
    installationContext_.closeRequest = [this] { return wizard_->CloseQuery(); };
    installation_ = std::make_unique<TInstallationRun>(installationContext_);
    wizard_ = std::make_unique<TWizard>(wizardContext_, *this);
    return true;
}

void TfrmSetupMain::FormCloseQuery(bool& canClose) {
    // An accepted close ends the message loop; the windows go when the run has ended.
    // Over a background window the close request of the whole setup goes through it.
    canClose = false;
    if (backWindow_)
        backWindow_->Close();
    else
        wizard_->CloseQuery();
}

LRESULT TfrmSetupMain::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
    handled = false;
    // Enter and Escape arrive from the dialog manager as IDOK and IDCANCEL: they press
    // the page's default or cancel button (button kinds 2 and 1), and nothing without one.
    if (msg != WM_COMMAND || lp != 0 || (LOWORD(wp) != IDOK && LOWORD(wp) != IDCANCEL)) return 0;
    handled = true;
    TWizardPanel* page = wizard_ ? wizard_->PagePanel() : nullptr;
    if (!page || !page->Visible()) return 0;
    const int kind = LOWORD(wp) == IDOK ? 2 : 1;
    for (auto& c : page->controls)
        if (c->Class() == TControlClass::Button && NumberFromText(c->Definition().text[2]) == kind &&
            IsWindowEnabled(static_cast<TWinControl&>(*c).Handle())) {
            c->FireEvent();
            break;
        }
    return 0;
}

std::unique_ptr<TWizardPanel> TfrmSetupMain::CreatePanel(TWizardPanel& container, const std::string& name) {
    return std::make_unique<TWinPanel>(HandleOf(container), name);
}

std::unique_ptr<TWizardControl> TfrmSetupMain::CreateControl(TWizardPanel& parent, TControlClass cls,
                                                             const TControlDefinition& definition) {
    auto control = std::make_unique<TWinControl>(HandleOf(parent), cls, definition, &listPictures_);
    if (!control->Handle()) return nullptr;
    return control;
}

void TfrmSetupMain::AddComponentPicture(const std::string& path) {
    listPictures_.Add(LoadPictureFile(path));
}

void TfrmSetupMain::ShowControl(TWizardControl& control) {
    ShowWindow(static_cast<TWinControl&>(control).Handle(), SW_SHOWNA);
}

void TfrmSetupMain::SetBusyCursor(bool busy) {
    TApplication::Instance().SetBusyCursor(busy);
}

void TfrmSetupMain::ShowWizard(bool show) {
    if (show) {
        Show();
        SetForegroundWindow(Handle());
    } else {
        Hide();
    }
}

bool TfrmSetupMain::WizardVisible() const {
    return Visible();
}

void TfrmSetupMain::SetApplicationTitle(const std::string& title) {
    TApplication::Instance().SetTitle(title);
}

void TfrmSetupMain::RefreshBackground(const std::string& caption, bool repaint) {
    if (backWindow_) backWindow_->Refresh(caption, repaint);
}

void TfrmSetupMain::FitClientSize(int width, int height) {
    RECT r{};
    GetClientRect(Handle(), &r);
    if (r.right == width && r.bottom == height) return;
    SetClientSize(width, height);
    CentreOnScreen();
}

void TfrmSetupMain::FocusFirstControl(TWizardPanel& panel) {
    for (auto& c : panel.controls)
        if (TakesFocus(c->Class())) {
            SetFocus(static_cast<TWinControl&>(*c).Handle());
            return;
        }
}

bool TfrmSetupMain::AskYesNo(const std::string& text) {
    return TApplication::Instance().ShowMessage(text, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, Handle()) ==
           IDYES;
}

void TfrmSetupMain::TerminateApplication() {
    if (installation_) installation_->TerminateApplication();
    TApplication::Instance().Terminate();
}

void TfrmSetupMain::RestartComputer() {
    RebootWindows();
}

TWizardPanel& TfrmSetupMain::OpenSecondary(const std::string& caption, int width, int height,
                                           const TFontRecord& font) {
    secondary_ = std::make_unique<TfrmSecondaryDialog>();
    secondary_->SetFont(FontSpecFromRecord(font));
    secondary_->Create(Handle(), caption, width, height);
    return secondary_->Panel();
}

void TfrmSetupMain::SetSecondaryCaption(const std::string& caption) {
    if (secondary_) secondary_->SetCaption(caption);
}

bool TfrmSetupMain::ShowSecondaryModal(std::function<bool()> firstPaint) {
    return secondary_ && secondary_->Run(std::move(firstPaint)) == mrAbort;
}

void TfrmSetupMain::CancelSecondary() {
    if (secondary_) secondary_->SetModalResult(mrCancel);
}

void TfrmSetupMain::FreeSecondary() {
    SetTopMost(true);
    secondary_.reset();
}

std::optional<std::string> TfrmSetupMain::BrowseForFolder(const std::string& startFolder,
                                                          const std::string& text) {
    TfrmDirectorySel browse;
    if (!browse.Create(Handle(), FontSpecFromRecord(wizardContext_.package->Settings().appearance.setupFont)))
        return std::nullopt;
    const TLanguages& m = *wizardContext_.languages;
    TDirectorySelTexts texts;
    texts.caption = m.Text(46);
    texts.directory = m.Text(47);
    texts.directories = m.Text(48);
    texts.drives = m.Text(49);
    texts.ok = m.Text(0);
    texts.cancel = m.Text(1);
    browse.SetTexts(texts);
    browse.AllowNewFolder = false;
    browse.UseTypedPath = true;
    browse.Apply();
    browse.SetDirectory(startFolder);
    browse.SetTypedPath(text);
    if (browse.ShowModal() != mrOk) return std::nullopt;
    return browse.SelectedPath;
}

void TfrmSetupMain::RunInstallation() {
    installation_->RunInstallation();
    if (installation_->Terminated()) TApplication::Instance().Terminate();
}

void TfrmSetupMain::RemovePreviousInstallation(const std::string& resultVariable,
                                               const std::string& softwareName,
                                               const std::string& companyName) {
    installation_->RemovePreviousInstallation(resultVariable, softwareName, companyName);
}

bool TfrmSetupMain::InstallationRunning() const {
    return installation_ && installation_->Engine();
}

bool TfrmSetupMain::InstallationAborted() const {
    return InstallationRunning() && installation_->Engine()->Aborted();
}

void TfrmSetupMain::AbortInstallation() {
    if (InstallationRunning()) installation_->Engine()->Abort();
}

bool TfrmSetupMain::ReportToProgressWindow(int kind, const std::string& text, int value) {
    TfrmCopyingFiles* window = installation_ ? installation_->ProgressWindow() : nullptr;
    if (!window) return false;
    window->Progress(kind, text, value);
    return true;
}

uint64_t TfrmSetupMain::InstallDriveFreeSpace() {
    const std::string folder = wizardContext_.variables->ExpandVariables("%InstallDir%");
    uint64_t kb = 0;
    if (folder.size() >= 2 && folder[1] == ':' && GetDriveFreeKB(folder[0], kb)) return kb;
    return 0;
}

bool TfrmSetupMain::FileExists(const std::string& path) const {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool TfrmSetupMain::FolderExists(const std::string& path) const {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string TfrmSetupMain::WindowsFolder() const {
    char dir[MAX_PATH] = {};
    GetWindowsDirectoryA(dir, MAX_PATH);
    return dir;
}

std::vector<std::string> TfrmSetupMain::ProgramGroups(bool allUsers) const {
    std::vector<std::string> groups;
    const std::string root = GetShellFolder(TShellFolderKind::Programs, allUsers);
    if (root.empty()) return groups;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((root + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return groups;
    do {
        const std::string name = data.cFileName;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
            groups.push_back(name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return groups;
}

} // namespace cvn
