#pragma once

#include <cstddef>
#include <cstdint>

namespace cvn {

// The "cVNZ" archive: a header (counted header text, total uncompressed size,
// member count) and then records, each led by an int32 tag. A member record is
// its id (0 or more), its MS-DOS date and time and its data: the magic and a
// series of blocks, each an int32 length b followed by |b| bytes, ended by b = -4.
namespace cvnzip {

inline constexpr int32_t kTagVolumeSwitch = -1; // int32 number of the next volume
inline constexpr int32_t kTagEnd = -2;
inline constexpr int32_t kTagMessage = -3; // int32 length, that many bytes of text

inline constexpr uint8_t kMagic[4] = {'c', 'V', 'N', 'Z'};

// Block lengths: b > 0 is one complete bzip2 stream, b = -4 ends the member's
// data, any other b <= 0 is |b| bytes stored as they are.
inline constexpr int32_t kEndOfData = -4;

// Uncompressed bytes of every block but a member's last.
inline constexpr size_t kBlockSize = 65536;

// Messages carry component names; a longer one is damage, not a name.
inline constexpr size_t kMaxMessageLength = 65536;

} // namespace cvnzip
} // namespace cvn
