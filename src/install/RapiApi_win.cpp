#include "install/RapiApi.h"

#include "core/SystemLibrary_win.h"
#include "install/RapiFunctions_win.h"

#include <windows.h>

#include <array>
#include <cstring>

namespace cvn {

namespace {

using namespace rapi;

// Every function of the library, in the order of its slots; the program calls a
// few of them, and the table stays complete for the ones it may call later.
constexpr std::array<const char*, 63> kFunctionNames{"CeRapiInit",
                                                     "CeRapiInitEx",
                                                     "CeRapiUninit",
                                                     "CeFindAllFiles",
                                                     "RapiFreeBuffer",
                                                     "CeCreateDatabase",
                                                     "CeDeleteDatabase",
                                                     "CeDeleteRecord",
                                                     "CeFindFirstDatabase",
                                                     "CeFindNextDatabase",
                                                     "CeOidGetInfo",
                                                     "CeOpenDatabase",
                                                     "CeReadRecordProps",
                                                     "CeSeekDatabase",
                                                     "CeSetDatabaseInfo",
                                                     "CeWriteRecordProps",
                                                     "CeFindFirstFile",
                                                     "CeFindNextFile",
                                                     "CeFindClose",
                                                     "CeGetFileAttributes",
                                                     "CeSetFileAttributes",
                                                     "CeCreateFile",
                                                     "CeReadFile",
                                                     "CeWriteFile",
                                                     "CeCloseHandle",
                                                     "CeFindAllDatabases",
                                                     "CeGetLastError",
                                                     "GetRapiError",
                                                     "CeSetFilePointer",
                                                     "CeSetEndOfFile",
                                                     "CeCreateDirectory",
                                                     "CeRemoveDirectory",
                                                     "CeCreateProcess",
                                                     "CeMoveFile",
                                                     "CeCopyFile",
                                                     "CeDeleteFile",
                                                     "CeGetFileSize",
                                                     "CeRegOpenKeyEx",
                                                     "CeRegEnumKeyEx",
                                                     "CeRegCreateKeyEx",
                                                     "CeRegCloseKey",
                                                     "CeRegDeleteKey",
                                                     "CeRegEnumValue",
                                                     "CeRegDeleteValue",
                                                     "CeRegQueryInfoKey",
                                                     "CeRegQueryValueEx",
                                                     "CeRegSetValueEx",
                                                     "CeGetStoreInformation",
                                                     "CeGetSystemMetrics",
                                                     "CeGetDesktopDeviceCaps",
                                                     "CeGetSystemInfo",
                                                     "CeSHCreateShortcut",
                                                     "CeSHGetShortcutTarget",
                                                     "CeCheckPassword",
                                                     "CeGetFileTime",
                                                     "CeSetFileTime",
                                                     "CeGetVersionEx",
                                                     "CeGetWindow",
                                                     "CeGetWindowLong",
                                                     "CeGetWindowText",
                                                     "CeGetClassName",
                                                     "CeGlobalMemoryStatus",
                                                     "CeGetSystemPowerStatusEx"};

// Texts read from the device arrive through a buffer of this many wide characters.
constexpr size_t kDeviceTextChars = 8192;

std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(size_t(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), out.data(), n);
    return out;
}

HANDLE H(TDeviceHandle h) {
    return reinterpret_cast<HANDLE>(h);
}

HKEY K(TDeviceHandle h) {
    return reinterpret_cast<HKEY>(h);
}

class TWinRapiApi final : public TRapiApi {
public:
    ~TWinRapiApi() override = default;

    bool Bind() override {
        if (!library_) library_ = LoadSystemLibrary("rapi.dll");
        if (!library_) return false;
        for (size_t i = 0; i < kFunctionNames.size(); ++i)
            if (!slots_[i]) slots_[i] = ProcAddress<FARPROC>(library_.Get(), kFunctionNames[i]);
        return true;
    }

    bool Has(const char* function) override { return Slot(function) != nullptr; }

