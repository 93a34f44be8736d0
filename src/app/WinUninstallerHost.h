#pragma once

#include "app/Uninstaller.h"
#include "ui/CopyingFiles.h"

#include <memory>

namespace cvn {

// The four-button question about removing one file, in the run's setup font.
TRemoveAnswer AskRemoval(const TSetupRun& run, const TRemovalTexts& texts, const std::string& question,
                         const std::string& path, HWND owner = nullptr);

// The uninstaller on Windows: message boxes captioned with its title, the four-button
// question for shared files, servers and type libraries, and the progress window.
class TWinUninstallerHost final : public TUninstallerHost {
public:
    // The run's package holds the setup font once the uninstall data is applied.
    explicit TWinUninstallerHost(const TSetupRun& run) : run_(run) {}
    ~TWinUninstallerHost() override;

    bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes) override;
    void SetTitle(const std::string& title) override;
    void ShowMessage(const std::string& text, TMessageIcon icon) override;
    bool Confirm(const std::string& text) override;
    TRemoveAnswer Ask(const TRemovalTexts& texts, const std::string& question,
                      const std::string& path) override;
    void ShowProgress(const std::string& status) override;
    void Progress(int total, int done) override;
    void CloseProgress() override;
    void ShowNotRemoved(const std::string& heading, const std::vector<std::string>& list) override;
    void ProcessMessages() override;
    std::string ProgramPath() override;
    std::vector<std::string> OtherUninstallStrings(const std::string& ownKey) override;
    void RemoveProgramAtRestart(const std::string& path) override;

private:
    const TSetupRun& run_;
    std::unique_ptr<TfrmCopyingFiles> progress_;
};

} // namespace cvn
