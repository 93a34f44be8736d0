#include "ui/TransparentPaint.h"

#include "ui/Picture.h"

namespace cvn {

namespace {

constexpr const char* kProperty = "CvnTransparentPaint";

// While a background is captured, the transparent controls beneath (a sibling below)
// paint plainly: their own capture would start again from the same parent.
int capturing = 0;

// Paints a window's client area, background first, into dc at its own origin.
void PrintWindowClient(HWND hwnd, HDC dc) {
    SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageA(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
}

// Messages after which the control has drawn itself straight to the screen (a button
// paints its new state at once), so its picture is laid over the background again.
bool RedrawsAfter(UINT msg) {
    switch (msg) {
    case BM_SETCHECK:
    case BM_SETSTATE:
    case BM_CLICK:
    case WM_SETTEXT:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_UPDATEUISTATE:
    case WM_SETFONT:
        return true;
    default:
        return false;
    }
}

} // namespace

TTransparentPaint::TTransparentPaint(HWND control) : control_(control) {
    if (!control_) return;
    SetPropA(control_, kProperty, reinterpret_cast<HANDLE>(this));
    base_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(control_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TTransparentPaint::Proc)));
}

TTransparentPaint::~TTransparentPaint() {
    if (!control_ || !IsWindow(control_)) return;
    SetWindowLongPtrA(control_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(base_));
    RemovePropA(control_, kProperty);
}

LRESULT CALLBACK TTransparentPaint::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<TTransparentPaint*>(GetPropA(hwnd, kProperty));
    if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
    try {
        return self->Handle(msg, wp, lp);
    } catch (...) {
        // A script behind the control failed; the control stays usable.
        return 0;
    }
}

LRESULT TTransparentPaint::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    if (!enabled || capturing) return CallWindowProcA(base_, control_, msg, wp, lp);
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        if (!GetUpdateRect(control_, nullptr, FALSE)) return 0;
        // What lies beneath may have changed, unless the control only redraws its state.
        if (!stateRedraw_) background_.Reset();
        stateRedraw_ = false;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(control_, &ps);
        Compose(dc);
        EndPaint(control_, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        Compose(reinterpret_cast<HDC>(wp));
        return 0;
    case WM_WINDOWPOSCHANGED:
    case WM_ENABLE: {
        background_.Reset();
        const LRESULT result = CallWindowProcA(base_, control_, msg, wp, lp);
        InvalidateRect(control_, nullptr, FALSE);
        return result;
    }
    default:
        break;
    }
    const LRESULT result = CallWindowProcA(base_, control_, msg, wp, lp);
    if (RedrawsAfter(msg)) {
        stateRedraw_ = true;
        InvalidateRect(control_, nullptr, FALSE);
        UpdateWindow(control_);
    }
    return result;
}

void TTransparentPaint::CaptureBackground(int width, int height) {
    HWND parent = GetParent(control_);
    HDC screen = GetDC(control_);
    background_.Reset(CreateCompatibleBitmap(screen, width, height));
    backgroundSize_ = {width, height};
    TMemoryDC memory(screen, static_cast<HBITMAP>(background_.Get()));
    ReleaseDC(control_, screen);
    HDC dc = memory.Get();
    RECT own{0, 0, width, height};
    FillRect(dc, &own, GetSysColorBrush(COLOR_BTNFACE));
    if (!parent) return;
    RECT at{};
    GetWindowRect(control_, &at);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&at), 2);
    ++capturing;
    POINT old{};
    SetViewportOrgEx(dc, -at.left, -at.top, &old);
    PrintWindowClient(parent, dc);
    // The siblings below the control, the lowest first: pictures and shapes sit there.
    for (HWND sibling = GetWindow(control_, GW_HWNDLAST); sibling && sibling != control_;
         sibling = GetWindow(sibling, GW_HWNDPREV)) {
        if (!IsWindowVisible(sibling)) continue;
        RECT r{}, overlap{};
        GetWindowRect(sibling, &r);
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
        if (!IntersectRect(&overlap, &r, &at)) continue;
        SetViewportOrgEx(dc, r.left - at.left, r.top - at.top, nullptr);
        PrintWindowClient(sibling, dc);
    }
    SetViewportOrgEx(dc, old.x, old.y, nullptr);
    --capturing;
}

void TTransparentPaint::Compose(HDC target) {
    RECT client{};
    GetClientRect(control_, &client);
    const int width = client.right, height = client.bottom;
    if (width <= 0 || height <= 0) return;
    if (!background_ || backgroundSize_.cx != width || backgroundSize_.cy != height)
        CaptureBackground(width, height);

    GdiObject ownBitmap(CreateCompatibleBitmap(target, width, height));
    TMemoryDC own(target, static_cast<HBITMAP>(ownBitmap.Get()));
    // A control that leaves its background alone still gets one colour to key out.
    FillRect(own.Get(), &client, GetSysColorBrush(COLOR_BTNFACE));
    CallWindowProcA(base_, control_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(own.Get()),
                    PRF_CLIENT | PRF_ERASEBKGND);
    const COLORREF transparent = GetPixel(own.Get(), 0, 0);

    GdiObject resultBitmap(CreateCompatibleBitmap(target, width, height));
    TMemoryDC result(target, static_cast<HBITMAP>(resultBitmap.Get()));
    TMemoryDC background(target, static_cast<HBITMAP>(background_.Get()));
    BitBlt(result.Get(), 0, 0, width, height, background.Get(), 0, 0, SRCCOPY);
    if (TransparentBltFn copy = TransparentCopy())
        copy(result.Get(), 0, 0, width, height, own.Get(), 0, 0, width, height, transparent);
    else
        BitBlt(result.Get(), 0, 0, width, height, own.Get(), 0, 0, SRCCOPY);
    BitBlt(target, 0, 0, width, height, result.Get(), 0, 0, SRCCOPY);
}

} // namespace cvn
