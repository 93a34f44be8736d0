#include "DeviceStandIns_win.h"

#include "BuildFiles_win.h"
#include "app/SetupProcess_win.h"

#include "core/ByteWriter.h"

#include <tuple>

namespace cvn::test {

namespace {

constexpr const char* kAppPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\CEAPPMGR.EXE";
constexpr const char* kPalmKey = "Software\\Palm Computing\\Pilot Desktop\\";

std::string RapiInSystem() {
    char dir[MAX_PATH] = {};
    GetSystemDirectoryA(dir, MAX_PATH);
    return std::string(dir) + "\\rapi.dll";
}

} // namespace

void DeleteRegistryTree(HKEY root, const std::string& key) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
    char name[256];
    for (;;) {
        DWORD size = sizeof name;
        if (RegEnumKeyExA(k, 0, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        DeleteRegistryTree(k, name);
    }
    RegCloseKey(k);
    RegDeleteKeyA(root, key.c_str());
}

namespace {

void SetText(HKEY root, const std::string& key, const char* name, const std::string& value) {
    HKEY k = nullptr;
    RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
    RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), DWORD(value.size() + 1));
    RegCloseKey(k);
}

} // namespace

bool InstallRapiLibrary() {
    return CopyFileA(BuildFile("testing/rapi/rapi.dll").c_str(), RapiInSystem().c_str(), FALSE) != 0;
}

void RemoveRapiLibrary() {
    DeleteFileA(RapiInSystem().c_str());
}

std::string RegisterAppManager() {
    const std::string manager = BuildFile("testing/appmgr/CEAPPMGR.exe");
    const std::string calls = manager.substr(0, manager.find_last_of('\\')) + "\\calls.txt";
    DeleteFileA(calls.c_str());
    SetText(HKEY_LOCAL_MACHINE, kAppPaths, "", manager);
    return calls;
}

void UnregisterAppManager() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kAppPaths);
}

bool SetUpPalmDesktop(const std::string& palm) {
    for (const std::string& dir : {palm, palm + "\\AnnL", palm + "\\BobK"})
        CreateDirectoryA(dir.c_str(), nullptr);
    SetText(HKEY_CURRENT_USER, std::string(kPalmKey) + "Core", "Path", palm);
    SetText(HKEY_CURRENT_USER, std::string(kPalmKey) + "Core", "HotSyncPath", palm + "\\HotSync.exe");
    SetText(HKEY_CURRENT_USER, std::string(kPalmKey) + "Preferences", "LastUserName", "Ann");
    HKEY k = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kPalmKey) + "HotSync Manager").c_str(), 0, nullptr, 0,
                    KEY_ALL_ACCESS, nullptr, &k, nullptr);
    RegCloseKey(k);
    ByteWriter w;
    w.U8(2);
    w.Bytes(std::string(12, '\0'));
    for (auto [id, name, dir, last] :
         {std::tuple{3, "Ann", "AnnL", false}, std::tuple{7, "Bob", "BobK", true}}) {
        w.U16(uint16_t(id));
        w.U16(0);
        w.U8(uint8_t(std::string(name).size()));
        w.Bytes(std::string(name));
        w.U8(uint8_t(std::string(dir).size()));
        w.Bytes(std::string(dir));
        w.U8(0);
        if (!last) w.Bytes(std::string("\x00\x07\x01\x02\x01\x80", 6));
    }
    return WriteBytes(palm + "\\users.dat", w.Data().data(), w.Data().size());
}

void RemovePalmDesktop() {
    DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\Palm Computing");
}

std::optional<DWORD> PalmNumber(const std::string& sub, const char* name) {
    DWORD value = 0, size = sizeof value, type = 0;
    const std::string key = kPalmKey + sub;
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return std::nullopt;
    const LONG rc = RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(k);
    if (rc != ERROR_SUCCESS || type != REG_DWORD) return std::nullopt;
    return value;
}

} // namespace cvn::test
