#include "core/Registry_win.h"
#include "script/CommandPlatform.h"

namespace cvn {

namespace {

// Script commands open keys requesting every right, also for reading: a key the
// user may not change counts as missing for them.
class TWinPcRegistry final : public TPcRegistry {
public:
    std::optional<TRegValue> ReadValue(TRegRoot root, const std::string& key, const std::string& name,
                                       bool fullAccess) override {
        RegKey k = OpenRegKey(RootKey(root), key, fullAccess ? KEY_ALL_ACCESS : KEY_QUERY_VALUE);
        if (!k) return std::nullopt;
        return ReadRegValue(k.Get(), name);
    }

    bool WriteText(TRegRoot root, const std::string& key, const std::string& name,
                   const std::string& value) override {
        RegKey k = CreateRegKey(RootKey(root), key, KEY_ALL_ACCESS);
        return k && WriteRegValue(k.Get(), name, TRegValue::Text(value));
    }

    bool WriteNumber(TRegRoot root, const std::string& key, const std::string& name, int32_t value) override {
        RegKey k = CreateRegKey(RootKey(root), key, KEY_ALL_ACCESS);
        return k && WriteRegValue(k.Get(), name, TRegValue::Dword(uint32_t(value)));
    }

    bool KeyExists(TRegRoot root, const std::string& key) override {
        return bool(OpenRegKey(RootKey(root), key, KEY_ALL_ACCESS));
    }

    bool DeleteValue(TRegRoot root, const std::string& key, const std::string& name) override {
        RegKey k = OpenRegKey(RootKey(root), key, KEY_ALL_ACCESS);
        return k && RegDeleteValueA(k.Get(), name.c_str()) == ERROR_SUCCESS;
    }

    bool DeleteKey(TRegRoot root, const std::string& key) override {
        return RegDeleteKeyA(RootKey(root), key.c_str()) == ERROR_SUCCESS;
    }
};

} // namespace

std::unique_ptr<TPcRegistry> CreateWinPcRegistry() {
    return std::make_unique<TWinPcRegistry>();
}

} // namespace cvn
