#include "Project.h"
#include "ScriptText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using cvn::TScript;
using cvn::TScriptStatement;
using cvn::project::TProject;

namespace {

class ProjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ =
            fs::temp_directory_path() /
            ("cvn-project-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "bin");
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Write(const std::string& name, const std::string& text) {
        fs::create_directories((dir_ / name).parent_path());
        std::ofstream((dir_ / name).string(), std::ios::binary) << text;
        return (dir_ / name).string();
    }

    fs::path dir_;
};

TScriptStatement St(uint8_t code, std::string p1 = {}, std::string p2 = {}, std::string p3 = {},
                    std::string condition = {}) {
    TScriptStatement s;
    s.code = code;
    s.param = {p1, p2, p3, "", ""};
    s.condition = condition;
    return s;
}

} // namespace

TEST_F(ProjectTest, BrokenProjectReportsEveryMistakeWithItsLineAndWritesNothing) {
    Write("bin/app.exe", "MZ");
    std::string path = Write("broken.toml", R"([[components]]
name = "Program"

[eventScripts]
start = """
MessageBox "Title" "Text" "INFORMATION"
ShowMessage "Hello"
If "%A% = 1|"
  Assign "%B%" "2"
"""

[[file]]
source = "bin/*.exe"
components = "Program|Help"

[[file]]
source = "docs/*.txt"
)");
    TProject project;
    project.headerText = "untouched";
    std::vector<std::string> errors;
    EXPECT_FALSE(cvn::project::ReadProject(path, project, errors));
    EXPECT_EQ(project.headerText, std::optional<std::string>("untouched"));
    std::vector<std::string> expected = {
        path + ":7: unknown statement \"ShowMessage\"",
        path + ":9: Assign takes 3 parameters (Var, value, strip flag), found 2",
        path + ":8: If is never closed",
        path + ":14: file[0]: unknown component \"Help\"",
        path + ":17: file[1]: no file found for \"docs/*.txt\"",
    };
    EXPECT_EQ(errors, expected);
}

TEST_F(ProjectTest, TomlSyntaxErrorNamesItsLine) {
    std::string path = Write("bad.toml", "[product.settings]\nsoftwareName = \"A\"\ncompanyName = \n");
    TProject project;
    std::vector<std::string> errors;
    ASSERT_FALSE(cvn::project::ReadProject(path, project, errors));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind(path + ":3: ", 0), 0u) << errors[0];
}

TEST_F(ProjectTest, LeftOutFieldsTakeTheirDefaultsAndLanguagesOnlyTheirChanges) {
    Write("bin/app.exe", "MZ");
    Write("bin/sub/data.dat", "1234");
    std::string path = Write("small.toml", "# the least a product says\n"
                                           "[product.settings]\n"
                                           "softwareName = \"Notes\"\n"
                                           "[product.requirements]\n"
                                           "minColorDepth = -1\n"
                                           "\n"
                                           "[[languages.languages]]\n"
                                           "name = \"Deutsch\"\n"
                                           "value = 7\n"
                                           "messages = { 1 = \"Abbrechen\", 6 = \"Schlie\xC3\x9F"
                                           "en\" }\n"
                                           "\n"
                                           "[[file]]\n"
                                           "source = \"bin\"\n");
    TProject project;
    std::vector<std::string> errors;
    ASSERT_TRUE(cvn::project::ReadProject(path, project, errors)) << errors[0];
    const cvn::TPackage& p = project.package;
    EXPECT_EQ(p.Settings().defaultInstallDir, "%ProgramFilesDir%\\%CompanyName%\\%SoftwareName%");
    EXPECT_EQ(p.Settings().defaultProgramGroup, "%SoftwareName%");
    EXPECT_EQ(p.Settings().appearance.setupFont.face, "Tahoma");
    EXPECT_EQ(p.flags.writeUninstallData, 1);
    EXPECT_EQ(p.product.requirements.minColorDepth, -1);
    ASSERT_EQ(p.languages.languages.size(), 1u);
    EXPECT_EQ(p.languages.languages[0].messages[0], "OK");
    EXPECT_EQ(p.languages.languages[0].messages[1], "Abbrechen");
    EXPECT_EQ(p.languages.languages[0].messages[6], "Schlie\xDF"
                                                    "en"); // stored in the ANSI code page
    // A folder brings every file below it, its subfolders kept below the target.
    ASSERT_EQ(p.files.size(), 2u);
    EXPECT_EQ(p.files[0].entry.sourceName, "app.exe");
    EXPECT_EQ(p.files[0].entry.targetDir, "%InstallDir%");
    EXPECT_EQ(p.files[1].entry.sourceName, "data.dat");
    EXPECT_EQ(p.files[1].entry.targetDir, "%InstallDir%\\sub");
    ASSERT_EQ(project.members.size(), 2u);
    EXPECT_NE(p.files[0].memberId, p.files[1].memberId);
}

