#include "ui/VisualStyle.h"

#include "core/SystemLibrary_win.h"

namespace cvn {

TVisualStyle& TVisualStyle::Instance() {
    static TVisualStyle style;
    return style;
}

TVisualStyle::TVisualStyle() {
    // Released only with the process: the functions stay valid for its whole life.
    HMODULE uxtheme = LoadSystemLibrary("uxtheme.dll").Release();
    isThemeActive_ = ProcAddress<IsThemeActiveFn>(uxtheme, "IsThemeActive");
    isAppThemed_ = ProcAddress<IsThemeActiveFn>(uxtheme, "IsAppThemed");
    openThemeData_ = ProcAddress<OpenThemeDataFn>(uxtheme, "OpenThemeData");
    closeThemeData_ = ProcAddress<CloseThemeDataFn>(uxtheme, "CloseThemeData");
    drawThemeBackground_ = ProcAddress<DrawThemeBackgroundFn>(uxtheme, "DrawThemeBackground");
}

bool TVisualStyle::Active() const {
    return isThemeActive_ && isAppThemed_ && openThemeData_ && closeThemeData_ && drawThemeBackground_ &&
           isThemeActive_() && isAppThemed_();
}

bool TVisualStyle::DrawPart(HWND window, const wchar_t* windowClass, HDC dc, int part, int state,
                            const RECT& rect) const {
    if (!Active()) return false;
    HANDLE theme = openThemeData_(window, windowClass);
    if (!theme) return false;
    const bool drawn = SUCCEEDED(drawThemeBackground_(theme, dc, part, state, &rect, nullptr));
    closeThemeData_(theme);
    return drawn;
}

} // namespace cvn
