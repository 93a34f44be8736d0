#pragma once

#include "core/Handle_win.h"
#include "wizard/WizardControl.h"

#include <windows.h>

#include <vector>

namespace cvn {

// The wizard's list pictures: the component pictures, from index 1 in package order.
// Index 0 is the built-in picture, left blank. Each is drawn 16 x 16 with the colour
// of its bottom-left pixel transparent.
class TListPictures {
public:
    static constexpr int kSize = 16;
    void Add(GdiObject bitmap);
    // False when there is no picture of that index.
    bool Draw(HDC dc, int index, int x, int y) const;
    bool Empty() const { return entries_.empty(); }

private:
    struct TEntry {
        GdiObject bitmap;
        COLORREF transparent = 0;
        SIZE size{};
    };
    std::vector<TEntry> entries_;
};

// The size of the system's check box, from its check-box bitmap strip.
SIZE CheckBoxSize();

// Paints one item of an owner-drawn check list: its check box (in the visual style
// when one is active), picture, text, and size at the right.
void DrawCheckListItem(HWND list, const DRAWITEMSTRUCT& d, const TItemObject* item, const TListLook& look,
                       bool enabled, HFONT font, const TListPictures* pictures);

} // namespace cvn
