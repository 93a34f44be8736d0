#include "SetupCVNZipTestSupport.h"

#include "core/ByteReader.h"
#include "package/CVNZipWriter.h"
#include "package/SetupCVNZip.h"

#include <bzlib.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace cvn;
using namespace cvn::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

std::vector<uint8_t> Inflate(std::span<const uint8_t> stream) {
    std::vector<uint8_t> out(1 << 20);
    unsigned int n = unsigned(out.size());
    int rc = BZ2_bzBuffToBuffDecompress(reinterpret_cast<char*>(out.data()), &n,
                                        const_cast<char*>(reinterpret_cast<const char*>(stream.data())),
                                        unsigned(stream.size()), 0, 0);
    EXPECT_EQ(rc, BZ_OK);
    out.resize(rc == BZ_OK ? n : 0);
    return out;
}

// The blocks of the member that starts at the reader's position (after its magic):
// each block's uncompressed bytes, and whether it was stored.
struct Block {
    std::vector<uint8_t> data;
    bool stored;
};
std::vector<Block> ReadBlocks(ByteReader& r) {
    std::vector<Block> blocks;
    for (;;) {
        int32_t b = r.I32();
        if (b == -4) return blocks;
        auto bytes = r.Bytes(size_t(b < 0 ? -b : b));
        blocks.push_back({b < 0 ? std::vector<uint8_t>(bytes.begin(), bytes.end()) : Inflate(bytes), b < 0});
    }
}

} // namespace

TEST(ArchiveWriter, WritesTheStoredLayoutFieldByField) {
    auto text = TextData(2 * 65536 + 100);
    auto noise = RandomData(65536 + 4); // the 4-byte last block must not read as -4
    TCVNZipWriter w;
    ASSERT_TRUE(w.CreateInMemory());
    ASSERT_TRUE(w.AddMember(5, 0x12345678, text));
    ASSERT_TRUE(w.AddMessage("Component A"));
    ASSERT_TRUE(w.AddMember(6, 0, noise));
    ASSERT_TRUE(w.AddMember(7, 0, {}));
    ASSERT_TRUE(w.Finish());
    auto bytes = w.TakeData();

    ByteReader r(bytes);
    EXPECT_EQ(r.Counted(), "Corvane 2002");
    EXPECT_EQ(r.I32(), int32_t(text.size() + noise.size()));
    EXPECT_EQ(r.I32(), 3);
    EXPECT_EQ(r.I32(), -3); // the empty message right after the header
    EXPECT_EQ(r.I32(), 0);

    auto magic = [&] {
        auto m = r.Bytes(4);
        return std::string(m.begin(), m.end());
    };
    EXPECT_EQ(r.I32(), 5);
    EXPECT_EQ(r.I32(), 0x12345678);
    EXPECT_EQ(magic(), "cVNZ");
    auto blocks = ReadBlocks(r);
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0].data.size(), 65536u);
    EXPECT_EQ(blocks[1].data.size(), 65536u);
    EXPECT_EQ(blocks[2].data.size(), 100u);
    for (auto& b : blocks)
        EXPECT_FALSE(b.stored) << "text compresses";
    std::vector<uint8_t> joined;
    for (auto& b : blocks)
        joined.insert(joined.end(), b.data.begin(), b.data.end());
    EXPECT_EQ(joined, text);

    EXPECT_EQ(r.I32(), -3);
    EXPECT_EQ(r.Counted(), "Component A");

    EXPECT_EQ(r.I32(), 6);
    EXPECT_EQ(r.I32(), 0);
    EXPECT_EQ(magic(), "cVNZ");
    blocks = ReadBlocks(r);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_TRUE(blocks[0].stored) << "noise does not compress";
    EXPECT_FALSE(blocks[1].stored) << "a stored 4-byte block would be taken for the end of the data";
    EXPECT_EQ(blocks[1].data, std::vector<uint8_t>(noise.end() - 4, noise.end()));

    EXPECT_EQ(r.I32(), 7);
    EXPECT_EQ(r.I32(), 0);
    EXPECT_EQ(magic(), "cVNZ");
    EXPECT_TRUE(ReadBlocks(r).empty());
    EXPECT_EQ(r.I32(), -2);
    EXPECT_TRUE(r.AtEnd());
}

TEST(ArchiveWriter, ArchiveAfterAStubReadsFromTheStreamsPosition) {
    TempDir dir;
    auto stub = RandomData(5000);
    auto a = TextData(70000), b = RandomData(65540);
    auto archive = WriteArchive({{1, a}, {2, b}, {3, RandomData(4)}});
    stub.insert(stub.end(), archive.begin(), archive.end());
    WriteAll(dir / "setup.exe", stub);

    auto in = FileInputStream::Open(dir / "setup.exe");
    ASSERT_TRUE(in);
    in->Seek(5000);
    TSetupCVNZip z;
    z.OnRestoreFile.Bind(
        [&](int32_t id, std::string& t, bool&, int32_t, int32_t&) { t = dir / ("x/" + std::to_string(id)); });
    EXPECT_TRUE(z.ExtractFromStream(*in, ""));
    EXPECT_EQ(ReadAll(dir / "x/1"), a);
    EXPECT_EQ(ReadAll(dir / "x/2"), b);
    EXPECT_EQ(ReadAll(dir / "x/3"), RandomData(4));
    EXPECT_EQ(z.TotalSize(), 70000u + 65540 + 4);
}