TEST_F(ProjectTest, ControlKindsAndRolesAreWrittenByNameAndReadByNameOrNumber) {
    std::string path = Write("named.toml", R"([[dialogs]]
name = "Folder"

    [[dialogs.controls]]
    kind = "TextBox"
    role = "InstallDir"

    [[dialogs.controls]]
    kind = 3
    role = 13
)");
    TProject project;
    std::vector<std::string> errors;
    ASSERT_TRUE(cvn::project::ReadProject(path, project, errors)) << errors[0];
    const auto& controls = project.package.dialogs.at(0).controls;
    ASSERT_EQ(controls.size(), 2u);
    EXPECT_EQ(controls[0].kind, 2);
    EXPECT_EQ(controls[0].role, 7);
    EXPECT_EQ(controls[1].kind, 3);
    EXPECT_EQ(controls[1].role, 13);

    const std::string text = cvn::project::WriteProject(project);
    EXPECT_NE(text.find("kind = 'TextBox'\n    role = 'InstallDir'"), std::string::npos) << text;
    EXPECT_NE(text.find("kind = 'Button'\n    role = 'Status'"), std::string::npos) << text;

    path = Write("unknown.toml", "[[dialogs]]\nname = \"A\"\n[[dialogs.controls]]\nkind = \"Knob\"\n");
    errors.clear();
    EXPECT_FALSE(cvn::project::ReadProject(path, project, errors));
    EXPECT_EQ(errors, std::vector<std::string>{
                          path + ":4: dialogs[0].controls[0].kind: unknown control kind \"Knob\""});
}

TEST(ScriptTextTest, BlocksGetTheirLabelsAndReadBackIndented) {
    std::vector<cvn::project::TTextError> errors;
    TScript script;
    ASSERT_TRUE(cvn::project::CompileScript("# greet\n"
                                            "If \"%A% = 1|\"\n"
                                            "  While \"%N% < 3|\"\n"
                                            "    MessageBox \"Say \"\"hi\"\"\" \"two\n"
                                            "lines\" \"\" when \"%B% = 2|\"\n"
                                            "  EndWhile\n"
                                            "Else\n"
                                            "  Goto \"end\"\n"
                                            "EndIf\n"
                                            "Label \"end\"\n",
                                            1, script, errors));
    TScript expected = {
        St(46, "@1", "", "", "%A% = 1|"),
        St(31, "@2", "", "", "%N% < 3|"),
        St(1, "Say \"hi\"", "two\nlines", "", "%B% = 2|"),
        St(32, "@2"),
        St(105, "@1"),
        St(49, "end"),
        St(47, "@1"),
        St(48, "end"),
    };
    EXPECT_EQ(script, expected);
    EXPECT_EQ(cvn::project::ScriptToText(script),
              "If \"%A% = 1|\"\n"
              "  While \"%N% < 3|\"\n"
              "    MessageBox \"Say \"\"hi\"\"\" \"two\nlines\" \"\" when "
              "\"%B% = 2|\"\n"
              "  EndWhile\n"
              "Else\n"
              "  Goto \"end\"\n"
              "EndIf\n"
              "Label \"end\"\n");
}

TEST(ScriptTextTest, ScriptWithItsOwnLabelsIsKeptStatementByStatement) {
    // Labels of a hand-made package, and an If never closed.
    TScript script = {St(46, "x", "", "", "%A% = 1|"), St(47, "x"), St(46, "y")};
    std::string text = cvn::project::ScriptToText(script);
    EXPECT_EQ(text, "raw If \"x\" when \"%A% = 1|\"\nraw EndIf \"x\"\nraw If \"y\"\n");
    std::vector<cvn::project::TTextError> errors;
    TScript again;
    ASSERT_TRUE(cvn::project::CompileScript(text, 1, again, errors));
    EXPECT_EQ(again, script);
}

TEST(ScriptTextTest, BlockMistakes) {
    std::vector<cvn::project::TTextError> errors;
    TScript script;
    EXPECT_FALSE(
        cvn::project::CompileScript("Else\nFor \"%I%\" \"1\" \"3\"\nEndIf\nEndFor\nEndFor\n\"text\"\n"
                                    "Exit \"now\n",
                                    10, script, errors));
    std::vector<std::string> messages;
    for (const auto& e : errors)
        messages.push_back(std::to_string(e.line) + ": " + e.message);
    std::vector<std::string> expected = {
        "10: Else without If",
        "12: EndIf inside the For of line 11, not in an If",
        "14: EndFor without For",
        "15: a line starts with a text instead of a statement name",
        "16: a text is not closed by a quote",
    };
    EXPECT_EQ(messages, expected);
}

// A code past the table's end is written "raw N": it has no parameters, and the message for
// the ones given names no meanings (the fuzzer found the table read past its end here).
TEST(ScriptTextTest, RawCodeBeyondTheTable) {
    std::vector<cvn::project::TTextError> errors;
    TScript script;
    EXPECT_FALSE(cvn::project::CompileScript("raw 166 \"a\"\n", 1, script, errors));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].message, "166 takes 0 parameters, found 1");
}
