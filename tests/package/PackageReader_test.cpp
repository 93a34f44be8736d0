#include "package/PackageReader.h"

#include "HandBytes.h"

#include <gtest/gtest.h>

using namespace cvn;
using namespace cvn::test;

namespace {

PackageResult ReadBytes(std::vector<uint8_t> bytes, TPackage& out) {
    MemoryInputStream s(std::move(bytes));
    TPackageReader r(s);
    return r.ReadAll(out);
}

PackageResult ReadBytes(std::vector<uint8_t> bytes) {
    TPackage p;
    return ReadBytes(std::move(bytes), p);
}

void ExpectCorrupted(const PackageResult& res, const std::string& reasonPart) {
    EXPECT_EQ(res.status, PackageStatus::Corrupted) << res.reason;
    EXPECT_STREQ(res.UserMessage(), kCorruptedMessage);
    EXPECT_NE(res.reason.find(reasonPart), std::string::npos) << "reason: " << res.reason;
}

// A stream whose reads fail after the first `okReads` calls.
class FailingStream final : public InputStream {
public:
    FailingStream(std::vector<uint8_t> data, int okReads) : inner_(std::move(data)), okReads_(okReads) {}
    size_t Read(void* buf, size_t n) override { return okReads_-- > 0 ? inner_.Read(buf, n) : 0; }
    bool Seek(uint64_t pos) override { return inner_.Seek(pos); }
    uint64_t Position() const override { return inner_.Position(); }
    uint64_t Size() const override { return inner_.Size(); }

private:
    MemoryInputStream inner_;
    int okReads_;
};

} // namespace

