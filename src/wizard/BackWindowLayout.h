#pragma once

#include <cstdint>
#include <vector>

namespace cvn {

// Where the background window goes and how big it is, from the package's window-size
// setting: 1 the whole screen without border, 0 maximised, anything else a centred
// window of seven eighths of the screen.
struct TBackWindowBounds {
    int left = 0;
    int top = 0;
    int width = 0; // the client area with `borderless`, else the outer size
    int height = 0;
    bool borderless = false;
    bool maximised = false;
};
TBackWindowBounds BackWindowBounds(uint8_t sizeSetting, int screenWidth, int screenHeight);

// The gradient is painted in this many bands.
inline constexpr int kGradientBands = 64;

// Colour of band i (0 ... 63) between two 0x00BBGGRR colours: each channel runs
// start + i * (end - start) / 63, divided toward zero.
uint32_t GradientBandColour(uint32_t start, uint32_t end, int band);

// The pixels [from, to) band i covers along an extent of `size` pixels: i * size / 63
// to (i + 1) * size / 63, rounded. The last band ends past the edge.
struct TSpan {
    int from = 0;
    int to = 0;
};
TSpan GradientBandSpan(int band, int size);

// Picture modes of the background: 0 stretched, 1 tiled, 2 centred over the gradient.
// Tiles from 0, 0: W / pw + 1 columns and H / ph + 1 rows.
struct TTiles {
    int columns = 0;
    int rows = 0;
};
TTiles PictureTiles(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight);
struct TPoint {
    int x = 0;
    int y = 0;
    bool operator==(const TPoint&) const = default;
};
TPoint CentredPicture(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight);

// One item of a corner as far as its place goes.
struct TCornerItem {
    uint8_t corner = 0; // 0 top left, 1 bottom left, 2 top right, 3 bottom right
    int width = 0;
    int height = 0;
    bool picture = false;
    bool skipped = false; // a picture whose file is missing: no place, the corner does not move
};
// The places of the items in package order; each corner keeps its own running
// position and stacks its items 4 pixels apart, inwards from its edge.
std::vector<TPoint> PlaceCornerItems(const std::vector<TCornerItem>& items, int clientWidth,
                                     int clientHeight);

// The frames of an item sliding in (entrances 1 ... 8) to `target`: frame k of
// 0 ... n, the last at the target. Entrance 0 (or an unknown one) gives the target alone.
std::vector<TPoint> EntranceFrames(uint8_t entrance, TPoint target, int itemWidth, int itemHeight,
                                   int clientWidth, int clientHeight);

} // namespace cvn
