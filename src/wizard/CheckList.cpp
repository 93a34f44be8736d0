#include "wizard/CheckList.h"

#include <algorithm>

namespace cvn {

int CheckListItemHeight(int textHeight, int imageHeight, int checkBoxHeight, const TListLook& look) {
    int height = textHeight;
    if (look.showImages) height = std::max(height, imageHeight + 2);
    if (look.showChecks) height = std::max(height, checkBoxHeight + 2);
    return height;
}

TCheckListLayout CheckListItemLayout(int checkBoxWidth, int imageWidth, bool hasImage,
                                     const TListLook& look) {
    TCheckListLayout layout;
    if (look.showChecks) layout.checkArea = checkBoxWidth + 2;
    layout.imageLeft = layout.checkArea + 2;
    int x = layout.checkArea;
    if (hasImage && look.showImages) x += imageWidth + 4;
    layout.textLeft = x + 2;
    return layout;
}

bool HitsCheckBox(int x, int checkBoxWidth) {
    return x >= 0 && x < checkBoxWidth + 2;
}

int NextCheckState(int state, bool allowGrayed) {
    switch (state) {
    case 0:
        return allowGrayed ? 2 : 1;
    case 1:
        return 0;
    default:
        return 1;
    }
}

bool CheckListItemEnabled(const TItemObject& item, const TListLook& look, bool listEnabled) {
    if (!listEnabled) return false;
    if (!look.showChecks && !look.showFileSize) return true;
    return item.size != 0 || item.enabledWithoutSize;
}

std::optional<int64_t> CheckListSizeShown(const TItemObject& item) {
    if (item.size == 0) return std::nullopt;
    return item.state == 1 ? item.size : 0;
}

int ThemedCheckBoxState(int state, bool enabled) {
    const int normal = state == 1 ? 5 : state == 2 ? 9 : 1;
    return enabled ? normal : normal + 3;
}

} // namespace cvn