TEST(PackageReader, ReadsEverySectionOfAHandBuiltPackage) {
    std::array<uint32_t, 18> offs;
    auto bytes = SamplePackage().Build(&offs);
    MemoryInputStream s(bytes);
    TPackageReader reader(s);
    TPackage p;
    ASSERT_TRUE(reader.ReadAll(p)) << reader.ReadAll(p).reason;

    const TPackageLayout& l = reader.Layout();
    EXPECT_EQ(l.tableOffset, 64u);
    EXPECT_EQ(l.sections[0], 64u + 72);
    EXPECT_EQ(l.archiveOffset, offs[16]);
    EXPECT_EQ(l.SectionSize(16), 13u);
    EXPECT_EQ(l.SectionEnd(17), bytes.size() - 12);

    const TSettingsRecord& st = p.Settings();
    EXPECT_EQ(p.product.unused1, 0xAA);
    EXPECT_EQ(st.softwareName, "Pocket Tool");
    EXPECT_EQ(st.companyName, "Acme & Sons");
    EXPECT_EQ(st.defaultInstallDir, "%ActiveSyncDir%\\%SoftwareName%");
    EXPECT_EQ(st.setupTypeComponents[0], "Main|Docs");
    EXPECT_EQ(st.setupTypeComponents[2], "");
    EXPECT_EQ(p.product.requirements.minScreenClass, 2);
    EXPECT_EQ(p.product.requirements.minColorDepth, 16);
    EXPECT_EQ(p.product.requirements.minMemory, 64);
    EXPECT_EQ(p.product.unused13, -1);
    EXPECT_EQ(p.product.windows.minVersion, 0x05000000);
    EXPECT_EQ(p.product.windows.minServicePack, 0x0300);
    EXPECT_EQ(p.product.windows.maxVersion, 0x06010000);
    EXPECT_EQ(st.urlUpdateInfo, "http://example.com/update");

    ASSERT_EQ(p.languages.languages.size(), 2u);
    EXPECT_FALSE(p.languages.unnamedTable);
    EXPECT_EQ(p.languages.languages[1].name, "Deutsch");
    EXPECT_EQ(p.languages.languages[1].value, 7);
    EXPECT_EQ(p.languages.languages[1].isDefault, 1);
    EXPECT_EQ(p.languages.languages[1].messages[68], "de68");
    EXPECT_EQ(p.languages.languages[0].messages[0], "en0");

    const TAppearance& a = st.appearance;
    EXPECT_EQ(a.windowTitle, "%SoftwareName% Setup");
    EXPECT_EQ(a.backgroundMode, 1);
    EXPECT_EQ(a.gradientEnd, 0x80);
    EXPECT_EQ(a.splashPicture, "splash.bmp");
    EXPECT_EQ(a.setupFont, (TFontRecord{"Tahoma", 8, int32_t(0x80000008), 1, 0}));
    EXPECT_EQ(a.licenceFile, "licence.txt");

    EXPECT_EQ(p.flags, (TStartupFlags{0, 1, 0, 1, 0, 1, 1}));
    EXPECT_EQ(reader.Flags(), p.flags);

    ASSERT_EQ(p.customVariables.size(), 1u);
    EXPECT_EQ(p.customVariables[0].name, "%DataDir%");
    EXPECT_EQ(p.customVariables[0].registry.root, 1);
    EXPECT_EQ(p.customVariables[0].registry.data, "C:\\Data\\");
    EXPECT_EQ(p.customVariables[0].registry.word1, 0x1234);
    EXPECT_EQ(p.customVariables[0].stripBackslash, 1);

    ASSERT_EQ(p.backgroundItems.size(), 2u);
    EXPECT_TRUE(p.backgroundItems[0].IsText());
    EXPECT_EQ(p.backgroundItems[0].font.face, "Arial");
    EXPECT_EQ(p.backgroundItems[0].shadowColor, 0x404040);
    EXPECT_EQ(p.backgroundItems[1].pictureFile, "logo.bmp");
    EXPECT_EQ(p.backgroundItems[1].transparentColor, 0xFF00FF);

    EXPECT_EQ(p.progress.mainArchiveSize, 1000);
    EXPECT_DOUBLE_EQ(p.progress.factor, 0.05);
    ASSERT_EQ(p.components.size(), 1u);
    EXPECT_EQ(p.components[0], (TComponentRecord{"Docs", "Documentation", "docs.bmp", 5000, 1000, 50}));
    ASSERT_EQ(p.conduits.size(), 1u);
    EXPECT_EQ(p.conduits[0].creatorId, "ABCD");
    EXPECT_EQ(p.conduits[0].priority, 2);
    EXPECT_EQ(p.conduits[0].module, "module");

    EXPECT_EQ(p.billboards, (std::vector<std::string>{"bb1.bmp", "bb2.bmp"}));

    ASSERT_EQ(p.eventScripts[0].size(), 2u);
    EXPECT_EQ(p.eventScripts[0][0].code, 56);
    EXPECT_EQ(p.eventScripts[0][0].param[1], "1");
    EXPECT_EQ(p.eventScripts[0][1].condition, "%X% = 1|");
    EXPECT_TRUE(p.eventScripts[6].empty());

    ASSERT_EQ(p.dialogs.size(), 3u);
    const TDialogDefinition& d = p.dialogs[0];
    EXPECT_EQ(d.name, "Welcome");
    EXPECT_EQ(d.height, 300);
    EXPECT_EQ(d.width, 400);
    EXPECT_EQ(d.styleName, "Frame");
    ASSERT_EQ(d.controls.size(), 1u);
    EXPECT_EQ(d.controls[0].variable, "%Title%");
    EXPECT_EQ(d.controls[0].left, 10);
    EXPECT_EQ(d.controls[0].width, 200);
    EXPECT_EQ(d.controls[0].text[2], "1");
    ASSERT_EQ(d.controls[0].eventScript.size(), 1u);
    EXPECT_EQ(d.controls[0].eventScript[0].code, 16);
    ASSERT_EQ(d.leaveScript.size(), 1u);
    EXPECT_EQ(d.leaveScript[0].param[0], "");
    EXPECT_EQ(p.dialogs[2].outOfSequence, 1);

    EXPECT_EQ(p.installFolders, (std::vector<std::string>{"%InstallDir%\\Data\\"}));
    EXPECT_EQ(p.programGroupFolders, (std::vector<std::string>{"%ProgramGroupDir%\\Extras\\"}));

    ASSERT_EQ(p.supportFiles.size(), 1u);
    EXPECT_EQ(p.supportFiles[0].memberId, 7);
    EXPECT_EQ(p.supportFiles[0].entry.word1, 0x0102);

    EXPECT_EQ(p.deviceApplications.main.folder, "%InstallDir%\\");
    EXPECT_EQ(p.deviceApplications.main.cabFiles, "a.cab|b.cab");
    ASSERT_EQ(p.deviceApplications.extras.size(), 1u);
    EXPECT_EQ(p.deviceApplications.extras[0].cabFiles, "extra.cab");
    ASSERT_EQ(p.files.size(), 1u);
    const TFileRecord& f = p.files[0];
    EXPECT_EQ(f.memberId, 3);
    EXPECT_EQ(f.versionMS, 0x00010002u);
    EXPECT_EQ(f.versionLS, 0x00030004u);
    EXPECT_EQ(f.fileDate, 0x2C211234u);
    EXPECT_EQ(f.fileSize, 4096u);
    EXPECT_EQ(f.entry.sourceName, "C:\\src\\tool.exe");
    EXPECT_EQ(f.entry.overwriteMode, 3);
    EXPECT_EQ(f.entry.word1, 0xBEEF);
    EXPECT_EQ(f.entry.byte1, 9);
    EXPECT_EQ(f.entry.fontName, "Font Name");
    EXPECT_EQ(f.entry.components, "Docs|Help");
    EXPECT_EQ(f.entry.condition, "%IsNT% = 1|");

    ASSERT_EQ(p.shortcuts.size(), 1u);
    EXPECT_EQ(p.shortcuts[0].iconIndex, 2);
    EXPECT_EQ(p.shortcuts[0].word1, 0x0A0B);
    EXPECT_EQ(p.shortcuts[0].components, "Main");

    ASSERT_EQ(p.registry.size(), 1u);
    EXPECT_EQ(p.registry[0].root, 2);
    EXPECT_EQ(p.registry[0].valueType, 1);
    EXPECT_EQ(p.registry[0].word1, 0xCAFE);
    EXPECT_EQ(p.registry[0].condition, "%IsNT% = 1|");

    EXPECT_EQ(p.supportFilesFlag, 1);
    ASSERT_EQ(p.platforms.size(), 1u);
    EXPECT_EQ(p.platforms[0], (TPlatformRecord{1, "PPC2003", "PocketPC", "", 0x3E, 0x02, "4.20", "4.99"}));
}

