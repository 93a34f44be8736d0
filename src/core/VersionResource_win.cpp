#include "core/VersionResource_win.h"

#include "core/SystemLibrary_win.h"

#include <vector>

namespace cvn {

namespace {

struct TVersionApi {
    using SizeFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
    using InfoFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
    using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);

    Library library = LoadSystemLibrary("version.dll");
    SizeFn size = ProcAddress<SizeFn>(library.Get(), "GetFileVersionInfoSizeA");
    InfoFn info = ProcAddress<InfoFn>(library.Get(), "GetFileVersionInfoA");
    QueryFn query = ProcAddress<QueryFn>(library.Get(), "VerQueryValueA");

    bool Ok() const { return size && info && query; }
};

// Loaded once and kept for the run: file versions are read for every installed file.
const TVersionApi& VersionApi() {
    static const TVersionApi api;
    return api;
}

} // namespace

bool ReadFixedVersionInfo(const std::string& path, VS_FIXEDFILEINFO& out) {
    out = {};
    const TVersionApi& api = VersionApi();
    if (!api.Ok()) return false;
    DWORD ignored = 0;
    DWORD size = api.size(path.c_str(), &ignored);
    if (size == 0) return false;
    std::vector<BYTE> block(size);
    if (!api.info(path.c_str(), 0, size, block.data())) return false;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    if (!api.query(block.data(), "\\", reinterpret_cast<void**>(&fixed), &len) || !fixed ||
        len < sizeof(VS_FIXEDFILEINFO))
        return false;
    out = *fixed;
    return true;
}

} // namespace cvn
