#pragma once

#include "package/Script.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cvn {

// True for the statement codes whose first parameter names a variable that the
// statement assigns.
bool StatementAssignsVariable(uint8_t code);

// The 36 names every package has, in the order they are appended.
const std::vector<std::string>& BuiltInVariableNames();

struct TPackage;

// Gathers the variable names a package uses: each wrapped in percent signs, empty
// ones skipped, duplicates (without regard to case) dropped, first spelling kept.
class TVariableNameCollector {
public:
    void Add(std::string_view name);
    // The first parameter of a statement whose code assigns a variable.
    void AddStatement(uint8_t code, std::string_view param1);
    void AddScript(const TScript& script);
    // Appends the built-in names not yet present and hands the list over.
    std::vector<std::string> Finish();

private:
    std::vector<std::string> names_;
    std::vector<std::string> upperSorted_; // for duplicate checks
};

// Every variable name the package uses: the variables its event scripts assign,
// then per dialog those of its four scripts, its controls' bound variables and
// its controls' scripts, then the built-in names.
std::vector<std::string> CollectVariableNames(const TPackage& package);

} // namespace cvn
