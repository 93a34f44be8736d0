#include "SetupCVNZipTestSupport.h"

#include "package/SetupCVNZip.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

using namespace cvn;
using namespace cvn::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

// Counts the bytes actually read, to tell seeking past data from reading it.
class CountingStream final : public InputStream {
public:
    explicit CountingStream(std::vector<uint8_t> data) : in_(std::move(data)) {}
    size_t Read(void* buf, size_t n) override {
        size_t got = in_.Read(buf, n);
        bytesRead += got;
        return got;
    }
    bool Seek(uint64_t pos) override { return in_.Seek(pos); }
    uint64_t Position() const override { return in_.Position(); }
    uint64_t Size() const override { return in_.Size(); }
    uint64_t bytesRead = 0;

private:
    MemoryInputStream in_;
};

class ArchiveReader : public ::testing::Test {
protected:
    void SetUp() override {
        zip.OnRestoreFile.Bind(
            [this](int32_t id, std::string& target, bool& extract, int32_t, int32_t& owner) {
                target = Target(id);
                extract = !skip.count(id);
                owner = id + 1000;
            });
        zip.OnProgress.Bind([this](int32_t id, int32_t pos, bool&) { progress.push_back({id, pos}); });
        zip.OnFileRestored.Bind([this](int32_t id, const std::string& path, OutputFile&, int32_t owner) {
            restored.push_back(id);
            EXPECT_EQ(path, Target(id));
            EXPECT_EQ(owner, id + 1000);
        });
        zip.OnError.Bind([this](int32_t code) { errors.push_back(code); });
        zip.OnMessage.Bind([this](const std::string& text) { messages.push_back(text); });
        zip.OnCannotReplace.Bind([this](int32_t id, const std::string&) { cannotReplace.push_back(id); });
    }

    std::string Target(int32_t id) const { return dir / ("out/m" + std::to_string(id)); }
    std::vector<uint8_t> Extracted(int32_t id) const { return ReadAll(Target(id)); }
    bool Run(const std::vector<uint8_t>& bytes) {
        MemoryInputStream in(bytes);
        return zip.ExtractFromStream(in, dir / "default");
    }

    TempDir dir;
    TSetupCVNZip zip;
    std::set<int32_t> skip;
    std::vector<std::pair<int32_t, int32_t>> progress;
    std::vector<int32_t> restored, errors, cannotReplace;
    std::vector<std::string> messages;
};

std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const ECVNZipError& e) {
        return e.what();
    }
    return "(no exception)";
}

} // namespace

TEST_F(ArchiveReader, ExtractsHandBuiltMembersOfEveryBlockKind) {
    auto text = TextData(1000);
    auto raw = RandomData(300);
    HandArchive a;
    a.Header(uint32_t(text.size() + raw.size() + 5), 3).Message("");
    a.Member(7).Compressed(CompressBZip2Stream(text)).EndData();
    a.Member(8).Stored(raw).Stored({}).Stored({1, 2, 3, 4, 5}).EndData(); // a zero-length stored block is a
                                                                          // no-op
    a.Member(9).EndData();                                                // an empty file
    a.End();

    EXPECT_TRUE(Run(a.Bytes()));
    EXPECT_EQ(zip.ErrorCode(), 0);
    EXPECT_EQ(Extracted(7), text);
    raw.insert(raw.end(), {1, 2, 3, 4, 5});
    EXPECT_EQ(Extracted(8), raw);
    EXPECT_TRUE(FileExists(Target(9)));
    EXPECT_TRUE(Extracted(9).empty());
    EXPECT_THAT(restored, ElementsAre(7, 8, 9));
    EXPECT_EQ(zip.ExtractedCount(), 3);
    EXPECT_EQ(zip.MemberCount(), 3);
    EXPECT_THAT(messages, ElementsAre(""));
    EXPECT_FALSE(zip.IsBusy());
}

TEST_F(ArchiveReader, EmptyArchiveSucceedsWithOneFinalProgressCall) {
    HandArchive a;
    a.Header(0).Message("").End();
    EXPECT_TRUE(Run(a.Bytes()));
    EXPECT_EQ(zip.ExtractedCount(), 0);
    EXPECT_THAT(progress, ElementsAre(std::make_pair(-2, 100)));
}

