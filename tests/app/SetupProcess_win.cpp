#include "SetupProcess_win.h"

#include "BuildFiles_win.h"

#include <commctrl.h>

#include <fstream>
#include <thread>
#include <vector>

namespace cvn::test {

namespace {

std::string WindowText(HWND w) {
    char buf[4096] = {};
    GetWindowTextA(w, buf, sizeof buf);
    return buf;
}

std::string ClassOf(HWND w) {
    char buf[256] = {};
    GetClassNameA(w, buf, sizeof buf);
    return buf;
}

// The environment of this process with TEMP and TMP replaced.
std::vector<char> EnvironmentWithTemp(const std::string& temp) {
    std::vector<char> block;
    char* env = GetEnvironmentStringsA();
    for (const char* p = env; *p; p += strlen(p) + 1) {
        std::string entry = p;
        std::string upper = entry.substr(0, 5);
        for (char& c : upper)
            c = char(toupper(static_cast<unsigned char>(c)));
        if (upper.rfind("TEMP=", 0) == 0 || upper.rfind("TMP=", 0) == 0) continue;
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back('\0');
    }
    FreeEnvironmentStringsA(env);
    for (const char* name : {"TEMP=", "TMP="}) {
        std::string entry = name + temp;
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back('\0');
    }
    block.push_back('\0');
    return block;
}

struct FindState {
    DWORD pid;
    HWND found = nullptr;
    int width = -1, height = -1; // -1: a message box
};

BOOL CALLBACK FindProc(HWND w, LPARAM lp) {
    auto* st = reinterpret_cast<FindState*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != st->pid || !IsWindowVisible(w)) return TRUE;
    if (st->width < 0) {
        if (ClassOf(w) == "#32770") {
            st->found = w;
            return FALSE;
        }
        return TRUE;
    }
    RECT r;
    GetClientRect(w, &r);
    if (r.right == st->width && r.bottom == st->height) {
        st->found = w;
        return FALSE;
    }
    return TRUE;
}

struct WatchState {
    DWORD pid;
    std::vector<std::pair<HWND, SeenWindow>> looks;
};

BOOL CALLBACK LookAtChild(HWND c, LPARAM lp) {
    auto* look = reinterpret_cast<SeenWindow*>(lp);
    if (!IsWindowVisible(c)) return TRUE;
    const std::string kind = ClassOf(c);
    if (kind == "Button") look->buttons.push_back(WindowText(c));
    if (kind == PROGRESS_CLASSA) look->progressBar = true;
    return TRUE;
}

BOOL CALLBACK WatchProc(HWND w, LPARAM lp) {
    auto* st = reinterpret_cast<WatchState*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != st->pid || !IsWindowVisible(w)) return TRUE;
    RECT r{};
    GetClientRect(w, &r);
    SeenWindow look{ClassOf(w),
                    WindowText(w),
                    int(r.right),
                    int(r.bottom),
                    (GetWindowLongA(w, GWL_STYLE) & WS_CAPTION) == WS_CAPTION,
                    false,
                    {}};
    EnumChildWindows(w, LookAtChild, reinterpret_cast<LPARAM>(&look));
    // Gone meanwhile: its children may have been taken down along with it.
    if (!IsWindowVisible(w)) return TRUE;
    for (const auto& [known, seen] : st->looks)
        if (known == w && seen == look) return TRUE;
    st->looks.push_back({w, std::move(look)});
    return TRUE;
}

// Pixels of a screen area, or of an icon drawn over a given background.
std::vector<COLORREF> Pixels(HDC source, int x, int y, int w, int h) {
    std::vector<COLORREF> px;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            px.push_back(GetPixel(source, x + i, y + j));
    return px;
}

std::vector<COLORREF> IconPixels(HICON icon, int w, int h, COLORREF background) {
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    RECT r{0, 0, w, h};
    HBRUSH brush = CreateSolidBrush(background);
    FillRect(mem, &r, brush);
    DeleteObject(brush);
    DrawIconEx(mem, 0, 0, icon, w, h, 0, nullptr, DI_NORMAL);
    auto px = Pixels(mem, 0, 0, w, h);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return px;
}

// Which standard icon the box shows, told by its pixels on the screen: icon handles
// of another process cannot be compared.
std::string IconKind(HWND box) {
    HWND control = nullptr;
    for (HWND c = GetWindow(box, GW_CHILD); c && !control; c = GetWindow(c, GW_HWNDNEXT))
        if ((GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(c)) control = c;
    if (!control) return "";
    SetForegroundWindow(box);
    RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(200);
    RECT r;
    GetWindowRect(control, &r);
    const int w = GetSystemMetrics(SM_CXICON), h = GetSystemMetrics(SM_CYICON);
    HDC screen = GetDC(nullptr);
    auto shown = Pixels(screen, r.left, r.top, w, h);
    ReleaseDC(nullptr, screen);
    struct Known {
        LPCSTR id;
        const char* name;
    };
    std::string best = "?";
    size_t bestSame = 0;
    for (Known k : {Known{IDI_ERROR, "error"}, Known{IDI_INFORMATION, "information"},
                    Known{IDI_WARNING, "warning"}, Known{IDI_QUESTION, "question"}}) {
        auto drawn = IconPixels(LoadIconA(nullptr, k.id), w, h, shown[0]);
        size_t same = 0;
        for (size_t i = 0; i < shown.size(); ++i)
            same += shown[i] == drawn[i];
        if (same > bestSame) {
            bestSame = same;
            best = k.name;
        }
    }
    return bestSame * 10 >= shown.size() * 9 ? best : "?";
}

} // namespace

