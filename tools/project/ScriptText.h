#pragma once

#include "package/Script.h"

#include <string>
#include <string_view>
#include <vector>

namespace cvn::project {

// A mistake in a project, at a line of its file.
struct TTextError {
    int line = 0;
    std::string message;
};

// Script text: one statement a line, by its name in the statement table, with its
// parameters as quoted texts ("" stands for a quote inside one; a text may run over
// several lines) and an optional `when "condition"`. If, While, For and
// ForEachSelected open blocks closed by EndIf, EndWhile, EndFor and
// EndForEachSelected (If may hold an Else); their block labels are made by the
// compiler, and the condition of If and While is their one text. `raw` before a
// statement takes every stored parameter as written, labels included, and leaves
// the block checks out. "#" starts a comment outside quotes.
//
// Compiles text whose first line is line `firstLine` of its file. On any error
// nothing is stored in `out`, and every error found is added to `errors`.
bool CompileScript(std::string_view text, int firstLine, TScript& out, std::vector<TTextError>& errors);

// The text that compiles back to exactly this script: blocks indented when the
// script's labels are those the compiler makes, every statement raw otherwise.
std::string ScriptToText(const TScript& script);

} // namespace cvn::project