TEST_F(ArchiveReader, SingleShortBlockAndFiftyTwoBlocks) {
    auto small = TextData(1234);
    auto big = RandomData(51 * 65536 + 777, 5);
    HandArchive a;
    a.Header(uint32_t(small.size() + big.size()), 2).Message("");
    a.Member(1).Compressed(CompressBZip2Stream(small)).EndData().Member(2);
    for (size_t at = 0; at < big.size(); at += 65536)
        a.Stored(std::vector<uint8_t>(big.begin() + at, big.begin() + std::min(big.size(), at + 65536)));
    auto bytes = a.EndData().End().Bytes();
    EXPECT_TRUE(Run(bytes));
    EXPECT_EQ(Extracted(1), small);
    auto out = Extracted(2);
    EXPECT_EQ(out.size(), 51u * 65536 + 777);
    EXPECT_EQ(out, big);
    // one progress call per block (1 + 52) and the final one
    EXPECT_EQ(progress.size(), 54u);
    EXPECT_EQ(zip.BytesDone(), small.size() + big.size());
}

TEST_F(ArchiveReader, SkippedMembersAreSeekedOverAndCountFullBlocks) {
    auto a = RandomData(3 * 65536 + 10);
    auto b = TextData(100);
    auto bytes = WriteArchive({{1, a}, {2, b}});
    skip = {1};
    CountingStream in(bytes);
    EXPECT_TRUE(zip.ExtractFromStream(in, dir / "default"));
    EXPECT_FALSE(FileExists(Target(1)));
    EXPECT_EQ(Extracted(2), b);
    EXPECT_LT(in.bytesRead, 1000u) << "skipped data must not be read";
    // four skipped blocks count 65,536 bytes each, whatever they hold
    EXPECT_EQ(zip.BytesDone(), 4u * 65536 + b.size());
    ASSERT_GE(progress.size(), 4u);
    EXPECT_EQ(progress[0], std::make_pair(1, 33)); // 65,536 of 196,718 bytes
    EXPECT_EQ(progress[1], std::make_pair(1, 67));
    EXPECT_EQ(progress[3], std::make_pair(1, 100)); // past the total, still 100
    EXPECT_THAT(restored, ElementsAre(2));
}

TEST_F(ArchiveReader, DefaultTargetIsUsedWithoutHandler) {
    zip.OnRestoreFile.Unbind();
    zip.OnFileRestored.Unbind();
    auto bytes = WriteArchive({{4, TextData(10)}});
    MemoryInputStream in(bytes);
    EXPECT_TRUE(zip.ExtractFromStream(in, dir / "deep/er/file.bin"));
    EXPECT_EQ(ReadAll(dir / "deep/er/file.bin"), TextData(10));
    EXPECT_EQ(zip.CurrentTargetPath(), dir / "deep/er/file.bin");
}

TEST_F(ArchiveReader, TargetGetsTheMembersDateNotTheExtractionTime) {
    DosDateTime when{1999, 12, 31, 23, 59, 58};
    uint32_t packed = 0;
    ASSERT_TRUE(EncodeDosDateTime(when, packed));
    auto bytes = WriteArchive({{1, TextData(100), int32_t(packed)}});
    EXPECT_TRUE(Run(bytes));
    uint32_t stamped = 0;
    ASSERT_TRUE(GetFileDosDateTime(Target(1), stamped));
    EXPECT_EQ(stamped, packed);
}

