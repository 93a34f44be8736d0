#include "wizard/BackWindowLayout.h"

#include <algorithm>
#include <cstdlib>

namespace cvn {

TBackWindowBounds BackWindowBounds(uint8_t sizeSetting, int screenWidth, int screenHeight) {
    TBackWindowBounds b;
    if (sizeSetting == 1) {
        b.width = screenWidth;
        b.height = screenHeight;
        b.borderless = true;
        return b;
    }
    b.width = screenWidth - screenWidth / 8;
    b.height = screenHeight - screenHeight / 8;
    b.left = screenWidth / 2 - b.width / 2;
    b.top = screenHeight / 2 - b.height / 2;
    b.maximised = sizeSetting == 0;
    return b;
}

uint32_t GradientBandColour(uint32_t start, uint32_t end, int band) {
    uint32_t colour = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int s = int((start >> shift) & 0xFF);
        const int e = int((end >> shift) & 0xFF);
        colour |= uint32_t(s + band * (e - s) / (kGradientBands - 1)) << shift;
    }
    return colour;
}

TSpan GradientBandSpan(int band, int size) {
    constexpr int d = kGradientBands - 1;
    auto at = [&](int i) { return (2 * i * size + d) / (2 * d); };
    return {at(band), at(band + 1)};
}

TTiles PictureTiles(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0) return {};
    return {clientWidth / pictureWidth + 1, clientHeight / pictureHeight + 1};
}

TPoint CentredPicture(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight) {
    return {clientWidth / 2 - pictureWidth / 2, clientHeight / 2 - pictureHeight / 2};
}

std::vector<TPoint> PlaceCornerItems(const std::vector<TCornerItem>& items, int clientWidth,
                                     int clientHeight) {
    // Running y per corner: top left, bottom left, top right, bottom right.
    int y[4] = {4, clientHeight - 4, 4, clientHeight - 4};
    std::vector<TPoint> places;
    places.reserve(items.size());
    for (const TCornerItem& item : items) {
        const int corner = item.corner & 3;
        if (item.skipped) {
            places.push_back({});
            continue;
        }
        const bool bottom = corner == 1 || corner == 3;
        const bool right = corner >= 2;
        TPoint p;
        if (bottom) {
            y[corner] -= item.height + 4;
            p.y = y[corner];
        } else {
            y[corner] += 4;
            p.y = y[corner];
            y[corner] += item.height;
        }
        p.x = right ? clientWidth - item.width - 12 + (item.picture ? 4 : 0) : 8;
        places.push_back(p);
    }
    return places;
}

std::vector<TPoint> EntranceFrames(uint8_t entrance, TPoint target, int itemWidth, int itemHeight,
                                   int clientWidth, int clientHeight) {
    if (entrance < 1 || entrance > 8) return {target};
    TPoint start = target;
    if (entrance == 1 || entrance == 5 || entrance == 6) start.x = -itemWidth;
    if (entrance == 2 || entrance == 7 || entrance == 8) start.x = clientWidth;
    if (entrance == 3 || entrance == 5 || entrance == 7) start.y = -itemHeight;
    if (entrance == 4 || entrance == 6 || entrance == 8) start.y = clientHeight;
    const int dx = std::abs(target.x - start.x);
    const int dy = std::abs(target.y - start.y);
    const int n = std::max(dx, dy) / 10 + 1;
    const int stepX = (start.x < target.x ? -1 : 1) * (dx / n);
    const int stepY = (start.y < target.y ? -1 : 1) * (dy / n);
    std::vector<TPoint> frames;
    frames.reserve(size_t(n) + 1);
    for (int k = 0; k <= n; ++k)
        frames.push_back({target.x + (n - k) * stepX, target.y + (n - k) * stepY});
    return frames;
}

} // namespace cvn
