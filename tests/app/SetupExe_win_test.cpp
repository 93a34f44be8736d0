#include "SetupProcess_win.h"
#include "TestPackage.h"

#include "core/Handle_win.h"
#include "package/PackageReader.h"
#include "package/StatementCodes.h"
#include "ui/Picture.h"

#include <gtest/gtest.h>

#include <random>

using namespace cvn;
using namespace cvn::test;
using namespace std::chrono_literals;

namespace {

uint8_t Code(StatementCommand c) {
    return uint8_t(c);
}

// Whether the screen shows a matching colour at (x, y) within a second: windows of
// another process paint in their own time.
template <typename Match> bool WaitForScreenColour(int x, int y, Match match) {
    for (int i = 0; i < 100; ++i) {
        HDC screen = GetDC(nullptr);
        COLORREF c = GetPixel(screen, x, y);
        ReleaseDC(nullptr, screen);
        if (match(c)) return true;
        Sleep(10);
    }
    return false;
}

// Runs setup.exe with a package the test describes, in a folder of its own with a
// private temporary folder, and lets the test talk to it.
class SetupExe : public ::testing::Test {
protected:
    void SetUp() override {
        stub = ReadText(SetupStubPath());
        ASSERT_FALSE(stub.empty()) << "no setup.exe at " << SetupStubPath();
        folder = MakeScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        temp = folder + "\\temp";
        CreateDirectoryA(temp.c_str(), nullptr);
        pkg.supportFiles = {
            {3, "splash.bmp", "%TempSetupDir%\\", BitmapFile(120, 80, 30, 90, 160)},
            {7, "readme.txt", "%TempSetupDir%\\", "Read me first."},
        };
        pkg.package.Settings().appearance.splashPicture = "Splash.BMP";
        // Shows where the support files are, so the test can look while the box is up.
        pkg.package.eventScripts[0] = {
            {Code(StatementCommand::scMessageBox), {"Probe", "%TempSetupDir%", ""}, ""}};
    }
    void TearDown() override { RemoveTree(folder); }

    std::unique_ptr<SetupProcess> Start(std::vector<uint8_t> bytes) {
        const std::string exe = folder + "\\setup.exe";
        EXPECT_TRUE(WriteBytes(exe, bytes.data(), bytes.size()));
        auto p = std::make_unique<SetupProcess>(exe, temp);
        EXPECT_TRUE(p->Started());
        return p;
    }
    std::unique_ptr<SetupProcess> Start() { return Start(pkg.Build(StubBytes())); }
    std::vector<uint8_t> StubBytes() const { return std::vector<uint8_t>(stub.begin(), stub.end()); }
    bool TempEmpty() const {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((temp + "\\*").c_str(), &fd);
        bool empty = true;
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::string n = fd.cFileName;
                if (n != "." && n != "..") empty = false;
            } while (FindNextFileA(h, &fd));
            FindClose(h);
        }
        return empty;
    }

    std::string stub;
    std::string folder;
    std::string temp;
    TestPackage pkg;
};

} // namespace

