// Whole engine steps over the in-memory Windows: archives built by the archive
// writer are extracted by the real reader into the fake file system.
#include "EngineFixture.h"

#include "install/UninstallRegistration.h"
#include "package/UninstallData.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace cvn::test {
namespace {

using Strings = std::vector<std::string>;

const std::string kDir = "C:\\Program Files\\Acme";

class HotSyncFake : public THotSyncHandOver {
public:
    Strings handed;
    bool conduitsFail = false;
    bool InstallForUser(const std::string& user, const std::string& file) override {
        handed.push_back(user + ":" + file);
        return true;
    }
    bool RegisterConduit(const TConduitRecord&) override { return !conduitsFail; }
};

class PreviousFake : public TPreviousInstallation {
public:
    std::vector<TUninstallItem> items;
    int total = 4;
    const std::vector<TUninstallItem>& Items() const override { return items; }
    void RemoveDeselectedComponents(const std::function<void(int, int)>& progress) override {
        for (int i = 0; i <= total; ++i)
            progress(i, total);
    }
};

using InstallRun = EngineFixture;

TEST_F(InstallRun, SelectedFilesAreExtractedIntoTheirFoldersAndLogged) {
    pkg.installFolders = {"%InstallDir%\\Help", "%InstallDir%\\bin", "%InstallDir%\\Unused"};
    AddFile(1, "a.exe", "%InstallDir%\\bin\\");
    AddFile(2, "b.hlp", "%InstallDir%\\Help\\", omAlways, "Help");
    AddFile(3, "c.txt", "%InstallDir%\\Unused\\", omAlways, "Extras");
    AddFile(4, "d.txt", "%InstallDir%\\", omAlways, "", "%IsNT% = 0|");
    BuildSetupWithArchive();
    Engine().InstallFiles();

    EXPECT_EQ(platform.File(kDir + "\\bin\\a.exe").bytes, "data1");
    EXPECT_EQ(platform.File(kDir + "\\Help\\b.hlp").bytes, "data2");
    EXPECT_EQ(platform.File(kDir + "\\Help\\b.hlp").age, 0x2B214A21); // the member's date
    EXPECT_FALSE(platform.Has(kDir + "\\Unused\\c.txt"));
    EXPECT_FALSE(platform.Has(kDir + "\\d.txt"));
    EXPECT_FALSE(platform.FolderExists(kDir + "\\Unused")); // no selected file goes there
    // The folders sorted without regard to case, before the files.
    EXPECT_EQ(LogPaths(), (Strings{"4 " + kDir, "4 " + kDir + "\\bin", "4 " + kDir + "\\Help",
                                   "0 " + kDir + "\\bin\\a.exe", "0 " + kDir + "\\Help\\b.hlp"}));
    EXPECT_EQ(Engine().UninstallLog()[3].file.targetDir, "%InstallDir%\\bin\\");
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front().text, "m28");
    EXPECT_EQ(progress.back().kind, ipDetail); // the registration pass clears the detail line
    auto positions = Positions();
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.back(), 100);
}

TEST_F(InstallRun, ComponentArchivesFollowTheMainArchiveWithTheirProgressSpans) {
    TComponentRecord help;
    help.name = "Help";
    help.progressStart = 60;
    pkg.components = {help};
    AddFile(1, "a.exe");
    BuildSetupWithArchive();
    // The component's own archive, appended to the setup program.
    TCVNZipWriter w;
    ASSERT_TRUE(w.CreateInMemory());
    w.AddMessage("Help");
    std::string data = "helpdata";
    w.AddMember(7, 0x2B214A21, std::span(reinterpret_cast<const uint8_t*>(data.data()), data.size()));
    ASSERT_TRUE(w.Finish());
    std::vector<uint8_t> archive = w.TakeData();
    TFakeFile& setup = platform.files.at(TFakePlatform::Key(ctx.setupPath));
    pkg.components[0].archiveOffset = int32_t(setup.bytes.size());
    pkg.components[0].archiveSize = int32_t(archive.size());
    setup.bytes.append(archive.begin(), archive.end());
    AddFile(7, "help.chm", "%InstallDir%\\", omAlways, "Help");

    Engine().InstallFiles();
    EXPECT_EQ(platform.File(kDir + "\\help.chm").bytes, "helpdata");
    EXPECT_EQ(platform.File(kDir + "\\a.exe").bytes, "data1");
    std::vector<int> positions;
    Strings statuses;
    for (auto& p : progress) {
        if (p.kind == ipPosition) positions.push_back(p.value);
        if (p.kind == ipStatus) statuses.push_back(p.text);
    }
    ASSERT_FALSE(positions.empty());
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    EXPECT_TRUE(std::find(positions.begin(), positions.end(), 60) != positions.end());
    EXPECT_EQ(positions.back(), 100);
    // Each archive opens with an empty message record: the plain copying status.
    EXPECT_EQ(statuses, (Strings{"m28", "m28", "m28", "m65 Help", "m33"}));
}

