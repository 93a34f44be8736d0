#include "core/Handle_win.h"
#include "script/CommandPlatform.h"
#include "script/Commands.h"

#include <shellapi.h>

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

class TWinPcPrograms final : public TPcPrograms {
public:
    void ShellOpen(const std::string& file, const std::string& folder) override {
        ShellExecuteA(nullptr, nullptr, file.c_str(), nullptr, OrNull(folder), SW_SHOWNORMAL);
    }

    bool Run(const std::string& program, const std::string& parameters, bool wait) override {
        std::string commandLine = "\"" + program + "\" " + parameters;
        const std::string folder = StartFolder(program);
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, OrNull(folder),
                            &si, &pi))
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
