#include "app/HandOver.h"
#include "app/Startup.h"
#include "package/PackageReader.h"
#include "package/SetupCVNZip.h"

#include "TestPackage.h"
#include "install/CorvaneInstall.h"
#include "install/FakeInstall.h"
#include "package/StatementCodes.h"
#include "script/FakeCommandPlatform.h"
#include "script/FakeSystemValues.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

using namespace cvn;
using namespace cvn::test;
namespace fs = std::filesystem;

namespace {

uint8_t Code(StatementCommand c) {
    return uint8_t(c);
}

// One spelling per path, whatever delimiters it was built with.
std::string Normal(const fs::path& p) {
    return p.lexically_normal().string();
}

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& p, const std::vector<uint8_t>& bytes) {
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

class FakeHotSync : public THotSyncEnvironment {
public:
    bool installed = false;
    bool UserKeyExists(const std::string& key) override {
        return installed && key == "Software\\Palm Computing";
    }
    bool ReadUserText(const std::string&, const std::string&, std::string&) override { return false; }
    std::string WindowsDir() override { return "C:\\WINDOWS"; }
    bool ReadFile(const std::string&, std::vector<uint8_t>&) override { return false; }
};

// Records every call as one line of a log, so tests can check the order of the
// steps and what each step could see.
class FakeHost : public TStartupHost, public TMessageBoxes {
public:
    TFakeSystemValues system;
    FakeHotSync hotSync;
    std::string exePath;
    std::string tempFolder;
    bool applicationManager = false;
    TFakePc pc;
    std::vector<std::string> log;
    std::vector<std::pair<std::string, TMessageIcon>> messages;
    TLoaderLook look;
    std::string title;
    // Files present in the temporary setup folder when the splash was shown and when
    // the start-up script ran.
    std::set<std::string> filesAtSplash, filesAtScript;
    std::vector<std::vector<std::string>> extractedAfterPass;
    TSetupRun* run = nullptr;

    TSystemValues& SystemValues() override { return system; }
    THotSyncEnvironment& HotSyncEnvironment() override { return hotSync; }
    std::string ExecutablePath() override { return exePath; }
    std::string SystemTempFolder() override { return tempFolder; }
    void SetApplicationTitle(const std::string& t) override {
        title = t;
        log.push_back("title " + t);
    }
    void ShowMessage(const std::string& text, TMessageIcon icon) override {
        messages.emplace_back(text, icon);
        log.push_back("message");
    }
    bool IsApplicationManagerRegistered() override { return applicationManager; }
    void ShowLoader(const TLoaderLook& l) override {
        look = l;
        log.push_back("loader");
    }
    bool ExtractSupportFiles(InputStream& package, const std::string& packagePath, int pass,
                             const std::string& defaultTarget, const TSupportFileFilter& filter,
                             int32_t& errorCode, std::string& failedFile) override {
        log.push_back("pass " + std::to_string(pass));
        TSetupCVNZip zip;
        zip.PassTag = uint8_t(pass);
        zip.OnRestoreFile.Bind([&](int32_t id, std::string& target, bool& extract, int32_t, int32_t&) {
            filter(id, target, extract);
        });
        bool ok = zip.ExtractFromStream(package, defaultTarget, packagePath);
        errorCode = zip.ErrorCode();
        failedFile = zip.CurrentTargetPath();
        extractedAfterPass.push_back(run->extractedSupportFiles);
        return ok;
    }
    bool ShowSplash(const std::string& path) override {
        log.push_back("splash " + fs::path(path).filename().string());
        filesAtSplash = Files();
        return true;
    }
    void Wait(unsigned ms) override { log.push_back("wait " + std::to_string(ms)); }
    void CloseStartupWindows() override { log.push_back("close"); }
    std::function<void(TSetupRun&)> atWizard; // what the wizard does with the run
    int RunWizard(TSetupRun& run) override {
        log.push_back("wizard " + run.firstPageName);
        if (atWizard) atWizard(run);
        run.CleanUp();
        return kExitOk;
    }
    // The start-up script's message boxes.
    void ShowMessage(const std::string&, const std::string& text, TMessageIcon) override {
        log.push_back("script " + text);
        filesAtScript = Files();
    }
    bool AskYesNo(const std::string&, const std::string&, TMessageIcon, bool) override { return false; }
    TCommandPlatform Platform() { return {this, &pc, &pc, &pc}; }

    std::set<std::string> Files() const {
        std::set<std::string> names;
        if (run && !run->tempSetupDir.empty() && fs::exists(run->tempSetupDir))
            for (const auto& e : fs::directory_iterator(run->tempSetupDir))
                names.insert(e.path().filename().string());
        return names;
    }
};

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               ("cvn-startup-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "temp");
        host.exePath = (root / "setup.exe").string();
        host.tempFolder = (root / "temp").string();
        // Support files go into the temporary setup folder, with this system's delimiter.
        pkg.supportFiles = {
            {3, "splash.bmp", "%TempSetupDir%/", BitmapFile(4, 3, 200, 10, 10)},
            {7, "readme.txt", "%TempSetupDir%", "Read me first."},
        };
        pkg.package.Settings().appearance.splashPicture = "splash.bmp";
        // The start-up script shows what it sees.
        pkg.package.eventScripts[0] = {
            {Code(StatementCommand::scAssign), {"%Seen%", "%InstallDir%|%TempSetupDir%", "0"}, ""},
            {Code(StatementCommand::scMessageBox), {"", "ran", ""}, ""},
        };
    }
    void TearDown() override {
        run.reset(); // closes the package file
        fs::remove_all(root);
    }

    int Run(const std::vector<uint8_t>& bytes) {
        run.reset();
        WriteAll(host.exePath, bytes);
        run = std::make_unique<TSetupRun>(host.system, host.Platform());
        host.run = run.get();
        return RunSetup(*run, host);
    }
    int Run() { return Run(pkg.Build(stub)); }
    std::string Seen() const {
        const std::string* v = run->variables.Store().Find("%Seen%");
        return v ? *v : "(not set)";
    }
    std::string Log() const {
        std::string s;
        for (const auto& l : host.log)
            s += l + "\n";
        return s;
    }
    bool TempIsEmpty() const { return fs::is_empty(root / "temp"); }

    fs::path root;
    std::vector<uint8_t> stub = std::vector<uint8_t>(512, 'S');
    TestPackage pkg;
    FakeHost host;
    std::unique_ptr<TSetupRun> run;
};

} // namespace

