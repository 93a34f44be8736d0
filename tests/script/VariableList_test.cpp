#include "script/VariableList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace cvn {
namespace {

TEST(VariableList, KeepsNamesSortedByFoldedBytesAndUnique) {
    TVariableList list;
    // "_" (0x5F) sorts after the folded letters, a byte above 0x7F after everything ASCII.
    for (const char* name : {"%b%", "%A_%", "%aB%", "\xE9t\xE9", "%C%", "%a%"})
        list.SetValue(name, "v");
    ASSERT_EQ(list.Count(), 6);
    std::vector<std::string> names;
    for (const auto& e : list.Entries())
        names.push_back(e.first);
    EXPECT_EQ(names, (std::vector<std::string>{"%a%", "%aB%", "%A_%", "%b%", "%C%", "\xE9t\xE9"}));

    list.SetValue("%AB%", "changed");
    EXPECT_EQ(list.Count(), 6);
    EXPECT_EQ(list.GetPair(1), (TVariableList::TPair{"%aB%", "changed"})) << "first spelling kept";
    EXPECT_EQ(list.IndexOf("%ab%"), 1);
    EXPECT_EQ(list.IndexOf("%ab"), -1);
    ASSERT_NE(list.Find("%c%"), nullptr);
    EXPECT_EQ(list.Find("%d%"), nullptr);
}

TEST(VariableList, HalvingSearchAgreesWithLinearSearch) {
    TVariableList list;
    std::mt19937 rng(7);
    std::vector<std::string> names;
    for (int i = 0; i < 500; ++i) {
        std::string n = "%";
        for (int k = 0, len = 1 + int(rng() % 6); k < len; ++k)
            n += "aBz_%9"[rng() % 6];
        names.push_back(n);
        list.SetValue(n, std::to_string(i));
    }
    const auto& entries = list.Entries();
    for (size_t i = 1; i < entries.size(); ++i)
        EXPECT_LT(CompareNoCase(entries[i - 1].first, entries[i].first), 0);
    for (const auto& n : names) {
        int linear = -1;
        for (size_t i = 0; i < entries.size(); ++i)
            if (EqualsNoCase(entries[i].first, n)) linear = int(i);
        EXPECT_EQ(list.IndexOf(AsciiUpperCopy(n)), linear) << n;
    }
}

TEST(VariableList, TextLineFormRoundTrips) {
    TVariableList list;
    list.AddLine("%InstallDir%=C:\\App=1");
    list.AddLine("no equals sign");
    list.AddLine("%Empty%=");
    EXPECT_EQ(*list.Find("%installdir%"), "C:\\App=1") << "split at the first '='";
    EXPECT_EQ(*list.Find("no equals sign"), "no equals sign");
    EXPECT_EQ(*list.Find("%Empty%"), "");

    TVariableList copy;
    for (int i = 0; i < list.Count(); ++i)
        copy.AddLine(list.GetLine(i));
    EXPECT_EQ(copy.Entries(), list.Entries());

    EXPECT_EQ(list.GetLine(-1), "");
    EXPECT_EQ(list.GetLine(list.Count()), "");
    EXPECT_EQ(list.GetPair(99), TVariableList::TPair());
}

TEST(VariableList, CountsNamesWithoutPercentDelimiters) {
    TVariableList list;
    list.SetValue("%A%", "");
    list.SetValue("%%", "");
    EXPECT_EQ(list.UndelimitedCount(), 0);
    for (const char* odd : {"bare", "%open", "%a%b%", "%"})
        list.SetValue(odd, "");
    list.SetValue("BARE", "again");
    EXPECT_EQ(list.UndelimitedCount(), 4);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.UndelimitedCount(), 0);
}

} // namespace
} // namespace cvn
