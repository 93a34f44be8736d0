#include "core/Handle_win.h"
#include "script/CommandPlatform.h"

#include <vector>

namespace cvn {

namespace {

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

RegKey OpenKey(TRegRoot root, const std::string& key, REGSAM access) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(RootKey(root), key.c_str(), 0, access, &h) != ERROR_SUCCESS) return {};
    return RegKey(h);
}

// Script commands open keys requesting every right, also for reading: a key the
// user may not change counts as missing for them.
class TWinPcRegistry final : public TPcRegistry {
public:
    TRegValue ReadValue(TRegRoot root, const std::string& key, const std::string& name,
                        bool fullAccess) override {
        RegKey k = OpenKey(root, key, fullAccess ? KEY_ALL_ACCESS : KEY_QUERY_VALUE);
        if (!k) return {};
        DWORD type = 0, size = 0;
        if (RegQueryValueExA(k.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return {};
        std::vector<BYTE> data;
        LONG rc;
        do { // the value may grow between the two calls
            data.resize(size + 1);
            size = DWORD(data.size());
            rc = RegQueryValueExA(k.Get(), name.c_str(), nullptr, &type, data.data(), &size);
        } while (rc == ERROR_MORE_DATA);
        if (rc != ERROR_SUCCESS) return {};

        TRegValue v;
        if (type == REG_SZ || type == REG_EXPAND_SZ) {
            v.kind = TRegValueKind::Text;
            v.text.assign(reinterpret_cast<const char*>(data.data()), size);
            while (!v.text.empty() && v.text.back() == '\0')
                v.text.pop_back();
        } else if (type == REG_DWORD && size == 4) {
            v.kind = TRegValueKind::Number;
            v.number = int32_t(uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 |
                               uint32_t(data[3]) << 24);
        } else {
            v.kind = TRegValueKind::Other;
        }
        return v;
    }

    bool WriteText(TRegRoot root, const std::string& key, const std::string& name,
                   const std::string& value) override {
        RegKey k = CreateKey(root, key);
        return k &&
               RegSetValueExA(k.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              DWORD(value.size() + 1)) == ERROR_SUCCESS;
    }

    bool WriteNumber(TRegRoot root, const std::string& key, const std::string& name, int32_t value) override {
        RegKey k = CreateKey(root, key);
        DWORD d = DWORD(value);
        return k && RegSetValueExA(k.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&d),
                                   sizeof d) == ERROR_SUCCESS;
    }

    bool KeyExists(TRegRoot root, const std::string& key) override {
        return bool(OpenKey(root, key, KEY_ALL_ACCESS));
    }

    bool DeleteValue(TRegRoot root, const std::string& key, const std::string& name) override {
        RegKey k = OpenKey(root, key, KEY_ALL_ACCESS);
        return k && RegDeleteValueA(k.Get(), name.c_str()) == ERROR_SUCCESS;
    }

    bool DeleteKey(TRegRoot root, const std::string& key) override {
        return RegDeleteKeyA(RootKey(root), key.c_str()) == ERROR_SUCCESS;
    }

private:
    static RegKey CreateKey(TRegRoot root, const std::string& key) {
        HKEY h = nullptr;
        if (RegCreateKeyExA(RootKey(root), key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &h, nullptr) != ERROR_SUCCESS)
            return {};
        return RegKey(h);
    }
};

} // namespace

std::unique_ptr<TPcRegistry> CreateWinPcRegistry() {
    return std::make_unique<TWinPcRegistry>();
}

} // namespace cvn
