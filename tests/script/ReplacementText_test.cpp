#include "script/ReplacementText.h"
#include "script/VariableList.h"

#include <gtest/gtest.h>

#include <random>

namespace cvn {
namespace {

struct TCase {
    std::string text;
    std::vector<std::pair<std::string, std::string>> steps; // name, value
};

std::string OnePassPerName(const TCase& c) {
    std::string s = c.text;
    for (const auto& [name, value] : c.steps)
        ReplaceAllNoCase(s, name, value);
    return s;
}

std::string Indexed(const TCase& c) {
    size_t longest = 0;
    for (const auto& step : c.steps)
        longest = std::max(longest, step.first.size());
    TReplacementText t(c.text, longest);
    for (const auto& [name, value] : c.steps)
        t.Replace(AsciiUpperCopy(name), value);
    return t.Result();
}

TEST(ReplacementText, MatchesOnePassPerNameOnHandPickedTexts) {
    const std::vector<TCase> cases = {
        {"%A%B%", {{"%A%", "1"}, {"%B%", "2"}}},
        {"%B%A%", {{"%A%", "1"}, {"%B%", "2"}}},
        {"%A%A%A%A%", {{"%A%", "x"}}},
        {"%%A%% %B%", {{"%A%", "B"}, {"%B%", "2"}}},
        {"%a% %Z%", {{"%A%", "%Z%"}, {"%Z%", "!"}}},
        {"%X%", {{"%X%", "a%X%b"}}},
        {"%%%%", {{"%%", "-"}}},
        {"no names", {{"%A%", "1"}}},
        {"%A%", {{"%A%", ""}, {"%%", "e"}}},
        {"x%A%y%A%z", {{"%A%", "%"}, {"%Y%", "why"}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Indexed(c), OnePassPerName(c)) << c.text;
    EXPECT_EQ(Indexed(cases[0]), "1B%");
    EXPECT_EQ(Indexed(cases[2]), "xAxA%") << "adjacent occurrences share a percent sign";
    EXPECT_EQ(Indexed(cases[3]), "2 2") << "a replacement can join a later name out of its neighbours";
}

TEST(ReplacementText, MatchesOnePassPerNameOnRandomTexts) {
    std::mt19937 rng(12345);
    auto pick = [&](std::string_view alphabet, int maxLen) {
        std::string s;
        for (int i = 0, n = int(rng() % unsigned(maxLen + 1)); i < n; ++i)
            s += alphabet[rng() % alphabet.size()];
        return s;
    };
    for (int round = 0; round < 5000; ++round) {
        TCase c;
        c.text = pick("%%%aAbB x", 24);
        for (int i = 0, n = 1 + int(rng() % 5); i < n; ++i) {
            std::string inner = pick("aAbB x", 2);
            c.steps.push_back({"%" + inner + "%", pick("%%aAbB y", 5)});
        }
        ASSERT_EQ(Indexed(c), OnePassPerName(c)) << "round " << round << " text \"" << c.text << "\"";
    }
}

} // namespace
} // namespace cvn
