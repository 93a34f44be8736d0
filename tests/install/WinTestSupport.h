#pragma once

// Helpers for the Windows tests of the system services: registry guards that put
// the Wine prefix back as they found it, fixture paths, and running the probe.

#include "BuildFiles_win.h"
#include "core/Handle_win.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace cvn::test {

// Remembers one registry value (or its absence) and restores it when destroyed.
class ValueGuard {
public:
    ValueGuard(HKEY root, std::string key, std::string name)
        : root_(root), key_(std::move(key)), name_(std::move(name)) {
        keyExisted_ = KeyExists(root_, key_);
        HKEY k;
        if (RegOpenKeyExA(root_, key_.c_str(), 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return;
        DWORD type = 0, size = 0;
        if (RegQueryValueExA(k, name_.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
            std::vector<BYTE> data(size);
            if (RegQueryValueExA(k, name_.c_str(), nullptr, &type, data.data(), &size) == ERROR_SUCCESS) {
                data.resize(size);
                saved_ = std::make_pair(type, std::move(data));
            }
        }
        RegCloseKey(k);
    }
    ~ValueGuard() {
        if (!keyExisted_) {
            SHDeleteKeyA(root_, key_.c_str());
            return;
        }
        HKEY k;
        if (RegOpenKeyExA(root_, key_.c_str(), 0, KEY_SET_VALUE, &k) != ERROR_SUCCESS) return;
        if (saved_)
            RegSetValueExA(k, name_.c_str(), 0, saved_->first, saved_->second.data(),
                           DWORD(saved_->second.size()));
        else
            RegDeleteValueA(k, name_.c_str());
        RegCloseKey(k);
    }
    ValueGuard(const ValueGuard&) = delete;
    ValueGuard& operator=(const ValueGuard&) = delete;

    static bool KeyExists(HKEY root, const std::string& key) {
        HKEY k;
        if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return false;
        RegCloseKey(k);
        return true;
    }

private:
    HKEY root_;
    std::string key_, name_;
    bool keyExisted_ = false;
    std::optional<std::pair<DWORD, std::vector<BYTE>>> saved_;
};

// Deletes a key tree when destroyed, unless it existed before.
class KeyGuard {
public:
    KeyGuard(HKEY root, std::string key)
        : root_(root), key_(std::move(key)), existed_(ValueGuard::KeyExists(root_, key_)) {}
    ~KeyGuard() {
        if (!existed_) SHDeleteKeyA(root_, key_.c_str());
    }
    KeyGuard(const KeyGuard&) = delete;
    KeyGuard& operator=(const KeyGuard&) = delete;
    bool Existed() const { return existed_; }

private:
    HKEY root_;
    std::string key_;
    bool existed_;
};

// Sends this process's registry access under a predefined root (HKEY_LOCAL_MACHINE,
// HKEY_CURRENT_USER) to a private, initially empty key for the guard's life. Tests
// change "machine-wide" values there, so the other test programs that share the
// Wine prefix and run at the same time never see them.
class PrivateRoot {
public:
    explicit PrivateRoot(HKEY root) : root_(root) {
        static int counter = 0;
        path_ = "Software\\CvnTestPrivate\\Private-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++counter);
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                            nullptr) != ERROR_SUCCESS)
            key_ = nullptr;
        ok_ = key_ && RegOverridePredefKey(root_, key_) == ERROR_SUCCESS;
    }
    ~PrivateRoot() {
        RegOverridePredefKey(root_, nullptr);
        if (key_) RegCloseKey(key_);
        SHDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
        // The parent key goes too when no other private root is left in it.
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\CvnTestPrivate");
    }
    PrivateRoot(const PrivateRoot&) = delete;
    PrivateRoot& operator=(const PrivateRoot&) = delete;
    bool Ok() const { return ok_; }

private:
    HKEY root_;
    HKEY key_ = nullptr;
    std::string path_;
    bool ok_ = false;
};

// Deletes a key that did not exist before, but only while it has no sub-keys:
// for a key others may add their own keys below.
class EmptyKeyGuard {
public:
    EmptyKeyGuard(HKEY root, std::string key)
        : root_(root), key_(std::move(key)), existed_(ValueGuard::KeyExists(root_, key_)) {}
    ~EmptyKeyGuard() {
        if (!existed_) RegDeleteKeyA(root_, key_.c_str());
    }
    EmptyKeyGuard(const EmptyKeyGuard&) = delete;
    EmptyKeyGuard& operator=(const EmptyKeyGuard&) = delete;

private:
    HKEY root_;
    std::string key_;
    bool existed_;
};

inline bool SetText(HKEY root, const std::string& key, const std::string& name, const std::string& value,
                    DWORD type = REG_SZ) {
    HKEY k;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG rc = RegSetValueExA(k, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                             DWORD(value.size() + 1));
    RegCloseKey(k);
    return rc == ERROR_SUCCESS;
}

inline bool SetRaw(HKEY root, const std::string& key, const std::string& name, DWORD type,
                   const std::vector<BYTE>& data) {
    HKEY k;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG rc = RegSetValueExA(k, name.c_str(), 0, type, data.data(), DWORD(data.size()));
    RegCloseKey(k);
    return rc == ERROR_SUCCESS;
}

// Type and bytes of a value; nothing when it is missing.
inline std::optional<std::pair<DWORD, std::vector<BYTE>>> GetRaw(HKEY root, const std::string& key,
                                                                 const std::string& name) {
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return std::nullopt;
    DWORD type = 0, size = 0;
    std::optional<std::pair<DWORD, std::vector<BYTE>>> result;
    if (RegQueryValueExA(k, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<BYTE> data(size);
        if (RegQueryValueExA(k, name.c_str(), nullptr, &type, data.data(), &size) == ERROR_SUCCESS) {
            data.resize(size);
            result = std::make_pair(type, std::move(data));
        }
    }
    RegCloseKey(k);
    return result;
}

inline std::string GetText(HKEY root, const std::string& key, const std::string& name) {
    auto raw = GetRaw(root, key, name);
    if (!raw) return {};
    std::string s(raw->second.begin(), raw->second.end());
    return s.substr(0, s.find('\0'));
}

inline std::optional<DWORD> GetDword(HKEY root, const std::string& key, const std::string& name) {
    auto raw = GetRaw(root, key, name);
    if (!raw || raw->first != REG_DWORD || raw->second.size() != 4) return std::nullopt;
    return DWORD(raw->second[0] | raw->second[1] << 8 | raw->second[2] << 16 | DWORD(raw->second[3]) << 24);
}

// A fresh empty folder under the temporary folder, removed with its files when destroyed.
class TempFolder {
public:
    explicit TempFolder(const std::string& name) {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId());
        Remove();
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TempFolder() { Remove(); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    void Remove() {
        std::string from = path_ + '\0'; // the shell wants a double-zero-ended list
        SHFILEOPSTRUCTA op{};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
        SHFileOperationA(&op);
    }
    std::string path_;
};

inline std::string ReadWholeFile(const std::string& path) {
    FileHandle f(
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f) return {};
    std::string text;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(f.Get(), buf, sizeof buf, &got, nullptr) && got > 0)
        text.append(buf, got);
    return text;
}

// The build machine's DejaVu Sans under a family name of its own: `family` (six
// letters) in place of "DejaVu", so "CvnTst" gives the family "CvnTst Sans". Wine
// already knows the original through the host's fonts and would take a second copy
// for the first. Empty when the machine has no DejaVu fonts.
inline std::string TestFontData(const std::string& family = "CvnTst") {
    std::string data = ReadWholeFile("Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf");
    if (data.empty() || family.size() != 6) return {};
    std::string wide;
    for (char c : family)
        wide += std::string(1, '\0') + c;
    auto replaceAll = [&](const std::string& from, const std::string& to) {
        for (size_t at = data.find(from); at != std::string::npos; at = data.find(from, at + to.size()))
            data.replace(at, from.size(), to);
    };
    replaceAll("DejaVu", family);
    replaceAll(std::string("\0D\0e\0j\0a\0V\0u", 12), wide);
    return data;
}

// "name=value" lines as a map.
inline std::map<std::string, std::string> ParseReport(const std::string& text) {
    std::map<std::string, std::string> values;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        size_t eq = line.find('=');
        if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
        start = end + 1;
    }
    return values;
}

// Runs the probe program in a fresh process, optionally with Wine pretending to be
// another Windows version for it alone, and returns its report (empty when it failed).
inline std::map<std::string, std::string> RunProbe(const std::string& arguments,
                                                   const char* wineVersion = nullptr) {
    const std::string appDefaults = "Software\\Wine\\AppDefaults";
    const std::string probeKey = appDefaults + "\\cvn_sysprobe.exe";
    EmptyKeyGuard appDefaultsGuard(HKEY_CURRENT_USER, appDefaults);
    ValueGuard versionGuard(HKEY_CURRENT_USER, probeKey, "Version");
    if (wineVersion) SetText(HKEY_CURRENT_USER, probeKey, "Version", wineVersion);

    TempFolder out("cvn-probe");
    std::string report = out / "report.txt";
    std::string line =
        "\"" + BuildFile("testing/sysprobe/cvn_sysprobe.exe") + "\" \"" + report + "\" " + arguments;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::vector<char> cmd(line.begin(), line.end());
    cmd.push_back('\0');
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return {};
    CloseHandle(pi.hThread);
    WaitForSingleObject(pi.hProcess, 60000);
    CloseHandle(pi.hProcess);
    return ParseReport(ReadWholeFile(report));
}

} // namespace cvn::test
