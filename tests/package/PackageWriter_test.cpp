#include "package/PackageReader.h"
#include "package/PackageWriter.h"

#include "HandBytes.h"

#include <gtest/gtest.h>

using namespace cvn;
using namespace cvn::test;

namespace {

TPackage ReadOrFail(const std::vector<uint8_t>& bytes, TPackageLayout* layout = nullptr) {
    MemoryInputStream s(bytes);
    TPackageReader r(s);
    TPackage p;
    PackageResult res = r.ReadAll(p);
    EXPECT_TRUE(res) << res.reason;
    if (layout) *layout = r.Layout();
    return p;
}

std::vector<uint8_t> WriteOrFail(const std::vector<uint8_t>& stub, const TPackage& p,
                                 const TArchiveParts& a) {
    std::vector<uint8_t> out;
    std::string error;
    EXPECT_TRUE(WritePackage(stub, p, a, out, error)) << error;
    return out;
}

std::vector<uint8_t> Fill(size_t n, char c) {
    return std::vector<uint8_t>(n, uint8_t(c));
}

} // namespace

TEST(PackageWriter, ReproducesAHandBuiltPackageByteForByte) {
    HandPackage hp = SamplePackage();
    // Section 6 as the writer derives it: 13 archive bytes, no component archives.
    hp.sec[6] = {};
    hp.sec[6]
        .i32(13)
        .f64(100.0 / 13)
        .i32(1)
        .str("Docs")
        .str("Documentation")
        .str("docs.bmp")
        .i32(0)
        .i32(0)
        .i32(100);
    hp.sec[6].i32(0);
    const auto hand = hp.Build();
    TPackage p = ReadOrFail(hand);

    TArchiveParts a;
    a.mainArchive.assign(hp.sec[16].b.begin(), hp.sec[16].b.end());
    EXPECT_EQ(WriteOrFail(hp.stub, p, a), hand);
}

TEST(PackageWriter, PlacesComponentArchivesAfterTheMainArchive) {
    TPackage p = ReadOrFail(SamplePackage().Build());
    p.components.resize(3);
    p.components[1].name = "Empty";
    p.components[2].name = "Big";
    TArchiveParts a;
    a.mainArchive = Fill(60, 'M');
    a.componentArchives = {Fill(10, 'A'), {}, Fill(30, 'C')};
    const std::vector<uint8_t> stub = Fill(1000, 'S');
    auto bytes = WriteOrFail(stub, p, a);

    TPackageLayout l;
    TPackage back = ReadOrFail(bytes, &l);
    EXPECT_EQ(l.tableOffset, 1000u);
    EXPECT_EQ(l.sections[0], 1072u);
    EXPECT_EQ(l.archiveOffset, l.sections[kSecMainArchive]);
    EXPECT_EQ(l.SectionSize(kSecMainArchive), 100u);
    EXPECT_TRUE(std::equal(stub.begin(), stub.end(), bytes.begin()));
    EXPECT_EQ(bytes[l.archiveOffset], 'M');

    EXPECT_EQ(back.progress.mainArchiveSize, 60);
    EXPECT_DOUBLE_EQ(back.progress.factor, 1.0);
    ASSERT_EQ(back.components.size(), 3u);
    EXPECT_EQ(back.components[0].archiveOffset, int32_t(l.archiveOffset + 60));
    EXPECT_EQ(back.components[0].archiveSize, 10);
    EXPECT_EQ(back.components[0].progressStart, 60);
    EXPECT_EQ(back.components[1].archiveOffset, 0);
    EXPECT_EQ(back.components[1].archiveSize, 0);
    EXPECT_EQ(back.components[1].progressStart, 70);
    EXPECT_EQ(back.components[2].archiveOffset, int32_t(l.archiveOffset + 70));
    EXPECT_EQ(back.components[2].progressStart, 70);
    EXPECT_EQ(bytes[back.components[0].archiveOffset], 'A');
    EXPECT_EQ(bytes[back.components[2].archiveOffset + 29], 'C');
    EXPECT_EQ(bytes[back.components[2].archiveOffset + 30], bytes[l.sections[kSecPlatforms]]);

    // Everything but the derived section 6 values comes back as it went in.
    back.progress = p.progress;
    for (size_t i = 0; i < 3; ++i) {
        back.components[i].archiveOffset = p.components[i].archiveOffset;
        back.components[i].archiveSize = p.components[i].archiveSize;
        back.components[i].progressStart = p.components[i].progressStart;
    }
    EXPECT_EQ(back, p);
}

TEST(PackageWriter, MainArchiveInVolumesLeavesArchiveOffsetZero) {
    TPackage p = ReadOrFail(SamplePackage().Build());
    TArchiveParts a;
    a.mainArchiveInVolumes = true;
    a.volumeArchiveSize = 100;
    a.componentArchives = {Fill(25, 'D')};
    TPackageLayout l;
    auto bytes = WriteOrFail(Fill(10, 'S'), p, a);
    TPackage back = ReadOrFail(bytes, &l);
    EXPECT_TRUE(l.MainArchiveInVolumes());
    EXPECT_EQ(l.SectionSize(kSecMainArchive), 25u);
    EXPECT_EQ(back.progress.mainArchiveSize, 0);
    EXPECT_DOUBLE_EQ(back.progress.factor, 100.0 / 125);
    EXPECT_EQ(back.components[0].archiveOffset, int32_t(l.sections[kSecMainArchive]));
    EXPECT_EQ(back.components[0].progressStart, 80);
}

TEST(PackageWriter, AnEmptyModelMakesAValidPackage) {
    TPackage empty;
    auto bytes = WriteOrFail({}, empty, {});
    TPackage back = ReadOrFail(bytes);
    ASSERT_TRUE(back.languages.unnamedTable); // no languages: one unnamed, empty table
    EXPECT_TRUE(back.languages.languages.empty());
    EXPECT_DOUBLE_EQ(back.progress.factor, 0.0);
    back.languages.unnamedTable.reset();
    EXPECT_EQ(back, empty);
}

TEST(PackageWriter, CutsFixedTextsAndRefusesImpossibleLayouts) {
    TPackage p;
    TDialogDefinition d;
    d.name = std::string(1200, 'n');
    d.font.face = std::string(1001, 'f');
    TControlDefinition c;
    c.kind = 1;
    c.text[0] = std::string(5000, 't');
    c.text[5] = "not stored for a label";
    d.controls.push_back(c);
    p.dialogs.push_back(d);
    TPackage back = ReadOrFail(WriteOrFail({}, p, {}));
    EXPECT_EQ(back.dialogs[0].name, std::string(1000, 'n'));
    EXPECT_EQ(back.dialogs[0].font.face.size(), 1000u);
    EXPECT_EQ(back.dialogs[0].controls[0].text[0].size(), 1000u);
    EXPECT_EQ(back.dialogs[0].controls[0].text[5], "");

    std::vector<uint8_t> out;
    std::string error;
    TArchiveParts tooMany;
    tooMany.componentArchives = {Fill(1, 'x')};
    EXPECT_FALSE(WritePackage({}, p, tooMany, out, error));
    EXPECT_NE(error.find("component archives"), std::string::npos);
    TArchiveParts both;
    both.mainArchive = Fill(1, 'x');
    both.mainArchiveInVolumes = true;
    EXPECT_FALSE(WritePackage({}, p, both, out, error));
}
