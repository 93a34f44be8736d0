#include "ui/DirectorySel.h"

#include "ui/Application.h"
#include "ui/NewFolder.h"

#include "core/FileSystem.h"
#include "core/Handle_win.h"

#include <algorithm>

namespace cvn {

namespace {

std::string WithoutTrailingBackslash(std::string path) {
    while (path.size() > 1 && path.back() == '\\')
        path.pop_back();
    return path;
}

// "C:" and "C:\" become "C:\"; every other folder loses its trailing backslash.
std::string NormalFolder(std::string path) {
    path = WithoutTrailingBackslash(path);
    if (path.size() == 2 && path[1] == ':') path += '\\';
    return path;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return (folder.empty() || folder.back() == '\\' ? folder : folder + "\\") + name;
}

} // namespace

std::string NearestExistingFolder(std::string path, const std::string& fallback) {
    path = WithoutTrailingBackslash(path);
    while (!FolderExists(path)) {
        size_t slash = path.rfind('\\');
        std::string parent = slash == std::string::npos ? std::string() : path.substr(0, slash);
        if (parent.empty() || parent == path) return fallback;
        path = parent;
    }
    return path;
}

bool TfrmDirectorySel::Create(HWND owner, const TFontSpec& font) {
    if (!CreateForm(owner, TBorder::Dialog, 281, 277, "Directory Selection")) return false;
    SetFont(font);
    CentreOnScreen();
    return true;
}

void TfrmDirectorySel::FormCreate() {
    lblDirectory_ = &AddLabel(12, 12, 177, 14, "Directory");
    AddEdit(txtDirectory, "", 12, 28, 177, 22);
    AddButton(btnNewFolder, "New Folder", 196, 28, 75, 20);
    lblDirectories_ = &AddLabel(12, 60, 177, 14, "Directories");
    AddControl("LISTBOX", lstDirectories, "", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 12,
               76, 257, 97, WS_EX_CLIENTEDGE);
    lblDrives_ = &AddLabel(12, 188, 177, 14, "Drives");
    AddControl("COMBOBOX", cmbDrives, "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 12, 204, 257, 200);
    AddButton(btnOK, "OK", 116, 244, 75, 22, true);
    AddButton(btnCancel, "Cancel", 196, 244, 75, 22, false, true);
    OnClick(btnOK, [this] { btnOKClick(); });
    OnClick(btnCancel, [this] { SetModalResult(mrCancel); });
    OnClick(btnNewFolder, [this] { btnNewFolderClick(); });

    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof current, current);
    directory_ = NormalFolder(current);
    FillDriveList();
    FillFolderList();
    Apply();
}

LRESULT TfrmDirectorySel::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
    handled = false;
    if (msg != WM_COMMAND || lp == 0) return 0;
    // List and combo notifications would otherwise look like clicks to the base form.
    if (LOWORD(wp) == lstDirectories) {
        handled = true;
        if (HIWORD(wp) == LBN_DBLCLK)
            OpenListedFolder(int(SendMessageA(Control(lstDirectories), LB_GETCURSEL, 0, 0)));
    } else if (LOWORD(wp) == cmbDrives) {
        handled = true;
        if (HIWORD(wp) == CBN_SELCHANGE) cmbDrivesChange();
    }
    return 0;
}