TEST_F(StartupTest, RunsTheStepsInOrderAndCleansUpAtTheEnd) {
    pkg.strayMembers = {{99, "not a support file"}};
    ASSERT_EQ(Run(), kExitOk) << Log();
    EXPECT_EQ(Log(), "title Corvane Setup\n"
                     "title Tide Charts Setup\n"
                     "loader\n"
                     "pass 1\n"
                     "splash splash.bmp\n"
                     "wait 500\n"
                     "title Tide Charts Setup\n"
                     "pass 0\n"
                     "close\n"
                     "script ran\n");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.look.title, "Tide Charts Setup");
    EXPECT_EQ(host.look.message, "Preparing Tide Charts...");
    EXPECT_TRUE(host.look.nearBottomRight);
    EXPECT_TRUE(host.look.useSetupFont);
    EXPECT_EQ(host.look.setupFont.face, "Tahoma");

    // The splash alone in the first pass, everything else in the second.
    EXPECT_EQ(host.filesAtSplash, std::set<std::string>{"splash.bmp"});
    EXPECT_EQ(host.filesAtScript, (std::set<std::string>{"readme.txt", "splash.bmp"}));
    EXPECT_EQ(Seen(), "C:\\Program Files\\Harbour Soft\\Tide Charts|" + (root / "temp" / "cvn001").string());
    ASSERT_EQ(host.extractedAfterPass.size(), 2u);
    ASSERT_EQ(host.extractedAfterPass[0].size(), 1u);
    EXPECT_EQ(Normal(host.extractedAfterPass[0][0]), Normal(root / "temp" / "cvn001" / "splash.bmp"));
    EXPECT_EQ(host.extractedAfterPass[1].size(), 2u);
    EXPECT_EQ(*run->variables.Store().Find("%ProgramGroup%"), "Tide Charts");
    EXPECT_EQ(*run->variables.Store().Find("%Language%"), "English");

    // No pages: the installation seam ran and the run is cleaned up.
    EXPECT_TRUE(TempIsEmpty());
    EXPECT_TRUE(run->package.files.empty());
}

TEST_F(StartupTest, SplashNameMatchesWithoutRegardToCaseAndStrayMembersStayInside) {
    pkg.package.Settings().appearance.splashPicture = "SPLASH.Bmp";
    pkg.strayMembers = {{99, "not a support file"}};
    pkg.supportFiles.push_back({12, "listed-only.txt", "%TempSetupDir%", "", false});
    ASSERT_EQ(Run(), kExitOk) << Log();
    ASSERT_EQ(host.extractedAfterPass.size(), 2u);
    ASSERT_EQ(host.extractedAfterPass[0].size(), 1u);
    EXPECT_EQ(fs::path(host.extractedAfterPass[0][0]).filename(), "splash.bmp");
    EXPECT_EQ(host.filesAtScript, (std::set<std::string>{"readme.txt", "splash.bmp"}));
}

