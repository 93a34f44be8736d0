#include "install/Reboot.h"

#include "core/Handle_win.h"
#include "install/SystemInfo.h"

namespace cvn {

namespace {

bool RealExitWindows(uint32_t flags) {
    return ExitWindowsEx(flags, 0) != 0;
}

TExitWindowsAction& Action() {
    static TExitWindowsAction action = RealExitWindows;
    return action;
}

// Enables the shutdown privilege of this process; false when Windows reports any
// error, also a privilege that was not granted.
bool EnableShutdownPrivilege() {
    KernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Out()))
        return false;
    TOKEN_PRIVILEGES tp{};
    tp.PrivilegeCount = 1;
    if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &tp.Privileges[0].Luid)) return false;
    tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    SetLastError(ERROR_SUCCESS);
    if (!AdjustTokenPrivileges(token.Get(), FALSE, &tp, 0, nullptr, nullptr)) return false;
    return GetLastError() == ERROR_SUCCESS;
}

} // namespace

TExitWindowsAction SetExitWindowsAction(TExitWindowsAction action) {
    TExitWindowsAction previous = std::move(Action());
    Action() = action ? std::move(action) : TExitWindowsAction(RealExitWindows);
    return previous;
}

bool RebootWindows() {
    if (IsWindowsNT() && !EnableShutdownPrivilege()) return false;
    return Action()(EWX_REBOOT);
}

} // namespace cvn
