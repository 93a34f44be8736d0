#include "UiTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace cvn::test {

namespace {

std::map<UINT_PTR, std::function<void()>>& Pending() {
    static std::map<UINT_PTR, std::function<void()>> pending;
    return pending;
}

void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    auto it = Pending().find(id);
    if (it == Pending().end()) return;
    auto action = std::move(it->second);
    Pending().erase(it);
    action();
}

struct FindState {
    std::string caption;
    HWND found = nullptr;
};

BOOL CALLBACK FindProc(HWND hwnd, LPARAM lp) {
    auto* st = reinterpret_cast<FindState*>(lp);
    char text[512] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    if (IsWindowVisible(hwnd) && st->caption == text) {
        st->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CloseProc(HWND hwnd, LPARAM) {
    if (IsWindowVisible(hwnd)) PostMessageA(hwnd, WM_CLOSE, 0, 0);
    return TRUE;
}

struct Wait {
    std::string what;
    std::function<HWND()> find;
    std::function<void(HWND)> action;
    DWORD start, timeoutMs;
};

void Poll(const std::shared_ptr<Wait>& wait) {
    HWND window = wait->find();
    if (window && IsWindowVisible(window) && IsWindowEnabled(window)) {
        wait->action(window);
        return;
    }
    if (GetTickCount() - wait->start >= wait->timeoutMs) {
        ADD_FAILURE() << "no window \"" << wait->what << "\" within " << wait->timeoutMs << " ms";
        EnumThreadWindows(GetCurrentThreadId(), CloseProc, 0);
        return;
    }
    After(20, [wait] { Poll(wait); });
}

} // namespace

void WhenReady(const std::string& what, std::function<HWND()> find, std::function<void(HWND)> action,
               unsigned timeoutMs) {
    auto wait = std::make_shared<Wait>(
        Wait{what, std::move(find), std::move(action), GetTickCount(), DWORD(timeoutMs)});
    After(20, [wait] { Poll(wait); });
}

void WhenWindow(const std::string& caption, std::function<void(HWND)> action) {
    WhenReady(
        caption, [caption] { return FindThreadWindow(caption); }, std::move(action));
}

void After(unsigned milliseconds, std::function<void()> action) {
    UINT_PTR id = SetTimer(nullptr, 0, milliseconds, TimerProc);
    Pending()[id] = std::move(action);
}

void CancelPending() {
    for (auto& [id, action] : Pending())
        KillTimer(nullptr, id);
    Pending().clear();
}

HWND FindThreadWindow(const std::string& caption) {
    FindState st{caption};
    EnumThreadWindows(GetCurrentThreadId(), FindProc, reinterpret_cast<LPARAM>(&st));
    return st.found;
}

std::string MessageBoxText(HWND box) {
    char text[1024] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}

void PressButton(HWND window, int id) {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

POINT ChildPosition(HWND parent, int id) {
    RECT r{};
    GetWindowRect(GetDlgItem(parent, id), &r);
    POINT p{r.left, r.top};
    ScreenToClient(parent, &p);
    return p;
}

SIZE ChildSize(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

} // namespace cvn::test
