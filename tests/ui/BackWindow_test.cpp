// The background window in this process, read back from its own device context:
// the gradient in both directions, the picture modes, corner items after their
// entrance, and the window sizes against the screen.
#include "install/WinSystemValues.h"
#include "package/PackageModel.h"
#include "script/Variables.h"
#include "ui/Application.h"
#include "ui/BackWindow.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace cvn;

namespace {

// A 24-bit bottom-up BMP of one colour.
void WriteBitmap(const std::string& path, int width, int height, COLORREF colour) {
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
        DeleteFileA((folder + "\\logo.bmp").c_str());
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

TEST_F(BackWindow, PictureIsStretchedTiledOrCentredOverTheGradient) {
    WriteBitmap(folder + "\\back.bmp", 40, 30, RGB(0, 200, 0));
    look.backgroundPicture = "back.bmp";
    look.gradientEnd = look.gradientStart; // plain red where no picture is
    look.backgroundMode = 2;
    Show();
    const int cx = Client().right / 2, cy = Client().bottom / 2;
    EXPECT_EQ(Pixel(cx, cy), RGB(0, 200, 0));
    EXPECT_EQ(Pixel(cx - 25, cy), RGB(255, 0, 0));
    EXPECT_EQ(Pixel(5, 5), RGB(255, 0, 0));

    look.backgroundMode = 1;
    Show();
    EXPECT_EQ(Pixel(5, 5), RGB(0, 200, 0));
    EXPECT_EQ(Pixel(Client().right - 1, Client().bottom - 1), RGB(0, 200, 0));

    look.backgroundMode = 0;
    Show();
    EXPECT_EQ(Pixel(Client().right - 1, 0), RGB(0, 200, 0));

    // A missing picture falls back to the colour background.
    look.backgroundPicture = "missing.bmp";
    Show();
    EXPECT_EQ(Pixel(cx, cy), RGB(255, 0, 0));
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
    items = {logo, title};
    Show();
    const int width = Client().right, height = Client().bottom;
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
}