TEST(ArchiveWriter, RefusesWhatTheFormatCannotHold) {
    TempDir dir;
    TCVNZipWriter small;
    EXPECT_FALSE(small.CreateVolumes(dir / "setup.exe", 1000));
    EXPECT_THAT(small.Error(), HasSubstr("at least"));

    TCVNZipWriter w;
    EXPECT_FALSE(w.AddMember(1, 0, {})) << "not started";
    TCVNZipWriter v;
    ASSERT_TRUE(v.CreateInMemory());
    EXPECT_FALSE(v.AddMember(-1, 0, {}));
    EXPECT_FALSE(v.Finish()) << "an error sticks";

    TCVNZipWriter m;
    ASSERT_TRUE(m.CreateInMemory());
    EXPECT_FALSE(m.AddMessage(std::string(70000, 'x')));
    TCVNZipWriter f;
    ASSERT_TRUE(f.CreateInMemory());
    ASSERT_TRUE(f.Finish());
    EXPECT_FALSE(f.AddMessage("late"));
}

namespace {

// Writes volume files and extracts them again, watching the events.
class Volumes : public ::testing::Test {
protected:
    static constexpr uint64_t kVolumeSize = 100000;

    void Write(const std::vector<TestMember>& members) {
        TCVNZipWriter w;
        ASSERT_TRUE(w.CreateVolumes(dir / "src/setup.exe", kVolumeSize));
        for (const auto& m : members)
            ASSERT_TRUE(w.AddMember(m.id, m.dosDateTime, m.data));
        ASSERT_TRUE(w.Finish()) << w.Error();
        volumes = w.VolumePaths();
    }
    void Bind(TSetupCVNZip& z) {
        z.OnRestoreFile.Bind([this](int32_t id, std::string& t, bool&, int32_t, int32_t&) {
            t = dir / ("out/" + std::to_string(id));
        });
        z.OnFileRestored.Bind(
            [this](int32_t id, const std::string&, OutputFile&, int32_t) { restored.push_back(id); });
    }
    std::vector<uint8_t> Out(int32_t id) { return ReadAll(dir / ("out/" + std::to_string(id))); }

    TempDir dir;
    std::vector<std::string> volumes;
    std::vector<int32_t> restored;
};

} // namespace

TEST_F(Volumes, RoundTripKeepsEveryVolumeWithinItsSizeAndContinuesMembers) {
    CreateFolderPath(dir / "src");
    std::vector<TestMember> members = {{1, TextData(40000)},
                                       {2, RandomData(250000)},
                                       {3, RandomData(10)},
                                       {4, RandomData(130000, 9)},
                                       {5, {}}};
    Write(members);
    ASSERT_GE(volumes.size(), 5u);
    EXPECT_EQ(volumes[0], dir / "src/setup.001");
    EXPECT_EQ(volumes[2], dir / "src/setup.003");
    for (size_t i = 0; i < volumes.size(); ++i) {
        auto bytes = ReadAll(volumes[i]);
        EXPECT_LE(bytes.size(), kVolumeSize) << volumes[i];
        if (i > 0) {
            EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "cVNZ") << volumes[i];
        }
    }

    TSetupCVNZip z;
    Bind(z);
    std::vector<int> asked;
    z.OnNeedVolume.Bind([&](uint16_t n, std::string& path, bool&) {
        asked.push_back(n);
        EXPECT_EQ(path, volumes[n - 2]) << "the handler sees the current volume's path";
    });
    EXPECT_TRUE(z.ExtractFromFile(volumes[0], dir / "unused"));
    EXPECT_EQ(asked.size(), volumes.size() - 1);
    for (auto& m : members)
        EXPECT_EQ(Out(m.id), m.data) << "member " << m.id;
    EXPECT_THAT(restored, ElementsAre(1, 2, 3, 4, 5)) << "each split member is reported once, when complete";
    EXPECT_EQ(z.ExtractedCount(), 5);
    uint32_t stamp = 0;
    ASSERT_TRUE(GetFileDosDateTime(dir / "out/2", stamp));
    EXPECT_EQ(stamp, uint32_t(members[1].dosDateTime));

    // Without a handler the volumes beside the first one are found all the same.
    TSetupCVNZip plain;
    Bind(plain);
    EXPECT_TRUE(plain.ExtractFromFile(volumes[0], ""));
    EXPECT_EQ(Out(4), members[3].data);
}

