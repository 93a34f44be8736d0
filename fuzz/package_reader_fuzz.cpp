// Feeds arbitrary bytes to the package reader. The reader must answer every
// input with a result (never crash, never read out of bounds, never allocate for
// counts its bytes cannot hold).
//
// The first byte picks the form of the input:
//   even: the rest is a whole setup file (trailer, table and sections as found);
//   odd:  the rest starts with 18 two-byte section lengths followed by the
//         section bytes; a valid table and trailer are put around them, so the
//         section parsers get inputs that pass the trailer checks.

#include "core/Stream.h"
#include "package/PackageReader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

std::vector<uint8_t> FramedSections(const uint8_t* data, size_t size) {
    constexpr size_t kStub = 16;
    constexpr size_t kLengths = cvn::kSectionCount * 2;
    if (size < kLengths) return {};
    std::vector<uint8_t> out(kStub, 'M');
    size_t avail = size - kLengths;
    const uint8_t* body = data + kLengths;
    std::vector<size_t> lengths(cvn::kSectionCount);
    size_t used = 0;
    for (int k = 0; k < cvn::kSectionCount; ++k) {
        size_t want = size_t(data[2 * k] | data[2 * k + 1] << 8);
        lengths[k] = k + 1 == cvn::kSectionCount ? avail - used : std::min(want, avail - used);
        used += lengths[k];
    }
    uint32_t pos = uint32_t(kStub + cvn::kSectionTableSize);
    for (int k = 0; k < cvn::kSectionCount; ++k) {
        PutU32(out, pos);
        pos += uint32_t(lengths[k]);
    }
    out.insert(out.end(), body, body + avail);
    PutU32(out, kStub);
    PutU32(out, 0); // the archive offset, set below
    PutU32(out, cvn::kPackageMagic);
    // The archive offset: the start of section 16.
    uint32_t s16 = uint32_t(kStub + cvn::kSectionTableSize);
    for (int k = 0; k < cvn::kSecMainArchive; ++k)
        s16 += uint32_t(lengths[k]);
    size_t at = out.size() - 8;
    for (int i = 0; i < 4; ++i)
        out[at + i] = uint8_t(s16 >> (8 * i));
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::vector<uint8_t> file =
        data[0] % 2 == 0 ? std::vector<uint8_t>(data + 1, data + size) : FramedSections(data + 1, size - 1);
    cvn::MemoryInputStream stream(std::move(file));
    cvn::TPackageReader reader(stream);
    cvn::TPackage package;
    cvn::PackageResult res = reader.ReadAll(package);
    if (res.Ok() != res.reason.empty()) __builtin_trap(); // a failure always says why
    if (!res.Ok() && !res.UserMessage()) __builtin_trap();
    return 0;
}
