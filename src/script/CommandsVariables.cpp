#include "script/Commands.h"

#include "script/VariableList.h"
#include "script/Variables.h"

#include <algorithm>

namespace cvn {

namespace {

// 32-bit two's-complement arithmetic: results wrap instead of overflowing.
int32_t Wrap(uint32_t v) {
    return int32_t(v);
}

int32_t Calculate(int32_t a, std::string_view operation, int32_t b) {
    if (EqualsNoCase(operation, "ADDITION")) return Wrap(uint32_t(a) + uint32_t(b));
    if (EqualsNoCase(operation, "SUBTRACTION")) return Wrap(uint32_t(a) - uint32_t(b));
    if (EqualsNoCase(operation, "MULTIPLICATION")) return Wrap(uint32_t(a) * uint32_t(b));
    if (EqualsNoCase(operation, "DIVISION")) {
        if (b == 0) return 0;
        if (a == INT32_MIN && b == -1) return INT32_MIN; // the one quotient that does not fit wraps
        return a / b;
    }
    if (EqualsNoCase(operation, "REMAINDER")) {
        if (b == 0) return a;
        if (b == -1) return 0;
        return a % b;
    }
    return a;
}

// A whole decimal value, optionally signed, that fits 32 bits.
bool ParseDecimal(std::string_view text, int32_t& value) {
    size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
    if (pos == text.size()) return false;
    int64_t v = 0;
    for (; pos < text.size(); ++pos) {
        if (text[pos] < '0' || text[pos] > '9') return false;
        v = v * 10 + (text[pos] - '0');
        if (v > int64_t(INT32_MAX) + 1) return false;
    }
    if (negative) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return false;
    value = int32_t(v);
    return true;
}

// Up to eight hexadecimal digits (leading zeros aside), read as a 32-bit pattern.
bool ParseHex(std::string_view text, uint32_t& value) {
    if (text.empty()) return false;
    uint64_t v = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        v = v * 16 + uint64_t(digit);
        if (v > 0xFFFFFFFFu) return false;
    }
    value = uint32_t(v);
    return true;
}

} // namespace

void CmdAssign(TCommandsContext& ctx, const TScriptStatement& s) {
    ctx.vars->SetVariable(s.param[0], ctx.Expand(s.param[1]), s.param[2] == "1");
}

void CmdCalculate(TCommandsContext& ctx, const TScriptStatement& s) {
    int32_t a = ReadScriptNumber(ctx.Expand(s.param[1]));
    int32_t b = ReadScriptNumber(ctx.Expand(s.param[3]));
    ctx.Set(s.param[0], std::to_string(Calculate(a, s.param[2], b)));
}

void CmdRandom(TCommandsContext& ctx, const TScriptStatement& s) {
    int32_t base = ReadScriptNumber(ctx.Expand(s.param[1]));
    int32_t range = ReadScriptNumber(ctx.Expand(s.param[2]));
    ctx.Set(s.param[0], std::to_string(Wrap(uint32_t(base) + uint32_t(ctx.random.Next(range)))));
}

// A negative value is written as its 32-bit two's-complement pattern (-1 -> FFFFFFFF),
// so that HexToDec gives the same number back.
void CmdDecToHex(TCommandsContext& ctx, const TScriptStatement& s) {
    int32_t value = 0;
    if (!ParseDecimal(ctx.ValueOf(s.param[0]), value)) value = 0;
    static const char kDigits[] = "0123456789ABCDEF";
    uint32_t v = uint32_t(value);
    std::string hex;
    do {
        hex.insert(hex.begin(), kDigits[v & 15]);
        v >>= 4;
    } while (v);
    ctx.Set(s.param[0], hex);
}

// Values are 32-bit signed like every number of the script: FFFFFFFF reads as -1.
void CmdHexToDec(TCommandsContext& ctx, const TScriptStatement& s) {
    uint32_t value = 0;
    if (!ParseHex(ctx.ValueOf(s.param[0]), value)) value = 0;
    ctx.Set(s.param[0], std::to_string(int32_t(value)));
}

// Widths are capped so that a mistyped width cannot ask for gigabytes of zeros.
void CmdPadLeft(TCommandsContext& ctx, const TScriptStatement& s) {
    constexpr int32_t kMaxWidth = 65535;
    std::string value = ctx.ValueOf(s.param[0]);
    int32_t width = std::min(ReadScriptNumber(ctx.Expand(s.param[1])), kMaxWidth);
    if (width > 0 && value.size() < size_t(width)) value.insert(0, size_t(width) - value.size(), '0');
    ctx.Set(s.param[0], value);
}

} // namespace cvn
