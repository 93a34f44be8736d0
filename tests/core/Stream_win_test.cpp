#include "core/Handle_win.h"
#include "core/Stream.h"

#include <gtest/gtest.h>

#include <string>

using namespace cvn;

namespace {

// A file in the temporary folder, written before the test and deleted after it.
class TempFile {
public:
    explicit TempFile(const std::string& content) {
        char dir[MAX_PATH];
        char name[MAX_PATH];
        if (!GetTempPathA(MAX_PATH, dir) || !GetTempFileNameA(dir, "cvn", 0, name)) return;
        path_ = name;
        FileHandle h(
            CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!h || !WriteFile(h.Get(), content.data(), DWORD(content.size()), &written, nullptr) ||
            written != content.size())
            path_.clear();
    }
    ~TempFile() {
        if (!path_.empty()) DeleteFileA(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

FileHandle OpenForWriting(const std::string& path) {
    return FileHandle(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

} // namespace

TEST(FileInputStreamWin, ReadsTheWholeFileAndSeeks) {
    TempFile file("0123456789abcdef");
    ASSERT_FALSE(file.Path().empty());
    auto s = FileInputStream::Open(file.Path());
    ASSERT_TRUE(s);
    EXPECT_EQ(s->Size(), 16u);
    EXPECT_EQ(s->Path(), file.Path());

    char buf[32] = {};
    ASSERT_TRUE(s->ReadExact(buf, 4));
    EXPECT_EQ(std::string(buf, 4), "0123");
    EXPECT_EQ(s->Position(), 4u);

    ASSERT_TRUE(s->Seek(10));
    EXPECT_EQ(s->Read(buf, sizeof buf), 6u); // short read at the end of the file
    EXPECT_EQ(std::string(buf, 6), "abcdef");
    EXPECT_EQ(s->Read(buf, 1), 0u);
    EXPECT_FALSE(s->ReadExact(buf, 1));
}

TEST(FileInputStreamWin, DeniesWritingToOthersWhileOpen) {
    TempFile file("package bytes");
    ASSERT_FALSE(file.Path().empty());
    {
        auto s = FileInputStream::Open(file.Path());
        ASSERT_TRUE(s);
        SetLastError(0);
        FileHandle writer = OpenForWriting(file.Path());
        EXPECT_FALSE(writer);
        EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));

        // Other readers are still welcome.
        FileHandle reader(CreateFileA(file.Path().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_TRUE(reader);
    }
    // Closing the stream releases the file.
    EXPECT_TRUE(OpenForWriting(file.Path()));
}

TEST(FileInputStreamWin, OpenFailsForMissingFiles) {
    TempFile file("x");
    ASSERT_FALSE(file.Path().empty());
    EXPECT_FALSE(FileInputStream::Open(file.Path() + ".missing"));
    char dir[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, dir), 0u);
    EXPECT_FALSE(FileInputStream::Open(dir)); // a folder is not a readable file
}
