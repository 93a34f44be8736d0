// The wait for a Windows CE device with its window, in this process, against the
// stand-in remote API library in the system folder whose connection completes only
// when the test signals it.
#include "BuildFiles_win.h"
#include "UiTestSupport.h"

#include "install/RapiTool.h"
#include "ui/Application.h"
#include "ui/StartCEConnection.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace cvn;
using namespace cvn::test;

namespace {

constexpr const char* kCaption = "Acme Handheld Tools";
constexpr const char* kText = "Connecting to Windows CE device...";

class ConnectionWait : public ::testing::Test {
protected:
    void SetUp() override {
        char dir[MAX_PATH] = {};
        GetSystemDirectoryA(dir, MAX_PATH);
        rapiInSystem = std::string(dir) + "\\rapi.dll";
        ASSERT_TRUE(CopyFileA(BuildFile("testing/rapi/rapi.dll").c_str(), rapiInSystem.c_str(), FALSE));
        GetTempPathA(MAX_PATH, dir);
        device = std::string(dir) + "cvn-connection-device";
        CreateDirectoryA(device.c_str(), nullptr);
        SetEnvironmentVariableA("CVN_TEST_DEVICE", device.c_str());
        SetEnvironmentVariableA("CVN_TEST_DEVICE_CONNECT", "CvnTestDeviceConnect");
        connected = CreateEventA(nullptr, TRUE, FALSE, "CvnTestDeviceConnect");
        // Made once the library is in place: the tool binds it when it is created.
        api = CreateWinRapiApi();
        tool = std::make_unique<TRapiTool>(*api, [] { TApplication::Instance().ProcessMessages(); });
        tool->OnConnectProgress.Bind([this](int phase) { display.ConnectProgress(phase); });
    }
    void TearDown() override {
        CancelPending();
        tool.reset(); // disconnects and lets the library go before it is deleted
        api.reset();
        CloseHandle(connected);
        SetEnvironmentVariableA("CVN_TEST_DEVICE_CONNECT", nullptr);
        DeleteFileA((device + ".reg").c_str());
        DeleteFileA((device + "\\cVN.exe").c_str());
        RemoveDirectoryA(device.c_str());
        DeleteFileA(rapiInSystem.c_str());
    }

    std::string rapiInSystem, device;
    HANDLE connected = nullptr;
    std::unique_ptr<TRapiApi> api;
    std::unique_ptr<TRapiTool> tool;
    TConnectionDisplay display{[] {
        TConnectionLook look;
        look.caption = kCaption;
        look.text = kText;
        return look;
    }};
};

} // namespace

TEST_F(ConnectionWait, TheWindowShowsTheMessageRefusesToCloseAndACancelEndsTheWait) {
    bool watched = false;
    WhenWindow(kCaption, [&](HWND window) {
        ASSERT_TRUE(display.Window());
        EXPECT_EQ(display.Window()->Text(), kText);
        EXPECT_TRUE(display.Window()->FontSpec().bold);
        EXPECT_TRUE(tool->Connecting());
        // Centred on the screen.
        RECT r{};
        GetWindowRect(window, &r);
        EXPECT_LE(std::abs((r.left + r.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
        EXPECT_LE(std::abs((r.top + r.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2), 1);
        PostMessageA(window, WM_CLOSE, 0, 0);
        PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        After(300, [&, window] {
            EXPECT_TRUE(IsWindowVisible(window)) << "the user closed the connection window";
            watched = true;
            tool->Cancel();
        });
    });
    After(kWindowTimeoutMs + 1000, [&] { tool->Cancel(); }); // never hang the suite

    EXPECT_FALSE(tool->Connect(true));
    EXPECT_TRUE(watched);
    EXPECT_FALSE(tool->Connecting());
    EXPECT_FALSE(tool->IsConnected());
    EXPECT_EQ(display.Window(), nullptr);
    EXPECT_EQ(FindThreadWindow(kCaption), nullptr);
}

TEST_F(ConnectionWait, WhenTheDeviceAnswersTheProbeRunsAndTheWindowGoes) {
    WhenWindow(kCaption, [&](HWND) { After(200, [&] { SetEvent(connected); }); });
    After(kWindowTimeoutMs + 1000, [&] { tool->Cancel(); });

    // The stand-in runs the probe only when it is the image for its processor
    // (StrongARM unless told otherwise) and then reports its platform.
    EXPECT_TRUE(tool->Connect(true));
    EXPECT_TRUE(tool->IsConnected());
    EXPECT_EQ(tool->GetPlatform(), "PocketPC");
    EXPECT_EQ(display.Window(), nullptr);
    EXPECT_EQ(FindThreadWindow(kCaption), nullptr);
    // The probe's program is gone from the device again.
    EXPECT_EQ(GetFileAttributesA((device + "\\cVN.exe").c_str()), INVALID_FILE_ATTRIBUTES);
}
