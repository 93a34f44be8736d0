#pragma once

#include "install/InstallContext.h"
#include "install/Remover.h"
#include "package/PackageModel.h"

#include <functional>
#include <string>
#include <vector>

namespace cvn {

class TComponentSelection;
class TInterpreter;
class TLanguages;
class TPcRegistry;
class TVariables;

// The components a maintenance run removes: installed before and no longer selected.
std::string MaintenanceComponentsToRemove(const std::string& installed, const std::string& selected);
// The components it adds: selected now and not installed before.
std::string MaintenanceComponentsToAdd(const std::string& installed, const std::string& selected);

// The earlier installation of this setup's own product: the script command that
// loads its uninstall data and turns maintenance mode on, and the engine's seam that
// removes the components no longer selected.
class TMaintenance final : public TPreviousInstallation {
public:
    struct TParts {
        TPackage* package = nullptr;
        TVariables* variables = nullptr;
        TLanguages* languages = nullptr;
        TComponentSelection* selection = nullptr;
        TPcRegistry* registry = nullptr;
        std::function<bool(const std::string& path, std::vector<uint8_t>& bytes)> readFile;
        // Shown for uninstall data that cannot be used.
        std::function<void(const std::string& text)> showError;
        TRemovalPlatform* removal = nullptr;
        // The questions of the removal; progress and reports are the engine's.
        std::function<TRemoveAnswer(const TRemovalTexts&, const std::string& question,
                                    const std::string& path)>
            ask;
    };
    explicit TMaintenance(TParts parts) : parts_(std::move(parts)) {}

    // The statement that loads the previous installation.
    void Install(TInterpreter& interpreter);
    // True when the product is registered, its uninstall data was read and
    // maintenance mode is on.
    bool LoadPreviousInstallation();
    bool Loaded() const { return loaded_; }
    const std::string& InstalledComponents() const { return previous_.installedComponents; }

    const std::vector<TUninstallItem>& Items() const override { return previous_.items; }
    void RemoveDeselectedComponents(const std::function<void(int done, int total)>& progress) override;

private:
    TParts parts_;
    TUninstallData previous_;
    bool loaded_ = false;
};

} // namespace cvn
