#include "install/SharedDlls.h"

#include "core/Handle_win.h"
#include "core/Registry_win.h"

namespace cvn {

namespace {

constexpr const char* kSharedDllsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

RegKey OpenSharedDllsKey() {
    return CreateRegKey(HKEY_LOCAL_MACHINE, kSharedDllsKey);
}

bool Apply(HKEY key, const std::string& path, const TSharedCountChange& change) {
    if (!change.ok) return false;
    if (change.remove) return RegDeleteValueA(key, path.c_str()) == ERROR_SUCCESS;
    return WriteRegValue(key, path, change.newValue);
}

} // namespace

bool IncSharedDllCount(const std::string& path) {
    RegKey key = OpenSharedDllsKey();
    if (!key) return false;
    // A count that could not be written is reported, so the caller can say so.
    return Apply(key.Get(), path, IncrementSharedCount(ReadRegValue(key.Get(), path)));
}

bool DecSharedDllCount(const std::string& path) {
    RegKey key = OpenSharedDllsKey();
    if (!key) return false;
    return Apply(key.Get(), path, DecrementSharedCount(ReadRegValue(key.Get(), path)));
}

std::optional<int32_t> GetSharedDllCount(const std::string& path) {
    RegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, kSharedDllsKey);
    if (!key) return std::nullopt;
    auto value = ReadRegValue(key.Get(), path);
    if (!value) return std::nullopt;
    return DecodeSharedCount(value).count;
}

} // namespace cvn
