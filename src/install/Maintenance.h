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

    // Removing an installed product (the remove-previous-install statement).
    struct TProductRemoval {
        // Runs one of the two uninstall scripts; false when the removal is to stop.
        std::function<bool(const TScript& script)> runScript;
        std::function<void(int total)> started;
        std::function<void(int done)> progress;
        std::function<void()> processMessages;
    };
    // Removes the product registered under these names. The result variable gets
    // "2" when entries were removed, "1" when the log was empty, "0" on failure.
    // False when nothing was done: the product is not registered, its data file is
    // missing, it is this setup's own product and was removed already, or the
    // before-uninstall script stopped it.
    bool RemoveProduct(const std::string& resultVariable, const std::string& softwareName,
                       const std::string& companyName, const TProductRemoval& run);

    const std::vector<TUninstallItem>& Items() const override { return previous_.items; }
    void RemoveDeselectedComponents(const std::function<void(int done, int total)>& progress) override;
    // What the last removal could not remove (the wizard's not-deleted lists show it).
    const std::vector<std::string>& NotRemoved() const { return notRemoved_; }

private:
    TParts parts_;
    // The uninstall data file of a registered product; empty when there is none.
    std::string RegisteredDataPath(const std::string& softwareName, const std::string& companyName) const;

    TUninstallData previous_;
    bool loaded_ = false;
    bool ownProductRemoved_ = false;
    std::vector<std::string> notRemoved_;
};

} // namespace cvn
