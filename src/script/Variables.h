#pragma once

#include "script/SystemValues.h"
#include "script/VariableList.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace cvn {

struct TCustomVariableEntry;

// Program-wide values that expansion inserts and that start-up fills once.
struct TProgramValues {
    std::string softwareName;
    std::string companyName;
    std::string tempSetupDir; // without trailing backslash
    // The package's install-folder list: a stored variable whose name followed by a
    // backslash is on it is a folder variable (inserted without trailing backslash).
    std::vector<std::string> folderVariableList;
};

// Routines that other parts install; an unset hook is skipped.
struct TVariableHooks {
    // After every stored assignment: the name wrapped in percent signs and the
    // value as assigned, before expansion.
    std::function<void(const std::string& name, const std::string& value)> variableChanged;
    // Component selection: leaving setup type 2 saves the current selection as the
    // custom one; then the chosen type's component set becomes current (0, 1, 2).
    std::function<void()> saveCustomSelection;
    std::function<void(int setupType)> selectSetupType;
};

// The variable context of one run: the store, the system values, the program-wide
// values and the hooks. The application creates one; tests create them fresh.
class TVariables {
public:
    explicit TVariables(TSystemValues& system) : system_(&system) {}

    TVariableList& Store() { return store_; }
    const TVariableList& Store() const { return store_; }
    TProgramValues& Program() { return program_; }
    const TProgramValues& Program() const { return program_; }
    TVariableHooks& Hooks() { return hooks_; }
    TSystemValues& System() const { return *system_; }

    // True when %CommonShellFolders% was last assigned "1": the shell folder
    // variables then name the all-users folders.
    bool AllUsersShellFolders() const { return allUsersShellFolders_; }

    // Replaces %Name% references. Only names that occur in the text as given are
    // replaced, so references inside inserted values stay as they are. With
    // escapeAmpersands the software and company names have "&" doubled (for captions).
    std::string ExpandVariables(std::string_view text, bool escapeAmpersands = false) const;
    // Operand of a condition: a computed name exactly, else the expanded text.
    std::string ResolveOperand(std::string_view text) const;
    // Value of one computed name (%IsAdmin% ... %CmdLineParam%); for another name
    // empty text, or its expansion when fallback is set.
    std::string GetSystemValue(std::string_view name, bool fallback) const;

    // The one way scripts, controls, the wizard and start-up assign a variable. The
    // name gets its percent signs where missing and is stored so; the value is
    // expanded before it is stored. Read-only names are refused silently.
    void SetVariable(std::string_view name, std::string_view value, bool stripBackslash = false);
    static bool IsReadOnlyVariable(std::string_view name);
    // %InstallDir%, or a name that followed by a backslash is on the folder list.
    bool IsFolderVariable(std::string_view name) const;

    // Start-up: every collected name becomes empty, then the defaults are set.
    void InitVariables(const std::vector<std::string>& collectedNames, std::string_view defaultInstallDir,
                       std::string_view defaultProgramGroup, std::string_view languageName);
    // Creates the store from the custom variables: the registry value when present,
    // else the expanded default.
    void LoadCustomVariables(const std::vector<TCustomVariableEntry>& entries);

private:
    std::string Expand(std::string_view text, bool escapeAmpersands, bool inner) const;

    TSystemValues* system_;
    TVariableList store_;
    TProgramValues program_;
    TVariableHooks hooks_;
    bool allUsersShellFolders_ = false;
};

// True for the names GetSystemValue computes (%IsAdmin% ... %CmdLineParam%).
bool IsComputedVariable(std::string_view name);

// A number taken from a text: only the digits and "-" signs count, and what they
// form is read as a decimal int32; 0 when that is no valid number.
int32_t NumberFromText(std::string_view text);

// Adds "%" at the start and at the end where missing.
std::string WrapVariableName(std::string_view name);

} // namespace cvn