TEST(PackageReader, SectionLoadersWorkAloneInAnyOrderAndRepeat) {
    auto bytes = SamplePackage().Build();
    MemoryInputStream s(bytes);
    TPackageReader reader(s);
    TProductSection first;
    EXPECT_EQ(reader.ReadProduct(first).status, PackageStatus::CannotRead); // not opened yet
    ASSERT_TRUE(reader.Open());
    std::vector<TPlatformRecord> platforms;
    ASSERT_TRUE(reader.ReadPlatforms(platforms));
    ASSERT_TRUE(reader.ReadProduct(first));
    TAppearance appearance;
    ASSERT_TRUE(reader.ReadAppearance(appearance));
    first.settings.appearance = appearance;
    TProductSection second = first;
    ASSERT_TRUE(reader.ReadProduct(second)); // the section read twice; appearance stays
    EXPECT_EQ(first, second);
    EXPECT_EQ(second.settings.appearance.windowTitle, "%SoftwareName% Setup");
    EXPECT_EQ(platforms.size(), 1u);

    // A damaged section leaves what the caller holds untouched.
    HandPackage hp = SamplePackage();
    hp.sec[0].b.resize(40);
    MemoryInputStream damaged(hp.Build());
    TPackageReader r2(damaged);
    ASSERT_TRUE(r2.Open());
    TProductSection kept = second;
    PackageResult res = r2.ReadProduct(kept);
    EXPECT_EQ(res.status, PackageStatus::Corrupted);
    EXPECT_NE(res.reason.find("section 0 (settings)"), std::string::npos) << res.reason;
    EXPECT_EQ(kept, second);
}

