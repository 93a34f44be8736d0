#include "package/PackageRecords.h"
#include "script/FakeSystemValues.h"
#include "script/Variables.h"

#include <gtest/gtest.h>

namespace cvn {
namespace {

class Assignment : public ::testing::Test {
protected:
    Assignment() : vars(sys) {
        vars.Hooks().variableChanged = [this](const std::string& n, const std::string& v) {
            changes.emplace_back(n, v);
        };
        vars.Hooks().selectSetupType = [this](int t) { selected.push_back(t); };
        vars.Hooks().saveCustomSelection = [this] { ++saves; };
    }
    std::string Stored(std::string_view name) {
        const std::string* v = vars.Store().Find(name);
        return v ? *v : "<absent>";
    }

    test::TFakeSystemValues sys;
    TVariables vars;
    std::vector<std::pair<std::string, std::string>> changes;
    std::vector<int> selected;
    int saves = 0;
};

TEST_F(Assignment, ReadOnlyNamesAreRefusedSilently) {
    for (const char* name : {"%Date%", "%IsNT%", "isadmin", "%IsFinishingSetup%", "%SETUPCOMPONENTS%",
                             "%CmdLineParam%", "%activesyncversion%"}) {
        EXPECT_TRUE(TVariables::IsReadOnlyVariable(WrapVariableName(name))) << name;
        vars.SetVariable(name, "x");
    }
    EXPECT_EQ(vars.Store().Count(), 0);
    EXPECT_TRUE(changes.empty());
    EXPECT_FALSE(TVariables::IsReadOnlyVariable("%InstallDir%"));
    EXPECT_FALSE(TVariables::IsReadOnlyVariable("%Language%"));
}

TEST_F(Assignment, ValueIsExpandedForTheStoreButReportedAsAssigned) {
    vars.SetVariable("%Target%", "%WinDir%\\App\\", true);
    EXPECT_EQ(Stored("%Target%"), "C:\\WINDOWS\\App");
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], (std::pair<std::string, std::string>{"%Target%", "%WinDir%\\App"}));

    vars.SetVariable("%Keep%", "dir\\\\", true);
    EXPECT_EQ(Stored("%Keep%"), "dir\\") << "one backslash stripped";
    vars.SetVariable("%Keep%", "dir\\");
    EXPECT_EQ(Stored("%Keep%"), "dir\\") << "no strip without the flag";
}

TEST_F(Assignment, NamesAreWrappedAndKeepTheirFirstSpelling) {
    vars.SetVariable("Result", "1");
    vars.SetVariable("%RESULT", "2");
    EXPECT_EQ(vars.Store().Count(), 1);
    EXPECT_EQ(vars.Store().GetPair(0), (TVariableList::TPair{"%Result%", "2"}));
    EXPECT_EQ(changes.back().first, "%RESULT%");
    EXPECT_EQ(vars.ExpandVariables("The result is result"), "The result is result")
        << "a bare name must not turn into a replacement of bare words";
    EXPECT_EQ(WrapVariableName(""), "%%");
    EXPECT_EQ(WrapVariableName("%"), "%%");
    EXPECT_EQ(WrapVariableName("%a%"), "%a%");
}

TEST_F(Assignment, SetupTypeSelectsTheComponentSet) {
    vars.SetVariable("%SetupType%", "abc");
    EXPECT_EQ(Stored("%SetupType%"), "0");
    EXPECT_EQ(changes.back().second, "0");
    vars.SetVariable("%setuptype%", "7");
    vars.SetVariable("%SetupType%", "1");
    vars.SetVariable("%SetupType%", "2");
    EXPECT_EQ(saves, 0);
    vars.SetVariable("%SetupType%", "2");
    EXPECT_EQ(saves, 0) << "staying on the custom type saves nothing";
    vars.SetVariable("%SetupType%", "1");
    EXPECT_EQ(saves, 1) << "leaving the custom type saves the selection";
    vars.SetVariable("%SetupType%", " 2");
    EXPECT_EQ((std::vector<int>{0, 0, 1, 2, 2, 1, 0}), selected);
    EXPECT_EQ(Stored("%SetupType%"), "0");

    // The old value is what the store holds, e.g. restored from uninstall data.
    vars.Store().AddLine("%SETUPTYPE%=2");
    vars.SetVariable("%SetupType%", "0");
    EXPECT_EQ(saves, 2);
}

