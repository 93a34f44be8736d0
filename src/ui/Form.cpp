#include "ui/Form.h"

#include "ui/Application.h"
#include "ui/Picture.h"

#include <commctrl.h>

namespace cvn {

namespace {

const char kFormClass[] = "TCorvaneForm";

void RegisterFormClass(WNDPROC formProc) {
    static bool registered = false;
    if (registered) return;
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    // Every form window starts in TForm::WndProc, which finds its object through WM_NCCREATE.
    wc.lpfnWndProc = formProc;
    wc.hInstance = TApplication::Instance().ModuleInstance();
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kFormClass;
    wc.hIcon = LoadIconA(wc.hInstance, "MAINICON");
    RegisterClassA(&wc);
    registered = true;
}

int PointsToHeight(int points) {
    HDC dc = GetDC(nullptr);
    int h = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(nullptr, dc);
    return h;
}

} // namespace

GdiObject CreateFontFromSpec(const TFontSpec& font) {
    return GdiObject(CreateFontA(PointsToHeight(font.points), 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL,
                                 font.italic, font.underline, font.strikeOut, font.charset,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, font.quality,
                                 DEFAULT_PITCH | FF_DONTCARE, font.face.c_str()));
}

COLORREF ColourFromRecord(int32_t colour) {
    // A system colour is 0x80000000 + its index; a plain one is 0x00BBGGRR.
    return colour & 0x80000000 ? GetSysColor(colour & 0xFF) : COLORREF(colour & 0xFFFFFF);
}

TFontSpec FontSpecFromRecord(const TFontRecord& record) {
    TFontSpec font;
    if (!record.face.empty()) font.face = record.face;
    if (record.size > 0) font.points = record.size;
    font.color = ColourFromRecord(record.color);
    font.bold = record.style & 1;
    font.italic = record.style & 2;
    font.underline = record.style & 4;
    font.strikeOut = record.style & 8;
    font.charset = record.charset;
    return font;
}

TForm::TForm() : colour_(GetSysColor(COLOR_BTNFACE)), brush_(CreateSolidBrush(colour_)) {}

TForm::~TForm() {
    DestroyForm();
}

void TForm::DestroyForm() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool TForm::CreateForm(HWND owner, TBorder border, int clientWidth, int clientHeight,
                       const std::string& caption, DWORD extraExStyle) {
    RegisterFormClass(&TForm::WndProc);
    owner_ = owner;
    DWORD style = WS_CLIPCHILDREN;
    DWORD exStyle = extraExStyle;
    switch (border) {
    case TBorder::Dialog:
        style |= WS_POPUP | WS_CAPTION | WS_SYSMENU;
        exStyle |= WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
        break;
    case TBorder::ToolWindow:
        style |= WS_POPUP | WS_CAPTION;
        exStyle |= WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
        break;
    case TBorder::None:
        style |= WS_POPUP;
        exStyle |= WS_EX_CONTROLPARENT;
        break;
    }
    RECT r{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    hwnd_ = CreateWindowExA(exStyle, kFormClass, caption.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                            r.right - r.left, r.bottom - r.top, owner, nullptr,
                            TApplication::Instance().ModuleInstance(), this);
    if (!hwnd_) return false;
    SetFont(fontSpec_);
    try {
        FormCreate();
    } catch (...) {
        return false;
    }
    return true;
}

LRESULT CALLBACK TForm::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    TForm* form;
    if (msg == WM_NCCREATE) {
        form = static_cast<TForm*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        form->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    } else {
        form = reinterpret_cast<TForm*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (!form) return DefWindowProcA(hwnd, msg, wp, lp);
    try {
        return form->Dispatch(msg, wp, lp);
    } catch (...) {
        // A handler failed; the window stays usable and the failure goes no further.
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

LRESULT TForm::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    bool handled = false;
    LRESULT result = HandleMessage(msg, wp, lp, handled);
    if (handled) return result;

    switch (msg) {
    case WM_COMMAND: {
        int id = LOWORD(wp);
        int code = HIWORD(wp);
        if (code == BN_CLICKED || code == 0 || code == 1) {
            // Enter and Escape arrive as IDOK and IDCANCEL from the dialog manager.
            if (lp == 0 && id == IDOK && defaultButton_) id = defaultButton_;
            if (lp == 0 && id == IDCANCEL) {
                if (cancelButton_) {
                    id = cancelButton_;
                } else {
                    Close();
                    return 0;
                }
            }
            Click(id);
            return 0;
        }
        break;
    }
    case WM_CLOSE:
        Close();
        return 0;
    case WM_ERASEBKGND: {
        RECT rc;
        GetClientRect(hwnd_, &rc);
        FillRect(reinterpret_cast<HDC>(wp), &rc, static_cast<HBRUSH>(brush_.Get()));
        return 1;
    }
    case WM_PAINT:
        Paint();
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetBkColor(dc, colour_);
        return reinterpret_cast<LRESULT>(brush_.Get());
    }
    case WM_SETCURSOR:
        if (TApplication::Instance().BusyCursorShown()) {
            SetCursor(LoadCursorA(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    case WM_SHOWWINDOW:
        if (wp) FormShow();
        break;
    case WM_DESTROY:
        FormDestroy();
        break;
    case WM_NCDESTROY: {
        HWND hwnd = hwnd_;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    }
    return DefWindowProcA(hwnd_, msg, wp, lp);
}

LRESULT TForm::HandleMessage(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

void TForm::Click(int id) {
    auto it = clicks_.find(id);
    if (it != clicks_.end() && it->second) it->second();
}

void TForm::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    FormPaint(dc);
    for (auto& img : images_) {
        if (!img->visible) continue;
        RECT& b = img->bounds;
        if (img->icon) {
            // Width and height 0 draw the icon at its own size.
            DrawIconEx(dc, b.left, b.top, img->icon, img->stretch ? b.right - b.left : 0,
                       img->stretch ? b.bottom - b.top : 0, 0, nullptr, DI_NORMAL);
            continue;
        }
        if (!img->bitmap) continue;
        BITMAP bm{};
        GetObjectA(img->bitmap, sizeof bm, &bm);
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, img->bitmap);
        int w = img->stretch ? b.right - b.left : bm.bmWidth;
        int h = img->stretch ? b.bottom - b.top : bm.bmHeight;
        SetStretchBltMode(dc, HALFTONE);
        if (img->transparent && TransparentCopy())
            TransparentCopy()(dc, b.left, b.top, w, h, mem, 0, 0, bm.bmWidth, bm.bmHeight,
                              GetPixel(mem, 0, bm.bmHeight - 1));
        else
            StretchBlt(dc, b.left, b.top, w, h, mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
    }
    for (auto& label : labels_) {
        if (!label->visible || label->caption.empty()) continue;
        HGDIOBJ oldFont = SelectObject(dc, label->font ? label->font : Font());
        SetTextColor(dc, label->color != CLR_INVALID ? label->color : fontSpec_.color);
        RECT r = label->bounds;
        if (label->transparent) {
            SetBkMode(dc, TRANSPARENT);
        } else {
            SetBkMode(dc, OPAQUE);
            COLORREF bg = label->background != CLR_INVALID ? label->background : colour_;
            SetBkColor(dc, bg);
            HBRUSH b = CreateSolidBrush(bg);
            FillRect(dc, &r, b);
            DeleteObject(b);
        }
        UINT flags = label->align | DT_NOPREFIX | (label->wordWrap ? DT_WORDBREAK : DT_SINGLELINE);
        if (label->centreVertically) {
            if (label->wordWrap) {
                // DrawText centres only single lines: measure first, then offset.
                RECT calc = r;
                DrawTextA(dc, label->caption.c_str(), -1, &calc, flags | DT_CALCRECT);
                int textHeight = calc.bottom - calc.top;
                int offset = (r.bottom - r.top - textHeight) / 2;
                if (offset > 0) r.top += offset;
            } else {
                flags |= DT_VCENTER;
            }
        }
        DrawTextA(dc, label->caption.c_str(), -1, &r, flags);
        SelectObject(dc, oldFont);
    }
    EndPaint(hwnd_, &ps);
}

void TForm::SetCaption(const std::string& caption) {
    SetWindowTextA(hwnd_, caption.c_str());
}

std::string TForm::Caption() const {
    char buf[1024] = {};
    GetWindowTextA(hwnd_, buf, sizeof buf);
    return buf;
}

void TForm::SetClientSize(int width, int height) {
    RECT r{0, 0, width, height};
    AdjustWindowRectEx(&r, DWORD(GetWindowLongA(hwnd_, GWL_STYLE)), FALSE,
                       DWORD(GetWindowLongA(hwnd_, GWL_EXSTYLE)));
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetPosition(int left, int top) {
    SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::CentreOnScreen(bool horizontally, bool vertically) {
    int sw = GetSystemMetrics(SM_CXSCREEN);
    int sh = GetSystemMetrics(SM_CYSCREEN);
    SetPosition(horizontally ? sw / 2 - Width() / 2 : Left(), vertically ? sh / 2 - Height() / 2 : Top());
}

int TForm::Left() const {
    RECT r;
    GetWindowRect(hwnd_, &r);
    return r.left;
}

int TForm::Top() const {
    RECT r;
    GetWindowRect(hwnd_, &r);
    return r.top;
}

int TForm::Width() const {
    RECT r;
    GetWindowRect(hwnd_, &r);
    return r.right - r.left;
}

int TForm::Height() const {
    RECT r;
    GetWindowRect(hwnd_, &r);
    return r.bottom - r.top;
}

void TForm::SetTopMost(bool topMost) {
    SetWindowPos(hwnd_, topMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TForm::SetFont(const TFontSpec& font) {
    fontSpec_ = font;
    font_ = CreateFontFromSpec(font);
    ApplyFontToChildren();
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void TForm::ApplyFontToChildren() {
    if (!hwnd_) return;
    for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), TRUE);
}

void TForm::SetColor(COLORREF colour) {
    colour_ = colour;
    brush_ = GdiObject(CreateSolidBrush(colour));
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void TForm::Show() {
    ShowWindow(hwnd_, SW_SHOW);
}

void TForm::Hide() {
    ShowWindow(hwnd_, SW_HIDE);
}

bool TForm::Visible() const {
    return hwnd_ && IsWindowVisible(hwnd_);
}

void TForm::Repaint() {
    InvalidateRect(hwnd_, nullptr, TRUE);
    UpdateWindow(hwnd_);
}

int TForm::ShowModal() {
    if (!hwnd_) return mrCancel;
    modalResult_ = mrNone;
    modal_ = true;
    HWND owner = owner_ ? owner_ : GetWindow(hwnd_, GW_OWNER);
    bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled) EnableWindow(owner, FALSE);
    Show();
    SetForegroundWindow(hwnd_);
    if (defaultButton_) SetFocus(Control(defaultButton_));
    MSG msg;
    while (modalResult_ == mrNone && hwnd_) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // Leave WM_QUIT for the outer loop and end the modal state as cancelled.
            PostQuitMessage(got == 0 ? int(msg.wParam) : 0);
            modalResult_ = mrCancel;
            break;
        }
        if (IsDialogMessageA(hwnd_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
    if (hwnd_) Hide();
    if (owner && ownerWasEnabled) SetActiveWindow(owner);
    modal_ = false;
    return modalResult_;
}

void TForm::Close() {
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose) return;
    if (modal_)
        modalResult_ = mrCancel;
    else
        Hide();
}

HWND TForm::AddControl(const char* className, int id, const std::string& text, DWORD style, int x, int y,
                       int w, int h, DWORD exStyle) {
    HWND c = CreateWindowExA(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                             hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             TApplication::Instance().ModuleInstance(), nullptr);
    if (c) SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    return c;
}

HWND TForm::AddButton(int id, const std::string& text, int x, int y, int w, int h, bool isDefault,
                      bool isCancel) {
    if (isDefault) defaultButton_ = id;
    if (isCancel) cancelButton_ = id;
    return AddControl("BUTTON", id, text, WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), x, y,
                      w, h);
}

HWND TForm::AddEdit(int id, const std::string& text, int x, int y, int w, int h, DWORD extraStyle) {
    return AddControl("EDIT", id, text, WS_TABSTOP | ES_AUTOHSCROLL | extraStyle, x, y, w, h,
                      WS_EX_CLIENTEDGE);
}

void TForm::SetControlText(int id, const std::string& text) {
    SetWindowTextA(Control(id), text.c_str());
}

std::string TForm::ControlText(int id) const {
    HWND c = Control(id);
    int n = GetWindowTextLengthA(c);
    std::string s(size_t(n) + 1, '\0');
    GetWindowTextA(c, s.data(), n + 1);
    s.resize(size_t(n));
    return s;
}

TLabel& TForm::AddLabel(int x, int y, int w, int h, const std::string& caption) {
    auto label = std::make_unique<TLabel>();
    label->bounds = RECT{x, y, x + w, y + h};
    label->caption = caption;
    labels_.push_back(std::move(label));
    return *labels_.back();
}

TImage& TForm::AddImage(int x, int y, int w, int h) {
    auto image = std::make_unique<TImage>();
    image->bounds = RECT{x, y, x + w, y + h};
    images_.push_back(std::move(image));
    return *images_.back();
}

void TForm::InvalidateItem(const RECT& bounds) {
    if (hwnd_) InvalidateRect(hwnd_, &bounds, TRUE);
}

} // namespace cvn