TEST_F(InstallRun, RegistrationPassTakesTheLoggedFilesInOrder) {
    TFileRecord& a = AddFile(1, "a.dll");
    a.entry.shared = 1;
    a.entry.registerServer = 1;
    a.entry.registerTypeLib = 1;
    TFileRecord& b = AddFile(2, "b.ocx");
    b.entry.activeX = 1;
    b.entry.shared = 1;
    TFileRecord& f = AddFile(3, "f.ttf", "%FontsDir%\\");
    f.entry.font = 1;
    f.entry.fontName = "Face (TrueType)";
    TFileRecord& h = AddFile(4, "h.prc");
    h.entry.hotSyncInstall = 1;
    h.entry.shared = 1; // handed over, nothing else
    BuildSetupWithArchive();
    HotSyncFake hotSync;
    ctx.hotSync = &hotSync;
    vars.SetVariable("%HotSyncUser%", "Ann, Bob Smith");
    platform.failingRegistrations.insert(TFakePlatform::Key(kDir + "\\b.ocx"));
    Engine().InstallFiles();

    EXPECT_EQ(platform.sharedCounts, (Strings{kDir + "\\a.dll"}));
    EXPECT_EQ(platform.servers, (Strings{kDir + "\\a.dll"}));
    EXPECT_EQ(platform.typeLibraries, (Strings{kDir + "\\a.dll"}));
    EXPECT_EQ(platform.fontFiles, (Strings{"C:\\WINDOWS\\Fonts\\f.ttf"})); // the installed file
    EXPECT_EQ(platform.fontNames, (Strings{"Face (TrueType)"}));
    EXPECT_EQ(hotSync.handed, (Strings{"Ann:" + kDir + "\\h.prc", "Bob Smith:" + kDir + "\\h.prc"}));
    EXPECT_EQ(Shown(), (Strings{"m21 " + kDir + "\\b.ocx", "m22 " + kDir + "\\b.ocx"}));
    EXPECT_EQ(ui.messages[0].icon, TMessageIcon::Error);
}

TEST_F(InstallRun, SharedCountsNeedWindowsFourOrLater) {
    AddFile(1, "a.dll").entry.shared = 1;
    BuildSetupWithArchive();
    platform.windowsMajor = 3;
    Engine().InstallFiles();
    EXPECT_TRUE(platform.sharedCounts.empty());
}

TEST_F(InstallRun, ConduitsWhoseFileExistsAreRegisteredAndLogged) {
    TConduitRecord c1;
    c1.creatorId = "ABCD";
    c1.conduitFile = "%InstallDir%\\cond.dll";
    TConduitRecord c2;
    c2.creatorId = "WXYZ";
    c2.conduitFile = "%InstallDir%\\missing.dll";
    pkg.conduits = {c1, c2};
    AddFile(1, "cond.dll");
    BuildSetupWithArchive();
    HotSyncFake hotSync;
    ctx.hotSync = &hotSync;
    Engine().InstallFiles();
    EXPECT_EQ(LogPaths().back(), "6 ABCD");

    platform.files.erase(TFakePlatform::Key(kDir + "\\cond.dll"));
    engine.reset();
    platform.PutFile(kDir + "\\cond.dll");
    hotSync.conduitsFail = true;
    pkg.files.clear();
    BuildSetupWithArchive();
    Engine().InstallFiles();
    EXPECT_EQ(Shown(), (Strings{"m62 " + kDir + "\\cond.dll"}));
}

