#include "core/Registry_win.h"

namespace cvn {

HKEY RootKey(TRegRoot root) {
    switch (root) {
    case TRegRoot::ClassesRoot:
        return HKEY_CLASSES_ROOT;
    case TRegRoot::LocalMachine:
        return HKEY_LOCAL_MACHINE;
    case TRegRoot::CurrentUser:
        break;
    }
    return HKEY_CURRENT_USER;
}

RegKey OpenRegKey(HKEY root, const std::string& key, REGSAM access) {
    RegKey k;
    if (RegOpenKeyExA(root, key.c_str(), 0, access, k.Out()) != ERROR_SUCCESS) k.Reset();
    return k;
}

RegKey CreateRegKey(HKEY root, const std::string& key, REGSAM access) {
    RegKey k;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, k.Out(),
                        nullptr) != ERROR_SUCCESS)
        k.Reset();
    return k;
}

bool RegKeyExists(HKEY root, const std::string& key) {
    return bool(OpenRegKey(root, key));
}

std::optional<TRegValue> ReadRegValue(HKEY key, const std::string& name) {
    // The size can change between the two calls; try again a few times.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = 0, size = 0;
        if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        TRegValue v;
        v.type = type;
        v.data.resize(size);
        DWORD got = size;
        LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, &type, v.data.data(), &got);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) return std::nullopt;
        v.type = type;
        v.data.resize(got);
        return v;
    }
    return std::nullopt;
}

std::optional<std::string> ReadRegText(HKEY key, const std::string& name) {
    auto v = ReadRegValue(key, name);
    return v ? v->AsText() : std::nullopt;
}

std::optional<std::string> ReadRegText(HKEY root, const std::string& key, const std::string& name) {
    RegKey k = OpenRegKey(root, key);
    if (!k) return std::nullopt;
    return ReadRegText(k.Get(), name);
}

std::optional<uint32_t> ReadRegDword(HKEY root, const std::string& key, const std::string& name) {
    RegKey k = OpenRegKey(root, key);
    if (!k) return std::nullopt;
    auto v = ReadRegValue(k.Get(), name);
    return v ? v->AsDword() : std::nullopt;
}

bool WriteRegValue(HKEY key, const std::string& name, const TRegValue& value) {
    return RegSetValueExA(key, name.c_str(), 0, value.type, value.data.data(), DWORD(value.data.size())) ==
           ERROR_SUCCESS;
}

} // namespace cvn
