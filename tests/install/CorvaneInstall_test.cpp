#include "EngineFixture.h"

#include <gtest/gtest.h>

namespace cvn::test {
namespace {

using A = TOverwriteAnswer;
using Strings = std::vector<std::string>;

// --- one member at a time ---------------------------------------------------------

using RestoreFile = EngineFixture;

TEST_F(RestoreFile, TargetIsTheExpandedFolderAndTheMembersFileName) {
    AddFile(1, "a.dll", "%InstallDir%\\bin");
    AddFile(2, "b.dll", "%InstallDir%\\", omAlways, "Help");
    AddFile(3, "c.dll", "%InstallDir%\\", omAlways, "", "%InstallDir% = nowhere|");
    AddFile(4, "d.dll", "%InstallDir%\\", omAlways, "Extras");
    EXPECT_EQ(Restore(1), std::make_tuple(std::string(kInstallDir) + "\\bin\\a.dll", true, int32_t(ukFile)));
    EXPECT_TRUE(std::get<1>(Restore(2)));   // selected component
    EXPECT_FALSE(std::get<1>(Restore(3)));  // condition fails
    EXPECT_FALSE(std::get<1>(Restore(4)));  // component not selected
    EXPECT_FALSE(std::get<1>(Restore(99))); // no such record
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(RestoreFile, ProtectedSystemFilesAreSkippedSilently) {
    AddFile(1, "comctl32.dll", "%SysDir%\\");
    platform.PutFile("C:\\WINDOWS\\SYSTEM32\\comctl32.dll");
    platform.protectedFiles.insert("C:\\WINDOWS\\SYSTEM32\\COMCTL32.DLL");
    EXPECT_FALSE(std::get<1>(Restore(1)));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.overwritePrompts.empty());
}

TEST_F(RestoreFile, CabinetsUninstallerAndIconGetTheirOwnKinds) {
    pkg.deviceApplications.main.cabFiles = "x.cab|APP.CAB";
    AddFile(1, "app.cab", "%InstallDir%\\Device\\");
    AddFile(2, "CvnUninst.dat", "%WinDir%", omAlways, "", "uninstaller");
    AddFile(3, "cvnuninst.dat", "%WinDir%\\", omAlways, "", "Uninstaller"); // condition is exact
    AddFile(4, "Acme Tool.ico");
    pkg.Settings().softwareName = "Acme. Tool";
    AddFile(5, "Acme_ Tool.ico"); // the dot is made safe too
    EXPECT_EQ(std::get<2>(Restore(1)), ukDeviceFile);
    EXPECT_EQ(Restore(2),
              std::make_tuple(std::string("C:\\WINDOWS\\cvnuninst.exe"), true, int32_t(ukUninstaller)));
    EXPECT_EQ(platform.keptAtRestart, (Strings{"C:\\WINDOWS\\cvnuninst.exe"}));
    EXPECT_EQ(std::get<0>(Restore(3)), "C:\\WINDOWS\\cvnuninst.dat");
    EXPECT_EQ(std::get<2>(Restore(4)), ukFile);
    EXPECT_EQ(std::get<2>(Restore(5)), ukPlainFile);
    Strings details;
    for (auto& p : progress)
        if (p.kind == ipDetail) details.push_back(p.text);
    EXPECT_EQ(details, (Strings{"m29", "m30", "cvnuninst.dat", "Acme Tool.ico", "Acme_ Tool.ico"}));

    Engine().ArchiveFileRestored(5, std::string(kInstallDir) + "\\Acme_ Tool.ico", ukPlainFile);
    EXPECT_EQ(Engine().IconPath(), std::string(kInstallDir) + "\\Acme_ Tool.ico");
}

TEST_F(RestoreFile, ReplaceOnlyModesDoNotCreateFiles) {
    AddFile(1, "a.dll", "%InstallDir%\\", omReplaceExisting);
    AddFile(2, "b.dll", "%InstallDir%\\", omAskExisting);
    EXPECT_FALSE(std::get<1>(Restore(1)));
    EXPECT_FALSE(std::get<1>(Restore(2)));
    platform.PutFile(std::string(kInstallDir) + "\\a.dll");
    EXPECT_TRUE(std::get<1>(Restore(1)));
}

TEST_F(RestoreFile, ThePromptCarriesTheQuestionTheNewFileAndTheCaptions) {
    TFileRecord& f = AddFile(1, "a.dll", "%InstallDir%\\", omAsk);
    f.fileDate = 0x31234567;
    f.fileSize = 12345;
    platform.PutFile(std::string(kInstallDir) + "\\a.dll");
    ui.overwriteAnswers = {A::Yes};
    EXPECT_TRUE(std::get<1>(Restore(1)));
    ASSERT_EQ(ui.overwritePrompts.size(), 1u);
    const TOverwritePrompt& p = ui.overwritePrompts[0];
    EXPECT_EQ(p.message, "m25 a.dll");
    EXPECT_EQ(p.filePath, std::string(kInstallDir) + "\\a.dll");
    EXPECT_EQ(p.newDate, 0x31234567u);
    EXPECT_EQ(p.newSize, 12345u);
    EXPECT_EQ((Strings{p.yes, p.yesToAll, p.no, p.noToAll, p.cancel, p.existentLabel, p.destinationLabel}),
              (Strings{"m2", "m4", "m3", "m5", "m1", "m67", "m68"}));
}

TEST_F(RestoreFile, SkippingAModeZeroFileWarnsOnceAsInformationWithTheSecondButton) {
    AddFile(1, "a.dll", "%InstallDir%\\", omAsk);
    AddFile(2, "b.dll", "%InstallDir%\\", omAsk);
    AddFile(3, "c.dll", "%InstallDir%\\", omAskNoSkip);
    for (auto n : {"a.dll", "b.dll", "c.dll"})
        platform.PutFile(std::string(kInstallDir) + "\\" + n);
    ui.overwriteAnswers = {A::NoToAll, A::No, A::Yes};
    EXPECT_FALSE(std::get<1>(Restore(1)));
    EXPECT_FALSE(std::get<1>(Restore(2))); // remembered, no second warning
    EXPECT_TRUE(std::get<1>(Restore(3)));  // mode 1 asks again: No, then message 15, then Yes
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, "m14");
    EXPECT_EQ(ui.messages[0].icon, TMessageIcon::Information);
    EXPECT_TRUE(ui.messages[0].secondDefault);
    EXPECT_EQ(ui.messages[1].text, "m15");
    EXPECT_EQ(ui.messages[1].icon, TMessageIcon::Error);
    EXPECT_EQ(ui.overwritePrompts.size(), 3u);
}

TEST_F(RestoreFile, ByVersionComparesTheInstalledVersionResource) {
    TFileRecord& f = AddFile(1, "a.dll", "%InstallDir%\\", omAskByVersion);
    f.versionMS = 0x00020000;
    TFakeFile& old = platform.PutFile(std::string(kInstallDir) + "\\a.dll");
    old.versionMS = 0x00020000;
    EXPECT_TRUE(std::get<1>(Restore(1))); // equal: no question
    old.versionMS = 0x00030000;
    ui.overwriteAnswers = {A::No};
    EXPECT_FALSE(std::get<1>(Restore(1)));
    ASSERT_EQ(ui.overwritePrompts.size(), 1u);
    EXPECT_EQ(ui.overwritePrompts[0].message, "m27 a.dll"); // the package's copy is older
    EXPECT_TRUE(ui.messages.empty());                       // mode 8 skips without warning
}

TEST_F(RestoreFile, CancelClosesTheWizardAndAConfirmedQuitSkipsAndAborts) {
    AddFile(1, "a.dll", "%InstallDir%\\", omAsk);
    platform.PutFile(std::string(kInstallDir) + "\\a.dll");
    abortOnClose = false;
    ui.overwriteAnswers = {A::Cancel, A::Yes};
    EXPECT_TRUE(std::get<1>(Restore(1)));
    EXPECT_EQ(ui.closeRequests, 1);
    EXPECT_FALSE(Engine().Aborted());

    abortOnClose = true;
    ui.overwriteAnswers = {A::Cancel};
    EXPECT_FALSE(std::get<1>(Restore(1)));
    EXPECT_TRUE(Engine().Aborted());
    EXPECT_FALSE(std::get<1>(Restore(1))); // nothing more once aborted
    EXPECT_EQ(ui.overwritePrompts.size(), 3u);
}

TEST_F(RestoreFile, ACannotReplaceWarningNamesTheFile) {
    Engine().ArchiveCannotReplace(1, "C:\\x\\a.dll");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "m66 C:\\x\\a.dll");
    EXPECT_EQ(ui.messages[0].icon, TMessageIcon::Warning);
}

