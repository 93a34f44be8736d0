#include "core/FileSystem.h"
#include "core/Handle_win.h"

#include <gtest/gtest.h>

#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace cvn;

namespace {

std::string TempName() {
    char dir[MAX_PATH], name[MAX_PATH];
    if (!GetTempPathA(MAX_PATH, dir) || !GetTempFileNameA(dir, "cvn", 0, name)) return {};
    return name;
}

// Another program's handle on the file, sharing nothing.
FileHandle HoldExclusively(const std::string& path) {
    return FileHandle(
        CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool OthersCanOpen(const std::string& path) {
    FileHandle h(CreateFileA(path.c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    return bool(h) || GetLastError() != ERROR_SHARING_VIOLATION;
}

} // namespace

TEST(FileSystemWin, FileHeldOpenCannotBeDeletedUntilReleased) {
    std::string path = TempName();
    ASSERT_FALSE(path.empty());
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    {
        FileHandle held = HoldExclusively(path);
        ASSERT_TRUE(held);
        EXPECT_FALSE(DeleteFileForced(path));
        EXPECT_TRUE(FileExists(path));
    }
    EXPECT_TRUE(DeleteFileForced(path)) << "read-only is cleared first";
    EXPECT_FALSE(FileExists(path));
}

TEST(FileSystemWin, OutputFilesKeepOthersOut) {
    std::string path = TempName();
    ASSERT_FALSE(path.empty());
    {
        auto created = CreateOutputFile(path);
        ASSERT_TRUE(created);
        EXPECT_FALSE(OthersCanOpen(path));
    }
    {
        auto reopened = OpenOutputFileAtEnd(path);
        ASSERT_TRUE(reopened);
        EXPECT_FALSE(OthersCanOpen(path));
        EXPECT_FALSE(OpenOutputFileAtEnd(path)) << "not even a second reopen";
    }
    EXPECT_TRUE(OthersCanOpen(path));
    DeleteFileA(path.c_str());
}

// The temporary setup folder's access list: exactly SYSTEM, the Administrators and
// the user who made it, nothing inherited from the temporary folder above it. Wine
// keeps no access list on the folders it makes, so the list is read back as the
// system parses it; where a folder does keep one, it is read off the folder too.
void ExpectPrivateAccessList(PSECURITY_DESCRIPTOR sd, PACL dacl) {
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(sd, &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED);
    std::vector<std::string> sids;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
        EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
        EXPECT_EQ(ace->Header.AceFlags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE),
                  OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
        char* text = nullptr;
        ASSERT_TRUE(ConvertSidToStringSidA(&ace->SidStart, &text));
        sids.push_back(text);
        LocalFree(text);
    }
    ASSERT_EQ(sids.size(), 3u);
    EXPECT_EQ(sids[0], "S-1-5-18");     // SYSTEM
    EXPECT_EQ(sids[1], "S-1-5-32-544"); // Administrators
    EXPECT_EQ(sids[2].rfind("S-1-5-", 0), 0u) << sids[2];
    EXPECT_NE(sids[2], "S-1-5-18");
}

// SID and access mask of each entry, in order; the list must be protected.
std::vector<std::string> AccessEntries(PSECURITY_DESCRIPTOR sd) {
    std::vector<std::string> out;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorControl(sd, &control, &revision) || !(control & SE_DACL_PROTECTED) ||
        !GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted) || !dacl)
        return {"not a protected list"};
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        char* sid = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace)) || !ConvertSidToStringSidA(&ace->SidStart, &sid))
            return {"unreadable entry"};
        char mask[16];
        snprintf(mask, sizeof mask, "%06lX", static_cast<unsigned long>(ace->Mask));
        out.push_back(std::string(ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE ? "allow " : "other ") +
                      sid + " " + mask + (ace->Header.AceFlags ? " inherits" : ""));
        LocalFree(sid);
    }
    return out;
}

TEST(FileSystemWin, AdministratorFileIsOnlyReadAndRunByUsers) {
    const std::vector<std::string> expected{
        "allow S-1-5-18 1F01FF",     // SYSTEM: everything
        "allow S-1-5-32-544 1F01FF", // Administrators: everything
        "allow S-1-5-32-545 1200A9", // Users: read data, attributes and extended attributes, execute,
                                     // synchronize
    };
    PSECURITY_DESCRIPTOR built = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(AdministratorFileAccessList().c_str(),
                                                                     SDDL_REVISION_1, &built, nullptr));
    EXPECT_EQ(AccessEntries(built), expected);
    LocalFree(built);

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string file = std::string(temp) + "cvnadmin" + std::to_string(GetCurrentProcessId()) + ".dat";
    ASSERT_TRUE(CreateOutputFile(file));
    const bool changed = ProtectFromStandardUsers(file);
    PSECURITY_DESCRIPTOR sd = nullptr;
    PACL dacl = nullptr;
    DWORD rc = GetNamedSecurityInfoA(file.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                     nullptr, &dacl, nullptr, &sd);
    EXPECT_TRUE(OpenOutputFileAtEnd(file)) << "the administrator who wrote it still can";
    DeleteFileA(file.c_str());
    ASSERT_EQ(rc, DWORD(ERROR_SUCCESS));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    // Where files keep access lists, the file has exactly the built one.
    if (changed && GetSecurityDescriptorControl(sd, &control, &revision) && (control & SE_DACL_PROTECTED)) {
        EXPECT_EQ(AccessEntries(sd), expected);
    }
    LocalFree(sd);
}

TEST(FileSystemWin, PrivateFolderAdmitsOnlySystemAdministratorsAndItsCreator) {
    PSECURITY_DESCRIPTOR given = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(PrivateFolderAccessList().c_str(),
                                                                     SDDL_REVISION_1, &given, nullptr));
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(given, &present, &dacl, &defaulted));
    ExpectPrivateAccessList(given, dacl);
    LocalFree(given);

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "cvnprivate" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CreatePrivateFolder(folder));
    PSECURITY_DESCRIPTOR sd = nullptr;
    dacl = nullptr;
    DWORD rc = GetNamedSecurityInfoA(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                     nullptr, &dacl, nullptr, &sd);
    RemoveDirectoryA(folder.c_str());
    ASSERT_EQ(rc, DWORD(ERROR_SUCCESS));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (GetSecurityDescriptorControl(sd, &control, &revision) && (control & SE_DACL_PROTECTED))
        ExpectPrivateAccessList(sd, dacl);
    LocalFree(sd);
}
