#pragma once

#include "script/CommandsContext.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace cvn {

// How the interpreter performs a statement code.
enum class THandlerKind : uint8_t {
    NoAction,   // reserved codes and the block end and marker codes reached in sequence
    Structural, // loops, if, goto, exit and break: the interpreter's own
    Command,    // a desktop command performed here (the row's function)
    External,   // a command of another module (internet, DLL calls, device, HotSync,
                // previous installations), installed into the interpreter at run time
    Wizard,     // handed to the wizard's command sink
    Close,      // a wizard command that also ends the run (CloseWizard, FinishSetup)
};

struct TStatementHandler {
    uint8_t code;
    std::string_view name; // as in the package's statement table
    THandlerKind kind;
    TCommandFn run; // Command rows only
};

// One row per code 0-114, indexed by code.
extern const std::array<TStatementHandler, 115> kStatementHandlers;

// The row of a code; codes above 114 have no action.
const TStatementHandler& StatementHandler(uint8_t code);

} // namespace cvn