// --- volumes, billboards ---------------------------------------------------------

using EngineEvents = EngineFixture;

TEST_F(EngineEvents, NextVolumeFoundGoesOnWithoutAsking) {
    platform.PutFile("E:\\setup.002");
    std::string volume = "E:\\setup.001";
    bool goOn = true;
    Engine().ArchiveNeedVolume(2, volume, goOn);
    EXPECT_TRUE(goOn);
    EXPECT_EQ(volume, "E:\\setup.001"); // the reader moves on to .002 itself
    EXPECT_TRUE(ui.diskPrompts.empty());
}

TEST_F(EngineEvents, MissingVolumeAsksForTheDiskAndTakesTheChosenFolder) {
    std::string volume = "E:\\setup.001";
    bool goOn = true;
    ui.diskAnswers = {"F:\\disk2"};
    Engine().ArchiveNeedVolume(12, volume, goOn);
    EXPECT_TRUE(goOn);
    EXPECT_EQ(volume, "F:\\disk2\\setup.001");
    EXPECT_EQ(Engine().CurrentDisk(), 12);
    ASSERT_EQ(ui.diskPrompts.size(), 1u);
    const TNextDiskPrompt& p = ui.diskPrompts[0];
    EXPECT_EQ(p.disk, 12);
    EXPECT_EQ(p.message, "m51 12");
    EXPECT_EQ(p.folder, "E:\\");
    EXPECT_EQ((Strings{p.caption, p.pathLabel, p.browse, p.ok, p.cancel, p.notFoundText, p.directoryCaption,
                       p.drivesLabel}),
              (Strings{"m50", "m52", "m57", "m0", "m1", "m20 <disk>", "m46", "m49"}));

    // Cancel: the wizard asks whether to quit; declined, the reader asks again.
    abortOnClose = false;
    Engine().ArchiveNeedVolume(13, volume, goOn);
    EXPECT_TRUE(goOn);
    abortOnClose = true;
    Engine().ArchiveNeedVolume(13, volume, goOn);
    EXPECT_FALSE(goOn);
    EXPECT_EQ(ui.closeRequests, 2);
}

