#pragma once

#include "package/Script.h"
#include "script/CommandPlatform.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace cvn {

class TVariables;

// A number taken from an expanded parameter: only the characters "0"-"9" and "-"
// count, and what they form is read as a decimal 32-bit integer; anything that is
// then not a valid number (no digits, a misplaced "-", out of range) is 0.
int32_t ReadScriptNumber(std::string_view text);

// The script's random generator: a 32-bit linear congruential sequence, seeded from
// the clock when the program starts (tests give a fixed seed).
class TScriptRandom {
public:
    explicit TScriptRandom(uint32_t seed) : seed_(seed) {}
    static TScriptRandom SeededFromClock();
    // 0 <= r < range for a positive range; 0 for range 0; range < r <= 0 for a negative one.
    int32_t Next(int32_t range);

private:
    uint32_t seed_;
};

// The program-wide state the commands share: the variables, the PC behind its
// interfaces, the single open script file, the registry root of the last registry
// command and the random generator. The interpreter owns one for the whole run.
struct TCommandsContext {
    TCommandsContext(TVariables& vars, const TCommandPlatform& platform, TScriptRandom random)
        : vars(&vars), platform(platform), random(random) {}

    std::string Expand(std::string_view text) const;
    // Assigns through SetVariable, without backslash stripping.
    void Set(std::string_view name, std::string_view value) const;
    // The current value of a variable-name parameter: the name expanded.
    std::string ValueOf(std::string_view name) const { return Expand(name); }
    void SetErrorCode(std::string_view code) const;

    TVariables* vars;
    TCommandPlatform platform;
    std::unique_ptr<TPcFile> scriptFile; // no file is open at start
    TRegRoot registryRoot = TRegRoot::CurrentUser;
    TScriptRandom random;
};

// A command performed in the interpreter: results go to variables and %ErrorCode%.
using TCommandFn = void (*)(TCommandsContext& ctx, const TScriptStatement& s);

} // namespace cvn
