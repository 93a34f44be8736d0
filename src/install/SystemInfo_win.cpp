#include "install/SystemInfo.h"

#include "core/Handle_win.h"
#include "core/Registry_win.h"

#include <optional>
#include <vector>

namespace cvn {

namespace {

std::optional<TOSVersion> g_version;

TOSVersion ReadOSVersion() {
    TOSVersion v;
    OSVERSIONINFOEXA ex{};
    ex.dwOSVersionInfoSize = sizeof ex;
    bool extended = GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&ex)) != 0;
    if (!extended) {
        // Windows before NT 4 SP6 and the Windows 95 family know only the short record.
        ex = {};
        ex.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&ex))) return v;
    }
    v.known = true;
    v.isNT = ex.dwPlatformId == VER_PLATFORM_WIN32_NT;
    v.major = ex.dwMajorVersion;
    v.minor = ex.dwMinorVersion;
    // On the Windows 95 family the high word of the build repeats the version.
    v.build = v.isNT ? ex.dwBuildNumber : ex.dwBuildNumber & 0xFFFF;
    uint32_t csd = 0;
    if (v.isNT && v.major == 4) {
        RegKey k = OpenRegKey(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Windows");
        if (k) {
            if (auto value = ReadRegValue(k.Get(), "CSDVersion"))
                csd = ServicePackFromCsdValue(value->type, value->data);
        }
    }
    uint16_t spMajor = extended ? ex.wServicePackMajor : 0;
    uint16_t spMinor = extended ? ex.wServicePackMinor : 0;
    v.servicePack = ServicePackFor(v.isNT, v.major, csd, spMajor, spMinor);
    return v;
}

const TOSVersion& OSVersion() {
    if (!g_version) g_version = ReadOSVersion();
    return *g_version;
}

} // namespace

uint32_t GetOSVersionPart(int part) {
    return OSVersionPart(OSVersion(), part);
}

bool IsWindowsNT() {
    return OSVersion().isNT;
}

void ResetVersionCaches() {
    g_version.reset();
}

bool IsAdmin() {
    if (!IsWindowsNT()) return true;
    KernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Out())) return false;
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenGroups, nullptr, 0, &size);
    if (size == 0) return false;
    std::vector<uint8_t> buffer(size);
    if (!GetTokenInformation(token.Get(), TokenGroups, buffer.data(), size, &size)) return false;
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID admins = nullptr;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                  0, &admins))
        return false;
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    bool found = false;
    for (DWORD i = 0; i < groups->GroupCount && !found; ++i) {
        // A group kept only for deny checks (a filtered token) grants nothing.
        DWORD attrs = groups->Groups[i].Attributes;
        found = (attrs & SE_GROUP_ENABLED) && !(attrs & SE_GROUP_USE_FOR_DENY_ONLY) &&
                EqualSid(groups->Groups[i].Sid, admins);
    }
    FreeSid(admins);
    return found;
}

uint32_t GetPhysicalMemoryMB() {
    // The extended query (Windows 2000 on) counts beyond 4 GB; the plain one is
    // the fall-back for older systems.
    using GlobalMemoryStatusExFn = BOOL(WINAPI*)(LPMEMORYSTATUSEX);
    auto statusEx = reinterpret_cast<GlobalMemoryStatusExFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GlobalMemoryStatusEx")));
    if (statusEx) {
        MEMORYSTATUSEX ms{};
        ms.dwLength = sizeof ms;
        if (statusEx(&ms)) return MegabytesOf(ms.ullTotalPhys);
    }
    MEMORYSTATUS ms{};
    ms.dwLength = sizeof ms;
    GlobalMemoryStatus(&ms);
    return MegabytesOf(ms.dwTotalPhys);
}

int GetColorDepth() {
    HDC dc = GetDC(nullptr);
    if (!dc) return 0;
    int bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    ReleaseDC(nullptr, dc);
    return bits;
}

int GetScreenWidth() {
    return GetSystemMetrics(SM_CXSCREEN);
}
int GetScreenHeight() {
    return GetSystemMetrics(SM_CYSCREEN);
}

} // namespace cvn
