// Shared-DLL counts in the registry, in each of the forms installers store them
// (the decoding rules themselves are tested natively).

#include "install/SharedDlls.h"

#include "install/WinTestSupport.h"

#include <gtest/gtest.h>

namespace cvn {
namespace {

constexpr const char* kKey = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

TEST(SharedDllsWin, EachFormIsKeptAndTheLastUseRemovesTheValue) {
    // Paths no real installation uses; their values are removed afterwards.
    std::string base = "C:\\cvn-shared-test-" + std::to_string(GetCurrentProcessId()) + "\\";
    std::string text = base + "text.dll", binary = base + "binary.dll", fresh = base + "new.dll";
    test::ValueGuard g1(HKEY_LOCAL_MACHINE, kKey, text), g2(HKEY_LOCAL_MACHINE, kKey, binary),
        g3(HKEY_LOCAL_MACHINE, kKey, fresh);
    auto stored = [](const std::string& path) { return test::GetRaw(HKEY_LOCAL_MACHINE, kKey, path); };

    ASSERT_TRUE(test::SetText(HKEY_LOCAL_MACHINE, kKey, text, "7"));
    ASSERT_TRUE(IncSharedDllCount(text));
    EXPECT_EQ(stored(text)->first, DWORD(REG_SZ));
    EXPECT_EQ(test::GetText(HKEY_LOCAL_MACHINE, kKey, text), "8");

    ASSERT_TRUE(test::SetRaw(HKEY_LOCAL_MACHINE, kKey, binary, REG_BINARY, {1}));
    ASSERT_TRUE(IncSharedDllCount(binary));
    EXPECT_EQ(*stored(binary), std::make_pair(DWORD(REG_BINARY), std::vector<BYTE>{2, 0, 0, 0}));
    ASSERT_TRUE(DecSharedDllCount(binary));
    ASSERT_TRUE(DecSharedDllCount(binary));
    EXPECT_FALSE(stored(binary));

    EXPECT_FALSE(DecSharedDllCount(fresh));
    ASSERT_TRUE(IncSharedDllCount(fresh));
    EXPECT_EQ(*stored(fresh), std::make_pair(DWORD(REG_DWORD), std::vector<BYTE>{1, 0, 0, 0}));
    EXPECT_EQ(GetSharedDllCount(fresh), 1);
    ASSERT_TRUE(DecSharedDllCount(fresh));
    EXPECT_FALSE(GetSharedDllCount(fresh));
}

} // namespace
} // namespace cvn