TEST_F(StartupTest, SkipsAnExistingTemporaryFolderAndLeavesItAlone) {
    fs::create_directories(root / "temp" / "cvn001");
    std::ofstream(root / "temp" / "cvn001" / "keep.txt") << "someone else's";
    fs::create_directories(root / "temp" / "cvn002");
    ASSERT_EQ(Run(), kExitOk) << Log();
    EXPECT_EQ(Seen().substr(Seen().find('|') + 1), (root / "temp" / "cvn003").string());
    EXPECT_FALSE(fs::exists(root / "temp" / "cvn003"));
    EXPECT_EQ(ReadAll(root / "temp" / "cvn001" / "keep.txt"), "someone else's");
    EXPECT_TRUE(fs::exists(root / "temp" / "cvn002"));
}

TEST_F(StartupTest, TemporaryFolderThatCannotBeCreatedEndsWithAMessage) {
    host.tempFolder = (root / "missing" / "deeper").string();
    EXPECT_EQ(Run(), kExitFailed);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].first.find(host.tempFolder), std::string::npos) << host.messages[0].first;
    EXPECT_EQ(host.messages[0].second, TMessageIcon::Error);
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "loader"), 0);
    EXPECT_EQ(CreateTempSetupFolder(host.tempFolder), "");
}

TEST_F(StartupTest, WithoutTheSupportFlagNothingIsExtractedAndNoSplashShows) {
    pkg.supportFlag = 0;
    ASSERT_EQ(Run(), kExitOk) << Log();
    EXPECT_EQ(
        Log(),
        "title Corvane Setup\ntitle Tide Charts Setup\nloader\ntitle Tide Charts Setup\nclose\nscript ran\n");
    EXPECT_TRUE(host.look.nearBottomRight) << "a named splash places the loader all the same";
    EXPECT_TRUE(host.filesAtScript.empty());
}

TEST_F(StartupTest, LoaderIsCentredWithoutSplashAndKeepsTheSystemFontWhenAsked) {
    pkg.package.Settings().appearance.splashPicture.clear();
    pkg.package.flags.keepSystemFont = 1;
    ASSERT_EQ(Run(), kExitOk) << Log();
    EXPECT_FALSE(host.look.nearBottomRight);
    EXPECT_FALSE(host.look.useSetupFont);
    // Without a splash, the picture-named file is an ordinary support file.
    EXPECT_EQ(host.filesAtScript, (std::set<std::string>{"readme.txt", "splash.bmp"}));
}

// The flags reach what the engine writes only when start-up hands them to the model.
TEST_F(StartupTest, StartupFlagsReachTheUninstallDataTheEngineWrites) {
    pkg.AddPage("Welcome");
    pkg.package.flags.keepSystemFont = 1;
    pkg.package.flags.uninstallerOption = 3;
    pkg.package.Settings().description = "Tides";
    TFakePlatform platform;
    TFakeUi ui;
    host.atWizard = [&](TSetupRun& r) {
        TInstallContext ctx;
        ctx.package = &r.package;
        ctx.variables = &r.variables;
        ctx.languages = &r.languages;
        ctx.selection = &r.selection;
        ctx.conditions = &r.conditions;
        ctx.platform = &platform;
        ctx.ui = &ui;
        TCorvaneInstall(ctx).WriteUninstallData();
    };
    ASSERT_EQ(Run(), kExitOk) << Log();
    const std::string head =
        std::string("iUNS") + "Tide Charts" + '\0' + "Tides" + '\0' + "Harbour Soft" + '\0';
    const std::string bytes = platform.File("C:\\Program Files\\Harbour Soft\\Tide Charts\\uninst.dat").bytes;
    ASSERT_GT(bytes.size(), head.size() + 2);
    EXPECT_EQ(bytes.substr(0, head.size()), head);
    EXPECT_EQ(bytes[head.size()], 1) << "keep-system-font";
    EXPECT_EQ(bytes[head.size() + 1], 3) << "uninstaller option";
}

