#include "install/HotSyncInstall.h"

#include "core/Registry_win.h"

#include <windows.h>

#include <vector>

namespace cvn {

namespace {

class TWinHotSyncStore final : public THotSyncStore {
public:
    bool KeyExists(const std::string& key) override { return RegKeyExists(HKEY_CURRENT_USER, key); }

    bool CreateKey(const std::string& key) override { return bool(CreateRegKey(HKEY_CURRENT_USER, key)); }

    bool SetNumber(const std::string& key, const std::string& name, uint32_t value) override {
        RegKey k = OpenRegKey(HKEY_CURRENT_USER, key, KEY_SET_VALUE);
        return k && WriteRegValue(k.Get(), name, TRegValue::Dword(value));
    }

    bool SetText(const std::string& key, const std::string& name, const std::string& value) override {
        RegKey k = OpenRegKey(HKEY_CURRENT_USER, key, KEY_SET_VALUE);
        return k && WriteRegValue(k.Get(), name, TRegValue::Text(value));
    }

    bool ReadNumber(const std::string& key, const std::string& name, uint32_t& value) override {
        auto v = ReadRegDword(HKEY_CURRENT_USER, key, name);
        if (v) value = *v;
        return v.has_value();
    }

    bool DeleteValues(const std::string& key) override {
        RegKey k = OpenRegKey(HKEY_CURRENT_USER, key, KEY_QUERY_VALUE | KEY_SET_VALUE);
        if (!k) return false;
        // Names first: deleting while enumerating would skip values.
        std::vector<std::string> names;
        char name[16384];
        for (DWORD i = 0;; ++i) {
            DWORD size = sizeof name;
            if (RegEnumValueA(k.Get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            names.emplace_back(name, size);
        }
        bool ok = true;
        for (const std::string& n : names)
            ok = RegDeleteValueA(k.Get(), n.c_str()) == ERROR_SUCCESS && ok;
        return ok;
    }

    bool DeleteKey(const std::string& parent, const std::string& sub) override {
        RegKey k = OpenRegKey(HKEY_CURRENT_USER, parent, KEY_ALL_ACCESS);
        return k && RegDeleteKeyA(k.Get(), sub.c_str()) == ERROR_SUCCESS;
    }

    bool CreateFolder(const std::string& path) override {
        return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
    }

    bool CopyFileTo(const std::string& source, const std::string& target) override {
        return CopyFileA(source.c_str(), target.c_str(), FALSE);
    }
};

} // namespace

THotSyncStore& SystemHotSyncStore() {
    static TWinHotSyncStore store;
    return store;
}

} // namespace cvn
