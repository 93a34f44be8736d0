#include "UiTestSupport.h"

#include "ui/DirectorySel.h"
#include "ui/NeedDisk.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace cvn;
using namespace cvn::test;

namespace {

std::string ScratchFolder(const std::string& name) {
    char dir[MAX_PATH] = {};
    GetTempPathA(sizeof dir, dir);
    std::string path = std::string(dir) + "cvn-needdisk-" + name;
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

TNextDiskPrompt Prompt(int disk, const std::string& folder) {
    TNextDiskPrompt p;
    p.disk = disk;
    p.caption = "Next disk";
    p.message = "Please insert Disk " + std::to_string(disk) + ".";
    p.pathLabel = "Path";
    p.browse = "Browse";
    p.ok = "OK";
    p.cancel = "Cancel";
    p.folder = folder;
    p.notFoundText = "Disk <Disk> data not found in selected path."; // placeholders ignore case
    p.directoryCaption = "Pick a folder";
    p.directoryLabel = "Folder";
    p.directoriesLabel = "Folders";
    p.drivesLabel = "Drives";
    return p;
}

class NeedDisk : public ::testing::Test {
protected:
    void TearDown() override { CancelPending(); }
};

} // namespace

TEST_F(NeedDisk, VolumeFilesCarryTheSetupNameAndAThreeDigitNumber) {
    EXPECT_EQ(VolumeFilePath("D:\\", "C:\\dl\\setup.exe", 1), "D:\\setup.001");
    EXPECT_EQ(VolumeFilePath("D:\\disks", "C:\\dl\\Setup.EXE", 12), "D:\\disks\\Setup.012");
    EXPECT_EQ(VolumeFilePath("D:\\disks\\", "C:\\dl.x\\inst", 3), "D:\\disks\\inst.003");
    EXPECT_EQ(VolumeFilePath("E:\\", "my.setup.exe", 1000), "E:\\my.setup.1000");
}

TEST_F(NeedDisk, OkClosesOnlyWhenTheVolumeIsThereAndNamesTheDiskWithoutZeros) {
    const std::string folder = ScratchFolder("ok");
    const std::string setup = folder + "\\setup.exe";
    const std::string volume = folder + "\\setup.003";
    DeleteFileA(volume.c_str());

    std::string seenError;
    // Absent: the error box names disk 3, the prompt stays; then the file appears and OK goes through.
    WhenWindow("Next disk", [&](HWND prompt) {
        PressButton(prompt, TfrmNeedDisk::btnOk);
        WhenWindow("Corvane Setup", [&, prompt](HWND box) {
            seenError = MessageBoxText(box);
            std::ofstream(volume) << "v";
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            WhenReady(
                "Next disk after the error box",
                [prompt] { return FindThreadWindow("Corvane Setup") ? nullptr : prompt; },
                [](HWND again) { PressButton(again, TfrmNeedDisk::btnOk); });
        });
    });
    std::string chosen;
    EXPECT_TRUE(AskForDisk(nullptr, TFontSpec{}, Prompt(3, folder + "\\"), setup, chosen));
    EXPECT_EQ(seenError, "Disk 3 data not found in selected path.");
    EXPECT_EQ(chosen, folder + "\\");

    WhenWindow("Next disk", [](HWND prompt) { PressButton(prompt, TfrmNeedDisk::btnCancel); });
    EXPECT_FALSE(AskForDisk(nullptr, TFontSpec{}, Prompt(3, folder + "\\"), setup, chosen));
    DeleteFileA(volume.c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST_F(NeedDisk, BrowseTakesTheTypedFolderOfTheDirectorySelection) {
    const std::string folder = ScratchFolder("browse");
    const std::string other = ScratchFolder("browse-other");
    TfrmNeedDisk form;
    ASSERT_TRUE(form.Create(nullptr, TFontSpec{}));
    // The expected folder is gone: the selection starts at its nearest existing parent.
    form.Prepare(Prompt(2, folder + "\\gone\\deeper\\"));

    std::string startFolder, shownText, caption;
    bool newFolderShown = true;
    WhenReady(
        "Next disk", [&] { return form.Handle(); },
        [&](HWND prompt) {
            PressButton(prompt, TfrmNeedDisk::btnBrowse);
            WhenWindow("Pick a folder", [&](HWND sel) {
                char text[MAX_PATH] = {};
                GetDlgItemTextA(sel, TfrmDirectorySel::txtDirectory, text, sizeof text);
                shownText = text;
                GetDlgItemTextA(sel, TfrmDirectorySel::btnOK, text, sizeof text);
                caption = text;
                newFolderShown = IsWindowVisible(GetDlgItem(sel, TfrmDirectorySel::btnNewFolder));
                SetDlgItemTextA(sel, TfrmDirectorySel::txtDirectory, other.c_str());
                PressButton(sel, TfrmDirectorySel::btnOK);
                WhenReady(
                    "Next disk after the folder selection",
                    [&] { return FindThreadWindow("Pick a folder") ? nullptr : form.Handle(); },
                    [](HWND again) { PressButton(again, TfrmNeedDisk::btnCancel); });
            });
        });
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_EQ(shownText, folder + "\\gone\\deeper\\");
    EXPECT_EQ(caption, "OK");
    EXPECT_FALSE(newFolderShown);
    EXPECT_EQ(form.Path(), other);
    EXPECT_EQ(NearestExistingFolder(folder + "\\gone\\deeper\\", "C:\\windows"), folder);
    EXPECT_EQ(NearestExistingFolder("Q:\\nothing\\here", "C:\\windows"), "C:\\windows");
    RemoveDirectoryA(folder.c_str());
    RemoveDirectoryA(other.c_str());
}
