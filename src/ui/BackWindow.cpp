#include "ui/BackWindow.h"

#include "script/Variables.h"
#include "ui/Picture.h"
#include "ui/SetupMain.h"

namespace cvn {

namespace {

constexpr UINT_PTR kEntranceTimer = 1;
// The shortest interval a window timer keeps; a slide of 1000 pixels takes a second.
constexpr UINT kEntranceFrameMs = 10;

// The gradient's colours as a palette, so that a display of 256 colours or fewer shows
// them as far as it can instead of dithering each band.
GdiObject GradientPalette(COLORREF start, COLORREF end) {
    struct {
        WORD version = 0x300;
        WORD count = kGradientBands;
        PALETTEENTRY entries[kGradientBands];
    } palette{};
    for (int band = 0; band < kGradientBands; ++band) {
        const COLORREF c = GradientBandColour(start, end, band);
        palette.entries[band] = PALETTEENTRY{GetRValue(c), GetGValue(c), GetBValue(c), 0};
    }
    return GdiObject(CreatePalette(reinterpret_cast<const LOGPALETTE*>(&palette)));
}

void Fill(HDC dc, const RECT& r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

} // namespace

TfrmBackWindow::TfrmBackWindow(TBackWindowContext context) : ctx_(context) {}

TfrmBackWindow::~TfrmBackWindow() {
    DestroyForm();
}

std::string TfrmBackWindow::Expand(const std::string& text, bool escapeAmpersands) const {
    return ctx_.variables ? ctx_.variables->ExpandVariables(text, escapeAmpersands) : text;
}

bool TfrmBackWindow::Create() {
    const TAppearance& look = *ctx_.appearance;
    const TBackWindowBounds b = BackWindowBounds(look.backgroundWindowSize, GetSystemMetrics(SM_CXSCREEN),
                                                 GetSystemMetrics(SM_CYSCREEN));
    if (!CreateForm(nullptr, b.borderless ? TBorder::None : TBorder::Dialog, b.width, b.height,
                    Expand(look.windowTitle)))
        return false;
    if (b.borderless) {
        SetPosition(0, 0);
    } else {
        SetWindowLongA(Handle(), GWL_STYLE,
                       GetWindowLongA(Handle(), GWL_STYLE) | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
        SetWindowPos(Handle(), nullptr, b.left, b.top, b.width, b.height,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    SetColor(ColourFromRecord(look.gradientStart));
    const COLORREF start = ColourFromRecord(look.gradientStart), end = ColourFromRecord(look.gradientEnd);
    if (start != end) palette_ = GradientPalette(start, end);
    if (!look.backgroundPicture.empty())
        picture_ = LoadPictureFile(Expand("%TempSetupDir%\\" + look.backgroundPicture));
    for (const TBackgroundItem& record : *ctx_.items) {
        TItem item;
        item.record = &record;
        if (record.IsText()) {
            TFontSpec font = FontSpecFromRecord(record.font);
            item.font = CreateFontFromSpec(font);
            item.colour = font.color;
        } else {
            // A picture whose file is missing is left out; its corner does not move.
            item.picture = LoadPictureFile(Expand("%TempSetupDir%\\" + record.pictureFile));
        }
        items_.push_back(std::move(item));
    }
    ShowWindow(Handle(), b.maximised ? SW_SHOWMAXIMIZED : SW_SHOW);
    UpdateWindow(Handle());
    return true;
}

void TfrmBackWindow::AttachWizard(TfrmSetupMain& wizard) {
    wizard_ = &wizard;
    HWND w = wizard.Handle();
    wizard.SetTopMost(true);
    SetWindowLongA(w, GWL_STYLE, GetWindowLongA(w, GWL_STYLE) & ~(WS_SYSMENU | WS_MINIMIZEBOX));
    SetWindowPos(w, nullptr, Width() / 2 - wizard.Width() / 2, Height() / 2 - wizard.Height() / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TfrmBackWindow::DetachWizard() {
    wizard_ = nullptr;
}

void TfrmBackWindow::Refresh(const std::string& caption, bool repaint) {
    SetCaption(caption);
    if (repaint) InvalidateRect(Handle(), nullptr, FALSE);
}

void TfrmBackWindow::FormCloseQuery(bool& canClose) {
    // An accepted close ends the message loop; the windows go when the run has ended.
    // Before the wizard exists the window cannot be closed at all.
    canClose = false;
    if (wizard_) wizard_->Wizard().CloseQuery();
}

void TfrmBackWindow::FormDestroy() {
    if (timer_) KillTimer(Handle(), kEntranceTimer);
    timer_ = false;
}

LRESULT TfrmBackWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM, bool& handled) {
    handled = false;
    switch (msg) {
    case WM_ERASEBKGND:
        // The paint covers every pixel; erasing first would only flicker.
        handled = true;
        return 1;
    case WM_SIZE:
        InvalidateRect(Handle(), nullptr, FALSE);
        break;
    case WM_QUERYNEWPALETTE:
        if (!palette_) break;
        RealizePaletteNow();
        handled = true;
        return TRUE;
    case WM_PALETTECHANGED:
        if (palette_ && reinterpret_cast<HWND>(wp) != Handle()) RealizePaletteNow();
        break;
    case WM_ACTIVATEAPP:
        if (wp) {
            // Another program may have taken the system palette meanwhile.
            if (palette_) InvalidateRect(Handle(), nullptr, FALSE);
            KeepWizardOnTop();
        }
        break;
    case WM_TIMER:
        if (wp == kEntranceTimer) {
            NextFrame();
            handled = true;
        }
        break;
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE) {
            // The item texts may hold variables that changed meanwhile.
            InvalidateRect(Handle(), nullptr, FALSE);
            KeepWizardOnTop();
        }
        break;
    }
    return 0;
}

void TfrmBackWindow::RealizePaletteNow() {
    HDC dc = GetDC(Handle());
    HPALETTE old = SelectPalette(dc, Palette(), FALSE);
    if (RealizePalette(dc) > 0) InvalidateRect(Handle(), nullptr, FALSE);
    SelectPalette(dc, old, FALSE);
    ReleaseDC(Handle(), dc);
}

void TfrmBackWindow::KeepWizardOnTop() {
    if (!wizard_) return;
    TfrmCopyingFiles* progress = wizard_->Installation().ProgressWindow();
    if (!wizard_->Visible() && progress && progress->Visible())
        progress->SetTopMost(true);
    else if (!wizard_->Wizard().SecondaryShowing())
        wizard_->SetTopMost(true);
}

void TfrmBackWindow::Layout(HDC dc, int width, int height) {
    std::vector<TCornerItem> corners;
    for (TItem& item : items_) {
        const TBackgroundItem& r = *item.record;
        TCornerItem c;
        c.corner = r.corner;
        if (r.IsText()) {
            item.text = Expand(r.text, true);
            HGDIOBJ old = SelectObject(dc, item.font.Get());
            RECT calc{0, 0, 0, 0};
            DrawTextA(dc, item.text.c_str(), -1, &calc, DT_CALCRECT | DT_NOCLIP);
            SIZE dot{};
            GetTextExtentPoint32A(dc, ".", 1, &dot);
            SelectObject(dc, old);
            item.size = SIZE{calc.right, calc.bottom};
            // The shadow lies half a "." down and right; what slides in is the text with room
            // for its shadow and a "." beside it.
            item.shadowOffset = (dot.cx + 1) / 2;
            item.slide = SIZE{calc.right + item.shadowOffset + dot.cx, calc.bottom + item.shadowOffset};
        } else {
            item.size = item.slide = BitmapSize(static_cast<HBITMAP>(item.picture.Get()));
            c.picture = true;
            c.skipped = !item.picture;
        }
        c.width = item.size.cx;
        c.height = item.size.cy;
        corners.push_back(c);
    }
    std::vector<TPoint> places = PlaceCornerItems(corners, width, height);
    for (size_t i = 0; i < items_.size(); ++i)
        items_[i].place = places[i];
}

void TfrmBackWindow::PaintBackdrop(HDC dc, int width, int height) {
    const TAppearance& look = *ctx_.appearance;
    const auto picture = static_cast<HBITMAP>(picture_.Get());
    const SIZE ps = BitmapSize(picture);
    // Modes beyond the three known ones draw the picture centred, as mode 2 does.
    const bool stretched = picture && look.backgroundMode == 0;
    const bool tiled = picture && look.backgroundMode == 1;
    if (!stretched && !tiled) {
        const COLORREF start = ColourFromRecord(look.gradientStart);
        const COLORREF end = ColourFromRecord(look.gradientEnd);
        if (start == end) {
            Fill(dc, RECT{0, 0, width, height}, start);
        } else {
            for (int band = 0; band < kGradientBands; ++band) {
                const COLORREF colour = PALETTERGB(0, 0, 0) | GradientBandColour(start, end, band);
                if (look.gradientDirection) {
                    const TSpan s = GradientBandSpan(band, height);
                    Fill(dc, RECT{0, s.from, width, s.to}, colour);
                } else {
                    const TSpan s = GradientBandSpan(band, width);
                    Fill(dc, RECT{s.from, 0, s.to, height}, colour);
                }
            }
        }
    }
    if (!picture) return;
    TMemoryDC mem(dc, picture);
    if (stretched) {
        SetStretchBltMode(dc, HALFTONE);
        StretchBlt(dc, 0, 0, width, height, mem.Get(), 0, 0, ps.cx, ps.cy, SRCCOPY);
    } else if (tiled) {
        const TTiles t = PictureTiles(width, height, ps.cx, ps.cy);
        for (int row = 0; row < t.rows; ++row)
            for (int column = 0; column < t.columns; ++column)
                BitBlt(dc, column * ps.cx, row * ps.cy, ps.cx, ps.cy, mem.Get(), 0, 0, SRCCOPY);
    } else {
        const TPoint at = CentredPicture(width, height, ps.cx, ps.cy);
        BitBlt(dc, at.x, at.y, ps.cx, ps.cy, mem.Get(), 0, 0, SRCCOPY);
    }
}

void TfrmBackWindow::PaintItem(HDC dc, const TItem& item, TPoint at) {
    const TBackgroundItem& r = *item.record;
    if (r.IsText()) {
        HGDIOBJ old = SelectObject(dc, item.font.Get());
        SetBkMode(dc, TRANSPARENT);
        if (r.shadow) {
            const int d = item.shadowOffset;
            SetTextColor(dc, ColourFromRecord(r.shadowColor));
            RECT s{at.x + d, at.y + d, at.x + d + item.size.cx, at.y + d + item.size.cy};
            DrawTextA(dc, item.text.c_str(), -1, &s, DT_NOCLIP);
        }
        SetTextColor(dc, item.colour);
        RECT t{at.x, at.y, at.x + item.size.cx, at.y + item.size.cy};
        DrawTextA(dc, item.text.c_str(), -1, &t, DT_NOCLIP);
        SelectObject(dc, old);
        return;
    }
    if (!item.picture) return;
    TMemoryDC mem(dc, static_cast<HBITMAP>(item.picture.Get()));
    const SIZE s = item.size;
    if (r.transparent && TransparentCopy())
        TransparentCopy()(dc, at.x, at.y, s.cx, s.cy, mem.Get(), 0, 0, s.cx, s.cy,
                          ColourFromRecord(r.transparentColor));
    else
        BitBlt(dc, at.x, at.y, s.cx, s.cy, mem.Get(), 0, 0, SRCCOPY);
}

void TfrmBackWindow::FormPaint(HDC dc) {
    RECT client{};
    GetClientRect(Handle(), &client);
    const int width = client.right, height = client.bottom;
    if (width <= 0 || height <= 0) return;
    GdiObject buffer(CreateCompatibleBitmap(dc, width, height));
    TMemoryDC mem(dc, static_cast<HBITMAP>(buffer.Get()));
    // The bands are palette-relative colours, drawn through the palette in both contexts.
    HPALETTE oldPalette = nullptr, oldMemoryPalette = nullptr;
    if (palette_) {
        oldPalette = SelectPalette(dc, Palette(), FALSE);
        RealizePalette(dc);
        oldMemoryPalette = SelectPalette(mem.Get(), Palette(), FALSE);
        RealizePalette(mem.Get());
    }
    Layout(mem.Get(), width, height);
    if (!shown_) {
        // The first paint starts the entrances, in package order.
        shown_ = true;
        entrance_ = 0;
        frames_.clear();
        NextFrame();
    }
    PaintBackdrop(mem.Get(), width, height);
    for (const TItem& item : items_)
        if (item.arrived) PaintItem(mem.Get(), item, item.place);
    if (entrance_ < items_.size() && frame_ < frames_.size())
        PaintItem(mem.Get(), items_[entrance_], frames_[frame_]);
    BitBlt(dc, 0, 0, width, height, mem.Get(), 0, 0, SRCCOPY);
    if (palette_) {
        SelectPalette(mem.Get(), oldMemoryPalette, FALSE);
        SelectPalette(dc, oldPalette, FALSE);
    }
}

void TfrmBackWindow::NextFrame() {
    if (!frames_.empty() && ++frame_ < frames_.size()) {
        InvalidateRect(Handle(), nullptr, FALSE);
        return;
    }
    if (!frames_.empty()) {
        items_[entrance_].arrived = true;
        ++entrance_;
        frames_.clear();
    }
    RECT client{};
    GetClientRect(Handle(), &client);
    // Items without an entrance arrive at once; the next one that slides in starts.
    for (; entrance_ < items_.size(); ++entrance_) {
        TItem& item = items_[entrance_];
        const bool skipped = !item.record->IsText() && !item.picture;
        if (!skipped && item.record->entrance >= 1 && item.record->entrance <= 8) {
            frames_ = EntranceFrames(item.record->entrance, item.place, item.slide.cx, item.slide.cy,
                                     client.right, client.bottom);
            frame_ = 0;
            break;
        }
        item.arrived = !skipped;
    }
    if (entrance_ < items_.size() && !timer_)
        timer_ = SetTimer(Handle(), kEntranceTimer, kEntranceFrameMs, nullptr);
    if (entrance_ >= items_.size() && timer_) {
        KillTimer(Handle(), kEntranceTimer);
        timer_ = false;
    }
    InvalidateRect(Handle(), nullptr, FALSE);
}

} // namespace cvn
