// Starting programs and waiting for them, the shell's open action, and the
// restart of Windows behind its seam.

#include "install/Programs.h"
#include "install/Reboot.h"
#include "install/SystemFolders.h"
#include "script/VariableList.h"

#include "install/WinTestSupport.h"

#include <gtest/gtest.h>

namespace cvn {
namespace {

std::string Probe() {
    return test::BuildFile("testing/sysprobe/cvn_sysprobe.exe");
}

int g_posted = 0;
LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_APP) ++g_posted;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

TEST(ProgramsWin, RunAndWaitForTheEnd) {
    test::TempFolder out("cvn-run");
    uint32_t error = 0;
    // Without a folder the program starts in its own folder.
    ASSERT_TRUE(RunProgramAndWait(Probe(), "\"" + (out / "a.txt") + "\" cwd", "", error, false, true));
    EXPECT_EQ(error, 0u);
    auto report = test::ParseReport(test::ReadWholeFile(out / "a.txt"));
    EXPECT_TRUE(EqualsNoCase(report["cwd"], FileDirOf(Probe()))) << report["cwd"];

    ASSERT_TRUE(RunProgramAndWait(Probe(), "\"" + (out / "b.txt") + "\" cwd", out.Path(), error, true, true));
    EXPECT_TRUE(EqualsNoCase(test::ParseReport(test::ReadWholeFile(out / "b.txt"))["cwd"], out.Path()));
}

TEST(ProgramsWin, StartFailureGivesTheSystemError) {
    uint32_t error = 0;
    EXPECT_FALSE(RunProgramAndWait("C:\\no\\such\\program.exe", "", "", error, true, true));
    EXPECT_TRUE(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) << error;
}

TEST(ProgramsWin, WaitingHandlesMessagesAndKeepsAQuitRequest) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "CvnCountingWindow";
    RegisterClassA(&wc);
    Window window(
        CreateWindowA("CvnCountingWindow", "", 0, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr));
    ASSERT_TRUE(window);
    g_posted = 0;
    PostMessageA(window.Get(), WM_APP, 0, 0);
    PostQuitMessage(7);

    test::TempFolder out("cvn-pump");
    uint32_t error = 0;
    ASSERT_TRUE(RunProgramAndWait(Probe(), "\"" + (out / "c.txt") + "\" cwd", "", error, false, true));
    EXPECT_EQ(g_posted, 1);
    // The quit request is left for the main loop.
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST(ProgramsWin, ShellOpenRunsAProgram) {
    test::TempFolder out("cvn-shell");
    std::string report = out / "d.txt";
    ASSERT_TRUE(ShellOpen(0, Probe(), "\"" + report + "\" cwd", SW_HIDE, out.Path()));
    for (int i = 0; i < 300 && GetFileAttributesA(report.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(100);
    EXPECT_TRUE(EqualsNoCase(test::ParseReport(test::ReadWholeFile(report))["cwd"], out.Path()));
    EXPECT_FALSE(ShellOpen(0, "C:\\no\\such\\document.cvn-none", "", SW_HIDE, ""));
}

TEST(ProgramsWin, RebootGoesThroughTheSeam) {
    std::vector<uint32_t> requests;
    TExitWindowsAction previous = SetExitWindowsAction([&](uint32_t flags) {
        requests.push_back(flags);
        return true;
    });
    EXPECT_TRUE(RebootWindows());
    SetExitWindowsAction(std::move(previous));
    EXPECT_EQ(requests, std::vector<uint32_t>{EWX_REBOOT});

    // The shutdown privilege is now enabled for this process.
    KernelHandle token;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Out()));
    LUID shutdown;
    ASSERT_TRUE(LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &shutdown));
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenPrivileges, nullptr, 0, &size);
    std::vector<uint8_t> buffer(size);
    ASSERT_TRUE(GetTokenInformation(token.Get(), TokenPrivileges, buffer.data(), size, &size));
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    bool enabled = false;
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
        const LUID_AND_ATTRIBUTES& p = privileges->Privileges[i];
        if (p.Luid.LowPart == shutdown.LowPart && p.Luid.HighPart == shutdown.HighPart)
            enabled = (p.Attributes & SE_PRIVILEGE_ENABLED) != 0;
    }
    EXPECT_TRUE(enabled);
}

} // namespace
} // namespace cvn