TEST_F(SetupExe, ExtractsSupportFilesForTheScriptAndRemovesThemAtTheEnd) {
    // Enough data for the passes to take a moment, and to be stored in many blocks.
    std::string big(3 << 20, '\0');
    std::mt19937 rng(7);
    for (char& c : big)
        c = char(rng());
    pkg.supportFiles.push_back({9, "data.bin", "%TempSetupDir%\\", big});
    auto setup = Start();

    // While the splash shows, the loader sits near the bottom right corner.
    HWND loader = nullptr;
    for (int i = 0; i < 1500 && !loader; ++i) {
        loader = setup->FindWindowOfSize(300, 110);
        if (!loader) Sleep(10);
    }
    ASSERT_TRUE(loader) << "the loader window never showed";
    RECT r;
    GetWindowRect(loader, &r);
    EXPECT_EQ(r.left, GetSystemMetrics(SM_CXSCREEN) - 300 - 32);
    EXPECT_EQ(r.top, GetSystemMetrics(SM_CYSCREEN) - 110 - 48);
    // It shows its picture (blue under the labels) and refuses to close.
    PostMessageA(loader, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitForScreenColour(r.left + 150, r.top + 100, [](COLORREF c) {
        return GetBValue(c) > 60 && GetBValue(c) > GetRValue(c) + 30;
    })) << "the loader picture never showed";
    EXPECT_TRUE(IsWindowVisible(loader));

    // The splash: the picture's size, centred, on top, showing the picture.
    HWND splash = nullptr;
    for (int i = 0; i < 500 && !splash; ++i) {
        splash = setup->FindWindowOfSize(120, 80);
        if (!splash) Sleep(10);
    }
    ASSERT_TRUE(splash);
    GetWindowRect(splash, &r);
    EXPECT_EQ(r.left, GetSystemMetrics(SM_CXSCREEN) / 2 - 60);
    EXPECT_EQ(r.top, GetSystemMetrics(SM_CYSCREEN) / 2 - 40);
    EXPECT_TRUE(GetWindowLongA(splash, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(
        WaitForScreenColour(r.left + 60, r.top + 40, [](COLORREF c) { return c == RGB(30, 90, 160); }));

    auto box = setup->WaitForMessageBox(60s);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, "Probe");
    const std::string tempSetupDir = box->text;
    EXPECT_EQ(tempSetupDir, temp + "\\cvn001");
    EXPECT_EQ(ReadText(tempSetupDir + "\\readme.txt"), "Read me first.");
    EXPECT_EQ(ReadText(tempSetupDir + "\\data.bin"), big);
    EXPECT_TRUE(PathExists(tempSetupDir + "\\splash.bmp"));
    EXPECT_FALSE(setup->FindWindowOfSize(300, 110)) << "the loader is closed before the start-up script";
    // A read-only support file goes too.
    SetFileAttributesA((tempSetupDir + "\\readme.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetupProcess::PressOk(*box);

    EXPECT_FALSE(setup->WaitForMessageBox(30s)) << "a package without pages ends without a message";
    EXPECT_EQ(setup->WaitForExit(30s), 0);
    EXPECT_TRUE(TempEmpty());
}

TEST_F(SetupExe, LeavesAnExistingTemporaryFolderAlone) {
    CreateDirectoryA((temp + "\\cvn001").c_str(), nullptr);
    WriteBytes(temp + "\\cvn001\\mine.txt", "mine", 4);
    auto setup = Start();
    auto box = setup->WaitForMessageBox(60s);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, temp + "\\cvn002");
    SetupProcess::PressOk(*box);
    EXPECT_EQ(setup->WaitForExit(30s), 0);
    EXPECT_EQ(ReadText(temp + "\\cvn001\\mine.txt"), "mine");
    EXPECT_FALSE(PathExists(temp + "\\cvn002"));
}

TEST_F(SetupExe, StartupScriptThatClosesEndsWithoutAMessage) {
    pkg.AddPage("Welcome");
    pkg.package.eventScripts[0] = {{Code(StatementCommand::scCloseWizard), {}, ""}};
    auto setup = Start();
    EXPECT_FALSE(setup->WaitForMessageBox(60s));
    EXPECT_EQ(setup->WaitForExit(30s), 0);
    EXPECT_TRUE(TempEmpty());
}

TEST_F(SetupExe, MissingCompanionsShowOnlyTheApplicationManagerMessage) {
    pkg.package.flags.requiresActiveSync = 1;
    pkg.package.flags.requiresHotSync = 1;
    auto setup = Start();
    auto box = setup->WaitForMessageBox(60s);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, "Tide Charts needs ActiveSync.");
    EXPECT_EQ(box->caption, "Corvane Setup");
    EXPECT_EQ(box->icon, "information");
    SetupProcess::PressOk(*box);
    EXPECT_FALSE(setup->WaitForMessageBox(10s));
    EXPECT_EQ(setup->WaitForExit(30s), 1);
    EXPECT_TRUE(TempEmpty());
}

TEST_F(SetupExe, DamagedArchiveShowsTheReadersMessageAndCleansUp) {
    auto bytes = pkg.Build(StubBytes());
    MemoryInputStream s(bytes);
    TPackageReader reader(s);
    ASSERT_TRUE(reader.Open());
    const size_t archive = reader.Layout().SectionStart(kSecMainArchive);
    std::string tail(bytes.begin() + long(archive), bytes.end());
    const size_t second = tail.find("cVNZ", tail.find("cVNZ") + 4);
    ASSERT_NE(second, std::string::npos);
    bytes[archive + second] = 'X';
    auto setup = Start(bytes);
    auto box = setup->WaitForMessageBox(60s);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, "Invalid Corvane zip file type.");
    EXPECT_EQ(box->caption, "Tide Charts Setup");
    EXPECT_EQ(box->icon, "error");
    SetupProcess::PressOk(*box);
    EXPECT_EQ(setup->WaitForExit(30s), 1);
    EXPECT_TRUE(TempEmpty());
}

TEST_F(SetupExe, ForeignFileGetsTheCorruptedDataMessage) {
    auto bytes = pkg.Build(StubBytes());
    bytes[bytes.size() - 4] = 'x';
    auto setup = Start(bytes);
    auto box = setup->WaitForMessageBox(60s);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, kCorruptedMessage);
    EXPECT_EQ(box->caption, "Corvane Setup");
    EXPECT_EQ(box->icon, "error");
    SetupProcess::PressOk(*box);
    EXPECT_EQ(setup->WaitForExit(30s), 1);
    EXPECT_TRUE(TempEmpty());
}