TEST_F(ArchiveReader, ReadOnlyTargetIsReplaced) {
    CreateFolderPath(dir / "out");
    WriteAll(Target(1), {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9});
    std::filesystem::permissions(Target(1),
                                 std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_TRUE(Run(WriteArchive({{1, TextData(5)}})));
    EXPECT_EQ(Extracted(1), TextData(5));
}

namespace {

// A file system whose targets can refuse deletion or fail while being written.
class FaultyFiles : public ArchiveFiles {
public:
    std::set<std::string> undeletable;
    size_t writeLimit = SIZE_MAX; // total bytes the disk takes

    bool RemoveExisting(const std::string& path) override {
        return !undeletable.count(path) && ArchiveFiles::RemoveExisting(path);
    }
    std::unique_ptr<OutputFile> CreateTarget(const std::string& path) override {
        auto inner = ArchiveFiles::CreateTarget(path);
        return inner ? std::make_unique<Limited>(std::move(inner), *this) : nullptr;
    }

private:
    class Limited final : public OutputFile {
    public:
        Limited(std::unique_ptr<OutputFile> inner, FaultyFiles& owner)
            : inner_(std::move(inner)), owner_(owner) {}
        bool Write(const void* data, size_t n) override {
            if (n > owner_.writeLimit) return false;
            owner_.writeLimit -= n;
            return inner_->Write(data, n);
        }
        bool SetDosDateTime(uint32_t t) override { return inner_->SetDosDateTime(t); }

    private:
        std::unique_ptr<OutputFile> inner_;
        FaultyFiles& owner_;
    };
};

} // namespace

TEST_F(ArchiveReader, UndeletableTargetIsReportedAndSkippedWhileThePassGoesOn) {
    FaultyFiles files;
    zip.SetFiles(&files);
    CreateFolderPath(dir / "out");
    WriteAll(Target(1), {1, 2, 3});
    files.undeletable.insert(Target(1));
    EXPECT_TRUE(Run(WriteArchive({{1, TextData(70000)}, {2, TextData(20)}})));
    EXPECT_THAT(cannotReplace, ElementsAre(1));
    EXPECT_EQ(Extracted(1), std::vector<uint8_t>({1, 2, 3}));
    EXPECT_EQ(Extracted(2), TextData(20));
    EXPECT_THAT(restored, ElementsAre(2));
}

namespace {

// The real file system, with the reader's questions to it counted.
class CountingFiles : public ArchiveFiles {
public:
    std::vector<std::string> prepared, removed;

    bool PrepareFolder(const std::string& folder) override {
        prepared.push_back(folder);
        return ArchiveFiles::PrepareFolder(folder);
    }
    bool RemoveExisting(const std::string& path) override {
        removed.push_back(path);
        return ArchiveFiles::RemoveExisting(path);
    }
};

} // namespace

TEST_F(ArchiveReader, EachFolderIsPreparedOnceAPassAndOnlyExistingTargetsAreRemoved) {
    CountingFiles files;
    zip.SetFiles(&files);
    CreateFolderPath(dir / "out");
    WriteAll(Target(2), {7, 7, 7});
    const auto bytes = WriteArchive({{1, TextData(10)}, {2, TextData(20)}, {3, TextData(30)}});
    EXPECT_TRUE(Run(bytes));
    EXPECT_THAT(files.prepared, ElementsAre(dir / "out", dir / "out")); // again after the failed create of 2
    EXPECT_THAT(files.removed, ElementsAre(Target(2)));
    EXPECT_EQ(Extracted(2), TextData(20));
    EXPECT_THAT(restored, ElementsAre(1, 2, 3));

    // The next pass finds every target there and prepares the folder anew.
    files.prepared.clear();
    files.removed.clear();
    EXPECT_TRUE(Run(bytes));
    EXPECT_EQ(files.prepared.size(), 4u);
    EXPECT_THAT(files.removed, ElementsAre(Target(1), Target(2), Target(3)));
}

TEST_F(ArchiveReader, FolderRemovedDuringThePassIsMadeAgain) {
    zip.OnRestoreFile.Bind([this](int32_t id, std::string& target, bool&, int32_t, int32_t& owner) {
        target = Target(id);
        owner = id + 1000;
        if (id == 2) std::filesystem::remove_all(dir / "out"); // its folder was prepared for member 1
    });
    EXPECT_TRUE(Run(WriteArchive({{1, TextData(10)}, {2, TextData(20)}})));
    EXPECT_FALSE(FileExists(Target(1)));
    EXPECT_EQ(Extracted(2), TextData(20));
    EXPECT_THAT(restored, ElementsAre(1, 2));
    EXPECT_TRUE(cannotReplace.empty());
}

TEST_F(ArchiveReader, WriteFailureEndsThePassWithErrorOne) {
    FaultyFiles files;
    files.writeLimit = 65536 + 100;
    zip.SetFiles(&files);
    EXPECT_FALSE(Run(WriteArchive({{1, TextData(3 * 65536)}, {2, TextData(20)}})));
    EXPECT_EQ(zip.ErrorCode(), TSetupCVNZip::kWriteError);
    EXPECT_EQ(Extracted(1).size(), 65536u); // the part written stays
    EXPECT_FALSE(FileExists(Target(2)));
    EXPECT_TRUE(restored.empty());
    EXPECT_TRUE(errors.empty());

    // A target that cannot be created at all: the folder is in the way.
    TSetupCVNZip second;
    second.OnRestoreFile.Bind(
        [&](int32_t, std::string& t, bool&, int32_t, int32_t&) { t = dir / "taken/x"; });
    CreateFolderPath(dir / "taken/x");
    MemoryInputStream in(WriteArchive({{1, TextData(20)}}));
    EXPECT_FALSE(second.ExtractFromStream(in, ""));
    EXPECT_EQ(second.ErrorCode(), TSetupCVNZip::kWriteError);
}

TEST_F(ArchiveReader, CorruptBlockGivesErrorTwoOnceAndLeavesThePartialFile) {
    auto first = TextData(65536, 1), second = TextData(65536, 2);
    auto damaged = CompressBZip2Stream(second);
    damaged[damaged.size() / 2] ^= 0x55;
    HandArchive a;
    a.Header(3 * 65536).Message("");
    a.Member(1)
        .Compressed(CompressBZip2Stream(first))
        .Compressed(damaged)
        .Compressed(CompressBZip2Stream(first));
    a.EndData().Member(2).Compressed(CompressBZip2Stream(first)).EndData().End();

    EXPECT_FALSE(Run(a.Bytes()));
    EXPECT_EQ(zip.ErrorCode(), TSetupCVNZip::kDataError);
    EXPECT_THAT(errors, ElementsAre(2));
    EXPECT_EQ(Extracted(1), first); // nothing of the damaged block, nothing after it
    EXPECT_FALSE(FileExists(Target(2)));
    EXPECT_TRUE(restored.empty());
    EXPECT_EQ(zip.ExtractedCount(), 0);
    EXPECT_EQ(progress.back().first, -2);
}

TEST_F(ArchiveReader, NotABzip2StreamOrOneCutShortIsADataError) {
    for (auto block : {std::vector<uint8_t>{'B', 'Z', 'h', '9', 0, 0, 0}, std::vector<uint8_t>(50, 0xAB)}) {
        HandArchive a;
        a.Header(100).Member(1).Compressed(block).EndData().End();
        errors.clear();
        EXPECT_FALSE(Run(a.Bytes()));
        EXPECT_EQ(zip.ErrorCode(), 2);
        EXPECT_THAT(errors, ElementsAre(2));
    }
    auto whole = CompressBZip2Stream(TextData(5000));
    whole.resize(whole.size() - 8);
    HandArchive a;
    a.Header(5000).Member(1).Compressed(whole).EndData().End();
    EXPECT_FALSE(Run(a.Bytes()));
    EXPECT_EQ(zip.ErrorCode(), 2);
}

TEST_F(ArchiveReader, OversizedBlocksGrowTheBufferButOnlySoFar) {
    // A block holding more than 65,536 bytes is not what our writer makes, but it
    // decompresses: the buffer grows as needed.
    auto big = TextData(200000);
    HandArchive a;
    a.Header(uint32_t(big.size())).Member(1).Compressed(CompressBZip2Stream(big)).EndData().End();
    EXPECT_TRUE(Run(a.Bytes()));
    EXPECT_EQ(Extracted(1), big);

    // A tiny block that would expand to megabytes is damage, not a reason to take memory.
    std::vector<uint8_t> zeros(4 * 1024 * 1024, 0);
    auto bomb = CompressBZip2Stream(zeros);
    ASSERT_LT(bomb.size(), 2000u);
    HandArchive b;
    b.Header(100).Member(1).Compressed(bomb).EndData().End();
    EXPECT_FALSE(Run(b.Bytes()));
    EXPECT_EQ(zip.ErrorCode(), 2);
}

TEST_F(ArchiveReader, StopFromTheMessagePumpEndsThePassAtTheNextBlock) {
    int blocks = 0;
    zip.OnProcessMessages.Bind([&] {
        EXPECT_TRUE(zip.IsBusy());
        if (++blocks == 2) zip.Stop();
    });
    auto data = TextData(5 * 65536);
    EXPECT_FALSE(Run(WriteArchive({{1, data}, {2, TextData(10)}})));
    EXPECT_EQ(blocks, 2);
    EXPECT_EQ(zip.ErrorCode(), 0);
    EXPECT_EQ(Extracted(1), std::vector<uint8_t>(data.begin(), data.begin() + 2 * 65536));
    EXPECT_TRUE(restored.empty()) << "a member cut short is not reported as restored";
    EXPECT_FALSE(FileExists(Target(2)));
    EXPECT_FALSE(zip.IsBusy());

    // The same reader runs the next pass normally.
    zip.OnProcessMessages.Unbind();
    EXPECT_TRUE(Run(WriteArchive({{3, TextData(10)}})));
}

TEST_F(ArchiveReader, ProgressHandlerCanEndThePass) {
    zip.OnProgress.Bind([](int32_t, int32_t, bool& go) { go = false; });
    EXPECT_FALSE(Run(WriteArchive({{1, TextData(3 * 65536)}})));
    EXPECT_EQ(Extracted(1).size(), 65536u);
}

TEST_F(ArchiveReader, RestoreHandlerCanEndThePassBeforeAnythingIsCreated) {
    zip.OnRestoreFile.Bind([this](int32_t id, std::string& target, bool&, int32_t, int32_t&) {
        target = Target(id);
        zip.Stop();
    });
    EXPECT_FALSE(Run(WriteArchive({{1, TextData(10)}})));
    EXPECT_FALSE(FileExists(Target(1)));
    EXPECT_EQ(zip.ErrorCode(), 0);
}

TEST_F(ArchiveReader, PassStartedWhileBusyIsRefused) {
    bool inner = true;
    zip.OnMessage.Bind([&](const std::string&) {
        MemoryInputStream again(WriteArchive({}));
        inner = zip.ExtractFromStream(again, "");
    });
    EXPECT_TRUE(Run(WriteArchive({{1, TextData(10)}})));
    EXPECT_FALSE(inner);
    EXPECT_EQ(Extracted(1), TextData(10));
}

TEST(ArchiveProgress, RoundsHalvesToEvenAndKeepsWithinTheRange) {
    EXPECT_EQ(TSetupCVNZip::Nearest(0.5), 0);
    EXPECT_EQ(TSetupCVNZip::Nearest(1.5), 2);
    EXPECT_EQ(TSetupCVNZip::Nearest(2.5), 2);
    EXPECT_EQ(TSetupCVNZip::Nearest(2.4999), 2);
    EXPECT_EQ(TSetupCVNZip::Nearest(-0.5), 0);
    EXPECT_EQ(TSetupCVNZip::Nearest(-1.5), -2);

    TSetupCVNZip z;
    HandArchive a;
    a.Header(200).End();
    MemoryInputStream in(a.Bytes());
    z.ExtractFromStream(in, "");
    EXPECT_EQ(z.PositionFor(1), 0); // 0.5 % -> 0
    EXPECT_EQ(z.PositionFor(3), 2); // 1.5 % -> 2
    EXPECT_EQ(z.PositionFor(5), 2); // 2.5 % -> 2
    EXPECT_EQ(z.PositionFor(200), 100);
    EXPECT_EQ(z.PositionFor(1000), 100);
    EXPECT_EQ(z.FinalPosition(), 100);

    // A component archive taking 40 of the bar's 100 points, from 30 on, capped at 65.
    z.ProgressBase = 30;
    z.ProgressSpan = 4000;
    z.ProgressFactor = 0.01; // 100 / 10,000 bytes of archives
    z.ProgressMax = 65;
    EXPECT_EQ(z.PositionFor(0), 30);
    EXPECT_EQ(z.PositionFor(100), 50); // 50 % of 40 points
    EXPECT_EQ(z.PositionFor(200), 65); // 70 capped
    EXPECT_EQ(z.FinalPosition(), 65);
    z.ProgressMax = 100;
    EXPECT_EQ(z.FinalPosition(), 70);
    z.ProgressFactor = 0.0125; // 50 % of 5 points = 2.5 -> 2
    z.ProgressSpan = 400;
    EXPECT_EQ(z.PositionFor(100), 32);
    z.ProgressFactor = std::nan("");
    EXPECT_EQ(z.PositionFor(100), 100); // a damaged factor cannot produce garbage
}

TEST(ArchiveDamage, EveryTruncationGivesAClearExceptionAndNeverReadsBeyond) {
    auto bytes = WriteArchive({{1, TextData(70000)}, {2, RandomData(100)}});
    DiscardingArchiveFiles files;
    TSetupCVNZip z;
    z.SetFiles(&files);
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        std::vector<uint8_t> part(bytes.begin(), bytes.begin() + cut);
        MemoryInputStream in(part);
        std::string err = ErrorOf([&] { z.ExtractFromStream(in, ""); });
        EXPECT_THAT(err, HasSubstr("Setup cannot read the archive")) << "cut at " << cut;
        EXPECT_FALSE(z.IsBusy());
        if (cut < 20) {
            EXPECT_EQ(err, "Setup cannot read the archive") << "cut at " << cut;
        }
    }
}

