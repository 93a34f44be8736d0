#include "UiTestSupport.h"

#include "ui/MsgBoxFiles.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <fstream>

using namespace cvn;
using namespace cvn::test;

namespace {

TMsgBoxFilesTexts Texts() {
    TMsgBoxFilesTexts t;
    t.caption = "Overwrite";
    t.message = "The file exists. Replace it?";
    t.existentLabel = "Existing file:";
    t.destinationLabel = "New file:";
    t.yes = "Yes";
    t.yesToAll = "Yes to all";
    t.no = "No";
    t.noToAll = "No to all";
    t.cancel = "Cancel";
    return t;
}

std::string TempFile(const std::string& name, const std::string& content) {
    char dir[MAX_PATH] = {};
    GetTempPathA(sizeof dir, dir);
    std::string path = std::string(dir) + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

class MsgBoxFiles : public ::testing::Test {
protected:
    void TearDown() override { CancelPending(); }
    TfrmMsgBoxFiles form;
};

} // namespace

TEST_F(MsgBoxFiles, EachModeHasItsHeightButtonRowAndFileRows) {
    const std::string file = TempFile("cvn-msgbox-mode.txt", "hello");
    ASSERT_TRUE(form.Create(nullptr, TFontSpec{"MS Sans Serif"}));
    struct Case {
        int mode, height, buttonsTop;
        bool first, second;
    } cases[] = {{0, 133, 64, false, false}, {1, 204, 139, true, false}, {2, 296, 231, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        form.Prepare(Texts(), c.mode, file, 2048, 0x5A8F6000, false);
        EXPECT_EQ(form.Height(), c.height);
        for (int id = TfrmMsgBoxFiles::btnYes; id <= TfrmMsgBoxFiles::btnCancel; ++id)
            EXPECT_EQ(ChildPosition(form.Handle(), id).y, c.buttonsTop);
        EXPECT_EQ(form.File1().visible, c.first);
        EXPECT_EQ(form.Existent().visible, c.first);
        EXPECT_EQ(form.File2().visible, c.second);
        EXPECT_EQ(form.Destination().visible, c.second);
    }
    // The existing file: its size, a line break and its date; the new one from the package's facts.
    EXPECT_EQ(form.File1().caption.rfind("5 bytes\r\n", 0), 0u) << form.File1().caption;
    EXPECT_GT(form.File1().caption.size(), std::string("5 bytes\r\n").size());
    EXPECT_EQ(form.File2().caption.rfind("2 KB\r\n", 0), 0u) << form.File2().caption;
    EXPECT_NE(form.File2().caption.find("   "), std::string::npos);
    DeleteFileA(file.c_str());
}

TEST_F(MsgBoxFiles, FileRowsWithoutAShellIconShowNoImagesAndWiderLabels) {
    ASSERT_TRUE(form.Create(nullptr, TFontSpec{"MS Sans Serif"}));
    form.Prepare(Texts(), 2, "Q:\\nowhere\\missing.zzz", 10, 0, false);
    EXPECT_FALSE(form.Image1().visible);
    EXPECT_FALSE(form.Image2().visible);
    EXPECT_EQ(form.File1().bounds.left, 76);
    EXPECT_EQ(form.File1().bounds.right - form.File1().bounds.left, 329);
    EXPECT_EQ(form.File2().bounds.left, 76);
    // A file that is missing has no facts to show.
    EXPECT_EQ(form.File1().caption, "");

    // An existing file: the shell, asked here directly, has an icon for it, so both
    // images show and the labels make room for them.
    const std::string file = TempFile("cvn-msgbox-icon.txt", "x");
    SHFILEINFOA shell{};
    ASSERT_TRUE(SHGetFileInfoA(file.c_str(), 0, &shell, sizeof shell, SHGFI_ICON | SHGFI_SMALLICON) &&
                shell.hIcon)
        << "the shell has no icon for " << file;
    DestroyIcon(shell.hIcon);
    form.Prepare(Texts(), 2, file, 10, 0, false);
    EXPECT_TRUE(form.Image1().visible);
    EXPECT_TRUE(form.Image2().visible);
    EXPECT_EQ(form.File1().bounds.left, 120);
    EXPECT_EQ(form.File1().bounds.right - form.File1().bounds.left, 285);
    EXPECT_EQ(form.File2().bounds.right, 405);
    DeleteFileA(file.c_str());

    // A program always has a shell icon: the one of the small system icon list.
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, sizeof program);
    form.Prepare(Texts(), 2, program, 10, 0, false);
    ASSERT_TRUE(form.Image1().visible);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(form.Image1().icon, &info));
    BITMAP mask{};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, 16);
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
}

TEST_F(MsgBoxFiles, FourButtonFormMovesTheButtonsAndHidesCancel) {
    ASSERT_TRUE(form.Create(nullptr, TFontSpec{"MS Sans Serif"}));
    form.Prepare(Texts(), 1, "C:\\windows\\win.ini", 0, 0, true);
    const int xs[] = {51, 131, 211, 291};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(ChildPosition(form.Handle(), TfrmMsgBoxFiles::btnYes + i).x, xs[i]);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(form.Handle(), TfrmMsgBoxFiles::btnCancel)));

    form.Prepare(Texts(), 1, "C:\\windows\\win.ini", 0, 0, false);
    const int five[] = {12, 92, 172, 251, 331};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(ChildPosition(form.Handle(), TfrmMsgBoxFiles::btnYes + i).x, five[i]);
}

TEST_F(MsgBoxFiles, EachButtonEndsThePromptWithItsResult) {
    const std::pair<int, int> buttons[] = {{TfrmMsgBoxFiles::btnYes, mrYes},
                                           {TfrmMsgBoxFiles::btnYesToAll, mrYesToAll},
                                           {TfrmMsgBoxFiles::btnNo, mrNo},
                                           {TfrmMsgBoxFiles::btnNoToAll, mrNoToAll},
                                           {TfrmMsgBoxFiles::btnCancel, mrCancel}};
    for (auto [id, result] : buttons) {
        SCOPED_TRACE(id);
        WhenWindow("Overwrite", [id = id](HWND prompt) { PressButton(prompt, id); });
        EXPECT_EQ(
            AskOverwrite(nullptr, TFontSpec{"MS Sans Serif"}, Texts(), 10, 0, "C:\\windows\\win.ini", 2),
            result);
    }
    // Enter takes the default button, No.
    WhenWindow("Overwrite", [](HWND prompt) { PostMessageA(prompt, WM_COMMAND, IDOK, 0); });
    EXPECT_EQ(AskDelete(nullptr, TFontSpec{"MS Sans Serif"}, Texts(), "C:\\windows\\win.ini"), mrNo);
}
