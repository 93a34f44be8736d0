#pragma once

// Builds package bytes by hand, independently of the package writer, so that
// reader tests check the stored layout itself and not only our own round trip.

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace cvn::test {

struct Bytes {
    std::vector<uint8_t> b;

    Bytes& u8(uint8_t v) {
        b.push_back(v);
        return *this;
    }
    Bytes& u16(uint16_t v) { return u8(uint8_t(v)).u8(uint8_t(v >> 8)); }
    Bytes& i32(int64_t v) {
        for (int i = 0; i < 4; ++i)
            b.push_back(uint8_t(uint64_t(v) >> (8 * i)));
        return *this;
    }
    Bytes& f64(double v) {
        uint64_t bits;
        static_assert(sizeof bits == sizeof v);
        std::memcpy(&bits, &v, sizeof v);
        for (int i = 0; i < 8; ++i)
            b.push_back(uint8_t(bits >> (8 * i)));
        return *this;
    }
    Bytes& str(std::string_view s) {
        b.insert(b.end(), s.begin(), s.end());
        b.push_back(0);
        return *this;
    }
    Bytes& raw(std::string_view s) {
        b.insert(b.end(), s.begin(), s.end());
        return *this;
    }
    Bytes& scrambled(std::string_view s) {
        i32(int64_t(s.size()));
        for (size_t i = 0; i < s.size(); ++i)
            b.push_back(uint8_t(s[i] ^ "tmq-ribbon"[i % 10]));
        return *this;
    }
    Bytes& font(std::string_view face, int32_t size, int32_t color, uint8_t style, uint8_t charset) {
        return str(face).i32(size).i32(color).u8(style).u8(charset);
    }
    // The 17 fields of a file entry; the word field in two or one bytes.
    Bytes& fileEntry(std::string_view source, std::string_view target, uint16_t word,
                     bool twoByteWord = true) {
        str(source).str(target).u8(3);
        if (twoByteWord)
            u16(word);
        else
            u8(uint8_t(word));
        return str("t1")
            .u8(1)
            .u8(0)
            .u8(1)
            .u8(0)
            .u8(1)
            .u8(9)
            .str("t2")
            .u8(1)
            .str("Font Name")
            .str("t3")
            .str("Docs|Help")
            .str("%IsNT% = 1|");
    }
    size_t size() const { return b.size(); }
};

// A package of 18 hand-made sections appended to a stub; section 16 may hold
// archive bytes. Offsets, table and trailer are computed here, not by the writer.
struct HandPackage {
    std::vector<uint8_t> stub = std::vector<uint8_t>(64, 'M');
    std::array<Bytes, 18> sec;
    uint32_t magic = 0x00535066;
    bool archiveInVolumes = false;

    std::vector<uint8_t> Build(std::array<uint32_t, 18>* offsetsOut = nullptr) const {
        std::vector<uint8_t> out = stub;
        uint32_t pos = uint32_t(stub.size() + 72);
        std::array<uint32_t, 18> offs{};
        for (int k = 0; k < 18; ++k) {
            offs[k] = pos;
            pos += uint32_t(sec[k].size());
        }
        Bytes t;
        for (uint32_t o : offs)
            t.i32(o);
        out.insert(out.end(), t.b.begin(), t.b.end());
        for (const auto& s : sec)
            out.insert(out.end(), s.b.begin(), s.b.end());
        Bytes trailer;
        trailer.i32(int64_t(stub.size())).i32(archiveInVolumes ? 0 : offs[16]).i32(magic);
        out.insert(out.end(), trailer.b.begin(), trailer.b.end());
        if (offsetsOut) *offsetsOut = offs;
        return out;
    }
};

// A small but complete package: every section holds at least one record.
HandPackage SamplePackage();

// Overwrites the int32 at a file offset.
void PutI32(std::vector<uint8_t>& file, size_t at, int64_t v);

} // namespace cvn::test