TEST_F(InstallRun, TargetsInAFolderTheRunMadeAreNotLookedUpUnlessWrittenBefore) {
    pkg.installFolders = {"%InstallDir%\\bin"};
    AddFile(1, "a.dll", "%InstallDir%\\bin\\");
    AddFile(2, "A.DLL", "%InstallDir%\\bin\\", omNever); // the same file: kept as member 1 wrote it
    AddFile(3, "c.txt", "%InstallDir%\\", omNever);      // the install folder was there before
    BuildSetupWithArchive();
    platform.PutFile(kDir + "\\c.txt");
    platform.fileLookups = 0;
    Engine().InstallFiles();
    EXPECT_EQ(platform.File(kDir + "\\bin\\a.dll").bytes, "data1");
    EXPECT_EQ(platform.File(kDir + "\\c.txt").bytes, "old");
    EXPECT_EQ(platform.fileLookups, 2); // members 2 and 3
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(InstallRun, ALockedTargetIsReportedAndTheRunGoesOn) {
    AddFile(1, "a.dll");
    AddFile(2, "b.dll");
    BuildSetupWithArchive();
    platform.PutFile(kDir + "\\a.dll").locked = true;
    Engine().InstallFiles();
    EXPECT_EQ(Shown(), (Strings{"m66 " + kDir + "\\a.dll"}));
    EXPECT_EQ(ui.messages[0].icon, TMessageIcon::Warning);
    EXPECT_EQ(platform.File(kDir + "\\a.dll").bytes, "old");
    EXPECT_EQ(platform.File(kDir + "\\b.dll").bytes, "data2");
    EXPECT_EQ(LogPaths().back(), "0 " + kDir + "\\b.dll");
}

TEST_F(InstallRun, ACorruptedArchiveEndsTheExtractionWithItsMessage) {
    AddFile(1, "a.dll");
    TCVNZipWriter w;
    ASSERT_TRUE(w.CreateInMemory());
    std::vector<uint8_t> text(70000, 'x'); // compresses: a bzip2 block to damage
    ASSERT_TRUE(w.AddMember(1, 0, text));
    ASSERT_TRUE(w.Finish());
    std::vector<uint8_t> archive = w.TakeData();
    // Spoil the compressed data of the first block, behind its bzip2 stream header.
    const std::string signature = "BZh";
    auto at = std::search(archive.begin(), archive.end(), signature.begin(), signature.end());
    ASSERT_NE(at, archive.end());
    at[20] ^= 0x55;
    at[21] ^= 0xAA;
    std::string setup(10, 'S');
    setup.append(archive.begin(), archive.end());
    platform.PutFile(ctx.setupPath, setup);
    ctx.archiveOffset = 10;
    pkg.progress.mainArchiveSize = int32_t(archive.size());
    Engine().InstallFiles();
    EXPECT_EQ(Shown(), (Strings{"Corvane Zip file corrupted."}));
    EXPECT_TRUE(Engine().Aborted());
    EXPECT_TRUE(ui.terminated);
}

TEST_F(InstallRun, ATargetThatCannotBeWrittenEndsTheRunBeforeAnythingIsRegistered) {
    TComponentRecord help;
    help.name = "Help";
    help.progressStart = 50;
    pkg.components = {help};
    AddFile(1, "a.exe");
    AddFile(2, "b.exe");
    AddFile(7, "help.chm", "%InstallDir%\\", omAlways, "Help");
    BuildSetupWithArchive();
    // The component's archive is a second copy of the main one: read, it would write everything.
    pkg.components[0].archiveOffset = 100;
    pkg.components[0].archiveSize = pkg.progress.mainArchiveSize;
    TRegistryRecord value;
    value.key = "Software\\Acme";
    value.valueName = "Path";
    pkg.registry = {value};
    platform.unwritableTargets.insert(TFakePlatform::Key(kDir + "\\a.exe"));

    Engine().InstallFiles();
    EXPECT_EQ(Shown(), (Strings{"m66 " + kDir + "\\a.exe"}));
    EXPECT_TRUE(ui.terminated);
    EXPECT_TRUE(Engine().Aborted());
    EXPECT_FALSE(platform.Has(kDir + "\\b.exe"));
    EXPECT_FALSE(platform.Has(kDir + "\\help.chm"));
    // Nothing presents the product as installed.
    const size_t calls = platform.calls.size();
    Engine().CreateShortcuts();
    Engine().WriteRegistry();
    Engine().WriteUninstallData();
    EXPECT_EQ(platform.calls.size(), calls);
    EXPECT_FALSE(platform.Has(kDir + "\\uninst.dat"));
}

TEST_F(InstallRun, AnUnreadableArchiveEndsTheProgram) {
    AddFile(1, "a.dll");
    BuildSetupWithArchive();
    ctx.archiveOffset = 5; // no archive header there
    platform.PutFile(ctx.setupPath, "short");
    Engine().InstallFiles();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find("Setup cannot read the archive"), std::string::npos);
    EXPECT_TRUE(ui.terminated);
    EXPECT_TRUE(Engine().Aborted());
}

