// setup.exe with packages without wizard pages: the installation runs at once and
// the program ends. The tests watch and answer its windows from outside.
#include "app/SetupProcess_win.h"
#include "app/TestPackage.h"

#include "package/CVNZipWriter.h"
#include "package/PackageWriter.h"
#include "package/StatementCodes.h"
#include "ui/CopyingFiles.h"
#include "ui/MsgBoxFiles.h"
#include "ui/NeedDisk.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

using namespace cvn;
using namespace cvn::test;
using namespace std::chrono_literals;

namespace {

void PressOnForm(HWND form, int id) {
    PostMessageA(form, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(form, id)));
}

TScriptStatement Box(const std::string& text) {
    return {uint8_t(StatementCommand::scMessageBox), {"Probe", text, ""}, ""};
}

std::string RandomBytes(size_t n, unsigned seed) {
    std::string s(n, '\0');
    std::mt19937 rng(seed);
    for (char& c : s)
        c = char(rng());
    return s;
}

class InstallationRunExe : public ::testing::Test {
protected:
    void SetUp() override {
        stub = ReadText(SetupStubPath());
        ASSERT_FALSE(stub.empty()) << "no setup.exe at " << SetupStubPath();
        folder = MakeScratchFolder(std::string("run-") +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        temp = folder + "\\temp";
        target = folder + "\\target";
        CreateDirectoryA(temp.c_str(), nullptr);
        pkg.package.Settings().defaultInstallDir = target;
        pkg.package.flags.writeUninstallData = 0;
        pkg.SetMessage(9, "Setup is copying the files. Do you want close the Setup?");
        pkg.SetMessage(12, "Can not read drive <drive>. Setup cannot continue and will now exit.");
        pkg.SetMessage(13, "Drive <drive> have not space to install %SoftwareName%.");
    }
    void TearDown() override { RemoveTree(folder); }

    // A file of the product: archive member `id` installed as %InstallDir%\name.
    void AddFile(int32_t id, const std::string& name, const std::string& content) {
        TFileRecord r;
        r.memberId = id;
        r.fileDate = 0x5A8F6000;
        r.fileSize = uint32_t(content.size());
        r.entry.sourceName = "C:\\Build\\" + name;
        r.entry.targetDir = "%InstallDir%\\";
        r.entry.overwriteMode = 6; // always replace
        pkg.package.files.push_back(r);
        pkg.strayMembers.emplace_back(id, content);
    }

    std::unique_ptr<SetupProcess> Start(const std::vector<uint8_t>& bytes) {
        const std::string exe = folder + "\\setup.exe";
        EXPECT_TRUE(WriteBytes(exe, bytes.data(), bytes.size()));
        auto p = std::make_unique<SetupProcess>(exe, temp);
        EXPECT_TRUE(p->Started());
        return p;
    }
    std::unique_ptr<SetupProcess> Start() { return Start(pkg.Build({stub.begin(), stub.end()})); }

    // Waits for a box with this text and presses its OK button.
    void Confirm(SetupProcess& setup, const std::string& text) {
        auto box = setup.WaitForMessageBox(60s);
        ASSERT_TRUE(box) << "no box \"" << text << "\"";
        EXPECT_EQ(box->text, text);
        SetupProcess::PressOk(*box);
    }

    std::string stub, folder, temp, target;
    TestPackage pkg;
};

// Presses Cancel in the copying-files window as soon as it shows, then answers message 9 with Yes.
void CancelCopyWithYes(SetupProcess& setup) {
    HWND window = nullptr;
    for (int i = 0; i < 3000 && !window; ++i) {
        window = setup.FindWindowOfSize(297, 129);
        if (!window) Sleep(5);
    }
    ASSERT_NE(window, nullptr) << "no copying-files window";
    PressOnForm(window, TfrmCopyingFiles::btnCancel);
    auto ask = setup.WaitForMessageBox(60s);
    ASSERT_TRUE(ask);
    EXPECT_EQ(ask->text, "Setup is copying the files. Do you want close the Setup?");
    EXPECT_EQ(ask->icon, "question");
    PressOnForm(ask->window, IDYES);
    for (int i = 0; i < 500 && IsWindowVisible(ask->window); ++i)
        Sleep(10);
}

struct FormSearch {
    int id;
    HWND other;
    HWND found = nullptr;
};

BOOL CALLBACK FindFormProc(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<FormSearch*>(lp);
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (hwnd != s->other && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd) &&
        std::string(cls) == "TCorvaneForm" && GetDlgItem(hwnd, s->id)) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// A visible form of the setup's window class that takes input, has this child control
// and is not `other` (a form already answered); null after the timeout.
HWND FindFormWithControl(int id, std::chrono::milliseconds timeout, HWND other = nullptr) {
    FormSearch st{id, other};
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!st.found && std::chrono::steady_clock::now() < end) {
        EnumWindows(FindFormProc, reinterpret_cast<LPARAM>(&st));
        if (!st.found) Sleep(10);
    }
    return st.found;
}

} // namespace

