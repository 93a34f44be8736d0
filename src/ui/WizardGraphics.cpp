#include "ui/WizardGraphics.h"

#include "ui/Application.h"
#include "ui/Picture.h"
#include "ui/VisualStyle.h"
#include "ui/WizardControls.h"

#include <algorithm>

namespace cvn {

namespace {

// A bitmap's transparent colour is that of its bottom-left pixel.
COLORREF BottomLeftColour(HDC memory, SIZE size) {
    return GetPixel(memory, 0, size.cy - 1);
}

void CopyBitmap(HDC dc, int x, int y, int width, int height, HBITMAP bitmap, SIZE size, bool transparent) {
    TMemoryDC memory(dc, bitmap);
    TransparentBltFn copy = transparent ? TransparentCopy() : nullptr;
    if (copy) {
        copy(dc, x, y, width, height, memory.Get(), 0, 0, size.cx, size.cy,
             BottomLeftColour(memory.Get(), size));
    } else {
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, x, y, width, height, memory.Get(), 0, 0, size.cx, size.cy, SRCCOPY);
    }
}

constexpr const char* kGraphicClass = "CvnWizardGraphic";

// Pictures, lines, shapes and frames: windows that draw themselves over their parent's
// background, below every other control of the panel.
LRESULT CALLBACK GraphicProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    TWinControl* c = TWinControl::FromWindow(hwnd);
    try {
        switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            if (HWND parent = GetParent(hwnd)) {
                POINT at{0, 0};
                MapWindowPoints(hwnd, parent, &at, 1);
                POINT old{};
                SetViewportOrgEx(dc, -at.x, -at.y, &old);
                SendMessageA(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
                SetViewportOrgEx(dc, old.x, old.y, nullptr);
            }
            if (c) c->PaintGraphic(dc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            if (c) c->PaintGraphic(reinterpret_cast<HDC>(wp));
            return 0;
        case WM_SETTEXT:
        case WM_SETFONT:
        case WM_ENABLE: {
            // A frame shows its caption in its font, greyed when disabled.
            const LRESULT result = DefWindowProcA(hwnd, msg, wp, lp);
            InvalidateRect(hwnd, nullptr, FALSE);
            return result;
        }
        case WM_LBUTTONUP:
            if (c) c->Command(STN_CLICKED);
            return 0;
        default:
            break;
        }
    } catch (...) {
        // A script behind the click failed; the page stays usable.
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void RegisterClassOnce() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = GraphicProc;
    wc.hInstance = TApplication::Instance().ModuleInstance();
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kGraphicClass;
    RegisterClassA(&wc);
    registered = true;
}

bool IsGraphic(HWND hwnd) {
    char name[32] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return lstrcmpiA(name, kGraphicClass) == 0;
}

} // namespace

void PaintPicture(HDC dc, const RECT& client, HBITMAP bitmap, bool stretch, bool transparent, bool border) {
    const SIZE size = BitmapSize(bitmap);
    if (size.cx > 0 && size.cy > 0) {
        if (stretch)
            CopyBitmap(dc, 0, 0, client.right, client.bottom, bitmap, size, transparent);
        else
            CopyBitmap(dc, 0, 0, size.cx, size.cy, bitmap, size, transparent);
    }
    if (border) {
        RECT edge = client;
        DrawEdge(dc, &edge, TVisualStyle::Instance().Active() ? BDR_SUNKENOUTER : EDGE_SUNKEN, BF_RECT);
    }
}

void PaintPictureButton(HDC dc, const RECT& client, HBITMAP bitmap) {
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    const SIZE size = BitmapSize(bitmap);
    if (size.cx >= 5 && size.cy >= 5) {
        // Centred, and cut to the button less its edge where the picture is larger.
        const int width = std::min<int>(size.cx, client.right - 4);
        const int height = std::min<int>(size.cy, client.bottom - 4);
        TMemoryDC memory(dc, bitmap);
        const int x = (client.right - width) / 2, y = (client.bottom - height) / 2;
        const int fromX = (size.cx - width) / 2, fromY = (size.cy - height) / 2;
        if (TransparentBltFn copy = TransparentCopy())
            copy(dc, x, y, width, height, memory.Get(), fromX, fromY, width, height,
                 BottomLeftColour(memory.Get(), size));
        else
            BitBlt(dc, x, y, width, height, memory.Get(), fromX, fromY, SRCCOPY);
    }
    RECT edge = client;
    DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);
}