TEST(PackageReader, LanguageCountZeroGivesOneUnnamedTable) {
    HandPackage hp = SamplePackage();
    hp.sec[1] = {};
    hp.sec[1].i32(0);
    for (int m = 0; m < 69; ++m)
        hp.sec[1].str("m" + std::to_string(m));
    TPackage p;
    ASSERT_TRUE(ReadBytes(hp.Build(), p));
    EXPECT_TRUE(p.languages.languages.empty());
    ASSERT_TRUE(p.languages.unnamedTable);
    EXPECT_EQ((*p.languages.unnamedTable)[0], "m0");
    EXPECT_EQ((*p.languages.unnamedTable)[68], "m68");

    hp.sec[1].b.resize(hp.sec[1].b.size() - 4); // the last message and its zero are gone
    ExpectCorrupted(ReadBytes(hp.Build()), "section 1 (languages)");
}

TEST(PackageReader, FixedTextsAreCutTo1000Characters) {
    HandPackage hp = SamplePackage();
    const std::string longText(1500, 'x');
    hp.sec[2] = {};
    hp.sec[2]
        .str("")
        .str("")
        .str("")
        .u8(0)
        .i32(0)
        .i32(0)
        .u8(0)
        .u8(0)
        .str("")
        .font(longText, 8, 0, 0, 0)
        .str("");
    hp.sec[9] = {};
    hp.sec[9].i32(1).str(longText).str(std::string(1000, 'c')).i32(1).i32(1).font(longText, 8, 0, 0, 0).u8(0);
    hp.sec[9].str(longText).i32(1); // the style name is kept whole
    hp.sec[9].u8(9).str(longText).u8(0).i32(0).i32(0).i32(0).i32(0).str(longText).i32(0);
    hp.sec[9].i32(0).i32(0).i32(0).i32(0);
    TPackage p;
    ASSERT_TRUE(ReadBytes(hp.Build(), p));
    EXPECT_EQ(p.Settings().appearance.setupFont.face, std::string(1000, 'x'));
    EXPECT_EQ(p.Settings().appearance.setupFont.size, 8); // the fields after it are in place
    const TDialogDefinition& d = p.dialogs.at(0);
    EXPECT_EQ(d.name.size(), 1000u);
    EXPECT_EQ(d.caption.size(), 1000u);
    EXPECT_EQ(d.font.face.size(), 1000u);
    EXPECT_EQ(d.styleName.size(), 1500u);
    EXPECT_EQ(d.controls.at(0).variable.size(), 1000u);
    EXPECT_EQ(d.controls.at(0).text[0].size(), 1000u);
}

TEST(PackageReader, WordFieldTakesTwoBytesInThePackageAndOneInOldUninstallData) {
    Bytes two, one;
    two.fileEntry("a.dll", "%InstallDir%\\", 0x0201, true);
    one.fileEntry("a.dll", "%InstallDir%\\", 0x0201, false);
    EXPECT_EQ(two.size(), one.size() + 1);
    {
        ByteReader r(two.b);
        TFileEntry e = ReadFileEntry(r, WordWidth::Two);
        EXPECT_EQ(e.word1, 0x0201);
        EXPECT_EQ(e.condition, "%IsNT% = 1|");
        EXPECT_TRUE(r.AtEnd());
    }
    {
        ByteReader r(one.b);
        TFileEntry e = ReadFileEntry(r, WordWidth::One);
        EXPECT_EQ(e.word1, 0x01);
        EXPECT_EQ(e.text1, "t1");
        EXPECT_EQ(e.condition, "%IsNT% = 1|");
        EXPECT_TRUE(r.AtEnd());
    }
    {
        // The 1-byte form read as 2 bytes shifts every later field.
        ByteReader r(one.b);
        TFileEntry e = ReadFileEntry(r, WordWidth::Two);
        EXPECT_NE(e.text1, "t1");
    }
    Bytes reg1;
    reg1.u8(0).str("Key").i32(0).str("Name").str("Data").u8(0x7F).str("a").str("b").str("C").str("");
    ByteReader r(reg1.b);
    TRegistryRecord g = ReadRegistryRecord(r, WordWidth::One);
    EXPECT_EQ(g.word1, 0x7F);
    EXPECT_EQ(g.components, "C");
    EXPECT_TRUE(r.AtEnd());
    Bytes sc1;
    sc1.str("n").str("t").str("").str("").i32(1).str("f").str("").i32(0).u8(5).str("").str("x").str("").str(
        "");
    ByteReader rs(sc1.b);
    TShortcutRecord s = ReadShortcut(rs, WordWidth::One);
    EXPECT_EQ(s.word1, 5);
    EXPECT_EQ(s.text2, "x");
    EXPECT_TRUE(rs.AtEnd());
}

