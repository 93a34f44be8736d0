#include "script/ScriptFixture.h"

namespace cvn::test {
namespace {

class ValueCommands : public ScriptFixture {
protected:
    std::string Calc(std::string a, std::string op, std::string b) {
        Run1(St(SC::scCalculate, {"%R%", std::move(a), std::move(op), std::move(b)}));
        return Var("%R%");
    }
    std::string Apply(SC code, std::string value, std::string p2 = {}) {
        Set("%V%", value);
        Run1(St(code, {"%V%", std::move(p2)}));
        return Var("%V%");
    }
};

TEST(ReadScriptNumberTest, KeepsDigitsAndMinusThenReadsStrictly) {
    EXPECT_EQ(ReadScriptNumber("42"), 42);
    EXPECT_EQ(ReadScriptNumber(" 4 2 px"), 42);
    EXPECT_EQ(ReadScriptNumber("-17"), -17);
    EXPECT_EQ(ReadScriptNumber("v1.2"), 12);
    EXPECT_EQ(ReadScriptNumber(""), 0);
    EXPECT_EQ(ReadScriptNumber("-"), 0);
    EXPECT_EQ(ReadScriptNumber("1-2"), 0) << "a misplaced minus is no number";
    EXPECT_EQ(ReadScriptNumber("--1"), 0);
    EXPECT_EQ(ReadScriptNumber("+5"), 5) << "a plus sign is not kept";
    EXPECT_EQ(ReadScriptNumber("2147483647"), INT32_MAX);
    EXPECT_EQ(ReadScriptNumber("-2147483648"), INT32_MIN);
    EXPECT_EQ(ReadScriptNumber("2147483648"), 0) << "out of range is no number";
    EXPECT_EQ(ReadScriptNumber("99999999999999999999999"), 0);
}

TEST_F(ValueCommands, CalculateIn32BitsWithTruncatingDivision) {
    EXPECT_EQ(Calc("7", "division", "2"), "3");
    EXPECT_EQ(Calc("-7", "DIVISION", "2"), "-3");
    EXPECT_EQ(Calc("-7", "Remainder", "2"), "-1");
    EXPECT_EQ(Calc("7", "REMAINDER", "-2"), "1");
    EXPECT_EQ(Calc("7", "DIVISION", "0"), "0");
    EXPECT_EQ(Calc("7", "REMAINDER", "0"), "7");
    EXPECT_EQ(Calc("3", "addition", "4"), "7");
    EXPECT_EQ(Calc("3", "SUBTRACTION", "4"), "-1");
    EXPECT_EQ(Calc("6", "MULTIPLICATION", "7"), "42");
    EXPECT_EQ(Calc("6", "POWER", "7"), "6") << "an unknown operation leaves A";
    EXPECT_EQ(Calc("2147483647", "ADDITION", "1"), "-2147483648") << "wraps";
    EXPECT_EQ(Calc("-2147483648", "SUBTRACTION", "1"), "2147483647");
    EXPECT_EQ(Calc("65536", "MULTIPLICATION", "65536"), "0");
    EXPECT_EQ(Calc("-2147483648", "DIVISION", "-1"), "-2147483648");
    EXPECT_EQ(Calc("-2147483648", "REMAINDER", "-1"), "0");
    Set("%A%", "10");
    EXPECT_EQ(Calc("%A%", "ADDITION", "abc"), "10") << "operands are expanded; text is 0";
}

TEST_F(ValueCommands, RandomStaysInItsRange) {
    std::set<std::string> seen;
    for (int i = 0; i < 600; ++i) {
        Run1(St(SC::scRandom, {"%R%", "1", "6"}));
        int v = std::stoi(Var("%R%"));
        ASSERT_GE(v, 1);
        ASSERT_LE(v, 6);
        seen.insert(Var("%R%"));
    }
    EXPECT_EQ(seen.size(), 6u);
    Run1(St(SC::scRandom, {"%R%", "5", "0"}));
    EXPECT_EQ(Var("%R%"), "5");
    for (int i = 0; i < 50; ++i) {
        Run1(St(SC::scRandom, {"%R%", "0", "-3"}));
        int v = std::stoi(Var("%R%"));
        ASSERT_TRUE(v <= 0 && v > -3) << v;
    }
}

TEST_F(ValueCommands, HexadecimalAndPadding) {
    EXPECT_EQ(Apply(SC::scHexToDec, "ff"), "255");
    EXPECT_EQ(Apply(SC::scHexToDec, "00FF"), "255");
    EXPECT_EQ(Apply(SC::scHexToDec, "FFFFFFFF"), "-1");
    EXPECT_EQ(Apply(SC::scHexToDec, "1FFFFFFFF"), "0") << "more than 32 bits";
    EXPECT_EQ(Apply(SC::scHexToDec, "xyz"), "0");
    EXPECT_EQ(Apply(SC::scHexToDec, ""), "0");
    EXPECT_EQ(Apply(SC::scDecToHex, "255"), "FF");
    EXPECT_EQ(Apply(SC::scDecToHex, "0"), "0");
    EXPECT_EQ(Apply(SC::scDecToHex, "abc"), "0");
    EXPECT_EQ(Apply(SC::scDecToHex, "12abc"), "0");
    EXPECT_EQ(Apply(SC::scDecToHex, "-1"), "FFFFFFFF");
    EXPECT_EQ(Apply(SC::scDecToHex, "99999999999"), "0");
    EXPECT_EQ(Apply(SC::scPadLeft, "7", "3"), "007");
    EXPECT_EQ(Apply(SC::scPadLeft, "1234", "3"), "1234");
    EXPECT_EQ(Apply(SC::scPadLeft, "", "2"), "00");
    EXPECT_EQ(Apply(SC::scPadLeft, "5", "-4"), "5");
    EXPECT_EQ(Apply(SC::scPadLeft, "5", "2147483647").size(), 65535u) << "absurd widths are capped";
}

TEST_F(ValueCommands, AssignExpandsAndStripsOnRequest) {
    Run1(St(SC::scAssign, {"%Dir%", "%WinDir%\\Sub\\", "1"}));
    EXPECT_EQ(Var("%Dir%"), "C:\\WINDOWS\\Sub");
    Run1(St(SC::scAssign, {"%Dir%", "x\\", "0"}));
    EXPECT_EQ(Var("%Dir%"), "x\\");
    Run1(St(SC::scAssign, {"%IsNT%", "0", ""}));
    EXPECT_EQ(Var("%IsNT%"), "<unset>") << "read-only names refuse";
}

TEST_F(ValueCommands, ListsHeldInVariables) {
    EXPECT_EQ(Apply(SC::scListAdd, "a, c", "b"), "a, c, b");
    EXPECT_EQ(Apply(SC::scListAdd, "a, c, b", "B"), "a, c, b") << "already there in another case";
    EXPECT_EQ(Apply(SC::scListAdd, "", "x"), "x");
    EXPECT_EQ(Apply(SC::scListAdd, "a|b", "c"), "a, b, c") << "bars already in the text separate too";
    EXPECT_EQ(Apply(SC::scListRemove, "a, b, a", "a"), "b");
    EXPECT_EQ(Apply(SC::scListRemove, "x, , A, z", "a"), "x, z") << "empty items go as well";
    EXPECT_EQ(Apply(SC::scListRemove, "a", "A"), "");

    auto item = [&](std::string list, std::string index) {
        Run1(St(SC::scListItem, {"%R%", std::move(list), std::move(index)}));
        return Var("%R%");
    };
    EXPECT_EQ(item("x, , z", "2"), "");
    EXPECT_EQ(item("x, , z", "3"), "z");
    EXPECT_EQ(item("x, , z", "1"), "x");
    EXPECT_EQ(item("x, , z", "0"), "");
    EXPECT_EQ(item("x, , z", "4"), "");
    EXPECT_EQ(item("x, , z", "-1"), "");

    auto count = [&](std::string list) {
        Run1(St(SC::scListCount, {"%R%", std::move(list)}));
        return Var("%R%");
    };
    EXPECT_EQ(count("x, , z"), "2");
    EXPECT_EQ(count(""), "0");
    EXPECT_EQ(count("one"), "1");

    Set("%L%", "Red, Green");
    Run1(St(SC::scListContains, {"%R%", "%L%", "green"}));
    EXPECT_EQ(Var("%R%"), "1");
    Run1(St(SC::scListContains, {"%R%", "%L%", "Gree"}));
    EXPECT_EQ(Var("%R%"), "0");
}

TEST_F(ValueCommands, MessageBoxesAndQuestions) {
    Set("%Name%", "World");
    Run1(St(SC::scMessageBox, {"Hi", "Hello %Name%", "WARNING"}));
    Run1(St(SC::scMessageBox, {"Hi", "x", "warning"}));
    ASSERT_EQ(pc.boxes.size(), 2u);
    EXPECT_EQ(pc.boxes[0].text, "Hello World");
    EXPECT_EQ(pc.boxes[0].icon, TMessageIcon::Warning);
    EXPECT_EQ(pc.boxes[1].icon, TMessageIcon::None) << "icon keywords are exact";

    pc.answers = {true, false};
    Set("%Answer%", "no");
    Run1(St(SC::scAskYesNo, {"%Answer%", "T", "Sure?", "QUESTION"}));
    EXPECT_TRUE(pc.boxes.back().noIsDefault) << "\"NO\" in any case makes No the default";
    EXPECT_EQ(Var("%Answer%"), "YES");
    Run1(St(SC::scAskYesNo, {"%Answer%", "T", "Sure?", "QUESTION"}));
    EXPECT_FALSE(pc.boxes.back().noIsDefault);
    EXPECT_EQ(Var("%Answer%"), "NO");
    EXPECT_EQ(pc.boxes.back().icon, TMessageIcon::Question);
}

} // namespace
} // namespace cvn::test
