// The installation run's windows, in this process: the owner of the billboard window.
#include "UiTestSupport.h"
#include "app/TestPackage.h"

#include "package/PackageModel.h"
#include "ui/Application.h"
#include "ui/InstallationRun.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace cvn;
using namespace cvn::test;

namespace {

BOOL CALLBACK NoteVisibleForm(HWND hwnd, LPARAM found) {
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (IsWindowVisible(hwnd) && std::string(cls) == "TCorvaneForm") *reinterpret_cast<HWND*>(found) = hwnd;
    return TRUE;
}

} // namespace

TEST(InstallationRunWindows, TheBillboardBelongsToTheBackgroundWindowOrTheApplication) {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string picture = std::string(temp) + "cvn-billboard-owner.bmp";
    std::ofstream(picture, std::ios::binary) << BitmapFile(40, 30, 10, 200, 10);
    HWND wizard =
        CreateWindowExA(0, "STATIC", "wizard", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND back = CreateWindowExA(0, "STATIC", "background", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                nullptr);
    TPackage pkg;
    TInstallationRunContext context;
    context.engine.package = &pkg;
    context.wizard = wizard;

    auto billboardOwner = [&](TInstallationRunContext c) {
        TInstallationRun run(c);
        run.ShowBillboard(picture, 600);
        // The billboard is the thread's only visible window of the form class.
        HWND shown = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), NoteVisibleForm, reinterpret_cast<LPARAM>(&shown));
        return shown ? GetWindow(shown, GW_OWNER) : HWND(INVALID_HANDLE_VALUE);
    };
    EXPECT_EQ(billboardOwner(context), TApplication::Instance().Handle());
    context.backWindow = back;
    EXPECT_EQ(billboardOwner(context), back);

    DestroyWindow(wizard);
    DestroyWindow(back);
    DeleteFileA(picture.c_str());
}