TEST_F(InstallRun, VolumeFilesAreReadFromTheFirstVolumeBesideTheSetupProgram) {
    AddFile(1, "a.dll");
    BuildSetupWithArchive();
    const std::string& setup = platform.File(ctx.setupPath).bytes;
    platform.PutFile("D:\\dl\\setup.001", setup.substr(100));
    ctx.archiveOffset = 0;
    Engine().InstallFiles();
    EXPECT_EQ(platform.File(kDir + "\\a.dll").bytes, "data1");
}

TEST_F(InstallRun, AnInstallFolderThatCannotBeCreatedEndsTheProgram) {
    platform.failingFolders.insert(TFakePlatform::Key(kDir));
    AddFile(1, "a.dll");
    BuildSetupWithArchive();
    Engine().InstallFiles();
    EXPECT_EQ(Shown(), (Strings{"m10"}));
    EXPECT_TRUE(ui.terminated);
    EXPECT_TRUE(Engine().Aborted());
    // Every later step returns at once.
    size_t calls = platform.calls.size();
    pkg.shortcuts.push_back(TShortcutRecord{});
    Engine().CreateShortcuts();
    Engine().WriteRegistry();
    Engine().WriteUninstallData();
    Engine().DeleteCarrierFiles();
    EXPECT_EQ(platform.calls.size(), calls);
    EXPECT_EQ(Engine().GetAppManagerArgs(), "");
}

TEST_F(InstallRun, MaintenanceModeSkipsExistingFoldersAndHalvesTheBar) {
    pkg.installFolders = {"%InstallDir%\\bin"};
    AddFile(1, "a.exe", "%InstallDir%\\bin\\", omAlways, "Help");
    BuildSetupWithArchive();
    platform.CreateFolderPath(kDir + "\\bin");
    selection.EnterMaintenanceMode();
    selection.SetComponentsToAdd("Help");
    Engine().InstallFiles();
    EXPECT_EQ(LogPaths(), (Strings{"0 " + kDir + "\\bin\\a.exe"}));
    auto copying = Positions();
    ASSERT_FALSE(copying.empty()) << "the copy reported no bar position";
    EXPECT_EQ(*std::max_element(copying.begin(), copying.end()), 50) << "copying fills the first half";

    PreviousFake previous;
    ctx.previous = &previous;
    engine.reset();
    progress.clear();
    Engine().RemoveDeselectedComponents(100);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress[0].text, "m59");
    EXPECT_EQ(Positions(), (std::vector<int>{50, 62, 75, 87, 100}));
}

// --- shortcuts ------------------------------------------------------------------

TShortcutRecord Shortcut(const std::string& name, const std::string& target, const std::string& folder) {
    TShortcutRecord s;
    s.name = name;
    s.target = target;
    s.folder = folder;
    s.showCommand = 3;
    s.iconIndex = 2;
    s.description = "%SoftwareName% help";
    s.text2 = "carried";
    return s;
}

using Shortcuts = EngineFixture;

