#include "app/WinUninstallerHost.h"

#include "core/Handle_win.h"
#include "core/Registry_win.h"
#include "core/Stream.h"
#include "install/WinSystemValues.h"
#include "ui/Application.h"
#include "ui/MsgBoxFiles.h"

#include <windows.h>

namespace cvn {

namespace {

constexpr const char* kUninstallRoot = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

} // namespace

TWinUninstallerHost::~TWinUninstallerHost() = default;

namespace {

TFontSpec SetupFont(const TSetupRun& run) {
    if (run.package.flags.keepSystemFont) return TFontSpec{};
    return FontSpecFromRecord(run.package.Settings().appearance.setupFont);
}

} // namespace

TRemoveAnswer AskRemoval(const TSetupRun& run, const TRemovalTexts& texts, const std::string& question,
                         const std::string& path, HWND owner) {
    TMsgBoxFilesTexts box;
    box.caption = TApplication::Instance().Title();
    box.message = question;
    box.existentLabel = texts.fileLabels[0];
    box.destinationLabel = texts.fileLabels[1];
    box.yes = texts.buttons[0];
    box.yesToAll = texts.buttons[1];
    box.no = texts.buttons[2];
    box.noToAll = texts.buttons[3];
    switch (AskDelete(owner, SetupFont(run), box, path)) {
    case mrYes:
        return TRemoveAnswer::Yes;
    case mrYesToAll:
        return TRemoveAnswer::YesToAll;
    case mrNoToAll:
        return TRemoveAnswer::NoToAll;
    default:
        return TRemoveAnswer::No;
    }
}

bool TWinUninstallerHost::ReadFile(const std::string& path, std::vector<uint8_t>& bytes) {
    return ReadWholeFile(path, bytes);
}

void TWinUninstallerHost::SetTitle(const std::string& title) {
    TApplication::Instance().SetTitle(title);
}

void TWinUninstallerHost::ShowMessage(const std::string& text, TMessageIcon icon) {
    TApplication::Instance().ShowMessage(text, MB_OK | MessageIconFlags(icon),
                                         progress_ ? progress_->Handle() : nullptr);
}

bool TWinUninstallerHost::Confirm(const std::string& text) {
    return TApplication::Instance().ShowMessage(text, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

TRemoveAnswer TWinUninstallerHost::Ask(const TRemovalTexts& texts, const std::string& question,
                                       const std::string& path) {
    return AskRemoval(run_, texts, question, path, progress_ ? progress_->Handle() : nullptr);
}

void TWinUninstallerHost::ShowProgress(const std::string& status) {
    progress_ = std::make_unique<TfrmCopyingFiles>();
    if (!progress_->Create(nullptr, SetupFont(run_))) {
        progress_.reset();
        return;
    }
    SetWindowTextA(progress_->Handle(), TApplication::Instance().Title().c_str());
    progress_->Progress(0, status, 0);
    progress_->Progress(1, "", 0);
    progress_->Progress(2, "", 0);
    // Removal cannot be undone half-way, so there is nothing to cancel.
    progress_->SetCancelEnabled(false);
    ShowWindow(progress_->Handle(), SW_SHOW);
    UpdateWindow(progress_->Handle());
}

void TWinUninstallerHost::Progress(int total, int done) {
    if (!progress_) return;
    progress_->Progress(3, "", total);
    progress_->Progress(2, "", done);
}

void TWinUninstallerHost::CloseProgress() {
    progress_.reset();
}

void TWinUninstallerHost::ShowNotRemoved(const std::string& heading, const std::vector<std::string>& list) {
    std::string text = heading + "\n";
    for (const std::string& line : list)
        text += "\n" + line;
    ShowMessage(text, TMessageIcon::Warning);
}

void TWinUninstallerHost::ProcessMessages() {
    TApplication::Instance().ProcessMessages();
}

std::string TWinUninstallerHost::ProgramPath() {
    return cvn::ProgramPath();
}

std::vector<std::string> TWinUninstallerHost::OtherUninstallStrings(const std::string& ownKey) {
    std::vector<std::string> commands;
    RegKey root = OpenRegKey(HKEY_LOCAL_MACHINE, kUninstallRoot, KEY_READ);
    if (!root) return commands;
    const std::string own = ownKey.substr(ownKey.rfind('\\') + 1);
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof name;
        LONG rc = RegEnumKeyExA(root.Get(), i, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) break;
        if (lstrcmpiA(name, own.c_str()) == 0) continue;
        if (auto command =
                ReadRegText(HKEY_LOCAL_MACHINE, std::string(kUninstallRoot) + "\\" + name, "UninstallString"))
            commands.push_back(*command);
    }
    return commands;
}

// MoveFileEx with no new name deletes the file when Windows next starts; it is
// the one way a running program can see its own file go without leaving a helper
// process or batch file behind.
void TWinUninstallerHost::RemoveProgramAtRestart(const std::string& path) {
    MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

} // namespace cvn
