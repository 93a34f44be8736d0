// The background window in this process, read back from its device context and from
// the screen: the gradient and its palette in both directions, the picture modes, corner
// items after their entrance, and the window sizes against the screen.
#include "install/WinSystemValues.h"
#include "package/PackageModel.h"
#include "script/Variables.h"
#include "ui/Application.h"
#include "ui/BackWindow.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace cvn;

namespace {

// A 24-bit bottom-up BMP, its left half in one colour and its right half in another.
void WriteBitmap(const std::string& path, int width, int height, COLORREF left, COLORREF right) {
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + DWORD(stride * height);
    std::string row(size_t(stride), '\0');
    for (int x = 0; x < width; ++x) {
        const COLORREF colour = x < width / 2 ? left : right;
        row[size_t(x) * 3] = char(GetBValue(colour));
        row[size_t(x) * 3 + 1] = char(GetGValue(colour));
        row[size_t(x) * 3 + 2] = char(GetRValue(colour));
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    for (int y = 0; y < height; ++y)
        out.write(row.data(), stride);
}
void WriteBitmap(const std::string& path, int width, int height, COLORREF colour) {
    WriteBitmap(path, width, height, colour, colour);
}

// The colour on the screen, where a person would see it.
COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return c;
}

class BackWindow : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "cvn-backwindow";
        CreateDirectoryA(folder.c_str(), nullptr);
        vars.Program().tempSetupDir = folder;
        look.windowTitle = "Background";
        look.backgroundWindowSize = 1;
        look.gradientStart = 0x000000FF; // red
        look.gradientEnd = 0x00FF0000;   // blue
    }
    void TearDown() override {
        window.reset();
        DeleteFileA((folder + "\\back.bmp").c_str());
        for (const char* name : {"logo.bmp", "mark.bmp", "corner.bmp"})
            DeleteFileA((folder + "\\" + name).c_str());
        RemoveDirectoryA(folder.c_str());
    }

    // Shows the window and lets it paint until its entrances have ended.
    HWND Show() {
        window = std::make_unique<TfrmBackWindow>(TBackWindowContext{&look, &items, &vars});
        EXPECT_TRUE(window->Create());
        for (int i = 0; i < 1000 && !window->EntrancesDone(); ++i) {
            TApplication::Instance().ProcessMessages();
            Sleep(5);
        }
        EXPECT_TRUE(window->EntrancesDone());
        UpdateWindow(window->Handle());
        TApplication::Instance().ProcessMessages();
        return window->Handle();
    }
    COLORREF Pixel(int x, int y) {
        HDC dc = GetDC(window->Handle());
        COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(window->Handle(), dc);
        return c;
    }
    RECT Client() {
        RECT r{};
        GetClientRect(window->Handle(), &r);
        return r;
    }

    std::string folder;
    TWinSystemValues system;
    TVariables vars{system};
    TAppearance look;
    std::vector<TBackgroundItem> items;
    std::unique_ptr<TfrmBackWindow> window;
};

} // namespace

TEST_F(BackWindow, GradientRunsFromTopToBottomOrFromLeftToRight) {
    look.gradientDirection = 1;
    HWND w = Show();
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    // Setting 1: no border, the client area is the whole screen.
    EXPECT_EQ(GetWindowLongA(w, GWL_STYLE) & WS_CAPTION, 0);
    EXPECT_EQ(Client().right, sw);
    EXPECT_EQ(Client().bottom, sh);
    EXPECT_EQ(Pixel(sw / 2, 2), RGB(255, 0, 0));
    // Band 63 starts at the edge, so band 62 is the last one seen: red 255 - 250, blue 15810 / 63 = 250.
    EXPECT_EQ(Pixel(sw / 2, sh - 2), RGB(5, 0, 250));
    // Band 31 of 64 lies across the middle: red 255 - 7905 / 63 = 130, blue 7905 / 63 = 125.
    EXPECT_EQ(Pixel(10, sh / 2), RGB(130, 0, 125));

    look.gradientDirection = 0;
    Show();
    EXPECT_EQ(Pixel(2, sh / 2), RGB(255, 0, 0));
    EXPECT_EQ(Pixel(sw - 2, 10), RGB(5, 0, 250));
    EXPECT_EQ(Pixel(sw / 2, 10), RGB(130, 0, 125));
}

