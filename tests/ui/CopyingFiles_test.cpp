#include "UiTestSupport.h"

#include "ui/CopyingFiles.h"
#include "ui/InstallationRun.h"

#include <gtest/gtest.h>

#include <commctrl.h>

using namespace cvn;
using namespace cvn::test;

TEST(CopyingFiles, ProgressKindsReachTheirControls) {
    TfrmCopyingFiles form;
    ASSERT_TRUE(form.Create(nullptr, TFontSpec{}));
    form.Show();
    form.Progress(0, "Copying files...", 0);
    form.Progress(1, "readme.txt", 0);
    form.Progress(3, {}, 200);
    form.Progress(2, {}, 150);
    form.Progress(7, "ignored", 1);
    EXPECT_EQ(form.StatusText(), "Copying files...");
    EXPECT_EQ(form.DetailText(), "readme.txt");
    EXPECT_EQ(form.Maximum(), 200);
    EXPECT_EQ(form.Position(), 150);
    form.Progress(1, {}, 0);
    EXPECT_EQ(form.DetailText(), "");
    EXPECT_EQ(ChildPosition(form.Handle(), TfrmCopyingFiles::btnCancel).x, 110);
    EXPECT_EQ(ChildPosition(form.Handle(), TfrmCopyingFiles::btnCancel).y, 92);
    EXPECT_EQ(ChildPosition(form.Handle(), TfrmCopyingFiles::pbProgress).y, 60);
}

TEST(CopyingFiles, CancelAndTheCloseBoxAskTheOwnerAndTheWindowStays) {
    TfrmCopyingFiles form;
    ASSERT_TRUE(form.Create(nullptr, TFontSpec{}));
    form.Show();
    int asked = 0;
    form.OnCancel = [&] { ++asked; };
    SendMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(TfrmCopyingFiles::btnCancel, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(form.Handle(), TfrmCopyingFiles::btnCancel)));
    SendMessageA(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(form.Visible());
    // During a removal the button is off, and so is the close box's request.
    form.SetCancelEnabled(false);
    SendMessageA(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(form.Visible());
}

TEST(InstallDrive, MessagesNameTheLetterOrTheShare) {
    EXPECT_EQ(InstallDriveName("C:\\Program Files\\App"), "C");
    EXPECT_EQ(InstallDriveName("d:"), "d");
    EXPECT_EQ(InstallDriveName("\\\\server\\share\\app"), "\\\\server\\share");
    EXPECT_EQ(InstallDriveName("relative\\path"), "r");
}