TEST_F(SetupExe, PackageWithPagesShowsItsFirstPageAndCleansUpWhenClosed) {
    pkg.AddPage("Welcome");
    pkg.package.eventScripts[0].clear();
    auto setup = Start();
    HWND page = nullptr;
    for (int i = 0; i < 6000 && !page; ++i) {
        page = setup->FindWindowOfSize(400, 300);
        if (!page) Sleep(10);
    }
    ASSERT_NE(page, nullptr) << "no wizard page";
    char caption[64] = {};
    GetWindowTextA(page, caption, sizeof caption);
    EXPECT_STREQ(caption, "Welcome");
    // The only page is the last one: closing it asks nothing.
    PostMessageA(page, WM_CLOSE, 0, 0);
    EXPECT_EQ(setup->WaitForExit(30s), 0);
    EXPECT_TRUE(TempEmpty());
}

// The manifest Windows reads from setup.exe: the version 6 common controls, the
// administrator rights the install needs (which also keeps Windows' installer
// detection from guessing), Vista to 11 as supported systems, and no DPI awareness
// while the pages are laid out in pixels.
TEST(SetupExeManifest, AsksForAdministratorsAndCommonControls6AndNamesVistaTo11) {
    Library exe(LoadLibraryExA(SetupStubPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(exe) << SetupStubPath();
    HRSRC res = FindResourceA(exe.Get(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(res, nullptr) << "no manifest resource";
    HGLOBAL data = LoadResource(exe.Get(), res);
    ASSERT_NE(data, nullptr);
    const std::string manifest(static_cast<const char*>(LockResource(data)), SizeofResource(exe.Get(), res));

    auto has = [&](const std::string& text) { return manifest.find(text) != std::string::npos; };
    EXPECT_TRUE(has("<requestedExecutionLevel level=\"requireAdministrator\" uiAccess=\"false\"/>"));
    EXPECT_TRUE(has("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
    for (const char* os : {"e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
                           "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
                           "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
        EXPECT_TRUE(has(std::string("<supportedOS Id=\"{") + os + "}\"/>")) << os;
    EXPECT_FALSE(has("dpiAware"));
}

// The loader window's picture, stored compressed, unpacks to the 300 x 110 picture the
// window is laid out for; a name that is not there gives no picture.
TEST(SetupExeResources, LoaderPictureUnpacksToThreeHundredByOneHundredTen) {
    Library exe(LoadLibraryExA(SetupStubPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(exe) << SetupStubPath();
    GdiObject picture = LoadPackedBitmapResource(exe.Get(), "LOADER");
    ASSERT_TRUE(picture);
    BITMAP b{};
    ASSERT_NE(GetObjectA(picture.Get(), sizeof b, &b), 0);
    EXPECT_EQ(b.bmWidth, 300);
    EXPECT_EQ(b.bmHeight, 110);
    EXPECT_EQ(b.bmBitsPixel, 24);
    EXPECT_FALSE(LoadPackedBitmapResource(exe.Get(), "MISSING"));
}

// A whole run from a folder that also holds DLLs under the names of system DLLs that
// are no KnownDLLs, with Wine told to prefer such native copies: none of them is
// loaded, neither by the program's own imports nor by its run-time loading (the
// common controls, version resources and file protection while a file is replaced).
TEST_F(SetupExe, DllsPlantedBesideTheSetupAreNeverLoaded) {
    const char* const names[] = {"version", "msimg32", "comctl32", "uxtheme", "sfc", "dwmapi"};
    std::string planted = SetupStubPath();
    for (int i = 0; i < 3; ++i)
        planted = planted.substr(0, planted.find_last_of('\\'));
    planted += "\\testing\\planted\\dlls\\";
    std::string overrides;
    for (const char* name : names) {
        ASSERT_TRUE(
            CopyFileA((planted + name + ".dll").c_str(), (folder + "\\" + name + ".dll").c_str(), FALSE))
            << planted << name;
        overrides += std::string(overrides.empty() ? "" : ",") + name;
    }
    const std::string app = folder + "\\app";
    CreateDirectoryA(app.c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(app + "\\tool.dll", "old", 3));
    pkg.package.Settings().defaultInstallDir = app;
    pkg.strayMembers = {{20, "new tool"}};
    TFileRecord& file = pkg.package.files.emplace_back();
    file.memberId = 20;
    file.fileSize = 8;
    file.versionMS = 0x00010000; // 1.0 replaces the old file, which has no version resource
    file.entry.overwriteMode = 4;
    file.entry.sourceName = "tool.dll";
    file.entry.targetDir = "%InstallDir%\\";

    SetEnvironmentVariableA("WINEDLLOVERRIDES", (overrides + "=n,b").c_str());
    auto setup = Start();
    SetEnvironmentVariableA("WINEDLLOVERRIDES", nullptr);
    auto box = setup->WaitForMessageBox(60s);
    ASSERT_TRUE(box);
    SetupProcess::PressOk(*box);
    EXPECT_EQ(setup->WaitForExit(30s), 0);
    EXPECT_EQ(ReadText(app + "\\tool.dll"), "new tool") << "the run installed its file";
    for (const char* name : names)
        EXPECT_FALSE(PathExists(folder + "\\" + name + ".dll.loaded")) << name << ".dll was loaded";
}
