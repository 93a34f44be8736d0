// The installation run's windows, in this process: the font of the prompts it shows
// and the owner of the billboard window.
#include "UiTestSupport.h"
#include "app/TestPackage.h"

#include "package/PackageModel.h"
#include "ui/Application.h"
#include "ui/InstallationRun.h"
#include "ui/MsgBoxFiles.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace cvn;
using namespace cvn::test;

namespace {

std::string ControlFace(HWND window, int id) {
    auto font = reinterpret_cast<HFONT>(SendMessageA(GetDlgItem(window, id), WM_GETFONT, 0, 0));
    LOGFONTA lf{};
    if (!font || !GetObjectA(font, sizeof lf, &lf)) return {};
    return lf.lfFaceName;
}

BOOL CALLBACK NoteVisibleForm(HWND hwnd, LPARAM found) {
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (IsWindowVisible(hwnd) && std::string(cls) == "TCorvaneForm") *reinterpret_cast<HWND*>(found) = hwnd;
    return TRUE;
}

// The face of the overwrite prompt's buttons, read while the prompt is open; the
// prompt is then cancelled.
std::string PromptFace(TInstallationRun& run) {
    std::string face;
    WhenWindow(TApplication::Instance().Title(), [&](HWND prompt) {
        face = ControlFace(prompt, TfrmMsgBoxFiles::btnYes);
        PressButton(prompt, TfrmMsgBoxFiles::btnCancel);
    });
    TOverwritePrompt p;
    p.message = "The file a.txt already exists.";
    p.filePath = "C:\\windows\\win.ini";
    EXPECT_EQ(run.AskOverwrite(p), TOverwriteAnswer::Cancel);
    CancelPending();
    return face;
}

} // namespace

TEST(InstallationRunWindows, KeepSystemFontLeavesThePromptItsOwnFont) {
    TPackage pkg;
    pkg.Settings().appearance.setupFont.face = "Courier New";
    pkg.Settings().appearance.setupFont.size = 10;
    TInstallationRunContext context;
    context.engine.package = &pkg;
    {
        TInstallationRun run(context);
        EXPECT_EQ(PromptFace(run), "Courier New");
    }
    context.flags.keepSystemFont = 1;
    TInstallationRun run(context);
    EXPECT_EQ(PromptFace(run), "Arial");
}

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
