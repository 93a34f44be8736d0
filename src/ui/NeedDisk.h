#pragma once

#include "install/InstallUi.h"
#include "ui/Form.h"

#include <string>

namespace cvn {

// Asks for the volume file of disk DiskNumber: OK closes only when the file is in
// the folder of the path field; Browse picks another folder.
class TfrmNeedDisk : public TForm {
public:
    enum TControlId : int { txtPath = 101, btnBrowse, btnOk, btnCancel };

    ~TfrmNeedDisk() override;
    bool Create(HWND owner, const TFontSpec& font);
    // Takes the texts, the disk number and the expected folder.
    void Prepare(const TNextDiskPrompt& prompt);

    int DiskNumber = 1;
    std::string NotFoundText = "Disk <disk> data not found in selected path.";
    // Full path of the setup program; volume files are named after it.
    std::string SetupPath;

    std::string Path() const { return ControlText(txtPath); }
    void SetPath(const std::string& path) { SetControlText(txtPath, path); }
    const TLabel& Message() const { return *lblMsg_; }

protected:
    void FormCreate() override;

private:
    void btnOkClick();
    void btnBrowseClick();

    TLabel* lblMsg_ = nullptr;
    TLabel* lblPath_ = nullptr;
    TImage* imgDisks_ = nullptr;
    HICON disksIcon_ = nullptr; // owned
    std::string directoryCaption_ = "Directory Selection";
    std::string directoryLabel_ = "Directory";
    std::string directoriesLabel_ = "Directories";
    std::string drivesLabel_ = "Drives";
};

// The volume file of `disk` in `folder`: the setup program's file name without its
// extension, ".", and the disk number with at least three digits ("setup.012").
std::string VolumeFilePath(const std::string& folder, const std::string& setupPath, int disk);

// The prompt for the volume of prompt.disk; true for OK with `folder` the chosen one.
bool AskForDisk(HWND owner, const TFontSpec& font, const TNextDiskPrompt& prompt,
                const std::string& setupPath, std::string& folder);

} // namespace cvn
