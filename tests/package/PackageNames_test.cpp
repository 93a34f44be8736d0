#include "package/PackageNames.h"
#include "package/PackageReader.h"
#include "package/PackageWriter.h"

#include <gtest/gtest.h>

#include <functional>

using namespace cvn;

namespace {

bool Accepted(const std::string& name, TNameKind kind) {
    return NameProblem(name, kind).empty();
}

} // namespace

TEST(PackageNames, PathsMayBeFullButNeverClimbNameDevicesOrEndInDotsOrSpaces) {
    for (const char* ok :
         {"C:\\Program Files\\Harbour Soft\\", "%InstallDir%\\sub/deeper/", "\\\\server\\share\\a", "app.exe",
          "a.b.c", "COM", "COM10", "console.txt", "LPTX", "nul_", ".hidden", ""})
        EXPECT_TRUE(Accepted(ok, TNameKind::Path)) << ok;
    for (const char* bad :
         {"%InstallDir%\\..\\Windows\\", "a/../b", "..", "%InstallDir%\\CON\\", "nul.txt", "Aux .log", "com1",
          "LPT9.dat", "conout$", "dir.\\x", "x ", "%InstallDir%\\.\\", "a\\b.txt:stream", "C:\\a:b"})
        EXPECT_FALSE(Accepted(bad, TNameKind::Path)) << bad;
}

TEST(PackageNames, ShortcutNamesStayBelowTheirFolderAndPicturesAreBareNames) {
    EXPECT_TRUE(Accepted("Tools\\Tide Charts", TNameKind::RelativePath));
    for (const char* bad :
         {"\\Tide Charts", "/Tide Charts", "C:Tide Charts", "D:\\Startup\\x", "..\\..\\Startup\\x"})
        EXPECT_FALSE(Accepted(bad, TNameKind::RelativePath)) << bad;

    EXPECT_TRUE(Accepted("splash.bmp", TNameKind::BareName));
    EXPECT_TRUE(Accepted("", TNameKind::BareName)) << "empty means no picture";
    for (const char* bad :
         {"pics\\splash.bmp", "pics/splash.bmp", "C:splash.bmp", "..", "PRN", "splash.bmp."})
        EXPECT_FALSE(Accepted(bad, TNameKind::BareName)) << bad;
}

// Each hostile name, in each place the package gives one, makes the whole package
// damaged, with the section and the name in the reason.
TEST(PackageReader, EveryBadNameInThePackageIsDamage) {
    struct Case {
        const char* section;
        std::function<void(TPackage&)> put;
    };
    const std::vector<Case> cases = {
        {"section 2", [](TPackage& p) { p.Settings().appearance.splashPicture = "..\\boot.ini"; }},
        {"section 2", [](TPackage& p) { p.Settings().appearance.licenceFile = "C:\\secret.txt"; }},
        {"section 5",
         [](TPackage& p) {
             p.backgroundItems.emplace_back().kind = 1;
             p.backgroundItems.back().pictureFile = "a/b.bmp";
         }},
        {"section 6", [](TPackage& p) { p.components.emplace_back().iconFile = "NUL"; }},
        {"section 7", [](TPackage& p) { p.billboards.push_back("slide1.bmp "); }},
        {"section 10", [](TPackage& p) { p.installFolders.push_back("%InstallDir%\\..\\..\\"); }},
        {"section 11",
         [](TPackage& p) { p.supportFiles.emplace_back().entry.sourceName = "..\\..\\evil.dll"; }},
        {"section 11", [](TPackage& p) { p.supportFiles.emplace_back().entry.sourceName = "build\\"; }},
        {"section 12", [](TPackage& p) { p.files.emplace_back().entry.sourceName = "a/../../evil.dll"; }},
        {"section 12",
         [](TPackage& p) {
             p.files.emplace_back().entry.sourceName = "a.dll";
             p.files.back().entry.targetDir = "%WinDir%\\AUX\\";
         }},
        {"section 13", [](TPackage& p) { p.shortcuts.emplace_back().name = "C:\\Startup\\run"; }},
        {"section 13",
         [](TPackage& p) {
             p.shortcuts.emplace_back().name = "App";
             p.shortcuts.back().folder = "%ProgramGroupDir%\\..";
         }},
    };
    const std::vector<uint8_t> stub(64, 'M');
    for (const Case& c : cases) {
        TPackage p;
        c.put(p);
        std::vector<uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(WritePackage(stub, p, {}, bytes, error)) << error;
        MemoryInputStream s(bytes);
        TPackageReader reader(s);
        TPackage read;
        PackageResult res = reader.ReadAll(read);
        EXPECT_EQ(res.status, PackageStatus::Corrupted) << c.section << ": " << res.reason;
        EXPECT_STREQ(res.UserMessage(), kCorruptedMessage);
        EXPECT_EQ(res.reason.rfind(std::string(c.section) + " ", 0), 0u) << res.reason;
    }
    // The same places with sound names read fine.
    TPackage good;
    good.Settings().appearance.splashPicture = "splash.bmp";
    good.files.emplace_back().entry.sourceName = "C:\\Build\\Release\\app.exe";
    good.files.back().entry.targetDir = "%InstallDir%\\bin/";
    good.shortcuts.emplace_back().name = "Tools\\Tide Charts";
    good.shortcuts.back().folder = "%ProgramGroupDir%\\";
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(WritePackage(stub, good, {}, bytes, error)) << error;
    MemoryInputStream s(bytes);
    TPackage read;
    PackageResult res = TPackageReader(s).ReadAll(read);
    EXPECT_TRUE(res) << res.reason;
}