TEST(PackageReader, ShortOrForeignFilesAreCorrupted) {
    ExpectCorrupted(ReadBytes({}), "too short");
    ExpectCorrupted(ReadBytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}), "too short");
    ExpectCorrupted(ReadBytes(std::vector<uint8_t>(12, 0)), "magic");
    std::vector<uint8_t> exe(5000, 'Z');
    ExpectCorrupted(ReadBytes(exe), "magic is 0x5A5A5A5A");

    HandPackage hp = SamplePackage();
    hp.magic = 0x00535067;
    ExpectCorrupted(ReadBytes(hp.Build()), "magic");
}

TEST(PackageReader, WrongMagicIsReportedEvenWhenTheTableIsAlsoBroken) {
    auto bytes = SamplePackage().Build();
    PutI32(bytes, bytes.size() - 12, 0x7FFFFFF0);
    PutI32(bytes, bytes.size() - 4, 0);
    ExpectCorrupted(ReadBytes(bytes), "magic");
}

TEST(PackageReader, OffsetsOutsideTheFileOrOutOfOrderAreCorrupted) {
    std::array<uint32_t, 18> offs;
    const auto good = SamplePackage().Build(&offs);
    const size_t trailer = good.size() - 12;
    const size_t table = 64;
    {
        auto b = good;
        PutI32(b, trailer, int64_t(b.size())); // table beyond the file
        ExpectCorrupted(ReadBytes(b), "section table offset");
    }
    {
        auto b = good;
        PutI32(b, trailer, -8);
        ExpectCorrupted(ReadBytes(b), "section table offset -8");
    }
    {
        auto b = good;
        PutI32(b, trailer, int64_t(trailer) - 71); // the table would overlap the trailer
        ExpectCorrupted(ReadBytes(b), "section table offset");
    }
    {
        auto b = good;
        PutI32(b, table + 4 * 9, int64_t(trailer) + 1);
        ExpectCorrupted(ReadBytes(b), "section 9 (dialogs) starts at offset");
    }
    {
        auto b = good;
        PutI32(b, table + 4 * 12, -100);
        ExpectCorrupted(ReadBytes(b), "section 12 (files) starts at offset -100, outside");
    }
    {
        auto b = good;
        PutI32(b, table + 4 * 5, offs[3]); // before section 4
        ExpectCorrupted(ReadBytes(b), "section 5 (background items) starts at offset");
    }
    {
        auto b = good;
        PutI32(b, table, table); // section 0 inside the table
        ExpectCorrupted(ReadBytes(b), "inside the section table");
    }
    {
        auto b = good;
        PutI32(b, table + 4 * 4, offs[3] + 3); // flags section only three bytes long
        ExpectCorrupted(ReadBytes(b), "section 3 (start-up flags) holds 3 bytes");
    }
    {
        auto b = good;
        PutI32(b, trailer + 4, offs[17] + 1);
        ExpectCorrupted(ReadBytes(b), "archive offset");
    }
}

