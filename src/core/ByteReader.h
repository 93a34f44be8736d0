#pragma once

#include "FormatError.h"

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace cvn {

// Bounds-checked little-endian reader over a byte range. Every read either
// succeeds completely or throws FormatError naming the field; nothing is read
// past the end of the range. Offsets in messages are relative to `base`, so a
// reader over a package section can report absolute file offsets.
class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> data, uint64_t base = 0) : data_(data), base_(base) {}

    size_t Position() const { return pos_; }
    uint64_t AbsolutePosition() const { return base_ + pos_; }
    size_t Remaining() const { return data_.size() - pos_; }
    bool AtEnd() const { return pos_ == data_.size(); }

    void Seek(size_t pos) {
        if (pos > data_.size()) Fail("seek", pos - data_.size());
        pos_ = pos;
    }
    void Skip(size_t n, const char* what = "skipped bytes") {
        Need(n, what);
        pos_ += n;
    }

    uint8_t U8(const char* what = "byte") {
        Need(1, what);
        return data_[pos_++];
    }
    uint16_t U16(const char* what = "word") {
        Need(2, what);
        uint16_t v = uint16_t(data_[pos_] | data_[pos_ + 1] << 8);
        pos_ += 2;
        return v;
    }
    uint32_t U32(const char* what = "int32") {
        Need(4, what);
        uint32_t v = uint32_t(data_[pos_]) | uint32_t(data_[pos_ + 1]) << 8 | uint32_t(data_[pos_ + 2]) << 16 |
                     uint32_t(data_[pos_ + 3]) << 24;
        pos_ += 4;
        return v;
    }
    int32_t I32(const char* what = "int32") { return int32_t(U32(what)); }
    double F64(const char* what = "double") {
        Need(8, what);
        uint64_t bits = 0;
        for (int i = 7; i >= 0; --i) bits = bits << 8 | data_[pos_ + i];
        pos_ += 8;
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }

    // Zero-terminated text; the zero byte is consumed and not part of the text.
    std::string Str(const char* what = "text") {
        const uint8_t* start = data_.data() + pos_;
        // memchr must not see the null pointer of an empty span, even for no bytes.
        const void* zero = Remaining() ? std::memchr(start, 0, Remaining()) : nullptr;
        if (!zero) Fail(what, 0, "has no terminating zero byte before the end of its section");
        size_t len = static_cast<const uint8_t*>(zero) - start;
        std::string s(reinterpret_cast<const char*>(start), len);
        pos_ += len + 1;
        return s;
    }

    // int32 length followed by that many bytes.
    std::string Counted(const char* what = "counted text") {
        int32_t n = I32(what);
        if (n < 0) Fail(what, 0, "has a negative length " + std::to_string(n));
        Need(size_t(n), what);
        std::string s(reinterpret_cast<const char*>(data_.data() + pos_), size_t(n));
        pos_ += size_t(n);
        return s;
    }

    std::span<const uint8_t> Bytes(size_t n, const char* what = "bytes") {
        Need(n, what);
        auto s = data_.subspan(pos_, n);
        pos_ += n;
        return s;
    }

    // Reads a record count and checks that the remaining bytes can hold that many
    // records of at least `minRecordSize` bytes, so a damaged count never makes the
    // caller allocate or loop for records that cannot be there.
    size_t Count(size_t minRecordSize, const char* what = "count") {
        int32_t n = I32(what);
        if (n < 0) Fail(what, 0, "is negative (" + std::to_string(n) + ")");
        if (minRecordSize && size_t(n) > Remaining() / minRecordSize)
            Fail(what, 0,
                 "of " + std::to_string(n) + " is larger than the " + std::to_string(Remaining()) +
                     " remaining bytes can hold");
        return size_t(n);
    }

    [[noreturn]] void Fail(const std::string& what, size_t missing, const std::string& problem = {}) const {
        std::string msg = what + " at offset " + std::to_string(AbsolutePosition()) + " ";
        if (!problem.empty())
            msg += problem;
        else
            msg += "runs " + std::to_string(missing) + " byte(s) past the end of its section";
        throw FormatError(msg);
    }

private:
    void Need(size_t n, const char* what) const {
        if (n > Remaining()) Fail(what, n - Remaining());
    }

    std::span<const uint8_t> data_;
    uint64_t base_;
    size_t pos_ = 0;
};

} // namespace cvn
