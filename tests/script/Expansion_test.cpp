#include "script/FakeSystemValues.h"
#include "script/Variables.h"

#include <gtest/gtest.h>

namespace cvn {
namespace {

class Expansion : public ::testing::Test {
protected:
    Expansion() : vars(sys) {
        vars.Program().softwareName = "Tom & Jerry";
        vars.Program().companyName = "Acme & Sons";
        vars.Program().tempSetupDir = "C:\\TEMP\\cvn001";
    }
    std::string X(std::string_view text, bool escape = false) { return vars.ExpandVariables(text, escape); }

    test::TFakeSystemValues sys;
    TVariables vars;
};

TEST_F(Expansion, TextsWithoutKnownNamesComeBackUnchangedWithoutAskingTheSystem) {
    vars.Store().SetValue("%A%", "1");
    for (const char* text : {"", "plain text", "100% sure", "%Unknown% stays", "%%", "50%-60%", "%a"})
        EXPECT_EQ(X(text), text);
    EXPECT_EQ(sys.calls, 0);
    EXPECT_EQ(X("%A%"), "1");
    EXPECT_EQ(sys.calls, 0) << "a stored name needs no system value";
}

TEST_F(Expansion, NamesMatchInAnyCaseAndFoldersLoseOneTrailingBackslash) {
    vars.Store().SetValue("%InstallDir%", "C:\\Program Files\\App\\");
    EXPECT_EQ(X("%installdir%\\App"), "C:\\Program Files\\App\\App");
    EXPECT_EQ(X("%INSTALLDIR% %InstallDir%"), "C:\\Program Files\\App C:\\Program Files\\App");

    sys.activeSyncDir = "C:\\AS\\\\";
    EXPECT_EQ(X("%ActiveSyncDir%"), "C:\\AS\\") << "only one backslash goes";
    EXPECT_EQ(X("%WinDir%|%SysDir%|%HelpDir%|%WinDrive%"),
              "C:\\WINDOWS|C:\\WINDOWS\\SYSTEM32|C:\\WINDOWS\\Help|C:");
    EXPECT_EQ(X("%DotNetDir%"), "C:\\WINDOWS\\Microsoft.NET\\Framework\\v1.1.4322");
    EXPECT_EQ(X("%TempSetupDir%\\a.bmp"), "C:\\TEMP\\cvn001\\a.bmp");

    sys.windowsDir = "\\\\server\\share\\windows";
    EXPECT_EQ(X("%WinDrive%"), "\\\\server\\share");
    sys.windowsDir = "C:\\WINDOWS\\";
    EXPECT_EQ(X("%HelpDir%"), "C:\\WINDOWS\\Help");
}

TEST_F(Expansion, StoredFolderVariablesLoseOneTrailingBackslashOthersKeepIt) {
    vars.Program().folderVariableList = {"%DATADIR%\\", "%Other%\\Sub\\"};
    vars.Store().SetValue("%DataDir%", "C:\\Data\\");
    vars.Store().SetValue("%Other%", "C:\\Other\\");
    vars.Store().SetValue("%Text%", "ends\\");
    EXPECT_EQ(X("%datadir%|%Other%|%Text%"), "C:\\Data|C:\\Other\\|ends\\");
    EXPECT_TRUE(vars.IsFolderVariable("%InstallDir%"));
    EXPECT_TRUE(vars.IsFolderVariable("%DataDir%"));
    EXPECT_FALSE(vars.IsFolderVariable("%Other%"));
}

TEST_F(Expansion, AmpersandsAreDoubledOnlyInProductNamesAndOnlyOnRequest) {
    vars.Store().SetValue("%Mine%", "R&D");
    EXPECT_EQ(X("%SoftwareName% by %CompanyName% %Mine%"), "Tom & Jerry by Acme & Sons R&D");
    EXPECT_EQ(X("%SoftwareName% by %CompanyName% %Mine%", true), "Tom && Jerry by Acme && Sons R&D");
}

TEST_F(Expansion, ReferencesInsideInsertedValuesStayLiteral) {
    vars.Store().SetValue("%A%", "%WinDir%");
    EXPECT_EQ(X("%A%"), "%WinDir%");
    EXPECT_EQ(X("%A% %WinDir%"), "%WinDir% C:\\WINDOWS") << "the fixed names go in before the stored ones";

    vars.Store().SetValue("%X%", "a%X%b");
    EXPECT_EQ(X("[%X%]"), "[a%X%b]") << "a value holding its own name goes in once";

    vars.Store().SetValue("%B%", "%A%");
    EXPECT_EQ(X("%B%"), "%A%") << "%A% sorts before %B% and was not in the input anyway";
    EXPECT_EQ(X("%A%%B%"), "%WinDir%%A%");
    vars.Store().SetValue("%C%", "%A%");
    vars.Store().SetValue("%Z%", "%C%");
    EXPECT_EQ(X("%Z% %C%"), "%C% %A%") << "%C% is processed before %Z%, so the %C% that %Z% inserts stays";
}

TEST_F(Expansion, StoredNamesApplyInSortedOrderOverOverlappingReferences) {
    vars.Store().SetValue("%A%", "1");
    vars.Store().SetValue("%B%", "2");
    // Both share the middle "%": %A% is replaced first and consumes it.
    EXPECT_EQ(X("%A%B%"), "1B%");
    EXPECT_EQ(X("%B%A%"), "%B1") << "sorted order, not text order";
}

TEST_F(Expansion, StoredNameShadowedByAFixedOrComputedName) {
    vars.Store().SetValue("%WinDir%", "stored");
    vars.Store().SetValue("%IsNT%", "stored");
    EXPECT_EQ(X("%WinDir% %IsNT%"), "C:\\WINDOWS 1");
}

TEST_F(Expansion, NamesWithoutPercentSignsInTheStoreMatchBareWords) {
    vars.Store().AddLine("colour=red");
    EXPECT_EQ(X("Colour: COLOUR"), "red: red");
    EXPECT_EQ(X("nothing here"), "nothing here");
}

TEST_F(Expansion, ComputedSystemValues) {
    EXPECT_EQ(X("%IsAdmin%%IsNT%|%OSVersion%|%OSMajorVersion%.%OSMinorVersion%"), "01|5.1.2600|5.1");
    EXPECT_EQ(X("%ColorDepth% %ScreenWidth%x%ScreenHeight% %RAMMemory%"), "32 1024x768 268");
    EXPECT_EQ(X("%SetupHandle% %ActiveDialogHandle%"), "1234 0");
    EXPECT_EQ(X("%IsActiveSyncInstalled%%IsHotSyncInstalled%%IsDotNetInstalled%"), "101");
    EXPECT_EQ(X("%DotNetVersion% %ActiveSyncVersion%"), "1.1.4322.573 3.7");
    EXPECT_EQ(X("%SourceDir%\\x %MyDocumentsDir% %HotSyncDir% %FontsDir%"),
              "D:\\Downloads\\x C:\\Docs C:\\Palm\\Install C:\\WINDOWS\\Fonts");
    EXPECT_EQ(X("%ProgramFilesDir%|%CommonFilesDir%"), "C:\\Program Files|C:\\Program Files\\Common Files");
}

TEST_F(Expansion, DatesAndTimesUseTwoDigitFieldsAndTheSystemDateSeparator) {
    EXPECT_EQ(X("%CurrentYear%-%CurrentMonth%-%CurrentDay% %CurrentHour%:%CurrentMinute%:%CurrentSecond%"),
              "2004-03-07 09:05:04");
    EXPECT_EQ(X("%Date% %EuropeanDate% %ISODate%"), "03/07/2004 07/03/2004 2004-03-07");
    sys.dateSeparator = ".";
    EXPECT_EQ(X("%Date% %EuropeanDate% %ISODate%"), "03.07.2004 07.03.2004 2004-03-07");

    sys.tickingClock = true;
    EXPECT_EQ(X("%CurrentSecond% %CurrentSecond% %CurrentMinute%:%CurrentSecond%"), "04 04 05:04")
        << "one text, one moment";
    EXPECT_EQ(X("%CurrentSecond%"), "05");
}

TEST_F(Expansion, ShellFoldersFollowTheAllUsersSwitch) {
    vars.Store().SetValue("%ProgramGroup%", "My Group");
    EXPECT_EQ(X("%DesktopDir%|%ProgramGroupDir%"),
              "C:\\Users\\me\\Desktop|C:\\Users\\me\\Start Menu\\Programs\\My Group");
    vars.SetVariable("%CommonShellFolders%", "1");
    EXPECT_EQ(X("%StartMenuDir%|%ProgramsDir%|%StartUpDir%"),
              "C:\\Users\\All\\Start Menu|C:\\Users\\All\\Start Menu\\Programs|"
              "C:\\Users\\All\\Start Menu\\Programs\\Startup");
    vars.SetVariable("%CommonShellFolders%", "yes");
    EXPECT_EQ(X("%ProgramsDir%"), "C:\\Users\\me\\Start Menu\\Programs");
}

TEST_F(Expansion, ProgramGroupDirUsesTheGroupExpandedOneLevel) {
    // A restored value may still hold references; only one level is expanded.
    vars.Store().SetValue("%ProgramGroup%", "%SoftwareName%\\Tools\\");
    EXPECT_EQ(X("%ProgramGroupDir%"), "C:\\Users\\me\\Start Menu\\Programs\\%SoftwareName%\\Tools");
    vars.Store().Clear();
    EXPECT_EQ(X("%ProgramGroupDir%"), "C:\\Users\\me\\Start Menu\\Programs\\%ProgramGroup%");
}

TEST_F(Expansion, CommandLineArgumentByIndex) {
    auto arg = [&](const char* num) {
        vars.Store().SetValue("%CmdParamNum%", num);
        return X("[%CmdLineParam%]");
    };
    EXPECT_EQ(arg("2x"), "[second]");
    EXPECT_EQ(arg("abc"), "[D:\\Downloads\\setup.exe]");
    EXPECT_EQ(arg("1"), "[/silent]");
    EXPECT_EQ(arg("3"), "[]");
    EXPECT_EQ(arg("-1"), "[]");
    EXPECT_EQ(arg("99999999999"), "[D:\\Downloads\\setup.exe]") << "no valid int32: 0";
}

TEST_F(Expansion, GetSystemValueAndResolveOperand) {
    vars.Store().SetValue("%InstallDir%", "C:\\App\\");
    EXPECT_EQ(vars.GetSystemValue("%isnt%", false), "1");
    EXPECT_EQ(vars.GetSystemValue("%RAMMEMORY%", true), "268");
    EXPECT_EQ(vars.GetSystemValue("%CmdLineParam%", false), "D:\\Downloads\\setup.exe");
    EXPECT_EQ(vars.GetSystemValue("%InstallDir%", false), "");
    EXPECT_EQ(vars.GetSystemValue("%InstallDir%", true), "C:\\App");
    EXPECT_EQ(vars.GetSystemValue("%WinDir%", false), "") << "folders are not computed names";

    EXPECT_EQ(vars.ResolveOperand("%IsAdmin%"), "0");
    EXPECT_EQ(vars.ResolveOperand("%InstallDir%\\x"), "C:\\App\\x");
    EXPECT_EQ(vars.ResolveOperand("v%OSMajorVersion%"), "v5");
    EXPECT_TRUE(IsComputedVariable("%cmdlineparam%"));
    EXPECT_FALSE(IsComputedVariable("%SetupComponents%"));
}

TEST(NumberFromText, KeepsDigitsAndMinusSigns) {
    EXPECT_EQ(NumberFromText("2x"), 2);
    EXPECT_EQ(NumberFromText(" 1 2 "), 12);
    EXPECT_EQ(NumberFromText("-42"), -42);
    EXPECT_EQ(NumberFromText("abc"), 0);
    EXPECT_EQ(NumberFromText("-"), 0);
    EXPECT_EQ(NumberFromText("1-2"), 0);
    EXPECT_EQ(NumberFromText("--3"), 0);
    EXPECT_EQ(NumberFromText("2147483647"), 2147483647);
    EXPECT_EQ(NumberFromText("-2147483648"), INT32_MIN);
    EXPECT_EQ(NumberFromText("2147483648"), 0);
    EXPECT_EQ(NumberFromText("99999999999999999999999"), 0);
}

} // namespace
} // namespace cvn
