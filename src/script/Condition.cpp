#include "script/Condition.h"

#include "script/Selection.h"
#include "script/VariableList.h"
#include "script/Variables.h"

#include <algorithm>
#include <vector>

namespace cvn {

namespace {

constexpr std::string_view kSetupComponents = "%SETUPCOMPONENTS%";

bool OnlyOf(std::string_view s, bool allowDot) {
    return std::all_of(s.begin(), s.end(),
                       [&](char c) { return (c >= '0' && c <= '9') || (allowDot && c == '.'); });
}

void PadLeft(std::string& s, size_t width) {
    if (s.size() < width) s.insert(0, width - s.size(), '0');
}

std::vector<std::string> SplitAtDots(const std::string& s, size_t parts) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        size_t dot = s.find('.', start);
        out.push_back(s.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
        if (dot == std::string::npos) break;
        start = dot + 1;
    }
    out.resize(parts);
    return out;
}

// Byte-wise, bytes taken as unsigned, a prefix smaller.
int CompareBytes(std::string_view a, std::string_view b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

void PadOperands(std::string& left, std::string& right) {
    if (OnlyOf(left, false) && OnlyOf(right, false)) {
        size_t width = std::max(left.size(), right.size());
        PadLeft(left, width);
        PadLeft(right, width);
        return;
    }
    if (!OnlyOf(left, true) || !OnlyOf(right, true)) return;
    size_t parts = 1 + size_t(std::max(std::count(left.begin(), left.end(), '.'),
                                       std::count(right.begin(), right.end(), '.')));
    auto l = SplitAtDots(left, parts), r = SplitAtDots(right, parts);
    left.clear();
    right.clear();
    for (size_t i = 0; i < parts; ++i) {
        size_t width = std::max(l[i].size(), r[i].size());
        PadLeft(l[i], width);
        PadLeft(r[i], width);
        if (i) {
            left += '.';
            right += '.';
        }
        left += l[i];
        right += r[i];
    }
}

bool TConditionEvaluator::EvaluateCondition(std::string_view condition) const {
    size_t start = 0;
    for (size_t bar = condition.find('|'); bar != std::string_view::npos; bar = condition.find('|', start)) {
        if (!EvaluateClause(condition.substr(start, bar - start))) return false;
        start = bar + 1;
    }
    return true;
}

bool TConditionEvaluator::EvaluateClause(std::string_view clause) const {
    for (size_t i = 0; i < clause.size(); ++i) {
        char c = clause[i];
        bool followedByEquals = i + 1 < clause.size() && clause[i + 1] == '=';
        if (c == '!' && !followedByEquals) continue;
        if (c != '=' && c != '<' && c != '>' && c != '!') continue;
        size_t opLen = c != '=' && followedByEquals ? 2 : 1;
        std::string_view left = clause.substr(0, i);
        std::string_view right = clause.substr(i + opLen);
        if (!left.empty()) left.remove_suffix(1);
        if (!right.empty()) right.remove_prefix(1);
        return CompareOperands(left, right, clause.substr(i, opLen));
    }
    return true;
}

bool TConditionEvaluator::CompareOperands(std::string_view left, std::string_view right,
                                          std::string_view op) const {
    bool leftIsSelection = EqualsNoCase(left, kSetupComponents);
    bool rightIsSelection = EqualsNoCase(right, kSetupComponents);
    if (leftIsSelection && rightIsSelection) return op == "=";
    if (leftIsSelection || rightIsSelection) {
        if (selection_->Current().empty() && !selection_->PackageHasComponents()) return true;
        std::string component = vars_->ResolveOperand(leftIsSelection ? right : left);
        bool present = ComponentListContains(selection_->Current(), component);
        return present ? op == "=" : op == "!=";
    }

    std::string l = vars_->ResolveOperand(left);
    std::string r = vars_->ResolveOperand(right);
    PadOperands(l, r);
    int cmp = CompareBytes(l, r);
    if (op == "=") return cmp == 0;
    if (op == "!=") return cmp != 0;
    if (op == "<") return cmp < 0;
    if (op == ">") return cmp > 0;
    if (op == "<=") return cmp <= 0;
    if (op == ">=") return cmp >= 0;
    return false;
}

} // namespace cvn
