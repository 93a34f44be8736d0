#include "script/DllCall.h"
#include "script/ScriptFixture.h"

#include <gtest/gtest.h>

#include <map>

namespace cvn::test {
namespace {

std::string Shape(std::string_view text) {
    std::string out;
    for (const auto& a : ParseDllArguments(text))
        out += a.kind == TDllArgument::Text ? "[" + a.text + "]" : "(" + std::to_string(a.number) + ")";
    return out;
}

TEST(DllArguments, QuotedTextsAndNumbers) {
    EXPECT_EQ(Shape(""), "");
    EXPECT_EQ(Shape("\"C:\\a.txt\",5,-1"), "[C:\\a.txt](5)(-1)");
    EXPECT_EQ(Shape("\"\""), "[]");
    EXPECT_EQ(Shape("\"a,b\""), "[a,b]");
    EXPECT_EQ(Shape("abc"), "(0)");
    EXPECT_EQ(Shape("12abc, 1-2 ,,\t7\t"), "(12)(0)(7)");
    EXPECT_EQ(Shape("1,\"x\"\"y\",2"), "(1)[x][y](2)")
        << "no escape: two quotes end one text and start the next";
    EXPECT_EQ(Shape("3,\"open to the end,4"), "(3)[open to the end,4]");
    EXPECT_EQ(Shape("4 \"t\" 5"), "[t](45)") << "a plain token gathers around a text";
}

// A library in memory: functions by name over the arguments they get.
class FakeInvoke final : public TDLLInvoke {
public:
    std::map<std::string, std::function<intptr_t(const std::vector<TDllArgument>&)>> functions;
    std::string loaded;
    std::vector<std::string> log;
    bool Load(const std::string& file) override {
        log.push_back("load " + file);
        loaded = file == "good.dll" ? file : "";
        return !loaded.empty();
    }
    void Unload() override {
        log.push_back("unload");
        loaded.clear();
    }
    bool Invoke(const std::string& name, const std::vector<TDllArgument>& args, intptr_t& result) override {
        auto it = functions.find(name);
        if (loaded.empty() || it == functions.end()) return false;
        log.push_back("call " + name);
        result = it->second(args);
        return true;
    }
};

using CallDll = ScriptFixture;

TEST_F(CallDll, ResultsAndFailuresInTheirVariables) {
    FakeInvoke lib;
    static const char kHello[] = "hello";
    uintptr_t freed = 0;
    lib.functions["Sum"] = [](const std::vector<TDllArgument>& a) {
        intptr_t s = 0;
        for (const auto& x : a)
            s += x.number;
        return s;
    };
    lib.functions["Hello"] = [](const std::vector<TDllArgument>&) { return intptr_t(kHello); };
    lib.functions["freememory"] = [&](const std::vector<TDllArgument>& a) {
        freed = a.at(0).pointer;
        return intptr_t(0);
    };
    TDLLCall call(lib);
    call.Install(interp);
    Set("%Lib%", "good.dll");
    Set("%ErrorCode%", "0");
    Run1(St(SC::scCallDll, {"%Lib%", "Sum", "INTEGER", "40,", "-3, 5"}));
    EXPECT_EQ(Var("%DLLResult%"), "42") << "the arguments are param4 followed by param5";
    Run1(St(SC::scCallDll, {"%Lib%", "Hello", "STRING", ""}));
    EXPECT_EQ(Var("%DLLResult%"), "hello");
    EXPECT_EQ(freed, uintptr_t(kHello)) << "the returned text goes back to freememory";
    EXPECT_EQ(Var("%ErrorCode%"), "0");
    Run1(St(SC::scCallDll, {"%Lib%", "Hello", "string", ""}));
    EXPECT_NE(Var("%DLLResult%"), "hello") << "the keyword is exact: any other text is an integer call";

    lib.log.clear();
    Run1(St(SC::scCallDll, {"%Lib%", "Missing", "STRING", ""}));
    EXPECT_EQ(Var("%DLLResult%"), "ERROR");
    EXPECT_EQ(Var("%ErrorCode%"), "2");
    EXPECT_EQ(lib.log, (std::vector<std::string>{"load good.dll", "unload"}));
    Set("%ErrorCode%", "0");
    Run1(St(SC::scCallDll, {"absent.dll", "Sum", "INTEGER", "1"}));
    EXPECT_EQ(Var("%DLLResult%"), "ERROR");
    EXPECT_EQ(Var("%ErrorCode%"), "2");
}

TEST_F(CallDll, TheBridgeIsMadeByTheFirstCallOnly) {
    FakeInvoke* made = nullptr;
    int makes = 0;
    InstallDllCallOnFirstUse(interp, [&] {
        ++makes;
        auto lib = std::make_unique<FakeInvoke>();
        lib->functions["Seven"] = [](const std::vector<TDllArgument>&) { return intptr_t(7); };
        made = lib.get();
        return lib;
    });
    EXPECT_EQ(makes, 0);
    Run1(St(SC::scCallDll, {"good.dll", "Seven", "INTEGER", ""}));
    Run1(St(SC::scCallDll, {"good.dll", "Seven", "INTEGER", ""}));
    EXPECT_EQ(makes, 1);
    EXPECT_EQ(Var("%DLLResult%"), "7");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->log.size(), 6u) << "both calls went through the one bridge";
}

} // namespace
} // namespace cvn::test
