// Interpreter speed: a script of 100,000 statements built from nested For loops
// and If/Else blocks, against a flat script that performs the same commands
// without any block structure, measured side by side in one run.

#include "package/StatementCodes.h"
#include "script/Condition.h"
#include "script/FakeCommandPlatform.h"
#include "script/FakeSystemValues.h"
#include "script/Interpreter.h"
#include "script/Selection.h"
#include "script/Variables.h"

#include <ctime>
#include <cstdio>
#include <string>

namespace {

using namespace cvn;
using SC = StatementCommand;

TScriptStatement St(SC code, std::initializer_list<std::string> params, std::string condition = {}) {
    TScriptStatement s;
    s.code = uint8_t(code);
    size_t i = 0;
    for (const auto& p : params)
        s.param[i++] = p;
    s.condition = std::move(condition);
    return s;
}

constexpr int kGroups = 10000; // 10 statements each

TScript NestedScript() {
    TScript s;
    for (int g = 0; g < kGroups; ++g) {
        std::string n = std::to_string(g);
        s.push_back(St(SC::scLabel, {"G" + n}));
        s.push_back(St(SC::scFor, {"%I%", "1", "3", "F" + n}));
        s.push_back(St(SC::scFor, {"%J%", "1", "2", "J" + n}));
        s.push_back(St(SC::scCalculate, {"%S%", "%S%", "ADDITION", "%J%"}));
        s.push_back(St(SC::scIf, {"I" + n}, "%J% = 2|"));
        s.push_back(St(SC::scAssign, {"%T%", "x"}));
        s.push_back(St(SC::scElse, {"I" + n}));
        s.push_back(St(SC::scAssign, {"%T%", "y"}));
        s.push_back(St(SC::scEndIf, {"I" + n}));
        s.push_back(St(SC::scEndFor, {"J" + n}));
        s.push_back(St(SC::scEndFor, {"F" + n}));
    }
    return s;
}

// The same commands, unrolled: per group 3 x 2 passes of Calculate and Assign.
TScript FlatScript() {
    TScript s;
    for (int g = 0; g < kGroups; ++g)
        for (int i = 1; i <= 3; ++i)
            for (int j = 1; j <= 2; ++j) {
                s.push_back(St(SC::scCalculate, {"%S%", "%S%", "ADDITION", std::to_string(j)}));
                s.push_back(St(SC::scAssign, {"%T%", j == 2 ? "x" : "y"}));
            }
    return s;
}

// Processor time of the run, so that a loaded machine does not inflate the figure.
double Seconds(TInterpreter& interp, TVariables& vars, const TScript& script) {
    vars.SetVariable("%S%", "0");
    std::clock_t start = std::clock();
    interp.RunScript(script);
    return double(std::clock() - start) / CLOCKS_PER_SEC;
}

} // namespace

int main() {
    test::TFakeSystemValues system;
    TVariables vars(system);
    TComponentSelection selection;
    TConditionEvaluator conditions(vars, selection);
    test::TFakePc pc;
    TInterpreter interp(vars, conditions, pc.Platform(), TScriptRandom(1));

    TScript nested = NestedScript(), flat = FlatScript();
    double tNested = Seconds(interp, vars, nested);
    std::string sumNested = *vars.Store().Find("%S%");
    double tFlat = Seconds(interp, vars, flat);
    std::string sumFlat = *vars.Store().Find("%S%");

    std::printf("nested script: %zu statements, %d commands run, %.3f s of processor time%s\n", nested.size(),
                kGroups * 12, tNested,
                tNested < 1.0 ? " (target: under 1 s)" : " (SLOWER than the 1 s target)");
    std::printf("flat script:   %zu statements, %d commands run, %.3f s\n", flat.size(), kGroups * 12, tFlat);
    std::printf("nested / flat: %.2f (block structure overhead)\n", tFlat > 0 ? tNested / tFlat : 0.0);
    // The budget is one second, so the ratio is the nested script's time in seconds.
    std::printf(
        "script: ratio %.3f (target 1.00), nested %.3f s of processor time against 1 s, flat %.3f s\n",
        tNested, tNested, tFlat);
    if (sumNested != sumFlat) {
        std::printf("results differ: %s vs %s\n", sumNested.c_str(), sumFlat.c_str());
        return 1;
    }
    return 0;
}
