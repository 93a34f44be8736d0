#pragma once

#include "package/PackageModel.h"
#include "package/StatementCodes.h"
#include "script/Condition.h"
#include "script/FakeCommandPlatform.h"
#include "script/FakeSystemValues.h"
#include "script/Interpreter.h"
#include "script/Selection.h"
#include "script/Variables.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace cvn::test {

using SC = StatementCommand;

inline TScriptStatement St(SC code, std::initializer_list<std::string> params = {},
                           std::string condition = {}) {
    TScriptStatement s;
    s.code = uint8_t(code);
    size_t i = 0;
    for (const auto& p : params)
        s.param[i++] = p;
    s.condition = std::move(condition);
    return s;
}

// The default English language with every message "message N".
inline TLanguage NumberedEnglish() {
    TLanguage english;
    english.name = "English";
    english.isDefault = 1;
    for (int i = 0; i < kMessageCount; ++i)
        english.messages[size_t(i)] = "message " + std::to_string(i);
    return english;
}

// A whole script environment over fakes: variables, selection, conditions, the
// PC and an interpreter with a fixed random seed. Wizard statements are recorded.
class ScriptFixture : public ::testing::Test {
protected:
    ScriptFixture()
        : vars(sys), conditions(vars, selection),
          interp(vars, conditions, pc.Platform(), TScriptRandom(12345)) {
        selection.Attach(vars);
        interp.Hooks().executeWizardCommand = [this](uint8_t code, const std::string& p1,
                                                     const std::string& p2, const std::string& p3) {
            wizard.push_back(std::string(StatementName(code)) + "(" + p1 + "," + p2 + "," + p3 + ")");
        };
    }

    std::string Var(std::string_view name) {
        const std::string* v = vars.Store().Find(name);
        return v ? *v : "<unset>";
    }
    void Set(std::string_view name, std::string_view value) { vars.SetVariable(name, value); }
    bool Run(const TScript& script) { return interp.RunScript(script); }
    bool Run1(TScriptStatement s) { return interp.RunScript({std::move(s)}); }

    TFakeSystemValues sys;
    TVariables vars;
    TComponentSelection selection;
    TConditionEvaluator conditions;
    TFakePc pc;
    TInterpreter interp;
    std::vector<std::string> wizard;
};

} // namespace cvn::test