TEST_F(Volumes, HandlerCanPointToAnotherFolder) {
    CreateFolderPath(dir / "src");
    CreateFolderPath(dir / "disk2");
    Write({{1, RandomData(150000)}});
    ASSERT_EQ(volumes.size(), 2u);
    std::filesystem::rename(volumes[1], dir / "disk2/setup.002");

    TSetupCVNZip z;
    Bind(z);
    int calls = 0;
    z.OnNeedVolume.Bind([&](uint16_t n, std::string& path, bool&) {
        EXPECT_EQ(n, 2);
        // The first answer keeps the path (the file is missing there), the second
        // names the other folder and the current volume's file name.
        if (++calls == 2) path = dir / ("disk2/" + ExtractFileName(path));
    });
    EXPECT_TRUE(z.ExtractFromFile(volumes[0], ""));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(z.CurrentVolumePath(), dir / "disk2/setup.002");
    EXPECT_EQ(Out(1), RandomData(150000));
}

TEST_F(Volumes, MissingVolumeEndsThePassWithoutWaitingForever) {
    CreateFolderPath(dir / "src");
    Write({{1, RandomData(150000)}, {2, TextData(10)}});
    std::filesystem::remove(volumes[1]);

    TSetupCVNZip givesUp;
    Bind(givesUp);
    int calls = 0;
    givesUp.OnNeedVolume.Bind([&](uint16_t, std::string&, bool& go) { go = ++calls < 3; });
    EXPECT_FALSE(givesUp.ExtractFromFile(volumes[0], ""));
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(givesUp.ErrorCode(), 0);
    EXPECT_TRUE(restored.empty()) << "the first part of a split member is not a restored file";
    EXPECT_GT(Out(1).size(), 0u) << "but it stays where it was written";

    TSetupCVNZip stubborn;
    int asked = 0;
    stubborn.OnNeedVolume.Bind([&](uint16_t, std::string&, bool&) { ++asked; });
    EXPECT_FALSE(stubborn.ExtractFromFile(volumes[0], dir / "d"));
    EXPECT_EQ(asked, 100);

    TSetupCVNZip noHandler;
    EXPECT_FALSE(noHandler.ExtractFromFile(volumes[0], dir / "d"));
    EXPECT_FALSE(noHandler.IsBusy());
}

TEST_F(Volumes, SwitchBetweenRecordsStartsTheNextVolumeWithRecords) {
    // By hand: member 1 ends, then a switch; volume 2 begins with a message record.
    HandArchive one, two;
    one.Header(20, 2).Message("").Member(1).Stored(RandomData(10)).EndData().Switch(2);
    two.Message("second disk").Member(2).Stored(RandomData(10, 7)).EndData().End();
    CreateFolderPath(dir / "src");
    WriteAll(dir / "src/setup.001", one.Bytes());
    WriteAll(dir / "src/setup.002", two.Bytes());
    TSetupCVNZip z;
    Bind(z);
    std::vector<std::string> messages;
    z.OnMessage.Bind([&](const std::string& m) { messages.push_back(m); });
    EXPECT_TRUE(z.ExtractFromFile(dir / "src/setup.001", ""));
    EXPECT_THAT(messages, ElementsAre("", "second disk"));
    EXPECT_EQ(Out(1), RandomData(10));
    EXPECT_EQ(Out(2), RandomData(10, 7));
    EXPECT_THAT(restored, ElementsAre(1, 2));

    // Our writer makes such a switch only when a message does not fit and no member
    // is open to carry it.
    TCVNZipWriter w;
    ASSERT_TRUE(w.CreateVolumes(dir / "src/big.exe", TCVNZipWriter::kMinVolumeSize));
    ASSERT_TRUE(w.AddMessage(std::string(40000, 'a')));
    ASSERT_TRUE(w.AddMessage(std::string(40000, 'b')));
    ASSERT_TRUE(w.AddMember(3, 0, TextData(100)));
    ASSERT_TRUE(w.Finish());
    ASSERT_EQ(w.VolumePaths().size(), 2u);
    messages.clear();
    EXPECT_TRUE(z.ExtractFromFile(w.VolumePaths()[0], ""));
    EXPECT_EQ(messages.size(), 3u);
    EXPECT_EQ(Out(3), TextData(100));
}

TEST_F(Volumes, MemberSkippedAcrossASwitchIsSkippedInTheNextVolumeToo) {
    CreateFolderPath(dir / "src");
    Write({{1, RandomData(150000)}, {2, TextData(10)}});
    TSetupCVNZip z;
    Bind(z);
    z.OnRestoreFile.Bind([this](int32_t id, std::string& t, bool& extract, int32_t, int32_t&) {
        t = dir / ("out/" + std::to_string(id));
        extract = id != 1;
    });
    EXPECT_TRUE(z.ExtractFromFile(volumes[0], ""));
    EXPECT_FALSE(FileExists(dir / "out/1"));
    EXPECT_EQ(Out(2), TextData(10));
    EXPECT_THAT(restored, ElementsAre(2));
}
