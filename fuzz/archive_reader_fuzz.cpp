// Runs the archive reader over arbitrary bytes in memory. Nothing is written and
// no file is opened. The input is the first volume, optionally followed by further
// volumes, each introduced by the separator "|VOL|"; a volume switch opens the next
// one, so continuations, switches and skipped members are all reached.

#include "package/SetupCVNZip.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kSeparator = "|VOL|";

class FuzzVolumes final : public cvn::DiscardingArchiveFiles {
public:
    FuzzVolumes(const uint8_t* data, size_t size) {
        const uint8_t* end = data + size;
        for (;;) {
            const uint8_t* at = std::search(data, end, kSeparator.begin(), kSeparator.end());
            volumes_.emplace_back(data, at);
            if (at == end) break;
            data = at + kSeparator.size();
        }
    }
    std::unique_ptr<cvn::InputStream> OpenVolume(const std::string&) override {
        if (next_ >= volumes_.size()) return nullptr;
        return std::make_unique<cvn::MemoryInputStream>(volumes_[next_++]);
    }

private:
    std::vector<std::vector<uint8_t>> volumes_;
    size_t next_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzVolumes volumes(data, size);
    cvn::TSetupCVNZip zip;
    zip.SetFiles(&volumes);
    zip.ProgressBase = 10;
    zip.ProgressSpan = 70;
    zip.ProgressFactor = 1.25;
    zip.ProgressMax = 90;
    // Even members are written (to nowhere), odd ones skipped.
    zip.OnRestoreFile.Bind([](int32_t id, std::string& target, bool& extract, int32_t, int32_t& owner) {
        target = "target";
        extract = id % 2 == 0;
        owner = id;
    });
    try {
        zip.ExtractFromFile("setup.exe", "default");
    } catch (const cvn::ECVNZipError&) {
        // damaged input is reported, which is all the reader owes it
    }
    return 0;
}