TEST(PackageReader, SectionsThatDoNotFitTheirSpanAreCorruptedWithTheirNumber) {
    {
        HandPackage hp = SamplePackage();
        hp.sec[13] = {};
        hp.sec[13].i32(1000000).str("only one name");
        ExpectCorrupted(ReadBytes(hp.Build()), "section 13 (shortcuts): shortcut count at offset");
    }
    {
        HandPackage hp = SamplePackage();
        hp.sec[12] = {};
        hp.sec[12].i32(0).str("").str("").i32(0x7FFFFFFF);
        ExpectCorrupted(ReadBytes(hp.Build()), "section 12 (files): file count");
    }
    {
        HandPackage hp = SamplePackage();
        hp.sec[4] = {};
        hp.sec[4].i32(-1);
        ExpectCorrupted(ReadBytes(hp.Build()), "custom variable count at offset");
    }
    {
        // A record that runs into the next section is caught at its own section's end,
        // even though the following section's bytes are in the file.
        HandPackage hp = SamplePackage();
        hp.sec[7] = {};
        hp.sec[7].i32(1).raw("bb1.bmp"); // no zero byte: section 8 follows
        ExpectCorrupted(ReadBytes(hp.Build()), "section 7 (billboards): billboard picture");
    }
    {
        // A text without its zero byte at the very end of the file (section 17 ends at the trailer).
        HandPackage hp = SamplePackage();
        hp.sec[17] = {};
        hp.sec[17].i32(1).u8(0).str("PPC").str("").str("").i32(0).i32(0).str("3.0").raw("4.99");
        ExpectCorrupted(ReadBytes(hp.Build()), "section 17 (device platforms): platform highest version");
    }
    {
        // A script parameter whose length reaches beyond the section.
        HandPackage hp = SamplePackage();
        hp.sec[8] = {};
        hp.sec[8].i32(1).i32(18).i32(100000).raw("abc");
        ExpectCorrupted(ReadBytes(hp.Build()), "section 8 (event scripts): statement parameter 1");
    }
    {
        HandPackage hp = SamplePackage();
        hp.sec[15] = {};
        ExpectCorrupted(ReadBytes(hp.Build()), "section 15 (support-files flag)");
    }
    {
        HandPackage hp = SamplePackage();
        hp.sec[6].b.resize(8); // the double is cut
        ExpectCorrupted(ReadBytes(hp.Build()), "progress factor");
    }
}

TEST(PackageReader, ArchiveOffsetZeroMeansVolumesAndSectionsStillLoad) {
    HandPackage hp = SamplePackage();
    hp.archiveInVolumes = true;
    hp.sec[16] = {};
    MemoryInputStream s(hp.Build());
    TPackageReader reader(s);
    TPackage p;
    ASSERT_TRUE(reader.ReadAll(p));
    EXPECT_TRUE(reader.Layout().MainArchiveInVolumes());
    EXPECT_EQ(reader.Layout().SectionSize(kSecMainArchive), 0u);
    EXPECT_EQ(p.platforms.size(), 1u);
}

TEST(PackageReader, ReadFailuresAreInternalErrorsNotCorruption) {
    auto bytes = SamplePackage().Build();
    for (int okReads : {0, 1, 2, 5}) {
        FailingStream s(bytes, okReads);
        TPackageReader reader(s);
        TPackage p;
        PackageResult res = reader.ReadAll(p);
        EXPECT_EQ(res.status, PackageStatus::CannotRead) << okReads << ": " << res.reason;
        EXPECT_STREQ(res.UserMessage(), kInternalErrorMessage);
    }
    TPackage p;
    PackageResult res = ReadPackageFile("/nonexistent/setup.exe", p);
    EXPECT_EQ(res.status, PackageStatus::CannotRead);
}

TEST(PackageReader, WizardPagesSkipInstallAndOutOfSequenceDialogs) {
    auto dlg = [](std::string name, uint8_t oos) {
        TDialogDefinition d;
        d.name = std::move(name);
        d.outOfSequence = oos;
        return d;
    };
    EXPECT_FALSE(FindWizardPageRange({}));
    EXPECT_FALSE(FindWizardPageRange({dlg("Install", 0), dlg("Style", 1)}));
    auto range = FindWizardPageRange({dlg("Style", 1), dlg("Welcome", 0), dlg("Licence", 0),
                                      dlg("iNsTaLl", 0), dlg("Done", 0), dlg("Ask", 2)});
    ASSERT_TRUE(range);
    EXPECT_EQ(range->first, 1u);
    EXPECT_EQ(range->last, 4u);
}
