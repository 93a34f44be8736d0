#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace cvn {

// libbzip2's working memory, kept from stream to stream: every block of an archive is a
// stream of its own, and a fresh allocation of its tables for each one costs the system's
// allocator (on Windows, new pages from the system each time) a sixth of the time
// decompression takes. Two areas: the decoder's state and its block table. A stream takes
// it through its bzalloc, bzfree and opaque fields (Allocate, Release and this object).
class TBZip2Memory {
public:
    static void* Allocate(void* memory, int count, int each);
    static void Release(void* memory, void* p);

private:
    std::unique_ptr<uint8_t[]> area_[2];
    size_t size_[2] = {};
    bool used_[2] = {};
};

} // namespace cvn
