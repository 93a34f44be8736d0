#include "app/WinStartupHost.h"

#include "app/HandOver.h"
#include "app/Startup.h"
#include "core/Handle_win.h"
#include "ui/Application.h"

#include <windows.h>

namespace cvn {

TWinStartupHost::TWinStartupHost()
    : messageBoxes_(CreateWinMessageBoxes(system_)), files_(CreateWinPcFiles()),
      registry_(CreateWinPcRegistry()),
      programs_(CreateWinPcPrograms()), platform_{messageBoxes_.get(), files_.get(), registry_.get(),
                                                  programs_.get()} {
    system_.Hooks().mainWindow = [] {
        return reinterpret_cast<uintptr_t>(TApplication::Instance().Handle());
    };
}

TWinStartupHost::~TWinStartupHost() {
    CloseStartupWindows();
}

THotSyncEnvironment& TWinStartupHost::HotSyncEnvironment() {
    return SystemHotSyncEnvironment();
}

std::string TWinStartupHost::ExecutablePath() {
    return ProgramPath();
}

std::string TWinStartupHost::SystemTempFolder() {
    char buf[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof buf, buf);
    return n && n < sizeof buf ? std::string(buf, n) : std::string();
}

void TWinStartupHost::SetApplicationTitle(const std::string& title) {
    TApplication::Instance().SetTitle(title);
}

void TWinStartupHost::ShowMessage(const std::string& text, TMessageIcon icon) {
    UINT flags = MB_OK;
    switch (icon) {
    case TMessageIcon::Error:
        flags |= MB_ICONERROR;
        break;
    case TMessageIcon::Information:
        flags |= MB_ICONINFORMATION;
        break;
    case TMessageIcon::Warning:
        flags |= MB_ICONWARNING;
        break;
    case TMessageIcon::Question:
        flags |= MB_ICONQUESTION;
        break;
    case TMessageIcon::None:
        break;
    }
    TApplication::Instance().ShowMessage(text, flags);
}

bool TWinStartupHost::IsApplicationManagerRegistered() {
    RegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                      "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\CEAPPMGR.EXE", 0, KEY_READ,
                      key.Out()) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD size = 0;
    return RegQueryValueExA(key.Get(), nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
           (type == REG_SZ || type == REG_EXPAND_SZ);
}

void TWinStartupHost::ShowLoader(const TLoaderLook& look) {
    loader_ = std::make_unique<TfrmSetupLoader>();
    if (!loader_->CreateLoader()) {
        loader_.reset();
        return;
    }
    loader_->SetLabelFont(look.useSetupFont ? &look.setupFont : nullptr);
    loader_->SetTexts(look.title, look.message);
    TWindowPlace place = LoaderPlace(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                     loader_->Width(), loader_->Height(), look.nearBottomRight);
    loader_->SetPosition(place.left, place.top);
    loader_->ShowNow();
}

bool TWinStartupHost::ExtractSupportFiles(InputStream& package, const std::string& packagePath, int pass,
                                          const std::string& defaultTarget, const TSupportFileFilter& filter,
                                          int32_t& errorCode, std::string& failedFile) {
    // Start-up always shows the loader first; a loader that could not be created
    // still extracts with a reader of its own.
    TSetupCVNZip own;
    TSetupCVNZip* zip = &own;
    if (loader_) {
        zip = &loader_->Archive();
        loader_->OnSupportFile = filter;
    } else {
        own.OnRestoreFile.Bind([&](int32_t id, std::string& target, bool& extract, int32_t, int32_t&) {
            filter(id, target, extract);
        });
    }
    zip->PassTag = uint8_t(pass);
    bool ok = zip->ExtractFromStream(package, defaultTarget, packagePath);
    errorCode = zip->ErrorCode();
    failedFile = zip->CurrentTargetPath();
    return ok;
}

bool TWinStartupHost::ShowSplash(const std::string& picturePath) {
    splash_ = std::make_unique<TfrmSplashBitmapForm>();
    if (!splash_->ShowPicture(picturePath)) {
        splash_.reset();
        return false;
    }
    return true;
}

void TWinStartupHost::Wait(unsigned milliseconds) {
    const DWORD start = GetTickCount();
    TApplication& app = TApplication::Instance();
    for (;;) {
        app.ProcessMessages();
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    }
}

void TWinStartupHost::CloseStartupWindows() {
    splash_.reset();
    if (loader_) loader_->OnSupportFile = nullptr;
    loader_.reset();
}

int TWinStartupHost::RunWizard(TSetupRun& run) {
    return cvn::RunWizard(run, *this);
}

} // namespace cvn