TEST_F(Shortcuts, GroupFoldersAndLinksWithTheirTargets) {
    sys.shellFolders[{TShellFolderKind::Programs, false}] = "C:\\Menu";
    pkg.programGroupFolders = {"%ProgramGroupDir%\\Tools", "%ProgramGroupDir%\\Empty"};
    AddFile(1, "tool.exe", "%InstallDir%\\bin\\");
    platform.CreateFolderPath(kDir + "\\docs");
    TShortcutRecord tool = Shortcut("Tool", "tool.exe", "%ProgramGroupDir%\\");
    tool.arguments = "/x %InstallDir%";
    tool.iconFile = "%InstallDir%\\i.ico";
    pkg.shortcuts = {tool, Shortcut("Docs", "%InstallDir%\\docs\\", "%ProgramGroupDir%\\Tools\\"),
                     Shortcut("Read", "readme.txt", "%ProgramGroupDir%\\Tools\\"),
                     Shortcut("Remove", "uninstaller", "%ProgramGroupDir%\\"),
                     Shortcut("Abs", "C:\\Other\\x.exe", "%DesktopDir%\\")};
    Engine().CreateShortcuts();

    EXPECT_EQ(progress.at(0).text, "m34");
    EXPECT_EQ(LogPaths(),
              (Strings{"4 C:\\Menu\\Acme", "4 C:\\Menu\\Acme\\Tools", "0 C:\\Menu\\Acme\\Tool.lnk",
                       "0 C:\\Menu\\Acme\\Tools\\Docs.lnk", "0 C:\\Menu\\Acme\\Tools\\Read.lnk",
                       "0 C:\\Menu\\Acme\\Remove.lnk", "0 C:\\Users\\me\\Desktop\\Abs.lnk"}));
    ASSERT_EQ(platform.links.size(), 5u);
    const TShellLinkSpec& t = platform.links[0];
    EXPECT_EQ(t.target, kDir + "\\bin\\tool.exe"); // the folder of the installed file
    EXPECT_EQ(t.workingFolder, kDir + "\\bin");
    EXPECT_EQ(t.arguments, "/x " + kDir);
    EXPECT_EQ(t.iconFile, kDir + "\\i.ico");
    EXPECT_EQ(t.iconIndex, 2);
    EXPECT_EQ(t.showCommand, 3);
    EXPECT_EQ(t.description, "%SoftwareName% help");            // as stored
    EXPECT_EQ(platform.links[1].target, kDir + "\\docs");       // an existing folder
    EXPECT_EQ(platform.links[2].target, kDir + "\\readme.txt"); // no such file: %InstallDir%
    EXPECT_EQ(platform.links[3].target, "C:\\WINDOWS\\cvnuninst.exe");
    EXPECT_EQ(platform.links[3].arguments, "\"" + kDir + "\\uninst.dat\"");
    EXPECT_EQ(platform.links[4].target, "C:\\Other\\x.exe");

    const TFileEntry& e = Engine().UninstallLog()[2].file;
    EXPECT_EQ(e.sourceName, "C:\\Menu\\Acme\\Tool.lnk");
    EXPECT_EQ(e.targetDir, "%ProgramGroupDir%\\");
    EXPECT_EQ(e.text3, "carried");
    EXPECT_EQ(e.overwriteMode, 0);
}

TEST_F(Shortcuts, OnlyDriveAndNetworkTargetsAreFullPaths) {
    vars.SetVariable("%Empty%", "");
    pkg.shortcuts = {Shortcut("A", "\\bin\\app.exe", "%DesktopDir%\\"),
                     Shortcut("B", "%Empty%\\app.exe", "%DesktopDir%\\"),
                     Shortcut("C", "\\\\server\\share\\app.exe", "%DesktopDir%\\")};
    Engine().CreateShortcuts();
    ASSERT_EQ(platform.links.size(), 3u);
    EXPECT_EQ(platform.links[0].target, kDir + "\\bin\\app.exe");
    EXPECT_EQ(platform.links[1].target, kDir + "\\app.exe");
    EXPECT_EQ(platform.links[2].target, "\\\\server\\share\\app.exe");
}

