#include "install/SystemServices.h"

#include "core/Handle_win.h"
#include "core/NumberText.h"
#include "install/SystemFolders.h"
#include "install/SystemInfo.h"

#include <optional>

namespace cvn {

namespace {

int g_nesting = 0;
std::optional<bool> g_machineWide;

} // namespace

bool StartSystemServices(std::string& error) {
    if (g_nesting > 0) {
        ++g_nesting;
        return true;
    }
    HRESULT hr = CoInitialize(nullptr);
    if (FAILED(hr)) {
        error = "CoInitialize failed (" + Hex8(uint32_t(hr)) + ")";
        return false;
    }
    ++g_nesting;
    ResetSystemCaches();
    g_machineWide = CanWriteMachineWide();
    return true;
}

void StopSystemServices() {
    if (g_nesting == 0 || --g_nesting > 0) return;
    CoUninitialize();
    ResetSystemCaches();
    g_machineWide.reset();
}

bool CanWriteMachineWide() {
    if (!IsWindowsNT()) return true;
    ServiceHandle scm(OpenSCManagerA(nullptr, nullptr, GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE));
    return bool(scm);
}

bool IsMachineWide() {
    if (!g_machineWide) g_machineWide = CanWriteMachineWide();
    return *g_machineWide;
}

void ResetSystemCaches() {
    ResetFolderCaches();
    ResetVersionCaches();
}

} // namespace cvn
