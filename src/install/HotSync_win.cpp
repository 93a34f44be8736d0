#include "install/HotSync.h"

#include "core/Handle_win.h"
#include "core/Stream.h"

#include <windows.h>

#include <algorithm>

namespace cvn {

namespace {

class TWinHotSyncEnvironment final : public THotSyncEnvironment {
public:
    bool UserKeyExists(const std::string& key) override {
        RegKey k;
        return RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, k.Out()) == ERROR_SUCCESS;
    }

    bool ReadUserText(const std::string& key, const std::string& valueName, std::string& value) override {
        RegKey k;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, k.Out()) != ERROR_SUCCESS)
            return false;
        DWORD type = 0, size = 0;
        if (RegQueryValueExA(k.Get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            return false;
        std::string buf(size + 1, '\0');
        if (RegQueryValueExA(k.Get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()),
                             &size) != ERROR_SUCCESS)
            return false;
        // A stored text need not end with its zero byte.
        buf.resize(std::min<size_t>(size, buf.size()));
        value = buf.substr(0, buf.find('\0'));
        return true;
    }

    std::string WindowsDir() override {
        char buf[MAX_PATH + 1];
        UINT n = GetWindowsDirectoryA(buf, sizeof buf);
        std::string dir = n && n < sizeof buf ? std::string(buf, n) : std::string();
        if (!dir.empty() && dir.back() == '\\') dir.pop_back();
        return dir;
    }

    bool ReadFile(const std::string& path, std::vector<uint8_t>& data) override {
        auto in = FileInputStream::Open(path);
        if (!in) return false;
        data.resize(size_t(in->Size()));
        return in->ReadExact(data.data(), data.size());
    }
};

} // namespace

THotSyncEnvironment& SystemHotSyncEnvironment() {
    static TWinHotSyncEnvironment env;
    return env;
}

} // namespace cvn