TEST_F(Shortcuts, FailuresOfTheGroupAndOfLinks) {
    sys.shellFolders[{TShellFolderKind::Programs, false}] = "C:\\Menu";
    pkg.shortcuts = {Shortcut("A", "a.exe", "%ProgramGroupDir%\\"), Shortcut("B", "b.exe", "%DesktopDir%\\")};
    platform.linksFail = true;
    Engine().CreateShortcuts();
    EXPECT_EQ(Shown(), (Strings{"m24"})); // once for both links

    engine.reset();
    ui.messages.clear();
    platform.failingFolders.insert("C:\\MENU\\ACME");
    platform.folders.erase("C:\\MENU\\ACME");
    platform.linksFail = false;
    Engine().CreateShortcuts();
    EXPECT_EQ(Shown(), (Strings{"m16"}));
    EXPECT_TRUE(platform.links.empty()); // no shortcut at all
    EXPECT_FALSE(Engine().Aborted());    // but the run goes on

    engine.reset();
    ui.messages.clear();
    platform.failingFolders = {"C:\\MENU\\ACME\\SUB"};
    pkg.programGroupFolders = {"%ProgramGroupDir%\\Sub"};
    pkg.shortcuts.push_back(Shortcut("C", "c.exe", "%ProgramGroupDir%\\Sub\\"));
    Engine().CreateShortcuts();
    EXPECT_EQ(Shown(), (Strings{"m10"}));
    EXPECT_TRUE(Engine().Aborted());
    EXPECT_TRUE(ui.terminated);
}

TEST_F(Shortcuts, MaintenanceLeavesAnExistingGroupAlone) {
    sys.shellFolders[{TShellFolderKind::Programs, false}] = "C:\\Menu";
    platform.CreateFolderPath("C:\\Menu\\Acme");
    pkg.shortcuts = {Shortcut("A", "a.exe", "%ProgramGroupDir%\\")};
    pkg.shortcuts[0].components = "Help";
    selection.EnterMaintenanceMode();
    selection.SetComponentsToAdd("Help");
    Engine().CreateShortcuts();
    EXPECT_EQ(LogPaths(), (Strings{"0 C:\\Menu\\Acme\\A.lnk"}));
}

// --- registry -------------------------------------------------------------------

TRegistryRecord Reg(uint8_t root, const std::string& key, int32_t type, const std::string& name,
                    const std::string& data) {
    TRegistryRecord r;
    r.root = root;
    r.key = key;
    r.valueType = type;
    r.valueName = name;
    r.data = data;
    return r;
}

using Registry = EngineFixture;

TEST_F(Registry, ValuesAreWrittenInTheirTypesAndLoggedExpanded) {
    using namespace std::string_literals;
    pkg.registry = {Reg(2, "\\Software\\%CompanyName%\\", 0, "Path", "%InstallDir%"),
                    Reg(9, "Software\\Acme", 1, "Count", "12a3"), // keeps HKEY_LOCAL_MACHINE
                    Reg(1, "Software\\Acme", 2, "Bytes", "0A 0B"), Reg(1, "Software\\Acme", 3, "", "a;b"),
                    Reg(1, "Software\\Acme", 0, "Skipped", "x")};
    pkg.registry[4].components = "Extras";
    Engine().WriteRegistry();
    EXPECT_EQ(progress.at(0).text, "m35");
    const TFakeValue* path = platform.Value(TRegRoot::LocalMachine, "Software\\Acme", "Path");
    ASSERT_TRUE(path);
    EXPECT_EQ(path->bytes, kDir + '\0');
    EXPECT_EQ(platform.Value(TRegRoot::LocalMachine, "Software\\Acme", "Count")->bytes, "\x7B\0\0\0"s);
    EXPECT_EQ(platform.Value(TRegRoot::CurrentUser, "Software\\Acme", "Bytes")->bytes, "\x0A"s);
    EXPECT_EQ(platform.Value(TRegRoot::CurrentUser, "Software\\Acme", "")->type,
              TRegistryValueType::MultiString);
    EXPECT_FALSE(platform.Value(TRegRoot::CurrentUser, "Software\\Acme", "Skipped"));

    const auto& log = Engine().UninstallLog();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].kind, ukRegistryValue);
    EXPECT_EQ(log[0].registry.key, "Software\\Acme");
    EXPECT_EQ(log[0].registry.data, kDir);
    EXPECT_EQ(log[1].registry.root, 9);                            // the code as stored
    EXPECT_EQ(pkg.registry[0].key, "\\Software\\%CompanyName%\\"); // the package stays as loaded
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Registry, KeysThatCannotBeOpenedAreReportedOnceAtTheEnd) {
    pkg.registry = {Reg(0, "Bad1", 0, "a", "1"), Reg(0, "Good", 0, "b", "2"), Reg(0, "Bad2", 0, "c", "3")};
    platform.failingKeys = {"BAD1", "BAD2"};
    Engine().WriteRegistry();
    EXPECT_EQ(Shown(), (Strings{"m17"}));
    EXPECT_TRUE(platform.Value(TRegRoot::ClassesRoot, "Good", "b"));
    EXPECT_EQ(Engine().UninstallLog().size(), 1u);
}