TEST_F(Assignment, SetupTypeWorksWithoutSelectionHooks) {
    TVariables plain(sys);
    plain.SetVariable("%SetupType%", "2");
    plain.SetVariable("%SetupType%", "x");
    EXPECT_EQ(*plain.Store().Find("%SetupType%"), "0");
}

TEST_F(Assignment, CommonShellFoldersIsOneOrZero) {
    vars.SetVariable("%CommonShellFolders%", "1");
    EXPECT_TRUE(vars.AllUsersShellFolders());
    EXPECT_EQ(Stored("%CommonShellFolders%"), "1");
    vars.SetVariable("%commonshellfolders%", "true");
    EXPECT_FALSE(vars.AllUsersShellFolders());
    EXPECT_EQ(Stored("%CommonShellFolders%"), "0");
    EXPECT_EQ(changes.back().second, "0");
}

TEST_F(Assignment, InitVariablesClearsCollectedNamesThenSetsTheDefaults) {
    vars.Program().softwareName = "Tool";
    vars.Store().SetValue("%Custom%", "from registry");
    vars.InitVariables({"%Custom%", "%Other%", "%IsNT%", "%SetupType%"},
                       "%ProgramFilesDir%\\%SoftwareName%\\", "%CompanyName%%SoftwareName%", "English");
    EXPECT_EQ(Stored("%Custom%"), "");
    EXPECT_EQ(Stored("%Other%"), "");
    EXPECT_EQ(Stored("%IsNT%"), "<absent>");
    EXPECT_EQ(Stored("%InstallDir%"), "C:\\Program Files\\Tool\\");
    EXPECT_EQ(vars.ExpandVariables("%InstallDir%"), "C:\\Program Files\\Tool");
    EXPECT_EQ(Stored("%ProgramGroup%"), "Tool");
    for (const char* name :
         {"%CanClose%", "%SetupType%", "%CommonShellFolders%", "%ErrorCode%", "%DoReboot%", "%CmdParamNum%"})
        EXPECT_EQ(Stored(name), "0") << name;
    EXPECT_EQ(Stored("%HotSyncUser%"), "Palm User");
    EXPECT_EQ(Stored("%Language%"), "English");
    EXPECT_EQ(selected.back(), 0);
    EXPECT_FALSE(vars.AllUsersShellFolders());
}

TCustomVariableEntry Custom(std::string name, uint8_t root, std::string key, std::string valueName,
                            std::string def, bool strip = false) {
    TCustomVariableEntry e;
    e.name = std::move(name);
    e.registry.root = root;
    e.registry.key = std::move(key);
    e.registry.valueName = std::move(valueName);
    e.registry.data = std::move(def);
    e.stripBackslash = strip ? 1 : 0;
    return e;
}

TEST_F(Assignment, CustomVariablesComeFromTheRegistryOrTheirExpandedDefault) {
    sys.registry[{TRegRoot::LocalMachine, "Software\\Maker\\App", "Path"}] = "C:\\Found\\";
    sys.registry[{TRegRoot::CurrentUser, "Software\\Maker", ""}] = "%WinDir%";
    vars.Store().SetValue("%Stale%", "x");
    vars.LoadCustomVariables({
        Custom("AppPath", 2, "\\Software\\Maker\\App\\", "Path", "unused", true),
        Custom("%Missing%", 1, "Software\\Nowhere", "Path", "%ProgramFilesDir%\\App\\"),
        Custom("Default%", 9, "Software\\Maker", "", "unused"),
    });
    EXPECT_EQ(Stored("%Stale%"), "<absent>") << "loading creates the store afresh";
    EXPECT_EQ(Stored("%AppPath%"), "C:\\Found");
    EXPECT_EQ(Stored("%Missing%"), "C:\\Program Files\\App\\");
    EXPECT_EQ(Stored("%Default%"), "C:\\WINDOWS") << "an unknown root reads the current user's hive";
    ASSERT_EQ(sys.registryReads.size(), 3u);
    EXPECT_EQ(sys.registryReads[0],
              std::make_tuple(TRegRoot::LocalMachine, std::string("Software\\Maker\\App"),
                              std::string("Path")));
}

} // namespace
} // namespace cvn
