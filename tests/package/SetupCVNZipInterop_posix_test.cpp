// Blocks exchanged with the stock bzip2 program: each block is one complete bzip2
// stream, so what the command line makes we read, and what we make it reads.

#include "SetupCVNZipTestSupport.h"

#include "core/ByteReader.h"
#include "package/SetupCVNZip.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace cvn;
using namespace cvn::test;

namespace {

int Shell(const std::string& command) {
    return std::system(command.c_str());
}

std::string Quoted(const std::string& path) {
    return "'" + path + "'";
}

} // namespace

TEST(ArchiveInterop, BlocksCompressedByTheBzip2ProgramAreRead) {
    TempDir dir;
    ASSERT_EQ(Shell("command -v bzip2 >/dev/null"), 0) << "the bzip2 program is needed";
    auto text = TextData(65536, 11), noise = RandomData(65536, 12);
    WriteAll(dir / "text", text);
    WriteAll(dir / "noise", noise);
    ASSERT_EQ(Shell("bzip2 -c " + Quoted(dir / "text") + " > " + Quoted(dir / "text.bz2")), 0);
    ASSERT_EQ(Shell("bzip2 -c " + Quoted(dir / "noise") + " > " + Quoted(dir / "noise.bz2")), 0);
    auto noiseStream = ReadAll(dir / "noise.bz2");
    EXPECT_GT(noiseStream.size(), 65536u) << "incompressible data grows, and must still be read";

    HandArchive a;
    a.Header(2 * 65536, 1)
        .Message("")
        .Member(1)
        .Compressed(ReadAll(dir / "text.bz2"))
        .Compressed(noiseStream);
    a.EndData().End();
    TSetupCVNZip z;
    z.OnRestoreFile.Bind([&](int32_t, std::string& t, bool&, int32_t, int32_t&) { t = dir / "out/file"; });
    MemoryInputStream in(a.Bytes());
    ASSERT_TRUE(z.ExtractFromStream(in, ""));
    text.insert(text.end(), noise.begin(), noise.end());
    EXPECT_EQ(ReadAll(dir / "out/file"), text);
}

TEST(ArchiveInterop, BlocksOfOurWriterAreReadByTheBzip2Program) {
    TempDir dir;
    auto data = TextData(65536 + 5000, 13);
    auto archive = WriteArchive({{1, data}});
    ByteReader r(archive);
    r.Counted();
    r.Skip(16); // totals and the empty message
    r.Skip(12); // member id, date and magic
    size_t at = 0;
    for (int block = 0;; ++block) {
        int32_t b = r.I32();
        if (b == -4) break;
        ASSERT_GT(b, 0) << "text blocks are compressed";
        auto stream = r.Bytes(size_t(b));
        std::string name = dir / ("block" + std::to_string(block));
        WriteAll(name + ".bz2", std::vector<uint8_t>(stream.begin(), stream.end()));
        ASSERT_EQ(Shell("bzip2 -d -c " + Quoted(name + ".bz2") + " > " + Quoted(name)), 0);
        auto out = ReadAll(name);
        size_t expected = std::min<size_t>(65536, data.size() - at);
        ASSERT_EQ(out.size(), expected);
        EXPECT_TRUE(std::equal(out.begin(), out.end(), data.begin() + at)) << "block " << block;
        at += out.size();
    }
    EXPECT_EQ(at, data.size());
}
