#pragma once

#include "package/Script.h"
#include "script/CommandsContext.h"
#include "script/Condition.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace cvn {

class TVariables;

// Result of running a range of statements.
enum class TScriptOutcome { Stop = 0, Normal = 1, Exit = 2, Goto = 3, Break = 4 };

// A list box of the current dialog as the For-each-selected loop sees it.
class TScriptListBox {
public:
    virtual ~TScriptListBox() = default;
    virtual int ItemCount() const = 0;
    virtual std::string ItemText(int index) const = 0;
    virtual bool ItemSelected(int index) const = 0;
};

// Routines the wizard installs; a hook that is not set is skipped.
struct TInterpreterHooks {
    // Wizard statements with their first three parameters, unexpanded.
    std::function<void(uint8_t code, const std::string& p1, const std::string& p2, const std::string& p3)>
        executeWizardCommand;
    // End of a top-level script while the "INSTALL" page was requested and nothing is installing.
    std::function<void()> returnFromInstallPage;
    // The list box of that list name, or null.
    std::function<TScriptListBox*(const std::string& name)> findListBox;
};

// A command of another module (internet, DLL calls, device, HotSync, previous
// installations) installed for its code.
using TExternalCommand = std::function<void(const TScriptStatement& s)>;

// Runs scripts: walks the statements, evaluates each one's condition and performs
// it through the handler table. One interpreter lives for the whole program; runs
// nest (a command can make the wizard run other scripts) and share its state.
class TInterpreter {
public:
    // Blocks nested deeper than this end the run as an Exit would: a damaged
    // script must not exhaust the stack.
    static constexpr int kMaxBlockDepth = 200;

    TInterpreter(TVariables& vars, const TConditionEvaluator& conditions, const TCommandPlatform& platform,
                 TScriptRandom random = TScriptRandom::SeededFromClock());

    // False only when the run ended with a close statement. The script is copied
    // first, so a command that replaces the stored script cannot pull it away mid-run.
    bool RunScript(const TScript& script);
    // first..last of a script that outlives the call.
    TScriptOutcome ExecuteRange(const TScript& script, int first, int last, bool topLevel);

    TInterpreterHooks& Hooks() { return hooks_; }
    // Installs the command of another module for an External code; false for other codes.
    bool SetExternalCommand(uint8_t code, TExternalCommand command);

    // The dialog most recently requested by name (written by the wizard).
    std::string& PendingDialog() { return pendingDialog_; }
    // An installation or a removal is running.
    void SetBusy(bool busy) { busy_ = busy; }
    bool Busy() const { return busy_; }

    TCommandsContext& Commands() { return commands_; }
    const TConditionEvaluator& Conditions() const { return *conditions_; }

private:
    struct TRun;
    struct TStep;

    TScriptOutcome Execute(TRun& run, int first, int last, bool topLevel);
    TScriptOutcome ExecuteNested(TRun& run, int first, int last);
    TStep ExecuteStructural(TRun& run, int i, bool topLevel);
    TStep AfterBlock(TScriptOutcome outcome, int end, bool topLevel, bool isLoop) const;
    int BlockEnd(TRun& run, int opening);
    int ElseOf(TRun& run, int opening);
    int FindLabel(const TScript& script, const std::string& label) const;

    TVariables* vars_;
    const TConditionEvaluator* conditions_;
    TCommandsContext commands_;
    TInterpreterHooks hooks_;
    std::array<TExternalCommand, 115> external_;
    int gotoTarget_ = -1;
    std::string pendingDialog_;
    bool busy_ = false;
};

} // namespace cvn