TEST_F(BackWindow, GradientBandsOnTheScreenAreTheSixtyFourPaletteColours) {
    // Every channel moves its own way: red up, green down (divided toward zero), blue up.
    look.gradientStart = 0x0000F010; // RGB(16, 240, 0)
    look.gradientEnd = 0x00FC20D0;   // RGB(208, 32, 252)
    // Worked out by hand: channel = start + i * (end - start) / 63.
    const struct {
        int band;
        COLORREF colour;
    } bands[] = {{0, RGB(16, 240, 0)},
                 {10, RGB(46, 207, 40)},   // 16 + 30, 240 - 33, 40
                 {40, RGB(137, 108, 160)}, // 16 + 121, 240 - 132, 160
                 {62, RGB(204, 36, 248)}}; // 16 + 188, 240 - 204 (not 205), 248
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    for (uint8_t direction : {1, 0}) {
        look.gradientDirection = direction;
        Show();
        HPALETTE palette = window->Palette();
        ASSERT_NE(palette, nullptr);
        PALETTEENTRY entries[64] = {};
        ASSERT_EQ(GetPaletteEntries(palette, 0, 0, nullptr), 64u);
        ASSERT_EQ(GetPaletteEntries(palette, 0, 64, entries), 64u);
        EXPECT_EQ(RGB(entries[63].peRed, entries[63].peGreen, entries[63].peBlue), RGB(208, 32, 252));
        for (const auto& b : bands) {
            const PALETTEENTRY& e = entries[b.band];
            EXPECT_EQ(RGB(e.peRed, e.peGreen, e.peBlue), b.colour) << b.band;
            // The middle of band i along the gradient, a third of the way across.
            const int along = (2 * b.band + 1) * (direction ? sh : sw) / 126;
            EXPECT_EQ(direction ? ScreenPixel(sw / 3, along) : ScreenPixel(along, sh / 3), b.colour)
                << "band " << b.band << ", direction " << int(direction);
        }
    }

    // Equal colours: a plain fill and no palette.
    look.gradientEnd = look.gradientStart;
    Show();
    EXPECT_EQ(window->Palette(), nullptr);
    EXPECT_EQ(ScreenPixel(sw / 2, sh - 1), RGB(16, 240, 0));
}

TEST_F(BackWindow, PictureIsStretchedTiledOrCentredOverTheGradient) {
    // Green on its left half, dark blue on its right one.
    const COLORREF left = RGB(0, 200, 0), right = RGB(0, 0, 120);
    WriteBitmap(folder + "\\back.bmp", 40, 30, left, right);
    look.backgroundPicture = "back.bmp";
    look.gradientDirection = 1; // red at the top, blue at the bottom
    look.backgroundMode = 2;
    Show();
    const int cx = Client().right / 2, cy = Client().bottom / 2;
    // Centred: its left edge at cx - 20, its top at cy - 15.
    EXPECT_EQ(Pixel(cx - 19, cy - 14), left);
    EXPECT_EQ(Pixel(cx + 19, cy + 14), right);
    // Beside it the gradient: the middle row is in band 31 (red 255 - 125, blue 125).
    EXPECT_EQ(Pixel(cx - 21, cy), RGB(130, 0, 125));
    EXPECT_EQ(Pixel(cx + 20, cy), RGB(130, 0, 125));
    EXPECT_EQ(Pixel(5, 5), RGB(255, 0, 0));

    look.backgroundMode = 1;
    Show();
    // Tiled from 0, 0: the halves repeat every 40 pixels across and every 30 down.
    EXPECT_EQ(Pixel(5, 5), left);
    EXPECT_EQ(Pixel(25, 5), right);
    EXPECT_EQ(Pixel(45, 35), left);
    EXPECT_EQ(Pixel(65, 35), right);

    look.backgroundMode = 0;
    Show();
    // Stretched: the left half of the picture covers the left half of the window.
    EXPECT_EQ(Pixel(0, Client().bottom - 1), left);
    EXPECT_EQ(Pixel(65, 35), left);
    // (A source pixel is 25 wide here; the halftone stretch blends it with its neighbours.)
    EXPECT_EQ(Pixel(cx - 50, cy), left);
    EXPECT_EQ(Pixel(cx + 50, cy), right);
    EXPECT_EQ(Pixel(Client().right - 1, 0), right);

    // A missing picture falls back to the colour background.
    look.backgroundPicture = "missing.bmp";
    Show();
    EXPECT_EQ(Pixel(cx, cy), RGB(130, 0, 125));
}

