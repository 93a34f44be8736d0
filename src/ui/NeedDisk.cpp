#include "ui/NeedDisk.h"

#include "core/NumberText.h"
#include "script/Languages.h"
#include "ui/Application.h"
#include "ui/DirectorySel.h"

#include <shellapi.h>

namespace cvn {

namespace {

std::string WindowsFolder() {
    char buffer[MAX_PATH] = {};
    UINT n = GetWindowsDirectoryA(buffer, sizeof buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string("C:\\");
}

} // namespace

std::string VolumeFilePath(const std::string& folder, const std::string& setupPath, int disk) {
    std::string name = setupPath.substr(setupPath.find_last_of("\\/:") + 1);
    if (size_t dot = name.rfind('.'); dot != std::string::npos) name.resize(dot);
    std::string path = folder;
    if (path.empty() || path.back() != '\\') path += '\\';
    return path + name + "." + ZeroPadded(uint32_t(disk), 3);
}

TfrmNeedDisk::~TfrmNeedDisk() {
    DestroyForm();
    if (disksIcon_) DestroyIcon(disksIcon_);
}

bool TfrmNeedDisk::Create(HWND owner, const TFontSpec& font) {
    if (!CreateForm(owner, TBorder::Dialog, 377, 169, "Setup Need the Next Disk")) return false;
    SetFont(font);
    CentreOnScreen();
    return true;
}

void TfrmNeedDisk::FormCreate() {
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, sizeof module);
    SetupPath = module;

    imgDisks_ = &AddImage(8, 8, 48, 48);
    // The shell's floppy-disk picture stands for the disks.
    disksIcon_ = ExtractIconA(TApplication::Instance().ModuleInstance(), "shell32.dll", 6);
    if (reinterpret_cast<UINT_PTR>(disksIcon_) <= 1) disksIcon_ = nullptr;
    imgDisks_->icon = disksIcon_;
    imgDisks_->stretch = true;
    lblMsg_ = &AddLabel(
        72, 8, 297, 72,
        "Please insert Disk <disk> and click OK. If the files on this disk can be found in a folder "
        "other than the one displayed below, enter the correct path or click Browse.");
    lblMsg_->wordWrap = true;
    lblPath_ = &AddLabel(8, 80, 200, 14, "Path");
    HWND path = AddEdit(txtPath, "", 8, 96, 281, 22, ES_READONLY);
    (void)path;
    AddButton(btnBrowse, "Browse", 296, 95, 73, 23);
    AddButton(btnOk, "OK", 216, 137, 75, 23, true);
    AddButton(btnCancel, "Cancel", 296, 137, 75, 23, false, true);
    OnClick(btnOk, [this] { btnOkClick(); });
    OnClick(btnBrowse, [this] { btnBrowseClick(); });
    OnClick(btnCancel, [this] { SetModalResult(mrCancel); });
}

void TfrmNeedDisk::Prepare(const TNextDiskPrompt& prompt) {
    DiskNumber = prompt.disk;
    NotFoundText = prompt.notFoundText;
    SetCaption(prompt.caption);
    lblMsg_->caption = prompt.message;
    lblPath_->caption = prompt.pathLabel;
    SetControlText(btnBrowse, prompt.browse);
    SetControlText(btnOk, prompt.ok);
    SetControlText(btnCancel, prompt.cancel);
    SetPath(prompt.folder);
    directoryCaption_ = prompt.directoryCaption;
    directoryLabel_ = prompt.directoryLabel;
    directoriesLabel_ = prompt.directoriesLabel;
    drivesLabel_ = prompt.drivesLabel;
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TfrmNeedDisk::btnOkClick() {
    std::string volume = VolumeFilePath(Path(), SetupPath, DiskNumber);
    DWORD attributes = GetFileAttributesA(volume.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetModalResult(mrOk);
        return;
    }
    TApplication::Instance().ShowMessage(
        ReplacePlaceholder(NotFoundText, "<disk>", std::to_string(DiskNumber)), MB_OK | MB_ICONERROR,
        Handle());
}

void TfrmNeedDisk::btnBrowseClick() {
    TfrmDirectorySel browse;
    if (!browse.Create(Handle(), FontSpec())) return;
    TDirectorySelTexts texts;
    texts.caption = directoryCaption_;
    texts.directory = directoryLabel_;
    texts.directories = directoriesLabel_;
    texts.drives = drivesLabel_;
    texts.ok = ControlText(btnOk);
    texts.cancel = ControlText(btnCancel);
    browse.SetTexts(texts);
    browse.AllowNewFolder = false;
    browse.UseTypedPath = true;
    browse.Apply();
    browse.SetDirectory(NearestExistingFolder(Path(), WindowsFolder()));
    browse.SetTypedPath(Path());
    if (browse.ShowModal() == mrOk) SetPath(browse.SelectedPath);
}

bool AskForDisk(HWND owner, const TFontSpec& font, const TNextDiskPrompt& prompt,
                const std::string& setupPath, std::string& folder) {
    TfrmNeedDisk form;
    if (!form.Create(owner, font)) return false;
    form.Prepare(prompt);
    if (!setupPath.empty()) form.SetupPath = setupPath;
    if (form.ShowModal() != mrOk) return false;
    folder = form.Path();
    return true;
}

} // namespace cvn
