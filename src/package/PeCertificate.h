#pragma once

// The certificate table of a PE file: where an Authenticode signature lies. Signing
// tools append it at the end of the file and record it in the security entry of the
// optional header's data directory, so a package appended before signing sits just
// in front of it.

#include <cstdint>
#include <span>

namespace cvn {

struct TCertificateTable {
    uint32_t offset = 0; // a file offset, not a relative virtual address
    uint32_t size = 0;
};

// `headers` is the start of the file, at least up to the end of the optional
// header. False when it is no PE file or names no certificate table.
bool FindCertificateTable(std::span<const uint8_t> headers, TCertificateTable& out);

// How many bytes of the file's start FindCertificateTable may need.
inline constexpr size_t kPeHeaderBytes = 4096;

} // namespace cvn
