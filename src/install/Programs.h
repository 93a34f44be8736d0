#pragma once

// Starting other programs. Windows only.

#include <cstdint>
#include <string>

namespace cvn {

// Starts "program" parameters in folder (empty: the program's own folder). With
// waitIdle waits until the program is ready for input; with waitEnd until it has
// ended, handling this program's window messages meanwhile. False with the
// system error code when the program cannot be started.
bool RunProgramAndWait(const std::string& program, const std::string& parameters, const std::string& folder,
                       uint32_t& error, bool waitIdle, bool waitEnd);

// The shell's default action on a file (a document opens in its program). window
// is the owner window handle (0 for none), showCommand a SW_ value. True when the
// shell reports success.
bool ShellOpen(uintptr_t window, const std::string& file, const std::string& parameters, int showCommand,
               const std::string& folder);

} // namespace cvn
