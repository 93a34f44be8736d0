// The portable rules behind the Windows system services.

#include "install/CommandLine.h"
#include "install/FileFacts.h"
#include "install/Fonts.h"
#include "install/SystemFolders.h"
#include "install/SystemInfo.h"

#include <gtest/gtest.h>

#include <set>

namespace cvn {
namespace {

TEST(FolderRules, PathParts) {
    EXPECT_EQ(FileDirOf("C:\\a\\b\\x.exe"), "C:\\a\\b");
    EXPECT_EQ(FileDirOf("C:\\x.exe"), "C:\\");
    EXPECT_EQ(FileDirOf("C:x.exe"), "C:");
    EXPECT_EQ(FileDirOf("\\\\server\\x"), "\\\\server");
    EXPECT_EQ(FileDirOf("x.exe"), "");
    EXPECT_EQ(FileNameOf("C:\\a\\x.exe"), "x.exe");
    EXPECT_EQ(FileNameOf("C:x.exe"), "x.exe");
    EXPECT_EQ(FileNameOf("build/out\\x.dll"), "x.dll");
    EXPECT_EQ(FileNameOf("build\\out/x.dll"), "x.dll");
    EXPECT_EQ(DropTrailingBackslash("C:\\a\\"), "C:\\a");
    EXPECT_EQ(DropTrailingBackslash("C:\\"), "C:\\");
    EXPECT_EQ(DropTrailingBackslash("C:\\a\\\\"), "C:\\a\\");
    EXPECT_EQ(WithTrailingBackslash("C:\\a"), "C:\\a\\");
    EXPECT_EQ(WithTrailingBackslash("C:\\a\\"), "C:\\a\\");
    EXPECT_EQ(WithTrailingBackslash(""), "");
}

TEST(FolderRules, ActiveSyncDir) {
    EXPECT_EQ(ActiveSyncDirFrom("C:\\Program Files\\Microsoft ActiveSync\\CEAPPMGR.EXE", "C:\\Program Files"),
              "C:\\Program Files\\Microsoft ActiveSync");
    EXPECT_EQ(ActiveSyncDirFrom("\"D:\\AS\\CEAPPMGR.EXE\"", "C:\\Program Files"), "D:\\AS");
    // Without the application manager: Program Files, and the fall-back keeps its backslash.
    EXPECT_EQ(ActiveSyncDirFrom("", "C:\\Program Files"), "C:\\Program Files\\Microsoft ActiveSync\\");
    EXPECT_EQ(ActiveSyncDirFrom("CEAPPMGR.EXE", "C:\\Program Files\\"),
              "C:\\Program Files\\Microsoft ActiveSync\\");
    EXPECT_EQ(ActiveSyncDirFrom("", ""), "\\Microsoft ActiveSync\\");
    // A manager in a drive's root gives the drive without its backslash.
    EXPECT_EQ(ActiveSyncDirFrom("E:\\CEAPPMGR.EXE", "C:\\PF"), "E:");

    EXPECT_EQ(FormatActiveSyncVersion(3, 7), "3.7");
    EXPECT_EQ(FormatActiveSyncVersion(4, std::nullopt), "0.0");
    EXPECT_EQ(FormatActiveSyncVersion(std::nullopt, std::nullopt), "0.0");
}

TEST(FolderRules, DotNetDir) {
    std::set<std::string> files;
    auto exists = [&](const std::string& f) { return files.count(f) > 0; };
    std::vector<TFolderEntry> listing = {{".", true},           {"..", true},      {"v1.0", true},
                                         {"readme.txt", false}, {".hidden", true}, {"v1.1", true}};

    EXPECT_EQ(PickDotNetDir("C:\\NET", listing, exists), "");
    files = {"C:\\NET\\v1.1\\mscorcfg.dll", "C:\\NET\\.hidden\\mscorcfg.dll"};
    EXPECT_EQ(PickDotNetDir("C:\\NET\\", listing, exists), "C:\\NET\\v1.1\\");
    // The first folder in listing order that has the file wins.
    files.insert("C:\\NET\\v1.0\\mscorcfg.dll");
    EXPECT_EQ(PickDotNetDir("C:\\NET", listing, exists), "C:\\NET\\v1.0\\");
    // InstallRoot itself only counts when it has no sub-folders.
    files = {"C:\\NET\\mscorcfg.dll"};
    EXPECT_EQ(PickDotNetDir("C:\\NET", {{"a.txt", false}}, exists), "C:\\NET\\");
    EXPECT_EQ(PickDotNetDir("C:\\NET", listing, exists), "");
}

TEST(FolderRules, ShellFolderVariants) {
    std::vector<int> asked;
    std::string commonPrograms = "C:\\All\\Programs";
    auto lookup = [&](int csidl) -> std::string {
        asked.push_back(csidl);
        if (csidl == 2) return "C:\\Me\\Programs";
        if (csidl == 23) return commonPrograms;
        return {};
    };
    EXPECT_EQ(ResolveShellFolder(TShellFolderKind::Programs, true, true, lookup), "C:\\All\\Programs");
    // Without machine-wide rights the user's own folder is used, and all users' is not even asked.
    asked.clear();
    EXPECT_EQ(ResolveShellFolder(TShellFolderKind::Programs, true, false, lookup), "C:\\Me\\Programs");
    EXPECT_EQ(asked, std::vector<int>{2});
    EXPECT_EQ(ResolveShellFolder(TShellFolderKind::Programs, false, true, lookup), "C:\\Me\\Programs");
    commonPrograms.clear();
    EXPECT_EQ(ResolveShellFolder(TShellFolderKind::Programs, true, true, lookup), "C:\\Me\\Programs");
    EXPECT_EQ(ResolveShellFolder(TShellFolderKind(8), true, true, lookup), "");

    EXPECT_EQ(ShellFolderId(TShellFolderKind::Templates, true), 45);
    EXPECT_EQ(ShellFolderId(TShellFolderKind::SendTo, true), 9); // one folder for everybody
}

TEST(OSVersionRules, Parts) {
    TOSVersion xp{true, true, 5, 1, 2600, 0x300};
    EXPECT_EQ(OSVersionPart(xp, 0), 0x05010A28u);
    EXPECT_EQ(OSVersionPart(xp, 1), 5u);
    EXPECT_EQ(OSVersionPart(xp, 2), 1u);
    EXPECT_EQ(OSVersionPart(xp, 3), 2600u);
    EXPECT_EQ(OSVersionPart(xp, 4), 0x300u);
    EXPECT_EQ(OSVersionPart(xp, 5), 0u);
    // Only the low 16 bits of a large build enter the packed value.
    TOSVersion big{true, true, 10, 0, 0x12345, 0};
    EXPECT_EQ(OSVersionPart(big, 0), 0x0A002345u);
    EXPECT_EQ(OSVersionPart(big, 3), 0x12345u);
    EXPECT_EQ(OSVersionPart(TOSVersion{}, 1), 0u);
}

TEST(OSVersionRules, ServicePack) {
    const uint8_t sp6[] = {0x00, 0x06, 0x01, 0x00};
    const uint8_t three[] = {0x00, 0x06, 0x00};
    EXPECT_EQ(ServicePackFromCsdValue(4, sp6), 0x600u); // low 16 bits only
    EXPECT_EQ(ServicePackFromCsdValue(4, three), 0u);   // not exactly four bytes
    EXPECT_EQ(ServicePackFromCsdValue(3, sp6), 0u);     // REG_BINARY
    EXPECT_EQ(ServicePackFromCsdValue(1, sp6), 0u);     // text

    EXPECT_EQ(ServicePackFor(true, 4, 0x600, 0, 0), 0x600u);
    EXPECT_EQ(ServicePackFor(true, 3, 0x600, 0, 0), 0u);
    EXPECT_EQ(ServicePackFor(true, 5, 0x600, 4, 1), 0x401u);
    EXPECT_EQ(ServicePackFor(true, 6, 0, 2, 0x103), 0x203u); // the minor number keeps its low 8 bits
    EXPECT_EQ(ServicePackFor(false, 4, 0x600, 1, 0), 0u);
}

TEST(FileFactRules, FreeSpaceAndVersionText) {
    EXPECT_EQ(FreeKilobytes(512, 8, 2048), 8192u);
    EXPECT_EQ(FreeKilobytes(512, 8, 1023), 0u); // whole blocks of 1024 clusters only
    // 5 TB free on 64 KiB clusters: more kilobytes than 32 bits hold.
    EXPECT_EQ(FreeKilobytes(4096, 16, 83886080u), 5368709120ull);
    EXPECT_EQ(FreeKilobytes(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF), UINT64_MAX);
    EXPECT_EQ(MegabytesOf(268435456), 268u);
    EXPECT_EQ(MegabytesOf(UINT64_MAX), UINT32_MAX);

    EXPECT_EQ(FormatFileVersion(0x00010002, 0x00030004), "1.2.3.4");
    EXPECT_EQ(FormatFileVersion(0xFFFF0000, 0x0000FFFF), "65535.0.0.65535");
}

TEST(FontRules, RegisteredName) {
    EXPECT_EQ(FontRegisteredName("C:\\WINDOWS\\Fonts\\a.ttf", "c:\\windows\\fonts"), "a.ttf");
    EXPECT_EQ(FontRegisteredName("C:\\WINDOWS\\Fonts\\a.ttf", "C:\\WINDOWS\\Fonts\\"), "a.ttf");
    EXPECT_EQ(FontRegisteredName("a.ttf", "C:\\WINDOWS\\Fonts"), "a.ttf");
    // Elsewhere Windows could not find the file by name alone.
    EXPECT_EQ(FontRegisteredName("D:\\App\\a.ttf", "C:\\WINDOWS\\Fonts"), "D:\\App\\a.ttf");
    EXPECT_EQ(FontRegisteredName("C:\\WINDOWS\\Fonts\\Sub\\a.ttf", "C:\\WINDOWS\\Fonts"),
              "C:\\WINDOWS\\Fonts\\Sub\\a.ttf");
    EXPECT_EQ(FontRegisteredName("D:\\a.ttf", ""), "D:\\a.ttf");
}

TEST(CommandLineRules, Split) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitCommandLine("\"C:\\My Setup\\setup.exe\" /s  two"),
              (V{"C:\\My Setup\\setup.exe", "/s", "two"}));
    EXPECT_EQ(SplitCommandLine("setup.exe a\"b c\"d \"\" e"), (V{"setup.exe", "ab cd", "e"}));
    EXPECT_EQ(SplitCommandLine("  x\t\ty  "), (V{"x", "y"}));
    EXPECT_EQ(SplitCommandLine("x \"unclosed arg"), (V{"x", "unclosed arg"}));
    EXPECT_EQ(SplitCommandLine(""), V{});
}

} // namespace
} // namespace cvn
