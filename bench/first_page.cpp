// The time from starting setup.exe to its first wizard page on the screen, against
// the time a bare Win32 program of this build takes to show its window, both measured
// here in the same run, so that the process start-up of the system (Wine's in
// particular) is left out:
//   first_page.exe SETUP_EXE [ROUNDS]
// The setup must show a page with a "Next" button (the example product does).

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kBareFlag = "--bare-window";

LRESULT CALLBACK BareProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// The reference program: one window with one button, shown at once.
int RunBareWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = BareProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "CvnBenchBare";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "bare", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    CreateWindowExA(0, "BUTTON", "Next >", WS_CHILD | WS_VISIBLE, 10, 10, 80, 24, window, nullptr,
                    wc.hInstance, nullptr);
    ShowWindow(window, SW_SHOW);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0)
        DispatchMessageA(&m);
    return 0;
}

struct TSearch {
    DWORD process = 0;
    bool found = false;
};

BOOL CALLBACK FindNextButton(HWND child, LPARAM lp) {
    char cls[16] = {}, text[32] = {};
    GetClassNameA(child, cls, sizeof cls);
    GetWindowTextA(child, text, sizeof text);
    if (lstrcmpiA(cls, "Button") == 0 && std::strstr(text, "Next") && IsWindowVisible(child)) {
        reinterpret_cast<TSearch*>(lp)->found = true;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindPage(HWND window, LPARAM lp) {
    auto* search = reinterpret_cast<TSearch*>(lp);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search->process && IsWindowVisible(window)) EnumChildWindows(window, FindNextButton, lp);
    return !search->found;
}

// Milliseconds from CreateProcess to a visible "Next" button of the program; -1 when
// none appears within 30 seconds.
double TimeToPage(const std::string& commandLine) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string line = commandLine;
    const auto start = std::chrono::steady_clock::now();
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    double ms = -1;
    for (;;) {
        TSearch search;
        search.process = pi.dwProcessId;
        EnumWindows(FindPage, reinterpret_cast<LPARAM>(&search));
        const double elapsed =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (search.found) {
            ms = elapsed;
            break;
        }
        if (elapsed > 30000 || WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
        Sleep(2);
    }
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ms;
}

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], kBareFlag) == 0) return RunBareWindow();
    if (argc < 2) {
        std::fprintf(stderr, "usage: first_page SETUP_EXE [ROUNDS]\n");
        return 2;
    }
    const int rounds = argc >= 3 ? std::max(1, std::atoi(argv[2])) : 5;
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string bare = std::string("\"") + self + "\" " + kBareFlag;
    const std::string setup = std::string("\"") + argv[1] + "\"";
    // The setups that are stopped leave their support files behind: in a folder of our own.
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string scratch = std::string(temp) + "cvn-first-page";
    CreateDirectoryA(scratch.c_str(), nullptr);
    SetEnvironmentVariableA("TMP", scratch.c_str());
    SetEnvironmentVariableA("TEMP", scratch.c_str());
    // The first start of each fills the system's caches; it is not counted.
    TimeToPage(bare);
    TimeToPage(setup);
    std::vector<double> bareTimes, setupTimes;
    for (int i = 0; i < rounds; ++i) {
        const double b = TimeToPage(bare), s = TimeToPage(setup);
        if (b < 0 || s < 0) {
            RemoveTree(scratch);
            std::fprintf(stderr, "first_page: no page with a Next button appeared\n");
            return 1;
        }
        bareTimes.push_back(b);
        setupTimes.push_back(s);
    }
    RemoveTree(scratch);
    const double b = Median(bareTimes), s = Median(setupTimes);
    std::printf("setup.exe first page %.0f ms, bare program window %.0f ms (medians of %d)\n", s, b, rounds);
    std::printf("first_page: ratio %.3f (target 1.00), %.0f ms beyond a bare program against 300 ms\n",
                (s - b) / 300.0, s - b);
    return 0;
}