    bool InitEx() override {
        auto fn = Get<CeRapiInitExFn>("CeRapiInitEx");
        if (!fn) return false;
        init_ = TRapiInit{};
        init_.cbSize = sizeof init_;
        return SUCCEEDED(fn(&init_));
    }

    bool WaitForInit() override {
        if (!init_.heRapiInit) return false;
        return MsgWaitForMultipleObjects(1, &init_.heRapiInit, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0;
    }

    bool Uninit() override {
        auto fn = Get<CeRapiUninitFn>("CeRapiUninit");
        init_ = TRapiInit{};
        return fn && SUCCEEDED(fn());
    }

    bool GetVersion(int32_t& major, int32_t& minor) override {
        auto fn = Get<CeGetVersionExFn>("CeGetVersionEx");
        if (!fn) return false;
        TCeOsVersionInfo info{};
        info.dwOSVersionInfoSize = sizeof info;
        info.dwMajorVersion = DWORD(major);
        info.dwMinorVersion = DWORD(minor);
        fn(&info);
        major = int32_t(info.dwMajorVersion);
        minor = int32_t(info.dwMinorVersion);
        return true;
    }

    bool GetProcessorType(int32_t& type) override {
        auto fn = Get<CeGetSystemInfoFn>("CeGetSystemInfo");
        if (!fn) return false;
        SYSTEM_INFO info{};
        fn(&info);
        type = int32_t(info.dwProcessorType);
        return true;
    }

    bool GetFreeStorage(uint64_t& bytes) override {
        auto fn = Get<CeGetStoreInformationFn>("CeGetStoreInformation");
        TStoreInformation info{};
        if (!fn || !fn(&info)) return false;
        bytes = info.dwFreeSize;
        return true;
    }

    TDeviceHandle CeCreateFile(const std::string& path, TDeviceOpen how) override {
        auto fn = Get<CeCreateFileFn>("CeCreateFile");
        if (!fn) return kNoDeviceHandle;
        DWORD access = GENERIC_READ, share = FILE_SHARE_READ, disposition = OPEN_EXISTING;
        if (how == TDeviceOpen::CreateForWriting) {
            access = GENERIC_WRITE;
            share = 0;
            disposition = CREATE_ALWAYS;
        } else if (how == TDeviceOpen::ReadWriteAlways) {
            access = GENERIC_READ | GENERIC_WRITE;
            share = FILE_SHARE_READ | FILE_SHARE_WRITE;
            disposition = OPEN_ALWAYS;
        }
        HANDLE h =
            fn(Wide(path).c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        return h == INVALID_HANDLE_VALUE ? kNoDeviceHandle : reinterpret_cast<TDeviceHandle>(h);
    }

    int64_t CeReadFile(TDeviceHandle file, void* buffer, uint32_t n) override {
        auto fn = Get<CeReadFileFn>("CeReadFile");
        DWORD done = 0;
        return fn && fn(H(file), buffer, n, &done, nullptr) ? int64_t(done) : -1;
    }

    int64_t CeWriteFile(TDeviceHandle file, const void* data, uint32_t n) override {
        auto fn = Get<CeWriteFileFn>("CeWriteFile");
        DWORD done = 0;
        return fn && fn(H(file), data, n, &done, nullptr) ? int64_t(done) : -1;
    }

    bool CeCloseHandle(TDeviceHandle handle) override {
        auto fn = Get<CeCloseHandleFn>("CeCloseHandle");
        return fn && fn(H(handle));
    }

    int64_t CeSetFilePointer(TDeviceHandle file, int64_t distance, int origin) override {
        auto fn = Get<CeSetFilePointerFn>("CeSetFilePointer");
        if (!fn) return -1;
        LONG high = LONG(distance >> 32);
        DWORD low = fn(H(file), LONG(uint32_t(distance)), &high, DWORD(origin));
        if (low == INVALID_SET_FILE_POINTER && high == -1) return -1;
        return int64_t((uint64_t(uint32_t(high)) << 32) | low);
    }

    int64_t CeGetFileSize(TDeviceHandle file) override {
        auto fn = Get<CeGetFileSizeFn>("CeGetFileSize");
        if (!fn) return -1;
        DWORD high = 0;
        DWORD low = fn(H(file), &high);
        if (low == INVALID_FILE_SIZE && high == 0xFFFFFFFF) return -1;
        return int64_t((uint64_t(high) << 32) | low);
    }

    bool FindAny(const std::string& pattern) override {
        auto first = Get<CeFindFirstFileFn>("CeFindFirstFile");
        auto close = Get<CeFindCloseFn>("CeFindClose");
        if (!first || !close) return false;
        TCeFindData data{};
        HANDLE h = first(Wide(pattern).c_str(), &data);
        if (h == INVALID_HANDLE_VALUE) return false;
        close(h);
        return true;
    }

    bool CeCreateDirectory(const std::string& path) override {
        auto fn = Get<CeCreateDirectoryFn>("CeCreateDirectory");
        return fn && fn(Wide(path).c_str(), nullptr);
    }
    bool CeRemoveDirectory(const std::string& path) override {
        auto fn = Get<CeRemoveDirectoryFn>("CeRemoveDirectory");
        return fn && fn(Wide(path).c_str());
    }
    bool CeCopyFile(const std::string& from, const std::string& to) override {
        auto fn = Get<CeCopyFileFn>("CeCopyFile");
        return fn && fn(Wide(from).c_str(), Wide(to).c_str(), FALSE);
    }
    bool CeMoveFile(const std::string& from, const std::string& to) override {
        auto fn = Get<CeMoveFileFn>("CeMoveFile");
        return fn && fn(Wide(from).c_str(), Wide(to).c_str());
    }
    bool CeDeleteFile(const std::string& path) override {
        auto fn = Get<CeDeleteFileFn>("CeDeleteFile");
        return fn && fn(Wide(path).c_str());
    }

    bool CeCreateProcess(const std::string& program, const std::string& parameters) override {
        auto fn = Get<CeCreateProcessFn>("CeCreateProcess");
        if (!fn) return false;
        PROCESS_INFORMATION pi{};
        const std::wstring params = Wide(parameters);
        if (!fn(Wide(program).c_str(), parameters.empty() ? nullptr : params.c_str(), nullptr, nullptr, FALSE,
                0, nullptr, nullptr, nullptr, &pi))
            return false;
        // The handles are the device's; the library closes them on the device.
        if (auto close = Get<CeCloseHandleFn>("CeCloseHandle")) {
            if (pi.hThread) close(pi.hThread);
            if (pi.hProcess) close(pi.hProcess);
        }
        return true;
    }

    TDeviceHandle RootKey(TRegRoot root) override {
        HKEY key = root == TRegRoot::ClassesRoot    ? HKEY_CLASSES_ROOT
                   : root == TRegRoot::LocalMachine ? HKEY_LOCAL_MACHINE
                                                    : HKEY_CURRENT_USER;
        return reinterpret_cast<TDeviceHandle>(key);
    }

    bool CeRegOpenKey(TDeviceHandle parent, const std::string& path, TDeviceHandle& key) override {
        auto fn = Get<CeRegOpenKeyExFn>("CeRegOpenKeyEx");
        HKEY out = nullptr;
        if (!fn || fn(K(parent), Wide(path).c_str(), 0, KEY_ALL_ACCESS, &out) != ERROR_SUCCESS) return false;
        key = reinterpret_cast<TDeviceHandle>(out);
        return true;
    }

    bool CeRegCreateKey(TDeviceHandle parent, const std::string& path, TDeviceHandle& key) override {
        auto fn = Get<CeRegCreateKeyExFn>("CeRegCreateKeyEx");
        HKEY out = nullptr;
        DWORD disposition = 0;
        if (!fn || fn(K(parent), Wide(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &out,
                      &disposition) != ERROR_SUCCESS)
            return false;
        key = reinterpret_cast<TDeviceHandle>(out);
        return true;
    }

    bool CeRegCloseKey(TDeviceHandle key) override {
        auto fn = Get<CeRegCloseKeyFn>("CeRegCloseKey");
        return fn && fn(K(key)) == ERROR_SUCCESS;
    }
    bool CeRegDeleteKey(TDeviceHandle parent, const std::string& path) override {
        auto fn = Get<CeRegDeleteKeyFn>("CeRegDeleteKey");
        return fn && fn(K(parent), Wide(path).c_str()) == ERROR_SUCCESS;
    }
    bool CeRegDeleteValue(TDeviceHandle key, const std::string& name) override {
        auto fn = Get<CeRegDeleteValueFn>("CeRegDeleteValue");
        return fn && fn(K(key), Wide(name).c_str()) == ERROR_SUCCESS;
    }

    bool CeRegQueryValue(TDeviceHandle key, const std::string& name, uint32_t& type,
                         std::vector<uint8_t>* data) override {
        auto fn = Get<CeRegQueryValueExFn>("CeRegQueryValueEx");
        if (!fn) return false;
        DWORD t = 0, size = 0;
        const std::wstring wide = Wide(name);
        if (fn(K(key), wide.c_str(), nullptr, &t, nullptr, &size) != ERROR_SUCCESS) return false;
        type = t;
        if (!data) return true;
        // Texts come through the zero-filled buffer of the device texts at most.
        std::vector<uint8_t> buffer(std::max<size_t>(size, kDeviceTextChars * 2), 0);
        DWORD got = DWORD(buffer.size());
        if (fn(K(key), wide.c_str(), nullptr, &t, buffer.data(), &got) != ERROR_SUCCESS) return false;
        buffer.resize(std::min<size_t>(got, buffer.size()));
        *data = std::move(buffer);
        type = t;
        return true;
    }

    bool CeRegSetValue(TDeviceHandle key, const std::string& name, uint32_t type,
                       const std::vector<uint8_t>& data) override {
        auto fn = Get<CeRegSetValueExFn>("CeRegSetValueEx");
        return fn &&
               fn(K(key), Wide(name).c_str(), 0, type, data.data(), DWORD(data.size())) == ERROR_SUCCESS;
    }

    std::string DeviceText(const uint8_t* bytes, size_t size) override {
        std::wstring wide;
        for (size_t i = 0; i + 1 < size && wide.size() < kDeviceTextChars - 1; i += 2) {
            wchar_t c = wchar_t(bytes[i] | (bytes[i + 1] << 8));
            if (c == 0) break;
            wide += c;
        }
        if (wide.empty()) return {};
        int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
        std::string out(size_t(n), '\0');
        WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), out.data(), n, nullptr, nullptr);
        return out;
    }

    std::vector<uint8_t> DeviceBytes(const std::string& text) override {
        const std::wstring wide = Wide(text);
        std::vector<uint8_t> out;
        for (wchar_t c : wide) {
            out.push_back(uint8_t(c));
            out.push_back(uint8_t(uint16_t(c) >> 8));
        }
        out.push_back(0);
        out.push_back(0);
        return out;
    }

private:
    FARPROC Slot(const char* function) {
        for (size_t i = 0; i < kFunctionNames.size(); ++i) {
            if (std::strcmp(kFunctionNames[i], function) != 0) continue;
            // An empty slot binds first: the library may have been installed since.
            if (!slots_[i]) Bind();
            return slots_[i];
        }
        return nullptr;
    }
    template <typename F> F Get(const char* function) {
        return reinterpret_cast<F>(reinterpret_cast<void*>(Slot(function)));
    }

    Library library_;
    std::array<FARPROC, 63> slots_{};
    TRapiInit init_{};
};

} // namespace

std::unique_ptr<TRapiApi> CreateWinRapiApi() {
    return std::make_unique<TWinRapiApi>();
}

} // namespace cvn
