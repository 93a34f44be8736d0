// The stand-in remote API: a device whose files live in a folder of the PC and whose
// registry is a text file, one value per line: root|key|name|type|hex bytes (a key
// without values is a line with an empty name). Its settings come from the
// environment: CVN_TEST_DEVICE (the folder), CVN_TEST_DEVICE_CPU (processor type),
// CVN_TEST_DEVICE_PLATFORM, CVN_TEST_DEVICE_CONNECT (an event that ends the connection wait). Starting
// "\cVN.exe" does what the device probe does.
#include "install/RapiFunctions_win.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace cvn::rapi;

namespace {

std::wstring Env(const wchar_t* name, const wchar_t* fallback) {
    wchar_t buf[1024];
    DWORD n = GetEnvironmentVariableW(name, buf, 1024);
    return n > 0 && n < 1024 ? std::wstring(buf, n) : std::wstring(fallback);
}

std::wstring DevicePath(LPCWSTR path) {
    std::wstring root = Env(L"CVN_TEST_DEVICE", L"C:\\device");
    std::wstring p = path ? path : L"";
    if (p.empty() || p[0] != L'\\') p = L"\\" + p;
    return root + p;
}

std::wstring Upper(std::wstring s) {
    for (wchar_t& c : s)
        c = wchar_t(std::towupper(c));
    return s;
}

// --- the registry file -----------------------------------------------------------

struct Value {
    std::wstring name;
    DWORD type = 0;
    std::vector<BYTE> data;
};
using Registry = std::map<std::wstring, std::map<std::wstring, Value>>; // upper key path, upper name

std::wstring RegistryFile() {
    return Env(L"CVN_TEST_DEVICE", L"C:\\device") + L".reg";
}

std::string Narrow(const std::wstring& w) {
    std::string s(w.size() * 3 + 1, '\0');
    int n =
        WideCharToMultiByte(CP_UTF8, 0, w.c_str(), int(w.size()), s.data(), int(s.size()), nullptr, nullptr);
    s.resize(size_t(n > 0 ? n : 0));
    return s;
}

std::wstring Widen(const std::string& s) {
    std::wstring w(s.size() + 1, L'\0');
    int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), int(s.size()), w.data(), int(w.size()));
    w.resize(size_t(n > 0 ? n : 0));
    return w;
}

Registry Load() {
    Registry reg;
    std::ifstream in(RegistryFile().c_str());
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> f;
        std::stringstream ss(line);
        std::string part;
        while (std::getline(ss, part, '|'))
            f.push_back(part);
        if (f.size() < 2) continue;
        const std::wstring key = Upper(Widen(f[0] + "\\" + f[1]));
        auto& values = reg[key];
        if (f.size() < 5 || f[2].empty()) continue;
        Value v;
        v.name = Widen(f[2]);
        v.type = DWORD(std::strtoul(f[3].c_str(), nullptr, 10));
        for (size_t i = 0; i + 1 < f[4].size(); i += 2)
            v.data.push_back(BYTE(std::strtoul(f[4].substr(i, 2).c_str(), nullptr, 16)));
        values[Upper(v.name)] = v;
    }
    return reg;
}

void Save(const Registry& reg) {
    std::ofstream out(RegistryFile().c_str(), std::ios::trunc);
    for (const auto& [key, values] : reg) {
        const std::string k = Narrow(key);
        const size_t slash = k.find('\\');
        const std::string root = k.substr(0, slash), path = k.substr(slash + 1);
        out << root << "|" << path << "||0|\n";
        for (const auto& [upper, v] : values) {
            out << root << "|" << path << "|" << Narrow(v.name) << "|" << v.type << "|";
            for (BYTE b : v.data) {
                char hex[3];
                std::snprintf(hex, sizeof hex, "%02X", b);
                out << hex;
            }
            out << "\n";
        }
    }
}

// Open keys: their full upper-case paths, handed out as small numbers.
std::vector<std::wstring> g_keys;

std::wstring KeyPath(HKEY key) {
    if (key == HKEY_CLASSES_ROOT) return L"HKCR";
    if (key == HKEY_CURRENT_USER) return L"HKCU";
    if (key == HKEY_LOCAL_MACHINE) return L"HKLM";
    const size_t index = reinterpret_cast<uintptr_t>(key) - 0x1000;
    return index < g_keys.size() ? g_keys[index] : std::wstring();
}

std::wstring Join(HKEY parent, LPCWSTR sub) {
    std::wstring path = KeyPath(parent);
    std::wstring s = sub ? sub : L"";
    while (!s.empty() && s.back() == L'\\')
        s.pop_back();
    return Upper(s.empty() ? path : path + L"\\" + s);
}

HKEY Handle(const std::wstring& path) {
    g_keys.push_back(path);
    return reinterpret_cast<HKEY>(uintptr_t(0x1000 + g_keys.size() - 1));
}

void SetValue(const std::wstring& key, const std::wstring& name, DWORD type, const void* data, size_t size) {
    Registry reg = Load();
    Value v{name, type,
            std::vector<BYTE>(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size)};
    reg[key][Upper(name)] = v;
    Save(reg);
}

