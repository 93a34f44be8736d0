#include "package/StatementCodes.h"
#include "script/StatementHandlers.h"
#include "script/VariableNames.h"

#include <gtest/gtest.h>

#include <set>

namespace cvn {
namespace {

TEST(StatementHandlers, OneRowPerCodeAgreeingWithThePackageTable) {
    ASSERT_EQ(kStatementHandlers.size(), kStatementTable.size());
    for (size_t code = 0; code < kStatementHandlers.size(); ++code) {
        const auto& h = kStatementHandlers[code];
        EXPECT_EQ(h.code, code);
        EXPECT_EQ(h.name, kStatementTable[code].name) << "code " << code;
        EXPECT_EQ(h.run != nullptr, h.kind == THandlerKind::Command) << h.name;
        EXPECT_EQ(&StatementHandler(uint8_t(code)), &h);
    }
    EXPECT_EQ(StatementHandler(115).kind, THandlerKind::NoAction);
    EXPECT_EQ(StatementHandler(255).kind, THandlerKind::NoAction);
}

std::set<int> CodesOf(THandlerKind kind) {
    std::set<int> codes;
    for (const auto& h : kStatementHandlers)
        if (h.kind == kind) codes.insert(h.code);
    return codes;
}

TEST(StatementHandlers, KindsAreTheLanguagesGroups) {
    EXPECT_EQ(CodesOf(THandlerKind::NoAction),
              (std::set<int>{0, 3, 14, 30, 32, 45, 47, 48, 90, 103, 104, 105}));
    EXPECT_EQ(CodesOf(THandlerKind::Structural), (std::set<int>{29, 31, 46, 49, 50, 55, 89}));
    EXPECT_EQ(CodesOf(THandlerKind::Close), (std::set<int>{15, 25}));
    EXPECT_EQ(CodesOf(THandlerKind::Wizard),
              (std::set<int>{16, 17, 18, 19, 20, 21, 22, 23, 33, 34, 58, 60, 91, 92, 93, 99, 100, 101, 102}));
    std::set<int> external = CodesOf(THandlerKind::External);
    for (int c : {24, 51, 52, 53, 54, 59, 87, 88, 108, 109, 111, 114})
        EXPECT_TRUE(external.count(c)) << c;
    for (int c = 61; c <= 86; ++c)
        EXPECT_TRUE(external.count(c)) << c;
}

TEST(StatementHandlers, EveryAssigningCodeDoesSomethingAndHasItsVariableStored) {
    for (const auto& h : kStatementHandlers) {
        if (!StatementAssignsVariable(h.code)) continue;
        EXPECT_NE(h.kind, THandlerKind::NoAction) << h.name;
        EXPECT_GE(kStatementTable[h.code].paramCount, 1) << h.name;
    }
}

} // namespace
} // namespace cvn
