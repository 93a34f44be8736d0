#include "core/Handle_win.h"
#include "script/CommandPlatform.h"
#include "script/Commands.h"

#include <shellapi.h>

#include <algorithm>

namespace cvn {

namespace {

const char* OrNull(const std::string& s) {
    return s.empty() ? nullptr : s.c_str();
}

// Waits for the process while keeping this thread's windows alive. A quit request
// met on the way is put back once the wait is over.
void WaitPumpingMessages(HANDLE process) {
    bool quit = false;
    WPARAM quitCode = 0;
    for (;;) {
        DWORD rc = quit ? WaitForSingleObject(process, INFINITE)
                        : MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT);
        if (rc != WAIT_OBJECT_0 + 1) break; // ended, or the wait itself failed
        MSG msg;
        while (!quit && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                quitCode = msg.wParam;
                break;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    if (quit) PostQuitMessage(int(quitCode));
}

// A program named without a folder: CreateProcess would look in the setup's own
// folder (a Downloads folder, often) and the current folder before the system's, so
// a program planted there would run in place of a system tool. Such a name is looked
// for in the system folder, the Windows folder and the absolute folders of PATH
// only, in that order; not found there, it is not started.
std::string SystemProgramPath(const std::string& name) {
    std::string folders;
    char dir[MAX_PATH];
    if (UINT n = GetSystemDirectoryA(dir, MAX_PATH); n && n < MAX_PATH) folders += std::string(dir) + ";";
    if (UINT n = GetWindowsDirectoryA(dir, MAX_PATH); n && n < MAX_PATH) folders += std::string(dir) + ";";
    if (DWORD n = GetEnvironmentVariableA("PATH", nullptr, 0)) {
        std::string path(n, '\0');
        path.resize(GetEnvironmentVariableA("PATH", path.data(), n));
        for (size_t start = 0; start <= path.size();) {
            size_t end = std::min(path.find(';', start), path.size());
            std::string folder = path.substr(start, end - start);
            const bool absolute =
                (folder.size() > 2 && folder[1] == ':' && (folder[2] == '\\' || folder[2] == '/')) ||
                folder.rfind("\\\\", 0) == 0;
            if (absolute) folders += folder + ";";
            start = end + 1;
        }
    }
    char found[MAX_PATH];
    DWORD n = SearchPathA(folders.c_str(), name.c_str(), ".exe", MAX_PATH, found, nullptr);
    return n && n < MAX_PATH ? std::string(found, n) : std::string();
}

class TWinPcPrograms final : public TPcPrograms {
public:
    void ShellOpen(const std::string& file, const std::string& folder) override {
        ShellExecuteA(nullptr, nullptr, file.c_str(), nullptr, OrNull(folder), SW_SHOWNORMAL);
    }

    bool Run(const std::string& requested, const std::string& parameters, bool wait) override {
        const bool bareName = requested.find_first_of("\\/:") == std::string::npos;
        const std::string program = bareName ? SystemProgramPath(requested) : requested;
        if (program.empty()) return false;
        std::string commandLine = "\"" + program + "\" " + parameters;
        const std::string folder = StartFolder(program);
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessA(bareName ? program.c_str() : nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                            0, nullptr, OrNull(folder), &si, &pi))
            return false;
        KernelHandle process(pi.hProcess);
        KernelHandle thread(pi.hThread);
        if (wait) {
            WaitForInputIdle(process.Get(), INFINITE);
            WaitPumpingMessages(process.Get());
        }
        return true;
    }

    bool WindowExists(const std::string& windowClass, const std::string& title) override {
        return FindWindowA(OrNull(windowClass), OrNull(title)) != nullptr;
    }

    void CloseWindow(const std::string& windowClass, const std::string& title, bool quit) override {
        if (HWND w = FindWindowA(OrNull(windowClass), OrNull(title)))
            PostMessageA(w, quit ? WM_QUIT : WM_CLOSE, 0, 0);
    }

    void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }
};

} // namespace

std::unique_ptr<TPcPrograms> CreateWinPcPrograms() {
    return std::make_unique<TWinPcPrograms>();
}

} // namespace cvn
