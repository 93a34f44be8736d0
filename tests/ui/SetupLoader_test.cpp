#include "ui/SetupLoader.h"

#include <gtest/gtest.h>

using namespace cvn;

TEST(SetupLoader, LabelsAreWhiteBoldEightPointsWhateverTheSetupFont) {
    TfrmSetupLoader loader;
    ASSERT_TRUE(loader.CreateLoader());
    TFontRecord setupFont;
    setupFont.face = "Courier New";
    setupFont.size = 14;
    setupFont.color = 0x0000FF;
    setupFont.style = 2 | 4 | 8; // italic, underline, strike-out
    loader.SetLabelFont(&setupFont);
    const TFontSpec& font = loader.FontSpec();
    EXPECT_EQ(font.face, "Courier New");
    EXPECT_EQ(font.points, 8);
    EXPECT_EQ(font.color, RGB(255, 255, 255));
    EXPECT_TRUE(font.bold);
    EXPECT_FALSE(font.italic);
    EXPECT_FALSE(font.underline);
    EXPECT_FALSE(font.strikeOut);
}
