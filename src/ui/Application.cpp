#include "ui/Application.h"

#include "core/SystemLibrary_win.h"

#include <commctrl.h>

namespace cvn {

namespace {

const char kAppWindowClass[] = "TCorvaneApplication";

// Progress bars and list views come from comctl32, which is no KnownDLL: it is
// loaded from the system folder, never found beside the setup.
Library LoadCommonControls() {
    Library lib = LoadSystemLibrary("comctl32.dll");
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    if (auto init = ProcAddress<InitFn>(lib.Get(), "InitCommonControlsEx")) {
        INITCOMMONCONTROLSEX controls{sizeof controls,
                                      ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES};
        init(&controls);
    }
    return lib;
}

LRESULT CALLBACK AppWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(hwnd, msg, wp, lp);
}

} // namespace

TApplication& TApplication::Instance() {
    static TApplication app;
    return app;
}

TApplication::TApplication()
    : title_("Corvane Setup"), instance_(GetModuleHandleA(nullptr)), commonControls_(LoadCommonControls()) {}

void TApplication::SetTitle(const std::string& title) {
    title_ = title;
    if (handle_) SetWindowTextA(handle_, title_.c_str());
}

HWND TApplication::Handle() {
    if (!handle_) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = AppWndProc;
        wc.hInstance = instance_;
        wc.lpszClassName = kAppWindowClass;
        RegisterClassA(&wc);
        // A zero-sized, never shown window: it owns forms and message boxes so they get
        // a task-bar button titled after the setup.
        handle_ = CreateWindowExA(0, kAppWindowClass, title_.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  instance_, nullptr);
    }
    return handle_;
}

HWND TApplication::ActiveOwner() {
    HWND active = GetActiveWindow();
    DWORD pid = 0;
    if (active) GetWindowThreadProcessId(active, &pid);
    if (active && pid == GetCurrentProcessId() && IsWindowVisible(active)) return active;
    return Handle();
}

int TApplication::ShowMessage(const std::string& text, UINT flags, HWND owner) {
    return ::MessageBoxA(owner ? owner : Handle(), text.c_str(), title_.c_str(), flags | MB_SETFOREGROUND);
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            PostQuitMessage(int(msg.wParam)); // leave it for the main loop too
            return;
        }
        HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (root && IsDialogMessageA(root, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void TApplication::Run() {
    MSG msg;
    while (!terminated_ && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (root && IsDialogMessageA(root, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    terminated_ = true;
}

void TApplication::Terminate() {
    if (!terminated_) {
        terminated_ = true;
        PostQuitMessage(0);
    }
}

void TApplication::SetBusyCursor(bool busy) {
    busyDepth_ += busy ? 1 : -1;
    if (busyDepth_ < 0) busyDepth_ = 0;
    SetCursor(LoadCursorA(nullptr, busyDepth_ ? IDC_WAIT : IDC_ARROW));
}

UINT MessageIconFlags(TMessageIcon icon) {
    switch (icon) {
    case TMessageIcon::Error:
        return MB_ICONERROR;
    case TMessageIcon::Warning:
        return MB_ICONWARNING;
    case TMessageIcon::Information:
        return MB_ICONINFORMATION;
    case TMessageIcon::Question:
        return MB_ICONQUESTION;
    case TMessageIcon::None:
        break;
    }
    return 0;
}

} // namespace cvn
