#pragma once

#include "wizard/WizardControl.h"

#include <cstdint>
#include <optional>

namespace cvn {

// Where the parts of one owner-drawn check-list item go, in pixels from the item's
// left edge: the check box's square area, the picture and the text.
struct TCheckListLayout {
    int checkArea = 0; // width of the square check area (0 without check boxes)
    int imageLeft = 0;
    int textLeft = 0;
};

// The fixed item height: the text height of "Wg", the picture height + 2 with
// pictures, and the check box height + 2 with check boxes, whichever is largest.
int CheckListItemHeight(int textHeight, int imageHeight, int checkBoxHeight, const TListLook& look);
TCheckListLayout CheckListItemLayout(int checkBoxWidth, int imageWidth, bool hasImage, const TListLook& look);
// A press at x (from the item's left) lands on the check box.
bool HitsCheckBox(int x, int checkBoxWidth);
// The state a click gives: unchecked -> grayed (when allowed) or checked, checked ->
// unchecked, grayed -> checked.
int NextCheckState(int state, bool allowGrayed);
// An item's check box can be changed: always in a plain list, else when the item has
// a size or may be chosen without one; never while the list is disabled.
bool CheckListItemEnabled(const TItemObject& item, const TListLook& look, bool listEnabled);
// The size shown at the right of an item: its size when checked, 0 when not; none
// when it has no size.
std::optional<int64_t> CheckListSizeShown(const TItemObject& item);
// The visual style's check-box state: unchecked 1/4, checked 5/8, grayed 9/12
// (normal/disabled).
int ThemedCheckBoxState(int state, bool enabled);

} // namespace cvn
