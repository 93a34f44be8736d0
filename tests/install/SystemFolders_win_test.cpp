// Folder look-ups and companion-software facts against the real (Wine) registry
// and shell.

#include "core/FileSystem.h"
#include "install/FileFacts.h"
#include "install/SystemFolders.h"
#include "install/SystemServices.h"
#include "install/WinSystemValues.h"
#include "script/CommandPlatform.h"
#include "script/Variables.h"

#include "install/WinTestSupport.h"

#include <shlobj.h>

#include <gtest/gtest.h>

namespace cvn {
namespace {

constexpr const char* kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kAppPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\CEAPPMGR.EXE";
constexpr const char* kCeServices = "SOFTWARE\\Microsoft\\Windows CE Services";
constexpr const char* kDotNet = "SOFTWARE\\Microsoft\\.NETFramework";

class SystemFoldersWin : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(services_.Ok()) << services_.Error(); }
    // Tests that read a private registry leave no folder from it in the caches.
    void TearDown() override { ResetSystemCaches(); }
    TSystemServicesScope services_;
};

std::string ShellPath(int csidl) {
    char buf[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, buf))) return {};
    return buf;
}

std::string WindowsPath(UINT(WINAPI* query)(char*, UINT)) {
    char buf[MAX_PATH] = {};
    UINT n = query(buf, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(buf, n) : std::string();
}

UINT WINAPI TempPath(char* buf, UINT size) {
    return UINT(GetTempPathA(size, buf));
}

// Each folder against the system's own answer: the Win32 call or the registry value
// read here directly.
TEST_F(SystemFoldersWin, WellKnownFolders) {
    const std::string temp = WindowsPath(TempPath);
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(GetTempDir(), temp);
    EXPECT_EQ(GetTempDir().back(), '\\');
    const std::string programFiles = test::GetText(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir");
    ASSERT_FALSE(programFiles.empty());
    EXPECT_EQ(GetProgramFilesDir(), programFiles);
    EXPECT_TRUE(FolderExists(GetProgramFilesDir())) << GetProgramFilesDir();
    EXPECT_EQ(GetFontsDir(), ShellPath(CSIDL_FONTS));
    EXPECT_TRUE(FolderExists(GetFontsDir())) << GetFontsDir();
    EXPECT_EQ(GetPersonalDir(), ShellPath(CSIDL_PERSONAL));
    EXPECT_EQ(ReadCurrentVersionValue("NoSuchValueAnywhere"), "");
}

TEST_F(SystemFoldersWin, FoldersAreCachedUntilReset) {
    test::PrivateRoot machine(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(machine.Ok());
    ASSERT_TRUE(test::SetText(HKEY_LOCAL_MACHINE, kCurrentVersion, "CommonFilesDir", "D:\\First\\Common"));
    ResetSystemCaches();
    EXPECT_EQ(GetCommonFilesDir(), "D:\\First\\Common");
    ASSERT_TRUE(test::SetText(HKEY_LOCAL_MACHINE, kCurrentVersion, "CommonFilesDir", "D:\\Second"));
    EXPECT_EQ(GetCommonFilesDir(), "D:\\First\\Common");
    ResetSystemCaches();
    EXPECT_EQ(GetCommonFilesDir(), "D:\\Second");
}

TEST_F(SystemFoldersWin, ShellFoldersForUserAndAllUsers) {
    ASSERT_TRUE(IsMachineWide());
    for (int k = 0; k < 8; ++k) {
        auto kind = TShellFolderKind(k);
        std::string mine = GetShellFolder(kind, false);
        EXPECT_FALSE(mine.empty()) << k;
        EXPECT_NE(mine.back(), '\\') << mine;
        EXPECT_FALSE(GetShellFolder(kind, true).empty()) << k;
    }
    EXPECT_EQ(GetShellFolder(TShellFolderKind::Programs, false), ShellPath(CSIDL_PROGRAMS));
    EXPECT_EQ(GetShellFolder(TShellFolderKind::Programs, true), ShellPath(CSIDL_COMMON_PROGRAMS));
    EXPECT_NE(GetShellFolder(TShellFolderKind::Desktop, true),
              GetShellFolder(TShellFolderKind::Desktop, false));

    // %CommonShellFolders% switches the folder variables between the two.
    TWinSystemValues system;
    TVariables vars(system);
    vars.SetVariable("%CommonShellFolders%", "0");
    EXPECT_EQ(vars.ExpandVariables("%ProgramsDir%"), ShellPath(CSIDL_PROGRAMS));
    EXPECT_EQ(vars.ExpandVariables("%StartUpDir%"), ShellPath(CSIDL_STARTUP));
    vars.SetVariable("%CommonShellFolders%", "1");
    EXPECT_EQ(vars.ExpandVariables("%ProgramsDir%"), ShellPath(CSIDL_COMMON_PROGRAMS));
    EXPECT_EQ(vars.ExpandVariables("%DesktopDir%"), ShellPath(CSIDL_COMMON_DESKTOPDIRECTORY));
}

TEST_F(SystemFoldersWin, ActiveSyncFolderAndVersion) {
    const std::string programFiles = "D:\\Apps";
    test::PrivateRoot machine(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(machine.Ok());
    ASSERT_TRUE(test::SetText(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", programFiles));
    ResetSystemCaches();
    EXPECT_FALSE(IsAppManagerRegistered());
    EXPECT_EQ(GetActiveSyncDir(), programFiles + "\\Microsoft ActiveSync\\");
    EXPECT_EQ(GetActiveSyncVersion(), "0.0");

    ASSERT_TRUE(test::SetText(HKEY_LOCAL_MACHINE, kAppPaths, "", "C:\\Sync Tools\\CEAPPMGR.EXE"));
    ResetSystemCaches();
    EXPECT_TRUE(IsAppManagerRegistered());
    EXPECT_EQ(GetActiveSyncDir(), "C:\\Sync Tools");
    TWinSystemValues system;
    TVariables vars(system);
    EXPECT_EQ(vars.ExpandVariables("%IsActiveSyncInstalled% %ActiveSyncDir%\\x"), "1 C:\\Sync Tools\\x");

    ASSERT_TRUE(test::SetRaw(HKEY_LOCAL_MACHINE, kCeServices, "MajorVersion", REG_DWORD, {3, 0, 0, 0}));
    EXPECT_EQ(GetActiveSyncVersion(), "0.0"); // both numbers are needed
    ASSERT_TRUE(test::SetRaw(HKEY_LOCAL_MACHINE, kCeServices, "MinorVersion", REG_DWORD, {7, 0, 0, 0}));
    EXPECT_EQ(vars.ExpandVariables("%ActiveSyncVersion%"), "3.7");
}

TEST_F(SystemFoldersWin, DotNetFrameworkFolderAndVersion) {
    test::PrivateRoot machine(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(machine.Ok());
    EXPECT_FALSE(IsDotNetInstalled());
    EXPECT_EQ(GetDotNetVersion(), "0.0");

    test::TempFolder net("cvn-dotnet");
    ASSERT_TRUE(test::SetText(HKEY_LOCAL_MACHINE, kDotNet, "InstallRoot", net.Path() + "\\"));
    EXPECT_TRUE(IsDotNetInstalled());
    EXPECT_EQ(GetDotNetDir(), "");
    EXPECT_EQ(GetDotNetVersion(), "0.0");

    // A framework folder holding a configuration DLL with a version resource.
    CreateDirectoryA((net / "v0.9").c_str(), nullptr);
    CreateDirectoryA((net / "v1.1").c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(test::BuildFile("testing/comserver/cvn_comserver.dll").c_str(),
                          (net / "v1.1\\mscorcfg.dll").c_str(), FALSE));
    EXPECT_EQ(GetDotNetDir(), net.Path() + "\\v1.1\\");
    TWinSystemValues system;
    TVariables vars(system);
    EXPECT_EQ(vars.ExpandVariables("%IsDotNetInstalled% %DotNetVersion% %DotNetDir%"),
              "1 1.2.3.4 " + net.Path() + "\\v1.1");

    ASSERT_TRUE(test::SetText(HKEY_LOCAL_MACHINE, kDotNet, "InstallRoot", net.Path() + "\\missing\\"));
    EXPECT_FALSE(IsDotNetInstalled());
    EXPECT_EQ(vars.ExpandVariables("%IsDotNetInstalled%"), "0");
}

TEST_F(SystemFoldersWin, HotSyncPresence) {
    test::PrivateRoot user(HKEY_CURRENT_USER);
    ASSERT_TRUE(user.Ok());
    TWinSystemValues system;
    TVariables vars(system);
    EXPECT_EQ(vars.ExpandVariables("%IsHotSyncInstalled%"), "0");
    HKEY k;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Palm Computing", &k), ERROR_SUCCESS);
    RegCloseKey(k);
    EXPECT_EQ(vars.ExpandVariables("%IsHotSyncInstalled%"), "1");
}

TEST_F(SystemFoldersWin, SystemValuesForVariables) {
    TWinSystemValues system;
    TVariables vars(system);
    const std::string windows = WindowsPath(GetWindowsDirectoryA),
                      systemDir = WindowsPath(GetSystemDirectoryA);
    ASSERT_FALSE(windows.empty());
    EXPECT_EQ(vars.ExpandVariables("%WinDir%|%SysDir%|%FontsDir%"),
              windows + "|" + systemDir + "|" + ShellPath(CSIDL_FONTS));
    EXPECT_EQ(vars.ExpandVariables("%WinDrive%"), windows.substr(0, 2));
    const std::string self = test::ThisProgram();
    EXPECT_EQ(system.SourceDir(), self.substr(0, self.find_last_of('\\')));
    std::vector<std::string> args = system.CommandLineArgs();
    ASSERT_FALSE(args.empty());
    EXPECT_EQ(args[0], self);
    EXPECT_EQ(vars.ExpandVariables("%IsNT%"), "1");
    EXPECT_EQ(vars.ExpandVariables("%IsAdmin%"), "1");

    std::string value;
    EXPECT_TRUE(system.ReadRegistryText(
        TRegRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", value));
    EXPECT_EQ(value, test::GetText(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir"));
    EXPECT_FALSE(system.ReadRegistryText(TRegRoot::CurrentUser, "Software\\No\\Such\\Key", "", value));
    // Numbers are not text.
    EXPECT_FALSE(system.ReadRegistryText(TRegRoot::LocalMachine,
                                         "System\\CurrentControlSet\\Control\\Windows", "CSDVersion", value));
}

// A key that everyone may read but nobody may change.
void MakeReadOnlyKey(const std::string& key) {
    HKEY k = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
        ERROR_SUCCESS);
    RegKey owned(k);
    RegSetValueExA(k, "Value", 0, REG_SZ, reinterpret_cast<const BYTE*>("stored"), 7);
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    ASSERT_TRUE(AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone));
    std::vector<BYTE> aclBytes(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(everyone));
    auto* acl = reinterpret_cast<PACL>(aclBytes.data());
    InitializeAcl(acl, DWORD(aclBytes.size()), ACL_REVISION);
    AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ, everyone);
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
    LONG rc = RegSetKeySecurity(k, DACL_SECURITY_INFORMATION, &sd);
    FreeSid(everyone);
    ASSERT_EQ(rc, ERROR_SUCCESS);
}

TEST_F(SystemFoldersWin, CustomVariablesAndRegReadNeedTheSameRightsToAKey) {
    const std::string key = "Software\\CvnReadOnly" + std::to_string(GetCurrentProcessId());
    test::KeyGuard guard(HKEY_CURRENT_USER, key);
    MakeReadOnlyKey(key);
    HKEY probe = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE, &probe), ERROR_SUCCESS);
    RegCloseKey(probe);

    // Both open keys requesting every right, so for both the key counts as missing.
    TWinSystemValues system;
    std::string value;
    EXPECT_FALSE(system.ReadRegistryText(TRegRoot::CurrentUser, key, "Value", value)) << value;
    EXPECT_FALSE(CreateWinPcRegistry()->ReadValue(TRegRoot::CurrentUser, key, "Value", true));
}

TEST_F(SystemFoldersWin, FileFacts) {
    std::string dll = test::BuildFile("testing/comserver/cvn_comserver.dll");
    TFileVersionInfo info;
    ASSERT_TRUE(ReadFileVersion(dll, info));
    EXPECT_EQ(info.signature, 0xFEEF04BDu);
    EXPECT_EQ(FormatFileVersion(info.fileVersionMS, info.fileVersionLS), "1.2.3.4");
    EXPECT_EQ(FormatFileVersion(info.productVersionMS, info.productVersionLS), "5.6.7.8");
    // A file without a version resource, and a missing file, give version 0.
    EXPECT_FALSE(ReadFileVersion(test::BuildFile("testing/comserver/cvn_testlib.tlb"), info));
    EXPECT_EQ(info.fileVersionMS, 0u);
    EXPECT_FALSE(ReadFileVersion("C:\\no\\such\\file.dll", info));

    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    ASSERT_TRUE(GetFileAttributesExA(dll.c_str(), GetFileExInfoStandard, &attributes));
    EXPECT_EQ(GetFileSizeOf(dll), uint64_t(attributes.nFileSizeHigh) << 32 | attributes.nFileSizeLow);
    EXPECT_EQ(GetFileSizeOf("C:\\no\\such\\file.dll"), 0u);

    uint64_t kb = 0;
    EXPECT_TRUE(GetDriveFreeKB(GetWindowsDir()[0], kb));
    EXPECT_GT(kb, 0u);
    DWORD drives = GetLogicalDrives();
    for (char letter = 'Y'; letter > 'D'; --letter) {
        if (drives & (1u << (letter - 'A'))) continue;
        EXPECT_FALSE(GetDriveFreeKB(letter, kb)) << letter;
        break;
    }
}

TEST_F(SystemFoldersWin, CreateFolderPathResults) {
    test::TempFolder root("cvn-folders");
    EXPECT_EQ(CreateFolderPath("C:\\"), FolderResult::NotCreatable);
    EXPECT_EQ(CreateFolderPath("C:"), FolderResult::NotCreatable);
    EXPECT_EQ(CreateFolderPath(root.Path()), FolderResult::Existed);
    EXPECT_EQ(CreateFolderPath(root / "a\\b\\c\\"), FolderResult::Created);
    EXPECT_TRUE(FolderExists(root / "a\\b\\c\\"));
    // A parent that is a file cannot become a folder: the child is never tried.
    HANDLE f = CreateFileA((root / "file").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(f);
    EXPECT_EQ(CreateFolderPath(root / "file\\sub\\child"), FolderResult::Failed);
    EXPECT_FALSE(FolderExists(root / "file\\sub"));

    SetFileAttributesA((root / "file").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(DeleteFileForced(root / "file"));
    EXPECT_EQ(GetFileAttributesA((root / "file").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(DeleteFileForced(root / "file"));
}

} // namespace
} // namespace cvn