TEST_F(StartupTest, CompanionChecksShowOnlyTheFirstMissingCompanion) {
    pkg.package.flags.requiresActiveSync = 1;
    pkg.package.flags.requiresHotSync = 1;
    EXPECT_EQ(Run(), kExitFailed);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].first, "Tide Charts needs ActiveSync.");
    EXPECT_EQ(host.messages[0].second, TMessageIcon::Information);
    EXPECT_EQ(host.title, "Corvane Setup") << "the window title is set only after the checks";
    EXPECT_TRUE(TempIsEmpty());

    host.applicationManager = true;
    host.messages.clear();
    EXPECT_EQ(Run(), kExitFailed);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].first, "Tide Charts needs HotSync.");
    EXPECT_TRUE(TempIsEmpty());

    host.hotSync.installed = true;
    host.messages.clear();
    EXPECT_EQ(Run(), kExitOk);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(StartupTest, StartupScriptThatClosesEndsSilentlyAfterCleaningUp) {
    pkg.AddPage("Welcome");
    pkg.package.eventScripts[0] = {{Code(StatementCommand::scMessageBox), {"", "ran", ""}, ""},
                                   {Code(StatementCommand::scCloseWizard), {}, ""}};
    EXPECT_EQ(Run(), kExitOk);
    EXPECT_TRUE(host.messages.empty()) << "neither an error nor the pages notice";
    EXPECT_EQ(host.log.back(), "script ran");
    EXPECT_EQ(host.filesAtScript, (std::set<std::string>{"readme.txt", "splash.bmp"}));
    EXPECT_TRUE(TempIsEmpty());

    // An empty start-up script lets the setup go on to the hand-over.
    pkg.package.eventScripts[0].clear();
    EXPECT_EQ(Run(), kExitOk);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(StartupTest, PackageWithPagesRemembersItsFirstAndLastPage) {
    pkg.AddPage("Style", 1);
    pkg.AddPage("Welcome");
    pkg.AddPage("install");
    pkg.AddPage("Finish");
    pkg.AddPage("Secondary", 1);
    EXPECT_EQ(Run(), kExitOk);
    EXPECT_EQ(run->firstPageName, "Welcome");
    EXPECT_EQ(run->lastPageName, "Finish");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.log.back(), "wizard Welcome"); // the host's wizard takes over
    EXPECT_TRUE(TempIsEmpty());
}

TEST_F(StartupTest, UnreadableOrForeignFilesEndWithTheFixedMessages) {
    host.exePath = (root / "nowhere.exe").string();
    run = std::make_unique<TSetupRun>(host.system, host.Platform());
    EXPECT_EQ(RunSetup(*run, host), kExitFailed);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].first, kInternalErrorMessage);
    EXPECT_EQ(host.messages[0].second, TMessageIcon::Error);

    host.exePath = (root / "setup.exe").string();
    auto bytes = pkg.Build(stub);
    bytes[bytes.size() - 2] ^= 0x20; // the magic
    host.messages.clear();
    EXPECT_EQ(Run(bytes), kExitFailed);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].first, kCorruptedMessage);
    EXPECT_TRUE(TempIsEmpty()) << "no folder is made for a package that is not one";
}

TEST_F(StartupTest, DamagedSectionAfterTheFirstPassCleansUpWhatWasExtracted) {
    auto bytes = pkg.Build(stub);
    MemoryInputStream s(bytes);
    TPackageReader reader(s);
    ASSERT_TRUE(reader.Open());
    // A dialog count far beyond what the section holds.
    const size_t dialogs = reader.Layout().SectionStart(kSecDialogs);
    bytes[dialogs + 3] = 0x7F;
    EXPECT_EQ(Run(bytes), kExitFailed);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].first.rfind(kCorruptedMessage, 0), 0u) << host.messages[0].first;
    EXPECT_NE(host.messages[0].first.find("section 9"), std::string::npos) << host.messages[0].first;
    EXPECT_TRUE(TempIsEmpty());
    EXPECT_EQ(host.log.back(), "message");
    EXPECT_NE(std::find(host.log.begin(), host.log.end(), "close"), host.log.end())
        << "windows close before the box";
}

TEST_F(StartupTest, ASupportFileNamedOutOfItsFolderIsDamageAndNothingIsWritten) {
    pkg.supportFiles.push_back({9, "../escaped.txt", "%TempSetupDir%\\", "outside"});
    EXPECT_EQ(Run(), kExitFailed);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].first.rfind(kCorruptedMessage, 0), 0u) << host.messages[0].first;
    EXPECT_NE(host.messages[0].first.find("section 11"), std::string::npos) << host.messages[0].first;
    EXPECT_TRUE(host.extractedAfterPass.empty()) << "no pass ran";
    EXPECT_TRUE(TempIsEmpty());
    EXPECT_FALSE(fs::exists(root / "temp" / "escaped.txt"));
}

