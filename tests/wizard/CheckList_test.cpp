#include "wizard/CheckList.h"

#include <gtest/gtest.h>

namespace cvn {
namespace {

TListLook ComponentLook() {
    TListLook look;
    look.showChecks = true;
    look.showFileSize = true;
    look.showImages = true;
    look.showDisabledChecks = false;
    return look;
}

TEST(CheckList, ItemGeometryMakesRoomForTheCheckBoxAndThePicture) {
    const TListLook components = ComponentLook();
    // A 13-pixel check box: its area is 15 wide, the picture 2 after it, the text 2
    // after the 16-pixel picture and its 4-pixel gap.
    const TCheckListLayout withPicture = CheckListItemLayout(13, 16, true, components);
    EXPECT_EQ(withPicture.checkArea, 15);
    EXPECT_EQ(withPicture.imageLeft, 17);
    EXPECT_EQ(withPicture.textLeft, 37);
    EXPECT_EQ(CheckListItemLayout(13, 16, false, components).textLeft, 17);
    EXPECT_EQ(CheckListItemLayout(13, 16, true, TListLook{}).textLeft, 2);

    EXPECT_EQ(CheckListItemHeight(13, 16, 13, components), 18);
    EXPECT_EQ(CheckListItemHeight(20, 16, 13, components), 20);
    EXPECT_EQ(CheckListItemHeight(13, 16, 13, TListLook{}), 13);

    EXPECT_TRUE(HitsCheckBox(0, 13));
    EXPECT_TRUE(HitsCheckBox(14, 13));
    EXPECT_FALSE(HitsCheckBox(15, 13));
}

TEST(CheckList, StatesCycleAndSizeGatesTheCheckBox) {
    EXPECT_EQ(NextCheckState(0, false), 1);
    EXPECT_EQ(NextCheckState(0, true), 2);
    EXPECT_EQ(NextCheckState(2, true), 1);
    EXPECT_EQ(NextCheckState(1, true), 0);
    EXPECT_EQ(ThemedCheckBoxState(0, true), 1);
    EXPECT_EQ(ThemedCheckBoxState(1, false), 8);
    EXPECT_EQ(ThemedCheckBoxState(2, false), 12);

    const TListLook components = ComponentLook();
    TItemObject empty;
    EXPECT_FALSE(CheckListItemEnabled(empty, components, true));
    EXPECT_TRUE(CheckListItemEnabled(empty, TListLook{}, true));
    empty.enabledWithoutSize = true; // shortcuts or registry values only
    EXPECT_TRUE(CheckListItemEnabled(empty, components, true));
    EXPECT_FALSE(CheckListItemEnabled(empty, components, false));
    EXPECT_EQ(CheckListSizeShown(empty), std::nullopt);

    TItemObject sized;
    sized.size = 4096;
    EXPECT_EQ(CheckListSizeShown(sized), 0); // unchecked: nothing of it is installed
    sized.state = 1;
    EXPECT_EQ(CheckListSizeShown(sized), 4096);
}

} // namespace
} // namespace cvn