DWORD ProcessorType() {
    return DWORD(std::wcstoul(Env(L"CVN_TEST_DEVICE_CPU", L"2577").c_str(), nullptr, 10));
}

// Whether the headers are those of a Windows CE GUI program (subsystem 9) for the
// machine type of this processor.
bool IsCeProgramFor(const BYTE* head, DWORD processor) {
    WORD machine = 0;
    switch (processor) {
    case 1824: // ARM
    case 2080:
    case 2336:
    case 2577:
        machine = 0x1C0;
        break;
    case 2000: // MIPS
    case 3000:
    case 4000:
        machine = 0x166;
        break;
    case 10003: // SH3
        machine = 0x1A2;
        break;
    case 10005: // SH4
        machine = 0x1A6;
        break;
    default:
        return false;
    }
    auto u16 = [&](size_t at) { return WORD(head[at] | head[at + 1] << 8); };
    const size_t pe = u16(0x3C);
    return u16(0) == 0x5A4D && pe + 24 + 70 <= 0x200 && u16(pe) == 0x4550 && u16(pe + 4) == machine &&
           u16(pe + 24 + 68) == 9;
}

// The device probe: what the probe program writes, from the settings of this device.
void RunProbe() {
    const std::wstring key = L"HKLM\\SOFTWARE\\TARROW\\CORVANE";
    const std::wstring platform = Env(L"CVN_TEST_DEVICE_PLATFORM", L"PocketPC");
    SetValue(key, L"Platform", REG_SZ, platform.c_str(), (platform.size() + 1) * 2);
    const std::wstring serial = L"0011AABB";
    SetValue(key, L"Serial", REG_SZ, serial.c_str(), (serial.size() + 1) * 2);
    DWORD zero = 0, one = 1;
    SetValue(key, L"XScale", REG_DWORD, &zero, 4);
    SetValue(key, L"Finished", REG_DWORD, &one, 4);
}

} // namespace