TEST(ArchiveDamage, BadMagicRecordsAndLengthsAreReported) {
    TSetupCVNZip z;
    z.OnRestoreFile.Bind([](int32_t, std::string&, bool& extract, int32_t, int32_t&) { extract = false; });
    auto run = [&](const HandArchive& a) {
        return ErrorOf([&] {
            MemoryInputStream in(a.Bytes());
            z.ExtractFromStream(in, "");
        });
    };
    HandArchive badMagic;
    badMagic.Header(0).I32(1).I32(0).I32(0x5A4E5643).End();
    EXPECT_EQ(run(badMagic), "Invalid Corvane zip file type.");

    HandArchive unknown;
    unknown.Header(0).I32(-7);
    EXPECT_THAT(run(unknown), HasSubstr("unknown record -7"));

    HandArchive negativeText;
    negativeText.I32(-1).I32(0).I32(0).End();
    EXPECT_EQ(run(negativeText), "Setup cannot read the archive");

    HandArchive hugeMessage;
    hugeMessage.Header(0).I32(-3).I32(0x7FFFFFFF).End();
    EXPECT_THAT(run(hugeMessage), HasSubstr("message record"));

    HandArchive hugeBlock; // a skipped block that claims more bytes than there are
    hugeBlock.Header(0).Member(1).I32(0x7FFFFFFF).End();
    EXPECT_THAT(run(hugeBlock), HasSubstr("runs past the end"));

    HandArchive minBlock; // |INT32_MIN| does not fit an int32
    minBlock.Header(0).Member(1).I32(INT32_MIN).End();
    EXPECT_THAT(run(minBlock), HasSubstr("runs past the end"));

    HandArchive badVolume;
    badVolume.Header(0).Switch(0);
    EXPECT_THAT(run(badVolume), HasSubstr("volume 0"));
    badVolume = HandArchive();
    badVolume.Header(0).Switch(70000);
    EXPECT_THAT(run(badVolume), HasSubstr("volume 70000"));

    // A volume that switches to itself again would be read without end.
    class SameVolume : public DiscardingArchiveFiles {
    public:
        explicit SameVolume(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
        std::unique_ptr<InputStream> OpenVolume(const std::string&) override {
            return std::make_unique<MemoryInputStream>(bytes_);
        }

    private:
        std::vector<uint8_t> bytes_;
    };
    HandArchive loop;
    loop.Header(0).Switch(2);
    SameVolume same(HandArchive().Switch(3).Switch(3).Bytes());
    z.SetFiles(&same);
    EXPECT_THAT(run(loop), HasSubstr("a switch to volume 3 in volume 3"));
    z.SetFiles(nullptr);

    EXPECT_EQ(EBZip2Error(-3).what(), std::string("Corvane Zip Compression Error -3"));
    EXPECT_THAT(ErrorOf([&] { z.ExtractFromFile("/nonexistent/archive.001", ""); }),
                HasSubstr("Setup cannot read the archive"));
}

TEST(ArchiveVolumes, FileNamesUseTheLastThreeDigits) {
    EXPECT_EQ(VolumeFileName("setup.exe", 1), "setup.001");
    EXPECT_EQ(VolumeFileName("dir/setup.exe", 12), "dir/setup.012");
    EXPECT_EQ(VolumeFileName("setup.001", 999), "setup.999");
    EXPECT_EQ(VolumeFileName("setup.exe", 1002), "setup.002");
    EXPECT_EQ(VolumeFileName("setup", 3), "setup.003");
    EXPECT_EQ(VolumeFileName("my.dir/setup", 4), "my.dir/setup.004");
}
