// Feeds arbitrary bytes to the uninstall data reader, as a later setup or the
// uninstaller meets a damaged or foreign uninst.dat. Every input must end in data
// or a FormatError: never a crash, a read out of bounds or an allocation for counts
// the bytes cannot hold. Data that reads is written again and must read back alike.

#include "package/UninstallData.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    cvn::TUninstallData d;
    try {
        cvn::ByteReader r(std::span<const uint8_t>(data, size));
        d = cvn::ReadUninstallData(r);
    } catch (const cvn::FormatError&) {
        return 0;
    }
    // Written in the current form (which rewrites mode-7 entries) and read back, the
    // data keeps its item count.
    std::vector<uint8_t> again = cvn::BuildUninstallData(d);
    cvn::ByteReader r2(again);
    cvn::TUninstallData back = cvn::ReadUninstallData(r2);
    if (back.items.size() != d.items.size() || !r2.AtEnd()) std::abort();
    return 0;
}
