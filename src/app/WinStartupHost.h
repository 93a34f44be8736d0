#pragma once

#include "app/StartupHost.h"
#include "install/WinSystemValues.h"
#include "ui/SetupLoader.h"
#include "ui/SplashBitmapForm.h"

#include <memory>

namespace cvn {

// Start-up on Windows: the loader and splash windows, system message boxes captioned
// with the application title, and the registry and folders of the running system.
class TWinStartupHost final : public TStartupHost {
public:
    TWinStartupHost();
    ~TWinStartupHost() override;

    // The script commands' view of this PC; lives as long as the host.
    const TCommandPlatform& CommandPlatform() const { return platform_; }
    TWinSystemValues& WinSystemValues() { return system_; }

    TSystemValues& SystemValues() override { return system_; }
    int RunWizard(TSetupRun& run) override;
    THotSyncEnvironment& HotSyncEnvironment() override;
    std::string ExecutablePath() override;
    std::string SystemTempFolder() override;
    void SetApplicationTitle(const std::string& title) override;
    void ShowMessage(const std::string& text, TMessageIcon icon) override;
    bool IsApplicationManagerRegistered() override;
    void ShowLoader(const TLoaderLook& look) override;
    bool ExtractSupportFiles(InputStream& package, const std::string& packagePath, int pass,
                             const std::string& defaultTarget, const TSupportFileFilter& filter,
                             int32_t& errorCode, std::string& failedFile) override;
    bool ShowSplash(const std::string& picturePath) override;
    void Wait(unsigned milliseconds) override;
    void CloseStartupWindows() override;

private:
    TWinSystemValues system_;
    std::unique_ptr<TMessageBoxes> messageBoxes_;
    std::unique_ptr<TPcFiles> files_;
    std::unique_ptr<TPcRegistry> registry_;
    std::unique_ptr<TPcPrograms> programs_;
    TCommandPlatform platform_;
    std::unique_ptr<TfrmSetupLoader> loader_;
    std::unique_ptr<TfrmSplashBitmapForm> splash_;
};

} // namespace cvn
