#include "UiTestSupport.h"

#include "ui/DirectorySel.h"
#include "ui/NewFolder.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace cvn;
using namespace cvn::test;

namespace {

class DirectorySel : public ::testing::Test {
protected:
    void SetUp() override {
        char dir[MAX_PATH] = {};
        GetTempPathA(sizeof dir, dir);
        root = std::string(dir) + "cvn-dirsel";
        CreateDirectoryA(root.c_str(), nullptr);
        CreateDirectoryA((root + "\\beta").c_str(), nullptr);
        CreateDirectoryA((root + "\\Alpha").c_str(), nullptr);
        ASSERT_TRUE(form.Create(nullptr, TFontSpec{}));
    }
    void TearDown() override {
        CancelPending();
        for (const char* sub : {"\\beta", "\\Alpha", "\\Made Here\\Two Levels", "\\Made Here"})
            RemoveDirectoryA((root + sub).c_str());
        RemoveDirectoryA(root.c_str());
    }
    std::string root;
    TfrmDirectorySel form;
};

} // namespace

TEST_F(DirectorySel, ListShowsTheFolderItsAncestorsAndSubfoldersInNameOrder) {
    ASSERT_TRUE(form.SetDirectory(root + "\\"));
    EXPECT_EQ(form.Directory(), root);
    EXPECT_EQ(form.TypedPath(), root);
    const auto& listed = form.ListedFolders();
    ASSERT_GE(listed.size(), 3u);
    EXPECT_EQ(listed.front().size(), 3u); // the drive root
    EXPECT_EQ(listed[listed.size() - 2], root + "\\Alpha");
    EXPECT_EQ(listed.back(), root + "\\beta");
    // Opening a listed folder moves there and the text field follows.
    form.OpenListedFolder(int(listed.size()) - 1);
    EXPECT_EQ(form.Directory(), root + "\\beta");
    EXPECT_EQ(form.TypedPath(), root + "\\beta");
    form.OpenListedFolder(0);
    EXPECT_EQ(form.Directory().size(), 3u);
    EXPECT_FALSE(form.SetDirectory(root + "\\missing"));
}

TEST_F(DirectorySel, OkReturnsTheTypedPathOnlyWithUseTypedPath) {
    for (bool typed : {true, false}) {
        SCOPED_TRACE(typed);
        form.UseTypedPath = typed;
        form.SetDirectory(root + "\\Alpha");
        form.SetTypedPath("D:\\typed\\elsewhere");
        WhenReady(
            "directory selection", [&] { return form.Handle(); },
            [](HWND sel) { PressButton(sel, TfrmDirectorySel::btnOK); });
        EXPECT_EQ(form.ShowModal(), mrOk);
        EXPECT_EQ(form.SelectedPath, typed ? "D:\\typed\\elsewhere" : root + "\\Alpha");
    }
    WhenReady(
        "directory selection", [&] { return form.Handle(); },
        [](HWND sel) { PressButton(sel, TfrmDirectorySel::btnCancel); });
    EXPECT_EQ(form.ShowModal(), mrCancel);
}

TEST_F(DirectorySel, ApplyShowsNewFolderAndRejectsAMissingSelectedPath) {
    form.AllowNewFolder = false;
    form.SelectedPath = root + "\\beta";
    form.Apply();
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(form.Handle(), TfrmDirectorySel::btnNewFolder)));
    EXPECT_EQ(ChildSize(GetDlgItem(form.Handle(), TfrmDirectorySel::txtDirectory)).cx, 257);
    EXPECT_EQ(form.Directory(), root + "\\beta");

    std::string seen;
    WhenWindow("Corvane Setup", [&](HWND box) {
        seen = MessageBoxText(box);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    form.AllowNewFolder = true;
    form.SelectedPath = root + "\\not there";
    form.Apply();
    EXPECT_EQ(seen, "Invalid or not existent directory.");
    EXPECT_EQ(form.Directory(), root + "\\beta");
    EXPECT_EQ(form.TypedPath(), root + "\\beta");
    EXPECT_EQ(ChildSize(GetDlgItem(form.Handle(), TfrmDirectorySel::txtDirectory)).cx, 177);
}

TEST_F(DirectorySel, NewFolderAsksForANameThenCreatesEveryLevelAndListsIt) {
    form.SetDirectory(root);
    form.Show();
    std::string seen;
    WhenReady(
        "directory selection", [&] { return form.Handle(); },
        [&](HWND sel) {
            PressButton(sel, TfrmDirectorySel::btnNewFolder);
            WhenWindow("New Folder", [&](HWND prompt) {
                PressButton(prompt, TfrmNewFolder::btnOK); // no name yet
                WhenWindow("Corvane Setup", [&, prompt](HWND box) {
                    seen = MessageBoxText(box);
                    PostMessageA(box, WM_COMMAND, IDOK, 0);
                    SetDlgItemTextA(prompt, TfrmNewFolder::txtFolderName, "Made Here\\Two Levels");
                    WhenReady(
                        "New Folder after the error box",
                        [prompt] { return FindThreadWindow("Corvane Setup") ? nullptr : prompt; },
                        [](HWND again) { PressButton(again, TfrmNewFolder::btnOK); });
                    WhenReady(
                        "directory selection after New Folder",
                        [&] {
                            return FindThreadWindow("New Folder") || FindThreadWindow("Corvane Setup")
                                       ? nullptr
                                       : form.Handle();
                        },
                        [](HWND again) { PressButton(again, TfrmDirectorySel::btnCancel); });
                });
            });
        });
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_EQ(seen, "You need to type a value in the field Folder Name.");
    const auto& listed = form.ListedFolders();
    EXPECT_NE(std::find(listed.begin(), listed.end(), root + "\\Made Here"), listed.end());
    EXPECT_NE(GetFileAttributesA((root + "\\Made Here\\Two Levels").c_str()), INVALID_FILE_ATTRIBUTES);
}
