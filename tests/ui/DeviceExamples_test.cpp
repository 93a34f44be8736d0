// The handheld examples of examples/, packed by the Windows cvnpack and installed with
// "/S" against the stand-ins of the device tests: the Windows CE product reaches the
// application manager, the Palm product the current HotSync user's install folder.
#include "BuildFiles_win.h"
#include "DeviceStandIns_win.h"
#include "app/SetupProcess_win.h"

#include <gtest/gtest.h>

using namespace cvn::test;
using namespace std::chrono_literals;

#ifndef CVN_TEST_TO_EXAMPLES
#error "CVN_TEST_TO_EXAMPLES must be defined by the build"
#endif

namespace {

constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::string ExamplesFolder() {
    std::string self = ThisProgram();
    std::string path = self.substr(0, self.find_last_of('\\')) + "\\" + CVN_TEST_TO_EXAMPLES;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string ProgramFiles() {
    char dir[MAX_PATH] = {};
    ExpandEnvironmentStringsA("%ProgramFiles%", dir, MAX_PATH);
    return dir;
}

// Runs a program to its end; its exit code, or -1.
int RunToEnd(std::string commandLine) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    CloseHandle(pi.hThread);
    DWORD code = DWORD(-1);
    if (WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    return int(code);
}

class DeviceExamples : public ::testing::Test {
protected:
    void SetUp() override {
        folder = MakeScratchFolder(std::string("examples-") +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        temp = folder + "\\temp";
        CreateDirectoryA(temp.c_str(), nullptr);
        // The stub alone in its folder: the package carries no uninstaller into the Windows folder.
        ASSERT_TRUE(CopyFileA(SetupStubPath().c_str(), (folder + "\\stub.exe").c_str(), FALSE));
    }
    void TearDown() override {
        UnregisterAppManager();
        RemovePalmDesktop();
        for (const std::string& product : products) {
            RemoveTree(ProgramFiles() + "\\Sample Software\\" + product);
            DeleteRegistryTree(HKEY_LOCAL_MACHINE, kUninstallKey + ("Sample Software " + product));
            DeleteRegistryTree(HKEY_CURRENT_USER, kUninstallKey + ("Sample Software " + product));
        }
        RemoveTree(folder);
    }

    // Packs examples/NAME and runs it with /S; setup's exit code.
    int InstallSilently(const std::string& name, const std::string& product) {
        products.push_back(product);
        const std::string exe = folder + "\\" + name + ".exe";
        const std::string pack = "\"" + BuildFile("tools/cvnpack/cvnpack.exe") + "\" --stub \"" + folder +
                                 "\\stub.exe\" --out \"" + exe + "\" \"" + ExamplesFolder() + "\\" + name +
                                 "\\project.toml\"";
        EXPECT_EQ(RunToEnd(pack), 0) << pack;
        SetupProcess setup(exe, temp, "/S");
        EXPECT_TRUE(setup.Started());
        std::vector<SeenWindow> seen;
        const int code = setup.WaitForExitWatchingWindows(60s, seen);
        // Silent: no page but the copying page, not even for a moment.
        EXPECT_EQ(NotSilent(seen), std::vector<SeenWindow>{})
            << name << " /S showed " << ::testing::PrintToString(seen);
        return code;
    }

    std::string folder, temp;
    std::vector<std::string> products;
};

} // namespace

TEST_F(DeviceExamples, TheWindowsCeProductHandsItsCabinetToTheApplicationManager) {
    const std::string calls = RegisterAppManager();
    EXPECT_EQ(InstallSilently("windows-ce", "Tide Charts"), 0);

    const std::string dir = ProgramFiles() + "\\Sample Software\\Tide Charts";
    const std::string recorded = ReadText(calls);
    EXPECT_EQ(recorded.substr(0, recorded.find('\n')), "args: \"" + dir + "\\Device\\Tide Charts.ini\"");
    EXPECT_NE(recorded.find("\r\n[Tide Charts]\r\nDescription = \"Tide tables for the coast\"\r\n"
                            "Uninstall = \"Sample Software Tide Charts\"\r\nCabFiles = tide.cab\r\n"),
              std::string::npos)
        << recorded;
    EXPECT_EQ(ReadText(dir + "\\readme.txt").substr(0, 13), "Tide Charts\r\n");
    // Handed over, the cabinet goes again.
    EXPECT_FALSE(PathExists(dir + "\\Device\\tide.cab"));
}

TEST_F(DeviceExamples, ThePalmProductReachesTheCurrentHotSyncUserAndRegistersItsConduit) {
    const std::string palm = folder + "\\palm";
    ASSERT_TRUE(SetUpPalmDesktop(palm));
    EXPECT_EQ(InstallSilently("palm", "Pocket Tasks"), 0);

    EXPECT_EQ(ReadText(palm + "\\AnnL\\Install\\tasks.prc").substr(0, 4), "PRC ");
    EXPECT_FALSE(PathExists(palm + "\\BobK\\Install\\tasks.prc"));
    EXPECT_EQ(PalmNumber("HotSync Manager", "Install3"), 1u);
    EXPECT_EQ(PalmNumber("Application0", "Creator"), 0x5441534Bu); // "TASK"
    EXPECT_EQ(PalmNumber("Application0", "Priority"), 2u);
}