TEST_F(BackWindow, CornerItemsStandAtTheirPlacesAfterSlidingIn) {
    look.gradientEnd = look.gradientStart;
    WriteBitmap(folder + "\\logo.bmp", 20, 20, RGB(255, 255, 0));
    TBackgroundItem logo;
    logo.kind = 1;
    logo.corner = 2;   // top right
    logo.entrance = 7; // from the top right
    logo.pictureFile = "logo.bmp";
    TBackgroundItem title;
    title.corner = 1;   // bottom left
    title.entrance = 1; // from the left
    title.text = "WWWW";
    title.font.face = "Arial";
    title.font.size = 28;
    title.font.color = 0x00FFFFFF;
    title.font.style = 1;
    TBackgroundItem mark = logo; // 16 x 12, top left, from the top left
    mark.corner = 0;
    mark.entrance = 5;
    mark.pictureFile = "mark.bmp";
    WriteBitmap(folder + "\\mark.bmp", 16, 12, RGB(0, 255, 255));
    TBackgroundItem corner = logo; // 24 x 10, bottom right, from the bottom right
    corner.corner = 3;
    corner.entrance = 8;
    corner.pictureFile = "corner.bmp";
    WriteBitmap(folder + "\\corner.bmp", 24, 10, RGB(255, 0, 255));
    TBackgroundItem missing = logo; // a missing picture takes no room in its corner
    missing.corner = 0;
    missing.pictureFile = "none.bmp";
    items = {missing, logo, title, mark, corner};
    Show();
    const int width = Client().right, height = Client().bottom;
    // Top left: x = 8, y = 4 + 4.
    EXPECT_EQ(Pixel(8, 8), RGB(0, 255, 255));
    EXPECT_EQ(Pixel(8 + 15, 8 + 11), RGB(0, 255, 255));
    EXPECT_EQ(Pixel(7, 8), RGB(255, 0, 0));
    EXPECT_EQ(Pixel(8, 7), RGB(255, 0, 0));
    // Bottom right: x = W - 24 - 12 + 4, y = H - 4 - (10 + 4).
    EXPECT_EQ(Pixel(width - 32, height - 18), RGB(255, 0, 255));
    EXPECT_EQ(Pixel(width - 32 + 23, height - 18 + 9), RGB(255, 0, 255));
    EXPECT_EQ(Pixel(width - 8, height - 9), RGB(255, 0, 0));
    EXPECT_EQ(Pixel(width - 32, height - 19), RGB(255, 0, 0));
    // The picture: x = W - 20 - 12 + 4, y = 4 + 4.
    EXPECT_EQ(Pixel(width - 28, 8), RGB(255, 255, 0));
    EXPECT_EQ(Pixel(width - 28 + 19, 8 + 19), RGB(255, 255, 0));
    EXPECT_EQ(Pixel(width - 28 - 1, 8), RGB(255, 0, 0));
    // The text's white strokes lie in the 60 pixels above the bottom edge, from x = 8.
    int white = 0;
    for (int y = height - 60; y < height; ++y)
        for (int x = 0; x < 200; ++x)
            white += Pixel(x, y) == RGB(255, 255, 255);
    EXPECT_GT(white, 50);
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(Pixel(x, height - 20), RGB(255, 0, 0)) << x;
}

TEST_F(BackWindow, OtherSizesAreSevenEighthsOfTheScreenCentred) {
    look.backgroundWindowSize = 2;
    HWND w = Show();
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    RECT r{};
    GetWindowRect(w, &r);
    EXPECT_EQ(r.right - r.left, sw - sw / 8);
    EXPECT_EQ(r.bottom - r.top, sh - sh / 8);
    EXPECT_EQ(r.left, sw / 2 - (sw - sw / 8) / 2);
    EXPECT_NE(GetWindowLongA(w, GWL_STYLE) & WS_CAPTION, 0);

    // Setting 0: the same window, maximised.
    look.backgroundWindowSize = 0;
    w = Show();
    EXPECT_TRUE(IsZoomed(w));
    WINDOWPLACEMENT place{};
    place.length = sizeof place;
    ASSERT_TRUE(GetWindowPlacement(w, &place));
    EXPECT_EQ(place.rcNormalPosition.right - place.rcNormalPosition.left, sw - sw / 8);
    EXPECT_EQ(place.rcNormalPosition.bottom - place.rcNormalPosition.top, sh - sh / 8);
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(w, &r);
    EXPECT_LE(r.left, work.left);
    EXPECT_LE(r.top, work.top);
    EXPECT_GE(r.right, work.right);
    EXPECT_GE(r.bottom, work.bottom);
}
