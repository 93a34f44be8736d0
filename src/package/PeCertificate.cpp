#include "PeCertificate.h"

#include "core/ByteReader.h"

namespace cvn {

bool FindCertificateTable(std::span<const uint8_t> headers, TCertificateTable& out) {
    out = {};
    constexpr uint16_t kPe32 = 0x10B, kPe32Plus = 0x20B;
    constexpr uint32_t kSecurityEntry = 4;
    try {
        ByteReader r(headers);
        if (r.U16() != 0x5A4D) return false; // "MZ"
        r.Seek(0x3C);
        r.Seek(r.U32());
        if (r.U32() != 0x00004550) return false; // "PE\0\0"
        r.Skip(16);                              // the COFF header up to its optional header size
        const uint16_t optionalSize = r.U16();
        r.Skip(2);
        const size_t optional = r.Position();
        const uint16_t magic = r.U16();
        if (magic != kPe32 && magic != kPe32Plus) return false;
        // The data directory follows the fixed fields, whose width differs for PE32+.
        const size_t countAt = optional + (magic == kPe32 ? 92 : 108);
        r.Seek(countAt);
        const uint32_t entries = r.U32();
        if (entries <= kSecurityEntry || countAt + 4 + 8 * (kSecurityEntry + 1) > optional + optionalSize)
            return false;
        r.Skip(8 * kSecurityEntry);
        out.offset = r.U32();
        out.size = r.U32();
    } catch (const FormatError&) {
        out = {};
        return false;
    }
    if (out.offset == 0 || out.size == 0) {
        out = {};
        return false;
    }
    return true;
}

} // namespace cvn