TEST_F(EngineEvents, BillboardIndexSpreadsThePicturesOverThePercentages) {
    EXPECT_EQ(BillboardIndex(50, 0), -1);
    EXPECT_EQ(BillboardIndex(0, 4), 0);
    EXPECT_EQ(BillboardIndex(25, 4), 0);
    EXPECT_EQ(BillboardIndex(26, 4), 1);
    EXPECT_EQ(BillboardIndex(99, 4), 3);
    EXPECT_EQ(BillboardIndex(100, 4), 3);
    EXPECT_EQ(BillboardIndex(100, 3), 2);
    EXPECT_EQ(BillboardIndex(99, 3), 2);              // 33 * 3 = 99
    EXPECT_EQ(BillboardIndex(100 / 7 * 7 + 1, 7), 6); // past the last step: the last picture
    EXPECT_EQ(BillboardIndex(150, 1), 0);
}

TEST_F(EngineEvents, ABillboardShowsWhenItsPictureChangesAndExists) {
    pkg.billboards = {"one.bmp", "two.bmp"};
    platform.PutFile("C:\\TEMP\\cvn001\\two.bmp");
    Engine().SetProgressTop(500);
    Engine().ShowBillboard(0); // one.bmp is missing: nothing shown, index still taken
    EXPECT_EQ(Engine().CurrentBillboard(), 0);
    Engine().ShowBillboard(60);
    Engine().ShowBillboard(70);
    ASSERT_EQ(ui.billboards.size(), 1u);
    EXPECT_EQ(ui.billboards[0], std::make_pair(std::string("C:\\TEMP\\cvn001\\two.bmp"), 500));
    Engine().FreeBillboardWindow();
    Engine().FreeBillboardWindow();
    EXPECT_EQ(ui.billboardCloses, 1);
}

TEST_F(EngineEvents, ProgressIsHalvedInMaintenanceAndStopsTheReaderOnAbort) {
    bool goOn = true;
    Engine().ArchiveProgress(1, 40, goOn);
    selection.EnterMaintenanceMode();
    Engine().ArchiveProgress(1, 40, goOn);
    EXPECT_TRUE(goOn);
    Engine().Abort();
    Engine().ArchiveProgress(1, 60, goOn);
    EXPECT_FALSE(goOn);
    ASSERT_EQ(progress.size(), 2u);
    EXPECT_EQ(progress[0].value, 40);
    EXPECT_EQ(progress[1].value, 20);
    EXPECT_GE(ui.pumps, 1);
}

TEST_F(EngineEvents, ComponentMessagesBecomeTheStatusLine) {
    Engine().ArchiveMessage("");
    Engine().ArchiveMessage("Help");
    ASSERT_EQ(progress.size(), 2u);
    EXPECT_EQ(progress[0].text, "m28");
    EXPECT_EQ(progress[1].text, "m65 Help");
    EXPECT_EQ(progress[1].kind, ipStatus);
    EXPECT_EQ(ui.pumps, 2) << "every status report lets the windows catch up";
}

} // namespace
} // namespace cvn::test
