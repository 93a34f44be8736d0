// Self-registration of the test COM server and registration of the test type
// library, each undone again.

#include "install/ServerRegistration.h"
#include "install/SystemServices.h"
#include "script/VariableList.h"

#include "install/WinTestSupport.h"

#include <gtest/gtest.h>

namespace cvn {
namespace {

using test::KeyGuard;

constexpr const char* kClassKey = "CLSID\\{6A1D2E7C-3B4F-4C1A-9E55-0C7A11D0C0DE}";
constexpr const char* kTypeLibKey = "TypeLib\\{5C0FFEE5-1D2E-4C3B-8A9F-0123456789AB}";
constexpr const char* kUnregisterTrace = "Software\\CvnTest";

class ServerRegistrationWin : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(services_.Ok()) << services_.Error(); }
    TSystemServicesScope services_;
    KeyGuard classKey_{HKEY_CLASSES_ROOT, kClassKey};
    KeyGuard progId_{HKEY_CLASSES_ROOT, "CvnTest.ComServer"};
    KeyGuard trace_{HKEY_CURRENT_USER, kUnregisterTrace};
    KeyGuard typeLib_{HKEY_CLASSES_ROOT, kTypeLibKey};
};

UINT ErrorMode() {
    UINT mode = SetErrorMode(0);
    SetErrorMode(mode);
    return mode;
}

TEST_F(ServerRegistrationWin, RegisterAndUnregisterServer) {
    std::string dll = test::BuildFile("testing/comserver/cvn_comserver.dll");
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    SetCursor(arrow);
    UINT modeBefore = ErrorMode();

    ASSERT_TRUE(RegisterServer(dll));
    std::string server = std::string(kClassKey) + "\\InprocServer32";
    EXPECT_TRUE(EqualsNoCase(test::GetText(HKEY_CLASSES_ROOT, server, ""), dll));
    // During the call: no open-file error boxes and the hourglass; afterwards both as before.
    EXPECT_EQ(test::GetDword(HKEY_CLASSES_ROOT, kClassKey, "ErrorModeSeen").value_or(0) &
                  SEM_NOOPENFILEERRORBOX,
              UINT(SEM_NOOPENFILEERRORBOX));
    EXPECT_EQ(test::GetDword(HKEY_CLASSES_ROOT, kClassKey, "HourglassSeen"), 1u);
    EXPECT_EQ(ErrorMode(), modeBefore);
    EXPECT_EQ(GetCursor(), arrow);

    ASSERT_TRUE(UnregisterServer(dll));
    EXPECT_FALSE(test::ValueGuard::KeyExists(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_FALSE(test::ValueGuard::KeyExists(HKEY_CLASSES_ROOT, "CvnTest.ComServer"));
    UINT unregMode =
        test::GetDword(HKEY_CURRENT_USER, "Software\\CvnTest\\ComServer", "ErrorModeSeen").value_or(0);
    EXPECT_EQ(unregMode & (SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX),
              UINT(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX));
    EXPECT_EQ(ErrorMode(), modeBefore);
}

TEST_F(ServerRegistrationWin, FailuresAreReported) {
    std::string dll = test::BuildFile("testing/comserver/cvn_comserver.dll");
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    SetCursor(arrow);
    UINT modeBefore = ErrorMode();

    SetEnvironmentVariableA("CVN_COMSERVER_FAIL", "1");
    EXPECT_FALSE(RegisterServer(dll));
    EXPECT_FALSE(UnregisterServer(dll));
    SetEnvironmentVariableA("CVN_COMSERVER_FAIL", nullptr);
    EXPECT_FALSE(test::ValueGuard::KeyExists(HKEY_CLASSES_ROOT, kClassKey));

    EXPECT_FALSE(RegisterServer("C:\\no\\such\\server.dll"));
    // A library without the entry point.
    EXPECT_FALSE(RegisterServer("version.dll"));
    EXPECT_FALSE(UnregisterServer("version.dll"));
    EXPECT_EQ(ErrorMode(), modeBefore);
    EXPECT_EQ(GetCursor(), arrow);
}

TEST_F(ServerRegistrationWin, TypeLibrary) {
    std::string tlb = test::BuildFile("testing/comserver/cvn_testlib.tlb");
    ASSERT_TRUE(RegisterTypeLibrary(tlb));
    std::string version = std::string(kTypeLibKey) + "\\1.0";
    EXPECT_EQ(test::GetText(HKEY_CLASSES_ROOT, version, ""), "Corvane test type library");
    // The library is built for the program's own platform, and Windows files it under that.
#ifdef _WIN64
    const char* platform = "\\0\\win64";
#else
    const char* platform = "\\0\\win32";
#endif
    EXPECT_TRUE(EqualsNoCase(test::GetText(HKEY_CLASSES_ROOT, version + platform, ""), tlb));

    ASSERT_TRUE(UnregisterTypeLibrary(tlb));
    EXPECT_FALSE(test::ValueGuard::KeyExists(HKEY_CLASSES_ROOT, version));

    EXPECT_FALSE(RegisterTypeLibrary("C:\\no\\such\\library.tlb"));
    EXPECT_FALSE(UnregisterTypeLibrary("C:\\no\\such\\library.tlb"));
    // A file that is no type library.
    EXPECT_FALSE(RegisterTypeLibrary(test::BuildFile("CMakeCache.txt")));
}

} // namespace
} // namespace cvn
