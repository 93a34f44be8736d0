// Windows share modes around a pass: a target held by another program cannot be
// replaced, and the archive cannot be written while it is read.

#include "SetupCVNZipTestSupport.h"

#include "core/Handle_win.h"
#include "package/SetupCVNZip.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace cvn;
using namespace cvn::test;
using ::testing::ElementsAre;

TEST(ArchiveReaderWin, TargetHeldByAnotherProgramIsReportedAndThePassGoesOn) {
    TempDir dir;
    CreateFolderPath(dir / "out");
    WriteAll(dir / "out\\1", {1, 2, 3});
    FileHandle held(CreateFileA((dir / "out\\1").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);

    TSetupCVNZip z;
    std::vector<int32_t> cannot, restored;
    z.OnRestoreFile.Bind([&](int32_t id, std::string& t, bool&, int32_t, int32_t&) {
        t = dir / ("out\\" + std::to_string(id));
    });
    z.OnCannotReplace.Bind([&](int32_t id, const std::string& path) {
        cannot.push_back(id);
        EXPECT_EQ(path, dir / "out\\1");
    });
    z.OnFileRestored.Bind(
        [&](int32_t id, const std::string&, OutputFile&, int32_t) { restored.push_back(id); });
    MemoryInputStream in(WriteArchive({{1, TextData(70000)}, {2, TextData(10)}}));
    EXPECT_TRUE(z.ExtractFromStream(in, ""));
    EXPECT_THAT(cannot, ElementsAre(1));
    EXPECT_THAT(restored, ElementsAre(2));
    held.Reset();
    EXPECT_EQ(ReadAll(dir / "out\\1"), std::vector<uint8_t>({1, 2, 3}));
    EXPECT_EQ(ReadAll(dir / "out\\2"), TextData(10));
}

TEST(ArchiveReaderWin, ArchiveAndTargetAreClosedToWritersDuringThePass) {
    TempDir dir;
    WriteAll(dir / "setup.001", WriteArchive({{1, TextData(3 * 65536)}}));
    TSetupCVNZip z;
    z.OnRestoreFile.Bind([&](int32_t, std::string& t, bool&, int32_t, int32_t&) { t = dir / "out\\file"; });
    int checks = 0;
    z.OnProgress.Bind([&](int32_t id, int32_t, bool&) {
        if (id < 0) return;
        ++checks;
        FileHandle archive(CreateFileA((dir / "setup.001").c_str(), GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                       nullptr));
        EXPECT_FALSE(archive) << "the archive is opened deny-write";
        FileHandle target(CreateFileA((dir / "out\\file").c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
        EXPECT_FALSE(target) << "the target is written without sharing";
    });
    EXPECT_TRUE(z.ExtractFromFile(dir / "setup.001", ""));
    EXPECT_EQ(checks, 3);
    EXPECT_EQ(ReadAll(dir / "out\\file"), TextData(3 * 65536));
}
