#include "script/FakeSystemValues.h"
#include "script/Languages.h"
#include "script/Variables.h"

#include <gtest/gtest.h>

namespace cvn {
namespace {

TMessageTable Table(const std::string& tag) {
    TMessageTable t;
    for (int i = 0; i < kMessageCount; ++i)
        t[size_t(i)] = tag + std::to_string(i);
    return t;
}

TLanguage Lang(const std::string& name, bool isDefault) {
    TLanguage l;
    l.name = name;
    l.isDefault = isDefault ? 1 : 0;
    l.messages = Table(name + ":");
    return l;
}

class Languages : public ::testing::Test {
protected:
    Languages() : vars(sys), langs(vars) {}
    void Load(std::vector<TLanguage> records) {
        TLanguageSection s;
        s.languages = std::move(records);
        langs.Load(std::move(s));
    }

    test::TFakeSystemValues sys;
    TVariables vars;
    TLanguages langs;
};

TEST_F(Languages, LastDefaultFlaggedRecordIsChosenAtLoad) {
    Load({Lang("English", true), Lang("Deutsch", false), Lang("Italiano", true)});
    EXPECT_EQ(langs.ChosenName(), "Italiano");
    EXPECT_EQ(*vars.Store().Find("%Language%"), "Italiano");
    EXPECT_EQ(langs.GetMessage(3), "Italiano:3");
    EXPECT_EQ(langs.DeviceConnectionText(), "Italiano:61");
    EXPECT_EQ(langs.Names(), (std::vector<std::string>{"English", "Deutsch", "Italiano"}));
}

TEST_F(Languages, LookupFollowsLanguageVariableWithFallBacks) {
    Load({Lang("English", false), Lang("Deutsch", true), Lang("Italiano", false)});
    vars.SetVariable("%Language%", "ITALIANO");
    EXPECT_EQ(langs.GetMessage(0), "Italiano:0") << "names match without regard to case";
    vars.SetVariable("%Language%", "Klingon");
    EXPECT_EQ(langs.GetMessage(0), "Deutsch:0") << "no match: the default-flagged record";
    vars.Store().SetValue("%Lang2%", "English");
    vars.SetVariable("%Language%", "%Lang2%");
    EXPECT_EQ(langs.GetMessage(0), "English:0");

    TVariables other(sys);
    TLanguages none(other);
    TLanguageSection s;
    s.languages = {Lang("English", false), Lang("Deutsch", false)};
    none.Load(std::move(s));
    EXPECT_EQ(none.ChosenName(), "");
    EXPECT_EQ(other.Store().Find("%Language%"), nullptr);
    EXPECT_EQ(none.GetMessage(5), "English:5") << "no default flag: the first record";
    EXPECT_EQ(none.DeviceConnectionText(), "English:61");
}

TEST_F(Languages, PackageWithoutLanguagesUsesItsUnnamedTable) {
    TLanguageSection s;
    s.unnamedTable = Table("plain:");
    langs.Load(std::move(s));
    vars.SetVariable("%Language%", "English");
    EXPECT_EQ(langs.GetMessage(68), "plain:68");
    EXPECT_EQ(langs.ChosenName(), "");
    EXPECT_TRUE(langs.Names().empty());
}

TEST_F(Languages, OutOfRangeNumbersAndMissingTablesGiveEmptyText) {
    EXPECT_EQ(langs.GetMessage(0), "") << "nothing loaded";
    Load({Lang("English", true)});
    EXPECT_EQ(langs.GetMessage(-1), "");
    EXPECT_EQ(langs.GetMessage(kMessageCount), "");
}

TEST_F(Languages, TextExpandsThenReplacesPlaceholdersInAnyCase) {
    TLanguage l = Lang("English", true);
    l.messages[19] = "<FILE> not found for %SoftwareName%, <file> <Disk>";
    l.messages[7] = "Close %SoftwareName%?";
    Load({l});
    vars.Program().softwareName = "A&B";
    EXPECT_EQ(langs.Text(19, {{"<file>", "100%InstallDir%.txt"}, {"<disk>", "2"}}),
              "100%InstallDir%.txt not found for A&B, 100%InstallDir%.txt 2");
    EXPECT_EQ(langs.Text(7, {}, true), "Close A&&B?");
}

TEST(ReplacePlaceholder, ReplacesEveryOccurrenceOnce) {
    EXPECT_EQ(ReplacePlaceholder("<drive> and <DRIVE>", "<Drive>", "C:"), "C: and C:");
    EXPECT_EQ(ReplacePlaceholder("<file>", "<file>", "<file><file>"), "<file><file>");
    EXPECT_EQ(ReplacePlaceholder("none", "<file>", "x"), "none");
    EXPECT_EQ(ReplacePlaceholder("abc", "", "x"), "abc");
}

} // namespace
} // namespace cvn
