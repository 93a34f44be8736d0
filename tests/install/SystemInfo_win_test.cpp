// Operating-system facts under Wine, which can pretend to be another Windows for
// one program: the probe runs in a fresh process for each version.

#include "install/SystemInfo.h"
#include "install/SystemServices.h"
#include "install/WinSystemValues.h"
#include "script/Variables.h"

#include "install/WinTestSupport.h"

#include <gtest/gtest.h>

namespace cvn {
namespace {

using test::RunProbe;
using test::ValueGuard;

constexpr const char* kCsdKey = "System\\CurrentControlSet\\Control\\Windows";

TEST(SystemInfoWin, Windows98Family) {
    auto facts = RunProbe("facts", "win98");
    ASSERT_FALSE(facts.empty());
    EXPECT_EQ(facts["%IsNT%"], "0");
    EXPECT_EQ(facts["%OSVersion%"], "4.10.2222");
    EXPECT_EQ(facts["%OSMajorVersion%"], "4");
    EXPECT_EQ(facts["%OSMinorVersion%"], "10");
    // The Windows 95 family has no service packs and no administrators.
    EXPECT_EQ(facts["ServicePack"], "0");
    EXPECT_EQ(facts["%IsAdmin%"], "1");
    EXPECT_EQ(facts["Packed"], std::to_string(4u << 24 | 10u << 16 | 2222u));
}

TEST(SystemInfoWin, NT4ServicePackComesFromTheRegistry) {
    ValueGuard csd(HKEY_LOCAL_MACHINE, kCsdKey, "CSDVersion");
    // Only the low 16 bits count.
    ASSERT_TRUE(test::SetRaw(HKEY_LOCAL_MACHINE, kCsdKey, "CSDVersion", REG_DWORD, {0x03, 0x06, 0x07, 0x00}));
    auto facts = RunProbe("facts", "nt40");
    ASSERT_FALSE(facts.empty());
    EXPECT_EQ(facts["%IsNT%"], "1");
    EXPECT_EQ(facts["%OSVersion%"], "4.0.1381");
    EXPECT_EQ(facts["ServicePack"], "1539");

    // A value of another type is no service pack.
    ASSERT_TRUE(
        test::SetRaw(HKEY_LOCAL_MACHINE, kCsdKey, "CSDVersion", REG_BINARY, {0x00, 0x06, 0x00, 0x00}));
    EXPECT_EQ(RunProbe("facts", "nt40")["ServicePack"], "0");
}

TEST(SystemInfoWin, NT5AndLaterUseTheExtendedVersion) {
    auto xp = RunProbe("facts", "winxp");
    ASSERT_FALSE(xp.empty());
    EXPECT_EQ(xp["%IsNT%"], "1");
    EXPECT_EQ(xp["%OSVersion%"], "5.1.2600");
    EXPECT_EQ(xp["ServicePack"], std::to_string(3 << 8)); // Service Pack 3
    auto seven = RunProbe("facts", "win7");
    EXPECT_EQ(seven["%OSVersion%"], "6.1.7601");
    EXPECT_EQ(seven["ServicePack"], std::to_string(1 << 8));
}

// Each fact against the system's own answer, asked here directly.
TEST(SystemInfoWin, MachineFactsInThisProcess) {
    TSystemServicesScope services;
    ASSERT_TRUE(services.Ok()) << services.Error();
    OSVERSIONINFOA os{};
    os.dwOSVersionInfoSize = sizeof os;
    ASSERT_TRUE(GetVersionExA(&os));
    EXPECT_EQ(GetOSVersionPart(1), os.dwMajorVersion);
    EXPECT_EQ(GetOSVersionPart(2), os.dwMinorVersion);
    EXPECT_EQ(GetOSVersionPart(3), os.dwBuildNumber);
    EXPECT_EQ(GetOSVersionPart(0),
              os.dwMajorVersion << 24 | os.dwMinorVersion << 16 | (os.dwBuildNumber & 0xFFFF));

    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof memory;
    ASSERT_TRUE(GlobalMemoryStatusEx(&memory));
    const uint64_t megabytes = memory.ullTotalPhys / 1000000; // decimal megabytes
    ASSERT_GT(megabytes, 0u);
    EXPECT_EQ(GetPhysicalMemoryMB(), megabytes);

    HDC dc = GetDC(nullptr);
    ASSERT_NE(dc, nullptr);
    const int depth = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(GetColorDepth(), depth);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_GT(width, 0);
    EXPECT_EQ(GetScreenWidth(), width);
    EXPECT_EQ(GetScreenHeight(), height);

    TWinSystemValues system;
    TVariables vars(system);
    EXPECT_EQ(vars.ExpandVariables("%RAMMemory%"), std::to_string(megabytes));
    EXPECT_EQ(vars.ExpandVariables("%ColorDepth%"), std::to_string(depth));
    EXPECT_EQ(vars.ExpandVariables("%ScreenWidth%x%ScreenHeight%"),
              std::to_string(width) + "x" + std::to_string(height));
}

TEST(SystemInfoWin, ServicesStartOnceForNestedRequests) {
    std::string error;
    ASSERT_TRUE(StartSystemServices(error)) << error;
    ASSERT_TRUE(StartSystemServices(error)) << error;
    StopSystemServices();
    // Still started: COM answers on this thread without a new initialisation.
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    CoUninitialize();
    StopSystemServices();
    // An extra stop is harmless.
    StopSystemServices();
    EXPECT_TRUE(CanWriteMachineWide()); // Wine's user may open the service manager
}

} // namespace
} // namespace cvn
