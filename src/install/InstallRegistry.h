#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cvn {

// Value types of the package's registry records.
enum class TRegistryValueType { String = 0, Number = 1, Binary = 2, MultiString = 3 };

// The type a stored code selects: 0-2 as numbered, anything else a multi-string.
TRegistryValueType RegistryValueTypeOf(int32_t code);

// Number data: the decimal digits of the text taken in order, every other character
// ignored ("-5" gives 5, "12a3" gives 123); no digits give 0. A value beyond 32 bits
// is held at 0xFFFFFFFF rather than wrapping to an unrelated number.
uint32_t RegistryNumberData(std::string_view data);

// Raw-byte data: hexadecimal tokens each ended by one space. Each run of non-space
// characters followed by a space gives one byte, the low 8 bits of its value;
// characters after the last space are not converted. A token that is not a
// hexadecimal number gives 0, so the bytes after it keep their places.
std::string RegistryBinaryData(std::string_view data);

// Multi-string data: the text split at ";", each item followed by a NUL and one more
// NUL at the end ("a;b" gives a, NUL, b, NUL, NUL).
std::string RegistryMultiStringData(std::string_view data);

// The stored bytes of a value of the given type, as RegSetValueEx takes them (a text
// value carries its terminating NUL; a number is 4 bytes little-endian).
std::string RegistryValueBytes(TRegistryValueType type, std::string_view data);

// A key path as written: one trailing backslash removed, then one leading backslash.
std::string TrimRegistryKeyPath(std::string_view key);

} // namespace cvn
