#include "script/CommandsContext.h"

#include "script/Variables.h"

#include <chrono>

namespace cvn {

int32_t ReadScriptNumber(std::string_view text) {
    std::string kept;
    for (char c : text)
        if ((c >= '0' && c <= '9') || c == '-') kept += c;
    size_t pos = 0;
    bool negative = !kept.empty() && kept[0] == '-';
    if (negative) pos = 1;
    if (pos == kept.size()) return 0;
    int64_t value = 0;
    for (; pos < kept.size(); ++pos) {
        if (kept[pos] == '-') return 0;
        value = value * 10 + (kept[pos] - '0');
        if (value > int64_t(INT32_MAX) + 1) return 0;
    }
    if (negative) value = -value;
    return value < INT32_MIN || value > INT32_MAX ? 0 : int32_t(value);
}

TScriptRandom TScriptRandom::SeededFromClock() {
    auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
    return TScriptRandom(uint32_t(uint64_t(ticks) ^ (uint64_t(ticks) >> 32)));
}

int32_t TScriptRandom::Next(int32_t range) {
    seed_ = seed_ * 134775813u + 1u;
    if (range == 0) return 0;
    // The high half of seed * |range| is evenly spread over [0, |range|).
    uint64_t magnitude = range < 0 ? uint64_t(-int64_t(range)) : uint64_t(range);
    int64_t r = int64_t((uint64_t(seed_) * magnitude) >> 32);
    return int32_t(range < 0 ? -r : r);
}

std::string TCommandsContext::Expand(std::string_view text) const {
    return vars->ExpandVariables(text);
}

void TCommandsContext::Set(std::string_view name, std::string_view value) const {
    vars->SetVariable(name, value);
}

void TCommandsContext::SetErrorCode(std::string_view code) const {
    vars->SetVariable("%ErrorCode%", code);
}

} // namespace cvn
