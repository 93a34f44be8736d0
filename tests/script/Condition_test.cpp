#include "script/ScriptFixture.h"

namespace cvn::test {
namespace {

class Conditions : public ScriptFixture {
protected:
    bool Holds(std::string_view c) { return conditions.EvaluateCondition(c); }
};

TEST_F(Conditions, ClausesEndWithABarAndAllMustHold) {
    EXPECT_TRUE(Holds(""));
    sys.isNT = true;
    sys.osMajor = 4;
    EXPECT_FALSE(Holds("%IsNT% = 1|%OSMajorVersion% >= 5|"));
    EXPECT_TRUE(Holds("%IsNT% = 1|%OSMajorVersion% >= 5")) << "text after the last bar is ignored";
    sys.osMajor = 5;
    EXPECT_TRUE(Holds("%IsNT% = 1|%OSMajorVersion% >= 5|"));
    EXPECT_TRUE(Holds("1 = 2")) << "a clause without its bar is never tested";
    EXPECT_FALSE(Holds("1 = 2|"));
    EXPECT_TRUE(Holds("no operator here|"));
    EXPECT_TRUE(Holds("|||"));
}

TEST_F(Conditions, FirstFalseClauseStopsEvaluation) {
    Set("%A%", "x");
    // The second clause would read the command line; a false first clause must not get there.
    int before = sys.calls;
    EXPECT_FALSE(Holds("%A% = y|%CmdLineParam% = z|"));
    EXPECT_EQ(sys.calls, before);
}

TEST_F(Conditions, OperatorIsTheFirstComparisonCharacterAndItsNeighboursAreDropped) {
    EXPECT_TRUE(Holds("a=b|")) << "both sides lose their one character next to the operator";
    EXPECT_FALSE(Holds("xa = xa |")) << "the right side keeps its trailing space";
    EXPECT_FALSE(Holds("x = y|"));
    EXPECT_TRUE(Holds("x != y|"));
    EXPECT_FALSE(Holds("x != x|"));
    EXPECT_TRUE(Holds("= |")) << "both sides empty";
    EXPECT_FALSE(Holds("abc =|"));
    EXPECT_TRUE(Holds("abc >|")) << "an empty right side is smaller than any text";
    EXPECT_TRUE(Holds("Hello! = Hello!|")) << "a ! not followed by = is skipped";
    EXPECT_FALSE(Holds("a!b = a!c|"));
    EXPECT_TRUE(Holds("2 <= 2|"));
    EXPECT_TRUE(Holds("1 < 2|"));
    EXPECT_FALSE(Holds("1 > 2|"));
    EXPECT_TRUE(Holds("3 >= 2|"));
    EXPECT_FALSE(Holds("a = a = a|")) << "only the first operator splits: 'a' against 'a = a'";
}

TEST_F(Conditions, NumbersAndVersionsArePaddedTextIsCompared) {
    EXPECT_TRUE(Holds("10 > 9|"));
    EXPECT_TRUE(Holds("1.10 > 1.9|"));
    Set("%V%", "4.9");
    EXPECT_FALSE(Holds("%V% >= 4.10|"));
    EXPECT_TRUE(Holds("%V% < 4.10|"));
    EXPECT_TRUE(Holds("1.2 = 1.2.0|")) << "a missing part is empty and pads to zeros";
    EXPECT_TRUE(Holds("1.2 < 1.2.1|"));
    EXPECT_FALSE(Holds("abc = ABC|")) << "letter case counts";
    EXPECT_TRUE(Holds("abc > ABC|"));
    EXPECT_TRUE(Holds("ab < abc|")) << "a prefix is smaller";
    EXPECT_FALSE(Holds("10 > 9a|")) << "mixed sides compare as text: '1' < '9'";
    Set("%E%", "");
    EXPECT_TRUE(Holds("%E% = 0|")) << "an empty side counts as digits and becomes zeros";
    EXPECT_TRUE(Holds("%E% < 1|"));
    EXPECT_TRUE(Holds("\xE9 > z|")) << "bytes compare unsigned";
}

TEST(PadOperandsTest, PadsDigitsAndDottedParts) {
    auto pad = [](std::string l, std::string r) {
        PadOperands(l, r);
        return l + "|" + r;
    };
    EXPECT_EQ(pad("10", "9"), "10|09");
    EXPECT_EQ(pad("", "123"), "000|123");
    EXPECT_EQ(pad("4.9", "4.10"), "4.09|4.10");
    EXPECT_EQ(pad("1.2.3", "1..30"), "1.2.03|1.0.30");
    EXPECT_EQ(pad("1", "1.0"), "1.0|1.0");
    EXPECT_EQ(pad("", "1.5"), "0.0|1.5");
    EXPECT_EQ(pad("v1", "2"), "v1|2");
}

TEST_F(Conditions, SetupComponentsTestsTheCurrentSelection) {
    selection.Load({"Program|Docs", "Program", ""}, true);
    EXPECT_TRUE(Holds("%SETUPCOMPONENTS% = Docs|"));
    EXPECT_TRUE(Holds("%setupcomponents% = docs|")) << "either letter case";
    EXPECT_TRUE(Holds("DOCS = %SetupComponents%|")) << "either side";
    EXPECT_FALSE(Holds("%SETUPCOMPONENTS% != Docs|"));
    EXPECT_TRUE(Holds("%SETUPCOMPONENTS% != Extras|"));
    EXPECT_FALSE(Holds("%SETUPCOMPONENTS% = Extras|"));
    EXPECT_FALSE(Holds("%SETUPCOMPONENTS% >= Docs|")) << "only = and != mean anything";
    EXPECT_TRUE(Holds("%SETUPCOMPONENTS% = %SETUPCOMPONENTS%|"));
    EXPECT_FALSE(Holds("%SETUPCOMPONENTS% != %SETUPCOMPONENTS%|"));
    Set("%Which%", "Program");
    EXPECT_TRUE(Holds("%SETUPCOMPONENTS% = %Which%|")) << "the other side is resolved first";
    EXPECT_FALSE(Holds("%SETUPCOMPONENTS% = Doc|")) << "whole names only";
}

TEST_F(Conditions, SetupComponentsHoldsAlwaysWithoutComponents) {
    selection.Load({"", "", ""}, false);
    EXPECT_TRUE(Holds("%SETUPCOMPONENTS% = Anything|"));
    EXPECT_TRUE(Holds("%SETUPCOMPONENTS% != Anything|"));
}

TEST_F(Conditions, ComputedNamesAreResolvedAsOperands) {
    sys.screenWidth = 800;
    EXPECT_TRUE(Holds("%ScreenWidth% < 1024|"));
    EXPECT_TRUE(Holds("%screenwidth% = 800|"));
}

} // namespace
} // namespace cvn::test
