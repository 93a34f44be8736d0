#pragma once

#include <string>
#include <string_view>

namespace cvn {

class TComponentSelection;
class TVariables;

// Both sides padded so that numbers and dotted versions compare as text: digit-only
// sides get leading zeros to the same length; sides of digits and dots get each
// dot-separated part padded against its partner. Other sides stay as they are.
void PadOperands(std::string& left, std::string& right);

// The guard language of statements and package items. A condition is a sequence of
// clauses each ended by "|" (text after the last "|" is ignored); every clause must
// hold. A clause is "left op right" with op one of = != < > <= >=; the operator's
// neighbouring character on each side (the canonical spaces) is dropped.
class TConditionEvaluator {
public:
    TConditionEvaluator(const TVariables& vars, const TComponentSelection& selection)
        : vars_(&vars), selection_(&selection) {}

    bool EvaluateCondition(std::string_view condition) const;
    // "%SETUPCOMPONENTS%" on either side tests the current selection; otherwise
    // both sides are resolved, padded and compared byte by byte.
    bool CompareOperands(std::string_view left, std::string_view right, std::string_view op) const;

private:
    bool EvaluateClause(std::string_view clause) const;

    const TVariables* vars_;
    const TComponentSelection* selection_;
};

} // namespace cvn