void PaintLine(HDC dc, const RECT& client) {
    const int y = client.bottom / 2;
    RECT shadow{0, y - 1, client.right, y};
    FillRect(dc, &shadow, GetSysColorBrush(COLOR_BTNSHADOW));
    if (!TVisualStyle::Instance().Active()) {
        RECT light{0, y, client.right, y + 1};
        FillRect(dc, &light, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
    }
}

void PaintShape(HDC dc, const RECT& client, int shape, COLORREF pen, COLORREF brush) {
    int left = 0, top = 0, width = client.right, height = client.bottom;
    if (shape == 1 || shape == 3 || shape == 5) {
        // The square kinds take the smaller side, centred.
        const int side = std::min(width, height);
        left = (width - side) / 2;
        top = (height - side) / 2;
        width = height = side;
    }
    HPEN p = CreatePen(PS_SOLID, 1, pen);
    HBRUSH b = CreateSolidBrush(brush);
    HGDIOBJ oldPen = SelectObject(dc, p), oldBrush = SelectObject(dc, b);
    const int right = left + width, bottom = top + height;
    const int corner = std::min(width, height) / 4;
    switch (shape) {
    case 2:
    case 3:
        RoundRect(dc, left, top, right, bottom, corner, corner);
        break;
    case 4:
    case 5:
        Ellipse(dc, left, top, right, bottom);
        break;
    default:
        Rectangle(dc, left, top, right, bottom);
        break;
    }
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(p);
    DeleteObject(b);
}

void PaintFrame(HWND window, HDC dc, const RECT& client, const std::string& caption, HFONT font,
                COLORREF textColour, bool enabled, bool ctl3d) {
    HGDIOBJ oldFont = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SIZE text{};
    GetTextExtentPoint32A(dc, caption.c_str(), int(caption.size()), &text);
    constexpr int kCaptionLeft = 7;
    RECT border{0, metrics.tmHeight / 2, client.right, client.bottom};
    const int saved = SaveDC(dc);
    if (!caption.empty()) ExcludeClipRect(dc, kCaptionLeft, 0, kCaptionLeft + text.cx, metrics.tmHeight);
    constexpr int kGroupBoxPart = 4, kNormal = 1, kDisabled = 2;
    if (!TVisualStyle::Instance().Active() ||
        !TVisualStyle::Instance().DrawPart(window, L"BUTTON", dc, kGroupBoxPart,
                                           enabled ? kNormal : kDisabled, border)) {
        if (ctl3d)
            DrawEdge(dc, &border, EDGE_ETCHED, BF_RECT);
        else
            FrameRect(dc, &border, GetSysColorBrush(COLOR_WINDOWFRAME));
    }
    RestoreDC(dc, saved);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, enabled ? textColour : GetSysColor(COLOR_GRAYTEXT));
    TextOutA(dc, kCaptionLeft, 0, caption.c_str(), int(caption.size()));
    SelectObject(dc, oldFont);
}

COLORREF ColourFromNumber(int number) {
    const auto value = static_cast<uint32_t>(number);
    if (value & 0x80000000u) return GetSysColor(int(value & 0xFF));
    return COLORREF(value & 0xFFFFFF);
}

// A new control goes above the panel's topmost picture, line or shape: windowed
// controls stay above every drawn one and keep their creation (tab) order, and a later
// drawn control lies over an earlier one.
void PlaceInZOrder(HWND control, HWND parent) {
    for (HWND sibling = GetWindow(parent, GW_CHILD); sibling; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
        if (sibling == control || !IsGraphic(sibling)) continue;
        HWND above = GetWindow(sibling, GW_HWNDPREV);
        SetWindowPos(control, above && above != control ? above : HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return;
    }
}

const char* GraphicWindowClass() {
    RegisterClassOnce();
    return kGraphicClass;
}

void TWinControl::PaintGraphic(HDC dc) {
    RECT client{};
    GetClientRect(hwnd_, &client);
    HBITMAP picture = static_cast<HBITMAP>(picture_.Get());
    switch (Class()) {
    case TControlClass::Image:
        PaintPicture(dc, client, picture, stretch_, pictureTransparent_, border_);
        break;
    case TControlClass::ImageButton:
        PaintPictureButton(dc, client, picture);
        break;
    case TControlClass::Line:
        PaintLine(dc, client);
        break;
    case TControlClass::Shape:
        PaintShape(dc, client, shape_, pen_, brush_);
        break;
    case TControlClass::Frame:
        // No definition field turns the 3D look off, so a frame always has it.
        PaintFrame(hwnd_, dc, client, Text(), static_cast<HFONT>(font_.Get()), colour_,
                   IsWindowEnabled(hwnd_), true);
        break;
    default:
        break;
    }
}

} // namespace cvn