void TfrmDirectorySel::SetTexts(const TDirectorySelTexts& texts) {
    SetCaption(texts.caption);
    lblDirectory_->caption = texts.directory;
    lblDirectories_->caption = texts.directories;
    lblDrives_->caption = texts.drives;
    SetControlText(btnOK, texts.ok);
    SetControlText(btnCancel, texts.cancel);
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TfrmDirectorySel::Apply() {
    ShowWindow(Control(btnNewFolder), AllowNewFolder ? SW_SHOW : SW_HIDE);
    SetWindowPos(Control(txtDirectory), nullptr, 0, 0, AllowNewFolder ? 177 : 257, 22,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (SelectedPath.empty()) {
        SetTypedPath(directory_);
    } else if (!SetDirectory(SelectedPath)) {
        TApplication::Instance().ShowMessage("Invalid or not existent directory.", MB_OK | MB_ICONERROR,
                                             Handle());
        SetTypedPath(directory_);
    }
}

bool TfrmDirectorySel::SetDirectory(const std::string& folder) {
    std::string normal = NormalFolder(folder);
    if (normal.empty() || !FolderExists(normal)) return false;
    directory_ = normal;
    FillFolderList();
    SetTypedPath(directory_);
    return true;
}

void TfrmDirectorySel::OpenListedFolder(int index) {
    if (index < 0 || index >= int(listed_.size())) return;
    SetDirectory(listed_[size_t(index)]);
}

void TfrmDirectorySel::FillFolderList() {
    listed_.clear();
    std::vector<std::string> lines;
    // The ancestors from the drive root down, each indented one step further.
    std::string root = directory_.substr(0, std::min<size_t>(3, directory_.size()));
    listed_.push_back(root);
    lines.push_back(root);
    size_t start = root.size();
    int depth = 1;
    while (start < directory_.size()) {
        size_t slash = directory_.find('\\', start);
        size_t end = slash == std::string::npos ? directory_.size() : slash;
        listed_.push_back(directory_.substr(0, end));
        lines.push_back(std::string(size_t(depth) * 2, ' ') + directory_.substr(start, end - start));
        ++depth;
        start = end + 1;
    }
    int currentIndex = int(listed_.size()) - 1;
    // Then the subfolders of the current folder in name order.
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    FindHandle find(FindFirstFileA(JoinPath(directory_, "*").c_str(), &found));
    if (find) {
        do {
            std::string name = found.cFileName;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
                names.push_back(name);
        } while (FindNextFileA(find.Get(), &found));
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
    for (const std::string& name : names) {
        listed_.push_back(JoinPath(directory_, name));
        lines.push_back(std::string(size_t(depth) * 2, ' ') + name);
    }

    HWND list = Control(lstDirectories);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& line : lines)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    SendMessageA(list, LB_SETCURSEL, WPARAM(currentIndex), 0);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);

    // The drive list follows the folder list.
    for (size_t i = 0; i < drives_.size(); ++i)
        if (lstrcmpiA(drives_[i].c_str(), root.c_str()) == 0)
            SendMessageA(Control(cmbDrives), CB_SETCURSEL, WPARAM(i), 0);
}

void TfrmDirectorySel::FillDriveList() {
    drives_.clear();
    char buffer[512] = {};
    DWORD length = GetLogicalDriveStringsA(sizeof buffer - 1, buffer);
    if (length == 0 || length >= sizeof buffer) return;
    HWND combo = Control(cmbDrives);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const char* p = buffer; *p; p += lstrlenA(p) + 1) {
        std::string drive = p;
        drives_.push_back(drive);
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drive.substr(0, 2).c_str()));
    }
}

void TfrmDirectorySel::cmbDrivesChange() {
    int index = int(SendMessageA(Control(cmbDrives), CB_GETCURSEL, 0, 0));
    if (index < 0 || index >= int(drives_.size())) return;
    if (!SetDirectory(drives_[size_t(index)])) {
        // An empty or unreadable drive: the list stays where it was.
        MessageBeep(MB_ICONHAND);
        FillFolderList();
    }
}

void TfrmDirectorySel::btnOKClick() {
    SelectedPath = UseTypedPath ? TypedPath() : directory_;
    SetModalResult(mrOk);
}

void TfrmDirectorySel::btnNewFolderClick() {
    TfrmNewFolder prompt;
    if (!prompt.Create(Handle(), FontSpec())) return;
    if (prompt.ShowModal() != mrOk) return;
    std::string folder = JoinPath(directory_, prompt.FolderName());
    // The name may hold sub-folders ("a\b"); every missing level is created. Only a
    // folder that this call created changes the list.
    if (CreateFolderPath(folder) == FolderResult::Created) FillFolderList();
}

} // namespace cvn
