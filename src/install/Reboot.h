#pragma once

// Restarting Windows at the end of a setup that asks for it. Windows only.

#include <cstdint>
#include <functional>

namespace cvn {

// The final step that asks Windows to restart (ExitWindowsEx with the given
// flags). Tests replace it so the machine never restarts under them.
using TExitWindowsAction = std::function<bool(uint32_t flags)>;

// Installs another final step; an empty action restores the real one. Returns the
// previous action.
TExitWindowsAction SetExitWindowsAction(TExitWindowsAction action);

// On the NT family enables the shutdown privilege first and does nothing when that
// reports an error; then restarts Windows. True when the restart was requested.
bool RebootWindows();

} // namespace cvn
