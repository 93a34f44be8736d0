#pragma once

#include <windows.h>

namespace cvn {

// The system's visual styles (uxtheme), loaded from the system folder on first use
// and kept for the program's life; inactive where the system has none or they are off.
class TVisualStyle {
public:
    static TVisualStyle& Instance();
    bool Active() const;
    // Draws a part of the window class's style ("BUTTON"); false when not drawn.
    bool DrawPart(HWND window, const wchar_t* windowClass, HDC dc, int part, int state,
                  const RECT& rect) const;

private:
    TVisualStyle();
    using IsThemeActiveFn = BOOL(WINAPI*)();
    using OpenThemeDataFn = HANDLE(WINAPI*)(HWND, LPCWSTR);
    using CloseThemeDataFn = HRESULT(WINAPI*)(HANDLE);
    using DrawThemeBackgroundFn = HRESULT(WINAPI*)(HANDLE, HDC, int, int, const RECT*, const RECT*);
    IsThemeActiveFn isThemeActive_ = nullptr;
    IsThemeActiveFn isAppThemed_ = nullptr;
    OpenThemeDataFn openThemeData_ = nullptr;
    CloseThemeDataFn closeThemeData_ = nullptr;
    DrawThemeBackgroundFn drawThemeBackground_ = nullptr;
};

} // namespace cvn
