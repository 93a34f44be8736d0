#include "install/ServerRegistration.h"

#include "core/Handle_win.h"
#include "core/SystemLibrary_win.h"
#include "install/SystemFolders.h"

#include <oleauto.h>

#include <vector>

namespace cvn {

namespace {

// Keeps the process error mode (and optionally the cursor) for a scope and puts
// it back however the scope is left.
class TErrorModeScope {
public:
    TErrorModeScope(UINT mode, bool hourglass) : old_(SetErrorMode(mode)) {
        if (hourglass) {
            cursor_ = SetCursor(LoadCursor(nullptr, IDC_WAIT));
            restoreCursor_ = true;
        }
    }
    ~TErrorModeScope() {
        if (restoreCursor_) SetCursor(cursor_);
        SetErrorMode(old_);
    }
    TErrorModeScope(const TErrorModeScope&) = delete;
    TErrorModeScope& operator=(const TErrorModeScope&) = delete;

private:
    UINT old_;
    HCURSOR cursor_ = nullptr;
    bool restoreCursor_ = false;
};

std::wstring Wide(const std::string& s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, s.data(), int(s.size()), nullptr, 0);
    std::wstring w(size_t(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.data(), int(s.size()), w.data(), n);
    return w;
}

std::string Narrow(const wchar_t* w) {
    if (!w || !*w) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, w, -1, nullptr, 0, nullptr, nullptr);
    std::string s(size_t(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, w, -1, s.data(), n, nullptr, nullptr);
    s.resize(s.find('\0'));
    return s;
}

std::string FullPathOf(const std::string& path) {
    DWORD n = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::string full(n, '\0');
    n = GetFullPathNameA(path.c_str(), DWORD(full.size()), full.data(), nullptr);
    if (n == 0 || n >= full.size()) return path;
    full.resize(n);
    return full;
}

bool CallRegistrationEntry(const std::string& path, const char* entry) {
    Library lib = LoadLibraryWithItsFolder(FullPathOf(path));
    using EntryFn = HRESULT(STDAPICALLTYPE*)();
    auto fn = ProcAddress<EntryFn>(lib.Get(), entry);
    if (!fn) return false;
    return SUCCEEDED(fn());
}

// Loading never registers by itself: registering and removing stay explicit.
ComPtr<ITypeLib> LoadTypeLibrary(const std::string& fullPath) {
    ComPtr<ITypeLib> lib;
    if (FAILED(LoadTypeLibEx(Wide(fullPath).c_str(), REGKIND_NONE, lib.Out()))) lib.Reset();
    return lib;
}

} // namespace

bool RegisterServer(const std::string& path) {
    TErrorModeScope scope(SEM_NOOPENFILEERRORBOX, true);
    return CallRegistrationEntry(path, "DllRegisterServer");
}

bool UnregisterServer(const std::string& path) {
    TErrorModeScope scope(SEM_NOOPENFILEERRORBOX | SEM_FAILCRITICALERRORS, false);
    return CallRegistrationEntry(path, "DllUnregisterServer");
}

bool RegisterTypeLibrary(const std::string& path) {
    std::string full = FullPathOf(path);
    ComPtr<ITypeLib> lib = LoadTypeLibrary(full);
    if (!lib) return false;
    BSTR helpFile = nullptr;
    std::string helpDir;
    if (SUCCEEDED(lib->GetDocumentation(-1, nullptr, nullptr, nullptr, &helpFile)) && helpFile) {
        helpDir = FileDirOf(Narrow(helpFile));
        SysFreeString(helpFile);
    }
    std::wstring widePath = Wide(full);
    std::wstring wideHelp = Wide(helpDir);
    return SUCCEEDED(
        RegisterTypeLib(lib.Get(), widePath.data(), wideHelp.empty() ? nullptr : wideHelp.data()));
}

bool UnregisterTypeLibrary(const std::string& path) {
    // Older versions of OLEAUT32.DLL lack the removal function, so it is looked up
    // rather than linked.
    using UnRegisterTypeLibFn = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);
    HMODULE oleaut = GetModuleHandleA("OLEAUT32.DLL");
    auto unregister = oleaut ? reinterpret_cast<UnRegisterTypeLibFn>(
                                   reinterpret_cast<void*>(GetProcAddress(oleaut, "UnRegisterTypeLib")))
                             : nullptr;
    if (!unregister) return false;
    ComPtr<ITypeLib> lib = LoadTypeLibrary(FullPathOf(path));
    if (!lib) return false;
    TLIBATTR* attr = nullptr;
    if (FAILED(lib->GetLibAttr(&attr)) || !attr) return false;
    HRESULT hr = unregister(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, attr->syskind);
    lib->ReleaseTLibAttr(attr);
    return SUCCEEDED(hr);
}

} // namespace cvn
