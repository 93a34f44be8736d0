// Sizes, gradient bands, picture placement, corner stacking and slide-in frames of
// the background window, with values worked out by hand.
#include "wizard/BackWindowLayout.h"

#include <gtest/gtest.h>

using namespace cvn;

TEST(BackWindowLayout, WindowSizesFollowTheSettingAndTheScreen) {
    TBackWindowBounds whole = BackWindowBounds(1, 1024, 768);
    EXPECT_TRUE(whole.borderless);
    EXPECT_EQ(whole.left, 0);
    EXPECT_EQ(whole.width, 1024);
    EXPECT_EQ(whole.height, 768);

    // 1000 - 125 = 875 wide at 500 - 437 = 63; 750 - 93 = 657 high at 375 - 328 = 47.
    TBackWindowBounds part = BackWindowBounds(2, 1000, 750);
    EXPECT_FALSE(part.borderless || part.maximised);
    EXPECT_EQ(part.width, 875);
    EXPECT_EQ(part.height, 657);
    EXPECT_EQ(part.left, 63);
    EXPECT_EQ(part.top, 47);
    EXPECT_TRUE(BackWindowBounds(0, 1000, 750).maximised);
}

TEST(BackWindowLayout, GradientBandsRunFromStartToEndAndCoverTheExtent) {
    // 0x00BBGGRR: red 0 -> 255, green 200 -> 100, blue equal.
    const uint32_t start = 0x0000C800, end = 0x000064FF;
    EXPECT_EQ(GradientBandColour(start, end, 0), start);
    EXPECT_EQ(GradientBandColour(start, end, 63), end);
    // Band 10: red 10 * 255 / 63 = 40, green 200 - 1000 / 63 = 200 - 15 = 185 (toward zero).
    EXPECT_EQ(GradientBandColour(start, end, 10), (185u << 8) | 40u);

    EXPECT_EQ(GradientBandSpan(0, 768).from, 0);
    // 768 / 63 = 12.19 -> 12; 2 * 768 / 63 = 24.38 -> 24; band 62 ends at 768, band 63 past it.
    EXPECT_EQ(GradientBandSpan(0, 768).to, 12);
    EXPECT_EQ(GradientBandSpan(1, 768).to, 24);
    EXPECT_EQ(GradientBandSpan(62, 768).to, 768);
    EXPECT_GE(GradientBandSpan(63, 768).from, 768);
}

TEST(BackWindowLayout, PicturesAreTiledFromTheCornerOrCentred) {
    EXPECT_EQ(PictureTiles(1024, 768, 100, 100).columns, 11);
    EXPECT_EQ(PictureTiles(1024, 768, 100, 100).rows, 8);
    EXPECT_EQ(CentredPicture(1024, 768, 101, 51), (TPoint{512 - 50, 384 - 25}));
}

TEST(BackWindowLayout, CornersStackTheirItemsInwardsFourPixelsApart) {
    std::vector<TCornerItem> items = {
        {1, 100, 20, false, false}, {1, 80, 30, false, false}, {0, 50, 10, false, false},
        {3, 60, 16, true, true},    {3, 60, 16, true, false},  {2, 70, 12, false, false},
    };
    std::vector<TPoint> at = PlaceCornerItems(items, 800, 600);
    EXPECT_EQ(at[0], (TPoint{8, 600 - 4 - 20 - 4}));
    EXPECT_EQ(at[1], (TPoint{8, 572 - 30 - 4}));
    EXPECT_EQ(at[2], (TPoint{8, 8}));
    // The missing picture takes no room; a picture on the right sits 4 pixels further out.
    EXPECT_EQ(at[4], (TPoint{800 - 60 - 12 + 4, 600 - 4 - 16 - 4}));
    EXPECT_EQ(at[5], (TPoint{800 - 70 - 12, 8}));
}

TEST(BackWindowLayout, SlideInFromTheTopRightStartsOffScreenAndEndsAtItsPlace) {
    // Target 700, 8; item 90 x 20 in 800 x 600: from 800, -20; dx 100, dy 28: n = 11 steps of 9 and 2.
    std::vector<TPoint> f = EntranceFrames(7, {700, 8}, 90, 20, 800, 600);
    ASSERT_EQ(f.size(), 100u / 10 + 2);
    EXPECT_EQ(f.front(), (TPoint{700 + 11 * 9, 8 - 11 * 2}));
    EXPECT_EQ(f[10], (TPoint{709, 6}));
    EXPECT_EQ(f.back(), (TPoint{700, 8}));
    EXPECT_EQ(EntranceFrames(0, {5, 6}, 90, 20, 800, 600), (std::vector<TPoint>{{5, 6}}));
    // From the left: only x moves, from -w.
    EXPECT_EQ(EntranceFrames(1, {8, 100}, 40, 10, 800, 600).front().y, 100);
}
