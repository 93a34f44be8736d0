#include "script/ScriptFixture.h"

#include <map>

namespace cvn::test {
namespace {

class Interpreter : public ScriptFixture {
protected:
    Interpreter() { Set("%Log%", ""); }
    // Appends the expanded text to %Log%, so a test sees which statements ran in which order.
    static TScriptStatement Log(std::string text, std::string condition = {}) {
        return St(SC::scAssign, {"%Log%", "%Log%" + text}, std::move(condition));
    }
    std::string LogText() { return Var("%Log%"); }
};

TEST_F(Interpreter, StatementsRunInOrderAndFalseConditionsAreSkipped) {
    EXPECT_TRUE(Run({Log("a"), Log("b", "1 = 2|"), Log("c", "1 = 1|")}));
    EXPECT_EQ(LogText(), "ac");
    EXPECT_TRUE(Run({})) << "an empty script is a normal run";
}

TEST_F(Interpreter, ForCountsInclusiveAndSkipsABackwardRange) {
    EXPECT_TRUE(Run({St(SC::scFor, {"%I%", "1", "3", "L"}), Log("%I%"), St(SC::scEndFor, {"L"})}));
    EXPECT_EQ(LogText(), "123");
    Set("%I%", "keep");
    EXPECT_TRUE(Run({St(SC::scFor, {"%I%", "3", "1", "L"}), Log("x"), St(SC::scEndFor, {"L"})}));
    EXPECT_EQ(LogText(), "123") << "no pass";
    EXPECT_EQ(Var("%I%"), "keep") << "the loop variable is untouched";
    Set("%N%", "-2");
    EXPECT_TRUE(Run({St(SC::scFor, {"%I%", "x%N%", "0", "L"}), Log("[%I%]"), St(SC::scEndFor, {"L"})}));
    EXPECT_EQ(LogText(), "123[-2][-1][0]") << "bounds keep only digits and minus signs";
}

TEST_F(Interpreter, BlockEndIsTheFirstEndWithTheExactLabel) {
    TScript s = {St(SC::scFor, {"%I%", "1", "2", "Outer"}),
                 St(SC::scFor, {"%J%", "1", "2", "outer"}),
                 Log("j"),
                 St(SC::scEndFor, {"outer"}),
                 Log("i"),
                 St(SC::scEndFor, {"Outer"})};
    EXPECT_TRUE(Run(s));
    EXPECT_EQ(LogText(), "jjijji") << "labels differing in letter case are different blocks";
}

TEST_F(Interpreter, IfElseTakesTheLastElseOfItsLabel) {
    Set("%X%", "1");
    TScript s = {St(SC::scIf, {"A"}, "%X% = 1|"), Log("then"), St(SC::scElse, {"A"}),  Log("mid"),
                 St(SC::scElse, {"A"}),           Log("else"), St(SC::scEndIf, {"A"}), Log("after")};
    EXPECT_TRUE(Run(s));
    EXPECT_EQ(LogText(), "thenmidafter") << "the first Else is inside the true branch";
    Set("%Log%", "");
    Set("%X%", "2");
    EXPECT_TRUE(Run(s));
    EXPECT_EQ(LogText(), "elseafter");
    Set("%Log%", "");
    EXPECT_TRUE(Run({St(SC::scIf, {"B"}, "1 = 2|"), Log("no"), St(SC::scEndIf, {"B"}), Log("yes")}));
    EXPECT_EQ(LogText(), "yes");
}

TEST_F(Interpreter, WhileTestsItsOwnConditionEachPass) {
    Set("%N%", "0");
    TScript s = {St(SC::scWhile, {"W"}, "%N% < 3|"), St(SC::scCalculate, {"%N%", "%N%", "ADDITION", "1"}),
                 Log("%N%"), St(SC::scEndWhile, {"W"}), Log("done")};
    EXPECT_TRUE(Run(s));
    EXPECT_EQ(LogText(), "123done");
}

TEST_F(Interpreter, BreakInsideIfEndsTheLoopAndContinuesAfterItsEnd) {
    Set("%N%", "0");
    TScript s = {St(SC::scWhile, {"W"}, "1 = 1|"),
                 St(SC::scCalculate, {"%N%", "%N%", "addition", "1"}),
                 St(SC::scIf, {"I"}, "%N% = 3|"),
                 St(SC::scBreak),
                 St(SC::scEndIf, {"I"}),
                 Log("%N%"),
                 St(SC::scEndWhile, {"W"}),
                 St(SC::scIf, {"J"}, "1 = 2|"),
                 Log("never"),
                 St(SC::scEndIf, {"J"}),
                 Log("after")};
    EXPECT_TRUE(Run(s));
    EXPECT_EQ(LogText(), "12after") << "a false If after a broken loop continues normally";
}

TEST_F(Interpreter, BreakOrExitAtTopLevelEndsTheRunNormally) {
    EXPECT_TRUE(Run({Log("a"), St(SC::scBreak), Log("b")}));
    EXPECT_TRUE(Run({Log("c"), St(SC::scIf, {"I"}), St(SC::scBreak), St(SC::scEndIf, {"I"}), Log("d")}));
    EXPECT_EQ(LogText(), "ac");
}

TEST_F(Interpreter, ExitInsideNestedBlocksEndsTheWholeRun) {
    TScript s = {St(SC::scFor, {"%I%", "1", "5", "F"}),
                 St(SC::scWhile, {"W"}, "1 = 1|"),
                 St(SC::scIf, {"I"}, "%I% = 2|"),
                 St(SC::scExit),
                 St(SC::scEndIf, {"I"}),
                 Log("%I%"),
                 St(SC::scBreak),
                 St(SC::scEndWhile, {"W"}),
                 St(SC::scEndFor, {"F"}),
                 Log("after")};
    EXPECT_TRUE(Run(s)) << "Exit is not a close";
    EXPECT_EQ(LogText(), "1");
}

TEST_F(Interpreter, CloseStatementsEndEveryLevelAndGoToTheWizard) {
    TScript s = {St(SC::scFor, {"%I%", "1", "5", "F"}), Log("%I%"), St(SC::scFinishSetup, {}, "%I% = 2|"),
                 St(SC::scEndFor, {"F"}), Log("after")};
    EXPECT_FALSE(Run(s));
    EXPECT_EQ(LogText(), "12");
    EXPECT_EQ(wizard, std::vector<std::string>{"FinishSetup(,,)"});
    interp.Hooks().executeWizardCommand = nullptr;
    EXPECT_FALSE(Run({St(SC::scCloseWizard), Log("x")})) << "the run stops even with nobody to tell";
    EXPECT_EQ(LogText(), "12");
}

TEST_F(Interpreter, WizardCommandsGetTheirFirstThreeParametersUnexpanded) {
    EXPECT_TRUE(Run({St(SC::scGotoDialog, {"%Page%"}), St(SC::scRefreshDialog, {"1", "0"}),
                     St(SC::scListAddItem, {"L", "%Item%"}), St(SC::scNextDialog, {}, "1 = 2|")}));
    EXPECT_EQ(wizard, (std::vector<std::string>{"GotoDialog(%Page%,,)", "RefreshDialog(1,0,)",
                                                "ListAddItem(L,%Item%,)"}));
}

TEST_F(Interpreter, GotoAtTopLevelJumpsBackAndForward) {
    Set("%N%", "0");
    TScript s = {St(SC::scLabel, {"again"}),
                 St(SC::scCalculate, {"%N%", "%N%", "ADDITION", "1"}),
                 Log("%N%"),
                 St(SC::scGoto, {"again"}, "%N% < 3|"),
                 St(SC::scGoto, {"end"}),
                 Log("skipped"),
                 St(SC::scLabel, {"end"}),
                 St(SC::scGoto, {"nowhere"}),
                 Log("!")};
    EXPECT_TRUE(Run(s));
    EXPECT_EQ(LogText(), "123!") << "a Goto to a missing label does nothing";
}

TEST_F(Interpreter, GotoLeavesNestedBlocksToTheTopLevelLabel) {
    TScript s = {St(SC::scIf, {"A"}),      St(SC::scIf, {"B"}), St(SC::scGoto, {"out"}), Log("no"),
                 St(SC::scEndIf, {"B"}),   Log("no"),           St(SC::scEndIf, {"A"}),  Log("no"),
                 St(SC::scLabel, {"out"}), Log("yes")};
    EXPECT_TRUE(Run(s));
    EXPECT_EQ(LogText(), "yes");
}

TEST_F(Interpreter, GotoInsideALoopEndsOnlyThatPassUnlessItWasTheLast) {
    // The jump in pass 1 ends that pass; passes 2 and 3 run; the jump is forgotten.
    TScript s = {St(SC::scFor, {"%I%", "1", "3", "F"}),
                 Log("%I%"),
                 St(SC::scGoto, {"out"}, "%I% = 1|"),
                 Log("."),
                 St(SC::scEndFor, {"F"}),
                 Log("after"),
                 St(SC::scLabel, {"out"}),
                 Log("out")};
    EXPECT_TRUE(Run(s));
    EXPECT_EQ(LogText(), "12.3.afterout");
    Set("%Log%", "");
    // A jump in the last pass is taken.
    s[2].condition = "%I% = 3|";
    EXPECT_TRUE(Run(s));
    EXPECT_EQ(LogText(), "1.2.3out");
}

TEST_F(Interpreter, GuardedStructuralStatementsArePassedOverAlone) {
    // A For whose own condition fails: its body runs once in sequence, its end does nothing.
    TScript s = {St(SC::scFor, {"%I%", "1", "3", "F"}, "1 = 2|"),
                 Log("body"),
                 St(SC::scEndFor, {"F"}),
                 St(SC::scExit, {}, "1 = 2|"),
                 St(SC::scBreak, {}, "1 = 2|"),
                 Log("end")};
    EXPECT_TRUE(Run(s));
    EXPECT_EQ(LogText(), "bodyend");
}

struct FakeList : TScriptListBox {
    std::vector<std::pair<std::string, bool>> items;
    int ItemCount() const override { return int(items.size()); }
    std::string ItemText(int i) const override { return items[size_t(i)].first; }
    bool ItemSelected(int i) const override { return items[size_t(i)].second; }
};

TEST_F(Interpreter, ForEachSelectedVisitsSelectedItemsOfTheNamedList) {
    FakeList list;
    list.items = {{"a", true}, {"b", false}, {"c", true}};
    std::vector<std::string> asked;
    interp.Hooks().findListBox = [&](const std::string& name) -> TScriptListBox* {
        asked.push_back(name);
        return name == "Files" ? &list : nullptr;
    };
    Set("%Which%", "Files");
    TScript s = {St(SC::scForEachSelected, {"%Item%", "%Which%", "E"}), Log("%Item%"),
                 St(SC::scEndForEachSelected, {"E"}), Log("!")};
    EXPECT_TRUE(Run(s));
    EXPECT_EQ(LogText(), "ac!");
    EXPECT_EQ(asked.front(), "Files") << "the list name is expanded";

    // The body clears the list: the loop stops instead of reading past its end.
    Set("%Log%", "");
    list.items = {{"a", true}, {"b", true}, {"c", true}};
    interp.SetExternalCommand(uint8_t(SC::scHotSyncUserCount),
                              [&](const TScriptStatement&) { list.items.clear(); });
    TScript clearing = {St(SC::scForEachSelected, {"%Item%", "Files", "E"}), Log("%Item%"),
                        St(SC::scHotSyncUserCount, {"%U%"}), St(SC::scEndForEachSelected, {"E"})};
    EXPECT_TRUE(Run(clearing));
    EXPECT_EQ(LogText(), "a");

    Set("%Log%", "");
    EXPECT_TRUE(Run({St(SC::scForEachSelected, {"%Item%", "Missing", "E"}), Log("x"),
                     St(SC::scEndForEachSelected, {"E"})}));
    EXPECT_EQ(LogText(), "") << "no such list: no pass";
}

TEST_F(Interpreter, EndOfTopLevelScriptLeavesAnUnusedInstallPage) {
    int returns = 0;
    interp.Hooks().returnFromInstallPage = [&] { ++returns; };
    interp.PendingDialog() = "install";
    EXPECT_TRUE(Run({St(SC::scIf, {"I"}), Log("x"), St(SC::scEndIf, {"I"})}));
    EXPECT_EQ(returns, 1) << "nested ends do not count, the top-level end does";
    EXPECT_EQ(interp.PendingDialog(), "");

    interp.PendingDialog() = "INSTALL";
    interp.SetBusy(true);
    EXPECT_TRUE(Run({Log("x")}));
    EXPECT_EQ(returns, 1) << "not while installing";
    interp.SetBusy(false);
    EXPECT_TRUE(Run({St(SC::scExit)}));
    EXPECT_EQ(returns, 1) << "an Exit returns before the end test";
    EXPECT_TRUE(Run({Log("x")}));
    EXPECT_EQ(returns, 2);
}

TEST_F(Interpreter, MissingEndStatementsReachToTheEndOfTheScript) {
    EXPECT_TRUE(Run({St(SC::scFor, {"%I%", "1", "2", "F"}), Log("%I%")}));
    EXPECT_EQ(LogText(), "12");
    Set("%Log%", "");
    EXPECT_TRUE(Run({St(SC::scIf, {"I"}, "1 = 2|"), Log("x"), St(SC::scElse, {"I"}), Log("y")}));
    EXPECT_EQ(LogText(), "y");
    Set("%Log%", "");
    EXPECT_TRUE(Run({St(SC::scWhile, {"W"}, "1 = 1|"), Log("w"), St(SC::scBreak)}));
    EXPECT_EQ(LogText(), "w");
    EXPECT_TRUE(Run({St(SC::scEndFor, {"F"}), St(SC::scElse, {"I"}), St(SC::scEndIf, {"I"})}))
        << "stray end statements do nothing";
}

TEST_F(Interpreter, DeepNestingEndsTheRunInsteadOfExhaustingTheStack) {
    TScript s;
    for (int i = 0; i < 5000; ++i)
        s.push_back(St(SC::scIf, {"L" + std::to_string(i)}));
    s.push_back(Log("deep"));
    EXPECT_TRUE(Run(s));
    EXPECT_EQ(LogText(), "");
}

TEST_F(Interpreter, ExecuteRangeRunsPartOfAScript) {
    TScript s = {Log("a"), Log("b"), Log("c"), Log("d")};
    EXPECT_EQ(interp.ExecuteRange(s, 1, 2, false), TScriptOutcome::Normal);
    EXPECT_EQ(LogText(), "bc");
    EXPECT_EQ(interp.ExecuteRange(s, 3, 10, false), TScriptOutcome::Normal) << "stops at the script's end";
    EXPECT_EQ(interp.ExecuteRange({St(SC::scBreak)}, 0, 0, false), TScriptOutcome::Break);
    EXPECT_EQ(interp.ExecuteRange({St(SC::scGoto, {"x"}), St(SC::scLabel, {"x"})}, 0, 1, false),
              TScriptOutcome::Goto);
}

TEST_F(Interpreter, ExternalCommandsOnlyForTheirCodes) {
    std::vector<std::string> seen;
    EXPECT_TRUE(interp.SetExternalCommand(uint8_t(SC::scHttpGet),
                                          [&](const TScriptStatement& s) { seen.push_back(s.param[1]); }));
    EXPECT_FALSE(interp.SetExternalCommand(uint8_t(SC::scAssign), [](const TScriptStatement&) {}));
    EXPECT_FALSE(interp.SetExternalCommand(200, [](const TScriptStatement&) {}));
    EXPECT_TRUE(Run({St(SC::scHttpGet, {"%R%", "http://x"}), St(SC::scDeviceConnected, {"%D%"})}))
        << "an External code without a command does nothing";
    EXPECT_EQ(seen, std::vector<std::string>{"http://x"});
    TScriptStatement unknown;
    unknown.code = 200;
    EXPECT_TRUE(Run1(unknown));
}

} // namespace
} // namespace cvn::test
