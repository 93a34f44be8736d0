#pragma once

#include "app/SetupRun.h"
#include "install/Remover.h"
#include "script/CommandPlatform.h"

#include <string>
#include <vector>

namespace cvn {

// The uninstaller's command line: the uninstall data file and "/S" for a removal
// without questions.
struct TUninstallerArgs {
    std::string dataPath;
    bool silent = false;
};
TUninstallerArgs ParseUninstallerArgs(const std::vector<std::string>& args);

// What the uninstaller shows and the few things it does to itself; the Win32 side
// is WinUninstallerHost_win.cpp, tests give a fake.
class TUninstallerHost {
public:
    virtual ~TUninstallerHost() = default;
    virtual bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes) = 0;
    virtual void SetTitle(const std::string& title) = 0;
    virtual void ShowMessage(const std::string& text, TMessageIcon icon) = 0;
    // A Yes/No question; true for Yes.
    virtual bool Confirm(const std::string& text) = 0;
    virtual TRemoveAnswer Ask(const TRemovalTexts& texts, const std::string& question,
                              const std::string& path) = 0;
    // The progress window: opened with its status text, moved on by each step.
    virtual void ShowProgress(const std::string& status) = 0;
    virtual void Progress(int total, int done) = 0;
    virtual void CloseProgress() = 0;
    virtual void ShowNotRemoved(const std::string& heading, const std::vector<std::string>& list) = 0;
    virtual void ProcessMessages() = 0;
    // The running uninstaller's own file.
    virtual std::string ProgramPath() = 0;
    // The "UninstallString" of every other entry in the list of installed programs.
    virtual std::vector<std::string> OtherUninstallStrings(const std::string& ownKey) = 0;
    // A running program cannot delete its own file; it is left for Windows to
    // delete at the next restart.
    virtual void RemoveProgramAtRestart(const std::string& path) = 0;
};

// The whole uninstall of one product from its uninstall data. The run provides the
// variables, the interpreter of the two uninstall scripts and the package model the
// data is applied to. Returns the program's exit code.
int RunUninstaller(const TUninstallerArgs& args, TSetupRun& run, TRemovalPlatform& platform,
                   TUninstallerHost& host);

} // namespace cvn
