#include "core/FileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

using namespace cvn;

namespace {

class FileSystemTest : public ::testing::Test {
protected:
    FileSystemTest() {
        std::random_device rd;
        root_ = std::filesystem::temp_directory_path() / ("cvnfs-test-" + std::to_string(rd()));
        std::filesystem::create_directory(root_);
    }
    ~FileSystemTest() override {
        std::error_code ec;
        for (auto& e : std::filesystem::recursive_directory_iterator(root_, ec))
            std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(root_, ec);
    }
    std::string P(const std::string& rel) const { return (root_ / rel).make_preferred().string(); }
    void Put(const std::string& rel, const std::string& text) {
        std::ofstream(P(rel), std::ios::binary) << text;
    }
    std::string Get(const std::string& rel) {
        std::ifstream f(P(rel), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    }

    std::filesystem::path root_;
};

} // namespace

TEST(FilePaths, SplitLikeTheSetupExpects) {
#ifdef _WIN32
    EXPECT_EQ(ExtractFileDir("C:\\a\\b"), "C:\\a");
    EXPECT_EQ(ExtractFileDir("C:\\a"), "C:\\");
    EXPECT_EQ(ExtractFileDir("C:\\"), "C:\\");
    EXPECT_EQ(ExtractFileDir("C:a"), "C:");
    EXPECT_EQ(ExtractFilePath("C:\\a\\b.txt"), "C:\\a\\");
    EXPECT_EQ(ExtractFileName("C:/a/b.txt"), "b.txt");
    EXPECT_EQ(ChangeFileExt("C:\\x.y\\setup", ".001"), "C:\\x.y\\setup.001");
    EXPECT_EQ(CreateFolderPath("C:\\"), FolderResult::NotCreatable);
    EXPECT_EQ(CreateFolderPath("C:"), FolderResult::NotCreatable);
    EXPECT_TRUE(FolderExists("C:\\"));
#else
    EXPECT_EQ(ExtractFileDir("/a/b"), "/a");
    EXPECT_EQ(ExtractFileDir("/a"), "/");
    EXPECT_EQ(ExtractFilePath("/a/b.txt"), "/a/");
    EXPECT_EQ(ExtractFileName("/a/b.txt"), "b.txt");
    EXPECT_EQ(ChangeFileExt("/x.y/setup", ".001"), "/x.y/setup.001");
    EXPECT_EQ(CreateFolderPath("/"), FolderResult::NotCreatable);
    EXPECT_TRUE(FolderExists("/"));
#endif
    EXPECT_EQ(ExtractFileDir("a"), "");
    EXPECT_EQ(ExtractFileName("a"), "a");
    EXPECT_EQ(ChangeFileExt("setup.exe", ".002"), "setup.002");
    EXPECT_EQ(CreateFolderPath(""), FolderResult::NotCreatable);
}

TEST_F(FileSystemTest, CreateFolderPathGivesItsFourResults) {
    EXPECT_EQ(CreateFolderPath(P("a/b/c")), FolderResult::Created);
    EXPECT_TRUE(FolderExists(P("a/b/c")));
    EXPECT_TRUE(FolderExists(P("a/b/c") + std::string(1, std::filesystem::path::preferred_separator)));
    EXPECT_EQ(CreateFolderPath(P("a/b/c")), FolderResult::Existed);
    EXPECT_EQ(CreateFolderPath(P("a/b") + std::string(1, std::filesystem::path::preferred_separator)),
              FolderResult::Existed);

    // A parent that is a file cannot become a folder: the child is never tried.
    Put("file", "x");
    EXPECT_EQ(CreateFolderPath(P("file/sub/child")), FolderResult::Failed);
    EXPECT_FALSE(std::filesystem::exists(P("file/sub")));
    EXPECT_FALSE(FolderExists(P("file")));
    EXPECT_TRUE(FileExists(P("file")));
    EXPECT_FALSE(FileExists(P("a")));
}

TEST_F(FileSystemTest, DeleteFileForcedClearsReadOnlyAndIgnoresMissingFiles) {
    EXPECT_TRUE(DeleteFileForced(P("missing")));
    Put("ro", "data");
    std::filesystem::permissions(P("ro"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_TRUE(DeleteFileForced(P("ro")));
    EXPECT_FALSE(FileExists(P("ro")));
}

TEST_F(FileSystemTest, OutputFilesReplaceCreateAppendAndCarryTheirDate) {
    Put("f", "old content");
    {
        auto f = CreateOutputFile(P("f"));
        ASSERT_TRUE(f);
        EXPECT_TRUE(f->Write("new", 3));
    }
    EXPECT_EQ(Get("f"), "new");
    {
        auto f = OpenOutputFileAtEnd(P("f"));
        ASSERT_TRUE(f);
        EXPECT_TRUE(f->Write("+more", 5));
        uint32_t when = 0;
        ASSERT_TRUE(EncodeDosDateTime({2003, 7, 14, 16, 45, 30}, when));
        EXPECT_TRUE(f->SetDosDateTime(when));
        EXPECT_FALSE(f->SetDosDateTime(0)) << "month 0 is no date";
    }
    EXPECT_EQ(Get("f"), "new+more");
    uint64_t size = 0;
    ASSERT_TRUE(GetFileSize(P("f"), size));
    EXPECT_EQ(size, 8u);
    uint32_t stamp = 0;
    ASSERT_TRUE(GetFileDosDateTime(P("f"), stamp));
    DosDateTime dt;
    ASSERT_TRUE(DecodeDosDateTime(stamp, dt));
    EXPECT_EQ(dt.year, 2003);
    EXPECT_EQ(dt.month, 7);
    EXPECT_EQ(dt.day, 14);
    EXPECT_EQ(dt.hour, 16);
    EXPECT_EQ(dt.minute, 45);
    EXPECT_EQ(dt.second, 30);

    EXPECT_FALSE(CreateNewOutputFile(P("f"))) << "a new file never replaces one";
    EXPECT_EQ(Get("f"), "new+more");
    {
        auto f = CreateNewOutputFile(P("g"));
        ASSERT_TRUE(f);
        EXPECT_TRUE(f->Write("g", 1));
    }
    EXPECT_EQ(Get("g"), "g");

    EXPECT_FALSE(OpenOutputFileAtEnd(P("missing")));
    EXPECT_FALSE(CreateOutputFile(P("no/such/folder/f")));
    EXPECT_FALSE(GetFileSize(P("missing"), size));
}

TEST(DosDateTimes, EncodeAndDecodeCheckEveryField) {
    uint32_t packed = 0;
    ASSERT_TRUE(EncodeDosDateTime({2001, 9, 1, 9, 17, 2}, packed));
    EXPECT_EQ(packed, 0x2B214A21u);
    EXPECT_TRUE(EncodeDosDateTime({2000, 2, 29, 0, 0, 0}, packed)); // a leap day
    EXPECT_FALSE(EncodeDosDateTime({1900, 2, 29, 0, 0, 0}, packed));
    EXPECT_FALSE(EncodeDosDateTime({2001, 2, 29, 0, 0, 0}, packed));
    EXPECT_FALSE(EncodeDosDateTime({1979, 12, 31, 0, 0, 0}, packed));
    EXPECT_FALSE(EncodeDosDateTime({2108, 1, 1, 0, 0, 0}, packed));
    EXPECT_FALSE(EncodeDosDateTime({2001, 1, 1, 24, 0, 0}, packed));
    DosDateTime dt;
    EXPECT_FALSE(DecodeDosDateTime(0, dt));
    EXPECT_FALSE(DecodeDosDateTime(uint32_t(0x2B214A21) | 0x1F, dt)) << "62 seconds";
    ASSERT_TRUE(DecodeDosDateTime(0x2B214A21, dt));
    EXPECT_EQ(dt.second, 2);
}