TEST_F(StartupTest, DamagedArchiveShowsTheReadersMessageAndCleansUp) {
    auto bytes = pkg.Build(stub);
    MemoryInputStream s(bytes);
    TPackageReader reader(s);
    ASSERT_TRUE(reader.Open());
    // The second member's magic: the splash is already out when the first pass fails.
    const size_t archive = reader.Layout().SectionStart(kSecMainArchive);
    std::string tail(bytes.begin() + long(archive), bytes.end());
    size_t first = tail.find("cVNZ");
    size_t second = tail.find("cVNZ", first + 4);
    ASSERT_NE(second, std::string::npos);
    bytes[archive + second] = 'X';
    EXPECT_EQ(Run(bytes), kExitFailed);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].first, "Invalid Corvane zip file type.");
    EXPECT_TRUE(TempIsEmpty());
}

TEST_F(StartupTest, UndecompressibleBlockIsNamedAndTheSetupGoesOnAndAnEmptyArchiveIsFine) {
    pkg.supportFiles[1].content = std::string(5000, 'x'); // compresses, so the block is a bzip2 stream
    auto bytes = pkg.Build(stub);
    MemoryInputStream s(bytes);
    TPackageReader reader(s);
    ASSERT_TRUE(reader.Open());
    const size_t archive = reader.Layout().SectionStart(kSecMainArchive);
    std::string tail(bytes.begin() + long(archive), bytes.end());
    size_t bz = tail.find("BZh", tail.find("cVNZ", tail.find("cVNZ") + 4));
    ASSERT_NE(bz, std::string::npos);
    auto damaged = bytes;
    for (size_t i = 10; i < 30; ++i)
        damaged[archive + bz + i] ^= 0x55;
    EXPECT_EQ(Run(damaged), kExitOk) << Log();
    ASSERT_EQ(host.messages.size(), 1u);
    const std::string readme = (root / "temp" / "cvn001" / "readme.txt").string();
    EXPECT_EQ(host.messages[0].first, "The support file \"" + readme +
                                          "\" in the setup data is damaged. Setup goes on, but some of its "
                                          "pictures or texts may be missing; if it does not work, please "
                                          "download this software again or contact the development company.");
    EXPECT_EQ(host.messages[0].second, TMessageIcon::Warning);
    EXPECT_EQ(host.log.back(), "script ran");

    host.messages.clear();
    auto noArchive = pkg;
    noArchive.supportFiles.clear();
    noArchive.strayMembers.clear();
    EXPECT_EQ(Run(noArchive.Build(stub)), kExitOk) << "an empty archive extracts nothing and succeeds";
    EXPECT_TRUE(host.messages.empty());
}

TEST(StartupPieces, LoaderPlacesAndTemporaryFolderNames) {
    auto near = LoaderPlace(1024, 768, 300, 110, true);
    EXPECT_EQ(near.left, 1024 - 300 - 32);
    EXPECT_EQ(near.top, 768 - 110 - 48);
    auto centred = LoaderPlace(1023, 767, 301, 111, false);
    EXPECT_EQ(centred.left, 511 - 150);
    EXPECT_EQ(centred.top, 383 - 55);
    EXPECT_EQ(CentredPlace(200, 100, 301, 111).left, 100 - 150);
}

TEST(StartupPieces, CleanUpIsSafeOnAFreshRunAndTwiceAndKeepsOtherFiles) {
    TFakeSystemValues system;
    TFakePc pc;
    TSetupRun run(system, {&pc, &pc, &pc, &pc});
    run.CleanUp();
    run.CleanUp();

    // A file someone else put into the folder keeps the folder; the removal fails quietly.
    const fs::path dir = fs::temp_directory_path() / "cvn-cleanup-test" / "cvn001";
    fs::remove_all(dir.parent_path());
    fs::create_directories(dir);
    std::ofstream(dir / "support.txt") << "ours";
    std::ofstream(dir / "theirs.txt") << "theirs";
    run.tempSetupDir = dir.string();
    run.extractedSupportFiles = {(dir / "support.txt").string(), (dir / "gone-already.txt").string()};
    run.package.files.resize(3);
    run.CleanUp();
    EXPECT_TRUE(run.extractedSupportFiles.empty());
    EXPECT_TRUE(run.package.files.empty());
    EXPECT_FALSE(fs::exists(dir / "support.txt"));
    EXPECT_TRUE(fs::exists(dir / "theirs.txt"));

    fs::remove(dir / "theirs.txt");
    run.CleanUp();
    EXPECT_FALSE(fs::exists(dir)) << "an empty folder goes at the next clean-up";
    fs::remove_all(dir.parent_path());
}
