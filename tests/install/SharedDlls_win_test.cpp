// Shared-DLL counts in the registry, in each of the forms installers store them.

#include "install/SharedDlls.h"

#include "install/WinTestSupport.h"

#include <gtest/gtest.h>

namespace cvn {
namespace {

constexpr const char* kKey = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

class SharedDllsWin : public ::testing::Test {
protected:
    // A path no real installation uses; its value is removed afterwards.
    std::string Path(const char* name) {
        std::string p = "C:\\cvn-shared-test-" + std::to_string(GetCurrentProcessId()) + "\\" + name;
        guards_.push_back(std::make_unique<test::ValueGuard>(HKEY_LOCAL_MACHINE, kKey, p));
        return p;
    }
    static std::optional<std::pair<DWORD, std::vector<BYTE>>> Stored(const std::string& path) {
        return test::GetRaw(HKEY_LOCAL_MACHINE, kKey, path);
    }
    std::vector<std::unique_ptr<test::ValueGuard>> guards_;
};

TEST_F(SharedDllsWin, TextCountStaysText) {
    std::string p = Path("text.dll");
    ASSERT_TRUE(test::SetText(HKEY_LOCAL_MACHINE, kKey, p, "7"));
    ASSERT_TRUE(IncSharedDllCount(p));
    EXPECT_EQ(Stored(p)->first, DWORD(REG_SZ));
    EXPECT_EQ(test::GetText(HKEY_LOCAL_MACHINE, kKey, p), "8");
    EXPECT_EQ(GetSharedDllCount(p), 8);
    ASSERT_TRUE(DecSharedDllCount(p));
    EXPECT_EQ(test::GetText(HKEY_LOCAL_MACHINE, kKey, p), "7");
}

TEST_F(SharedDllsWin, BinaryCountBecomesFourBytes) {
    std::string p = Path("binary.dll");
    ASSERT_TRUE(test::SetRaw(HKEY_LOCAL_MACHINE, kKey, p, REG_BINARY, {2}));
    ASSERT_TRUE(IncSharedDllCount(p));
    auto v = Stored(p);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->first, DWORD(REG_BINARY));
    EXPECT_EQ(v->second, (std::vector<BYTE>{3, 0, 0, 0}));
    ASSERT_TRUE(DecSharedDllCount(p));
    ASSERT_TRUE(DecSharedDllCount(p));
    EXPECT_EQ(Stored(p)->second, (std::vector<BYTE>{1, 0, 0, 0}));
    ASSERT_TRUE(DecSharedDllCount(p));
    EXPECT_FALSE(Stored(p)); // the last use removes the value
}

TEST_F(SharedDllsWin, MissingAndOddValues) {
    std::string p = Path("new.dll");
    EXPECT_FALSE(DecSharedDllCount(p));
    EXPECT_FALSE(GetSharedDllCount(p));
    ASSERT_TRUE(IncSharedDllCount(p));
    auto v = Stored(p);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->first, DWORD(REG_DWORD));
    EXPECT_EQ(v->second, (std::vector<BYTE>{1, 0, 0, 0}));
    ASSERT_TRUE(IncSharedDllCount(p));
    EXPECT_EQ(GetSharedDllCount(p), 2);
    ASSERT_TRUE(DecSharedDllCount(p));
    ASSERT_TRUE(DecSharedDllCount(p));
    EXPECT_FALSE(Stored(p));

    // Text that is no number restarts as REG_DWORD 1.
    std::string q = Path("words.dll");
    ASSERT_TRUE(test::SetText(HKEY_LOCAL_MACHINE, kKey, q, "several"));
    ASSERT_TRUE(IncSharedDllCount(q));
    EXPECT_EQ(Stored(q)->first, DWORD(REG_DWORD));
    EXPECT_EQ(GetSharedDllCount(q), 1);
    // A count nobody can read is taken as 2 when released: the file stays counted once.
    ASSERT_TRUE(test::SetRaw(HKEY_LOCAL_MACHINE, kKey, q, REG_MULTI_SZ, {'x', 0, 0}));
    ASSERT_TRUE(DecSharedDllCount(q));
    EXPECT_EQ(GetSharedDllCount(q), 1);
}

} // namespace
} // namespace cvn
