#pragma once

#include "core/Handle_win.h"

#include <windows.h>

namespace cvn {

// Paints a check box, radio button or transparent label over what lies beneath it:
// the parent's background and the siblings below it (pictures, shapes). The control
// draws itself off screen; the colour of its top-left pixel becomes transparent and the
// rest is laid over the cached background. It takes the control's window procedure
// for its lifetime.
class TTransparentPaint final {
public:
    explicit TTransparentPaint(HWND control);
    ~TTransparentPaint();
    TTransparentPaint(const TTransparentPaint&) = delete;
    TTransparentPaint& operator=(const TTransparentPaint&) = delete;

    // Off: the control paints as usual.
    bool enabled = true;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    void CaptureBackground(int width, int height);
    void Compose(HDC target);

    HWND control_;
    WNDPROC base_ = nullptr;
    GdiObject background_; // what lies beneath the control, at its size
    SIZE backgroundSize_{};
    bool stateRedraw_ = false; // the next paint only shows a new state: the cache holds
};

} // namespace cvn