// --- uninstall data ---------------------------------------------------------------

using UninstallData = EngineFixture;

TUninstallData ReadBack(const TFakePlatform& platform, const std::string& path) {
    const std::string& bytes = platform.File(path).bytes;
    std::vector<uint8_t> data(bytes.begin(), bytes.end());
    ByteReader r(data);
    TUninstallData d = ReadUninstallData(r);
    EXPECT_TRUE(r.AtEnd());
    return d;
}

TEST_F(UninstallData, FileInTheInstallFolderThenTheUninstallEntry) {
    pkg.Settings().description = "Tools";
    pkg.Settings().uninstallDisplayName = "%SoftwareName% 2";
    pkg.Settings().displayVersion = "2.0";
    pkg.flags.uninstallerOption = 3;
    pkg.eventScripts[6].push_back(TScriptStatement{10, {}, "c|"});
    AddFile(1, "Acme Tool.ico");
    BuildSetupWithArchive();
    Engine().InstallFiles();
    Engine().WriteUninstallData();

    TUninstallData d = ReadBack(platform, kDir + "\\uninst.dat");
    EXPECT_EQ(platform.adminFiles, std::vector<std::string>{kDir + "\\uninst.dat"}) << "once, when complete";
    EXPECT_EQ(d.softwareName, "Acme Tool");
    EXPECT_EQ(d.uninstallerOption, 3);
    EXPECT_EQ(d.uninstallerTexts[0], "m36");
    EXPECT_EQ(d.uninstallerTexts[23], "m6");
    EXPECT_EQ(d.promptButtons[1], "m4");
    EXPECT_EQ(d.fileLabels[0], "m67");
    EXPECT_EQ(d.deviceConnectionText, "m61");
    EXPECT_EQ(d.afterUninstall.size(), 1u);
    EXPECT_EQ(d.setupPath, "D:\\dl\\setup.exe");
    EXPECT_EQ(d.iconPath, kDir + "\\Acme Tool.ico");
    EXPECT_EQ(d.installedComponents, "Main|Help");
    bool hasInstallDir = false;
    for (auto& v : d.variables)
        hasInstallDir |= v == "%InstallDir%=" + kDir;
    EXPECT_TRUE(hasInstallDir);

    // Log items first, then the entry's values, then uninst.dat itself.
    ASSERT_EQ(d.items.size(), 2u + 12u + 1u);
    EXPECT_EQ(d.items[1].kind, ukPlainFile); // the icon
    EXPECT_EQ(d.items[2].registry.valueName, "DisplayName");
    EXPECT_EQ(d.items[2].registry.data, "Acme Tool 2");
    EXPECT_EQ(d.items[2].registry.root, 2);
    EXPECT_EQ(d.items[13].registry.valueName, "DisplayIcon");
    EXPECT_EQ(d.items[14].kind, ukPlainFile);
    EXPECT_EQ(d.items[14].path, kDir + "\\uninst.dat");

    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Acme Acme Tool";
    const TFakeValue* cmd = platform.Value(TRegRoot::LocalMachine, key, "UninstallString");
    ASSERT_TRUE(cmd);
    EXPECT_EQ(cmd->bytes, "\"C:\\WINDOWS\\cvnuninst.exe\" \"" + kDir + "\\uninst.dat\"" + '\0');
}