SetupProcess::SetupProcess(const std::string& exe, const std::string& tempFolder,
                           const std::string& arguments) {
    std::vector<char> env = EnvironmentWithTemp(tempFolder);
    std::string cmd = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, env.data(), nullptr, &si, &pi))
        return;
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
}

SetupProcess::~SetupProcess() {
    if (!process_) return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 99);
    CloseHandle(process_);
}

std::optional<SeenMessageBox> SetupProcess::WaitForMessageBox(std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (process_ && std::chrono::steady_clock::now() < end) {
        FindState st{pid_};
        EnumWindows(FindProc, reinterpret_cast<LPARAM>(&st));
        if (st.found) {
            SeenMessageBox box;
            box.window = st.found;
            box.caption = WindowText(st.found);
            box.text = WindowText(GetDlgItem(st.found, 0xFFFF));
            box.icon = IconKind(st.found);
            return box;
        }
        if (WaitForSingleObject(process_, 20) == WAIT_OBJECT_0) return std::nullopt;
    }
    return std::nullopt;
}

void SetupProcess::PressOk(const SeenMessageBox& box) {
    HWND button = GetDlgItem(box.window, IDOK);
    int id = IDOK;
    if (!button) {
        button = GetDlgItem(box.window, IDCANCEL);
        id = IDCANCEL;
    }
    PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    // Wait until the box has gone, so the next search does not find it again.
    for (int i = 0; i < 500 && IsWindow(box.window) && IsWindowVisible(box.window); ++i)
        Sleep(10);
}

HWND SetupProcess::FindWindowOfSize(int clientWidth, int clientHeight) const {
    FindState st{pid_, nullptr, clientWidth, clientHeight};
    EnumWindows(FindProc, reinterpret_cast<LPARAM>(&st));
    return st.found;
}

int SetupProcess::WaitForExit(std::chrono::milliseconds timeout) {
    if (!process_) return -1;
    if (WaitForSingleObject(process_, DWORD(timeout.count())) != WAIT_OBJECT_0) {
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 5000);
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return int(code);
}

std::ostream& operator<<(std::ostream& out, const SeenWindow& w) {
    out << w.className << " \"" << w.caption << "\" " << w.clientWidth << "x" << w.clientHeight
        << (w.titled ? " titled" : "") << (w.progressBar ? " progress" : "");
    for (const std::string& b : w.buttons)
        out << " [" << b << "]";
    return out;
}

std::vector<SeenWindow> NotSilent(std::vector<SeenWindow> seen) {
    std::erase_if(seen,
                  [](const SeenWindow& w) { return w.buttons.empty() && (!w.titled || w.progressBar); });
    return seen;
}

int SetupProcess::WaitForExitWatchingWindows(std::chrono::milliseconds timeout,
                                             std::vector<SeenWindow>& seen) {
    if (!process_) return -1;
    WatchState st{pid_, {}};
    const auto end = std::chrono::steady_clock::now() + timeout;
    // A window shown and hidden again between two looks goes unseen: the looks are
    // close enough together for one that is painted.
    bool ended = false;
    while (!ended && std::chrono::steady_clock::now() < end) {
        EnumWindows(WatchProc, reinterpret_cast<LPARAM>(&st));
        ended = WaitForSingleObject(process_, 2) == WAIT_OBJECT_0;
    }
    for (auto& look : st.looks)
        seen.push_back(std::move(look.second));
    return WaitForExit(std::chrono::milliseconds(0));
}

std::string MakeScratchFolder(const std::string& name) {
    char buf[MAX_PATH + 1];
    GetTempPathA(sizeof buf, buf);
    std::string path = std::string(buf) + "cvn-e2e-" + std::to_string(GetCurrentProcessId()) + "-" + name;
    RemoveTree(path);
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string n = fd.cFileName;
            if (n == "." || n == "..") continue;
            std::string child = path + "\\" + n;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(path.c_str());
}

bool WriteBytes(const std::string& path, const void* data, size_t size) {
    std::ofstream out(path, std::ios::binary);
    out.write(static_cast<const char*>(data), std::streamsize(size));
    return bool(out);
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string SetupStubPath() {
    return BuildFile("src/app/setup.exe");
}

} // namespace cvn::test
