// A minimal self-registering COM server for the registration tests. Registration
// writes the class key with the DLL's path and records, in the key, the process
// error mode and whether the hourglass was showing during the call, so the tests
// can see what the caller set up. Setting CVN_COMSERVER_FAIL makes both entry
// points fail.

#include <windows.h>
#include <shlwapi.h>

#include <cstdio>

namespace {

HMODULE g_module = nullptr;

constexpr const char* kClassKey = "CLSID\\{6A1D2E7C-3B4F-4C1A-9E55-0C7A11D0C0DE}";
constexpr const char* kProgIdKey = "CvnTest.ComServer";
constexpr const char* kUnregisterTrace = "Software\\CvnTest\\ComServer";

// The Win32 environment, which the test process changes while it runs (the C
// runtime's copy would not see that).
bool ShouldFail() {
    char value[8];
    return GetEnvironmentVariableA("CVN_COMSERVER_FAIL", value, sizeof value) > 0;
}

UINT CurrentErrorMode() {
    UINT mode = SetErrorMode(0);
    SetErrorMode(mode);
    return mode;
}

bool SetText(HKEY root, const char* key, const char* name, const char* value) {
    HKEY k;
    if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) != ERROR_SUCCESS)
        return false;
    LONG rc =
        RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), DWORD(strlen(value) + 1));
    RegCloseKey(k);
    return rc == ERROR_SUCCESS;
}

bool SetNumber(HKEY root, const char* key, const char* name, DWORD value) {
    HKEY k;
    if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) != ERROR_SUCCESS)
        return false;
    LONG rc = RegSetValueExA(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(k);
    return rc == ERROR_SUCCESS;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = instance;
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    if (ShouldFail()) return E_FAIL;
    char path[MAX_PATH] = {};
    GetModuleFileNameA(g_module, path, MAX_PATH);
    char server[200];
    std::snprintf(server, sizeof server, "%s\\InprocServer32", kClassKey);
    bool hourglass = GetCursor() == LoadCursor(nullptr, IDC_WAIT);
    bool ok = SetText(HKEY_CLASSES_ROOT, kClassKey, "", "Corvane test server") &&
              SetText(HKEY_CLASSES_ROOT, server, "", path) &&
              SetText(HKEY_CLASSES_ROOT, server, "ThreadingModel", "Apartment") &&
              SetText(HKEY_CLASSES_ROOT, kProgIdKey, "", "Corvane test server") &&
              SetNumber(HKEY_CLASSES_ROOT, kClassKey, "ErrorModeSeen", CurrentErrorMode()) &&
              SetNumber(HKEY_CLASSES_ROOT, kClassKey, "HourglassSeen", hourglass ? 1 : 0);
    return ok ? S_OK : E_UNEXPECTED;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    if (ShouldFail()) return E_FAIL;
    SHDeleteKeyA(HKEY_CLASSES_ROOT, kClassKey);
    SHDeleteKeyA(HKEY_CLASSES_ROOT, kProgIdKey);
    SetNumber(HKEY_CURRENT_USER, kUnregisterTrace, "ErrorModeSeen", CurrentErrorMode());
    return S_OK;
}