TEST_F(UninstallData, WithoutTheEntryTheFileIsStillComplete) {
    platform.failingKeys.insert(TFakePlatform::Key(UninstallKeyPath("Acme", "Acme Tool")));
    Engine().WriteUninstallData();
    EXPECT_EQ(Shown(), (Strings{"m11"}));
    TUninstallData d = ReadBack(platform, kDir + "\\uninst.dat");
    ASSERT_EQ(d.items.size(), 1u);
    EXPECT_EQ(d.items[0].path, kDir + "\\uninst.dat");
}

TEST_F(UninstallData, MaintenanceCarriesThePreviousLogAheadAndLogsNoEntryValues) {
    PreviousFake previous;
    previous.items = {{ukDirectory, "C:\\old", {}, {}}, {ukPlainFile, kDir + "\\uninst.dat", {}, {}}};
    ctx.previous = &previous;
    selection.EnterMaintenanceMode();
    selection.SetComponentsToAdd("Help");
    AddFile(1, "new.dll", "%InstallDir%\\", omAlways, "Help");
    BuildSetupWithArchive();
    Engine().InstallFiles();
    Engine().WriteUninstallData();
    TUninstallData d = ReadBack(platform, kDir + "\\uninst.dat");
    Strings paths;
    for (auto& i : d.items)
        paths.push_back(i.path);
    EXPECT_EQ(paths, (Strings{"C:\\old", kDir + "\\uninst.dat", kDir + "\\new.dll"}));
    // The entry is written again all the same.
    EXPECT_TRUE(platform.Value(TRegRoot::LocalMachine, UninstallKeyPath("Acme", "Acme Tool"), "DisplayName"));
}

TEST_F(UninstallData, AnUnwritableFileIsReportedAndLeavesNoEntry) {
    platform.PutFile(kDir + "\\uninst.dat").locked = true;
    Engine().WriteUninstallData();
    EXPECT_EQ(Shown(), (Strings{"m66 " + kDir + "\\uninst.dat"}));
    const std::string key = UninstallKeyPath("Acme", "Acme Tool");
    EXPECT_FALSE(platform.keys.count({TRegRoot::LocalMachine, TFakePlatform::Key(key)}));
    EXPECT_FALSE(platform.Value(TRegRoot::LocalMachine, key, "UninstallString"));
}

// --- carrier files --------------------------------------------------------------

TEST_F(InstallRun, CarrierFilesAndEmptiedFoldersAreRemoved) {
    pkg.installFolders = {"%InstallDir%\\Device"};
    pkg.deviceApplications.main.cabFiles = "app.cab";
    AddFile(1, "app.cab", "%InstallDir%\\Device\\");
    AddFile(2, "Acme Tool.ico", "%InstallDir%\\Device\\");
    BuildSetupWithArchive();
    Engine().InstallFiles();
    ASSERT_TRUE(platform.Has(kDir + "\\Device\\app.cab"));
    Engine().DeleteCarrierFiles();
    EXPECT_FALSE(platform.Has(kDir + "\\Device\\app.cab"));
    EXPECT_FALSE(platform.Has(kDir + "\\Device\\Acme Tool.ico"));
    EXPECT_FALSE(platform.FolderExists(kDir + "\\Device"));
    EXPECT_FALSE(platform.FolderExists(kDir)); // emptied once its child went
}

TEST_F(InstallRun, CarrierRemovalKeepsFoldersThatStillHoldFiles) {
    pkg.deviceApplications.main.cabFiles = "app.cab";
    AddFile(1, "app.cab");
    AddFile(2, "keep.exe");
    BuildSetupWithArchive();
    Engine().InstallFiles();
    Engine().DeleteCarrierFiles();
    EXPECT_FALSE(platform.Has(kDir + "\\app.cab"));
    EXPECT_TRUE(platform.Has(kDir + "\\keep.exe"));
    EXPECT_TRUE(platform.FolderExists(kDir));
}

} // namespace
} // namespace cvn::test