extern "C" {

__declspec(dllexport) HRESULT WINAPI CeRapiInitEx(TRapiInit* init) {
    // With CVN_TEST_DEVICE_CONNECT naming an event, the connection completes only when
    // the test signals that event; otherwise at once.
    const std::wstring connect = Env(L"CVN_TEST_DEVICE_CONNECT", L"");
    init->heRapiInit = connect.empty() ? CreateEventW(nullptr, TRUE, TRUE, nullptr)
                                       : CreateEventW(nullptr, TRUE, FALSE, connect.c_str());
    init->hrRapiInit = S_OK;
    return S_OK;
}

__declspec(dllexport) HRESULT WINAPI CeRapiUninit() {
    return S_OK;
}

__declspec(dllexport) BOOL WINAPI CeGetVersionEx(TCeOsVersionInfo* info) {
    info->dwMajorVersion = 4;
    info->dwMinorVersion = 20;
    return TRUE;
}

__declspec(dllexport) void WINAPI CeGetSystemInfo(SYSTEM_INFO* info) {
    info->dwProcessorType = ProcessorType();
}

__declspec(dllexport) BOOL WINAPI CeGetStoreInformation(TStoreInformation* info) {
    info->dwStoreSize = 32u << 20;
    info->dwFreeSize = 12345678;
    return TRUE;
}

__declspec(dllexport) HANDLE WINAPI
    CeCreateFile(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD disposition,
                 DWORD flags, HANDLE) {
    return CreateFileW(DevicePath(path).c_str(), access, share, nullptr, disposition, flags, nullptr);
}

__declspec(dllexport) BOOL WINAPI CeReadFile(HANDLE h, LPVOID buffer, DWORD n, LPDWORD done, LPOVERLAPPED) {
    return ReadFile(h, buffer, n, done, nullptr);
}

__declspec(dllexport) BOOL WINAPI CeWriteFile(HANDLE h, LPCVOID data, DWORD n, LPDWORD done, LPOVERLAPPED) {
    return WriteFile(h, data, n, done, nullptr);
}

__declspec(dllexport) BOOL WINAPI CeCloseHandle(HANDLE h) {
    return CloseHandle(h);
}

__declspec(dllexport) DWORD WINAPI CeSetFilePointer(HANDLE h, LONG distance, PLONG high, DWORD origin) {
    return SetFilePointer(h, distance, high, origin);
}

__declspec(dllexport) DWORD WINAPI CeGetFileSize(HANDLE h, LPDWORD high) {
    return GetFileSize(h, high);
}

__declspec(dllexport) HANDLE WINAPI CeFindFirstFile(LPCWSTR pattern, TCeFindData* data) {
    WIN32_FIND_DATAW found{};
    HANDLE h = FindFirstFileW(DevicePath(pattern).c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        data->dwFileAttributes = found.dwFileAttributes;
        data->nFileSizeLow = found.nFileSizeLow;
        lstrcpynW(data->cFileName, found.cFileName, MAX_PATH);
    }
    return h;
}

__declspec(dllexport) BOOL WINAPI CeFindClose(HANDLE h) {
    return FindClose(h);
}

__declspec(dllexport) BOOL WINAPI CeCreateDirectory(LPCWSTR path, LPSECURITY_ATTRIBUTES) {
    return CreateDirectoryW(DevicePath(path).c_str(), nullptr);
}

__declspec(dllexport) BOOL WINAPI CeRemoveDirectory(LPCWSTR path) {
    return RemoveDirectoryW(DevicePath(path).c_str());
}

__declspec(dllexport) BOOL WINAPI CeCopyFile(LPCWSTR from, LPCWSTR to, BOOL failIfExists) {
    return CopyFileW(DevicePath(from).c_str(), DevicePath(to).c_str(), failIfExists);
}

__declspec(dllexport) BOOL WINAPI CeMoveFile(LPCWSTR from, LPCWSTR to) {
    return MoveFileW(DevicePath(from).c_str(), DevicePath(to).c_str());
}

__declspec(dllexport) BOOL WINAPI CeDeleteFile(LPCWSTR path) {
    return DeleteFileW(DevicePath(path).c_str());
}

__declspec(dllexport) BOOL WINAPI
    CeCreateProcess(LPCWSTR program, LPCWSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD,
                    LPVOID, LPWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION pi) {
    // Only the probe runs on this device, and only as a Windows CE program for this
    // device's processor: a wrong image would not start on a real one either.
    if (Upper(program ? program : L"") != L"\\CVN.EXE") return FALSE;
    BYTE head[0x200] = {};
    HANDLE h = CreateFileW(DevicePath(program).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return FALSE;
    DWORD got = 0;
    ReadFile(h, head, sizeof head, &got, nullptr);
    CloseHandle(h);
    if (got != sizeof head || !IsCeProgramFor(head, ProcessorType())) return FALSE;
    RunProbe();
    if (pi) *pi = PROCESS_INFORMATION{};
    return TRUE;
}

__declspec(dllexport) LONG WINAPI CeRegOpenKeyEx(HKEY parent, LPCWSTR sub, DWORD, REGSAM, PHKEY out) {
    const std::wstring path = Join(parent, sub);
    Registry reg = Load();
    if (!reg.count(path)) return ERROR_FILE_NOT_FOUND;
    *out = Handle(path);
    return ERROR_SUCCESS;
}

__declspec(dllexport) LONG WINAPI CeRegCreateKeyEx(HKEY parent, LPCWSTR sub, DWORD, LPWSTR, DWORD, REGSAM,
                                                   LPSECURITY_ATTRIBUTES, PHKEY out, LPDWORD disposition) {
    const std::wstring path = Join(parent, sub);
    Registry reg = Load();
    if (disposition) *disposition = reg.count(path) ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    reg[path];
    Save(reg);
    *out = Handle(path);
    return ERROR_SUCCESS;
}

__declspec(dllexport) LONG WINAPI CeRegCloseKey(HKEY) {
    return ERROR_SUCCESS;
}

__declspec(dllexport) LONG WINAPI CeRegDeleteKey(HKEY parent, LPCWSTR sub) {
    const std::wstring path = Join(parent, sub);
    Registry reg = Load();
    // As on the device: a key with subkeys stays.
    for (const auto& [key, values] : reg)
        if (key.size() > path.size() && key.compare(0, path.size() + 1, path + L"\\") == 0)
            return ERROR_ACCESS_DENIED;
    if (!reg.erase(path)) return ERROR_FILE_NOT_FOUND;
    Save(reg);
    return ERROR_SUCCESS;
}

__declspec(dllexport) LONG WINAPI CeRegDeleteValue(HKEY key, LPCWSTR name) {
    Registry reg = Load();
    auto k = reg.find(KeyPath(key));
    if (k == reg.end() || !k->second.erase(Upper(name ? name : L""))) return ERROR_FILE_NOT_FOUND;
    Save(reg);
    return ERROR_SUCCESS;
}

__declspec(dllexport) LONG WINAPI
    CeRegQueryValueEx(HKEY key, LPCWSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size) {
    Registry reg = Load();
    auto k = reg.find(KeyPath(key));
    if (k == reg.end()) return ERROR_FILE_NOT_FOUND;
    auto v = k->second.find(Upper(name ? name : L""));
    if (v == k->second.end()) return ERROR_FILE_NOT_FOUND;
    if (type) *type = v->second.type;
    if (data) {
        if (!size || *size < v->second.data.size()) return ERROR_MORE_DATA;
        std::copy(v->second.data.begin(), v->second.data.end(), data);
    }
    if (size) *size = DWORD(v->second.data.size());
    return ERROR_SUCCESS;
}

__declspec(dllexport) LONG WINAPI
    CeRegSetValueEx(HKEY key, LPCWSTR name, DWORD, DWORD type, const BYTE* data, DWORD size) {
    const std::wstring path = KeyPath(key);
    Registry reg = Load();
    if (!reg.count(path)) return ERROR_FILE_NOT_FOUND;
    SetValue(path, name ? name : L"", type, data, size);
    return ERROR_SUCCESS;
}

} // extern "C"
