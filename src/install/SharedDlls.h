#pragma once

// Reference counts of shared files under HKEY_LOCAL_MACHINE
// "Software\Microsoft\Windows\CurrentVersion\SharedDLLs", one value per file named
// by its full path. Installers have stored the count in three ways (decimal text,
// a little-endian REG_BINARY of 1 to 4 bytes, REG_DWORD); a count is written back
// the way it was found so other installers keep reading it.

#include "core/Registry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cvn {

// --- Win32 operations -------------------------------------------------------

// Adds one use of the file; false when the key cannot be opened or created or the
// count cannot be written.
bool IncSharedDllCount(const std::string& path);
// Removes one use; the value goes when no use is left. False when the file has
// no count, the key cannot be opened or the change cannot be written.
bool DecSharedDllCount(const std::string& path);
// The stored count (for callers that decide whether a file is still in use);
// nothing when the file has no count.
std::optional<int32_t> GetSharedDllCount(const std::string& path);

// --- Portable rules ---------------------------------------------------------

enum class TSharedCountForm { Text, Binary, Dword };

struct TSharedCount {
    int32_t count = 0;
    TSharedCountForm form = TSharedCountForm::Dword;
    bool readable = false; // false: missing, another type or size, or text that is no number
};

// Decodes a stored count. Unreadable values give 0 in REG_DWORD form; negative
// counts give 0 in their own form.
TSharedCount DecodeSharedCount(const std::optional<TRegValue>& value);
// The value that stores count in a form (text keeps the given text type).
TRegValue EncodeSharedCount(TSharedCountForm form, int32_t count, uint32_t textType = uint32_t(TRegType::Sz));

// What an increment or decrement does to a stored value.
struct TSharedCountChange {
    bool ok = true;      // false: decrement of a file that has no count
    bool remove = false; // delete the value
    TRegValue newValue;  // otherwise write this
};
TSharedCountChange IncrementSharedCount(const std::optional<TRegValue>& current);
TSharedCountChange DecrementSharedCount(const std::optional<TRegValue>& current);

// Decimal text with an optional sign, as a 32-bit number; nothing for anything else.
std::optional<int32_t> ParseDecimal32(std::string_view text);

} // namespace cvn
