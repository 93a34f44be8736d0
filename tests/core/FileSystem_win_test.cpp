#include "core/FileSystem.h"
#include "core/Handle_win.h"

#include <gtest/gtest.h>

#include <string>

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
