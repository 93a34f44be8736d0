#include "package/UninstallData.h"

#include "HandBytes.h"

#include <gtest/gtest.h>

namespace cvn {
namespace {

using test::Bytes;

TUninstallData SampleData() {
    TUninstallData d;
    d.softwareName = "Acme Tool";
    d.description = "A tool";
    d.companyName = "Acme";
    d.keepSystemFont = 1;
    d.uninstallerOption = 2;
    d.font = {"Tahoma", 9, 0x112233, 1, 0};
    for (size_t i = 0; i < d.uninstallerTexts.size(); ++i)
        d.uninstallerTexts[i] = "u" + std::to_string(i);
    d.promptButtons = {"Ja", "Ja alle", "Nein", "Nein alle"};
    d.fileLabels = {"Alt", "Neu"};
    d.deviceConnectionText = "Connecting";
    d.afterUninstall.push_back(TScriptStatement{10, {}, "%A% = 1|"}); // FileClose: no parameters
    d.setupPath = "D:\\setup.exe";
    d.iconPath = "C:\\Acme\\Acme Tool.ico";
    d.installedComponents = "Main|Help";
    d.platforms.push_back(TPlatformRecord{1, "PPC", "PocketPC", "a, b", 3, 4, "3.0", "4.99"});
    d.variables = {"%A%=1", "%B%=x=y"};
    return d;
}

// The header of SampleData written field by field, in "iUNS" form.
Bytes SampleHeader() {
    Bytes b;
    b.raw("iUNS").str("Acme Tool").str("A tool").str("Acme").u8(1).u8(2);
    b.font("Tahoma", 9, 0x112233, 1, 0);
    for (int i = 0; i < 24; ++i)
        b.str("u" + std::to_string(i));
    b.str("Ja").str("Ja alle").str("Nein").str("Nein alle").str("Alt").str("Neu").str("Connecting");
    b.i32(0);                               // script A: no statements
    b.i32(1).i32(10).scrambled("%A% = 1|"); // script B: code 10, its condition
    b.str("D:\\setup.exe").str("C:\\Acme\\Acme Tool.ico").str("Main|Help");
    b.i32(1).u8(1).str("PPC").str("PocketPC").str("a, b").i32(3).i32(4).str("3.0").str("4.99");
    b.i32(2).str("%A%=1").str("%B%=x=y");
    return b;
}

TEST(UninstallData, HeaderAndEveryItemKindMatchTheStoredLayout) {
    TUninstallData d = SampleData();
    TUninstallItem file;
    file.kind = ukFile;
    file.path = "C:\\Acme\\a.dll";
    file.file.sourceName = "D:\\build\\a.dll"; // only the name is kept
    file.file.targetDir = "%InstallDir%\\";
    file.file.overwriteMode = 4;
    file.file.word1 = 0x0102;
    file.file.text2 = "X:\\y\\z.txt";
    file.file.components = "Main";
    TUninstallItem dir{ukDirectory, "C:\\Acme", {}, {}};
    TUninstallItem reg;
    reg.kind = ukRegistryValue;
    reg.registry = {2, "Software\\Acme", 1, "Count", "5", 7, "", "", "", ""};
    TUninstallItem conduit{ukConduit, "ABCD", {}, {}};
    TUninstallItem odd{9, "ignored", {}, {}};
    d.items = {file, dir, reg, conduit, odd};

    Bytes b = SampleHeader();
    b.i32(5);
    b.u8(0).str("C:\\Acme\\a.dll").str("a.dll").str("%InstallDir%\\").u8(4).u16(0x0102).str("");
    b.u8(0).u8(0).u8(0).u8(0).u8(0).u8(0).str("z.txt").u8(0).str("").str("").str("Main").str("");
    b.u8(4).str("C:\\Acme");
    b.u8(5).u8(2).str("Software\\Acme").i32(1).str("Count").str("5").u16(7).str("").str("").str("").str("");
    b.u8(6).str("ABCD");
    b.u8(9);
    EXPECT_EQ(BuildUninstallData(d), b.b);

    ByteReader r(b.b);
    TUninstallData back = ReadUninstallData(r);
    EXPECT_TRUE(r.AtEnd());
    EXPECT_EQ(back.version, 'i');
    EXPECT_EQ(back.font.face, "Tahoma");
    EXPECT_EQ(back.uninstallerTexts[23], "u23");
    EXPECT_EQ(back.promptButtons[3], "Nein alle");
    EXPECT_EQ(back.fileLabels[1], "Neu");
    ASSERT_EQ(back.afterUninstall.size(), 1u);
    EXPECT_EQ(back.afterUninstall[0].condition, "%A% = 1|");
    ASSERT_EQ(back.platforms.size(), 1u);
    EXPECT_EQ(back.platforms[0].maxVersion, "4.99");
    EXPECT_EQ(back.variables[1], "%B%=x=y");
    ASSERT_EQ(back.items.size(), 5u);
    EXPECT_EQ(back.items[0].file.sourceName, "a.dll");
    EXPECT_EQ(back.items[0].file.word1, 0x0102);
    EXPECT_EQ(back.items[2].registry.data, "5");
    EXPECT_EQ(back.items[3].path, "ABCD");
    EXPECT_EQ(back.items[4].kind, 9);
    EXPECT_TRUE(back.items[4].path.empty());
}

TEST(UninstallData, ModeSevenIsStoredAsModeEightWithSharedSet) {
    TUninstallItem item;
    item.kind = ukDeviceFile;
    item.path = "C:\\a.cab";
    item.file.overwriteMode = 7;
    ByteWriter w;
    WriteUninstallItem(w, item);
    ByteReader r(w.Data());
    TUninstallItem back = ReadUninstallItem(r);
    EXPECT_EQ(back.file.overwriteMode, 8);
    EXPECT_EQ(back.file.shared, 1);

    item.file.overwriteMode = 6; // other modes keep Shared as it is
    ByteWriter w2;
    WriteUninstallItem(w2, item);
    ByteReader r2(w2.Data());
    EXPECT_EQ(ReadUninstallItem(r2).file.shared, 0);
}

TEST(UninstallData, PreviousItemsComeFirstAndTheCountCoversBoth) {
    std::vector<TUninstallItem> previous = {{ukDirectory, "old", {}, {}}};
    std::vector<TUninstallItem> current = {{ukPlainFile, "new1", {}, {}}, {ukPlainFile, "new2", {}, {}}};
    ByteWriter w;
    WriteUninstallItems(w, previous, current);
    Bytes b;
    b.i32(3).u8(4).str("old").u8(2).str("new1").u8(2).str("new2");
    EXPECT_EQ(w.Data(), b.b);
}

// The older formats, as earlier setups wrote them: "e" without the button texts and
// file labels, "f" without the labels, "e" to "g" with one-byte word fields, and
// everything before "i" without the kind byte of platform rows.
Bytes OldFormat(char version) {
    Bytes b;
    b.raw(std::string(1, version) + "UNS").str("App").str("").str("Co").u8(0).u8(0);
    b.font("Arial", 8, 0, 0, 0);
    for (int i = 0; i < 24; ++i)
        b.str("t");
    if (version >= 'f') b.str("Y").str("YA").str("N").str("NA");
    if (version >= 'g') b.str("E").str("D");
    b.str("dev").i32(0).i32(0).str("s.exe").str("").str("Main");
    b.i32(1);
    if (version >= 'i') b.u8(0);
    b.str("P").str("PF").str("").i32(1).i32(2).str("1").str("2");
    b.i32(0);
    b.i32(2);
    b.u8(1).str("C:\\a.cab").fileEntry("a.cab", "%InstallDir%\\", 0x34, version >= 'h');
    b.u8(5).u8(1).str("Software\\X").i32(0).str("v").str("d");
    if (version >= 'h')
        b.u16(0x56);
    else
        b.u8(0x56);
    b.str("").str("").str("").str("");
    return b;
}

TEST(UninstallData, EveryOlderVersionReads) {
    for (char v : {'e', 'f', 'g', 'h', 'i'}) {
        SCOPED_TRACE(std::string(1, v));
        Bytes b = OldFormat(v);
        ByteReader r(b.b);
        TUninstallData d = ReadUninstallData(r);
        EXPECT_TRUE(r.AtEnd());
        EXPECT_EQ(d.version, v);
        EXPECT_EQ(d.promptButtons[0], v >= 'f' ? "Y" : "Yes");
        EXPECT_EQ(d.fileLabels[1], v >= 'g' ? "D" : "Destination File");
        EXPECT_EQ(d.platforms.at(0).name, "P");
        ASSERT_EQ(d.items.size(), 2u);
        EXPECT_EQ(d.items[0].file.word1, 0x34);
        EXPECT_EQ(d.items[0].file.components, "Docs|Help");
        EXPECT_EQ(d.items[1].registry.word1, 0x56);
        EXPECT_EQ(d.items[1].registry.key, "Software\\X");
    }
}

TEST(UninstallData, DamagedDataIsRefusedWithAReason) {
    Bytes wrong;
    wrong.raw("jUNS").str("x");
    ByteReader r1(wrong.b);
    try {
        ReadUninstallData(r1);
        FAIL();
    } catch (const FormatError& e) {
        EXPECT_STREQ(e.what(), kInvalidUninstallData);
    }

    // Cut anywhere: a clear error, never a read past the end.
    std::vector<uint8_t> whole = BuildUninstallData(SampleData());
    for (size_t n = 0; n < whole.size(); ++n) {
        std::vector<uint8_t> part(whole.begin(), whole.begin() + long(n));
        ByteReader r(part);
        EXPECT_THROW(ReadUninstallData(r), FormatError) << n;
    }

    // A count that the remaining bytes cannot hold is refused before anything is reserved.
    Bytes huge = SampleHeader();
    huge.i32(0x7FFFFFFF);
    ByteReader r2(huge.b);
    EXPECT_THROW(ReadUninstallData(r2), FormatError);
}

} // namespace
} // namespace cvn