TEST_F(InstallationRunExe, AnExistingFileIsAskedAboutWithTheOverwritePrompt) {
    AddFile(20, "keep.txt", "from the package");
    AddFile(21, "replace.txt", "from the package too");
    pkg.package.files[0].entry.overwriteMode = 0; // ask
    pkg.package.files[1].entry.overwriteMode = 0;
    pkg.SetMessage(25, "The file <file> already exists. Do you want to replace it?");
    pkg.SetMessage(14, "Skipping this file may cause errors.");
    CreateDirectoryA(target.c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(target + "\\keep.txt", "old", 3));
    ASSERT_TRUE(WriteBytes(target + "\\replace.txt", "old", 3));
    auto setup = Start();

    // First question: No (the default button) keeps the file, after the one-time warning.
    HWND prompt = FindFormWithControl(TfrmMsgBoxFiles::btnNoToAll, 60s);
    ASSERT_NE(prompt, nullptr) << "no overwrite prompt for keep.txt";
    RECT r{};
    GetWindowRect(prompt, &r);
    EXPECT_EQ(r.bottom - r.top, 296); // two file rows
    // Lets a person look at the prompt (and the progress window behind it) or capture it.
    if (const char* pause = std::getenv("CVN_SCREENSHOT_PAUSE")) Sleep(DWORD(std::atoi(pause)));
    PostMessageA(prompt, WM_COMMAND, IDOK, 0);
    Confirm(*setup, "Skipping this file may cause errors.");
    // Second question, in a window of its own: Yes replaces it.
    prompt = FindFormWithControl(TfrmMsgBoxFiles::btnNoToAll, 60s, prompt);
    ASSERT_NE(prompt, nullptr) << "no overwrite prompt for replace.txt";
    PressOnForm(prompt, TfrmMsgBoxFiles::btnYes);
    EXPECT_EQ(setup->WaitForExit(60s), 0);
    EXPECT_EQ(ReadText(target + "\\keep.txt"), "old");
    EXPECT_EQ(ReadText(target + "\\replace.txt"), "from the package too");
}

TEST_F(InstallationRunExe, InstallsTheFilesBetweenTheCopyScriptsThenClosesAndEnds) {
    AddFile(20, "readme.txt", "Tide tables for the coast.");
    AddFile(21, "data.bin", RandomBytes(300000, 1));
    pkg.package.eventScripts[1] = {Box("before copying")};
    pkg.package.eventScripts[2] = {Box("after copying")};
    pkg.package.eventScripts[3] = {Box("closing %IsFinishingSetup%")};
    auto setup = Start();

    Confirm(*setup, "before copying");
    auto box = setup->WaitForMessageBox(60s);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, "after copying");
    // The files are in place by the time the script after copying runs.
    EXPECT_EQ(ReadText(target + "\\readme.txt"), "Tide tables for the coast.");
    EXPECT_EQ(ReadText(target + "\\data.bin"), RandomBytes(300000, 1));
    SetupProcess::PressOk(*box);
    Confirm(*setup, "closing 1");
    EXPECT_EQ(setup->WaitForExit(60s), 0);
}

TEST_F(InstallationRunExe, AnUnreadableInstallDriveRunsTheErrorScriptAndEnds) {
    pkg.package.Settings().defaultInstallDir = "Q:\\Nowhere\\App";
    AddFile(20, "readme.txt", "x");
    pkg.package.eventScripts[1] = {Box("before copying")};
    pkg.package.eventScripts[4] = {Box("error %ErrorCode%")};
    auto setup = Start();
    Confirm(*setup, "Can not read drive Q. Setup cannot continue and will now exit.");
    Confirm(*setup, "error 8");
    // Neither the space message nor the copy follows.
    EXPECT_FALSE(setup->WaitForMessageBox(1500ms));
    EXPECT_EQ(setup->WaitForExit(60s), 1);
}

TEST_F(InstallationRunExe, NotEnoughFreeSpaceEndsBeforeAnythingIsCopied) {
    // The records claim far more than any test machine has free (kilobytes of 1000 bytes).
    for (int32_t id = 20; id < 2020; ++id) {
        TFileRecord r;
        r.memberId = id;
        r.fileSize = 0xFFFFFFFFu;
        r.entry.sourceName = "C:\\Build\\huge" + std::to_string(id) + ".bin";
        r.entry.targetDir = "%InstallDir%\\";
        pkg.package.files.push_back(r);
    }
    pkg.package.eventScripts[1] = {Box("before copying")};
    pkg.package.eventScripts[4] = {Box("error script")};
    auto setup = Start();
    const std::string drive(1, target[0]);
    Confirm(*setup, "Drive " + drive + " have not space to install Tide Charts.");
    // No error script and no copy follow.
    EXPECT_FALSE(setup->WaitForMessageBox(1500ms));
    EXPECT_EQ(setup->WaitForExit(60s), 1);
    EXPECT_FALSE(PathExists(target));
}

