#include "package/PackageModel.h"
#include "script/ScriptFixture.h"
#include "script/SelectionQueries.h"
#include "script/SizeText.h"

namespace cvn::test {
namespace {

class Selection : public ScriptFixture {
protected:
    void SetUp() override { selection.Load({"Program", "Program|Docs", "Docs"}, true); }
};

TEST_F(Selection, SetupTypeSwitchesTheSelectionAndKeepsTheCustomChoice) {
    Set("%SetupType%", "1");
    EXPECT_EQ(selection.Current(), "Program|Docs");
    Set("%SetupType%", "2");
    EXPECT_EQ(selection.Current(), "Docs");
    selection.SetCurrent("Extras", true); // the user edits the custom choice
    EXPECT_EQ(selection.SetupTypeList(2), "Extras");
    Set("%SetupType%", "1");
    EXPECT_EQ(selection.Current(), "Program|Docs");
    Set("%SetupType%", "2");
    EXPECT_EQ(selection.Current(), "Extras") << "the custom choice comes back";
}

TEST_F(Selection, LeavingTypeTwoSavesTheCurrentSelection) {
    Set("%SetupType%", "2");
    selection.SetCurrent("Program|Extras", false); // changed while not yet saved
    Set("%SetupType%", "0");
    EXPECT_EQ(selection.SetupTypeList(2), "Program|Extras");
    EXPECT_EQ(selection.Current(), "Program");
}

TEST_F(Selection, UnknownSetupTypeSelectsTypeZeroAndStoresZero) {
    Set("%SetupType%", "1");
    Set("%SetupType%", "7");
    EXPECT_EQ(Var("%SetupType%"), "0");
    EXPECT_EQ(selection.Current(), "Program");
}

TEST_F(Selection, ItemSelection) {
    Set("%SetupType%", "0");
    EXPECT_TRUE(selection.IsItemSelected("")) << "an item without components is always installed";
    EXPECT_TRUE(selection.IsItemSelected("program"));
    EXPECT_TRUE(selection.IsItemSelected("Docs|PROGRAM"));
    EXPECT_FALSE(selection.IsItemSelected("Docs"));
    EXPECT_FALSE(selection.IsItemSelected("|")) << "names, not bars, select";
    EXPECT_FALSE(selection.IsItemSelected("Prog"));

    TComponentSelection none;
    none.Load({"", "", ""}, false);
    EXPECT_TRUE(none.IsItemSelected("Anything")) << "no components and nothing chosen: everything";
    TComponentSelection emptyChoice;
    emptyChoice.Load({"", "", ""}, true);
    EXPECT_FALSE(emptyChoice.IsItemSelected("Docs"));
    EXPECT_TRUE(emptyChoice.IsItemSelected(""));
}

TEST_F(Selection, MaintenanceVariantLooksOnlyAtComponentsToAdd) {
    selection.EnterMaintenanceMode();
    selection.SetComponentsToAdd("Docs");
    EXPECT_TRUE(selection.IsItemSelectedForInstall("docs"));
    EXPECT_FALSE(selection.IsItemSelectedForInstall(""))
        << "items without components are not installed again";
    EXPECT_FALSE(selection.IsItemSelectedForInstall("Program"));
    EXPECT_TRUE(selection.IsItemSelected("Program")) << "the plain test still uses the selection";

    TComponentSelection bare;
    bare.Load({"", "", ""}, false);
    bare.EnterMaintenanceMode();
    EXPECT_TRUE(bare.IsItemSelectedForInstall("")) << "a package without components installs everything";
}

TFileRecord File(std::string source, std::string target, uint32_t size, std::string components,
                 std::string condition = {}) {
    TFileRecord f;
    f.fileSize = size;
    f.entry.sourceName = std::move(source);
    f.entry.targetDir = std::move(target);
    f.entry.components = std::move(components);
    f.entry.condition = std::move(condition);
    return f;
}

class Queries : public Selection {
protected:
    void SetUp() override {
        Selection::SetUp();
        package.files = {
            File("src\\app.exe", "%InstallDir%\\", 1000, "Program"),
            File("help.chm", "%InstallDir%\\Help\\", 200, "Docs"),
            File("nt.dll", "%SysDir%\\", 30, "Program", "%IsNT% = 1|"),
            File("readme.txt", "%InstallDir%\\", 4, ""),
        };
        TShortcutRecord sc;
        sc.folder = "%ProgramGroupDir%\\Tools\\";
        sc.components = "Docs";
        package.shortcuts = {sc};
        TRegistryRecord reg;
        reg.components = "Extras";
        reg.condition = "1 = 2|";
        package.registry = {reg};
        package.deviceApplications.main.cabFiles = "DATA.CAB|APP.ARM.CAB";
        TDeviceApplication extra;
        extra.cabFiles = "more.cab";
        package.deviceApplications.extras = {extra};
    }
    TPackage package;
    TSelectionQueries q{package, selection, conditions};
};

TEST_F(Queries, SizesCountSelectedFilesWhoseConditionHolds) {
    sys.isNT = true;
    EXPECT_EQ(q.SelectedSize(), 1034u);
    sys.isNT = false;
    EXPECT_EQ(q.SelectedSize(), 1004u);
    EXPECT_EQ(q.ComponentSize("docs"), 200u) << "whatever the selection";
    EXPECT_EQ(q.ComponentSize("Nothing"), 0u);
}

TEST_F(Queries, ExtrasFoldersAndFiles) {
    EXPECT_TRUE(q.ComponentHasExtras("Docs"));
    EXPECT_FALSE(q.ComponentHasExtras("Extras")) << "its registry change's condition does not hold";
    EXPECT_FALSE(q.ComponentHasExtras("Program"));

    EXPECT_TRUE(q.FolderIsUsed("%installdir%"));
    EXPECT_FALSE(q.FolderIsUsed("%InstallDir%\\Help")) << "Docs is not selected";
    Set("%SetupType%", "1");
    EXPECT_TRUE(q.FolderIsUsed("%InstallDir%\\Help\\"));
    EXPECT_FALSE(q.FolderIsUsed("%Install")) << "whole folder names only";
    EXPECT_TRUE(q.ShortcutFolderIsUsed("%ProgramGroupDir%\\Tools"));
    EXPECT_FALSE(q.ShortcutFolderIsUsed("%ProgramGroupDir%\\Other"));

    EXPECT_TRUE(q.FileIsSelected("APP.EXE", "%installdir%\\"));
    EXPECT_FALSE(q.FileIsSelected("app.exe", "%InstallDir%")) << "the folder must match exactly";
    EXPECT_EQ(q.FolderOfFile("help.chm"), "%InstallDir%\\Help\\");
    EXPECT_EQ(q.FolderOfFile("missing.exe"), "%InstallDir%\\");

    selection.EnterMaintenanceMode();
    selection.SetComponentsToAdd("Docs");
    EXPECT_FALSE(q.FileIsSelected("app.exe", "%InstallDir%\\")) << "maintenance: only added components";
    EXPECT_TRUE(q.FileIsSelected("help.chm", "%InstallDir%\\Help\\"));
}

TEST_F(Queries, ApplicationCabinetsAreWholeListMembers) {
    EXPECT_TRUE(q.IsApplicationCabinet("C:\\temp\\data.cab"));
    EXPECT_TRUE(q.IsApplicationCabinet("More.Cab"));
    EXPECT_FALSE(q.IsApplicationCabinet("A.CAB")) << "not a substring test";
    EXPECT_FALSE(q.IsApplicationCabinet("app.exe"));
}

TEST(SizeTextTest, UnitsAndTheOneDecimalCut) {
    auto t = [](uint64_t v, TSizeUnit u = TSizeUnit::Bytes, std::string sep = ".") {
        return SizeText(v, u, sep);
    };
    EXPECT_EQ(t(0), "0 bytes");
    EXPECT_EQ(t(1023), "1023 bytes");
    EXPECT_EQ(t(1024), "1 KB");
    EXPECT_EQ(t(1536), "1.5 KB");
    EXPECT_EQ(t(1536, TSizeUnit::Bytes, ","), "1,5 KB");
    EXPECT_EQ(t(1048576), "1 MB");
    EXPECT_EQ(t(2007), "2.0 KB") << "1.96 rounds up and carries into the whole part";
    EXPECT_EQ(t(1996), "1.9 KB") << "1.949 is cut, not rounded";
    EXPECT_EQ(t(10239), "10.0 KB") << "9.99 carries into a new digit";
    EXPECT_EQ(t(1280), "1.3 KB") << "1.25: a second decimal of 5 rounds up";
    EXPECT_EQ(t(uint64_t(3) << 30), "3 GB");
    EXPECT_EQ(t(uint64_t(5000) << 30), "5000 GB") << "gigabytes are the largest unit";
    EXPECT_EQ(t(512, TSizeUnit::Kilobytes), "512 KB");
    EXPECT_EQ(t(1536, TSizeUnit::Kilobytes), "1.5 MB");
}

} // namespace
} // namespace cvn::test
