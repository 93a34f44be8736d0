#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cvn {

// Little-endian writer, the counterpart of ByteReader: the authoring side builds
// every stored record through it, field by field.
class ByteWriter {
public:
    void U8(uint8_t v) { buf_.push_back(v); }
    void U16(uint16_t v) { Little(v, 2); }
    void U32(uint32_t v) { Little(v, 4); }
    void I32(int32_t v) { U32(uint32_t(v)); }
    void F64(double v) {
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        Little(bits, 8);
    }
    // Zero-terminated text. A text with an embedded zero would not read back, so
    // it is cut at the zero, the same way the reader would see it.
    void Str(std::string_view s) {
        s = s.substr(0, s.find('\0'));
        Bytes(s);
        buf_.push_back(0);
    }
    void Counted(std::string_view s) {
        I32(int32_t(s.size()));
        Bytes(s);
    }
    void Bytes(std::string_view s) { Append(s.data(), s.size()); }
    void Bytes(std::span<const uint8_t> s) { Append(s.data(), s.size()); }

    // Overwrites an int32 written earlier (offset tables that are known only later).
    void PatchI32(size_t at, int32_t v) {
        for (int i = 0; i < 4; ++i)
            buf_.at(at + i) = uint8_t(uint32_t(v) >> (8 * i));
    }

    size_t Size() const { return buf_.size(); }
    const std::vector<uint8_t>& Data() const { return buf_; }
    std::vector<uint8_t> Take() { return std::move(buf_); }

private:
    // Grows the buffer first and then fills the new bytes: GCC 12 takes appending
    // through push_back and insert, inlined, for writes past the end of the vector
    // (stringop-overflow) at -O2 and above.
    uint8_t* Grow(size_t n) {
        buf_.resize(buf_.size() + n);
        return buf_.data() + buf_.size() - n;
    }
    void Little(uint64_t v, int bytes) {
        uint8_t* p = Grow(size_t(bytes));
        for (int i = 0; i < bytes; ++i)
            p[i] = uint8_t(v >> (8 * i));
    }
    void Append(const void* data, size_t n) {
        if (n > 0) std::memcpy(Grow(n), data, n);
    }

    std::vector<uint8_t> buf_;
};

} // namespace cvn
