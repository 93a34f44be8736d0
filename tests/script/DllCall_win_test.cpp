#include "script/DllCall.h"
#include "script/ScriptFixture.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace cvn::test {
namespace {

// The test DLL (testing/calldll) beside this program, called through the real loader.
class WinCallDll : public ScriptFixture {
protected:
    WinCallDll() : invoke(CreateWinDllInvoke()), call(*invoke) {
        call.Install(interp);
        char self[MAX_PATH];
        DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
        std::string path(self, n);
        Set("%Lib%", path.substr(0, path.rfind('\\') + 1) + "cvncalldll.dll");
        Set("%ErrorCode%", "0");
    }
    std::string Call(const std::string& function, const std::string& kind, const std::string& args) {
        Run1(St(SC::scCallDll, {"%Lib%", function, kind, args}));
        return Var("%DLLResult%");
    }

    std::unique_ptr<TDLLInvoke> invoke;
    TDLLCall call;
};

TEST_F(WinCallDll, BothConventionsTextsAndTheFreememoryProtocol) {
    // Called twice in a row each: a stack left wrong by the first call would show in the second.
    EXPECT_EQ(Call("WeighStd", "INTEGER", "1,2,3"), "123");
    EXPECT_EQ(Call("WeighC", "INTEGER", "4,5,6"), "456");
    EXPECT_EQ(Call("WeighStd", "INTEGER", "-1,0,9"), "-91");
    EXPECT_EQ(Call("WeighC", "INTEGER", "7,8,9"), "789");
    EXPECT_EQ(Call("TextLength", "INTEGER", "\"a,b\""), "3");
    EXPECT_EQ(Call("TextLength", "INTEGER", "\"\""), "0");
    EXPECT_EQ(Call("CountArguments", "INTEGER", ""), "42");
    EXPECT_EQ(Var("%ErrorCode%"), "0");

    SetEnvironmentVariableA("CVN_CALLDLL_FREED", nullptr);
    EXPECT_EQ(Call("Repeat", "STRING", "\"ab\",3"), "ab+ab+ab");
    char freed[64] = {};
    GetEnvironmentVariableA("CVN_CALLDLL_FREED", freed, sizeof freed);
    EXPECT_STREQ(freed, "ab+ab+ab") << "freememory got the returned text back";
    EXPECT_EQ(Call("Nothing", "STRING", ""), "");
    EXPECT_EQ(Var("%ErrorCode%"), "0");
    EXPECT_EQ(GetModuleHandleA("cvncalldll.dll"), nullptr) << "unloaded after the call";
}

TEST_F(WinCallDll, MissingFunctionOrLibrarySetsErrorCodeTwo) {
    EXPECT_EQ(Call("NoSuchFunction", "INTEGER", "1"), "ERROR");
    EXPECT_EQ(Var("%ErrorCode%"), "2");
    Set("%ErrorCode%", "0");
    Set("%Lib%", "C:\\no\\such\\library.dll");
    EXPECT_EQ(Call("WeighC", "STRING", ""), "ERROR");
    EXPECT_EQ(Var("%ErrorCode%"), "2");
    Set("%ErrorCode%", "0");
    // A bare name means the system folder's DLL, never one beside the program.
    Set("%Lib%", "cvncalldll.dll");
    EXPECT_EQ(Call("WeighC", "INTEGER", "1,1,1"), "ERROR");
    Set("%Lib%", "kernel32.dll");
    EXPECT_NE(Call("GetCurrentProcessId", "INTEGER", ""), "ERROR");
}

TEST_F(WinCallDll, AnExceptionInTheDllFailsTheCallNotTheSetup) {
    EXPECT_EQ(Call("WriteTo", "INTEGER", "16,1"), "ERROR") << "access violation";
    EXPECT_EQ(Var("%ErrorCode%"), "2");
    Set("%ErrorCode%", "0");
    SetEnvironmentVariableA("CVN_CALLDLL_FREED", nullptr);
    EXPECT_EQ(Call("RaiseFatal", "STRING", ""), "ERROR") << "a non-continuable exception";
    EXPECT_EQ(Var("%ErrorCode%"), "2");
    EXPECT_EQ(GetEnvironmentVariableA("CVN_CALLDLL_FREED", nullptr, 0), 0u) << "no result to free";
    EXPECT_EQ(GetModuleHandleA("cvncalldll.dll"), nullptr) << "unloaded after a failed call";
    // The stack and the registers survived: calls go on as before.
    Set("%ErrorCode%", "0");
    EXPECT_EQ(Call("WeighStd", "INTEGER", "3,2,1"), "321");
    EXPECT_EQ(Call("CatchesItsOwn", "INTEGER", "41"), "42") << "the DLL's own handler comes first";
    EXPECT_EQ(Var("%ErrorCode%"), "0");
}

} // namespace
} // namespace cvn::test
