#pragma once

#include "PackageModel.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace cvn {

// Ready-made archives that go into the package.
//
// Placement: section 16 holds the main archive followed by the component
// archives in component order, all before section 17. The archive reader stops
// at each archive's end record, so the component archives after the main one
// never disturb it; the main archive size in section 6 counts the main archive
// alone. When the main archive lives in volume files, section 16 holds only the
// component archives and the trailer's archive offset is 0.
struct TArchiveParts {
    std::vector<uint8_t> mainArchive; // empty: no main archive inside the executable
    bool mainArchiveInVolumes = false;
    uint64_t volumeArchiveSize = 0; // bytes of the volume archive, for the progress factor
    // Index-matched with TPackage::components; a missing or empty entry means
    // that component has no archive.
    std::vector<std::vector<uint8_t>> componentArchives;
};

// Appends the package to a copy of the stub executable. The writer fills in the
// derived values of section 6 (main archive size, progress factor, and each
// component's archive offset, size and progress start); every other field is
// written as the model holds it. Returns false with a reason when the package
// cannot be laid out (a stub that is signed already, a section or offset beyond what int32 offsets can hold,
// more component archives than components, a main archive both inside and in volumes).
bool WritePackage(std::span<const uint8_t> stub, const TPackage& package, const TArchiveParts& archives,
                  std::vector<uint8_t>& out, std::string& error);

} // namespace cvn
