#include "install/HotSync.h"

#include "core/Stream.h"

namespace cvn {

namespace {

// Native builds have no registry: the desktop software is never installed there.
class TPosixHotSyncEnvironment final : public THotSyncEnvironment {
public:
    bool UserKeyExists(const std::string&) override { return false; }
    bool ReadUserText(const std::string&, const std::string&, std::string&) override { return false; }
    std::string WindowsDir() override { return "C:\\WINDOWS"; }
    bool ReadFile(const std::string& path, std::vector<uint8_t>& data) override {
        auto in = FileInputStream::Open(path);
        if (!in) return false;
        data.resize(size_t(in->Size()));
        return in->ReadExact(data.data(), data.size());
    }
};

} // namespace

THotSyncEnvironment& SystemHotSyncEnvironment() {
    static TPosixHotSyncEnvironment env;
    return env;
}

} // namespace cvn
