#include "package/PackageModel.h"
#include "script/VariableNames.h"

#include <gtest/gtest.h>

namespace cvn {
namespace {

TScriptStatement Stmt(uint8_t code, std::string p1) {
    TScriptStatement s;
    s.code = code;
    s.param[0] = std::move(p1);
    return s;
}

TControlDefinition Control(uint8_t kind, std::string variable, TScript script = {}) {
    TControlDefinition c;
    c.kind = kind;
    c.variable = std::move(variable);
    c.eventScript = std::move(script);
    return c;
}

TEST(VariableNames, AssigningCodesAreExactlyTheVarFirstCodes) {
    int count = 0;
    for (int code = 0; code < 256; ++code)
        count += StatementAssignsVariable(uint8_t(code));
    EXPECT_EQ(count, 44);
    EXPECT_TRUE(StatementAssignsVariable(56));  // Assign
    EXPECT_TRUE(StatementAssignsVariable(89));  // ForEachSelected
    EXPECT_FALSE(StatementAssignsVariable(1));  // MessageBox
    EXPECT_FALSE(StatementAssignsVariable(90)); // end of ForEachSelected
}

TEST(VariableNames, CollectorWrapsDropsEmptyAndDuplicateNames) {
    TVariableNameCollector c;
    c.Add("Name");
    c.Add("%NAME%");
    c.Add("");
    c.AddStatement(56, "%Other%");
    c.AddStatement(1, "%NotAVariable%");
    c.Add("%installdir%");
    auto names = c.Finish();
    ASSERT_EQ(names.size(), 3u + BuiltInVariableNames().size() - 1);
    EXPECT_EQ(names[0], "%Name%");
    EXPECT_EQ(names[1], "%Other%");
    EXPECT_EQ(names[2], "%installdir%") << "the package's spelling wins";
    EXPECT_EQ(names[3], "%ProgramGroup%");
    EXPECT_EQ(names.back(), "%ActiveSyncVersion%");
}

TEST(VariableNames, PackageWalkVisitsEventScriptsThenDialogsInOrder) {
    TPackage p;
    p.eventScripts[0] = {Stmt(56, "%Start%"), Stmt(49, "%Label%")};
    p.eventScripts[6] = {Stmt(2, "%Answer%")};
    TDialogDefinition d;
    d.leaveScript = {Stmt(35, "%Leave%")};
    d.beforeBuildScript = {Stmt(42, "%Before%")};
    d.controls = {
        Control(1, "%LabelVar%", {Stmt(56, "%FromLabel%")}),
        Control(2, "%Edit%", {Stmt(56, "%FromEdit%")}),
        Control(10, "%LineVar%", {Stmt(56, "%FromLine%")}),
        Control(11, "%ShapeVar%", {Stmt(56, "%FromShape%")}),
        Control(13, "%FrameVar%", {Stmt(56, "%FromFrame%")}),
        Control(6, "%List%"),
    };
    p.dialogs = {d};
    auto names = CollectVariableNames(p);
    std::vector<std::string> found(names.begin(), names.begin() + 9);
    EXPECT_EQ(found, (std::vector<std::string>{"%Start%", "%Answer%", "%Before%", "%Leave%", "%Edit%",
                                               "%List%", "%FromLabel%", "%FromEdit%", "%FromFrame%"}));
    EXPECT_EQ(names.size(), 9u + BuiltInVariableNames().size());
}

} // namespace
} // namespace cvn