TEST_F(InstallationRunExe, CancelDuringTheCopyAskedWithYesStopsTheRun) {
    AddFile(20, "big.bin", RandomBytes(8 << 20, 2));
    AddFile(21, "after.txt", "never");
    pkg.package.eventScripts[2] = {Box("after copying")};
    pkg.package.eventScripts[3] = {Box("closing %IsFinishingSetup%")};
    auto setup = Start();

    CancelCopyWithYes(*setup);
    // The close script runs once, as a cancel rather than a finish; no script after copying.
    Confirm(*setup, "closing 0");
    EXPECT_EQ(setup->WaitForExit(60s), 1);
    EXPECT_FALSE(PathExists(target + "\\after.txt"));
}

TEST_F(InstallationRunExe, AVolumeMovedElsewhereIsFoundThroughTheNextDiskPrompt) {
    const std::string exe = folder + "\\setup.exe";
    const std::string first = RandomBytes(60000, 3), second = RandomBytes(50000, 4);
    for (auto [id, name, size] :
         {std::tuple{20, "one.bin", first.size()}, std::tuple{21, "two.bin", second.size()}}) {
        TFileRecord r;
        r.memberId = id;
        r.fileDate = 0x5A8F6000;
        r.fileSize = uint32_t(size);
        r.entry.sourceName = std::string("C:\\Build\\") + name;
        r.entry.targetDir = "%InstallDir%\\";
        r.entry.overwriteMode = 6;
        pkg.package.files.push_back(r);
    }
    TCVNZipWriter zip;
    ASSERT_TRUE(zip.CreateVolumes(exe, TCVNZipWriter::kMinVolumeSize));
    ASSERT_TRUE(
        zip.AddMember(20, 0x5A8F6000, {reinterpret_cast<const uint8_t*>(first.data()), first.size()}));
    ASSERT_TRUE(
        zip.AddMember(21, 0x5A8F6000, {reinterpret_cast<const uint8_t*>(second.data()), second.size()}));
    ASSERT_TRUE(zip.Finish()) << zip.Error();
    ASSERT_EQ(zip.VolumePaths().size(), 2u);
    TArchiveParts parts;
    parts.mainArchiveInVolumes = true;
    for (const auto& v : zip.VolumePaths())
        parts.volumeArchiveSize += ReadText(v).size();
    TPackage p = pkg.package;
    p.supportFiles.clear();
    p.supportFilesFlag = 0;
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(WritePackage(std::vector<uint8_t>(stub.begin(), stub.end()), p, parts, bytes, error))
        << error;

    const std::string moved = folder + "\\disk2";
    CreateDirectoryA(moved.c_str(), nullptr);
    ASSERT_TRUE(MoveFileA((folder + "\\setup.002").c_str(), (moved + "\\setup.002").c_str()));
    auto setup = Start(bytes);

    HWND prompt = nullptr;
    for (int i = 0; i < 3000 && !prompt; ++i) {
        prompt = setup->FindWindowOfSize(377, 169);
        if (!prompt) Sleep(10);
    }
    ASSERT_NE(prompt, nullptr) << "no next-disk prompt";
    char path[MAX_PATH] = {};
    GetDlgItemTextA(prompt, TfrmNeedDisk::txtPath, path, sizeof path);
    EXPECT_EQ(std::string(path), folder + "\\");
    SendMessageA(GetDlgItem(prompt, TfrmNeedDisk::txtPath), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>((moved + "\\").c_str()));
    PostMessageA(prompt, WM_COMMAND, MAKEWPARAM(TfrmNeedDisk::btnOk, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(prompt, TfrmNeedDisk::btnOk)));
    EXPECT_EQ(setup->WaitForExit(60s), 0);
    EXPECT_EQ(ReadText(target + "\\one.bin"), first);
    EXPECT_EQ(ReadText(target + "\\two.bin"), second);
}

TEST_F(InstallationRunExe, ACloseScriptThatKeepsTheSetupLetsTheCopyGoOn) {
    const std::string big = RandomBytes(8 << 20, 5);
    AddFile(20, "big.bin", big);
    AddFile(21, "after.txt", "copied");
    pkg.package.eventScripts[2] = {Box("after copying")};
    pkg.package.eventScripts[3] = {Box("closing %IsFinishingSetup%"),
                                   {uint8_t(StatementCommand::scAssign), {"%CanClose%", "0", ""}, ""}};
    auto setup = Start();
    CancelCopyWithYes(*setup);
    Confirm(*setup, "closing 0");
    // The copy was not stopped: every file arrives and the run ends normally.
    Confirm(*setup, "after copying");
    Confirm(*setup, "closing 1");
    EXPECT_EQ(setup->WaitForExit(60s), 0);
    EXPECT_EQ(ReadText(target + "\\big.bin"), big);
    EXPECT_EQ(ReadText(target + "\\after.txt"), "copied");
}
