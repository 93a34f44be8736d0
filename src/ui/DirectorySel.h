#pragma once

#include "ui/Form.h"

#include <string>
#include <vector>

namespace cvn {

// The captions of the directory selection, taken from the message table by callers.
struct TDirectorySelTexts {
    std::string caption = "Directory Selection";
    std::string directory = "Directory";
    std::string directories = "Directories";
    std::string drives = "Drives";
    std::string ok = "OK";
    std::string cancel = "Cancel";
};

// Picks a folder: a folder list (the current folder's ancestors, the folder itself
// and its subfolders; a double click opens one), a drive list linked to it, and a
// text field that follows the list and can be typed into.
class TfrmDirectorySel : public TForm {
public:
    enum TControlId : int { txtDirectory = 101, btnNewFolder, lstDirectories, cmbDrives, btnOK, btnCancel };

    ~TfrmDirectorySel() override { DestroyForm(); }
    bool Create(HWND owner, const TFontSpec& font);
    void SetTexts(const TDirectorySelTexts& texts);

    bool AllowNewFolder = true;
    bool UseTypedPath = false;
    std::string SelectedPath;
    // Shows or hides New Folder and moves the list to SelectedPath (see the .cpp).
    void Apply();

    // The list's current folder, without trailing backslash except at a drive root.
    const std::string& Directory() const { return directory_; }
    // Moves the list (and the text field) to an existing folder; false when it does not exist.
    bool SetDirectory(const std::string& folder);
    void SetTypedPath(const std::string& text) { SetControlText(txtDirectory, text); }
    std::string TypedPath() const { return ControlText(txtDirectory); }
    // The folder paths the list shows, top to bottom.
    const std::vector<std::string>& ListedFolders() const { return listed_; }
    // Opens the listed folder at `index`, as a double click does.
    void OpenListedFolder(int index);

protected:
    void FormCreate() override;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;

private:
    void FillFolderList();
    void FillDriveList();
    void btnOKClick();
    void btnNewFolderClick();
    void cmbDrivesChange();

    std::string directory_;
    std::vector<std::string> listed_;
    std::vector<std::string> drives_;
    TLabel* lblDirectory_ = nullptr;
    TLabel* lblDirectories_ = nullptr;
    TLabel* lblDrives_ = nullptr;
};

// The folder a browse starts in: the path without trailing backslash, walked up to
// the nearest existing folder; `fallback` (the Windows folder) when none exists.
std::string NearestExistingFolder(std::string path, const std::string& fallback);

} // namespace cvn
