#include "install/Programs.h"

#include "core/Handle_win.h"
#include "install/SystemFolders.h"

#include <shellapi.h>

#include <vector>

namespace cvn {

namespace {

// Handles the window messages waiting for this thread. A quit request is held
// back and returned, so the caller can leave it for the main loop once the wait
// is over (re-posting it here would wake the wait again at once).
bool PumpMessages(int& quitCode) {
    bool quit = false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            quitCode = int(msg.wParam);
            continue;
        }
        HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (root && IsDialogMessageA(root, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return quit;
}

void WaitWhilePumping(HANDLE process) {
    bool quit = false;
    int quitCode = 0;
    for (;;) {
        DWORD rc = MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT);
        if (rc == WAIT_OBJECT_0 || rc == WAIT_FAILED) break;
        if (PumpMessages(quitCode)) quit = true;
    }
    if (quit) PostQuitMessage(quitCode);
}

} // namespace

bool RunProgramAndWait(const std::string& program, const std::string& parameters, const std::string& folder,
                       uint32_t& error, bool waitIdle, bool waitEnd) {
    error = 0;
    std::string commandLine = "\"" + program + "\" " + parameters;
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');
    std::string workDir = folder.empty() ? FileDirOf(program) : folder;
    workDir = DropTrailingBackslash(workDir);

    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workDir.empty() ? nullptr : workDir.c_str(), &si, &pi)) {
        error = GetLastError();
        return false;
    }
    KernelHandle process(pi.hProcess);
    CloseHandle(pi.hThread);
    if (waitIdle) WaitForInputIdle(process.Get(), INFINITE);
    if (waitEnd) WaitWhilePumping(process.Get());
    return true;
}

bool ShellOpen(uintptr_t window, const std::string& file, const std::string& parameters, int showCommand,
               const std::string& folder) {
    HINSTANCE rc = ShellExecuteA(reinterpret_cast<HWND>(window), nullptr, file.c_str(),
                                 parameters.empty() ? nullptr : parameters.c_str(),
                                 folder.empty() ? nullptr : folder.c_str(), showCommand);
    return reinterpret_cast<uintptr_t>(rc) > 32;
}

} // namespace cvn
