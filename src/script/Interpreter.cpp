#include "script/Interpreter.h"

#include "package/StatementCodes.h"
#include "script/StatementHandlers.h"
#include "script/VariableList.h"
#include "script/Variables.h"

#include "core/Error.h"
#include <vector>

namespace cvn {

namespace {

constexpr uint8_t Code(StatementCommand c) {
    return uint8_t(c);
}

constexpr int kUnknown = -2;

bool EndsLoop(TScriptOutcome o) {
    return o == TScriptOutcome::Stop || o == TScriptOutcome::Exit || o == TScriptOutcome::Break;
}

// The end code of a block-opening code and which parameter holds its label.
struct TBlockShape {
    uint8_t endCode;
    int labelParam;
};

TBlockShape ShapeOf(uint8_t code) {
    switch (StatementCommand(code)) {
    case StatementCommand::scFor:
        return {Code(StatementCommand::scEndFor), 3};
    case StatementCommand::scWhile:
        return {Code(StatementCommand::scEndWhile), 0};
    case StatementCommand::scForEachSelected:
        return {Code(StatementCommand::scEndForEachSelected), 2};
    default:
        return {Code(StatementCommand::scEndIf), 0};
    }
}

} // namespace

// One run over one script: block ends are looked up once per opening statement.
struct TInterpreter::TRun {
    explicit TRun(const TScript& s) : script(s), ends(s.size(), kUnknown), elses(s.size(), kUnknown) {}
    const TScript& script;
    std::vector<int> ends;
    std::vector<int> elses; // If only; -1 without Else
    int depth = 0;
};

// What a structural statement leaves the range to do: return an outcome now, or go on at `next`.
struct TInterpreter::TStep {
    bool returnNow = false;
    TScriptOutcome outcome = TScriptOutcome::Normal;
    int next = 0;
};

TInterpreter::TInterpreter(TVariables& vars, const TConditionEvaluator& conditions,
                           const TCommandPlatform& platform, TScriptRandom random)
    : vars_(&vars), conditions_(&conditions), commands_(vars, platform, random) {
    if (!platform.messages || !platform.files || !platform.registry || !platform.programs)
        throw Error("the interpreter needs every part of the command platform");
}

bool TInterpreter::SetExternalCommand(uint8_t code, TExternalCommand command) {
    if (StatementHandler(code).kind != THandlerKind::External) return false;
    external_[code] = std::move(command);
    return true;
}

bool TInterpreter::RunScript(const TScript& script) {
    const TScript copy = script;
    TRun run(copy);
    return Execute(run, 0, int(copy.size()) - 1, true) != TScriptOutcome::Stop;
}

TScriptOutcome TInterpreter::ExecuteRange(const TScript& script, int first, int last, bool topLevel) {
    TRun run(script);
    return Execute(run, first, last, topLevel);
}

TScriptOutcome TInterpreter::Execute(TRun& run, int first, int last, bool topLevel) {
    const TScript& script = run.script;
    int i = first;
    for (;;) {
        if (i > last) {
            if (topLevel && !busy_ && EqualsNoCase(pendingDialog_, "INSTALL")) {
                pendingDialog_.clear();
                if (hooks_.returnFromInstallPage) hooks_.returnFromInstallPage();
            }
            return TScriptOutcome::Normal;
        }
        if (i < 0 || size_t(i) >= script.size()) return TScriptOutcome::Normal;

        const TScriptStatement& st = script[size_t(i)];
        const TStatementHandler& handler = StatementHandler(st.code);
        // While and If test their own condition as the loop or branch test.
        bool ownTest = st.code == Code(StatementCommand::scWhile) || st.code == Code(StatementCommand::scIf);
        if (!ownTest && !conditions_->EvaluateCondition(st.condition)) {
            ++i;
            continue;
        }

        switch (handler.kind) {
        case THandlerKind::NoAction:
            break;
        case THandlerKind::Command:
            handler.run(commands_, st);
            break;
        case THandlerKind::External:
            if (external_[st.code]) external_[st.code](st);
            break;
        case THandlerKind::Wizard:
        case THandlerKind::Close:
            if (hooks_.executeWizardCommand)
                hooks_.executeWizardCommand(st.code, st.param[0], st.param[1], st.param[2]);
            // The run ends after a close statement whether or not the wizard acted on it.
            if (handler.kind == THandlerKind::Close) return TScriptOutcome::Stop;
            break;
        case THandlerKind::Structural: {
            TStep step = ExecuteStructural(run, i, topLevel);
            if (step.returnNow) return step.outcome;
            i = step.next;
            continue;
        }
        }
        ++i;
    }
}

TScriptOutcome TInterpreter::ExecuteNested(TRun& run, int first, int last) {
    if (run.depth >= kMaxBlockDepth) return TScriptOutcome::Exit;
    ++run.depth;
    TScriptOutcome outcome = Execute(run, first, last, false);
    --run.depth;
    return outcome;
}

// A Goto inside a loop body ends that pass only; the loop goes on and the jump is
// taken when that pass was the last one (the loop's outcome is its last pass's).
TInterpreter::TStep TInterpreter::ExecuteStructural(TRun& run, int i, bool topLevel) {
    const TScriptStatement& st = run.script[size_t(i)];
    TScriptOutcome outcome = TScriptOutcome::Normal;
    switch (StatementCommand(st.code)) {
    case StatementCommand::scFor: {
        int end = BlockEnd(run, i);
        int32_t first = ReadScriptNumber(vars_->ExpandVariables(st.param[1]));
        int32_t last = ReadScriptNumber(vars_->ExpandVariables(st.param[2]));
        for (int64_t n = first; n <= last; ++n) {
            vars_->SetVariable(st.param[0], std::to_string(n));
            outcome = ExecuteNested(run, i + 1, end - 1);
            if (EndsLoop(outcome)) break;
        }
        return AfterBlock(outcome, end, topLevel, true);
    }
    case StatementCommand::scWhile: {
        int end = BlockEnd(run, i);
        while (conditions_->EvaluateCondition(st.condition)) {
            outcome = ExecuteNested(run, i + 1, end - 1);
            if (EndsLoop(outcome)) break;
        }
        return AfterBlock(outcome, end, topLevel, true);
    }
    case StatementCommand::scForEachSelected: {
        int end = BlockEnd(run, i);
        std::string name = vars_->ExpandVariables(st.param[1]);
        // Looked up afresh for every item: the body may change or close the dialog.
        for (int item = 0;; ++item) {
            TScriptListBox* list = hooks_.findListBox ? hooks_.findListBox(name) : nullptr;
            if (!list || item >= list->ItemCount()) break;
            if (!list->ItemSelected(item)) continue;
            vars_->SetVariable(st.param[0], list->ItemText(item));
            outcome = ExecuteNested(run, i + 1, end - 1);
            if (EndsLoop(outcome)) break;
        }
        return AfterBlock(outcome, end, topLevel, true);
    }
    case StatementCommand::scIf: {
        int end = BlockEnd(run, i);
        int otherwise = ElseOf(run, i);
        if (conditions_->EvaluateCondition(st.condition))
            outcome = ExecuteNested(run, i + 1, (otherwise >= 0 ? otherwise : end) - 1);
        else if (otherwise >= 0)
            outcome = ExecuteNested(run, otherwise + 1, end - 1);
        return AfterBlock(outcome, end, topLevel, false);
    }
    case StatementCommand::scGoto: {
        int label = FindLabel(run.script, st.param[0]);
        if (label < 0) return {false, TScriptOutcome::Normal, i + 1};
        gotoTarget_ = label;
        if (topLevel) return {false, TScriptOutcome::Normal, label};
        return {true, TScriptOutcome::Goto, 0};
    }
    case StatementCommand::scExit:
        return {true, TScriptOutcome::Exit, 0};
    case StatementCommand::scBreak:
        return {true, TScriptOutcome::Break, 0};
    default:
        return {false, TScriptOutcome::Normal, i + 1};
    }
}

TInterpreter::TStep TInterpreter::AfterBlock(TScriptOutcome outcome, int end, bool topLevel,
                                             bool isLoop) const {
    switch (outcome) {
    case TScriptOutcome::Stop:
    case TScriptOutcome::Exit:
        return {true, outcome, 0};
    case TScriptOutcome::Break:
        // A loop consumes its Break; an If passes it on to the enclosing loop.
        if (isLoop) return {false, TScriptOutcome::Normal, end + 1};
        return {true, outcome, 0};
    case TScriptOutcome::Goto:
        if (topLevel) return {false, TScriptOutcome::Normal, gotoTarget_};
        return {true, outcome, 0};
    case TScriptOutcome::Normal:
        break;
    }
    return {false, TScriptOutcome::Normal, end + 1};
}

// The first end statement after the opening one whose label matches exactly. A
// block whose end statement is missing (only a damaged or hand-made script has
// one) reaches to the end of the script: its body is everything after it, and the
// run ends with it.
int TInterpreter::BlockEnd(TRun& run, int opening) {
    int& cached = run.ends[size_t(opening)];
    if (cached != kUnknown) return cached;
    const TScriptStatement& st = run.script[size_t(opening)];
    TBlockShape shape = ShapeOf(st.code);
    const std::string& label = st.param[size_t(shape.labelParam)];
    bool isIf = st.code == Code(StatementCommand::scIf);
    int otherwise = -1;
    int end = int(run.script.size());
    for (size_t j = size_t(opening) + 1; j < run.script.size(); ++j) {
        const TScriptStatement& s = run.script[j];
        if (s.code == shape.endCode && s.param[0] == label) {
            end = int(j);
            break;
        }
        if (isIf && s.code == Code(StatementCommand::scElse) && s.param[0] == label) otherwise = int(j);
    }
    cached = end;
    run.elses[size_t(opening)] = otherwise;
    return end;
}

int TInterpreter::ElseOf(TRun& run, int opening) {
    BlockEnd(run, opening);
    return run.elses[size_t(opening)];
}

int TInterpreter::FindLabel(const TScript& script, const std::string& label) const {
    for (size_t j = 0; j < script.size(); ++j)
        if (script[j].code == Code(StatementCommand::scLabel) && script[j].param[0] == label) return int(j);
    return -1;
}

} // namespace cvn
