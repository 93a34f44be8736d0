#include "ui/CheckListItem.h"

#include "script/SizeText.h"
#include "ui/Picture.h"
#include "ui/VisualStyle.h"
#include "wizard/CheckList.h"

namespace cvn {

namespace {

constexpr int kObmCheckBoxes = 32759;  // OBM_CHECKBOXES: 4 x 3 check-box pictures
constexpr int kButtonCheckBoxPart = 3; // BP_CHECKBOX

void DrawCheckBox(HWND list, HDC dc, const RECT& area, int state, bool enabled) {
    const SIZE box = CheckBoxSize();
    RECT r{area.left + (area.right - area.left - box.cx) / 2,
           area.top + (area.bottom - area.top - box.cy) / 2, 0, 0};
    r.right = r.left + box.cx;
    r.bottom = r.top + box.cy;
    if (TVisualStyle::Instance().DrawPart(list, L"BUTTON", dc, kButtonCheckBoxPart,
                                          ThemedCheckBoxState(state, enabled), r))
        return;
    const UINT flags = DFCS_BUTTONCHECK | (state == 1 ? DFCS_CHECKED : 0) |
                       (state == 2 ? DFCS_CHECKED | DFCS_BUTTON3STATE : 0) | (enabled ? 0 : DFCS_INACTIVE);
    // The lists are flat: the classic box without its sunken edge, outlined with a thin shadow line.
    RECT inner{r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
    DrawFrameControl(dc, &r, DFC_BUTTON, flags);
    RestoreDC(dc, saved);
    RECT outline{inner.left - 1, inner.top - 1, inner.right + 1, inner.bottom + 1};
    FrameRect(dc, &outline, GetSysColorBrush(COLOR_BTNSHADOW));
}

} // namespace

void TListPictures::Add(GdiObject bitmap) {
    TEntry entry;
    // A picture that did not load keeps its index, so that the later ones keep theirs.
    entry.size = BitmapSize(static_cast<HBITMAP>(bitmap.Get()));
    if (entry.size.cy <= 0) {
        entries_.push_back(std::move(entry));
        return;
    }
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, bitmap.Get());
    entry.transparent = GetPixel(memory, 0, entry.size.cy - 1);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    entry.bitmap = std::move(bitmap);
    entries_.push_back(std::move(entry));
}

bool TListPictures::Draw(HDC dc, int index, int x, int y) const {
    if (index < 1 || size_t(index) > entries_.size()) return false;
    const TEntry& entry = entries_[size_t(index) - 1];
    if (entry.size.cx <= 0 || entry.size.cy <= 0) return false;
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, entry.bitmap.Get());
    if (TransparentBltFn copy = TransparentCopy())
        copy(dc, x, y, kSize, kSize, memory, 0, 0, entry.size.cx, entry.size.cy, entry.transparent);
    else
        StretchBlt(dc, x, y, kSize, kSize, memory, 0, 0, entry.size.cx, entry.size.cy, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    return true;
}

SIZE CheckBoxSize() {
    static const SIZE size = [] {
        GdiObject strip(LoadBitmapA(nullptr, MAKEINTRESOURCEA(kObmCheckBoxes)));
        const SIZE whole = BitmapSize(static_cast<HBITMAP>(strip.Get()));
        if (whole.cx <= 0 || whole.cy <= 0)
            return SIZE{GetSystemMetrics(SM_CXMENUCHECK), GetSystemMetrics(SM_CYMENUCHECK)};
        return SIZE{whole.cx / 4, whole.cy / 3};
    }();
    return size;
}

void DrawCheckListItem(HWND list, const DRAWITEMSTRUCT& d, const TItemObject* item, const TListLook& look,
                       bool enabled, HFONT font, const TListPictures* pictures) {
    HDC dc = d.hDC;
    const RECT& r = d.rcItem;
    const bool selected = d.itemState & ODS_SELECTED;
    FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
    const SIZE box = CheckBoxSize();
    const bool hasImage = item && pictures && item->imageIndex >= 0;
    const TCheckListLayout layout =
        CheckListItemLayout(int(box.cx), TListPictures::kSize, hasImage, item ? look : TListLook{});
    const int height = r.bottom - r.top;
    if (item && look.showChecks) {
        const int top = r.top + (height - layout.checkArea) / 2;
        RECT area{r.left, top, r.left + layout.checkArea, top + layout.checkArea};
        DrawCheckBox(list, dc, area, item->state, enabled || look.showDisabledChecks);
    }
    // The selection highlight starts after the check area.
    RECT text{r.left + layout.checkArea, r.top, r.right, r.bottom};
    if (selected) FillRect(dc, &text, GetSysColorBrush(COLOR_HIGHLIGHT));
    if (hasImage && look.showImages)
        pictures->Draw(dc, item->imageIndex, r.left + layout.imageLeft,
                       r.top + (height - TListPictures::kSize) / 2);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(!enabled   ? COLOR_GRAYTEXT
                                 : selected ? COLOR_HIGHLIGHTTEXT
                                            : COLOR_WINDOWTEXT));
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    char buffer[512] = {};
    SendMessageA(list, LB_GETTEXT, d.itemID, reinterpret_cast<LPARAM>(buffer));
    RECT label{r.left + layout.textLeft, r.top, r.right - 2, r.bottom};
    DrawTextA(dc, buffer, -1, &label, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (item && look.showFileSize)
        if (const auto size = CheckListSizeShown(*item))
            DrawTextA(dc, SizeText(uint64_t(*size), TSizeUnit::Bytes).c_str(), -1, &label,
                      DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
    SelectObject(dc, old);
    if (d.itemState & ODS_FOCUS) DrawFocusRect(dc, &text);
}

} // namespace cvn
